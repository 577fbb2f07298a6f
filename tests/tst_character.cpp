#include "animation.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {
constexpr double kGround = 500.0;
const QRect kScreen(0, 0, 1920, 1080);

enum SidewaysCondition { Normal, DuringDeadEye, NeverLanded, SidewaysOff };
} // namespace

class TestCharacter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startAndResetState();
    void jumpFromGround();
    void posturesKeepTheFeetAndBuildTheirBoxes();
    void sidewaysStep_data();
    void sidewaysStep();
    void moveToArrivesExactly();
    void landingEndsInvincibility();
    void gravityUnderDeadEyeAndFastFall();

private:
    // Puts the character on the ground line at x, having landed once.
    void landAt(double x);
    void checkStartState();

    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    EnvironmentSystem* m_environment = nullptr;
    DeadEye* m_deadEye = nullptr;
    GameCharacter* m_character = nullptr;
};

void TestCharacter::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    QVERIFY(m_dir->isValid());
    m_environment = new EnvironmentSystem(kScreen, 8.0);
    m_deadEye = new DeadEye;
    for (QTimer* timer : m_deadEye->findChildren<QTimer*>())
        timer->stop();
    m_character = new GameCharacter(m_environment);
    m_character->setDeadEye(m_deadEye);
}

void TestCharacter::cleanup() {
    delete m_character;
    delete m_deadEye;
    delete m_environment;
    m_dir.reset();
}

void TestCharacter::landAt(double x) {
    m_character->setGroundY(kGround);
    m_character->setPosition(QPointF(x, kGround));
    m_character->setAirborne(true);
    m_character->setVy(0.0);
    m_character->fall();
    QVERIFY(m_character->hasLanded());
    m_character->fall(); // the tick on the ground resets gravity
}

void TestCharacter::checkStartState() {
    QCOMPARE(m_character->posture(), 1);
    QCOMPARE(m_character->frame().size(), QSize(87, 94));
    // The first frame is shown and is also the next one the clock hands out.
    QCOMPARE(m_character->animation()->currentFrame, 0);
    QVERIFY(m_character->isInvincible());
    QVERIFY(!m_character->hasLanded());
    QVERIFY(!m_character->keepInvincible);
    QVERIFY(m_character->canMoveSideways());
    QCOMPARE(m_character->vx(), 0.0);
    QCOMPARE(m_character->vy(), 0.0);
    QCOMPARE(m_character->gravity(), 1.6);
    QCOMPARE(m_character->health(), 1.0);
    QCOMPARE(m_character->crashBox()->parent(), nullptr);
    QCOMPARE(m_character->crashBox()->rects().size(), 3);
}

void TestCharacter::startAndResetState() {
    checkStartState();
    QVERIFY(m_character->isAirborne());
    QCOMPARE(m_character->groundY(), 300.0);

    landAt(300.0);
    m_character->setPosture(2);
    const QPointF position = m_character->position();
    m_character->setVx(6.0);
    m_character->setVy(3.0);
    m_character->setGravity(0.5);
    m_character->setCanMoveSideways(false);
    m_character->keepInvincible = true;
    m_character->autoMove = true;
    m_character->setFastFall(true);
    m_character->die();
    QCOMPARE(m_character->health(), 0.0);
    QPointer<CrashBox> oldBox = m_character->crashBox();

    m_character->reset();
    QVERIFY(oldBox.isNull());
    checkStartState();
    // Standing up again keeps the feet where they were; the rest stays.
    QCOMPARE(m_character->position(), position - QPointF(0.0, 35.0));
    QCOMPARE(m_character->groundY(), kGround);
    QVERIFY(!m_character->isAirborne());
    QVERIFY(m_character->autoMove);
    QVERIFY(m_character->isFastFall());
}

void TestCharacter::jumpFromGround() {
    landAt(200.0);
    QSignalSpy landings(m_character, &GameCharacter::hitGround);

    m_character->setVy(-30.0);
    m_character->setAirborne(true);
    m_character->fall();
    QCOMPARE(m_character->vy(), -28.4);
    QCOMPARE(m_character->position().y(), kGround - 28.4);

    for (int tick = 2; tick <= 18; ++tick)
        m_character->fall();
    const double highest = m_character->position().y();
    QCOMPARE(highest, kGround - 266.4);
    m_character->fall();
    QVERIFY(m_character->position().y() > highest);

    for (int tick = 20; tick <= 36; ++tick)
        m_character->fall();
    QVERIFY(m_character->isAirborne());
    QCOMPARE(landings.count(), 0);
    m_character->fall();
    QVERIFY(!m_character->isAirborne());
    QCOMPARE(m_character->position().y(), kGround);
    QCOMPARE(landings.count(), 1);
}

void TestCharacter::posturesKeepTheFeetAndBuildTheirBoxes() {
    m_character->setPosition(QPointF(100.0, 200.0));
    m_character->updateCrashBox(1);
    QCOMPARE(m_character->crashBox()->rects(),
             QList<QRectF>({QRectF(143.5, 200, 43.5, 31), QRectF(100, 231, 65.25, 31),
                            QRectF(121.75, 262, 43.5, 32)}));
    QCOMPARE(m_character->center(), QPointF(143.0, 247.0));

    // Ducking moves the top down by 94 - 59 = 35 px.
    m_character->setPosture(2);
    QCOMPARE(m_character->position(), QPointF(100.0, 235.0));
    QCOMPARE(m_character->frame().size(), QSize(118, 59));
    QCOMPARE(m_character->animation()->currentFrame, 0);
    QCOMPARE(m_character->crashBox()->rects(),
             QList<QRectF>({QRectF(103, 237, 111, 17), QRectF(119, 254, 79, 20),
                            QRectF(129.5, 274, 19.5, 20)}));
    QCOMPARE(m_character->center(), QPointF(159.0, 264.0));

    m_character->setPosture(1);
    QCOMPARE(m_character->position(), QPointF(100.0, 200.0));

    // Anything but 1 or 2 keeps the posture and its sprite.
    Animation* before = m_character->animation();
    m_character->setPosture(5);
    QCOMPARE(m_character->posture(), 1);
    QCOMPARE(m_character->animation(), before);
    m_character->updateCrashBox(7);
    QVERIFY(m_character->crashBox()->rects().isEmpty());
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

    if (condition == NeverLanded)
        m_character->setPosition(QPointF(startX, kGround));
    else
        landAt(startX);
    if (condition == DuringDeadEye)
        m_deadEye->activate(0.1);
    m_character->setCanMoveSideways(condition != SidewaysOff);
    m_character->setVx(vx);
    m_character->horizontal_shift();
    QCOMPARE(m_character->position().x(), expectedX);
}

void TestCharacter::moveToArrivesExactly() {
    const auto steer = [this](double fromX, double speed) {
        m_character->setPosition(QPointF(fromX, 100.0));
        m_character->targetX = 500.0;
        m_character->autoMove = true;
        m_character->move_to(speed);
        return m_character->position().x();
    };
    QCOMPARE(steer(400.0, 8.0), 408.0);
    QVERIFY(m_character->autoMove);
    QCOMPARE(steer(600.0, 16.0), 584.0);
    QCOMPARE(steer(492.0, 8.0), 500.0); // exactly one step away
    QVERIFY(!m_character->autoMove);
    m_character->move_to(8.0);
    QCOMPARE(m_character->position().x(), 500.0);
    QCOMPARE(steer(505.5, 16.0), 500.0); // a larger step lands exactly too
    QVERIFY(!m_character->autoMove);
}

// Only the first landing on the real ground (below y = 1) ends the start
// invincibility, and not while the dash keeps it.
void TestCharacter::landingEndsInvincibility() {
    const auto landOn = [this](double groundY) {
        m_character->setGroundY(groundY);
        m_character->setPosition(QPointF(100.0, groundY));
        m_character->setAirborne(true);
        m_character->fall();
        QVERIFY(!m_character->isAirborne());
    };
    landOn(1.0);
    QVERIFY(!m_character->hasLanded());
    QVERIFY(m_character->isInvincible());
    landOn(2.0);
    QVERIFY(m_character->hasLanded());
    QVERIFY(!m_character->isInvincible());
    m_character->setInvincible(true);
    landOn(kGround);
    QVERIFY(m_character->isInvincible());

    m_character->reset();
    m_character->keepInvincible = true;
    landOn(kGround);
    QVERIFY(m_character->hasLanded());
    QVERIFY(m_character->isInvincible());
}

void TestCharacter::gravityUnderDeadEyeAndFastFall() {
    m_character->setGroundY(kGround);
    m_character->setPosition(QPointF(100.0, 300.0));
    m_character->setVy(-10.0);
    m_deadEye->activate(0.1);

    m_character->fall();
    QCOMPARE(m_character->gravity(), 0.016);
    QCOMPARE(m_character->vy(), -9.984);
    QCOMPARE(m_character->position().y(), 300.0 - 0.09984);
    m_character->fall();
    QCOMPARE(m_character->gravity(), 0.00016);
    QCOMPARE(m_character->vy(), -9.98384);

    // Fast fall ignores the shrinking, but the distance is still scaled.
    m_character->setFastFall(true);
    const double y = m_character->position().y();
    m_character->fall();
    QCOMPARE(m_character->gravity(), 3.5);
    QCOMPARE(m_character->vy(), -6.48384);
    QCOMPARE(m_character->position().y(), y - 0.0648384);

    // Back to normal on the first tick after the skill ends.
    m_character->setFastFall(false);
    m_deadEye->deactivate();
    m_character->fall();
    QCOMPARE(m_character->gravity(), 1.6);

    // Without the skill, fast fall adds 3.5 per tick, and it clears on the
    // tick after the landing.
    m_character->setFastFall(true);
    const double vy = m_character->vy();
    m_character->fall();
    QCOMPARE(m_character->vy(), vy + 3.5);
    while (m_character->isAirborne())
        m_character->fall();
    QVERIFY(m_character->isFastFall());
    m_character->fall();
    QVERIFY(!m_character->isFastFall());
    QCOMPARE(m_character->gravity(), 1.6);
}

QTEST_MAIN(TestCharacter)
#include "tst_character.moc"
