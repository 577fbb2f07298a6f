#include "testsupport.h"

#include <cmath>

namespace {
// Odd sizes, so that integer halves differ from exact ones.
const QRect kScreen(0, 0, 1001, 701);
constexpr double kPi = 3.14159265358979323846;
const QPointF kParking(0.0, 3000.0);
using Phase = QPair<int, int>; // state, counter

// Angles are built by repeated addition: equal up to rounding.
bool aims(const QPointF& direction, double angle) {
    return std::abs(direction.x() - std::cos(angle)) < 1e-9 &&
           std::abs(direction.y() - std::sin(angle)) < 1e-9;
}

struct Arena : Playfield {
    DeadEye deadEye;
    MonsterSystem boss{&score, &environment, &bullets, &character, &deadEye};

    Arena() : Playfield(kScreen, kParking) { bullets.setDeadEye(&deadEye); }
    Phase phase() const { return {boss.state(), boss.counter()}; }
    void repeat(int times, void (MonsterSystem::*slot)()) {
        for (int i = 0; i < times; ++i)
            (boss.*slot)();
    }
    Monster* spawnAt(QPointF pos, bool withProjectiles = false) {
        boss.spawnMonster();
        boss.updatePosition();
        boss.monster()->setPos(pos);
        boss.monster()->updateCrashBox(boss.monster()->type());
        if (withProjectiles) {
            boss.launchFan();
            repeat(2, &MonsterSystem::launchHead);
        }
        return boss.monster();
    }
    QList<PaintCall> paintCalls() {
        RecordingPaintDevice device(kScreen.size());
        QPainter painter(&device);
        boss.paint(painter);
        return device.calls();
    }
};
} // namespace

class TestBoss : public QObject {
    Q_OBJECT

private slots:
    void monster() {
        Monster monster;
        for (const auto& [health, fill] : {std::pair{401, QColor(253, 145, 67)},
                                           {400, QColor(253, 92, 67)},
                                           {1000, QColor(253, 92, 67)}}) {
            monster.setHealth(health);
            monster.updateBar();
            QCOMPARE(monster.healthBar()->fillColor(), fill);
        }
        // The damaged look keeps the bottom edge; only the flying looks rebuild the box.
        monster.setPos(QPointF(10.0, 20.5));
        monster.setType(2);
        QVERIFY(monster.pos() == QPointF(10.0, 20.5) && monster.animation()->frameCount == 4);
        monster.explode(QPixmap(":/images/bombs_big.png"));
        monster.setPos(QPointF(50.0, 60.0));
        monster.updateCrashBox(monster.type());
        monster.updateCrashBox(0);
        QCOMPARE(monster.crashBox()->rects(), QList<QRectF>{QRectF(10, 94.5, 322, 149)});
    }

    void approachAndEntry() {
        Arena a;
        QCOMPARE(a.boss.crashTimer()->interval(), 30);
        a.boss.reset();
        for (const auto& [score, state] :
             {std::pair{19, BossState::Waiting}, {20, BossState::Approach}}) {
            a.score.setScore(score);
            a.boss.updateState();
            QCOMPARE(a.phase(), Phase(state, 0));
        }
        // The approach moves on once per step; painting it twice changes nothing.
        QList<QRectF> pictures;
        for (int c = 1; c <= 100; ++c) {
            a.boss.advanceApproach();
            pictures << a.paintCalls().value(0).rect << a.paintCalls().value(0).rect;
        }
        const QRectF at20(440, 8, 120, 120), at50(350, 350, 300, 300);
        QCOMPARE((QList{pictures[38], pictures[39], pictures[98], pictures[99]}),
                 (QList{at20, at20, at50, at50}));
        a.boss.updateState();
        a.boss.advanceApproach();
        a.boss.updateState();
        QCOMPARE(a.phase(), Phase(BossState::Fighting, 0));
        Monster* monster = a.boss.monster();
        a.repeat(177, &MonsterSystem::updatePosition); // from (1001 / 2 - 322 / 2, -224)
        QVERIFY(monster->pos() == QPointF(339.0, -224.0 + 1.5 * 177) && monster->isEntering());
        // The first tick past 40 makes it hittable; it then bobs between 30 and 40.
        a.boss.updatePosition();
        QVERIFY(!monster->isEntering() && monster->pos() == QPointF(339.0, 41.0));
        a.repeat(23, &MonsterSystem::updatePosition);
        QCOMPARE(monster->pos().y(), 29.5);
        a.repeat(22, &MonsterSystem::updatePosition);
        QCOMPARE(monster->crashBox()->rects().value(0), QRectF(339, 40.5 + 74, 322, 149));
        QCOMPARE(monster->healthBar()->rect(), QRectF(333.5, 10, 333, 30)); // W / 3, centred
    }

    // An hour's pause during the approach, at 50 steps a second: the swoop stays out of
    // sight, nothing overflows, and the saucer comes with the next step.
    void approachThroughLongPause() {
        Arena a;
        a.boss.reset();
        a.score.setScore(20);
        a.boss.updateState();
        QImage image(kScreen.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        const auto frame = [&] {
            a.boss.advanceApproach();
            a.boss.paint(painter);
        };
        for (int step = 0; step < 100; ++step)
            frame();
        QCOMPARE(a.paintCalls().size(), 0);
        for (int step = 0; step < 50 * 3600; ++step)
            frame();
        QCOMPARE(a.phase(), Phase(BossState::Approach, 50 * 3600 + 100));
        a.boss.updateState();
        QVERIFY(a.boss.state() == BossState::Fighting && a.boss.monster());
    }

    void awayBackAndReset() {
        Arena a;
        Monster* monster = a.spawnAt(QPointF(339.0, 35.0));
        a.boss.launchRain(0); // counts as a rain, launches nothing
        a.repeat(400, &MonsterSystem::updateState);
        QVERIFY(a.boss.state() == BossState::Fighting && a.boss.rainCount() == 1);
        // Step 401 throws the fan and leaves; the new away phase allows a new rain.
        a.boss.updateState();
        QCOMPARE(a.phase(), Phase(BossState::Away, 0));
        QVERIFY(a.boss.rainCount() == 0 && monster->isEntering() && a.boss.balls().size() == 5);
        // 5 px per tick until wholly above the window; the box stays behind.
        a.repeat(53, &MonsterSystem::updatePosition);
        QCOMPARE(monster->pos().y(), -225.0);
        QCOMPARE(monster->crashBox()->rects(), QList<QRectF>{QRectF(339, 35 + 74, 322, 149)});
        a.repeat(601, &MonsterSystem::updateState);
        QCOMPARE(a.phase(), Phase(BossState::Fighting, 0));
        // Reset keeps the counter.
        a.boss.launchHead();
        a.boss.updateState();
        a.boss.reset();
        QVERIFY(!a.boss.monster() && a.boss.balls().isEmpty() && a.boss.heads().isEmpty());
        QCOMPARE(a.boss.findChildren<QObject*>(), QList<QObject*>{a.boss.crashTimer()});
        QVERIFY(a.phase() == Phase(BossState::Waiting, 1) && a.boss.startScore() == 20);
    }

    // "health: counter:waves ..."; counter 0 is the tick the saucer arrives or comes back.
    void ringSchedule() {
        const QString schedules("801:|751: 0:1|750: 0:1 400:1|601: 0:1 400:1|600: 0:2 400:2|"
                                "500: 0:2 300:2|401: 0:2 300:2|400: 0:3 300:3|"
                                "250: 0:3 200:3 400:3|200: 0:3 200:3 400:3");
        for (const QString& expected : schedules.split('|')) {
            Arena a;
            a.boss.spawnMonster();
            a.boss.monster()->setHealth(expected.section(':', 0, 0).toInt());
            QString seen = expected.left(expected.indexOf(':') + 1);
            for (int tick = 0; tick <= 400; ++tick) {
                const qsizetype before = a.boss.balls().size();
                a.boss.updateAttack();
                if (const qsizetype added = a.boss.balls().size() - before)
                    seen += QString(" %1:%2").arg(a.boss.counter()).arg(added / 20.0);
                a.boss.updateState();
            }
            QCOMPARE(seen, expected);
        }
    }

    void ringAndFan() {
        Arena a;
        a.spawnAt(QPointF(100.5, 50.0));
        a.boss.launchRing(2);
        a.boss.launchFan();
        const QList<Ball*> balls = a.boss.balls();
        QCOMPARE(balls.size(), 45);
        for (int i = 0; i < balls.size(); ++i) {
            const bool fan = i >= 40;
            QVERIFY(balls[i]->parent() == &a.boss && balls[i]->pos() == QPointF(261.5, 162.0));
            QCOMPARE(balls[i]->delay(), fan ? 4 * (i - 40) : 6 * (i + 1));
            QCOMPARE(balls[i]->speed(), fan ? 6.0 : 8.0);
            QVERIFY(
                aims(balls[i]->direction(), fan ? (i - 39) * kPi / 6 : (i % 20 + 1) * kPi / 10));
        }
    }

    // Away, after the fan's 5 balls: {waves, balls per wave, step}; 14 px wide still ends.
    void rain() {
        const QList<std::tuple<int, int, double, QList<int>>> rows{
            {1001, 401, -300.0, {0, 0, 0}},   {1001, 400, -224.0, {0, 0, 0}},
            {1001, 400, -224.5, {2, 16, 66}}, {1001, 101, -300.0, {2, 16, 66}},
            {1001, 100, -300.0, {3, 16, 66}}, {1001, -300, -300.0, {3, 16, 66}},
            {225, 400, -300.0, {2, 16, 15}},  {14, 400, -300.0, {2, 15, 1}}};
        for (const auto& [width, health, y, waves] : rows) {
            Arena a;
            a.environment.setScreenRect(QRect(0, 0, width, 600));
            a.boss.spawnMonster();
            a.repeat(401, &MonsterSystem::updateState);
            a.boss.monster()->setHealth(health);
            a.boss.monster()->setPos(QPointF(339.0, y));
            a.repeat(2, &MonsterSystem::updateAttack); // once per away phase
            const QList<Ball*> rain = a.boss.balls().mid(5);
            QVERIFY(a.boss.rainCount() == (waves[0] > 0) && rain.size() == waves[0] * waves[1]);
            for (int i = 0; i < rain.size(); ++i) { // two pixels of each ball show
                QCOMPARE(rain[i]->pos(), QPointF((i % waves[1]) * waves[2], 2 - 76));
                QVERIFY(rain[i]->delay() == 9 * (i + 1) && rain[i]->speed() == 16.0 &&
                        aims(rain[i]->direction(), kPi / 2));
            }
        }
    }

    void hitsAndWin() {
        Arena a;
        a.boss.checkCrash(); // no monster yet
        Monster* monster = a.spawnAt(QPointF(300.0, 30.0));
        a.bullets.setDamage(12.9);
        a.bullets.shoot(QPointF(400.0, 180.0), QPoint(500, 180)); // inside the box
        // Not while entering, nor once beaten; a bullet that hit is tested again until retired.
        a.boss.checkCrash();
        monster->setEntering(false);
        a.boss.setState(BossState::Beaten);
        a.boss.checkCrash();
        QVERIFY(monster->health() == 1000 && a.boss.heads().isEmpty());
        a.boss.setState(BossState::Fighting);
        a.repeat(2, &MonsterSystem::checkCrash);
        QVERIFY(monster->health() == 976 && a.score.score() == 80 && a.boss.heads().size() == 2);
        const Head* head = a.boss.heads().first();
        QCOMPARE(head->pos(), monster->pos() + QPointF(161.0, 112.0));
        QVERIFY(head->speed() == 4.0 && head->target() == kParking);
        a.repeat(1000, &MonsterSystem::launchHead);
        QList<double> locks; // spread over [150, 350)
        for (const Head* launched : a.boss.heads())
            locks << launched->lockDistance();
        const auto [low, high] = std::minmax_element(locks.begin(), locks.end());
        QVERIFY(*low >= 150.0 && *low < 160.0 && *high > 340.0 && *high < 350.0);
        // Beaten on the step that throws the fan: the fan vanishes with the rest.
        a.repeat(400, &MonsterSystem::updateState);
        QSignalSpy won(&a.boss, &MonsterSystem::gameWin);
        monster->setHealth(0);
        const QPointF pos = monster->pos();
        a.repeat(10, &MonsterSystem::updateState);
        a.boss.checkCrash();
        QVERIFY(a.boss.state() == BossState::Beaten && won.count() == 1 && a.score.score() == 5080);
        QVERIFY(a.boss.balls().isEmpty() && a.boss.heads().isEmpty() && monster->pos() == pos);
        QCOMPARE(monster->type(), 3);
        a.repeat(7, &MonsterSystem::updateAnimation); // the explosion keeps cycling
        QCOMPARE(monster->animation()->currentFrame, 2);
        QCOMPARE(monster->frame().size(), QSize(360, 360));
    }

    // Heads, open balls, saucer, bar (fill, 4 px outline) unless entering; all again, finished too.
    void paintOrder() {
        Arena a;
        Monster* monster = a.spawnAt(QPointF(300.0, 100.0), true);
        a.boss.balls().at(1)->finished = true;
        for (const auto& [state, entering, order] :
             {std::tuple{BossState::Fighting, true, "HHBBBBMHHBBBBBM"},
              {BossState::Fighting, false, "HHBBBBMrRHHBBBBBM"},
              {BossState::Away, false, "HHBBBBBM"},
              {BossState::Beaten, false, "HHBBBBBM"},
              {BossState::Waiting, false, ""}}) {
            a.boss.setState(state);
            monster->setEntering(entering);
            QString letters;
            for (const PaintCall& call : a.paintCalls()) {
                const QRectF bar = monster->healthBar()->rect(), saucer(300, 100, 322, 224);
                if (call.kind == PaintCall::Rect)
                    letters += call.rect == bar && call.pen.widthF() == 4.0 ? 'R' : 'r';
                else
                    letters += call.rect == saucer ? 'M' : call.rect.height() == 75 ? 'H' : 'B';
            }
            QCOMPARE(letters, QString(order));
        }
    }

    // Slowed down, projectiles keep their speeds; a broken head drops.
    void projectileSteps() {
        for (const auto& [distance, speedAfter] :
             {std::pair{289.0, 18.6}, {290.0, 18.0}, {300.0, 4.0}}) {
            Arena a;
            a.place(QPointF(800.0, 400.0));
            a.spawnAt(QPointF(300.0, 100.0), true);
            Head* head = a.boss.heads().first();
            Head* broken = a.boss.heads().last();
            Ball* ball = a.boss.balls().first();
            broken->active = false;
            head->setLockDistance(300.0);
            // Centre (integer halves 38, 37) exactly `distance` left of the target.
            const QPointF start(800.0 - 38.0 - distance, 400.0 - 37.0);
            head->setPos(start);
            a.deadEye.activate(0.1);
            a.boss.updatePosition();
            QCOMPARE(head->speed(), speedAfter);
            QCOMPARE(std::hypot(head->pos().x() - start.x(), head->pos().y() - start.y()), 0.4);
            QVERIFY(aims((ball->pos() - QPointF(461, 212)) / 0.6, kPi / 6) && ball->speed() == 6);
            QVERIFY(broken->pos() == QPointF(461, 212.4) && broken->speed() == 4.0);
        }
    }

    void armedProjectiles() {
        Arena a;
        a.spawnAt(QPointF(300.0, 100.0), true);
        Ball* ball = a.boss.balls().first();
        Head* head = a.boss.heads().first();
        a.place(ball->pos());
        a.character.setInvincible(true);
        ball->shift();
        a.place(kParking);
        a.bullets.shoot(QPointF(499.0, 249.0), QPoint(599, 249)); // through the head's centre
        head->shift();
        QVERIFY(!ball->active && !head->active && a.score.score() == 50);
    }

    void removalAndAnimation() {
        Arena a;
        Monster* monster = a.spawnAt(QPointF(300.0, 100.0));
        a.boss.launchRing(1); // long delays: nothing moves
        const QList<Ball*> ring = a.boss.balls();
        // Corners are rounded; the window ends at (1000, 700) and its edges count.
        const QList<QPointF> places{{-76.4, -76.0},  {-76.6, -76.0}, {1000.0, 700.0},
                                    {1001.0, 701.0}, {300.0, 300.0}, {300.0, 300.0}};
        for (int i = 0; i < places.size(); ++i)
            ring[i]->setPos(places[i]);
        ring[4]->finished = true; // on screen but done: it must never reach the animation step
        ring[5]->active = false;
        ring[5]->exploding = true;
        a.repeat(2, &MonsterSystem::launchHead);
        Head* broken = a.boss.heads().at(1);
        a.boss.heads().at(0)->setPos(QPointF(-500.0, 300.0));
        broken->active = false;
        broken->finished = true;
        a.boss.updatePosition();
        QCOMPARE(a.boss.balls().mid(0, 3), (QList<Ball*>{ring[0], ring[2], ring[5]}));
        QCOMPARE(a.boss.heads(), QList<Head*>{broken});
        QVERIFY(a.boss.findChildren<Obstacle*>().size() == 18 && a.boss.balls().size() == 17);
        // At 400 the saucer takes the damaged look, which advances every second step.
        monster->setHealth(401);
        a.boss.updateAnimation();
        QVERIFY(monster->type() == 1 && broken->animation->currentFrame == 1);
        QVERIFY(ring[5]->frame.size() == QSize(180, 180) && ring[0]->frame.size() == QSize(76, 76));
        monster->setHealth(400);
        a.repeat(2, &MonsterSystem::updateAnimation);
        QVERIFY(monster->type() == 2 && monster->animation()->currentFrame == 0);
        a.boss.updateAnimation();
        QCOMPARE(monster->animation()->currentFrame, 1);
    }
};

QTEST_MAIN(TestBoss)
#include "tst_boss.moc"
