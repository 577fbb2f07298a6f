#include "steptimer.h"

void StepTimer::start() {
    m_elapsed = 0;
    m_active = true;
}

void StepTimer::start(int milliseconds) {
    m_interval = milliseconds;
    start();
}

void StepTimer::advance(int milliseconds) {
    if (!m_active || m_interval <= 0)
        return;
    const qint64 before = m_elapsed / m_interval;
    m_elapsed += milliseconds;
    // A slot may stop the timer: it then fires no more in this step.
    for (qint64 due = m_elapsed / m_interval - before; due > 0 && m_active; --due)
        emit timeout();
}
