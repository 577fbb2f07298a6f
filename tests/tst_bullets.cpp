#include "bullet.h"
#include "bulletsystem.h"
#include "deadeye.h"
#include "gameids.h"
#include "paintrecorder.h"
#include "progressbar.h"

#include <QPainter>
#include <QPointer>
#include <QtTest>

namespace {
const QRect kScreen(0, 0, 800, 600);

// A bullet system and its DeadEye with their clocks stopped.
struct Gun {
    DeadEye deadEye;
    BulletSystem system{kScreen};
    Gun() {
        deadEye.timer()->stop();
        for (QTimer* timer : system.findChildren<QTimer*>())
            timer->stop();
        system.setDeadEye(&deadEye);
    }
    // Cools the gun down for the given 50 ms steps, then pulls the trigger.
    qsizetype fireAfter(int coolDownSteps) {
        for (int step = 0; step < coolDownSteps; ++step)
            system.updateShootCD();
        system.shoot(QPointF(10, 10), QPoint(100, 10));
        return system.bullets().size();
    }
    int reloadAfter(int steps) {
        for (int step = 0; step < steps; ++step)
            system.loadOneBullet();
        return system.bulletCount();
    }
};
} // namespace

class TestBullets : public QObject {
    Q_OBJECT

private slots:
    void bulletGeometry() {
        DeadEye deadEye;
        Bullet bullet(10.0, QPointF(100, 100), QPointF(400, 500), 50.0, 15.0, 8.0);
        QCOMPARE(bullet.line(), QLineF(100, 100, 109, 112)); // a 3-4-5 direction
        bullet.shift();                                      // no DeadEye, no time factor: it stays
        bullet.setDeadEye(&deadEye);
        bullet.shift();
        deadEye.activate(0.1);
        bullet.shift();
        QCOMPARE(bullet.line(), QLineF(133, 144, 142, 156));
        bullet.setPosition(QPointF(0, 0));
        bullet.setLength(0.2);
        bullet.setWidth(-3.0);
        QVERIFY(bullet.line() == QLineF(0, 0, 0.6, 0.8) && bullet.width() == 1.0);
        bullet.setDirection(0.0, 0.0);
        QCOMPARE(bullet.direction(), QPointF(1, 0));
        QCOMPARE(bullet.line(), QLineF(0, 0, 0.6, 0.8)); // left as it was
    }

    void magazineCooldownCleanUpAndReload() {
        Gun g;
        BulletSystem& s = g.system;
        QCOMPARE(s.findChild<QTimer*>()->interval() + s.findChildren<QTimer*>().last()->interval(),
                 450); // a 400 ms reload and a 50 ms cooldown step
        s.setCapacity(3);
        s.reset(kScreen);
        // A click on the gun's centre fires to the right.
        s.shoot(QPointF(81, 191), QPoint(81, 191));
        QPointer<Bullet> first = s.bullets().first();
        QVERIFY(first->parent() == &s && first->line() == QLineF(81, 191, 96, 191));
        QVERIFY(first->width() == 8.0 && first->color() == QColor(10, 10, 10));
        QVERIFY(first->damage() == 10.0 && s.shootCD() == 5);
        for (int step = 1; step <= 4; ++step)
            QCOMPARE(g.fireAfter(1), 1);
        QCOMPARE(g.fireAfter(1), 2);
        QCOMPARE(g.fireAfter(5), 3);
        // An empty magazine fires nothing and adds no cooldown; the floor is 0.
        QCOMPARE(g.fireAfter(10), 3);
        QVERIFY(s.bulletCount() == 0 && s.shootCD() == 0);

        // Hit bullets stay put and go at the next clean-up, neighbours and all.
        QPointer<Bullet> second = s.bullets().at(1);
        Bullet* third = s.bullets().at(2);
        first->setHit();
        second->setHit();
        s.updateMovement();
        QVERIFY(first->position() == QPointF(81, 191) && third->position() == QPointF(60, 10));
        s.updateState();
        QVERIFY(first.isNull() && second.isNull() && s.bullets() == QList<Bullet*>{third});

        // One bullet back on every sixth reload step, none while paused.
        s.setReloadPaused(true);
        QCOMPARE(g.reloadAfter(20), 0);
        s.setReloadPaused(false);
        for (const auto& [steps, count] :
             {std::pair{5, 0}, {1, 1}, {5, 1}, {1, 2}, {6, 3}, {12, 3}})
            QCOMPARE(g.reloadAfter(steps), count);
    }

    // A 15 px segment flying right; both ends are truncated before the test.
    void retiredOnlyWithBothEndsOutside_data() {
        QTest::addColumn<QPointF>("tail");
        QTest::addColumn<bool>("retired");
        QTest::newRow("head outside, tail inside") << QPointF(790, 300) << false;
        QTest::newRow("tail on the last column") << QPointF(799.9, 300) << false;
        QTest::newRow("both ends outside on the right") << QPointF(800, 300) << true;
        QTest::newRow("head truncated onto column 0") << QPointF(-15.5, 300) << false;
        QTest::newRow("below the window") << QPointF(400, 600) << true;
    }

    void retiredOnlyWithBothEndsOutside() {
        QFETCH(QPointF, tail);
        QFETCH(bool, retired);
        Gun g;
        g.fireAfter(0);
        QPointer<Bullet> bullet = g.system.bullets().first();
        bullet->setPosition(tail);
        g.system.updateState();
        QVERIFY(bullet.isNull() == retired && g.system.bullets().size() == (retired ? 0 : 1));
    }

    void settingsReachBulletsInFlightAndReset() {
        Gun g;
        BulletSystem& s = g.system;
        g.fireAfter(0);
        QPointer<Bullet> bullet = s.bullets().first();
        s.setDeadEye(nullptr);
        s.updateMovement();
        QCOMPARE(bullet->position(), QPointF(10, 10));
        s.setDeadEye(&g.deadEye);
        s.setDamage(30.0);
        s.updateMovement();
        QVERIFY(bullet->position() == QPointF(60, 10) && bullet->damage() == 30.0);
        s.updateBar();
        QCOMPARE(s.bar()->progress(), 0.9);

        s.loadOneBullet(); // no longer full: the delay counts down
        s.setReloadPaused(true);
        s.setCapacity(5);
        QPointer<ProgressBar> oldBar = s.bar();
        s.reset(QRect(0, 0, 1920, 1080));
        QVERIFY(bullet.isNull() && s.bullets().isEmpty() && oldBar.isNull());
        QCOMPARE(s.screenRect(), QRect(0, 0, 1920, 1080));
        QVERIFY(s.bulletCount() == 5 && s.shootCD() == 0 && s.reloadDelay() == 5);
        QVERIFY(!s.isReloadPaused() && s.bar()->parent() == &s);
        QVERIFY(s.bar()->type == BarType::Magazine && s.bar()->fillColor() == QColor(80, 80, 80));
        QCOMPARE(s.bar()->borderColor(), QColor(80, 80, 80));
    }

    void paintBullets() {
        Gun g;
        // The bullet keeps flying past its aimed-at point; the mark stays there.
        g.system.shoot(QPointF(50, 500), QPoint(401, 201));
        g.system.bullets().first()->setPosition(QPointF(500, 100));
        RecordingPaintDevice device(kScreen.size());
        QPainter painter(&device);
        const QPen pen(Qt::red, 2.0);
        painter.setPen(pen);
        painter.setBrush(Qt::blue);
        g.system.paintBullets(painter);
        const QList<PaintCall> calls = device.calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].line, g.system.bullets().first()->line());
        QVERIFY(calls[0].pen.color() == QColor(10, 10, 10) && calls[0].pen.widthF() == 8.0);
        QCOMPARE(calls[1].rect, QRectF(401 - 36, 201 - 36, 72, 72));
        // Pen and brush come back; antialiasing stays on.
        QVERIFY(painter.testRenderHint(QPainter::Antialiasing));
        QVERIFY(painter.pen() == pen && painter.brush() == QBrush(Qt::blue));
        // A hit bullet draws neither itself nor its mark.
        g.system.bullets().first()->setHit();
        device.calls().clear();
        g.system.paintBullets(painter);
        QVERIFY(device.calls().isEmpty());
    }
};

QTEST_MAIN(TestBullets)
#include "tst_bullets.moc"
