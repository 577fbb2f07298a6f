#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A tiny 8-bit style synthesiser: square, triangle and noise voices with
// envelopes and pitch glides, mixed into mono buffers and written as 16-bit
// PCM WAV. Everything is deterministic so regenerating gives identical files.
namespace synth {

constexpr int kSampleRate = 22050;

enum class Wave {
    Square,
    Triangle, // 16-step, like the old consoles' triangle channel
    Noise,    // long pseudo-random sequence, clocked at the voice's pitch
    Metal,    // short looping sequence: a buzzy, metallic noise
};

// One voice: a waveform whose pitch glides exponentially from fromHz to toHz
// over its length, shaped by an attack/decay/sustain/release envelope whose
// release ends exactly at the voice's end.
struct Tone {
    Wave wave = Wave::Square;
    double start = 0.0;  // seconds from the start of the sound
    double length = 0.1; // seconds, release included
    double fromHz = 440.0;
    double toHz = 440.0;
    double volume = 1.0;
    double attack = 0.003;
    double decay = 0.05;
    double sustain = 0.6;
    double release = 0.03;
    double duty = 0.5; // square only: the high part of each period
    double vibratoHz = 0.0;
    double vibratoSemitones = 0.0;
    std::uint16_t seed = 1; // noise only

    Tone& at(double seconds);
    Tone& gain(double level);
    Tone& envelope(double attackS, double decayS, double sustainLevel, double releaseS);
    Tone& vibrato(double hz, double semitones);
    Tone& withDuty(double highPart);
    Tone& withSeed(std::uint16_t value);
};

Tone square(double fromHz, double toHz, double length, double duty = 0.5);
Tone triangle(double fromHz, double toHz, double length);
Tone noise(double fromHz, double toHz, double length);
Tone metal(double fromHz, double toHz, double length);

double noteHz(int midiNote);

using Samples = std::vector<double>;

// What happens to a voice that runs past the buffer's end: a one-shot sound
// grows, a loop carries it over to its start so the loop joins without a seam.
enum class Overflow { Grow, Wrap };

void mix(Samples& out, const Tone& tone, Overflow overflow = Overflow::Grow);
Samples render(const std::vector<Tone>& tones);

// Scales the sound so that its peak reaches `peak` or its RMS level reaches
// `rms`, whichever comes first: loud noise and thin beeps end up equally loud.
void normalize(Samples& samples, double peak, double rms);

// Writes 16-bit PCM mono WAV at kSampleRate; false when the file can't be written.
bool writeWav(const std::string& path, const Samples& samples);

} // namespace synth
