#include "bullet.h"

#include "crashbox.h"
#include "deadeye.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kMinimumSize = 1.0;
const QPointF kDefaultDirection(1.0, 0.0);

// The unit vector along (dx, dy), or the default direction for a zero vector.
QPointF unitVector(double dx, double dy) {
    const double length = std::hypot(dx, dy);
    if (length == 0.0)
        return kDefaultDirection;
    return QPointF(dx / length, dy / length);
}
} // namespace

Bullet::Bullet(double damage, const QPointF& from, const QPointF& to, double speed, double length,
               double width, QObject* parent)
    : QObject(parent), m_length(std::max(kMinimumSize, length)),
      m_width(std::max(kMinimumSize, width)), m_color(Qt::black), m_speed(speed),
      m_direction(unitVector(to.x() - from.x(), to.y() - from.y())), m_position(from), m_target(to),
      m_damage(damage) {
    updateLine();
}

bool Bullet::hitTest(const CrashBox& box) {
    if (!box.intersects(m_line))
        return false;
    emit hit();
    m_isHit = true;
    return true;
}

void Bullet::setPosition(QPointF position) {
    m_position = position;
    updateLine();
}

QPointF Bullet::head() const {
    return m_position + m_direction * m_length;
}

void Bullet::setDirection(double dx, double dy) {
    m_direction = unitVector(dx, dy);
    // A zero vector only resets the direction; the drawn segment waits for the next move.
    if (dx == 0.0 && dy == 0.0)
        return;
    updateLine();
}

void Bullet::setLength(double length) {
    m_length = std::max(kMinimumSize, length);
    updateLine();
}

void Bullet::setWidth(double width) {
    m_width = std::max(kMinimumSize, width);
}

void Bullet::shift() {
    if (!m_deadEye)
        return;
    m_position += m_direction * m_speed * m_deadEye->timeFactor();
    updateLine();
}

void Bullet::paint(QPainter& painter, QPointF offset) {
    const QPen oldPen = painter.pen();
    const QBrush oldBrush = painter.brush();

    QPen pen(m_color);
    pen.setWidthF(m_width);
    painter.setPen(pen);
    // Deliberately left on afterwards: the rest of the frame is drawn smooth too.
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QLineF drawn = m_line.translated(offset);
    painter.drawLines(&drawn, 1);

    painter.setPen(oldPen);
    painter.setBrush(oldBrush);
}

void Bullet::updateLine() {
    m_line = QLineF(m_position, head());
}
