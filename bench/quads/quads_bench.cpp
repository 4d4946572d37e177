// Quad sprites against SDL's own software renderer drawing the same quad: a 64 x 64 glow
// added at alpha 128 onto an 800 x 600 back buffer, straight and turned, nearest and
// bilinear; the 256 x 256 title logo faded in at alpha 128 with ordinary blending; and
// that logo at full alpha, bilinear, at its own size on whole pixels, against
// SDL_RenderCopy of the same picture keyed on black (Sdl) and as a plain copy without
// any key (SdlPlain). At the end each baseline's time over ours is printed.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "bench/ratio_reporter.hpp"
#include "runtime/quads/raster.hpp"

namespace {

using runtime::quads::QuadRasterState;
using runtime::quads::QuadVertex;
using runtime::screen::Surface;

constexpr int kAlpha = 128;
constexpr float kX = 272.0f, kY = 172.0f;

// The quad drawn: its size, sampling, turn, glow (5, 7) or ordinary blending (5, 6), alpha.
struct Scene {
    int size;
    bool linear;
    double turn;
    bool glow;
    int alpha = kAlpha;
};

// A round glow fading to black at the rim, like the game's ball and shot glows.
Surface Glow(int size) {
    Surface s(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0);
            const int level = d >= size / 2.0 ? 0 : int(255 * (1.0 - d / (size / 2.0)));
            s.At(x, y) = std::uint32_t(level) << 16 | std::uint32_t(level * 3 / 4) << 8 |
                         std::uint32_t(level / 3);
        }
    }
    return s;
}

// Corners top-left, top-right, bottom-left, bottom-right, turned about the centre.
void Corners(float (&xy)[4][2], int size, double turn) {
    const double c = std::cos(turn), s = std::sin(turn), h = size / 2.0;
    for (int i = 0; i < 4; ++i) {
        const double px = (i & 1) ? h : -h, py = (i >> 1) ? h : -h;
        xy[i][0] = float(kX + h + px * c - py * s);
        xy[i][1] = float(kY + h + px * s + py * c);
    }
}

void Tessaly(benchmark::State& state, Scene scene) {
    Surface back(800, 600);
    const Surface texture = Glow(scene.size);
    float xy[4][2];
    Corners(xy, scene.size, scene.turn);
    QuadVertex q[4];
    for (int i = 0; i < 4; ++i) {
        q[i] = {xy[i][0], xy[i][1], 0, 1, 0xFFFFFFFFu, 0, float(i & 1), float(i >> 1)};
    }
    const QuadRasterState blend{5, scene.glow ? 7 : 6, scene.linear};
    for (auto _ : state) {
        runtime::quads::RasteriseQuad(back, texture, q, scene.alpha, blend);
        benchmark::DoNotOptimize(back.pixels.data());
        benchmark::ClobberMemory();
    }
}

// SDL's software renderer on an 800 x 600 target, with the glow picture in a surface of
// the given format (alphaBits or-ed into every pixel) to make the texture from.
struct SdlScene {
    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Surface* source = nullptr;

    SdlScene(int size, Uint32 format, std::uint32_t alphaBits) {
        target = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, format);
        renderer = target ? SDL_CreateSoftwareRenderer(target) : nullptr;
        source = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, format);
        if (source == nullptr) return;
        const Surface glow = Glow(size);
        for (int y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(
                static_cast<std::uint8_t*>(source->pixels) + y * source->pitch);
            for (int x = 0; x < size; ++x)
                row[x] = glow.At(x, y) | alphaBits;
        }
    }
    ~SdlScene() {
        if (source) SDL_FreeSurface(source);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (target) SDL_FreeSurface(target);
    }
    SdlScene(const SdlScene&) = delete;
    SdlScene& operator=(const SdlScene&) = delete;
    bool Ready() const { return renderer != nullptr && source != nullptr; }
};

void Sdl(benchmark::State& state, Scene scene) {
    const int kSize = scene.size;
    SdlScene sdl(kSize, SDL_PIXELFORMAT_ARGB8888, 0xFF000000u);
    if (!sdl.Ready()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_Renderer* renderer = sdl.renderer;
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, sdl.source);
    SDL_SetTextureBlendMode(texture, scene.glow ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND);
    SDL_SetTextureAlphaMod(texture, Uint8(scene.alpha));
    SDL_SetTextureScaleMode(texture, scene.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);

    float xy[4][2];
    Corners(xy, kSize, scene.turn);
    SDL_Vertex v[4];
    for (int i = 0; i < 4; ++i) {
        v[i].position = {xy[i][0], xy[i][1]};
        v[i].color = {255, 255, 255, 255};
        v[i].tex_coord = {float(i & 1), float(i >> 1)};
    }
    const int indices[6] = {0, 1, 2, 1, 3, 2};
    for (auto _ : state) {
        SDL_RenderGeometry(renderer, texture, v, 4, indices, 6);
        SDL_RenderFlush(renderer);  // the renderer batches: make it draw now
        benchmark::DoNotOptimize(sdl.target->pixels);
        benchmark::ClobberMemory();
    }
    SDL_DestroyTexture(texture);
}

// The picture at its own size through SDL_RenderCopy: keyed on black like ours, or plain.
void SdlRenderCopy(benchmark::State& state, Scene scene, bool keyed) {
    const int kSize = scene.size;
    SdlScene sdl(kSize, SDL_PIXELFORMAT_RGB888, 0);
    if (!sdl.Ready()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_Renderer* renderer = sdl.renderer;
    if (keyed) SDL_SetColorKey(sdl.source, SDL_TRUE, 0);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, sdl.source);
    if (!keyed) SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture, scene.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    const SDL_Rect at{int(kX), int(kY), kSize, kSize};
    for (auto _ : state) {
        SDL_RenderCopy(renderer, texture, nullptr, &at);
        SDL_RenderFlush(renderer);
        benchmark::DoNotOptimize(sdl.target->pixels);
        benchmark::ClobberMemory();
    }
    SDL_DestroyTexture(texture);
}

void Sdl(benchmark::State& state, Scene scene, bool keyed) {
    SdlRenderCopy(state, scene, keyed);
}
void SdlPlain(benchmark::State& state, Scene scene, bool keyed) {
    SdlRenderCopy(state, scene, keyed);
}

constexpr double kTurn = 0.5236;  // 30 degrees

BENCHMARK_CAPTURE(Tessaly, straight_nearest, Scene{64, false, 0.0, true});
BENCHMARK_CAPTURE(Sdl, straight_nearest, Scene{64, false, 0.0, true});
BENCHMARK_CAPTURE(Tessaly, straight_bilinear, Scene{64, true, 0.0, true});
BENCHMARK_CAPTURE(Sdl, straight_bilinear, Scene{64, true, 0.0, true});
BENCHMARK_CAPTURE(Tessaly, turned_nearest, Scene{64, false, kTurn, true});
BENCHMARK_CAPTURE(Sdl, turned_nearest, Scene{64, false, kTurn, true});
BENCHMARK_CAPTURE(Tessaly, turned_bilinear, Scene{64, true, kTurn, true});
BENCHMARK_CAPTURE(Sdl, turned_bilinear, Scene{64, true, kTurn, true});
BENCHMARK_CAPTURE(Tessaly, logo_blend, Scene{256, true, 0.0, false});
BENCHMARK_CAPTURE(Sdl, logo_blend, Scene{256, true, 0.0, false});
BENCHMARK_CAPTURE(Tessaly, own_size_copy, Scene{256, true, 0.0, false, 255});
BENCHMARK_CAPTURE(Sdl, own_size_copy, Scene{256, true, 0.0, false, 255}, true);
BENCHMARK_CAPTURE(SdlPlain, own_size_copy, Scene{256, true, 0.0, false, 255}, false);

}  // namespace

int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv);
}
