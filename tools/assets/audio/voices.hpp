#pragma once
// The instruments of the game's music and sound effects: each renders one note, additively,
// into a stereo buffer.
#include <cstdint>

#include "tools/assets/audio/dsp.hpp"

namespace tools::assets::audio {

enum class Voice {
    Kick,     // sine with a falling pitch and a click
    Snare,    // tuned body and bright noise
    Clap,     // three quick noise bursts and a short tail
    Hat,      // closed hi-hat: a tick of high noise
    OpenHat,  // the same, left ringing
    Crash,    // long wash of high noise, slightly different on each side
    Shaker,   // soft band of noise with a short swell
    Bass,     // saw and square through a plucked low-pass, with a sine underneath
    SubBass,  // round sine bass for the calm tracks
    Pad,      // three detuned saws, slow swell, wide
    Strings,  // darker, slower pad
    Pluck,    // short bright arpeggio note
    Lead,     // two detuned saws with delayed vibrato
    Glass,    // FM chime with a glassy inharmonic partial
    Piano,    // FM electric piano with a gentle stereo tremolo
    Riser,    // noise swelling and rising in pitch over the note, leading into a new section
};

// pitch is a note number (60 = middle C; ignored by the drums), start and length in seconds,
// velocity 0..1.
struct Note {
    double start = 0;
    double length = 0;
    double pitch = 60;
    double velocity = 1;
};

// Renders the note into out from frame round(start * rate). seed varies the noise and the free
// phases so that repeated notes are not copies, yet every build makes the same samples.
void RenderNote(Voice voice, const Note& note, double rate, std::uint32_t seed, Stereo& out);

}  // namespace tools::assets::audio
