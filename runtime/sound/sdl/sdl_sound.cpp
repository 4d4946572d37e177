#include "runtime/sound/sdl/sdl_sound.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

#include "runtime/sound/device.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::sound::sdl {
namespace {

constexpr int MixerBufferFrames = 1024;
constexpr double UnitsPerSecond = 1e7;  // positions are counted in 100 ns units
// Differs: music that stops, changes or pauses fades out over 8 ms
// (docs/differences.md, Sound and music)
// A tune that is stopped, replaced or paused while it is heard fades out over this many
// frames (8 ms) instead of ending between two samples, which would be heard as a click.
constexpr std::size_t FadeFrames = OutputRate * 8 / 1000;
// Effects kept apart from the music while a fade runs, in samples; generous beside the
// mixer's buffer, so a device that asks for more at a time still gets clean fades.
constexpr std::size_t SeparatedSamples = std::size_t(8) * MixerBufferFrames * OutputChannels;
// The longest the program waits for the mixer to mix its next buffer: a stalled device
// makes the end come with a cut rather than never.
constexpr Uint32 LongestMixerWait = 200;

void IgnoreAlsa(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes its complaints about missing sound cards straight to standard error, a dozen
// lines for every attempt; the game says in one line that it plays without sound instead.
// The library stays loaded, since its handler points here for the rest of the run.
void QuietenAlsa() {
    static bool done = false;
    if (done) return;
    done = true;
    void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (alsa == nullptr) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    auto* setHandler =
        reinterpret_cast<int (*)(Handler)>(::dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) setHandler(&IgnoreAlsa);
}

// Differs: without a sound device the game says so in one line
// (docs/differences.md, Sound and music)
void SayNoDevice() {
    static bool said = false;
    if (said) return;
    said = true;
    std::fputs("no sound device: playing without sound\n", stderr);
}

// SDL_mixer keeps the id of the SDL device it opened to itself; the mixer is this
// program's only audio output, so it is the one device SDL reports open. 0: not known.
SDL_AudioDeviceID FindMixerDevice() {
    SDL_AudioDeviceID found = 0;
    for (SDL_AudioDeviceID id = 2; id <= 16; ++id) {
        if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_STOPPED) continue;
        if (found != 0) return 0;
        found = id;
    }
    return found;
}

// Holds the mixer device's lock: the mixer's thread mixes no buffer meanwhile. Taken
// again in the same thread (as SDL_mixer's own calls do) it nests.
class MixerLock {
  public:
    explicit MixerLock(SDL_AudioDeviceID device) : device_(device) {
        if (device_ != 0) SDL_LockAudioDevice(device_);
    }
    ~MixerLock() {
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
    }
    MixerLock(const MixerLock&) = delete;
    MixerLock& operator=(const MixerLock&) = delete;

  private:
    SDL_AudioDeviceID device_;
};

bool StartTune(Mix_Music* music, double seconds) {
    const int result =
        seconds > 0 ? Mix_FadeInMusicPos(music, 0, 0, seconds) : Mix_PlayMusic(music, 0);
    return result == 0;
}

class SdlMusic;
SdlMusic* playingMusic = nullptr;  // the tune SDL_mixer's one music stream belongs to

// One mixer serves both the effects and the music; it opens with the first of them and
// closes with the last.
class SdlAudio final : public SoundDevice {
  public:
    // SoundDevice
    bool Open() override { return Acquire(soundUser_); }
    void Close() override {
        if (!soundUser_) return;
        // The effects heard fade out before they stop, and stay silent until they have.
        {
            MixerLock lock(device_);
            if (device_ != 0 && Mix_Playing(-1) > 0) effects_ = Effects::Fading;
        }
        WaitForMixer();
        for (std::size_t n = 0; n < chunks_.size(); ++n)
            Free(int(n));
        chunks_.clear();
        {
            MixerLock lock(device_);
            effects_ = Effects::Heard;
        }
        Leave(soundUser_);
    }
    void SetSoundCount(int count) override {
        if (std::size_t(count) > chunks_.size()) chunks_.resize(std::size_t(count), nullptr);
        if (Mix_AllocateChannels(-1) < count) Mix_AllocateChannels(count);
    }
    bool Load(int n, const std::int16_t* frames, std::size_t frameCount) override {
        if (n < 0 || std::size_t(n) >= chunks_.size()) return false;
        Free(n);
        const std::size_t bytes = frameCount * OutputChannels * sizeof(std::int16_t);
        if (bytes > 0xFFFFFFFFu) return false;
        // The samples stay owned by the sound table; the chunk only points at them.
        auto* data = reinterpret_cast<Uint8*>(const_cast<std::int16_t*>(frames));
        chunks_[std::size_t(n)] = Mix_QuickLoad_RAW(data, Uint32(bytes));
        return chunks_[std::size_t(n)] != nullptr;
    }
    void Free(int n) override {
        if (n < 0 || std::size_t(n) >= chunks_.size() || chunks_[std::size_t(n)] == nullptr) return;
        Mix_HaltChannel(n);
        Mix_FreeChunk(chunks_[std::size_t(n)]);
        chunks_[std::size_t(n)] = nullptr;
    }
    void Start(int n, bool loop) override {
        if (n < 0 || std::size_t(n) >= chunks_.size() || chunks_[std::size_t(n)] == nullptr) return;
        MixerLock lock(device_);
        // A restart cuts the sound off where it was: the game's rule for a sound called
        // again. Its samples pass the music's fades untouched (see TakeEffect).
        Mix_HaltChannel(n);
        if (Mix_PlayChannel(n, chunks_[std::size_t(n)], loop ? -1 : 0) == n)
            Mix_RegisterEffect(n, &TakeEffect, nullptr, this);
    }

    // The music side, reached through SdlMusicSide and SdlMusic below. Every change to the
    // music heard waits for the mixer's next buffer, which fades that music out first; the
    // game goes on at once and sees the change as made.
    bool OpenMusic() { return Acquire(musicUser_); }
    void CloseMusic() {
        if (!musicUser_) return;
        HaltMusic();
        WaitForMixer();
        FreeRetiredTunes();
        Leave(musicUser_);
    }
    std::unique_ptr<Music> LoadMusic(const std::string& path);

    bool PlayMusic(Mix_Music* music, double seconds) {
        FreeRetiredTunes();
        MixerLock lock(device_);
        if (change_.pending || MusicHeard()) {
            change_ = MusicChange{true, After::Start, music, seconds, false};
            return true;
        }
        return StartTune(music, seconds);
    }
    void HaltMusic() {
        MixerLock lock(device_);
        if (change_.pending || MusicHeard()) {
            change_ = MusicChange{true, After::Halt, nullptr, 0, false};
        } else {
            Mix_HaltMusic();
        }
    }
    void PauseMusic() {
        MixerLock lock(device_);
        if (change_.pending) {
            if (change_.after == After::Start) change_.startPaused = true;
        } else if (MusicHeard()) {
            change_ = MusicChange{true, After::Pause, nullptr, 0, false};
        } else {
            Mix_PauseMusic();
        }
    }
    void ResumeMusic() {
        MixerLock lock(device_);
        if (!change_.pending) {
            Mix_ResumeMusic();
        } else if (change_.after == After::Start) {
            change_.startPaused = false;
        } else if (change_.after == After::Pause) {
            change_.pending = false;  // the pause never reached the mixer
        }
    }
    // A tune waiting for the next buffer to start counts as playing, from where it starts.
    bool MusicPlaying(Mix_Music* music) {
        MixerLock lock(device_);
        return StartsNext(music) || Mix_PlayingMusic() != 0;
    }
    double MusicPosition(Mix_Music* music) {
        MixerLock lock(device_);
        return StartsNext(music) ? change_.seconds : Mix_GetMusicPosition(music);
    }
    // A tune the mixer may still be fading out is freed once that buffer is mixed.
    void FreeTune(Mix_Music* music) {
        {
            MixerLock lock(device_);
            if (change_.pending) {
                retired_.push_back(music);
                return;
            }
        }
        Mix_FreeMusic(music);
    }

  private:
    enum class After { Halt, Pause, Start };
    // What becomes of the music once the next buffer has faded out the tune heard.
    struct MusicChange {
        bool pending = false;
        After after = After::Halt;
        Mix_Music* start = nullptr;  // After::Start: this tune, from seconds
        double seconds = 0;
        bool startPaused = false;
    };
    // The effects' part of the output: heard, fading out over the next buffer (the end of
    // the sound output), or silenced until they are stopped.
    enum class Effects { Heard, Fading, Silenced };

    // Fades need the lock: without it the music changes at once, as SDL_mixer makes it.
    bool MusicHeard() const {
        return device_ != 0 && Mix_PlayingMusic() != 0 && Mix_PausedMusic() == 0;
    }
    bool StartsNext(Mix_Music* music) const {
        return change_.pending && change_.after == After::Start && change_.start == music;
    }
    // While a fade runs the effects are mixed apart, so only the music fades.
    bool Separating() const { return change_.pending || effects_ != Effects::Heard; }

    // Runs in the mixer's thread for every effect channel's samples before they are mixed
    // in, in channel order, each channel's pieces in the order they are heard.
    static void SDLCALL TakeEffect(int channel, void* samples, int bytes, void* self) {
        auto& audio = *static_cast<SdlAudio*>(self);
        if (!audio.Separating()) return;
        if (channel != audio.takenChannel_) {
            audio.takenChannel_ = channel;
            audio.takenAt_ = 0;
        }
        auto* sample = static_cast<std::int16_t*>(samples);
        const std::size_t count = std::size_t(bytes) / sizeof(std::int16_t);
        if (count > audio.effectSum_.size() - audio.takenAt_) return;  // mixed in as it is
        for (std::size_t i = 0; i < count; ++i) {
            audio.effectSum_[audio.takenAt_ + i] += sample[i];
            sample[i] = 0;
        }
        audio.takenAt_ += count;
    }

    // Runs in the mixer's thread once a buffer is mixed, before it goes to the device.
    static void SDLCALL FinishBuffer(void* self, Uint8* stream, int bytes) {
        auto& audio = *static_cast<SdlAudio*>(self);
        if (audio.Separating()) {
            audio.Blend(reinterpret_cast<std::int16_t*>(stream),
                        std::size_t(bytes) / sizeof(std::int16_t));
        }
        audio.takenChannel_ = -1;
        audio.buffersMixed_.fetch_add(1);
    }

    // The buffer holds the music alone; the effects wait in effectSum_.
    void Blend(std::int16_t* out, std::size_t samples) {
        const std::size_t frames = samples / OutputChannels;
        const std::size_t fade = std::min(FadeFrames, frames);
        for (std::size_t f = 0; f < frames; ++f) {
            const float ramp = f < fade ? float(fade - 1 - f) / float(fade) : 0.0f;
            const float music = change_.pending ? ramp : 1.0f;
            const float effects = effects_ == Effects::Heard    ? 1.0f
                                  : effects_ == Effects::Fading ? ramp
                                                                : 0.0f;
            for (std::size_t c = 0; c < OutputChannels; ++c) {
                const std::size_t i = f * OutputChannels + c;
                const float effect = i < effectSum_.size() ? float(effectSum_[i]) : 0.0f;
                const float mixed = music * float(out[i]) + effects * effect;
                out[i] = std::int16_t(std::lround(std::clamp(mixed, -32768.0f, 32767.0f)));
            }
        }
        std::fill(effectSum_.begin(),
                  effectSum_.begin() + std::ptrdiff_t(std::min(samples, effectSum_.size())), 0);
        if (effects_ == Effects::Fading) effects_ = Effects::Silenced;
        if (change_.pending) MakeChange();
    }
    void MakeChange() {
        const MusicChange change = change_;
        change_ = MusicChange{};
        switch (change.after) {
            case After::Halt:
                Mix_HaltMusic();
                break;
            case After::Pause:
                Mix_PauseMusic();
                break;
            case After::Start:
                // A tune that fails to start reads as finished, and the game starts it again.
                if (StartTune(change.start, change.seconds) && change.startPaused) Mix_PauseMusic();
                break;
        }
    }

    // Returns once the mixer has mixed the buffer that makes a requested fade and change.
    void WaitForMixer() {
        unsigned seen = 0;
        {
            MixerLock lock(device_);
            if (!change_.pending && effects_ != Effects::Fading) return;
            seen = buffersMixed_.load();
        }
        const Uint32 start = SDL_GetTicks();
        while (buffersMixed_.load() == seen && SDL_GetTicks() - start < LongestMixerWait)
            SDL_Delay(1);
    }
    void FreeRetiredTunes() {
        std::vector<Mix_Music*> tunes;
        {
            MixerLock lock(device_);
            if (change_.pending) return;
            tunes.swap(retired_);
        }
        for (Mix_Music* music : tunes)
            Mix_FreeMusic(music);
    }

    bool Acquire(bool& user) {
        if (user) return mixerOpen_;
        if (!mixerOpen_ && !OpenMixer()) return false;
        user = true;
        return true;
    }
    void Leave(bool& user) {
        if (!user) return;
        user = false;
        if (!soundUser_ && !musicUser_) CloseMixer();
    }
    bool OpenMixer() {
        QuietenAlsa();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            SayNoDevice();
            return false;
        }
        Mix_Init(MIX_INIT_MP3);
        // No format changes allowed: SDL converts for the device, so the mixer always runs
        // in the format the sounds were converted to.
        if (Mix_OpenAudioDevice(OutputRate, AUDIO_S16SYS, OutputChannels, MixerBufferFrames,
                                nullptr, 0) != 0) {
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            SayNoDevice();
            return false;
        }
        device_ = FindMixerDevice();
        effectSum_.assign(SeparatedSamples, 0);
        change_ = MusicChange{};
        effects_ = Effects::Heard;
        Mix_SetPostMix(&FinishBuffer, this);
        mixerOpen_ = true;
        return true;
    }
    void CloseMixer() {
        if (!mixerOpen_) return;
        {
            MixerLock lock(device_);
            Mix_SetPostMix(nullptr, nullptr);
            change_ = MusicChange{};
        }
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        FreeRetiredTunes();
        device_ = 0;
        playingMusic = nullptr;
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        mixerOpen_ = false;
    }

    std::vector<Mix_Chunk*> chunks_;
    bool mixerOpen_ = false;
    bool soundUser_ = false;
    bool musicUser_ = false;

    // Shared with the mixer's thread, under the mixer device's lock.
    SDL_AudioDeviceID device_ = 0;
    MusicChange change_;
    Effects effects_ = Effects::Heard;
    std::vector<std::int32_t> effectSum_;
    int takenChannel_ = -1;
    std::size_t takenAt_ = 0;
    std::vector<Mix_Music*> retired_;
    std::atomic<unsigned> buffersMixed_{0};
};

class SdlMusic final : public Music {
  public:
    SdlMusic(SdlAudio& audio, Mix_Music* music) : audio_(audio), music_(music) {}
    ~SdlMusic() override {
        Stop();
        audio_.FreeTune(music_);
    }

    void Play(std::int64_t position) override {
        playingMusic = this;
        const double seconds = position > 0 ? double(position) / UnitsPerSecond : 0.0;
        if (!audio_.PlayMusic(music_, seconds)) playingMusic = nullptr;
    }
    void Pause() override {
        if (playingMusic == this) audio_.PauseMusic();
    }
    void Resume() override {
        if (playingMusic == this) audio_.ResumeMusic();
    }
    void Stop() override {
        if (playingMusic != this) return;
        audio_.HaltMusic();
        playingMusic = nullptr;
    }
    bool Finished() override { return playingMusic != this || !audio_.MusicPlaying(music_); }
    std::int64_t Position() override {
        if (playingMusic != this) return 0;
        const double seconds = audio_.MusicPosition(music_);
        if (!(seconds > 0)) return 0;
        return std::llround(seconds * UnitsPerSecond);
    }

  private:
    SdlAudio& audio_;
    Mix_Music* music_;
};

std::unique_ptr<Music> SdlAudio::LoadMusic(const std::string& path) {
    if (!mixerOpen_) return nullptr;
    FreeRetiredTunes();
    // Differs: a tune opens only as a regular file
    // (docs/differences.md, Sound and music)
    // The mixer gets the file the game checked: left to open the name itself, it would
    // wait for ever on a pipe put in the tune's place.
    const int fd = support::OpenRegularFile(path);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    SDL_RWops* stream = SDL_RWFromFP(file, SDL_TRUE);
    if (stream == nullptr) {
        std::fclose(file);
        return nullptr;
    }
    // The mixer closes the stream when the tune is freed, or at once if it is refused.
    Mix_Music* music = Mix_LoadMUS_RW(stream, 1);
    if (music == nullptr) return nullptr;
    return std::make_unique<SdlMusic>(*this, music);
}

// The music half of the same mixer.
class SdlMusicSide final : public MusicDevice {
  public:
    explicit SdlMusicSide(SdlAudio& audio) : audio_(audio) {}
    bool Open() override { return audio_.OpenMusic(); }
    void Close() override { audio_.CloseMusic(); }
    std::unique_ptr<Music> Load(const std::string& path) override { return audio_.LoadMusic(path); }

  private:
    SdlAudio& audio_;
};

}  // namespace

void UseSdlSound() {
    static SdlAudio audio;
    static SdlMusicSide music(audio);
    UseSoundDevice(&audio);
    UseMusicDevice(&music);
}

}  // namespace runtime::sound::sdl
