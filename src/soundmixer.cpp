#include "soundmixer.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBitsPerSample = 16;
constexpr int kBytesPerSample = kBitsPerSample / 8;
constexpr quint16 kPcm = 1;
constexpr qsizetype kChunkHeader = 8; // id and size
constexpr qsizetype kRiffHeader = 12; // "RIFF", size, "WAVE"
constexpr qsizetype kFormatSize = 16;
constexpr qsizetype kMixChunk = 512; // samples mixed per pass
constexpr qint64 kEndless = 1 << 20; // what an endless stream claims to have ready
constexpr qreal kFullScale = 32768.0;

quint16 word(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 longWord(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

bool isStreamFormat(const QByteArray& chunk) {
    return chunk.size() >= kFormatSize && word(chunk, 0) == kPcm && word(chunk, 2) == 1 &&
           longWord(chunk, 4) == quint32(SoundMixer::kSampleRate) &&
           word(chunk, 14) == kBitsPerSample;
}

} // namespace

QAudioFormat SoundMixer::format() {
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

QByteArray SoundMixer::loadClip(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kRiffHeader || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return {};
    bool streamFormat = false;
    QByteArray samples;
    for (qsizetype at = kRiffHeader; at + kChunkHeader <= bytes.size();) {
        const qsizetype size = longWord(bytes, at + 4);
        const QByteArray chunk = bytes.mid(at + kChunkHeader, size);
        if (chunk.size() != size)
            return {};
        if (bytes.mid(at, 4) == "fmt ")
            streamFormat = isStreamFormat(chunk);
        else if (bytes.mid(at, 4) == "data")
            samples = chunk;
        at += kChunkHeader + size + (size & 1); // chunks are padded to even sizes
    }
    if (!streamFormat || samples.size() % kBytesPerSample != 0)
        return {};
    return samples;
}

// Unbuffered: a read-ahead buffer would mix sounds long before they are heard
// and delay every new effect, pause and mute by as much.
SoundMixer::SoundMixer(QObject* parent) : QIODevice(parent) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void SoundMixer::play(const QByteArray& clip, qreal volume) {
    Voice* voice =
        std::max_element(m_effects.begin(), m_effects.end(), [](const Voice& a, const Voice& b) {
            return (a.clip ? a.position : -1) < (b.clip ? b.position : -1);
        });
    const auto free = std::find_if(m_effects.begin(), m_effects.end(),
                                   [](const Voice& v) { return v.clip == nullptr; });
    if (free != m_effects.end())
        voice = free;
    *voice = Voice{&clip, 0, volume, false};
}

void SoundMixer::stopEffects() {
    m_effects.fill(Voice{});
}

void SoundMixer::setMusic(const QByteArray* clip, bool loop) {
    m_music = Voice{clip, 0, 1.0, loop};
}

qint64 SoundMixer::bytesAvailable() const {
    return kEndless + QIODevice::bytesAvailable();
}

// Silence is mixed too: the output runs on without a stop between sounds.
qint64 SoundMixer::readData(char* data, qint64 maxSize) {
    const qint64 total = maxSize / kBytesPerSample;
    for (qint64 done = 0; done < total; done += kMixChunk) {
        const auto count = qsizetype(std::min<qint64>(kMixChunk, total - done));
        std::array<qreal, kMixChunk> mix{};
        for (Voice& voice : m_effects)
            addVoice(voice, voice.volume, mix.data(), count);
        if (!m_musicHeld)
            addVoice(m_music, m_musicVolume, mix.data(), count);
        for (qsizetype i = 0; i < count; ++i) {
            const qreal level = std::clamp(mix[i] * kFullScale, -kFullScale, kFullScale - 1);
            qToLittleEndian<qint16>(qint16(std::lround(level)),
                                    data + (done + i) * kBytesPerSample);
        }
    }
    return total * kBytesPerSample;
}

qint64 SoundMixer::writeData(const char*, qint64) {
    return -1;
}

void SoundMixer::addVoice(Voice& voice, qreal gain, qreal* mix, qsizetype count) {
    for (qsizetype i = 0; i < count && voice.clip; ++i) {
        const qsizetype length = voice.clip->size() / kBytesPerSample;
        if (voice.position >= length) {
            if (!voice.loop || length == 0) {
                voice.clip = nullptr;
                break;
            }
            voice.position = 0;
        }
        const qint16 sample =
            qFromLittleEndian<qint16>(voice.clip->constData() + voice.position * kBytesPerSample);
        mix[i] += sample / kFullScale * gain;
        ++voice.position;
    }
}
