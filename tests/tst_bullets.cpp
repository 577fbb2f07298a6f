#include "bullet.h"
#include "bulletsystem.h"
#include "deadeye.h"
#include "paintrecorder.h"
#include "progressbar.h"

#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>

namespace {
const QRect kScreen(0, 0, 800, 600);
}

class TestBullets : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_root.reset(); }

    void bulletGeometry();
    void magazineCooldownCleanUpAndReload();
    void retiredOnlyWithBothEndsOutside_data();
    void retiredOnlyWithBothEndsOutside();
    void settingsReachBulletsInFlightAndReset();
    void paintBullets();

private:
    // Cools the gun down for the given 50 ms steps, then pulls the trigger.
    int fireAfter(int coolDownSteps) {
        for (int step = 0; step < coolDownSteps; ++step)
            m_system->updateShootCD();
        m_system->shoot(QPointF(10, 10), QPoint(100, 10));
        return m_system->bullets().size();
    }
    int reloadAfter(int steps) {
        for (int step = 0; step < steps; ++step)
            m_system->loadOneBullet();
        return m_system->bulletCount();
    }

    std::unique_ptr<QObject> m_root;
    DeadEye* m_deadEye = nullptr;
    BulletSystem* m_system = nullptr;
};

void TestBullets::init() {
    m_root = std::make_unique<QObject>();
    m_deadEye = new DeadEye(m_root.get());
    m_system = new BulletSystem(kScreen, m_root.get());
    m_system->setDeadEye(m_deadEye);
    QList<int> intervals;
    for (QTimer* timer : m_system->findChildren<QTimer*>())
        intervals.append(timer->isActive() ? timer->interval() : 0);
    std::sort(intervals.begin(), intervals.end());
    QCOMPARE(intervals, QList<int>({50, 400}));
    for (QTimer* timer : m_root->findChildren<QTimer*>())
        timer->stop();
}

void TestBullets::bulletGeometry() {
    Bullet bullet(10.0, QPointF(100, 100), QPointF(400, 500), 50.0, 15.0, 8.0);
    QCOMPARE(bullet.line(), QLineF(100, 100, 109, 112)); // a 3-4-5 direction
    // No DeadEye, no time factor: it stays.
    bullet.shift();
    QCOMPARE(bullet.position(), QPointF(100, 100));
    bullet.setDeadEye(m_deadEye);
    bullet.shift();
    m_deadEye->activate(0.1);
    bullet.shift();
    QCOMPARE(bullet.line(), QLineF(133, 144, 142, 156));

    bullet.setPosition(QPointF(0, 0));
    bullet.setLength(0.2);
    bullet.setWidth(-3.0);
    QCOMPARE(bullet.line(), QLineF(0, 0, 0.6, 0.8));
    QCOMPARE(bullet.width(), 1.0);
    bullet.setDirection(0.0, 0.0);
    QCOMPARE(bullet.direction(), QPointF(1, 0));
    QCOMPARE(bullet.line(), QLineF(0, 0, 0.6, 0.8)); // left as it was
}

void TestBullets::magazineCooldownCleanUpAndReload() {
    m_system->setCapacity(3);
    m_system->reset(kScreen);
    // A click on the gun's centre fires to the right.
    m_system->shoot(QPointF(81, 191), QPoint(81, 191));
    QPointer<Bullet> first = m_system->bullets().first();
    QCOMPARE(first->parent(), m_system);
    QCOMPARE(first->line(), QLineF(81, 191, 96, 191));
    QCOMPARE(first->width(), 8.0);
    QCOMPARE(first->color(), QColor(10, 10, 10));
    QCOMPARE(first->damage(), 10.0);
    QCOMPARE(m_system->shootCD(), 5);

    for (int step = 1; step <= 4; ++step)
        QCOMPARE(fireAfter(1), 1);
    QCOMPARE(fireAfter(1), 2);
    QCOMPARE(fireAfter(5), 3);
    QCOMPARE(m_system->bulletCount(), 0);
    // An empty magazine fires nothing and adds no cooldown; the floor is 0.
    QCOMPARE(fireAfter(10), 3);
    QCOMPARE(m_system->shootCD(), 0);

    // Hit bullets stay put and go at the next clean-up, neighbours and all.
    QPointer<Bullet> second = m_system->bullets().at(1);
    Bullet* third = m_system->bullets().at(2);
    first->setHit();
    second->setHit();
    m_system->updateMovement();
    QCOMPARE(first->position(), QPointF(81, 191));
    QCOMPARE(third->position(), QPointF(60, 10));
    m_system->removeBullets(); // the same clean-up as updateState
    QVERIFY(first.isNull() && second.isNull());
    QCOMPARE(m_system->bullets(), QList<Bullet*>({third}));

    // One bullet back on every sixth reload step, none while paused.
    m_system->setReloadPaused(true);
    QCOMPARE(reloadAfter(20), 0);
    m_system->setReloadPaused(false);
    QCOMPARE(reloadAfter(5), 0);
    QCOMPARE(reloadAfter(1), 1);
    QCOMPARE(reloadAfter(5), 1);
    QCOMPARE(reloadAfter(1), 2);
    QCOMPARE(reloadAfter(6), 3);
    QCOMPARE(reloadAfter(12), 3);
}

void TestBullets::retiredOnlyWithBothEndsOutside_data() {
    QTest::addColumn<QPointF>("tail");
    QTest::addColumn<bool>("retired");

    // A 15 px segment flying right; both ends are truncated before the test.
    QTest::newRow("head outside, tail inside") << QPointF(790, 300) << false;
    QTest::newRow("tail on the last column") << QPointF(799.9, 300) << false;
    QTest::newRow("both ends outside on the right") << QPointF(800, 300) << true;
    QTest::newRow("head truncated onto column 0") << QPointF(-15.5, 300) << false;
    QTest::newRow("below the window") << QPointF(400, 600) << true;
}

void TestBullets::retiredOnlyWithBothEndsOutside() {
    QFETCH(QPointF, tail);
    QFETCH(bool, retired);

    fireAfter(0);
    QPointer<Bullet> bullet = m_system->bullets().first();
    bullet->setPosition(tail);
    m_system->updateState();
    QCOMPARE(bullet.isNull(), retired);
    QCOMPARE(m_system->bullets().size(), retired ? 0 : 1);
}

void TestBullets::settingsReachBulletsInFlightAndReset() {
    fireAfter(0);
    QPointer<Bullet> bullet = m_system->bullets().first();
    m_system->setDeadEye(nullptr);
    m_system->updateMovement();
    QCOMPARE(bullet->position(), QPointF(10, 10));
    m_system->setDeadEye(m_deadEye);
    m_system->setDamage(30.0);
    m_system->updateMovement();
    QCOMPARE(bullet->position(), QPointF(60, 10));
    QCOMPARE(bullet->damage(), 30.0);

    m_system->loadOneBullet(); // no longer full: the delay counts down
    m_system->setReloadPaused(true);
    m_system->setCapacity(5);
    QPointer<ProgressBar> oldBar = m_system->bar();
    m_system->reset(QRect(0, 0, 1920, 1080));
    QVERIFY(bullet.isNull() && m_system->bullets().isEmpty());
    QCOMPARE(m_system->screenRect(), QRect(0, 0, 1920, 1080));
    QCOMPARE(m_system->bulletCount(), 5);
    QCOMPARE(m_system->shootCD(), 0);
    QCOMPARE(m_system->reloadDelay(), 5);
    QVERIFY(!m_system->isReloadPaused());
    QVERIFY(oldBar.isNull());
    const ProgressBar* bar = m_system->bar();
    QCOMPARE(bar->parent(), m_system);
    QCOMPARE(bar->type, 2);
    QCOMPARE(bar->fillColor(), QColor(80, 80, 80));
    QCOMPARE(bar->borderColor(), QColor(80, 80, 80));
}

void TestBullets::paintBullets() {
    // The bullet keeps flying past its aimed-at point; the mark stays there.
    m_system->shoot(QPointF(50, 500), QPoint(401, 201));
    m_system->bullets().first()->setPosition(QPointF(500, 100));
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    const QPen pen(Qt::red, 2.0);
    painter.setPen(pen);
    painter.setBrush(Qt::blue);
    m_system->paintBullets(painter);
    const QList<PaintCall> calls = device.calls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].line, m_system->bullets().first()->line());
    QCOMPARE(calls[0].pen.color(), QColor(10, 10, 10));
    QCOMPARE(calls[0].pen.widthF(), 8.0);
    QCOMPARE(calls[1].rect, QRectF(401 - 36, 201 - 36, 72, 72));
    // Pen and brush come back; antialiasing stays on.
    QVERIFY(painter.testRenderHint(QPainter::Antialiasing));
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), QBrush(Qt::blue));

    // A hit bullet draws neither itself nor its mark.
    m_system->bullets().first()->setHit();
    device.calls().clear();
    m_system->paintBullets(painter);
    QVERIFY(device.calls().isEmpty());
}

QTEST_MAIN(TestBullets)
#include "tst_bullets.moc"
