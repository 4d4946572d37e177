#pragma once
// Building blocks of the sound synthesiser. Everything here uses only +, -, *, / and sqrt on
// doubles (our own sine and exponential included), so a sound comes out bit-identical whatever
// the optimiser folds at compile time.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tools::assets::audio {

// sin(2 pi turns), from a table with linear interpolation (error below 1e-6).
double Sine(double turns);
// e^x and 2^x.
double Exp(double x);
double Pow2(double x);
// Equal temperament, A4 (note 69) = 440 Hz.
double NoteFrequency(double note);
// Per-sample factor that makes a level fall by 60 dB in the given time.
double FallFactor(double seconds, double rate);
// A smooth saturation that stays within -1..1 and is nearly linear for small levels.
double SoftClip(double x);

// White noise from a fixed seed: every drum hit is the same on every build.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    double Next();  // -1..1

  private:
    std::uint32_t state_;
};

// Band-limited saw and pulse waves: the naive shapes with their jumps smoothed (polyBLEP).
// phase is 0..1, step the phase increment per sample.
double SawWave(double phase, double step);
double PulseWave(double phase, double step, double width);

// A phase accumulator.
struct Phase {
    double value = 0;
    // Returns the phase before the step and advances it.
    double Advance(double step) {
        double now = value;
        value += step;
        if (value >= 1) value -= 1;
        return now;
    }
};

// State-variable filter (topology-preserving form): stable while its cutoff sweeps.
class Filter {
  public:
    struct Out {
        double low, band, high;
    };
    void Set(double cutoff, double resonance, double rate);  // resonance 0..~0.95
    Out Process(double in);
    double Low(double in) { return Process(in).low; }
    double High(double in) { return Process(in).high; }
    double Band(double in) { return Process(in).band; }

  private:
    double a1_ = 1, a2_ = 0, a3_ = 0, k_ = 2;
    double s1_ = 0, s2_ = 0;
};

// Attack (linear), decay to the sustain level and release (both exponential, times to -60 dB).
struct Adsr {
    double attack = 0.005, decay = 0.2, sustain = 1, release = 0.1;
};

class Envelope {
  public:
    Envelope(const Adsr& shape, double gateSeconds, double rate);
    double Next();
    // True once the release has faded below hearing.
    bool Finished() const { return finished_; }

  private:
    double level_ = 0, attackStep_, decayFactor_, releaseFactor_, sustain_;
    long gate_, position_ = 0;
    bool attacking_ = true, finished_ = false;
};

// Two channels of float samples.
struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t Frames() const { return left.size(); }
    void Add(std::size_t frame, double l, double r) {
        if (frame < left.size()) {
            left[frame] += static_cast<float>(l);
            right[frame] += static_cast<float>(r);
        }
    }
};

// A plate-like reverb: parallel damped combs, then allpasses, with slightly different
// lengths left and right for width. Mono in, stereo out.
class Reverb {
  public:
    Reverb(double rate, double size, double damping);
    void Process(double in, double& left, double& right);

  private:
    struct Comb {
        std::vector<double> line;
        std::size_t at = 0;
        double store = 0;
    };
    struct Allpass {
        std::vector<double> line;
        std::size_t at = 0;
    };
    std::vector<Comb> combs_[2];
    std::vector<Allpass> allpasses_[2];
    double feedback_, damping_;
};

// Ping-pong echo: the repeats alternate between the two sides and grow darker.
class Echo {
  public:
    Echo(double rate, double seconds, double feedback);
    void Process(double in, double& left, double& right);

  private:
    std::vector<double> lineLeft_, lineRight_;
    std::size_t at_ = 0;
    double feedback_;
    Filter toneLeft_, toneRight_;
};

// Takes out the steady offset a kick drum's lopsided first swing leaves (a gentle high-pass
// at 15 Hz), so no headroom is lost to it.
void RemoveOffset(std::vector<float>& channel, double rate);

// Holds every sample within +-ceiling: the gain dips smoothly just before each peak (it looks
// 2 ms ahead) and recovers over about 80 ms, so loud drum hits are tamed without clicks.
// Quiet passages pass unchanged.
void Limit(Stereo& audio, double ceiling, double rate);

// Constant-power pan: -1 left, 0 centre, +1 right.
void PanGains(double pan, double& left, double& right);

}  // namespace tools::assets::audio
