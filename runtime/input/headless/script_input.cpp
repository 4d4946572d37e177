#include "runtime/input/headless/script_input.hpp"

#include <algorithm>
#include <charconv>

#include "runtime/input/input.hpp"
#include "runtime/input/screen_link.hpp"
#include "runtime/support/text.hpp"

namespace runtime::input::headless {
namespace {

using Kind = ScriptEvent::Kind;
using Words = std::vector<std::string_view>;

// Movements and wheel steps stay far from where adding up a frame's worth could overflow.
constexpr int kLargestMovement = 100000;

// Events past this many reads of one frame wait for nothing that happens.
constexpr int kMostReadsInFrame = 1000;

std::vector<ScriptEvent> script;
std::size_t next = 0;
std::uint64_t scriptStart = 0;
void (*extraHandler)(const ScriptEvent&) = nullptr;

const ExtraWord kWindowLines[] = {{"focus", {"in", "out"}}, {"close", {}}};

bool Earlier(const ScriptEvent& l, const ScriptEvent& r) {
    return l.frame < r.frame || (l.frame == r.frame && l.read < r.read);
}

template <typename T>
bool Number(std::string_view word, T& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool Movement(std::string_view word, int& value) {
    return Number(word, value) && value >= -kLargestMovement && value <= kLargestMovement;
}

bool UpDown(std::string_view word, bool& down) {
    if (word == "down") return down = true, true;
    if (word == "up") return down = false, true;
    return false;
}

// "FRAME" or "FRAME+READ".
bool ReadStamp(std::string_view word, ScriptEvent& e) {
    const std::size_t plus = word.find('+');
    if (plus == std::string_view::npos) return Number(word, e.frame);
    return Number(word.substr(0, plus), e.frame) && Number(word.substr(plus + 1), e.read) &&
           e.read >= 1 && e.read <= kMostReadsInFrame;
}

// What an extra word's line looks like: "focus in|out", "close".
std::string Written(const ExtraWord& extra) {
    std::string text = "FRAME " + std::string(extra.word);
    for (std::size_t i = 0; i < extra.values.size(); ++i) {
        text += i == 0 ? " " : "|";
        text += extra.values[i];
    }
    return text;
}

// Every line the script knows, for the message about a line it does not.
std::string EveryLine(std::span<const ExtraWord> extraWords) {
    std::vector<std::string> lines = {"FRAME key K down|up", "FRAME mouse DX DY",
                                      "FRAME button B down|up", "FRAME wheel STEPS"};
    for (const ExtraWord& extra : extraWords)
        lines.push_back(Written(extra));
    std::string text = "expected " + lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i) {
        text += i + 1 == lines.size() ? " or " : ", ";
        text += lines[i];
    }
    return text;
}

// One line's event after its frame; what the line should have been when it cannot be read.
std::string ReadEvent(const Words& w, std::span<const ExtraWord> extraWords, ScriptEvent& e) {
    if (w.size() < 2) return EveryLine(extraWords);
    const std::string_view word = w[1];
    bool down = false;
    if ((word == "key" || word == "button") && w.size() == 4) {
        const bool key = word == "key";
        if (!Number(w[2], e.a) || e.a < (key ? 0 : 1) || e.a > (key ? 255 : 3))
            return key ? "a key number is 0 to 255" : "a button is 1, 2 or 3";
        if (!UpDown(w[3], down)) return "expected down or up";
        if (key) e.kind = down ? Kind::KeyDown : Kind::KeyUp;
        if (!key) e.kind = down ? Kind::ButtonDown : Kind::ButtonUp;
        return {};
    }
    if ((word == "mouse" || word == "move") && w.size() == 4) {
        e.kind = Kind::MouseMove;
        if (Movement(w[2], e.a) && Movement(w[3], e.b)) return {};
        return "mouse movement must be two numbers from -100000 to 100000";
    }
    if (word == "wheel" && w.size() == 3) {
        e.kind = Kind::Wheel;
        if (Movement(w[2], e.a)) return {};
        return "wheel steps must be a number from -100000 to 100000";
    }
    for (std::size_t i = 0; i < extraWords.size(); ++i) {
        const ExtraWord& extra = extraWords[i];
        if (word != extra.word) continue;
        e.kind = Kind::Extra;
        e.a = int(i);
        if (extra.values.empty() && w.size() == 2) return {};
        if (w.size() == 3) {
            const auto value = std::find(extra.values.begin(), extra.values.end(), w[2]);
            e.b = int(value - extra.values.begin());
            if (value != extra.values.end()) return {};
        }
        return "expected " + Written(extra);
    }
    return EveryLine(extraWords);
}

}  // namespace

std::span<const ExtraWord> WindowLines() {
    return kWindowLines;
}

bool ReadScript(std::string_view text, std::vector<ScriptEvent>& out, ScriptError& error,
                std::span<const ExtraWord> extraWords, ScriptLimits limits) {
    std::vector<ScriptEvent> events;
    std::size_t lineNumber = limits.firstLine - 1;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        const Words words = runtime::support::SplitWords(line);
        if (words.empty()) continue;
        ScriptEvent e;
        std::string expected;
        if (!ReadStamp(words[0], e))
            expected = "expected a frame number, with +R (R 1 to " +
                       std::to_string(kMostReadsInFrame) + ") for a later read";
        else if (e.frame < limits.firstFrame)
            expected = "the frame must be " + std::to_string(limits.firstFrame) + " or more";
        else if (e.frame > limits.lastFrame)
            expected = "the frame must be at most " + std::to_string(limits.lastFrame);
        else
            expected = ReadEvent(words, extraWords, e);
        if (!expected.empty()) {
            error = ScriptError{lineNumber, expected};
            return false;
        }
        events.push_back(e);
    }
    std::stable_sort(events.begin(), events.end(), Earlier);
    out = std::move(events);
    return true;
}

bool ParseScript(std::string_view text, std::vector<ScriptEvent>& out, std::string* error) {
    ScriptError why;
    if (ReadScript(text, out, why)) return true;
    if (error) *error = "bad input script line " + std::to_string(why.line);
    return false;
}

void DeliverScriptEvent(const ScriptEvent& e) {
    switch (e.kind) {
        case Kind::KeyDown:
            PostKey(e.a, true);
            break;
        case Kind::KeyUp:
            PostKey(e.a, false);
            break;
        case Kind::MouseMove:
            // A replay's line holds what the recorded read returned, sped up already.
            PostUnscaledMotion(e.a, e.b);
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
        case Kind::Extra:
            break;
    }
}

bool ScriptEventDue(const ScriptEvent& e, ReadPosition at, std::uint64_t firstFrame) {
    if (at.frame < firstFrame) return false;
    const std::uint64_t frame = at.frame - firstFrame;
    return e.frame < frame || (e.frame == frame && e.read <= at.read);
}

void UseScript(std::vector<ScriptEvent> events, std::uint64_t firstFrame,
               void (*extra)(const ScriptEvent&)) {
    std::stable_sort(events.begin(), events.end(), Earlier);
    script = std::move(events);
    next = 0;
    scriptStart = firstFrame;
    extraHandler = extra;
    SetEventPump(&PumpScript);
}

void PumpScript() {
    const ReadPosition at = CurrentReadPosition();
    while (next < script.size() && ScriptEventDue(script[next], at, scriptStart)) {
        const ScriptEvent& e = script[next++];
        if (e.kind == Kind::Extra && extraHandler)
            extraHandler(e);
        else
            DeliverScriptEvent(e);
    }
}

std::size_t PendingScriptEvents() {
    return script.size() - next;
}

}  // namespace runtime::input::headless
