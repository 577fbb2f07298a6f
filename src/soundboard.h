#pragma once

#include "soundmixer.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <array>
#include <memory>

class QAudioSink;

// Owns every sound effect and music track of the game. The window tells it
// what happened (play), which track belongs to the screen (setMusic) and the
// states that change how things sound (slow motion, pause, mute). Everything is
// loaded in the constructor, so playing costs nothing per frame.
//
// Without an audio output (a headless machine, CI) and on the offscreen
// platform the board loads nothing and keeps its whole state and record but
// sends nothing anywhere; a real run without an output says so once per process.
class SoundBoard : public QObject {
    Q_OBJECT
public:
    enum class Sfx {
        Jump,
        FastDrop,
        Land, // the landing after a fast drop
        Shot,
        DryClick, // a shot the empty magazine refuses
        Reload,   // the magazine is full again
        Hit,      // a bullet hits an obstacle
        Explosion,
        Death,
        Dash,
        SlowOn,
        SlowOff,
        SaucerApproach,
        SaucerHit,
        Ring,
        Fan,
        Rain,
        HeadLaunch,
        Victory,
        Button,
        Upgrade,
    };
    Q_ENUM(Sfx)
    static constexpr int kSfxCount = int(Sfx::Upgrade) + 1;

    enum class Music { None, Main, Boss, Jingle };
    Q_ENUM(Music)

    // Whether a mute choice is kept for later starts or holds for this run only
    // (starting muted from the command line leaves the saved choice alone).
    enum class Persist { Remember, ThisRunOnly };

    // Loads every sound, starts the output and restores the remembered mute choice.
    explicit SoundBoard(QObject* parent = nullptr);
    ~SoundBoard() override;

    // Plays the effect and adds it to the record; while muted it does neither.
    // Pausing doesn't hold effects back: the pause screen's buttons still click
    // (play the press of the button that pauses after setPaused(true)).
    void play(Sfx sfx);
    // Switches to the track; choosing the current one again doesn't restart it.
    // Main and Boss loop, Jingle plays once, None is silence.
    void setMusic(Music music);
    // The music plays quieter while the slow motion is on.
    void setSlowMotion(bool on);
    // Pausing holds the music and stops every sounding effect; continuing
    // resumes the music where it was held.
    void setPaused(bool paused);
    // Muting stops every effect and holds the music until unmuted.
    void setMuted(bool muted, Persist persist = Persist::Remember);
    void toggleMuted();

    Music music() const { return m_music; }
    bool isPaused() const { return m_paused; }
    bool isMuted() const { return m_muted; }
    // A track is chosen and neither pause nor mute holds it back.
    bool isMusicPlaying() const;
    qreal musicVolume() const;
    bool hasAudioOutput() const { return m_sink != nullptr; }

    // Every effect played (muted requests are not), oldest first; the oldest
    // half is dropped when it grows long, so a long session doesn't grow it.
    const QList<Sfx>& played() const { return m_played; }
    void clearRecord() { m_played.clear(); }

    // The compiled-in files behind each sound: Explosion has several variants.
    static QStringList files(Sfx sfx);
    static QString file(Music music);

private:
    static constexpr int kMusicCount = int(Music::Jingle) + 1;

    static bool findAudioOutput();
    static void reportSilence();
    void load();
    void startOutput();
    const QByteArray& clipFor(Sfx sfx);
    void holdOrReleaseMusic();

    bool m_muted = false;
    bool m_paused = false;
    bool m_slowMotion = false;
    Music m_music = Music::None;
    int m_explosionVariant = 0;
    QList<Sfx> m_played;
    std::array<QList<QByteArray>, kSfxCount> m_effects;
    std::array<QByteArray, kMusicCount> m_tracks;
    SoundMixer m_mixer;
    std::unique_ptr<QAudioSink> m_sink; // after the mixer: it pulls from it until destroyed
};
