// The block decompressor: an LZ-style bit stream of literals, matches, near copies, zero bytes
// and raw runs, read MSB first from 32-bit little-endian words.

#include <cstring>

#include "game/presentation/packs/pack.hpp"
#include "runtime/support/bytes.hpp"

namespace game::presentation {

namespace {

using runtime::support::ReadLe32;

// Bits come from the top of each stream word; a word is loaded only when a bit is needed, so
// a stream may end right after its last word. Past the stored words the reader hands out zeros
// and remembers the overrun: zeros decode as the end marker, so decoding stops quickly and the
// block is then refused as truncated.
class BitReader {
  public:
    BitReader(const std::uint8_t* begin, const std::uint8_t* end) : pos_(begin), end_(end) {}

    std::uint32_t Bit() {
        if (count_ == 0) Refill();
        std::uint32_t v = std::uint32_t(buffer_ >> 63);
        buffer_ <<= 1;
        --count_;
        return v;
    }

    // n from 1 to 32.
    std::uint32_t Bits(unsigned n) {
        if (count_ < n) Refill();
        std::uint32_t v = std::uint32_t(buffer_ >> (64 - n));
        buffer_ <<= n;
        count_ -= n;
        return v;
    }

    bool overrun() const { return overrun_; }

  private:
    void Refill() {
        if (end_ - pos_ >= 4) {
            buffer_ |= std::uint64_t(ReadLe32(pos_)) << (32 - count_);
            pos_ += 4;
        } else {
            overrun_ = true;
        }
        count_ += 32;
    }

    const std::uint8_t* pos_;
    const std::uint8_t* end_;
    std::uint64_t buffer_ = 0;  // next bit in the top position
    unsigned count_ = 0;
    bool overrun_ = false;
};

// Gamma number: v = 1, then (data bit, continue bit) pairs; always 2 or more. Returns false
// when the number would not fit in 32 bits.
inline bool ReadGamma(BitReader& in, std::uint32_t* value) {
    std::uint32_t v = 1;
    do {
        if (v & 0x80000000u) return false;
        v = 2 * v + in.Bit();
    } while (in.Bit());
    *value = v;
    return true;
}

// Long matches far back must be longer to pay for their offset bits.
inline std::uint32_t LengthBonus(std::uint64_t offset) {
    if (offset <= 127) return 4;
    if (offset <= 638) return 0;
    if (offset <= 14334) return 1;
    if (offset <= 65535) return 2;
    return 3;
}

// Copies a match one byte after the other in effect, so an overlapping match repeats its
// pattern (offset 1 repeats the last byte).
inline void CopyMatch(std::uint8_t* out, std::size_t offset, std::size_t length) {
    const std::uint8_t* src = out - offset;
    if (offset >= length) {
        std::memcpy(out, src, length);
    } else if (offset == 1) {
        std::memset(out, *src, length);
    } else if (offset >= 8) {
        std::size_t done = 0;
        for (; done + 8 <= length; done += 8)
            std::memcpy(out + done, src + done, 8);
        for (; done < length; ++done)
            out[done] = src[done];
    } else {
        for (std::size_t i = 0; i < length; ++i)
            out[i] = src[i];
    }
}

BlockResult DecodeStream(BitReader& in, std::uint8_t* const out, std::uint8_t* const outEnd,
                         std::uint8_t** endOut) {
    std::uint8_t* o = out;
    std::uint64_t lastOffset = 1;
    unsigned offsetWidth = 8;
    unsigned literalWidth = 0;  // not set until the first literal-width change
    std::uint8_t literalBase = 0;
    BlockResult result = BlockResult::Ok;

    auto match = [&](std::uint64_t offset, std::uint64_t length) {
        if (offset > std::uint64_t(o - out)) return BlockResult::OffsetBeforeStart;
        if (length > std::uint64_t(outEnd - o)) return BlockResult::WritesPastSize;
        CopyMatch(o, std::size_t(offset), std::size_t(length));
        o += length;
        return BlockResult::Ok;
    };

    for (;;) {
        if (in.Bit()) {  // 1: short literal
            if (literalWidth == 0) {
                result = BlockResult::LiteralBeforeWidth;
                break;
            }
            if (o == outEnd) {
                result = BlockResult::WritesPastSize;
                break;
            }
            *o++ = std::uint8_t(in.Bits(literalWidth) + literalBase);
            continue;
        }
        if (in.Bit()) {  // 01: long match
            std::uint32_t g = 0;
            std::uint32_t length = 0;
            if (!ReadGamma(in, &g)) {
                result = BlockResult::OversizedNumber;
                break;
            }
            std::uint64_t offset = lastOffset;
            std::uint64_t total = 0;
            if (g == 2) {
                if (!ReadGamma(in, &length)) {
                    result = BlockResult::OversizedNumber;
                    break;
                }
                total = length;
            } else {
                std::uint64_t high = g - 3;
                std::uint64_t low = 0;
                if (offsetWidth > 32) {
                    low = std::uint64_t(in.Bits(offsetWidth - 32)) << 32;
                    low |= in.Bits(32);
                } else {
                    low = in.Bits(offsetWidth);
                }
                if (high != 0 && offsetWidth >= 32) {
                    result = BlockResult::OffsetBeforeStart;  // 2^32 or more back
                    break;
                }
                offset = (high << offsetWidth) | low;
                if (offset == 0) {
                    result = BlockResult::ZeroOffset;
                    break;
                }
                if (!ReadGamma(in, &length)) {
                    result = BlockResult::OversizedNumber;
                    break;
                }
                lastOffset = offset;
                total = std::uint64_t(length) + LengthBonus(offset);
            }
            result = match(offset, total);
            if (result != BlockResult::Ok) break;
            continue;
        }
        if (!in.Bit()) {  // 000: short match, end marker or offset-width change
            std::uint32_t offset = in.Bits(7);
            std::uint32_t code = in.Bits(2);
            if (offset != 0) {
                lastOffset = offset;
                result = match(offset, code + 2);
                if (result != BlockResult::Ok) break;
            } else if (code == 0) {
                break;
            } else {
                offsetWidth = in.Bits(code + 3);
                if (offsetWidth == 0) {
                    result = BlockResult::ZeroOffsetWidth;
                    break;
                }
            }
            continue;
        }
        // 001: near copy, zero byte, literal-width change or raw run
        std::uint32_t v = in.Bits(4);
        if (v >= 2) {
            std::size_t distance = v - 1;
            if (distance > std::size_t(o - out)) {
                result = BlockResult::OffsetBeforeStart;
                break;
            }
            if (o == outEnd) {
                result = BlockResult::WritesPastSize;
                break;
            }
            *o = o[-std::ptrdiff_t(distance)];
            ++o;
        } else if (v == 1) {
            if (o == outEnd) {
                result = BlockResult::WritesPastSize;
                break;
            }
            *o++ = 0;
        } else if (!in.Bit()) {
            literalWidth = 7 + in.Bit();
            literalBase = literalWidth == 7 ? std::uint8_t(in.Bits(8)) : 0;
        } else {
            bool more = true;
            while (more) {
                if (outEnd - o < 256) {
                    result = BlockResult::WritesPastSize;
                    break;
                }
                for (int i = 0; i < 256; ++i)
                    *o++ = std::uint8_t(in.Bits(8));
                more = in.Bit();
            }
            if (result != BlockResult::Ok) break;
        }
    }
    *endOut = o;
    // Whatever went wrong after the stored words ran out was decoded from padding.
    if (in.overrun()) return BlockResult::TruncatedStream;
    return result;
}

}  // namespace

const char* DescribeBlockResult(BlockResult result) {
    switch (result) {
        case BlockResult::Ok:
            return "ok";
        case BlockResult::ShortHeader:
            return "block shorter than its header";
        case BlockResult::BadMagic:
            return "bad magic (not a compressed block)";
        case BlockResult::SizeMismatch:
            return "block size field differs from the entry size";
        case BlockResult::TruncatedStream:
            return "truncated stream";
        case BlockResult::WritesPastSize:
            return "writes past the unpacked size";
        case BlockResult::OffsetBeforeStart:
            return "match offset before the start";
        case BlockResult::ZeroOffset:
            return "match offset 0";
        case BlockResult::ZeroOffsetWidth:
            return "offset width 0";
        case BlockResult::LiteralBeforeWidth:
            return "literal before any literal width";
        case BlockResult::OversizedNumber:
            return "number too large";
        case BlockResult::WrongLength:
            return "stream ends before the unpacked size";
        case BlockResult::ChecksumMismatch:
            return "checksum mismatch";
    }
    return "unknown fault";
}

std::uint32_t PackChecksum(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::uint32_t sum = 0;
    auto step = [&sum](std::uint32_t w) {
        std::uint32_t rotated = (w << 1) | (w >> 31);
        sum = (sum + w) ^ (rotated + 1);
    };
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4)
        step(ReadLe32(data + i));
    // The tail is covered by one more word that overlaps the one before it.
    if (size % 4 != 0) step(ReadLe32(data + size - 4));
    return sum;
}

BlockResult DecodeBlock(const std::uint8_t* block, std::size_t blockSize, std::uint8_t* out,
                        std::size_t outSize, std::size_t* produced) {
    if (produced) *produced = 0;
    if (block == nullptr || blockSize < 2) return BlockResult::ShortHeader;
    if (block[0] != kBlockMagic[0] || block[1] != kBlockMagic[1]) return BlockResult::BadMagic;
    if (blockSize < kBlockHeaderSize) return BlockResult::ShortHeader;
    std::uint32_t sizeField = ReadLe32(block + 2);
    std::uint32_t storedSum = ReadLe32(block + 6);
    // Differs: a block claiming another size than its entry is damaged
    // (docs/differences.md, Resource packs)
    if (sizeField != outSize) return BlockResult::SizeMismatch;
    std::uint8_t none = 0;
    if (out == nullptr) {
        if (outSize != 0) return BlockResult::WritesPastSize;
        out = &none;
    }

    BitReader in(block + kBlockHeaderSize, block + blockSize);
    std::uint8_t* end = out;
    BlockResult result = DecodeStream(in, out, out + outSize, &end);
    std::size_t written = std::size_t(end - out);
    if (produced) *produced = written;
    if (result != BlockResult::Ok) return result;
    if (written != outSize) return BlockResult::WrongLength;
    if (storedSum != 0 && PackChecksum(out, sizeField) != storedSum) {
        return BlockResult::ChecksumMismatch;
    }
    return BlockResult::Ok;
}

std::size_t UnpackBlock(const std::uint8_t* block, std::size_t blockSize, std::uint8_t* out,
                        std::size_t outSize) {
    std::size_t produced = 0;
    if (DecodeBlock(block, blockSize, out, outSize, &produced) != BlockResult::Ok) return 0;
    return produced;
}

}  // namespace game::presentation
