#pragma once

#include <string>
#include <string_view>

namespace runtime::support {

// The game names its files the DOS way ("data\level1.pak"); every file the runtime opens
// passes through here once, which turns each backslash into a slash. Names stay relative
// to the current directory.
std::string PlatformPath(std::string_view gameName);

// What a name on disk leads to, links followed. Tools that take only plain files use it to
// say what they were given instead of a bare "cannot open".
enum class PathKind {
    PlainFile,
    Folder,
    Pipe,
    Device,
    Socket,
    LinkLoop,     // links that lead round to themselves
    BrokenLink,   // a link to nothing
    Missing,      // no such name (or a name on the way is not a folder)
    Unreachable,  // a folder on the way may not be searched, or the name is too long
};
PathKind KindOfPath(const std::string& path);

// Whether what the name leads to can hold no bytes to read at all (a folder, a socket, a
// link loop or a link to nothing): a tool names it so rather than trying to open it.
bool NothingToRead(PathKind kind);

// How a message goes on after the path's name: "is a folder", "is a pipe", "does not
// exist"; empty for a plain file.
const char* PathKindWords(PathKind kind);

}  // namespace runtime::support
