#include "gameclock.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "monstersystem.h"
#include "widget.h"

#include <QTimer>

namespace {
// The game's own timer intervals, in milliseconds.
constexpr int kSceneMs = 20;
constexpr int kCrashCheckMs = 30;
constexpr int kShootCooldownMs = 50;
constexpr int kEnergyMs = 200;
constexpr int kReloadMs = 400;
constexpr int kObstacleMs = 500;
constexpr int kEnvironmentMs = 500;
constexpr int kScoreMs = 1000;
} // namespace

GameClock::GameClock(Widget* widget) {
    if (widget)
        attach(widget);
}

void GameClock::attach(Widget* widget) {
    m_widget = widget;
    for (QTimer* timer : widget->timers())
        timer->stop();
}

// How often a timer of this interval fires between now and the end of this tick.
int GameClock::firedDuring(int intervalMs) const {
    return int((m_ms + kSceneMs) / intervalMs - m_ms / intervalMs);
}

void GameClock::tick() {
    Widget& w = *m_widget;
    for (int i = firedDuring(kCrashCheckMs); i > 0; --i)
        w.monsterSystem()->checkCrash();
    for (int i = firedDuring(kShootCooldownMs); i > 0; --i)
        w.bulletSystem()->updateShootCD();
    for (int i = firedDuring(kEnergyMs); i > 0; --i)
        w.deadEye()->updateEnergy();
    for (int i = firedDuring(kReloadMs); i > 0; --i)
        w.bulletSystem()->loadOneBullet();
    for (int i = firedDuring(kObstacleMs); i > 0; --i)
        w.updateObstacles();
    for (int i = firedDuring(kEnvironmentMs); i > 0; --i)
        w.updateEnvironment();
    for (int i = firedDuring(kScoreMs); i > 0; --i)
        w.updateScores();
    w.updateScene();
    m_ms += kSceneMs;
}
