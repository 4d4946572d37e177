#include "runtime/input/input.hpp"

#include <cmath>
#include <cstdint>

#include "runtime/input/gamepad.hpp"
#include "runtime/input/screen_link.hpp"
#include "runtime/support/program.hpp"

namespace runtime::input {
namespace {

// Differs: a tap shorter than a frame is never lost (docs/differences.md, Keyboard and mouse)
// What the platform has reported since the last read. Keys are held states; the mouse
// keeps the sum of its motion and the last state of each button, which is what applying
// every buffered event in order would give. Besides, every key and button remembers
// whether it went down since the last read: a tap shorter than a frame still reads as down
// once, then as up at the read after.
struct Pending {
    std::array<std::uint8_t, 256> held{};
    std::array<std::uint8_t, 256> pressed{};
    std::int64_t moveX = 0;
    std::int64_t moveY = 0;
    std::int64_t unscaledX = 0;  // a gamepad's or a replay's motion: not sped up
    std::int64_t unscaledY = 0;
    std::int64_t moveWheel = 0;
    std::array<int, 3> button{-1, -1, -1};  // -1: no event since the last read
    std::array<bool, 3> buttonPressed{};
    std::array<bool, 3> buttonHeld{};  // by the events, read or not: tells a new press
};

struct MouseDevice {
    int setupState = 0;  // 0 no device, 1 needs set-up, 2 ready
    int released = 0;
    int cursorShown = 1;
    bool acquired = false;
    // A click read as down whose button is already up again: the next read lets it go,
    // even after reads that failed meanwhile, so the button is never left down.
    std::array<bool, 3> releaseDue{};
};

// The mouse speed and the fractions of a count it left over, carried into the next read.
struct Speed {
    double factor = 1.0;
    double carryX = 0.0;
    double carryY = 0.0;
};

KeyboardState keyboard;
MouseState mouse;
MouseDevice mouseDevice;
Pending pending;
Speed speed;
std::uint64_t mouseReads = 0;
void (*eventPump)() = nullptr;
void (*readObserver)(ReadKind, int) = nullptr;
ReadPosition position;
bool anyRead = false;

// Counts the read that starts, then lets the platform hand in what it has.
void Pump() {
    const std::uint64_t frame = CurrentScreen().framesPresented;
    if (!anyRead || frame != position.frame) {
        position = ReadPosition{frame, 0};
        anyRead = true;
    } else {
        ++position.read;
    }
    if (eventPump) eventPump();
    StepPadFrames();
}

int Observed(ReadKind kind, int result) {
    if (readObserver) readObserver(kind, result);
    return result;
}

int Translated(KeyCode key) {
    if (key < 0 || key > 255) return -1;
    return keyboard.translate == 1 ? keyboard.translateTable[std::size_t(key)] : key;
}

void DropPendingMouse() {
    pending.moveX = pending.moveY = pending.moveWheel = 0;
    pending.unscaledX = pending.unscaledY = 0;
    pending.button = {-1, -1, -1};
    pending.buttonPressed = {};
}

void DropPendingKeys() {
    pending.held = {};
    pending.pressed = {};
}

std::int32_t Saturate(std::int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return std::int32_t(v);
}

// Differs: the mouse speed multiplies the counts (docs/differences.md, Keyboard and mouse)
// The counts moved times the speed, the fraction carried on. At speed 1 the counts pass
// unchanged, so play is the same as without a speed.
std::int64_t Scaled(std::int64_t counts, double& carry) {
    if (speed.factor == 1.0) return counts;
    const double exact = double(counts) * speed.factor + carry;
    if (exact >= 9.0e18 || exact <= -9.0e18) {
        carry = 0.0;
        return exact > 0 ? INT64_MAX / 2 : INT64_MIN / 2;  // far beyond any read, safe to add to
    }
    const double whole = std::trunc(exact);
    carry = exact - whole;
    return std::int64_t(whole);
}

// Keeps a coordinate inside 0..limit-1 (0 when there is no screen to keep it in).
std::int32_t Clamp(std::int64_t v, int limit) {
    if (v < 0) return 0;
    if (v >= limit) return limit > 0 ? limit - 1 : 0;
    return std::int32_t(v);
}

}  // namespace

int InitKeyboardInput() {
    keyboard = KeyboardState{};
    DropPendingKeys();
    keyboard.setupState = 1;
    support::AddShutdownRelease(support::ShutdownStage::Keyboard, ReleaseKeyboardInput);
    return 1;
}

int ReadKeyboard() {
    if (keyboard.setupState == 0) return 0;
    Pump();
    keyboard.setupState = 2;
    // What is held now, and what was pressed since the last read even if it is already
    // let go again: its release shows at the next read.
    for (std::size_t k = 0; k < 256; ++k)
        keyboard.keys[k] = (pending.held[k] || pending.pressed[k]) ? 0x80 : 0;
    pending.pressed = {};
    return Observed(ReadKind::Keyboard, 1);
}

int KeyIsDown(KeyCode key) {
    if (key == -1) {
        // Kept: key 255 is left out of "any key".
        for (std::size_t k = 0; k < 255; ++k) {
            if (keyboard.keys[k] & 0x80) return 1;
        }
        return 0;
    }
    const int k = Translated(key);
    if (k < 0) return 0;
    return keyboard.keys[std::size_t(k)] & 0x80;
}

namespace {
int WentUpStep(int k) {
    auto& seen = keyboard.seenDown[std::size_t(k)];
    if (keyboard.keys[std::size_t(k)] & 0x80) {
        seen = 1;
        return 0;
    }
    if (seen == 1) {
        seen = 0;
        return 1;
    }
    return 0;
}
}  // namespace

int KeyWentUp(KeyCode key) {
    if (key == -1) {
        // Every key takes its step, so a release is not left pending behind another.
        int any = 0;
        for (int k = 0; k < 255; ++k)
            any |= WentUpStep(k);
        return any;
    }
    const int k = Translated(key);
    if (k < 0) return 0;
    return WentUpStep(k);
}

int InitMouseInput() {
    mouse = MouseState{};
    mouseDevice = MouseDevice{};
    mouseDevice.setupState = 1;
    speed.carryX = speed.carryY = 0.0;
    DropPendingMouse();
    pending.buttonHeld = {};
    support::AddShutdownRelease(support::ShutdownStage::Mouse, ReleaseMouseInput);
    return 1;
}

int ReadMouse() {
    if (mouseDevice.setupState == 0) return 0;
    ++mouseReads;
    Pump();
    mouse.moveX = mouse.moveY = mouse.moveWheel = 0;
    const ScreenInfo screen = CurrentScreen();
    if (!screen.active || mouseDevice.released) {
        // The mouse belongs to the desktop now: what it does meanwhile is not the game's.
        mouseDevice.acquired = false;
        DropPendingMouse();
        speed.carryX = speed.carryY = 0.0;
        return Observed(ReadKind::Mouse, 0);
    }
    if (mouseDevice.setupState == 1) {
        mouseDevice.setupState = 2;
        mouseDevice.acquired = true;
        mouse.wheelStep = 1;
    } else if (!mouseDevice.acquired) {
        // The first read after the screen came back takes the mouse again and reports no
        // movement, so the paddle does not jump by what happened elsewhere.
        mouseDevice.acquired = true;
        DropPendingMouse();
        speed.carryX = speed.carryY = 0.0;
        return Observed(ReadKind::Mouse, 0);
    }
    mouse.moveX = Saturate(Scaled(pending.moveX, speed.carryX) + pending.unscaledX);
    mouse.moveY = Saturate(Scaled(pending.moveY, speed.carryY) + pending.unscaledY);
    mouse.moveWheel = Saturate(pending.moveWheel);
    std::int32_t* buttons[3] = {&mouse.button1, &mouse.button2, &mouse.button3};
    for (std::size_t b = 0; b < 3; ++b) {
        bool& releaseDue = mouseDevice.releaseDue[b];
        if (pending.buttonPressed[b]) {
            *buttons[b] = 1;
            releaseDue = pending.button[b] == 0;
        } else if (pending.button[b] >= 0) {
            *buttons[b] = pending.button[b];
            releaseDue = false;
        } else if (releaseDue) {
            *buttons[b] = 0;
            releaseDue = false;
        }
    }
    DropPendingMouse();
    mouse.x = Clamp(std::int64_t(mouse.x) + mouse.moveX, screen.width);
    mouse.y = Clamp(std::int64_t(mouse.y) + mouse.moveY, screen.height);
    return Observed(ReadKind::Mouse, 1);
}

int MouseMoveX() {
    return mouse.moveX;
}
int MouseMoveY() {
    return mouse.moveY;
}

int MouseButtonDown(int button) {
    switch (button) {
        case 1:
            return mouse.button1;
        case 2:
            return mouse.button2;
        case 3:
            return mouse.button3;
        default:
            return 0;
    }
}

int MouseX() {
    return mouse.x;
}
int MouseY() {
    return mouse.y;
}
int MouseWheelSteps() {
    return mouse.wheelStep != 0 ? mouse.moveWheel / mouse.wheelStep : 0;
}

void PlaceMouse(int x, int y) {
    const ScreenInfo screen = CurrentScreen();
    mouse.x = Clamp(x, screen.width);
    mouse.y = Clamp(y, screen.height);
}

void ReleaseMouse() {
    mouseDevice.released = 1;
}
void CaptureMouse() {
    mouseDevice.released = 0;
}

void SetMouseSpeed(double factor) {
    if (!(factor > 0.0) || factor > 1000.0) return;
    speed = Speed{};
    speed.factor = factor;
}

double MouseSpeed() {
    return speed.factor;
}

int ReadMouseWheel() {
    if (mouseDevice.setupState == 0) return 0;
    Pump();
    const std::int64_t steps = pending.moveWheel;
    pending.moveWheel = 0;
    if (!CurrentScreen().active) return 0;
    return mouse.wheelStep != 0 ? Saturate(steps / mouse.wheelStep) : 0;
}

std::uint64_t MouseReads() {
    return mouseReads;
}

void SetKeyTranslation(int flag, const std::array<std::uint8_t, 256>& table) {
    keyboard.translate = flag;
    keyboard.translateTable = table;
}

void ReleaseMouseInput() {
    mouseDevice = MouseDevice{};
    DropPendingMouse();
    pending.buttonHeld = {};
}

void ReleaseKeyboardInput() {
    keyboard.setupState = 0;
    DropPendingKeys();
}

const KeyboardState& Keyboard() {
    return keyboard;
}
const MouseState& Mouse() {
    return mouse;
}

void SetEventPump(void (*pump)()) {
    eventPump = pump;
}

ReadPosition CurrentReadPosition() {
    return position;
}

void SetReadObserver(void (*observer)(ReadKind, int)) {
    readObserver = observer;
}

void PostKey(KeyCode key, bool down) {
    if (key < 0 || key > 255) return;
    const std::size_t k = std::size_t(key);
    // Only a key that was up is newly pressed; the repeats of a held key are not.
    if (down && !pending.held[k]) pending.pressed[k] = 1;
    pending.held[k] = down ? 1 : 0;
}

// Differs: keys held when the focus goes count as released
// (docs/differences.md, Keyboard and mouse)
void PostAllKeysUp() {
    DropPendingKeys();
}

void PostUnscaledMotion(int dx, int dy) {
    pending.unscaledX += dx;
    pending.unscaledY += dy;
}

void PostMouseMotion(int dx, int dy) {
    pending.moveX += dx;
    pending.moveY += dy;
}

void PostMouseButton(int button, bool down) {
    if (button < 1 || button > 3) return;
    const std::size_t b = std::size_t(button - 1);
    if (down && !pending.buttonHeld[b]) pending.buttonPressed[b] = true;
    pending.buttonHeld[b] = down;
    pending.button[b] = down ? 1 : 0;
}

void PostMouseWheel(int steps) {
    pending.moveWheel += steps;
}

}  // namespace runtime::input
