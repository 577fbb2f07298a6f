#include "deadeye.h"
#include "progressbar.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

class TestDeadEye : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_deadEye = std::make_unique<DeadEye>();
        QVERIFY(m_deadEye->timer()->isActive());
        m_deadEye->timer()->stop();
    }
    void switchingAndReset();
    void energyCadence();

private:
    void steps(int count) {
        for (int i = 0; i < count; ++i)
            m_deadEye->updateEnergy();
    }

    std::unique_ptr<DeadEye> m_deadEye;
};

void TestDeadEye::energyCadence() {
    QCOMPARE(m_deadEye->timer()->interval(), 200);
    // A fresh skill waits 30 idle steps before recharging, later only 10.
    m_deadEye->setEnergy(45.5);
    steps(30);
    QCOMPARE(m_deadEye->energy(), 45.5);
    steps(2);
    QCOMPARE(m_deadEye->energy(), 49.5);
    steps(2);
    QVERIFY(m_deadEye->energy() == m_deadEye->maxEnergy);

    m_deadEye->activate(0.1);
    steps(5);
    QCOMPARE(m_deadEye->energy(), 45.0);
    m_deadEye->deactivate();
    m_deadEye->recovery = 0.35;
    steps(10);
    QCOMPARE(m_deadEye->energy(), 45.0);
    steps(2);
    QCOMPARE(m_deadEye->energy(), 45.7);

    // Running dry stops the skill and already counts as the first idle step.
    m_deadEye->setEnergy(1.5);
    m_deadEye->activate(0.1);
    steps(1);
    QVERIFY(m_deadEye->isActive());
    steps(1);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QCOMPARE(m_deadEye->energy(), 0.0);
    QCOMPARE(m_deadEye->rechargeDelay(), 9);
}

void TestDeadEye::switchingAndReset() {
    QSignalSpy changes(m_deadEye.get(), &DeadEye::state_changed);
    m_deadEye->setEnergy(1.0); // the window's "at least 1.0" passes, activate needs more
    m_deadEye->activate(0.1);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    m_deadEye->setEnergy(1.0001);
    m_deadEye->activate(0.1);
    QCOMPARE(m_deadEye->timeFactor(), 0.1);
    m_deadEye->activate(2.0);
    QVERIFY(m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    m_deadEye->deactivate();
    m_deadEye->deactivate();
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QCOMPARE(changes.count(), 5); // every call emits, whatever the state

    m_deadEye->maxEnergy = 20.0;
    m_deadEye->activate(0.1);
    m_deadEye->veilColor.setAlpha(50);
    QPointer<ProgressBar> oldBar = m_deadEye->bar();
    m_deadEye->reset();
    QCOMPARE(changes.count(), 7);
    QCOMPARE(m_deadEye->energy(), 20.0);
    QVERIFY(!m_deadEye->isActive());
    QCOMPARE(m_deadEye->timeFactor(), 1.0);
    QCOMPARE(m_deadEye->veilColor, QColor(255, 205, 0, 0));
    QCOMPARE(m_deadEye->rechargeDelay(), 10);
    QVERIFY(oldBar.isNull());
    const ProgressBar* bar = m_deadEye->bar();
    QCOMPARE(bar->parent(), m_deadEye.get());
    QCOMPARE(bar->type, 3);
    QCOMPARE(bar->fillColor(), QColor(80, 80, 80));
    QCOMPARE(bar->borderColor(), QColor(80, 80, 80));
    QCOMPARE(bar->progress(), 1.0);
}

QTEST_MAIN(TestDeadEye)
#include "tst_deadeye.moc"
