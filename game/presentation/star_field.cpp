#include "game/presentation/star_field.hpp"

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime/screen/screen.hpp"
#include "runtime/support/random.hpp"

namespace game::presentation {

namespace {

StarField g_field;

#if defined(__SSE2__)
// Where the mask is set a, elsewhere b.
inline __m128 Select(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

// Rounds four floats to whole numbers, halves to even, as std::nearbyint does in the
// default rounding mode: below 2^23 adding and taking away 2^23 of the same sign leaves no
// fraction, and from 2^23 up every float is whole already.
inline __m128 RoundHalfEven(__m128 v) {
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 whole = _mm_set1_ps(8388608.0f);  // 2^23
    const __m128 small = _mm_cmplt_ps(_mm_andnot_ps(sign, v), whole);
    const __m128 shift = _mm_or_ps(whole, _mm_and_ps(sign, v));
    return Select(small, _mm_sub_ps(_mm_add_ps(v, shift), shift), v);
}
#endif

}  // namespace

StarField& Stars() {
    return g_field;
}

void createStarField() {
    using runtime::support::RandomUpTo;
    for (Star& star : g_field.stars) {
        star.x = float(RandomUpTo(10000) - 5000);
        star.y = float(RandomUpTo(10000) - 5000);
        star.z = float(RandomUpTo(1000) + 100);
    }
    g_field.cameraDepth = 0.0f;
    g_field.cameraSpeed = 1.0f;
    g_field.direction = 0;
}

void drawStarField() {
    StarField& f = g_field;
    const float c = f.cameraDepth;
    runtime::screen::BeginDrawing(runtime::screen::OpenScreenDrawing());
    std::size_t i = 0;
#if defined(__SSE2__)
    // Four stars at a time, each with the same steps and roundings as one alone below;
    // the points are plotted in the stars' order.
    for (; i + 4 <= f.stars.size(); i += 4) {
        Star* s = &f.stars[i];
        const __m128 x = _mm_setr_ps(s[0].x, s[1].x, s[2].x, s[3].x);
        const __m128 y = _mm_setr_ps(s[0].y, s[1].y, s[2].y, s[3].y);
        __m128 z = _mm_setr_ps(s[0].z, s[1].z, s[2].z, s[3].z);
        const __m128 cv = _mm_set1_ps(c), far = _mm_set1_ps(c + 1000.0f);
        const __m128 behind = _mm_cmplt_ps(z, cv);
        const __m128 beyond = _mm_andnot_ps(behind, _mm_cmpgt_ps(z, far));
        z = Select(behind, far, Select(beyond, cv, z));
        alignas(16) float zs[4];
        _mm_store_ps(zs, z);
        for (int k = 0; k < 4; ++k)
            s[k].z = zs[k];
        const __m128 depth = _mm_sub_ps(z, cv);
        const __m128 sx = RoundHalfEven(
            _mm_add_ps(_mm_mul_ps(_mm_div_ps(x, depth), _mm_set1_ps(100.0f)), _mm_set1_ps(400.0f)));
        const __m128 sy = RoundHalfEven(
            _mm_add_ps(_mm_mul_ps(_mm_div_ps(y, depth), _mm_set1_ps(100.0f)), _mm_set1_ps(300.0f)));
        const __m128 zero = _mm_setzero_ps();
        __m128 shown = _mm_cmpneq_ps(depth, zero);
        shown = _mm_and_ps(
            shown, _mm_and_ps(_mm_cmpgt_ps(sx, zero), _mm_cmplt_ps(sx, _mm_set1_ps(800.0f))));
        shown = _mm_and_ps(
            shown, _mm_and_ps(_mm_cmpgt_ps(sy, zero), _mm_cmplt_ps(sy, _mm_set1_ps(600.0f))));
        int lanes = _mm_movemask_ps(shown);
        if (lanes == 0) continue;
        // Off-screen lanes become 0 before turning into integers.
        alignas(16) std::int32_t px[4], py[4], g[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(px), _mm_cvttps_epi32(_mm_and_ps(sx, shown)));
        _mm_store_si128(reinterpret_cast<__m128i*>(py), _mm_cvttps_epi32(_mm_and_ps(sy, shown)));
        _mm_store_si128(reinterpret_cast<__m128i*>(g),
                        _mm_cvttps_epi32(_mm_sub_ps(_mm_set1_ps(255.0f),
                                                    _mm_mul_ps(depth, _mm_set1_ps(0.255f)))));
        for (; lanes != 0; lanes &= lanes - 1) {
            const int k = __builtin_ctz(unsigned(lanes));
            const auto grey = std::uint32_t(g[k]);
            runtime::screen::PlotPixel(px[k], py[k], grey | grey << 8 | grey << 16);
        }
    }
#endif
    for (; i < f.stars.size(); ++i) {
        Star& star = f.stars[i];
        // A star that falls behind the camera comes back at the far end, and one beyond
        // the far end comes back right in front of the camera.
        if (star.z < c)
            star.z = c + 1000.0f;
        else if (star.z > c + 1000.0f)
            star.z = c;
        const float depth = star.z - c;
        if (depth == 0.0f) continue;  // on the camera itself: nowhere on the screen
        // The screen position rounds half to even (the default rounding mode), in floats;
        // it is compared before it becomes an integer, so a star close to the camera
        // cannot overflow one.
        const float sx = std::nearbyint(star.x / depth * 100.0f + 400.0f);
        const float sy = std::nearbyint(star.y / depth * 100.0f + 300.0f);
        if (!(sx > 0.0f && sx < 800.0f && sy > 0.0f && sy < 600.0f)) continue;
        const auto g = std::uint32_t(int(255.0f - depth * 0.255f));
        runtime::screen::PlotPixel(int(sx), int(sy), g | g << 8 | g << 16);
    }
    runtime::screen::EndDrawing();

    // The flight: forwards until the camera passes 1000, then slowing and reversing to
    // full speed backwards until it passes -1000, and round again.
    if (c > 1000.0f)
        f.direction = -1;
    else if (c < -1000.0f)
        f.direction = 1;
    if (f.direction == 1 && f.cameraSpeed < 10.0f)
        f.cameraSpeed += 0.01f;
    else if (f.direction == -1 && f.cameraSpeed > -10.0f)
        f.cameraSpeed -= 0.01f;
    f.cameraDepth += f.cameraSpeed;
}

}  // namespace game::presentation
