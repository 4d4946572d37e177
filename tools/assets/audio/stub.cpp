#include "tools/assets/audio/audio.hpp"

namespace tools::assets::audio {
std::vector<std::uint8_t> LevelSoundWave(int) { return {}; }
std::vector<std::uint8_t> GameOverSoundWave(int) { return {}; }
std::vector<std::string> TrackNames() {
    return {"introwin.mp3", "logo.mp3", "theme.mp3", "level00.mp3", "win.mp3", "high.mp3", "credits.mp3"};
}
std::vector<std::uint8_t> TrackMp3(std::string_view) { return {}; }
}  // namespace tools::assets::audio
