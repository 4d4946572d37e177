#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runtime::support {

// Game files (packs, music, the screenshot) are read and written only when they are
// regular files. A pipe in their place would make a plain open wait for a partner for
// ever, and a device would read without end, so both are refused before any data moves.

// Opens the file at path (a platform path) for reading, close-on-exec, when it is a
// regular file; -1 otherwise, with errno EISDIR for a folder and ENODEV for a pipe, a
// device or a socket. The open never waits, and reads from the descriptor block as usual.
int OpenRegularFile(const std::string& path);

// Creates the file at path (a platform path), or empties it when it is a regular file, for
// writing, close-on-exec; -1 when something else has that name, with errno as above. A
// pipe there would make a plain open wait for a reader for ever, and a device would take
// whatever is written.
int CreateRegularFile(const std::string& path);

// The first `limit` bytes of a regular file (all of a shorter one). False, with bytes
// empty, when the file is missing, is not a regular file or cannot be read.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes);

// Writes size bytes to the descriptor, again after an interruption or a partial write.
// Returns how many were written: fewer only when the disk refuses more (errno says why; EIO
// when a write took nothing without an error).
std::size_t WriteFully(int fd, const void* bytes, std::size_t size);

// The whole text written, or false.
inline bool WriteAll(int fd, std::string_view text) {
    return WriteFully(fd, text.data(), text.size()) == text.size();
}

}  // namespace runtime::support
