#include "runtime/sound/sound.hpp"

#include <string>
#include <vector>

#include "runtime/sound/device.hpp"
#include "runtime/sound/wave.hpp"
#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/path.hpp"
#include "runtime/support/program.hpp"

namespace runtime::sound {
namespace {

using runtime::support::GrowToHold;
using runtime::support::UsableNumber;
namespace limits = runtime::support::limits;

// About six minutes at the output rate: far beyond any effect, small enough to hold.
constexpr std::size_t LongestSoundFrames = std::size_t(1) << 24;

SoundDevice* soundDevice = nullptr;
MusicDevice* musicDevice = nullptr;

bool soundOpen = false;
// One converted wave per sound number; empty: no sound in that slot.
std::vector<std::vector<std::int16_t>> sounds;

enum class Graph { Stopped, Paused, Running };

struct MediaRecord {
    std::unique_ptr<Music> music;  // null: empty slot
    int state = 0;                 // 3 stopped, 2 playing, 1 paused
    std::string fileName;
    Graph graph = Graph::Stopped;
    std::int64_t position = 0;  // where a stopped tune starts when run again
};

constexpr int MediaStopped = 3;
constexpr int MediaPlaying = 2;
constexpr int MediaPausedState = 1;

bool musicOpen = false;
std::vector<MediaRecord> media;
int current = -1;  // the media every control operation acts on

MediaRecord* Current() {
    if (current < 0 || std::size_t(current) >= media.size()) return nullptr;
    MediaRecord& record = media[std::size_t(current)];
    return record.music ? &record : nullptr;
}

void FreeMedia(int m) {
    current = m;
    StopMedia();
    media[std::size_t(m)] = MediaRecord{};
}

}  // namespace

void UseSoundDevice(SoundDevice* device) {
    soundDevice = device;
}
void UseMusicDevice(MusicDevice* device) {
    musicDevice = device;
}

int InitSoundOutput() {
    if (soundOpen) return 1;
    if (soundDevice == nullptr || !soundDevice->Open()) return 0;
    soundOpen = true;
    sounds.assign(50, {});
    soundDevice->SetSoundCount(int(sounds.size()));
    support::AddShutdownRelease(support::ShutdownStage::SoundOutput, ReleaseSoundOutput);
    return 1;
}

int LoadSoundFromMemory(int n, const std::uint8_t* bytes, std::size_t size) {
    if (!soundOpen || !UsableNumber(n, limits::kHighestSoundNumber) || bytes == nullptr || size == 0) return 0;
    Wave wave;
    if (!ParseWave(bytes, size, wave)) return 0;
    const std::uint64_t frames = wave.size / (std::uint64_t(wave.channels) * (wave.bits / 8));
    if (frames * std::uint64_t(OutputRate) / std::uint64_t(wave.rate) > LongestSoundFrames) {
        return 0;
    }
    std::vector<std::int16_t> converted = ConvertWave(wave, OutputRate);
    if (converted.empty()) return 0;

    if (std::size_t(n) >= sounds.size()) {
        GrowToHold(sounds, n);
        soundDevice->SetSoundCount(int(sounds.size()));
    }
    // The device lets go of the old samples before they are freed.
    soundDevice->Free(n);
    sounds[std::size_t(n)] = std::move(converted);
    const auto& slot = sounds[std::size_t(n)];
    if (!soundDevice->Load(n, slot.data(), slot.size() / OutputChannels)) {
        sounds[std::size_t(n)].clear();
        return 0;
    }
    return 1;
}

void StartSound(int n, int flags) {
    if (!soundOpen || n < 0 || std::size_t(n) >= sounds.size()) return;
    if (sounds[std::size_t(n)].empty()) return;
    // The same slot is restarted: a sound called again before it ended starts anew, while
    // other sound numbers keep playing.
    soundDevice->Start(n, flags != 0);
}

void PlaySoundOnce(int n) {
    StartSound(n, 0);
}

void ReleaseSoundOutput() {
    if (!soundOpen) return;
    // The device stops every sound its own way (fading out what is heard) and lets go of
    // the samples before they are freed.
    soundDevice->Close();
    sounds.clear();
    soundOpen = false;
}

int InitMediaPlayer() {
    if (media.empty()) media.resize(10);
    if (!musicOpen && musicDevice != nullptr) musicOpen = musicDevice->Open();
    support::AddShutdownRelease(support::ShutdownStage::MediaPlayer, ReleaseMediaPlayer);
    return 1;
}

int LoadMedia(int m, const char* fileName) {
    if (!UsableNumber(m, limits::kHighestMediaNumber)) return 0;
    GrowToHold(media, m);
    if (media[std::size_t(m)].music) FreeMedia(m);
    if (fileName == nullptr || fileName[0] == '\0' || !musicOpen) return 0;
    std::unique_ptr<Music> music = musicDevice->Load(support::PlatformPath(fileName));
    if (!music) return 0;
    MediaRecord& record = media[std::size_t(m)];
    record.music = std::move(music);
    record.state = MediaStopped;
    record.fileName = fileName;
    current = m;
    return 1;
}

int PlayMedia(int m, const void* /*ownerWindow*/) {
    if (m < 0 || std::size_t(m) >= media.size() || !media[std::size_t(m)].music) return 0;
    current = m;
    StopMedia();
    MediaRecord& record = media[std::size_t(m)];
    record.music->Play(0);
    record.graph = Graph::Running;
    record.state = MediaPlaying;
    return 1;
}

void StopMedia() {
    MediaRecord* record = Current();
    if (record == nullptr) return;
    record->music->Stop();
    record->graph = Graph::Stopped;
    record->position = 0;
    record->state = MediaStopped;
}

int MediaStatus() {
    MediaRecord* record = Current();
    if (record == nullptr) return 0;
    if (record->graph == Graph::Paused) return MediaPaused;
    if (record->graph != Graph::Running) return 0;
    if (record->music->Finished()) {
        // A tune at its end is stopped and rewound here; the game's loops then start it
        // again, which is how every looping phase repeats its music.
        StopMedia();
        return 0;
    }
    const auto low = std::uint32_t(std::uint64_t(record->music->Position()));
    // Differs: music just started is never taken for music that has finished
    // (docs/differences.md, Sound and music)
    // A tune that is playing never reports 0, or the game would take its first moment for
    // its end and restart it every frame.
    if (low == 0) return 1;
    return std::int32_t(low);
}

void SeekMedia(std::uint32_t position) {
    MediaRecord* record = Current();
    if (record == nullptr) return;
    record->music->Stop();
    record->graph = Graph::Stopped;
    record->position = std::int64_t(position);
    if (record->state == MediaPlaying) {
        record->music->Play(record->position);
        record->graph = Graph::Running;
    }
}

void PauseMedia() {
    MediaRecord* record = Current();
    if (record == nullptr || record->graph != Graph::Running) return;
    record->music->Pause();
    record->graph = Graph::Paused;
    record->state = MediaPausedState;
}

void ResumeMedia() {
    MediaRecord* record = Current();
    if (record == nullptr) return;
    if (record->graph == Graph::Paused) {
        record->music->Resume();
    } else if (record->graph == Graph::Stopped) {
        record->music->Play(record->position);
    }
    record->graph = Graph::Running;
    record->state = MediaPlaying;
}

void ReleaseMediaPlayer() {
    for (std::size_t m = 0; m < media.size(); ++m) {
        if (media[m].music) FreeMedia(int(m));
    }
    media.clear();
    current = -1;
    if (musicOpen) musicDevice->Close();
    musicOpen = false;
}

}  // namespace runtime::sound
