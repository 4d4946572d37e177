#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools::assets {

// Writes the runnable game's content into `gameDir`: data/*.pak (every pack of the
// catalogue), sfx/*.mp3 (the music) and levels/*.lvl (sample level files). Folders are
// created as needed. Returns false with a message on the first failure.
bool BuildGameFolder(const std::string& gameDir, std::string* error);

// The launcher banner: a 580 x 61, 24-bit BMP.
std::vector<std::uint8_t> LauncherBannerBmp();

// The body of launcher/banner.hpp: C++ source that defines launcher::bannerBmp() over
// the given bytes.
std::string BannerSource(const std::vector<std::uint8_t>& bmp);

// A PNG overview of every picture of every pack, entry numbers beside them.
bool WriteContactSheet(const std::string& pngPath, std::string* error);

// One picture of a pack as a PNG, exactly as the game would hold it (for close review).
bool WritePicturePng(const std::string& packName, int entry, const std::string& pngPath,
                     std::string* error);

// The sample level files: file name and exact content (164 lines, CR LF).
struct LevelFile {
    std::string name;
    std::string text;
};
std::vector<LevelFile> SampleLevels();

// A pack file image of the given entry contents (each stored compressed when smaller).
std::vector<std::uint8_t> PackBytes(const std::vector<std::vector<std::uint8_t>>& contents);

}  // namespace tools::assets
