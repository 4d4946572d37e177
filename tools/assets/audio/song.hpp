#pragma once
// A small sequencer: a song is a tempo, a chord per step and lanes of notes for the
// instruments, written as short pattern strings one sixteenth note per token.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/assets/audio/dsp.hpp"
#include "tools/assets/audio/voices.hpp"

namespace tools::assets::audio {

inline constexpr double kMusicRate = 44100;

// A chord: its root as a note number and its tones above the root in semitones.
struct Chord {
    int root = 57;  // A3
    std::vector<int> tones{0, 3, 7};
    // Chord tone `index` counted upwards through the octaves from the root.
    int Tone(int index) const;
};

// "Am", "F", "C#m7", "Bbmaj7", "Gsus4", "Dadd9", "Em9" ... The root lies in octave 3.
Chord ParseChord(std::string_view name);

struct Lane {
    Voice voice;
    double gain = 1;
    double pan = 0;     // -1 left .. 1 right
    double reverb = 0;  // send to the shared hall
    double echo = 0;    // send to the ping-pong echo
    double duck = 0;    // how far the kick pushes this lane down (0..1)
    std::vector<Note> notes;
};

class Song {
  public:
    Song(double bpm, int bars);

    double StepSeconds() const { return 15.0 / bpm_; }
    double BarSeconds() const { return 16 * StepSeconds(); }
    int Bars() const { return bars_; }

    // Chords from `bar` on, one token per bar; "Am,G" splits a bar in halves, "Am,G,F,E" in
    // quarters. A token "%" repeats the previous bar's chords.
    void Chords(int bar, std::string_view tokens);
    const Chord& ChordAt(int step) const;

    int AddLane(Voice voice, double gain, double pan = 0, double reverb = 0, double echo = 0,
                double duck = 0);

    // Drum hits over `count` bars: x hit, X accent, o soft, '.' rest; the pattern repeats.
    void Hits(int lane, int bar, int count, std::string_view pattern);
    // Chord tones: a digit is the tone index of the chord playing at that step (0 root,
    // 1 third, 2 fifth, 3 the next tone up...), placed from `octaveShift` octaves above the
    // chord's root; '-' holds, '.' rests, a trailing '!' accents, '?' softens, a leading '^' or
    // '_' moves one octave up or down. Repeats over `count` bars.
    void ChordSteps(int lane, int bar, int count, std::string_view pattern, int octaveShift);
    // An explicit tune: note names (C4, F#5, Bb3), '-' hold, '.' rest, '!' / '?' suffixes;
    // each token lasts `stepsPerToken` sixteenths; '|' is ignored (bar lines for reading).
    // Returns the number of bars written.
    int Melody(int lane, int bar, std::string_view tune, int stepsPerToken);
    // A held chord for each change of chord between `bar` and `bar + count`, voiced close
    // around note `centre`.
    void HeldChords(int lane, int bar, int count, int centre, double velocity);
    void Add(int lane, const Note& note) { lanes_[lane].notes.push_back(note); }
    const std::vector<Lane>& Lanes() const { return lanes_; }

    // Mixes every lane through the echo and hall into `frames` frames (the tails that would run
    // past the end are cut off there).
    Stereo Render(std::size_t frames) const;

  private:
    double bpm_;
    int bars_;
    std::vector<Chord> chords_;  // one per sixteenth step
    std::vector<Lane> lanes_;
};

// Parses one note name ("C4", "F#5", "Bb3") into a note number; -1 when it is not one.
int ParseNoteName(std::string_view name);

}  // namespace tools::assets::audio
