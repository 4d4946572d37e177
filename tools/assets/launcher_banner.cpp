// The launcher banner: 580 x 61, the game's name in chrome over a strip of nebula with a
// row of glass bricks.
#include "tools/assets/builder.hpp"
#include "tools/assets/play/shapes.hpp"

namespace tools::assets {

using namespace art;

std::vector<std::uint8_t> LauncherBannerBmp() {
    Canvas c(580, 61);
    Nebula(c, 580, palette::kNebulaViolet, palette::kNebulaTeal, 1.1);
    cairo_t* cr = c.cr();
    Rng rng(61);
    Stars(cr, rng, 140, 580, 61, false);
    // Bricks on both sides of the name.
    const int codes[] = {100, 101, 102, 104, 105, 106};
    for (int i = 0; i < 6; ++i) {
        for (int side = 0; side < 2; ++side) {
            Canvas brick(play::kBrickWidth, play::kBrickHeight);
            play::DrawBrick(brick, codes[(i + side * 3) % 6]);
            double x = side == 0 ? 8 + (i % 3) * 33 : 473 + (i % 3) * 33;
            double y = i < 3 ? 0 : 31;
            c.Paint(brick, x, y, 0.9);
        }
    }
    ChromeText(c, "TESSALY", Font::SansBold, 44, 290, 27, Align::Centre, palette::kNeonCyan, 7);
    NeonText(c, "brick breaking among the stars", Font::Sans, 11, 290, 53, Align::Centre,
             palette::kNeonMagenta, 2);
    return c.Bmp(Finish::Opaque);
}

}  // namespace tools::assets
