#include "soundboard.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QSettings>

namespace {

// Effects sit a little under full scale so that a few at once don't clip; the
// music sits under them, and lower still while the world is slowed down.
constexpr qreal kEffectVolume = 0.6;
constexpr qreal kMusicVolume = 0.3;
constexpr qreal kSlowMotionMusicVolume = 0.12;
// The output's buffer: short enough to keep effects on the action, long
// enough to ride out a busy frame.
constexpr qsizetype kOutputBufferBytes = SoundMixer::kSampleRate * 2 * 60 / 1000;
constexpr qsizetype kRecordLimit = 4096;

const char* const kSettingsName = "Brimtalon";
const char* const kMutedKey = "sound/muted";

QString soundFile(const char* name) {
    return QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(name));
}

} // namespace

SoundBoard::SoundBoard(QObject* parent)
    : QObject(parent),
      m_muted(QSettings(kSettingsName, kSettingsName).value(kMutedKey, false).toBool()) {
    if (findAudioOutput())
        startOutput();
}

// Qt 6.4's PulseAudio sink, destroyed while running, can still serve a write
// request it queued to itself after its stream is gone and abort; once stopped
// it ignores such requests.
SoundBoard::~SoundBoard() {
    if (m_sink)
        m_sink->stop();
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
    if (m_sink)
        m_mixer.play(clipFor(sfx), kEffectVolume);
}

void SoundBoard::setMusic(Music music) {
    if (music == m_music)
        return;
    m_music = music;
    m_mixer.setMusic(music == Music::None ? nullptr : &m_tracks[int(music)],
                     music != Music::Jingle);
    holdOrReleaseMusic();
}

void SoundBoard::setSlowMotion(bool on) {
    m_slowMotion = on;
    m_mixer.setMusicVolume(musicVolume());
}

void SoundBoard::setPaused(bool paused) {
    m_paused = paused;
    if (paused)
        m_mixer.stopEffects();
    holdOrReleaseMusic();
}

void SoundBoard::setMuted(bool muted, Persist persist) {
    m_muted = muted;
    if (persist == Persist::Remember)
        QSettings(kSettingsName, kSettingsName).setValue(kMutedKey, muted);
    if (muted)
        m_mixer.stopEffects();
    holdOrReleaseMusic();
}

void SoundBoard::toggleMuted() {
    setMuted(!m_muted);
}

bool SoundBoard::isMusicPlaying() const {
    return m_music != Music::None && !m_muted && !m_paused;
}

qreal SoundBoard::musicVolume() const {
    return m_slowMotion ? kSlowMotionMusicVolume : kMusicVolume;
}

// The offscreen platform shows nothing, so it plays nothing either: tests and
// benchmarks stay quiet on a developer's desktop. Looking for an output without
// a sound server makes Qt's audio layer complain on its own; that complaint is
// replaced by one plain line per process.
bool SoundBoard::findAudioOutput() {
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return false;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const bool found = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(previous);
    if (!found)
        reportSilence();
    return found;
}

void SoundBoard::reportSilence() {
    static bool reported = false;
    if (!reported)
        qInfo("Brimtalon: no audio output found, playing without sound.");
    reported = true;
}

void SoundBoard::load() {
    for (int i = 0; i < kSfxCount; ++i)
        for (const QString& path : files(Sfx(i)))
            m_effects[i].append(SoundMixer::loadClip(path));
    for (int i = 1; i < kMusicCount; ++i)
        m_tracks[i] = SoundMixer::loadClip(file(Music(i)));
}

void SoundBoard::startOutput() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isFormatSupported(SoundMixer::format())) {
        reportSilence();
        return;
    }
    load();
    m_mixer.setMusicVolume(musicVolume());
    m_sink = std::make_unique<QAudioSink>(device, SoundMixer::format());
    m_sink->setBufferSize(kOutputBufferBytes);
    m_sink->start(&m_mixer);
    if (m_sink->error() != QAudio::NoError) {
        m_sink.reset();
        reportSilence();
    }
}

// Explosions take their variants in turn so that a row of them doesn't sound
// like one sample repeated.
const QByteArray& SoundBoard::clipFor(Sfx sfx) {
    const QList<QByteArray>& variants = m_effects[int(sfx)];
    if (sfx != Sfx::Explosion)
        return variants.first();
    const QByteArray& clip = variants[m_explosionVariant];
    m_explosionVariant = (m_explosionVariant + 1) % variants.size();
    return clip;
}

void SoundBoard::holdOrReleaseMusic() {
    m_mixer.setMusicHeld(!isMusicPlaying());
}
