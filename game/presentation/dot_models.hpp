#pragma once

#include <array>
#include <cstdint>

#include "game/presentation/dot_model_data.hpp"

// The turning clouds of glowing dots in the introduction: five models of points, each
// turned about three axes by its own angles and drawn as resized glow quads, larger and
// brighter where a point comes nearer.
namespace game::presentation {

// One record of the point table: the turned point, then the model's own point.
struct ModelPoint {
    std::int32_t x = 0, y = 0, z = 0;  // turned (working values)
    std::int32_t fixedX = 0, fixedY = 0, fixedZ = 0;
};

struct ModelAngles {
    int ax = 0, ay = 0, az = 0;  // degrees, 0 to 359
};

// Seven angle triples are kept; the models 1 to 5 use the triples of their own numbers.
inline constexpr int kAngleTriples = 7;

struct DotModels {
    std::array<ModelPoint, kModelRecords> points{};
    std::array<ModelAngles, kAngleTriples> angles{};
    int current = 0;  // the model the last SelectModel chose
};

DotModels& Models();

// Made once when the full screen opens, after the star field: the dot clouds' point table
// and a random starting angle for every cloud.
void createDotModels();

// Sine and cosine of an angle in degrees, taken to radians by the factor 0.017453, a
// little short of pi / 180, so that cos 90 is not quite 0.
float SinDeg(float degrees);
float CosDeg(float degrees);

// Makes model 1 to 5 current and loads its 720 records into the point table.
void SelectModel(int model);

// Turns the current model's drawn points by its angles, rounding at every step, then
// adds the steps to its angles (modulo 360).
void RotateModel(int dax, int day, int daz);

// Draws the current model's turned points in front of the centre (z above 0) with quad
// sprite q, zoomed about (cx, cy); each dot's size and alpha follow its depth.
void DrawModel(int q, int cx, int cy, float zoom, int alphaBase);

}  // namespace game::presentation
