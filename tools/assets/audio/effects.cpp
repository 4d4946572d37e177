// The game's sound effects. Which number is which, as the game plays them:
//
//   data\level1.pak                          data\gameover.pak
//   0  paddle bounce                         0  game-over jingle
//   1  brick destroyed (also the end of      1  name-entry key click
//      a brick drop)
//   2  brick hit but not destroyed
//   3  level intro ("get ready")
//   4  fanfare, brass layer      } played together: ten-brick streak, letter set
//   5  fanfare, sparkle layer    }
//   6  good capsule caught
//   7  gun shot and rocket launch
//   8  bad capsule caught
//   9  ball lost
//   10 letter caught
//   11 descent step of the brick wall
//   12 letter set complete
//
// Glass bricks in deep space: the hits and breaks are glassy chimes, the rewards bright FM bells,
// the threats low and buzzing. Peaks sit well below full scale so that the two fanfare layers
// together, or an effect over the music, never clip.
#include <algorithm>
#include <cmath>

#include "tools/assets/audio/dsp.hpp"
#include "tools/assets/audio/internal.hpp"
#include "tools/assets/audio/voices.hpp"

namespace tools::assets::audio {
namespace {

constexpr double kRate = kEffectRate;

Stereo Buffer(double seconds) {
    return Stereo(static_cast<std::size_t>(seconds * kRate));
}

Note At(double start, double length, double pitch, double velocity = 1) {
    Note note;
    note.start = start;
    note.length = length;
    note.pitch = pitch;
    note.velocity = velocity;
    return note;
}

void Play(Stereo& out, Voice voice, const Note& note, std::uint32_t seed = 1) {
    RenderNote(voice, note, kRate, seed, out);
}

// A sweep of one oscillator with its own envelope, for the blips and zaps.
struct Sweep {
    double from = 440, to = 440, glide = 0.1;  // Hz, Hz, seconds to get most of the way
    double attack = 0.002, fall = 0.2;         // seconds; fall is to -60 dB
    double width = 0.5;                        // pulse width; 0 gives a sine, 1 a saw
    double cutoff = 20000;
    double level = 1;
};

void Zap(Stereo& out, double start, const Sweep& s) {
    std::size_t first = static_cast<std::size_t>(start * kRate);
    std::size_t count = static_cast<std::size_t>((s.attack + s.fall) * kRate);
    double glide = 1, glideFactor = FallFactor(s.glide, kRate);
    double amp = 1, ampFactor = FallFactor(s.fall, kRate);
    Phase phase;
    Filter filter;
    filter.Set(s.cutoff, 0.2, kRate);
    for (std::size_t n = 0; n < count; ++n) {
        double attack = std::min(1.0, n / (s.attack * kRate));
        double step = (s.to + (s.from - s.to) * glide) / kRate;
        double p = phase.Advance(step);
        double raw = s.width <= 0   ? Sine(p)
                     : s.width >= 1 ? SawWave(p, step)
                                    : PulseWave(p, step, s.width);
        double v = filter.Low(raw) * amp * attack * s.level;
        out.Add(first + n, v, v);
        glide *= glideFactor;
        if (attack >= 1) amp *= ampFactor;
    }
}

// A burst of filtered noise: band-passed, with its own decay.
void Burst(Stereo& out, double start, double seconds, double centre, double resonance, double level,
           std::uint32_t seed, bool lowPass = false) {
    std::size_t first = static_cast<std::size_t>(start * kRate);
    std::size_t count = static_cast<std::size_t>(seconds * kRate);
    double amp = 1, factor = FallFactor(seconds, kRate);
    Noise noise(seed);
    Filter filter;
    filter.Set(centre, resonance, kRate);
    for (std::size_t n = 0; n < count; ++n) {
        double attack = std::min(1.0, n / (0.002 * kRate));
        Filter::Out f = filter.Process(noise.Next());
        double v = (lowPass ? f.low : f.band) * amp * attack * level;
        out.Add(first + n, v, v);
        amp *= factor;
    }
}

// Mono, trimmed after the sound has died away, peak at `peak` of full scale, with short fades
// so no effect starts or stops on a step.
std::vector<std::int16_t> Finish(Stereo mix, double peak) {
    RemoveOffset(mix.left, kRate);
    RemoveOffset(mix.right, kRate);
    std::vector<double> mono(mix.Frames());
    double loudest = 0;
    for (std::size_t i = 0; i < mono.size(); ++i) {
        mono[i] = (static_cast<double>(mix.left[i]) + mix.right[i]) * 0.5;
        loudest = std::max(loudest, std::fabs(mono[i]));
    }
    if (loudest <= 0) return std::vector<std::int16_t>(mono.size(), 0);
    std::size_t end = mono.size();
    while (end > 0 && std::fabs(mono[end - 1]) < loudest * 3e-4)
        --end;
    std::size_t fadeOut = static_cast<std::size_t>(0.012 * kRate);
    end = std::min(mono.size(), end + fadeOut);
    mono.resize(end);
    double gain = peak / loudest;
    std::size_t fadeIn = static_cast<std::size_t>(0.0015 * kRate);
    std::vector<std::int16_t> out(mono.size());
    for (std::size_t i = 0; i < mono.size(); ++i) {
        double v = mono[i] * gain;
        if (i < fadeIn) v *= static_cast<double>(i) / fadeIn;
        if (i + fadeOut >= mono.size()) v *= static_cast<double>(mono.size() - 1 - i) / fadeOut;
        out[i] = static_cast<std::int16_t>(std::floor(v * 32767 + 0.5));
    }
    return out;
}

std::vector<std::int16_t> PaddleBounce() {
    Stereo out = Buffer(0.25);
    Sweep body{760, 330, 0.045, 0.001, 0.16, 0, 20000, 1};
    Zap(out, 0, body);
    Sweep overtone{1520, 660, 0.045, 0.001, 0.06, 0.5, 3000, 0.25};
    Zap(out, 0, overtone);
    Burst(out, 0, 0.02, 3500, 0.2, 0.5, 11);
    return Finish(out, 0.55);
}

std::vector<std::int16_t> BrickDestroyed() {
    Stereo out = Buffer(0.7);
    // A bright chord of glass partials over a crackle of shards.
    Play(out, Voice::Glass, At(0, 0.05, 88, 1.0));
    Play(out, Voice::Glass, At(0.004, 0.05, 95, 0.8));
    Play(out, Voice::Glass, At(0.009, 0.05, 100, 0.6));
    Burst(out, 0, 0.28, 5200, 0.1, 0.9, 21);
    Burst(out, 0.03, 0.2, 7600, 0.4, 0.6, 22);
    Burst(out, 0.07, 0.16, 4300, 0.4, 0.45, 23);
    Sweep thump{300, 120, 0.03, 0.001, 0.12, 0, 20000, 0.6};
    Zap(out, 0, thump);
    return Finish(out, 0.6);
}

std::vector<std::int16_t> BrickHit() {
    Stereo out = Buffer(0.4);
    Play(out, Voice::Glass, At(0, 0.02, 93, 1.0));
    Burst(out, 0, 0.03, 6000, 0.3, 0.7, 31);
    return Finish(out, 0.45);
}

std::vector<std::int16_t> LevelIntro() {
    Stereo out = Buffer(2.2);
    // A whoosh rising into a bright A major arpeggio.
    std::size_t count = static_cast<std::size_t>(0.7 * kRate);
    Noise noise(41);
    Filter filter;
    for (std::size_t n = 0; n < count; ++n) {
        double t = static_cast<double>(n) / count;
        filter.Set(300 * Pow2(4 * t), 0.6, kRate);
        double v = filter.Band(noise.Next()) * t * t * 0.8;
        out.Add(n, v, v);
    }
    const double notes[] = {69, 73, 76, 81, 85};
    for (int i = 0; i < 5; ++i) {
        Play(out, Voice::Glass, At(0.55 + 0.07 * i, 0.2, notes[i], 0.9));
        Play(out, Voice::Pluck, At(0.55 + 0.07 * i, 0.1, notes[i] - 12, 0.7));
    }
    for (double pitch : {57.0, 64.0, 69.0, 73.0}) {
        Play(out, Voice::Pad, At(0.9, 0.5, pitch, 0.9), static_cast<std::uint32_t>(pitch));
    }
    return Finish(out, 0.6);
}

std::vector<std::int16_t> FanfareBrass() {
    Stereo out = Buffer(1.9);
    // Da-da-da-daaa in C, with the chord under the held note.
    const double starts[] = {0, 0.11, 0.22, 0.33};
    const double tops[] = {67, 67, 67, 72};
    for (int i = 0; i < 4; ++i) {
        double length = i < 3 ? 0.08 : 0.7;
        Play(out, Voice::Lead, At(starts[i], length, tops[i], 1.0), 51 + i);
        Play(out, Voice::Lead, At(starts[i], length, tops[i] - 5, 0.8), 55 + i);
    }
    for (double pitch : {48.0, 60.0, 64.0}) {
        Play(out, Voice::Lead, At(0.33, 0.7, pitch, 0.7), static_cast<std::uint32_t>(pitch));
    }
    return Finish(out, 0.45);
}

std::vector<std::int16_t> FanfareSparkle() {
    Stereo out = Buffer(2.0);
    const double notes[] = {84, 88, 91, 96, 100, 103};
    for (int i = 0; i < 6; ++i)
        Play(out, Voice::Glass, At(0.33 + 0.045 * i, 0.1, notes[i], 0.8));
    Play(out, Voice::Crash, At(0.33, 0.1, 60, 0.7), 61);
    Play(out, Voice::Kick, At(0.33, 0.1, 60, 0.9), 62);
    return Finish(out, 0.45);
}

std::vector<std::int16_t> GoodCapsule() {
    Stereo out = Buffer(0.5);
    Sweep first{NoteFrequency(84), NoteFrequency(84), 0.01, 0.002, 0.1, 0.5, 6000, 0.7};
    Sweep second{NoteFrequency(91), NoteFrequency(91), 0.01, 0.002, 0.22, 0.5, 6000, 0.7};
    Zap(out, 0, first);
    Zap(out, 0.075, second);
    Play(out, Voice::Glass, At(0.075, 0.1, 96, 0.7));
    return Finish(out, 0.5);
}

std::vector<std::int16_t> Shot() {
    Stereo out = Buffer(0.35);
    Sweep zap{2200, 180, 0.06, 0.001, 0.22, 0.35, 9000, 1};
    Zap(out, 0, zap);
    Burst(out, 0, 0.1, 1200, 0.0, 0.9, 71, true);
    return Finish(out, 0.45);
}

std::vector<std::int16_t> BadCapsule() {
    Stereo out = Buffer(0.6);
    Sweep low{330, 110, 0.25, 0.004, 0.45, 1, 1600, 0.8};
    Sweep beat{345, 116, 0.25, 0.004, 0.45, 1, 1600, 0.8};
    Zap(out, 0, low);
    Zap(out, 0, beat);
    return Finish(out, 0.5);
}

std::vector<std::int16_t> BallLost() {
    Stereo out = Buffer(1.4);
    Play(out, Voice::Lead, At(0, 0.14, 76, 1.0), 91);
    Play(out, Voice::Lead, At(0.16, 0.14, 72, 1.0), 92);
    Sweep fall{NoteFrequency(69), NoteFrequency(57), 0.35, 0.01, 0.9, 1, 2500, 0.6};
    Zap(out, 0.32, fall);
    Sweep thud{150, 50, 0.08, 0.002, 0.3, 0, 20000, 0.7};
    Zap(out, 0.32, thud);
    return Finish(out, 0.55);
}

std::vector<std::int16_t> Letter() {
    Stereo out = Buffer(0.9);
    Play(out, Voice::Glass, At(0, 0.05, 88, 1.0));
    Play(out, Voice::Glass, At(0.07, 0.05, 95, 1.0));
    return Finish(out, 0.5);
}

std::vector<std::int16_t> DescentStep() {
    Stereo out = Buffer(0.5);
    Sweep thud{110, 45, 0.06, 0.002, 0.35, 0, 20000, 1};
    Zap(out, 0, thud);
    Burst(out, 0, 0.3, 250, 0.0, 1.4, 111, true);
    return Finish(out, 0.6);
}

std::vector<std::int16_t> LetterSetComplete() {
    Stereo out = Buffer(1.8);
    const double notes[] = {81, 85, 88, 93, 97};
    for (int i = 0; i < 5; ++i) {
        Play(out, Voice::Glass, At(0.085 * i, 0.08, notes[i], 0.9));
        Play(out, Voice::Pluck, At(0.085 * i, 0.08, notes[i] - 12, 0.6), 120 + i);
    }
    Play(out, Voice::Glass, At(0.425, 0.4, 100, 0.7));
    return Finish(out, 0.5);
}

std::vector<std::int16_t> GameOverJingle() {
    Stereo out = Buffer(3.6);
    // A slow fall down the A minor scale to a low A, over a darkening chord.
    const double notes[] = {76, 74, 72, 71, 69};
    const double starts[] = {0, 0.28, 0.56, 0.84, 1.12};
    for (int i = 0; i < 5; ++i) {
        double length = i < 4 ? 0.24 : 1.1;
        Play(out, Voice::Lead, At(starts[i], length, notes[i], 0.9), 201 + i);
        Play(out, Voice::Glass, At(starts[i], 0.1, notes[i] + 12, 0.35));
    }
    for (double pitch : {45.0, 57.0, 60.0, 64.0}) {
        Play(out, Voice::Strings, At(0, 1.6, pitch, 1.0), static_cast<std::uint32_t>(pitch));
    }
    return Finish(out, 0.55);
}

std::vector<std::int16_t> KeyClick() {
    Stereo out = Buffer(0.12);
    Sweep blip{2100, 1500, 0.01, 0.0008, 0.045, 0, 20000, 1};
    Zap(out, 0, blip);
    Burst(out, 0, 0.012, 4500, 0.2, 0.6, 131);
    return Finish(out, 0.35);
}

}  // namespace

std::vector<std::int16_t> EffectSamples(int pack, int soundNumber) {
    if (pack == 1) {
        switch (soundNumber) {
            case 0:
                return GameOverJingle();
            case 1:
                return KeyClick();
            default:
                return {};
        }
    }
    if (pack != 0) return {};
    switch (soundNumber) {
        case 0:
            return PaddleBounce();
        case 1:
            return BrickDestroyed();
        case 2:
            return BrickHit();
        case 3:
            return LevelIntro();
        case 4:
            return FanfareBrass();
        case 5:
            return FanfareSparkle();
        case 6:
            return GoodCapsule();
        case 7:
            return Shot();
        case 8:
            return BadCapsule();
        case 9:
            return BallLost();
        case 10:
            return Letter();
        case 11:
            return DescentStep();
        case 12:
            return LetterSetComplete();
        default:
            return {};
    }
}

}  // namespace tools::assets::audio
