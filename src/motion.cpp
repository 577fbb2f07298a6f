#include "motion.h"

#include <cmath>

QPointF Motion::drawnAt(QPointF now, double fraction) const {
    if (!m_known || fraction >= 1.0)
        return now;
    const QPointF travel = now - m_previous;
    if (std::abs(travel.x()) + std::abs(travel.y()) > kJumpDistance)
        return now;
    return m_previous + travel * fraction;
}
