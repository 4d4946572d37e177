#include "runtime/input/headless/script_input.hpp"

#include <algorithm>
#include <charconv>

#include "runtime/input/input.hpp"
#include "runtime/input/screen_link.hpp"
#include "runtime/support/text.hpp"

namespace runtime::input::headless {
namespace {

std::vector<ScriptEvent> script;
std::size_t next = 0;

void Deliver(const ScriptEvent& e) {
    using Kind = ScriptEvent::Kind;
    switch (e.kind) {
        case Kind::KeyDown:
            PostKey(e.a, true);
            break;
        case Kind::KeyUp:
            PostKey(e.a, false);
            break;
        case Kind::MouseMove:
            PostMouseMotion(e.a, e.b);
            break;
        case Kind::ButtonDown:
            PostMouseButton(e.a, true);
            break;
        case Kind::ButtonUp:
            PostMouseButton(e.a, false);
            break;
        case Kind::Wheel:
            PostMouseWheel(e.a);
            break;
    }
}

template <typename T>
bool Number(std::string_view word, T& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool UpDown(std::string_view word, bool& down) {
    if (word == "down") return down = true, true;
    if (word == "up") return down = false, true;
    return false;
}

bool ParseLine(const std::vector<std::string_view>& w, ScriptEvent& e) {
    using Kind = ScriptEvent::Kind;
    if (w.size() < 3 || !Number(w[0], e.frame)) return false;
    bool down = false;
    if (w[1] == "key" && w.size() == 4) {
        if (!Number(w[2], e.a) || e.a < 0 || e.a > 255 || !UpDown(w[3], down)) return false;
        e.kind = down ? Kind::KeyDown : Kind::KeyUp;
        return true;
    }
    if (w[1] == "move" && w.size() == 4) {
        e.kind = Kind::MouseMove;
        return Number(w[2], e.a) && Number(w[3], e.b);
    }
    if (w[1] == "button" && w.size() == 4) {
        if (!Number(w[2], e.a) || e.a < 1 || e.a > 3 || !UpDown(w[3], down)) return false;
        e.kind = down ? Kind::ButtonDown : Kind::ButtonUp;
        return true;
    }
    if (w[1] == "wheel" && w.size() == 3) {
        e.kind = Kind::Wheel;
        return Number(w[2], e.a);
    }
    return false;
}

}  // namespace

void UseScript(std::vector<ScriptEvent> events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& l, const ScriptEvent& r) { return l.frame < r.frame; });
    script = std::move(events);
    next = 0;
    SetEventPump(&PumpScript);
}

void PumpScript() {
    const std::uint64_t frame = CurrentScreen().framesPresented;
    while (next < script.size() && script[next].frame <= frame)
        Deliver(script[next++]);
}

std::size_t PendingScriptEvents() {
    return script.size() - next;
}

bool ParseScript(std::string_view text, std::vector<ScriptEvent>& out, std::string* error) {
    std::vector<ScriptEvent> events;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        const auto words = runtime::support::SplitWords(line);
        if (words.empty()) continue;
        ScriptEvent e;
        if (!ParseLine(words, e)) {
            if (error) *error = "bad input script line " + std::to_string(lineNumber);
            return false;
        }
        events.push_back(e);
    }
    out = std::move(events);
    return true;
}

}  // namespace runtime::input::headless
