#pragma once

#include <span>
#include <string_view>

// Reading a pack into the numbers a phase uses: each entry in turn becomes a picture, a
// texture for a quad sprite or a sound. A missing or damaged entry empties its picture's
// number (a sound number keeps its sound).
namespace game::presentation {

// The loading picture, shown at (0, 210) on a cleared screen before a long load. The packs of
// the pacing window, the logo and the menu all read it; a game start keeps it.
inline constexpr int kLoadingPicture = 900;

struct PackTarget {
    enum Kind { Sprite, Texture, Sound } kind;
    int number;
};

// Opens the pack, reads one entry per target in order, closes it. A pack that cannot be
// opened has no entries: every picture target is emptied.
void LoadPackInto(std::string_view pack, std::span<const PackTarget> targets);

// Reads count entries into the consecutive plain sprites first, first + 1, ...
void LoadPackSprites(std::string_view pack, int first, int count);

}  // namespace game::presentation
