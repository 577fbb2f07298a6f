#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QSize>

class Ball;
class BulletSystem;
class DeadEye;
class EnvironmentSystem;
class GameRandom;
class GameCharacter;
class Head;
class Monster;
class Obstacle;
class QPainter;
class ScoreBoard;
class StepTimer;

// The boss fight: waits for the score, plays the approach, then alternates
// a fighting phase (rings) and an away phase (fan, rain) until the saucer is beaten.
// States: 0 waiting, 1 approach, 2 fighting, 3 beaten, 4 away.
class MonsterSystem : public QObject {
    Q_OBJECT
public:
    MonsterSystem(ScoreBoard* scoreBoard, EnvironmentSystem* environment,
                  BulletSystem* bulletSystem, GameCharacter* character, DeadEye* deadEye,
                  QObject* parent = nullptr);

    void reset();
    int state() const { return m_state; }
    void setState(int state) { m_state = state; }
    int counter() const { return m_counter; }
    int startScore() const { return m_startScore; }
    int rainCount() const { return m_rainCount; }
    Monster* monster() const { return m_monster; }
    const QList<Head*>& heads() const { return m_heads; }
    const QList<Ball*>& balls() const { return m_balls; }
    StepTimer* crashTimer() const { return m_crashTimer; }
    // The run's generator, which the heads' lock distances come from.
    void setRandom(GameRandom* random) { m_random = random; }

    // The attacks, launched by the fight itself; public so that each can be exercised alone.
    void spawnMonster();
    void win();
    void launchHead();
    void launchRing(int waves);
    void launchFan();
    void launchRain(int waves);
    // Where every moving thing was when the step began.
    void rememberPositions();
    // The approach picture moves on once per step, painted or not.
    void advanceApproach();

signals:
    void gameWin();
    // For the sound: the saucer took a hit, an attack or a homing head left,
    // a projectile was struck by a bullet or destroyed.
    void saucerHit();
    void ringLaunched();
    void fanLaunched();
    void rainLaunched();
    void headLaunched();
    void projectileHit();
    void projectileExploded();

public slots:
    void updateState();
    void updateAttack();
    // Moving things at `fraction` of the way from the last step's start to now.
    void paint(QPainter& painter, double fraction = 1.0);
    void updateBar();
    void updatePosition();
    void updateAnimation();
    void checkCrash();

private:
    QPointF monsterCenter() const;
    int screenWidth() const;
    int screenHeight() const;
    void wireProjectile(Obstacle* projectile);
    void arm(Head* head);
    void arm(Ball* ball);
    void removeLostHeads();
    void removeLostBalls();
    void stepHeads();
    void stepBalls();
    void clearProjectiles();
    void paintApproach(QPainter& painter);
    const QPixmap& scaledFlyImage(QSize size);
    void paintProjectilesAndMonster(QPainter& painter, bool skipFinishedBalls);

    int m_startScore = 4;
    int m_state = 0;
    ScoreBoard* m_scoreBoard;
    Monster* m_monster = nullptr;
    GameCharacter* m_character;
    EnvironmentSystem* m_environment;
    BulletSystem* m_bulletSystem;
    DeadEye* m_deadEye;
    QPixmap m_flyImage;
    QPixmap m_headImage;
    QPixmap m_ballImage;
    QPixmap m_explosionImage;
    QPixmap m_scaledFly;
    QSize m_scaledFlySize;
    StepTimer* m_crashTimer;
    GameRandom* m_random;
    int m_counter = 0;
    double m_fraction = 1.0;
    int m_rainCount = 0;
    QList<Head*> m_heads;
    QList<Ball*> m_balls;
};
