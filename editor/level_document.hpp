#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The level being edited: the 8 x 20 grid, the background, the two hazard flags and the
// bricks-left value, with undo and redo of every change.
namespace editor {

inline constexpr int kRows = 8;
inline constexpr int kColumns = 20;
inline constexpr int kCells = kRows * kColumns;
inline constexpr int kFirstBackground = 200;
inline constexpr int kLastBackground = 205;
inline constexpr int kNoBackground = 0;

// One cell: empty, a brick (100 to 106), or a line the editor does not make itself
// (" 101", "0", an empty line, "356"), kept exactly as the file had it so that saving
// gives the game the same cell back.
struct Cell {
    int code = 0;                    // 0 for empty, else the brick code
    std::optional<std::string> odd;  // set for a line kept verbatim; code is then unused

    static Cell Empty() { return {}; }
    static Cell Brick(int code) { return {code, std::nullopt}; }
    static Cell Odd(std::string line) { return {0, std::move(line)}; }
    bool IsEmpty() const { return !odd && code == 0; }
    bool operator==(const Cell&) const = default;
};

// What the game makes of a cell when it plays the level.
bool IsDestructible(const Cell& cell);

enum class Warning {
    None,
    CannotBeWon,      // more bricks to destroy than the level has (or none to destroy)
    WonByFirstBrick,  // a value of 0 or less: the first destroyed brick wins
};

struct BrickCounts {
    std::array<int, 7> perCode{};  // cells holding 100 .. 106
    int odd = 0;                   // cells kept verbatim
    int destructible = 0;          // every brick the game can destroy (not 103)
};

// Everything a level file says, and nothing of the editing around it.
struct Level {
    std::array<Cell, kCells> cells{};
    int background = kNoBackground;  // 200..205, anything else draws none
    bool barrier = false;
    bool descent = false;
    std::optional<std::int16_t> manualBricksLeft;  // unset: counted from the grid

    bool operator==(const Level&) const = default;
};

class LevelDocument {
  public:
    LevelDocument() = default;
    explicit LevelDocument(Level level) : level_(std::move(level)) {}

    const Level& level() const { return level_; }
    // Row and column from 0.
    const Cell& cell(int row, int column) const;

    // Each of these is one step of undo; a change that changes nothing records nothing.
    void Paint(int row, int column, int code);
    void Empty(int row, int column) { Paint(row, column, 0); }
    // Paints the cell and its mirror image across the middle of the row.
    void MirrorPaint(int row, int column, int code);
    void SetBackground(int code);
    void SetBarrier(bool on);
    void SetDescent(bool on);
    void SetBricksLeft(std::int16_t value);  // by hand, kept whatever the grid holds
    void CountBricksLeft();                  // back to counting from the grid

    // A drag of the mouse is one step: changes between these two undo together.
    void BeginStroke();
    void EndStroke();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    void Undo();
    void Redo();

    // The value written to the file: the hand-set one, else the destructible bricks.
    std::int16_t BricksLeft() const;
    bool BricksLeftByHand() const { return level_.manualBricksLeft.has_value(); }
    BrickCounts Counts() const;
    Warning BricksLeftWarning() const;

    // Changed since it was opened or last saved (undoing back to it counts as unchanged).
    bool Modified() const { return revision_ != savedRevision_; }
    void MarkSaved() { savedRevision_ = revision_; }

  private:
    struct Step {
        Level level;
        int revision;
    };
    void Change(Level changed);

    Level level_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    int revision_ = 0;
    int savedRevision_ = 0;
    int nextRevision_ = 1;
    bool inStroke_ = false;
    bool strokeRecorded_ = false;
};

}  // namespace editor
