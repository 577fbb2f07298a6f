#pragma once

#include <QCursor>

// The two picture cursors: a pointing hand for everything, and a crosshair
// shown exactly while DeadEye is on.
struct Cursors {
    QCursor aimCursor;
    QCursor pointCursor;

    // Builds both from the compiled-in pictures, at their own size.
    void load();
};
