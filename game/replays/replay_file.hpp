#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/levels/level_file.hpp"
#include "game/play/play_state.hpp"
#include "game/state/game_state.hpp"
#include "runtime/support/random.hpp"

// A recorded game as a text file (docs/replays.md): a header saying how the game started,
// the input its reads returned, one line per change, and an end line with the score.
namespace game::replays {

inline constexpr int kFormatVersion = 1;
// The longest game a replay holds: about four and a half hours at 60 frames a second.
// A longer one is not kept, and a file that claims more is refused before it is played.
inline constexpr std::uint64_t kLongestGame = 1'000'000;

// The largest file read as a replay: a game of kLongestGame frames with the mouse moving
// in every one takes about 15 MB. A larger file is refused before it is read.
inline constexpr std::uintmax_t kLargestReplayFile = std::uintmax_t(64) << 20;

struct ReplayHeader {
    std::string gameVersion;
    std::string date;  // when the game started, UTC: 2026-12-08T17:06:38Z
    state::PlayMode mode = state::PlayMode::FullGame;
    bool fromMenu = true;  // started from the title menu, not straight from the launcher
    int startLevel = 1;
    state::PacingMode pacing = state::PacingMode::RefreshPacing;
    runtime::support::RandomState random;
    std::array<std::int32_t, play::kCarriedValues> carried{};
    // Glows drawn larger than their picture are smoothed once the introduction has shown
    // its dot clouds; it changes only the pictures, never the play.
    bool smoothGlows = false;
    // A level file's lines as the game reads them (levels::kLevelFileLines of them).
    std::vector<std::string> levelLines;
};

// How the game ended: back to the title menu, or the program was asked to quit.
enum class GameEnd { Menu, Quit };

struct ReplayEnd {
    std::uint64_t frames = 0;  // frames shown from the game's start
    std::int32_t score = 0;
    std::int32_t level = 0;
    GameEnd by = GameEnd::Menu;
};

// The text of a recording: header, the input lines as they are, and the end line.
std::string ReplayText(const ReplayHeader& header, std::string_view input, const ReplayEnd& end);

struct Replay {
    ReplayHeader header;
    std::string_view input;          // the input lines, a view into the text read
    std::size_t inputFirstLine = 0;  // the line number of the first of them
    ReplayEnd end;
};

struct ReplayError {
    std::size_t line = 0;
    std::string what;
};

// Reads the header and the end line (the input lines are the input script reader's). On a
// bad file: false, with the line (counted from 1) and what is wrong with it.
bool ReadReplay(std::string_view text, Replay& replay, ReplayError& error);

// The level file's text as the game reads it back: the lines with CR LF.
std::string LevelFileText(const std::vector<std::string>& lines);

}  // namespace game::replays
