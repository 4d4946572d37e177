#include "tools/assets/packs/entries.hpp"

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

}  // namespace tools::assets
