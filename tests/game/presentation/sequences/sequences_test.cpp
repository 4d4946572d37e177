// The phases around play on the headless screen with the real game folder: how long they
// run, what ends them, the menu's buttons and pointer, and what carries over between
// visits.
#include "game/presentation/sequences/sequences.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/play/play_state.hpp"
#include "game/presentation/dot_models.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/sequences/phase_state.hpp"
#include "game/presentation/star_field.hpp"
#include "game/scores/high_scores.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/support/random.hpp"
#include "tests/game/presentation/headless_screen.hpp"
#include "tests/game_folder.hpp"

namespace {

using namespace game::presentation;
using runtime::input::KeyEscape;
using runtime::input::KeySpace;
using runtime::input::headless::ScriptEvent;

class Phases : public ::testing::Test {
  protected:
    void SetUp() override {
        ENTER_PLAY_FOLDER();
        StartQuietScreen();
        runtime::support::SeedRandom(3);
        createStarField();
        createDotModels();
    }
    void TearDown() override { StartQuietScreen(); }

    // Presses a key once the phase has shown that many more frames.
    static void PressAfter(std::uint64_t frames, int key) {
        runtime::input::headless::UseScript(
            {ScriptEvent{FramesShown() + frames, ScriptEvent::Kind::KeyDown, key, 0}});
    }

    // Back-buffer pixel against a sprite's own pixel.
    static bool ShowsSprite(int n, int sx, int sy, int x, int y) {
        const auto* sprite = runtime::sprites::FindSprite(n);
        return sprite != nullptr && (sprite->surface->At(sx, sy) & 0xFFFFFFu) ==
                                        (runtime::screen::BackBuffer().At(x, y) & 0xFFFFFFu);
    }
};

TEST_F(Phases, LogoFadesThrough508FramesAndSpaceOrEscapeCutBothPhasesShort) {
    std::uint64_t before = FramesShown();
    runLogo();
    EXPECT_EQ(FramesShown() - before, 508u);
    EXPECT_EQ(Intro().logoAlpha, 0);

    // Half faded in: the logo shows inside its 256 x 256 square and nowhere else.
    Intro().logoAlpha = 128;
    Intro().logoRising = true;
    ASSERT_TRUE(logoFrame());
    std::size_t inside = 0, outside = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            (x >= 272 && x < 528 && y >= 172 && y < 428 ? inside : outside) +=
                ScreenColour(x, y) != 0;
    EXPECT_GT(inside, 5000u);
    EXPECT_EQ(outside, 0u);

    for (const int key : {KeySpace, KeyEscape}) {
        runtime::input::PostKey(key, true);
        before = FramesShown();
        runLogo();
        EXPECT_EQ(FramesShown() - before, 1u);
        runIntro();  // one frame, then the loading picture
        EXPECT_EQ(FramesShown() - before, 3u);
        EXPECT_TRUE(ShowsSprite(900, 10, 10, 10, 220));
        EXPECT_TRUE(ShowsSprite(900, 400, 40, 400, 250));
        runtime::input::PostKey(key, false);
    }
}

TEST_F(Phases, IntroZoomSwingsBetweenOneAndTwoAndTheBandTurnsLeft) {
    runtime::input::PostKey(KeyEscape, true);
    runLogo();  // the introduction's pictures and quads
    runtime::input::PostKey(KeyEscape, false);
    runtime::input::ReadKeyboard();
    Intro().zoom = 1.0f;
    Intro().zoomStep = 0.005f;

    const auto* band = runtime::sprites::FindSprite(1);
    ASSERT_NE(band, nullptr);
    std::vector<std::uint32_t> column0(20), column1(20);
    for (int y = 0; y < 20; ++y) {
        column0[y] = band->surface->At(0, y);
        column1[y] = band->surface->At(1, y);
    }
    std::vector<float> zoom;
    for (int frame = 0; frame < 600; ++frame) {
        ASSERT_TRUE(introFrame());
        zoom.push_back(Intro().zoom);
        if (frame == 0) {
            for (int y = 0; y < 20; ++y) {
                EXPECT_EQ(band->surface->At(0, y), column1[y]);
                EXPECT_EQ(band->surface->At(799, y), column0[y]);
            }
        }
    }
    EXPECT_FLOAT_EQ(zoom[0], 1.005f);
    const auto top = std::max_element(zoom.begin(), zoom.begin() + 400) - zoom.begin();
    EXPECT_NEAR(top, 200, 2);
    EXPECT_GT(zoom[top], 2.0f);
    EXPECT_LT(zoom[top], 2.006f);
    EXPECT_LT(zoom[top + 1], zoom[top]);
    const auto bottom = std::min_element(zoom.begin() + top, zoom.end()) - zoom.begin();
    EXPECT_NEAR(bottom, 402, 3);
    EXPECT_LT(zoom[bottom], 1.0f);
    EXPECT_GT(zoom[bottom], 0.994f);
    EXPECT_GT(zoom.back(), 1.9f);  // on its way up again

    // The clouds are drawn: light around the centre outside the two bands.
    std::size_t lit = 0;
    for (int y = 100; y < 200; ++y)
        for (int x = 200; x < 600; ++x)
            lit += ScreenColour(x, y) != 0;
    EXPECT_GT(lit, 1000u);
}

// A phase's pictures never come from an earlier phase: an entry that a pack cut short, a
// damaged pack or a missing one cannot give leaves its number empty.
TEST_F(Phases, PictureNumbersAPackCannotFillAreEmptied) {
    const auto shown = [](int n) {
        const auto* sprite = runtime::sprites::FindSprite(n);
        return sprite != nullptr && sprite->surface != nullptr;
    };
    const PackTarget targets[] = {
        {PackTarget::Sprite, 700}, {PackTarget::Texture, 701}, {PackTarget::Sprite, 702}};
    LoadPackInto("data\\level1.pak", targets);
    ASSERT_TRUE(shown(700) && shown(701) && shown(702));

    // The pack cut short inside its second entry: the first picture still loads.
    std::ifstream in("data/level1.pak", std::ios::binary);
    std::string pack(std::istreambuf_iterator<char>(in), {});
    const std::uint32_t stored = std::uint8_t(pack[4]) | std::uint8_t(pack[5]) << 8 |
                                 std::uint8_t(pack[6]) << 16 |
                                 std::uint32_t(std::uint8_t(pack[7])) << 24;
    const std::filesystem::path cut = std::filesystem::temp_directory_path() /
                                      ("tessaly-cut-" + std::to_string(::getpid()) + ".pak");
    std::ofstream(cut, std::ios::binary) << pack.substr(0, 8 + stored + 20);
    LoadPackInto(cut.string(), targets);
    std::filesystem::remove(cut);
    EXPECT_TRUE(shown(700));
    EXPECT_FALSE(shown(701));
    EXPECT_FALSE(shown(702));

    LoadPackSprites("data\\level1.pak", 700, 3);
    LoadPackSprites("data\\no-such.pak", 700, 3);
    EXPECT_FALSE(shown(700) || shown(701) || shown(702));
}

class TitleMenu : public Phases {
  protected:
    void SetUp() override {
        Phases::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        enterMenu();
        // The stars far off to the side, so that they plot over no button.
        for (auto& star : Stars().stars)
            star = {-5000.0f, 0.0f, Stars().cameraDepth + 1000.0f};
    }
    static std::optional<MenuChoice> Frames(int n) {
        std::optional<MenuChoice> choice;
        for (int i = 0; i < n && !choice; ++i)
            choice = menuFrame();
        return choice;
    }
};

TEST_F(TitleMenu, SpaceStartsEscapeQuitsAndClosingTheWindowQuits) {
    EXPECT_EQ(Frames(5), std::nullopt);
    runtime::input::PostKey(KeySpace, true);
    EXPECT_EQ(runMenu(), MenuChoice::Start);
    runtime::input::PostKey(KeyEscape, true);
    EXPECT_EQ(Frames(1), MenuChoice::Quit);  // Escape wins over Space
    runtime::input::PostAllKeysUp();
    runtime::screen::State().quitRequested = true;
    EXPECT_EQ(Frames(1), MenuChoice::Quit);
}

TEST_F(TitleMenu, ButtonsLightUnderThePointerAndAClickChooses) {
    // The pointer starts at (200, 200), over Start: its lit picture is shown.
    ASSERT_EQ(Frames(1), std::nullopt);
    EXPECT_TRUE(ShowsSprite(14, 110, 30, 140, 220));
    EXPECT_TRUE(ShowsSprite(10, 110, 30, 405, 220));

    // The click is the button of the last mouse read: it counts from the frame after.
    runtime::input::PostMouseButton(1, true);
    EXPECT_EQ(Frames(1), std::nullopt);
    EXPECT_EQ(Frames(1), MenuChoice::Start);
    EXPECT_EQ(Frames(1), MenuChoice::Start);  // until the mouse is read again
    runtime::input::PostMouseButton(1, false);
    runtime::input::ReadMouse();
    runtime::input::PostMouseMotion(200, 0);
    ASSERT_EQ(Frames(2), std::nullopt);
    EXPECT_EQ(Menu().pointerX, 400);
    EXPECT_TRUE(ShowsSprite(15, 110, 30, 405, 220));
    runtime::input::PostMouseButton(1, true);
    EXPECT_EQ(Frames(2), MenuChoice::Credits);
    runtime::input::PostMouseButton(1, false);
    runtime::input::ReadMouse();
    runtime::input::PostMouseMotion(250, 0);
    ASSERT_EQ(Frames(2), std::nullopt);
    runtime::input::PostMouseButton(1, true);
    EXPECT_EQ(Frames(2), MenuChoice::Quit);
}

TEST_F(TitleMenu, ClickTestIsPixelExact) {
    // Start is 100 x 50 with its left half black; the pointer a 4 x 4 square.
    for (const int n : {9, 14}) {
        MakeSolidSprite(n, 100, 50, n == 9 ? 0xFF0000u : 0x00FF00u);
        runtime::sprites::MakeBlankSprite(990, 50, 50);
        runtime::sprites::SelectTarget(n);
        runtime::sprites::DrawSprite(990, 0, 0);
        runtime::sprites::SelectTarget(-1);
    }
    MakeSolidSprite(13, 4, 4, 0xFFFFFFu);
    Menu().pointerX = 40;  // inside the rectangle, on black only
    Menu().pointerY = 200;
    runtime::input::PostMouseButton(1, true);
    EXPECT_EQ(Frames(5), std::nullopt);
    EXPECT_EQ(ScreenColour(100, 200), 0xFF0000u);  // not lit
    runtime::input::PostMouseMotion(37, 0);        // (77, 200): its last column touches
    EXPECT_EQ(Frames(1), std::nullopt);
    EXPECT_EQ(Frames(1), MenuChoice::Start);
    EXPECT_EQ(ScreenColour(100, 200), 0x00FF00u);
}

TEST_F(TitleMenu, PointerStaysInsideTheScreen) {
    auto move = [](int dx, int dy) {
        runtime::input::PostMouseMotion(dx, dy);
        ASSERT_EQ(Frames(1), std::nullopt);
    };
    move(-199, 0);
    EXPECT_EQ(Menu().pointerX, 1);
    move(-1, -1000);  // both would leave: both dropped
    EXPECT_EQ(Menu().pointerX, 1);
    EXPECT_EQ(Menu().pointerY, 200);
    move(798, 399);
    EXPECT_EQ(Menu().pointerX, 799);
    EXPECT_EQ(Menu().pointerY, 599);
    move(1, 1);
    EXPECT_EQ(Menu().pointerX, 799);
    EXPECT_EQ(Menu().pointerY, 599);
    move(-5, -599);  // y would reach 0: only x moves
    EXPECT_EQ(Menu().pointerX, 794);
    EXPECT_EQ(Menu().pointerY, 599);
}

TEST_F(TitleMenu, ReenteringKeepsTheBackgroundAndRestartsTheRest) {
    Menu().backgroundY = -599;
    runtime::input::PostMouseMotion(30, 30);
    ASSERT_EQ(Frames(1), std::nullopt);
    EXPECT_EQ(Menu().backgroundY, -600);
    ASSERT_EQ(Frames(1), std::nullopt);
    EXPECT_EQ(Menu().backgroundY, 0);  // below -600 it starts over
    ASSERT_EQ(Frames(40), std::nullopt);
    EXPECT_EQ(Menu().frame, 300 + 42 - 29);  // 300 to 328, one a frame
    EXPECT_EQ(Menu().band1, -42);
    EXPECT_EQ(Menu().band2, -84);
    EXPECT_EQ(game::scores::highScoreScrollerRow(), 14);
    enterMenu();
    EXPECT_EQ(Menu().backgroundY, -40);
    EXPECT_EQ(Menu().band1, 0);
    EXPECT_EQ(Menu().band2, 0);
    EXPECT_EQ(Menu().frame, 300);
    EXPECT_EQ(Menu().pointerX, 200);
    EXPECT_EQ(Menu().pointerY, 200);
    EXPECT_EQ(game::scores::highScoreScrollerRow(), 0);
}

class AfterPlay : public Phases {
  protected:
    void SetUp() override {
        Phases::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        tools::headless::PlayOptions options;
        options.frames = 0;  // the play pictures, quads and score digits, no frame
        tools::headless::Play(options);
    }
};

TEST_F(AfterPlay, LevelCompleteEndsByItsTimerOrSpace) {
    game::play::Play().paddleX = 200;
    std::uint64_t before = FramesShown();
    runLevelComplete();
    EXPECT_EQ(FramesShown() - before, 333u);
    EXPECT_EQ(LevelComplete().rise, -130);
    EXPECT_EQ(LevelComplete().driftX, 336);
    EXPECT_EQ(LevelComplete().angle, 333);

    game::play::Play().paddleX = 500;
    runtime::input::PostKey(KeySpace, true);
    before = FramesShown();
    runLevelComplete();
    EXPECT_EQ(FramesShown() - before, 1u);
    EXPECT_EQ(LevelComplete().driftX, 499);
    EXPECT_EQ(LevelComplete().beamAlpha, 82);
    // The score digits of the last play frame stand at (20, 20).
    EXPECT_TRUE(ShowsSprite(300, 16, 16, 20 + 16, 20 + 16));
}

TEST_F(AfterPlay, EndingRunsUntilEscapeAndGoesOnWithTheTextCounter) {
    TextCounter() = 3;
    const std::uint64_t before = FramesShown();
    PressAfter(11, KeyEscape);  // the black frame on entry, then ten frames
    runEnding();
    EXPECT_EQ(FramesShown() - before, 11u);
    EXPECT_EQ(TextCounter(), 3);
    EXPECT_EQ(Ending().textY, 598);
    EXPECT_EQ(Ending().far, -2);
    EXPECT_EQ(Ending().middle, -5);
    EXPECT_EQ(Ending().near, -10);
    EXPECT_EQ(Ending().driftX, 10);
}

TEST_F(Phases, CreditsRingIsKeptAcrossVisitsAndDrawnTwiceMirrored) {
    Credits() = CreditsState{};
    Menu().frame = 320;
    std::uint64_t before = FramesShown();
    PressAfter(101, KeyEscape);  // the loading picture, then a hundred frames
    runCredits();
    EXPECT_EQ(FramesShown() - before, 101u);
    EXPECT_EQ(Menu().frame, 300 + (320 - 300 + 100) % 29);
    EXPECT_EQ(Credits().textY, 590);
    EXPECT_FLOAT_EQ(Credits().a1, 75.0f);

    // Each light has reached its place on a circle tilted by 50 degrees.
    for (int i = 1; i <= 23; ++i) {
        const double theta = i * 360.0 / 23 * 0.0174533, tilt = 50 * 0.0174533;
        const RingPoint& p = Credits().ring[i];
        EXPECT_EQ(p.x, int(std::nearbyint(100 * std::cos(tilt) * std::cos(theta)))) << i;
        EXPECT_EQ(p.y, int(std::nearbyint(100 * std::sin(theta) * std::sin(tilt)))) << i;
        EXPECT_EQ(p.z, 64) << i;
    }

    // A second visit goes on with the turned ring.
    PressAfter(2, KeyEscape);
    runCredits();
    EXPECT_FLOAT_EQ(Credits().a1, 75.75f);

    // Drawn with a single-pixel light, the second copy is the first turned half round
    // about (204, 271) and moved 300 pixels to the right.
    MakeSolidSprite(996, 1, 1, 0xFFFFFFu, runtime::sprites::Texture);
    ASSERT_NE(runtime::quads::MakeQuadSprite(1, 996), nullptr);
    runtime::screen::FillTarget(0, 0, 0);
    runtime::quads::BeginQuadScene();
    runtime::quads::SetQuadBlend(5, 7);
    ringStep();
    runtime::quads::EndQuadScene();
    std::size_t lit = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            if (ScreenColour(x, y) == 0) continue;
            ++lit;
            const int mx = 708 - x, my = 542 - y;
            if (mx >= 0 && mx < 800 && my >= 0 && my < 600) {
                ASSERT_EQ(ScreenColour(mx, my), ScreenColour(x, y)) << x << ", " << y;
            }
        }
    EXPECT_GT(lit, 60u);
    runtime::sprites::DiscardSprite(996);
}

}  // namespace
