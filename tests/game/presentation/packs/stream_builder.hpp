#pragma once

// Hand-made compressed blocks and pack entries for the pack tests.

#include <cstdint>
#include <vector>

namespace game::presentation::handmade {

using Bytes = std::vector<std::uint8_t>;

// Bits written MSB first into 32-bit little-endian words, for hand-made streams.
class StreamBuilder {
  public:
    StreamBuilder& Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            word_ = word_ << 1 | ((value >> i) & 1);
            if (++count_ == 32) Flush();
        }
        return *this;
    }
    // A gamma number (2 or more): each bit after the leading 1, followed by 1 if more follow.
    StreamBuilder& Gamma(std::uint32_t value) {
        int top = 31;
        while (!(value >> top & 1))
            --top;
        for (int i = top - 1; i >= 0; --i)
            Put((value >> i & 1) << 1 | (i > 0 ? 1 : 0), 2);
        return *this;
    }
    Bytes Block(std::uint32_t unpacked, std::uint32_t checksum = 0) {
        if (count_ > 0) {
            word_ <<= 32 - count_;
            Flush();
        }
        Bytes block = {0x4A, 0x43};
        for (std::uint32_t v : {unpacked, checksum}) {
            for (int i = 0; i < 4; ++i)
                block.push_back(std::uint8_t(v >> (8 * i)));
        }
        block.insert(block.end(), words_.begin(), words_.end());
        return block;
    }

  private:
    void Flush() {
        for (int i = 0; i < 4; ++i)
            words_.push_back(std::uint8_t(word_ >> (8 * i)));
        word_ = 0;
        count_ = 0;
    }
    std::uint32_t word_ = 0;
    int count_ = 0;
    Bytes words_;
};

// A block of `size` bytes made of one literal 'x' and one long match repeating it: a few
// bytes that unpack to any size at all.
inline Bytes OneByteRepeated(std::uint32_t size) {
    return StreamBuilder()
        .Put(0b001'0000'0'1, 9)  // literals are 8 bits wide
        .Put(0b1, 1)
        .Put('x', 8)
        .Put(0b01, 2)  // long match, g = 3, low part 1: offset 1, length bonus 4
        .Gamma(3)
        .Put(1, 8)
        .Gamma(size - 1 - 4)
        .Put(0, 12)  // end marker
        .Block(size);
}

// Appends an entry header {unpacked, stored = data size} and the data.
inline void AppendEntry(Bytes* pack, std::uint32_t unpacked, const Bytes& data) {
    for (std::uint32_t v : {unpacked, std::uint32_t(data.size())}) {
        for (int i = 0; i < 4; ++i)
            pack->push_back(std::uint8_t(v >> (8 * i)));
    }
    pack->insert(pack->end(), data.begin(), data.end());
}

}  // namespace game::presentation::handmade
