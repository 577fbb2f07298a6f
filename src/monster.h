#pragma once

#include "motion.h"

#include <QObject>
#include <QPixmap>
#include <QPointF>

#include <climits>

class Animation;
class CrashBox;
class ProgressBar;

// The flying saucer: a passive object the monster system moves, hurts,
// animates and draws. Looks: 1 healthy, 2 damaged, 3 exploding.
class Monster : public QObject {
    Q_OBJECT
public:
    // Its looks (the type), and the health a fresh saucer starts with.
    static constexpr int kHealthyLook = 1;
    static constexpr int kDamagedLook = 2;
    static constexpr int kExplodingLook = 3;
    static constexpr int kFullHealth = 1000;

    explicit Monster(QObject* parent = nullptr);

    void setType(int type);
    void explode(const QPixmap& sheet);

    QPointF pos() const { return m_pos; }
    // Where it was when the step began, for frames drawn between steps.
    Motion motion;
    void setPos(QPointF pos) { m_pos = pos; }
    double vy() const { return m_vy; }
    void setVy(double vy) { m_vy = vy; }
    int health() const { return m_health; }
    void setHealth(int health) { m_health = health; }
    // Saturating: absurd hand-edited damage must not wrap a beaten saucer back to health.
    void decreaseHealth(int amount) { m_health = saturate(qint64(m_health) - amount); }
    void increaseHealth(int amount) { m_health = saturate(qint64(m_health) + amount); }
    bool isHealthy() const;
    bool isEntering() const { return m_entering; }
    void setEntering(bool entering) { m_entering = entering; }
    int type() const { return m_type; }
    QPixmap frame() const { return m_frame; }
    // The monster system replaces the shown frame on every animation step.
    void setFrame(const QPixmap& frame) { m_frame = frame; }
    double frameWidth() const { return m_frame.width(); }
    double frameHeight() const { return m_frame.height(); }
    QPixmap sheet() const { return m_sheet; }
    ProgressBar* healthBar() const { return m_healthBar; }
    CrashBox* crashBox() const { return m_crashBox; }
    Animation* animation() const { return m_animation; }

public slots:
    void updateBar();
    void updateCrashBox(int type);

private:
    static int saturate(qint64 value) {
        return int(qBound(qint64(INT_MIN), value, qint64(INT_MAX)));
    }
    void startAnimation(double frameWidth, int ticksPerFrame);

    QPixmap m_sheet;
    QPixmap m_frame;
    Animation* m_animation = nullptr;
    ProgressBar* m_healthBar = nullptr;
    CrashBox* m_crashBox = nullptr;
    QPointF m_pos;
    double m_vy = 2.0;
    int m_health = kFullHealth;
    bool m_entering = true;
    int m_type = 1;
};
