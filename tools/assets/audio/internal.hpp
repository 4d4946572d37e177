#pragma once
// The stages behind the public calls, open to the tests: synthesised PCM before it is wrapped
// into a WAVE file or encoded to MP3.
#include <cstdint>
#include <string_view>
#include <vector>

namespace tools::assets::audio {

inline constexpr int kEffectRate = 44100;
inline constexpr int kTrackRate = 44100;

// A finished track: interleaved left/right 16-bit samples at kTrackRate.
struct TrackPcm {
    std::vector<std::int16_t> samples;
    bool loops = false;  // the phase restarts it when it ends, so its ends must meet smoothly
};

// Empty samples for a name that is not one of TrackNames().
TrackPcm RenderTrack(std::string_view name);

// Mono 16-bit samples at kEffectRate of a sound effect; empty for an unknown number.
// pack 0 is data\level1.pak (sounds 0..12), pack 1 data\gameover.pak (sounds 0..1).
std::vector<std::int16_t> EffectSamples(int pack, int soundNumber);

// A RIFF WAVE file of 16-bit mono PCM: "fmt " at byte 12, "data" right after it.
std::vector<std::uint8_t> MakeWave(const std::vector<std::int16_t>& samples, int rate);

// MPEG-1 layer III, 160 kbit/s constant rate, joint stereo, with the LAME info tag in its first
// frame so that players can trim the encoder's delay and padding.
std::vector<std::uint8_t> EncodeMp3(const std::vector<std::int16_t>& interleaved, int rate);

}  // namespace tools::assets::audio
