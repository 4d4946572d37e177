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

namespace {

// A tenth of a second of silence, 16-bit mono at 22050 Hz: stands in for a sound the
// audio makers do not give, so every pack keeps its entry count.
std::vector<std::uint8_t> SilentWave() {
    const std::uint32_t samples = 2205, dataBytes = samples * 2;
    std::vector<std::uint8_t> w(44 + dataBytes, 0);
    auto text = [&](std::size_t at, const char* s) {
        for (int i = 0; i < 4; ++i)
            w[at + i] = std::uint8_t(s[i]);
    };
    auto u32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            w[at + i] = std::uint8_t(v >> (8 * i));
    };
    text(0, "RIFF");
    u32(4, 36 + dataBytes);
    text(8, "WAVE");
    text(12, "fmt ");
    u32(16, 16);
    u32(20, 1 | (1u << 16));  // PCM, mono
    u32(24, 22050);
    u32(28, 44100);
    u32(32, 2 | (16u << 16));  // block align 2, 16 bits
    text(36, "data");
    u32(40, dataBytes);
    return w;
}

std::vector<std::uint8_t> OrSilence(std::vector<std::uint8_t> wave) {
    return wave.empty() ? SilentWave() : wave;
}

}  // namespace

std::vector<std::uint8_t> LevelSound(int number) {
    return OrSilence(audio::LevelSoundWave(number));
}

std::vector<std::uint8_t> GameOverSound(int number) {
    return OrSilence(audio::GameOverSoundWave(number));
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
