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
    void newMonster();
    void damagedLookKeepsBottomEdge();
    void healthBarColour();
    void crashBoxIgnoresOtherTypes();
    void explodeFreezesTheBox();

    // The fight.
    void waitsForTheStartScore();
    void approachLastsHundredPaints();
    void approachPicture();
    void descentAndHover();
    void fightingAndAwayPhases();
    void climbsOutDuringAway();
    void ringSchedule_data();
    void ringSchedule();
    void ringWave();
    void fan();
    void projectilesAreArmed();
    void rainCoversTheWidth_data();
    void rainCoversTheWidth();
    void rainConditions_data();
    void rainConditions();
    void rainOncePerAwayPhase();
    void bulletHitsCostHealth();
    void noHitsWhileEnteringOrBeaten();
    void lockDistances();
    void winOnce();
    void winOnTheFanTick();
    void deadEyeSlowsProjectiles();
    void headDashSpeed_data();
    void headDashSpeed();
    void destroyedHeadFallsStraight();
    void lostProjectilesRemoved();
    void animationStep();
    void paintFighting();
    void paintAwayAndWaiting();
    void resetClearsTheFight();

private:
    void fire(QPointF from, QPointF to);
    // Runs hover steps until the saucer has finished entering.
    void settle();
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

void TestBoss::settle() {
    for (int i = 0; i < 1000 && m_system->monster()->isEntering(); ++i)
        m_system->updatePosition();
    QVERIFY(!m_system->monster()->isEntering());
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

void TestBoss::newMonster() {
    Monster monster;
    QCOMPARE(monster.pos(), QPointF(0, 0));
    QCOMPARE(monster.health(), 1000);
    QCOMPARE(monster.vy(), 2.0);
    QVERIFY(monster.isEntering());
    QVERIFY(monster.isHealthy());
    QCOMPARE(monster.type(), 1);
    QCOMPARE(monster.animation()->frameCount, 1);
    QCOMPARE(monster.frame().size(), QSize(322, 224));
    QCOMPARE(monster.crashBox()->rects(), QList<QRectF>{QRectF(0, 74, 322, 149)});

    ProgressBar* bar = monster.healthBar();
    QCOMPARE(bar->rect(), QRectF(0, 0, 1000, 30));
    QCOMPARE(bar->borderWidth(), 4.0);
    QCOMPARE(bar->fillColor(), QColor(253, 145, 67));
    QCOMPARE(bar->borderColor(), QColor(40, 40, 40));
}

void TestBoss::damagedLookKeepsBottomEdge() {
    Monster monster;
    monster.setPos(QPointF(10.0, 20.5));
    monster.setType(2);
    QCOMPARE(monster.type(), 2);
    // Both looks are 224 high, so the bottom edge stays by staying put.
    QCOMPARE(monster.pos().y() + monster.frameHeight(), 20.5 + 224.0);
    QCOMPARE(monster.animation()->frameCount, 4);
    QCOMPARE(monster.animation()->ticksPerFrame, 2);
    QCOMPARE(monster.frame().size(), QSize(322, 224));
    QCOMPARE(monster.crashBox()->rects(), QList<QRectF>{QRectF(10, 94.5, 322, 149)});
}

void TestBoss::healthBarColour() {
    Monster monster;
    monster.setHealth(401);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->progress(), 0.401);
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 145, 67));
    QVERIFY(monster.isHealthy());

    monster.setHealth(400);
    monster.updateBar();
    QVERIFY(!monster.isHealthy());
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 92, 67));
    // For good: healing does not bring the orange back.
    monster.setHealth(1000);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 92, 67));

    monster.setHealth(-20);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->progress(), 0.0);
}

void TestBoss::crashBoxIgnoresOtherTypes() {
    Monster monster;
    monster.setPos(QPointF(50.0, 60.0));
    monster.updateCrashBox(3);
    monster.updateCrashBox(0);
    QCOMPARE(monster.crashBox()->rects(), QList<QRectF>{QRectF(0, 74, 322, 149)});
    monster.updateCrashBox(1);
    QCOMPARE(monster.crashBox()->rects(), QList<QRectF>{QRectF(50, 134, 322, 149)});
}

void TestBoss::explodeFreezesTheBox() {
    Monster monster;
    monster.setPos(QPointF(50.0, 60.0));
    monster.explode(loadPixmap(":/images/bombs_big.png"));
    QCOMPARE(monster.type(), 3);
    QCOMPARE(monster.pos(), QPointF(50.0, 60.0));
    QCOMPARE(monster.frame().size(), QSize(360, 360));
    QCOMPARE(monster.animation()->frameCount, 5);
    monster.updateCrashBox(monster.type());
    QCOMPARE(monster.crashBox()->rects(), QList<QRectF>{QRectF(0, 74, 322, 149)});
}

void TestBoss::waitsForTheStartScore() {
    QCOMPARE(m_system->startScore(), 4);
    m_score->setScore(3);
    m_system->updateState();
    QCOMPARE(m_system->state(), 0);
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
}

void TestBoss::approachLastsHundredPaints() {
    m_system->reset();
    m_score->setScore(20);
    m_system->updateState();
    for (int i = 0; i < 100; ++i)
        paintCalls();
    QCOMPARE(m_system->counter(), 100);
    m_system->updateState();
    QCOMPARE(m_system->state(), 1);
    QVERIFY(!m_system->monster());

    paintCalls();
    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 0);
    QVERIFY(m_system->monster());
    QCOMPARE(m_system->monster()->parent(), m_system);
    QVERIFY(m_system->monster()->isEntering());
    // Centred with integer halves: 1001 / 2 - 322 / 2.
    QCOMPARE(m_system->monster()->pos(), QPointF(339.0, -224.0));
}

void TestBoss::approachPicture() {
    m_system->setState(1);
    // The counter keeps rising through any number of paints (a pause), and the
    // picture is drawn only while it can be seen.
    QList<QList<PaintCall>> paints;
    for (int i = 0; i < 3000; ++i)
        paints.append(paintCalls());
    QCOMPARE(m_system->counter(), 3000);

    // c = 50: 300 x 300 at x = 500 - 150 and its top edge on the middle line, y = 350.
    const QList<PaintCall> middle = paints.at(49);
    QCOMPARE(middle.size(), 1);
    QCOMPARE(middle.first().kind, PaintCall::Pixmap);
    QCOMPARE(middle.first().rect, QRectF(350, 350, 300, 300));
    // c = 20: y = trunc(-(350 + 600) * 20 * -80 / 2500 - 600) = 8.
    QCOMPARE(paints.at(19).first().rect, QRectF(440, 8, 120, 120));
    // c = 1: tiny, far above; c = 101 on: gone upwards.
    QVERIFY(paints.at(0).isEmpty());
    for (int c = 101; c <= 3000; c += 97)
        QVERIFY(paints.at(c - 1).isEmpty());

    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
}

void TestBoss::descentAndHover() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    for (int tick = 1; tick <= 177; ++tick) {
        m_system->updatePosition();
        QCOMPARE(monster->pos().y(), -224.0 + 1.5 * tick);
        QVERIFY(monster->isEntering());
    }
    QCOMPARE(monster->pos().y(), 41.5);
    // The first tick that finds y > 40 makes it hittable and turns it upwards.
    m_system->updatePosition();
    QVERIFY(!monster->isEntering());
    QCOMPARE(monster->pos().y(), 41.0);
    QCOMPARE(monster->pos().x(), 339.0);

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
    for (int i = 0; i < 400; ++i)
        m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 400);
    QVERIFY(m_system->balls().isEmpty());

    m_system->updateState();
    QCOMPARE(m_system->state(), 4);
    QCOMPARE(m_system->counter(), 0);
    QCOMPARE(m_system->rainCount(), 0);
    QVERIFY(monster->isEntering());
    QCOMPARE(m_system->balls().size(), 5);

    for (int i = 0; i < 600; ++i)
        m_system->updateState();
    QCOMPARE(m_system->state(), 4);
    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 0);
    // Still entering: it has to come down again before it can be hit.
    QVERIFY(monster->isEntering());
}

void TestBoss::climbsOutDuringAway() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    monster->setPos(QPointF(339.0, 35.0));
    leaveForAway();
    const QRectF box = monster->crashBox()->rects().first();
    int ticks = 0;
    while (monster->pos().y() >= -224.0 && ticks < 1000) {
        m_system->updatePosition();
        ++ticks;
    }
    QCOMPARE(ticks, 52);
    QCOMPARE(monster->pos().y(), -225.0);
    m_system->updatePosition();
    QCOMPARE(monster->pos().y(), -225.0);
    // Neither the box nor the bar follow it in this phase.
    QCOMPARE(monster->crashBox()->rects().first(), box);
}

void TestBoss::ringSchedule_data() {
    QTest::addColumn<int>("health");
    QTest::addColumn<QStringList>("attacks"); // "counter:waves"

    QTest::newRow("1000") << 1000 << QStringList();
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
    QTest::newRow("1") << 1 << QStringList{"0:3", "200:3", "400:3"};
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

void TestBoss::ringWave() {
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(100.5, 50.0));
    m_system->launchRing(0);
    QVERIFY(m_system->balls().isEmpty());

    m_system->launchRing(2);
    const QList<Ball*> balls = m_system->balls();
    QCOMPARE(balls.size(), 40);
    for (int i = 0; i < 40; ++i) {
        Ball* ball = balls.at(i);
        QCOMPARE(ball->delay(), 6 * (i + 1));
        QCOMPARE(ball->speed(), 8.0);
        QCOMPARE(ball->pos(), QPointF(261.5, 162.0));
        QCOMPARE(ball->parent(), m_system);
        // Each wave turns from pi/10 to 2 pi in steps of pi/10.
        const double angle = kPi / 10 * (i % 20 + 1);
        QVERIFY2(near(ball->direction().x(), std::cos(angle)), qPrintable(QString::number(i)));
        QVERIFY2(near(ball->direction().y(), std::sin(angle)), qPrintable(QString::number(i)));
    }
}

void TestBoss::fan() {
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(0.0, 0.0));
    m_system->launchFan();
    const QList<Ball*> balls = m_system->balls();
    QCOMPARE(balls.size(), 5);
    for (int k = 0; k < 5; ++k) {
        Ball* ball = balls.at(k);
        QCOMPARE(ball->delay(), 4 * k);
        QCOMPARE(ball->speed(), 6.0);
        QCOMPARE(ball->pos(), QPointF(161.0, 112.0));
        const double angle = (k + 1) * kPi / 6;
        QVERIFY(near(ball->direction().x(), std::cos(angle)));
        QVERIFY(near(ball->direction().y(), std::sin(angle)));
        // Every ball of the fan goes downwards.
        QVERIFY(ball->direction().y() > 0.0);
    }
}

void TestBoss::projectilesAreArmed() {
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(300.0, 100.0));
    m_system->launchFan();
    m_system->launchHead();
    Ball* ball = m_system->balls().first();
    Head* head = m_system->heads().first();
    QCOMPARE(head->parent(), m_system);

    // Character and score board: an invincible character destroys the ball for 25.
    m_character->setPosition(ball->pos());
    m_character->updateCrashBox(m_character->posture());
    m_character->setInvincible(true);
    ball->setSpeed(0.0);
    ball->shift();
    QVERIFY(!ball->active);
    QCOMPARE(m_score->score(), 25);

    // Bullet system: a bullet through the head destroys it.
    m_character->setPosition(kCharacterParking);
    m_character->updateCrashBox(m_character->posture());
    head->setLockDistance(100000.0);
    const QPointF c = head->pos() + QPointF(30.0, 37.0);
    fire(c, c + QPointF(100.0, 0.0));
    head->setSpeed(0.0);
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
    QTest::newRow("239") << 239 << 16 << 15;
    QTest::newRow("240") << 240 << 16 << 16;
    QTest::newRow("1001") << 1001 << 16 << 66;
    QTest::newRow("1920") << 1920 << 16 << 128;
    // Narrower than 15 columns: at least one pixel per step, so it still ends.
    QTest::newRow("14") << 14 << 15 << 1;
    QTest::newRow("10") << 10 << 11 << 1;
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
        Ball* ball = balls.at(i);
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
}

void TestBoss::rainOncePerAwayPhase() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    monster->setHealth(400);
    leaveForAway();
    monster->setPos(QPointF(339.0, -300.0));
    m_system->updateAttack();
    const int afterRain = m_system->balls().size();
    m_system->updateAttack();
    m_system->updateAttack();
    QCOMPARE(m_system->balls().size(), afterRain);

    // Back to fighting and away again: a new rain is allowed.
    for (int i = 0; i < 601; ++i)
        m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    leaveForAway();
    QCOMPARE(m_system->rainCount(), 0);
    const int beforeSecond = m_system->balls().size();
    m_system->updateAttack();
    QCOMPARE(m_system->balls().size() - beforeSecond, 32);
}

void TestBoss::bulletHitsCostHealth() {
    m_system->spawnMonster();
    settle();
    Monster* monster = m_system->monster();
    m_bullets->setDamage(12.9);
    const QPointF inside = monster->pos() + QPointF(100.0, 150.0);
    fire(inside, inside + QPointF(100.0, 0.0));

    m_system->checkCrash();
    QCOMPARE(monster->health(), 988);
    QCOMPARE(m_score->score(), 40);
    QCOMPARE(m_system->heads().size(), 1);
    Head* head = m_system->heads().first();
    QCOMPARE(head->pos(), monster->pos() + QPointF(161.0, 112.0));
    QCOMPARE(head->speed(), 4.0);
    QCOMPARE(head->target(), kCharacterParking);
    QVERIFY(m_bullets->bullets().first()->isHit());

    // A bullet that already hit is tested again until it is retired.
    m_system->checkCrash();
    QCOMPARE(monster->health(), 976);
    QCOMPARE(m_score->score(), 80);
    QCOMPARE(m_system->heads().size(), 2);

    // A miss changes nothing.
    m_bullets->updateState();
    QVERIFY(m_bullets->bullets().isEmpty());
    fire(QPointF(5.0, 690.0), QPointF(50.0, 690.0));
    m_system->checkCrash();
    QCOMPARE(monster->health(), 976);
}

void TestBoss::noHitsWhileEnteringOrBeaten() {
    m_system->checkCrash(); // no monster yet
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    monster->setPos(QPointF(300.0, 30.0));
    monster->updateCrashBox(monster->type());
    const QPointF inside = monster->pos() + QPointF(100.0, 150.0);
    fire(inside, inside + QPointF(100.0, 0.0));

    m_system->checkCrash();
    QCOMPARE(monster->health(), 1000);
    monster->setEntering(false);
    m_system->setState(3);
    m_system->checkCrash();
    QCOMPARE(monster->health(), 1000);
    QVERIFY(m_system->heads().isEmpty());
    m_system->setState(2);
    m_system->checkCrash();
    QCOMPARE(monster->health(), 990);
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
    settle();
    Monster* monster = m_system->monster();
    m_system->launchRing(1);
    m_system->launchHead();
    QPointer<Ball> ball = m_system->balls().first();
    QPointer<Head> head = m_system->heads().first();
    const QPointF pos = monster->pos();
    m_score->setScore(123);
    QSignalSpy won(m_system, &MonsterSystem::gameWin);

    monster->setHealth(0);
    m_system->updateState();
    QCOMPARE(m_system->state(), 3);
    QCOMPARE(m_system->counter(), 0);
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
    QVERIFY(m_system->balls().isEmpty());

    // The explosion keeps cycling.
    for (int i = 0; i < 7; ++i)
        m_system->updateAnimation();
    QCOMPARE(monster->animation()->currentFrame, 2);
    QCOMPARE(monster->frame().size(), QSize(360, 360));
}

void TestBoss::winOnTheFanTick() {
    m_system->spawnMonster();
    for (int i = 0; i < 400; ++i)
        m_system->updateState();
    m_system->monster()->setHealth(-7);
    QSignalSpy won(m_system, &MonsterSystem::gameWin);
    m_system->updateState();
    QCOMPARE(m_system->state(), 3);
    QCOMPARE(won.count(), 1);
    QVERIFY(m_system->balls().isEmpty());
}

void TestBoss::deadEyeSlowsProjectiles() {
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(300.0, 100.0));
    m_system->launchFan();
    m_system->launchHead();
    Ball* ball = m_system->balls().first();
    Head* head = m_system->heads().first();
    QVERIFY(m_deadEye->energy() > 1.0);
    m_deadEye->activate(0.1);
    QCOMPARE(m_deadEye->timeFactor(), 0.1);

    const QPointF ballBefore = ball->pos();
    const QPointF headBefore = head->pos();
    m_system->updatePosition();
    const QPointF ballStep = ball->pos() - ballBefore;
    QVERIFY(near(ballStep.x(), 0.6 * std::cos(kPi / 6)));
    QVERIFY(near(ballStep.y(), 0.6 * std::sin(kPi / 6)));
    QCOMPARE(ball->speed(), 6.0);
    const QPointF headStep = head->pos() - headBefore;
    QVERIFY(near(std::hypot(headStep.x(), headStep.y()), 0.4));
    QCOMPARE(head->speed(), 4.0);

    m_deadEye->deactivate();
    const QPointF ballAgain = ball->pos();
    m_system->updatePosition();
    QVERIFY(near(ball->pos().x() - ballAgain.x(), 6.0 * std::cos(kPi / 6)));
    QCOMPARE(ball->speed(), 6.0);
}

void TestBoss::headDashSpeed_data() {
    QTest::addColumn<double>("distance");
    QTest::addColumn<double>("speedAfter");

    QTest::newRow("deep inside") << 100.0 << 18.6;
    QTest::newRow("just inside the band") << 289.0 << 18.6;
    QTest::newRow("band edge") << 290.0 << 18.0;
    QTest::newRow("in the band") << 295.0 << 18.0;
    QTest::newRow("at the lock distance") << 300.0 << 4.0;
    QTest::newRow("outside") << 305.0 << 4.0;
}

void TestBoss::headDashSpeed() {
    QFETCH(double, distance);
    QFETCH(double, speedAfter);

    m_character->setPosition(QPointF(800.0, 400.0));
    m_character->updateCrashBox(m_character->posture());
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(0.0, -1000.0));
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

void TestBoss::destroyedHeadFallsStraight() {
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(300.0, 100.0));
    m_system->launchHead();
    Head* head = m_system->heads().first();
    head->active = false;
    head->exploding = true;
    const QPointF before = head->pos();
    m_system->updatePosition();
    QCOMPARE(head->direction(), QPointF(0.0, 1.0));
    QCOMPARE(head->pos(), before + QPointF(0.0, 4.0));
    // The acceleration of a destroyed head is undone by the restore.
    QCOMPARE(head->speed(), 4.0);
}

void TestBoss::lostProjectilesRemoved() {
    m_system->spawnMonster();
    m_system->monster()->setPos(QPointF(300.0, 100.0));
    m_system->launchRing(1); // long delays: nothing moves
    const QList<Ball*> balls = m_system->balls();
    QList<QPointer<Ball>> tracked;
    for (Ball* ball : balls)
        tracked.append(ball);
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
    QVERIFY(tracked[0]);
    QVERIFY(tracked[1]);
    QVERIFY(!tracked[2]);
    QVERIFY(!tracked[3]);
    QVERIFY(tracked[4]);
    QVERIFY(!tracked[5]);
    QVERIFY(tracked[6]);
    QCOMPARE(m_system->balls().size(), 20 - 3);
    QVERIFY(!lostHead);
    QVERIFY(brokenHead);
    QCOMPARE(m_system->heads().size(), 1);
}

void TestBoss::animationStep() {
    m_system->spawnMonster();
    Monster* monster = m_system->monster();
    monster->setPos(QPointF(300.0, 100.0));
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

void TestBoss::paintFighting() {
    m_system->spawnMonster();
    m_system->updatePosition(); // lays out the health bar
    Monster* monster = m_system->monster();
    monster->setPos(QPointF(300.0, 100.0));
    m_system->launchHead();
    m_system->launchFan();
    Ball* finished = m_system->balls().at(1);
    finished->finished = true;

    // Entering: the head, the four unfinished balls and the saucer; then everything again.
    QList<PaintCall> calls = paintCalls();
    QCOMPARE(calls.size(), 6 + 7);
    for (const PaintCall& call : calls)
        QCOMPARE(call.kind, PaintCall::Pixmap);
    QCOMPARE(calls.at(5).rect, QRectF(300, 100, 322, 224));
    QCOMPARE(calls.at(8).rect.topLeft(), finished->pos());
    QCOMPARE(calls.last().rect, QRectF(300, 100, 322, 224));

    // Hittable: the health bar (fill and outline) between the two passes.
    monster->setEntering(false);
    calls = paintCalls();
    QCOMPARE(calls.size(), 6 + 2 + 7);
    QCOMPARE(calls.at(6).kind, PaintCall::Rect);
    QCOMPARE(calls.at(7).kind, PaintCall::Rect);
    QCOMPARE(calls.at(7).rect, monster->healthBar()->rect());
    QCOMPARE(calls.at(7).pen.color(), QColor(40, 40, 40));
    QCOMPARE(calls.at(8).kind, PaintCall::Pixmap);
    QCOMPARE(calls.last().rect, QRectF(300, 100, 322, 224));
}

void TestBoss::paintAwayAndWaiting() {
    QVERIFY(paintCalls().isEmpty());
    m_system->spawnMonster();
    m_system->monster()->setEntering(false);
    m_system->monster()->setPos(QPointF(300.0, 100.0));
    m_system->launchHead();
    m_system->setState(4);
    const QList<PaintCall> calls = paintCalls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).kind, PaintCall::Pixmap);
    QCOMPARE(calls.at(1).rect, QRectF(300, 100, 322, 224));
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

QTEST_MAIN(TestBoss)
#include "tst_boss.moc"
