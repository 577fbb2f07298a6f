#pragma once

#include <QObject>

// A periodic timer on game time instead of wall time: the game clock hands it
// each step's milliseconds, and it fires once for every whole interval that
// has passed since it was started.
class StepTimer : public QObject {
    Q_OBJECT
public:
    explicit StepTimer(QObject* parent = nullptr) : QObject(parent) {}

    int interval() const { return m_interval; }
    void setInterval(int milliseconds) { m_interval = milliseconds; }
    bool isActive() const { return m_active; }
    // Starting (again) begins a new phase: the first timeout is one whole interval away.
    void start();
    void start(int milliseconds);
    void stop() { m_active = false; }

    // Game time moves on by `milliseconds`; an active timer fires for every
    // multiple of its interval it passes.
    void advance(int milliseconds);

signals:
    void timeout();

private:
    int m_interval = 0;
    qint64 m_elapsed = 0;
    bool m_active = false;
};
