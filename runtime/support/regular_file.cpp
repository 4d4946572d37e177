#include "runtime/support/regular_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace runtime::support {
namespace {

// errno for a file that is there but is not a regular file.
int NotRegular(mode_t mode) {
    return S_ISDIR(mode) ? EISDIR : ENODEV;
}

int Refuse(int fd, int err) {
    if (fd >= 0) ::close(fd);
    errno = err;
    return -1;
}

}  // namespace

int OpenRegularFile(const std::string& path) {
    // A look first, so a device is never opened at all (opening some has effects).
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return -1;
    if (!S_ISREG(info.st_mode)) return Refuse(-1, NotRegular(info.st_mode));
    // The name may have been given to a pipe since: the open does not wait for a writer,
    // and the file behind the descriptor is checked again.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0) return Refuse(fd, errno);
    if (!S_ISREG(info.st_mode)) return Refuse(fd, NotRegular(info.st_mode));
    // Reads of a regular file never wait for a writer; the flag has done its work.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int CreateRegularFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return Refuse(-1, NotRegular(info.st_mode));
    // Without a reader a pipe put in place since fails the open at once (ENXIO); with one,
    // it is refused below all the same. Nothing is emptied before that check.
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0) return Refuse(fd, errno);
    if (!S_ISREG(info.st_mode)) return Refuse(fd, NotRegular(info.st_mode));
    if (::ftruncate(fd, 0) != 0) return Refuse(fd, errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        bytes.reserve(std::size_t(std::min<std::uint64_t>(std::uint64_t(info.st_size), limit)));
    // Read to the end or the limit rather than to the size: the file may change meanwhile.
    std::uint8_t chunk[65536];
    bool ok = true;
    while (bytes.size() < limit) {
        const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    if (!ok) bytes.clear();
    return ok;
}

std::size_t WriteFully(int fd, const void* bytes, std::size_t size) {
    const auto* from = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, from + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = EIO;
            break;
        }
        done += std::size_t(put);
    }
    return done;
}

}  // namespace runtime::support
