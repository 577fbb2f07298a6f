#include "testsupport.h"

#include <QSet>
#include <cmath>

namespace {
const QRect kScreen(0, 0, 1920, 1080);
enum Kind { KindCactus, KindBird, KindHead, KindBall };

struct World : Playfield {
    QObject obstacles;

    World() : Playfield(kScreen, QPointF(1500.0, 900.0)) {}
    void fire(QPointF from, QPointF to) {
        bullets.shoot(from, to.toPoint());
        while (bullets.shootCD() > 0)
            bullets.updateShootCD();
    }
    Obstacle* make(Kind kind, QPointF pos, double speed = 0.0) {
        Obstacle* o =
            kind == KindCactus ? static_cast<Obstacle*>(new Cacti(&obstacles))
            : kind == KindBird ? new Bird(&obstacles)
            : kind == KindHead
                ? static_cast<Obstacle*>(new Head(QPixmap(":/images/heads.png"), &obstacles))
                : new Ball(QPixmap(":/images/ball.png"), 0, &obstacles);
        o->setPos(pos);
        o->setSpeed(speed);
        o->wire(&character, &bullets, &score);
        return o;
    }
};

// Each class declares its own shift() slot; the meta-object finds the most derived one.
void step(Obstacle* o) {
    QMetaObject::invokeMethod(o, "shift");
}
} // namespace

class TestObstacles : public QObject {
    Q_OBJECT

private slots:
    // "kind by how": Kind order; 0 an invincible character or 1 a bullet destroys it, 2 dies.
    void collision_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("by");
        for (int row = 0; row < 12; ++row)
            QTest::addRow("%d by %d", row / 3, row % 3) << row / 3 << row % 3;
    }

    void collision() {
        QFETCH(int, kind);
        QFETCH(int, by);
        const bool destroyed = by != 2;
        const int score = destroyed ? QList{10, 20, 25, 25}[kind] : 0;
        World w;
        if (by != 1)
            w.place(QPointF(0.0, 0.0));
        w.character.setInvincible(by == 0);
        Obstacle* o = w.make(Kind(kind), QPointF(10.0, 10.0), 3.0);
        QList<double> healthAtCrash;
        connect(o, &Obstacle::crashed, this, [&] { healthAtCrash << w.character.health(); });
        if (by == 1) // through every kind's box once moved
            w.fire(QPointF(40.0, 50.0), QPointF(1900.0, 50.0));
        step(o);
        QVERIFY(w.score.score() == score && o->hitPos() == o->pos()); // taken after the move
        QVERIFY(o->active != destroyed && o->exploding == destroyed);
        QCOMPARE(w.character.health(), destroyed ? 1.0 : 0.0);
        // Cacti and birds report the crash before the character dies; projectiles after.
        QCOMPARE(healthAtCrash, destroyed ? QList<double>() : QList{kind < KindHead ? 1.0 : 0.0});
        // Destroyed once: a second step credits nothing more; a bird's fall has begun.
        step(o);
        QCOMPARE(w.score.score(), score);
        QCOMPARE(o->pos().x(), kind < KindHead ? 4.0 : 10.0); // cacti and birds always scroll
        if (kind == KindBird)
            QCOMPARE(static_cast<Bird*>(o)->dropCount(), destroyed ? 2 : 0);
    }

    // A bullet that hit passes through other obstacles; a destroyed one takes none.
    void bulletRules() {
        World w;
        Obstacle* first = w.make(KindCactus, QPointF(200.0, 200.0));
        Obstacle* second = w.make(KindCactus, QPointF(200.0, 200.0));
        for (double y : {220.0, 260.0, 100.0}) // the last one misses
            w.fire(QPointF(195.0, y), QPointF(1000.0, y));
        first->shift();
        second->shift();
        QVERIFY(w.score.score() == 20 && !first->active && second->active && !second->exploding);
        const QList<Bullet*> bullets = w.bullets.bullets();
        QVERIFY(bullets[0]->isHit() && bullets[1]->isHit() && !bullets[2]->isHit());
        w.fire(QPointF(195.0, 220.0), QPointF(1000.0, 220.0));
        first->shift();
        QVERIFY(!w.bullets.bullets().last()->isHit() && w.score.score() == 20);
    }

    // The bottom edge stays: 87 - 30 for cacti, 75 - 70 for a head; a ball leaves none.
    void remains() {
        for (const auto& [type, sink, sheet] : {std::tuple{1, 57.0, QSize(50, 30)},
                                                {5, 57.0, QSize(100, 30)},
                                                {6, 0.0, QSize(91, 80)},
                                                {7, 5.0, QSize(70, 70)},
                                                {8, 0.0, QSize(76, 76)}}) {
            const Kind kind = Kind(std::max(0, type - 5)); // types 1-5 are cacti
            World w;
            Obstacle* o = w.make(kind, QPointF(100.0, 400.0));
            o->setType(type);
            o->active = false;
            o->exploding = true;
            for (int i = 0; i < 5; ++i) {
                QVERIFY(!o->finished);
                o->frame = o->explosion->play();
            }
            QVERIFY(o->finished && !o->exploding && o->crashBox()->rects().isEmpty());
            QCOMPARE(o->frame.size(), QSize(180, 180)); // kept until the next animation step
            QVERIFY(o->pos() == QPointF(100.0, 400.0 + sink) && o->image().size() == sheet);
            QVERIFY(kind == KindBall ? !o->animation : o->animation->play().size() == sheet);
        }
    }

    void shapes() {
        World w;
        auto* bird = static_cast<Bird*>(w.make(KindBird, QPointF(100.5, 0.0)));
        bird->updateCrashBox();
        QCOMPARE(bird->animation->ticksPerFrame, 2);
        QCOMPARE(bird->crashBox()->rects(),
                 (QList<QRectF>{QRectF(104.5, 11, 24, 27), QRectF(129.5, 5, 18, 64),
                                QRectF(147.5, 35, 36, 18)}));
        Obstacle* head = w.make(KindHead, QPointF(10.5, 20.0));
        head->updateCrashBox();
        QCOMPARE(head->crashBox()->rects(), QList<QRectF>{QRectF(19.5, 29, 57, 56)});
        Obstacle* ball = w.make(KindBall, QPointF(-3.0, 4.0));
        ball->updateCrashBox();
        QCOMPARE(ball->crashBox()->rects(), QList<QRectF>{QRectF(6, 13, 57, 57)});
        // A destroyed bird keeps its height for nine steps, then falls ever faster.
        QList<double> ys;
        for (int i = 0; i < 17; ++i) {
            bird->drop();
            ys << bird->pos().y();
        }
        QCOMPARE(ys, (QList<double>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 7, 11, 16, 22, 30}));
        QSet<int> types;
        for (int i = 0; i < 300; ++i) {
            Cacti cactus;
            types.insert(cactus.type());
            const QRect cell((cactus.type() - 1) * 50, 0, cactus.type() == 5 ? 100 : 50, 87);
            QVERIFY(cactus.image().size() == cell.size() && !cactus.animation);
            QCOMPARE(cactus.frame.toImage(), QPixmap(":/images/cacti.png").copy(cell).toImage());
            QCOMPARE(cactus.crashBox()->rects(), QList<QRectF>{QRectF(QPoint(0, 0), cell.size())});
        }
        QCOMPARE(types, (QSet<int>{1, 2, 3, 4, 5}));
    }

    // At groundY + 5 a ball explodes without score or new hit position.
    void ball() {
        World w;
        w.character.setGroundY(300.0);
        auto* ball = static_cast<Ball*>(w.make(KindBall, QPointF(0.0, 290.0), 10.0));
        ball->setDelay(3);
        ball->setAngle(M_PI / 2);
        ball->setHitPos(QPointF(1.0, 2.0));
        QStringList steps; // y, speed, active
        for (int i = 0; i < 6; ++i) {
            ball->shift();
            steps << QString("%1 %2 %3").arg(ball->pos().y()).arg(ball->speed()).arg(ball->active);
        }
        QCOMPARE(steps, QStringList({"290 10 1", "290 10 1", "290 10 1", "300 10.3 1",
                                     "310.3 10.6 0", "320.9 10.9 0"}));
        QVERIFY(ball->exploding && w.score.score() == 0 && ball->hitPos() == QPointF(1.0, 2.0));
    }

    void head() {
        World w;
        auto* head = static_cast<Head*>(w.make(KindHead, QPointF(5.0, 5.0), 4.0));
        head->setTarget(QPointF(5.0, 5.0));
        QCOMPARE(head->direction(), QPointF(0.0, 1.0));
        head->setTarget(QPointF(43.0, 142.0)); // from the centre, integer halves of 76 x 75
        QCOMPARE(head->distanceToTarget(), 100.0);
        // Beyond the lock distance it re-aims from its corner every step.
        head->setPos(QPointF(0.0, 0.0));
        head->setTarget(QPointF(1000.0, 0.0));
        for (const auto& [at, pos] : {std::pair{QPointF(257.0, 353.0), QPointF(2.4, 3.2)},
                                      {QPointF(759.4, -643.8), QPointF(5.6, 0.8)}}) {
            w.place(at);
            head->shift();
            QCOMPARE((QList{head->target(), head->pos()}), (QList{at + QPointF(43.0, 47.0), pos}));
        }
        // Within 240 px it stops steering for good, even once far away again.
        const QPointF target = head->target();
        for (const double gap : {241.0, 240.0}) {
            head->setPos(target - QPointF(38.0 + gap, 37.0));
            head->shift();
            QCOMPARE(head->isHoming(), gap > 240.0);
        }
        const QPointF direction = head->direction();
        w.place(QPointF(100.0, 900.0));
        head->setPos(QPointF(1500.0, 1000.0));
        head->shift();
        head->setTarget(QPointF(5.0, 5.0));
        QVERIFY(head->target() == target && head->direction() == direction);
        // Destroyed, it flies on in its last direction, 0.5 faster every step.
        head->active = false;
        head->setPos(QPointF(0.0, 0.0));
        head->setSpeed(10.0);
        head->shift();
        head->shift();
        QVERIFY(head->pos() == (10.0 + 10.5) * direction && head->speed() == 11.0);
    }
};

QTEST_MAIN(TestObstacles)
#include "tst_obstacles.moc"
