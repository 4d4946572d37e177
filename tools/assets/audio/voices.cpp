#include "tools/assets/audio/voices.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tools::assets::audio {
namespace {

// Runs a mono voice sample by sample: body(t) returns the sample or signals the end.
template <typename Body>
void RenderMono(const Note& note, double rate, double seconds, Stereo& out, Body body) {
    std::size_t first = static_cast<std::size_t>(std::floor(note.start * rate + 0.5));
    std::size_t count = static_cast<std::size_t>(seconds * rate);
    for (std::size_t n = 0; n < count && first + n < out.Frames(); ++n) {
        double value = 0;
        if (!body(n, value)) break;
        out.Add(first + n, value, value);
    }
}

template <typename Body>
void RenderStereo(const Note& note, double rate, double seconds, Stereo& out, Body body) {
    std::size_t first = static_cast<std::size_t>(std::floor(note.start * rate + 0.5));
    std::size_t count = static_cast<std::size_t>(seconds * rate);
    for (std::size_t n = 0; n < count && first + n < out.Frames(); ++n) {
        double left = 0, right = 0;
        if (!body(n, left, right)) break;
        out.Add(first + n, left, right);
    }
}

// A short linear fade at a drum's end so no hit stops on a step.
double EndFade(std::size_t n, std::size_t total, double rate) {
    std::size_t fade = static_cast<std::size_t>(0.01 * rate);
    if (n + fade < total) return 1;
    return static_cast<double>(total - n) / fade;
}

void Kick(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double seconds = 0.5;
    const std::size_t total = static_cast<std::size_t>(seconds * rate);
    double sweep = 1, sweepFactor = FallFactor(0.2, rate);
    double amp = 1, ampFactor = FallFactor(0.55, rate);
    double click = 1, clickFactor = FallFactor(0.012, rate);
    Phase phase;
    Noise noise(seed);
    Filter clickTone;
    clickTone.Set(3000, 0, rate);
    RenderMono(note, rate, seconds, out, [&](std::size_t n, double& v) {
        double attack = n < 40 ? n / 40.0 : 1.0;
        double frequency = 44 + 130 * sweep;
        double body = Sine(phase.Advance(frequency / rate)) * amp * attack;
        double tick = clickTone.Low(noise.Next()) * click * 0.5;
        v = (body + tick) * note.velocity * EndFade(n, total, rate);
        sweep *= sweepFactor;
        amp *= ampFactor;
        click *= clickFactor;
        return true;
    });
}

void Snare(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double seconds = 0.3;
    const std::size_t total = static_cast<std::size_t>(seconds * rate);
    double tone = 1, toneFactor = FallFactor(0.12, rate);
    double hiss = 1, hissFactor = FallFactor(0.26, rate);
    Phase low, high;
    Noise noise(seed);
    Filter band, air;
    band.Set(1900, 0.3, rate);
    air.Set(600, 0, rate);
    RenderMono(note, rate, seconds, out, [&](std::size_t n, double& v) {
        double attack = n < 22 ? n / 22.0 : 1.0;
        double body = (Sine(low.Advance(185 / rate)) + 0.5 * Sine(high.Advance(330 / rate))) * tone;
        double white = noise.Next();
        double crack = (band.Band(white) * 1.6 + air.High(white) * 0.5) * hiss;
        v = (body * 1.1 + crack * 1.5) * attack * note.velocity * EndFade(n, total, rate);
        tone *= toneFactor;
        hiss *= hissFactor;
        return true;
    });
}

void Clap(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double seconds = 0.35;
    const std::size_t total = static_cast<std::size_t>(seconds * rate);
    const std::size_t burst = static_cast<std::size_t>(0.011 * rate);
    double tail = 1, tailFactor = FallFactor(0.25, rate);
    double flick = 1, flickFactor = FallFactor(0.03, rate);
    Noise noise(seed);
    Filter band;
    band.Set(1300, 0.45, rate);
    RenderMono(note, rate, seconds, out, [&](std::size_t n, double& v) {
        if (n % burst == 0 && n < 3 * burst) flick = 1;
        double attack = n < 20 ? n / 20.0 : 1.0;
        double level = n < 3 * burst ? flick : tail;
        v = band.Band(noise.Next()) * level * 5.4 * attack * note.velocity *
            EndFade(n, total, rate);
        flick *= flickFactor;
        if (n >= 3 * burst) tail *= tailFactor;
        return true;
    });
}

void Hat(const Note& note, double rate, std::uint32_t seed, Stereo& out, double ring,
         double loudness) {
    const double seconds = ring * 1.1 + 0.01;
    const std::size_t total = static_cast<std::size_t>(seconds * rate);
    double amp = 1, ampFactor = FallFactor(ring, rate);
    Noise noise(seed);
    Filter high, top;
    high.Set(7000, 0.2, rate);
    top.Set(12000, 0, rate);
    RenderMono(note, rate, seconds, out, [&](std::size_t n, double& v) {
        double attack = n < 12 ? n / 12.0 : 1.0;
        v = top.Low(high.High(noise.Next())) * amp * attack * loudness * note.velocity *
            EndFade(n, total, rate);
        amp *= ampFactor;
        return true;
    });
}

void Crash(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double seconds = 2.2;
    const std::size_t total = static_cast<std::size_t>(seconds * rate);
    double amp = 1, ampFactor = FallFactor(2.0, rate);
    Noise leftNoise(seed), rightNoise(seed * 7919u + 13u);
    Filter leftHigh, rightHigh, leftTop, rightTop;
    leftHigh.Set(4200, 0.25, rate);
    rightHigh.Set(4600, 0.25, rate);
    leftTop.Set(11000, 0, rate);
    rightTop.Set(11000, 0, rate);
    RenderStereo(note, rate, seconds, out, [&](std::size_t n, double& l, double& r) {
        double attack = n < 60 ? n / 60.0 : 1.0;
        double level = amp * attack * 1.6 * note.velocity * EndFade(n, total, rate);
        l = leftTop.Low(leftHigh.High(leftNoise.Next())) * level;
        r = rightTop.Low(rightHigh.High(rightNoise.Next())) * level;
        amp *= ampFactor;
        return true;
    });
}

void Shaker(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    Envelope env({0.012, 0.09, 0, 0.05}, 0.1, rate);
    Noise noise(seed);
    Filter band;
    band.Set(6500, 0.3, rate);
    RenderMono(note, rate, 0.4, out, [&](std::size_t, double& v) {
        double level = env.Next();
        v = band.Band(noise.Next()) * level * 2.4 * note.velocity;
        return !env.Finished();
    });
}

void Bass(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double frequency = NoteFrequency(note.pitch);
    const double step = frequency / rate;
    Envelope env({0.003, 0.4, 0.7, 0.05}, note.length, rate);
    double sweep = 1, sweepFactor = FallFactor(0.3, rate);
    Phase saw{(seed % 97) / 97.0}, square, sub;
    Filter filter;
    RenderMono(note, rate, note.length + 1.0, out, [&](std::size_t, double& v) {
        double level = env.Next();
        filter.Set(140 + 1600 * sweep * note.velocity, 0.35, rate);
        double raw = 0.6 * SawWave(saw.Advance(step), step) +
                     0.4 * PulseWave(square.Advance(step), step, 0.5);
        double body = filter.Low(raw) + 0.55 * Sine(sub.Advance(step));
        v = body * level * 0.6 * note.velocity;
        sweep *= sweepFactor;
        return !env.Finished();
    });
}

void SubBass(const Note& note, double rate, std::uint32_t, Stereo& out) {
    const double step = NoteFrequency(note.pitch) / rate;
    Envelope env({0.012, 0.8, 0.85, 0.12}, note.length, rate);
    Phase phase;
    RenderMono(note, rate, note.length + 1.0, out, [&](std::size_t, double& v) {
        double level = env.Next();
        double p = phase.Advance(step);
        v = (Sine(p) + 0.18 * Sine(2 * p) + 0.06 * Sine(3 * p)) * level * 0.7 * note.velocity;
        return !env.Finished();
    });
}

// Shared by Pad and Strings: three detuned saws spread across the stereo field.
void Ensemble(const Note& note, double rate, std::uint32_t seed, Stereo& out, const Adsr& shape,
              double cutoff, double brightness, double gain) {
    static const double kDetune[3] = {-0.09, 0.0, 0.085};  // semitones
    static const double kPan[3] = {-0.7, 0.0, 0.7};
    double steps[3], gainsLeft[3], gainsRight[3];
    Phase phases[3];
    for (int i = 0; i < 3; ++i) {
        steps[i] = NoteFrequency(note.pitch + kDetune[i]) / rate;
        PanGains(kPan[i], gainsLeft[i], gainsRight[i]);
        phases[i].value = ((seed >> (i * 5)) % 31) / 31.0;
    }
    Envelope env(shape, note.length, rate);
    Filter left, right;
    std::size_t n = 0;
    RenderStereo(note, rate, note.length + 6.0, out, [&](std::size_t, double& l, double& r) {
        double level = env.Next();
        if ((n++ & 15) == 0) {
            // A slow sweep of the filter keeps a long chord alive.
            double wobble = Sine((note.start + n / rate) * 0.11);
            double f = cutoff * (1 + 0.25 * wobble) * (0.6 + 0.4 * level * brightness);
            left.Set(f, 0.15, rate);
            right.Set(f * 1.03, 0.15, rate);
        }
        double sl = 0, sr = 0;
        for (int i = 0; i < 3; ++i) {
            double s = SawWave(phases[i].Advance(steps[i]), steps[i]);
            sl += s * gainsLeft[i];
            sr += s * gainsRight[i];
        }
        l = left.Low(sl) * level * gain * note.velocity;
        r = right.Low(sr) * level * gain * note.velocity;
        return !env.Finished();
    });
}

void Pluck(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double step = NoteFrequency(note.pitch) / rate;
    Envelope env({0.002, 0.45, 0.0, 0.08}, note.length, rate);
    double sweep = 1, sweepFactor = FallFactor(0.28, rate);
    Phase saw{(seed % 53) / 53.0}, pulse;
    Filter filter;
    RenderMono(note, rate, note.length + 1.0, out, [&](std::size_t, double& v) {
        double level = env.Next();
        filter.Set(300 + 4200 * sweep * note.velocity, 0.3, rate);
        double raw = 0.55 * SawWave(saw.Advance(step), step) +
                     0.45 * PulseWave(pulse.Advance(step), step, 0.3);
        v = filter.Low(raw) * level * 0.8 * note.velocity;
        sweep *= sweepFactor;
        return !env.Finished() && level > 1e-4;
    });
}

void Lead(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double frequency = NoteFrequency(note.pitch);
    Envelope env({0.012, 0.5, 0.72, 0.2}, note.length, rate);
    double sweep = 1, sweepFactor = FallFactor(0.5, rate);
    Phase a{(seed % 41) / 41.0}, b, vibrato;
    double detuneUp = Pow2(0.06 / 12), detuneDown = Pow2(-0.06 / 12);
    Filter filter;
    std::size_t n = 0;
    RenderMono(note, rate, note.length + 1.5, out, [&](std::size_t, double& v) {
        double level = env.Next();
        double t = n++ / rate;
        // The vibrato fades in after the note has settled, as a singer's would.
        double depth = t < 0.25 ? 0 : (t < 0.6 ? (t - 0.25) / 0.35 : 1.0) * 0.12;
        double bend = Pow2(depth * Sine(vibrato.Advance(5.3 / rate)) / 12);
        double stepA = frequency * bend * detuneUp / rate;
        double stepB = frequency * bend * detuneDown / rate;
        filter.Set(1800 + 2400 * sweep * note.velocity, 0.25, rate);
        double raw = SawWave(a.Advance(stepA), stepA) + SawWave(b.Advance(stepB), stepB);
        v = filter.Low(raw) * level * 0.3 * note.velocity;
        sweep *= sweepFactor;
        return !env.Finished();
    });
}

void Glass(const Note& note, double rate, std::uint32_t, Stereo& out) {
    const double frequency = NoteFrequency(note.pitch);
    Envelope env({0.002, 1.8, 0.0, 0.6}, note.length, rate);
    double index = 1, indexFactor = FallFactor(0.7, rate);
    double shimmer = 1, shimmerFactor = FallFactor(0.9, rate);
    Phase carrier, modulator, partial;
    // High notes get fewer overtones, so the top of the range chimes instead of hissing.
    const double bright = std::clamp(1500 / frequency, 0.35, 1.0);
    RenderMono(note, rate, note.length + 2.5, out, [&](std::size_t, double& v) {
        double level = env.Next();
        double mod = Sine(modulator.Advance(3 * frequency / rate)) * (0.25 + 2.2 * index) * bright;
        double tone = Sine(carrier.Advance(frequency / rate) + mod / 6.283185307179586);
        // A partial at 2.76 times the note, as struck glass has.
        double ring = Sine(partial.Advance(2.76 * frequency / rate)) * shimmer * 0.35;
        v = (tone + ring) * level * 0.35 * note.velocity;
        index *= indexFactor;
        shimmer *= shimmerFactor;
        return !env.Finished() && level > 1e-4;
    });
}

void Piano(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const double frequency = NoteFrequency(note.pitch);
    Envelope env({0.002, 3.0, 0.0, 0.3}, note.length, rate);
    double index = 1, indexFactor = FallFactor(1.0, rate);
    double tine = 1, tineFactor = FallFactor(0.05, rate);
    // The tine's bark sits far above the note; on high notes it would pass the top of hearing.
    const double tineDepth = 0.8 * std::clamp(600 / frequency, 0.2, 1.0);
    Phase carrier, modulator, tineMod, tremolo{(seed % 29) / 29.0};
    RenderStereo(note, rate, note.length + 3.5, out, [&](std::size_t, double& l, double& r) {
        double level = env.Next();
        double mod =
            Sine(modulator.Advance(frequency / rate)) * (0.3 + 1.6 * index * note.velocity) +
            Sine(tineMod.Advance(14 * frequency / rate)) * tine * tineDepth;
        double tone = Sine(carrier.Advance(frequency / rate) + mod / 6.283185307179586);
        double wobble = Sine(tremolo.Advance(4.2 / rate)) * 0.18;
        double v = tone * level * 0.4 * note.velocity;
        l = v * (1 + wobble);
        r = v * (1 - wobble);
        index *= indexFactor;
        tine *= tineFactor;
        return !env.Finished() && level > 1e-4;
    });
}

void Riser(const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    const std::size_t total = static_cast<std::size_t>(note.length * rate);
    Noise leftNoise(seed), rightNoise(seed * 48271u + 7u);
    Filter left, right;
    RenderStereo(note, rate, note.length, out, [&](std::size_t n, double& l, double& r) {
        double t = static_cast<double>(n) / total;
        if ((n & 15) == 0) {
            double cutoff = 400 * Pow2(4.3 * t);
            left.Set(cutoff, 0.55, rate);
            right.Set(cutoff * 1.06, 0.55, rate);
        }
        double level = t * t * 0.5 * note.velocity * EndFade(n, total, rate);
        l = left.Band(leftNoise.Next()) * level;
        r = right.Band(rightNoise.Next()) * level;
        return true;
    });
}

}  // namespace

void RenderNote(Voice voice, const Note& note, double rate, std::uint32_t seed, Stereo& out) {
    switch (voice) {
        case Voice::Kick:
            return Kick(note, rate, seed, out);
        case Voice::Snare:
            return Snare(note, rate, seed, out);
        case Voice::Clap:
            return Clap(note, rate, seed, out);
        case Voice::Hat:
            return Hat(note, rate, seed, out, 0.06, 4.0);
        case Voice::OpenHat:
            return Hat(note, rate, seed, out, 0.4, 3.6);
        case Voice::Crash:
            return Crash(note, rate, seed, out);
        case Voice::Shaker:
            return Shaker(note, rate, seed, out);
        case Voice::Bass:
            return Bass(note, rate, seed, out);
        case Voice::SubBass:
            return SubBass(note, rate, seed, out);
        case Voice::Pad:
            return Ensemble(note, rate, seed, out, {0.5, 1.5, 0.8, 1.4}, 2200, 1.0, 0.22);
        case Voice::Strings:
            return Ensemble(note, rate, seed, out, {0.9, 2.0, 0.85, 1.8}, 1300, 0.6, 0.32);
        case Voice::Pluck:
            return Pluck(note, rate, seed, out);
        case Voice::Lead:
            return Lead(note, rate, seed, out);
        case Voice::Glass:
            return Glass(note, rate, seed, out);
        case Voice::Piano:
            return Piano(note, rate, seed, out);
        case Voice::Riser:
            return Riser(note, rate, seed, out);
    }
}

}  // namespace tools::assets::audio
