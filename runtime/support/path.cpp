#include "runtime/support/path.hpp"

#include <sys/stat.h>

#include <cerrno>

namespace runtime::support {

std::string PlatformPath(std::string_view gameName) {
    std::string path(gameName);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

PathKind KindOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ELOOP) return PathKind::LinkLoop;
        if (errno != ENOENT && errno != ENOTDIR) return PathKind::Unreachable;
        // The name itself may be there as a link whose target is not.
        return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) ? PathKind::BrokenLink
                                                                          : PathKind::Missing;
    }
    if (S_ISREG(info.st_mode)) return PathKind::PlainFile;
    if (S_ISDIR(info.st_mode)) return PathKind::Folder;
    if (S_ISFIFO(info.st_mode)) return PathKind::Pipe;
    if (S_ISSOCK(info.st_mode)) return PathKind::Socket;
    return PathKind::Device;
}

bool NothingToRead(PathKind kind) {
    return kind == PathKind::Folder || kind == PathKind::Socket || kind == PathKind::LinkLoop ||
           kind == PathKind::BrokenLink;
}

const char* PathKindWords(PathKind kind) {
    switch (kind) {
        case PathKind::PlainFile:
            return "";
        case PathKind::Folder:
            return "is a folder";
        case PathKind::Pipe:
            return "is a pipe";
        case PathKind::Device:
            return "is a device";
        case PathKind::Socket:
            return "is a socket";
        case PathKind::LinkLoop:
            return "is a link that leads round in a loop";
        case PathKind::BrokenLink:
            return "is a link to nothing";
        case PathKind::Missing:
            return "does not exist";
        case PathKind::Unreachable:
            return "cannot be reached";
    }
    return "";
}

}  // namespace runtime::support
