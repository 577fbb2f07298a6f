#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QSize>

class EnvironmentObject;
class GameRandom;
class Ground;
class QPainter;

// The scrolling backdrop: ground segments and clouds, the light-grey
// background and the win screen's end picture.
class EnvironmentSystem : public QObject {
    Q_OBJECT
public:
    EnvironmentSystem(QRect screenRect, double speed, QObject* parent = nullptr);
    // Bump slopes have no parent, so the segments are deleted here explicitly.
    ~EnvironmentSystem() override;

    double speed() const { return m_speed; }
    void setSpeed(double speed);
    QRect screenRect() const { return m_screenRect; }
    void setScreenRect(QRect rect) { m_screenRect = rect; }
    void resetEnd();
    // The end picture fades in by one step.
    void advanceEnd();
    QColor endColor() const { return m_endColor; }
    // The run's generator, which the ground and the clouds draw from.
    void setRandom(GameRandom* random) { m_random = random; }

    const QList<Ground*>& grounds() const { return m_grounds; }
    const QList<EnvironmentObject*>& clouds() const { return m_clouds; }

public slots:
    void updateMovement();
    void updateState(double groundY);
    // At `fraction` of the way from the last step's start to now.
    void paintEnvironment(QPainter& painter, double fraction = 1.0);
    // Where everything was when the step began.
    void rememberPositions();
    void paintEnd(QPainter& painter);
    void paintWhiteBackground(QPainter& painter);

private:
    void removeGround();
    void generateGround(double groundY);
    void removeCloud();
    void generateCloud();
    const QPixmap& scaledEndImage(QSize size);

    GameRandom* m_random;
    QList<Ground*> m_grounds;
    QList<EnvironmentObject*> m_clouds;
    QRect m_screenRect;
    double m_speed;
    QColor m_endColor;
    QPixmap m_endImage;
    QPixmap m_scaledEndImage;
    QSize m_scaledEndSize;
};
