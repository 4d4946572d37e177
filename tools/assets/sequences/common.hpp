#pragma once

#include <string>
#include <vector>

#include "tools/assets/art/pictures.hpp"

// Pieces the sequence pictures share: scrolling text pages, buttons, starry backdrops.
namespace tools::assets::sequences {

// One line of a text page: '#' starts a heading, '*' a highlighted line, "" a gap.
using Lines = std::vector<std::string>;

// Draws lines centred down a keyed page, starting at top, `spacing` pixels apart.
void TextPage(art::Canvas& canvas, const Lines& lines, double top, double spacing);

// A glass button with a caption; lit when the pointer is over it.
void GlassButton(art::Canvas& canvas, const std::string& caption, bool lit);

// A deep-space backdrop that repeats both ways: nebula in two tints plus stars.
void SpaceBackdrop(art::Canvas& canvas, std::uint64_t seed, art::Colour a, art::Colour b,
                   double density, int stars);

// A thin chrome rail with a neon line (window borders).
void NeonRail(art::Canvas& canvas, art::Colour neon);

}  // namespace tools::assets::sequences
