#include "play_fixture.hpp"

#include <algorithm>

#include "../../runtime/sound/test_waves.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"
#include "runtime/support/random.hpp"

namespace tessaly_test {

std::uint32_t SpriteColour(int n) {
    return runtime::screen::PixelOfColour(0x100000u + std::uint32_t(n) * 3u + 1u);
}

void PlayTest::SetUp() {
    static bool started = false;
    if (!started) {
        started = true;
        runtime::screen::headless::UseHeadlessDisplay(false);
        runtime::sound::headless::UseHeadlessSound(true);
        runtime::support::SkipWaits(true);
        ASSERT_TRUE(runtime::screen::InitSpriteEngine());
        runtime::quads::InitQuadSprites();
        runtime::input::InitKeyboardInput();
        runtime::input::InitMouseInput();
        ASSERT_TRUE(runtime::sound::InitSoundOutput());
        ASSERT_TRUE(runtime::screen::OpenFullScreen(800, 600, 32, ""));
        for (int n = 0; n <= 12; ++n) {
            const auto wave = MakeWave({2, 44100, 16, Pcm16(Signature(64, n)), {}, {}});
            ASSERT_TRUE(runtime::sound::LoadSoundFromMemory(n, wave.data(), wave.size()));
        }
    }
    struct Size {
        int n, width, height;
    };
    std::vector<Size> sizes = {{0, 12, 12},  {35, 12, 12},  {1, 52, 16},    {22, 75, 16},
                               {24, 26, 16}, {25, 52, 16},  {75, 800, 20},  {27, 4, 12},
                               {44, 12, 28}, {17, 100, 40}, {900, 800, 100}};
    for (int n = 100; n <= 106; ++n)
        sizes.push_back({n, 31, 30});
    for (int n : {19, 21, 23, 26, 34, 42, 43, 46, 69, 70, 71, 72})
        sizes.push_back({n, 16, 16});
    for (int n : {47, 48, 49, 349, 350, 351})
        sizes.push_back({n, n < 100 ? 800 : 8, n < 100 ? 60 : 8});
    for (const Size& size : sizes) {
        ASSERT_TRUE(runtime::sprites::MakeBlankSprite(size.n, size.width, size.height));
        auto& pixels = runtime::sprites::FindSprite(size.n)->surface->pixels;
        std::fill(pixels.begin(), pixels.end(), SpriteColour(size.n));
    }
    game::state::GameState& game = game::state::Game();
    game = game::state::GameState{};
    game.lives = 3;
    game.levelNumber = 1;
    game::play::Play() = game::play::PlayState{};
    game::play::ResetLevelState();
    game::play::Play().introCounter = 300;
    runtime::support::NewList(game::levels::Bricks());
    runtime::support::SeedRandom(1);
    runtime::input::PostAllKeysUp();
    runtime::input::PostMouseButton(1, false);
    runtime::input::ReadKeyboard();
    runtime::input::ReadMouse();
    runtime::screen::FillTarget(0, 0, 0);
    runtime::sound::headless::ClearSoundStarts();
}

void PlayTest::AddBrick(int code, int x, int y, int hits) {
    *runtime::support::AddElement(game::levels::Bricks()) = {std::uint8_t(code), x, y, hits};
}

void PlayTest::Aim(game::play::Ball& ball, int x, int y, int dx, int dy) {
    // The cooldowns stay as the ball left them.
    ball.active = true;
    ball.x = x - dx;
    ball.y = y - dy;
    ball.dx = dx;
    ball.dy = dy;
}

game::play::Ball PlayTest::BallAt(int x, int y, int dx, int dy) {
    return game::play::Ball{x, y, dx, dy, true, {}, {}};
}

std::vector<int> PlayTest::TakeSounds() {
    std::vector<int> sounds;
    for (const auto& start : runtime::sound::headless::SoundStarts())
        sounds.push_back(start.sound);
    runtime::sound::headless::ClearSoundStarts();
    return sounds;
}

int PlayTest::PeekRandom(int max) {
    const auto saved = runtime::support::CurrentRandomState();
    const int value = runtime::support::RandomUpTo(max);
    runtime::support::RestoreRandomState(saved);
    return value;
}

void PlayTest::ArrangeRandom(int max, int value) {
    while (PeekRandom(max) != value)
        runtime::support::RandomUpTo(max);
}

std::uint64_t PlayTest::Presented() {
    return runtime::screen::State().framesPresented;
}

std::uint32_t PlayTest::Pixel(int x, int y) {
    return runtime::screen::BackBuffer().At(x, y) & 0xFFFFFFu;
}

void PlayTest::HoldButton() {
    runtime::input::PostMouseButton(1, true);
    runtime::input::ReadMouse();
}

}  // namespace tessaly_test
