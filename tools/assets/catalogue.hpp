#pragma once

#include <vector>

#include "tools/assets/packs/entries.hpp"
#include "tools/assets/play/play_packs.hpp"
#include "tools/assets/sequences/sequence_packs.hpp"

namespace tools::assets {

// Every pack the game reads, with exactly the entries it reads, in the order it reads them.
std::vector<PackSpec> Catalogue();

}  // namespace tools::assets
