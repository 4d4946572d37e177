#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly_test {

// A RIFF WAVE built in memory; extraChunk (e.g. a LIST chunk, id and body) goes between
// "fmt " and "data" when its id is not empty.
struct WaveRecipe {
    int channels = 2;
    int rate = 44100;
    int bits = 16;
    std::vector<std::uint8_t> data;
    std::string extraId;
    std::vector<std::uint8_t> extraBody;
};

std::vector<std::uint8_t> MakeWave(const WaveRecipe& recipe);

// 16-bit little-endian bytes of the samples.
std::vector<std::uint8_t> Pcm16(const std::vector<std::int16_t>& samples);

// A distinctive run of 16-bit stereo frames: no two neighbouring values alike, none zero.
std::vector<std::int16_t> Signature(std::size_t frames, int seed);

// Encodes seconds of a 440 Hz tone of the given peak to an MP3 file with LAME. False if
// encoding failed.
bool WriteMp3(const std::string& path, double seconds, int peak = 8000);

// frames of a stereo sine tone (both sides alike) starting at 0.
std::vector<std::int16_t> Tone(std::size_t frames, double hertz, int peak);

// A fresh empty folder for one test process.
std::string TempFolder(const std::string& name);

}  // namespace tessaly_test
