#include "animation.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "crashbox.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "obstacle.h"
#include "pixmaps.h"
#include "scoreboard.h"
#include "testsupport.h"

#include <QSet>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {
const QRect kScreen(0, 0, 1920, 1080);
constexpr double kPi = 3.14159265358979323846;
// Far enough from every obstacle placed near the origin.
const QPointF kFarAway(1500.0, 900.0);

enum Kind { KindCactus, KindBird, KindHead, KindBall };
} // namespace

class TestObstacles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void collisionWithCharacter_data();
    void collisionWithCharacter();
    void killOrder_data();
    void killOrder();
    void bulletDestroysAndCredits_data();
    void bulletDestroysAndCredits();
    void hitBulletPassesThroughOtherObstacles();
    void twoBulletsCreditTwice();
    void destroyedObstacleMovesButNoLongerCollides();
    void explosionEndsAfterFiveFrames();
    void cactusRemains_data();
    void cactusRemains();
    void birdAndHeadRemains();
    void ballLeavesNoRemains();
    void birdDropSequence();
    void birdDropsFromTheDestroyingStep();
    void birdCrashBox();
    void projectileCrashBoxes();
    void ballWaitsThenAccelerates();
    void ballExplodesAtTheGroundWithoutScore();
    void headReaimsBeyondLockDistance();
    void headFliesStraightInsideLockDistance();
    void destroyedHeadAccelerates();
    void headTargetEdgeCases();
    void cactusKinds();

private:
    void fire(QPointF from, QPointF to);
    // Puts the character's top-left corner at pos and rebuilds its box there.
    void placeCharacter(QPointF pos);
    // Builds an obstacle of the kind whose box covers the character, which stands at (0, 0).
    Obstacle* makeTouching(Kind kind);
    void shift(Kind kind, Obstacle* obstacle);

    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    std::unique_ptr<QObject> m_root;
    EnvironmentSystem* m_environment = nullptr;
    GameCharacter* m_character = nullptr;
    BulletSystem* m_bullets = nullptr;
    ScoreBoard* m_score = nullptr;
};

void TestObstacles::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    m_root = std::make_unique<QObject>();
    m_environment = new EnvironmentSystem(kScreen, 8.0, m_root.get());
    m_character = new GameCharacter(m_environment, m_root.get());
    m_character->setGroundY(10000.0);
    placeCharacter(kFarAway);
    m_bullets = new BulletSystem(kScreen, m_root.get());
    m_score = new ScoreBoard(m_root.get());
    for (QTimer* timer : m_root->findChildren<QTimer*>())
        timer->stop();
}

void TestObstacles::cleanup() {
    m_root.reset();
    m_dir.reset();
}

void TestObstacles::fire(QPointF from, QPointF to) {
    m_bullets->shoot(from, to.toPoint());
    // Clear the cooldown by hand: the timers are stopped.
    while (m_bullets->shootCD() > 0)
        m_bullets->updateShootCD();
}

void TestObstacles::placeCharacter(QPointF pos) {
    m_character->setPosition(pos);
    m_character->updateCrashBox(m_character->posture());
}

Obstacle* TestObstacles::makeTouching(Kind kind) {
    Obstacle* obstacle = nullptr;
    switch (kind) {
    case KindCactus:
        obstacle = new Cacti(m_root.get());
        break;
    case KindBird:
        obstacle = new Bird(m_root.get());
        break;
    case KindHead:
        obstacle = new Head(loadPixmap(":/images/heads.png"), m_root.get());
        break;
    case KindBall:
        obstacle = new Ball(loadPixmap(":/images/ball.png"), 0, m_root.get());
        break;
    }
    obstacle->setPos(QPointF(10.0, 10.0));
    obstacle->setSpeed(0.0);
    obstacle->setCharacter(m_character);
    obstacle->setBulletSystem(m_bullets);
    obstacle->setScoreBoard(m_score);
    placeCharacter(QPointF(0.0, 0.0));
    return obstacle;
}

void TestObstacles::shift(Kind kind, Obstacle* obstacle) {
    switch (kind) {
    case KindCactus:
        obstacle->shift();
        break;
    case KindBird:
        static_cast<Bird*>(obstacle)->shift();
        break;
    case KindHead:
        static_cast<Head*>(obstacle)->shift();
        break;
    case KindBall:
        static_cast<Ball*>(obstacle)->shift();
        break;
    }
}

void TestObstacles::collisionWithCharacter_data() {
    QTest::addColumn<int>("kindValue");
    QTest::addColumn<bool>("invincible");
    QTest::addColumn<int>("score");

    QTest::newRow("cactus, invincible") << int(KindCactus) << true << 10;
    QTest::newRow("bird, invincible") << int(KindBird) << true << 20;
    QTest::newRow("head, invincible") << int(KindHead) << true << 25;
    QTest::newRow("ball, invincible") << int(KindBall) << true << 25;
    QTest::newRow("cactus, vulnerable") << int(KindCactus) << false << 0;
    QTest::newRow("bird, vulnerable") << int(KindBird) << false << 0;
    QTest::newRow("head, vulnerable") << int(KindHead) << false << 0;
    QTest::newRow("ball, vulnerable") << int(KindBall) << false << 0;
}

void TestObstacles::collisionWithCharacter() {
    QFETCH(int, kindValue);
    const auto kind = static_cast<Kind>(kindValue);
    QFETCH(bool, invincible);
    QFETCH(int, score);

    Obstacle* obstacle = makeTouching(kind);
    m_character->setInvincible(invincible);
    QSignalSpy crashed(obstacle, &Obstacle::crashed);
    shift(kind, obstacle);

    QCOMPARE(m_score->score(), score);
    QCOMPARE(obstacle->hitPos(), obstacle->pos());
    if (invincible) {
        QVERIFY(!obstacle->active);
        QVERIFY(obstacle->exploding);
        QCOMPARE(m_character->health(), 1.0);
        QCOMPARE(crashed.count(), 0);
        // Destroyed once: a second step credits nothing more.
        shift(kind, obstacle);
        QCOMPARE(m_score->score(), score);
    } else {
        QVERIFY(obstacle->active);
        QVERIFY(!obstacle->exploding);
        QCOMPARE(m_character->health(), 0.0);
        QCOMPARE(crashed.count(), 1);
    }
}

void TestObstacles::killOrder_data() {
    QTest::addColumn<int>("kindValue");
    QTest::addColumn<double>("healthWhenCrashed");

    // Cacti and birds report the crash before the character dies; projectiles after.
    QTest::newRow("cactus") << int(KindCactus) << 1.0;
    QTest::newRow("bird") << int(KindBird) << 1.0;
    QTest::newRow("head") << int(KindHead) << 0.0;
    QTest::newRow("ball") << int(KindBall) << 0.0;
}

void TestObstacles::killOrder() {
    QFETCH(int, kindValue);
    const auto kind = static_cast<Kind>(kindValue);
    QFETCH(double, healthWhenCrashed);

    Obstacle* obstacle = makeTouching(kind);
    m_character->setInvincible(false);
    QList<double> seen;
    connect(obstacle, &Obstacle::crashed, this,
            [&seen, this] { seen.append(m_character->health()); });
    shift(kind, obstacle);
    QCOMPARE(seen, QList<double>{healthWhenCrashed});
}

void TestObstacles::bulletDestroysAndCredits_data() {
    QTest::addColumn<int>("kindValue");
    QTest::addColumn<int>("score");

    QTest::newRow("cactus") << int(KindCactus) << 10;
    QTest::newRow("bird") << int(KindBird) << 20;
    QTest::newRow("head") << int(KindHead) << 25;
    QTest::newRow("ball") << int(KindBall) << 25;
}

void TestObstacles::bulletDestroysAndCredits() {
    QFETCH(int, kindValue);
    const auto kind = static_cast<Kind>(kindValue);
    QFETCH(int, score);

    Obstacle* obstacle = makeTouching(kind);
    obstacle->setPos(QPointF(300.0, 300.0));
    placeCharacter(kFarAway);
    // Keep the head from steering towards the character: it starts inside its lock distance.
    if (kind == KindHead)
        static_cast<Head*>(obstacle)->setLockDistance(100000.0);
    // Crosses the obstacle's box horizontally through the middle of its frame.
    const double y = 300.0 + obstacle->frame.height() / 2;
    fire(QPointF(300.0 + obstacle->frame.width() / 2 - 7, y), QPointF(1900.0, y));
    QSignalSpy hit(m_bullets->bullets().first(), &Bullet::hit);

    shift(kind, obstacle);
    QCOMPARE(hit.count(), 1);
    QVERIFY(m_bullets->bullets().first()->isHit());
    QVERIFY(!obstacle->active);
    QVERIFY(obstacle->exploding);
    QCOMPARE(obstacle->hitPos(), obstacle->pos());
    QCOMPARE(m_score->score(), score);
    QCOMPARE(m_character->health(), 1.0);
}

void TestObstacles::hitBulletPassesThroughOtherObstacles() {
    auto* first = new Cacti(m_root.get());
    auto* second = new Cacti(m_root.get());
    for (Cacti* cactus : {first, second}) {
        cactus->setPos(QPointF(200.0, 200.0));
        cactus->setSpeed(0.0);
        cactus->setBulletSystem(m_bullets);
        cactus->setScoreBoard(m_score);
    }
    fire(QPointF(195.0, 240.0), QPointF(1000.0, 240.0));

    first->shift();
    second->shift();
    QVERIFY(!first->active);
    QVERIFY(second->active);
    QVERIFY(!second->exploding);
    QCOMPARE(m_score->score(), 10);
}

void TestObstacles::twoBulletsCreditTwice() {
    auto* cactus = new Cacti(m_root.get());
    cactus->setPos(QPointF(200.0, 200.0));
    cactus->setSpeed(0.0);
    cactus->setBulletSystem(m_bullets);
    cactus->setScoreBoard(m_score);
    fire(QPointF(195.0, 220.0), QPointF(1000.0, 220.0));
    fire(QPointF(195.0, 260.0), QPointF(1000.0, 260.0));
    // A third bullet that misses changes nothing.
    fire(QPointF(195.0, 100.0), QPointF(1000.0, 100.0));

    cactus->shift();
    QCOMPARE(m_score->score(), 20);
    QVERIFY(m_bullets->bullets().at(0)->isHit());
    QVERIFY(m_bullets->bullets().at(1)->isHit());
    QVERIFY(!m_bullets->bullets().at(2)->isHit());
}

void TestObstacles::destroyedObstacleMovesButNoLongerCollides() {
    auto* cactus = new Cacti(m_root.get());
    cactus->setPos(QPointF(208.0, 200.0));
    cactus->setSpeed(8.0);
    cactus->setBulletSystem(m_bullets);
    cactus->setScoreBoard(m_score);
    cactus->setCharacter(m_character);
    cactus->active = false;
    cactus->exploding = true;
    placeCharacter(QPointF(200.0, 200.0));
    fire(QPointF(195.0, 240.0), QPointF(1000.0, 240.0));

    cactus->shift();
    QCOMPARE(cactus->pos(), QPointF(200.0, 200.0));
    QCOMPARE(m_score->score(), 0);
    QVERIFY(!m_bullets->bullets().first()->isHit());
    QCOMPARE(m_character->health(), 1.0);
}

void TestObstacles::explosionEndsAfterFiveFrames() {
    auto* cactus = new Cacti(m_root.get());
    QCOMPARE(cactus->explosion->frameWidth, 180.0);
    QCOMPARE(cactus->explosion->frameCount, 5);
    QCOMPARE(cactus->explosion->ticksPerFrame, 1);
    cactus->active = false;
    cactus->exploding = true;
    for (int i = 0; i < 4; ++i) {
        cactus->frame = cactus->explosion->play();
        QVERIFY(!cactus->finished);
    }
    cactus->frame = cactus->explosion->play();
    QVERIFY(cactus->finished);
    QVERIFY(!cactus->exploding);
    // The last explosion frame stays until the next animation step.
    QCOMPARE(cactus->frame.size(), QSize(180, 180));
}

void TestObstacles::cactusRemains_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("width");

    QTest::newRow("type 1") << 1 << 50;
    QTest::newRow("type 4") << 4 << 50;
    QTest::newRow("type 5") << 5 << 100;
}

void TestObstacles::cactusRemains() {
    QFETCH(int, type);
    QFETCH(int, width);

    auto* cactus = new Cacti(m_root.get());
    cactus->setType(type);
    cactus->setPos(QPointF(100.0, 400.0));
    cactus->updateCrashBox();
    cactus->exploding = true;
    cactus->explosionFinished();

    QVERIFY(cactus->finished);
    QVERIFY(!cactus->exploding);
    // The flattened cactus (30 high) keeps the 87-pixel cactus's bottom edge.
    QCOMPARE(cactus->pos(), QPointF(100.0, 457.0));
    QCOMPARE(cactus->image().size(), QSize(width, 30));
    QCOMPARE(cactus->frame.size(), QSize(width, 30));
    QVERIFY(cactus->animation);
    QCOMPARE(cactus->animation->frameCount, 1);
    QCOMPARE(cactus->animation->currentFrame, 0);
    QVERIFY(cactus->crashBox()->rects().isEmpty());
}

void TestObstacles::birdAndHeadRemains() {
    auto* bird = new Bird(m_root.get());
    bird->setPos(QPointF(50.0, 200.0));
    bird->explosionFinished();
    QCOMPARE(bird->pos(), QPointF(50.0, 200.0));
    QCOMPARE(bird->frame.size(), QSize(91, 80));
    QCOMPARE(bird->animation->frameCount, 1);
    QVERIFY(bird->crashBox()->rects().isEmpty());

    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    head->setPos(QPointF(50.0, 200.0));
    head->explosionFinished();
    QCOMPARE(head->pos(), QPointF(50.0, 205.0));
    QCOMPARE(head->frame.size(), QSize(70, 70));
    QCOMPARE(head->image().size(), QSize(70, 70));
    QVERIFY(head->crashBox()->rects().isEmpty());
}

void TestObstacles::ballLeavesNoRemains() {
    auto* ball = new Ball(loadPixmap(":/images/ball.png"), 0, m_root.get());
    ball->setPos(QPointF(50.0, 200.0));
    ball->updateCrashBox();
    ball->exploding = true;
    for (int i = 0; i < 5; ++i)
        ball->frame = ball->explosion->play();
    QVERIFY(ball->finished);
    QVERIFY(!ball->animation);
    QCOMPARE(ball->pos(), QPointF(50.0, 200.0));
    QCOMPARE(ball->frame.size(), QSize(180, 180));
    QVERIFY(ball->crashBox()->rects().isEmpty());
}

void TestObstacles::birdDropSequence() {
    auto* bird = new Bird(m_root.get());
    bird->setPos(QPointF(0.0, 100.0));
    QList<double> falls;
    for (int i = 0; i < 17; ++i) {
        const double before = bird->pos().y();
        bird->drop();
        falls.append(bird->pos().y() - before);
    }
    const QList<double> expected{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 3, 4, 5, 6, 8};
    QCOMPARE(falls, expected);
    QCOMPARE(bird->dropCount(), 17);
}

void TestObstacles::birdDropsFromTheDestroyingStep() {
    auto* bird = new Bird(m_root.get());
    bird->setPos(QPointF(400.0, 100.0));
    bird->setSpeed(10.0);
    bird->setBulletSystem(m_bullets);
    bird->setScoreBoard(m_score);
    // After the bird's step of 10 px its body spans x 419..437.
    fire(QPointF(420.0, 120.0), QPointF(420.0, 1000.0));

    bird->shift();
    QCOMPARE(m_score->score(), 20);
    QCOMPARE(bird->dropCount(), 1);
    bird->shift();
    QCOMPARE(bird->dropCount(), 2);
    // Still drifting left with the ground.
    QCOMPARE(bird->pos(), QPointF(380.0, 100.0));

    // An alive bird never drops.
    auto* alive = new Bird(m_root.get());
    alive->setSpeed(1.0);
    alive->shift();
    QCOMPARE(alive->dropCount(), 0);
}

void TestObstacles::birdCrashBox() {
    auto* bird = new Bird(m_root.get());
    QCOMPARE(bird->type(), 6);
    QCOMPARE(bird->height(), 80.0);
    QCOMPARE(bird->frame.size(), QSize(91, 80));
    QCOMPARE(bird->animation->ticksPerFrame, 2);
    bird->setPos(QPointF(100.5, 50.0));
    bird->updateCrashBox();
    const QList<QRectF> expected{QRectF(104.5, 61, 24, 27), QRectF(129.5, 55, 18, 64),
                                 QRectF(147.5, 85, 36, 18)};
    QCOMPARE(bird->crashBox()->rects(), expected);
}

void TestObstacles::projectileCrashBoxes() {
    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    QCOMPARE(head->type(), 7);
    QCOMPARE(head->frame.size(), QSize(76, 75));
    QCOMPARE(head->lockDistance(), 240.0);
    QVERIFY(head->isHoming());
    head->setPos(QPointF(10.5, 20.0));
    head->updateCrashBox();
    // 76 x 75: w/8 = 9, 7w/8 = 66; h/8 = 9, 7h/8 = 65.
    QCOMPARE(head->crashBox()->rects(), QList<QRectF>{QRectF(19.5, 29, 57, 56)});

    auto* ball = new Ball(loadPixmap(":/images/ball.png"), 7, m_root.get());
    QCOMPARE(ball->type(), 8);
    QCOMPARE(ball->delay(), 7);
    QCOMPARE(ball->height(), 76.0);
    QCOMPARE(ball->frame.size(), QSize(76, 76));
    ball->setPos(QPointF(-3.0, 4.0));
    ball->updateCrashBox();
    QCOMPARE(ball->crashBox()->rects(), QList<QRectF>{QRectF(6, 13, 57, 57)});
}

void TestObstacles::ballWaitsThenAccelerates() {
    auto* ball = new Ball(loadPixmap(":/images/ball.png"), 3, m_root.get());
    ball->setCharacter(m_character);
    ball->setAngle(0.0);
    ball->setSpeed(2.0);
    ball->setPos(QPointF(100.0, 100.0));

    for (int i = 0; i < 3; ++i) {
        ball->shift();
        QCOMPARE(ball->pos(), QPointF(100.0, 100.0));
        QCOMPARE(ball->speed(), 2.0);
    }
    QCOMPARE(ball->delay(), 0);
    ball->shift();
    QCOMPARE(ball->pos().x(), 102.0);
    QCOMPARE(ball->speed(), 2.3);
    ball->shift();
    QCOMPARE(ball->pos().x(), 104.3);

    // Destroyed balls keep flying and keep speeding up.
    ball->active = false;
    ball->shift();
    QVERIFY(qFuzzyCompare(ball->pos().x(), 106.9));
    QVERIFY(qFuzzyCompare(ball->speed(), 2.9));
}

void TestObstacles::ballExplodesAtTheGroundWithoutScore() {
    m_character->setGroundY(300.0);
    auto* ball = new Ball(loadPixmap(":/images/ball.png"), 0, m_root.get());
    ball->setCharacter(m_character);
    ball->setScoreBoard(m_score);
    ball->setAngle(kPi / 2);
    ball->setSpeed(10.0);
    ball->setPos(QPointF(0.0, 284.9));
    ball->setHitPos(QPointF(1.0, 2.0));

    ball->shift(); // y 294.9: still above groundY + 5
    QVERIFY(ball->active);
    ball->shift(); // y 305.2
    QVERIFY(ball->pos().y() >= 305.0);
    QVERIFY(!ball->active);
    QVERIFY(ball->exploding);
    QCOMPARE(m_score->score(), 0);
    QCOMPARE(ball->hitPos(), QPointF(1.0, 2.0));
}

void TestObstacles::headReaimsBeyondLockDistance() {
    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    head->setCharacter(m_character);
    head->setSpeed(4.0);
    head->setTarget(QPointF(1000.0, 0.0)); // far from the head's centre
    placeCharacter(QPointF(600.0, 300.0));

    head->shift();
    // The character's centre uses integer halves of its 87 x 94 frame.
    const QPointF center(643.0, 347.0);
    QCOMPARE(head->target(), center);
    const QPointF firstDirection = center / std::hypot(center.x(), center.y());
    QVERIFY(qFuzzyCompare(head->direction().x(), firstDirection.x()));
    QVERIFY(qFuzzyCompare(head->direction().y(), firstDirection.y()));
    QVERIFY(qFuzzyCompare(head->pos().x(), 4.0 * firstDirection.x()));

    placeCharacter(QPointF(600.0, 0.0));
    const QPointF before = head->pos();
    head->shift();
    QCOMPARE(head->target(), QPointF(643.0, 47.0));
    const QPointF v = QPointF(643.0, 47.0) - before;
    QVERIFY(qFuzzyCompare(head->direction().y(), v.y() / std::hypot(v.x(), v.y())));
    QVERIFY(head->isHoming());
}

void TestObstacles::headFliesStraightInsideLockDistance() {
    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    head->setCharacter(m_character);
    head->setSpeed(5.0);
    head->setPos(QPointF(300.0, 300.0));
    placeCharacter(QPointF(900.0, 300.0));
    head->shift(); // far: aims at the character
    const QPointF target = head->target();
    const QPointF direction = head->direction();

    // Within 240 px of the target (centre to target): homing stops.
    head->setPos(target - QPointF(38.0 + 100.0, 37.0));
    head->shift();
    QVERIFY(!head->isHoming());
    // The character walks far away again; the head keeps its course.
    placeCharacter(QPointF(100.0, 900.0));
    for (int i = 0; i < 3; ++i)
        head->shift();
    QCOMPARE(head->target(), target);
    QCOMPARE(head->direction(), direction);
}

void TestObstacles::destroyedHeadAccelerates() {
    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    head->setTarget(QPointF(30.0, 40.0)); // direction (0.6, 0.8)
    head->setSpeed(10.0);
    head->active = false;
    head->shift();
    QVERIFY(qFuzzyCompare(head->pos().x(), 6.0));
    QVERIFY(qFuzzyCompare(head->pos().y(), 8.0));
    QCOMPARE(head->speed(), 10.5);
    head->shift();
    QVERIFY(qFuzzyCompare(head->pos().x(), 6.0 + 6.3));
    QCOMPARE(head->speed(), 11.0);
}

void TestObstacles::headTargetEdgeCases() {
    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    head->setPos(QPointF(5.0, 5.0));
    head->setTarget(QPointF(5.0, 5.0));
    QCOMPARE(head->direction(), QPointF(0.0, 1.0));
    // Distance from the centre (integer halves of 76 x 75: +38, +37).
    head->setTarget(QPointF(43.0, 142.0));
    QCOMPARE(head->distanceToTarget(), 100.0);

    // Once homing has stopped, a new target is ignored.
    head->setCharacter(m_character);
    head->setLockDistance(500.0);
    head->shift();
    QVERIFY(!head->isHoming());
    const QPointF target = head->target();
    head->setTarget(QPointF(1000.0, 1000.0));
    QCOMPARE(head->target(), target);
}

void TestObstacles::cactusKinds() {
    QSet<int> seen;
    for (int i = 0; i < 300; ++i) {
        Cacti cactus;
        const int type = cactus.type();
        QVERIFY2(type >= 1 && type <= 5, qPrintable(QString::number(type)));
        seen.insert(type);
        const int width = type == 5 ? 100 : 50;
        QCOMPARE(cactus.frame.size(), QSize(width, 87));
        QCOMPARE(cactus.image().size(), QSize(width, 87));
        QCOMPARE(cactus.height(), 87.0);
        QVERIFY(!cactus.animation);
        QCOMPARE(cactus.crashBox()->rects(), QList<QRectF>{QRectF(0, 0, width, 87)});
    }
    QCOMPARE(seen.size(), 5);
}

QTEST_MAIN(TestObstacles)
#include "tst_obstacles.moc"
