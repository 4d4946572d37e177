#include "tools/assets/audio/audio.hpp"

#include "tools/assets/audio/internal.hpp"

namespace tools::assets::audio {

std::vector<std::uint8_t> LevelSoundWave(int soundNumber) {
    std::vector<std::int16_t> samples = EffectSamples(0, soundNumber);
    if (samples.empty()) return {};
    return MakeWave(samples, kEffectRate);
}

std::vector<std::uint8_t> GameOverSoundWave(int soundNumber) {
    std::vector<std::int16_t> samples = EffectSamples(1, soundNumber);
    if (samples.empty()) return {};
    return MakeWave(samples, kEffectRate);
}

std::vector<std::string> TrackNames() {
    return {"introwin.mp3", "logo.mp3", "theme.mp3",  "level00.mp3",
            "win.mp3",      "high.mp3", "credits.mp3"};
}

std::vector<std::uint8_t> TrackMp3(std::string_view name) {
    TrackPcm track = RenderTrack(name);
    if (track.samples.empty()) return {};
    return EncodeMp3(track.samples, kTrackRate);
}

}  // namespace tools::assets::audio
