#include "tools/assets/catalogue.hpp"

namespace tools::assets {

std::vector<PackSpec> Catalogue() {
    return {
        {"win.pak", sequences::WinEntries()},
        {"logo.pak", sequences::LogoEntries()},
        {"introduce.pak", sequences::IntroduceEntries()},
        {"wat.pak", sequences::WatEntries()},
        {"fontes.pak", play::FontEntries()},
        {"level1.pak", play::Level1Entries()},
        {"sc.pak", play::ScoreDigitEntries()},
        {"lvl0105.pak", play::BackgroundEntries(1)},
        {"lvl0610.pak", play::BackgroundEntries(2)},
        {"lvl1115.pak", play::BackgroundEntries(3)},
        {"theend.pak", sequences::TheEndEntries()},
        {"gameover.pak", sequences::GameOverEntries()},
        {"credits.pak", sequences::CreditsEntries()},
    };
}

}  // namespace tools::assets
