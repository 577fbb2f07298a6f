#pragma once

#include "gamedriver.h"

#include <QList>
#include <QString>

// CPU time used by the whole process so far, in nanoseconds.
qint64 processCpuNs();

// The shared game driver with the timings only the benchmark needs. The window
// sits at 1920 x 1080 with enough banked essence that the upgrade screen shows
// its confirm button; it is not a first start.
class BenchGame : public GameDriver {
public:
    BenchGame();

    // Both return the wall time of the call in nanoseconds; the upkeep runs before the clock.
    qint64 timedTick();
    qint64 timedPaint();
    // The floor: one opaque and one translucent fill of the same image, the least
    // pixel work a DeadEye frame must do. Returns its wall time in nanoseconds.
    qint64 timedFloor();
};

// Per-frame costs of one scene, in nanoseconds, in the order they were measured.
struct SceneSamples {
    QString name;
    QList<qint64> update;
    QList<qint64> paint;
    // Process CPU time of update and paint together (all threads): what the frame
    // cost without the waits for a core that other programs on the machine cause.
    QList<qint64> cpu;
    // The floor, measured once before every frame of the scene, under the same conditions.
    QList<qint64> floor;
    // Obstacles, boss projectiles and bullets in play, summed over the measured frames.
    qint64 objectSum = 0;
};

// The scripted scenes, played one after the other on one window as a player
// would: each starts and ends in the menu. Every frame is one tick (the scene
// tick and the slower timers in their true ratio) and one whole-window paint.
class SceneScript {
public:
    // bossRounds: how often the approach and the worst-case fight are played per pass.
    SceneScript(BenchGame& game, int bossRounds);

    // One pass through every scene; false if a scene could not be reached.
    bool playAll();
    // Without recording the samples lists stay as they are, so a long run holds no
    // memory of its own that grows with the number of frames.
    void setRecording(bool recording) { m_recording = recording; }
    const QList<SceneSamples>& samples() const { return m_samples; }

private:
    template <typename Hook> void measure(const QString& scene, int frames, Hook beforeTick);
    template <typename Hook> bool frameUntil(int limit, Hook done);

    void menuIdle();
    bool runningGame();
    bool deadEyeScene();
    bool dashScene();
    bool bossScenes();
    bool upgradeScreen();

    bool fillObstacles();
    bool hasFullLoad() const;
    void keepAlive();
    void keepAliveInFight();
    void keepSaucerAway();
    void keepEnergy();
    void topUpObstacles();
    void aimAndHoldFire();
    void releaseFire();
    void launchWorstCase();
    void launchFrame();
    void record(const QString& scene, qint64 floor, qint64 update, qint64 paint, qint64 cpu);
    SceneSamples* findScene(const QString& scene);
    bool leaveRun();
    int objectsInPlay() const;

    BenchGame& m_game;
    int m_bossRounds;
    bool m_recording = true;
    QList<SceneSamples> m_samples;
};

// Scaling sweep: for each size, that many boss projectiles in flight all over the
// window during DeadEye, with bullets flying through them.
struct SweepPoint {
    int balls = 0;
    double ballsInFlight = 0.0;
    QList<qint64> update;
    QList<qint64> paint;
    QList<qint64> cpu;
};
QList<SweepPoint> runSweep(const QList<int>& sizes);
