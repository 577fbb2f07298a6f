#include "pacing.h"

#include "gameclock.h"
#include "gamedriver.h"
#include "motion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {
constexpr double kGroundSpeed = 8.0;
constexpr int kFrames = 3000;
// The first frames, before the clock has stepped twice, are left out.
constexpr int kWarmUpFrames = 10;
constexpr double kNsPerSecond = 1e9;
constexpr double kNsPerMs = 1e6;

double coefficientOfVariation(const QList<double>& values) {
    double sum = 0.0;
    for (double v : values)
        sum += v;
    const double mean = sum / values.size();
    double squares = 0.0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / values.size()) / mean;
}

// The clock stepped by wall time at each presented frame, a point moving
// 8 px a step, drawn at fraction 1 (before) and at the frame's fraction (after).
PacingPoint pace(int hz) {
    GameClock clock;
    double x = 0.0;
    Motion motion;
    QObject::connect(&clock, &GameClock::aboutToStep, [&] {
        motion.remember(QPointF(x, 0.0));
        x -= kGroundSpeed;
    });
    QList<double> before, after;
    double lastBefore = 0.0, lastAfter = 0.0;
    for (int frame = 0; frame <= kFrames; ++frame) {
        const qint64 wall = std::llround(frame * kNsPerSecond / hz);
        clock.catchUp(wall);
        const double drawnBefore = motion.drawnAt(QPointF(x, 0.0), 1.0).x();
        const double drawnAfter = motion.drawnAt(QPointF(x, 0.0), clock.fraction(wall)).x();
        if (frame > kWarmUpFrames) {
            before << lastBefore - drawnBefore;
            after << lastAfter - drawnAfter;
        }
        lastBefore = drawnBefore;
        lastAfter = drawnAfter;
    }
    return {hz, coefficientOfVariation(before), coefficientOfVariation(after)};
}
} // namespace

QList<PacingPoint> measurePacing(const QList<int>& refreshRates) {
    QList<PacingPoint> points;
    for (int hz : refreshRates)
        points << pace(hz);
    return points;
}

ClockDrift measureClockDrift(int seconds) {
    GameDriver game;
    std::atomic<bool> busy{true};
    std::vector<std::thread> spinners;
    const int threads = std::max(1, QThread::idealThreadCount());
    for (int i = 0; i < threads; ++i) {
        spinners.emplace_back([&busy] {
            volatile quint64 n = 0;
            while (busy.load(std::memory_order_relaxed))
                n = n + 1;
        });
    }
    const qint64 stepsBefore = game->clock()->steps();
    QElapsedTimer wall;
    wall.start();
    game->clock()->startPacing(game.widget());
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    game->clock()->stopPacing();
    const double wallMs = wall.nsecsElapsed() / kNsPerMs;
    busy = false;
    for (std::thread& spinner : spinners)
        spinner.join();
    const double gameMs = double(game->clock()->steps() - stepsBefore) * GameClock::kStepMs;
    return {wallMs, gameMs, threads};
}
