// Sprite copies, pixel plotting and pixel collisions on the headless display, each beside a
// baseline run in the same process: SDL2's own surface blits for the copies (same pixels,
// same format, colour key black without RLE), plain array loops for the rest.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>

#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"

namespace {

using runtime::screen::Surface;
namespace sprites = runtime::sprites;

// A picture like the game's keyed sprites: colour shapes on black, about half see-through.
void Paint(Surface& s) {
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const int cx = x % 32 - 16, cy = y % 32 - 16;
            const bool inside = cx * cx + cy * cy < 200;
            s.At(x, y) = inside ? 0x204060u + std::uint32_t((x * 3 + y * 5) & 0x3F) : 0u;
        }
}

struct Setup {
    Setup() {
        runtime::screen::headless::UseHeadlessDisplay();
        runtime::screen::InitSpriteEngine();
        runtime::screen::OpenFullScreen(800, 600, 32, "");
        sprites::MakeBlankSprite(1, 800, 600);
        sprites::MakeBlankSprite(2, 32, 32);
        sprites::MakeBlankSprite(3, 32, 32);
        Paint(*sprites::FindSprite(1)->surface);
        Paint(*sprites::FindSprite(2)->surface);
        Paint(*sprites::FindSprite(3)->surface);
    }
};

Setup& Display() {
    static Setup setup;
    return setup;
}

SDL_Surface* Wrap(Surface& s) {
    return SDL_CreateRGBSurfaceWithFormatFrom(s.pixels.data(), s.width, s.height, 32, s.width * 4,
                                              SDL_PIXELFORMAT_RGB888);
}

void Copy(benchmark::State& state, int sprite, bool keyed) {
    Display();
    const Surface& s = *sprites::FindSprite(sprite)->surface;
    for (auto _ : state) {
        if (keyed)
            sprites::DrawSpriteKeyed(sprite, 100 % (801 - s.width), 50 % (601 - s.height));
        else
            sprites::DrawSprite(sprite, 0, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * s.width * s.height);
}

void SdlCopy(benchmark::State& state, int sprite, bool keyed) {
    Display();
    SDL_Surface* source = Wrap(*sprites::FindSprite(sprite)->surface);
    SDL_Surface* target = Wrap(runtime::screen::BackBuffer());
    if (keyed) SDL_SetColorKey(source, SDL_TRUE, 0);
    SDL_SetSurfaceRLE(source, 0);
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_Rect at{keyed ? 100 % (801 - source->w) : 0, keyed ? 50 % (601 - source->h) : 0, 0, 0};
    for (auto _ : state) {
        SDL_Rect dst = at;
        SDL_BlitSurface(source, nullptr, target, &dst);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * source->w * source->h);
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}

void BM_DrawSprite_800x600(benchmark::State& s) {
    Copy(s, 1, false);
}
void BM_SdlBlit_800x600(benchmark::State& s) {
    SdlCopy(s, 1, false);
}
void BM_DrawSpriteKeyed_800x600(benchmark::State& s) {
    Copy(s, 1, true);
}
void BM_SdlBlitKeyed_800x600(benchmark::State& s) {
    SdlCopy(s, 1, true);
}
void BM_DrawSpriteKeyed_32x32(benchmark::State& s) {
    Copy(s, 2, true);
}
void BM_SdlBlitKeyed_32x32(benchmark::State& s) {
    SdlCopy(s, 2, true);
}

// The star field's use: one drawing session of 5001 points.
void BM_PlotPixel_5001(benchmark::State& state) {
    Display();
    for (auto _ : state) {
        runtime::screen::BeginDrawing(runtime::screen::OpenScreenDrawing());
        for (int i = 0; i < 5001; ++i)
            runtime::screen::PlotPixel((i * 37) % 800, (i * 13) % 600, 0x00FFFFFFu);
        runtime::screen::EndDrawing();
        benchmark::ClobberMemory();
    }
}

void BM_RawStore_5001(benchmark::State& state) {
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
void BM_SpritePixelsOverlap_32x32(benchmark::State& state) {
    Display();
    sprites::MakeBlankSprite(4, 32, 32);
    for (auto _ : state)
        benchmark::DoNotOptimize(sprites::SpritePixelsOverlap(2, 0, 0, 4, 0, 0));
}

void BM_RawScan_32x32(benchmark::State& state) {
    Display();
    const Surface& a = *sprites::FindSprite(2)->surface;
    const Surface& b = *sprites::FindSprite(4)->surface;
    for (auto _ : state) {
        int hit = 0;
        for (int i = 0; i < 32 * 32 && !hit; ++i)
            hit = (a.pixels[i] & 0xFFFFFF) && (b.pixels[i] & 0xFFFFFF);
        benchmark::DoNotOptimize(hit);
    }
}

BENCHMARK(BM_DrawSprite_800x600);
BENCHMARK(BM_SdlBlit_800x600);
BENCHMARK(BM_DrawSpriteKeyed_800x600);
BENCHMARK(BM_SdlBlitKeyed_800x600);
BENCHMARK(BM_DrawSpriteKeyed_32x32);
BENCHMARK(BM_SdlBlitKeyed_32x32);
BENCHMARK(BM_PlotPixel_5001);
BENCHMARK(BM_RawStore_5001);
BENCHMARK(BM_SpritePixelsOverlap_32x32);
BENCHMARK(BM_RawScan_32x32);

}  // namespace

BENCHMARK_MAIN();
