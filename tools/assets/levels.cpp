// The sample level files shipped in levels/: six layouts in the level editor's format,
// one for each background code, showing off the barrier, the descent and every brick.
#include <array>
#include <stdexcept>
#include <string>

#include "tools/assets/builder.hpp"

namespace tools::assets {

namespace {

struct Design {
    const char* name;
    std::array<const char*, 8> rows;  // 20 cells each: 'd'..'j' a brick, '.' empty
    int background;
    int barrier;
    int descent;
};

// d cyan, e magenta, f gold three-hit, g steel (never breaks), h green, i blue, j ember.
constexpr Design kDesigns[] = {
    {"01_first_light.lvl",
     {"....hhhhhhhhhhhh....", "...hddddddddddddh...", "..hdeeeeeeeeeeeedh..",
      "..hde..........edh..", "..hde.iiiiiiii.edh..", "..hde..........edh..",
      "...hddddddddddddh...", "....hhhhhhhhhhhh...."},
     205,
     0,
     0},
    {"02_twin_nebulae.lvl",
     {"iiiiiiii....iiiiiiii", "ijjjjjji....ijjjjjji", "ijffffji....ijffffji",
      "ijfddfji.gg.ijfddfji", "ijfddfji.gg.ijfddfji", "ijffffji....ijffffji",
      "ijjjjjji....ijjjjjji", "iiiiiiii....iiiiiiii"},
     200,
     1,
     0},
    {"03_meteor_shower.lvl",
     {"j.j.j.j.j.j.j.j.j.j.", ".h.h.h.h.h.h.h.h.h.h", "e.e.e.e.e.e.e.e.e.e.",
      ".d.d.d.d.d.d.d.d.d.d", "i.i.i.i.i.i.i.i.i.i.", ".f.f.f.f.f.f.f.f.f.f",
      "....................", "gg................gg"},
     201,
     0,
     1},
    {"04_glass_hive.lvl",
     {".hhh..hhh..hhh..hhh.", "hiiih.hiiihhiiih.hhh", "hijih.hijihhijih.hih",
      ".hhh..hhh..hhh..hhh.", "..eee..eee..eee..ee.", ".edde.edde.edde.edde",
      ".efde.edfe.efde.edfe", "..ee...ee...ee...ee."},
     202,
     0,
     0},
    {"05_event_horizon.lvl",
     {"gggggg........gggggg", "ffffff.jjjjjj.ffffff", "eeeee.jiiiiiij.eeeee",
      "dddd.jihhhhhhij.dddd", "dddd.jihhhhhhij.dddd", "eeeee.jiiiiiij.eeeee",
      "ffffff.jjjjjj.ffffff", "...................."},
     203,
     1,
     1},
    {"06_supernova.lvl",
     {".........jj.........", "......jjjffjjj......", "....jjfffhhfffjj....",
      "..jjffhhheehhhffjj..", "..jjffhhheehhhffjj..", "....jjfffhhfffjj....",
      "......jjjggjjj......", "d.e.i.h.d.ee.d.h.i.e"},
     204,
     0,
     0},
};

std::string LevelText(const Design& design) {
    std::string text;
    std::string cells;
    int counted = 0;
    for (const char* row : design.rows) {
        std::string r(row);
        if (r.size() != 20) throw std::logic_error(std::string(design.name) + ": row not 20 cells");
        for (char c : r) {
            if (c == '.') {
                cells += "000\r\n";
                continue;
            }
            if (c < 'd' || c > 'j') throw std::logic_error(std::string(design.name) + ": bad cell");
            int code = 100 + (c - 'd');
            cells += std::to_string(code) + "\r\n";
            // Like the built-in levels: every brick but the steel one counts, once.
            if (code != 103) ++counted;
        }
    }
    text += std::to_string(counted) + "\r\n";
    text += cells;
    text += std::to_string(design.background) + "\r\n";
    text += std::to_string(design.barrier) + "\r\n";
    text += std::to_string(design.descent) + "\r\n";
    return text;
}

}  // namespace

std::vector<LevelFile> SampleLevels() {
    std::vector<LevelFile> out;
    for (const Design& design : kDesigns)
        out.push_back({design.name, LevelText(design)});
    return out;
}

}  // namespace tools::assets
