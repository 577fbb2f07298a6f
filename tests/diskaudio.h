#pragma once

// Hearing the real mix: SDL's disk driver writes what the sound board's output
// mixes (32-bit float mono at its rate) to a file while it plays.
#include "soundoutput.h"
#include "testsupport.h"

#include <QSettings>
#include <SDL.h>

#include <algorithm>
#include <cmath>

using Samples = QVector<float>;

// Every board built afterwards plays into `path`, a few times faster than real
// time, and keeps its settings beside it, apart from suites running alongside.
inline void hearThrough(const QString& path) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QFileInfo(path).path());
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", path.toLocal8Bit());
    qputenv("SDL_DISKAUDIODELAY", "5");
    SDL_LogSetOutputFunction([](void*, int, SDL_LogPriority, const char*) {},
                             nullptr); // its warning
}

// What the open output writes from now on (a little mixed earlier may come first).
struct Ear {
    QFile file;
    explicit Ear(const QString& path) : file(path) {
        file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        file.seek(file.size());
    }
    // The next `seconds` of output, waiting generously for the driver to write them.
    Samples listen(double seconds) {
        Samples samples(qsizetype(seconds * SoundOutput::kSampleRate));
        const qint64 bytes = samples.size() * qint64(sizeof(float));
        if (!QTest::qWaitFor([&] { return file.size() - file.pos() >= bytes; }, 60000))
            return {};
        samples.resize(file.read(reinterpret_cast<char*>(samples.data()), bytes) / 4);
        return samples;
    }
};

// A 16-bit mono clip at the output's rate as the output mixes it; empty for any other.
inline Samples clipSamples(const QString& path) {
    const QByteArray bytes = readFile(path);
    SDL_AudioSpec wave;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    Samples samples;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.constData(), int(bytes.size())), 1, &wave, &buffer,
                        &length))
        return samples;
    if (wave.format == AUDIO_S16LSB && wave.channels == 1 && wave.freq == SoundOutput::kSampleRate)
        for (Uint32 i = 0; i + 1 < length; i += 2)
            samples.append(qFromLittleEndian<qint16>(buffer + i) / 32768.0f);
    SDL_FreeWAV(buffer);
    return samples;
}

// The gain at which the first sound in `heard` is the whole of `clip` and
// nothing else; 0 when it isn't.
inline double gainOf(const Samples& heard, const Samples& clip) {
    const auto loudest = [](const Samples& s) {
        return std::max_element(s.begin(), s.end(),
                                [](float a, float b) { return std::abs(a) < std::abs(b); }) -
               s.begin();
    };
    const qsizetype at = loudest(heard) - loudest(clip);
    if (clip.isEmpty() || at < 0 || at + clip.size() > heard.size())
        return 0.0;
    const double gain = heard[at + loudest(clip)] / clip[loudest(clip)];
    for (qsizetype i = 0; i < heard.size(); ++i)
        if (std::abs(heard[i] - gain * clip.value(i - at)) > 1e-4)
            return 0.0;
    return gain;
}

// Where `heard` starts in a looping `track` played at `gain`, and for how many
// samples from its start it goes on matching: the place that matches longest.
struct TrackPlace {
    qsizetype at = 0, length = -1;
};
inline TrackPlace placeInTrack(const Samples& heard, const Samples& track, float gain) {
    TrackPlace best;
    for (qsizetype at = 0; at < track.size(); ++at) {
        qsizetype i = 0;
        while (i < heard.size() &&
               std::abs(heard[i] - gain * track[(at + i) % track.size()]) < 1e-5f)
            ++i;
        if (i > best.length)
            best = {at, i};
    }
    return best;
}
