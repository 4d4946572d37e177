#pragma once

// Differs: numbers far beyond any the game uses are refused
// (docs/differences.md, Files, text and programs)
// The highest number each numbered table of the game accepts. The game itself uses small
// numbers; a wild one is refused instead of growing a table until memory runs out.

namespace runtime::support::limits {

// Sprites: records are large and numbers index the table directly on every draw.
inline constexpr int kHighestSpriteNumber = 1 << 20;
// Quad sprites: each slot holds a textured quad; numbers from 1 << 18 on are refused.
inline constexpr int kHighestQuadNumber = (1 << 18) - 1;
// Images: a slot is one pointer, so the table may reach as far as the sprites'.
inline constexpr int kHighestImageNumber = 1 << 20;
// Sounds and media (music): the game uses numbers below a hundred.
inline constexpr int kHighestSoundNumber = 65535;
inline constexpr int kHighestMediaNumber = 65535;
// Open files and directory scans: a handful at a time.
inline constexpr int kHighestFileNumber = 65535;
inline constexpr int kHighestScanNumber = 65535;
// Windows and gadgets of the launcher.
inline constexpr int kHighestWindowNumber = 65535;
inline constexpr int kHighestGadgetNumber = 65535;

}  // namespace runtime::support::limits
