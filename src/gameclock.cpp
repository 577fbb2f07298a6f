#include "gameclock.h"

#include "steptimer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kFallbackRefreshHz = 60.0;
constexpr double kNsPerSecond = 1e9;
constexpr double kNsPerMs = 1e6;
} // namespace

GameClock::GameClock(QObject* parent) : QObject(parent), m_frameTimer(new QTimer(this)) {
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    m_frameTimer->setSingleShot(true);
    connect(m_frameTimer, &QTimer::timeout, this, &GameClock::onFrame);
}

void GameClock::step() {
    emit aboutToStep();
    for (StepTimer* timer : std::as_const(m_timers))
        timer->advance(kStepMs);
    ++m_steps;
}

void GameClock::setStepLength(double milliseconds) {
    if (milliseconds > 0.0)
        m_stepNs = std::llround(milliseconds * 1e6);
}

int GameClock::catchUp(qint64 wallNs) {
    const qint64 due = std::max<qint64>(0, (wallNs - m_consumedNs) / m_stepNs);
    const int run = int(std::min<qint64>(due, kMaxCatchUp));
    for (int i = 0; i < run; ++i)
        step();
    // Further behind than that, game time lets go of wall time instead of spiralling.
    m_consumedNs = due > kMaxCatchUp ? wallNs : m_consumedNs + run * m_stepNs;
    return run;
}

double GameClock::fraction(qint64 wallNs) const {
    return std::clamp(double(wallNs - m_consumedNs) / double(m_stepNs), 0.0, 1.0);
}

void GameClock::startPacing(QWidget* window) {
    m_paced = true;
    m_wall.start();
    m_consumedNs = 0;
    if (QWindow* handle = window->windowHandle()) {
        connect(handle, &QWindow::screenChanged, this, &GameClock::followScreen,
                Qt::UniqueConnection);
    }
    followScreen(window->screen());
}

void GameClock::stopPacing() {
    m_paced = false;
    m_frameTimer->stop();
}

void GameClock::followScreen(QScreen* screen) {
    if (!m_paced)
        return;
    const double hz =
        screen && screen->refreshRate() > 1.0 ? screen->refreshRate() : kFallbackRefreshHz;
    m_framePeriodNs = std::llround(kNsPerSecond / hz);
    m_nextFrameNs = m_wall.nsecsElapsed();
    scheduleFrame();
}

// Each frame is due a whole period after the last one was, so that timer
// rounding to milliseconds never drifts the rate; a frame too late starts again from now.
void GameClock::scheduleFrame() {
    const qint64 now = m_wall.nsecsElapsed();
    m_nextFrameNs += m_framePeriodNs;
    if (m_nextFrameNs < now)
        m_nextFrameNs = now + m_framePeriodNs;
    m_frameTimer->start(int(std::llround(double(m_nextFrameNs - now) / kNsPerMs)));
}

void GameClock::onFrame() {
    catchUp(m_wall.nsecsElapsed());
    emit frameDue();
    scheduleFrame();
}
