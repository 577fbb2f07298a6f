#include "testsupport.h"

#include <tuple>

namespace {
constexpr double kGround = 500.0;

// A dinosaur on a 1920-pixel-wide screen with its dash and its DeadEye, clock stopped.
struct Rig {
    ScopedWorkingDirectory dir;
    EnvironmentSystem environment{QRect(0, 0, 1920, 1080), 8.0};
    DeadEye deadEye;
    GameCharacter dino{&environment};
    Rush rush{&dino, &environment, 15.0, 150.0};
    Rig() { dino.setDeadEye(&deadEye); }
    // Lands on the ground line at x; the tick on the ground resets gravity.
    void landAt(double x, double groundY = kGround) {
        dino.setGroundY(groundY);
        dino.setPosition(QPointF(x, groundY));
        dino.setAirborne(true);
        dino.fall();
        dino.fall();
    }
};
} // namespace

class TestCharacter : public QObject {
    Q_OBJECT

private slots:
    void startLandingAndReset() {
        Rig rig;
        GameCharacter& c = rig.dino;
        QVERIFY(c.isAirborne() && c.isInvincible() && !c.hasLanded() && c.groundY() == 300.0);
        // Only the first landing on the real ground (below y = 1) ends the start invincibility.
        rig.landAt(100.0, 1.0);
        QVERIFY(!c.hasLanded() && c.isInvincible());
        rig.landAt(100.0, 2.0);
        QVERIFY(c.hasLanded() && !c.isInvincible());
        c.setInvincible(true);
        rig.landAt(300.0);
        QVERIFY(c.isInvincible());
        c.setPosture(Posture::Low);
        c.setVx(6.0);
        c.setGravity(0.5);
        c.setCanMoveSideways(false);
        c.die();
        c.reset(); // keeps where it stands
        QVERIFY(c.isInvincible() && !c.hasLanded() && !c.keepInvincible && c.canMoveSideways());
        QVERIFY(c.vx() == 0.0 && c.gravity() == 1.6 && c.health() == 1.0 && !c.isAirborne());
        QVERIFY(c.groundY() == kGround && c.posture() == Posture::Upright);
        c.keepInvincible = true; // the dash's: the first landing leaves it on
        rig.landAt(300.0);
        QVERIFY(c.hasLanded() && c.isInvincible());
    }

    // Ducking moves the top down by 94 - 59 = 35 px.
    void posturesKeepTheFeetAndBuildTheirBoxes() {
        Rig rig;
        GameCharacter& c = rig.dino;
        c.setPosition(QPointF(100.0, 200.0));
        c.updateCrashBox(Posture::Upright);
        QCOMPARE(c.crashBox()->rects(),
                 QList<QRectF>({QRectF(143.5, 200, 43.5, 31), QRectF(100, 231, 65.25, 31),
                                QRectF(121.75, 262, 43.5, 32)}));
        QCOMPARE(c.center(), QPointF(143.0, 247.0));
        c.setPosture(Posture::Low);
        QVERIFY(c.position() == QPointF(100.0, 235.0) && c.frame().size() == QSize(118, 59));
        QCOMPARE(c.crashBox()->rects(),
                 QList<QRectF>({QRectF(103, 237, 111, 17), QRectF(119, 254, 79, 20),
                                QRectF(129.5, 274, 19.5, 20)}));
        QCOMPARE(c.center(), QPointF(159.0, 264.0));
    }

    // The margins pull back first: 40 px on the left, (W - 1) - w = 1832 on the right.
    void sidewaysStep() {
        const std::tuple<bool, bool, bool, double, double, double> cases[] = {
            // landed, sideways, slow, start x, vx, expected x
            {true, true, false, 30.0, 0.0, 30.0},     {true, true, false, 30.0, 6.0, 46.0},
            {true, true, false, 40.0, -6.0, 34.0},    {true, true, false, 1850.0, 6.0, 1838.0},
            {true, true, false, 1833.0, 6.0, 1839.0}, {true, true, true, 500.0, 6.0, 500.06},
            {false, true, false, 500.0, 6.0, 500.0},  {true, false, false, 500.0, 6.0, 500.0}};
        for (const auto& [landed, sideways, slow, startX, vx, expectedX] : cases) {
            Rig rig;
            landed ? rig.landAt(startX) : rig.dino.setPosition(QPointF(startX, kGround));
            rig.dino.setCanMoveSideways(sideways);
            rig.deadEye.activate(slow ? 0.1 : 1.0); // 1.0: on, at normal speed
            rig.dino.setVx(vx);
            rig.dino.horizontal_shift();
            QCOMPARE(rig.dino.position().x(), expectedX);
        }
    }

    void moveToArrivesExactly() {
        Rig rig;
        GameCharacter& c = rig.dino;
        c.targetX = 500.0;
        const std::tuple<double, double, double> cases[] = {
            {400.0, 8.0, 408.0}, {600.0, 16.0, 584.0}, {492.0, 8.0, 500.0}, {505.5, 16.0, 500.0}};
        for (const auto& [fromX, speed, toX] : cases) {
            c.setPosition(QPointF(fromX, 100.0));
            c.autoMove = true;
            c.move_to(speed);
            QCOMPARE(c.position().x(), toX);
            QCOMPARE(c.autoMove, toX != 500.0); // arriving ends the steering
        }
    }

    // Under DeadEye the stored gravity shrinks by f² every airborne tick (fast fall holds
    // 3.5) and the distance moved is scaled by f²; fast fall clears a tick after landing.
    void jumpAndGravity() {
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
        QVERIFY(heights.size() == 37 && heights.last() == 0.0 && landings.count() == 1);
        QCOMPARE(heights.first(), 28.4);

        c.setPosition(QPointF(100.0, 300.0));
        c.setAirborne(true);
        c.setVy(-10.0);
        // DeadEye factor (1: off), fast fall, gravity and vy after the tick
        const std::tuple<double, bool, double, double> ticks[] = {{0.1, false, 0.016, -9.984},
                                                                  {0.1, false, 0.00016, -9.98384},
                                                                  {0.1, true, 3.5, -6.48384},
                                                                  {1.0, false, 1.6, -4.88384}};
        for (const auto& [factor, fastFall, gravity, vy] : ticks) {
            const double y = c.position().y();
            factor < 1.0 ? rig.deadEye.activate(factor) : rig.deadEye.deactivate();
            c.setFastFall(fastFall);
            c.fall();
            QVERIFY(qFuzzyCompare(c.gravity(), gravity) && qFuzzyCompare(c.vy(), vy));
            QCOMPARE(c.position().y(), y + factor * factor * vy);
        }
        c.setFastFall(true);
        while (c.isAirborne())
            c.fall();
        QVERIFY(c.isFastFall());
        c.fall();
        QVERIFY(!c.isFastFall() && c.gravity() == 1.6);
    }

    // The dash aims by the width of the posture it starts from, then steers back home.
    void dashStartAndStop() {
        const std::tuple<int, int, double> cases[] = {{Posture::Upright, 1920, 960.0 - 43.5},
                                                      {Posture::Low, 1920, 960.0 - 59.0},
                                                      {Posture::Upright, 1367, 683.0 - 43.5}};
        for (const auto& [posture, width, targetX] : cases) {
            Rig rig;
            GameCharacter& c = rig.dino;
            rig.environment.setScreenRect(QRect(0, 0, width, 800));
            c.setPosture(posture);
            rig.rush.start();
            QVERIFY(c.targetX == targetX && c.autoMove && c.posture() == Posture::Low);
            QVERIFY(c.isInvincible() && c.keepInvincible && rig.environment.speed() == 16.0);
            c.autoMove = false;
            rig.rush.stop();
            QVERIFY(c.targetX == 0.3 * width && c.autoMove && c.posture() == Posture::Upright);
            QVERIFY(!c.isInvincible() && !c.keepInvincible && rig.environment.speed() == 8.0);
        }
    }

    // A held key calls start on every tick; only the first one counts.
    void dashClocksEndOn151And1501() {
        Rig rig;
        Rush& rush = rig.rush;
        for (int call = 1; call <= 1500; ++call) {
            rush.start();
            rush.update();
            QVERIFY(rush.isActive() == (call <= 150) && !rush.isReady());
            if (call == 150)
                QCOMPARE(rush.cooldownLeft(), 135.0);
            if (call == 750)
                QCOMPARE(rush.bar()->progress(), 0.5);
        }
        rush.update();
        QVERIFY(rush.isReady() && rush.cooldownLeft() == 0.0);
        rush.start(); // the key still held starts the next dash
        QVERIFY(rush.isActive());
        rush.update();
        rush.reset(); // also mid-dash: ready again at once, with a full bar
        QVERIFY(rush.isReady() && !rush.isActive() && rush.elapsed() == 0.0 &&
                rush.bar()->progress() == 1.0);
    }

    // A fresh skill waits 30 idle steps before recharging, later only 10.
    void deadEyeEnergyAndReset() {
        Rig rig;
        DeadEye& d = rig.deadEye;
        QCOMPARE(d.timer()->interval(), 200);
        d.recovery = 0.35;
        d.setEnergy(49.5);
        const std::tuple<bool, int, double> phases[] = {{false, 30, 49.5},
                                                        {false, 2, 50.0},
                                                        {true, 5, 45.0},
                                                        {false, 10, 45.0},
                                                        {false, 2, 45.7}};
        for (const auto& [active, count, energy] : phases) {
            active ? d.activate(0.1) : d.deactivate();
            for (int i = 0; i < count; ++i)
                d.updateEnergy();
            QCOMPARE(d.energy(), energy);
        }

        QSignalSpy changes(&d, &DeadEye::state_changed);
        d.maxEnergy = 20.0;
        d.activate(0.1);
        d.veilColor.setAlpha(50);
        QPointer<ProgressBar> oldBar = d.bar();
        d.reset();
        QVERIFY(changes.count() == 2 && d.energy() == 20.0 && d.rechargeDelay() == 10);
        QVERIFY(!d.isActive() && d.timeFactor() == 1.0 && d.veilColor == QColor(255, 205, 0, 0));
        QVERIFY(oldBar.isNull() && d.bar()->progress() == 1.0 && d.bar()->type == BarType::DeadEye);
        QVERIFY(d.bar()->fillColor() == QColor(80, 80, 80) &&
                d.bar()->borderColor() == d.bar()->fillColor());
    }

    // The first play() does not advance, so frame 3 shows once before the two-tick
    // cycle. Every DeadEye call emits, and each signal rebuilds the look from frame 0.
    void gunFramesAndDeadEyeSwitching() {
        Rig rig;
        DeadEye& d = rig.deadEye;
        Gun gun(&d, nullptr, &rig.dino);
        rig.dino.setPosition(QPointF(100.0, 200.0));
        QVERIFY(gun.position() == QPointF(60.0, 170.0) && gun.center() == QPointF(81.0, 191.0));
        const QPixmap plain(":/images/gun_nocolor.png");
        for (int index : {0, 3, 0, 0, 1, 1, 2, 2, 3, 3}) {
            QCOMPARE(gun.frame().toImage(), plain.copy(index * 43, 0, 43, 43).toImage());
            gun.setFrame(gun.animation()->play());
        }
        QSignalSpy changes(&d, &DeadEye::state_changed);
        QPointer<Animation> previous = gun.animation();
        const std::tuple<double, double, double, int> calls[] = {
            // energy, factor (0: deactivate), time factor, look
            {1.0, 0.1, 1.0, 1},  {1.0001, 0.1, 0.1, 2}, {50.0, 2.0, 1.0, 2},
            {50.0, 0.0, 1.0, 1}, {50.0, 0.0, 1.0, 1},   {0.5, 0.1, 1.0, 1}};
        for (const auto& [energy, factor, timeFactor, look] : calls) {
            d.setEnergy(energy);
            factor > 0.0 ? d.activate(factor) : d.deactivate();
            QCOMPARE(std::tuple(d.isActive(), d.timeFactor(), previous.isNull(),
                                gun.animationType(), gun.animation()->currentFrame),
                     std::tuple(look == 2, timeFactor, true, look, 3));
            previous = gun.animation();
            const QPixmap sheet = look == 2 ? QPixmap(":/images/gun_color.png") : plain;
            QCOMPARE(gun.frame().toImage(), sheet.copy(0, 0, 43, 43).toImage());
        }
        QCOMPARE(changes.count(), 6);
        d.setEnergy(1.5);
        d.activate(0.1);
        previous = gun.animation();
        d.updateEnergy();
        QVERIFY(d.isActive() && !previous.isNull());
        d.updateEnergy(); // runs dry, which already counts as the first idle step
        QVERIFY(previous.isNull() && gun.animationType() == 1 && d.timeFactor() == 1.0);
        QVERIFY(!d.isActive() && d.energy() == 0.0 && d.rechargeDelay() == 9);
    }
};

QTEST_MAIN(TestCharacter)
#include "tst_character.moc"
