#pragma once

#include <QLineF>
#include <QList>
#include <QObject>
#include <QPointF>

#include "motion.h"

class GameRandom;
class QPainter;

// One straight piece of the ground line.
class Ground : public QObject {
    Q_OBJECT
public:
    // Builds a flat segment or, now and then after a flat one, a three-piece
    // bump starting at (x, y), and appends everything it built to `list`.
    Ground(QList<Ground*>& list, double x, double y, double length, double speed,
           GameRandom& random, QObject* parent = nullptr);
    Ground(QPointF p1, QPointF p2, double speed, QObject* parent = nullptr);

    void shift();
    // Drawn `offset` away from where it is, for a frame between two steps.
    void paint(QPainter& painter, QPointF offset = QPointF()) const;
    // Where its first end was when the step began.
    Motion motion;

    QPointF p1() const { return m_line.p1(); }
    void setP1(QPointF p) { m_line.setP1(p); }
    QPointF p2() const { return m_line.p2(); }
    void setP2(QPointF p) { m_line.setP2(p); }
    QLineF line() const { return m_line; }
    double speed() const { return m_speed; }
    void setSpeed(double speed) { m_speed = speed; }

private:
    QLineF m_line;
    double m_speed;
};
