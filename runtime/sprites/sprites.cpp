#include "runtime/sprites/sprites.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <list>
#include <new>
#include <utility>

#include "runtime/images/images.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/blit.hpp"
#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/path.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::sprites {

using runtime::screen::Surface;

namespace {

constexpr std::size_t kInitialSlots = 50;
// Keyed copies of at most this many pixels skip the runs.
constexpr int kFewPixels = 32;
// Sizes live in 16-bit fields.
constexpr int kLargestSide = 32767;

// Each record lives on its own, so it keeps its address while the table grows; finding one
// is a single index, which every draw does.
std::vector<std::unique_ptr<SpriteRecord>> g_table;

void GrowTable(std::size_t slots) {
    g_table.reserve(slots);
    while (g_table.size() < slots)
        g_table.push_back(std::make_unique<SpriteRecord>());
}

// The table starts with its first slots, and the screen learns how to empty it.
struct InitialTable {
    InitialTable() {
        GrowTable(kInitialSlots);
        runtime::screen::SetSpriteTableHooks({&ResetSpriteTable, &DiscardAllSprites});
    }
} g_initialTable;

// Sprites made with number -1, each under its own handle (-2, -3, ...).
std::list<std::pair<int, SpriteRecord>> g_unnumbered;
int g_nextHandle = -2;

bool Holds(const SpriteRecord& r) {
    return r.surface != nullptr || !r.plain.empty();
}

SpriteRecord* Slot(int n) {
    if (n >= 0) return std::size_t(n) < g_table.size() ? g_table[std::size_t(n)].get() : nullptr;
    for (auto& [handle, record] : g_unnumbered)
        if (handle == n) return &record;
    return nullptr;
}

// Differs: deleting the target picture sends drawing back to the screen
// (docs/differences.md, Screen, sprites and quads)
// If the target is the store about to go, drawing goes back to the back buffer.
void ForgetAsTarget(const SpriteRecord& r) {
    auto& state = runtime::screen::State();
    if (r.surface && state.target == r.surface) {
        state.target = &runtime::screen::BackBuffer();
        state.targetWidth = state.width;
        state.targetHeight = state.height;
    }
}

void Clear(SpriteRecord& r) {
    ForgetAsTarget(r);
    r = SpriteRecord{};
}

// The slot a creating operation fills: the table grows to n + 10 for a number beyond it,
// -1 makes a new unnumbered record. The old sprite is discarded. Null if n is unusable.
struct NewSlot {
    SpriteRecord* record = nullptr;
    int result = 0;  // what the creating call returns on success
};

NewSlot PrepareSlot(int n) {
    if (n == -1) {
        if (g_nextHandle == std::numeric_limits<int>::min()) return {};
        g_unnumbered.emplace_back(g_nextHandle, SpriteRecord{});
        return {&g_unnumbered.back().second, g_nextHandle--};
    }
    if (n < -1) {
        SpriteRecord* r = Slot(n);
        if (!r) return {};
        Clear(*r);
        return {r, n};
    }
    // Records keep their addresses, so the table grows by the common rule but in place.
    if (!runtime::support::UsableNumber(n, runtime::support::limits::kHighestSpriteNumber))
        return {};
    GrowTable(runtime::support::SlotsToHold(n, g_table.size()));
    SpriteRecord& r = *g_table[std::size_t(n)];
    Clear(r);
    return {&r, 1};
}

// An unnumbered record that ended up empty is dropped from the list again.
void DropIfEmptyUnnumbered(int n) {
    if (n > -1) return;
    g_unnumbered.remove_if([](const auto& e) { return !Holds(e.second); });
}

std::uint64_t g_pictureVersions = 0;

void Install(SpriteRecord& r, std::unique_ptr<Surface> store, int kind, int mode) {
    r.pictureVersion = ++g_pictureVersions;
    r.store = std::move(store);
    r.surface = r.store.get();
    r.fullWidth = r.shownWidth = std::int16_t(r.surface->width);
    r.fullHeight = r.shownHeight = std::int16_t(r.surface->height);
    r.kind = std::int16_t(kind);
    r.mode = std::uint16_t(mode);
    r.clipX = r.clipY = 0;
}

void InstallPlain(SpriteRecord& r, std::vector<std::uint8_t> bytes, int width, int height) {
    r.pictureVersion = ++g_pictureVersions;
    r.plain = std::move(bytes);
    r.fullWidth = r.shownWidth = std::int16_t(width);
    r.fullHeight = r.shownHeight = std::int16_t(height);
    r.kind = -2;
    r.mode = PlainBuffer;
    r.clipX = r.clipY = 0;
}

bool SizeFits(int width, int height) {
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

std::unique_ptr<Surface> BlackStore(int width, int height) {
    try {
        return std::make_unique<Surface>(width, height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Draws the shown part of sprite n at (x, y) on the target with the clipping the game
// relies on: the right and bottom edges shorten the copy before the left and top edges
// move its start.
int Draw(int n, int x, int y, bool keyed) {
    SpriteRecord* r = FindSprite(n);
    auto& state = runtime::screen::State();
    if (!r || !state.active || r->kind == -2 || !r->surface || !state.target) return 0;
    const int W = state.targetWidth, H = state.targetHeight;
    int w = r->shownWidth, h = r->shownHeight;
    if (x >= W || y >= H || x <= -w || y <= -h) return 0;
    if (x + w > W) w = W - x;
    if (y + h > H) h = H - y;
    int left = 0, top = 0;
    if (x < 0) left = -x, x = 0;
    if (y < 0) top = -y, y = 0;
    const int sx0 = r->clipX + left, sy0 = r->clipY + top;
    const int sx1 = r->clipX + w, sy1 = r->clipY + h;
    const Surface& source = *r->surface;
    Surface& target = *state.target;
    // A rectangle that is empty or reaches outside either store copies nothing: the whole
    // copy is refused, not clipped (the high-score scroller asks for rows below its
    // picture this way).
    if (sx0 < 0 || sy0 < 0 || sx1 <= sx0 || sy1 <= sy0 || sx1 > source.width || sy1 > source.height)
        return 0;
    const int cw = sx1 - sx0, ch = sy1 - sy0;
    if (x + cw > target.width || y + ch > target.height) return 0;
    if (!keyed) {
        CopyRect(target, x, y, source, sx0, sy0, cw, ch);
        return 1;
    }
    // A sprite drawn into itself is the target, whose pixels change under the copy.
    KeyRuns& runs = r->keyRuns;
    if (&target != &source) {
        if (runs.Ready() &&
            (runs.width != source.width || runs.rows.size() != std::size_t(source.height) + 1))
            runs.Drop();
        if (!runs.Ready() && ++runs.keyedCopiesWithout >= KeyRuns::kCopiesBeforeRuns) {
            try {
                MakeKeyRuns(source, runs);
            } catch (const std::bad_alloc&) {
                runs.Drop();  // no memory to spare: copy the plain way
            }
        }
        // A few pixels (a ball at the screen's edge) go faster through the select.
        if (runs.Ready() && cw * ch > kFewPixels) {
            CopyRectKeyedRuns(target, x, y, runs, sx0, sy0, cw, ch);
            return 1;
        }
    }
    CopyRectKeyed(target, x, y, source, sx0, sy0, cw, ch);
    return 1;
}

// One axis of the overlap of two drawn rectangles: offsets into each and the length.
void OverlapAxis(int p1, int len1, int p2, int len2, int& o1, int& o2, int& length) {
    if (p1 < p2) {
        o1 = p2 - p1;
        o2 = 0;
        length = std::min(len1 - o1, len2);
    } else {
        o2 = p1 - p2;
        o1 = 0;
        length = std::min(len2 - o2, len1);
    }
}

void PutLE(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

}  // namespace

SpriteRecord* FindSprite(int n) {
    SpriteRecord* r = Slot(n);
    return r && Holds(*r) ? r : nullptr;
}

int SpritePixelsChanged(int n) {
    SpriteRecord* r = FindSprite(n);
    if (!r) return 0;
    r->keyRuns.Drop();
    r->pictureVersion = ++g_pictureVersions;
    return 1;
}

std::size_t SpriteTableSize() {
    return g_table.size();
}

void DiscardAllSprites() {
    for (auto& r : g_table)
        Clear(*r);
    for (auto& e : g_unnumbered)
        Clear(e.second);
    g_unnumbered.clear();
}

void ResetSpriteTable() {
    DiscardAllSprites();
    g_table.clear();
    GrowTable(kInitialSlots);
}

int SelectTarget(int n) {
    auto& state = runtime::screen::State();
    if (n == -1) {
        state.target = &runtime::screen::BackBuffer();
        state.targetWidth = state.width;
        state.targetHeight = state.height;
        return 1;
    }
    SpriteRecord* r = FindSprite(n);
    if (!r || r->kind == -2 || !r->surface) return 0;
    // Whatever is drawn into it from now on makes its picture new: the kept glow
    // pictures and the keyed-copy runs made from it are old.
    r->pictureVersion = ++g_pictureVersions;
    r->keyRuns.Drop();
    state.target = r->surface;
    state.targetWidth = r->fullWidth;
    state.targetHeight = r->fullHeight;
    return 1;
}

int LoadSpriteFromMemory(int n, const std::uint8_t* bytes, std::size_t size, int mode) {
    NewSlot slot = PrepareSlot(n);
    if (!slot.record) return 0;
    SpriteRecord& r = *slot.record;
    bool ok = false;
    if (bytes && size > 0) {
        if (mode == PlainBuffer) {
            // A plain buffer holds an 8-bit picture's colour indices as they are.
            std::vector<std::uint8_t> indices;
            int width = 0, height = 0;
            if (runtime::images::DecodeBmpIndexed(bytes, size, indices, width, height) &&
                SizeFits(width, height)) {
                InstallPlain(r, std::move(indices), width, height);
                ok = true;
            }
        } else {
            auto store = std::make_unique<Surface>();
            int bits = 0;
            bool decoded = false;
            try {
                decoded = runtime::images::DecodePicture(bytes, size, *store, &bits);
            } catch (const std::bad_alloc&) {
                decoded = false;
            }
            if (decoded && SizeFits(store->width, store->height)) {
                // Palettised pictures arrive expanded to 24 bits.
                Install(r, std::move(store), bits <= 8 ? 24 : bits, mode);
                ok = true;
            }
        }
    }
    if (!ok) {
        Clear(r);
        DropIfEmptyUnnumbered(n);
        return 0;
    }
    return slot.result;
}

int MakeBlankSprite(int n, int width, int height, int mode) {
    NewSlot slot = PrepareSlot(n);
    if (!slot.record) return 0;
    SpriteRecord& r = *slot.record;
    bool ok = false;
    if (SizeFits(width, height)) {
        if (mode == PlainBuffer) {
            try {
                InstallPlain(r, std::vector<std::uint8_t>(std::size_t(width) * height, 0), width,
                             height);
                ok = true;
            } catch (const std::bad_alloc&) {
            }
        } else if (auto store = BlackStore(width, height)) {
            Install(r, std::move(store), 0, mode);
            ok = true;
        }
    }
    if (!ok) {
        Clear(r);
        DropIfEmptyUnnumbered(n);
        return 0;
    }
    return slot.result;
}

int CaptureSprite(int n, int x, int y, int width, int height, int mode) {
    // Differs: capturing into the target sprite takes the picture first
    // (docs/differences.md, Screen, sprites and quads)
    // The picture is taken before the slot is emptied, so a sprite can capture from itself
    // while it is the target.
    auto& state = runtime::screen::State();
    std::unique_ptr<Surface> store;
    if (mode != PlainBuffer && SizeFits(width, height)) store = BlackStore(width, height);
    if (store && state.target) {
        const Surface& from = *state.target;
        // Only the part inside the target is copied; the rest stays black.
        const int x0 = std::max(x, 0), y0 = std::max(y, 0);
        const int x1 =
            int(std::min<long long>({(long long)x + width, state.targetWidth, from.width}));
        const int y1 =
            int(std::min<long long>({(long long)y + height, state.targetHeight, from.height}));
        if (x1 > x0 && y1 > y0) CopyRect(*store, x0 - x, y0 - y, from, x0, y0, x1 - x0, y1 - y0);
    }
    NewSlot slot = PrepareSlot(n);
    if (!slot.record) return 0;
    if (!store) {
        Clear(*slot.record);
        DropIfEmptyUnnumbered(n);
        return 0;
    }
    Install(*slot.record, std::move(store), 0, mode);
    return slot.result;
}

std::vector<std::uint8_t> SpriteBitmapBytes(int n) {
    const SpriteRecord* r = FindSprite(n);
    if (!r || r->mode == PlainBuffer || !r->surface) return {};
    const int w = r->shownWidth, h = r->shownHeight;
    if (w < 0 || h < 0) return {};
    // Row size 3w + (w mod 4): a multiple of 4 for every width.
    const std::size_t rowSize = std::size_t(w) * 3 + std::size_t(w % 4);
    const std::size_t dataSize = rowSize * std::size_t(h);
    std::vector<std::uint8_t> out(54 + dataSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLE(out, 2, std::uint32_t(54 + dataSize), 4);
    PutLE(out, 10, 54, 4);
    PutLE(out, 14, 40, 4);
    PutLE(out, 18, std::uint32_t(w), 4);
    PutLE(out, 22, std::uint32_t(h), 4);
    PutLE(out, 26, 1, 2);
    PutLE(out, 28, 24, 2);
    // Rows go bottom-up from the image's own top-left corner, whatever the clip says.
    const Surface& s = *r->surface;
    for (int i = 0; i < h; ++i) {
        const int imageRow = h - 1 - i;
        std::uint8_t* dst = out.data() + 54 + std::size_t(i) * rowSize;
        if (imageRow >= s.height) continue;
        const std::uint32_t* src = s.Row(imageRow);
        const int columns = std::min(w, s.width);
        for (int j = 0; j < columns; ++j) {
            dst[3 * j] = std::uint8_t(src[j]);
            dst[3 * j + 1] = std::uint8_t(src[j] >> 8);
            dst[3 * j + 2] = std::uint8_t(src[j] >> 16);
        }
    }
    return out;
}

int SaveSpriteBitmap(int n, const char* fileName) {
    if (!fileName) return 0;
    std::vector<std::uint8_t> bytes = SpriteBitmapBytes(n);
    if (bytes.empty()) return 0;
    // Differs: the screenshot is written only into a regular file
    // (docs/differences.md, Screen, sprites and quads)
    // Only into a regular file: a pipe named screen.bmp would hold the game up for ever.
    const int fd = runtime::support::CreateRegularFile(runtime::support::PlatformPath(fileName));
    if (fd < 0) return 0;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        ::close(fd);
        return 0;
    }
    bool ok = std::fwrite(bytes.data(), 1, 14, f) == 14;
    ok = std::fwrite(bytes.data() + 14, 1, 40, f) == 40 && ok;
    const std::size_t rest = bytes.size() - 54;
    ok = (rest == 0 || std::fwrite(bytes.data() + 54, 1, rest, f) == rest) && ok;
    // Differs: a screenshot failing at its last write is reported as failed
    // (docs/differences.md, Screen, sprites and quads)
    // A write that fails only when the buffer is flushed is still a failed write.
    ok = std::fclose(f) == 0 && ok;
    return ok ? 1 : 0;
}

int DiscardSprite(int n) {
    SpriteRecord* r = FindSprite(n);
    if (!r) return 0;
    Clear(*r);
    DropIfEmptyUnnumbered(n);
    return 1;
}

int SetSpriteClip(int n, int x, int y, int width, int height) {
    SpriteRecord* r = FindSprite(n);
    if (!r) return 0;
    if (x == -1) {
        r->clipX = r->clipY = 0;
        r->shownWidth = r->fullWidth;
        r->shownHeight = r->fullHeight;
        return 1;
    }
    long long w = width, h = height;
    if (x + w > r->fullWidth) w = r->fullWidth - (long long)x;
    if (y + h > r->fullHeight) h = r->fullHeight - (long long)y;
    r->clipX = std::int16_t(x);
    r->clipY = std::int16_t(y);
    r->shownWidth = std::int16_t(w);
    r->shownHeight = std::int16_t(h);
    return 1;
}

int DrawSprite(int n, int x, int y) {
    return Draw(n, x, y, false);
}

int DrawSpriteKeyed(int n, int x, int y) {
    return Draw(n, x, y, true);
}

bool SpriteCoversTarget(int n) {
    const SpriteRecord* r = FindSprite(n);
    const auto& state = runtime::screen::State();
    if (!r || r->kind == -2 || !r->surface || !state.target) return false;
    // The shown part must lie inside the picture, or a copy of it is refused.
    return r->shownWidth >= state.targetWidth && r->shownHeight >= state.targetHeight &&
           r->clipX >= 0 && r->clipY >= 0 && r->clipX + r->shownWidth <= r->surface->width &&
           r->clipY + r->shownHeight <= r->surface->height;
}

int SpritesOverlap(int s1, int x1, int y1, int s2, int x2, int y2) {
    const SpriteRecord* a = FindSprite(s1);
    const SpriteRecord* b = FindSprite(s2);
    if (!a || !b) return 0;
    // Touching along an edge is not a collision.
    using L = long long;  // positions near the int limits must not overflow
    return L(x2) < L(x1) + a->shownWidth && L(x2) + b->shownWidth > x1 &&
                   L(y2) + b->shownHeight > y1 && L(y2) < L(y1) + a->shownHeight
               ? 1
               : 0;
}

int SpritePixelsOverlap(int s1, int x1, int y1, int s2, int x2, int y2) {
    if (!SpritesOverlap(s1, x1, y1, s2, x2, y2)) return 0;
    const SpriteRecord* a = FindSprite(s1);
    const SpriteRecord* b = FindSprite(s2);
    // Plain buffers have no pixels to lock.
    if (!a->surface || !b->surface) return 0;
    int o1x, o2x, width, o1y, o2y, height;
    OverlapAxis(x1, a->shownWidth, x2, b->shownWidth, o1x, o2x, width);
    OverlapAxis(y1, a->shownHeight, y2, b->shownHeight, o1y, o2y, height);
    const Surface& p = *a->surface;
    const Surface& q = *b->surface;
    const int ax = a->clipX + o1x, ay = a->clipY + o1y;
    const int bx = b->clipX + o2x, by = b->clipY + o2y;
    // Only positions inside both images are looked at; outside counts as transparent.
    const int j0 = std::max({0, -ax, -bx});
    const int j1 = std::min({width, p.width - ax, q.width - bx});
    const int i0 = std::max({0, -ay, -by});
    const int i1 = std::min({height, p.height - ay, q.height - by});
    for (int i = i0; i < i1; ++i) {
        const std::uint32_t* rp = p.Row(ay + i) + ax;
        const std::uint32_t* rq = q.Row(by + i) + bx;
        for (int j = j0; j < j1; ++j)
            if ((rp[j] & 0x00FFFFFFu) != 0 && (rq[j] & 0x00FFFFFFu) != 0) return 1;
    }
    return 0;
}

}  // namespace runtime::sprites
