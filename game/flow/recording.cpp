#include "game/flow/recording.hpp"

#include <cstdio>
#include <ctime>

#include "game/levels/level_file.hpp"
#include "game/play/play_state.hpp"
#include "game/replays/replay_folder.hpp"
#include "game/scores/high_scores.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/read_log.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/support/random.hpp"

namespace game::flow {
namespace {

using state::Game;

std::string g_folder;  // empty: games are not recorded
state::PacingMode g_pacing = state::PacingMode::RefreshPacing;
bool g_recording = false;
bool g_gameOverSeen = false;
replays::ReplayHeader g_header;
std::string g_input;
const RecordedGame* g_replay = nullptr;
bool g_replayEnded = false;

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void StartRecording(Phase previous) {
    replays::ReplayHeader& h = g_header;
    h = replays::ReplayHeader{};
    h.gameVersion = TESSALY_VERSION;
    h.date = UtcNow();
    h.mode = Game().playMode;
    h.fromMenu = previous == Phase::Menu;
    h.startLevel = 1;
    h.pacing = g_pacing;
    h.random = runtime::support::CurrentRandomState();
    h.carried = game::play::CarriedOver();
    h.smoothGlows = runtime::quads::QuadFiltering() != 0;
    if (h.mode == state::PlayMode::SingleLevel) {
        const auto lines = game::levels::ReadLevelFileLines(Game().levelFilePath);
        h.levelLines.assign(lines.begin(), lines.end());
    }
    runtime::input::StartReadLog(g_input);
    g_recording = true;
    g_gameOverSeen = false;
}

void FinishRecording(Phase phase) {
    g_recording = false;
    const replays::ReplayEnd end{
        runtime::input::ReadLogFrames(), Game().score, Game().levelNumber,
        phase == Phase::Exit ? replays::GameEnd::Quit : replays::GameEnd::Menu};
    runtime::input::StopReadLog();
    if (end.frames > replays::kLongestGame) return;
    // Only a game that went through the game-over screen entered the table with its score.
    const auto& entered = game::scores::enteredHighScoreName();
    const bool high = g_gameOverSeen && entered.has_value();
    const std::string name = replays::ReplayFileName(
        g_header.date, high ? std::optional<std::string_view>(*entered) : std::nullopt, end.score);
    std::string error;
    if (!replays::SaveReplay(g_folder, name, replays::ReplayText(g_header, g_input, end), error))
        std::fprintf(stderr, "tessaly: the game's replay was not kept: %s\n", error.c_str());
    g_input.clear();
    g_input.shrink_to_fit();
}

}  // namespace

void recordGames(const std::string& folder) {
    g_folder = folder;
}

void setRecordedGame(const RecordedGame* game) {
    g_replay = game;
    g_replayEnded = false;
}

void notePacing(state::PacingMode pacing) {
    g_pacing = pacing;
}

void gamePhaseEntered(Phase phase, Phase previous) {
    if (g_replay) {
        if (g_replayEnded) return;
        if (phase == Phase::GameStart) {
            runtime::support::RestoreRandomState(g_replay->header->random);
            game::play::RestoreCarriedOver(g_replay->header->carried);
            runtime::quads::SetQuadFiltering(g_replay->header->smoothGlows ? 1 : 0);
            if (g_replay->started) g_replay->started();
        } else if (phase == Phase::LevelSetup && previous == Phase::GameStart) {
            Game().levelNumber = g_replay->header->startLevel;
        } else if (phase == Phase::MenuEntry || phase == Phase::Exit) {
            g_replayEnded = true;
            if (g_replay->ended) g_replay->ended(phase);
        }
        return;
    }
    if (g_folder.empty()) return;
    if (phase == Phase::GameStart) {
        // The menu's Start after a game that was never finished cannot happen, but a
        // recording in progress is never left open.
        if (g_recording) FinishRecording(Phase::MenuEntry);
        StartRecording(previous);
    } else if (g_recording && phase == Phase::LevelSetup && previous == Phase::GameStart) {
        g_header.startLevel = Game().levelNumber;
    } else if (g_recording && phase == Phase::GameOver) {
        g_gameOverSeen = true;
    } else if (g_recording && (phase == Phase::MenuEntry || phase == Phase::Exit)) {
        FinishRecording(phase);
    }
}

}  // namespace game::flow
