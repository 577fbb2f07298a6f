#pragma once

#include <QList>

// How evenly the ground moves from one presented frame to the next on a
// display of a given refresh rate: the coefficient of variation of its
// movement, drawn as the game did before its frames were interpolated (the
// last step's picture) and as it does now.
struct PacingPoint {
    int hz = 0;
    double before = 0.0;
    double after = 0.0;
};

QList<PacingPoint> measurePacing(const QList<int>& refreshRates);

// Game time against wall time over a paced run of the real window while every
// core is kept busy by other threads.
struct ClockDrift {
    double wallMs = 0.0;
    double gameMs = 0.0;
    int busyThreads = 0;
};

ClockDrift measureClockDrift(int seconds);
