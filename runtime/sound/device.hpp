#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// What an audio platform provides to the sound service. The service keeps the tables, the
// checked and converted samples and the media states; a device only makes them heard (SDL
// mixer) or records and mixes them in memory (headless runs).
namespace runtime::sound {

// Every sound is converted to this before it reaches a device: signed 16-bit, stereo,
// interleaved, native byte order.
inline constexpr int OutputRate = 44100;
inline constexpr int OutputChannels = 2;

class SoundDevice {
  public:
    virtual ~SoundDevice() = default;
    // false: no audio output on this machine.
    virtual bool Open() = 0;
    // Stops every sound and forgets every sample, then closes the output.
    virtual void Close() = 0;
    // Makes room for sounds 0..count-1, one channel each.
    virtual void SetSoundCount(int count) = 0;
    // Sound n now plays frames[0..frameCount) (OutputChannels samples a frame). The memory
    // stays valid until Free(n).
    virtual bool Load(int n, const std::int16_t* frames, std::size_t frameCount) = 0;
    // Stops sound n and forgets its samples.
    virtual void Free(int n) = 0;
    // Stops sound n wherever it is and plays it from its first sample.
    virtual void Start(int n, bool loop) = 0;
};

// One opened tune.
class Music {
  public:
    virtual ~Music() = default;
    // Plays from position (100 ns units), stopping whatever tune was playing.
    virtual void Play(std::int64_t position) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
    // true once a tune started by Play has played to its end (or was cut off by another).
    virtual bool Finished() = 0;
    // Play position in 100 ns units.
    virtual std::int64_t Position() = 0;
};

class MusicDevice {
  public:
    virtual ~MusicDevice() = default;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Opens a tune from a file (a platform path); null when it cannot be played.
    virtual std::unique_ptr<Music> Load(const std::string& path) = 0;
};

// Installs the devices the service uses from the next Init on (null: none, the game runs
// silent). The devices must outlive their use.
void UseSoundDevice(SoundDevice* device);
void UseMusicDevice(MusicDevice* device);

}  // namespace runtime::sound
