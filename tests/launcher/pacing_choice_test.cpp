// The pacing choice and the opening of the game screen, on the headless backends with
// scripted keys.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "launcher/launcher.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/gui/headless/headless_windows.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "tests/game_folder.hpp"

namespace {

namespace gui = runtime::gui;
namespace input = runtime::input;
namespace screen = runtime::screen;
using launcher::PacingMode;
using Event = input::headless::ScriptEvent;

class PacingChoice : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = std::filesystem::current_path();
        // The game's folder, where "data\win.pak" and the music are (none in builds
        // without the assets: the choice works all the same).
        std::error_code missing;
        std::filesystem::current_path(TESSALY_PLAY_DATA_DIR, missing);
        havePictures_ = std::filesystem::exists("data/win.pak");
        screen::headless::UseHeadlessDisplay();
        runtime::sound::headless::UseHeadlessSound();
        gui::headless::UseHeadlessWindows();
        ASSERT_TRUE(screen::InitSpriteEngine());
        ASSERT_TRUE(runtime::quads::InitQuadSprites());
        ASSERT_TRUE(input::InitKeyboardInput());
        runtime::sound::InitSoundOutput();
        runtime::sound::InitMediaPlayer();
        ASSERT_TRUE(gui::InitWindows());
    }
    void TearDown() override {
        gui::ReleaseWindows();
        screen::CloseScreenDisplay();
        runtime::sound::ReleaseMediaPlayer();
        runtime::sound::ReleaseSoundOutput();
        std::filesystem::current_path(home_);
    }

    // Keys go down (and stay down) that many frames after the choice starts.
    static void Press(std::vector<std::pair<int, int>> keys) {
        input::PostAllKeysUp();
        std::vector<Event> events;
        const std::uint64_t now = screen::State().framesPresented;
        for (const auto& [frame, key] : keys)
            events.push_back(Event{now + std::uint64_t(frame), Event::Kind::KeyDown, key, 0});
        input::headless::UseScript(std::move(events));
    }

    // Brightness of the band where the highlight of a row lies, in the last frame shown.
    static long Band(int row) {
        const screen::Surface& shown = screen::BackBuffer();
        long sum = 0;
        for (int y = (row == 0 ? 98 : 145); y < (row == 0 ? 98 : 145) + 30; ++y) {
            for (int x = 0; x < shown.width; ++x) {
                const std::uint32_t p = shown.At(x, y);
                sum += long(p & 0xFF) + long((p >> 8) & 0xFF) + long((p >> 16) & 0xFF);
            }
        }
        return sum;
    }

    std::filesystem::path home_;
    bool havePictures_ = false;
};

TEST_F(PacingChoice, ReturnTakesTheHighlightedRow) {
    Press({{3, input::KeyReturn}});
    EXPECT_EQ(launcher::runPacingChoice(), PacingMode::RefreshPacing);
    const long upperWhenUpper = Band(0), lowerWhenUpper = Band(1);

    Press({{2, input::KeyDown}, {5, input::KeyReturn}});
    EXPECT_EQ(launcher::runPacingChoice(), PacingMode::TimerPacing);
    if (havePictures_) {
        EXPECT_GT(upperWhenUpper, Band(0));
        EXPECT_GT(Band(1), lowerWhenUpper);
    }

    // Up and Down together from the upper row stay there.
    Press({{1, input::KeyDown}, {1, input::KeyUp}, {4, input::KeyReturn}});
    EXPECT_EQ(launcher::runPacingChoice(), PacingMode::RefreshPacing);
}

TEST_F(PacingChoice, CloseBoxTakesRefreshPacingWhateverIsHighlighted) {
    Press({{1, input::KeyDown}});
    gui::headless::ScheduleCloseRequest(1, screen::State().framesPresented + 4);
    EXPECT_EQ(launcher::runPacingChoice(), PacingMode::RefreshPacing);
    if (havePictures_) {
        EXPECT_GT(Band(1), Band(0));
    }
}

TEST_F(PacingChoice, EscapeQuits) {
    Press({{2, input::KeyEscape}});
    EXPECT_EQ(launcher::runPacingChoice(), std::nullopt);
}

TEST_F(PacingChoice, WindowPicturesMusicAndScrollingBackground) {
    NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR);
    // Three frames: the background turns one column to the left on the third.
    Press({{3, input::KeyReturn}});
    EXPECT_EQ(launcher::runPacingChoice(), PacingMode::RefreshPacing);
    for (int sprite : {0, 1, 3, 5, 9, 900})
        EXPECT_NE(runtime::sprites::FindSprite(sprite), nullptr) << sprite;
    for (int texture : {7, 8}) {
        ASSERT_NE(runtime::sprites::FindSprite(texture), nullptr);
        EXPECT_EQ(runtime::sprites::FindSprite(texture)->mode, runtime::sprites::Texture);
    }
    EXPECT_NE(runtime::quads::FindQuadSprite(0), nullptr);
    EXPECT_NE(runtime::quads::FindQuadSprite(1), nullptr);
    EXPECT_EQ(screen::State().mode, screen::ScreenMode::Window);
    EXPECT_EQ(screen::State().width, 400);
    EXPECT_EQ(screen::State().height, 200);
    if (std::filesystem::exists("sfx/introwin.mp3")) {
        EXPECT_GT(runtime::sound::MediaStatus(), 0);
    }

    // Column k shows the old column k + 1; old column 0 lands on 398 and 399, and old
    // column 399 is gone. The clip stays on columns 1 to 399.
    ASSERT_TRUE(game::presentation::OpenPack("data\\win.pak"));
    const game::presentation::PackContent first = game::presentation::NextPackEntry();
    ASSERT_TRUE(runtime::sprites::LoadSpriteFromMemory(50, first.bytes, first.size));
    game::presentation::ClosePack();
    const screen::Surface& original = *runtime::sprites::FindSprite(50)->surface;
    const runtime::sprites::SpriteRecord* background = runtime::sprites::FindSprite(1);
    const screen::Surface& turned = *background->surface;
    ASSERT_EQ(turned.width, 400);
    int wrong = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 398; ++x)
            wrong += turned.At(x, y) != original.At(x + 1, y);
        wrong += turned.At(398, y) != original.At(0, y);
        wrong += turned.At(399, y) != original.At(0, y);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(background->clipX, 1);
    EXPECT_EQ(background->shownWidth, 399);
}

TEST_F(PacingChoice, GameScreenOpensPacedAsChosenWithTheMusicPlaying) {
    Press({{2, input::KeyReturn}});
    ASSERT_EQ(launcher::runPacingChoice(), PacingMode::RefreshPacing);
    const bool music = runtime::sound::MediaStatus() > 0;
    EXPECT_EQ(music, std::filesystem::exists("sfx/introwin.mp3"));
    launcher::openGameScreen(PacingMode::RefreshPacing);
    EXPECT_EQ(screen::State().mode, screen::ScreenMode::FullScreen);
    EXPECT_EQ(screen::State().width, 800);
    EXPECT_EQ(screen::State().height, 600);
    EXPECT_EQ(screen::State().refreshRequest, 60);
    EXPECT_EQ(screen::State().frameRate, 0);
    EXPECT_EQ(runtime::sprites::FindSprite(1), nullptr);  // the pacing pictures are gone
    EXPECT_EQ(gui::WindowHandleOf(1), nullptr);
    screen::PresentFrame(1);
    EXPECT_EQ(runtime::sound::MediaStatus() > 0, music);

    Press({{2, input::KeyDown}, {3, input::KeyReturn}});
    ASSERT_EQ(launcher::runPacingChoice(), PacingMode::TimerPacing);
    launcher::openGameScreen(PacingMode::TimerPacing);
    EXPECT_EQ(screen::State().mode, screen::ScreenMode::FullScreen);
    EXPECT_EQ(screen::State().frameRate, 60);
}

}  // namespace
