#include "testsupport.h"

#include <cmath>

namespace {
constexpr double kRight = 1919.0; // rect().right() of the 1920 px wide window

bool isNewcomer(const QList<Obstacle*>& list) {
    return !list.isEmpty() && list.last()->pos().x() == kRight;
}

int counters(const Animation* a) {
    return a->currentFrame * 100 + a->tickCount;
}

// Frames until the window's animation clock (one frame in three) has just stepped the witness.
bool syncClock(GameDriver& game, const Animation* witness) {
    for (int i = 0; i < 3; ++i) {
        const int before = counters(witness);
        sceneOnly(game);
        if (counters(witness) != before)
            return true;
    }
    return false;
}

// Where the window paints pixmaps of this size (nothing else on screen has it).
QList<QPointF> paintedAt(GameDriver& game, QSize size) {
    RecordingPaintDevice device(game->size());
    game->render(&device);
    QList<QPointF> result;
    for (const PaintCall& call : device.callsOf(PaintCall::Pixmap)) {
        if (call.pixmapSize == size)
            result << call.rect.topLeft();
    }
    return result;
}
} // namespace

class SpawningTest : public QObject {
    Q_OBJECT
private slots:
    // A seed fixes every spawn: the draws that skip, each cactus picture (1 .. 5)
    // and each bird's height (whole pixels); every cactus stands at y 592.912 ("_"),
    // its feet 10 px under the ground line.
    void seededSpawnSequence() {
        QStringList spawns[2];
        for (QStringList& seen : spawns) {
            GameDriver game;
            QVERIFY(game.reach(Stage::Menu));
            game->setFixedSeed(6);
            for (int call = 0; call < 12; ++call) {
                for (Obstacle* o : game->cactusList() + game->birdList())
                    o->setPos(QPointF(-5000.0, 0.0));
                game->updateObstacles();
                QString spawned;
                if (isNewcomer(game->cactusList()))
                    spawned += QString("c%1@%2 ")
                                   .arg(game->cactusList().last()->type())
                                   .arg(game->cactusList().last()->pos().y());
                if (isNewcomer(game->birdList()))
                    spawned += QString("b@%1").arg(game->birdList().last()->pos().y());
                seen << spawned.trimmed();
            }
        }
        QCOMPARE(spawns[0], spawns[1]);
        QCOMPARE(spawns[0].join('|').replace("@592.912", "_"),
                 "||c2_|b@413|b@371||c1_|c2_|c3_|c3_|c4_|c2_");
    }

    void gapBoundaries_data() {
        QTest::addColumn<int>("posture");
        QTest::addColumn<double>("afterCactus");
        QTest::addColumn<double>("afterBird");
        // 2.5 and 5 widths of the dinosaur's current frame.
        QTest::newRow("upright, 87 px") << Posture::Upright << 217.5 << 435.0;
        QTest::newRow("low, 118 px") << Posture::Low << 295.0 << 590.0;
    }

    // Nothing moves: may a newcomer join `list`, the last of `lastOf` `gap` px left of the edge?
    void gapBoundaries() {
        QFETCH(int, posture);
        QFETCH(double, afterCactus);
        QFETCH(double, afterBird);
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        freshObstacles(game.widget());
        game->character()->setPosture(posture);
        const QList<Obstacle*>& cacti = game->cactusList();
        const QList<Obstacle*>& birds = game->birdList();
        auto follows = [&game](auto& lastOf, double gap, auto& list) {
            lastOf.last()->setPos(QPointF(kRight - gap, lastOf.last()->pos().y()));
            for (int i = 0; i < 100 && !isNewcomer(list); ++i)
                game->updateObstacles();
            return isNewcomer(list);
        };
        QVERIFY(!follows(cacti, 299.5, cacti) && follows(cacti, 300.0, cacti));
        birds.last()->setPos(QPointF(-5000.0, 0.0)); // gone, so the list never fills up
        QVERIFY(!follows(cacti, afterCactus - 0.5, birds) && follows(cacti, afterCactus, birds));
        cacti.last()->setPos(QPointF(kRight - 299.0, 0.0)); // blocks cacti, not birds
        QVERIFY(!follows(birds, afterBird - 0.5, birds) && follows(birds, afterBird, birds));
    }

    void limitsAndRemoval() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        const QList<Obstacle*>& cacti = game->cactusList();
        const QList<Obstacle*>& birds = game->birdList();
        // Nothing moves; all is kept left by hand so that only the limits speak.
        for (int i = 0; i < 500 && (cacti.size() < 3 || birds.size() < 4); ++i) {
            game->updateObstacles();
            for (Obstacle* o : cacti + birds)
                o->setPos(QPointF(100.0, o->pos().y()));
        }
        // Destroyed ones still count until they are removed.
        game->changeToStage(Stage::Run);
        for (int i = 0; i < 100; ++i)
            game->updateObstacles();
        QVERIFY(cacti.size() == 3 && birds.size() == 4);

        // On the win screen none is added; per kind and call the first wholly out goes.
        game->changeToStage(Stage::Win);
        QList<QList<QPointer<Obstacle>>> watched;
        for (const QList<Obstacle*>* list : {&cacti, &birds}) {
            watched.append({list->at(0), list->at(1), list->at(2)});
            list->at(1)->frame = list->at(1)->explosion->play(); // 180 px, as shown while exploding
            for (int i : {1, 2})
                list->at(i)->setPos(QPointF(-list->at(i)->frame.width() - (i - 1) * 0.5, 0.0));
        }
        game->updateObstacles();
        for (const QList<QPointer<Obstacle>>& kind : watched) {
            QVERIFY(kind[0] && kind[1] && !kind[2]);
            kind[1]->setPos(kind[1]->pos() - QPointF(0.5, 0.0));
        }
        for (int i = 0; i < 100; ++i)
            game->updateObstacles();
        QVERIFY(cacti.size() == 1 && birds.size() == 2); // the second ones gone too
    }

    void fromMenuIntoARun() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        freshObstacles(game.widget());
        Obstacle* cactus = game->cactusList().last();
        Obstacle* bird = game->birdList().last();
        QVERIFY(syncClock(game, bird->animation));
        // The menu steps only the birds: no explosions, no pacing, no dinosaur.
        cactus->exploding = true;
        cactus->frame = QPixmap();
        bird->animation->ticksPerFrame = 1;
        GameCharacter* dino = game->character();
        const int dinoCounters = counters(dino->animation());
        const int birdFrame = bird->animation->currentFrame;
        sceneOnly(game, 2);
        QVERIFY(cactus->frame.isNull() && bird->animation->currentFrame == birdFrame);
        sceneOnly(game);
        QVERIFY(bird->animation->currentFrame != birdFrame && bird->animation->ticksPerFrame == 1);
        QVERIFY(cactus->frame.cacheKey() == cactus->image().cacheKey() &&
                cactus->explosion->tickCount == 0 && counters(dino->animation()) == dinoCounters);

        // A run blows up leftovers scoreless (cactus hit position kept); birds fly 1.3x as fast.
        cactus->exploding = false;
        cactus->setHitPos(QPointF(-1, -1));
        cactus->setSpeed(123.0);
        bird->setSpeed(123.0);
        const double cactusX = cactus->pos().x();
        const QPointF start = game->button(ButtonId::Start)->rect().center();
        game.pressMouse(start);
        sceneOnly(game);
        game.releaseMouse(start);
        QVERIFY(!cactus->active && cactus->exploding && !bird->active && bird->exploding);
        QVERIFY(cactus->hitPos() == QPointF(-1, -1) && cactus->pos().x() == cactusX - 8.0);
        QCOMPARE(bird->hitPos(), bird->pos() + QPointF(1.3 * 8.0, 0.0));

        // DeadEye slows the world before obstacles move; all but the gun animate 10x slower.
        game.pressMouse(QPointF(900, 300), Qt::RightButton);
        const QPointF cactusPos = cactus->pos();
        const QPointF birdPos = bird->pos();
        sceneOnly(game);
        QVERIFY(game->deadEye()->isActive() && cactus->pos().x() == cactusPos.x() - 0.8);
        QCOMPARE(bird->pos().x(), birdPos.x() - 1.3 * 0.8);
        QVERIFY(syncClock(game, cactus->explosion));
        QVERIFY(cactus->explosion->ticksPerFrame == 10 && bird->explosion->ticksPerFrame == 10);
        QVERIFY(bird->animation->ticksPerFrame == 20 && dino->animation()->ticksPerFrame == 10);
        QCOMPARE(game->gun()->animation()->ticksPerFrame, 2);

        // The still invincible, falling dinosaur destroys a new bird and scores.
        freshObstacles(game.widget());
        Obstacle* hit = game->birdList().last();
        hit->setPos(dino->position() + QPointF(20.0, 0.0));
        sceneOnly(game);
        QVERIFY(!hit->active && hit->exploding && dino->health() == 1.0);
        QCOMPARE(game->scoreBoard()->score(), 20);
        game.releaseMouse(QPointF(900, 300), Qt::RightButton);
        QVERIFY(syncClock(game, hit->explosion) && !game->deadEye()->isActive());
        QVERIFY(hit->explosion->ticksPerFrame == 1 && hit->animation->ticksPerFrame == 2);
        QCOMPARE(dino->animation()->ticksPerFrame, 1);
    }

    void paintRules() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        freshObstacles(game.widget());
        Obstacle* cactus = game->cactusList().last();
        auto* bird = static_cast<Bird*>(game->birdList().last());
        const QPointF at(1000.0, 150.0);
        // Frames at pos, square ones only while exploding, then centred on the picture.
        for (Obstacle* o : QList<Obstacle*>{cactus, bird}) {
            o->setPos(at);
            o->frame = QPixmap(61, 41);
            QCOMPARE(paintedAt(game, QSize(61, 41)), QList<QPointF>{at});
            o->frame = QPixmap(63, 63);
            QVERIFY(paintedAt(game, QSize(63, 63)).isEmpty());
        }
        const QSize sheet = cactus->image().size();
        cactus->exploding = true;
        QCOMPARE(paintedAt(game, QSize(63, 63)),
                 QList<QPointF>{at + QPointF(sheet.width() / 2 - 31, sheet.height() / 2 - 31)});
        cactus->exploding = false;
        // An exploding bird's frame at hitPos.x + 0.5 * 91 - 31 drifts left a speed per drop.
        bird->exploding = true;
        bird->setHitPos(QPointF(1000.5, 150.0));
        const double y = 150 + bird->image().height() / 2 - 31;
        QCOMPARE(paintedAt(game, QSize(63, 63)), QList<QPointF>{QPointF(1015.0, y)});
        for (int i = 0; i < 3; ++i)
            bird->drop();
        QCOMPARE(paintedAt(game, QSize(63, 63)), QList<QPointF>{QPointF(1015.0 - 3 * 8, y)});
    }
};

QTEST_MAIN(SpawningTest)
#include "tst_spawning.moc"
