#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>

class QScreen;
class QTimer;
class QWidget;
class StepTimer;

// The one clock of a window: game time advances in fixed steps of kStepMs,
// each step handing those milliseconds to every registered step timer in the
// order they were added. Wall time (a monotonic QElapsedTimer) only decides
// how many steps are due when a frame is drawn; a frame that comes too late
// is caught up by at most kMaxCatchUp steps, and the rest is let go.
class GameClock : public QObject {
    Q_OBJECT
public:
    static constexpr int kStepMs = 20;
    static constexpr int kMaxCatchUp = 5;

    explicit GameClock(QObject* parent = nullptr);

    // Added once, in the order each step serves them.
    void addTimer(StepTimer* timer) { m_timers.append(timer); }
    const QList<StepTimer*>& timers() const { return m_timers; }

    // One step of game time, whatever the wall clock says.
    void step();
    qint64 steps() const { return m_steps; }

    // Wall time one step takes; a slower game stretches every step.
    double stepLength() const { return m_stepNs / 1e6; }
    void setStepLength(double milliseconds);

    // The steps due at wall time `wallNs` (since the clock started), at most
    // kMaxCatchUp; returns how many ran.
    int catchUp(qint64 wallNs);
    // How far wall time `wallNs` lies between the last step (0) and the next (1).
    double fraction(qint64 wallNs) const;
    double fraction() const { return m_paced ? fraction(m_wall.nsecsElapsed()) : 1.0; }

    // Draws frames at the window's screen's refresh rate, stepping the game
    // as wall time demands; stopped, the clock moves only by step().
    void startPacing(QWidget* window);
    void stopPacing();
    bool isPaced() const { return m_paced; }
    // Wall time between two frames, in milliseconds.
    double framePeriod() const { return m_framePeriodNs / 1e6; }

signals:
    // Before each step: its input is taken, and what moves keeps where it was.
    void aboutToStep();
    // A frame is due: the window repaints.
    void frameDue();

private:
    void onFrame();
    void followScreen(QScreen* screen);
    void scheduleFrame();

    QList<StepTimer*> m_timers;
    qint64 m_steps = 0;
    qint64 m_stepNs = qint64(kStepMs) * 1000000;
    QElapsedTimer m_wall;
    qint64 m_consumedNs = 0;
    QTimer* m_frameTimer;
    qint64 m_framePeriodNs = 0;
    qint64 m_nextFrameNs = 0;
    bool m_paced = false;
};
