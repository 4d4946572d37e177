#pragma once

// Resource packs: the files in data\ that hold the game's pictures and sounds as a plain run
// of entries {unpacked size, stored size, data}, each stored raw or as one compressed block.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace game::presentation {

// Every compressed block starts with these two bytes, then the unpacked size and checksum.
inline constexpr std::uint8_t kBlockMagic[2] = {0x4A, 0x43};  // "JC"
inline constexpr std::size_t kBlockHeaderSize = 10;
inline constexpr std::size_t kEntryHeaderSize = 8;

// Differs: an entry over 64 MiB is skipped (docs/differences.md, Resource packs)
// The largest entry, unpacked or stored, that the reader takes. The game's biggest picture
// is under 2 MiB; without a limit a 30-byte entry could ask for 4 GiB and a long decode.
inline constexpr std::uint32_t kMaxEntrySize = 64u << 20;

// Differs: offset 0, offset width 0 and a literal before its width are damage
// (docs/differences.md, Resource packs)
// Why a block was refused. The game only sees 0 bytes; the pack tool prints the reason.
enum class BlockResult {
    Ok,
    ShortHeader,         // fewer than 10 bytes: no room for magic, size and checksum
    BadMagic,            // does not start with "JC"
    SizeMismatch,        // the block's size field differs from the entry's unpacked size
    TruncatedStream,     // the bit stream needs more words than were stored
    WritesPastSize,      // an item would write beyond the unpacked size
    OffsetBeforeStart,   // a match reaches back before the first byte
    ZeroOffset,          // a long match with offset 0
    ZeroOffsetWidth,     // an offset-width change to 0 bits
    LiteralBeforeWidth,  // a short literal before any literal-width change
    OversizedNumber,     // a gamma number beyond 32 bits
    WrongLength,         // the end marker came before the unpacked size was reached
    ChecksumMismatch,
};

// A short English description of a result, e.g. "checksum mismatch".
const char* DescribeBlockResult(BlockResult result);

// The content checksum of a block: 32-bit little-endian words, the last one overlapping its
// neighbour when the length is not a multiple of 4; 0 for fewer than 4 bytes.
std::uint32_t PackChecksum(const std::uint8_t* data, std::size_t size);

// Decodes a block into exactly outSize bytes. *produced (if given) receives the bytes written
// before the decoder stopped. Never reads past blockSize bytes nor writes past outSize.
BlockResult DecodeBlock(const std::uint8_t* block, std::size_t blockSize, std::uint8_t* out,
                        std::size_t outSize, std::size_t* produced = nullptr);

// The game's decompressor: the number of bytes produced (outSize), or 0 on any fault.
std::size_t UnpackBlock(const std::uint8_t* block, std::size_t blockSize, std::uint8_t* out,
                        std::size_t outSize);

// One entry's content as the reader hands it out; empty (bytes null) when there is none.
// The bytes belong to the reader and stay valid until its next read, close or open.
struct PackContent {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;

    explicit operator bool() const { return bytes != nullptr; }
    std::span<const std::uint8_t> span() const { return {bytes, size}; }
};

// What one step through a pack found.
enum class PackStep {
    Entry,           // an entry: content is valid
    End,             // the clean end of the pack (or nothing open)
    HeaderCutShort,  // 1 to 7 bytes of an entry header before the end of the file
    DataCutShort,    // fewer data bytes than the stored size
    CorruptBlock,    // a compressed block that does not decode; the next entry follows
    TooLarge,        // an entry beyond kMaxEntrySize, stepped over; the next entry follows
    OutOfMemory,
    ReadError,
};

struct ScannedEntry {
    PackStep step = PackStep::End;
    BlockResult block = BlockResult::Ok;  // the decoder's reason when step is CorruptBlock
    std::uint32_t unpacked = 0;           // U and S from the header, when it was read whole
    std::uint32_t stored = 0;
    std::uint64_t available = 0;  // bytes found when a header or data was cut short
    PackContent content;
};

// Walks a pack entry by entry. The game's single reader is one of these; the pack tool uses
// its own to tell a cut-short file and a corrupt block apart from the clean end.
class PackScanner {
  public:
    PackScanner() = default;
    ~PackScanner();
    PackScanner(const PackScanner&) = delete;
    PackScanner& operator=(const PackScanner&) = delete;

    // Differs: a folder with a pack's name is no pack
    // (docs/differences.md, Resource packs)
    // Opens a regular file by its platform path (closing any open one); false if it cannot
    // be read, with errno telling why (EISDIR for a folder, ENODEV for a pipe or a device).
    bool Open(const std::string& path);
    ScannedEntry Next();
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

  private:
    bool ReadFully(std::uint8_t* into, std::size_t size, std::size_t* got);
    void SkipData(std::uint32_t stored);

    int fd_ = -1;
    bool finished_ = false;  // a cut-short or unreadable file gives nothing more
    std::uint64_t fileSize_ = 0;
    std::uint64_t position_ = 0;
    std::unique_ptr<std::uint8_t[]> content_;
};

// The game's pack reader, one for the whole program. fileName is a game name such as
// "data\win.pak", relative to the current directory. Returns true when the pack opened.
bool OpenPack(std::string_view fileName);
// The next entry's content, or an empty PackContent at the end or for a damaged entry.
PackContent NextPackEntry();
// Closes the pack and releases the last content; harmless when nothing is open.
void ClosePack();

}  // namespace game::presentation
