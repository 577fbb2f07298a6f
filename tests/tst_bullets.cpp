#include "testsupport.h"

namespace {
const QRect kScreen(0, 0, 800, 600);

struct Rig {
    DeadEye deadEye;
    BulletSystem system{kScreen};
    Rig() { system.setDeadEye(&deadEye); }
    qsizetype fireAfter(int coolDownSteps) {
        for (int step = 0; step < coolDownSteps; ++step)
            system.updateShootCD();
        system.shoot(QPointF(10, 10), QPoint(100, 10));
        return system.bullets().size();
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
        bullet.setDirection(0.0, 0.0); // only the direction falls back; the line waits
        QVERIFY(bullet.line() == QLineF(0, 0, 0.6, 0.8) && bullet.width() == 1.0);
        QCOMPARE(bullet.direction(), QPointF(1, 0));
    }

    void magazineCooldownCleanUpAndReload() {
        Rig g;
        BulletSystem& s = g.system;
        QVERIFY(s.reloadTimer()->interval() == 400 && s.shootTimer()->interval() == 50);
        s.setCapacity(3);
        s.reset(kScreen);
        s.shoot(QPointF(81, 191), QPoint(81, 191));
        QPointer<Bullet> first = s.bullets().first();
        QVERIFY(first->parent() == &s && first->line() == QLineF(81, 191, 96, 191));
        QVERIFY(first->damage() == 10.0 && s.shootCD() == 5);
        for (const auto& [steps, fired] : {std::pair{1, 1}, {3, 1}, {1, 2}, {5, 3}, {10, 3}})
            QCOMPARE(g.fireAfter(steps), fired);
        // An empty magazine fires nothing and adds no cooldown; the floor is 0.
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
        QList<int> counts;
        for (int step = 0; step < 44; ++step) {
            s.setReloadPaused(step < 20);
            s.loadOneBullet();
            counts << s.bulletCount();
        }
        QCOMPARE(counts, QList<int>(20, 0) + QList<int>({0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2,
                                                         2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3}));
    }

    // A 15 px segment flying right; both ends are truncated before the test.
    void retiredOnlyWithBothEndsOutside() {
        for (const auto& [tail, retired] : {std::pair{QPointF(790, 300), false},
                                            {QPointF(799.9, 300), false},
                                            {QPointF(800, 300), true},
                                            {QPointF(-15.5, 300), false},
                                            {QPointF(400, 600), true}}) {
            Rig g;
            g.fireAfter(0);
            QPointer<Bullet> bullet = g.system.bullets().first();
            bullet->setPosition(tail);
            g.system.updateState();
            QCOMPARE(bullet.isNull(), retired);
        }
    }

    void settingsReachBulletsInFlightAndReset() {
        Rig g;
        BulletSystem& s = g.system;
        g.fireAfter(0);
        QPointer<Bullet> bullet = s.bullets().first();
        s.setDeadEye(nullptr);
        s.updateMovement();
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
        QVERIFY(s.screenRect() == QRect(0, 0, 1920, 1080) && s.bulletCount() == 5);
        QVERIFY(s.shootCD() == 0 && s.reloadDelay() == 5 && !s.isReloadPaused());
        QVERIFY(s.bar()->parent() == &s && s.bar()->type == BarType::Magazine);
        QVERIFY(s.bar()->fillColor() == QColor(80, 80, 80) &&
                s.bar()->borderColor() == QColor(80, 80, 80));
    }

    // The mark stays on the aimed-at point; a hit bullet draws nothing.
    void paintBullets() {
        Rig g;
        g.system.shoot(QPointF(50, 500), QPoint(401, 201));
        g.system.bullets().first()->setPosition(QPointF(500, 100));
        RecordingPaintDevice device(kScreen.size());
        QPainter painter(&device);
        const QPen pen(Qt::red, 2.0);
        painter.setPen(pen);
        painter.setBrush(Qt::blue);
        g.system.paintBullets(painter);
        const QList<PaintCall> calls = device.calls();
        QVERIFY(calls.size() == 2 && calls[0].line == g.system.bullets().first()->line());
        QVERIFY(calls[0].pen.color() == QColor(10, 10, 10) && calls[0].pen.widthF() == 8.0);
        QCOMPARE(calls[1].rect, QRectF(401 - 36, 201 - 36, 72, 72));
        QVERIFY(painter.testRenderHint(QPainter::Antialiasing));
        QVERIFY(painter.pen() == pen && painter.brush() == QBrush(Qt::blue));
        g.system.bullets().first()->setHit();
        g.system.paintBullets(painter);
        QCOMPARE(device.calls().size(), 2);
    }
};

QTEST_MAIN(TestBullets)
#include "tst_bullets.moc"
