#include "deadeye.h"

#include "gameids.h"
#include "progressbar.h"
#include "steptimer.h"

#include <QPointF>
#include <algorithm>

namespace {
constexpr int kStepIntervalMs = 200;
constexpr double kDrainPerStep = 1.0;
// activate() needs strictly more than this much energy.
constexpr double kMinimumEnergy = 1.0;
constexpr double kNormalTimeFactor = 1.0;
constexpr int kRechargeDelayAfterUse = 10;

constexpr double kBarWidth = 300.0;
constexpr double kBarHeight = 30.0;

const QColor kVeilColor(255, 205, 0, 0);
} // namespace

DeadEye::DeadEye(QObject* parent)
    : QObject(parent), veilColor(kVeilColor), m_timer(new StepTimer(this)),
      m_bar(ProgressBar::panelBar(kBarWidth, kBarHeight, BarType::DeadEye, this)) {
    m_timer->setInterval(kStepIntervalMs);
    connect(m_timer, &StepTimer::timeout, this, &DeadEye::updateEnergy);
    m_timer->start();
}

void DeadEye::activate(double factor) {
    if (m_energy <= kMinimumEnergy) {
        m_active = false;
        m_timeFactor = kNormalTimeFactor;
    } else {
        m_active = true;
        m_timeFactor = std::min(kNormalTimeFactor, factor);
    }
    emit state_changed();
}

void DeadEye::deactivate() {
    m_active = false;
    m_timeFactor = kNormalTimeFactor;
    emit state_changed();
}

void DeadEye::reset() {
    m_energy = maxEnergy;
    veilColor = kVeilColor;
    m_rechargeDelay = kRechargeDelayAfterUse;
    m_active = false;
    m_timeFactor = kNormalTimeFactor;
    emit state_changed();

    // A fresh bar drops the black start-up look for the panel's grey.
    delete m_bar;
    m_bar = ProgressBar::panelBar(kBarWidth, kBarHeight, BarType::DeadEye, this);
    m_bar->setGrey();
    m_bar->setProgress(m_energy / maxEnergy);
}

void DeadEye::updateEnergy() {
    if (m_active) {
        m_rechargeDelay = kRechargeDelayAfterUse;
        m_energy -= kDrainPerStep;
        if (m_energy <= 0) {
            m_energy = 0.0;
            m_active = false;
            m_timeFactor = kNormalTimeFactor;
            emit state_changed();
        }
    }
    if (!m_active) {
        if (m_rechargeDelay < 1)
            m_energy = std::min(maxEnergy, m_energy + recovery);
        else
            --m_rechargeDelay;
    }
}

void DeadEye::updateBar() {
    m_bar->setProgress(m_energy / maxEnergy);
}
