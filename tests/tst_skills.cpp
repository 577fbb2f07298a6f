#include "environmentsystem.h"
#include "gamecharacter.h"
#include "progressbar.h"
#include "skill.h"
#include "testsupport.h"

#include <QtTest>
#include <memory>

namespace {
const QRect kScreen(0, 0, 1920, 1080);
constexpr double kBaseSpeed = 8.0;
constexpr double kHomeX = 0.3 * 1920;
} // namespace

class TestSkills : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startBeginsTheDashOnce();
    void dashEndsOn151stUpdateAndIsReadyOn1501st();
    void targetsTheMiddle_data();
    void targetsTheMiddle();
    void stopEndsAtOnce();
    void barFollowsTheCooldownUntilReset();

private:
    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    EnvironmentSystem* m_environment = nullptr;
    GameCharacter* m_character = nullptr;
    Rush* m_rush = nullptr;
};

void TestSkills::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    QVERIFY(m_dir->isValid());
    m_environment = new EnvironmentSystem(kScreen, kBaseSpeed);
    m_character = new GameCharacter(m_environment);
    m_character->setGroundY(406.0);
    m_character->setPosition(QPointF(kHomeX, 406.0));
    m_rush = new Rush(m_character, m_environment, 15.0, 150.0);
}

void TestSkills::cleanup() {
    delete m_rush;
    delete m_character;
    delete m_environment;
    m_dir.reset();
}

void TestSkills::startBeginsTheDashOnce() {
    QCOMPARE(m_rush->skillType(), 1);
    QCOMPARE(m_rush->bar()->type, 4);
    QVERIFY(m_rush->isReady());

    // A held key calls start on every tick.
    for (int i = 0; i < 5; ++i) {
        m_rush->start();
        m_rush->update();
    }
    QVERIFY(m_rush->isActive());
    QVERIFY(!m_rush->isReady());
    QCOMPARE(m_rush->cooldownLeft(), 149.5);
    QCOMPARE(m_rush->elapsed(), 0.5);
    QCOMPARE(m_environment->speed(), 2 * kBaseSpeed);
    QCOMPARE(m_character->posture(), 2);
    QVERIFY(m_character->isInvincible());
    QVERIFY(m_character->keepInvincible);
    QVERIFY(m_character->autoMove);

    // The steering runs at the doubled scrolling speed.
    m_character->move_to(m_environment->speed());
    QCOMPARE(m_character->position().x(), kHomeX + 16.0);
    // Landing mid-dash must not end the invincibility.
    m_character->setAirborne(true);
    m_character->fall();
    QVERIFY(m_character->hasLanded());
    QVERIFY(m_character->isInvincible());
}

void TestSkills::dashEndsOn151stUpdateAndIsReadyOn1501st() {
    m_rush->start();
    for (int call = 1; call <= 150; ++call)
        m_rush->update();
    QVERIFY(m_rush->isActive());
    QCOMPARE(m_character->posture(), 2);
    QVERIFY(m_character->isInvincible());

    m_character->autoMove = false;
    m_rush->update();
    QVERIFY(!m_rush->isActive());
    QCOMPARE(m_rush->elapsed(), 0.0);
    QCOMPARE(m_environment->speed(), kBaseSpeed);
    QCOMPARE(m_character->posture(), 1);
    QVERIFY(!m_character->isInvincible());
    QVERIFY(!m_character->keepInvincible);
    QVERIFY(m_character->autoMove);
    QCOMPARE(m_character->targetX, kHomeX);

    for (int call = 152; call <= 1500; ++call) {
        m_rush->start();
        m_rush->update();
    }
    QVERIFY(!m_rush->isReady());
    QVERIFY(!m_rush->isActive());
    QVERIFY(m_rush->cooldownLeft() > 0.0);
    m_rush->update();
    QVERIFY(m_rush->isReady());
    QCOMPARE(m_rush->cooldownLeft(), 0.0);
    m_rush->start(); // the key still held starts the next dash
    QVERIFY(m_rush->isActive());
}

void TestSkills::targetsTheMiddle_data() {
    QTest::addColumn<int>("posture");
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<double>("targetX");

    QTest::newRow("upright") << 1 << 1920 << 960.0 - 43.5;
    QTest::newRow("ducking") << 2 << 1920 << 960.0 - 59.0;
    QTest::newRow("odd width halves down") << 1 << 1367 << 683.0 - 43.5;
}

void TestSkills::targetsTheMiddle() {
    QFETCH(int, posture);
    QFETCH(int, screenWidth);
    QFETCH(double, targetX);

    m_environment->setScreenRect(QRect(0, 0, screenWidth, 800));
    m_character->setPosture(posture);
    m_rush->start();
    QCOMPARE(m_character->targetX, targetX);
    m_rush->stop();
    QCOMPARE(m_character->targetX, 0.3 * screenWidth);
}

void TestSkills::stopEndsAtOnce() {
    m_environment->setSpeed(0.8); // a dash begun under DeadEye doubles the slow speed
    m_rush->start();
    QCOMPARE(m_environment->speed(), 1.6);
    m_rush->update();
    m_rush->update();
    m_rush->stop();
    QVERIFY(!m_rush->isActive());
    QCOMPARE(m_rush->elapsed(), 0.0);
    QCOMPARE(m_environment->speed(), 0.8);
    QCOMPARE(m_character->posture(), 1);
    QVERIFY(!m_character->isInvincible());
    // The cooldown keeps running from the start of the dash.
    QCOMPARE(m_rush->cooldownLeft(), 149.8);
    m_rush->start();
    QVERIFY(!m_rush->isActive());
}

void TestSkills::barFollowsTheCooldownUntilReset() {
    m_rush->start();
    m_rush->update();
    QCOMPARE(m_rush->bar()->progress(), (150.0 - 149.9) / 150.0);
    for (int i = 0; i < 749; ++i)
        m_rush->update();
    m_rush->updateBar();
    QCOMPARE(m_rush->bar()->progress(), 0.5);

    m_rush->reset();
    QVERIFY(m_rush->isReady());
    QVERIFY(!m_rush->isActive());
    QCOMPARE(m_rush->cooldownLeft(), 0.0);
    QCOMPARE(m_rush->bar()->progress(), 1.0);

    m_rush->start();
    m_rush->update();
    m_rush->reset(); // also mid-dash
    QVERIFY(!m_rush->isActive());
    QCOMPARE(m_rush->elapsed(), 0.0);
}

QTEST_MAIN(TestSkills)
#include "tst_skills.moc"
