#include "game/levels/level_table.hpp"

#include "game/levels/bricks.hpp"
#include "game/state/game_state.hpp"

namespace game::levels {
namespace {

// Letters 'd' to 'j' stand for brick codes 100 to 106, '.' for an empty cell.
constexpr LevelRecord kLevels[kBuiltInLevels] = {
    {8,
     20,
     120,
     {"hhhhhhhhhhhhhhhhhhhh", "dddddddddddddddddddd", "eeeeeeeeeeeeeeeeeeee",
      "....................", "dededededededededede", "edededededededededed",
      "....................", "dddddddddddddddddddd"}},
    {8,
     20,
     142,
     {"iiiiiiiiiiiiiiiiiiii", "ihhhhhhhhhhhhhhhhhhi", "iddddddddddddddddddi",
      "ieeeeeeeeeeeeeeeeeei", "ij.j.j.j.j.j.j.j.j.i", "i.j.j.j.j.j.j.j.j.ji",
      "ijjjjjjjjjjjjjjjjjji", "iiiiiiiiiiiiiiiiiiii"}},
    {8,
     20,
     86,
     {"iiiiiiiiiiiiiiiiiiii", "hhhhhhhhhhhhhhhhhhhh", "dddddddddddddddddddd",
      "....................", ".gggggggggg.iiiiiiii", "............hhhhhhhh",
      "iiiii...............", "hhhhh.ggggggggggggg."}},
    {8,
     20,
     114,
     {".ii.hhffffffffhh.ii.", "ii.hgghfjjjjfhggh.ii", "ii.hddhfjjjjfhddh.ii",
      "ii.heehfjjjjfheeh.ii", ".ii.hhffffffffhh.ii.", "..ii............ii..",
      "...iiiiiiiiiiiiii...", "i...iiiiiiiiiiii...i"}},
    {8,
     20,
     152,
     {"hhhhhhhhhhhhhhhhhhhh", "hddgggddddddddgggddh", "hddfffddddddddfffddh",
      "hddff.dddffddd.ffddh", "hfdddddddffdddddddfh", "hdfddddddddddddddfdh",
      "hddffffffffffffffddh", "hhhhhhhhhhhhhhhhhhhh"}},
    {8,
     20,
     110,
     {"iiiiiiiiiiiiiiiiiiii", "hhhhhhhhhhhhhhhhhhhh", "dddddddddddddddddddd",
      "....................", ".dddggdddggdddggddd.", ".fffddfffddfffddfff.",
      "....................", "iiiiiiiiiiiiiiiiiiii"}},
    {8,
     20,
     104,
     {"hhhhhhhhhhhhhhhhhhhh", "........hhhh........", ".dddddd..hh..dddddd.",
      ".deffed..hh..deffed.", ".deffed..hh..deffed.", ".dddddd..hh..dddddd.",
      "........hhhh........", "hhhhhhhhhhhhhhhhhhhh"}},
    {8,
     20,
     106,
     {"iiiiiiiiiiiiiiiiiiii", ".fff.....fff....fff.", "fhghf...fhghf..fhghf",
      "fhghf...fhghf..fhghf", "fhghf...fhghf..fhghf", "fhghf...fhghf..fhghf",
      ".fff.....fff....fff.", "iiiiiiiiiiiiiiiiiiii"}},
    {8,
     20,
     132,
     {"effffffffffffffffffe", "eiiiiiiiiiiiiiiiiiie", "eijjjjji....ijjjjjie",
      "eijjjjji....ijjjjjie", "eijjjjjiggggijjjjjie", "eiiiiiiieeeeiiiiiiie",
      "dd.....dddddd.....dd", "hhh...hhhhhhhh...hhh"}},
    {8,
     20,
     78,
     {"....................", ".hh....hh...hh...hh.", "hffh..hffh.hffh.hffh",
      "iffi..iffi.iffi.iffi", ".ii....ii...ii...ii.", "....................",
      "eieieied.....deieiei", "dedededegggggddedede"}},
    {8,
     20,
     98,
     {"........fhhf........", ".ee....fhhhhf....ee.", "egge..fheffehf..egge",
      "egge.fheffffehf.egge", ".ee.fhheffffehhf.ee.", ".i.fhdddeffedddhf.i.",
      "i..hdddhhhhhhdddh..i", "j..hhhh......hhhh..j"}},
    {8,
     20,
     138,
     {"iiiiiiiiiiiiiiiiiiii", "id.d.d.d.d.d.d.d.d.i", "i.hhhhhhhhhhhhhhhhdi",
      "idhffdddffffdddffh.i", "i.hffdddffffdddffhdi", "idhhhhhhhhhhhhhhhh.i",
      "i.d.d.d.d.d.d.d.d.di", "iiiiiiiiiiiiiiiiiiii"}},
    {8,
     20,
     140,
     {"ffffffffffffffffffff", "iiiiiiiiiiiiiiiiiiii", "jjjjjjjjjjjjjjjjjjjj",
      "....................", "ffffffffffffffffffff", "hhhhhhhhhhhhhhhhhhhh",
      "dddddddddddddddddddd", "ffffffffffffffffffff"}},
    {8,
     20,
     120,
     {".jjjiijjjjjjjjiijjj.", "jjjiffijjjjjjiffijjj", "ijjjjjjjjggjjjjjjjji",
      ".iijjjjjjjjjjjjjjii.", ".eeiiiiiiiiiiiiiiee.", "..e.ee.ee.ee.ee..e..",
      "...j.e..e..e..e.j...", "....jjjjjjjjjjjj...."}},
    {8,
     20,
     89,
     {"jjjjjjjjjjjjjjjjjjjj", ".j..h..j..h..j..h..j", ".h.hfh.h.hfh.h.hfh.h",
      "hfh.h.hfh.h.hfh.h.hf", ".h.....h.....h.....h", "i.....i.....i.....i.",
      "fi.i.ifi.i.ifi.i.ifi", "i.ifi.i.ifi.i.ifi.i."}},
};

// Level 1 to 15 in groups of five: the pack of the group, and the picture by the level's
// place in it.
constexpr const char* kGroupPacks[3] = {"data\\lvl0105.pak", "data\\lvl0610.pak",
                                        "data\\lvl1115.pak"};
constexpr int kPlaceSprites[5] = {50, 52, 51, 54, 50};

}  // namespace

const LevelRecord* BuiltInLevel(int levelNumber) {
    if (levelNumber < 1 || levelNumber > kBuiltInLevels) return nullptr;
    return &kLevels[levelNumber - 1];
}

void loadBuiltInLevel(int levelNumber) {
    BrickList& bricks = Bricks();
    runtime::support::NewList(bricks);
    const LevelRecord* level = BuiltInLevel(levelNumber);
    if (level == nullptr) return;
    state::Game().bricksLeft = level->bricksToClear;
    int y = CellY(1);
    for (int row = 0; row < level->rows; ++row) {
        int x = CellX(1);
        for (int column = 0; column < level->columns; ++column) {
            const char letter = level->cells[row][column];
            if (letter != '.') {
                Brick* brick = runtime::support::AddElement(bricks);
                brick->code = std::uint8_t(kFirstBrickCode + (letter - 'd'));
                brick->x = x;
                brick->y = y;
                brick->hits = brick->code == kThreeHitBrick ? 3 : 0;
            }
            x += 33;
        }
        y += 32;
    }
}

const char* backgroundPackFor(int levelNumber) {
    if (levelNumber < 1 || levelNumber > kBuiltInLevels) return nullptr;
    return kGroupPacks[(levelNumber - 1) / 5];
}

int backgroundSpriteFor(int levelNumber) {
    if (levelNumber < 1 || levelNumber > kBuiltInLevels) return 0;
    return kPlaceSprites[(levelNumber - 1) % 5];
}

Background backgroundForCode(int backgroundCode) {
    switch (backgroundCode) {
        case 200:
            return {kGroupPacks[1], 52};
        case 201:
            return {kGroupPacks[1], 51};
        case 202:
            return {kGroupPacks[1], 54};
        case 203:
            return {kGroupPacks[2], 51};
        case 204:
            return {kGroupPacks[2], 50};
        case 205:
            return {kGroupPacks[0], 50};
        default:
            return {};
    }
}

}  // namespace game::levels
