#include "gameoptions.h"

#include "language.h"

#include <QSettings>

#include <algorithm>

namespace {
const char* const kSettingsName = "Brimtalon";
// The volumes are the sound's own keys.
const char* const kMusicVolumeKey = "sound/musicVolume";
const char* const kEffectsVolumeKey = "sound/effectsVolume";
const char* const kFullScreenKey = "options/fullScreen";
const char* const kLanguageKey = "options/language";
const char* const kSlowMotionToggledKey = "options/slowMotionToggled";
const char* const kGameSpeedKey = "options/gameSpeed";

QSettings settings() {
    return QSettings(kSettingsName, kSettingsName);
}

// A remembered whole number within [low, high] and on a step from low, or the fallback.
int savedNumber(const QSettings& store, const char* key, int low, int high, int step,
                int fallback) {
    bool ok = false;
    const int value = store.value(key, fallback).toInt(&ok);
    return ok && value >= low && value <= high && (value - low) % step == 0 ? value : fallback;
}

bool savedFlag(const QSettings& store, const char* key) {
    const QVariant value = store.value(key, false);
    return value.canConvert<bool>() && value.toBool();
}
} // namespace

GameOptions::GameOptions(QObject* parent) : QObject(parent) {
    const QSettings store = settings();
    // The sound takes any whole percentage; so do these.
    m_musicVolume = savedNumber(store, kMusicVolumeKey, 0, kMaxVolume, 1, kMaxVolume);
    m_effectsVolume = savedNumber(store, kEffectsVolumeKey, 0, kMaxVolume, 1, kMaxVolume);
    m_fullScreen = savedFlag(store, kFullScreenKey);
    m_slowMotionToggled = savedFlag(store, kSlowMotionToggledKey);
    m_gameSpeed = savedNumber(store, kGameSpeedKey, kMinGameSpeed, kMaxGameSpeed, kGameSpeedStep,
                              kMaxGameSpeed);
    const QString language = store.value(kLanguageKey).toString();
    m_language = Language::isKnown(language) ? language : Language::forSystem();
}

template <typename T> bool GameOptions::store(T& field, const T& value, const char* key) {
    if (field == value)
        return false;
    field = value;
    settings().setValue(key, value);
    return true;
}

void GameOptions::setMusicVolume(int percent) {
    if (store(m_musicVolume, std::clamp(percent, 0, kMaxVolume), kMusicVolumeKey)) {
        emit musicVolumeChanged(m_musicVolume);
        emit changed();
    }
}

void GameOptions::setEffectsVolume(int percent) {
    if (store(m_effectsVolume, std::clamp(percent, 0, kMaxVolume), kEffectsVolumeKey)) {
        emit effectsVolumeChanged(m_effectsVolume);
        emit changed();
    }
}

void GameOptions::setFullScreen(bool on) {
    if (store(m_fullScreen, on, kFullScreenKey)) {
        emit fullScreenChanged(on);
        emit changed();
    }
}

void GameOptions::setLanguage(const QString& code) {
    if (Language::isKnown(code) && store(m_language, code, kLanguageKey)) {
        emit languageChanged(code);
        emit changed();
    }
}

void GameOptions::setSlowMotionToggled(bool toggled) {
    if (store(m_slowMotionToggled, toggled, kSlowMotionToggledKey)) {
        emit slowMotionToggledChanged(toggled);
        emit changed();
    }
}

void GameOptions::setGameSpeed(int percent) {
    const int onStep =
        kMinGameSpeed + (std::clamp(percent, kMinGameSpeed, kMaxGameSpeed) - kMinGameSpeed) /
                            kGameSpeedStep * kGameSpeedStep;
    if (store(m_gameSpeed, onStep, kGameSpeedKey)) {
        emit gameSpeedChanged(m_gameSpeed);
        emit changed();
    }
}
