// The pack compressor. A hash-chain match finder feeds a price-based optimal parse over
// windows of the input; a second pass picks the literal width and base for each stretch of
// literals, and a third the offset width that suits the matches found.

#include "tools/pack/pack_writer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "game/presentation/packs/pack.hpp"
#include "runtime/support/regular_file.hpp"

namespace tools::pack {

namespace {

using game::presentation::kBlockHeaderSize;
using game::presentation::PackChecksum;

constexpr std::uint32_t kWindow = 1u << 16;    // positions parsed before committing
constexpr std::uint32_t kMaxMatch = 1u << 16;  // longest match taken in one item
constexpr std::uint32_t kNiceMatch = 128;      // a match this long is taken at once
constexpr int kChainDepth = 32;
constexpr int kHashBits = 16;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kRawChunk = 256;

enum class Kind : std::uint8_t { Literal, Zero, Near, Short, Repeat, Long, RawChunk };

struct Item {
    Kind kind;
    std::uint32_t length;
    std::uint32_t offset;
};

// Bits of a gamma number: two for every bit after the leading one.
inline std::uint32_t GammaBits(std::uint32_t v) {
    return 2 * std::uint32_t(31 - __builtin_clz(v));
}

inline std::uint32_t LengthBonus(std::uint32_t offset) {
    if (offset <= 127) return 4;
    if (offset <= 638) return 0;
    if (offset <= 14334) return 1;
    if (offset <= 65535) return 2;
    return 3;
}

inline std::uint32_t LongOffsetBits(std::uint32_t offset, unsigned width) {
    return 2 + GammaBits((offset >> width) + 3) + width;
}

inline std::uint32_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t max) {
    std::uint32_t length = 0;
    while (length + 8 <= max) {
        std::uint64_t x, y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y) return length + std::uint32_t(__builtin_ctzll(x ^ y) / 8);
        length += 8;
    }
    while (length < max && a[length] == b[length])
        ++length;
    return length;
}

inline std::uint32_t Hash3(const std::uint8_t* p) {
    std::uint32_t v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Finds earlier occurrences of the bytes at a position: 3-byte hash chains for real matches
// and the last place of every byte pair for the cheap 2-byte ones.
class MatchFinder {
  public:
    explicit MatchFinder(std::span<const std::uint8_t> data)
        : data_(data),
          head_(std::size_t(1) << kHashBits, kNone),
          pair_(1u << 16, kNone),
          prev_(data.size(), kNone) {}

    // Inserts position i and returns the match candidates, longer ones at larger offsets.
    int Find(std::uint32_t i, std::uint32_t* offsets, std::uint32_t* lengths) {
        const std::uint32_t n = std::uint32_t(data_.size());
        const std::uint8_t* p = data_.data() + i;
        const std::uint32_t max = std::min(n - i, kMaxMatch);
        int count = 0;
        std::uint32_t best = 1;
        if (max >= 2) {
            std::uint32_t key = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
            std::uint32_t at = pair_[key];
            pair_[key] = i;
            // Two bytes pay off only close by (short match or the 128-638 band).
            if (at != kNone && i - at <= 638) {
                std::uint32_t length = MatchLength(p, p - (i - at), max);
                offsets[count] = i - at;
                lengths[count++] = length;
                best = length;
            }
        }
        if (max < 3 || best >= max) return count;
        std::uint32_t h = Hash3(p);
        std::uint32_t at = head_[h];
        prev_[i] = at;
        head_[h] = i;
        for (int depth = 0; at != kNone && depth < kChainDepth; ++depth, at = prev_[at]) {
            const std::uint8_t* q = data_.data() + at;
            if (q[best] != p[best] || q[0] != p[0]) continue;
            std::uint32_t length = MatchLength(p, q, max);
            if (length > best) {
                best = length;
                offsets[count] = i - at;
                lengths[count++] = length;
                if (length >= kNiceMatch || length == max) break;
            }
        }
        return count;
    }

    // Positions inside a match taken whole still go into the tables for later searches.
    void Insert(std::uint32_t i) {
        const std::uint32_t n = std::uint32_t(data_.size());
        if (n - i < 3) return;
        const std::uint8_t* p = data_.data() + i;
        pair_[std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8] = i;
        std::uint32_t h = Hash3(p);
        prev_[i] = head_[h];
        head_[h] = i;
    }

  private:
    std::span<const std::uint8_t> data_;
    std::vector<std::uint32_t> head_, pair_, prev_;
};

struct Node {
    std::uint32_t cost;
    std::uint32_t length;  // of the item arriving here
    std::uint32_t offset;
    std::uint32_t repeat;  // the decoder's last offset after that item
    Kind kind;
    bool rawTail;  // arrived by a raw chunk, so another one costs a single bit more
};

// Picks items for the whole input by shortest total bit count, one window at a time.
std::vector<Item> Parse(std::span<const std::uint8_t> data) {
    const std::uint32_t n = std::uint32_t(data.size());
    const unsigned width = 8;
    std::vector<Item> items;
    MatchFinder finder(data);
    std::vector<Node> nodes(std::size_t(kWindow) + kMaxMatch + kRawChunk + 2);
    std::uint32_t offsets[kChainDepth + 2], lengths[kChainDepth + 2];
    std::uint32_t repeat = 1;
    bool rawTail = false;
    std::uint32_t pos = 0;
    std::vector<Item> reversed;

    while (pos < n) {
        const std::uint32_t limit = std::min(n, pos + kWindow);
        for (Node& node : nodes)
            node.cost = kNone;
        nodes[0] = Node{0, 0, 0, repeat, Kind::Literal, rawTail};
        std::uint32_t end = limit;

        auto relax = [&](std::uint32_t target, std::uint32_t cost, Kind kind, std::uint32_t length,
                         std::uint32_t offset, std::uint32_t rep, bool raw) {
            Node& t = nodes[target - pos];
            if (cost < t.cost) t = Node{cost, length, offset, rep, kind, raw};
        };

        for (std::uint32_t i = pos; i < limit; ++i) {
            const Node c = nodes[i - pos];
            const std::uint32_t base = c.cost;
            const std::uint8_t* p = data.data() + i;
            const std::uint32_t max = std::min(n - i, kMaxMatch);

            int count = finder.Find(i, offsets, lengths);
            std::uint32_t repeatLength = 0;
            if (c.repeat <= i) repeatLength = MatchLength(p, p - c.repeat, max);
            std::uint32_t longest = count > 0 ? lengths[count - 1] : 0;

            // A long match is taken outright: nothing cheaper hides inside a run that long.
            if (std::max(longest, repeatLength) >= kNiceMatch) {
                if (repeatLength >= longest) {
                    relax(i + repeatLength, base + 4 + GammaBits(repeatLength), Kind::Repeat,
                          repeatLength, c.repeat, c.repeat, false);
                    end = i + repeatLength;
                } else {
                    std::uint32_t d = offsets[count - 1];
                    relax(i + longest,
                          base + LongOffsetBits(d, width) + GammaBits(longest - LengthBonus(d)),
                          Kind::Long, longest, d, d, false);
                    end = i + longest;
                }
                for (std::uint32_t k = i + 1; k < end; ++k)
                    finder.Insert(k);
                break;
            }

            relax(i + 1, base + 9, Kind::Literal, 1, 0, c.repeat, false);
            if (*p == 0) {
                relax(i + 1, base + 7, Kind::Zero, 1, 0, c.repeat, false);
            } else {
                for (std::uint32_t d = 1; d <= 14 && d <= i; ++d) {
                    if (p[-std::ptrdiff_t(d)] == *p) {
                        relax(i + 1, base + 7, Kind::Near, 1, d, c.repeat, false);
                        break;
                    }
                }
            }
            if (n - i >= kRawChunk) {
                relax(i + kRawChunk, base + (c.rawTail ? 2049 : 2057), Kind::RawChunk, kRawChunk, 0,
                      c.repeat, true);
            }
            for (std::uint32_t length = 2; length <= repeatLength; ++length) {
                relax(i + length, base + 4 + GammaBits(length), Kind::Repeat, length, c.repeat,
                      c.repeat, false);
            }
            std::uint32_t covered = 1;
            bool shortDone = false;
            for (int k = 0; k < count; ++k) {
                const std::uint32_t d = offsets[k];
                const std::uint32_t length = lengths[k];
                if (d == c.repeat) {
                    covered = std::max(covered, length);
                    continue;
                }
                if (d <= 127 && !shortDone) {
                    for (std::uint32_t l = 2; l <= std::min<std::uint32_t>(5, length); ++l) {
                        relax(i + l, base + 12, Kind::Short, l, d, d, false);
                    }
                    shortDone = length >= 5;
                }
                const std::uint32_t bonus = LengthBonus(d);
                const std::uint32_t offsetBits = LongOffsetBits(d, width);
                for (std::uint32_t l = std::max(covered + 1, bonus + 2); l <= length; ++l) {
                    relax(i + l, base + offsetBits + GammaBits(l - bonus), Kind::Long, l, d, d,
                          false);
                }
                covered = std::max(covered, length);
            }
        }

        reversed.clear();
        for (std::uint32_t k = end; k > pos;) {
            const Node& node = nodes[k - pos];
            reversed.push_back(Item{node.kind, node.length, node.offset});
            k -= node.length;
        }
        items.insert(items.end(), reversed.rbegin(), reversed.rend());
        repeat = nodes[end - pos].repeat;
        rawTail = nodes[end - pos].rawTail;
        pos = end;
    }
    return items;
}

// Literal modes: 8-bit literals (state 0) or 7-bit literals above a base (states 1 to 32,
// base 8 * (state - 1)). Returns the state of every literal, switching only where it pays.
constexpr int kModes = 33;

inline std::uint32_t ModeBase(int mode) {
    return std::uint32_t(8 * (mode - 1));
}

std::vector<std::uint8_t> ChooseLiteralModes(const std::vector<std::uint8_t>& literals) {
    const std::size_t m = literals.size();
    std::vector<std::uint8_t> modes(m, 0);
    if (m == 0) return modes;
    constexpr std::uint64_t kInf = std::numeric_limits<std::uint64_t>::max() / 4;
    auto switchCost = [](int mode) -> std::uint64_t { return mode == 0 ? 9 : 17; };
    auto literalCost = [&](int mode, std::uint8_t b) -> std::uint64_t {
        if (mode == 0) return 9;
        return std::uint8_t(b - ModeBase(mode)) < 128 ? 8 : kInf;
    };
    std::vector<std::uint64_t> stayed(m);  // bit per mode: kept the mode of the literal before
    std::vector<std::uint8_t> from(m);     // the cheapest mode before, for a switch
    std::uint64_t cost[kModes], next[kModes];
    for (int s = 0; s < kModes; ++s)
        cost[s] = switchCost(s) + literalCost(s, literals[0]);
    for (std::size_t j = 1; j < m; ++j) {
        int best = 0;
        for (int s = 1; s < kModes; ++s) {
            if (cost[s] < cost[best]) best = s;
        }
        std::uint64_t bits = 0;
        for (int s = 0; s < kModes; ++s) {
            std::uint64_t stay = cost[s];
            std::uint64_t change = cost[best] + switchCost(s);
            std::uint64_t c = std::min(stay, change);
            if (stay <= change) bits |= std::uint64_t(1) << s;
            next[s] = std::min(kInf, c + literalCost(s, literals[j]));
        }
        stayed[j] = bits;
        from[j] = std::uint8_t(best);
        std::copy(next, next + kModes, cost);
    }
    int s = 0;
    for (int k = 1; k < kModes; ++k) {
        if (cost[k] < cost[s]) s = k;
    }
    for (std::size_t j = m; j-- > 0;) {
        modes[j] = std::uint8_t(s);
        if (j > 0 && !(stayed[j] >> s & 1)) s = from[j];
    }
    return modes;
}

// The offset width that makes the explicit offsets cheapest, change item included.
unsigned ChooseOffsetWidth(const std::vector<Item>& items) {
    std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
    unsigned bestWidth = 8;
    for (unsigned width = 1; width <= 31; ++width) {
        std::uint64_t total = width == 8 ? 0 : (width < 16 ? 16 : 17);
        for (const Item& item : items) {
            if (item.kind == Kind::Long) total += LongOffsetBits(item.offset, width);
        }
        if (total < best) {
            best = total;
            bestWidth = width;
        }
    }
    return bestWidth;
}

// Bits go out most significant first, packed into 32-bit little-endian words.
class BitWriter {
  public:
    explicit BitWriter(std::vector<std::uint8_t>* out) : out_(out) {}

    void Put(std::uint32_t value, unsigned bits) {
        if (bits == 0) return;
        acc_ = (acc_ << bits) | (value & (bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1));
        count_ += bits;
        if (count_ >= 32) {
            count_ -= 32;
            Word(std::uint32_t(acc_ >> count_));
        }
    }
    void Gamma(std::uint32_t v) {
        for (int bit = 30 - __builtin_clz(v); bit >= 0; --bit) {
            Put((v >> bit) & 1, 1);
            Put(bit > 0 ? 1 : 0, 1);
        }
    }
    void Finish() {
        if (count_ > 0) Word(std::uint32_t(acc_ << (32 - count_)));
        count_ = 0;
    }

  private:
    void Word(std::uint32_t w) {
        for (int i = 0; i < 4; ++i)
            out_->push_back(std::uint8_t(w >> (8 * i)));
    }
    std::vector<std::uint8_t>* out_;
    std::uint64_t acc_ = 0;
    unsigned count_ = 0;
};

void PutLe32(std::vector<std::uint8_t>* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out->push_back(std::uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> CompressBlock(std::span<const std::uint8_t> content) {
    if (content.size() > std::numeric_limits<std::uint32_t>::max()) return {};
    const std::uint32_t n = std::uint32_t(content.size());
    std::vector<Item> items = Parse(content);

    std::vector<std::uint8_t> literals;
    {
        std::uint32_t at = 0;
        for (const Item& item : items) {
            if (item.kind == Kind::Literal) literals.push_back(content[at]);
            at += item.length;
        }
    }
    std::vector<std::uint8_t> modes = ChooseLiteralModes(literals);
    const unsigned width = ChooseOffsetWidth(items);

    std::vector<std::uint8_t> block = {game::presentation::kBlockMagic[0],
                                       game::presentation::kBlockMagic[1]};
    PutLe32(&block, n);
    PutLe32(&block, n == 0 ? 0 : PackChecksum(content.data(), n));
    block.reserve(kBlockHeaderSize + n / 2);
    BitWriter out(&block);
    if (width != 8) {
        unsigned code = width < 16 ? 1 : 2;
        out.Put(0b000, 3);
        out.Put(0, 7);
        out.Put(code, 2);
        out.Put(width, code + 3);
    }
    int mode = -1;
    std::size_t literal = 0;
    std::uint32_t at = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const Item& item = items[k];
        switch (item.kind) {
            case Kind::Literal: {
                int wanted = modes[literal++];
                if (wanted != mode) {
                    out.Put(0b001'0000'0, 8);
                    out.Put(wanted == 0 ? 1 : 0, 1);
                    if (wanted != 0) out.Put(ModeBase(wanted), 8);
                    mode = wanted;
                }
                if (mode == 0) {
                    out.Put(0x100 | content[at], 9);
                } else {
                    out.Put(0x80 | std::uint8_t(content[at] - ModeBase(mode)), 8);
                }
                break;
            }
            case Kind::Zero:
                out.Put(0b001'0001, 7);
                break;
            case Kind::Near:
                out.Put(0b001'0000 | (item.offset + 1), 7);
                break;
            case Kind::Short:
                out.Put(0b000, 3);
                out.Put(item.offset, 7);
                out.Put(item.length - 2, 2);
                break;
            case Kind::Repeat:
                out.Put(0b01'00, 4);  // gamma 2: the last offset again
                out.Gamma(item.length);
                break;
            case Kind::Long:
                out.Put(0b01, 2);
                out.Gamma((item.offset >> width) + 3);
                out.Put(item.offset & ((1u << width) - 1), width);
                out.Gamma(item.length - LengthBonus(item.offset));
                break;
            case Kind::RawChunk: {
                const bool first = k == 0 || items[k - 1].kind != Kind::RawChunk;
                if (first) out.Put(0b001'0000'1, 8);
                for (std::uint32_t b = 0; b < kRawChunk; ++b)
                    out.Put(content[at + b], 8);
                const bool more = k + 1 < items.size() && items[k + 1].kind == Kind::RawChunk;
                out.Put(more ? 1 : 0, 1);
                break;
            }
        }
        at += item.length;
    }
    out.Put(0, 12);  // end marker: short match with offset 0, code 0
    out.Finish();
    return block;
}

std::vector<std::uint8_t> PackEntry(std::span<const std::uint8_t> content, bool raw) {
    // The game's reader refuses anything larger, so such an entry would only leave a gap.
    if (content.size() > game::presentation::kMaxEntrySize) return {};
    const std::uint32_t n = std::uint32_t(content.size());
    std::vector<std::uint8_t> entry;
    if (!raw && n > 0) {
        std::vector<std::uint8_t> block = CompressBlock(content);
        if (!block.empty() && block.size() < n) {
            // Check the block with the game's own decoder; a raw entry is always safe.
            std::vector<std::uint8_t> back(n);
            if (game::presentation::UnpackBlock(block.data(), block.size(), back.data(), n) == n &&
                std::equal(back.begin(), back.end(), content.begin())) {
                PutLe32(&entry, n);
                PutLe32(&entry, std::uint32_t(block.size()));
                entry.insert(entry.end(), block.begin(), block.end());
                return entry;
            }
        }
    }
    PutLe32(&entry, n);
    PutLe32(&entry, n);
    entry.insert(entry.end(), content.begin(), content.end());
    return entry;
}

namespace {

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    return runtime::support::WriteFully(fd, bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

// Differs: the pack tool refuses entries over 64 MiB and writes into a device or pipe
// (docs/differences.md, Resource packs)
bool WritePack(const std::string& path, const std::vector<std::vector<std::uint8_t>>& contents,
               bool raw, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    std::vector<std::vector<std::uint8_t>> entries;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        entries.push_back(PackEntry(contents[i], raw));
        if (entries.back().empty()) {
            return fail(path + ": entry " + std::to_string(i) + " is over the " +
                        std::to_string(game::presentation::kMaxEntrySize >> 20) +
                        " MiB entry limit");
        }
    }

    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) return fail(path + ": cannot create: " + std::strerror(errno));
    if (exists && S_ISDIR(info.st_mode)) return fail(path + ": is a folder");
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a pipe cannot be replaced by a renamed file: the pack goes straight in.
        int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return fail(path + ": cannot open: " + std::strerror(errno));
        for (const std::vector<std::uint8_t>& entry : entries) {
            if (!WriteAll(fd, entry)) {
                const int err = errno;
                ::close(fd);
                return fail(path + ": write failed: " + std::strerror(err));
            }
        }
        if (::close(fd) != 0) return fail(path + ": write failed: " + std::strerror(errno));
        return true;
    }

    // A new or plain file is written beside the target and renamed over it, so a failed write
    // never damages a pack.
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return fail(path + ": cannot create: " + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions a plain create would.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    auto abandon = [&](const std::string& message) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(message);
    };
    for (const std::vector<std::uint8_t>& entry : entries) {
        if (!WriteAll(fd, entry)) return abandon(path + ": write failed: " + std::strerror(errno));
    }
    if (::fsync(fd) != 0) return abandon(path + ": write failed: " + std::strerror(errno));
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        return fail(path + ": write failed: " + std::strerror(errno));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return fail(path + ": cannot replace: " + std::strerror(err));
    }
    return true;
}

}  // namespace tools::pack
