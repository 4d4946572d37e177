#include "runtime/support/file_set.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "runtime/support/files.hpp"
#include "runtime/support/path.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::support {
namespace {

// A mark names a handful of files; anything larger is not a mark a save wrote.
constexpr std::size_t kMarkLimit = 4096;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BareName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool NotThere(int error) {
    return error == ENOENT || error == ENOTDIR;
}

// The whole file, or false when it cannot be read or is larger than a mark.
bool ReadSmall(int fd, std::string& text) {
    char buffer[kMarkLimit + 1];
    std::size_t got = 0;
    while (got < sizeof buffer) {
        const ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += std::size_t(n);
    }
    text.assign(buffer, got);
    return got <= kMarkLimit;
}

}  // namespace

FileSet::FileSet(std::initializer_list<std::string_view> fileNames, std::string_view markName)
    : markGameName_(markName), markPath_(PlatformPath(markName)), folder_(FolderOf(markPath_)) {
    for (const std::string_view name : fileNames)
        members_.push_back({std::string(name), PlatformPath(name), {}});
}

FileSet::~FileSet() {
    for (const Member& member : members_)
        if (!member.replacement.empty()) ::unlink(member.replacement.c_str());
    // Closing the folder lets go of the lock.
    if (folderFd_ >= 0) ::close(folderFd_);
}

bool FileSet::Hold(int waitMilliseconds) {
    using namespace std::chrono;
    if (folderFd_ < 0) folderFd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ >= 0 && !locked_) {
        const auto deadline = steady_clock::now() + milliseconds(std::max(0, waitMilliseconds));
        for (;;) {
            // Differs: two games saving take turns (docs/differences.md, High scores)
            if (::flock(folderFd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                break;
            }
            if (errno == EINTR) continue;
            // Any other refusal means a file system without locks.
            if (errno != EWOULDBLOCK) break;
            if (steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(milliseconds(5));
        }
    }
    if (!Settle()) return false;
    // Without the lock another program's new files may be among the leftovers.
    if (locked_) RemoveLeftovers();
    return true;
}

bool FileSet::Settle() {
    int fd;
    do {
        fd = ::open(markPath_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    // No mark; or a link in its place, which no save writes.
    if (fd < 0) return NotThere(errno) || errno == ELOOP;
    struct stat info {};
    std::string text;
    const bool plain = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool read = plain && ReadSmall(fd, text);
    ::close(fd);
    if (plain && !read && info.st_size <= off_t(kMarkLimit)) return false;
    if (!read) return true;

    // A mark names the new file of every member in order, one line each, and nothing else;
    // anything different was not written by a save and is left alone.
    std::vector<std::string> names;
    std::size_t pos = 0;
    for (const Member& member : members_) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) return true;
        names.push_back(text.substr(pos, end - pos));
        if (!IsNameBeside(member.gameName, names.back())) return true;
        pos = end + 2;
    }
    if (pos != text.size()) return true;

    // A new file already gone was moved before the save stopped; only plain files are
    // moved, so a link put in a new file's place never becomes a score file.
    bool complete = true;
    for (std::size_t k = 0; k < members_.size(); ++k) {
        const std::string from = folder_ + "/" + names[k];
        struct stat found {};
        if (::lstat(from.c_str(), &found) != 0) {
            complete = complete && NotThere(errno);
            continue;
        }
        if (S_ISREG(found.st_mode) && ::rename(from.c_str(), members_[k].path.c_str()) != 0)
            complete = false;
    }
    SyncFolder();
    if (!complete) return false;
    ::unlink(markPath_.c_str());
    return true;
}

void FileSet::RemoveLeftovers() {
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        bool leftover = IsNameBeside(markGameName_, name);
        for (const Member& member : members_) {
            if (!member.replacement.empty() && BareName(member.replacement) == name) {
                leftover = false;
                break;
            }
            leftover = leftover || IsNameBeside(member.gameName, name);
        }
        // Links are removed as links; folders are never touched.
        struct stat found {};
        if (leftover && ::fstatat(::dirfd(dir), name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISREG(found.st_mode) || S_ISLNK(found.st_mode)))
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

void FileSet::SyncFolder() {
    // New names are only safe on the disk once their folder is written too.
    if (folderFd_ >= 0) {
        ::fsync(folderFd_);
        return;
    }
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool FileSet::CanReplace() const {
    return std::all_of(members_.begin(), members_.end(),
                       [](const Member& member) { return FileCanBeReplaced(member.gameName); });
}

int FileSet::CreateReplacement(std::size_t index, int fileNumber) {
    if (index >= members_.size()) return 0;
    Member& member = members_[index];
    if (!member.replacement.empty()) ::unlink(member.replacement.c_str());
    member.replacement.clear();
    return CreateFileBeside(fileNumber, member.gameName, member.replacement);
}

int FileSet::ReplaceAll() {
    const auto fail = [this] {
        for (Member& member : members_) {
            if (!member.replacement.empty()) ::unlink(member.replacement.c_str());
            member.replacement.clear();
        }
        return 0;
    };
    if (std::any_of(members_.begin(), members_.end(),
                    [](const Member& member) { return member.replacement.empty(); }))
        return fail();
    // A mark an earlier save left is completed first; this one must not take its place.
    if (!Settle()) return fail();

    std::string markNew;
    const int fd = OpenNewFileBeside(markGameName_, markNew);
    if (fd < 0) return fail();
    std::string text;
    for (const Member& member : members_)
        text += BareName(member.replacement) + "\r\n";
    bool ok = ::fchmod(fd, 0644) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    // The mark is whole on the disk before its name appears; from then on the save counts.
    if (!ok || ::rename(markNew.c_str(), markPath_.c_str()) != 0) {
        ::unlink(markNew.c_str());
        return fail();
    }
    SyncFolder();

    // The mark names the new files now: they are never removed, only moved into place.
    bool moved = true;
    for (Member& member : members_) {
        if (::rename(member.replacement.c_str(), member.path.c_str()) != 0) moved = false;
        member.replacement.clear();
    }
    SyncFolder();
    if (!moved) return 0;
    ::unlink(markPath_.c_str());
    return 1;
}

}  // namespace runtime::support
