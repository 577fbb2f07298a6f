#include "animation.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <tuple>

namespace {
constexpr double kGround = 500.0;

// A dinosaur on a 1920-pixel-wide screen, its level file kept in a scratch directory.
struct Rig {
    ScopedWorkingDirectory dir;
    EnvironmentSystem environment{QRect(0, 0, 1920, 1080), 8.0};
    DeadEye deadEye;
    GameCharacter dino{&environment};
    Rig() {
        for (QTimer* timer : deadEye.findChildren<QTimer*>())
            timer->stop();
        dino.setDeadEye(&deadEye);
    }
    // Lands on the ground line at x; the tick on the ground resets gravity.
    void landAt(double x, double groundY = kGround) {
        dino.setGroundY(groundY);
        dino.setPosition(QPointF(x, groundY));
        dino.setAirborne(true);
        dino.fall();
        dino.fall();
    }
};

enum Condition { Normal, DuringDeadEye, NeverLanded, SidewaysOff };
} // namespace

class TestCharacter : public QObject {
    Q_OBJECT
private slots:
    void startLandingAndReset();
    void jumpFromGround();
    void posturesKeepTheFeetAndBuildTheirBoxes();
    void sidewaysStep_data();
    void sidewaysStep();
    void moveToArrivesExactly();
    void gravityUnderDeadEyeAndFastFall();
};

void TestCharacter::startLandingAndReset() {
    Rig rig;
    GameCharacter& c = rig.dino;
    QVERIFY(c.isAirborne() && c.isInvincible() && !c.hasLanded());
    QCOMPARE(c.groundY(), 300.0);
    // Only the first landing on the real ground (below y = 1) ends the start invincibility.
    rig.landAt(100.0, 1.0);
    QVERIFY(!c.hasLanded() && c.isInvincible());
    rig.landAt(100.0, 2.0);
    QVERIFY(c.hasLanded() && !c.isInvincible());
    c.setInvincible(true);
    rig.landAt(300.0);
    QVERIFY(c.isInvincible());

    c.setPosture(2);
    c.setVx(6.0);
    c.setGravity(0.5);
    c.setCanMoveSideways(false);
    c.die();
    c.reset();
    QVERIFY(c.isInvincible() && !c.hasLanded() && !c.keepInvincible && c.canMoveSideways());
    QVERIFY(c.vx() == 0.0 && c.gravity() == 1.6 && c.health() == 1.0 && c.posture() == 1);
    QVERIFY(c.groundY() == kGround && !c.isAirborne()); // where it stands is kept
    // While the dash keeps the invincibility, the first landing does not end it.
    c.keepInvincible = true;
    rig.landAt(300.0);
    QVERIFY(c.hasLanded() && c.isInvincible());
}

void TestCharacter::jumpFromGround() {
    Rig rig;
    GameCharacter& c = rig.dino;
    rig.landAt(200.0);
    QSignalSpy landings(&c, &GameCharacter::hitGround);
    c.setVy(-30.0);
    c.setAirborne(true);
    QList<double> heights; // above the ground, after each tick
    while (c.isAirborne() && heights.size() < 100) {
        c.fall();
        heights << kGround - c.position().y();
    }
    QCOMPARE(heights.first(), 28.4);
    QCOMPARE(std::max_element(heights.begin(), heights.end()) - heights.begin(), 17);
    QCOMPARE(heights.at(17), 266.4);
    QCOMPARE(heights.size(), 37);
    QCOMPARE(heights.last(), 0.0);
    QCOMPARE(landings.count(), 1);
}

void TestCharacter::posturesKeepTheFeetAndBuildTheirBoxes() {
    Rig rig;
    GameCharacter& c = rig.dino;
    c.setPosition(QPointF(100.0, 200.0));
    c.updateCrashBox(1);
    QCOMPARE(c.crashBox()->rects(),
             QList<QRectF>({QRectF(143.5, 200, 43.5, 31), QRectF(100, 231, 65.25, 31),
                            QRectF(121.75, 262, 43.5, 32)}));
    QCOMPARE(c.center(), QPointF(143.0, 247.0));

    // Ducking moves the top down by 94 - 59 = 35 px.
    c.setPosture(2);
    QCOMPARE(c.position(), QPointF(100.0, 235.0));
    QCOMPARE(c.frame().size(), QSize(118, 59));
    QCOMPARE(c.animation()->currentFrame, 0);
    QCOMPARE(c.crashBox()->rects(),
             QList<QRectF>({QRectF(103, 237, 111, 17), QRectF(119, 254, 79, 20),
                            QRectF(129.5, 274, 19.5, 20)}));
    QCOMPARE(c.center(), QPointF(159.0, 264.0));
    c.setPosture(1);
    QCOMPARE(c.position(), QPointF(100.0, 200.0));

    // Anything but 1 or 2 keeps the posture and its sprite.
    Animation* before = c.animation();
    c.setPosture(5);
    QVERIFY(c.posture() == 1 && c.animation() == before);
    c.updateCrashBox(7);
    QVERIFY(c.crashBox()->rects().isEmpty());
}

void TestCharacter::sidewaysStep_data() {
    QTest::addColumn<int>("condition");
    QTest::addColumn<double>("startX");
    QTest::addColumn<double>("vx");
    QTest::addColumn<double>("expectedX");
    QTest::newRow("left of the margin, standing still") << int(Normal) << 30.0 << 0.0 << 30.0;
    QTest::newRow("left of the margin, moving right") << int(Normal) << 30.0 << 6.0 << 46.0;
    QTest::newRow("on the margin, one step over it") << int(Normal) << 40.0 << -6.0 << 34.0;
    // Past the right edge: pulled back to (W - 1) - w = 1832 before stepping.
    QTest::newRow("past the right edge") << int(Normal) << 1850.0 << 6.0 << 1838.0;
    QTest::newRow("exactly touching the right edge") << int(Normal) << 1833.0 << 6.0 << 1839.0;
    QTest::newRow("during DeadEye") << int(DuringDeadEye) << 500.0 << 6.0 << 500.06;
    QTest::newRow("never landed") << int(NeverLanded) << 500.0 << 6.0 << 500.0;
    QTest::newRow("sideways movement off") << int(SidewaysOff) << 500.0 << 6.0 << 500.0;
}

void TestCharacter::sidewaysStep() {
    QFETCH(int, condition);
    QFETCH(double, startX);
    QFETCH(double, vx);
    QFETCH(double, expectedX);
    Rig rig;
    GameCharacter& c = rig.dino;
    condition == NeverLanded ? c.setPosition(QPointF(startX, kGround)) : rig.landAt(startX);
    if (condition == DuringDeadEye)
        rig.deadEye.activate(0.1);
    c.setCanMoveSideways(condition != SidewaysOff);
    c.setVx(vx);
    c.horizontal_shift();
    QCOMPARE(c.position().x(), expectedX);
}

void TestCharacter::moveToArrivesExactly() {
    Rig rig;
    GameCharacter& c = rig.dino;
    c.targetX = 500.0;
    for (const auto& [fromX, speed, toX] : {std::tuple{400.0, 8.0, 408.0},
                                            {600.0, 16.0, 584.0},
                                            {492.0, 8.0, 500.0},
                                            {505.5, 16.0, 500.0}}) {
        c.setPosition(QPointF(fromX, 100.0));
        c.autoMove = true;
        c.move_to(speed);
        QCOMPARE(c.position().x(), toX);
        QCOMPARE(c.autoMove, toX != 500.0); // arriving ends the steering
    }
}

void TestCharacter::gravityUnderDeadEyeAndFastFall() {
    Rig rig;
    GameCharacter& c = rig.dino;
    c.setGroundY(kGround);
    c.setPosition(QPointF(100.0, 300.0));
    c.setVy(-10.0);
    rig.deadEye.activate(0.1);
    // The stored gravity shrinks by f² on every airborne tick and fast fall holds it
    // at 3.5; the distance moved is scaled by f² either way.
    for (const auto& [fastFall, gravity, vy] :
         {std::tuple{false, 0.016, -9.984}, {false, 0.00016, -9.98384}, {true, 3.5, -6.48384}}) {
        const double y = c.position().y();
        c.setFastFall(fastFall);
        c.fall();
        QVERIFY(qFuzzyCompare(c.gravity(), gravity) && qFuzzyCompare(c.vy(), vy));
        QCOMPARE(c.position().y(), y + 0.01 * vy);
    }
    // Back to 1.6 on the first tick after the skill ends; fast fall adds 3.5 a tick
    // and clears on the tick after the landing.
    c.setFastFall(false);
    rig.deadEye.deactivate();
    c.fall();
    QCOMPARE(c.gravity(), 1.6);
    c.setFastFall(true);
    const double vy = c.vy();
    c.fall();
    QCOMPARE(c.vy(), vy + 3.5);
    while (c.isAirborne())
        c.fall();
    QVERIFY(c.isFastFall());
    c.fall();
    QVERIFY(!c.isFastFall() && c.gravity() == 1.6);
}

QTEST_MAIN(TestCharacter)
#include "tst_character.moc"
