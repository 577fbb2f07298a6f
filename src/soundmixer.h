#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QIODevice>

#include <array>

// Mixes the game's sounds into one endless stream that an audio output pulls:
// a handful of effect voices over one music voice. The output is started once
// and never restarted, so there is no stream set-up per sound and Qt 6.4's
// PulseAudio sink, which halves its buffer on every restart until short sounds
// fall silent, never gets the chance.
//
// Clips are 16-bit mono PCM at the stream's rate, as the sound generator writes
// them; the mixer keeps pointers to them, so they must outlive it.
class SoundMixer : public QIODevice {
    Q_OBJECT
public:
    static constexpr int kSampleRate = 22050;

    static QAudioFormat format();
    // The samples of a WAV file in the stream's format; empty when the file is
    // missing or in any other format.
    static QByteArray loadClip(const QString& path);

    explicit SoundMixer(QObject* parent = nullptr);

    // Starts a clip on a free voice; with every voice busy the one that has
    // played longest gives way.
    void play(const QByteArray& clip, qreal volume);
    void stopEffects();
    // A new track starts from its beginning; a null clip is silence.
    void setMusic(const QByteArray* clip, bool loop);
    void setMusicVolume(qreal volume) { m_musicVolume = volume; }
    // A held track keeps its place and continues from it.
    void setMusicHeld(bool held) { m_musicHeld = held; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    struct Voice {
        const QByteArray* clip = nullptr;
        qsizetype position = 0; // in samples
        qreal volume = 0.0;
        bool loop = false;
    };

    static constexpr int kEffectVoices = 8;

    static void addVoice(Voice& voice, qreal gain, qreal* mix, qsizetype count);

    std::array<Voice, kEffectVoices> m_effects;
    Voice m_music;
    qreal m_musicVolume = 1.0;
    bool m_musicHeld = false;
};
