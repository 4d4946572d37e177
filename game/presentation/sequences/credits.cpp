// The credits: a scrolling backdrop, the title menu's animation, a turning ring of lights
// drawn twice, two text pages rolling up, and the star field over everything.
#include <bit>
#include <cmath>
#include <cstdint>

#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/sequences/phase_state.hpp"
#include "game/presentation/star_field.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace game::presentation {

namespace {

namespace quads = runtime::quads;
namespace sprites = runtime::sprites;

CreditsState g_credits;

// Degrees to radians for the ring, a float a hair above pi / 180.
constexpr float kRingRadians = 0.0174533f;
static_assert(std::bit_cast<std::uint32_t>(kRingRadians) == 0x3C8EFA39u);

float Sin(float degrees) {
    return std::sin(degrees * kRingRadians);
}

float Cos(float degrees) {
    return std::cos(degrees * kRingRadians);
}

int Nearest(float v) {
    return int(std::nearbyint(v));
}

// One unit a frame towards the target; both tests run, in this order.
void Approach(int& value, int target) {
    if (target > value) ++value;
    if (target < value) --value;
}

// Sprites of "data\credits.pak": the title, the first page, the ring's light (the texture
// of quad sprite 1), the backdrop and the second page.
constexpr int kTitle = 0;
constexpr int kFirstPage = 2;
constexpr int kRingLight = 3;
constexpr int kBackdrop = 4;  // 800 x 600, scrolled up
constexpr int kSecondPage = 5;
constexpr int kRingLightQuad = 1;

constexpr PackTarget kCreditsPack[] = {
    {PackTarget::Sprite, kTitle},      {PackTarget::Sprite, kFirstPage},
    {PackTarget::Texture, kRingLight}, {PackTarget::Sprite, kBackdrop},
    {PackTarget::Sprite, kSecondPage},
};

constexpr int kRingPoints = 23;
constexpr float kScales[3] = {512.0f, 256.0f, 64.0f};

}  // namespace

CreditsState& Credits() {
    return g_credits;
}

void ringStep() {
    CreditsState& s = g_credits;
    for (int i = 1; i <= kRingPoints; ++i) {
        RingPoint& p = s.ring[i];
        Approach(p.x, p.targetX);
        Approach(p.y, p.targetY);
        Approach(p.z, p.targetZ);
    }
    s.a1 += 0.75f;
    s.a2 += 0.75f;
    s.a3 += 0.75f;
    const float s1 = Sin(s.a1), c1 = Cos(s.a1);
    const float s2 = Sin(s.a2), c2 = Cos(s.a2);
    const float s3 = Sin(s.a3), c3 = Cos(s.a3);
    for (int i = 1; i <= kRingPoints; ++i) {
        RingPoint& p = s.ring[i];
        // The next frame's targets: a circle tilted by 50 degrees.
        const float theta = float(i) * 360.0f / 23.0f;
        p.targetX = Nearest((10.0f * Cos(50.0f)) * (10.0f * Cos(theta)));
        p.targetY = Nearest((10.0f * Sin(theta)) * (10.0f * Sin(50.0f)));
        p.targetZ = Nearest(100.0f * Cos(50.0f));

        const float X = float(p.x), Y = float(p.y), Z = float(p.z);
        const float y1 = Y * c1 - Z * s1, z1 = Y * s1 + Z * c1;
        const float x2 = X * c2 - z1 * s2, z2 = X * s2 + z1 * c2;
        const float x3 = x2 * c3 - y1 * s3, y3 = x2 * s3 + y1 * c3;
        const float depth = 240.0f - z2;
        for (const float scale : kScales) {
            const int px = Nearest(x3 * scale / depth + 320.0f);
            const int py = Nearest(-(y3 * scale / depth) + 240.0f);
            quads::DrawQuadSprite(kRingLightQuad, px - 116, py + 31, 140);
        }
        // The mirror image: the same ring turned half round, 300 pixels to the right.
        for (const float scale : kScales) {
            const int px = Nearest(-x3 * scale / depth + 320.0f);
            const int py = Nearest(y3 * scale / depth + 240.0f);
            quads::DrawQuadSprite(kRingLightQuad, px + 184, py + 31, 140);
        }
    }
}

bool creditsFrame() {
    CreditsState& s = g_credits;
    runtime::screen::FillTarget(0, 0, 0);
    sprites::DrawSprite(kBackdrop, 0, s.backdropY);
    sprites::DrawSprite(kBackdrop, 0, s.backdropY + 600);
    if (--s.backdropY <= -600) s.backdropY = 0;
    if (runtime::sound::MediaStatus() == 0) {
        runtime::sound::SeekMedia(0);
        runtime::sound::PlayMedia(0);
    }
    // The title menu's animation, going on from its frame.
    int& frame = Menu().frame;
    sprites::DrawSpriteKeyed(frame, 0, 130);
    if (++frame == kAnimationEnd) frame = kFirstAnimationFrame;

    quads::BeginQuadScene();
    quads::SetQuadBlend(5, 7);
    ringStep();
    quads::EndQuadScene();

    sprites::DrawSpriteKeyed(kTitle, 0, 15);
    sprites::DrawSpriteKeyed(kFirstPage, 0, s.textY);
    sprites::DrawSpriteKeyed(kSecondPage, 0, s.textY + 600);
    int& counter = TextCounter();
    if (++counter == 5) {
        counter = 0;
        --s.textY;
    }
    if (s.textY < -1200) s.textY = 600;
    drawStarField();
    runtime::screen::PresentFrame();
    runtime::input::ReadKeyboard();
    return runtime::input::KeyIsDown(runtime::input::KeyEscape) == 0 && !QuitRequested();
}

void runCredits() {
    CreditsState& s = g_credits;
    s.backdropY = 0;
    runtime::screen::FillTarget(0, 0, 0);
    sprites::DrawSprite(kLoadingPicture, 0, 210);
    runtime::screen::PresentFrame();
    runtime::support::WaitMilliseconds(1000);
    LoadPackSprites("data\\wat.pak", kFirstAnimationFrame, kAnimationFrames);
    LoadPackInto("data\\credits.pak", kCreditsPack);
    s.textY = 610;
    TextCounter() = 0;
    quads::MakeQuadSprite(kRingLightQuad, kRingLight);
    runtime::sound::LoadMedia(0, "sfx\\high.mp3");
    runtime::sound::PlayMedia(0);
    runtime::support::WaitMilliseconds(500);
    while (creditsFrame()) {
    }
}

}  // namespace game::presentation
