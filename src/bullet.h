#pragma once

#include "motion.h"

#include <QColor>
#include <QLineF>
#include <QObject>
#include <QPointF>

class CrashBox;
class DeadEye;
class QPainter;

// A short thick segment flying from the gun towards a clicked point and past it.
class Bullet : public QObject {
    Q_OBJECT
public:
    Bullet(double damage, const QPointF& from, const QPointF& to, double speed, double length,
           double width, QObject* parent = nullptr);

    bool hitTest(const CrashBox& box);

    void setDeadEye(DeadEye* deadEye) { m_deadEye = deadEye; }
    DeadEye* deadEye() const { return m_deadEye; }
    bool isHit() const { return m_isHit; }
    void setHit() { m_isHit = true; }
    QPointF position() const { return m_position; }
    void setPosition(QPointF position);
    QPointF head() const;
    QPointF target() const { return m_target; }
    QPointF direction() const { return m_direction; }
    void setDirection(double dx, double dy);
    double length() const { return m_length; }
    void setLength(double length);
    double width() const { return m_width; }
    void setWidth(double width);
    double speed() const { return m_speed; }
    void setSpeed(double speed) { m_speed = speed; }
    double damage() const { return m_damage; }
    void setDamage(double damage) { m_damage = damage; }
    QColor color() const { return m_color; }
    void setColor(const QColor& color) { m_color = color; }
    QLineF line() const { return m_line; }

signals:
    void hit();

public slots:
    void shift();
    // Drawn `offset` away from where it is, for a frame between two steps.
    void paint(QPainter& painter, QPointF offset = QPointF());

public:
    Motion motion;

private:
    void updateLine();

    DeadEye* m_deadEye = nullptr;
    double m_length;
    double m_width;
    QColor m_color;
    double m_speed;
    QPointF m_direction;
    QPointF m_position;
    bool m_isHit = false;
    QLineF m_line;
    QPointF m_target;
    double m_damage;
};
