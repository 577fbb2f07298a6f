#include "soundboard.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>

#include <SDL_mixer.h>

namespace {

// Gain staging: one effect at full volume peaks at 0.89 * 0.4, the music at
// 0.8 * 0.25, so an ordinary moment stays far below full scale; the limiter
// of the output catches the rare pile-up of the loudest moments (every voice
// busy in the boss fight) at -1 dBFS.
constexpr qreal kEffectGain = 0.4;
constexpr qreal kMusicGain = 0.25;
constexpr qreal kSlowMotionMusicGain = 0.1;
constexpr qsizetype kRecordLimit = 4096;
// How often the output is checked for a lost device: at most once every few seconds.
constexpr int kWatchMs = 3000;

const char* const kSettingsName = "Brimtalon";
const char* const kMutedKey = "sound/muted";
const char* const kMusicVolumeKey = "sound/musicVolume";
const char* const kEffectsVolumeKey = "sound/effectsVolume";

QString soundFile(const char* name) {
    return QStringLiteral("sounds:%1.wav").arg(QLatin1String(name));
}

QSettings settings() {
    return QSettings(kSettingsName, kSettingsName);
}

// A remembered volume, or the full one when there is none or it is no percentage.
int savedPercent(const char* key) {
    bool ok = false;
    const int percent = settings().value(key, 100).toInt(&ok);
    return ok && percent >= 0 && percent <= 100 ? percent : 100;
}

void reportSilence() {
    static bool reported = false;
    if (!reported)
        qInfo("Brimtalon: no audio output found, playing without sound.");
    reported = true;
}

} // namespace

SoundBoard::SoundBoard(QObject* parent)
    : QObject(parent), m_muted(settings().value(kMutedKey, false).toBool()),
      m_musicPercent(savedPercent(kMusicVolumeKey)),
      m_effectsPercent(savedPercent(kEffectsVolumeKey)) {
    if (QDir::searchPaths(QStringLiteral("sounds")).isEmpty())
        QDir::setSearchPaths(QStringLiteral("sounds"), {QStringLiteral(":/sounds")});
    if (!wantsOutput())
        return;
    if (!startOutput() && QGuiApplication::platformName() != QLatin1String("offscreen"))
        reportSilence();
    // Not game time: the check only looks after the device.
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &SoundBoard::watchOutput);
    m_watch.start();
}

SoundBoard::~SoundBoard() {
    m_output.close();
    for (const QList<Mix_Chunk*>& variants : m_effects)
        for (Mix_Chunk* clip : variants)
            Mix_FreeChunk(clip);
    for (const Mix_Chunk* track : m_tracks)
        Mix_FreeChunk(const_cast<Mix_Chunk*>(track));
}

QStringList SoundBoard::files(Sfx sfx) {
    switch (sfx) {
    case Sfx::Jump:
        return {soundFile("jump")};
    case Sfx::FastDrop:
        return {soundFile("fast_drop")};
    case Sfx::Land:
        return {soundFile("land")};
    case Sfx::Shot:
        return {soundFile("shot")};
    case Sfx::DryClick:
        return {soundFile("dry_click")};
    case Sfx::Reload:
        return {soundFile("reload")};
    case Sfx::Hit:
        return {soundFile("hit")};
    case Sfx::Explosion:
        return {soundFile("explosion_1"), soundFile("explosion_2"), soundFile("explosion_3")};
    case Sfx::Death:
        return {soundFile("death")};
    case Sfx::Dash:
        return {soundFile("dash")};
    case Sfx::SlowOn:
        return {soundFile("slow_on")};
    case Sfx::SlowOff:
        return {soundFile("slow_off")};
    case Sfx::SaucerApproach:
        return {soundFile("saucer_approach")};
    case Sfx::SaucerHit:
        return {soundFile("saucer_hit")};
    case Sfx::Ring:
        return {soundFile("ring")};
    case Sfx::Fan:
        return {soundFile("fan")};
    case Sfx::Rain:
        return {soundFile("rain")};
    case Sfx::HeadLaunch:
        return {soundFile("head_launch")};
    case Sfx::Victory:
        return {soundFile("victory")};
    case Sfx::Button:
        return {soundFile("button")};
    case Sfx::Upgrade:
        return {soundFile("upgrade")};
    }
    return {};
}

QString SoundBoard::file(Music music) {
    switch (music) {
    case Music::None:
        return {};
    case Music::Main:
        return soundFile("music_main");
    case Music::Boss:
        return soundFile("music_boss");
    case Music::Jingle:
        return soundFile("jingle_win");
    }
    return {};
}

void SoundBoard::play(Sfx sfx) {
    if (m_muted)
        return;
    if (m_played.size() == kRecordLimit)
        m_played.remove(0, kRecordLimit / 2);
    m_played.append(sfx);
    if (Mix_Chunk* clip = m_output.isOpen() ? clipFor(sfx) : nullptr)
        m_output.play(clip, int(sfx));
}

void SoundBoard::setMusic(Music music) {
    if (music == m_music)
        return;
    m_music = music;
    m_output.setTrack(int(music));
    holdOrReleaseMusic();
}

void SoundBoard::setSlowMotion(bool on) {
    m_slowMotion = on;
    m_output.setMusicLevel(float(musicVolume()));
}

void SoundBoard::setPaused(bool paused) {
    m_paused = paused;
    if (paused)
        m_output.fadeOutEffects();
    holdOrReleaseMusic();
}

void SoundBoard::setMuted(bool muted, Persist persist) {
    m_muted = muted;
    if (persist == Persist::Remember)
        settings().setValue(kMutedKey, muted);
    if (muted)
        m_output.fadeOutEffects();
    holdOrReleaseMusic();
}

void SoundBoard::toggleMuted() {
    setMuted(!m_muted);
}

void SoundBoard::setMusicPercent(int percent) {
    m_musicPercent = std::clamp(percent, 0, 100);
    settings().setValue(kMusicVolumeKey, m_musicPercent);
    m_output.setMusicLevel(float(musicVolume()));
}

void SoundBoard::setEffectsPercent(int percent) {
    m_effectsPercent = std::clamp(percent, 0, 100);
    settings().setValue(kEffectsVolumeKey, m_effectsPercent);
    m_output.setEffectsLevel(float(effectsGain()));
}

bool SoundBoard::isMusicPlaying() const {
    return m_music != Music::None && !m_muted && !m_paused;
}

qreal SoundBoard::musicVolume() const {
    return (m_slowMotion ? kSlowMotionMusicGain : kMusicGain) * m_musicPercent / 100;
}

qreal SoundBoard::effectsGain() const {
    return kEffectGain * m_effectsPercent / 100;
}

// The offscreen platform shows nothing, so it plays nothing either (tests and
// benchmarks stay quiet on a developer's desktop) unless a driver is named.
bool SoundBoard::wantsOutput() {
    return QGuiApplication::platformName() != QLatin1String("offscreen") ||
           qEnvironmentVariableIsSet("SDL_AUDIODRIVER");
}

// From memory: the resources are never written out to temporary files.
Mix_Chunk* SoundBoard::loadClip(const QString& path) {
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    Mix_Chunk* clip =
        bytes.isEmpty()
            ? nullptr
            : Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.constData(), int(bytes.size())), 1);
    if (!clip)
        qWarning("Brimtalon: sound %s refused: %s", qPrintable(path),
                 bytes.isEmpty() ? "missing or empty" : Mix_GetError());
    return clip;
}

void SoundBoard::load() {
    for (int i = 0; i < kSfxCount; ++i)
        for (const QString& path : files(Sfx(i)))
            m_effects[i].append(loadClip(path));
    for (int i = 1; i < kMusicCount; ++i)
        m_tracks[i] = loadClip(file(Music(i)));
    m_loaded = true;
}

// Clips are loaded in the output's format, so the first time it opens.
bool SoundBoard::startOutput() {
    if (!m_output.open())
        return false;
    if (!m_loaded)
        load();
    m_output.setEffectsLevel(float(effectsGain()));
    m_output.setMusicLevel(float(musicVolume()));
    m_output.setTrack(int(m_music));
    holdOrReleaseMusic();
    std::array<bool, kMusicCount> loops{};
    loops[int(Music::Main)] = loops[int(Music::Boss)] = true;
    m_output.start(m_tracks, loops);
    return true;
}

// A device that went away is closed, and opened again once there is one.
void SoundBoard::watchOutput() {
    if (m_output.isOpen() && !m_output.isLost())
        return;
    const bool wasLost = m_output.isOpen() || m_loaded;
    m_output.close();
    if (startOutput() && wasLost)
        qInfo("Brimtalon: the audio output was lost and is open again.");
}

// Explosions take their variants in turn so that a row of them doesn't sound
// like one sample repeated.
Mix_Chunk* SoundBoard::clipFor(Sfx sfx) {
    const QList<Mix_Chunk*>& variants = m_effects[int(sfx)];
    if (sfx != Sfx::Explosion)
        return variants.first();
    Mix_Chunk* clip = variants[m_explosionVariant];
    m_explosionVariant = (m_explosionVariant + 1) % variants.size();
    return clip;
}

void SoundBoard::holdOrReleaseMusic() {
    m_output.setMusicHeld(!isMusicPlaying());
}
