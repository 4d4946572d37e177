#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// RIFF WAVE sound effects as the resource packs hold them.
namespace runtime::sound {

struct Wave {
    int channels = 0;                       // 1 or 2
    int rate = 0;                           // frames a second
    int bits = 0;                           // 8 (unsigned) or 16 (signed, little-endian)
    const std::uint8_t* samples = nullptr;  // points into the bytes given to ParseWave
    std::size_t size = 0;                   // bytes of whole frames
};

// Differs: a damaged or hostile sound file is ignored
// (docs/differences.md, Sound and music)
// Checks a RIFF WAVE: "RIFF", "WAVE" and the "fmt " chunk at byte 12, then finds the "data"
// chunk, stepping over any other chunks between them. Every size is checked against the
// bytes given. Only PCM, 8 or 16 bits, mono or stereo is taken.
bool ParseWave(const std::uint8_t* bytes, std::size_t size, Wave& wave);

// The wave's samples as signed 16-bit stereo at rate, frames interleaved left, right.
std::vector<std::int16_t> ConvertWave(const Wave& wave, int rate);

}  // namespace runtime::sound
