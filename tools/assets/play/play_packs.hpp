#pragma once

#include <vector>

#include "tools/assets/packs/entries.hpp"

// The makers of the packs the levels read: the play pack, the score digits, the font and
// the three background packs.
namespace tools::assets {

namespace play {
std::vector<EntrySpec> Level1Entries();
std::vector<EntrySpec> ScoreDigitEntries();
std::vector<EntrySpec> FontEntries();
std::vector<EntrySpec> BackgroundEntries(int group);  // 1: levels 1-5, 2: 6-10, 3: 11-15
}  // namespace play

}  // namespace tools::assets
