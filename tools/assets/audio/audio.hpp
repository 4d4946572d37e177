#pragma once
// The game's sound effects and music, synthesised at build time. Every call is deterministic:
// the same bytes on every build and every run.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools::assets::audio {

// A complete RIFF WAVE file ("fmt " at byte 12, "data" right after it, 16-bit mono PCM):
// sound n of data\level1.pak, n = 0..12. Any other number gives an empty vector.
std::vector<std::uint8_t> LevelSoundWave(int soundNumber);

// Sound 0 (game-over jingle) or 1 (name-entry key click) of data\gameover.pak.
std::vector<std::uint8_t> GameOverSoundWave(int soundNumber);

// The music files of the sfx folder, in a fixed order.
std::vector<std::string> TrackNames();

// The encoded MP3 file of a track named by TrackNames(); empty for an unknown name.
std::vector<std::uint8_t> TrackMp3(std::string_view name);

}  // namespace tools::assets::audio
