#include "deadeye.h"
#include "progressbar.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestDeadEye : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startState();
    void activate_data();
    void activate();
    void energyCadence();
    void firstRechargeWaitsThirtyStepsAndStopsAtMaxExactly();
    void runningDryStopsAndEmits();
    void resetRestoresAndReplacesTheBar();

private:
    void expectFreshState(double energy);

    DeadEye* m_deadEye = nullptr;
};

void TestDeadEye::init() {
    m_deadEye = new DeadEye;
    const QList<QTimer*> timers = m_deadEye->findChildren<QTimer*>();
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers.first()->interval(), 200);
    QVERIFY(timers.first()->isActive());
    timers.first()->stop();
}

void TestDeadEye::cleanup() {
    delete m_deadEye;
}

void TestDeadEye::expectFreshState(double energy) {
    QCOMPARE(m_deadEye->energy(), energy);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QCOMPARE(m_deadEye->veilColor, QColor(255, 205, 0, 0));
    ProgressBar* bar = m_deadEye->bar();
    QCOMPARE(bar->parent(), m_deadEye);
    QCOMPARE(bar->type, 3);
    QCOMPARE(bar->rect(), QRectF(0, 0, 300, 30));
    QCOMPARE(bar->borderWidth(), 3.0);
}

void TestDeadEye::startState() {
    expectFreshState(50.0);
    QCOMPARE(m_deadEye->maxEnergy, 50.0);
    QCOMPARE(m_deadEye->recovery, 2.0);
    QCOMPARE(m_deadEye->rechargeDelay(), 30);
}

void TestDeadEye::activate_data() {
    QTest::addColumn<double>("energy");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("timeFactor"); // 0 when it must stay inactive

    QTest::newRow("empty") << 0.0 << 0.1 << 0.0;
    QTest::newRow("exactly 1.0") << 1.0 << 0.1 << 0.0;
    QTest::newRow("just above 1.0") << 1.0001 << 0.1 << 0.1;
    QTest::newRow("full") << 50.0 << 0.1 << 0.1;
    QTest::newRow("factor capped") << 50.0 << 2.0 << 1.0;
}

void TestDeadEye::activate() {
    QFETCH(double, energy);
    QFETCH(double, factor);
    QFETCH(double, timeFactor);

    QSignalSpy changes(m_deadEye, &DeadEye::state_changed);
    m_deadEye->setEnergy(energy);
    m_deadEye->activate(factor);
    QCOMPARE(m_deadEye->isActive(), timeFactor > 0.0);
    QCOMPARE(m_deadEye->timeFactor(), timeFactor > 0.0 ? timeFactor : 1.0);
    // Every call emits, whatever the state before or after.
    m_deadEye->activate(factor);
    m_deadEye->deactivate();
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    m_deadEye->deactivate();
    QCOMPARE(changes.count(), 4);
}

void TestDeadEye::energyCadence() {
    m_deadEye->recovery = 0.35;
    m_deadEye->activate(0.1);
    for (int step = 1; step <= 5; ++step) {
        m_deadEye->updateEnergy();
        QCOMPARE(m_deadEye->energy(), 50.0 - step);
        QCOMPARE(m_deadEye->rechargeDelay(), 10);
    }
    m_deadEye->deactivate();
    for (int step = 1; step <= 10; ++step) {
        m_deadEye->updateEnergy();
        QCOMPARE(m_deadEye->energy(), 45.0);
        QCOMPARE(m_deadEye->rechargeDelay(), 10 - step);
    }
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 45.35);
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 45.7);
    m_deadEye->updateBar();
    QCOMPARE(m_deadEye->bar()->progress(), 45.7 / 50.0);
}

void TestDeadEye::firstRechargeWaitsThirtyStepsAndStopsAtMaxExactly() {
    m_deadEye->setEnergy(45.5);
    for (int step = 0; step < 30; ++step)
        m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 45.5);
    QCOMPARE(m_deadEye->rechargeDelay(), 0);
    m_deadEye->updateEnergy();
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 49.5);
    m_deadEye->updateEnergy();
    m_deadEye->updateEnergy();
    QVERIFY(m_deadEye->energy() == 50.0);
}

void TestDeadEye::runningDryStopsAndEmits() {
    m_deadEye->setEnergy(1.5);
    m_deadEye->activate(0.1);
    QSignalSpy changes(m_deadEye, &DeadEye::state_changed);

    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 0.5);
    QVERIFY(m_deadEye->isActive());
    QCOMPARE(changes.count(), 0);

    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 0.0);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QCOMPARE(changes.count(), 1);
    // The same step already counts as the first idle one.
    QCOMPARE(m_deadEye->rechargeDelay(), 9);
}

void TestDeadEye::resetRestoresAndReplacesTheBar() {
    m_deadEye->maxEnergy = 20.0;
    m_deadEye->setEnergy(3.0);
    m_deadEye->activate(0.1);
    m_deadEye->veilColor.setAlpha(50);
    QPointer<ProgressBar> oldBar = m_deadEye->bar();
    QSignalSpy changes(m_deadEye, &DeadEye::state_changed);

    m_deadEye->reset();
    QCOMPARE(changes.count(), 1);
    QVERIFY(oldBar.isNull());
    expectFreshState(20.0);
    QCOMPARE(m_deadEye->rechargeDelay(), 10);
    QCOMPARE(m_deadEye->bar()->fillColor(), QColor(80, 80, 80));
    QCOMPARE(m_deadEye->bar()->borderColor(), QColor(80, 80, 80));
    QCOMPARE(m_deadEye->bar()->progress(), 1.0);
}

QTEST_MAIN(TestDeadEye)
#include "tst_deadeye.moc"
