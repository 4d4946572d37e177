#include "runtime/input/sdl/sdl_input.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/input/input.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"

namespace ri = runtime::input;
using runtime::input::sdl::KeyNumberOfScancode;

namespace {

int NumberOfKeyName(const char* name) {
    const SDL_Scancode scancode = SDL_GetScancodeFromName(name);
    EXPECT_NE(scancode, SDL_SCANCODE_UNKNOWN) << name;
    return KeyNumberOfScancode(scancode);
}

}  // namespace

TEST(SdlKeys, PcKeyboardNumbers) {
    // Letters by keyboard row, as the scan codes run along the rows.
    const std::pair<const char*, int> rows[] = {
        {"QWERTYUIOP", 0x10}, {"ASDFGHJKL", 0x1E}, {"ZXCVBNM", 0x2C}};
    for (const auto& [row, first] : rows) {
        for (int i = 0; row[i] != 0; ++i) {
            const char name[2] = {row[i], 0};
            EXPECT_EQ(NumberOfKeyName(name), first + i) << name;
        }
    }
    const char* digits = "1234567890";
    for (int i = 0; i < 10; ++i) {
        const char name[2] = {digits[i], 0};
        EXPECT_EQ(NumberOfKeyName(name), 0x02 + i) << name;
    }
    EXPECT_EQ(NumberOfKeyName("Return"), 0x1C);
    EXPECT_EQ(NumberOfKeyName("Escape"), 0x01);
    EXPECT_EQ(NumberOfKeyName("Space"), 0x39);
    EXPECT_EQ(NumberOfKeyName("Backspace"), 0x0E);
    EXPECT_EQ(NumberOfKeyName("Up"), 0xC8);
    EXPECT_EQ(NumberOfKeyName("Down"), 0xD0);
    EXPECT_EQ(NumberOfKeyName("Left"), 0xCB);
    EXPECT_EQ(NumberOfKeyName("Right"), 0xCD);

    // No two keys share a number, and nothing outside the table has one.
    std::set<int> seen;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        const int number = KeyNumberOfScancode(SDL_Scancode(s));
        if (number < 0) continue;
        EXPECT_LT(number, 256);
        EXPECT_TRUE(seen.insert(number).second) << "scancode " << s << " repeats " << number;
    }
    EXPECT_GT(seen.size(), 100u);
    EXPECT_EQ(KeyNumberOfScancode(SDL_Scancode(-1)), -1);
    EXPECT_EQ(KeyNumberOfScancode(SDL_NUM_SCANCODES), -1);
}

namespace {

void PumpSdlEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        runtime::input::sdl::HandleEvent(event);
}

void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void PushMotion(int dx, int dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void PushButton(Uint8 button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

}  // namespace

TEST(SdlEvents, QueuedEventsReachTheGameThroughThePump) {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    runtime::screen::headless::UseHeadlessDisplay();
    ASSERT_NE(runtime::screen::InitSpriteEngine(), 0);
    ASSERT_NE(runtime::screen::OpenFullScreen(800, 600, 32, ""), 0);
    ri::InitKeyboardInput();
    ri::InitMouseInput();
    ri::SetEventPump(&PumpSdlEvents);

    PushKey(SDL_SCANCODE_ESCAPE, true);
    PushKey(SDL_SCANCODE_UP, true);
    PushMotion(-30, 0);
    PushMotion(10, 7);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_EQ(ri::ReadKeyboard(), 1);  // drains the queue, mouse events included
    EXPECT_EQ(ri::KeyIsDown(ri::KeyEscape), 0x80);
    EXPECT_EQ(ri::KeyIsDown(ri::KeyUp), 0x80);
    EXPECT_EQ(ri::KeyWentUp(ri::KeyUp), 0);
    ASSERT_EQ(ri::ReadMouse(), 1);
    EXPECT_EQ(ri::MouseMoveX(), -20);
    EXPECT_EQ(ri::MouseMoveY(), 7);
    EXPECT_EQ(ri::MouseButtonDown(1), 1);

    PushKey(SDL_SCANCODE_UP, false);
    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_MIDDLE, true);
    ri::ReadKeyboard();
    ri::ReadMouse();
    EXPECT_EQ(ri::KeyIsDown(ri::KeyUp), 0);
    EXPECT_EQ(ri::KeyWentUp(ri::KeyUp), 1);
    EXPECT_EQ(ri::KeyIsDown(ri::KeyEscape), 0x80);
    EXPECT_EQ(ri::MouseButtonDown(1), 0);
    EXPECT_EQ(ri::MouseButtonDown(3), 1);

    // Losing the keyboard lets go of every key.
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&focus), 1);
    ri::ReadKeyboard();
    EXPECT_EQ(ri::KeyIsDown(-1), 0);

    ri::SetEventPump(nullptr);
    runtime::screen::CloseScreenDisplay();
    SDL_Quit();
}
