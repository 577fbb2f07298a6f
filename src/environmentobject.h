#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointF>

#include "motion.h"

class QPainter;

// A picture that scrolls left with the world.
class EnvironmentObject : public QObject {
    Q_OBJECT
public:
    EnvironmentObject(QObject* parent, double speed, QPointF pos);

    QPixmap image() const { return m_image; }
    double speed() const { return m_speed; }
    void setSpeed(double speed) { m_speed = speed; }
    QPointF pos() const { return m_pos; }
    void setPos(QPointF pos) { m_pos = pos; }
    bool isOutOfScreen() const { return m_outOfScreen; }
    void setOutOfScreen(bool outOfScreen) { m_outOfScreen = outOfScreen; }

public slots:
    void shift();
    // At `fraction` of the way from the last step's start to now.
    void paint(QPainter& painter, double fraction = 1.0);

public:
    Motion motion;

protected:
    QPixmap m_image;

private:
    double m_speed;
    QPointF m_pos;
    bool m_outOfScreen = false;
};

class Cloud : public EnvironmentObject {
    Q_OBJECT
public:
    Cloud(QObject* parent, double speed, QPointF pos);
};
