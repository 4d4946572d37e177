#include "tools/assets/audio/song.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tools::assets::audio {
namespace {

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '|'))
            ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\n' && text[i] != '|')
            ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            out.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

// Velocity marks shared by every pattern kind.
double Accent(std::string_view& token) {
    double velocity = 0.8;
    while (!token.empty() && (token.back() == '!' || token.back() == '?')) {
        velocity = token.back() == '!' ? 1.0 : 0.5;
        token.remove_suffix(1);
    }
    return velocity;
}

int PitchClass(char letter) {
    switch (letter) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b) {
    std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h ? h : 1;
}

}  // namespace

int Chord::Tone(int index) const {
    int size = static_cast<int>(tones.size());
    int octave = index >= 0 ? index / size : -((-index + size - 1) / size);
    int within = index - octave * size;
    return root + tones[within] + 12 * octave;
}

int ParseNoteName(std::string_view name) {
    if (name.size() < 2) return -1;
    int pitch = PitchClass(name[0]);
    if (pitch < 0) return -1;
    std::size_t i = 1;
    if (name[i] == '#') {
        ++pitch;
        ++i;
    } else if (name[i] == 'b') {
        --pitch;
        ++i;
    }
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '8') return -1;
    return pitch + 12 * (name[i] - '0' + 1);
}

Chord ParseChord(std::string_view name) {
    Chord chord;
    if (name.empty() || PitchClass(name[0]) < 0) return chord;
    int pitch = PitchClass(name[0]);
    std::size_t i = 1;
    if (i < name.size() && name[i] == '#') {
        ++pitch;
        ++i;
    } else if (i < name.size() && name[i] == 'b') {
        --pitch;
        ++i;
    }
    chord.root = 48 + (pitch + 12) % 12;
    std::string_view kind = name.substr(i);
    if (kind == "m")
        chord.tones = {0, 3, 7};
    else if (kind == "7")
        chord.tones = {0, 4, 7, 10};
    else if (kind == "maj7")
        chord.tones = {0, 4, 7, 11};
    else if (kind == "m7")
        chord.tones = {0, 3, 7, 10};
    else if (kind == "sus4")
        chord.tones = {0, 5, 7};
    else if (kind == "sus2")
        chord.tones = {0, 2, 7};
    else if (kind == "add9")
        chord.tones = {0, 4, 7, 14};
    else if (kind == "madd9")
        chord.tones = {0, 3, 7, 14};
    else if (kind == "m9")
        chord.tones = {0, 3, 7, 10, 14};
    else if (kind == "maj9")
        chord.tones = {0, 4, 7, 11, 14};
    else
        chord.tones = {0, 4, 7};
    return chord;
}

Song::Song(double bpm, int bars) : bpm_(bpm), bars_(bars), chords_(bars * 16) {}

void Song::Chords(int bar, std::string_view tokens) {
    std::vector<Chord> previous;
    for (std::string_view token : Tokens(tokens)) {
        if (bar >= bars_) break;
        std::vector<Chord> parts;
        if (token == "%") {
            parts = previous;
        } else {
            for (std::string_view part : Split(token, ','))
                parts.push_back(ParseChord(part));
        }
        int size = static_cast<int>(parts.size());
        for (int step = 0; step < 16 && size > 0; ++step) {
            chords_[bar * 16 + step] = parts[step * size / 16];
        }
        previous = parts;
        ++bar;
    }
}

const Chord& Song::ChordAt(int step) const {
    if (step < 0) step = 0;
    if (step >= static_cast<int>(chords_.size())) step = static_cast<int>(chords_.size()) - 1;
    return chords_[step];
}

int Song::AddLane(Voice voice, double gain, double pan, double reverb, double echo, double duck) {
    Lane lane;
    lane.voice = voice;
    lane.gain = gain;
    lane.pan = pan;
    lane.reverb = reverb;
    lane.echo = echo;
    lane.duck = duck;
    lanes_.push_back(lane);
    return static_cast<int>(lanes_.size()) - 1;
}

void Song::Hits(int lane, int bar, int count, std::string_view pattern) {
    std::string compact;
    for (char c : pattern) {
        if (c != ' ' && c != '|') compact += c;
    }
    if (compact.empty()) return;
    for (int step = 0; step < count * 16; ++step) {
        char c = compact[step % compact.size()];
        double velocity = c == 'X' ? 1.0 : c == 'x' ? 0.8 : c == 'o' ? 0.45 : 0.0;
        if (velocity == 0) continue;
        Note note;
        note.start = (bar * 16 + step) * StepSeconds();
        note.length = StepSeconds();
        note.velocity = velocity;
        Add(lane, note);
    }
}

void Song::ChordSteps(int lane, int bar, int count, std::string_view pattern, int octaveShift) {
    std::vector<std::string_view> tokens = Tokens(pattern);
    if (tokens.empty()) return;
    bool open = false;
    std::size_t openIndex = 0;
    for (int step = 0; step < count * 16; ++step) {
        std::string_view token = tokens[step % tokens.size()];
        int absolute = bar * 16 + step;
        if (token == "-") {
            if (open) lanes_[lane].notes[openIndex].length += StepSeconds();
            continue;
        }
        open = false;
        if (token == ".") continue;
        double velocity = Accent(token);
        int shift = octaveShift;
        while (!token.empty() && (token.front() == '^' || token.front() == '_')) {
            shift += token.front() == '^' ? 1 : -1;
            token.remove_prefix(1);
        }
        if (token.size() != 1 || token[0] < '0' || token[0] > '9') continue;
        Note note;
        note.start = absolute * StepSeconds();
        note.length = StepSeconds();
        note.pitch = ChordAt(absolute).Tone(token[0] - '0') + 12 * shift;
        note.velocity = velocity;
        Add(lane, note);
        openIndex = lanes_[lane].notes.size() - 1;
        open = true;
    }
}

int Song::Melody(int lane, int bar, std::string_view tune, int stepsPerToken) {
    int step = bar * 16;
    bool open = false;
    for (std::string_view token : Tokens(tune)) {
        double length = stepsPerToken * StepSeconds();
        if (token == "-") {
            if (open) lanes_[lane].notes.back().length += length;
        } else if (token == ".") {
            open = false;
        } else {
            double velocity = Accent(token);
            int pitch = ParseNoteName(token);
            open = pitch >= 0;
            if (open) {
                Note note;
                note.start = step * StepSeconds();
                note.length = length;
                note.pitch = pitch;
                note.velocity = velocity;
                Add(lane, note);
            }
        }
        step += stepsPerToken;
    }
    return (step - bar * 16 + 15) / 16;
}

void Song::HeldChords(int lane, int bar, int count, int centre, double velocity) {
    int first = bar * 16, end = std::min((bar + count) * 16, bars_ * 16);
    int start = first;
    for (int step = first + 1; step <= end; ++step) {
        bool change = step == end || ChordAt(step).root != ChordAt(start).root ||
                      ChordAt(step).tones != ChordAt(start).tones;
        if (!change) continue;
        const Chord& chord = ChordAt(start);
        // Each tone moves by octaves into the window around the centre, which gives smooth
        // voice leading from chord to chord without writing inversions out.
        for (int tone : chord.tones) {
            int pitch = chord.root + tone;
            while (pitch < centre - 6)
                pitch += 12;
            while (pitch >= centre + 6)
                pitch -= 12;
            Note note;
            note.start = start * StepSeconds();
            note.length = (step - start) * StepSeconds();
            note.pitch = pitch;
            note.velocity = velocity;
            Add(lane, note);
        }
        start = step;
    }
}

Stereo Song::Render(std::size_t frames) const {
    const double rate = kMusicRate;
    Stereo master(frames), bus(frames);
    std::vector<float> hallSend(frames, 0.0f), echoSend(frames, 0.0f), duckCurve;

    // The pumping of the ducked lanes follows every kick drum of the song.
    std::vector<double> kicks;
    for (const Lane& lane : lanes_) {
        if (lane.voice != Voice::Kick) continue;
        for (const Note& note : lane.notes)
            kicks.push_back(note.start);
    }
    std::sort(kicks.begin(), kicks.end());

    for (std::size_t index = 0; index < lanes_.size(); ++index) {
        const Lane& lane = lanes_[index];
        if (lane.notes.empty()) continue;
        std::fill(bus.left.begin(), bus.left.end(), 0.0f);
        std::fill(bus.right.begin(), bus.right.end(), 0.0f);
        for (std::size_t n = 0; n < lane.notes.size(); ++n) {
            RenderNote(lane.voice, lane.notes[n], rate,
                       Mix(static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(n)), bus);
        }
        double panLeft, panRight;
        PanGains(lane.pan, panLeft, panRight);
        double depth = 0, recover = FallFactor(0.35, rate), ramp = 1.0 / (0.004 * rate);
        double target = 0;
        std::size_t nextKick = 0;
        for (std::size_t i = 0; i < frames; ++i) {
            double gain = lane.gain;
            if (lane.duck > 0) {
                while (nextKick < kicks.size() &&
                       kicks[nextKick] * rate <= static_cast<double>(i)) {
                    target = 1;
                    ++nextKick;
                }
                // A quick dip at each kick (a few milliseconds, so it never clicks), then a
                // slow recovery.
                if (target > depth) {
                    depth = std::min(target, depth + ramp);
                    if (depth >= target) target = 0;
                } else {
                    depth *= recover;
                }
                gain *= 1 - lane.duck * depth;
            }
            double l = bus.left[i] * gain, r = bus.right[i] * gain;
            master.left[i] += static_cast<float>(l * panLeft);
            master.right[i] += static_cast<float>(r * panRight);
            double mono = (l + r) * 0.5;
            hallSend[i] += static_cast<float>(mono * lane.reverb);
            echoSend[i] += static_cast<float>(mono * lane.echo);
        }
    }

    Echo echo(rate, 3 * StepSeconds(), 0.4);
    Reverb hall(rate, 0.86, 0.35);
    for (std::size_t i = 0; i < frames; ++i) {
        double el, er;
        echo.Process(echoSend[i], el, er);
        master.left[i] += static_cast<float>(el * 0.55);
        master.right[i] += static_cast<float>(er * 0.55);
        double hl, hr;
        hall.Process((hallSend[i] + (el + er) * 0.2) * 0.03, hl, hr);
        master.left[i] += static_cast<float>(hl);
        master.right[i] += static_cast<float>(hr);
    }
    RemoveOffset(master.left, rate);
    RemoveOffset(master.right, rate);
    return master;
}

}  // namespace tools::assets::audio
