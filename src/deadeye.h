#pragma once

#include <QColor>
#include <QObject>

class ProgressBar;
class StepTimer;

// The slow-motion aiming skill "死亡之眼": holds the energy, the on/off
// state and the time factor every moving part multiplies by.
class DeadEye : public QObject {
    Q_OBJECT
public:
    explicit DeadEye(QObject* parent = nullptr);

    // The upgrade logic writes the first two; the window's step fades the veil.
    double maxEnergy = 50.0;
    double recovery = 2.0;
    QColor veilColor;

    void activate(double factor);
    void deactivate();
    void reset();

    bool isActive() const { return m_active; }
    double timeFactor() const { return m_timeFactor; }
    double energy() const { return m_energy; }
    void setEnergy(double energy) { m_energy = energy; }
    int rechargeDelay() const { return m_rechargeDelay; }
    ProgressBar* bar() const { return m_bar; }
    StepTimer* timer() const { return m_timer; }

public slots:
    void updateEnergy();
    void updateBar();

signals:
    void state_changed();

private:
    double m_energy = 50.0;
    double m_timeFactor = 1.0;
    bool m_active = false;
    int m_rechargeDelay = 30;
    StepTimer* m_timer;
    ProgressBar* m_bar;
};
