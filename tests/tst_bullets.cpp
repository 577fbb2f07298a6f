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

namespace {
const QRect kScreen(0, 0, 800, 600);

void stopTimers(QObject* object) {
    for (QTimer* timer : object->findChildren<QTimer*>())
        timer->stop();
}

void coolDown(BulletSystem* system) {
    for (int step = 0; step < 5; ++step)
        system->updateShootCD();
}

void checkBar(const ProgressBar* bar, const QObject* owner, const QRectF& rect,
              const QColor& fill) {
    QCOMPARE(bar->parent(), owner);
    QCOMPARE(bar->type, 2);
    QCOMPARE(bar->rect(), rect);
    QCOMPARE(bar->borderWidth(), 3.0);
    QCOMPARE(bar->fillColor(), fill);
}
} // namespace

class TestBullets : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Bullet
    void bulletGeometry();

    // BulletSystem
    void startStateAndReset();
    void shootingAndCooldown();
    void reloadEverySixthStepUnlessPaused();
    void retiredOnlyWithBothEndsOutside_data();
    void retiredOnlyWithBothEndsOutside();
    void hitBulletsAreDeletedAndNotMoved();
    void settingsReachBulletsInFlight();
    void paintBullets();

private:
    void shoot() { m_system->shoot(QPointF(10, 10), QPoint(100, 10)); }

    DeadEye* m_deadEye = nullptr;
    BulletSystem* m_system = nullptr;
};

void TestBullets::init() {
    m_deadEye = new DeadEye;
    stopTimers(m_deadEye);
    m_system = new BulletSystem(kScreen);
    stopTimers(m_system);
    m_system->setDeadEye(m_deadEye);
}

void TestBullets::cleanup() {
    delete m_system;
    delete m_deadEye;
}

void TestBullets::bulletGeometry() {
    // A 3-4-5 direction towards the target, scaled by the time factor.
    Bullet bullet(10.0, QPointF(100, 100), QPointF(400, 500), 50.0, 15.0, 8.0);
    QCOMPARE(bullet.line(), QLineF(100, 100, 109, 112));
    bullet.shift(); // no DeadEye: no time factor, no movement
    QCOMPARE(bullet.position(), QPointF(100, 100));
    bullet.setDeadEye(m_deadEye);
    bullet.shift();
    QCOMPARE(bullet.position(), QPointF(130, 140));
    m_deadEye->activate(0.1);
    bullet.shift();
    QCOMPARE(bullet.line(), QLineF(QPointF(133, 144), QPointF(142, 156)));

    bullet.setPosition(QPointF(0, 0));
    bullet.setLength(0.2);
    QCOMPARE(bullet.line(), QLineF(0, 0, 0.6, 0.8)); // at least 1 px
    bullet.setWidth(-3.0);
    QCOMPARE(bullet.width(), 1.0);
    bullet.setDirection(0.0, 0.0);
    QCOMPARE(bullet.direction(), QPointF(1, 0));
    QCOMPARE(bullet.line(), QLineF(0, 0, 0.6, 0.8)); // left as it was
    bullet.setDirection(-6.0, 8.0);
    QCOMPARE(bullet.line(), QLineF(0, 0, -0.6, 0.8));
}

void TestBullets::startStateAndReset() {
    QCOMPARE(m_system->bulletCount(), 10);
    QCOMPARE(m_system->capacity(), 10);
    QCOMPARE(m_system->reloadDelay(), 5);
    checkBar(m_system->bar(), m_system, QRectF(0, 0, 200, 30), QColor(244, 162, 113));
    BulletSystem fresh(kScreen);
    QList<int> intervals;
    for (QTimer* timer : fresh.findChildren<QTimer*>())
        intervals.append(timer->isActive() ? timer->interval() : -1);
    std::sort(intervals.begin(), intervals.end());
    QCOMPARE(intervals, QList<int>({50, 400}));

    shoot();
    QPointer<Bullet> bullet = m_system->bullets().first();
    m_system->setReloadPaused(true);
    m_system->setCapacity(5);
    m_system->loadOneBullet();
    QPointer<ProgressBar> oldBar = m_system->bar();
    const QRect wider(0, 0, 1920, 1080);
    m_system->reset(wider);
    QVERIFY(bullet.isNull());
    QVERIFY(m_system->bullets().isEmpty());
    QCOMPARE(m_system->screenRect(), wider);
    QCOMPARE(m_system->bulletCount(), 5);
    QCOMPARE(m_system->shootCD(), 0);
    QCOMPARE(m_system->reloadDelay(), 5);
    QVERIFY(!m_system->isReloadPaused());
    QVERIFY(oldBar.isNull());
    checkBar(m_system->bar(), m_system, QRectF(0, 0, 300, 30), QColor(80, 80, 80));
    QCOMPARE(m_system->bar()->borderColor(), QColor(80, 80, 80));
}

void TestBullets::shootingAndCooldown() {
    m_system->setCapacity(2);
    m_system->reset(kScreen);
    // A click on the gun's centre fires to the right.
    m_system->shoot(QPointF(81, 191), QPoint(81, 191));
    QCOMPARE(m_system->bullets().size(), 1);
    Bullet* bullet = m_system->bullets().first();
    QCOMPARE(bullet->parent(), m_system);
    QCOMPARE(bullet->direction(), QPointF(1, 0));
    QCOMPARE(bullet->length(), 15.0);
    QCOMPARE(bullet->width(), 8.0);
    QCOMPARE(bullet->color(), QColor(10, 10, 10));
    QCOMPARE(bullet->damage(), 10.0);
    QCOMPARE(bullet->deadEye(), m_deadEye);
    QCOMPARE(m_system->bulletCount(), 1);
    QCOMPARE(m_system->shootCD(), 5);
    m_system->updateBar();
    QCOMPARE(m_system->bar()->progress(), 0.5);
    m_system->updateMovement();
    QCOMPARE(bullet->position(), QPointF(131, 191));

    for (int step = 1; step <= 4; ++step) {
        m_system->updateShootCD();
        shoot();
        QCOMPARE(m_system->bullets().size(), 1);
    }
    m_system->updateShootCD();
    shoot();
    QCOMPARE(m_system->bullets().size(), 2);
    QCOMPARE(m_system->bulletCount(), 0);

    // An empty magazine fires nothing and adds no cooldown; the floor is 0.
    for (int step = 0; step < 10; ++step)
        m_system->updateShootCD();
    shoot();
    QCOMPARE(m_system->bullets().size(), 2);
    QCOMPARE(m_system->shootCD(), 0);
}

void TestBullets::reloadEverySixthStepUnlessPaused() {
    shoot();
    m_system->setReloadPaused(true);
    for (int step = 0; step < 20; ++step)
        m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 9);
    QCOMPARE(m_system->reloadDelay(), 5);

    m_system->setReloadPaused(false);
    for (int step = 1; step <= 5; ++step) {
        m_system->loadOneBullet();
        QCOMPARE(m_system->bulletCount(), 9);
        QCOMPARE(m_system->reloadDelay(), 5 - step);
    }
    m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 10);
    QCOMPARE(m_system->reloadDelay(), 5);
    for (int step = 0; step < 12; ++step)
        m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 10);
    QCOMPARE(m_system->reloadDelay(), 5);
}

void TestBullets::retiredOnlyWithBothEndsOutside_data() {
    QTest::addColumn<QPointF>("tail");
    QTest::addColumn<bool>("retired");

    // Bullets fly right with a 15 px segment; the window is 800 x 600, and
    // both ends are truncated to whole pixels before the test.
    QTest::newRow("head outside, tail inside") << QPointF(790, 300) << false;
    QTest::newRow("tail on the last column") << QPointF(799.9, 300) << false;
    QTest::newRow("both ends outside on the right") << QPointF(800, 300) << true;
    QTest::newRow("head truncated onto column 0") << QPointF(-15.5, 300) << false;
    QTest::newRow("both ends outside on the left") << QPointF(-17, 300) << true;
    QTest::newRow("on the last row") << QPointF(400, 599.5) << false;
    QTest::newRow("below the window") << QPointF(400, 600) << true;
}

void TestBullets::retiredOnlyWithBothEndsOutside() {
    QFETCH(QPointF, tail);
    QFETCH(bool, retired);

    shoot();
    QPointer<Bullet> bullet = m_system->bullets().first();
    bullet->setPosition(tail);
    m_system->updateState();
    QCOMPARE(bullet.isNull(), retired);
    QCOMPARE(m_system->bullets().size(), retired ? 0 : 1);
    if (retired)
        return;
    // removeBullets is the same clean-up under its other name.
    bullet->setPosition(QPointF(900, 300));
    m_system->removeBullets();
    QVERIFY(bullet.isNull());
}

void TestBullets::hitBulletsAreDeletedAndNotMoved() {
    for (int shot = 0; shot < 3; ++shot) {
        m_system->shoot(QPointF(10, 10 + shot * 100), QPoint(100, 10 + shot * 100));
        coolDown(m_system);
    }
    const QList<Bullet*> bullets = m_system->bullets();
    bullets.at(1)->setHit();
    m_system->updateMovement();
    QCOMPARE(bullets.at(0)->position(), QPointF(60, 10));
    QCOMPARE(bullets.at(1)->position(), QPointF(10, 110));
    QCOMPARE(bullets.at(2)->position(), QPointF(60, 210));

    QPointer<Bullet> hit = bullets.at(1);
    m_system->updateState();
    QVERIFY(hit.isNull());
    QCOMPARE(m_system->bullets(), QList<Bullet*>({bullets.at(0), bullets.at(2)}));
}

void TestBullets::settingsReachBulletsInFlight() {
    BulletSystem system(kScreen);
    stopTimers(&system);
    system.shoot(QPointF(10, 10), QPoint(100, 10));
    Bullet* bullet = system.bullets().first();
    system.updateMovement();
    QCOMPARE(bullet->position(), QPointF(10, 10)); // no DeadEye yet

    m_deadEye->activate(0.1);
    system.setDeadEye(m_deadEye);
    QCOMPARE(bullet->deadEye(), m_deadEye);
    system.updateMovement();
    QCOMPARE(bullet->position(), QPointF(15, 10));

    system.setDamage(30.0);
    QCOMPARE(bullet->damage(), 30.0);
    coolDown(&system);
    system.shoot(QPointF(10, 10), QPoint(100, 10));
    QCOMPARE(system.bullets().last()->damage(), 30.0);
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

    const QList<PaintCall> lines = device.callsOf(PaintCall::Line);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].line, m_system->bullets().first()->line());
    QCOMPARE(lines[0].pen.color(), QColor(10, 10, 10));
    QCOMPARE(lines[0].pen.widthF(), 8.0);
    const QList<PaintCall> marks = device.callsOf(PaintCall::Pixmap);
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks[0].rect, QRectF(401 - 36, 201 - 36, 72, 72));
    // The bullet restores pen and brush but leaves antialiasing on.
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
