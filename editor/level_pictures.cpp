#include "editor/level_pictures.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "editor/level_document.hpp"
#include "game/levels/bricks.hpp"
#include "game/levels/level_table.hpp"
#include "game/presentation/packs/pack.hpp"
#include "game/presentation/packs/play_pack.hpp"
#include "runtime/images/images.hpp"
#include "runtime/support/path.hpp"

namespace editor {

namespace fs = std::filesystem;
namespace levels = game::levels;
using game::presentation::PackScanner;
using game::presentation::PackStep;
using runtime::screen::Surface;

namespace {

constexpr const char* kPlayPack = "data\\level1.pak";

// One picture wanted from a pack: its entry and where it goes.
struct Wanted {
    int entry;
    Surface* into;
};

std::string Describe(PackStep step) {
    switch (step) {
        case PackStep::HeaderCutShort:
        case PackStep::DataCutShort:
            return "the file is cut short";
        case PackStep::CorruptBlock:
            return "a damaged entry";
        case PackStep::TooLarge:
            return "an entry too large to read";
        case PackStep::OutOfMemory:
            return "not enough memory";
        case PackStep::ReadError:
            return "a read error";
        default:
            return "fewer entries than expected";
    }
}

// Reads the wanted entries (in rising entry order) from one pack; a problem names the file.
void ReadPack(const std::string& gameFolder, const char* pack, const std::vector<Wanted>& wanted,
              std::vector<std::string>& problems) {
    const std::string path = gameFolder + "/" + runtime::support::PlatformPath(pack);
    PackScanner scanner;
    if (!scanner.Open(path)) {
        problems.push_back(path + ": " + std::strerror(errno));
        return;
    }
    int entry = 0;
    for (const Wanted& want : wanted) {
        game::presentation::ScannedEntry scanned;
        // Damaged entries keep their places, so counting steps finds every later entry.
        for (; entry <= want.entry; ++entry) {
            scanned = scanner.Next();
            if (scanned.step == PackStep::End || scanned.step == PackStep::HeaderCutShort ||
                scanned.step == PackStep::DataCutShort || scanned.step == PackStep::ReadError)
                break;
        }
        if (entry <= want.entry || scanned.step != PackStep::Entry) {
            problems.push_back(path + ": entry " + std::to_string(want.entry) + ": " +
                               Describe(scanned.step));
            if (entry <= want.entry) return;  // nothing more can be read
            continue;
        }
        Surface picture;
        if (!runtime::images::DecodePicture(scanned.content.bytes, scanned.content.size, picture,
                                            nullptr)) {
            problems.push_back(path + ": entry " + std::to_string(want.entry) +
                               " is not a picture");
            continue;
        }
        *want.into = std::move(picture);
    }
}

bool HasPlayPack(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() &&
           fs::is_regular_file(folder / runtime::support::PlatformPath(kPlayPack), ec);
}

}  // namespace

LevelPictures LoadLevelPictures(const std::string& gameFolder) {
    runtime::images::RegisterJpegDecoder();
    LevelPictures pictures;

    // Each brick's picture, from the entry the game reads into it.
    std::vector<Wanted> bricks;
    for (int i = 0; i < 7; ++i)
        bricks.push_back({game::presentation::play_pack::PictureEntry(levels::kFirstBrickCode + i),
                          &pictures.bricks[std::size_t(i)]});
    ReadPack(gameFolder, kPlayPack, bricks, pictures.problems);

    // Several background codes share a pack: each pack is read once, in entry order.
    std::map<std::string, std::map<int, Surface*>> byPack;
    for (int code = kFirstBackground; code <= kLastBackground; ++code) {
        const levels::Background background = levels::backgroundForCode(code);
        int entry = 0;
        while (levels::kBackgroundSprites[entry] != background.sprite)
            ++entry;
        byPack[background.pack][entry] =
            &pictures.backgrounds[std::size_t(code - kFirstBackground)];
    }
    for (const auto& [pack, entries] : byPack) {
        std::vector<Wanted> wanted;
        for (const auto& [entry, into] : entries)
            wanted.push_back({entry, into});
        ReadPack(gameFolder, pack.c_str(), wanted, pictures.problems);
    }
    return pictures;
}

const Surface* BrickPicture(const LevelPictures& pictures, int code) {
    if (!levels::IsBrickCode(code)) return nullptr;
    const Surface& picture = pictures.bricks[std::size_t(code - levels::kFirstBrickCode)];
    return picture.width > 0 ? &picture : nullptr;
}

const Surface* BackgroundPicture(const LevelPictures& pictures, int code) {
    if (code < kFirstBackground || code > kLastBackground) return nullptr;
    const Surface& picture = pictures.backgrounds[std::size_t(code - kFirstBackground)];
    return picture.width > 0 ? &picture : nullptr;
}

std::string FindGameFolder() {
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    std::vector<fs::path> candidates{here};
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && dataHome[0] == '/')
        candidates.push_back(fs::path(dataHome) / "tessaly");
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        candidates.push_back(fs::path(home) / ".local/share/tessaly");
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) candidates.push_back(program.parent_path());
    for (const fs::path& folder : candidates)
        if (HasPlayPack(folder)) return folder.string();
    return here.string();
}

}  // namespace editor
