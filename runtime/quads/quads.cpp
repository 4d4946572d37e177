#include "runtime/quads/quads.hpp"

#include <cmath>
#include <deque>
#include <list>

#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace runtime::quads {
namespace {

using runtime::screen::Surface;

constexpr int kInitialSlots = 50;
// The table grows further than the sprite table: to n + 50 slots for number n.
constexpr int kGrowthMargin = 50;
// Numbers from here on are refused rather than growing the table without bound.
constexpr int kNumberLimit = 1 << 18;

struct QuadEngine {
    // A deque keeps every record where it is while the table grows.
    std::deque<QuadSpriteRecord> table;
    std::list<QuadSpriteRecord> unnumbered;
    Surface* device = nullptr;  // the back buffer the scene draws on
    bool needDevice = true;
    std::uint32_t deviceStamp = 0;
    bool inScene = false;
    QuadRasterState raster;
};

QuadEngine& Engine() {
    static QuadEngine engine;
    return engine;
}

QuadSpriteRecord* Slot(int q, bool grow) {
    QuadEngine& e = Engine();
    if (q < 0) return nullptr;
    if (std::size_t(q) >= e.table.size()) {
        if (!grow || q >= kNumberLimit) return nullptr;
        e.table.resize(std::size_t(q) + kGrowthMargin);
    }
    return &e.table[std::size_t(q)];
}

runtime::sprites::SpriteRecord* TextureSprite(int s) {
    runtime::sprites::SpriteRecord* sprite = runtime::sprites::FindSprite(s);
    if (sprite == nullptr || sprite->mode != runtime::sprites::Texture ||
        sprite->surface == nullptr) {
        return nullptr;
    }
    return sprite;
}

void FillFromSprite(QuadSpriteRecord& rec, int s, const runtime::sprites::SpriteRecord& sprite) {
    const float w = sprite.shownWidth;
    const float h = sprite.shownHeight;
    // The texture coordinates always span the whole picture, whatever its clip.
    rec.texture = sprite.surface;
    rec.vertices[0] = {0, 0, 0, 1.0f, 0xFFFFFFFFu, 0, 0, 0};
    rec.vertices[1] = {w, 0, 0, 1.0f, 0xFFFFFFFFu, 0, 1, 0};
    rec.vertices[2] = {0, h, 0, 1.0f, 0xFFFFFFFFu, 0, 0, 1};
    rec.vertices[3] = {w, h, 0, 1.0f, 0xFFFFFFFFu, 0, 1, 1};
    rec.width = sprite.shownWidth;
    rec.height = sprite.shownHeight;
    rec.angle = 0;
    rec.sprite = s;
}

}  // namespace

int InitQuadSprites() {
    QuadEngine& e = Engine();
    e.table.assign(kInitialSlots, QuadSpriteRecord{});
    e.unnumbered.clear();
    e.device = nullptr;
    e.needDevice = true;
    e.deviceStamp = 0;
    e.inScene = false;
    e.raster = QuadRasterState{};
    runtime::support::AddShutdownRelease(runtime::support::ShutdownStage::QuadSprites,
                                         ReleaseQuadSprites);
    return 1;
}

void ReleaseQuadSprites() {
    QuadEngine& e = Engine();
    EndQuadScene();
    e.table.clear();
    e.unnumbered.clear();
    e.device = nullptr;
    e.needDevice = true;
}

QuadSpriteRecord* MakeQuadSprite(int q, int s) {
    QuadEngine& e = Engine();
    if (q == -1) {
        const runtime::sprites::SpriteRecord* sprite = TextureSprite(s);
        if (sprite == nullptr) return nullptr;
        QuadSpriteRecord& rec = e.unnumbered.emplace_back();
        FillFromSprite(rec, s, *sprite);
        return &rec;
    }
    QuadSpriteRecord* rec = Slot(q, true);
    if (rec == nullptr) return nullptr;
    *rec = QuadSpriteRecord{};
    const runtime::sprites::SpriteRecord* sprite = TextureSprite(s);
    if (sprite == nullptr) return nullptr;
    FillFromSprite(*rec, s, *sprite);
    return rec;
}

QuadSpriteRecord* FindQuadSprite(int q) {
    QuadSpriteRecord* rec = Slot(q, false);
    return rec != nullptr && rec->texture != nullptr ? rec : nullptr;
}

std::size_t QuadSpriteTableSize() {
    return Engine().table.size();
}

int ResizeQuadSprite(int q, int width, int height) {
    QuadSpriteRecord* rec = FindQuadSprite(q);
    if (rec == nullptr) return 0;
    rec->width = std::int16_t(width);
    rec->height = std::int16_t(height);
    const float w = float(width);
    const float h = float(height);
    rec->vertices[0].x = 0, rec->vertices[0].y = 0;
    rec->vertices[1].x = w, rec->vertices[1].y = 0;
    rec->vertices[2].x = 0, rec->vertices[2].y = h;
    rec->vertices[3].x = w, rec->vertices[3].y = h;
    return 1;
}

int TurnQuadSprite(int q, int angle, int relative) {
    QuadSpriteRecord* rec = FindQuadSprite(q);
    if (rec == nullptr) return 0;
    const int hw = rec->width / 2;
    const int hh = rec->height / 2;
    int used = angle;
    if (relative != 0) {
        // C remainder: keeps the stored angle's sign, so 200 then 200 more turns by 400.
        rec->angle = std::int16_t(std::int64_t(rec->angle % 360) + angle);
        used = rec->angle;
    } else {
        rec->angle = 0;
    }
    // Kept on purpose: 0.0175 rather than pi / 180 and 1.575 rather than pi / 2, each step
    // rounded to a float; the game's turning pictures were tuned with these corners.
    const float t0 = float(0.0175 * used);
    const float t1 = float(double(t0) + 1.575);
    const float t2 = float(double(t1) + 1.575);
    const float t3 = float(double(t2) + 1.575);
    auto place = [hw, hh](QuadVertex& v, float t) {
        v.x = float(hw * std::cos(double(t)) + hh * std::sin(double(t)) + hw);
        v.y = float(hw * std::sin(double(t)) - hh * std::cos(double(t)) + hh);
    };
    // Top-left gets the first angle, then clockwise round the corners: at angle 0 the
    // picture shows a quarter turn clockwise, which the game's turning pictures expect.
    place(rec->vertices[0], t0);
    place(rec->vertices[1], t1);
    place(rec->vertices[3], t2);
    place(rec->vertices[2], t3);
    return 1;
}

int SetQuadFiltering(int mode) {
    Engine().raster.linearFiltering = mode != 0;
    return 1;
}

int BeginQuadScene() {
    QuadEngine& e = Engine();
    const runtime::screen::ScreenState& screen = runtime::screen::State();
    // A screen opened since the last scene has a new back buffer: bind to it again.
    if (e.needDevice || e.deviceStamp != screen.screenStamp) {
        e.device = nullptr;
        Surface& back = runtime::screen::BackBuffer();
        if (back.width <= 0 || back.height <= 0) return 0;
        e.device = &back;
        e.needDevice = false;
        e.deviceStamp = screen.screenStamp;
    }
    if (e.device->width <= 0 || e.device->height <= 0 || e.inScene) return 0;
    e.raster.sourceFactor = BlendSourceAlpha;
    e.raster.destFactor = BlendOneMinusSourceAlpha;
    e.inScene = true;
    return 1;
}

int SetQuadBlend(int sourceFactor, int destFactor) {
    QuadEngine& e = Engine();
    if (IsBlendFactor(sourceFactor)) e.raster.sourceFactor = sourceFactor;
    if (IsBlendFactor(destFactor)) e.raster.destFactor = destFactor;
    return IsBlendFactor(sourceFactor) && IsBlendFactor(destFactor) ? 1 : 0;
}

int DrawQuadSprite(int q, int x, int y, int alpha) {
    QuadEngine& e = Engine();
    QuadSpriteRecord* rec = FindQuadSprite(q);
    if (rec == nullptr || !e.inScene || e.device == nullptr ||
        e.deviceStamp != runtime::screen::State().screenStamp) {
        return 0;
    }
    // The sprite may have been discarded or loaded anew since the quad was made: draw
    // what it holds now, or nothing, but never the released pixels.
    const runtime::sprites::SpriteRecord* sprite = TextureSprite(rec->sprite);
    if (sprite == nullptr) return 0;
    rec->texture = sprite->surface;

    QuadVertex corners[4];
    const std::uint32_t keep = (std::uint32_t(alpha) << 24) | 0xFFFFFFu;
    for (int i = 0; i < 4; ++i) {
        corners[i] = rec->vertices[i];
        corners[i].x += float(x);
        corners[i].y += float(y);
        corners[i].diffuse &= keep;
    }
    RasteriseQuad(*e.device, *rec->texture, corners, int(corners[0].diffuse >> 24), e.raster);
    return 1;
}

int EndQuadScene() {
    QuadEngine& e = Engine();
    if (!e.inScene) return 0;
    e.inScene = false;
    return 1;
}

}  // namespace runtime::quads
