// The music files: real MPEG audio with the LAME info tag, the lengths the phases need, and
// looping tracks whose two ends meet without a click.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assets/audio/audio.hpp"
#include "tools/assets/audio/internal.hpp"

namespace tools::assets::audio {
namespace {

struct Mp3Scan {
    int audioFrames = 0;  // frames after the tag frame
    bool framesChained = false;
    bool infoTag = false;
    std::uint32_t tagFrames = 0, tagBytes = 0;
    int delay = -1, padding = -1;
};

std::uint32_t Big32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// Walks the file frame by frame: every frame must start with a sync word of MPEG-1 layer III at
// 44.1 kHz, and the frames must end exactly at the end of the file.
Mp3Scan Scan(const std::vector<std::uint8_t>& mp3) {
    static const int kKbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                  112, 128, 160, 192, 224, 256, 320, 0};
    Mp3Scan scan;
    std::size_t at = 0;
    int frames = 0;
    while (at + 4 <= mp3.size()) {
        const std::uint8_t* h = &mp3[at];
        if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA) return scan;  // sync, MPEG-1, layer III
        int kbps = kKbps[h[2] >> 4];
        if (kbps == 0 || ((h[2] >> 2) & 3) != 0) return scan;  // 44.1 kHz
        std::size_t length = 144000 * kbps / 44100 + ((h[2] >> 1) & 1);
        if (frames == 0) {
            // Side information of a stereo MPEG-1 frame is 32 bytes; the tag follows it.
            std::size_t tag = at + 4 + ((h[3] >> 6) == 3 ? 17 : 32);
            if (tag + 120 < mp3.size()) {
                std::string id(mp3.begin() + tag, mp3.begin() + tag + 4);
                scan.infoTag = id == "Info" || id == "Xing";
                std::uint32_t flags = Big32(mp3, tag + 4);
                std::size_t field = tag + 8;
                if (flags & 1) scan.tagFrames = Big32(mp3, field), field += 4;
                if (flags & 2) scan.tagBytes = Big32(mp3, field), field += 4;
                if (flags & 4) field += 100;
                if (flags & 8) field += 4;
                if (field + 24 <= mp3.size() &&
                    std::string(mp3.begin() + field, mp3.begin() + field + 4) == "LAME") {
                    const std::uint8_t* d = &mp3[field + 21];
                    scan.delay = d[0] << 4 | d[1] >> 4;
                    scan.padding = (d[1] & 0x0F) << 8 | d[2];
                }
            }
        }
        ++frames;
        at += length;
    }
    scan.framesChained = at == mp3.size();
    scan.audioFrames = frames - 1;
    return scan;
}

double Rms(const std::vector<std::int16_t>& s, std::size_t firstFrame, std::size_t frames) {
    double energy = 0;
    for (std::size_t i = 2 * firstFrame; i < 2 * (firstFrame + frames); ++i)
        energy += double(s[i]) * s[i];
    return std::sqrt(energy / (2.0 * frames));
}

TEST(Music, EveryTrackDecodesWithItsLengthAndLoopsCleanly) {
    for (const std::string& name : TrackNames()) {
        SCOPED_TRACE(name);
        TrackPcm track = RenderTrack(name);
        ASSERT_FALSE(track.samples.empty());
        const std::size_t frames = track.samples.size() / 2;
        const double seconds = frames / double(kTrackRate);

        std::vector<std::uint8_t> mp3 = EncodeMp3(track.samples, kTrackRate);
        Mp3Scan scan = Scan(mp3);
        EXPECT_TRUE(scan.framesChained);
        EXPECT_TRUE(scan.infoTag);
        EXPECT_EQ(scan.tagBytes, mp3.size());
        EXPECT_EQ(scan.tagFrames, std::uint32_t(scan.audioFrames));
        // With the delay and padding of the tag a player recovers the exact length.
        ASSERT_GE(scan.delay, 0);
        EXPECT_EQ(std::size_t(scan.audioFrames) * 1152 - scan.delay - scan.padding, frames);

        int peak = 0;
        double sum = 0;
        for (std::int16_t v : track.samples) {
            peak = std::max(peak, std::abs(int(v)));
            sum += v;
        }
        EXPECT_LT(peak, 32000);
        EXPECT_GT(peak, 8000);
        // Centred on zero: no headroom lost to a steady offset.
        EXPECT_LT(std::fabs(sum / double(track.samples.size())), 30.0);

        // Both ends reach silence smoothly: the player leaves a short gap between repeats.
        for (int i = 0; i < 2; ++i) {
            EXPECT_LT(std::abs(track.samples[i]), 64);
            EXPECT_LT(std::abs(track.samples[track.samples.size() - 1 - i]), 64);
        }

        bool loops = name == "theme.mp3" || name == "level00.mp3" || name == "high.mp3" ||
                     name == "credits.mp3";
        EXPECT_EQ(track.loops, loops);
        if (loops) {
            EXPECT_GT(seconds, 25);
            // The end flows into the start: the music just before the loop point and just after
            // it are at a like level (echoes and chords carry over), not a fade to silence.
            const std::size_t window = kTrackRate / 5, skip = kTrackRate / 100;
            double end = Rms(track.samples, frames - skip - window, window);
            double start = Rms(track.samples, skip, window);
            EXPECT_GT(end, 300);
            EXPECT_GT(start, 300);
            EXPECT_LT(std::fabs(20 * std::log10(end / start)), 9.0) << end << " " << start;
        } else if (name == "win.mp3") {
            EXPECT_NEAR(seconds, 333 / 60.0, 0.05);  // the level-complete sequence
        } else if (name == "logo.mp3") {
            EXPECT_GE(seconds, 90);  // the introduction, watched as long as a viewer likes
        } else {
            EXPECT_GT(seconds, 20);
        }
    }
}

TEST(Music, SameBytesEveryTimeAndPlayableThroughTheMixer) {
    std::vector<std::uint8_t> mp3 = TrackMp3("win.mp3");
    ASSERT_FALSE(mp3.empty());
    EXPECT_EQ(TrackMp3("win.mp3"), mp3);
    EXPECT_TRUE(TrackMp3("nothing.mp3").empty());

    if (SDL_Init(SDL_INIT_AUDIO) != 0) GTEST_SKIP() << SDL_GetError();
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        SDL_Quit();
        GTEST_SKIP() << Mix_GetError();
    }
    Mix_Music* music = Mix_LoadMUS_RW(SDL_RWFromConstMem(mp3.data(), int(mp3.size())), 1);
    ASSERT_NE(music, nullptr) << Mix_GetError();
    EXPECT_EQ(Mix_GetMusicType(music), MUS_MP3);
    // The player reads the info tag: the delay and padding the encoder added are not heard.
    EXPECT_NEAR(Mix_MusicDuration(music), 333 / 60.0, 0.01);
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
}

}  // namespace
}  // namespace tools::assets::audio
