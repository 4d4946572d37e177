#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The folder of recorded games: each game is saved under its start time (and, when it
// entered the high-score table, the name and score), written whole under a temporary name
// and then renamed into place, so a reader or a crash never finds half a replay.
namespace game::replays {

// The most recent games kept besides those that entered the high-score table.
inline constexpr int kRecentGamesKept = 50;

// The file name for a game started at `date` (2026-12-08T17:06:38Z):
// "2026-12-08_170638.replay", or "2026-12-08_170638_high_12500_NAME.replay" for a game
// that entered the table (the name's letters and digits; others become '-').
std::string ReplayFileName(std::string_view date, std::optional<std::string_view> highScoreName,
                           std::int32_t score);

// Saves the text as that name in the folder (made when missing), then leaves the folder
// with the kRecentGamesKept most recent ordinary games and every high-score game. False
// with a message when the file could not be written; nothing half-written is left.
bool SaveReplay(const std::string& folder, const std::string& name, std::string_view text,
                std::string& error);

}  // namespace game::replays
