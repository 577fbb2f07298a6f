#include "synth.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace synth {

namespace {

constexpr double kTriangleSteps = 15.0;
constexpr std::uint16_t kLfsrMask = 0x7fff;
constexpr int kLongTap = 1;  // feedback tap of the long noise sequence
constexpr int kShortTap = 6; // and of the short, metallic one

Tone voice(Wave wave, double fromHz, double toHz, double length) {
    Tone tone;
    tone.wave = wave;
    tone.fromHz = fromHz;
    tone.toHz = toHz;
    tone.length = length;
    return tone;
}

// Smooths the square's jumps over one sample (polyBLEP) so that high notes
// don't fold back into harsh, out-of-tune whistles at this low sample rate.
double blep(double phase, double step) {
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double squareWave(double phase, double step, double duty) {
    double value = phase < duty ? 1.0 : -1.0;
    value += blep(phase, step);
    value -= blep(std::fmod(phase + 1.0 - duty, 1.0), step);
    return value - (2.0 * duty - 1.0); // a narrow pulse would otherwise sit off centre
}

double triangleWave(double phase) {
    const double ramp = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
    return std::round((ramp + 1.0) * kTriangleSteps / 2.0) * 2.0 / kTriangleSteps - 1.0;
}

double envelopeAt(const Tone& tone, double t) {
    double level = tone.sustain;
    if (t < tone.attack)
        level = t / tone.attack;
    else if (t < tone.attack + tone.decay)
        level = 1.0 - (1.0 - tone.sustain) * (t - tone.attack) / tone.decay;
    const double untilEnd = tone.length - t;
    return level * std::clamp(untilEnd / tone.release, 0.0, 1.0);
}

double pitchAt(const Tone& tone, double t) {
    const double glide = std::pow(tone.toHz / tone.fromHz, t / tone.length);
    const double wobble = tone.vibratoSemitones * std::sin(2.0 * M_PI * tone.vibratoHz * t) / 12.0;
    return tone.fromHz * glide * std::pow(2.0, wobble);
}

// Renders a voice sample by sample; noise voices step a 15-bit shift register
// once per period of their pitch.
class Oscillator {
public:
    explicit Oscillator(const Tone& tone) : m_tone(tone), m_lfsr(tone.seed & kLfsrMask) {
        if (m_lfsr == 0)
            m_lfsr = 1;
    }

    double next(double t) {
        const double step = std::min(pitchAt(m_tone, t) / kSampleRate, 1.0);
        m_phase += step;
        while (m_phase >= 1.0) {
            m_phase -= 1.0;
            shiftNoise();
        }
        return waveAt(step) * envelopeAt(m_tone, t) * m_tone.volume;
    }

private:
    void shiftNoise() {
        const int tap = m_tone.wave == Wave::Metal ? kShortTap : kLongTap;
        const std::uint16_t feedback = (m_lfsr ^ (m_lfsr >> tap)) & 1u;
        m_lfsr = static_cast<std::uint16_t>((m_lfsr >> 1) | (feedback << 14));
    }

    double waveAt(double step) const {
        switch (m_tone.wave) {
        case Wave::Square:
            return squareWave(m_phase, step, m_tone.duty);
        case Wave::Triangle:
            return triangleWave(m_phase);
        case Wave::Noise:
        case Wave::Metal:
            return (m_lfsr & 1u) ? 1.0 : -1.0;
        }
        return 0.0;
    }

    const Tone& m_tone;
    double m_phase = 0.0;
    std::uint16_t m_lfsr;
};

} // namespace

Tone& Tone::at(double seconds) {
    start = seconds;
    return *this;
}

Tone& Tone::gain(double level) {
    volume = level;
    return *this;
}

Tone& Tone::envelope(double attackS, double decayS, double sustainLevel, double releaseS) {
    attack = attackS;
    decay = decayS;
    sustain = sustainLevel;
    release = releaseS;
    return *this;
}

Tone& Tone::vibrato(double hz, double semitones) {
    vibratoHz = hz;
    vibratoSemitones = semitones;
    return *this;
}

Tone& Tone::withDuty(double highPart) {
    duty = highPart;
    return *this;
}

Tone& Tone::withSeed(std::uint16_t value) {
    seed = value;
    return *this;
}

Tone square(double fromHz, double toHz, double length, double duty) {
    return voice(Wave::Square, fromHz, toHz, length).withDuty(duty);
}

Tone triangle(double fromHz, double toHz, double length) {
    return voice(Wave::Triangle, fromHz, toHz, length);
}

Tone noise(double fromHz, double toHz, double length) {
    return voice(Wave::Noise, fromHz, toHz, length);
}

Tone metal(double fromHz, double toHz, double length) {
    return voice(Wave::Metal, fromHz, toHz, length);
}

double noteHz(int midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

void mix(Samples& out, const Tone& tone, Overflow overflow) {
    const auto first = static_cast<std::size_t>(std::lround(tone.start * kSampleRate));
    const auto count = static_cast<std::size_t>(std::lround(tone.length * kSampleRate));
    if (overflow == Overflow::Grow && out.size() < first + count)
        out.resize(first + count, 0.0);
    Oscillator oscillator(tone);
    for (std::size_t i = 0; i < count; ++i)
        out[(first + i) % out.size()] += oscillator.next(double(i) / kSampleRate);
}

Samples render(const std::vector<Tone>& tones) {
    Samples out;
    for (const Tone& tone : tones)
        mix(out, tone);
    return out;
}

void normalize(Samples& samples, double peak, double rms) {
    double top = 0.0;
    double energy = 0.0;
    for (double sample : samples) {
        top = std::max(top, std::abs(sample));
        energy += sample * sample;
    }
    if (top == 0.0)
        return;
    const double level = std::sqrt(energy / double(samples.size()));
    const double scale = std::min(peak / top, rms / level);
    for (double& sample : samples)
        sample *= scale;
}

namespace {

void put(std::ofstream& file, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        file.put(static_cast<char>((value >> (8 * i)) & 0xffu));
}

} // namespace

bool writeWav(const std::string& path, const Samples& samples) {
    constexpr int kBytesPerSample = 2;
    constexpr std::uint32_t kFormatChunkSize = 16;
    constexpr std::uint32_t kPcm = 1;
    constexpr std::uint32_t kChannels = 1;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write("RIFF", 4);
    put(file, 36 + dataBytes, 4);
    file.write("WAVEfmt ", 8);
    put(file, kFormatChunkSize, 4);
    put(file, kPcm, 2);
    put(file, kChannels, 2);
    put(file, kSampleRate, 4);
    put(file, kSampleRate * kBytesPerSample, 4);
    put(file, kBytesPerSample, 2);
    put(file, 8 * kBytesPerSample, 2);
    file.write("data", 4);
    put(file, dataBytes, 4);
    for (double sample : samples) {
        const long value = std::lround(std::clamp(sample, -1.0, 1.0) * 32767.0);
        put(file, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)), 2);
    }
    return bool(file);
}

} // namespace synth
