#include "bullet.h"
#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "progressbar.h"

#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <algorithm>

namespace {
const QRect kScreen(0, 0, 800, 600);

void stopTimers(QObject* object) {
    for (QTimer* timer : object->findChildren<QTimer*>())
        timer->stop();
}

QImage blankImage() {
    QImage image(kScreen.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
} // namespace

class TestBullets : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Bullet
    void directionTowardsTheTarget_data();
    void directionTowardsTheTarget();
    void shiftScalesWithTheTimeFactor();
    void sizesNeverBelowOne();
    void setDirection();
    void hitTest();
    void paintLeavesAntialiasingOn();

    // BulletSystem
    void startState();
    void shootMakesAConfiguredBullet();
    void oneShotPerFiveCooldownSteps();
    void emptyMagazineFiresNothing();
    void reloadEverySixthStep();
    void reloadPausedDoesNothing();
    void retiredOnlyWithBothEndsOutside_data();
    void retiredOnlyWithBothEndsOutside();
    void hitBulletsAreDeletedAndNotMoved();
    void setDamageRewritesBulletsInFlight();
    void setDeadEyeReachesBulletsInFlight();
    void updateBarShowsTheMagazine();
    void resetEmptiesAndReplacesTheBar();
    void paintBulletsCentresTheMark();

private:
    DeadEye* m_deadEye = nullptr;
    BulletSystem* m_system = nullptr;
};

void TestBullets::init() {
    m_deadEye = new DeadEye;
    stopTimers(m_deadEye);
    m_system = new BulletSystem(kScreen);
    const QList<QTimer*> timers = m_system->findChildren<QTimer*>();
    QCOMPARE(timers.size(), 2);
    stopTimers(m_system);
    m_system->setDeadEye(m_deadEye);
}

void TestBullets::cleanup() {
    delete m_system;
    delete m_deadEye;
}

void TestBullets::directionTowardsTheTarget_data() {
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QPointF>("direction");

    QTest::newRow("click on the gun's centre")
        << QPointF(81, 191) << QPointF(81, 191) << QPointF(1, 0);
    QTest::newRow("3-4-5") << QPointF(10, 20) << QPointF(40, 60) << QPointF(0.6, 0.8);
    QTest::newRow("straight up") << QPointF(100, 100) << QPointF(100, 20) << QPointF(0, -1);
    QTest::newRow("left") << QPointF(100, 100) << QPointF(7, 100) << QPointF(-1, 0);
}

void TestBullets::directionTowardsTheTarget() {
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QPointF, direction);

    Bullet bullet(10.0, from, to, 50.0, 15.0, 8.0);
    QCOMPARE(bullet.direction(), direction);
    QCOMPARE(bullet.position(), from);
    QCOMPARE(bullet.target(), to);
    QCOMPARE(bullet.head(), from + direction * 15.0);
    QCOMPARE(bullet.line(), QLineF(from, from + direction * 15.0));
    QVERIFY(!bullet.isHit());
    QCOMPARE(bullet.deadEye(), nullptr);
    QCOMPARE(bullet.color(), QColor(Qt::black));
}

void TestBullets::shiftScalesWithTheTimeFactor() {
    Bullet bullet(10.0, QPointF(100, 100), QPointF(400, 500), 50.0, 15.0, 8.0);
    bullet.shift(); // no DeadEye: no time factor, no movement
    QCOMPARE(bullet.position(), QPointF(100, 100));

    bullet.setDeadEye(m_deadEye);
    bullet.shift();
    QCOMPARE(bullet.position(), QPointF(130, 140));
    m_deadEye->activate(0.1);
    bullet.shift();
    QCOMPARE(bullet.position(), QPointF(133, 144));
    QCOMPARE(bullet.line(), QLineF(QPointF(133, 144), QPointF(142, 156)));
}

void TestBullets::sizesNeverBelowOne() {
    Bullet bullet(10.0, QPointF(0, 0), QPointF(10, 0), 50.0, 15.0, 8.0);
    bullet.setLength(0.2);
    QCOMPARE(bullet.length(), 1.0);
    QCOMPARE(bullet.line(), QLineF(0, 0, 1, 0));
    bullet.setWidth(-3.0);
    QCOMPARE(bullet.width(), 1.0);
    bullet.setLength(20.0);
    QCOMPARE(bullet.head(), QPointF(20, 0));
}

void TestBullets::setDirection() {
    Bullet bullet(10.0, QPointF(0, 0), QPointF(0, 10), 50.0, 10.0, 8.0);
    bullet.setDirection(0.0, 0.0);
    QCOMPARE(bullet.direction(), QPointF(1, 0));
    QCOMPARE(bullet.line(), QLineF(0, 0, 0, 10)); // left as it was

    bullet.setDirection(-6.0, 8.0);
    QCOMPARE(bullet.direction(), QPointF(-0.6, 0.8));
    QCOMPARE(bullet.line(), QLineF(0, 0, -6, 8));

    bullet.setPosition(QPointF(5, 5));
    QCOMPARE(bullet.line(), QLineF(5, 5, -1, 13));
}

void TestBullets::hitTest() {
    Bullet bullet(10.0, QPointF(0, 50), QPointF(100, 50), 50.0, 15.0, 8.0);
    QSignalSpy hits(&bullet, &Bullet::hit);

    CrashBox away(QRectF(100, 0, 20, 20));
    QVERIFY(!bullet.hitTest(away));
    QVERIFY(!bullet.isHit());
    QCOMPARE(hits.count(), 0);

    CrashBox across(QRectF(10, 40, 20, 20));
    QVERIFY(bullet.hitTest(across));
    QVERIFY(bullet.isHit());
    QCOMPARE(hits.count(), 1);
}

void TestBullets::paintLeavesAntialiasingOn() {
    QImage image = blankImage();
    QPainter painter(&image);
    const QPen pen(Qt::red, 2.0);
    const QBrush brush(Qt::blue);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setRenderHint(QPainter::Antialiasing, false);

    Bullet bullet(10.0, QPointF(100, 100), QPointF(200, 100), 50.0, 15.0, 8.0);
    bullet.setColor(QColor(10, 10, 10));
    bullet.paint(painter);
    QVERIFY(painter.testRenderHint(QPainter::Antialiasing));
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), brush);
    painter.end();

    QCOMPARE(image.pixelColor(107, 100), QColor(10, 10, 10));
    QCOMPARE(image.pixelColor(107, 102), QColor(10, 10, 10)); // 8 px wide
    QCOMPARE(image.pixelColor(120, 100).alpha(), 0);
    QCOMPARE(image.pixelColor(107, 108).alpha(), 0);
}

void TestBullets::startState() {
    QCOMPARE(m_system->bulletCount(), 10);
    QCOMPARE(m_system->capacity(), 10);
    QCOMPARE(m_system->damage(), 10.0);
    QCOMPARE(m_system->shootCD(), 0);
    QCOMPARE(m_system->reloadDelay(), 5);
    QVERIFY(!m_system->isReloadPaused());
    QCOMPARE(m_system->screenRect(), kScreen);

    ProgressBar* bar = m_system->bar();
    QCOMPARE(bar->parent(), m_system);
    QCOMPARE(bar->type, 2);
    QCOMPARE(bar->rect(), QRectF(0, 0, 200, 30));
    QCOMPARE(bar->borderWidth(), 3.0);
    QCOMPARE(bar->fillColor(), QColor(244, 162, 113));

    BulletSystem fresh(kScreen);
    const QList<QTimer*> timers = fresh.findChildren<QTimer*>();
    QList<int> intervals;
    for (QTimer* timer : timers) {
        QVERIFY(timer->isActive());
        intervals.append(timer->interval());
    }
    std::sort(intervals.begin(), intervals.end());
    QCOMPARE(intervals, QList<int>({50, 400}));
}

void TestBullets::shootMakesAConfiguredBullet() {
    m_system->shoot(QPointF(81, 191), QPoint(81, 191));
    QCOMPARE(m_system->bullets().size(), 1);
    Bullet* bullet = m_system->bullets().first();
    QCOMPARE(bullet->parent(), m_system);
    QCOMPARE(bullet->direction(), QPointF(1, 0));
    QCOMPARE(bullet->speed(), 50.0);
    QCOMPARE(bullet->length(), 15.0);
    QCOMPARE(bullet->width(), 8.0);
    QCOMPARE(bullet->color(), QColor(10, 10, 10));
    QCOMPARE(bullet->damage(), 10.0);
    QCOMPARE(bullet->deadEye(), m_deadEye);
    QCOMPARE(m_system->bulletCount(), 9);
    QCOMPARE(m_system->shootCD(), 5);

    m_system->updateMovement();
    QCOMPARE(bullet->position(), QPointF(131, 191));
}

void TestBullets::oneShotPerFiveCooldownSteps() {
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    for (int step = 1; step <= 4; ++step) {
        m_system->updateShootCD();
        m_system->shoot(QPointF(10, 10), QPoint(100, 10));
        QCOMPARE(m_system->bullets().size(), 1);
    }
    m_system->updateShootCD();
    QCOMPARE(m_system->shootCD(), 0);
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    QCOMPARE(m_system->bullets().size(), 2);
    QCOMPARE(m_system->bulletCount(), 8);

    // The cooldown floor is 0.
    for (int step = 0; step < 10; ++step)
        m_system->updateShootCD();
    QCOMPARE(m_system->shootCD(), 0);
}

void TestBullets::emptyMagazineFiresNothing() {
    m_system->setCapacity(1);
    m_system->reset(kScreen);
    QCOMPARE(m_system->bulletCount(), 1);
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    QCOMPARE(m_system->bulletCount(), 0);
    for (int step = 0; step < 5; ++step)
        m_system->updateShootCD();
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    QCOMPARE(m_system->bullets().size(), 1);
    QCOMPARE(m_system->bulletCount(), 0);
    QCOMPARE(m_system->shootCD(), 0);
}

void TestBullets::reloadEverySixthStep() {
    m_system->loadOneBullet(); // full: the delay stays at 5
    QCOMPARE(m_system->reloadDelay(), 5);

    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    for (int step = 0; step < 5; ++step)
        m_system->updateShootCD();
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    QCOMPARE(m_system->bulletCount(), 8);

    for (int step = 1; step <= 5; ++step) {
        m_system->loadOneBullet();
        QCOMPARE(m_system->bulletCount(), 8);
        QCOMPARE(m_system->reloadDelay(), 5 - step);
    }
    m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 9);
    QCOMPARE(m_system->reloadDelay(), 5);
    for (int step = 0; step < 5; ++step)
        m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 9);
    m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 10);
    for (int step = 0; step < 12; ++step)
        m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 10);
}

void TestBullets::reloadPausedDoesNothing() {
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    m_system->setReloadPaused(true);
    for (int step = 0; step < 20; ++step)
        m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 9);
    QCOMPARE(m_system->reloadDelay(), 5);

    m_system->setReloadPaused(false);
    for (int step = 0; step < 6; ++step)
        m_system->loadOneBullet();
    QCOMPARE(m_system->bulletCount(), 10);
}

void TestBullets::retiredOnlyWithBothEndsOutside_data() {
    QTest::addColumn<QPointF>("tail");
    QTest::addColumn<bool>("retired");

    // Bullets fly right with a 15 px segment; the window is 800 x 600.
    QTest::newRow("inside") << QPointF(400, 300) << false;
    QTest::newRow("head outside, tail inside") << QPointF(790, 300) << false;
    QTest::newRow("tail on the last column") << QPointF(799.9, 300) << false;
    QTest::newRow("both ends outside on the right") << QPointF(800, 300) << true;
    QTest::newRow("tail outside left, head inside") << QPointF(-10, 300) << false;
    QTest::newRow("head truncated onto column 0") << QPointF(-15.5, 300) << false;
    QTest::newRow("both ends outside on the left") << QPointF(-17, 300) << true;
    QTest::newRow("below the window") << QPointF(400, 600) << true;
    QTest::newRow("on the last row") << QPointF(400, 599.5) << false;
}

void TestBullets::retiredOnlyWithBothEndsOutside() {
    QFETCH(QPointF, tail);
    QFETCH(bool, retired);

    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
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
        for (int step = 0; step < 5; ++step)
            m_system->updateShootCD();
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

void TestBullets::setDamageRewritesBulletsInFlight() {
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    m_system->setDamage(30.0);
    QCOMPARE(m_system->damage(), 30.0);
    QCOMPARE(m_system->bullets().first()->damage(), 30.0);
    for (int step = 0; step < 5; ++step)
        m_system->updateShootCD();
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    QCOMPARE(m_system->bullets().last()->damage(), 30.0);
}

void TestBullets::setDeadEyeReachesBulletsInFlight() {
    BulletSystem system(kScreen);
    stopTimers(&system);
    system.shoot(QPointF(10, 10), QPoint(100, 10));
    Bullet* bullet = system.bullets().first();
    QCOMPARE(bullet->deadEye(), nullptr);
    system.updateMovement();
    QCOMPARE(bullet->position(), QPointF(10, 10));

    m_deadEye->activate(0.1);
    system.setDeadEye(m_deadEye);
    QCOMPARE(bullet->deadEye(), m_deadEye);
    system.updateMovement();
    QCOMPARE(bullet->position(), QPointF(15, 10));
}

void TestBullets::updateBarShowsTheMagazine() {
    m_system->setCapacity(8);
    m_system->updateBar();
    QCOMPARE(m_system->bar()->progress(), 1.0); // 10 of 8 is clamped by the bar
    m_system->reset(kScreen);
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
    m_system->updateBar();
    QCOMPARE(m_system->bar()->progress(), 7.0 / 8.0);
}

void TestBullets::resetEmptiesAndReplacesTheBar() {
    m_system->shoot(QPointF(10, 10), QPoint(100, 10));
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
    ProgressBar* bar = m_system->bar();
    QCOMPARE(bar->parent(), m_system);
    QCOMPARE(bar->type, 2);
    QCOMPARE(bar->rect(), QRectF(0, 0, 300, 30));
    QCOMPARE(bar->borderWidth(), 3.0);
    QCOMPARE(bar->fillColor(), QColor(80, 80, 80));
    QCOMPARE(bar->borderColor(), QColor(80, 80, 80));
}

void TestBullets::paintBulletsCentresTheMark() {
    const QPixmap mark(":/images/target.png");
    QCOMPARE(mark.size(), QSize(72, 72));

    // The bullet flies right from (50, 500); the mark is far from its segment.
    m_system->shoot(QPointF(50, 500), QPoint(401, 201));
    m_system->bullets().first()->setDirection(1, 0);
    QImage painted = blankImage();
    {
        QPainter painter(&painted);
        m_system->paintBullets(painter);
    }

    QImage expected = blankImage();
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawPixmap(QPoint(401 - 36, 201 - 36), mark);
    }
    const QRect around(300, 100, 200, 200);
    QCOMPARE(painted.copy(around), expected.copy(around));
    QVERIFY(painted.pixelColor(55, 500).alpha() > 0);

    // A hit bullet draws neither itself nor its mark.
    m_system->bullets().first()->setHit();
    QImage afterHit = blankImage();
    {
        QPainter painter(&afterHit);
        m_system->paintBullets(painter);
    }
    QCOMPARE(afterHit, blankImage());
}

QTEST_MAIN(TestBullets)
#include "tst_bullets.moc"
