#include "editor/level_document.hpp"

#include <utility>

#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"

namespace editor {

namespace levels = game::levels;

bool IsDestructible(const Cell& cell) {
    int code = cell.code;
    if (cell.odd) {
        const levels::LevelCell read = levels::ReadLevelCell(*cell.odd);
        if (read.empty) return false;
        code = read.code;
    }
    // Code 102 counts once although it needs three hits; 103 is never destroyed.
    return levels::IsBrickCode(code) && code != levels::kSteelBrick;
}

const Cell& LevelDocument::cell(int row, int column) const {
    return level_.cells[std::size_t(row * kColumns + column)];
}

void LevelDocument::Change(Level changed) {
    if (changed == level_) return;
    if (!inStroke_ || !strokeRecorded_) {
        undo_.push_back({std::move(level_), revision_});
        strokeRecorded_ = inStroke_;
    }
    redo_.clear();
    level_ = std::move(changed);
    revision_ = nextRevision_++;
}

namespace {

bool InGrid(int row, int column) {
    return row >= 0 && row < kRows && column >= 0 && column < kColumns;
}

// The palette: an empty cell or one of the seven brick codes.
bool Paintable(int code) {
    return code == 0 || levels::IsBrickCode(code);
}

}  // namespace

void LevelDocument::Paint(int row, int column, int code) {
    if (!InGrid(row, column) || !Paintable(code)) return;
    Level changed = level_;
    changed.cells[std::size_t(row * kColumns + column)] = Cell::Brick(code);
    Change(std::move(changed));
}

void LevelDocument::MirrorPaint(int row, int column, int code) {
    if (!InGrid(row, column) || !Paintable(code)) return;
    Level changed = level_;
    changed.cells[std::size_t(row * kColumns + column)] = Cell::Brick(code);
    changed.cells[std::size_t(row * kColumns + kColumns - 1 - column)] = Cell::Brick(code);
    Change(std::move(changed));
}

void LevelDocument::SetBackground(int code) {
    Level changed = level_;
    changed.background = code;
    Change(std::move(changed));
}

void LevelDocument::SetBarrier(bool on) {
    Level changed = level_;
    changed.barrier = on;
    Change(std::move(changed));
}

void LevelDocument::SetDescent(bool on) {
    Level changed = level_;
    changed.descent = on;
    Change(std::move(changed));
}

void LevelDocument::SetBricksLeft(std::int16_t value) {
    Level changed = level_;
    changed.manualBricksLeft = value;
    Change(std::move(changed));
}

void LevelDocument::CountBricksLeft() {
    Level changed = level_;
    changed.manualBricksLeft.reset();
    Change(std::move(changed));
}

void LevelDocument::BeginStroke() {
    inStroke_ = true;
    strokeRecorded_ = false;
}

void LevelDocument::EndStroke() {
    inStroke_ = false;
    strokeRecorded_ = false;
}

void LevelDocument::Undo() {
    if (undo_.empty()) return;
    EndStroke();
    redo_.push_back({std::move(level_), revision_});
    level_ = std::move(undo_.back().level);
    revision_ = undo_.back().revision;
    undo_.pop_back();
}

void LevelDocument::Redo() {
    if (redo_.empty()) return;
    EndStroke();
    undo_.push_back({std::move(level_), revision_});
    level_ = std::move(redo_.back().level);
    revision_ = redo_.back().revision;
    redo_.pop_back();
}

std::int16_t LevelDocument::BricksLeft() const {
    if (level_.manualBricksLeft) return *level_.manualBricksLeft;
    return std::int16_t(Counts().destructible);
}

BrickCounts LevelDocument::Counts() const {
    BrickCounts counts;
    for (const Cell& cell : level_.cells) {
        if (cell.odd)
            ++counts.odd;
        else if (levels::IsBrickCode(cell.code))
            ++counts.perCode[std::size_t(cell.code - levels::kFirstBrickCode)];
        if (IsDestructible(cell)) ++counts.destructible;
    }
    return counts;
}

Warning LevelDocument::BricksLeftWarning() const {
    const int left = BricksLeft();
    const int destructible = Counts().destructible;
    // The level ends when the counter falls below 1 after a destroyed brick.
    if (destructible == 0 || left > destructible) return Warning::CannotBeWon;
    if (left <= 0) return Warning::WonByFirstBrick;
    return Warning::None;
}

}  // namespace editor
