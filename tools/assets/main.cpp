// tessaly-assets: draws the game's pictures, gathers its sounds and music, and writes the
// runnable game folder, the launcher banner source and a contact sheet for review.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tools/assets/builder.hpp"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tessaly-assets --out GAME_DIR\n"
                 "       tessaly-assets --banner-source FILE.cpp\n"
                 "       tessaly-assets --banner-bmp FILE.bmp\n"
                 "       tessaly-assets --contact-sheet FILE.png\n"
                 "       tessaly-assets --picture PACK ENTRY FILE.png\n");
    return 2;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--picture") {
        std::string error;
        try {
            if (tools::assets::WritePicturePng(argv[2], std::atoi(argv[3]), argv[4], &error))
                return 0;
        } catch (const std::exception& e) {
            error = e.what();
        }
        std::fprintf(stderr, "tessaly-assets: %s\n", error.c_str());
        return 1;
    }
    if (argc != 3) return Usage();
    std::string option = argv[1], path = argv[2];
    std::string error;
    try {
        if (option == "--out") {
            if (!tools::assets::BuildGameFolder(path, &error)) {
                std::fprintf(stderr, "tessaly-assets: %s\n", error.c_str());
                return 1;
            }
            return 0;
        }
        if (option == "--banner-source" || option == "--banner-bmp") {
            auto bmp = tools::assets::LauncherBannerBmp();
            std::string text = option == "--banner-bmp" ? std::string(bmp.begin(), bmp.end())
                                                        : tools::assets::BannerSource(bmp);
            if (!WriteText(path, text)) {
                std::fprintf(stderr, "tessaly-assets: cannot write %s\n", path.c_str());
                return 1;
            }
            return 0;
        }
        if (option == "--contact-sheet") {
            if (!tools::assets::WriteContactSheet(path, &error)) {
                std::fprintf(stderr, "tessaly-assets: %s\n", error.c_str());
                return 1;
            }
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaly-assets: %s\n", e.what());
        return 1;
    }
    return Usage();
}
