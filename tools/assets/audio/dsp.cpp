#include "tools/assets/audio/dsp.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

namespace tools::assets::audio {
namespace {

constexpr int kTableSize = 4096;
constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;

// sin(x) for |x| <= pi/2 by its Taylor series; the terms beyond x^23 are far below a double's
// precision there.
double TaylorSine(double x) {
    double term = x, sum = x, x2 = x * x;
    for (int n = 3; n <= 25; n += 2) {
        term *= -x2 / ((n - 1) * n);
        sum += term;
    }
    return sum;
}

const std::array<double, kTableSize + 1>& SineTable() {
    static const std::array<double, kTableSize + 1> table = [] {
        std::array<double, kTableSize + 1> t{};
        for (int i = 0; i <= kTableSize; ++i) {
            double x = 2 * kPi * i / kTableSize;
            double sign = 1;
            if (x > kPi) {
                x -= kPi;
                sign = -1;
            }
            if (x > kPi / 2) x = kPi - x;
            t[i] = sign * TaylorSine(x);
        }
        return t;
    }();
    return table;
}

}  // namespace

double Sine(double turns) {
    const auto& table = SineTable();
    double t = turns - std::floor(turns);
    double at = t * kTableSize;
    int i = static_cast<int>(at);
    if (i >= kTableSize) i = kTableSize - 1;
    double frac = at - i;
    return table[i] + (table[i + 1] - table[i]) * frac;
}

double Exp(double x) {
    if (x < -700) return 0;
    if (x > 700) x = 700;
    double k = std::floor(x / kLn2 + 0.5);
    double r = x - k * kLn2;
    double term = 1, sum = 1;
    for (int n = 1; n <= 14; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double Pow2(double x) {
    return Exp(x * kLn2);
}

double NoteFrequency(double note) {
    return 440.0 * Pow2((note - 69.0) / 12.0);
}

double FallFactor(double seconds, double rate) {
    if (seconds <= 0) return 0;
    // -60 dB is a factor of 1/1000 = e^-6.9078.
    return Exp(-6.907755278982137 / (seconds * rate));
}

double SoftClip(double x) {
    return x / std::sqrt(1 + x * x);
}

double Noise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

namespace {
double PolyBlep(double t, double dt) {
    if (dt <= 0) return 0;
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}
}  // namespace

double SawWave(double phase, double step) {
    return 2 * phase - 1 - PolyBlep(phase, step);
}

double PulseWave(double phase, double step, double width) {
    double value = phase < width ? 1.0 : -1.0;
    double shifted = phase - width;
    if (shifted < 0) shifted += 1;
    return value + PolyBlep(phase, step) - PolyBlep(shifted, step);
}

void Filter::Set(double cutoff, double resonance, double rate) {
    double limit = rate * 0.45;
    if (cutoff > limit) cutoff = limit;
    if (cutoff < 10) cutoff = 10;
    double turns = cutoff / (2 * rate);  // pi * fc / fs as a fraction of a full turn
    double g = Sine(turns) / Sine(turns + 0.25);
    k_ = 2 - 2 * resonance;
    a1_ = 1 / (1 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

Filter::Out Filter::Process(double in) {
    double v3 = in - s2_;
    double v1 = a1_ * s1_ + a2_ * v3;
    double v2 = s2_ + a2_ * s1_ + a3_ * v3;
    s1_ = 2 * v1 - s1_;
    s2_ = 2 * v2 - s2_;
    return {v2, v1, in - k_ * v1 - v2};
}

Envelope::Envelope(const Adsr& shape, double gateSeconds, double rate)
    : attackStep_(shape.attack > 0 ? 1.0 / (shape.attack * rate) : 1.0),
      decayFactor_(FallFactor(shape.decay, rate)),
      releaseFactor_(FallFactor(shape.release, rate)),
      sustain_(shape.sustain),
      gate_(static_cast<long>(gateSeconds * rate)) {}

double Envelope::Next() {
    if (finished_) return 0;
    if (position_ < gate_) {
        if (attacking_) {
            level_ += attackStep_;
            if (level_ >= 1) {
                level_ = 1;
                attacking_ = false;
            }
        } else {
            level_ = sustain_ + (level_ - sustain_) * decayFactor_;
        }
    } else {
        level_ *= releaseFactor_;
        if (level_ < 1e-4) {
            level_ = 0;
            finished_ = true;
        }
    }
    ++position_;
    return level_;
}

Reverb::Reverb(double rate, double size, double damping) : feedback_(size), damping_(damping) {
    // Mutually prime delay lengths (in samples at 44.1 kHz) keep the echoes from piling up
    // into a ringing tone; the right side is a little longer for width.
    static const int kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllpasses[] = {556, 441, 341, 225};
    double scale = rate / 44100.0;
    for (int side = 0; side < 2; ++side) {
        int spread = side * 23;
        for (int length : kCombs) {
            Comb comb;
            comb.line.assign(static_cast<std::size_t>((length + spread) * scale), 0.0);
            combs_[side].push_back(std::move(comb));
        }
        for (int length : kAllpasses) {
            Allpass pass;
            pass.line.assign(static_cast<std::size_t>((length + spread) * scale), 0.0);
            allpasses_[side].push_back(std::move(pass));
        }
    }
}

void Reverb::Process(double in, double& left, double& right) {
    double out[2];
    for (int side = 0; side < 2; ++side) {
        double sum = 0;
        for (Comb& comb : combs_[side]) {
            double delayed = comb.line[comb.at];
            comb.store = delayed * (1 - damping_) + comb.store * damping_;
            comb.line[comb.at] = in + comb.store * feedback_;
            if (++comb.at == comb.line.size()) comb.at = 0;
            sum += delayed;
        }
        for (Allpass& pass : allpasses_[side]) {
            double delayed = pass.line[pass.at];
            pass.line[pass.at] = sum + delayed * 0.5;
            if (++pass.at == pass.line.size()) pass.at = 0;
            sum = delayed - sum;
        }
        out[side] = sum;
    }
    left = out[0];
    right = out[1];
}

Echo::Echo(double rate, double seconds, double feedback)
    : lineLeft_(static_cast<std::size_t>(seconds * rate) + 1, 0.0),
      lineRight_(lineLeft_.size(), 0.0),
      feedback_(feedback) {
    toneLeft_.Set(3500, 0, rate);
    toneRight_.Set(3500, 0, rate);
}

void Echo::Process(double in, double& left, double& right) {
    double fromLeft = lineLeft_[at_];
    double fromRight = lineRight_[at_];
    // The input enters on the left; each repeat crosses to the other side.
    lineLeft_[at_] = in + toneLeft_.Low(fromRight) * feedback_;
    lineRight_[at_] = toneRight_.Low(fromLeft) * feedback_;
    if (++at_ == lineLeft_.size()) at_ = 0;
    left = fromLeft;
    right = fromRight;
}

void RemoveOffset(std::vector<float>& channel, double rate) {
    const double pole = 1 - 6.283185307179586 * 15 / rate;
    double lastIn = 0, lastOut = 0;
    for (float& sample : channel) {
        double out = sample - lastIn + pole * lastOut;
        lastIn = sample;
        lastOut = out;
        sample = static_cast<float>(out);
    }
}

void Limit(Stereo& audio, double ceiling, double rate) {
    const std::size_t frames = audio.Frames();
    const std::size_t window = static_cast<std::size_t>(0.002 * rate) + 1;
    if (frames == 0) return;
    // The gain each sample needs on its own.
    std::vector<double> need(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        double peak = std::max(std::fabs(audio.left[i]), std::fabs(audio.right[i]));
        need[i] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // The smallest need in the window ahead (a monotonic queue keeps this linear).
    std::vector<double> ahead(frames);
    std::deque<std::size_t> queue;
    for (std::size_t i = frames; i-- > 0;) {
        while (!queue.empty() && need[queue.back()] >= need[i])
            queue.pop_back();
        queue.push_back(i);
        while (queue.front() >= i + window)
            queue.pop_front();
        ahead[i] = need[queue.front()];
    }
    // Slow recovery after each dip.
    const double release = 1.0 / (0.08 * rate);
    for (std::size_t i = 1; i < frames; ++i) {
        ahead[i] = std::min(ahead[i], ahead[i - 1] + release);
    }
    // Averaging over the same window turns the steps into ramps; each average at a peak only
    // covers values already at or below what that peak needs.
    double sum = 0;
    std::vector<double> gain(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        sum += ahead[i];
        if (i >= window) sum -= ahead[i - window];
        std::size_t count = std::min(i + 1, window);
        gain[i] = sum / static_cast<double>(count);
    }
    for (std::size_t i = 0; i < frames; ++i) {
        double l = audio.left[i] * gain[i], r = audio.right[i] * gain[i];
        audio.left[i] = static_cast<float>(std::clamp(l, -ceiling, ceiling));
        audio.right[i] = static_cast<float>(std::clamp(r, -ceiling, ceiling));
    }
}

void PanGains(double pan, double& left, double& right) {
    if (pan < -1) pan = -1;
    if (pan > 1) pan = 1;
    double turns = (pan + 1) / 8;  // 0..quarter turn
    left = Sine(turns + 0.25) * 1.41421356237;
    right = Sine(turns) * 1.41421356237;
}

}  // namespace tools::assets::audio
