// Tells whether a screenshot shows a frame of play: most lit pixels of the play pack's
// play-field frame must appear in it at their places. The balls, the score and
// the opening overlay cover only a little of the frame.
// Usage: level_frame_check SCREEN.bmp GAME_DIR
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "game/presentation/packs/play_pack.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"

namespace {

constexpr int kPlayFrameEntry =
    game::presentation::play_pack::PictureEntry(game::presentation::play_pack::kPlayfieldFrame);
constexpr int kShot = 1;
constexpr int kFrame = 2;

bool LoadFile(const std::string& path, int sprite) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return runtime::sprites::LoadSpriteFromMemory(sprite, bytes.data(), bytes.size()) != 0;
}

bool LoadPlayFrame(const std::string& gameDir, int sprite) {
    if (!game::presentation::OpenPack(gameDir + "/data/level1.pak")) return false;
    game::presentation::PackContent entry;
    for (int i = 0; i <= kPlayFrameEntry; ++i)
        entry = game::presentation::NextPackEntry();
    const bool loaded =
        entry && runtime::sprites::LoadSpriteFromMemory(sprite, entry.bytes, entry.size) != 0;
    game::presentation::ClosePack();
    return loaded;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: level_frame_check SCREEN.bmp GAME_DIR\n");
        return 2;
    }
    runtime::screen::headless::UseHeadlessDisplay();
    runtime::screen::InitSpriteEngine();
    if (!LoadFile(argv[1], kShot) || !LoadPlayFrame(argv[2], kFrame)) {
        std::fprintf(stderr, "level_frame_check: cannot read %s or the play frame\n", argv[1]);
        return 1;
    }
    const auto& shot = *runtime::sprites::FindSprite(kShot)->surface;
    const auto& frame = *runtime::sprites::FindSprite(kFrame)->surface;
    if (shot.width != 800 || shot.height != 600) {
        std::fprintf(stderr, "level_frame_check: the picture is %d x %d\n", shot.width,
                     shot.height);
        return 1;
    }
    long lit = 0, matching = 0;
    for (int y = 0; y < frame.height && y < 600; ++y)
        for (int x = 0; x < frame.width && x < 800; ++x) {
            const std::uint32_t pixel = frame.At(x, y) & 0xFFFFFF;
            if (pixel == 0) continue;
            ++lit;
            if ((shot.At(x, y) & 0xFFFFFF) == pixel) ++matching;
        }
    std::printf("play frame: %ld of %ld lit pixels in place\n", matching, lit);
    return lit > 0 && matching * 10 >= lit * 8 ? 0 : 1;
}
