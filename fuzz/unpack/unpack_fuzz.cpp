// Feeds hostile bytes to the block decoder and to the pack reader.
// Input: 4 bytes of unpacked size (little-endian, capped at 1 MiB), then the block. The whole
// input is also read as a pack file, through the game's own reader, with no cap of its own.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"

namespace {

volatile std::size_t gSink;

int PackFile() {
    static int fd = ::memfd_create("fuzz-pack", MFD_CLOEXEC);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace game::presentation;
    if (size >= 4) {
        std::uint32_t unpacked = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                 std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
        unpacked &= (1u << 20) - 1;
        // Exactly sized, so any write beyond the area is caught.
        std::vector<std::uint8_t> out(unpacked);
        std::vector<std::uint8_t> block(data + 4, data + size);
        std::size_t produced = UnpackBlock(block.data(), block.size(), out.data(), out.size());
        if (produced != 0 && produced != unpacked) __builtin_trap();
        // The block's own size field is the usual case; try that too when small enough.
        if (block.size() >= 6) {
            std::uint32_t field = std::uint32_t(block[2]) | std::uint32_t(block[3]) << 8 |
                                  std::uint32_t(block[4]) << 16 | std::uint32_t(block[5]) << 24;
            if (field <= (1u << 20)) {
                std::vector<std::uint8_t> exact(field);
                std::size_t got = UnpackBlock(block.data(), block.size(), exact.data(), field);
                if (got != 0 && got != field) __builtin_trap();
            }
        }
    }

    // The same bytes as a pack file, huge size fields included: the reader's entry limit is
    // what keeps them from asking for gigabytes.
    int fd = PackFile();
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) {
        return 0;
    }
    if (!OpenPack("/proc/self/fd/" + std::to_string(fd))) __builtin_trap();
    std::size_t total = 0;
    for (int i = 0; i < 1000; ++i) {
        PackContent content = NextPackEntry();
        if (!content && i > int(size / 8) + 1) break;
        if (content.size > kMaxEntrySize) __builtin_trap();
        // Touch every byte handed out, as catching a sprite would.
        for (std::size_t k = 0; k < content.size; ++k)
            total += content.bytes[k];
    }
    ClosePack();
    gSink = gSink + total;
    return 0;
}
