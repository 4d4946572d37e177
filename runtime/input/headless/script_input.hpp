#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Scripted input for runs without a window: each event carries the frame (the number of
// presented frames) from which it is delivered. The script's pump hands events over when
// ReadKeyboard or ReadMouse runs, so a replay feeds the game exactly as a player would.
namespace runtime::input::headless {

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, MouseMove, ButtonDown, ButtonUp, Wheel, Extra };
    std::uint64_t frame = 0;
    Kind kind = Kind::KeyDown;
    int a = 0;  // key number, button, x movement, wheel steps, or the extra word's place
    int b = 0;  // y movement, or the place of the extra word's value
};

// A word a program adds to the script's own, with the values that may follow it ("focus"
// with "out" and "in") or none ("close"). Its lines become Extra events: a is the word's
// place among the extra words, b the value's place among its values.
struct ExtraWord {
    std::string_view word;
    std::vector<std::string_view> values;
};

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
// on. The events come out in frame order, those of one frame in the script's order. On
// the first bad line: false, error says where and why, and out is left alone.
bool ReadScript(std::string_view text, std::vector<ScriptEvent>& out, ScriptError& error,
                std::span<const ExtraWord> extraWords = {}, std::uint64_t firstFrame = 0);

// ReadScript with the input's own words only; *error is "bad input script line N".
bool ParseScript(std::string_view text, std::vector<ScriptEvent>& out, std::string* error);

// Hands one event to the input as a device would. Extra events are the program's own to
// deliver and are passed over.
void DeliverScriptEvent(const ScriptEvent& event);

// Replaces the script and installs its pump as the input's event pump. Events are kept in
// frame order (stable for events of the same frame).
void UseScript(std::vector<ScriptEvent> events);

// Delivers every event whose frame has come (frame <= frames presented so far).
void PumpScript();

// Events not delivered yet.
std::size_t PendingScriptEvents();

}  // namespace runtime::input::headless
