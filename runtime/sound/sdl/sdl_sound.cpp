#include "runtime/sound/sdl/sdl_sound.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "runtime/sound/device.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::sound::sdl {
namespace {

constexpr int MixerBufferFrames = 1024;
constexpr double UnitsPerSecond = 1e7;  // positions are counted in 100 ns units

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

void SayNoDevice() {
    static bool said = false;
    if (said) return;
    said = true;
    std::fputs("no sound device: playing without sound\n", stderr);
}

class SdlMusic;
SdlMusic* playingMusic = nullptr;  // the tune SDL_mixer's one music stream belongs to

class SdlMusic final : public Music {
  public:
    explicit SdlMusic(Mix_Music* music) : music_(music) {}
    ~SdlMusic() override {
        Stop();
        Mix_FreeMusic(music_);
    }

    void Play(std::int64_t position) override {
        playingMusic = this;
        const int result = position > 0
                               ? Mix_FadeInMusicPos(music_, 0, 0, double(position) / UnitsPerSecond)
                               : Mix_PlayMusic(music_, 0);
        if (result != 0) playingMusic = nullptr;
    }
    void Pause() override {
        if (playingMusic == this) Mix_PauseMusic();
    }
    void Resume() override {
        if (playingMusic == this) Mix_ResumeMusic();
    }
    void Stop() override {
        if (playingMusic != this) return;
        Mix_HaltMusic();
        playingMusic = nullptr;
    }
    bool Finished() override { return playingMusic != this || Mix_PlayingMusic() == 0; }
    std::int64_t Position() override {
        if (playingMusic != this) return 0;
        const double seconds = Mix_GetMusicPosition(music_);
        if (!(seconds > 0)) return 0;
        return std::llround(seconds * UnitsPerSecond);
    }

  private:
    Mix_Music* music_;
};

// One mixer serves both the effects and the music; it opens with the first of them and
// closes with the last.
class SdlAudio final : public SoundDevice {
  public:
    // SoundDevice
    bool Open() override { return Acquire(soundUser_); }
    void Close() override {
        for (std::size_t n = 0; n < chunks_.size(); ++n)
            Free(int(n));
        chunks_.clear();
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
        Mix_HaltChannel(n);
        Mix_PlayChannel(n, chunks_[std::size_t(n)], loop ? -1 : 0);
    }

    // The music side, reached through SdlMusicSide below.
    bool OpenMusic() { return Acquire(musicUser_); }
    void CloseMusic() { Leave(musicUser_); }
    std::unique_ptr<Music> LoadMusic(const std::string& path) {
        if (!mixerOpen_) return nullptr;
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
        return std::make_unique<SdlMusic>(music);
    }

  private:
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
        mixerOpen_ = true;
        return true;
    }
    void CloseMixer() {
        if (!mixerOpen_) return;
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
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
};

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
