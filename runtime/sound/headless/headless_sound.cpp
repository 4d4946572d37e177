#include "runtime/sound/headless/headless_sound.hpp"

#include <algorithm>
#include <memory>
#include <string>

#include "runtime/screen/screen.hpp"
#include "runtime/sound/device.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::sound::headless {
namespace {

constexpr double UnitsPerSecond = 1e7;
constexpr double FramesPerSecond = 60.0;
constexpr std::size_t LargestTune = std::size_t(64) << 20;

std::uint64_t FramesNow() {
    return screen::State().framesPresented;
}

struct Channel {
    const std::int16_t* frames = nullptr;
    std::size_t count = 0;
    std::size_t position = 0;
    bool playing = false;
    bool loop = false;
};

class HeadlessMusic;
HeadlessMusic* playingMusic = nullptr;

// A silent tune whose clock is the screen's frame counter.
class HeadlessMusic final : public Music {
  public:
    explicit HeadlessMusic(std::int64_t length) : length_(length) {}
    ~HeadlessMusic() override { Stop(); }

    void Play(std::int64_t position) override {
        playingMusic = this;
        from_ = position;
        startFrame_ = FramesNow();
        paused_ = false;
    }
    void Pause() override {
        if (playingMusic != this || paused_) return;
        from_ = Position();
        paused_ = true;
    }
    void Resume() override {
        if (playingMusic != this || !paused_) return;
        startFrame_ = FramesNow();
        paused_ = false;
    }
    void Stop() override {
        if (playingMusic == this) playingMusic = nullptr;
    }
    bool Finished() override { return playingMusic != this || Position() >= length_; }
    std::int64_t Position() override {
        if (playingMusic != this) return 0;
        if (paused_) return from_;
        const double elapsed = double(FramesNow() - startFrame_) / FramesPerSecond;
        return std::min(length_, from_ + std::int64_t(elapsed * UnitsPerSecond));
    }

  private:
    std::int64_t length_;
    std::int64_t from_ = 0;
    std::uint64_t startFrame_ = 0;
    bool paused_ = false;
};

class HeadlessSound final : public SoundDevice {
  public:
    bool hasDevice = true;
    std::vector<Channel> channels;
    std::vector<SoundStart> starts;

    bool Open() override { return hasDevice; }
    void Close() override { channels.clear(); }
    void SetSoundCount(int count) override {
        if (std::size_t(count) > channels.size()) channels.resize(std::size_t(count));
    }
    bool Load(int n, const std::int16_t* frames, std::size_t frameCount) override {
        if (n < 0 || std::size_t(n) >= channels.size()) return false;
        channels[std::size_t(n)] = Channel{frames, frameCount, 0, false, false};
        return true;
    }
    void Free(int n) override {
        if (n >= 0 && std::size_t(n) < channels.size()) channels[std::size_t(n)] = Channel{};
    }
    void Start(int n, bool loop) override {
        if (n < 0 || std::size_t(n) >= channels.size()) return;
        Channel& c = channels[std::size_t(n)];
        if (c.frames == nullptr) return;
        c.position = 0;
        c.playing = true;
        c.loop = loop;
        starts.push_back(SoundStart{n, loop, FramesNow()});
    }
};

class HeadlessMusicDevice final : public MusicDevice {
  public:
    bool* hasDevice = nullptr;

    bool Open() override { return *hasDevice; }
    void Close() override { playingMusic = nullptr; }
    std::unique_ptr<Music> Load(const std::string& path) override {
        // Differs: a tune opens only as a regular file
        // (docs/differences.md, Sound and music)
        // Only a regular file: a pipe in the tune's place would wait for a writer for ever.
        std::vector<std::uint8_t> bytes;
        if (!support::ReadRegularFile(path, LargestTune, bytes)) return nullptr;
        const std::int64_t length = Mp3Length(bytes.data(), bytes.size());
        if (length <= 0) return nullptr;
        return std::make_unique<HeadlessMusic>(length);
    }
};

HeadlessSound sound;
HeadlessMusicDevice music;

}  // namespace

void UseHeadlessSound(bool hasDevice) {
    sound.hasDevice = hasDevice;
    music.hasDevice = &sound.hasDevice;
    sound.starts.clear();
    UseSoundDevice(&sound);
    UseMusicDevice(&music);
}

const std::vector<SoundStart>& SoundStarts() {
    return sound.starts;
}
void ClearSoundStarts() {
    sound.starts.clear();
}

void MixSound(std::int16_t* out, std::size_t frameCount) {
    std::vector<std::int32_t> sum(frameCount * OutputChannels, 0);
    for (Channel& c : sound.channels) {
        for (std::size_t f = 0; f < frameCount && c.playing; ++f) {
            sum[f * 2] += c.frames[c.position * 2];
            sum[f * 2 + 1] += c.frames[c.position * 2 + 1];
            if (++c.position == c.count) {
                c.position = 0;
                c.playing = c.loop;
            }
        }
    }
    for (std::size_t i = 0; i < sum.size(); ++i) {
        out[i] = std::int16_t(std::clamp(sum[i], -32768, 32767));
    }
}

bool SoundIsPlaying(int n) {
    return n >= 0 && std::size_t(n) < sound.channels.size() &&
           sound.channels[std::size_t(n)].playing;
}

std::int64_t Mp3Length(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr) return 0;
    std::size_t pos = 0;
    // An ID3v2 tag in front: ten bytes of header, then a size in 7-bit bytes.
    if (size >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        const std::size_t tag = std::size_t(bytes[6] & 0x7F) << 21 |
                                std::size_t(bytes[7] & 0x7F) << 14 |
                                std::size_t(bytes[8] & 0x7F) << 7 | std::size_t(bytes[9] & 0x7F);
        pos = 10 + tag + ((bytes[5] & 0x10) ? 10 : 0);
    }
    static constexpr int rates1[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                       112, 128, 160, 192, 224, 256, 320};
    static constexpr int rates2[15] = {0,  8,  16, 24,  32,  40,  48, 56,
                                       64, 80, 96, 112, 128, 144, 160};
    static constexpr int sampleRates[3] = {44100, 48000, 32000};
    double seconds = 0;
    while (pos < size && size - pos >= 4) {
        const std::uint32_t h = std::uint32_t(bytes[pos]) << 24 |
                                std::uint32_t(bytes[pos + 1]) << 16 |
                                std::uint32_t(bytes[pos + 2]) << 8 | bytes[pos + 3];
        const int version = int(h >> 19) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int layer = int(h >> 17) & 3;    // 1 layer III
        const int bitrateIndex = int(h >> 12) & 15;
        const int rateIndex = int(h >> 10) & 3;
        if ((h >> 21) != 0x7FF || version == 1 || layer != 1 || bitrateIndex == 0 ||
            bitrateIndex == 15 || rateIndex == 3) {
            ++pos;  // not a frame header: look for the next one
            continue;
        }
        const bool mpeg1 = version == 3;
        const int rate = sampleRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
        const int kbps = (mpeg1 ? rates1 : rates2)[bitrateIndex];
        const std::size_t length =
            std::size_t((mpeg1 ? 144 : 72) * kbps * 1000 / rate + int(h >> 9 & 1));
        if (length > size - pos) break;  // a cut-off last frame
        seconds += double(mpeg1 ? 1152 : 576) / rate;
        pos += length;
    }
    return std::int64_t(seconds * UnitsPerSecond);
}

}  // namespace runtime::sound::headless
