#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QRect>

class Bullet;
class DeadEye;
class ProgressBar;
class QPainter;
class StepTimer;

// The gun's bullets in flight, the magazine, the cooldown and the slow reload.
class BulletSystem : public QObject {
    Q_OBJECT
public:
    BulletSystem(const QRect& screenRect, QObject* parent = nullptr);

    void setDeadEye(DeadEye* deadEye);
    void reset(const QRect& screenRect);
    void shoot(const QPointF& from, const QPoint& to);

    const QList<Bullet*>& bullets() const { return m_bullets; }
    void setDamage(double damage);
    double damage() const { return m_damage; }
    int capacity() const { return m_capacity; }
    void setCapacity(int capacity) { m_capacity = capacity; }
    int bulletCount() const { return m_bulletCount; }
    bool isReloadPaused() const { return m_reloadPaused; }
    void setReloadPaused(bool paused) { m_reloadPaused = paused; }
    QRect screenRect() const { return m_screenRect; }
    void setScreenRect(const QRect& rect) { m_screenRect = rect; }
    int shootCD() const { return m_shootCD; }
    int reloadDelay() const { return m_reloadDelay; }
    ProgressBar* bar() const { return m_bar; }
    StepTimer* shootTimer() const { return m_shootTimer; }
    StepTimer* reloadTimer() const { return m_reloadTimer; }

signals:
    // The magazine has just been filled up again.
    void reloaded();

public slots:
    void updateMovement();
    void updateState();
    void updateBar();
    void updateShootCD();
    void removeBullets();
    void loadOneBullet();
    // At `fraction` of the way from the last step's start to now.
    void paintBullets(QPainter& painter, double fraction = 1.0);

public:
    // Where every bullet was when the step began.
    void rememberPositions();

private:
    QList<Bullet*> m_bullets;
    QPixmap m_targetImage;
    StepTimer* m_reloadTimer;
    StepTimer* m_shootTimer;
    ProgressBar* m_bar;
    QRect m_screenRect;
    int m_bulletCount = 10;
    int m_capacity = 10;
    DeadEye* m_deadEye = nullptr;
    int m_shootCD = 0;
    int m_reloadDelay = 5;
    bool m_reloadPaused = false;
    double m_damage = 10.0;
};
