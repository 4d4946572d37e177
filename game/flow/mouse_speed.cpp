#include "game/flow/mouse_speed.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "game/flow/program.hpp"
#include "game/presentation/font.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"

namespace game::flow {
namespace {

namespace input = runtime::input;

// The font's glyphs for the banner lie this far above the character codes: during a level
// the codes' own numbers hold the play pack's pictures (the bricks, the banner itself).
constexpr int kBannerFont = 6000;
// The line inside the opaque band, below the banner's own two lines.
constexpr int kSpeedLineY = 362;
// The decimal point: a small square in the glyphs' pale cyan, on their baseline.
constexpr int kPointWidth = 16;
constexpr int kPointSize = 5;
constexpr std::uint32_t kPointColour = 140 + 230 * 256 + 255 * 65536;

constexpr double kSlowest = 0.25;
constexpr double kFastest = 4.0;

SettingsSteps g_settings;
bool g_fasterHeld = false;
bool g_slowerHeld = false;

bool FasterKeyDown() {
    return input::KeyIsDown(input::KeyEquals) || input::KeyIsDown(input::KeyPadPlus);
}
bool SlowerKeyDown() {
    return input::KeyIsDown(input::KeyMinus) || input::KeyIsDown(input::KeyPadMinus);
}

// "1.0", "1.25", "0.5": two decimals at most, one at least.
std::string SpeedText(double speed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", speed);
    std::string shown = text;
    while (shown.size() > 3 && shown.back() == '0' && shown[shown.size() - 2] != '.')
        shown.pop_back();
    return shown;
}

void DrawPoint(int x, int y) {
    runtime::screen::DrawingOutput* output = runtime::screen::OpenScreenDrawing();
    if (!output || !runtime::screen::BeginDrawing(output)) return;
    for (int dy = 0; dy < kPointSize; ++dy)
        for (int dx = 0; dx < kPointSize; ++dx)
            runtime::screen::PlotPixel(x + dx, y + dy, kPointColour);
    runtime::screen::EndDrawing();
}

void DrawSpeed(double speed) {
    const std::string number = SpeedText(speed);
    const std::size_t point = number.find('.');
    const std::string before = "mouse speed " + number.substr(0, point);
    const std::string after = number.substr(point + 1);
    const int width = int(before.size() + after.size()) * 32 + kPointWidth;
    int x = (800 - width) / 2;
    presentation::DrawText(x, kSpeedLineY, before, kBannerFont);
    x += int(before.size()) * 32;
    DrawPoint(x + (kPointWidth - kPointSize) / 2, kSpeedLineY + 22);
    presentation::DrawText(x + kPointWidth, kSpeedLineY, after, kBannerFont);
}

}  // namespace

double steppedMouseSpeed(double speed, int steps) {
    // In quarters; a speed just off a quarter by rounding counts as on it.
    const double quarters = speed * 4.0;
    double next =
        steps > 0 ? std::floor(quarters + 1e-6) + steps : std::ceil(quarters - 1e-6) + steps;
    return std::clamp(next / 4.0, kSlowest, kFastest);
}

// Differs: the pause banner shows and changes the mouse speed
// (docs/differences.md, Keyboard and mouse)
void mouseSpeedOverBanner(int frame) {
    if (frame == 0) {
        presentation::LoadFont(kBannerFont);
        // Keys held as the banner comes up, and wheel turns from before, change nothing.
        g_fasterHeld = FasterKeyDown();
        g_slowerHeld = SlowerKeyDown();
        input::ReadMouseWheel();
    }
    // More than a screenful of wheel turns in one frame goes all the way anyway.
    int steps = std::clamp(input::ReadMouseWheel(), -15, 15);
    const bool faster = FasterKeyDown() != 0;
    const bool slower = SlowerKeyDown() != 0;
    if (faster && !g_fasterHeld) ++steps;
    if (slower && !g_slowerHeld) --steps;
    g_fasterHeld = faster;
    g_slowerHeld = slower;

    const double speed = input::MouseSpeed();
    double next = speed;
    for (; steps > 0; --steps)
        next = steppedMouseSpeed(next, 1);
    for (; steps < 0; ++steps)
        next = steppedMouseSpeed(next, -1);
    if (next != speed) {
        input::SetMouseSpeed(next);
        if (g_settings.mouseSpeedChanged) g_settings.mouseSpeedChanged(next);
    }
    DrawSpeed(next);
}

void setSettingsSteps(const SettingsSteps& steps) {
    g_settings = steps;
}

}  // namespace game::flow
