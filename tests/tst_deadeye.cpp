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
    void activateNeedsMoreThanOneEnergy_data();
    void activateNeedsMoreThanOneEnergy();
    void activateCapsTheFactor();
    void deactivateEmits();
    void drainsWhileActive();
    void rechargeWaitsTenIdleSteps();
    void rechargeStopsAtMaxEnergyExactly();
    void firstRechargeWaitsThirtySteps();
    void runningDryStopsAndEmits();
    void resetRestoresAndReplacesTheBar();
    void updateBarShowsTheEnergyFraction();

private:
    DeadEye* m_deadEye = nullptr;
};

void TestDeadEye::init() {
    m_deadEye = new DeadEye;
    const QList<QTimer*> timers = m_deadEye->findChildren<QTimer*>();
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers.first()->interval(), 200);
    QVERIFY(timers.first()->isActive());
    for (QTimer* timer : timers)
        timer->stop();
}

void TestDeadEye::cleanup() {
    delete m_deadEye;
}

void TestDeadEye::startState() {
    QCOMPARE(m_deadEye->energy(), 50.0);
    QCOMPARE(m_deadEye->maxEnergy, 50.0);
    QCOMPARE(m_deadEye->recovery, 2.0);
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->veilColor, QColor(255, 205, 0, 0));
    QCOMPARE(m_deadEye->rechargeDelay(), 30);

    ProgressBar* bar = m_deadEye->bar();
    QCOMPARE(bar->parent(), m_deadEye);
    QCOMPARE(bar->type, 3);
    QCOMPARE(bar->rect(), QRectF(0, 0, 300, 30));
    QCOMPARE(bar->borderWidth(), 3.0);
}

void TestDeadEye::activateNeedsMoreThanOneEnergy_data() {
    QTest::addColumn<double>("energy");
    QTest::addColumn<bool>("active");

    QTest::newRow("empty") << 0.0 << false;
    QTest::newRow("exactly 1.0") << 1.0 << false;
    QTest::newRow("just above 1.0") << 1.0001 << true;
    QTest::newRow("full") << 50.0 << true;
}

void TestDeadEye::activateNeedsMoreThanOneEnergy() {
    QFETCH(double, energy);
    QFETCH(bool, active);

    QSignalSpy changes(m_deadEye, &DeadEye::state_changed);
    m_deadEye->setEnergy(energy);
    m_deadEye->activate(0.1);
    QCOMPARE(m_deadEye->isActive(), active);
    QCOMPARE(m_deadEye->timeFactor(), active ? 0.1 : 1.0);
    QCOMPARE(changes.count(), 1);

    // Activating again emits again, whatever the state.
    m_deadEye->activate(0.1);
    QCOMPARE(changes.count(), 2);
}

void TestDeadEye::activateCapsTheFactor() {
    m_deadEye->activate(2.0);
    QVERIFY(m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
}

void TestDeadEye::deactivateEmits() {
    QSignalSpy changes(m_deadEye, &DeadEye::state_changed);
    m_deadEye->activate(0.1);
    m_deadEye->deactivate();
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    m_deadEye->deactivate();
    QCOMPARE(changes.count(), 3);
}

void TestDeadEye::drainsWhileActive() {
    m_deadEye->activate(0.1);
    for (int step = 1; step <= 5; ++step) {
        m_deadEye->updateEnergy();
        QCOMPARE(m_deadEye->energy(), 50.0 - step);
        QCOMPARE(m_deadEye->rechargeDelay(), 10);
    }
    QVERIFY(m_deadEye->isActive());
}

void TestDeadEye::rechargeWaitsTenIdleSteps() {
    m_deadEye->recovery = 0.35;
    m_deadEye->activate(0.1);
    m_deadEye->updateEnergy();
    m_deadEye->deactivate();
    QCOMPARE(m_deadEye->energy(), 49.0);

    for (int step = 1; step <= 10; ++step) {
        m_deadEye->updateEnergy();
        QCOMPARE(m_deadEye->energy(), 49.0);
        QCOMPARE(m_deadEye->rechargeDelay(), 10 - step);
    }
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 49.35);
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 49.7);
}

void TestDeadEye::rechargeStopsAtMaxEnergyExactly() {
    m_deadEye->maxEnergy = 20.0;
    m_deadEye->recovery = 0.2;
    m_deadEye->setEnergy(19.5);
    for (int step = 0; step < 30; ++step)
        m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 19.5);
    m_deadEye->updateEnergy();
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 19.9);
    for (int step = 0; step < 5; ++step)
        m_deadEye->updateEnergy();
    QVERIFY(m_deadEye->energy() == 20.0);
}

void TestDeadEye::firstRechargeWaitsThirtySteps() {
    m_deadEye->setEnergy(10.0);
    for (int step = 0; step < 30; ++step)
        m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 10.0);
    QCOMPARE(m_deadEye->rechargeDelay(), 0);
    m_deadEye->updateEnergy();
    QCOMPARE(m_deadEye->energy(), 12.0);
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
    QCOMPARE(m_deadEye->energy(), 20.0);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QCOMPARE(m_deadEye->veilColor, QColor(255, 205, 0, 0));
    QCOMPARE(m_deadEye->rechargeDelay(), 10);

    QVERIFY(oldBar.isNull());
    ProgressBar* bar = m_deadEye->bar();
    QCOMPARE(bar->parent(), m_deadEye);
    QCOMPARE(bar->type, 3);
    QCOMPARE(bar->rect(), QRectF(0, 0, 300, 30));
    QCOMPARE(bar->borderWidth(), 3.0);
    QCOMPARE(bar->fillColor(), QColor(80, 80, 80));
    QCOMPARE(bar->borderColor(), QColor(80, 80, 80));
    QCOMPARE(bar->progress(), 1.0);
}

void TestDeadEye::updateBarShowsTheEnergyFraction() {
    m_deadEye->setEnergy(12.5);
    m_deadEye->updateBar();
    QCOMPARE(m_deadEye->bar()->progress(), 0.25);
}

QTEST_MAIN(TestDeadEye)
#include "tst_deadeye.moc"
