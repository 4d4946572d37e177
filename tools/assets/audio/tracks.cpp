// The game's music. One identity runs through every track: A minor (C major for the warm
// tracks), glassy FM chimes over detuned saw pads, and a hook in a 3-3-2 rhythm that leaps up a
// fourth (E-A) and falls back. Which phase plays which file:
//
//   introwin.mp3  the frame-pacing window before the game; plays once, gentle, 36 s
//   logo.mp3      loaded with the logo, started by the star-field introduction; plays once and
//                 builds up for as long as a viewer watches (~100 s)
//   theme.mp3     title menu; loops, 33 s
//   level00.mp3   every level; loops, 61 s with four different sections so it wears well
//   win.mp3       level complete; plays once, 5.55 s (the 333 frames of the sequence)
//   high.mp3      the ending (once) and the credits (looping); warm, C major, 77 s
//   credits.mp3   the game-over screen with name entry; loops, calm, 37 s
//
// A looping track is rendered with a tail past its end, and the tail is folded back onto its
// start, so echoes and held chords carry over the loop point as they would in a repeat.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assets/audio/internal.hpp"
#include "tools/assets/audio/song.hpp"

namespace tools::assets::audio {
namespace {

// Music stays below the effects' loudness and leaves headroom, so an effect over the music
// (and the encoder's ripple) does not clip.
constexpr double kPeak = 0.7;

std::size_t Frames(double seconds) {
    return static_cast<std::size_t>(seconds * kTrackRate);
}

TrackPcm Finish(Stereo mix, std::size_t length, bool loops, double targetRms, double fadeOut) {
    if (loops) {
        for (std::size_t i = length; i < mix.Frames(); ++i) {
            mix.left[i - length] += mix.left[i];
            mix.right[i - length] += mix.right[i];
        }
    }
    mix.left.resize(length);
    mix.right.resize(length);
    double energy = 0;
    for (std::size_t i = 0; i < length; ++i) {
        double l = mix.left[i], r = mix.right[i];
        energy += l * l + r * r;
    }
    double rms = length ? std::sqrt(energy / (2.0 * length)) : 0;
    if (rms > 0) {
        const float gain = static_cast<float>(targetRms / rms);
        for (std::size_t i = 0; i < length; ++i) {
            mix.left[i] *= gain;
            mix.right[i] *= gain;
        }
    }
    Limit(mix, kPeak, kTrackRate);

    // Short raised-cosine edges: players restart a looping track after a small gap, so each end
    // must meet silence smoothly; a track that plays once fades out over its last seconds.
    const std::size_t edge = Frames(0.005);
    const std::size_t tail = loops ? edge : std::max(edge, Frames(fadeOut));
    TrackPcm out;
    out.loops = loops;
    out.samples.resize(2 * length);
    for (std::size_t i = 0; i < length; ++i) {
        double shape = 1;
        if (i < edge) shape = 0.5 - 0.5 * Sine(0.25 + 0.5 * static_cast<double>(i) / edge);
        std::size_t left = length - 1 - i;
        if (left < tail) shape *= 0.5 - 0.5 * Sine(0.25 + 0.5 * static_cast<double>(left) / tail);
        for (int side = 0; side < 2; ++side) {
            double v = (side ? mix.right[i] : mix.left[i]) * shape;
            v = std::clamp(v, -1.0, 1.0);
            out.samples[2 * i + side] = static_cast<std::int16_t>(std::floor(v * 32767 + 0.5));
        }
    }
    return out;
}

TrackPcm Loop(const Song& song, double targetRms) {
    std::size_t length = Frames(song.Bars() * song.BarSeconds());
    return Finish(song.Render(length + Frames(8)), length, true, targetRms, 0);
}

TrackPcm Once(const Song& song, double tailSeconds, double targetRms, double fadeOut) {
    std::size_t length = Frames(song.Bars() * song.BarSeconds() + tailSeconds);
    return Finish(song.Render(length), length, false, targetRms, fadeOut);
}

// A noise swell over the whole of `bar`, leading into the next one.
void Swell(Song& song, int lane, int bar, double velocity) {
    Note note;
    note.start = bar * song.BarSeconds();
    note.length = song.BarSeconds();
    note.velocity = velocity;
    song.Add(lane, note);
}

// The hook over Am F C G, twice: the call and its answer (eighth notes).
constexpr const char* kHook =
    "E5 - - A5 - - G5 - | F5 - - E5 - - C5 - | E5 - - G5 - - C6 - | B5 - - - A5 - G5 - |"
    "E5 - - A5 - - B5 - | C6 - - A5 - - F5 - | G5 - - E5 - - G5 - | D5 - - - - - . . |";
// Its continuation over F G Em Am F G E E.
constexpr const char* kBridge =
    "A5 - - - C6 - - - | B5 - - - D6 - - - | E6 - - - B5 - G5 - | A5 - - - - - - - |"
    "A5 - - - C6 - - - | D6 - - - B5 - G5 - | G#5 - - - B5 - - - | E5 - - - - - . . |";

TrackPcm PacingWindow() {
    // Gentle and unhurried: the player is only choosing how frames are paced.
    Song song(92, 12);
    song.Chords(0, "Am F C G Am F Esus4 E Fmaj7 G Amadd9 Amadd9");
    int strings = song.AddLane(Voice::Strings, 0.5, 0, 0.6);
    int piano = song.AddLane(Voice::Piano, 0.9, -0.2, 0.5, 0.2);
    int bass = song.AddLane(Voice::SubBass, 0.4);
    int glass = song.AddLane(Voice::Glass, 1.5, 0.3, 0.7, 0.35);
    song.HeldChords(strings, 0, 12, 62, 0.8);
    song.ChordSteps(piano, 0, 10, "0 . 1 . 2 . 3 . 4 . 3 . 2 . 1 .", 0);
    song.ChordSteps(piano, 10, 2, "0 . 2 . 3 . . . . . . . . . . .", 0);
    song.ChordSteps(bass, 0, 12, "0 - - - - - - - - - - - - - - -", -1);
    song.Melody(glass, 4,
                "E5 - - A5 - - G5 - | F5 - - E5 - - C5 - | E5 - - - - - - - | G#5 - - - B5 - - - |"
                "A5 - - - C6 - - - | B5 - - - D6 - - - | E6 - - - - - - - | . . . . . . . . |",
                2);
    return Once(song, 5, 0.11, 4);
}

TrackPcm Introduction() {
    // The flight through the stars: it starts as a bare chord and adds a layer every eight bars,
    // reaches the full band with the hook at bar 24, and settles back to the chord at the end.
    Song song(112, 44);
    song.Chords(0, "Am % F % C % G % Am % F % C % G %");
    song.Chords(16, "Am F C G Am F C G Am F C G Am F C G");
    song.Chords(32, "F G Em Am F G E E Amadd9 % % %");
    int strings = song.AddLane(Voice::Strings, 0.5, 0, 0.6, 0, 0.3);
    int glass = song.AddLane(Voice::Glass, 0.6, 0.35, 0.7, 0.4);
    int pluck = song.AddLane(Voice::Pluck, 0.45, -0.3, 0.3, 0.35, 0.4);
    int shaker = song.AddLane(Voice::Shaker, 0.5, 0.4, 0.2);
    int hat = song.AddLane(Voice::Hat, 0.6, 0.25, 0.1);
    int kick = song.AddLane(Voice::Kick, 0.85);
    int clap = song.AddLane(Voice::Clap, 0.6, 0, 0.35);
    int crash = song.AddLane(Voice::Crash, 0.4, 0, 0.3);
    int bass = song.AddLane(Voice::Bass, 0.6, 0, 0, 0, 0.35);
    int lead = song.AddLane(Voice::Lead, 1.1, 0, 0.4, 0.3);
    int swell = song.AddLane(Voice::Riser, 0.5, 0, 0.5);

    song.HeldChords(strings, 0, 8, 62, 0.55);
    song.HeldChords(strings, 8, 8, 62, 0.65);
    song.HeldChords(strings, 16, 28, 62, 0.75);
    song.ChordSteps(glass, 0, 16, "3 . . . . . 2 . . . 4 . . . . . 2 . . . . . . . 1 . . . . . . .",
                    1);
    song.ChordSteps(glass, 40, 4, "3 . . . . . 4 . . . 5 . . . . . . . . . . . . . . . . . . . . .",
                    1);
    song.ChordSteps(pluck, 8, 8, "0? 1? 2? 3? 4? 3? 2? 1?", 1);
    song.ChordSteps(pluck, 16, 24, "0 1 2 3 4 3 2 1 0 1 2 3 5 3 2 1", 1);
    song.Hits(shaker, 8, 8, ". . x . . . x . . . x . . . x o");
    song.Hits(hat, 16, 24, "o . x . o . x . o . x . o . x .");
    song.Hits(kick, 16, 8, "x . . . . . . . x . . . . . . .");
    song.Hits(kick, 24, 16, "x . . . x . . . x . . . x . . .");
    song.Hits(clap, 24, 16, ". . . . x . . . . . . . x . . .");
    for (int bar : {16, 24, 32, 40})
        song.Hits(crash, bar, 1, "x . . . . . . . . . . . . . . .");
    song.ChordSteps(bass, 16, 8, "0 - - - - - 0 - 0 - - - - - 0 -", -1);
    song.ChordSteps(bass, 24, 16, "0 . 0 0 . 0 0 . 0 . 0 0 . 2 ^0 .", -1);
    song.Melody(lead, 24, kHook, 2);
    song.Melody(lead, 32, kBridge, 2);
    for (int bar : {15, 23, 31})
        Swell(song, swell, bar, 0.8);
    return Once(song, 6, 0.13, 5);
}

TrackPcm Theme() {
    Song song(118, 16);
    song.Chords(0, "Am F C G Am F C G F G Em Am F G E E");
    int pad = song.AddLane(Voice::Pad, 0.45, 0, 0.5, 0, 0.5);
    int glass = song.AddLane(Voice::Glass, 0.45, 0.35, 0.6, 0.45);
    int kick = song.AddLane(Voice::Kick, 0.85);
    int snare = song.AddLane(Voice::Snare, 0.7, 0, 0.35);
    int hat = song.AddLane(Voice::Hat, 0.6, 0.25, 0.1);
    int openHat = song.AddLane(Voice::OpenHat, 0.3, -0.25, 0.2);
    int bass = song.AddLane(Voice::Bass, 0.6, 0, 0, 0, 0.3);
    int lead = song.AddLane(Voice::Lead, 1.1, 0, 0.4, 0.3);
    int swell = song.AddLane(Voice::Riser, 0.4, 0, 0.5);
    song.HeldChords(pad, 0, 16, 64, 0.8);
    song.ChordSteps(glass, 0, 16, "0 . 2 . 3 . 4 . 3 . 2 . 4 . 5 .", 1);
    song.Hits(kick, 0, 16, "x . . . . . x . . . x . . . . .");
    song.Hits(snare, 0, 15, ". . . . x . . . . . . . x . . .");
    song.Hits(snare, 15, 1, ". . . . x . . . x . o o x o X X");
    song.Hits(hat, 0, 16, "x . o . x . o . x . o . x . o o");
    song.Hits(openHat, 0, 16, ". . . . . . x . . . . . . . x .");
    song.ChordSteps(bass, 0, 16, "0 - . 0 - . 0 . 0 - . 0 - . 2 .", -1);
    song.Melody(lead, 0, kHook, 2);
    song.Melody(lead, 8, kBridge, 2);
    Swell(song, swell, 15, 0.6);
    return Loop(song, 0.13);
}

TrackPcm LevelMusic() {
    // Played under every level, so it changes every eight bars: groove, hook, a lighter bridge
    // with chimes, then a breakdown that builds back into the top.
    Song song(126, 32);
    song.Chords(0, "Am C G D Am C G D Am C G D Am C G D");
    song.Chords(16, "F G Am Am F G E E Dm Dm Am Am F F G E");
    int pad = song.AddLane(Voice::Pad, 0.38, 0, 0.5, 0, 0.6);
    int pluck = song.AddLane(Voice::Pluck, 0.45, -0.3, 0.25, 0.3, 0.35);
    int glass = song.AddLane(Voice::Glass, 0.55, 0.35, 0.6, 0.4);
    int kick = song.AddLane(Voice::Kick, 0.9);
    int clap = song.AddLane(Voice::Clap, 0.7, 0, 0.3);
    int snare = song.AddLane(Voice::Snare, 0.6, 0, 0.3);
    int hat = song.AddLane(Voice::Hat, 0.6, 0.25, 0.1);
    int openHat = song.AddLane(Voice::OpenHat, 0.3, -0.25, 0.2);
    int crash = song.AddLane(Voice::Crash, 0.35, 0, 0.3);
    int bass = song.AddLane(Voice::Bass, 0.52, 0, 0, 0, 0.35);
    int lead = song.AddLane(Voice::Lead, 1.05, 0, 0.35, 0.3);
    int swell = song.AddLane(Voice::Riser, 0.45, 0, 0.5);

    song.HeldChords(pad, 0, 32, 64, 0.75);
    song.ChordSteps(pluck, 0, 8, "0 . 2 . 3 . 2 . 0 . 2 . 3 . 4 .", 1);
    song.ChordSteps(pluck, 8, 16, "0 1 2 3 4 3 2 1 0 1 2 3 5 3 2 1", 1);
    song.ChordSteps(pluck, 28, 4, "0 1 2 3 4 3 2 1 0 1 2 3 5 3 2 1", 1);
    song.Hits(kick, 0, 24, "x . . . x . . . x . . . x . . .");
    song.Hits(kick, 28, 3, "x . . . x . . . x . . . x . . .");
    song.Hits(kick, 31, 1, "x . . . x . . . x . x . x . x .");
    song.Hits(clap, 0, 24, ". . . . x . . . . . . . x . . .");
    song.Hits(clap, 28, 3, ". . . . x . . . . . . . x . . .");
    song.Hits(snare, 30, 1, ". . . . . . . . x . . . x . x .");
    song.Hits(snare, 31, 1, "x . o . x . o . x o x o X x X X");
    song.Hits(hat, 0, 8, ". . x . . . x . . . x . . . x .");
    song.Hits(hat, 8, 16, "o x o . o x o . o x o . o x o o");
    song.Hits(hat, 28, 4, "o x o . o x o . o x o . o x o o");
    song.Hits(openHat, 8, 16, ". . x . . . x . . . x . . . x .");
    for (int bar : {0, 8, 16, 28})
        song.Hits(crash, bar, 1, "x . . . . . . . . . . . . . . .");
    song.ChordSteps(bass, 0, 24, "0 . 0 0 . 0 0 . 0 . 0 0 . 2 ^0 .", -1);
    song.ChordSteps(bass, 26, 2, "0 - - - - - - - 0 - - - - - - -", -1);
    song.ChordSteps(bass, 28, 4, "0 . 0 0 . 0 0 . 0 . 0 0 . 2 ^0 .", -1);
    song.Melody(
        lead, 8,
        "E5 - - A5 - - G5 - | E5 - - G5 - - C6 - | B5 - - D6 - - B5 - | A5 - - - F#5 - - - |"
        "E5 - - A5 - - B5 - | C6 - - B5 - - G5 - | D6 - - B5 - - G5 - | A5 - - - - - . . |",
        2);
    song.Melody(lead, 16,
                "F5 - - - A5 - - - | G5 - - - B5 - - - | A5 - - - - - - - | E5 - - - - - - - |"
                "F5 - - - A5 - - - | B5 - - - D6 - - - | B5 - - - - - - - | G#5 - - - - - . . |",
                2);
    song.Melody(glass, 16,
                "A5 - - - C6 - - - | B5 - - - D6 - - - | E6 - - - - - - - | C6 - - - B5 - A5 - |"
                "A5 - - - C6 - - - | D6 - - - B5 - - - | G#5 - - - - - - - | B5 - - - G#5 - E5 - |",
                2);
    song.ChordSteps(glass, 24, 8, "3 . . 4 . . 5 . 4 . . 3 . . 2 .", 1);
    Swell(song, swell, 27, 0.8);
    Swell(song, swell, 31, 0.6);
    return Loop(song, 0.12);
}

TrackPcm LevelComplete() {
    // A run up to a held A major chord (the minor key's bright ending), landing on the second
    // bar's downbeat with a crash, then ringing out by the end of the 333-frame sequence.
    Song song(130, 3);
    song.Chords(0, "F,G A A");
    int lead = song.AddLane(Voice::Lead, 1.2, 0, 0.35, 0.25);
    int pad = song.AddLane(Voice::Pad, 0.5, 0, 0.5);
    int glass = song.AddLane(Voice::Glass, 0.4, 0.3, 0.6, 0.3);
    int pluck = song.AddLane(Voice::Pluck, 0.4, -0.3, 0.3);
    int kick = song.AddLane(Voice::Kick, 0.9);
    int snare = song.AddLane(Voice::Snare, 0.5, 0, 0.3);
    int crash = song.AddLane(Voice::Crash, 0.35, 0, 0.3);
    int bass = song.AddLane(Voice::Bass, 0.45);
    song.Melody(lead, 0, "A4 C5 F5 A5 B4 D5 G5 B5 | C#6 - - - - - - - - - - - - - - - | . .", 2);
    song.ChordSteps(pluck, 0, 1, "0 1 2 3 0 1 2 3 0 1 2 3 4 5 6 7", 1);
    song.Hits(snare, 0, 1, "o . o . x . o . x o x o X x X X");
    song.Hits(kick, 1, 1, "X . . . . . . . . . . . . . . .");
    song.Hits(crash, 1, 1, "X . . . . . . . . . . . . . . .");
    song.ChordSteps(bass, 0, 1, "0 - - - - - - - 0 - - - - - - -", -1);
    song.ChordSteps(bass, 1, 2, "0 - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - -",
                    -1);
    song.HeldChords(pad, 1, 2, 66, 0.9);
    song.ChordSteps(glass, 1, 1, "3 4 5 6 7 . . . . . . . . . . .", 1);
    // 333 frames at 60 per second.
    const std::size_t length = Frames(333.0 / 60.0);
    return Finish(song.Render(length), length, false, 0.13, 1.2);
}

TrackPcm Warm() {
    // The ending and the credits: the hook turned to C major, electric piano and a soft groove.
    // The ending does not restart its track, so it runs long enough to read the closing words
    // by: two verses around a quieter bridge where chimes carry the tune.
    Song song(100, 32);
    song.Chords(0, "Fmaj7 G Em7 Am7 Fmaj7 G C C Fmaj7 G Em7 Am7 Dm7 G Csus4,C C");
    song.Chords(16, "Dm7 Em7 Fmaj7 G Dm7 Em7 Fmaj7 Gsus4,G");
    song.Chords(24, "Fmaj7 G Em7 Am7 Dm7 G Csus4,C C");
    int strings = song.AddLane(Voice::Strings, 0.33, 0, 0.6, 0, 0.3);
    int piano = song.AddLane(Voice::Piano, 0.5, -0.15, 0.4, 0, 0.2);
    int bass = song.AddLane(Voice::SubBass, 0.36, 0, 0, 0, 0.2);
    int kick = song.AddLane(Voice::Kick, 0.85);
    int clap = song.AddLane(Voice::Clap, 0.6, 0, 0.4);
    int shaker = song.AddLane(Voice::Shaker, 0.45, 0.35, 0.2);
    int lead = song.AddLane(Voice::Lead, 1.05, 0.1, 0.5, 0.3);
    int glass = song.AddLane(Voice::Glass, 0.45, 0.4, 0.6, 0.35);
    int bells = song.AddLane(Voice::Glass, 1.0, -0.1, 0.6, 0.35);
    song.HeldChords(strings, 0, 32, 62, 0.7);
    song.ChordSteps(piano, 0, 32, "1 - - 1 - - 1 - . . 1 - . . 1 .", 0);
    song.ChordSteps(piano, 0, 32, "2 - - 2 - - 2 - . . 2 - . . 2 .", 0);
    song.ChordSteps(piano, 0, 32, "3 - - 3 - - 3 - . . 3 - . . 3 .", 0);
    song.ChordSteps(bass, 0, 16, "0 - - - - - 0 - - - 0 - - - - -", -1);
    song.ChordSteps(bass, 16, 4, "0 - - - - - - - - - - - - - - -", -1);
    song.ChordSteps(bass, 20, 12, "0 - - - - - 0 - - - 0 - - - - -", -1);
    song.Hits(kick, 0, 16, "x . . . . . . x . . x . . . . .");
    song.Hits(kick, 20, 12, "x . . . . . . x . . x . . . . .");
    song.Hits(clap, 0, 16, ". . . . x . . . . . . . x . . .");
    song.Hits(clap, 20, 12, ". . . . x . . . . . . . x . . .");
    song.Hits(shaker, 0, 32, "o . x . o . x . o . x . o . x o");
    const char* verse =
        "A5 - - C6 - - A5 - | G5 - - D5 - - G5 - | E5 - - G5 - - B5 - | C6 - - - B5 - A5 - |"
        "A5 - - C6 - - E6 - | D6 - - B5 - - G5 - | E5 - - - - - - - | . . . . G5 - A5 - |";
    const char* answer =
        "C6 - - A5 - - F5 - | D6 - - B5 - - G5 - | B5 - - G5 - - E5 - | C6 - - - E6 - - - |"
        "D6 - - - C6 - A5 - | B5 - - - D6 - - - | C6 - - - - - - - | . . . . . . . . |";
    song.Melody(lead, 0, verse, 2);
    song.Melody(lead, 8, answer, 2);
    song.Melody(
        bells, 16,
        "F5 - - A5 - - C6 - | B5 - - G5 - - E5 - | A5 - - C6 - - E6 - | D6 - - - B5 - - - |"
        "C6 - - A5 - - F5 - | G5 - - B5 - - D6 - | E6 - - - C6 - A5 - | C6 - - - B5 - D6 - |",
        2);
    song.Melody(lead, 24, answer, 2);
    song.ChordSteps(glass, 0, 16, ". . . . . . . . . . . . 4 . . .", 1);
    song.ChordSteps(glass, 24, 8, ". . . . . . . . . . . . 4 . . .", 1);
    return Loop(song, 0.12);
}

TrackPcm Calm() {
    // Name entry after the game: slow, open chords and a few chimes, nothing that hurries.
    Song song(78, 12);
    song.Chords(0, "Am9 Fmaj7 Cmaj7 Gsus4,G Am9 Fmaj7 Dm7 Esus4,E Fmaj7 G Am9 Am9");
    int strings = song.AddLane(Voice::Strings, 0.5, 0, 0.7);
    int glass = song.AddLane(Voice::Glass, 0.6, 0.3, 0.7, 0.45);
    int bass = song.AddLane(Voice::SubBass, 0.4);
    int piano = song.AddLane(Voice::Piano, 1.4, -0.2, 0.6, 0.25);
    int shaker = song.AddLane(Voice::Shaker, 0.3, 0.4, 0.3);
    song.HeldChords(strings, 0, 12, 62, 0.8);
    song.ChordSteps(glass, 0, 12, "0 . 2 . 3 . 4 . 3 . 2 . 1 . 2 .", 1);
    song.ChordSteps(bass, 0, 12, "0 - - - - - - - - - - - - - - -", -1);
    song.Hits(shaker, 4, 8, ". . x . . . x . . . x . . . x .");
    song.Melody(piano, 4,
                "E5 - - - A5 - - - | C6 - - - A5 - - - | A5 - - - - - G5 - | B5 - - - - - - - |"
                "C6 - - - B5 - A5 - | D6 - - - B5 - - - | C6 - - - B5 - - - | A5 - - - - - - - |",
                2);
    return Loop(song, 0.11);
}

}  // namespace

TrackPcm RenderTrack(std::string_view name) {
    if (name == "introwin.mp3") return PacingWindow();
    if (name == "logo.mp3") return Introduction();
    if (name == "theme.mp3") return Theme();
    if (name == "level00.mp3") return LevelMusic();
    if (name == "win.mp3") return LevelComplete();
    if (name == "high.mp3") return Warm();
    if (name == "credits.mp3") return Calm();
    return {};
}

}  // namespace tools::assets::audio
