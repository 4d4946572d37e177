#pragma once

#include <gtest/gtest.h>

#include <filesystem>

// The replays run in the real game folder, as the game does: data\ and sfx\ relative to
// the current directory.
inline bool EnterPlayFolder() {
    const std::filesystem::path folder = TESSALY_PLAY_DATA_DIR;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(folder / "data" / "level1.pak", ec)) return false;
    std::filesystem::current_path(folder, ec);
    return !ec;
}

#define ENTER_PLAY_FOLDER_OR_SKIP()                                                           \
    do {                                                                                      \
        if (!EnterPlayFolder())                                                               \
            GTEST_SKIP() << "no game folder at " TESSALY_PLAY_DATA_DIR " (build the assets)"; \
    } while (0)
