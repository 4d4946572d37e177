#pragma once

#include <cstdint>

// The five dot clouds of the introduction, stored in the program: 720 records of fixed
// (x, y, z) each, of which the even ones are turned and drawn. Made once for this game:
// random points on a sphere and in a cube, a trefoil knot walked in equal steps, a rod of
// scattered points and a widening zigzag.
namespace game::presentation {

inline constexpr int kDotModels = 5;
inline constexpr int kModelRecords = 720;

extern const std::int16_t kDotModelData[kDotModels][kModelRecords][3];

}  // namespace game::presentation
