#include "game/replays/replay_folder.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "runtime/support/regular_file.hpp"

namespace game::replays {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".replay";
constexpr std::string_view kHighMark = "_high_";

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Ordinary games beyond the most recent ones go, oldest first (the names start with the
// date, so their order is the games' order); so do temporary files a killed program left
// more than an hour ago.
void Prune(const fs::path& folder) {
    std::vector<std::string> ordinary;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        std::error_code kindError;
        if (!entry.is_regular_file(kindError)) continue;
        if (name.starts_with(".") && name.find(".replay.") != std::string::npos) {
            const auto written = entry.last_write_time(kindError);
            if (!kindError && now - written > std::chrono::hours(1))
                fs::remove(entry.path(), kindError);
            continue;
        }
        if (EndsWith(name, kExtension) && name.find(kHighMark) == std::string::npos)
            ordinary.push_back(name);
    }
    if (ordinary.size() <= std::size_t(kRecentGamesKept)) return;
    std::sort(ordinary.begin(), ordinary.end());
    for (std::size_t k = 0; k + kRecentGamesKept < ordinary.size(); ++k)
        fs::remove(folder / ordinary[k], ec);
}

}  // namespace

std::string ReplayFileName(std::string_view date, std::optional<std::string_view> highScoreName,
                           std::int32_t score) {
    // 2026-12-08T17:06:38Z -> 2026-12-08_170638
    std::string stamp;
    for (const char c : date) {
        if (c == 'T')
            stamp += '_';
        else if (c != ':' && c != 'Z')
            stamp += c;
    }
    std::string name = stamp;
    if (highScoreName) {
        name += std::string(kHighMark) + std::to_string(score);
        if (!highScoreName->empty()) name += '_';
        for (const char c : *highScoreName) {
            const bool plain =
                (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            name += plain ? c : '-';
        }
    }
    return name;
}

bool SaveReplay(const std::string& folder, const std::string& name, std::string_view text,
                std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path dir(folder);
    std::string temporary = (dir / ("." + name + ".replay.XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = Failure("cannot write in " + folder);
        return false;
    }
    ::fchmod(fd, 0644);
    bool ok = runtime::support::WriteAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0 && errno != EINTR) ok = false;
    if (!ok) {
        error = Failure("cannot write " + temporary);
        ::unlink(temporary.c_str());
        return false;
    }
    // A game started in the same second as a kept one gets a number after its name.
    for (int n = 1;; ++n) {
        const std::string final =
            (dir / (name + (n == 1 ? "" : "_" + std::to_string(n)) + std::string(kExtension)))
                .string();
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, final.c_str(), RENAME_NOREPLACE) ==
            0)
            break;
        if (errno != EEXIST || n == 100) {
            error = Failure("cannot put " + final + " in place");
            ::unlink(temporary.c_str());
            return false;
        }
    }
    // The new name is safe on the disk only once the folder is written too.
    if (const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    Prune(dir);
    return true;
}

}  // namespace game::replays
