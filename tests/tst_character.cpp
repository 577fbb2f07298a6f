#include "animation.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {
constexpr double kGround = 500.0;
const QRect kScreen(0, 0, 1920, 1080);

} // namespace

class TestCharacter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsUprightAndInvincible();
    void jumpFromGround();
    void duckingKeepsTheFeetInPlace();
    void sidewaysStep_data();
    void sidewaysStep();
    void sidewaysStepIsScaledByDeadEye();
    void moveToArrivesExactly_data();
    void moveToArrivesExactly();
    void collisionRectangles();
    void centerUsesIntegerHalves();
    void landingEndsInvincibility_data();
    void landingEndsInvincibility();
    void deadEyeShrinksGravity();
    void fastFall();
    void resetRestoresStartState();
    void levelFileCreatedWithOne();
    void levelFileContent_data();
    void levelFileContent();
    void levelUpSaves();

private:
    // Puts the character on the ground line at x, having landed once.
    void landAt(double x);

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
    QCOMPARE(m_character->position(), QPointF(x, kGround));
    m_character->fall(); // the tick on the ground resets gravity
}

void TestCharacter::startsUprightAndInvincible() {
    QCOMPARE(m_character->posture(), 1);
    QCOMPARE(m_character->width(), 87.0);
    QCOMPARE(m_character->height(), 94.0);
    QCOMPARE(m_character->frame().size(), QSize(87, 94));
    QCOMPARE(m_character->sheet().size(), QSize(174, 94));
    // The first frame is shown and is also the next one the clock hands out.
    QCOMPARE(m_character->animation()->currentFrame, 0);
    QVERIFY(m_character->isInvincible());
    QVERIFY(!m_character->hasLanded());
    QVERIFY(m_character->isAirborne());
    QCOMPARE(m_character->groundY(), 300.0);
    QCOMPARE(m_character->gravity(), 1.6);
    QCOMPARE(m_character->health(), 1.0);
    QCOMPARE(m_character->crashBox()->parent(), nullptr);
    QCOMPARE(m_character->crashBox()->rects().size(), 3);
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

    for (int tick = 20; tick <= 36; ++tick) {
        m_character->fall();
        QVERIFY2(m_character->isAirborne(), qPrintable(QString("tick %1").arg(tick)));
    }
    QCOMPARE(landings.count(), 0);
    m_character->fall();
    QVERIFY(!m_character->isAirborne());
    QCOMPARE(m_character->position().y(), kGround);
    QCOMPARE(landings.count(), 1);
}

void TestCharacter::duckingKeepsTheFeetInPlace() {
    m_character->setPosition(QPointF(300.0, 406.0));
    m_character->setPosture(2);
    QCOMPARE(m_character->posture(), 2);
    QCOMPARE(m_character->position(), QPointF(300.0, 441.0));
    QCOMPARE(m_character->width(), 118.0);
    QCOMPARE(m_character->height(), 59.0);
    QCOMPARE(m_character->frame().size(), QSize(118, 59));
    QCOMPARE(m_character->animation()->currentFrame, 0);

    m_character->setPosture(1);
    QCOMPARE(m_character->posture(), 1);
    QCOMPARE(m_character->position(), QPointF(300.0, 406.0));

    // Anything but 1 or 2 keeps the posture and its sprite.
    Animation* before = m_character->animation();
    m_character->setPosture(5);
    QCOMPARE(m_character->posture(), 1);
    QCOMPARE(m_character->animation(), before);
    QCOMPARE(m_character->position(), QPointF(300.0, 406.0));
}

void TestCharacter::sidewaysStep_data() {
    QTest::addColumn<double>("startX");
    QTest::addColumn<double>("vx");
    QTest::addColumn<double>("expectedX");

    QTest::newRow("left of the margin, standing still") << 30.0 << 0.0 << 30.0;
    QTest::newRow("left of the margin, moving right") << 30.0 << 6.0 << 46.0;
    QTest::newRow("left of the margin, moving left") << 30.0 << -6.0 << 34.0;
    QTest::newRow("on the margin, one step over it") << 40.0 << -6.0 << 34.0;
    QTest::newRow("free run left") << 500.0 << -6.0 << 494.0;
    QTest::newRow("free run right") << 500.0 << 6.0 << 506.0;
    // Past the right edge: pulled back to (W - 1) - w = 1832 before stepping.
    QTest::newRow("past the right edge") << 1850.0 << 6.0 << 1838.0;
    QTest::newRow("right edge overshoot allowed") << 1830.0 << 6.0 << 1836.0;
    QTest::newRow("exactly touching the right edge") << 1833.0 << 6.0 << 1839.0;
}

void TestCharacter::sidewaysStep() {
    QFETCH(double, startX);
    QFETCH(double, vx);
    QFETCH(double, expectedX);

    landAt(startX);
    m_character->setVx(vx);
    m_character->horizontal_shift();
    QCOMPARE(m_character->position().x(), expectedX);
}

void TestCharacter::sidewaysStepIsScaledByDeadEye() {
    landAt(500.0);
    m_character->setVx(6.0);
    m_deadEye->activate(0.1);
    m_character->horizontal_shift();
    QCOMPARE(m_character->position().x(), 500.06);

    // Not before the first landing, and not when sideways movement is off.
    m_deadEye->deactivate();
    m_character->reset();
    m_character->setVx(6.0);
    m_character->horizontal_shift();
    QCOMPARE(m_character->position().x(), 500.06);

    landAt(500.0);
    m_character->setCanMoveSideways(false);
    m_character->setVx(6.0);
    m_character->horizontal_shift();
    QCOMPARE(m_character->position().x(), 500.0);
}

void TestCharacter::moveToArrivesExactly_data() {
    QTest::addColumn<double>("startX");
    QTest::addColumn<double>("target");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("expectedX");
    QTest::addColumn<bool>("stillSteering");

    QTest::newRow("last step lands on target") << 495.0 << 500.0 << 8.0 << 500.0 << false;
    QTest::newRow("exactly one step away") << 492.0 << 500.0 << 8.0 << 500.0 << false;
    QTest::newRow("far, moving right") << 400.0 << 500.0 << 8.0 << 408.0 << true;
    QTest::newRow("far, moving left") << 600.0 << 500.0 << 16.0 << 584.0 << true;
    QTest::newRow("overshooting speed from the right") << 505.5 << 500.0 << 16.0 << 500.0 << false;
}

void TestCharacter::moveToArrivesExactly() {
    QFETCH(double, startX);
    QFETCH(double, target);
    QFETCH(double, speed);
    QFETCH(double, expectedX);
    QFETCH(bool, stillSteering);

    m_character->setPosition(QPointF(startX, 100.0));
    m_character->targetX = target;
    m_character->autoMove = true;
    m_character->move_to(speed);
    QCOMPARE(m_character->position(), QPointF(expectedX, 100.0));
    QCOMPARE(m_character->autoMove, stillSteering);

    // Without steering nothing moves.
    m_character->autoMove = false;
    m_character->move_to(speed);
    QCOMPARE(m_character->position(), QPointF(expectedX, 100.0));
}

void TestCharacter::collisionRectangles() {
    m_character->setPosition(QPointF(100.0, 200.0));
    m_character->updateCrashBox(1);
    const QList<QRectF> upright = {QRectF(143.5, 200, 43.5, 31), QRectF(100, 231, 65.25, 31),
                                   QRectF(121.75, 262, 43.5, 32)};
    QCOMPARE(m_character->crashBox()->rects(), upright);

    m_character->setPosture(2); // feet kept: the top moves from 200 to 235
    QCOMPARE(m_character->position(), QPointF(100.0, 235.0));
    const QList<QRectF> low = {QRectF(103, 237, 111, 17), QRectF(119, 254, 79, 20),
                               QRectF(129.5, 274, 19.5, 20)};
    QCOMPARE(m_character->crashBox()->rects(), low);

    m_character->updateCrashBox(7);
    QVERIFY(m_character->crashBox()->rects().isEmpty());
}

void TestCharacter::centerUsesIntegerHalves() {
    m_character->setPosition(QPointF(100.0, 200.0));
    QCOMPARE(m_character->center(), QPointF(143.0, 247.0));
    m_character->setPosture(2);
    QCOMPARE(m_character->center(), QPointF(159.0, 264.0));
}

void TestCharacter::landingEndsInvincibility_data() {
    QTest::addColumn<double>("groundY");
    QTest::addColumn<bool>("keepInvincible");
    QTest::addColumn<bool>("landed");
    QTest::addColumn<bool>("invincible");

    QTest::newRow("hiding place above the window") << -94.0 << false << false << true;
    QTest::newRow("ground line at 1") << 1.0 << false << false << true;
    QTest::newRow("ground line at 2") << 2.0 << false << true << false;
    QTest::newRow("real ground") << kGround << false << true << false;
    QTest::newRow("real ground during the dash") << kGround << true << true << true;
}

void TestCharacter::landingEndsInvincibility() {
    QFETCH(double, groundY);
    QFETCH(bool, keepInvincible);
    QFETCH(bool, landed);
    QFETCH(bool, invincible);

    m_character->keepInvincible = keepInvincible;
    m_character->setGroundY(groundY);
    m_character->setPosition(QPointF(100.0, groundY));
    m_character->fall();
    QVERIFY(!m_character->isAirborne());
    QCOMPARE(m_character->hasLanded(), landed);
    QCOMPARE(m_character->isInvincible(), invincible);

    // Only the first real landing ends it: later ones leave it alone.
    m_character->keepInvincible = false;
    m_character->setInvincible(true);
    m_character->setAirborne(true);
    m_character->fall();
    QVERIFY(!m_character->isAirborne());
    QVERIFY(m_character->isInvincible());
}

void TestCharacter::deadEyeShrinksGravity() {
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
}

void TestCharacter::fastFall() {
    m_character->setGroundY(kGround);
    m_character->setPosition(QPointF(100.0, 400.0));
    m_character->setVy(0.0);
    m_character->setFastFall(true);
    m_character->fall();
    QCOMPARE(m_character->gravity(), 3.5);
    QCOMPARE(m_character->vy(), 3.5);
    QCOMPARE(m_character->position().y(), 403.5);

    while (m_character->isAirborne())
        m_character->fall();
    // fastFall survives the landing tick and clears on the next one.
    QVERIFY(m_character->isFastFall());
    m_character->fall();
    QVERIFY(!m_character->isFastFall());
    QCOMPARE(m_character->gravity(), 1.6);
}

void TestCharacter::resetRestoresStartState() {
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
    QCOMPARE(m_character->crashBox()->parent(), nullptr);
    QCOMPARE(m_character->crashBox()->rects().size(), 3);
    QCOMPARE(m_character->posture(), 1);
    QVERIFY(m_character->isInvincible());
    QVERIFY(!m_character->hasLanded());
    QCOMPARE(m_character->vx(), 0.0);
    QCOMPARE(m_character->vy(), 0.0);
    QCOMPARE(m_character->gravity(), 1.6);
    QVERIFY(m_character->canMoveSideways());
    QVERIFY(!m_character->keepInvincible);
    QCOMPARE(m_character->health(), 1.0);
    // Standing up again keeps the feet where they were.
    QCOMPARE(m_character->position(), position - QPointF(0.0, 35.0));
    QCOMPARE(m_character->groundY(), kGround);
    QVERIFY(!m_character->isAirborne());
    QVERIFY(m_character->autoMove);
    QVERIFY(m_character->isFastFall());
}

void TestCharacter::levelFileCreatedWithOne() {
    QCOMPARE(m_character->level(), 1);
    QCOMPARE(readFile("data_1"), QByteArray("1"));
}

void TestCharacter::levelFileContent_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("level");

    QTest::newRow("plain") << QByteArray("7") << 7;
    QTest::newRow("octal prefix") << QByteArray("010") << 8;
    QTest::newRow("hex prefix") << QByteArray("0x10") << 16;
    QTest::newRow("surrounding space") << QByteArray("  12\n") << 12;
    QTest::newRow("not a number") << QByteArray("abc") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestCharacter::levelFileContent() {
    QFETCH(QByteArray, content);
    QFETCH(int, level);

    QVERIFY(writeFile("data_1", content));
    QCOMPARE(m_character->loadLevel(), level);
    QCOMPARE(m_character->level(), level);
    GameCharacter another(m_environment);
    QCOMPARE(another.level(), level);
}

void TestCharacter::levelUpSaves() {
    m_character->levelUp();
    QCOMPARE(m_character->level(), 2);
    QCOMPARE(readFile("data_1"), QByteArray("2"));
    m_character->levelUp();
    QCOMPARE(readFile("data_1"), QByteArray("3"));
}

QTEST_MAIN(TestCharacter)
#include "tst_character.moc"
