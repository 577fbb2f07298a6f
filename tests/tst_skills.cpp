#include "environmentsystem.h"
#include "gamecharacter.h"
#include "progressbar.h"
#include "skill.h"
#include "testsupport.h"

#include <QtTest>

namespace {
constexpr double kHomeX = 0.3 * 1920;

// Members are destroyed in reverse order: the dash before what it steers.
struct Dash {
    ScopedWorkingDirectory dir;
    EnvironmentSystem environment{QRect(0, 0, 1920, 1080), 8.0};
    GameCharacter character{&environment};
    Rush rush{&character, &environment, 15.0, 150.0};
    Dash() {
        character.setGroundY(406.0);
        character.setPosition(QPointF(kHomeX, 406.0));
    }
};
} // namespace

class TestSkills : public QObject {
    Q_OBJECT

private slots:
    void heldKeyDashesOnceAndTheClocksEndOn151And1501();
    void stopAndTarget_data();
    void stopAndTarget();
};

void TestSkills::heldKeyDashesOnceAndTheClocksEndOn151And1501() {
    Dash d;
    QCOMPARE(d.rush.bar()->type, 4);
    // A held key calls start on every tick; only the first one counts.
    for (int call = 1; call <= 150; ++call) {
        d.rush.start();
        d.rush.update();
    }
    QVERIFY(d.rush.isActive() && !d.rush.isReady());
    QCOMPARE(d.rush.cooldownLeft(), 135.0);
    QCOMPARE(d.environment.speed(), 16.0);
    QCOMPARE(d.character.posture(), 2);
    QVERIFY(d.character.isInvincible() && d.character.keepInvincible && d.character.autoMove);
    // Landing mid-dash must not end the invincibility.
    d.character.setAirborne(true);
    d.character.fall();
    QVERIFY(d.character.hasLanded() && d.character.isInvincible());

    d.character.autoMove = false;
    d.rush.update(); // the 151st
    QVERIFY(!d.rush.isActive());
    QCOMPARE(d.rush.elapsed(), 0.0);
    QCOMPARE(d.environment.speed(), 8.0);
    QCOMPARE(d.character.posture(), 1);
    QVERIFY(!d.character.isInvincible() && !d.character.keepInvincible && d.character.autoMove);
    QCOMPARE(d.character.targetX, kHomeX);
    for (int call = 152; call <= 1500; ++call) {
        d.rush.start();
        d.rush.update();
        if (call == 750)
            QCOMPARE(d.rush.bar()->progress(), 0.5);
    }
    QVERIFY(!d.rush.isReady() && !d.rush.isActive());
    d.rush.update();
    QVERIFY(d.rush.isReady());
    QCOMPARE(d.rush.cooldownLeft(), 0.0);
    d.rush.start(); // the key still held starts the next dash
    QVERIFY(d.rush.isActive());
    d.rush.update();
    d.rush.reset(); // also mid-dash: ready again at once, with a full bar
    QVERIFY(d.rush.isReady() && !d.rush.isActive() && d.rush.elapsed() == 0.0);
    QCOMPARE(d.rush.bar()->progress(), 1.0);
}

void TestSkills::stopAndTarget_data() {
    QTest::addColumn<int>("posture");
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<double>("targetX");
    QTest::newRow("upright") << 1 << 1920 << 960.0 - 43.5;
    QTest::newRow("ducking") << 2 << 1920 << 960.0 - 59.0;
    QTest::newRow("odd width halves down") << 1 << 1367 << 683.0 - 43.5;
}

// Begun under DeadEye: the slowed speed doubles, and stop halves it back at once.
void TestSkills::stopAndTarget() {
    QFETCH(int, posture);
    QFETCH(int, screenWidth);
    QFETCH(double, targetX);
    Dash d;
    d.environment.setScreenRect(QRect(0, 0, screenWidth, 800));
    d.environment.setSpeed(0.8);
    d.character.setPosture(posture);
    d.rush.start();
    QCOMPARE(d.character.targetX, targetX);
    QCOMPARE(d.environment.speed(), 1.6);
    d.rush.update();
    d.rush.update();
    d.rush.stop();
    QVERIFY(!d.rush.isActive() && !d.character.isInvincible());
    QCOMPARE(d.rush.elapsed(), 0.0);
    QCOMPARE(d.environment.speed(), 0.8);
    QCOMPARE(d.character.posture(), 1);
    QCOMPARE(d.character.targetX, 0.3 * screenWidth);
    // The cooldown keeps running from the start of the dash.
    QCOMPARE(d.rush.cooldownLeft(), 149.8);
    d.rush.start();
    QVERIFY(!d.rush.isActive());
}

QTEST_MAIN(TestSkills)
#include "tst_skills.moc"
