#include "game/presentation/dot_models.hpp"

#include <cmath>

#include "runtime/quads/quads.hpp"
#include "runtime/support/random.hpp"

namespace game::presentation {

namespace {

DotModels g_models;

// Half-way values go to the even neighbour, as the processor's default rounding does.
float Nearest(float v) {
    return std::nearbyint(v);
}

int NearestInt(float v) {
    return int(std::nearbyint(v));
}

}  // namespace

DotModels& Models() {
    return g_models;
}

float SinDeg(float degrees) {
    return std::sin(degrees * 0.017453f);
}

float CosDeg(float degrees) {
    return std::cos(degrees * 0.017453f);
}

void createDotModels() {
    g_models.points = {};
    g_models.current = 0;
    for (ModelAngles& a : g_models.angles) {
        a.ax = runtime::support::RandomUpTo(359);
        a.ay = runtime::support::RandomUpTo(359);
        a.az = runtime::support::RandomUpTo(359);
    }
}

void SelectModel(int model) {
    if (model < 1 || model > kDotModels) return;
    g_models.current = model;
    const auto& data = kDotModelData[model - 1];
    for (int i = 0; i < kModelRecords; ++i) {
        ModelPoint& p = g_models.points[i];
        p.fixedX = data[i][0];
        p.fixedY = data[i][1];
        p.fixedZ = data[i][2];
    }
}

void RotateModel(int dax, int day, int daz) {
    const int model = g_models.current;
    if (model < 1 || model > kDotModels) return;
    ModelAngles& a = g_models.angles[model];
    const float sx = SinDeg(float(a.ax)), cx = CosDeg(float(a.ax));
    const float sy = SinDeg(float(a.ay)), cy = CosDeg(float(a.ay));
    const float sz = SinDeg(float(a.az)), cz = CosDeg(float(a.az));
    // Every product and sum in floats, rounded to a whole number at exactly these steps, so
    // each dot lands on its own pixel.
    const float yx = cz * sy * sx - sz * cx, yy = sz * sy * sx + cz * cx;
    const float zx = cz * sy * cx + sz * sx, zy = sz * sy * cx - cz * sx;
    for (int i = 0; i < kModelRecords; i += 2) {
        ModelPoint& p = g_models.points[i];
        const float X = float(p.fixedX), Y = float(p.fixedY), Z = float(p.fixedZ);
        p.x = NearestInt(Nearest(X * cz * cy) + Y * sz * cy - Z * sy);
        p.y = NearestInt(Nearest(Nearest(X * yx) + Y * yy) + Z * sx * cy);
        p.z = NearestInt(Nearest(Nearest(X * zx) + Y * zy) + Z * cx * cy);
    }
    a.ax = (a.ax + dax) % 360;
    a.ay = (a.ay + day) % 360;
    a.az = (a.az + daz) % 360;
}

void DrawModel(int q, int cx, int cy, float zoom, int alphaBase) {
    namespace quads = runtime::quads;
    const int model = g_models.current;
    if (model < 1 || model > kDotModels) return;
    quads::BeginQuadScene();
    quads::SetQuadFiltering(1);
    quads::SetQuadBlend(5, 7);
    for (int i = 0; i < kModelRecords; i += 2) {
        const ModelPoint& p = g_models.points[i];
        if (p.z <= 0) continue;  // behind the centre: not drawn
        const int size = p.z % 64 + 1;
        const float scaled = float(size) * zoom;
        const int half = int(scaled) / 2;
        const int alpha = half % 16 + alphaBase;
        const int w = NearestInt(scaled);
        quads::ResizeQuadSprite(q, w, w);
        quads::DrawQuadSprite(q, NearestInt(float(p.x) * zoom + float(cx) - float(half)),
                              NearestInt(float(p.y) * zoom + float(cy) - float(half)), alpha);
    }
    quads::EndQuadScene();
}

}  // namespace game::presentation
