#include "editor/status_text.hpp"

#include <glib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"

namespace editor {

namespace levels = game::levels;

// Differs: the editor's status line shows a kept line's first forty characters
// (docs/differences.md, Levels)
std::string ShownLine(std::string_view line) {
    std::string shown;
    std::size_t at = 0;
    for (std::size_t count = 0; at < line.size() && count < kShownLineLength; ++count) {
        const char* here = line.data() + at;
        const gunichar c = g_utf8_get_char_validated(here, gssize(line.size() - at));
        // Only whole, printable characters go to the label as they are.
        const bool whole = c != gunichar(-1) && c != gunichar(-2) && c != 0;
        const std::size_t length = whole ? std::size_t(g_utf8_skip[std::uint8_t(*here)]) : 1;
        if (whole && g_unichar_isprint(c)) {
            shown.append(here, length);
        } else {
            for (std::size_t i = 0; i < length; ++i) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(std::uint8_t(here[i])));
                shown += escape;
            }
        }
        at += length;
    }
    if (at < line.size()) shown += "\u2026";
    return shown;
}

char BrickLetter(int code) {
    return char('d' + (code - levels::kFirstBrickCode));
}

const char* BrickBehaviour(int code) {
    switch (code) {
        case 0:
            return "empty cell";
        case levels::kThreeHitBrick:
            return "three hits";
        case levels::kSteelBrick:
            return "indestructible";
        default:
            return "one hit";
    }
}

std::string LevelName(const std::string& path) {
    return path.empty() ? "Untitled level" : std::filesystem::path(path).filename().string();
}

std::string WindowTitle(const std::string& path, const LevelDocument& document) {
    std::string title = document.Modified() ? "*" : "";
    title += LevelName(path);
    title += " \u2013 ";
    title += kProgramTitle;
    return title;
}

std::string CountsText(const LevelDocument& document) {
    const BrickCounts counts = document.Counts();
    std::string text;
    for (int i = 0; i < 7; ++i) {
        const int code = levels::kFirstBrickCode + i;
        text += std::string(1, BrickLetter(code)) + " " + std::to_string(code) + ": " +
                std::to_string(counts.perCode[std::size_t(i)]) + "   ";
    }
    if (counts.odd > 0) text += "kept lines: " + std::to_string(counts.odd) + "   ";
    text += "   " + std::to_string(counts.destructible) + " bricks to destroy";
    return text;
}

std::string CellText(const LevelDocument& document, int row, int column) {
    const Cell& cell = document.cell(row, column);
    std::string text =
        "Row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) + ": ";
    if (cell.odd) {
        const levels::LevelCell read = levels::ReadLevelCell(*cell.odd);
        // The line may be a thousand characters of anything: its beginning says enough.
        text += "line \"" + ShownLine(*cell.odd) + "\", kept as it is (";
        if (read.empty || read.code == 0)
            text += "plays as an empty cell)";
        else if (levels::IsBrickCode(read.code))
            text += std::string("plays as brick ") + BrickLetter(read.code) + " " +
                    std::to_string(read.code) + ")";
        else
            text += "code " + std::to_string(read.code) + ", no brick the game knows)";
    } else if (cell.code == 0) {
        text += "empty";
    } else {
        text += std::string("brick ") + BrickLetter(cell.code) + " " + std::to_string(cell.code) +
                ", " + BrickBehaviour(cell.code);
    }
    return text;
}

std::string WarningText(const LevelDocument& document) {
    const int left = document.BricksLeft();
    const int destructible = document.Counts().destructible;
    switch (document.BricksLeftWarning()) {
        case Warning::CannotBeWon:
            if (destructible == 0) return "This level cannot be won: it has no brick to destroy.";
            return "This level cannot be won: it asks for " + std::to_string(left) +
                   " bricks, but only " + std::to_string(destructible) + " can be destroyed.";
        case Warning::WonByFirstBrick:
            return "With " + std::to_string(left) +
                   " bricks to clear, the first brick destroyed wins the level.";
        case Warning::None:
            break;
    }
    return {};
}

}  // namespace editor
