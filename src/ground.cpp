#include "ground.h"

#include "gamerandom.h"

#include <QPainter>
#include <QtMath>

namespace {
constexpr int kChanceRange = 100;
constexpr int kBumpFrom = 80; // draws of 80..99: a 20 % chance of a bump
constexpr int kOffsetRange = 20;
constexpr int kOffsetShift = 10; // offsets -10 .. +9; negative raises the ground
constexpr double kBumpWidth = 50.0;
constexpr double kSlopeBias = 0.5;
constexpr double kMinShare = 0.6; // a piece is 60 % .. 100 % of its nominal length
constexpr double kRandomShare = 0.4;

bool isHorizontal(const Ground* segment) {
    return segment->p1().y() == segment->p2().y();
}
} // namespace

Ground::Ground(QList<Ground*>& list, double x, double y, double length, double speed,
               GameRandom& random, QObject* parent)
    : QObject(parent), m_speed(speed) {
    const int chance = random.bounded(0, kChanceRange - 1);
    const bool bumpAllowed = !list.isEmpty() && list.last() && isHorizontal(list.last());

    if (chance >= kBumpFrom && bumpAllowed) {
        const double r = random.generateDouble();
        const int offset = random.bounded(0, kOffsetRange - 1) - kOffsetShift;
        const double width = (kMinShare + kRandomShare * r) * kBumpWidth;
        const double slope = qAbs((r + kSlopeBias) * offset);
        const double top = y + offset;

        // The slopes are companions without a parent; the environment deletes
        // every segment it drops, parented or not.
        list.append(new Ground(QPointF(x, y), QPointF(x + slope, top), speed));
        m_line = QLineF(x + slope, top, x + width - slope, top);
        list.append(this);
        list.append(new Ground(QPointF(x + width - slope, top), QPointF(x + width, y), speed));
        return;
    }

    const double r = random.generateDouble();
    m_line = QLineF(x, y, x + (kMinShare + kRandomShare * r) * length, y);
    list.append(this);
}

Ground::Ground(QPointF p1, QPointF p2, double speed, QObject* parent)
    : QObject(parent), m_line(p1, p2), m_speed(speed) {}

void Ground::shift() {
    m_line.translate(-m_speed, 0.0);
}

void Ground::paint(QPainter& painter, QPointF offset) const {
    const QLineF drawn = m_line.translated(offset);
    painter.drawLines(&drawn, 1);
}
