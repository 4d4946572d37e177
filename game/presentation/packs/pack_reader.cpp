// The pack reader: entries are taken front to back, each read whole and unpacked at once.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "game/presentation/packs/pack.hpp"
#include "runtime/support/bytes.hpp"
#include "runtime/support/path.hpp"
#include "runtime/support/program.hpp"
#include "runtime/support/regular_file.hpp"

namespace game::presentation {

namespace {

using runtime::support::ReadLe32;

std::unique_ptr<std::uint8_t[]> Allocate(std::size_t size) {
    // Not zero-filled: every byte is overwritten by the read or the decoder.
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
}

PackScanner gReader;  // the game has one reader for the whole program

}  // namespace

PackScanner::~PackScanner() {
    Close();
}

bool PackScanner::Open(const std::string& path) {
    Close();
    // Differs: a pack opens only as a regular file (docs/differences.md, Resource packs)
    // Only a regular file is a pack: a pipe in its place would wait for a writer for ever.
    const int fd = runtime::support::OpenRegularFile(path);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return false;
    }
    fileSize_ = std::uint64_t(info.st_size);
    // Packs are read front to back exactly once.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    finished_ = false;
    position_ = 0;
    return true;
}

void PackScanner::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    finished_ = false;
    content_.reset();
}

bool PackScanner::ReadFully(std::uint8_t* into, std::size_t size, std::size_t* got) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd_, into + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            *got = done;
            position_ += done;
            return false;
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    *got = done;
    position_ += done;
    return true;
}

void PackScanner::SkipData(std::uint32_t stored) {
    // Step over the data so the next entry is read from its own header, not from here.
    if (::lseek(fd_, off_t(stored), SEEK_CUR) < 0) finished_ = true;
    position_ += stored;
}

ScannedEntry PackScanner::Next() {
    ScannedEntry entry;
    content_.reset();  // the previous content is given up by every read
    if (fd_ < 0 || finished_) return entry;

    std::uint8_t header[kEntryHeaderSize];
    std::size_t got = 0;
    if (!ReadFully(header, sizeof header, &got)) {
        finished_ = true;
        entry.step = PackStep::ReadError;
        return entry;
    }
    if (got == 0) {
        finished_ = true;
        return entry;  // the clean end
    }
    if (got < sizeof header) {
        finished_ = true;
        entry.step = PackStep::HeaderCutShort;
        entry.available = got;
        return entry;
    }
    entry.unpacked = ReadLe32(header);
    entry.stored = ReadLe32(header + 4);

    // A stored size beyond the end of the file is not worth a buffer.
    if (entry.stored > fileSize_ - std::min(position_, fileSize_)) {
        finished_ = true;
        entry.step = PackStep::DataCutShort;
        entry.available = fileSize_ - std::min(position_, fileSize_);
        return entry;
    }

    if (entry.unpacked > kMaxEntrySize || entry.stored > kMaxEntrySize) {
        SkipData(entry.stored);
        entry.step = PackStep::TooLarge;
        return entry;
    }

    const bool raw = entry.stored == entry.unpacked;  // equal sizes are the only raw mark
    std::unique_ptr<std::uint8_t[]> content = Allocate(entry.unpacked);
    std::unique_ptr<std::uint8_t[]> stored;
    if (content && !raw) stored = Allocate(entry.stored);
    if (!content || (!raw && !stored)) {
        SkipData(entry.stored);
        entry.step = PackStep::OutOfMemory;
        return entry;
    }
    // A raw entry is read straight into its content buffer.
    std::uint8_t* target = raw ? content.get() : stored.get();
    if (!ReadFully(target, entry.stored, &got)) {
        finished_ = true;
        entry.step = PackStep::ReadError;
        return entry;
    }
    if (got < entry.stored) {
        finished_ = true;
        entry.step = PackStep::DataCutShort;
        entry.available = got;
        return entry;
    }
    if (!raw) {
        entry.block =
            DecodeBlock(stored.get(), entry.stored, content.get(), entry.unpacked, nullptr);
        if (entry.block != BlockResult::Ok) {
            // The next entry still starts right after this one's data.
            entry.step = PackStep::CorruptBlock;
            return entry;
        }
    }
    content_ = std::move(content);
    entry.step = PackStep::Entry;
    entry.content = PackContent{content_.get(), entry.unpacked};
    return entry;
}

bool OpenPack(std::string_view fileName) {
    gReader.Close();
    runtime::support::AddShutdownRelease(runtime::support::ShutdownStage::ResourcePack, ClosePack);
    return gReader.Open(runtime::support::PlatformPath(fileName));
}

PackContent NextPackEntry() {
    ScannedEntry entry = gReader.Next();
    if (entry.step != PackStep::Entry) return {};
    return entry.content;
}

void ClosePack() {
    gReader.Close();
}

}  // namespace game::presentation
