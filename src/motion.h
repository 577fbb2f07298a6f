#pragma once

#include <QPointF>

// Where a moving thing was at the start of the current step, so that a frame
// drawn between two steps can show it part of the way along. A thing that is
// new since then, or that jumped farther than any step moves it, is shown
// where it is now.
class Motion {
public:
    static constexpr double kJumpDistance = 100.0;

    void remember(QPointF pos) {
        m_previous = pos;
        m_known = true;
    }
    // The place to draw at `fraction` (0: the last step's start, 1: now).
    QPointF drawnAt(QPointF now, double fraction) const;

private:
    QPointF m_previous;
    bool m_known = false;
};
