#pragma once

#include "soundoutput.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <array>

// Owns every sound effect and music track of the game. The window tells it
// what happened (play), which track belongs to the screen (setMusic) and the
// states that change how things sound (slow motion, pause, mute). Everything is
// loaded in the constructor, so playing costs nothing per frame; SDL2_mixer
// mixes on SDL's audio thread (SoundOutput).
//
// Without an audio output (a headless machine, CI) the board loads nothing and
// keeps its whole state and record but sends nothing anywhere; a real run
// without an output says so once per process. The offscreen platform plays
// nothing either unless SDL_AUDIODRIVER names a driver (the tests choose SDL's
// disk driver to hear the mix). The output is watched every few seconds and
// reopened when its device went away.
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

    // Loads every sound, starts the output and restores the remembered mute
    // choice and volumes.
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
    // The music's gain now, slow motion and the music volume included.
    qreal musicVolume() const;
    // The effects' gain, the effects volume included.
    qreal effectsGain() const;
    bool hasAudioOutput() const { return m_output.isOpen(); }

    // The volumes the player chose, in percent (0-100), remembered across starts.
    int musicPercent() const { return m_musicPercent; }
    int effectsPercent() const { return m_effectsPercent; }
    void setMusicPercent(int percent);
    void setEffectsPercent(int percent);

    // Every effect played (muted requests are not), oldest first; the oldest
    // half is dropped when it grows long, so a long session doesn't grow it.
    const QList<Sfx>& played() const { return m_played; }
    void clearRecord() { m_played.clear(); }

    // The files behind each sound, in the "sounds:" search path (the compiled-in
    // :/sounds unless set otherwise before the board is built): Explosion has
    // several variants.
    static QStringList files(Sfx sfx);
    static QString file(Music music);

private:
    static constexpr int kMusicCount = int(Music::Jingle) + 1;

    static_assert(kMusicCount == SoundOutput::kMusicTracks);

    static bool wantsOutput();
    static Mix_Chunk* loadClip(const QString& path);
    bool startOutput();
    void watchOutput();
    void load();
    Mix_Chunk* clipFor(Sfx sfx);
    void holdOrReleaseMusic();

    bool m_muted = false;
    bool m_paused = false;
    bool m_slowMotion = false;
    int m_musicPercent = 100;
    int m_effectsPercent = 100;
    Music m_music = Music::None;
    int m_explosionVariant = 0;
    QList<Sfx> m_played;
    bool m_loaded = false;
    std::array<QList<Mix_Chunk*>, kSfxCount> m_effects; // nullptr where a clip was refused
    std::array<const Mix_Chunk*, kMusicCount> m_tracks{};
    SoundOutput m_output; // after the clips: closed before they are freed
    QTimer m_watch;
};
