#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Scripted input for runs without a window: each event carries the frame (the number of
// presented frames) from which it is delivered. The script's pump hands events over when
// ReadKeyboard or ReadMouse runs, so a replay feeds the game exactly as a player would.
namespace runtime::input::headless {

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, MouseMove, ButtonDown, ButtonUp, Wheel };
    std::uint64_t frame = 0;
    Kind kind = Kind::KeyDown;
    int a = 0;  // key number, button, x movement or wheel steps
    int b = 0;  // y movement
};

// Replaces the script and installs its pump as the input's event pump. Events are kept in
// frame order (stable for events of the same frame).
void UseScript(std::vector<ScriptEvent> events);

// Delivers every event whose frame has come (frame <= frames presented so far).
void PumpScript();

// Events not delivered yet.
std::size_t PendingScriptEvents();

// Reads a script, one event per line ('#' starts a comment, blank lines are skipped):
//   <frame> key <number> down|up
//   <frame> move <dx> <dy>
//   <frame> button <1..3> down|up
//   <frame> wheel <steps>
// Returns false on the first bad line (with its number in *error) and leaves out alone.
bool ParseScript(std::string_view text, std::vector<ScriptEvent>& out, std::string* error);

}  // namespace runtime::input::headless
