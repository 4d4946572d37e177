#include "runtime/support/files.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/path.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::support {
namespace {

// An open file with a small read-ahead, so lines can be read byte by byte without a
// system call per byte. The descriptor's position is kept in step before every write.
struct OpenFile {
    int fd = -1;
    std::uint8_t buffer[4096];
    std::size_t pos = 0;
    std::size_t len = 0;
};

std::vector<OpenFile*> table(10, nullptr);
OpenFile* current = nullptr;

OpenFile** Slot(int fileNumber) {
    return SlotFor(table, fileNumber, limits::kHighestFileNumber);
}

// Differs: a closed file leaves no current file (docs/differences.md, Files, text and programs)
// Frees the file number for a new file; null when the number is refused. A failed open
// then leaves no current file, so the lines meant for it cannot land in the file opened
// before.
OpenFile** FreeSlot(int fileNumber) {
    current = nullptr;
    OpenFile** slot = Slot(fileNumber);
    if (slot != nullptr) CloseFileNumber(fileNumber);
    return slot;
}

int Keep(OpenFile** slot, int fd) {
    auto* file = new OpenFile;
    file->fd = fd;
    *slot = file;
    current = file;
    return 1;
}

int Open(int fileNumber, std::string_view fileName, int flags) {
    OpenFile** slot = FreeSlot(fileNumber);
    if (slot == nullptr) return 0;
    const std::string path = PlatformPath(fileName);
    if (path.empty()) return 0;
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;
    // Directories open read-only on Linux; a text file must be a regular file.
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return 0;
    }
    return Keep(slot, fd);
}

constexpr std::string_view kBesideInfix = ".tmp.";
constexpr std::size_t kBesideLetters = 6;
constexpr std::string_view kBesideAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Six letters or digits that another program is unlikely to pick at the same moment;
// creating the file exclusively makes the name certain to be new.
std::string BesideLetters() {
    std::uint8_t bytes[kBesideLetters];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != ssize_t(sizeof bytes)) {
        static std::uint64_t counter = 0;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::uint64_t mix = (std::uint64_t(now.tv_nsec) ^ (std::uint64_t(getpid()) << 30)) +
                            ++counter * 0x9E3779B97F4A7C15u;
        for (std::uint8_t& byte : bytes) {
            byte = std::uint8_t(mix);
            mix = (mix >> 8) | (mix << 56);
        }
    }
    std::string letters;
    for (const std::uint8_t byte : bytes)
        letters.push_back(kBesideAlphabet[byte % kBesideAlphabet.size()]);
    return letters;
}

std::string_view BareName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A name that is not there: missing, or below something that is not a folder.
bool NotThere(int error) {
    return error == ENOENT || error == ENOTDIR;
}

// Next byte of the file, or -1 at the end (or when the file cannot be read).
int ReadByte(OpenFile& file) {
    if (file.pos == file.len) {
        ssize_t got;
        do {
            got = ::read(file.fd, file.buffer, sizeof file.buffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) return -1;
        file.pos = 0;
        file.len = std::size_t(got);
    }
    return file.buffer[file.pos++];
}

// Moves past the bytes of a line that are not kept, a buffer at a time, up to the next
// byte that may end it, so an endless line costs little more than reading it.
void SkipToLineEnd(OpenFile& file) {
    for (;;) {
        if (file.pos == file.len) {
            if (ReadByte(file) < 0) return;
            --file.pos;
        }
        const std::uint8_t* from = file.buffer + file.pos;
        const std::size_t size = file.len - file.pos;
        const std::uint8_t* end = from + size;
        for (const int stop : {int('\n'), int('\r'), 0}) {
            if (const void* found = std::memchr(from, stop, std::size_t(end - from)))
                end = static_cast<const std::uint8_t*>(found);
        }
        file.pos += std::size_t(end - from);
        if (file.pos < file.len) return;
    }
}

}  // namespace

int OpenFileReadWrite(int fileNumber, std::string_view fileName) {
    return Open(fileNumber, fileName, O_RDWR | O_CREAT);
}

int OpenFileForReading(int fileNumber, std::string_view fileName) {
    // Non-blocking, so naming a pipe cannot freeze the game; only regular files open.
    if (Open(fileNumber, fileName, O_RDONLY | O_NONBLOCK) == 0) return 0;
    struct stat info {};
    if (fstat(current->fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        CloseFileNumber(fileNumber);
        return 0;
    }
    return 1;
}

int CreateFileForWriting(int fileNumber, std::string_view fileName) {
    return Open(fileNumber, fileName, O_WRONLY | O_CREAT | O_TRUNC);
}

int OpenNewFileBeside(std::string_view fileName, std::string& newName) {
    const std::string path = PlatformPath(fileName);
    if (BareName(path).empty()) return -1;
    struct stat old {};
    const bool keepMode = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // A name already taken is passed over, never opened; after a hundred taken names
    // something else is wrong.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = path;
        candidate += kBesideInfix;
        candidate += BesideLetters();
        int fd;
        do {
            fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        0644);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        // The umask may take bits away from the mode given to open; fchmod sets them all.
        if (keepMode && ::fchmod(fd, old.st_mode & 0777) != 0) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return -1;
        }
        newName = std::move(candidate);
        return fd;
    }
    return -1;
}

int CreateFileBeside(int fileNumber, std::string_view fileName, std::string& newName) {
    OpenFile** slot = FreeSlot(fileNumber);
    if (slot == nullptr) return 0;
    const int fd = OpenNewFileBeside(fileName, newName);
    return fd < 0 ? 0 : Keep(slot, fd);
}

bool IsNameBeside(std::string_view fileName, std::string_view name) {
    const std::string path = PlatformPath(fileName);
    const std::string_view base = BareName(path);
    if (base.empty() || name.size() != base.size() + kBesideInfix.size() + kBesideLetters ||
        name.substr(0, base.size()) != base ||
        name.substr(base.size(), kBesideInfix.size()) != kBesideInfix)
        return false;
    const std::string_view letters = name.substr(base.size() + kBesideInfix.size());
    return letters.find_first_not_of(kBesideAlphabet) == std::string_view::npos;
}

void CloseFileNumber(int fileNumber) {
    if (fileNumber < 0 || std::size_t(fileNumber) >= table.size()) return;
    OpenFile*& file = table[std::size_t(fileNumber)];
    if (file == nullptr) return;
    // Closing the current file leaves no current file rather than a dangling one.
    if (file == current) current = nullptr;
    ::close(file->fd);
    delete file;
    file = nullptr;
}

void CloseAllFiles() {
    for (std::size_t n = 0; n < table.size(); ++n)
        CloseFileNumber(int(n));
    current = nullptr;
}

std::string ReadTextLine(std::size_t keep) {
    std::string line;
    if (current == nullptr) return line;
    OpenFile& file = *current;
    for (;;) {
        const int c = ReadByte(file);
        if (c < 0 || c == '\n' || c == 0) break;
        if (c == '\r') {
            // Differs: a file ending in a lone CR reads right
            // (docs/differences.md, Files, text and programs)
            // A CR may be followed by the LF of a CR LF pair; anything else is put back.
            // At the end of the file there is nothing to put back.
            const int next = ReadByte(file);
            if (next >= 0 && next != '\n') --file.pos;
            break;
        }
        if (line.size() < keep) {
            line.push_back(char(c));
        } else {
            SkipToLineEnd(file);
        }
    }
    return line;
}

int WriteTextLine(std::string_view text) {
    if (current == nullptr) return 0;
    OpenFile& file = *current;
    // Bytes read ahead but not yet used are given back, so the line lands right after
    // what the game has read so far.
    if (file.pos != file.len) {
        ::lseek(file.fd, -off_t(file.len - file.pos), SEEK_CUR);
    }
    file.pos = file.len = 0;
    std::string line(text);
    line += "\r\n";
    return int(WriteFully(file.fd, line.data(), line.size()));
}

int FinishFileNumber(int fileNumber) {
    if (fileNumber < 0 || std::size_t(fileNumber) >= table.size()) return 0;
    OpenFile*& file = table[std::size_t(fileNumber)];
    if (file == nullptr) return 0;
    if (file == current) current = nullptr;
    // Devices and pipes have nothing to sync; only a real error counts.
    int ok = ::fsync(file->fd) == 0 || errno == EINVAL || errno == EROFS;
    if (::close(file->fd) != 0 && errno != EINTR) ok = 0;
    delete file;
    file = nullptr;
    return ok ? 1 : 0;
}

int ReplaceFile(std::string_view from, std::string_view to) {
    const std::string source = PlatformPath(from);
    const std::string target = PlatformPath(to);
    if (source.empty() || target.empty()) return 0;
    if (::rename(source.c_str(), target.c_str()) != 0) return 0;
    // The new name is only safe on the disk once its folder is written too.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return 1;
}

bool FileCanBeReplaced(std::string_view fileName) {
    const std::string path = PlatformPath(fileName);
    if (path.empty()) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return NotThere(errno);
    // The owner's write bit counts even for root, who may write anything.
    return S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) != 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
}

bool FileIsMissing(std::string_view fileName) {
    const std::string path = PlatformPath(fileName);
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) != 0 && NotThere(errno);
}

int DeleteFile(std::string_view fileName) {
    const std::string path = PlatformPath(fileName);
    return !path.empty() && ::unlink(path.c_str()) == 0 ? 1 : 0;
}

}  // namespace runtime::support
