#pragma once

#include "gamerandom.h"
#include "motion.h"

#include <QObject>
#include <QPixmap>
#include <QPointF>

class Animation;
class BulletSystem;
class CrashBox;
class Effect;
class GameCharacter;
class ScoreBoard;

// Something that scrolls towards the dinosaur and kills it on contact:
// alive -> exploding -> finished (remains shown).
class Obstacle : public QObject {
    Q_OBJECT
public:
    explicit Obstacle(QObject* parent = nullptr);

    // The owners read and write these directly.
    Animation* animation = nullptr;
    QPixmap frame;
    // Where it was when the step began, for frames drawn between steps.
    Motion motion;
    Effect* explosion = nullptr;
    bool exploding = false;
    bool finished = false;
    bool active = true;

    virtual void updateCrashBox();
    void explosionFinished();

    QPixmap image() const { return m_sheet; }
    QPointF pos() const { return m_pos; }
    void setPos(QPointF pos) { m_pos = pos; }
    QPointF hitPos() const { return m_hitPos; }
    void setHitPos(QPointF pos) { m_hitPos = pos; }
    double speed() const { return m_speed; }
    void setSpeed(double speed) { m_speed = speed; }
    double height() const { return m_height; }
    void setHeight(double height) { m_height = height; }
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }
    void setCharacter(GameCharacter* character) { m_character = character; }
    void setBulletSystem(BulletSystem* bulletSystem) { m_bulletSystem = bulletSystem; }
    void setScoreBoard(ScoreBoard* scoreBoard) { m_scoreBoard = scoreBoard; }
    // What a new obstacle tests itself against and credits when destroyed.
    void wire(GameCharacter* character, BulletSystem* bulletSystem, ScoreBoard* scoreBoard);
    // The next frame: the explosion's while exploding, else the animation's.
    void advanceFrame();
    CrashBox* crashBox() const { return m_crashBox; }

signals:
    void crashed();
    // For the sound: a bullet struck it, and it was destroyed (by a bullet or the dash).
    void hitByBullet();
    void exploded();

public slots:
    void shift();

protected:
    enum class KillOrder { CrashedThenDie, DieThenCrashed };
    // Tests this obstacle against the character and every bullet in flight.
    void respondToCollisions(KillOrder order);
    int scoreValue() const;
    void destroy();

    QPixmap m_sheet;
    CrashBox* m_crashBox = nullptr;
    double m_height = 20.0;
    double m_speed = 20.0;
    QPointF m_pos;
    QPointF m_hitPos;
    GameCharacter* m_character = nullptr;
    BulletSystem* m_bulletSystem = nullptr;
    ScoreBoard* m_scoreBoard = nullptr;
    int m_type = 1;
};

class Cacti : public Obstacle {
    Q_OBJECT
public:
    explicit Cacti(QObject* parent = nullptr, GameRandom& random = GameRandom::unseeded());
    void updateCrashBox() override;
};

class Bird : public Obstacle {
    Q_OBJECT
public:
    explicit Bird(QObject* parent = nullptr);
    void updateCrashBox() override;
    int dropCount() const { return m_dropCount; }

public slots:
    // Hides Obstacle::shift on purpose: the caller's static type chooses.
    void shift();
    void drop();

private:
    int m_dropCount = 0;
};

class Head : public Obstacle {
    Q_OBJECT
public:
    Head(const QPixmap& sheet, QObject* parent = nullptr);
    void updateCrashBox() override;

    void setTarget(QPointF point);
    QPointF target() const { return m_target; }
    double distanceToTarget() const;
    void setLockDistance(double distance) { m_lockDistance = distance; }
    double lockDistance() const { return m_lockDistance; }
    QPointF direction() const { return m_direction; }
    bool isHoming() const { return m_homing; }

public slots:
    void shift();

private:
    QPointF m_target;
    QPointF m_direction;
    double m_lockDistance = 240.0;
    bool m_homing = true;
};

class Ball : public Obstacle {
    Q_OBJECT
public:
    Ball(const QPixmap& image, int delay, QObject* parent = nullptr);
    void updateCrashBox() override;

    void setAngle(double angle);
    QPointF direction() const { return m_direction; }
    void setDelay(int delay) { m_delay = delay; }
    int delay() const { return m_delay; }

public slots:
    void shift();

private:
    QPointF m_direction;
    int m_delay;
};
