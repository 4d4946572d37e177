// tessaly-pack: makes, lists and unpacks the game's resource packs.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "runtime/support/path.hpp"
#include "tools/pack/pack_writer.hpp"

namespace {

using game::presentation::PackScanner;
using game::presentation::PackStep;
using game::presentation::ScannedEntry;

constexpr const char* kUsage =
    "usage: tessaly-pack create [--raw] OUT.pak FILE...\n"
    "       tessaly-pack list PACK\n"
    "       tessaly-pack extract PACK DIR\n"
    "       tessaly-pack --help | --version\n"
    "\n"
    "create   writes the files, in order, as the entries of a pack; each entry is\n"
    "         compressed unless --raw is given or compression does not make it smaller\n"
    "list     prints INDEX UNPACKED STORED KIND for every entry\n"
    "extract  writes every entry to DIR/NNN.bmp, .jpg, .wav or .bin\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "tessaly-pack: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

struct Kind {
    const char* name;
    const char* extension;
};

// The pack keeps no kinds; the content's own first bytes tell.
Kind KindOf(const std::uint8_t* bytes, std::size_t size) {
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return {"bmp", ".bmp"};
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        return {"jpeg", ".jpg"};
    }
    if (size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 &&
        std::memcmp(bytes + 8, "WAVE", 4) == 0) {
        return {"wave", ".wav"};
    }
    return {"data", ".bin"};
}

std::string Problem(const ScannedEntry& entry) {
    switch (entry.step) {
        case PackStep::HeaderCutShort:
            return "header cut short (" + std::to_string(entry.available) + " of 8 bytes)";
        case PackStep::DataCutShort:
            return "data cut short (" + std::to_string(entry.available) + " of " +
                   std::to_string(entry.stored) + " bytes)";
        case PackStep::CorruptBlock:
            return std::string("corrupt block: ") + DescribeBlockResult(entry.block);
        case PackStep::TooLarge:
            return "too large: " +
                   (entry.unpacked > game::presentation::kMaxEntrySize
                        ? std::to_string(entry.unpacked) + " bytes unpacked"
                        : std::to_string(entry.stored) + " bytes stored") +
                   ", over the " + std::to_string(game::presentation::kMaxEntrySize >> 20) +
                   " MiB limit";
        case PackStep::OutOfMemory:
            return "not enough memory for " + std::to_string(entry.unpacked) + " bytes";
        case PackStep::ReadError:
            return std::string("read error: ") + std::strerror(errno);
        default:
            return "unexpected state";
    }
}

// Names a path that holds nothing to read (a folder, a broken link) as what it is; pipes and
// devices are read as they come, and a missing file is left to the open's own reason.
bool NamedAsUnreadable(const std::string& path) {
    const runtime::support::PathKind kind = runtime::support::KindOfPath(path);
    if (!runtime::support::NothingToRead(kind)) return false;
    std::fprintf(stderr, "tessaly-pack: %s: %s\n", path.c_str(),
                 runtime::support::PathKindWords(kind));
    return true;
}

// Opens a pack for a walk, saying why it cannot be read: what the name is when it is not a
// plain file (the pack reader takes nothing else), or the system's reason.
bool OpenPackFile(PackScanner* scanner, const std::string& packPath) {
    using runtime::support::PathKind;
    if (scanner->Open(packPath)) return true;
    const int err = errno;
    const PathKind kind = runtime::support::KindOfPath(packPath);
    if (kind == PathKind::PlainFile || kind == PathKind::Missing || kind == PathKind::Unreachable) {
        std::fprintf(stderr, "tessaly-pack: %s: cannot open: %s\n", packPath.c_str(),
                     std::strerror(err));
    } else {
        std::fprintf(stderr, "tessaly-pack: %s: %s\n", packPath.c_str(),
                     runtime::support::PathKindWords(kind));
    }
    return false;
}

// Walks an open pack, handing every good entry to visit. A damaged or oversized entry is
// reported and skipped (the entries after it are intact); a cut-short file ends the walk.
// Returns the exit code.
template <typename Visit>
int Walk(PackScanner* scanner, const std::string& packPath, Visit visit) {
    int status = 0;
    for (std::size_t index = 0;; ++index) {
        ScannedEntry entry = scanner->Next();
        if (entry.step == PackStep::End) break;
        if (entry.step != PackStep::Entry) {
            std::fprintf(stderr, "tessaly-pack: %s: entry %zu: %s\n", packPath.c_str(), index,
                         Problem(entry).c_str());
            status = 1;
            if (entry.step == PackStep::CorruptBlock || entry.step == PackStep::TooLarge) continue;
            break;
        }
        if (!visit(index, entry)) {
            status = 1;
            break;
        }
    }
    return status;
}

int List(const std::string& packPath) {
    PackScanner scanner;
    if (!OpenPackFile(&scanner, packPath)) return 1;
    return Walk(&scanner, packPath, [](std::size_t index, const ScannedEntry& entry) {
        Kind kind = KindOf(entry.content.bytes, entry.content.size);
        std::printf("%zu %u %u %s\n", index, entry.unpacked, entry.stored, kind.name);
        return true;
    });
}

int Extract(const std::string& packPath, const std::string& dir) {
    // The folder is made only for a pack that opens.
    PackScanner scanner;
    if (!OpenPackFile(&scanner, packPath)) return 1;
    std::error_code failed;
    std::filesystem::create_directories(dir, failed);
    if (failed || !std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "tessaly-pack: %s: cannot create folder: %s\n", dir.c_str(),
                     failed ? failed.message().c_str() : "not a folder");
        return 1;
    }
    return Walk(&scanner, packPath, [&](std::size_t index, const ScannedEntry& entry) {
        char name[32];
        std::snprintf(name, sizeof name, "%03zu%s", index,
                      KindOf(entry.content.bytes, entry.content.size).extension);
        std::string path = (std::filesystem::path(dir) / name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(entry.content.bytes),
                  std::streamsize(entry.content.size));
        out.close();
        if (!out) {
            std::fprintf(stderr, "tessaly-pack: %s: entry %zu: cannot write %s\n", packPath.c_str(),
                         index, path.c_str());
            return false;
        }
        return true;
    });
}

// Reads one input file whole. Reading stops just past the entry limit, so an endless device
// cannot fill the memory.
bool ReadInput(const std::string& file, std::vector<std::uint8_t>* content) {
    if (NamedAsUnreadable(file)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tessaly-pack: %s: cannot read: %s\n", file.c_str(),
                     std::strerror(errno));
        return false;
    }
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content->insert(content->end(), chunk, chunk + in.gcount());
        if (content->size() > game::presentation::kMaxEntrySize) {
            std::fprintf(stderr, "tessaly-pack: %s: too large for a pack entry (over %u MiB)\n",
                         file.c_str(), game::presentation::kMaxEntrySize >> 20);
            return false;
        }
    }
    if (in.bad()) {
        std::fprintf(stderr, "tessaly-pack: %s: read error\n", file.c_str());
        return false;
    }
    return true;
}

int Create(const std::string& outPath, const std::vector<std::string>& files, bool raw) {
    std::vector<std::vector<std::uint8_t>> contents(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!ReadInput(files[i], &contents[i])) return 1;
    }
    std::string error;
    if (!tools::pack::WritePack(outPath, contents, raw, &error)) {
        std::fprintf(stderr, "tessaly-pack: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tessaly-pack %s\n", TESSALY_VERSION);
            return 0;
        }
    }
    if (args.empty()) return Usage(nullptr);
    const std::string command = args[0];
    if (command == "create") {
        std::size_t at = 1;
        bool raw = false;
        if (at < args.size() && args[at] == "--raw") {
            raw = true;
            ++at;
        }
        if (args.size() - at < 2) return Usage("create needs OUT.pak and at least one FILE");
        for (std::size_t i = at; i < args.size(); ++i) {
            if (args[i].size() > 1 && args[i][0] == '-' && args[i][1] == '-') {
                return Usage(("unknown option " + args[i]).c_str());
            }
        }
        return Create(args[at],
                      std::vector<std::string>(args.begin() + std::ptrdiff_t(at) + 1, args.end()),
                      raw);
    }
    if (command == "list") {
        if (args.size() != 2) return Usage("list needs exactly one PACK");
        return List(args[1]);
    }
    if (command == "extract") {
        if (args.size() != 3) return Usage("extract needs PACK and DIR");
        return Extract(args[1], args[2]);
    }
    return Usage(("unknown command " + command).c_str());
}
