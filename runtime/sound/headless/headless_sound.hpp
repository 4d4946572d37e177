#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Sound for runs without an audio device: the sound service runs as usual, this device
// records every sound started and can mix what is playing into memory; music is silent
// and its clock counts presented frames, so replays see the same statuses every run.
namespace runtime::sound::headless {

struct SoundStart {
    int sound = 0;
    bool loop = false;
    std::uint64_t frame = 0;  // frames presented when it was started
};

// Installs the headless devices. With hasDevice false the machine has no audio output:
// InitSoundOutput returns 0 and no tune can be loaded.
void UseHeadlessSound(bool hasDevice = true);

// Every start since the devices were installed or the record was cleared.
const std::vector<SoundStart>& SoundStarts();
void ClearSoundStarts();

// Mixes the next frameCount output frames (stereo, interleaved) of the playing sounds into
// out, which is overwritten; sounds advance as if played.
void MixSound(std::int16_t* out, std::size_t frameCount);

bool SoundIsPlaying(int n);

// Length of an MP3 file's audio in 100 ns units, from its frame headers; 0 if it holds no
// MPEG audio layer III frames.
std::int64_t Mp3Length(const std::uint8_t* bytes, std::size_t size);

}  // namespace runtime::sound::headless
