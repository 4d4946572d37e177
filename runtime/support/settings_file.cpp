#include "runtime/support/settings_file.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "runtime/support/regular_file.hpp"

namespace runtime::support {
namespace {

// Far beyond any settings file the game writes; a longer one is read only this far and
// never rewritten, so the player's own lines after it are not lost.
constexpr std::size_t kFileLimit = 64 * 1024;

struct Line {
    std::string text;  // as in the file, without its '\n'
    std::string key;   // empty for comments, blank and bad lines
    std::string value;
    bool bad = false;  // neither a setting nor a comment, a section or a blank line
};

std::string Trim(std::string_view text) {
    const char* spaces = " \t\r";
    const std::size_t first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(spaces);
    return std::string(text.substr(first, last - first + 1));
}

// A line's text for a message: its first 60 bytes, control and non-ASCII bytes as \xNN.
std::string Shown(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < 60; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            shown += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    if (text.size() > 60) shown += "...";
    return shown;
}

bool Ignorable(const std::string& trimmed) {
    return trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';' || trimmed[0] == '[';
}

std::vector<Line> SplitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t start = 0;
    // A byte-order mark some text editors put first is no part of the first key.
    const bool marked = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        Line line;
        line.text = bytes.substr(start, end - start);
        const std::string trimmed =
            Trim(std::string_view(line.text).substr(marked && start == 0 ? 3 : 0));
        const std::size_t equals = trimmed.find('=');
        if (!Ignorable(trimmed) && equals != std::string::npos) {
            line.key = Trim(std::string_view(trimmed).substr(0, equals));
            line.value = Trim(std::string_view(trimmed).substr(equals + 1));
        }
        line.bad = !Ignorable(trimmed) && line.key.empty();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// The file's bytes: true with them, true and empty when there is no file, false with a
// message when it is there but cannot be read. `whole` turns false for a file over the
// limit, of which only the beginning is kept.
bool ReadBytes(const std::string& path, std::string& bytes, bool& whole, std::string& error) {
    bytes.clear();
    whole = true;
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        error = path + ": cannot be read (" +
                (errno == EISDIR   ? std::string("a folder")
                 : errno == ENODEV ? std::string("not a regular file")
                                   : std::string(std::strerror(errno))) +
                ")";
        return false;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = path + ": cannot be read (" + std::strerror(errno) + ")";
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.append(buffer, std::size_t(n));
        if (bytes.size() > kFileLimit) {
            whole = false;
            // Only whole lines: the one cut off at the limit is left out.
            bytes.resize(kFileLimit);
            bytes.resize(bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1);
            break;
        }
    }
    ::close(fd);
    return true;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

}  // namespace

std::string SettingsPath() {
    // A relative XDG_CONFIG_HOME is to be ignored, as the desktop's base folders say.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return std::string(config) + "/tessaly/settings.ini";
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    return home + "/.config/tessaly/settings.ini";
}

Settings ReadSettings(const std::string& path, std::vector<std::string>& problems) {
    Settings settings;
    std::string bytes;
    bool whole = true;
    std::string error;
    if (!ReadBytes(path, bytes, whole, error)) {
        problems.push_back(error + "; using the default settings");
        return settings;
    }
    if (!whole) problems.push_back(path + ": longer than 64 KiB; only its first lines are read");
    const std::vector<Line> lines = SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const std::string where = path + ":" + std::to_string(i + 1) + ": ";
        if (line.key.empty()) {
            if (line.bad)
                problems.push_back(where + "not a \"key = value\" line: " + Shown(line.text));
            continue;
        }
        const std::string value = Lower(line.value);
        const char* expected = nullptr;
        if (line.key == "display") {
            if (value == "fullscreen" || value == "window")
                settings.window = value == "window";
            else
                expected = "fullscreen or window";
        } else if (line.key == "window_scale") {
            int scale = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), scale);
            if (ec == std::errc() && end == value.data() + value.size() && scale >= 1 &&
                scale <= kWindowScaleMax)
                settings.windowScale = scale;
            else
                expected = "a whole number from 1 to 16";
        } else if (line.key == "mouse_speed") {
            double speed = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), speed);
            if (ec == std::errc() && end == value.data() + value.size() &&
                speed >= kMouseSpeedMin && speed <= kMouseSpeedMax)
                settings.mouseSpeed = speed;
            else
                expected = "a number from 0.25 to 4.0";
        } else if (line.key == "crisp_pixels") {
            if (value == "yes" || value == "no")
                settings.crispPixels = value == "yes";
            else
                expected = "yes or no";
        }
        if (expected)
            problems.push_back(where + "bad value \"" + Shown(line.value) + "\" for " + line.key +
                               " (" + expected + "); ignored");
    }
    return settings;
}

std::string DisplayValue(bool window) {
    return window ? "window" : "fullscreen";
}

std::string MouseSpeedValue(double speed) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, speed);
    std::string value(text, ec == std::errc() ? end : text);
    if (value.find_first_of(".e") == std::string::npos) value += ".0";
    return value;
}

bool WriteSetting(const std::string& path, std::string_view key, std::string_view value,
                  std::string& error) {
    if (path.empty()) {
        error = "no home folder to keep the settings in";
        return false;
    }
    // Through a link (a folder of dotfiles, say) the file it points at is replaced, and the
    // link stays.
    std::error_code ec;
    std::string target = path;
    if (std::filesystem::is_symlink(path, ec))
        target = std::filesystem::weakly_canonical(path, ec).string();
    if (ec || target.empty()) target = path;

    std::string bytes;
    bool whole = true;
    if (!ReadBytes(target, bytes, whole, error)) {
        error += "; the setting is not saved";
        return false;
    }
    if (!whole) {
        error = path + ": longer than 64 KiB; the setting is not saved, so as not to cut it";
        return false;
    }
    std::string text;
    bool written = false;
    for (const Line& line : SplitLines(bytes)) {
        if (line.key == key) {
            text += std::string(key) + " = " + std::string(value) + "\n";
            written = true;
        } else {
            text += line.text + "\n";
        }
    }
    if (!written) text += std::string(key) + " = " + std::string(value) + "\n";

    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = path + ": cannot make the folder " + folder.string() + " (" + ec.message() + ")";
        return false;
    }
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = path + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    bool ok = ::fchmod(fd, existed ? (old.st_mode & 07777) : 0644) == 0 && WriteAll(fd, text) &&
              ::fsync(fd) == 0;
    int cause = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        cause = errno;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        cause = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        error = path + ": cannot be written (" + std::strerror(cause) + "); the old file is kept";
        return false;
    }
    return true;
}

}  // namespace runtime::support
