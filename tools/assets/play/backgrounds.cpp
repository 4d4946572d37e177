// The level backgrounds: three packs of four 800 x 600 deep-space pictures, drawn opaque
// and scrolled downwards, so each one repeats seamlessly from its bottom to its top.
#include <cmath>

#include "tools/assets/play/play_packs.hpp"
#include "tools/assets/play/shapes.hpp"

namespace tools::assets::play {

using namespace art;

namespace {

enum class Feature { None, Galaxy, Cluster, Planet, Comet };

struct Scene {
    Colour tintA, tintB;
    double density;
    Feature feature;
};

// A spiral galaxy seen at a slant, drawn as arms of soft dots.
void Galaxy(cairo_t* cr, double cx, double cy, double radius, Colour tint, std::uint64_t seed) {
    Rng rng(seed);
    RadialLight(cr, cx, cy, radius * 0.5, tint.Lighter(0.6), 0.5);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1.0, 0.45);
    cairo_rotate(cr, 0.5);
    for (int i = 0; i < 900; ++i) {
        int arm = i % 2;
        double t = rng.Uniform();
        double angle = t * 3.2 * M_PI + arm * M_PI + rng.Range(-0.35, 0.35);
        double d = t * radius + rng.Range(-6, 6);
        double x = std::cos(angle) * d, y = std::sin(angle) * d;
        SetColour(cr, i % 7 ? tint.Lighter(0.5) : palette::kWhite, 0.55 * (1 - t) + 0.15);
        cairo_arc(cr, x, y, rng.Range(0.8, 2.2), 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    RadialLight(cr, cx, cy, radius * 0.14, palette::kWhite, 0.9);
}

void Cluster(cairo_t* cr, double cx, double cy, double radius, std::uint64_t seed) {
    Rng rng(seed);
    RadialLight(cr, cx, cy, radius, Colour{0.7, 0.8, 1.0}, 0.18);
    for (int i = 0; i < 160; ++i) {
        double a = rng.Range(0, 2 * M_PI), d = radius * std::pow(rng.Uniform(), 1.8);
        SetColour(cr, palette::kWhite, rng.Range(0.4, 1.0));
        cairo_arc(cr, cx + std::cos(a) * d, cy + std::sin(a) * d, rng.Range(0.4, 1.3), 0, 2 * M_PI);
        cairo_fill(cr);
    }
}

void DistantPlanet(cairo_t* cr, double cx, double cy, double r, Colour tint) {
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* p =
        cairo_pattern_create_radial(cx - r * 0.4, cy - r * 0.4, r * 0.1, cx, cy, r);
    Colour lit = tint.Lighter(0.2), dark = tint.Darker(0.92);
    cairo_pattern_add_color_stop_rgb(p, 0, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_arc(cr, cx, cy, r, M_PI * 0.75, M_PI * 1.75);
    SetColour(cr, tint.Lighter(0.5), 0.6);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void Comet(cairo_t* cr, double x, double y, Colour tint) {
    cairo_pattern_t* tail = cairo_pattern_create_linear(x, y, x + 160, y - 90);
    cairo_pattern_add_color_stop_rgba(tail, 0, 1, 1, 1, 0.7);
    cairo_pattern_add_color_stop_rgba(tail, 1, tint.r, tint.g, tint.b, 0.0);
    cairo_move_to(cr, x, y - 2);
    cairo_line_to(cr, x + 160, y - 100);
    cairo_line_to(cr, x + 170, y - 82);
    cairo_line_to(cr, x + 2, y + 2);
    cairo_close_path(cr);
    cairo_set_source(cr, tail);
    cairo_fill(cr);
    cairo_pattern_destroy(tail);
    RadialLight(cr, x, y, 9, palette::kWhite, 1.0);
}

std::vector<std::uint8_t> Background(const Scene& scene, std::uint64_t seed) {
    return OpaqueJpeg(800, 600, [&](Canvas& c) {
        Nebula(c, seed, scene.tintA, scene.tintB, scene.density);
        cairo_t* cr = c.cr();
        // Keep the upper field, where the bricks are, a touch darker than the rest.
        cairo_pattern_t* veil = cairo_pattern_create_linear(0, 0, 0, 600);
        cairo_pattern_add_color_stop_rgba(veil, 0.0, 0.0, 0.0, 0.02, 0.15);
        cairo_pattern_add_color_stop_rgba(veil, 0.5, 0.0, 0.0, 0.02, 0.22);
        cairo_pattern_add_color_stop_rgba(veil, 1.0, 0.0, 0.0, 0.02, 0.15);
        cairo_set_source(cr, veil);
        cairo_paint(cr);
        cairo_pattern_destroy(veil);
        Rng rng(seed * 31 + 7);
        Stars(cr, rng, 700, 800, 600, true);
        // Features stay clear of the top and bottom edges, where the picture wraps.
        switch (scene.feature) {
            case Feature::Galaxy:
                Galaxy(cr, 560, 300, 150, scene.tintB, seed);
                break;
            case Feature::Cluster:
                Cluster(cr, 230, 330, 90, seed);
                break;
            case Feature::Planet:
                DistantPlanet(cr, 640, 380, 70, scene.tintA);
                break;
            case Feature::Comet:
                Comet(cr, 260, 380, scene.tintB);
                break;
            case Feature::None:
                break;
        }
    });
}

}  // namespace

std::vector<EntrySpec> BackgroundEntries(int group) {
    using namespace palette;
    // Four scenes per group; each group has its own mood: violet and teal for the first
    // five levels, rose and amber for the middle five, cold blue and green for the last.
    static const Scene kScenes[3][4] = {
        {{kNebulaViolet, kNebulaTeal, 1.0, Feature::None},
         {kNebulaTeal, kNebulaRose, 0.9, Feature::Cluster},
         {kNebulaViolet, kNebulaRose, 1.0, Feature::Galaxy},
         {kNebulaTeal, kNebulaViolet, 0.9, Feature::Planet}},
        {{kNebulaRose, kNebulaAmber, 1.0, Feature::None},
         {kNebulaAmber, kNebulaViolet, 0.9, Feature::Comet},
         {kNebulaRose, kNebulaViolet, 1.0, Feature::Galaxy},
         {kNebulaAmber, kNebulaRose, 0.85, Feature::Planet}},
        {{kNebulaTeal, Colour{0.10, 0.25, 0.70}, 1.0, Feature::Galaxy},
         {Colour{0.10, 0.45, 0.30}, kNebulaTeal, 0.9, Feature::Cluster},
         {Colour{0.15, 0.25, 0.75}, kNebulaViolet, 1.0, Feature::Comet},
         {kNebulaTeal, Colour{0.10, 0.45, 0.30}, 0.9, Feature::None}},
    };
    static const int kNumbers[4] = {50, 51, 52, 54};
    std::vector<EntrySpec> out;
    for (int i = 0; i < 4; ++i) {
        Scene scene = kScenes[group - 1][i];
        std::uint64_t seed = std::uint64_t(group * 10 + i);
        out.push_back(Sprite(
            kNumbers[i], [scene, seed] { return Background(scene, seed); }, EntryKind::Jpeg));
    }
    return out;
}

}  // namespace tools::assets::play
