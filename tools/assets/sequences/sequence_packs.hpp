#pragma once

#include <vector>

#include "tools/assets/packs/entries.hpp"

// The makers of the packs the phases around play read.
namespace tools::assets {

namespace sequences {
std::vector<EntrySpec> WinEntries();        // pacing-choice window
std::vector<EntrySpec> LogoEntries();       // logo and introduction
std::vector<EntrySpec> IntroduceEntries();  // title menu
std::vector<EntrySpec> WatEntries();        // title animation, 30 frames
std::vector<EntrySpec> TheEndEntries();     // ending
std::vector<EntrySpec> GameOverEntries();   // game over and name entry
std::vector<EntrySpec> CreditsEntries();    // credits
}  // namespace sequences

}  // namespace tools::assets
