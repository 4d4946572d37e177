#pragma once

#include <array>
#include <cstdint>

// Keyboard and mouse as the game sees them: a snapshot of held keys and the mouse movement
// gathered since the last read, taken once per turn of a frame loop. Key numbers are the
// PC keyboard's set-1 scan codes, extended keys with 0x80 added (Escape 0x01, Enter 0x1C,
// Space 0x39, Up 0xC8, Down 0xD0); the game's code passes these numbers.
namespace runtime::input {

using KeyCode = int;

// Key numbers the game asks for by name.
inline constexpr KeyCode KeyEscape = 0x01;
inline constexpr KeyCode KeyMinus = 0x0C;
inline constexpr KeyCode KeyEquals = 0x0D;  // + with Shift
inline constexpr KeyCode KeyPadMinus = 0x4A;
inline constexpr KeyCode KeyPadPlus = 0x4E;
inline constexpr KeyCode KeyBackspace = 0x0E;
inline constexpr KeyCode KeyReturn = 0x1C;
inline constexpr KeyCode KeyS = 0x1F;
inline constexpr KeyCode KeySpace = 0x39;
inline constexpr KeyCode KeyUp = 0xC8;
inline constexpr KeyCode KeyDown = 0xD0;

struct KeyboardState {
    std::array<std::uint8_t, 256> keys{};      // bit 7 set: down at the last ReadKeyboard
    std::array<std::uint8_t, 256> seenDown{};  // used only by KeyWentUp
    int setupState = 0;                        // 0 no device, 1 made, 2 acquired
    int translate = 0;                         // 1: key questions go through translateTable
    std::array<std::uint8_t, 256> translateTable{};
};

// Nine 32-bit values in this order; the game reads only the movement and button 1.
struct MouseState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t moveX = 0;
    std::int32_t moveY = 0;
    std::int32_t moveWheel = 0;
    std::int32_t button1 = 0;
    std::int32_t button2 = 0;
    std::int32_t button3 = 0;
    std::int32_t wheelStep = 1;
};

// The game's operations. Results are 1 / nonzero for success, 0 for failure.
int InitKeyboardInput();
int ReadKeyboard();
int KeyIsDown(KeyCode key);  // 0x80 or 0; -1 asks for any key 0..254 (1 or 0)
int KeyWentUp(KeyCode key);  // 1 once after a key seen down is up; -1 checks keys 0..254
int InitMouseInput();
int ReadMouse();
int MouseMoveX();
int MouseMoveY();
int MouseButtonDown(int button);  // 1 left, 2 right, 3 middle

// Further mouse operations the game does not call.
int MouseX();
int MouseY();
int MouseWheelSteps();          // moveWheel / wheelStep
void PlaceMouse(int x, int y);  // sets the kept position
void ReleaseMouse();            // hands the mouse back to the desktop; ReadMouse then fails
void CaptureMouse();            // takes it back on the next ReadMouse

// The mouse speed: every count ReadMouse hands out is the device's count times this factor
// (1 by default), the fraction left over carried into the next read, so a slow movement
// still moves the paddle. Wheel steps are not scaled.
void SetMouseSpeed(double factor);
double MouseSpeed();

// The wheel steps since the last read, without reading the mouse: a phase that leaves the
// pointer to the desktop may still answer the wheel. 0 while the screen is in the
// background.
int ReadMouseWheel();

// How many times ReadMouse has been called: the display holds the mouse in a window only
// while the game reads it.
std::uint64_t MouseReads();

// Translation of key numbers before every key question (off in the game).
void SetKeyTranslation(int flag, const std::array<std::uint8_t, 256>& table);

// Program end: forget the devices (the next Init starts from scratch).
void ReleaseMouseInput();
void ReleaseKeyboardInput();

// Read-only views for tests and tools.
const KeyboardState& Keyboard();
const MouseState& Mouse();

// ---- Reads as a recording or a replay sees them. ----

// Where a read happens: the frames presented so far and how many reads (of the keyboard
// and the mouse together) came before it since that frame was shown. The game reads the
// same places in the same order, so a replay that hands each event to the read it was
// recorded at sees exactly what the player's game saw.
struct ReadPosition {
    std::uint64_t frame = 0;
    int read = 0;
};

// The place of the read in progress (or of the last one). Read by event pumps, which run
// inside a read before its results are taken.
ReadPosition CurrentReadPosition();

enum class ReadKind { Keyboard, Mouse };

// Called at the end of every ReadKeyboard and ReadMouse that reached the platform, with
// what it returned (the new state is in Keyboard() and Mouse()). Null removes it.
void SetReadObserver(void (*observer)(ReadKind kind, int result));

// ---- Platform side: what a backend (SDL events, a headless script) feeds in. ----

// Called first by ReadKeyboard and ReadMouse to drain the platform's pending events.
void SetEventPump(void (*pump)());

// A key changed; numbers outside 0..255 are ignored. A key pressed since the last read
// reads as down at the next one even if it was let go before it (a tap shorter than a
// frame); its release shows at the read after.
void PostKey(KeyCode key, bool down);
// Every key is up (the window lost the keyboard).
void PostAllKeysUp();
// Relative mouse motion in device counts; every motion is summed into the next ReadMouse.
void PostMouseMotion(int dx, int dy);
// Motion read as the mouse's but not multiplied by the mouse speed, which is the mouse's
// own: a gamepad's stick and d-pad, and a replay's mouse lines, which hold what the reads
// of the recorded game returned, the speed already applied.
void PostUnscaledMotion(int dx, int dy);
// Button 1 left, 2 right, 3 middle. A click shorter than a frame reads as down once, as a
// tapped key does.
void PostMouseButton(int button, bool down);
void PostMouseWheel(int steps);

}  // namespace runtime::input
