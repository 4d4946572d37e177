#include "runtime/images/bmp.hpp"

#include "runtime/images/decoders.hpp"
#include "runtime/support/bytes.hpp"

namespace runtime::images {
namespace {

using runtime::support::ReadLe16;
using runtime::support::ReadLe32;

std::int32_t ReadS32(const std::uint8_t* p) {
    return std::int32_t(ReadLe32(p));
}

// The fields sit at fixed offsets; everything up to the colours-used count at byte 46 belongs
// to the 40-byte information header, which is the smallest we read.
constexpr std::size_t kInfoHeaderAt = 14;
constexpr std::size_t kSmallestInfoHeader = 40;

}  // namespace

bool LooksLikeBmp(const std::uint8_t* bytes, std::size_t size) {
    return bytes != nullptr && size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

bool ReadBmpHeader(const std::uint8_t* bytes, std::size_t size, BmpHeader& header) {
    if (!LooksLikeBmp(bytes, size) || size < kInfoHeaderAt + kSmallestInfoHeader) return false;

    // All sums below are done in 64 bits on values of at most 32 bits, so none can wrap.
    const std::uint64_t total = size;
    const std::uint64_t pixelOffset = ReadLe32(bytes + 10);
    const std::uint64_t infoSize = ReadLe32(bytes + kInfoHeaderAt);
    // Differs: the 12-byte BMP header is refused (docs/differences.md, Pictures)
    // A smaller header (the old 12-byte kind) keeps its fields elsewhere; reading it at the
    // usual offsets would mix width and height, so it is refused.
    if (infoSize < kSmallestInfoHeader || kInfoHeaderAt + infoSize > total) return false;

    const std::int32_t width = ReadS32(bytes + 18);
    const std::int32_t height = ReadS32(bytes + 22);
    const int bits = ReadLe16(bytes + 28);
    const std::uint32_t compression = ReadLe32(bytes + 30);
    if (compression != 0) return false;
    // A negative height means rows stored top row first; the game never uses such images.
    if (width <= 0 || height <= 0) return false;
    if (width > kMaxImageSide || height > kMaxImageSide) return false;
    if (std::uint64_t(width) * std::uint64_t(height) > kMaxImagePixels) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }

    const std::uint64_t stride = (std::uint64_t(width) * std::uint64_t(bits) + 31) / 32 * 4;
    if (pixelOffset > total || stride * std::uint64_t(height) > total - pixelOffset) return false;

    std::uint64_t entries = 0;
    const std::uint64_t paletteOffset = kInfoHeaderAt + infoSize;
    if (bits <= 8) {
        // A colours-used count of 0 means a full table; a larger count than the depth can
        // index is trimmed to what the pixels can reach.
        const std::uint64_t full = std::uint64_t(1) << bits;
        const std::uint64_t used = ReadLe32(bytes + 46);
        entries = (used == 0 || used > full) ? full : used;
        if (entries * 4 > total - paletteOffset) return false;
    }

    header.width = width;
    header.height = height;
    header.bitsPerPixel = bits;
    header.pixelOffset = std::size_t(pixelOffset);
    header.rowStride = std::size_t(stride);
    header.paletteOffset = std::size_t(paletteOffset);
    header.paletteEntries = std::size_t(entries);
    return true;
}

}  // namespace runtime::images
