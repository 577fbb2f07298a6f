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
const QPointF kParking(0.0, 3000.0);
const QList<QRectF> kNewBox{QRectF(0, 74, 322, 149)};

// Angles are built by repeated addition: equal up to rounding.
bool aims(const QPointF& direction, double angle) {
    return std::abs(direction.x() - std::cos(angle)) < 1e-9 &&
           std::abs(direction.y() - std::sin(angle)) < 1e-9;
}
} // namespace

class TestBoss : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() {
        m_root.reset();
        m_dir.reset();
    }

    void monster();
    void timeline();
    void ringSchedule_data();
    void ringSchedule();
    void ringAndFan();
    void rain_data();
    void rain();
    void hitsAndWin();
    void paintOrderSlowMotionAndArming();
    void headDashSpeed_data();
    void headDashSpeed();
    void removalAndAnimation();

private:
    void repeat(int times, void (MonsterSystem::*slot)()) {
        for (int i = 0; i < times; ++i)
            (m_system->*slot)();
    }
    void placeCharacter(QPointF pos) {
        m_character->setPosition(pos);
        m_character->updateCrashBox(m_character->posture());
    }
    // A saucer with its health bar laid out, then moved to `pos`.
    Monster* spawnAt(QPointF pos) {
        m_system->spawnMonster();
        m_system->updatePosition();
        m_system->monster()->setPos(pos);
        return m_system->monster();
    }
    QList<PaintCall> paintCalls() {
        RecordingPaintDevice device(kScreen.size());
        QPainter painter(&device);
        m_system->paint(painter);
        return device.calls();
    }
    // One letter per call: Head, Ball, Monster at (300, 100), health bar Rectangle.
    QString paintOrder() {
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
    }

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
    placeCharacter(kParking);
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

void TestBoss::monster() {
    Monster monster;
    QCOMPARE(monster.crashBox()->rects(), kNewBox); // the lower two thirds of 322 x 224
    monster.setHealth(401);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->progress(), 0.401);
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 145, 67));
    // At 400 the fill turns red, and stays so.
    monster.setHealth(400);
    monster.updateBar();
    monster.setHealth(1000);
    monster.updateBar();
    QCOMPARE(monster.healthBar()->fillColor(), QColor(253, 92, 67));

    // Only the flying looks rebuild the box; both are 224 high, so keeping
    // the bottom edge means staying put.
    monster.setPos(QPointF(10.0, 20.5));
    monster.updateCrashBox(3);
    monster.updateCrashBox(0);
    QCOMPARE(monster.crashBox()->rects(), kNewBox);
    monster.setType(2);
    QCOMPARE(monster.pos(), QPointF(10.0, 20.5));
    QCOMPARE(monster.animation()->frameCount, 4);
    const QList<QRectF> damagedBox{QRectF(10, 94.5, 322, 149)};
    QCOMPARE(monster.crashBox()->rects(), damagedBox);
    monster.setPos(QPointF(50.0, 60.0));
    monster.explode(loadPixmap(":/images/bombs_big.png"));
    QCOMPARE(monster.crashBox()->rects(), damagedBox); // frozen

    // Health saturates instead of wrapping.
    monster.decreaseHealth(INT_MAX);
    monster.decreaseHealth(INT_MAX);
    QCOMPARE(monster.health(), INT_MIN);
    monster.setHealth(INT_MAX - 5);
    monster.increaseHealth(10);
    QCOMPARE(monster.health(), INT_MAX);
}

void TestBoss::timeline() {
    m_system->reset();
    m_score->setScore(19);
    m_system->updateState();
    QCOMPARE(m_system->state(), 0);
    m_score->setScore(20);
    m_system->updateState();
    QCOMPARE(m_system->state(), 1);
    QCOMPARE(m_system->counter(), 0);

    // Painting advances the approach, so it goes on through a pause.
    QList<QList<PaintCall>> paints;
    for (int c = 1; c <= 3000; ++c) {
        paints.append(paintCalls());
        if (c == 100)
            m_system->updateState();
    }
    QVERIFY(!m_system->monster());
    // c = 50: 300 x 300, centred, its top edge on the middle line.
    QCOMPARE(paints[49].size(), 1);
    QCOMPARE(paints[49][0].rect, QRectF(350, 350, 300, 300));
    // c = 20: y = trunc(-(350 + 600) * 20 * -80 / 2500 - 600) = 8.
    QCOMPARE(paints[19].value(0).rect, QRectF(440, 8, 120, 120));
    // Out of sight, and never scaled up: tiny far above at c = 1, gone from 101 on.
    QVERIFY(paints[0].isEmpty());
    for (int c = 101; c <= 3000; ++c)
        QVERIFY(paints[c - 1].isEmpty());

    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 0);
    Monster* monster = m_system->monster();
    QCOMPARE(monster->pos(), QPointF(339.0, -224.0)); // 1001 / 2 - 322 / 2
    for (int tick = 1; tick <= 177; ++tick) {
        m_system->updatePosition();
        QCOMPARE(monster->pos().y(), -224.0 + 1.5 * tick);
        QVERIFY(monster->isEntering());
    }
    // The first tick that finds y > 40 makes it hittable and turns it upwards.
    m_system->updatePosition();
    QVERIFY(!monster->isEntering());
    QCOMPARE(monster->pos(), QPointF(339.0, 41.0));
    double lowest = 1000.0, highest = -1000.0;
    for (int tick = 0; tick < 200; ++tick) {
        m_system->updatePosition();
        lowest = std::min(lowest, monster->pos().y());
        highest = std::max(highest, monster->pos().y());
    }
    QCOMPARE(lowest, 29.5);
    QCOMPARE(highest, 40.5);
    const QList<QRectF> box{QRectF(339, monster->pos().y() + 74, 322, 149)};
    QCOMPARE(monster->crashBox()->rects(), box);
    QCOMPARE(monster->healthBar()->rect(), QRectF(333.5, 10, 333, 30)); // W / 3, centred

    m_system->launchRain(0); // counts as a rain, launches nothing
    QCOMPARE(m_system->rainCount(), 1);
    repeat(400, &MonsterSystem::updateState);
    QCOMPARE(m_system->state(), 2);
    QVERIFY(m_system->balls().isEmpty());
    // Step 401 throws the fan and leaves; the new away phase allows a new rain.
    m_system->updateState();
    QCOMPARE(m_system->state(), 4);
    QCOMPARE(m_system->counter(), 0);
    QCOMPARE(m_system->rainCount(), 0);
    QVERIFY(monster->isEntering());
    QCOMPARE(m_system->balls().size(), 5);
    // 5 px per tick until wholly above the window; the box stays behind.
    monster->setPos(QPointF(339.0, 35.0));
    int ticks = 0;
    for (; monster->pos().y() >= -224.0 && ticks < 1000; ++ticks)
        m_system->updatePosition();
    QCOMPARE(ticks, 52);
    m_system->updatePosition();
    QCOMPARE(monster->pos().y(), -225.0);
    QCOMPARE(monster->crashBox()->rects(), box);
    repeat(600, &MonsterSystem::updateState);
    QCOMPARE(m_system->state(), 4);
    m_system->updateState();
    QCOMPARE(m_system->state(), 2);
    QCOMPARE(m_system->counter(), 0);
    QVERIFY(monster->isEntering()); // it must come down again to be hit

    // Reset drops the saucer and every projectile but keeps the counter.
    m_system->launchHead();
    m_system->launchRain(1);
    m_system->updateState();
    const QPointer<Monster> saucer = monster;
    const QPointer<Ball> ball = m_system->balls().first();
    const QPointer<Head> head = m_system->heads().first();
    m_system->reset();
    QCOMPARE(m_system->state(), 0);
    QCOMPARE(m_system->rainCount(), 0);
    QCOMPARE(m_system->counter(), 1);
    QVERIFY(!m_system->monster() && !saucer && !ball && !head);
    QVERIFY(m_system->balls().isEmpty() && m_system->heads().isEmpty());
}

void TestBoss::ringSchedule_data() {
    QTest::addColumn<int>("health");
    QTest::addColumn<QStringList>("attacks"); // "counter:waves"

    QTest::newRow("801") << 801 << QStringList();
    QTest::newRow("751") << 751 << QStringList{"0:1"};
    QTest::newRow("750") << 750 << QStringList{"0:1", "400:1"};
    QTest::newRow("601") << 601 << QStringList{"0:1", "400:1"};
    QTest::newRow("600") << 600 << QStringList{"0:2", "400:2"};
    QTest::newRow("500") << 500 << QStringList{"0:2", "300:2"};
    QTest::newRow("401") << 401 << QStringList{"0:2", "300:2"};
    QTest::newRow("400") << 400 << QStringList{"0:3", "300:3"};
    QTest::newRow("250") << 250 << QStringList{"0:3", "200:3", "400:3"};
}

void TestBoss::ringSchedule() {
    QFETCH(int, health);
    QFETCH(QStringList, attacks);

    // Counter 0 is the tick the saucer arrives or comes back.
    m_system->spawnMonster();
    m_system->monster()->setHealth(health);
    QStringList seen;
    for (int tick = 0; tick <= 400; ++tick) {
        if (tick > 0)
            m_system->updateState();
        const int before = m_system->balls().size();
        m_system->updateAttack();
        if (const int added = m_system->balls().size() - before)
            seen.append(QString("%1:%2").arg(m_system->counter()).arg(added / 20.0));
    }
    QCOMPARE(seen, attacks);
}

void TestBoss::ringAndFan() {
    spawnAt(QPointF(100.5, 50.0));
    m_system->launchRing(0);
    QVERIFY(m_system->balls().isEmpty());
    // Ring ball i (from 1, across waves) waits 6 i, each wave turning from pi/10
    // to 2 pi; the fan waits 4 k, from 30 to 150 degrees. All from the centre
    // by integer halves.
    m_system->launchRing(2);
    m_system->launchFan();
    const QList<Ball*> balls = m_system->balls();
    QCOMPARE(balls.size(), 45);
    for (int i = 0; i < balls.size(); ++i) {
        const bool fan = i >= 40;
        QCOMPARE(balls[i]->parent(), m_system);
        QCOMPARE(balls[i]->pos(), QPointF(261.5, 162.0));
        QCOMPARE(balls[i]->delay(), fan ? 4 * (i - 40) : 6 * (i + 1));
        QCOMPARE(balls[i]->speed(), fan ? 6.0 : 8.0);
        const double angle = fan ? (i - 39) * kPi / 6 : (i % 20 + 1) * kPi / 10;
        QVERIFY2(aims(balls[i]->direction(), angle), qPrintable(QString::number(i)));
    }
}

void TestBoss::rain_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("health");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("waves");
    QTest::addColumn<int>("perWave");
    QTest::addColumn<int>("step");

    QTest::newRow("healthy") << 1001 << 401 << -300.0 << 0 << 0 << 0;
    QTest::newRow("touching the top edge") << 1001 << 400 << -224.0 << 0 << 0 << 0;
    QTest::newRow("600 lost, just above") << 1001 << 400 << -224.5 << 2 << 16 << 66;
    QTest::newRow("899 lost") << 1001 << 101 << -300.0 << 2 << 16 << 66;
    QTest::newRow("900 lost") << 1001 << 100 << -300.0 << 3 << 16 << 66;
    QTest::newRow("1300 lost") << 1001 << -300 << -300.0 << 3 << 16 << 66;
    QTest::newRow("225 wide") << 225 << 400 << -300.0 << 2 << 16 << 15;
    // Narrower than 15 columns: at least one pixel per step, so it still ends.
    QTest::newRow("14 wide") << 14 << 400 << -300.0 << 2 << 15 << 1;
    QTest::newRow("0 wide") << 0 << 400 << -300.0 << 2 << 1 << 1;
}

void TestBoss::rain() {
    QFETCH(int, width);
    QFETCH(int, health);
    QFETCH(double, y);
    QFETCH(int, waves);
    QFETCH(int, perWave);
    QFETCH(int, step);

    m_environment->setScreenRect(QRect(0, 0, width, 600));
    m_system->spawnMonster();
    repeat(401, &MonsterSystem::updateState); // away, after the fan's 5 balls
    m_system->monster()->setHealth(health);
    m_system->monster()->setPos(QPointF(339.0, y));
    m_system->updateAttack();
    m_system->updateAttack(); // once per away phase
    QCOMPARE(m_system->rainCount(), waves > 0 ? 1 : 0);
    const QList<Ball*> rain = m_system->balls().mid(5);
    QCOMPARE(rain.size(), waves * perWave);
    for (int i = 0; i < rain.size(); ++i) {
        // Two pixels of each ball show at the top edge.
        QCOMPARE(rain[i]->pos(), QPointF((i % perWave) * step, 2 - 76));
        QCOMPARE(rain[i]->delay(), 9 * (i + 1));
        QCOMPARE(rain[i]->speed(), 16.0);
        QVERIFY(aims(rain[i]->direction(), kPi / 2));
    }
}

void TestBoss::hitsAndWin() {
    m_system->checkCrash(); // no monster yet
    Monster* monster = spawnAt(QPointF(300.0, 30.0));
    monster->updateCrashBox(monster->type());
    m_bullets->setDamage(12.9);
    const QPointF inside = monster->pos() + QPointF(100.0, 150.0);
    m_bullets->shoot(inside, (inside + QPointF(100.0, 0.0)).toPoint());
    // Not while entering, nor once beaten.
    m_system->checkCrash();
    monster->setEntering(false);
    m_system->setState(3);
    m_system->checkCrash();
    QCOMPARE(monster->health(), 1000);
    QVERIFY(m_system->heads().isEmpty());

    m_system->setState(2);
    m_system->checkCrash();
    QCOMPARE(monster->health(), 988);
    QCOMPARE(m_score->score(), 40);
    QVERIFY(m_bullets->bullets().first()->isHit());
    const Head* head = m_system->heads().first();
    QCOMPARE(head->pos(), monster->pos() + QPointF(161.0, 112.0));
    QCOMPARE(head->speed(), 4.0);
    QCOMPARE(head->target(), kParking);
    // A bullet that already hit is tested again until it is retired.
    m_system->checkCrash();
    QCOMPARE(monster->health(), 976);
    QCOMPARE(m_score->score(), 80);
    QCOMPARE(m_system->heads().size(), 2);

    double lowest = 1000.0, highest = 0.0;
    for (int i = 0; i < 1000; ++i) {
        m_system->launchHead();
        const double lock = m_system->heads().last()->lockDistance();
        QVERIFY2(lock >= 150.0 && lock < 350.0, qPrintable(QString::number(lock)));
        lowest = std::min(lowest, lock);
        highest = std::max(highest, lock);
    }
    QVERIFY(lowest < 160.0 && highest > 340.0);

    // Beaten on the step that throws the fan: the fan vanishes with the rest.
    repeat(400, &MonsterSystem::updateState);
    const QPointer<Head> firstHead = m_system->heads().first();
    QSignalSpy won(m_system, &MonsterSystem::gameWin);
    monster->setHealth(0);
    const QPointF pos = monster->pos();
    m_system->updateState();
    QCOMPARE(m_system->state(), 3);
    QVERIFY(!firstHead && m_system->balls().isEmpty() && m_system->heads().isEmpty());
    QCOMPARE(monster->type(), 3);
    QCOMPARE(monster->pos(), pos);
    for (int i = 0; i < 10; ++i) {
        m_system->updateState();
        m_system->updateAttack();
        m_system->updatePosition();
        m_system->checkCrash();
    }
    QCOMPARE(won.count(), 1);
    QCOMPARE(m_score->score(), 5080);
    // The explosion keeps cycling its five frames.
    repeat(7, &MonsterSystem::updateAnimation);
    QCOMPARE(monster->animation()->currentFrame, 2);
    QCOMPARE(monster->frame().size(), QSize(360, 360));
}

void TestBoss::paintOrderSlowMotionAndArming() {
    Monster* monster = spawnAt(QPointF(300.0, 100.0));
    m_system->launchFan();
    m_system->launchHead();
    m_system->launchHead();
    // Fighting: heads, unfinished balls, saucer, the bar (fill, then outline)
    // unless entering; then everything again on top, finished balls included.
    m_system->balls().at(1)->finished = true;
    QCOMPARE(paintOrder(), QString("HHBBBBMHHBBBBBM"));
    monster->setEntering(false);
    QCOMPARE(paintOrder(), QString("HHBBBBMrRHHBBBBBM"));
    m_system->setState(4);
    QCOMPARE(paintOrder(), QString("HHBBBBBM"));
    m_system->setState(0);
    QVERIFY(paintCalls().isEmpty());
    m_system->setState(2);

    Ball* ball = m_system->balls().first();
    Head* head = m_system->heads().at(0);
    Head* broken = m_system->heads().at(1);
    broken->active = false;
    broken->exploding = true;
    m_deadEye->activate(0.1);
    const QPointF ballBefore = ball->pos(), headBefore = head->pos(), brokenBefore = broken->pos();
    m_system->updatePosition();
    QVERIFY(aims((ball->pos() - ballBefore) / 0.6, kPi / 6));
    QCOMPARE(ball->speed(), 6.0);
    const QPointF headStep = head->pos() - headBefore;
    QVERIFY(std::abs(std::hypot(headStep.x(), headStep.y()) - 0.4) < 1e-9);
    QCOMPARE(head->speed(), 4.0);
    // A destroyed head that was homing drops straight down; the restore
    // undoes its acceleration.
    QCOMPARE(broken->pos(), brokenBefore + QPointF(0.0, 0.4));
    QCOMPARE(broken->speed(), 4.0);
    // Armed with the dinosaur and the score board: an invincible one destroys a ball for 25.
    placeCharacter(ball->pos());
    m_character->setInvincible(true);
    ball->shift();
    QVERIFY(!ball->active);
    QCOMPARE(m_score->score(), 25);
    // And with the bullets.
    placeCharacter(kParking);
    const QPointF centre = head->pos() + QPointF(30.0, 37.0);
    m_bullets->shoot(centre, (centre + QPointF(100.0, 0.0)).toPoint());
    head->shift();
    QVERIFY(!head->active);
    QCOMPARE(m_score->score(), 50);
    // Every crash kills.
    emit m_system->balls().at(1)->crashed();
    QCOMPARE(m_character->health(), 0.0);
    m_character->setHealth(1.0);
    emit head->crashed();
    QCOMPARE(m_character->health(), 0.0);
}

void TestBoss::headDashSpeed_data() {
    QTest::addColumn<double>("distance");
    QTest::addColumn<double>("speedAfter");

    QTest::newRow("well inside") << 289.0 << 18.6;
    QTest::newRow("in the 10 px band") << 290.0 << 18.0;
    QTest::newRow("at the lock distance") << 300.0 << 4.0;
}

void TestBoss::headDashSpeed() {
    QFETCH(double, distance);
    QFETCH(double, speedAfter);

    placeCharacter(QPointF(800.0, 400.0));
    spawnAt(QPointF(0.0, -1000.0));
    m_system->launchHead();
    Head* head = m_system->heads().first();
    head->setLockDistance(300.0);
    // Centre (integer halves 38, 37) exactly `distance` left of the target.
    head->setPos(QPointF(800.0 - 38.0 - distance, 400.0 - 37.0));
    QCOMPARE(head->distanceToTarget(), distance);
    m_system->updatePosition();
    QCOMPARE(head->speed(), speedAfter);
}

void TestBoss::removalAndAnimation() {
    Monster* monster = spawnAt(QPointF(300.0, 100.0));
    m_system->launchRing(1); // long delays: nothing moves
    const QList<Ball*> ring = m_system->balls();
    const QList<QPointer<Ball>> tracked(ring.begin(), ring.begin() + 6);
    // Corners are rounded; the window ends at (1000, 700) and its edges count.
    const QList<QPointF> places{{-76.4, -76.0},  {-76.6, -76.0}, {1000.0, 700.0},
                                {1001.0, 701.0}, {300.0, 300.0}, {300.0, 300.0}};
    for (int i = 0; i < places.size(); ++i)
        ring[i]->setPos(places[i]);
    ring[4]->finished = true; // on screen but done: it must never reach the animation step
    ring[5]->active = false;
    ring[5]->exploding = true;
    m_system->launchHead();
    m_system->launchHead();
    QPointer<Head> lost = m_system->heads().at(0);
    QPointer<Head> broken = m_system->heads().at(1);
    lost->setPos(QPointF(-500.0, 300.0));
    broken->setPos(QPointF(500.0, 300.0));
    broken->active = false;
    broken->finished = true;
    m_system->updatePosition();
    QList<bool> kept;
    for (const QPointer<Ball>& ball : tracked)
        kept.append(!ball.isNull());
    QCOMPARE(kept, (QList<bool>{true, false, true, false, false, true}));
    QCOMPARE(m_system->balls().size(), 17);
    QVERIFY(!lost && broken);
    QCOMPARE(m_system->heads().size(), 1);

    // Exploding balls step their explosion; at 400 the saucer takes the
    // damaged look, which advances on every second step.
    m_system->launchHead();
    const Head* head = m_system->heads().last();
    monster->setHealth(401);
    m_system->updateAnimation();
    QCOMPARE(monster->type(), 1);
    QCOMPARE(head->animation->currentFrame, 1);
    QCOMPARE(ring[5]->frame.size(), QSize(180, 180));
    QCOMPARE(ring[0]->frame.size(), QSize(76, 76));
    monster->setHealth(400);
    QList<int> frames;
    for (int step = 0; step < 3; ++step) {
        m_system->updateAnimation();
        frames.append(monster->animation()->currentFrame);
    }
    QCOMPARE(monster->type(), 2);
    QCOMPARE(frames, QList<int>({0, 0, 1}));
    QCOMPARE(head->animation->currentFrame, 4);
}

QTEST_MAIN(TestBoss)
#include "tst_boss.moc"
