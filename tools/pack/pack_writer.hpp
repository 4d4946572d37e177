#pragma once

// Writing resource packs: the asset builder and modders make data\*.pak files with these.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tools::pack {

// Compresses content into one complete block ("JC", unpacked size, checksum, bit stream)
// that the game's decoder turns back into the same bytes. Empty for content of 4 GiB or more.
std::vector<std::uint8_t> CompressBlock(std::span<const std::uint8_t> content);

// One pack entry: the 8-byte header {unpacked size, stored size} and its data. The entry is
// compressed unless raw is asked for or the block would not be strictly smaller (equal sizes
// mark a raw entry). Empty for content over the reader's entry limit (kMaxEntrySize).
std::vector<std::uint8_t> PackEntry(std::span<const std::uint8_t> content, bool raw = false);

// Writes the entries in order to path. A new or plain file is replaced only once the whole
// pack is written; a device or pipe is written in place, and a folder is refused. On failure
// returns false with a message in *error (if given) and leaves a plain file untouched.
bool WritePack(const std::string& path, const std::vector<std::vector<std::uint8_t>>& contents,
               bool raw, std::string* error);

}  // namespace tools::pack
