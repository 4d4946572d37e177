// The pictures the editor draws levels with, read from a game folder's packs.
#include "editor/level_pictures.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "../runtime/support/temp_folder.hpp"
#include "tests/game_folder.hpp"

namespace editor {
namespace {

namespace fs = std::filesystem;

TEST(LevelPictures, ReadsEveryBrickAndBackgroundOfTheGameFolder) {
    NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR);
    const LevelPictures pictures = LoadLevelPictures(TESSALY_PLAY_DATA_DIR);
    EXPECT_TRUE(pictures.problems.empty()) << pictures.problems.front();
    for (int code = 100; code <= 106; ++code) {
        const auto* brick = BrickPicture(pictures, code);
        ASSERT_NE(brick, nullptr) << code;
        EXPECT_EQ(brick->width, 31);
        EXPECT_EQ(brick->height, 30);
    }
    for (int code = 200; code <= 205; ++code) {
        const auto* background = BackgroundPicture(pictures, code);
        ASSERT_NE(background, nullptr) << code;
        EXPECT_EQ(background->width, 800);
        EXPECT_EQ(background->height, 600);
        // Each code shows a picture of its own.
        for (int other = 200; other < code; ++other)
            EXPECT_NE(BackgroundPicture(pictures, other)->pixels, background->pixels)
                << code << " and " << other;
    }
    EXPECT_EQ(BrickPicture(pictures, 99), nullptr);
    EXPECT_EQ(BrickPicture(pictures, 107), nullptr);
    EXPECT_EQ(BackgroundPicture(pictures, 0), nullptr);
    EXPECT_EQ(BackgroundPicture(pictures, 206), nullptr);
}

TEST(LevelPictures, MissingAndDamagedPacksAreToldByNameAndTheRestStillReads) {
    TempFolder folder;
    LevelPictures none = LoadLevelPictures(folder.path().string());
    ASSERT_EQ(none.problems.size(), 4u);
    EXPECT_NE(none.problems[0].find(folder / "data/level1.pak"), std::string::npos)
        << none.problems[0];
    EXPECT_NE(none.problems[0].find("No such file"), std::string::npos) << none.problems[0];
    EXPECT_EQ(BrickPicture(none, 100), nullptr);
    EXPECT_EQ(BackgroundPicture(none, 205), nullptr);

    NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR);
    // The play pack cut short inside the third brick; the backgrounds are whole.
    fs::create_directory(folder / "data");
    const fs::path game(TESSALY_PLAY_DATA_DIR);
    for (const char* pack : {"lvl0105.pak", "lvl0610.pak", "lvl1115.pak"})
        fs::create_symlink(game / "data" / pack, folder / (std::string("data/") + pack));
    fs::copy_file(game / "data/level1.pak", folder / "data/level1.pak");
    fs::resize_file(folder / "data/level1.pak", 8 + 342 + 8 + 566 + 8 + 1946 + 8 + 1914 + 100);
    const LevelPictures cut = LoadLevelPictures(folder.path().string());
    ASSERT_EQ(cut.problems.size(), 1u);
    EXPECT_NE(cut.problems[0].find("level1.pak: entry 4: the file is cut short"),
              std::string::npos)
        << cut.problems[0];
    EXPECT_NE(BrickPicture(cut, 100), nullptr);
    EXPECT_NE(BrickPicture(cut, 101), nullptr);
    EXPECT_EQ(BrickPicture(cut, 102), nullptr);
    EXPECT_EQ(BrickPicture(cut, 106), nullptr);
    for (int code = 200; code <= 205; ++code)
        EXPECT_NE(BackgroundPicture(cut, code), nullptr) << code;
}

TEST(LevelPictures, TheGameFolderIsTheCurrentOneThenThePlayersOwn) {
    TempFolder here, own, elsewhere;
    const fs::path before = fs::current_path();
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string savedData = oldData ? oldData : "";
    fs::create_directories(own.path() / "tessaly/data");
    std::FILE* pack = std::fopen((own / "tessaly/data/level1.pak").c_str(), "wb");
    ASSERT_NE(pack, nullptr);
    std::fclose(pack);
    setenv("XDG_DATA_HOME", own.path().c_str(), 1);

    // Nothing here: the player's own folder.
    fs::current_path(elsewhere.path());
    EXPECT_EQ(FindGameFolder(), (own.path() / "tessaly").string());
    // A game folder here wins, as when the launcher starts the editor.
    fs::create_directory(here.path() / "data");
    fs::copy_file(own / "tessaly/data/level1.pak", here / "data/level1.pak");
    fs::current_path(here.path());
    EXPECT_EQ(FindGameFolder(), here.path().string());

    fs::current_path(before);
    if (oldData)
        setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace editor
