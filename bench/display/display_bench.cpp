// Sprite copies, pixel plotting and pixel collisions on the headless display, each beside a
// baseline run in the same process. Keyed copies race SDL2's colour-key blit with RLE
// acceleration on (SdlRle: SDL_SetColorKey + SDL_SetSurfaceRLE, what an SDL game gets) and
// without it (SdlNoRle); opaque copies race SDL's plain blit and memcpy, of the whole
// picture at once (Memcpy) and a row at a time (MemcpyRows); plotting and collisions race
// plain array loops. Pictures: the old test tiles, and pictures like the game's: a ball,
// a brick with black edges and a full-screen picture with black areas. At the end each
// baseline's time over ours is printed.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "bench/ratio_reporter.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"

namespace {

using runtime::screen::Surface;
namespace sprites = runtime::sprites;

std::uint32_t Rgb(int r, int g, int b) {
    return std::uint32_t(r & 0xFF) << 16 | std::uint32_t(g & 0xFF) << 8 | std::uint32_t(b & 0xFF);
}

// Colour shapes on black in 32-pixel tiles, about half see-through.
void PaintTiles(Surface& s) {
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const int cx = x % 32 - 16, cy = y % 32 - 16;
            const bool inside = cx * cx + cy * cy < 200;
            s.At(x, y) = inside ? 0x204060u + std::uint32_t((x * 3 + y * 5) & 0x3F) : 0u;
        }
}

// A shaded ball filling its square, black in the corners.
void PaintBall(Surface& s) {
    const double r = s.width / 2.0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
            const int light = int(255 * (1.0 - 0.6 * d));
            s.At(x, y) = d < 1.0 ? Rgb(light, light, 255) : 0u;
        }
}

// A brick: a bevelled face inside a one-pixel black edge with cut corners.
void PaintBrick(Surface& s) {
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const bool edge = x == 0 || y == 0 || x == s.width - 1 || y == s.height - 1;
            const bool corner = (x < 3 || x >= s.width - 3) && (y < 3 || y >= s.height - 3) &&
                                std::abs(2 * x - s.width + 1) + std::abs(2 * y - s.height + 1) >
                                    s.width + s.height - 8;
            const int bevel = y < 3 ? 60 : (y >= s.height - 3 ? -60 : 0);
            s.At(x, y) = edge || corner ? 0u : Rgb(180 + bevel, 40 + bevel / 2, 30 + x);
        }
}

// A full-screen picture with black areas: black sky with scattered stars, two planets, a
// title band, and a landscape along the bottom.
void PaintScene(Surface& s) {
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            std::uint32_t p = 0;
            const double ground = 430 + 40 * std::sin(x / 60.0) + 15 * std::sin(x / 17.0);
            if (y > ground) {
                p = Rgb(30 + y / 8, 90 + (x & 31), 40);
            } else if (std::hypot(x - 600, y - 160) < 110) {
                p = Rgb(200, 120 + y / 4, 60);
            } else if (std::hypot(x - 150, y - 300) < 45) {
                p = Rgb(90, 90, 220);
            } else if (y >= 60 && y < 110 && x >= 120 && x < 480 && (x / 12 + y / 10) % 4 != 0) {
                p = Rgb(255, 220, 40 + x / 4);  // letters with gaps
            }
            s.At(x, y) = p;
        }
    for (int i = 0; i < 600; ++i) {
        const int x = int(next() % 800), y = int(next() % 400);
        if ((s.At(x, y) & 0xFFFFFF) == 0) s.At(x, y) = Rgb(255, 255, 255);
    }
}

// Sprite numbers and where each is drawn.
struct Picture {
    int number;
    int x, y;
};
constexpr Picture kTiles{1, 0, 0}, kTiles32{2, 100, 50}, kBall{3, 391, 297}, kBrick{4, 120, 86},
    kScene{5, 0, 0}, kBallAtEdge{3, -4, 597}, kClippedScene{6, -37, 41};

struct Setup {
    Setup() {
        runtime::screen::headless::UseHeadlessDisplay();
        runtime::screen::InitSpriteEngine();
        runtime::screen::OpenFullScreen(800, 600, 32, "");
        Make(1, 800, 600, PaintTiles);
        Make(2, 32, 32, PaintTiles);
        Make(3, 10, 10, PaintBall);
        Make(4, 40, 20, PaintBrick);
        Make(5, 800, 600, PaintScene);
        // The scene again, shown through a clip, as the game shows parts of pictures.
        Make(6, 800, 600, PaintScene);
        sprites::SetSpriteClip(6, 100, 50, 640, 480);
    }
    static void Make(int n, int w, int h, void (*paint)(Surface&)) {
        sprites::MakeBlankSprite(n, w, h);
        paint(*sprites::FindSprite(n)->surface);
        sprites::SpritePixelsChanged(n);
    }
};

Setup& Display() {
    static Setup setup;
    return setup;
}

// An SDL surface holding its own copy of the pixels (RLE encoding may replace them).
SDL_Surface* SdlCopyOf(const Surface& s) {
    SDL_Surface* out =
        SDL_CreateRGBSurfaceWithFormat(0, s.width, s.height, 32, SDL_PIXELFORMAT_RGB888);
    if (!out) return nullptr;
    for (int y = 0; y < s.height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(out->pixels) + y * out->pitch, s.Row(y),
                    std::size_t(s.width) * 4);
    return out;
}

SDL_Surface* SdlView(Surface& s) {
    return SDL_CreateRGBSurfaceWithFormatFrom(s.pixels.data(), s.width, s.height, 32, s.width * 4,
                                              SDL_PIXELFORMAT_RGB888);
}

void Tessaly(benchmark::State& state, Picture p, bool keyed) {
    Display();
    runtime::screen::FillTarget(0, 0, 0);
    const sprites::SpriteRecord& r = *sprites::FindSprite(p.number);
    for (auto _ : state) {
        if (keyed)
            sprites::DrawSpriteKeyed(p.number, p.x, p.y);
        else
            sprites::DrawSprite(p.number, p.x, p.y);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * r.shownWidth * r.shownHeight);
}

// SDL blits the same part of the same picture to the same place; before timing, its
// result is checked against ours.
void SdlBlit(benchmark::State& state, Picture p, bool keyed, bool rle) {
    Display();
    const sprites::SpriteRecord& r = *sprites::FindSprite(p.number);
    SDL_Surface* source = SdlCopyOf(*r.surface);
    Surface& back = runtime::screen::BackBuffer();
    SDL_Surface* target = SdlView(back);
    if (!source || !target) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    if (keyed) SDL_SetColorKey(source, SDL_TRUE, 0);
    SDL_SetSurfaceRLE(source, rle ? 1 : 0);
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    const SDL_Rect part{r.clipX, r.clipY, r.shownWidth, r.shownHeight};
    auto blit = [&] {
        SDL_Rect at{p.x, p.y, 0, 0};
        SDL_Rect from = part;
        SDL_BlitSurface(source, &from, target, &at);
    };

    runtime::screen::FillTarget(0, 0, 0);
    keyed ? sprites::DrawSpriteKeyed(p.number, p.x, p.y) : sprites::DrawSprite(p.number, p.x, p.y);
    const std::vector<std::uint32_t> ours = back.pixels;
    runtime::screen::FillTarget(0, 0, 0);
    blit();
    if (back.pixels != ours) state.SkipWithError("SDL drew other pixels than Tessaly");
    if (rle && !(source->flags & SDL_RLEACCEL)) state.SkipWithError("SDL did not encode RLE");

    for (auto _ : state) {
        blit();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * part.w * part.h);
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}

void SdlRle(benchmark::State& state, Picture p) {
    SdlBlit(state, p, true, true);
}
void SdlNoRle(benchmark::State& state, Picture p) {
    SdlBlit(state, p, true, false);
}
void Sdl(benchmark::State& state, Picture p) {
    SdlBlit(state, p, false, false);
}

#define KEYED_CASE(name, picture)                    \
    BENCHMARK_CAPTURE(Tessaly, name, picture, true); \
    BENCHMARK_CAPTURE(SdlRle, name, picture);        \
    BENCHMARK_CAPTURE(SdlNoRle, name, picture)

KEYED_CASE(keyed_tiles_800x600, kTiles);
KEYED_CASE(keyed_tiles_32x32, kTiles32);
KEYED_CASE(keyed_ball_10x10, kBall);
KEYED_CASE(keyed_brick_40x20, kBrick);
KEYED_CASE(keyed_scene_800x600, kScene);
KEYED_CASE(keyed_ball_at_corner, kBallAtEdge);
KEYED_CASE(keyed_scene_clipped, kClippedScene);
BENCHMARK_CAPTURE(Tessaly, opaque_800x600, kScene, false);
BENCHMARK_CAPTURE(Sdl, opaque_800x600, kScene);

// The plain copy's own baselines: the whole picture as one memcpy, and a memcpy a row.
void CopyWithMemcpy(benchmark::State& state, Picture p, bool byRows) {
    Display();
    const Surface& source = *sprites::FindSprite(p.number)->surface;
    Surface& back = runtime::screen::BackBuffer();
    for (auto _ : state) {
        if (byRows) {
            for (int y = 0; y < source.height; ++y)
                std::memcpy(back.Row(y), source.Row(y), std::size_t(source.width) * 4);
        } else {
            std::memcpy(back.pixels.data(), source.pixels.data(), source.pixels.size() * 4);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * source.width * source.height);
}
void Memcpy(benchmark::State& state, Picture p) {
    CopyWithMemcpy(state, p, false);
}
void MemcpyRows(benchmark::State& state, Picture p) {
    CopyWithMemcpy(state, p, true);
}
BENCHMARK_CAPTURE(Memcpy, opaque_800x600, kScene);
BENCHMARK_CAPTURE(MemcpyRows, opaque_800x600, kScene);

// A picture moved up a row inside itself, as the menu scrolls its windows every frame,
// beside SDL's blit of a surface onto itself; both start from the same picture and must
// leave the same pixels.
void ScrollInPlace(benchmark::State& state, bool sdl) {
    Display();
    Setup::Make(8, 800, 268, PaintTiles);
    Surface& picture = *sprites::FindSprite(8)->surface;
    SDL_Surface* view = SdlView(picture);
    if (!view) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetSurfaceBlendMode(view, SDL_BLENDMODE_NONE);
    auto step = [&] {
        if (sdl) {
            SDL_Rect from{0, 1, 800, 267}, at{0, 0, 0, 0};
            SDL_BlitSurface(view, &from, view, &at);
        } else {
            sprites::DrawSprite(8, 0, 0);
        }
    };
    sprites::SelectTarget(8);
    sprites::SetSpriteClip(8, 0, 1, 800, 267);
    const Surface start = picture;
    sprites::DrawSprite(8, 0, 0);
    const std::vector<std::uint32_t> ours = picture.pixels;
    std::copy(start.pixels.begin(), start.pixels.end(), picture.pixels.begin());
    SDL_Rect from{0, 1, 800, 267}, at{0, 0, 0, 0};
    SDL_BlitSurface(view, &from, view, &at);
    if (picture.pixels != ours) state.SkipWithError("SDL moved other pixels than Tessaly");
    for (auto _ : state) {
        step();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 800 * 267);
    sprites::SelectTarget(-1);
    SDL_FreeSurface(view);
}
void Tessaly(benchmark::State& state, bool sdl) {
    ScrollInPlace(state, sdl);
}
void Sdl(benchmark::State& state, bool sdl) {
    ScrollInPlace(state, sdl);
}
BENCHMARK_CAPTURE(Tessaly, scroll_in_place_800x268, false);
BENCHMARK_CAPTURE(Sdl, scroll_in_place_800x268, true);

// The star field's use: one drawing session of 5001 points.
void PlotPixels(benchmark::State& state) {
    Display();
    for (auto _ : state) {
        runtime::screen::BeginDrawing(runtime::screen::OpenScreenDrawing());
        for (int i = 0; i < 5001; ++i)
            runtime::screen::PlotPixel((i * 37) % 800, (i * 13) % 600, 0x00FFFFFFu);
        runtime::screen::EndDrawing();
        benchmark::ClobberMemory();
    }
}

void RawStores(benchmark::State& state) {
    Display();
    Surface& b = runtime::screen::BackBuffer();
    for (auto _ : state) {
        for (int i = 0; i < 5001; ++i)
            b.At((i * 37) % 800, (i * 13) % 600) = 0x00FFFFFFu;
        benchmark::ClobberMemory();
    }
}

// Two 32 x 32 sprites overlapping completely with no common colour: the whole square is
// scanned, the slowest case.
void PixelsOverlap(benchmark::State& state) {
    Display();
    sprites::MakeBlankSprite(7, 32, 32);
    for (auto _ : state)
        benchmark::DoNotOptimize(sprites::SpritePixelsOverlap(2, 0, 0, 7, 0, 0));
}

void RawScan(benchmark::State& state) {
    Display();
    sprites::MakeBlankSprite(7, 32, 32);
    const Surface& a = *sprites::FindSprite(2)->surface;
    const Surface& b = *sprites::FindSprite(7)->surface;
    for (auto _ : state) {
        int hit = 0;
        for (int i = 0; i < 32 * 32 && !hit; ++i)
            hit = (a.pixels[i] & 0xFFFFFF) && (b.pixels[i] & 0xFFFFFF);
        benchmark::DoNotOptimize(hit);
    }
}

void Tessaly(benchmark::State& state, void (*run)(benchmark::State&)) {
    run(state);
}
void Loop(benchmark::State& state, void (*run)(benchmark::State&)) {
    run(state);
}

BENCHMARK_CAPTURE(Tessaly, plot_5001, PlotPixels);
BENCHMARK_CAPTURE(Loop, plot_5001, RawStores);
BENCHMARK_CAPTURE(Tessaly, pixel_overlap_32x32, PixelsOverlap);
BENCHMARK_CAPTURE(Loop, pixel_overlap_32x32, RawScan);

}  // namespace

int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv);
}
