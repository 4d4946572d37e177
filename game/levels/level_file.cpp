#include "game/levels/level_file.hpp"

#include "game/levels/bricks.hpp"
#include "game/state/game_state.hpp"
#include "runtime/support/files.hpp"
#include "runtime/support/text.hpp"

namespace game::levels {

using runtime::support::TextNumber;
using runtime::support::TextsEqual;

std::array<std::string, kLevelFileLines> ReadLevelFileLines(std::string_view path) {
    std::array<std::string, kLevelFileLines> lines;
    // Differs: a level file is only read (docs/differences.md, Levels)
    // Read-only: the level is never created or changed by playing it.
    const bool open = runtime::support::OpenFileForReading(0, path) != 0;
    if (open) {
        for (std::string& line : lines)
            line = runtime::support::ReadTextLine(kLevelLineKeep);
        runtime::support::CloseFileNumber(0);
    }
    return lines;
}

LevelCell ReadLevelCell(std::string_view line) {
    LevelCell cell;
    if (TextsEqual(line, "000")) {
        cell.empty = true;
        return cell;
    }
    // Kept in 8 bits, as the brick record stores it: 356 reads as code 100.
    cell.code = std::uint8_t(TextNumber(line));
    cell.hits = TextsEqual(line, "102") ? 3 : 0;
    return cell;
}

void loadLevelFile(std::string_view path) {
    const auto lines = ReadLevelFileLines(path);
    state::GameState& game = state::Game();
    game.bricksLeft = std::int16_t(TextNumber(lines[0]));

    BrickList& bricks = Bricks();
    runtime::support::NewList(bricks);
    int x = CellX(1);
    int y = CellY(1);
    for (int i = 0; i < kLevelFileCells; ++i) {
        Brick* brick = runtime::support::AddElement(bricks);
        const LevelCell cell = ReadLevelCell(lines[std::size_t(1 + i)]);
        if (!cell.empty) {
            brick->code = cell.code;
            brick->hits = cell.hits;
            brick->x = x;
            brick->y = y;
        }
        x += 33;
        if ((i + 1) % kColumns == 0) {
            x = CellX(1);
            y += 32;
        }
    }
    game.backgroundCode = TextNumber(lines[161]);
    // Only the value 1 switches a hazard on.
    game.barrierFlag = TextNumber(lines[162]) == 1 ? 1 : 0;
    game.descentFlag = TextNumber(lines[163]) == 1 ? 1 : 0;
}

}  // namespace game::levels
