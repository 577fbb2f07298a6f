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
enum Cause { ByInvincible, ByBullet, ByVulnerable };
} // namespace

class TestObstacles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Character touches and bullet hits, for every kind.
    void collision_data();
    void collision();
    void bulletRules();
    void remains_data();
    void remains();
    void birdDrop();
    void sizesAndCrashBoxes();
    void cactusKinds();
    void ballFlight();
    void headHoming();
    void headEdgeCases();

private:
    void fire(QPointF from, QPointF to);
    // Puts the character's top-left corner at pos and rebuilds its box there.
    void placeCharacter(QPointF pos);
    // An obstacle wired to the character, the bullets and the score board.
    Obstacle* make(Kind kind, QPointF pos, double speed = 0.0);
    // Callers pick shift() by static type, as the owners do.
    static void step(Kind kind, Obstacle* obstacle);

    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    std::unique_ptr<QObject> m_root;
    GameCharacter* m_character = nullptr;
    BulletSystem* m_bullets = nullptr;
    ScoreBoard* m_score = nullptr;
};

void TestObstacles::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    m_root = std::make_unique<QObject>();
    auto* environment = new EnvironmentSystem(kScreen, 8.0, m_root.get());
    m_character = new GameCharacter(environment, m_root.get());
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
    while (m_bullets->shootCD() > 0)
        m_bullets->updateShootCD();
}

void TestObstacles::placeCharacter(QPointF pos) {
    m_character->setPosition(pos);
    m_character->updateCrashBox(m_character->posture());
}

Obstacle* TestObstacles::make(Kind kind, QPointF pos, double speed) {
    Obstacle* obstacle = nullptr;
    if (kind == KindCactus)
        obstacle = new Cacti(m_root.get());
    else if (kind == KindBird)
        obstacle = new Bird(m_root.get());
    else if (kind == KindHead)
        obstacle = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    else
        obstacle = new Ball(loadPixmap(":/images/ball.png"), 0, m_root.get());
    obstacle->setPos(pos);
    obstacle->setSpeed(speed);
    obstacle->setCharacter(m_character);
    obstacle->setBulletSystem(m_bullets);
    obstacle->setScoreBoard(m_score);
    return obstacle;
}

void TestObstacles::step(Kind kind, Obstacle* obstacle) {
    if (kind == KindBird)
        static_cast<Bird*>(obstacle)->shift();
    else if (kind == KindHead)
        static_cast<Head*>(obstacle)->shift();
    else if (kind == KindBall)
        static_cast<Ball*>(obstacle)->shift();
    else
        obstacle->shift();
}

void TestObstacles::collision_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("by");
    QTest::addColumn<int>("score");
    QTest::addColumn<double>("healthWhenCrashed");

    const char* names[] = {"cactus", "bird", "head", "ball"};
    const int scores[] = {10, 20, 25, 25};
    for (int kind = KindCactus; kind <= KindBall; ++kind) {
        QTest::addRow("%s, invincible", names[kind])
            << kind << int(ByInvincible) << scores[kind] << 0.0;
        QTest::addRow("%s, bullet", names[kind]) << kind << int(ByBullet) << scores[kind] << 0.0;
        // Cacti and birds report the crash before the character dies; projectiles after.
        QTest::addRow("%s, vulnerable", names[kind])
            << kind << int(ByVulnerable) << 0 << (kind <= KindBird ? 1.0 : 0.0);
    }
}

void TestObstacles::collision() {
    QFETCH(int, kind);
    QFETCH(int, by);
    QFETCH(int, score);
    QFETCH(double, healthWhenCrashed);

    if (by != ByBullet)
        placeCharacter(QPointF(0.0, 0.0));
    m_character->setInvincible(by == ByInvincible);
    Obstacle* obstacle = make(Kind(kind), QPointF(10.0, 10.0), 3.0);
    QList<double> healthAtCrash;
    connect(obstacle, &Obstacle::crashed, this,
            [&healthAtCrash, this] { healthAtCrash.append(m_character->health()); });
    if (by == ByBullet) {
        const double y = 10.0 + obstacle->frame.height() / 2;
        fire(QPointF(10.0 + obstacle->frame.width() / 2 - 7, y), QPointF(1900.0, y));
    }
    step(Kind(kind), obstacle);

    const bool destroyed = by != ByVulnerable;
    QCOMPARE(m_score->score(), score);
    // Taken after the step's move.
    QVERIFY(obstacle->pos() != QPointF(0.0, 0.0));
    QCOMPARE(obstacle->hitPos(), obstacle->pos());
    QCOMPARE(obstacle->active, !destroyed);
    QCOMPARE(obstacle->exploding, destroyed);
    QCOMPARE(m_character->health(), destroyed ? 1.0 : 0.0);
    QCOMPARE(healthAtCrash, destroyed ? QList<double>() : QList<double>{healthWhenCrashed});
    // Destroyed once: a second step credits nothing more.
    step(Kind(kind), obstacle);
    QCOMPARE(m_score->score(), score);
}

void TestObstacles::bulletRules() {
    // A bullet that already hit passes through every other obstacle, and each
    // further bullet through the same obstacle credits again.
    Obstacle* first = make(KindCactus, QPointF(200.0, 200.0));
    Obstacle* second = make(KindCactus, QPointF(200.0, 200.0));
    fire(QPointF(195.0, 220.0), QPointF(1000.0, 220.0));
    fire(QPointF(195.0, 260.0), QPointF(1000.0, 260.0));
    fire(QPointF(195.0, 100.0), QPointF(1000.0, 100.0)); // misses
    first->shift();
    second->shift();
    QCOMPARE(m_score->score(), 20);
    QVERIFY(!first->active);
    QVERIFY(second->active);
    QVERIFY(!second->exploding);
    const QList<Bullet*> bullets = m_bullets->bullets();
    QVERIFY(bullets.at(0)->isHit() && bullets.at(1)->isHit() && !bullets.at(2)->isHit());

    // A destroyed obstacle still moves but neither collides nor takes bullets.
    Obstacle* destroyed = make(KindCactus, QPointF(208.0, 600.0), 8.0);
    destroyed->active = false;
    destroyed->exploding = true;
    placeCharacter(QPointF(200.0, 600.0));
    fire(QPointF(195.0, 640.0), QPointF(1000.0, 640.0));
    destroyed->shift();
    QCOMPARE(destroyed->pos(), QPointF(200.0, 600.0));
    QCOMPARE(m_score->score(), 20);
    QVERIFY(!m_bullets->bullets().last()->isHit());
    QCOMPARE(m_character->health(), 1.0);
}

void TestObstacles::remains_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("sink");
    QTest::addColumn<QSize>("sheet");

    // The remains keep the bottom edge: 87 - 30 for cacti, 75 - 70 for a head.
    QTest::newRow("small cactus") << int(KindCactus) << 1 << 57.0 << QSize(50, 30);
    QTest::newRow("large cactus") << int(KindCactus) << 5 << 57.0 << QSize(100, 30);
    QTest::newRow("bird") << int(KindBird) << 6 << 0.0 << QSize(91, 80);
    QTest::newRow("head") << int(KindHead) << 7 << 5.0 << QSize(70, 70);
    QTest::newRow("ball: none") << int(KindBall) << 8 << 0.0 << QSize(76, 76);
}

void TestObstacles::remains() {
    QFETCH(int, kind);
    QFETCH(int, type);
    QFETCH(double, sink);
    QFETCH(QSize, sheet);

    Obstacle* obstacle = make(Kind(kind), QPointF(100.0, 400.0));
    obstacle->setType(type);
    obstacle->updateCrashBox();
    QCOMPARE(obstacle->explosion->frameWidth, 180.0);
    QCOMPARE(obstacle->explosion->ticksPerFrame, 1);
    obstacle->active = false;
    obstacle->exploding = true;
    for (int i = 0; i < 4; ++i)
        obstacle->frame = obstacle->explosion->play();
    QVERIFY(!obstacle->finished);
    obstacle->frame = obstacle->explosion->play();
    QVERIFY(obstacle->finished);
    QVERIFY(!obstacle->exploding);
    // The last explosion frame stays until the next animation step.
    QCOMPARE(obstacle->frame.size(), QSize(180, 180));

    QCOMPARE(obstacle->pos(), QPointF(100.0, 400.0 + sink));
    QCOMPARE(obstacle->image().size(), sheet);
    if (kind == KindBall) {
        QVERIFY(!obstacle->animation);
    } else {
        QCOMPARE(obstacle->animation->frameCount, 1);
        QCOMPARE(obstacle->animation->play().size(), sheet);
    }
    QVERIFY(obstacle->crashBox()->rects().isEmpty());
}

void TestObstacles::birdDrop() {
    auto* bird = new Bird(m_root.get());
    bird->setPos(QPointF(0.0, 100.0));
    QList<double> falls;
    for (int i = 0; i < 17; ++i) {
        const double before = bird->pos().y();
        bird->drop();
        falls.append(bird->pos().y() - before);
    }
    QCOMPARE(falls, (QList<double>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 3, 4, 5, 6, 8}));
    QCOMPARE(bird->dropCount(), 17);

    // The step that destroys a bird is its first drop; it drifts on with the ground.
    auto* shot = static_cast<Bird*>(make(KindBird, QPointF(400.0, 100.0), 10.0));
    auto* alive = static_cast<Bird*>(make(KindBird, QPointF(800.0, 100.0), 10.0));
    // After the step of 10 px the shot bird's body spans x 419..437.
    fire(QPointF(420.0, 120.0), QPointF(420.0, 1000.0));
    shot->shift();
    alive->shift();
    QCOMPARE(m_score->score(), 20);
    QCOMPARE(shot->dropCount(), 1);
    shot->shift();
    QCOMPARE(shot->dropCount(), 2);
    QCOMPARE(shot->pos(), QPointF(380.0, 100.0));
    QCOMPARE(alive->dropCount(), 0);
}

void TestObstacles::sizesAndCrashBoxes() {
    auto* bird = new Bird(m_root.get());
    QCOMPARE(bird->frame.size(), QSize(91, 80));
    QCOMPARE(bird->animation->ticksPerFrame, 2);
    bird->setPos(QPointF(100.5, 50.0));
    bird->updateCrashBox();
    QCOMPARE(bird->crashBox()->rects(),
             (QList<QRectF>{QRectF(104.5, 61, 24, 27), QRectF(129.5, 55, 18, 64),
                            QRectF(147.5, 85, 36, 18)}));

    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    QCOMPARE(head->frame.size(), QSize(76, 75));
    head->setPos(QPointF(10.5, 20.0));
    head->updateCrashBox();
    // Integer eighths of 76 x 75: 9 and 66 across, 9 and 65 down.
    QCOMPARE(head->crashBox()->rects(), QList<QRectF>{QRectF(19.5, 29, 57, 56)});

    auto* ball = new Ball(loadPixmap(":/images/ball.png"), 7, m_root.get());
    QCOMPARE(ball->frame.size(), QSize(76, 76));
    ball->setPos(QPointF(-3.0, 4.0));
    ball->updateCrashBox();
    QCOMPARE(ball->crashBox()->rects(), QList<QRectF>{QRectF(6, 13, 57, 57)});
}

void TestObstacles::cactusKinds() {
    QSet<int> seen;
    for (int i = 0; i < 300; ++i) {
        Cacti cactus;
        const int type = cactus.type();
        QVERIFY2(type >= 1 && type <= 5, qPrintable(QString::number(type)));
        seen.insert(type);
        const int width = type == 5 ? 100 : 50;
        QCOMPARE(cactus.image().size(), QSize(width, 87));
        QCOMPARE(cactus.frame.cacheKey(), cactus.image().cacheKey());
        QVERIFY(!cactus.animation);
        QCOMPARE(cactus.crashBox()->rects(), QList<QRectF>{QRectF(0, 0, width, 87)});
    }
    QCOMPARE(seen.size(), 5);
}

void TestObstacles::ballFlight() {
    auto* ball = static_cast<Ball*>(make(KindBall, QPointF(100.0, 100.0), 2.0));
    ball->setDelay(3);
    ball->setAngle(0.0);
    for (int i = 0; i < 3; ++i) {
        ball->shift();
        QCOMPARE(ball->pos(), QPointF(100.0, 100.0));
        QCOMPARE(ball->speed(), 2.0);
    }
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

    // Reaching groundY + 5 explodes it, without score and without a new hit position.
    m_character->setGroundY(300.0);
    auto* falling = static_cast<Ball*>(make(KindBall, QPointF(0.0, 284.9), 10.0));
    falling->setAngle(kPi / 2);
    falling->setHitPos(QPointF(1.0, 2.0));
    falling->shift(); // y 294.9
    QVERIFY(falling->active);
    falling->shift(); // y 305.2
    QVERIFY(!falling->active);
    QVERIFY(falling->exploding);
    QCOMPARE(m_score->score(), 0);
    QCOMPARE(falling->hitPos(), QPointF(1.0, 2.0));
}

void TestObstacles::headHoming() {
    // Beyond the lock distance the head re-aims from its top-left corner at the
    // character's centre (integer halves of its 87 x 94 frame) on every step.
    auto* head = static_cast<Head*>(make(KindHead, QPointF(0.0, 0.0), 4.0));
    head->setTarget(QPointF(1000.0, 0.0));
    placeCharacter(QPointF(600.0, 300.0));
    head->shift();
    const QPointF center(643.0, 347.0);
    QCOMPARE(head->target(), center);
    const QPointF aim = center / std::hypot(center.x(), center.y());
    QVERIFY(qFuzzyCompare(head->direction().x(), aim.x()));
    QVERIFY(qFuzzyCompare(head->direction().y(), aim.y()));
    QVERIFY(qFuzzyCompare(head->pos().x(), 4.0 * aim.x()));

    placeCharacter(QPointF(600.0, 0.0));
    const QPointF v = QPointF(643.0, 47.0) - head->pos();
    head->shift();
    QCOMPARE(head->target(), QPointF(643.0, 47.0));
    QVERIFY(qFuzzyCompare(head->direction().y(), v.y() / std::hypot(v.x(), v.y())));
    QVERIFY(head->isHoming());

    // Within 240 px (centre to target) it flies straight on for good, even
    // when the character walks far away again.
    const QPointF target = head->target();
    const QPointF direction = head->direction();
    head->setPos(target - QPointF(38.0 + 100.0, 37.0));
    head->shift();
    QVERIFY(!head->isHoming());
    placeCharacter(QPointF(100.0, 900.0));
    for (int i = 0; i < 3; ++i)
        head->shift();
    QCOMPARE(head->target(), target);
    QCOMPARE(head->direction(), direction);
    head->setTarget(QPointF(5.0, 5.0));
    QCOMPARE(head->target(), target);
}

void TestObstacles::headEdgeCases() {
    auto* head = new Head(loadPixmap(":/images/heads.png"), m_root.get());
    head->setPos(QPointF(5.0, 5.0));
    head->setTarget(QPointF(5.0, 5.0));
    QCOMPARE(head->direction(), QPointF(0.0, 1.0));
    // Measured from the centre, integer halves of 76 x 75.
    head->setTarget(QPointF(43.0, 142.0));
    QCOMPARE(head->distanceToTarget(), 100.0);

    // A destroyed head flies on in its last direction, 0.5 faster every step.
    head->setPos(QPointF(0.0, 0.0));
    head->setTarget(QPointF(30.0, 40.0));
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

QTEST_MAIN(TestObstacles)
#include "tst_obstacles.moc"
