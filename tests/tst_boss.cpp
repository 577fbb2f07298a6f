#include "animation.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "paintrecorder.h"
#include "pixmaps.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "testsupport.h"

#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {
// Odd sizes, so that integer halves differ from exact ones.
const QRect kScreen(0, 0, 1001, 701);
constexpr double kPi = 3.14159265358979323846;
// The dinosaur waits off screen, away from every projectile.
const QPointF kCharacterParking(0.0, 3000.0);
const QList<QRectF> kNewBox{QRectF(0, 74, 322, 149)};

bool near(double a, double b) {
    return std::abs(a - b) < 1e-9;
}
} // namespace

class TestBoss : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The saucer itself.
    void monsterLooks();
    void healthSaturates();

    // The fight.
    void startAndApproach();
    void descentAndHover();
    void fightingAndAwayPhases();
    void ringSchedule_data();
    void ringSchedule();
    void ringAndFan();
    void projectilesAreArmed();
    void rainCoversTheWidth_data();
    void rainCoversTheWidth();
    void rainConditions_data();
    void rainConditions();
    void bulletHits();
    void lockDistances();
    void winOnce();
    void deadEyeSlowsProjectiles();
    void headDashSpeed_data();
    void headDashSpeed();
    void lostProjectilesRemoved();
    void animationStep();
    void paintOrder();
    void resetClearsTheFight();

private:
    void fire(QPointF from, QPointF to);
    Monster* spawnAt(QPointF pos);
    // Runs updateState until the fighting phase turns into the away phase.
    void leaveForAway();
    QList<PaintCall> paintCalls();

    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    std::unique_ptr<QObject> m_root;
    EnvironmentSystem* m_environment = nullptr;
    GameCharacter* m_character = nullptr;
    BulletSystem* m_bullets = nullptr;
    ScoreBoard* m_score = nullptr;
    DeadEye* m_deadEye = nullptr;
    MonsterSystem* m_system = nullptr;
};

void TestBoss::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    m_root = std::make_unique<QObject>();
    m_environment = new EnvironmentSystem(kScreen, 8.0, m_root.get());
    m_character = new GameCharacter(m_environment, m_root.get());
    m_character->setPosition(kCharacterParking);
    m_character->updateCrashBox(m_character->posture());
    m_character->setGroundY(100000.0);
    m_bullets = new BulletSystem(kScreen, m_root.get());
    m_score = new ScoreBoard(m_root.get());
    m_deadEye = new DeadEye(m_root.get());
    m_bullets->setDeadEye(m_deadEye);
    m_system =
        new MonsterSystem(m_score, m_environment, m_bullets, m_character, m_deadEye, m_root.get());
    QCOMPARE(m_system->crashTimer()->interval(), 30);
    QVERIFY(m_system->crashTimer()->isActive());
    for (QTimer* timer : m_root->findChildren<QTimer*>())
        timer->stop();
}

void TestBoss::cleanup() {
    m_root.reset();
    m_dir.reset();
}

void TestBoss::fire(QPointF from, QPointF to) {
    m_bullets->shoot(from, to.toPoint());
    while (m_bullets->shootCD() > 0)
        m_bullets->updateShootCD();
}

Monster* TestBoss::spawnAt(QPointF pos) {
    m_system->spawnMonster();
    m_system->monster()->setPos(pos);
    return m_system->monster();
}

void TestBoss::leaveForAway() {
    for (int i = 0; i < 401; ++i)
        m_system->updateState();
    QCOMPARE(m_system->state(), 4);
}

QList<PaintCall> TestBoss::paintCalls() {
    RecordingPaintDevice device(kScreen.size());
    {
        QPainter painter(&device);
        m_system->paint(painter);
    }
    return device.calls();
}

void TestBoss::monsterLooks() {
    Monster monster;
    QCOMPARE(monster.pos(), QPointF(0, 0));
    QCOMPARE(monster.health(), 1000);
    QCOMPARE(monster.vy(), 2.0);
    QVERIFY(monster.isEntering());
    QCOMPARE(monster.type(), 1);
    QCOMPARE(monster.animation()->frameCount, 1);
    QCOMPARE(monster.frame().size(), QSize(322, 224));
    // The lower two thirds of the frame.
    QCOMPARE(monster.crashBox()->rects(), kNewBox);
    QCOMPARE(monster.healthBar()->rect(), QRectF(0, 0, 1000, 30));
    QCOMPARE(monster.healthBar()->borderWidth(), 4.0);
    QCOMPARE(monster.healthBar()->borderColor(), QColor(40, 40, 40));
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 145, 67));
    monster.setHealth(401);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->progress(), 0.401);
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 145, 67));
    QVERIFY(monster.isHealthy());
    // At 400 the fill turns red for good; below 0 the bar shows nothing.
    monster.setHealth(400);
    monster.updateBar();
    QVERIFY(!monster.isHealthy());
    monster.setHealth(1000);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 92, 67));
    monster.setHealth(-20);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->progress(), 0.0);

    // Only the two flying looks rebuild the box.
    monster.setPos(QPointF(10.0, 20.5));
    monster.updateCrashBox(3);
    monster.updateCrashBox(0);
    QCOMPARE(monster.crashBox()->rects(), kNewBox);

    // Both flying looks are 224 high, so the bottom edge stays by staying put.
    monster.setType(2);
    QCOMPARE(monster.type(), 2);
    QCOMPARE(monster.pos(), QPointF(10.0, 20.5));
    QCOMPARE(monster.animation()->frameCount, 4);
    QCOMPARE(monster.animation()->ticksPerFrame, 2);
    QCOMPARE(monster.frame().size(), QSize(322, 224));
    const QList<QRectF> damagedBox{QRectF(10, 94.5, 322, 149)};
    QCOMPARE(monster.crashBox()->rects(), damagedBox);

    // The explosion hangs from the same corner and freezes the box.
    monster.explode(loadPixmap(":/images/bombs_big.png"));
    QCOMPARE(monster.type(), 3);
    QCOMPARE(monster.pos(), QPointF(10.0, 20.5));
    QCOMPARE(monster.frame().size(), QSize(360, 360));
    QCOMPARE(monster.animation()->frameCount, 5);
    monster.setPos(QPointF(50.0, 60.0));
    monster.updateCrashBox(monster.type());
    QCOMPARE(monster.crashBox()->rects(), damagedBox);
}

void TestBoss::startAndApproach() {
    // Until the first reset the fight starts at 4.
    QCOMPARE(m_system->startScore(), 4);
    m_score->setScore(4);
    m_system->updateState();
    QCOMPARE(m_system->state(), 1);

    m_system->reset();
    QCOMPARE(m_system->startScore(), 20);
    QCOMPARE(m_system->state(), 0);
    m_score->setScore(19);
    m_system->updateState();
    QCOMPARE(m_system->state(), 0);
    m_score->setScore(20);
    m_system->updateState();
    QCOMPARE(m_system->state(), 1);
    QCOMPARE(m_system->counter(), 0);

    // Painting advances the approach, so it goes on through a pause.
    QList<QList<PaintCall>> paints;
    for (int i = 0; i < 100; ++i)
        paints.append(paintCalls());
    QCOMPARE(m_system->counter(), 100);
    m_system->updateState();
    QCOMPARE(m_system->state(), 1);
    QVERIFY(!m_system->monster());
    // c = 50: 300 x 300, centred, its top edge on the middle line.
    QCOMPARE(paints.at(49).size(), 1);
    QCOMPARE(paints.at(49).first().kind, PaintCall::Pixmap);
    QCOMPARE(paints.at(49).first().rect, QRectF(350, 350, 300, 300));
    // c = 20: y = trunc(-(350 + 600) * 20 * -80 / 2500 - 600) = 8.
    QCOMPARE(paints.at(19).first().rect, QRectF(440, 8, 120, 120));
    // Out of sight: tiny far above at c = 1, gone upwards from c = 101 on.
    QVERIFY(paints.at(0).isEmpty());
    for (int c = 101; c <= 3000; ++c)
        QVERIFY(paintCalls().isEmpty());
    QCOMPARE(m_system->counter(), 3000);

    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 0);
    Monster* monster = m_system->monster();
    QVERIFY(monster);
    QCOMPARE(monster->parent(), m_system);
    QVERIFY(monster->isEntering());
    // Centred with integer halves: 1001 / 2 - 322 / 2.
    QCOMPARE(monster->pos(), QPointF(339.0, -224.0));
}

void TestBoss::descentAndHover() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    for (int tick = 1; tick <= 177; ++tick) {
        m_system->updatePosition();
        QCOMPARE(monster->pos().y(), -224.0 + 1.5 * tick);
        QVERIFY(monster->isEntering());
    }
    // The first tick that finds y > 40 makes it hittable and turns it upwards.
    m_system->updatePosition();
    QVERIFY(!monster->isEntering());
    QCOMPARE(monster->pos(), QPointF(339.0, 41.0));

    double lowest = 1000.0;
    double highest = -1000.0;
    for (int tick = 0; tick < 200; ++tick) {
        m_system->updatePosition();
        lowest = std::min(lowest, monster->pos().y());
        highest = std::max(highest, monster->pos().y());
    }
    QCOMPARE(lowest, 29.5);
    QCOMPARE(highest, 40.5);
    const double y = monster->pos().y();
    QCOMPARE(monster->crashBox()->rects(), QList<QRectF>{QRectF(339, y + 74, 322, 149)});
    // Bar: W / 3 = 333 wide, at W / 2 - 166.5.
    QCOMPARE(monster->healthBar()->rect(), QRectF(333.5, 10, 333, 30));
}

void TestBoss::fightingAndAwayPhases() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    monster->setEntering(false);
    monster->setPos(QPointF(339.0, 35.0));
    m_system->launchRain(0); // counts as a rain, launches nothing
    QCOMPARE(m_system->rainCount(), 1);
    for (int i = 0; i < 400; ++i)
        m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 400);
    QVERIFY(m_system->balls().isEmpty());

    m_system->updateState();
    QCOMPARE(m_system->state(), 4);
    QCOMPARE(m_system->counter(), 0);
    // A new away phase allows a new rain.
    QCOMPARE(m_system->rainCount(), 0);
    QVERIFY(monster->isEntering());
    QCOMPARE(m_system->balls().size(), 5);

    // It climbs 5 px per tick until wholly above the window; box and bar stay behind.
    int ticks = 0;
    for (; monster->pos().y() >= -224.0 && ticks < 1000; ++ticks)
        m_system->updatePosition();
    QCOMPARE(ticks, 52);
    QCOMPARE(monster->pos().y(), -225.0);
    m_system->updatePosition();
    QCOMPARE(monster->pos().y(), -225.0);
    QCOMPARE(monster->crashBox()->rects(), kNewBox);

    for (int i = 0; i < 600; ++i)
        m_system->updateState();
    QCOMPARE(m_system->state(), 4);
    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 0);
    // It has to come down again before it can be hit.
    QVERIFY(monster->isEntering());
}

void TestBoss::ringSchedule_data() {
    QTest::addColumn<int>("health");
    QTest::addColumn<QStringList>("attacks"); // "counter:waves"

    QTest::newRow("801") << 801 << QStringList();
    QTest::newRow("800") << 800 << QStringList{"0:1"};
    QTest::newRow("751") << 751 << QStringList{"0:1"};
    QTest::newRow("750") << 750 << QStringList{"0:1", "400:1"};
    QTest::newRow("601") << 601 << QStringList{"0:1", "400:1"};
    QTest::newRow("600") << 600 << QStringList{"0:2", "400:2"};
    QTest::newRow("501") << 501 << QStringList{"0:2", "400:2"};
    QTest::newRow("500") << 500 << QStringList{"0:2", "300:2"};
    QTest::newRow("401") << 401 << QStringList{"0:2", "300:2"};
    QTest::newRow("400") << 400 << QStringList{"0:3", "300:3"};
    QTest::newRow("251") << 251 << QStringList{"0:3", "300:3"};
    QTest::newRow("250") << 250 << QStringList{"0:3", "200:3", "400:3"};
}

void TestBoss::ringSchedule() {
    QFETCH(int, health);
    QFETCH(QStringList, attacks);

    m_system->spawnMonster();
    m_system->monster()->setHealth(health);
    QStringList seen;
    for (int tick = 0; tick <= 400; ++tick) {
        if (tick > 0)
            m_system->updateState();
        const int before = m_system->balls().size();
        m_system->updateAttack();
        const int added = m_system->balls().size() - before;
        if (added > 0) {
            QCOMPARE(added % 20, 0);
            seen.append(QString("%1:%2").arg(m_system->counter()).arg(added / 20));
        }
    }
    QCOMPARE(seen, attacks);
}

void TestBoss::ringAndFan() {
    spawnAt(QPointF(100.5, 50.0));
    m_system->launchRing(0);
    QVERIFY(m_system->balls().isEmpty());

    // Ball i of the ring (from 1, across waves) waits 6 i; each wave turns
    // from pi/10 to 2 pi in steps of pi/10, from the integer-half centre.
    m_system->launchRing(2);
    QCOMPARE(m_system->balls().size(), 40);
    for (int i = 0; i < 40; ++i) {
        const Ball* ball = m_system->balls().at(i);
        QCOMPARE(ball->delay(), 6 * (i + 1));
        QCOMPARE(ball->speed(), 8.0);
        QCOMPARE(ball->pos(), QPointF(261.5, 162.0));
        QCOMPARE(ball->parent(), m_system);
        const double angle = kPi / 10 * (i % 20 + 1);
        QVERIFY2(near(ball->direction().x(), std::cos(angle)), qPrintable(QString::number(i)));
        QVERIFY2(near(ball->direction().y(), std::sin(angle)), qPrintable(QString::number(i)));
    }

    // The fan: five balls 4 ticks apart, 30 to 150 degrees, all downwards.
    m_system->launchFan();
    QCOMPARE(m_system->balls().size(), 45);
    for (int k = 0; k < 5; ++k) {
        const Ball* ball = m_system->balls().at(40 + k);
        QCOMPARE(ball->delay(), 4 * k);
        QCOMPARE(ball->speed(), 6.0);
        QCOMPARE(ball->pos(), QPointF(261.5, 162.0));
        QVERIFY(near(ball->direction().x(), std::cos((k + 1) * kPi / 6)));
        QVERIFY(near(ball->direction().y(), std::sin((k + 1) * kPi / 6)));
    }
}

void TestBoss::projectilesAreArmed() {
    spawnAt(QPointF(300.0, 100.0));
    m_system->launchFan();
    m_system->launchHead();
    Ball* ball = m_system->balls().first();
    Head* head = m_system->heads().first();
    QCOMPARE(head->parent(), m_system);

    // Character and score board: an invincible character destroys the ball for 25.
    m_character->setPosition(ball->pos());
    m_character->updateCrashBox(m_character->posture());
    m_character->setInvincible(true);
    ball->shift();
    QVERIFY(!ball->active);
    QCOMPARE(m_score->score(), 25);

    // Bullet system: a bullet through the head destroys it.
    m_character->setPosition(kCharacterParking);
    m_character->updateCrashBox(m_character->posture());
    const QPointF c = head->pos() + QPointF(30.0, 37.0);
    fire(c, c + QPointF(100.0, 0.0));
    head->shift();
    QVERIFY(!head->active);
    QCOMPARE(m_score->score(), 50);

    // Crashes kill the dinosaur.
    emit m_system->balls().at(1)->crashed();
    QCOMPARE(m_character->health(), 0.0);
    m_character->setHealth(1.0);
    emit head->crashed();
    QCOMPARE(m_character->health(), 0.0);
}

void TestBoss::rainCoversTheWidth_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("perWave");
    QTest::addColumn<int>("step");

    QTest::newRow("225") << 225 << 16 << 15;
    QTest::newRow("240") << 240 << 16 << 16;
    QTest::newRow("1920") << 1920 << 16 << 128;
    // Narrower than 15 columns: at least one pixel per step, so it still ends.
    QTest::newRow("14") << 14 << 15 << 1;
    QTest::newRow("0") << 0 << 1 << 1;
}

void TestBoss::rainCoversTheWidth() {
    QFETCH(int, width);
    QFETCH(int, perWave);
    QFETCH(int, step);

    m_environment->setScreenRect(QRect(0, 0, width, 600));
    m_system->launchRain(2);
    QCOMPARE(m_system->rainCount(), 1);
    const QList<Ball*> balls = m_system->balls();
    QCOMPARE(balls.size(), 2 * perWave);
    for (int i = 0; i < balls.size(); ++i) {
        const Ball* ball = balls.at(i);
        // Two pixels of each ball show at the top edge.
        QCOMPARE(ball->pos(), QPointF((i % perWave) * step, 2 - 76));
        QCOMPARE(ball->delay(), 9 * (i + 1));
        QCOMPARE(ball->speed(), 16.0);
        QVERIFY(near(ball->direction().x(), std::cos(kPi / 2)));
        QCOMPARE(ball->direction().y(), 1.0);
    }
}

void TestBoss::rainConditions_data() {
    QTest::addColumn<int>("health");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("balls");

    QTest::newRow("healthy") << 401 << -300.0 << 0;
    QTest::newRow("touching the top edge") << 400 << -224.0 << 0;
    QTest::newRow("600 lost") << 400 << -224.5 << 32;
    QTest::newRow("899 lost") << 101 << -300.0 << 32;
    QTest::newRow("900 lost") << 100 << -300.0 << 48;
    QTest::newRow("1300 lost") << -300 << -300.0 << 48;
}

void TestBoss::rainConditions() {
    QFETCH(int, health);
    QFETCH(double, y);
    QFETCH(int, balls);

    m_system->spawnMonster();
    leaveForAway();
    const int fan = m_system->balls().size();
    m_system->monster()->setHealth(health);
    m_system->monster()->setPos(QPointF(339.0, y));
    m_system->updateAttack();
    QCOMPARE(m_system->balls().size() - fan, balls);
    QCOMPARE(m_system->rainCount(), balls > 0 ? 1 : 0);
    // Once per away phase.
    m_system->updateAttack();
    QCOMPARE(m_system->balls().size() - fan, balls);
}

void TestBoss::bulletHits() {
    m_system->checkCrash(); // no monster yet
    Monster* monster = spawnAt(QPointF(300.0, 30.0));
    monster->updateCrashBox(monster->type());
    m_bullets->setDamage(12.9);
    const QPointF inside = monster->pos() + QPointF(100.0, 150.0);
    fire(inside, inside + QPointF(100.0, 0.0));

    // Not while entering, nor once beaten.
    m_system->checkCrash();
    QCOMPARE(monster->health(), 1000);
    monster->setEntering(false);
    m_system->setState(3);
    m_system->checkCrash();
    QCOMPARE(monster->health(), 1000);
    QVERIFY(m_system->heads().isEmpty());

    m_system->setState(2);
    m_system->checkCrash();
    QCOMPARE(monster->health(), 988);
    QCOMPARE(m_score->score(), 40);
    QCOMPARE(m_system->heads().size(), 1);
    const Head* head = m_system->heads().first();
    QCOMPARE(head->pos(), monster->pos() + QPointF(161.0, 112.0));
    QCOMPARE(head->speed(), 4.0);
    QCOMPARE(head->target(), kCharacterParking);
    QVERIFY(m_bullets->bullets().first()->isHit());

    // A bullet that already hit is tested again until it is retired.
    m_system->checkCrash();
    QCOMPARE(monster->health(), 976);
    QCOMPARE(m_score->score(), 80);
    QCOMPARE(m_system->heads().size(), 2);
}

void TestBoss::lockDistances() {
    m_system->spawnMonster();
    double lowest = 1000.0;
    double highest = 0.0;
    for (int i = 0; i < 1000; ++i) {
        m_system->launchHead();
        const double lock = m_system->heads().last()->lockDistance();
        QVERIFY2(lock >= 150.0 && lock < 350.0, qPrintable(QString::number(lock)));
        lowest = std::min(lowest, lock);
        highest = std::max(highest, lock);
    }
    QVERIFY(lowest < 160.0);
    QVERIFY(highest > 340.0);
}

void TestBoss::winOnce() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    m_system->launchRing(1);
    m_system->launchHead();
    QPointer<Ball> ball = m_system->balls().first();
    QPointer<Head> head = m_system->heads().first();
    for (int i = 0; i < 400; ++i)
        m_system->updateState();
    m_score->setScore(123);
    QSignalSpy won(m_system, &MonsterSystem::gameWin);

    // Beaten on the tick that throws the fan: the fan vanishes with the rest.
    monster->setHealth(0);
    const QPointF pos = monster->pos();
    m_system->updateState();
    QCOMPARE(m_system->state(), 3);
    QCOMPARE(won.count(), 1);
    QCOMPARE(m_score->score(), 5123);
    QVERIFY(m_system->balls().isEmpty());
    QVERIFY(m_system->heads().isEmpty());
    QVERIFY(!ball);
    QVERIFY(!head);
    QCOMPARE(monster->type(), 3);
    QCOMPARE(monster->pos(), pos);

    for (int i = 0; i < 10; ++i) {
        m_system->updateState();
        m_system->updateAttack();
        m_system->updatePosition();
    }
    QCOMPARE(won.count(), 1);
    QCOMPARE(m_score->score(), 5123);

    // The explosion keeps cycling.
    for (int i = 0; i < 7; ++i)
        m_system->updateAnimation();
    QCOMPARE(monster->animation()->currentFrame, 2);
    QCOMPARE(monster->frame().size(), QSize(360, 360));
}

void TestBoss::deadEyeSlowsProjectiles() {
    spawnAt(QPointF(300.0, 100.0));
    m_system->launchFan();
    m_system->launchHead();
    m_system->launchHead();
    Ball* ball = m_system->balls().first();
    Head* head = m_system->heads().at(0);
    Head* broken = m_system->heads().at(1);
    broken->active = false;
    broken->exploding = true;
    m_deadEye->activate(0.1);
    QCOMPARE(m_deadEye->timeFactor(), 0.1);

    const QPointF ballBefore = ball->pos();
    const QPointF headBefore = head->pos();
    const QPointF brokenBefore = broken->pos();
    m_system->updatePosition();
    const QPointF ballStep = ball->pos() - ballBefore;
    QVERIFY(near(ballStep.x(), 0.6 * std::cos(kPi / 6)));
    QVERIFY(near(ballStep.y(), 0.6 * std::sin(kPi / 6)));
    QCOMPARE(ball->speed(), 6.0);
    const QPointF headStep = head->pos() - headBefore;
    QVERIFY(near(std::hypot(headStep.x(), headStep.y()), 0.4));
    QCOMPARE(head->speed(), 4.0);
    // A destroyed head that was homing drops straight down; the restore
    // undoes its acceleration.
    QCOMPARE(broken->direction(), QPointF(0.0, 1.0));
    QCOMPARE(broken->pos(), brokenBefore + QPointF(0.0, 0.4));
    QCOMPARE(broken->speed(), 4.0);

    m_deadEye->deactivate();
    const QPointF ballAgain = ball->pos();
    const QPointF brokenAgain = broken->pos();
    m_system->updatePosition();
    QVERIFY(near(ball->pos().x() - ballAgain.x(), 6.0 * std::cos(kPi / 6)));
    QCOMPARE(ball->speed(), 6.0);
    QCOMPARE(broken->pos(), brokenAgain + QPointF(0.0, 4.0));
}

void TestBoss::headDashSpeed_data() {
    QTest::addColumn<double>("distance");
    QTest::addColumn<double>("speedAfter");

    QTest::newRow("just inside the band") << 289.0 << 18.6;
    QTest::newRow("band edge") << 290.0 << 18.0;
    QTest::newRow("at the lock distance") << 300.0 << 4.0;
}

void TestBoss::headDashSpeed() {
    QFETCH(double, distance);
    QFETCH(double, speedAfter);

    m_character->setPosition(QPointF(800.0, 400.0));
    m_character->updateCrashBox(m_character->posture());
    spawnAt(QPointF(0.0, -1000.0));
    m_system->launchHead();
    Head* head = m_system->heads().first();
    head->setLockDistance(300.0);
    QCOMPARE(head->target(), QPointF(800.0, 400.0));
    // Centre (integer halves 38, 37) exactly `distance` left of the target.
    head->setPos(QPointF(800.0 - 38.0 - distance, 400.0 - 37.0));
    QCOMPARE(head->distanceToTarget(), distance);
    m_system->updatePosition();
    QCOMPARE(head->speed(), speedAfter);
}

void TestBoss::lostProjectilesRemoved() {
    spawnAt(QPointF(300.0, 100.0));
    m_system->launchRing(1); // long delays: nothing moves
    const QList<Ball*> balls = m_system->balls();
    QList<QPointer<Ball>> tracked(balls.begin(), balls.end());
    balls[0]->setPos(QPointF(-76.0, -76.0));  // corner (0, 0) inside
    balls[1]->setPos(QPointF(-76.4, -76.0));  // rounds to -76: inside
    balls[2]->setPos(QPointF(-76.6, -76.0));  // rounds to -77: out
    balls[3]->setPos(QPointF(1001.0, 701.0)); // the rectangle ends at 1000, 700
    balls[4]->setPos(QPointF(1000.0, 700.0)); // its top-left corner is inside
    balls[5]->setPos(QPointF(300.0, 300.0));
    balls[5]->finished = true; // on screen but done
    balls[6]->setPos(QPointF(300.0, 300.0));
    balls[6]->active = false;
    balls[6]->exploding = true;

    m_system->launchHead();
    m_system->launchHead();
    QPointer<Head> lostHead = m_system->heads().at(0);
    QPointer<Head> brokenHead = m_system->heads().at(1);
    lostHead->setPos(QPointF(-500.0, 300.0));
    brokenHead->setPos(QPointF(500.0, 300.0));
    brokenHead->active = false;
    brokenHead->finished = true;

    m_system->updatePosition();
    QList<bool> kept;
    for (const QPointer<Ball>& ball : tracked.mid(0, 7))
        kept.append(!ball.isNull());
    QCOMPARE(kept, (QList<bool>{true, true, false, false, true, false, true}));
    QCOMPARE(m_system->balls().size(), 20 - 3);
    QVERIFY(!lostHead);
    QVERIFY(brokenHead);
    QCOMPARE(m_system->heads().size(), 1);
}

void TestBoss::animationStep() {
    Monster* monster = spawnAt(QPointF(300.0, 100.0));
    m_system->launchHead();
    m_system->launchFan();
    Head* head = m_system->heads().first();
    Ball* exploding = m_system->balls().first();
    exploding->exploding = true;

    monster->setHealth(401);
    m_system->updateAnimation();
    QCOMPARE(monster->type(), 1);
    QCOMPARE(head->animation->currentFrame, 1);
    QCOMPARE(exploding->frame.size(), QSize(180, 180));
    QCOMPARE(m_system->balls().at(1)->frame.size(), QSize(76, 76));

    monster->setHealth(400);
    m_system->updateAnimation();
    QCOMPARE(monster->type(), 2);
    QCOMPARE(monster->frame().size(), QSize(322, 224));
    QCOMPARE(monster->animation()->currentFrame, 0);
    // The damaged look advances on every second step.
    m_system->updateAnimation();
    QCOMPARE(monster->animation()->currentFrame, 0);
    m_system->updateAnimation();
    QCOMPARE(monster->animation()->currentFrame, 1);
    QCOMPARE(head->animation->currentFrame, 4);

    // Waiting and approach: nothing moves.
    m_system->setState(0);
    m_system->updateAnimation();
    QCOMPARE(head->animation->currentFrame, 4);
}

void TestBoss::paintOrder() {
    QVERIFY(paintCalls().isEmpty());
    m_system->spawnMonster();
    m_system->updatePosition(); // lays out the health bar
    Monster* monster = m_system->monster();
    monster->setPos(QPointF(300.0, 100.0));
    m_system->launchHead();
    m_system->launchFan();
    m_system->balls().at(1)->finished = true;
    // One letter per call: Head, Ball, Monster at its pos, bar Rectangle.
    const auto order = [this] {
        QString letters;
        for (const PaintCall& call : paintCalls()) {
            if (call.kind == PaintCall::Rect)
                letters += call.rect == m_system->monster()->healthBar()->rect() ? 'R' : 'r';
            else if (call.rect == QRectF(300, 100, 322, 224))
                letters += 'M';
            else
                letters += call.rect.height() == 75 ? 'H' : 'B';
        }
        return letters;
    };

    // Entering: the head, the unfinished balls and the saucer; then
    // everything again, the finished ball included.
    QCOMPARE(order(), QString("HBBBBM"
                              "HBBBBBM"));
    // Hittable: the health bar (fill, then outline) between the two passes.
    monster->setEntering(false);
    QCOMPARE(order(), QString("HBBBBMrRHBBBBBM"));
    // Away: one pass, no bar.
    m_system->setState(4);
    QCOMPARE(order(), QString("HBBBBBM"));
}

void TestBoss::resetClearsTheFight() {
    m_system->spawnMonster();
    QPointer<Monster> monster = m_system->monster();
    m_system->launchFan();
    m_system->launchHead();
    m_system->launchRain(1);
    for (int i = 0; i < 17; ++i)
        m_system->updateState();
    QPointer<Ball> ball = m_system->balls().first();

    m_system->reset();
    QCOMPARE(m_system->state(), 0);
    QCOMPARE(m_system->rainCount(), 0);
    QCOMPARE(m_system->startScore(), 20);
    QCOMPARE(m_system->counter(), 17);
    QVERIFY(!m_system->monster());
    QVERIFY(!monster);
    QVERIFY(!ball);
    QVERIFY(m_system->balls().isEmpty());
    QVERIFY(m_system->heads().isEmpty());
    m_system->reset(); // nothing left to delete
    QCOMPARE(m_system->state(), 0);
}

void TestBoss::healthSaturates() {
    Monster monster;
    monster.decreaseHealth(INT_MAX);
    monster.decreaseHealth(INT_MAX);
    QCOMPARE(monster.health(), INT_MIN);
    monster.setHealth(INT_MAX - 5);
    monster.increaseHealth(10);
    QCOMPARE(monster.health(), INT_MAX);
    monster.setHealth(1000);
    monster.decreaseHealth(10);
    QCOMPARE(monster.health(), 990);
}

QTEST_MAIN(TestBoss)
#include "tst_boss.moc"
