#include "editor/level_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"
#include "runtime/support/regular_file.hpp"
#include "runtime/support/text.hpp"

namespace editor {

namespace fs = std::filesystem;
namespace levels = game::levels;
using runtime::support::TextNumber;

namespace {

std::string Failure(const std::string& path, const std::string& what) {
    return "\"" + path + "\": " + what;
}

// The one spelling of a cell the editor writes itself; every other line is kept verbatim.
Cell CellFromLine(const std::string& line) {
    if (line == "000") return Cell::Empty();
    for (int code = levels::kFirstBrickCode; code <= levels::kLastBrickCode; ++code)
        if (line == std::to_string(code)) return Cell::Brick(code);
    return Cell::Odd(line);
}

std::string CellLine(const Cell& cell) {
    if (cell.odd) return *cell.odd;
    return cell.code == 0 ? "000" : std::to_string(cell.code);
}

// Why a path cannot be read as a level, or empty when it can.
std::string Unreadable(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return "no such file";
    if (ec) return ec.message();
    if (status.type() == fs::file_type::directory) return "is a folder, not a level file";
    if (status.type() != fs::file_type::regular) return "is not a regular file";
    // Opened as the game's files are: a pipe put in its place since cannot hold it up.
    const int probe = runtime::support::OpenRegularFile(path);
    if (probe < 0) return std::string("cannot be read: ") + std::strerror(errno);
    close(probe);
    return {};
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

}  // namespace

std::optional<Level> OpenLevel(const std::string& path, std::string& error) {
    if (const std::string why = Unreadable(path); !why.empty()) {
        error = Failure(path, why);
        return std::nullopt;
    }
    const auto lines = levels::ReadLevelFileLines(path);
    Level level;
    for (int i = 0; i < kCells; ++i)
        level.cells[std::size_t(i)] = CellFromLine(lines[std::size_t(1 + i)]);
    level.background = TextNumber(lines[161]);
    // Only the value 1 switches a hazard on.
    level.barrier = TextNumber(lines[162]) == 1;
    level.descent = TextNumber(lines[163]) == 1;
    // The game keeps the low 16 bits; a value that is not the grid's count was chosen.
    const auto left = std::int16_t(TextNumber(lines[0]));
    if (left != LevelDocument(level).BricksLeft()) level.manualBricksLeft = left;
    return level;
}

std::string LevelText(const LevelDocument& document) {
    const Level& level = document.level();
    std::string text;
    const auto line = [&text](const std::string& s) { text += s + "\r\n"; };
    line(std::to_string(document.BricksLeft()));
    for (const Cell& cell : level.cells)
        line(CellLine(cell));
    line(std::to_string(level.background));
    line(level.barrier ? "1" : "0");
    line(level.descent ? "1" : "0");
    return text;
}

bool SaveLevel(const LevelDocument& document, const std::string& path, std::string& error) {
    // Through a link, the file it points to is replaced, not the link.
    std::error_code ec;
    fs::path target = fs::weakly_canonical(path, ec);
    if (ec) target = path;
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "." + std::string.
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string temp = (target.parent_path() / hidden).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = Failure(path, std::string("cannot be written: ") + std::strerror(errno));
        return false;
    }
    // Keep the old file's permissions; a new level is readable by all, like other files.
    struct stat old {};
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, LevelText(document)) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        error = Failure(path, std::string("cannot be written: ") + std::strerror(saved));
    }
    return ok;
}

}  // namespace editor
