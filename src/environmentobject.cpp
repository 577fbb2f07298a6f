#include "environmentobject.h"

#include <QPainter>

#include "pixmaps.h"

namespace {
const QString kCloudPath = QStringLiteral(":/images/cloud.png");
} // namespace

EnvironmentObject::EnvironmentObject(QObject* parent, double speed, QPointF pos)
    : QObject(parent), m_speed(speed), m_pos(pos) {}

void EnvironmentObject::shift() {
    m_pos.rx() -= m_speed;
    if (m_pos.x() + m_image.width() < 0)
        m_outOfScreen = true;
}

void EnvironmentObject::paint(QPainter& painter, double fraction) {
    painter.drawPixmap(motion.drawnAt(m_pos, fraction), m_image);
}

Cloud::Cloud(QObject* parent, double speed, QPointF pos) : EnvironmentObject(parent, speed, pos) {
    m_image = loadPixmap(kCloudPath);
}
