#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "tools/assets/art/canvas.hpp"

// The look of Tessaly, "Nebula Glass": glowing glass bricks and neon chrome floating over
// deep-space nebulae. Every picture of the game is drawn with the helpers below so the
// launcher, the sequences and play share one palette and one hand.
namespace tools::assets::art {

struct Colour {
    double r, g, b;
    Colour Lighter(double amount) const;  // towards white, 0..1
    Colour Darker(double amount) const;   // towards black, 0..1
};

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0);

// The palette. Bricks take one hue each; the rest of the interface uses the neon accents.
namespace palette {
inline constexpr Colour kSpaceDeep{0.012, 0.016, 0.055};
inline constexpr Colour kSpaceIndigo{0.07, 0.05, 0.20};
inline constexpr Colour kNebulaViolet{0.42, 0.16, 0.62};
inline constexpr Colour kNebulaTeal{0.05, 0.42, 0.52};
inline constexpr Colour kNebulaRose{0.70, 0.18, 0.40};
inline constexpr Colour kNebulaAmber{0.78, 0.45, 0.16};
inline constexpr Colour kNeonCyan{0.25, 0.92, 1.00};
inline constexpr Colour kNeonMagenta{1.00, 0.30, 0.85};
inline constexpr Colour kNeonGold{1.00, 0.80, 0.28};
inline constexpr Colour kNeonGreen{0.35, 1.00, 0.50};
inline constexpr Colour kNeonRed{1.00, 0.32, 0.22};
inline constexpr Colour kNeonBlue{0.30, 0.42, 1.00};
inline constexpr Colour kChrome{0.78, 0.82, 0.90};
inline constexpr Colour kSteel{0.34, 0.37, 0.44};
inline constexpr Colour kWhite{1.0, 1.0, 1.0};
inline constexpr Colour kPanel{0.035, 0.045, 0.11};  // opaque dark panels, never pure black
}  // namespace palette

// A small deterministic generator (splitmix64) so that star fields and nebulae are the
// same on every build and every machine.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    double Uniform();                    // [0, 1)
    double Range(double lo, double hi);  // [lo, hi)
    int Int(int lo, int hi);             // lo..hi inclusive

  private:
    std::uint64_t state_;
};

enum class Font { Sans, SansBold, Condensed, CondensedBold, Mono, MonoBold, Serif };
inline constexpr Font kAllFonts[] = {Font::Sans,          Font::SansBold, Font::Condensed,
                                     Font::CondensedBold, Font::Mono,     Font::MonoBold,
                                     Font::Serif};

// A face's file name and the Debian package that installs it (named when it is missing).
struct FontSource {
    const char* file;
    const char* package;
};
FontSource FontSourceOf(Font font);
// The face's file on this system, or empty when no font folder has it.
std::string FindFontFile(Font font);

// Selects a DejaVu face loaded from its file, with fixed rendering options (grey
// antialiasing, no hinting) so text renders alike everywhere.
void UseFont(cairo_t* cr, Font font, double size);

enum class Align { Left, Centre, Right };

struct TextBox {
    double width, height;  // ink extents
    double xBearing, yBearing;
};
TextBox MeasureText(cairo_t* cr, const std::string& text);

// Adds the text outline to the current path with its ink box placed: horizontally by
// align at x, vertically centred on y.
void TextPath(cairo_t* cr, const std::string& text, double x, double y, Align align);

// Neon lettering: a blurred glow in colour, a bright core, a thin darker outline.
void NeonText(Canvas& canvas, const std::string& text, Font font, double size, double x, double y,
              Align align, Colour glow, double glowRadius = 6.0);

// Chrome lettering: a vertical metal gradient with a dark rim and a coloured glow.
void ChromeText(Canvas& canvas, const std::string& text, Font font, double size, double x, double y,
                Align align, Colour glow, double glowRadius = 8.0);

// A rounded rectangle path.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// A glass tile with bevels: a gradient body, a bright top-left bevel, a dark bottom-right
// bevel, a specular streak and an inner glow of the colour.
void GlassTile(cairo_t* cr, double x, double y, double w, double h, double radius, Colour c);

// Adds a soft glow of colour around whatever is already on the canvas (under it).
void GlowUnder(Canvas& canvas, Colour c, int radius, double strength = 1.0);

// A radial light: colour at the centre fading to nothing at radius.
void RadialLight(cairo_t* cr, double cx, double cy, double radius, Colour c, double alpha);

// Stars over a w x h area; with wrapY (wrapX) the field tiles vertically (horizontally),
// for pictures the game scrolls inside themselves.
void Stars(cairo_t* cr, Rng& rng, int count, int w, int h, bool wrapY, double brightness = 1.0,
           bool wrapX = false);

// Fills the canvas with a deep-space nebula that tiles vertically (period = height):
// fractal noise in two tints over the deep-space blue.
void Nebula(Canvas& canvas, std::uint64_t seed, Colour tintA, Colour tintB, double density);

// A sharp four-pointed sparkle.
void Sparkle(cairo_t* cr, double cx, double cy, double size, Colour c, double alpha);

}  // namespace tools::assets::art
