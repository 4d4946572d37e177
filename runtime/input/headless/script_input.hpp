#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/input/input.hpp"

// Scripted input for runs without a window: each event carries the frame (the number of
// presented frames) from which it is delivered. The script's pump hands events over when
// ReadKeyboard or ReadMouse runs, so a replay feeds the game exactly as a player would.
namespace runtime::input::headless {

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, MouseMove, ButtonDown, ButtonUp, Wheel, Extra };
    std::uint64_t frame = 0;
    Kind kind = Kind::KeyDown;
    int a = 0;     // key number, button, x movement, wheel steps, or the extra word's place
    int b = 0;     // y movement, or the place of the extra word's value
    int read = 0;  // delivered at the frame's read of this number (0 its first), or later
};

// A word a program adds to the script's own, with the values that may follow it ("focus"
// with "out" and "in") or none ("close"). Its lines become Extra events: a is the word's
// place among the extra words, b the value's place among its values.
struct ExtraWord {
    std::string_view word;
    std::vector<std::string_view> values;
};

// The window's lines, which recordings write and every replay and the headless tool read:
// "FRAME focus in|out" (the full screen gains or loses the keyboard) and "FRAME close" (the
// player closes the window). Their Extra events carry these places.
std::span<const ExtraWord> WindowLines();
inline constexpr int kFocusLine = 0;
inline constexpr int kFocusIn = 0;
inline constexpr int kCloseLine = 1;

// Where a script cannot be read: the line, counted from 1, and what it should have been.
struct ScriptError {
    std::size_t line = 0;
    std::string expected;
};

// Reads a script, one event per line ('#' starts a comment, blank lines are skipped):
//   FRAME key K down|up      K a key number, 0 to 255
//   FRAME mouse DX DY        mouse movement, each -100000 to 100000 (also "move")
//   FRAME button B down|up   B 1 (left), 2 (right) or 3 (middle)
//   FRAME wheel STEPS        wheel steps, -100000 to 100000
// and the lines of extraWords ("FRAME WORD [VALUE]"). FRAME is a number from firstFrame
// to lastFrame, optionally followed by "+R" (R 1 to 1000: the event waits for the R-th read
// after the frame's first, as recordings write it). The events come out in the order of
// their frame and read, those of one read in the script's order. On the first bad line:
// false, error says where and why (its line counted from firstLine), and out is left
// alone.
struct ScriptLimits {
    std::uint64_t firstFrame = 0;
    std::uint64_t lastFrame = UINT64_MAX;
    std::size_t firstLine = 1;
};
bool ReadScript(std::string_view text, std::vector<ScriptEvent>& out, ScriptError& error,
                std::span<const ExtraWord> extraWords = {}, ScriptLimits limits = {});

// ReadScript with the input's own words only; *error is "bad input script line N".
bool ParseScript(std::string_view text, std::vector<ScriptEvent>& out, std::string* error);

// Hands one event to the input as a device would. Extra events are the program's own to
// deliver and are passed over.
void DeliverScriptEvent(const ScriptEvent& event);

// True when the event's read has come: its frame, counted from firstFrame presented
// frames, has been shown, and in that frame at least its number of reads came before.
bool ScriptEventDue(const ScriptEvent& event, ReadPosition at, std::uint64_t firstFrame = 0);

// Replaces the script and installs its pump as the input's event pump. Events are kept in
// frame and read order (stable for events of the same read). The script's frame 0 is the
// firstFrame-th frame presented; its Extra events go to extra (or are passed over).
void UseScript(std::vector<ScriptEvent> events, std::uint64_t firstFrame = 0,
               void (*extra)(const ScriptEvent&) = nullptr);

// Delivers every event whose read has come.
void PumpScript();

// Events not delivered yet.
std::size_t PendingScriptEvents();

}  // namespace runtime::input::headless
