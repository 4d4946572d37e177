#include "runtime/input/read_log.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "runtime/input/input.hpp"
#include "runtime/input/screen_link.hpp"

namespace runtime::input {
namespace {

constexpr std::int64_t kLargestLineMove = 100000;

struct Log {
    std::string* out = nullptr;
    std::uint64_t firstFrame = 0;
    std::array<std::uint8_t, 256> keys{};  // bit 7: down as last written
    std::array<std::int32_t, 3> buttons{};
    bool active = true;
    bool closed = false;
};

Log g_log;

void Number(std::string& out, std::int64_t value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

// The start of a line: where the read happens.
std::string& Line(ReadPosition at) {
    std::string& out = *g_log.out;
    Number(out, std::int64_t(at.frame - g_log.firstFrame));
    if (at.read > 0) {
        out += '+';
        Number(out, at.read);
    }
    return out;
}

void UpDown(const char* what, int number, bool down, ReadPosition at) {
    std::string& out = Line(at);
    out += what;
    Number(out, number);
    out += down ? " down\n" : " up\n";
}

void Observe(ReadKind kind, int result) {
    const ReadPosition at = CurrentReadPosition();
    const ScreenInfo screen = CurrentScreen();
    // Window events first: losing the focus lets go of every key, which a replay must do
    // before it hands in this read's keys.
    if (screen.active != g_log.active) {
        g_log.active = screen.active;
        Line(at) += screen.active ? " focus in\n" : " focus out\n";
    }
    if (screen.quitRequested && !g_log.closed) {
        g_log.closed = true;
        Line(at) += " close\n";
    }
    if (kind == ReadKind::Keyboard) {
        const auto& keys = Keyboard().keys;
        if (std::memcmp(keys.data(), g_log.keys.data(), keys.size()) == 0) return;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k] == g_log.keys[k]) continue;
            g_log.keys[k] = keys[k];
            UpDown(" key ", int(k), (keys[k] & 0x80) != 0, at);
        }
        return;
    }
    // A mouse read that failed changed nothing, and the replay's fails alike.
    if (result == 0) return;
    const MouseState& mouse = Mouse();
    // A script line moves at most kLargestLineMove either way; a larger read is split
    // into lines that add up to it.
    std::int64_t x = mouse.moveX, y = mouse.moveY;
    while (x != 0 || y != 0) {
        const std::int64_t dx = std::clamp<std::int64_t>(x, -kLargestLineMove, kLargestLineMove);
        const std::int64_t dy = std::clamp<std::int64_t>(y, -kLargestLineMove, kLargestLineMove);
        std::string& out = Line(at);
        out += " mouse ";
        Number(out, dx);
        out += ' ';
        Number(out, dy);
        out += '\n';
        x -= dx;
        y -= dy;
    }
    const std::int32_t buttons[3] = {mouse.button1, mouse.button2, mouse.button3};
    for (std::size_t b = 0; b < 3; ++b) {
        if (buttons[b] == g_log.buttons[b]) continue;
        g_log.buttons[b] = buttons[b];
        UpDown(" button ", int(b + 1), buttons[b] != 0, at);
    }
    for (std::int64_t w = mouse.moveWheel; w != 0;) {
        const std::int64_t steps = std::clamp<std::int64_t>(w, -kLargestLineMove, kLargestLineMove);
        std::string& out = Line(at);
        out += " wheel ";
        Number(out, steps);
        out += '\n';
        w -= steps;
    }
}

}  // namespace

void StartReadLog(std::string& out) {
    out.clear();
    out.reserve(64 * 1024);
    g_log = Log{};
    g_log.out = &out;
    g_log.firstFrame = CurrentScreen().framesPresented;
    SetReadObserver(&Observe);
}

void StopReadLog() {
    SetReadObserver(nullptr);
    g_log.out = nullptr;
}

bool ReadLogRunning() {
    return g_log.out != nullptr;
}

std::uint64_t ReadLogFrames() {
    return g_log.out ? CurrentScreen().framesPresented - g_log.firstFrame : 0;
}

}  // namespace runtime::input
