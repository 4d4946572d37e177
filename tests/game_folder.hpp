#pragma once
// The game folder that the tests of packs, pictures, sounds and play read: a folder with
// data/level1.pak among its packs. Without one such a test skips, saying so; where the run
// requires one (TESSALY_REQUIRE_GAME_FOLDER, as scripts/test builds) it fails instead, so a
// missing folder never passes for a tested game.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace tessaly_test {

inline bool IsGameFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_regular_file(folder / "data" / "level1.pak", ec);
}

}  // namespace tessaly_test

// Ends the test when `folder` is no game folder: a failure where the run requires one, a
// skip elsewhere.
#define NEED_GAME_FOLDER(folder)                                                                   \
    do {                                                                                           \
        const std::filesystem::path tessaly_game_folder_(folder);                                  \
        if (!tessaly_test::IsGameFolder(tessaly_game_folder_)) {                                   \
            if (TESSALY_REQUIRE_GAME_FOLDER) {                                                     \
                GTEST_FAIL() << "no game folder at " << tessaly_game_folder_                       \
                             << ", and this build's tests require one (build the assets)";         \
            }                                                                                      \
            GTEST_SKIP() << "no game folder at " << tessaly_game_folder_ << " (build the assets)"; \
        }                                                                                          \
    } while (0)

// The replays run in the real game folder, as the game does: data\ and sfx\ relative to
// the current directory.
#define ENTER_PLAY_FOLDER()                                                              \
    do {                                                                                 \
        NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR);                                         \
        std::error_code tessaly_entered_;                                                \
        std::filesystem::current_path(TESSALY_PLAY_DATA_DIR, tessaly_entered_);          \
        ASSERT_FALSE(tessaly_entered_)                                                   \
            << "cannot enter " TESSALY_PLAY_DATA_DIR ": " << tessaly_entered_.message(); \
    } while (0)
