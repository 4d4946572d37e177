// The synthesiser's own math and notes: it avoids the C library so its bytes never depend on
// the optimiser, which makes it worth checking against the real functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assets/audio/dsp.hpp"
#include "tools/assets/audio/song.hpp"
#include "tools/assets/audio/voices.hpp"

namespace tools::assets::audio {
namespace {

TEST(Synth, MathMatchesTheLibraryAndNotesAreInTune) {
    for (double t = -2.0; t <= 2.0; t += 0.0137) {
        EXPECT_NEAR(Sine(t), std::sin(2 * M_PI * t), 1e-6) << t;
    }
    for (double x = -30; x <= 30; x += 0.173) {
        EXPECT_NEAR(Exp(x) / std::exp(x), 1.0, 1e-13) << x;
    }
    EXPECT_DOUBLE_EQ(NoteFrequency(69), 440.0);
    EXPECT_NEAR(NoteFrequency(81), 880.0, 1e-9);
    EXPECT_NEAR(NoteFrequency(60), 261.6255653, 1e-6);
    EXPECT_EQ(ParseNoteName("A4"), 69);
    EXPECT_EQ(ParseNoteName("C#5"), 73);
    EXPECT_EQ(ParseNoteName("Bb3"), 58);
    EXPECT_EQ(ParseNoteName("H2"), -1);
    EXPECT_EQ(ParseNoteName("C"), -1);
}

TEST(Synth, ChordTonesClimbThroughTheOctaves) {
    Chord am = ParseChord("Am");
    EXPECT_EQ(am.root, 57);
    EXPECT_EQ(am.Tone(0), 57);
    EXPECT_EQ(am.Tone(1), 60);
    EXPECT_EQ(am.Tone(3), 69);
    EXPECT_EQ(am.Tone(-1), 52);  // the fifth below
    Chord fmaj7 = ParseChord("Fmaj7");
    EXPECT_EQ(fmaj7.Tone(3), 64);
    EXPECT_EQ(ParseChord("Bb").root, 58);
    EXPECT_EQ(ParseChord("C#m").Tone(1), 52);
}

TEST(Synth, PatternsBecomeTheNotesTheyWrite) {
    Song song(120, 2);  // a sixteenth is 0.125 s
    song.Chords(0, "Am F,G");
    int lane = song.AddLane(Voice::Pluck, 1);
    song.ChordSteps(lane, 0, 2, "0 - . ^1! _2? . . . 3 - - - . . . .", 0);
    const std::vector<Note>& notes = song.Lanes()[lane].notes;
    ASSERT_EQ(notes.size(), 8u);
    EXPECT_EQ(notes[0].pitch, 57);  // A3, held for two steps
    EXPECT_DOUBLE_EQ(notes[0].length, 0.25);
    EXPECT_EQ(notes[1].pitch, 72);  // C5: the third, an octave up, accented
    EXPECT_DOUBLE_EQ(notes[1].start, 0.375);
    EXPECT_GT(notes[1].velocity, notes[0].velocity);
    EXPECT_EQ(notes[2].pitch, 52);  // E3: the fifth, an octave down, soft
    EXPECT_LT(notes[2].velocity, notes[0].velocity);
    EXPECT_EQ(notes[3].pitch, 69);  // A4: the tone after the fifth
    EXPECT_DOUBLE_EQ(notes[3].length, 0.5);
    // The second bar follows its own chords: F for its first half, then G.
    EXPECT_EQ(notes[4].pitch, 53);
    EXPECT_EQ(notes[7].pitch, 67);
    EXPECT_DOUBLE_EQ(notes[7].start, 2.0 + 8 * 0.125);

    int tune = song.AddLane(Voice::Lead, 1);
    EXPECT_EQ(song.Melody(tune, 1, "E5 - . F#5 | Bb4 - - -", 2), 1);
    const std::vector<Note>& melody = song.Lanes()[tune].notes;
    ASSERT_EQ(melody.size(), 3u);
    EXPECT_EQ(melody[0].pitch, 76);
    EXPECT_DOUBLE_EQ(melody[0].start, 2.0);
    EXPECT_DOUBLE_EQ(melody[0].length, 0.5);
    EXPECT_EQ(melody[1].pitch, 78);
    EXPECT_EQ(melody[2].pitch, 70);
    EXPECT_DOUBLE_EQ(melody[2].length, 1.0);
}

TEST(Synth, LimiterHoldsPeaksAndLeavesQuietMusicAlone) {
    const double rate = 44100;
    Stereo audio(static_cast<std::size_t>(rate));
    for (std::size_t i = 0; i < audio.Frames(); ++i) {
        double v = 0.3 * Sine(i * 220 / rate);
        // A loud swell in the middle, four times as loud at its top.
        if (i >= 20000 && i < 21000) v *= 1 + 3 * Sine((i - 20000) / 2000.0);
        audio.left[i] = static_cast<float>(v);
        audio.right[i] = static_cast<float>(-v);
    }
    Stereo original = audio;
    Limit(audio, 0.7, rate);
    double steepest = 0, steepestBefore = 0;
    for (std::size_t i = 0; i < audio.Frames(); ++i) {
        ASSERT_LE(std::fabs(audio.left[i]), 0.7f) << i;
        ASSERT_LE(std::fabs(audio.right[i]), 0.7f) << i;
        if (i == 0) continue;
        steepest = std::max(steepest, double(std::fabs(audio.left[i] - audio.left[i - 1])));
        steepestBefore =
            std::max(steepestBefore, double(std::fabs(original.left[i] - original.left[i - 1])));
    }
    // The gain moves smoothly: no step steeper than the music itself had (no click).
    EXPECT_LT(steepest, steepestBefore);
    // Well before and well after the hit the music is untouched.
    for (std::size_t i : {1000u, 19000u, 30000u, 44000u}) {
        EXPECT_EQ(audio.left[i], original.left[i]) << i;
    }
    EXPECT_LT(std::fabs(audio.left[20500]), std::fabs(original.left[20500]));
}

// The period of a rendered note by autocorrelation: the first strong repeat of the waveform.
double SoundingFrequency(Voice voice, double pitch) {
    const double rate = 44100;
    Stereo out(static_cast<std::size_t>(rate));
    Note note;
    note.length = 0.8;
    note.pitch = pitch;
    RenderNote(voice, note, rate, 1, out);
    // From 0.05 s to 0.2 s: after the attack, before any vibrato.
    const std::size_t from = static_cast<std::size_t>(0.05 * rate), span = 4096;
    std::vector<double> r(1200, 0.0);
    double best = 0;
    for (std::size_t lag = 20; lag < r.size(); ++lag) {
        for (std::size_t i = from; i < from + span; ++i)
            r[lag] += double(out.left[i]) * out.left[i + lag];
        best = std::max(best, r[lag]);
    }
    for (std::size_t lag = 21; lag + 1 < r.size(); ++lag) {
        if (r[lag] > 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            // A parabola through the peak and its neighbours finds the period between samples.
            double shift = 0.5 * (r[lag - 1] - r[lag + 1]) / (r[lag - 1] - 2 * r[lag] + r[lag + 1]);
            return rate / (lag + shift);
        }
    }
    return 0;
}

TEST(Synth, InstrumentsSoundAtTheNoteTheyArePlayed) {
    EXPECT_NEAR(SoundingFrequency(Voice::SubBass, 45), 110.0, 1.0);
    EXPECT_NEAR(SoundingFrequency(Voice::Lead, 69), 440.0, 3.0);
    EXPECT_NEAR(SoundingFrequency(Voice::Piano, 72), 523.25, 3.0);
}

}  // namespace
}  // namespace tools::assets::audio
