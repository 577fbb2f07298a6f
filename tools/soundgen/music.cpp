#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

using namespace synth;

namespace {

constexpr int kStepsPerBeat = 4; // the sequencer's grid is sixteenth notes
constexpr double kMusicPeak = 0.8;
constexpr double kMusicRms = 0.3;

// One instrument's line. Notes are written "A4/2": a note name (with # or b),
// its octave and its length in sixteenths; "r/4" is a rest.
struct Part {
    Tone instrument; // wave, envelope, loudness; pitch and timing come from the notes
    double gate;     // how much of each note's slot sounds
    std::string notes;
};

// A drum line: one character per sixteenth, k kick, s snare, h hi-hat, - nothing;
// spaces between bars are only for reading. It also sets the tune's length.
struct Tune {
    const char* name;
    double bpm;
    std::vector<Part> parts;
    std::string drums;
    Overflow overflow; // loops wrap, the jingle simply ends
};

int semitoneOf(char letter) {
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
    }
    throw std::invalid_argument(std::string("not a note: ") + letter);
}

// Returns the MIDI note of "C#5" and the like; -1 for the rest "r".
int midiNoteOf(const std::string& name) {
    if (name == "r")
        return -1;
    std::size_t at = 1;
    int semitone = semitoneOf(name.at(0));
    if (name.at(at) == '#' || name.at(at) == 'b')
        semitone += name.at(at++) == '#' ? 1 : -1;
    return 12 * (std::stoi(name.substr(at)) + 1) + semitone;
}

std::string repeated(const std::string& bar, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += bar + ' ';
    return out;
}

class Sequencer {
public:
    Sequencer(double bpm, Overflow overflow, int totalSteps)
        : m_stepSeconds(std::lround(kSampleRate * 60.0 / bpm / kStepsPerBeat) /
                        double(kSampleRate)),
          m_overflow(overflow) {
        if (overflow == Overflow::Wrap)
            m_out.assign(std::size_t(std::lround(totalSteps * m_stepSeconds * kSampleRate)), 0.0);
    }

    void play(const Part& part) {
        std::istringstream tokens(part.notes);
        std::string token;
        int step = 0;
        while (tokens >> token) {
            const std::size_t slash = token.find('/');
            const int note = midiNoteOf(token.substr(0, slash));
            const int steps = std::stoi(token.substr(slash + 1));
            if (note >= 0)
                hit(part.instrument, noteHz(note), step, steps * part.gate);
            step += steps;
        }
    }

    void drum(const std::string& pattern) {
        int at = 0;
        for (char beat : pattern) {
            switch (beat) {
            case 'k':
                strike(triangle(150, 40, 0.13).envelope(0.001, 0.05, 0.5, 0.06), at);
                break;
            case 's':
                strike(noise(6000, 3000, 0.12).gain(0.55).envelope(0.001, 0.03, 0.35, 0.07), at);
                strike(triangle(240, 160, 0.06).gain(0.5).envelope(0.001, 0.02, 0.5, 0.03), at);
                break;
            case 'h':
                strike(noise(11000, 11000, 0.035).gain(0.25).envelope(0.001, 0.01, 0.3, 0.02), at);
                break;
            case ' ':
                continue; // bar separators take no time
            }
            ++at;
        }
    }

    Samples take() { return std::move(m_out); }

private:
    void hit(Tone tone, double hz, int step, double steps) {
        tone.fromHz = tone.toHz = hz;
        tone.length = steps * m_stepSeconds;
        strike(tone, step);
    }

    void strike(Tone tone, int step) {
        tone.start = step * m_stepSeconds;
        mix(m_out, tone, m_overflow);
    }

    double m_stepSeconds;
    Overflow m_overflow;
    Samples m_out;
};

Sound perform(const Tune& tune) {
    const auto steps =
        std::count_if(tune.drums.begin(), tune.drums.end(), [](char beat) { return beat != ' '; });
    Sequencer sequencer(tune.bpm, tune.overflow, int(steps));
    for (const Part& part : tune.parts)
        sequencer.play(part);
    sequencer.drum(tune.drums);
    Sound sound{tune.name, sequencer.take()};
    normalize(sound.samples, kMusicPeak, kMusicRms);
    return sound;
}

Tone lead(double duty, double level) {
    return square(440, 440, 1, duty)
        .gain(level)
        .vibrato(5.5, 0.12)
        .envelope(0.004, 0.08, 0.6, 0.04);
}

Tone bass() {
    return triangle(110, 110, 1).envelope(0.003, 0.05, 0.8, 0.03);
}

// Menu and run: A minor, bright and running.
Tune mainLoop() {
    const std::string arp =
        repeated("A4/1 C5/1 E5/1 C5/1", 4) + repeated("F4/1 A4/1 C5/1 A4/1", 4) +
        repeated("G4/1 C5/1 E5/1 C5/1", 4) + repeated("G4/1 B4/1 D5/1 B4/1", 4) +
        repeated("A4/1 C5/1 E5/1 C5/1", 4) + repeated("F4/1 A4/1 C5/1 A4/1", 4) +
        repeated("G4/1 B4/1 D5/1 B4/1", 4) + repeated("G#4/1 B4/1 E5/1 B4/1", 4);
    const std::string bassLine =
        repeated("A2/2 A2/2 A3/2 A2/2", 2) + repeated("F2/2 F2/2 F3/2 F2/2", 2) +
        repeated("C3/2 C3/2 C4/2 C3/2", 2) + repeated("G2/2 G2/2 G3/2 G2/2", 2) +
        repeated("A2/2 A2/2 A3/2 A2/2", 2) + repeated("F2/2 F2/2 F3/2 F2/2", 2) +
        repeated("G2/2 G2/2 G3/2 G2/2", 2) + repeated("E2/2 E2/2 E3/2 E2/2", 2);
    const std::string melody = "A4/4 C5/2 E5/2 D5/2 C5/2 B4/2 C5/2 "
                               "A4/6 F4/2 A4/2 C5/2 A4/4 "
                               "G4/4 C5/2 E5/2 G5/4 E5/2 C5/2 "
                               "D5/6 B4/2 G4/4 B4/2 D5/2 "
                               "E5/4 A5/4 G5/2 E5/2 C5/2 E5/2 "
                               "F5/4 E5/2 D5/2 C5/4 A4/4 "
                               "B4/4 D5/2 G5/2 F5/2 E5/2 D5/2 B4/2 "
                               "G#4/4 B4/4 E5/6 r/2";
    return {
        "music_main",
        150,
        {{lead(0.5, 0.55), 0.85, melody}, {lead(0.125, 0.18), 0.7, arp}, {bass(), 0.8, bassLine}},
        repeated("k-h-s-hkk-h-s-h-", 7) + "k-h-s-hks-sss-s-",
        Overflow::Wrap};
}

// The saucer fight: D minor, faster, with the A major chord pulling back home.
Tune bossLoop() {
    const std::string arp =
        repeated("D4/1 F4/1 A4/1 F4/1", 4) + repeated("D4/1 F4/1 Bb4/1 F4/1", 4) +
        repeated("D4/1 G4/1 Bb4/1 G4/1", 4) + repeated("C#4/1 E4/1 A4/1 E4/1", 4) +
        repeated("D4/1 F4/1 A4/1 F4/1", 4) + repeated("D4/1 F4/1 Bb4/1 F4/1", 4) +
        repeated("D4/1 G4/1 Bb4/1 G4/1", 2) + repeated("C#4/1 E4/1 A4/1 E4/1", 2) +
        repeated("C#4/1 E4/1 A4/1 E4/1", 4);
    const std::string bassLine =
        repeated("D2/1 D2/1 D3/1 D2/1", 4) + repeated("Bb1/1 Bb1/1 Bb2/1 Bb1/1", 4) +
        repeated("G2/1 G2/1 G3/1 G2/1", 4) + repeated("A2/1 A2/1 A3/1 A2/1", 4) +
        repeated("D2/1 D2/1 D3/1 D2/1", 4) + repeated("Bb1/1 Bb1/1 Bb2/1 Bb1/1", 4) +
        repeated("G2/1 G2/1 G3/1 G2/1", 2) + repeated("A2/1 A2/1 A3/1 A2/1", 2) +
        repeated("A2/1 A2/1 A3/1 A2/1", 4);
    const std::string melody = "D5/2 r/2 D5/2 F5/2 A5/4 G5/2 F5/2 "
                               "D5/2 r/2 D5/2 F5/2 Bb5/4 A5/2 F5/2 "
                               "G5/4 F5/2 E5/2 D5/4 Bb4/4 "
                               "C#5/4 E5/4 A5/4 G5/2 E5/2 "
                               "A5/2 r/2 A5/2 F5/2 D5/2 F5/2 A5/2 D6/2 "
                               "Bb5/4 A5/2 G5/2 F5/4 D5/4 "
                               "G5/2 F5/2 E5/2 D5/2 E5/2 F5/2 G5/2 A5/2 "
                               "C#6/6 A5/2 E5/4 r/4";
    return {
        "music_boss",
        170,
        {{lead(0.25, 0.5), 0.85, melody}, {lead(0.125, 0.16), 0.6, arp}, {bass(), 0.75, bassLine}},
        repeated("k-hks-hkk-hks-hs", 7) + "ksksks-sk-s-sss-",
        Overflow::Wrap};
}

// The win screen: a short C major fanfare that ends on a held high C.
Tune winJingle() {
    Tone held = lead(0.5, 0.55);
    held.vibrato(6, 0.25).envelope(0.004, 0.1, 0.7, 0.6);
    Tone harmony = lead(0.25, 0.3);
    harmony.envelope(0.004, 0.1, 0.7, 0.6);
    return {"jingle_win",
            150,
            {{held, 0.9, "G4/2 C5/2 E5/2 G5/4 E5/2 G5/2 C6/12"},
             {harmony, 0.9, "E4/2 G4/2 C5/2 E5/4 C5/2 E5/2 G5/12"},
             {bass(), 0.9, "C3/2 C3/2 C3/2 C3/4 G2/4 C3/12"}},
            "kkk-s-k-s-k---------------",
            Overflow::Grow};
}

} // namespace

std::vector<Sound> music() {
    return {perform(mainLoop()), perform(bossLoop()), perform(winJingle())};
}
