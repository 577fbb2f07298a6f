#include "skill.h"

#include "environmentsystem.h"
#include "gamecharacter.h"
#include "gameids.h"
#include "progressbar.h"

#include <QColor>
#include <QPointF>

namespace {
constexpr double kBarWidth = 200.0;
constexpr double kBarHeight = 20.0;

// Both clocks count in tenths per scene tick.
constexpr double kClockStep = 0.1;

constexpr int kRushType = 1;
constexpr double kRushEndSpeedFactor = 0.5;
} // namespace

Skill::Skill(GameCharacter* character, EnvironmentSystem* environment, double duration,
             double cooldown, QObject* parent)
    : QObject(parent), m_bar(ProgressBar::panelBar(kBarWidth, kBarHeight, BarType::Skill, this)),
      m_cooldown(cooldown), m_duration(duration), m_character(character),
      m_environment(environment) {
    m_bar->setGrey();
}

void Skill::update() {
    if (!m_ready) {
        m_cooldownLeft -= kClockStep;
        if (m_cooldownLeft <= 0) {
            m_ready = true;
            m_cooldownLeft = 0.0;
        }
    }
    if (m_active) {
        m_elapsed += kClockStep;
        if (m_elapsed >= m_duration && m_skillType == kRushType)
            stop();
    }
    updateBar();
}

void Skill::updateBar() {
    m_bar->setProgress((m_cooldown - m_cooldownLeft) / m_cooldown);
}

void Skill::reset() {
    m_cooldownLeft = 0.0;
    m_elapsed = 0.0;
    m_ready = true;
    m_active = false;
    m_bar->setProgress(1.0);
}

Rush::Rush(GameCharacter* character, EnvironmentSystem* environment, double duration,
           double cooldown, QObject* parent)
    : Skill(character, environment, duration, cooldown, parent) {
    m_skillType = kRushType;
}

void Rush::start() {
    if (!m_ready || m_active)
        return;

    m_character->keepInvincible = true;
    m_ready = false;
    m_active = true;
    m_cooldownLeft = m_cooldown;

    // Aim with the frame width of the posture the dash starts from.
    m_character->autoMove = true;
    m_character->targetX = m_environment->screenRect().width() / 2 - 0.5 * m_character->width();
    m_character->setInvincible(true);
    m_environment->setSpeed(Rush::kSpeedFactor * m_environment->speed());
    m_character->setPosture(Posture::Low);
}

void Rush::stop() {
    m_character->keepInvincible = false;
    m_character->autoMove = true;
    m_character->targetX = GameCharacter::kHomeRatio * m_environment->screenRect().width();
    m_environment->setSpeed(kRushEndSpeedFactor * m_environment->speed());
    m_active = false;
    m_character->setPosture(Posture::Upright);
    m_character->setInvincible(false);
    m_elapsed = 0.0;
}
