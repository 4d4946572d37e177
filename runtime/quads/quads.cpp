#include "runtime/quads/quads.hpp"

#include <cmath>
#include <cstring>
#include <deque>
#include <list>
#include <unordered_map>
#include <vector>

#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/program.hpp"

namespace runtime::quads {
namespace {

using runtime::screen::Surface;
using runtime::support::GrowToHold;
using runtime::support::UsableNumber;
namespace limits = runtime::support::limits;

constexpr int kInitialSlots = 50;
// The table grows further than the sprite table: to n + 50 slots for number n.
constexpr int kGrowthMargin = 50;

// Prepared pictures. The introduction draws up to 1800 resized glows a frame; an unturned
// quad's texels at a size, and those texels scaled by an alpha, are kept by the sprite's
// picture version, so the next frames only add them onto the screen. They come from the
// same rasteriser at the same size, so what is shown is the same, pixel for pixel (a
// quad cut by the target's left edge shows its picture cut).
struct PreparedKey {
    std::uint64_t version;
    int width, height;
    int alpha;  // 255: the texels themselves
    bool linear;
    bool operator==(const PreparedKey&) const = default;
};

struct PreparedKeyHash {
    std::size_t operator()(const PreparedKey& k) const {
        // The finishing steps of splitmix64: every key bit reaches the low bits.
        std::uint64_t h = k.version ^ (std::uint64_t(k.width) << 32) ^
                          (std::uint64_t(k.height) << 44) ^ (std::uint64_t(k.alpha) << 56) ^
                          (std::uint64_t(k.linear) << 63);
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        return std::size_t(h ^ (h >> 31));
    }
};

struct Prepared {
    std::vector<std::uint32_t> pixels;
    std::vector<PictureRow> rows;  // the part of each row that is not black
    std::uint64_t lastScene = 0;
};

// The largest side prepared, and how much is kept before pictures unused for a while go.
constexpr int kLargestPrepared = 256;
constexpr std::size_t kPreparedBytes = std::size_t(64) << 20;
constexpr std::uint64_t kStaleScenes = 600;
// The last pictures found, by hash, so that a frame's hundreds of lookups rarely walk the
// map.
constexpr std::size_t kRecentSlots = 4096;

struct RecentPicture {
    PreparedKey key{};
    Prepared* picture = nullptr;
};

struct QuadEngine {
    // A deque keeps every record where it is while the table grows.
    std::deque<QuadSpriteRecord> table;
    std::list<QuadSpriteRecord> unnumbered;
    Surface* device = nullptr;  // the back buffer the scene draws on
    bool needDevice = true;
    std::uint32_t deviceStamp = 0;
    bool inScene = false;
    QuadRasterState raster;
    std::unordered_map<PreparedKey, Prepared, PreparedKeyHash> prepared;
    std::size_t preparedBytes = 0;
    std::uint64_t scene = 0;
    std::vector<RecentPicture> recent = std::vector<RecentPicture>(kRecentSlots);
};

QuadEngine& Engine() {
    static QuadEngine engine;
    return engine;
}

QuadSpriteRecord* Slot(int q, bool grow) {
    QuadEngine& e = Engine();
    if (q < 0) return nullptr;
    if (std::size_t(q) >= e.table.size()) {
        if (!grow || !UsableNumber(q, limits::kHighestQuadNumber)) return nullptr;
        GrowToHold(e.table, q, kGrowthMargin);
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

void ForgetRecent(QuadEngine& e) {
    for (RecentPicture& r : e.recent)
        r.picture = nullptr;
}

void ForgetPrepared(QuadEngine& e) {
    e.prepared.clear();
    e.preparedBytes = 0;
    ForgetRecent(e);
}

// Drops the pictures not used for a while, and if that is not enough, all but those of
// the current scene.
void MakeRoom(QuadEngine& e, std::size_t more) {
    if (e.preparedBytes + more <= kPreparedBytes) return;
    ForgetRecent(e);
    for (const std::uint64_t age : {kStaleScenes, std::uint64_t(0)}) {
        for (auto it = e.prepared.begin(); it != e.prepared.end();) {
            if (it->second.lastScene + age < e.scene) {
                e.preparedBytes -= it->second.pixels.size() * sizeof(std::uint32_t) +
                                   it->second.rows.size() * sizeof(PictureRow);
                it = e.prepared.erase(it);
            } else {
                ++it;
            }
        }
        if (e.preparedBytes + more <= kPreparedBytes) return;
    }
}

// The picture of a key, made when missing: the texels by the rasteriser onto black, or
// the texels scaled by the alpha. Null when memory runs out.
const Prepared* FindPrepared(QuadEngine& e, const PreparedKey& key, const Surface& texture) {
    RecentPicture& recent = e.recent[PreparedKeyHash{}(key) % kRecentSlots];
    if (recent.picture != nullptr && recent.key == key) {
        recent.picture->lastScene = e.scene;
        return recent.picture;
    }
    if (auto it = e.prepared.find(key); it != e.prepared.end()) {
        it->second.lastScene = e.scene;
        recent = {key, &it->second};
        return &it->second;
    }
    const std::size_t count = std::size_t(key.width) * std::size_t(key.height);
    Prepared made;
    made.lastScene = e.scene;
    try {
        if (key.alpha == 255) {
            Surface scratch(key.width, key.height);
            const float w = float(key.width), h = float(key.height);
            const QuadVertex corners[4] = {{0, 0, 0, 1.0f, 0xFFFFFFFFu, 0, 0, 0},
                                           {w, 0, 0, 1.0f, 0xFFFFFFFFu, 0, 1, 0},
                                           {0, h, 0, 1.0f, 0xFFFFFFFFu, 0, 0, 1},
                                           {w, h, 0, 1.0f, 0xFFFFFFFFu, 0, 1, 1}};
            RasteriseQuad(scratch, texture, corners, 255,
                          {BlendSourceAlpha, BlendDestAlpha, key.linear});
            made.pixels = std::move(scratch.pixels);
        } else {
            PreparedKey full = key;
            full.alpha = 255;
            const Prepared* texels = FindPrepared(e, full, texture);
            if (texels == nullptr) return nullptr;
            made.pixels.resize(count);
            ScaleByAlpha(texels->pixels.data(), made.pixels.data(), count, key.alpha);
        }
        made.rows.resize(std::size_t(key.height));
        FindPictureRows(made.pixels.data(), key.width, key.height, made.rows.data());
        const std::size_t bytes =
            count * sizeof(std::uint32_t) + made.rows.size() * sizeof(PictureRow);
        MakeRoom(e, bytes);
        e.preparedBytes += bytes;
        Prepared* kept = &(e.prepared[key] = std::move(made));
        e.recent[PreparedKeyHash{}(key) % kRecentSlots] = {key, kept};
        return kept;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The glow blend of an unturned quad at whole pixels: added from its prepared picture.
// False when the quad is not such a one.
bool DrawPrepared(QuadEngine& e, const QuadSpriteRecord& rec,
                  const runtime::sprites::SpriteRecord& sprite, int x, int y, std::uint32_t alpha) {
    if (e.raster.sourceFactor != BlendSourceAlpha || e.raster.destFactor != BlendDestAlpha)
        return false;
    const QuadVertex* v = rec.vertices;
    const float w = v[3].x, h = v[3].y;
    if (!(w >= 1.0f && h >= 1.0f && w <= float(kLargestPrepared) && h <= float(kLargestPrepared)) ||
        w != std::floor(w) || h != std::floor(h))
        return false;
    const QuadVertex plain[4] = {{0, 0, 0, 1.0f, 0, 0, 0, 0},
                                 {w, 0, 0, 1.0f, 0, 0, 1, 0},
                                 {0, h, 0, 1.0f, 0, 0, 0, 1},
                                 {w, h, 0, 1.0f, 0, 0, 1, 1}};
    for (int i = 0; i < 4; ++i)
        if (v[i].x != plain[i].x || v[i].y != plain[i].y || v[i].u != plain[i].u ||
            v[i].v != plain[i].v)
            return false;
    const int width = int(w), height = int(h);
    Surface& target = *e.device;
    // Wholly off the target it draws nothing, as the rasteriser would find row by row. Cut
    // by an edge, the part on the target is shown: at the left edge that is the picture
    // cut, where sampling afresh from the edge would come out a few levels apart.
    if (x >= target.width || y >= target.height || x + width <= 0 || y + height <= 0) return true;
    // A sprite being drawn into may change under the picture kept from it.
    if (runtime::screen::State().target == sprite.surface) return false;
    if (alpha == 0) return true;  // adds nothing
    const Prepared* picture = FindPrepared(
        e, {sprite.pictureVersion, width, height, int(alpha), e.raster.linearFiltering},
        *sprite.surface);
    if (picture == nullptr) return false;
    AddPicture(target, picture->pixels.data(), picture->rows.data(), width, height, x, y);
    return true;
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
    ForgetPrepared(e);
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
    ForgetPrepared(e);
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
    // Kept: 0.0175 rather than pi / 180 and 1.575 rather than pi / 2, each step
    // rounded to a float; the game's turning pictures are drawn with these corners.
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

int QuadFiltering() {
    return Engine().raster.linearFiltering ? 1 : 0;
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
    ++e.scene;
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
    // Differs: a quad whose picture was discarded draws nothing
    // (docs/differences.md, Screen, sprites and quads)
    // The sprite may have been discarded or loaded anew since the quad was made: draw
    // what it holds now, or nothing, but never the released pixels.
    const runtime::sprites::SpriteRecord* sprite = TextureSprite(rec->sprite);
    if (sprite == nullptr) return 0;
    rec->texture = sprite->surface;
    if (DrawPrepared(e, *rec, *sprite, x, y, std::uint32_t(alpha) & 0xFFu)) return 1;

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
