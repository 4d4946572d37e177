#include "tools/assets/catalogue.hpp"

#include "tools/assets/audio/audio.hpp"

namespace tools::assets {

EntrySpec Sprite(int number, std::function<std::vector<std::uint8_t>()> make, EntryKind kind) {
    return {"sprite " + std::to_string(number), kind, std::move(make)};
}

EntrySpec Texture(int number, std::function<std::vector<std::uint8_t>()> make) {
    return {"texture " + std::to_string(number), EntryKind::Bmp, std::move(make)};
}

EntrySpec Sound(int number, std::function<std::vector<std::uint8_t>()> make) {
    return {"sound " + std::to_string(number), EntryKind::Wave, std::move(make)};
}

std::vector<std::uint8_t> LevelSound(int number) {
    return audio::LevelSoundWave(number);
}

std::vector<std::uint8_t> GameOverSound(int number) {
    return audio::GameOverSoundWave(number);
}

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
