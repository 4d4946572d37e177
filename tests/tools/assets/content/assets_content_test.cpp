// Checks the game folder the asset builder wrote: every pack read with the game's reader,
// every picture through the sprite loader and every sound through the sound loader, the
// sizes the play rules depend on, the sample levels, and that a second build is identical.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "game/presentation/packs/play_pack.hpp"
#include "launcher/banner.hpp"
#include "runtime/images/decoders.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "tests/game_folder.hpp"

namespace fs = std::filesystem;
namespace gp = game::presentation;
namespace play_pack = game::presentation::play_pack;
namespace rsp = runtime::sprites;

namespace {

// The folder the play tests read: this build's own, or another build's in a build without
// the assets.
const fs::path kGameDir = TESSALY_PLAY_DATA_DIR;

// What the game reads each entry into: 'S' sprite, 'T' texture sprite, 'W' sound.
struct PackUse {
    const char* name;
    std::string uses;
};

// The entry of the play pack that the game reads into a picture.
std::size_t Play(int sprite) {
    return std::size_t(play_pack::PictureEntry(sprite));
}

// What the game reads each entry of the play pack into, from the game's own catalogue.
std::string PlayPackUses() {
    std::string uses;
    for (const gp::PackTarget& target : play_pack::kEntries)
        uses += target.kind == gp::PackTarget::Sound     ? 'W'
                : target.kind == gp::PackTarget::Texture ? 'T'
                                                         : 'S';
    return uses;
}

// The other packs are written out from the game's reading order, independently of the
// builder's catalogue.
const std::vector<PackUse>& ExpectedPacks() {
    static const std::vector<PackUse> packs = {
        {"win.pak", "SSSSTTSS"},
        {"logo.pak", "SSTTTST"},
        {"introduce.pak", "SSSSTSSSTSSSSSSSSSSS"},
        {"wat.pak", std::string(30, 'S')},
        {"fontes.pak", std::string(36, 'S')},
        {"level1.pak", PlayPackUses()},
        {"sc.pak", std::string(10, 'S')},
        {"lvl0105.pak", "SSSS"},
        {"lvl0610.pak", "SSSS"},
        {"lvl1115.pak", "SSSS"},
        {"theend.pak", "SSSSSS"},
        {"gameover.pak", "SSSSSWW"},
        {"credits.pak", "SSTSS"},
    };
    return packs;
}

enum class Kind { Bmp, Jpeg, Wave, Other };

Kind KindOf(const std::uint8_t* b, std::size_t n) {
    if (n >= 2 && b[0] == 'B' && b[1] == 'M') return Kind::Bmp;
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return Kind::Jpeg;
    if (n >= 12 && std::string(reinterpret_cast<const char*>(b), 4) == "RIFF" &&
        std::string(reinterpret_cast<const char*>(b) + 8, 4) == "WAVE")
        return Kind::Wave;
    return Kind::Other;
}

std::vector<std::uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Loaded {
    int width = 0, height = 0;
    Kind kind = Kind::Other;
};

// The game runs from its folder and names packs like "data\level1.pak".
class GameFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        NEED_GAME_FOLDER(kGameDir);
        saved_ = fs::current_path();
        fs::current_path(kGameDir);
        runtime::images::RegisterJpegDecoder();
        runtime::screen::headless::UseHeadlessDisplay();
        ASSERT_NE(runtime::screen::InitSpriteEngine(), 0);
        ASSERT_NE(runtime::screen::OpenFullScreen(800, 600, 32, ""), 0);
        runtime::sound::headless::UseHeadlessSound();
        ASSERT_EQ(runtime::sound::InitSoundOutput(), 1);
    }
    void TearDown() override {
        if (saved_.empty()) return;
        gp::ClosePack();
        runtime::sound::ReleaseSoundOutput();
        runtime::screen::CloseScreenDisplay();
        fs::current_path(saved_);
    }

    // Reads a whole pack the way the game does, loading each entry as its use says;
    // returns what each entry became.
    std::vector<Loaded> LoadPack(const PackUse& pack) {
        std::vector<Loaded> out;
        EXPECT_TRUE(gp::OpenPack(std::string("data\\") + pack.name)) << pack.name;
        for (std::size_t i = 0; i < pack.uses.size(); ++i) {
            gp::PackContent c = gp::NextPackEntry();
            if (!c) {
                ADD_FAILURE() << pack.name << ": entry " << i << " missing";
                break;
            }
            Loaded l;
            l.kind = KindOf(c.bytes, c.size);
            char use = pack.uses[i];
            if (use == 'W') {
                EXPECT_EQ(l.kind, Kind::Wave) << pack.name << " entry " << i;
                EXPECT_NE(runtime::sound::LoadSoundFromMemory(int(i), c.bytes, c.size), 0)
                    << pack.name << " entry " << i << " is not a sound the game can play";
            } else {
                EXPECT_TRUE(l.kind == Kind::Bmp || l.kind == Kind::Jpeg)
                    << pack.name << " entry " << i;
                int mode = use == 'T' ? rsp::Texture : rsp::DisplayMemory;
                int n = 1000 + int(i);
                EXPECT_NE(rsp::LoadSpriteFromMemory(n, c.bytes, c.size, mode), 0)
                    << pack.name << " entry " << i << " does not load as a sprite";
                if (const rsp::SpriteRecord* r = rsp::FindSprite(n)) {
                    l.width = r->fullWidth;
                    l.height = r->fullHeight;
                }
                rsp::DiscardSprite(n);
            }
            out.push_back(l);
        }
        EXPECT_FALSE(gp::NextPackEntry()) << pack.name << " holds more entries than the game reads";
        gp::ClosePack();
        return out;
    }

    // Reads a pack into the sprite numbers the game uses (sounds are skipped).
    void LoadInto(const char* pack, const std::vector<int>& numbers, const std::string& uses) {
        ASSERT_TRUE(gp::OpenPack(std::string("data\\") + pack)) << pack;
        for (std::size_t i = 0; i < uses.size(); ++i) {
            gp::PackContent c = gp::NextPackEntry();
            ASSERT_TRUE(c) << pack << " entry " << i;
            if (uses[i] == 'W') continue;
            int mode = uses[i] == 'T' ? rsp::Texture : rsp::DisplayMemory;
            ASSERT_NE(rsp::LoadSpriteFromMemory(numbers[i], c.bytes, c.size, mode), 0);
        }
        gp::ClosePack();
    }

    // The sprite numbers of data\level1.pak in reading order (-1 for its sounds).
    static std::vector<int> Level1Numbers() {
        std::vector<int> n;
        for (const gp::PackTarget& target : play_pack::kEntries)
            n.push_back(target.kind == gp::PackTarget::Sound ? -1 : target.number);
        return n;
    }

    // True when no pixel inside the sprite, `inset` pixels from its edges, is see-through.
    static bool SolidInside(int n, int inset) {
        const rsp::SpriteRecord* r = rsp::FindSprite(n);
        if (!r || !r->surface) return false;
        for (int y = inset; y < r->fullHeight - inset; ++y)
            for (int x = inset; x < r->fullWidth - inset; ++x)
                if ((r->surface->At(x, y) & 0xFFFFFFu) == 0) return false;
        return true;
    }

    std::map<std::string, std::vector<Loaded>> LoadAll() {
        std::map<std::string, std::vector<Loaded>> all;
        for (const PackUse& pack : ExpectedPacks())
            all[pack.name] = LoadPack(pack);
        return all;
    }

  private:
    fs::path saved_;
};

TEST_F(GameFolder, EveryPackLoadsThroughTheGameReaderWithTheRightKinds) {
    auto all = LoadAll();
    for (const PackUse& pack : ExpectedPacks()) {
        const auto& entries = all[pack.name];
        ASSERT_EQ(entries.size(), pack.uses.size()) << pack.name;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            // Keyed pictures, textures and collision pictures must not be JPEG: its noise
            // would punch see-through holes into them.
            std::string name = pack.name;
            bool opaqueBackground = name.rfind("lvl", 0) == 0;
            bool playPicture = name == "level1.pak" || name == "sc.pak" || name == "fontes.pak";
            if (pack.uses[i] == 'T' || (playPicture && pack.uses[i] == 'S')) {
                EXPECT_EQ(entries[i].kind, Kind::Bmp) << name << " entry " << i;
            }
            if (opaqueBackground) {
                EXPECT_EQ(entries[i].kind, Kind::Jpeg) << name << " entry " << i;
            }
        }
    }
}

TEST_F(GameFolder, PictureSizesFitTheGameLayout) {
    auto all = LoadAll();
    auto size = [&](const char* pack, std::size_t entry) {
        const auto& e = all[pack];
        return entry < e.size() ? e[entry] : Loaded{};
    };
    auto expectSize = [&](const char* pack, std::size_t entry, int w, int h) {
        Loaded l = size(pack, entry);
        EXPECT_EQ(l.width, w) << pack << " entry " << entry;
        EXPECT_EQ(l.height, h) << pack << " entry " << entry;
    };
    // Full-screen pictures.
    for (const char* pack : {"lvl0105.pak", "lvl0610.pak", "lvl1115.pak"})
        for (std::size_t i = 0; i < 4; ++i)
            expectSize(pack, i, 800, 600);
    expectSize("introduce.pak", 17, 800, 600);
    for (std::size_t i : {0u, 1u, 2u, 4u, 5u})
        expectSize("theend.pak", i, 800, 600);
    for (std::size_t i : {1u, 3u, 4u})
        expectSize("credits.pak", i, 800, 600);
    // Pictures whose size the drawing code fixes.
    expectSize("level1.pak", Play(play_pack::kIntroLattice), 600, 600);  // scrolled inside itself
    expectSize("level1.pak", Play(play_pack::kBarrier), 800, 20);
    expectSize("level1.pak", Play(play_pack::kExplosionStrip), 510, 27);  // 17 frames of 30 x 27
    expectSize("level1.pak", Play(play_pack::kRocketFlame), 528, 28);     // 33 frames of 16 x 28
    expectSize("level1.pak", Play(play_pack::kGaugeFill), 71, 184);
    expectSize("logo.pak", 6, 256, 256);
    expectSize("logo.pak", 1, 800, 20);
    expectSize("introduce.pak", 1, 800, 268);
    expectSize("win.pak", 0, 400, 200);
    for (std::size_t i = 0; i < 36; ++i)
        expectSize("fontes.pak", i, 32, 32);
    for (std::size_t i = 0; i < 10; ++i)
        expectSize("sc.pak", i, 32, 32);
    expectSize("gameover.pak", 2, 32, 32);

    // Sizes the play rules imply.
    Loaded ball = size("level1.pak", Play(play_pack::kBall));
    Loaded paddle = size("level1.pak", Play(play_pack::kPaddle));
    EXPECT_NEAR(ball.width, 12, 2);
    EXPECT_EQ(ball.width, ball.height);
    EXPECT_NEAR(paddle.width, 52, 2);
    // The waiting ball rides at paddle x + 20: it must sit in the middle of the paddle.
    EXPECT_LE(std::abs((20 + ball.width / 2.0) - paddle.width / 2.0), 1.0);
    // The ball glow is drawn 8 pixels up and left of the ball: 16 pixels larger.
    Loaded glow = size("level1.pak", Play(play_pack::kBallGlowTexture));
    EXPECT_EQ(glow.width, ball.width + 16);
    EXPECT_EQ(glow.height, ball.height + 16);
    EXPECT_EQ(size("level1.pak", Play(play_pack::kExtraBall)).width, ball.width);
    // Wide and small paddles end at the right wall when pulled back to 703 and 752.
    const Loaded wide = size("level1.pak", Play(play_pack::kWidePaddle));
    const Loaded small = size("level1.pak", Play(play_pack::kSmallPaddle));
    EXPECT_NEAR(703 + wide.width, 726 + paddle.width, 2);
    EXPECT_NEAR(752 + small.width, 726 + paddle.width, 2);
    // Bricks fill their 33 x 32 cell but never touch a neighbour.
    for (int code = play_pack::kFirstBrick; code <= play_pack::kLastBrick; ++code) {
        Loaded b = size("level1.pak", Play(code));
        EXPECT_GE(b.width, 31) << "brick " << code;
        EXPECT_LE(b.width, 32) << "brick " << code;
        EXPECT_GE(b.height, 30) << "brick " << code;
        EXPECT_LE(b.height, 31) << "brick " << code;
    }
}

// What play tests pixel by pixel must have solid pixels where the game expects them.
TEST_F(GameFolder, PlayPicturesCollideWhereThePlayerExpects) {
    LoadInto("level1.pak", Level1Numbers(), ExpectedPacks()[5].uses);
    // Ball, paddles and bricks have no see-through holes: the keyed drawing would show the
    // background through them.
    EXPECT_TRUE(SolidInside(play_pack::kBall, 3));
    for (int n = play_pack::kFirstBrick; n <= play_pack::kLastBrick; ++n)
        EXPECT_TRUE(SolidInside(n, 2)) << n;
    const int paddles[] = {play_pack::kPaddle, play_pack::kWidePaddle, play_pack::kSmallPaddle,
                           play_pack::kGunPaddle};
    for (int n : paddles) {
        const rsp::SpriteRecord* r = rsp::FindSprite(n);
        ASSERT_NE(r, nullptr);
        // The paddle's middle band, between its rounded ends.
        for (int x = 6; x < r->fullWidth - 6; ++x)
            EXPECT_NE(r->surface->At(x, r->fullHeight / 2) & 0xFFFFFFu, 0u) << n << " x " << x;
    }
    // Every capsule is caught by every paddle it lands on, whichever part it touches.
    const int capsules[] = {
        play_pack::kPowerCapsule,    play_pack::kWideCapsule,      play_pack::kSmallCapsule,
        play_pack::kGunCapsule,      play_pack::kMultiBallCapsule, play_pack::kReverseCapsule,
        play_pack::kDropCapsule,     play_pack::kRocketCapsule,    play_pack::LetterCapsule(1),
        play_pack::LetterCapsule(2), play_pack::LetterCapsule(3),  play_pack::LetterCapsule(4)};
    for (int capsule : capsules)
        for (int paddle : paddles)
            for (int dx : {-20, -4, 0, 8, 20}) {
                EXPECT_EQ(rsp::SpritePixelsOverlap(capsule, 300 + dx, 574, paddle, 300, 580), 1)
                    << "capsule " << capsule << " paddle " << paddle << " dx " << dx;
            }
    // The barrier stops a ball anywhere along its 799 visible pixels.
    const int barrier = play_pack::kBarrier, ball = play_pack::kBall;
    ASSERT_TRUE(rsp::SetSpriteClip(barrier, 1, 0, 799, 20));
    for (int x = 0; x < 788; x += 5)
        EXPECT_EQ(rsp::SpritePixelsOverlap(ball, x, 452, barrier, 0, 450), 1) << "ball at x " << x;
    // The gun's shots hit a brick above either cannon; the rocket hits what it flies into.
    const int shot = play_pack::kShot, brick = play_pack::kFirstBrick;
    EXPECT_EQ(rsp::SpritePixelsOverlap(shot, 300, 330, brick, 300 - 5 - 2, 320), 1);
    EXPECT_EQ(rsp::SpritePixelsOverlap(shot, 300, 330, brick, 300 + 40 - 5, 320), 1);
    EXPECT_EQ(rsp::SpritePixelsOverlap(play_pack::kRocket, 300, 320, brick + 1, 295, 300), 1);
}

TEST_F(GameFolder, MenuButtonsAnswerThePointer) {
    std::vector<int> numbers;
    for (int n = 0; n <= 18; ++n)
        numbers.push_back(n);
    numbers.push_back(900);
    LoadInto("introduce.pak", numbers, ExpectedPacks()[2].uses);
    // The pointer's tip is its top-left pixel: over the middle of a button it clicks, just
    // outside the button it does not.
    for (int button : {9, 10, 11, 14, 15, 16}) {
        const rsp::SpriteRecord* b = rsp::FindSprite(button);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(rsp::SpritePixelsOverlap(button, 30, 190, 13, 30 + b->fullWidth / 2, 220), 1)
            << button;
        EXPECT_EQ(rsp::SpritePixelsOverlap(button, 30, 190, 13, 30 + b->fullWidth + 1, 220), 0)
            << button;
    }
}

TEST(GameMusic, EveryTrackThePhasesPlayIsAnMp3) {
    NEED_GAME_FOLDER(kGameDir);
    for (const char* name : {"introwin.mp3", "logo.mp3", "theme.mp3", "level00.mp3", "win.mp3",
                             "high.mp3", "credits.mp3"}) {
        std::vector<std::uint8_t> mp3 = ReadFile(kGameDir / "sfx" / name);
        ASSERT_GE(mp3.size(), 4u) << name;
        bool id3 = mp3[0] == 'I' && mp3[1] == 'D' && mp3[2] == '3';
        bool frame = mp3[0] == 0xFF && (mp3[1] & 0xE0) == 0xE0;
        EXPECT_TRUE(id3 || frame) << name;
        EXPECT_GT(runtime::sound::headless::Mp3Length(mp3.data(), mp3.size()), 0) << name;
    }
}

TEST(SampleLevels, AreWinnableEditorFilesCoveringEveryCodeAndHazard) {
    NEED_GAME_FOLDER(kGameDir);
    std::set<int> backgrounds, codes;
    bool barrier = false, descent = false;
    int files = 0;
    for (const auto& item : fs::directory_iterator(kGameDir / "levels")) {
        if (item.path().extension() != ".lvl") continue;
        ++files;
        std::vector<std::uint8_t> bytes = ReadFile(item.path());
        std::string text(bytes.begin(), bytes.end());
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            ASSERT_NE(end, std::string::npos) << item.path() << ": last line without CR LF";
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        ASSERT_EQ(lines.size(), 164u) << item.path();
        int destructible = 0;
        for (int i = 1; i <= 160; ++i) {
            const std::string& cell = lines[std::size_t(i)];
            ASSERT_EQ(cell.find_first_of("\r\n"), std::string::npos) << item.path();
            if (cell == "000") continue;
            int code = std::atoi(cell.c_str());
            ASSERT_GE(code, 100) << item.path() << " line " << i + 1;
            ASSERT_LE(code, 106) << item.path() << " line " << i + 1;
            codes.insert(code);
            if (code != 103) ++destructible;
        }
        // More bricks to clear than can be destroyed would make the level unwinnable.
        EXPECT_EQ(std::atoi(lines[0].c_str()), destructible) << item.path();
        EXPECT_GT(destructible, 0) << item.path();
        int bg = std::atoi(lines[161].c_str());
        EXPECT_GE(bg, 200);
        EXPECT_LE(bg, 205);
        backgrounds.insert(bg);
        barrier |= lines[162] == "1";
        descent |= lines[163] == "1";
    }
    EXPECT_GE(files, 5);
    EXPECT_EQ(backgrounds, (std::set<int>{200, 201, 202, 203, 204, 205}));
    EXPECT_EQ(codes, (std::set<int>{100, 101, 102, 103, 104, 105, 106}));
    EXPECT_TRUE(barrier);
    EXPECT_TRUE(descent);
}

// A second run of the builder gives the same bytes: packs, music, levels and banner.
TEST(AssetBuilder, IsByteIdenticalFromRunToRun) {
    // The first run is this build's own game folder, which only a build with the assets has.
    if (!TESSALY_ASSETS_BUILT)
        GTEST_SKIP() << "built with TESSALY_ASSETS=OFF: no game folder of its own";
    const fs::path builtFolder = TESSALY_GAME_DIR;
    fs::path temp = fs::temp_directory_path() / ("tessaly-assets-" + std::to_string(::getpid()));
    fs::remove_all(temp);
    std::string command = std::string("\"") + TESSALY_ASSETS_BUILDER + "\" --out \"" +
                          temp.string() + "\" && \"" + TESSALY_ASSETS_BUILDER +
                          "\" --banner-bmp \"" + (temp / "banner.bmp").string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // Walk the fresh output: the game folder may also hold files the game itself writes.
    int compared = 0;
    for (const char* sub : {"data", "sfx", "levels"}) {
        for (const auto& item : fs::directory_iterator(temp / sub)) {
            fs::path built = builtFolder / sub / item.path().filename();
            ASSERT_TRUE(fs::exists(built)) << built;
            EXPECT_TRUE(ReadFile(item.path()) == ReadFile(built)) << built << " differs";
            ++compared;
        }
    }
    EXPECT_GE(compared, 13 + 6);
    std::vector<std::uint8_t> banner = ReadFile(temp / "banner.bmp");
    auto built = launcher::bannerBmp();
    EXPECT_TRUE(std::vector<std::uint8_t>(built.begin(), built.end()) == banner);
    fs::remove_all(temp);
}

TEST(LauncherBanner, IsA580By61TwentyFourBitBmp) {
    auto b = launcher::bannerBmp();
    ASSERT_GE(b.size(), 54u);
    ASSERT_EQ(KindOf(b.data(), b.size()), Kind::Bmp);
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 |
               std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24;
    };
    EXPECT_EQ(le32(18), 580u);
    EXPECT_EQ(le32(22), 61u);
    EXPECT_EQ(b[28], 24);
    EXPECT_EQ(le32(30), 0u);
    EXPECT_EQ(b.size(), 54u + 61u * ((580u * 3 + 3) & ~3u));
}

}  // namespace
