#include "game/replays/replay_file.hpp"

#include <charconv>

#include "runtime/support/text.hpp"

namespace game::replays {
namespace {

using Words = std::vector<std::string_view>;

constexpr std::string_view kMagic = "tessaly-replay";
constexpr std::int32_t kLargestCarried = 100000;

template <typename T>
bool Number(std::string_view word, T& value, int base = 10) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value, base);
    return !word.empty() && ec == std::errc() && ptr == end;
}

void Hex(std::string& out, std::uint32_t value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value, 16).ptr;
    out.append(text, end);
}

// A level line keeps its bytes; those a line of words cannot hold (blanks, controls, bytes
// above 126) and the percent sign itself are written as %XX.
std::string Escaped(std::string_view line) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '%') {
            out += '%';
            out += kDigits[byte >> 4];
            out += kDigits[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescaped(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 3 > text.size() || !Number(text.substr(i + 1, 2), value, 16)) return false;
        out += char(value);
        i += 2;
    }
    return true;
}

// The file's lines one by one, each without its ending, counted from 1.
class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool Next(std::string_view& line) {
        if (rest_.empty()) return false;
        const std::size_t end = rest_.find('\n');
        line = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }
    std::string_view rest() const { return rest_; }

  private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

// Reads the header line by line; the first wrong line stops it.
class HeaderReader {
  public:
    HeaderReader(Lines& lines, ReplayError& error) : lines_(lines), error_(error) {}

    // The next line's words after its key; false (with the error set) when the line is
    // missing or has another key or the wrong number of words.
    bool Take(std::string_view key, std::size_t values, Words& words, const std::string& shape) {
        std::string_view line;
        if (!lines_.Next(line)) return Fail("the replay is cut short: expected " + shape, 1);
        words = runtime::support::SplitWords(line);
        if (words.empty() || words[0] != key || words.size() != values + 1)
            return Fail("expected " + shape);
        words.erase(words.begin());
        return true;
    }
    bool Fail(const std::string& what, std::size_t after = 0) {
        error_ = ReplayError{lines_.number() + after, what};
        return false;
    }

  private:
    Lines& lines_;
    ReplayError& error_;
};

bool Choice(std::string_view word, std::string_view first, std::string_view second, bool& isFirst) {
    if (word == first) return isFirst = true, true;
    if (word == second) return isFirst = false, true;
    return false;
}

bool ReadHeader(Lines& lines, ReplayHeader& h, ReplayError& error) {
    HeaderReader in(lines, error);
    Words w;
    std::string_view first;
    const bool any = lines.Next(first);
    if (!any || runtime::support::SplitWords(first).size() != 2 ||
        runtime::support::SplitWords(first)[0] != kMagic)
        return in.Fail("not a Tessaly replay (it starts with \"tessaly-replay 1\")", any ? 0 : 1);
    int version = 0;
    const std::string_view given = runtime::support::SplitWords(first)[1];
    if (!Number(given, version) || version < 1)
        return in.Fail("not a Tessaly replay (its format version is not a number from 1)");
    if (version > kFormatVersion)
        return in.Fail("format version " + std::string(given) + " is newer than this game reads (" +
                       std::to_string(kFormatVersion) + ")");

    if (!in.Take("game", 1, w, "game VERSION")) return false;
    h.gameVersion = w[0];
    if (!in.Take("date", 1, w, "date YYYY-MM-DDTHH:MM:SSZ")) return false;
    h.date = w[0];
    bool full = true;
    if (!in.Take("mode", 1, w, "mode full-game|level-file") ||
        (!Choice(w[0], "full-game", "level-file", full) &&
         !in.Fail("expected mode full-game|level-file")))
        return false;
    h.mode = full ? state::PlayMode::FullGame : state::PlayMode::SingleLevel;
    if (!in.Take("start", 1, w, "start menu|launcher") ||
        (!Choice(w[0], "menu", "launcher", h.fromMenu) && !in.Fail("expected start menu|launcher")))
        return false;
    if (!in.Take("level", 1, w, "level N (1 to 15)")) return false;
    if (!Number(w[0], h.startLevel) || h.startLevel < 1 || h.startLevel > 15)
        return in.Fail("expected level N (1 to 15)");
    bool refresh = true;
    if (!in.Take("pacing", 1, w, "pacing refresh|timer") ||
        (!Choice(w[0], "refresh", "timer", refresh) && !in.Fail("expected pacing refresh|timer")))
        return false;
    h.pacing = refresh ? state::PacingMode::RefreshPacing : state::PacingMode::TimerPacing;

    const std::string randomShape = "random I J and 34 words in hexadecimal (I and J 0 to 16)";
    if (!in.Take("random", 36, w, randomShape)) return false;
    if (!Number(w[0], h.random.i) || !Number(w[1], h.random.j) || h.random.i < 0 ||
        h.random.i > 16 || h.random.j < 0 || h.random.j > 16)
        return in.Fail("expected " + randomShape);
    for (std::size_t k = 0; k < 17; ++k)
        if (!Number(w[2 + k], h.random.low[k], 16) || !Number(w[19 + k], h.random.high[k], 16))
            return in.Fail("expected " + randomShape);

    // Positions, timers and flags: far inside what a counter can reach in any game without
    // overflowing, however long it runs.
    const std::string carryShape = "carry and " + std::to_string(play::kCarriedValues) +
                                   " whole numbers from -" + std::to_string(kLargestCarried) +
                                   " to " + std::to_string(kLargestCarried);
    if (!in.Take("carry", play::kCarriedValues, w, carryShape)) return false;
    for (std::size_t k = 0; k < play::kCarriedValues; ++k)
        if (!Number(w[k], h.carried[k]) || h.carried[k] < -kLargestCarried ||
            h.carried[k] > kLargestCarried)
            return in.Fail("expected " + carryShape);

    bool smooth = false;
    if (!in.Take("glows", 1, w, "glows smooth|plain") ||
        (!Choice(w[0], "smooth", "plain", smooth) && !in.Fail("expected glows smooth|plain")))
        return false;
    h.smoothGlows = smooth;

    h.levelLines.clear();
    if (h.mode == state::PlayMode::SingleLevel) {
        const std::string lineShape = "level-line TEXT (" +
                                      std::to_string(levels::kLevelFileLines) +
                                      " of them, the level file the game was played on)";
        for (int k = 0; k < levels::kLevelFileLines; ++k) {
            std::string_view line;
            if (!lines.Next(line))
                return in.Fail("the replay is cut short: expected " + lineShape, 1);
            const Words words = runtime::support::SplitWords(line);
            std::string text;
            if (words.empty() || words[0] != "level-line" || words.size() > 2 ||
                !Unescaped(words.size() == 2 ? words[1] : std::string_view(), text))
                return in.Fail("not a level file: expected " + lineShape);
            if (text.size() > levels::kLevelLineKeep)
                return in.Fail("not a level file: a line holds at most " +
                               std::to_string(levels::kLevelLineKeep) + " characters");
            h.levelLines.push_back(std::move(text));
        }
    }
    return in.Take("input", 0, w, "input (the line before the recorded input)");
}

bool ReadEnd(std::string_view line, ReplayEnd& end) {
    const Words w = runtime::support::SplitWords(line);
    if (w.size() != 5 || w[0] != "end") return false;
    const auto value = [&](std::size_t k, std::string_view key) {
        return w[k].substr(0, key.size()) == key ? w[k].substr(key.size()) : std::string_view();
    };
    bool menu = true;
    if (!Number(value(1, "frames="), end.frames) || end.frames > kLongestGame ||
        !Number(value(2, "score="), end.score) || !Number(value(3, "level="), end.level) ||
        !Choice(value(4, "by="), "menu", "quit", menu))
        return false;
    end.by = menu ? GameEnd::Menu : GameEnd::Quit;
    return true;
}

}  // namespace

std::string ReplayText(const ReplayHeader& h, std::string_view input, const ReplayEnd& end) {
    std::string out;
    out.reserve(input.size() + 1024);
    out += std::string(kMagic) + " " + std::to_string(kFormatVersion) + "\n";
    out += "game " + h.gameVersion + "\n";
    out += "date " + h.date + "\n";
    out += h.mode == state::PlayMode::FullGame ? "mode full-game\n" : "mode level-file\n";
    out += h.fromMenu ? "start menu\n" : "start launcher\n";
    out += "level " + std::to_string(h.startLevel) + "\n";
    out += h.pacing == state::PacingMode::RefreshPacing ? "pacing refresh\n" : "pacing timer\n";
    out += "random " + std::to_string(h.random.i) + " " + std::to_string(h.random.j);
    for (const std::uint32_t word : h.random.low)
        Hex(out += ' ', word);
    for (const std::uint32_t word : h.random.high)
        Hex(out += ' ', word);
    out += "\ncarry";
    for (const std::int32_t value : h.carried)
        out += " " + std::to_string(value);
    out += h.smoothGlows ? "\nglows smooth\n" : "\nglows plain\n";
    if (h.mode == state::PlayMode::SingleLevel)
        for (const std::string& line : h.levelLines)
            out += line.empty() ? "level-line\n" : "level-line " + Escaped(line) + "\n";
    out += "input\n";
    out += input;
    out += "end frames=" + std::to_string(end.frames) + " score=" + std::to_string(end.score) +
           " level=" + std::to_string(end.level) +
           (end.by == GameEnd::Menu ? " by=menu\n" : " by=quit\n");
    return out;
}

bool ReadReplay(std::string_view text, Replay& replay, ReplayError& error) {
    Lines lines(text);
    if (!ReadHeader(lines, replay.header, error)) return false;
    replay.inputFirstLine = lines.number() + 1;
    const std::string_view input = lines.rest();
    // The end line is the last line that holds anything.
    std::string_view line, last;
    std::size_t lastNumber = 0;
    while (lines.Next(line)) {
        if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
        last = line;
        lastNumber = lines.number();
    }
    if (!last.starts_with("end")) {
        error = ReplayError{lines.number() + 1, "the replay is cut short: it has no end line"};
        return false;
    }
    if (!ReadEnd(last, replay.end)) {
        error = ReplayError{lastNumber,
                            "expected end frames=N score=S level=V by=menu|quit (N at most " +
                                std::to_string(kLongestGame) + ")"};
        return false;
    }
    replay.input = input.substr(0, std::size_t(last.data() - input.data()));
    return true;
}

std::string LevelFileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace game::replays
