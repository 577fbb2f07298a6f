#pragma once

#include <QObject>
#include <QString>

// The player's choices beside the controls: volumes, window, language, how
// the slow motion is held and how fast the game runs. Read from QSettings when
// made, remembered at every change, announced by a signal for each.
class GameOptions : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxVolume = 100;
    static constexpr int kVolumeStep = 10;
    static constexpr int kMinGameSpeed = 60;
    static constexpr int kMaxGameSpeed = 100;
    static constexpr int kGameSpeedStep = 10;

    explicit GameOptions(QObject* parent = nullptr);

    // Percent, 0-100; the sound keeps them under the same settings keys.
    int musicVolume() const { return m_musicVolume; }
    int effectsVolume() const { return m_effectsVolume; }
    bool isFullScreen() const { return m_fullScreen; }
    // "zh" or "en"; the system's language until the player picks one.
    QString language() const { return m_language; }
    // Press once to start the slow motion and again to stop, instead of holding.
    bool isSlowMotionToggled() const { return m_slowMotionToggled; }
    // Percent of the normal speed, 60-100: every game step lasts 100 / speed as long.
    int gameSpeed() const { return m_gameSpeed; }
    // How many times longer than normal each game step lasts: 1 at full speed.
    double stepStretch() const { return double(kMaxGameSpeed) / m_gameSpeed; }

    // Out-of-range values are brought into range; an unknown language is refused.
    void setMusicVolume(int percent);
    void setEffectsVolume(int percent);
    void setFullScreen(bool on);
    void setLanguage(const QString& code);
    void setSlowMotionToggled(bool toggled);
    void setGameSpeed(int percent);

signals:
    void musicVolumeChanged(int percent);
    void effectsVolumeChanged(int percent);
    void fullScreenChanged(bool on);
    void languageChanged(const QString& code);
    void slowMotionToggledChanged(bool toggled);
    void gameSpeedChanged(int percent);
    // After any of the above.
    void changed();

private:
    template <typename T> bool store(T& field, const T& value, const char* key);

    int m_musicVolume = kMaxVolume;
    int m_effectsVolume = kMaxVolume;
    bool m_fullScreen = false;
    QString m_language;
    bool m_slowMotionToggled = false;
    int m_gameSpeed = kMaxGameSpeed;
};
