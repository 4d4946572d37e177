#include "runtime/input/gamepad.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>

#include "runtime/input/screen_link.hpp"

namespace runtime::input {
namespace {

constexpr std::size_t kButtons = 7;
// Motion is summed in fractions of a count fine enough for the d-pad's steps to be exact.
constexpr int kSubCounts = 256 * kPadRampFrames;
constexpr int kStickRange = 32767 - kPadDeadZone;

struct Pad {
    std::array<bool, kButtons> held{};
    // Pressed while the current meaning holds: only such a button posts what it stands for.
    std::array<bool, kButtons> armed{};
    std::array<int, kButtons> framesHeld{};  // of the d-pad's directions, for the ramp
    int stickX = 0;
    int stickY = 0;
};

PadMeaning g_meaning;
std::map<int, Pad> g_pads;
std::set<int> g_posted;  // what the pads hold down now: key numbers and kPadLeftButton
std::int64_t g_carryX = 0;
std::int64_t g_carryY = 0;
bool g_frameKnown = false;
std::uint64_t g_lastFrame = 0;

std::size_t Index(PadButton button) {
    return std::size_t(button);
}

int Meaning(const PadMeaning& meaning, std::size_t button) {
    switch (PadButton(button)) {
        case PadButton::South:
            return meaning.south;
        case PadButton::Start:
            return meaning.start;
        case PadButton::Back:
            return meaning.back;
        default:
            return kPadNothing;  // the d-pad only moves
    }
}

void Post(int target, bool down) {
    if (target == kPadLeftButton)
        PostMouseButton(1, down);
    else
        PostKey(target, down);
}

// Posts the difference between what the pads held down and what they hold down now, so
// two pads holding the same button stand for one held key.
void PostChanges() {
    std::set<int> wanted;
    for (const auto& [number, pad] : g_pads) {
        for (std::size_t b = 0; b < kButtons; ++b) {
            const int target = Meaning(g_meaning, b);
            if (pad.held[b] && pad.armed[b] && target != kPadNothing) wanted.insert(target);
        }
    }
    for (const int target : g_posted)
        if (!wanted.count(target)) Post(target, false);
    for (const int target : wanted)
        if (!g_posted.count(target)) Post(target, true);
    g_posted = std::move(wanted);
}

// One axis of the stick in fractions of a count for one frame: nothing in the dead zone, then
// in proportion to the tilt up to the full speed.
std::int64_t StickMotion(int value) {
    const int tilt = std::min(std::abs(value), 32767) - kPadDeadZone;
    if (tilt <= 0) return 0;
    const std::int64_t motion = std::int64_t(tilt) * kPadStickSpeed * kSubCounts / kStickRange;
    return value < 0 ? -motion : motion;
}

// A d-pad direction held for the given frames, in fractions of a count for this frame.
std::int64_t RampMotion(int frames) {
    const int step = std::min(frames, kPadRampFrames);
    return std::int64_t(kPadFirstSpeed) * kSubCounts +
           std::int64_t(kPadTopSpeed - kPadFirstSpeed) * kSubCounts * step / kPadRampFrames;
}

// Whole counts out of the carried sum, the fraction kept (towards zero either way).
int TakeWhole(std::int64_t& carry) {
    const std::int64_t whole = carry / kSubCounts;
    carry -= whole * kSubCounts;
    return int(whole);
}

void StepOneFrame() {
    std::int64_t dx = 0, dy = 0;
    for (auto& [number, pad] : g_pads) {
        dx += StickMotion(pad.stickX);
        dy += StickMotion(pad.stickY);
        const std::pair<PadButton, int> directions[] = {
            {PadButton::Left, 0}, {PadButton::Right, 0}, {PadButton::Up, 1}, {PadButton::Down, 1}};
        for (const auto& [direction, vertical] : directions) {
            const std::size_t b = Index(direction);
            if (!pad.held[b]) continue;
            const std::int64_t move = RampMotion(pad.framesHeld[b]++);
            const bool negative = direction == PadButton::Left || direction == PadButton::Up;
            (vertical ? dy : dx) += negative ? -move : move;
        }
    }
    // At rest nothing is carried over, so the next movement starts afresh.
    if (dx == 0) g_carryX = 0;
    if (dy == 0) g_carryY = 0;
    g_carryX += dx;
    g_carryY += dy;
    const int x = TakeWhole(g_carryX);
    const int y = TakeWhole(g_carryY);
    if (x != 0 || y != 0) PostUnscaledMotion(x, y);
}

}  // namespace

// Differs: a gamepad plays as the mouse and keys do
// (docs/differences.md, Keyboard and mouse)
void SetPadMeaning(const PadMeaning& meaning) {
    if (meaning == g_meaning) return;
    for (auto& [number, pad] : g_pads) {
        for (std::size_t b = 0; b < kButtons; ++b)
            if (Meaning(meaning, b) != Meaning(g_meaning, b)) pad.armed[b] = false;
    }
    g_meaning = meaning;
    if (!meaning.movesPointer) {
        g_carryX = g_carryY = 0;
        for (auto& [number, pad] : g_pads)
            pad.framesHeld = {};
    }
    PostChanges();
}

const PadMeaning& CurrentPadMeaning() {
    return g_meaning;
}

void PostPadButton(int pad, PadButton button, bool down) {
    const std::size_t b = Index(button);
    if (b >= kButtons) return;
    Pad& p = g_pads[pad];
    p.held[b] = down;
    p.armed[b] = down;
    if (!down) p.framesHeld[b] = 0;
    PostChanges();
}

void PostPadStick(int pad, int x, int y) {
    Pad& p = g_pads[pad];
    p.stickX = x;
    p.stickY = y;
}

void ForgetPad(int pad) {
    g_pads.erase(pad);
    PostChanges();
}

void ForgetAllPads() {
    g_pads.clear();
    PostChanges();
    g_carryX = g_carryY = 0;
}

void StepPadFrames() {
    const std::uint64_t frame = CurrentScreen().framesPresented;
    if (!g_frameKnown || frame < g_lastFrame) {
        // A new screen counts from its own start.
        g_frameKnown = true;
        g_lastFrame = frame;
        return;
    }
    // After a long stall the pointer does not leap: a second's worth at most.
    const std::uint64_t frames = std::min<std::uint64_t>(frame - g_lastFrame, 60);
    g_lastFrame = frame;
    if (!g_meaning.movesPointer || g_pads.empty()) return;
    for (std::uint64_t f = 0; f < frames; ++f)
        StepOneFrame();
}

}  // namespace runtime::input
