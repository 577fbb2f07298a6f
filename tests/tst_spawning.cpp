#include "gameharness.h"

#include "animation.h"
#include "attachment.h"
#include "deadeye.h"
#include "gamecharacter.h"
#include "obstacle.h"
#include "scoreboard.h"

#include <QImage>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace {
// The window's right edge, rect().right(), for the 1920 px wide test window.
constexpr double kRight = 1919.0;
constexpr double kCactusHeight = 87.0;
constexpr double kBirdHeight = 80.0;
const QRgb kMarker = qRgb(255, 0, 255);

using ListGetter = const QList<Obstacle*>& (Widget::*)() const;

// Nothing moves between these calls, so first push everything already there
// far enough left that no gap rule can block the newcomer.
void makeRoom(GameHarness& game) {
    for (Obstacle* o : game->cactusList() + game->birdList()) {
        if (o->pos().x() > 1000.0)
            o->setPos(QPointF(1000.0, o->pos().y()));
    }
}

// Calls updateObstacles until the list gains a member at the right edge;
// returns the newcomer, or null when chance kept refusing.
Obstacle* spawnInto(GameHarness& game, ListGetter list) {
    for (int i = 0; i < 300; ++i) {
        makeRoom(game);
        game->updateObstacles();
        const QList<Obstacle*>& now = (game.widget()->*list)();
        if (!now.isEmpty() && now.last()->pos().x() == kRight)
            return now.last();
    }
    return nullptr;
}

Obstacle* spawnCactus(GameHarness& game) {
    return spawnInto(game, &Widget::cactusList);
}

Obstacle* spawnBird(GameHarness& game) {
    return spawnInto(game, &Widget::birdList);
}

// The counters of every animation the window's clock may step.
QList<int> animationCounters(GameHarness& game) {
    QList<const Animation*> animations{game->character()->animation(), game->gun()->animation()};
    for (const Obstacle* o : game->cactusList() + game->birdList())
        animations << o->animation << o->explosion;
    QList<int> counters;
    for (const Animation* animation : animations) {
        if (animation)
            counters << animation->currentFrame << animation->tickCount;
    }
    return counters;
}

// The animation clock acts on one tick in three: ticks until it just has.
bool syncAnimationClock(GameHarness& game) {
    for (int i = 0; i < 3; ++i) {
        const QList<int> before = animationCounters(game);
        game.tick();
        if (animationCounters(game) != before)
            return true;
    }
    return false;
}

QPixmap solidPixmap(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(QColor::fromRgb(kMarker));
    return pixmap;
}

QImage render(GameHarness& game) {
    QImage image(game->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    game->render(&image);
    return image;
}

bool isMarker(const QImage& image, int x, int y) {
    return image.rect().contains(x, y) && image.pixel(x, y) == kMarker;
}

bool anyMarker(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (std::find(line, line + image.width(), kMarker) != line + image.width())
            return true;
    }
    return false;
}

// The marker fills exactly the w x h box at (x, y): inside at its corners,
// outside one pixel beyond each edge.
bool markerBoxAt(const QImage& image, int x, int y, int w, int h) {
    return isMarker(image, x, y) && isMarker(image, x + w - 1, y + h - 1) &&
           !isMarker(image, x - 1, y) && !isMarker(image, x, y - 1) &&
           !isMarker(image, x + w, y + h - 1) && !isMarker(image, x + w - 1, y + h);
}

struct Snapshot {
    QPointer<Obstacle> obstacle;
    double x;
    int frameWidth;
};

QList<Snapshot> snapshot(const QList<Obstacle*>& list) {
    QList<Snapshot> result;
    for (Obstacle* obstacle : list)
        result.append({obstacle, obstacle->pos().x(), obstacle->frame.width()});
    return result;
}
} // namespace

// Spawning, removal, speeds, animation and drawing of the window's cacti and
// birds, and the death of a dinosaur that walks into one.
class SpawningTest : public QObject {
    Q_OBJECT
private slots:
    void spawningInvariantsOverManyCalls_data();
    void spawningInvariantsOverManyCalls();
    void spawnGapBoundaries_data();
    void spawnGapBoundaries();
    void birdHeightsCoverTheWholeBand();
    void listLimitsAndRemovalOrder();
    void noSpawningInStageFiveButRemoval();
    void removalNeedsTheWholeShownFrameOut_data();
    void removalNeedsTheWholeShownFrameOut();
    void speedsAndPacingFollowDeadEye();
    void leftoversAnimateThenExplodeIntoRemains();
    void paintRules();
    void standingDinosaurDiesOnACactus();
    void fallingDinosaurDestroysABird();
};

void SpawningTest::spawningInvariantsOverManyCalls_data() {
    QTest::addColumn<int>("posture");
    QTest::newRow("upright, 87 px") << 1;
    QTest::newRow("low, 118 px") << 2;
}

void SpawningTest::spawningInvariantsOverManyCalls() {
    QFETCH(int, posture);
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    // The menu scrolls the world without a dinosaur that could die; the bird
    // gaps follow whatever frame the dinosaur shows.
    game->character()->setPosture(posture);
    const double w = game->character()->width();
    QCOMPARE(w, posture == 1 ? 87.0 : 118.0);

    int added[2] = {0, 0}; // cacti, birds
    int removed[2] = {0, 0};
    bool cactusCapReached = false;
    for (int call = 0; call < 400; ++call) {
        const QList<Snapshot> before[2] = {snapshot(game->cactusList()),
                                           snapshot(game->birdList())};
        game->updateObstacles();
        const QList<Obstacle*>* lists[2] = {&game->cactusList(), &game->birdList()};
        const double gl = game->groundLine();

        bool isNew[2] = {false, false};
        for (int kind = 0; kind < 2; ++kind) {
            // At most one removal per call: the first whose shown frame is wholly left of 0.
            int firstOut = -1;
            int gone = 0;
            for (int i = 0; i < before[kind].size(); ++i) {
                const Snapshot& s = before[kind].at(i);
                if (firstOut < 0 && s.x < -s.frameWidth)
                    firstOut = i;
                if (s.obstacle.isNull()) {
                    ++gone;
                    QCOMPARE(i, firstOut);
                }
            }
            QCOMPARE(gone, firstOut >= 0 ? 1 : 0);
            // Newcomers are appended at the right edge; count them by what is left.
            const qsizetype newcomers = lists[kind]->size() - (before[kind].size() - gone);
            QVERIFY(newcomers == 0 || newcomers == 1);
            isNew[kind] = newcomers == 1;
            added[kind] += int(newcomers);
            removed[kind] += gone;
        }
        const QList<Obstacle*>& cacti = game->cactusList();
        const QList<Obstacle*>& birds = game->birdList();
        QVERIFY(cacti.size() <= 3);
        QVERIFY(birds.size() <= 4);
        cactusCapReached = cactusCapReached || cacti.size() == 3;

        if (isNew[0]) {
            QCOMPARE(cacti.last()->height(), kCactusHeight);
            // Its foot stands 10 px below the ground line.
            QCOMPARE(cacti.last()->pos(), QPointF(kRight, gl - kCactusHeight + 10.0));
            if (cacti.size() >= 2)
                QVERIFY2(kRight - cacti.at(cacti.size() - 2)->pos().x() >= 300.0,
                         "a cactus came closer than 300 px behind the previous one");
        }
        if (isNew[1]) {
            const Obstacle* bird = birds.last();
            QCOMPARE(bird->height(), kBirdHeight);
            QCOMPARE(bird->pos().x(), kRight);
            const double y = bird->pos().y();
            QCOMPARE(y, std::trunc(y));
            QVERIFY(y >= std::trunc(gl - kBirdHeight - 400.0));
            QVERIFY(y <= std::trunc(gl - kBirdHeight - 140.0));
            if (!cacti.isEmpty())
                QVERIFY2(kRight - cacti.last()->pos().x() >= 2.5 * w,
                         "a bird came too close behind the last cactus");
            if (birds.size() >= 2)
                QVERIFY2(kRight - birds.at(birds.size() - 2)->pos().x() >= 5.0 * w,
                         "a bird came too close behind the previous bird");
        }

        // Uneven spacing (the calls come every 25 ticks) spreads the gaps over many values.
        game->updateEnvironment();
        game.tick(1 + (call * 17) % 50);
    }
    // The run must have exercised the rules, not passed them vacuously.
    QVERIFY(added[0] > 20);
    QVERIFY(added[1] > 5);
    QVERIFY(removed[0] > 10);
    QVERIFY(removed[1] > 3);
    QVERIFY(cactusCapReached);
}

enum GapRule { CactusAfterCactus, BirdAfterCactus, BirdAfterBird };

void SpawningTest::spawnGapBoundaries_data() {
    QTest::addColumn<int>("rule");
    QTest::addColumn<double>("gap");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("cactus 299.5 px behind a cactus") << int(CactusAfterCactus) << 299.5 << false;
    QTest::newRow("cactus 300 px behind a cactus") << int(CactusAfterCactus) << 300.0 << true;
    // 2.5 and 5 upright widths of 87 px.
    QTest::newRow("bird 217 px behind a cactus") << int(BirdAfterCactus) << 217.0 << false;
    QTest::newRow("bird 217.5 px behind a cactus") << int(BirdAfterCactus) << 217.5 << true;
    QTest::newRow("bird 434.5 px behind a bird") << int(BirdAfterBird) << 434.5 << false;
    QTest::newRow("bird 435 px behind a bird") << int(BirdAfterBird) << 435.0 << true;
}

void SpawningTest::spawnGapBoundaries() {
    QFETCH(int, rule);
    QFETCH(double, gap);
    QFETCH(bool, allowed);
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    QCOMPARE(game->character()->width(), 87.0);

    if (rule == BirdAfterBird) {
        // A full cactus list at the far left keeps new cacti from blocking birds.
        for (int i = 0; i < 500 && game->cactusList().size() < 3; ++i) {
            game->updateObstacles();
            for (Obstacle* cactus : game->cactusList())
                cactus->setPos(QPointF(100.0, cactus->pos().y()));
        }
        QCOMPARE(game->cactusList().size(), 3);
    }
    Obstacle* last = rule == BirdAfterBird ? spawnBird(game) : spawnCactus(game);
    QVERIFY(last);
    // Earlier birds stay in the list for a while but far out of the way.
    for (Obstacle* other : game->birdList()) {
        if (other != last)
            other->setPos(QPointF(-5000.0, other->pos().y()));
    }
    last->setPos(QPointF(kRight - gap, last->pos().y()));

    ListGetter watched = rule == CactusAfterCactus ? &Widget::cactusList : &Widget::birdList;
    bool spawned = false;
    for (int i = 0; i < 100 && !spawned; ++i) {
        game->updateObstacles();
        for (const Obstacle* o : (game.widget()->*watched)())
            spawned = spawned || o->pos().x() == kRight;
    }
    QCOMPARE(spawned, allowed);
}

void SpawningTest::birdHeightsCoverTheWholeBand() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    const double gl = game->groundLine();
    const double highest = std::trunc(gl - kBirdHeight - 400.0);
    const double lowest = std::trunc(gl - kBirdHeight - 140.0);
    double top = lowest;
    double bottom = highest;
    // 1000 draws from 261 heights: both ends of the band show up.
    for (int i = 0; i < 1000; ++i) {
        Obstacle* bird = spawnBird(game);
        QVERIFY(bird);
        const double y = bird->pos().y();
        QVERIFY(y >= highest && y <= lowest);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        bird->setPos(QPointF(-5000.0, y));
    }
    QVERIFY(top <= highest + 4.0);
    QVERIFY(bottom >= lowest - 4.0);
}

void SpawningTest::listLimitsAndRemovalOrder() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    // Nothing moves between calls: everything is pushed left by hand so that
    // only the count limits speak.
    for (int i = 0; i < 500 && (game->cactusList().size() < 3 || game->birdList().size() < 4);
         ++i) {
        game->updateObstacles();
        for (Obstacle* o : game->cactusList() + game->birdList())
            o->setPos(QPointF(100.0, o->pos().y()));
    }
    QCOMPARE(game->cactusList().size(), 3);
    QCOMPARE(game->birdList().size(), 4);

    // Destroyed ones still count until they have scrolled off and been removed.
    for (Obstacle* o : game->cactusList() + game->birdList()) {
        o->active = false;
        o->exploding = true;
    }
    for (int i = 0; i < 100; ++i) {
        game->updateObstacles();
        QCOMPARE(game->cactusList().size(), 3);
        QCOMPARE(game->birdList().size(), 4);
    }

    // One removal of each kind per call, the search passing over a kept front one.
    QList<QList<QPointer<Obstacle>>> watched;
    for (const QList<Obstacle*>* list : {&game->cactusList(), &game->birdList()}) {
        watched.append({list->at(0), list->at(1), list->at(2)});
        list->at(1)->setPos(QPointF(-1000.0, 0.0));
        list->at(2)->setPos(QPointF(-1000.0, 0.0));
    }
    game->updateObstacles();
    for (const QList<QPointer<Obstacle>>& kind : watched)
        QVERIFY(kind[0] && !kind[1] && kind[2]);
    game->updateObstacles();
    for (const QList<QPointer<Obstacle>>& kind : watched)
        QVERIFY(kind[0] && !kind[2]);

    // The freed places are taken again.
    for (int i = 0; i < 300 && game->cactusList().size() < 3; ++i) {
        makeRoom(game);
        game->updateObstacles();
    }
    QCOMPARE(game->cactusList().size(), 3);
}

void SpawningTest::noSpawningInStageFiveButRemoval() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    QVERIFY(game.startRun());
    QVERIFY(spawnCactus(game));
    QVERIFY(spawnBird(game));
    game->gameWin();
    QCOMPARE(game->stage(), 5);

    const qsizetype cacti = game->cactusList().size();
    const qsizetype birds = game->birdList().size();
    for (Obstacle* o : game->cactusList() + game->birdList())
        o->setPos(QPointF(100.0, o->pos().y()));
    for (Obstacle* o : {game->cactusList().first(), game->birdList().first()})
        o->setPos(QPointF(-500.0, o->pos().y()));
    for (int i = 0; i < 200; ++i)
        game->updateObstacles();
    QCOMPARE(game->cactusList().size(), cacti - 1);
    QCOMPARE(game->birdList().size(), birds - 1);
}

void SpawningTest::removalNeedsTheWholeShownFrameOut_data() {
    QTest::addColumn<bool>("bird");
    QTest::addColumn<bool>("exploding");
    QTest::newRow("cactus") << false << false;
    QTest::newRow("exploding cactus") << false << true;
    QTest::newRow("bird") << true << false;
    QTest::newRow("exploding bird") << true << true;
}

void SpawningTest::removalNeedsTheWholeShownFrameOut() {
    QFETCH(bool, bird);
    QFETCH(bool, exploding);
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    Obstacle* obstacle = bird ? spawnBird(game) : spawnCactus(game);
    QVERIFY(obstacle);
    if (exploding) {
        game->changeToStage(2);
        QVERIFY(obstacle->exploding);
        QVERIFY(syncAnimationClock(game));
        QCOMPARE(obstacle->frame.size(), QSize(180, 180));
    } else {
        QCOMPARE(obstacle->frame.width(), bird ? 91 : obstacle->image().width());
    }
    const int frameWidth = obstacle->frame.width();
    QPointer<Obstacle> watched = obstacle;

    obstacle->setPos(QPointF(-frameWidth, obstacle->pos().y()));
    game->updateObstacles();
    QVERIFY2(watched, "removed while its right edge still touched the window");
    obstacle->setPos(QPointF(-frameWidth - 0.5, obstacle->pos().y()));
    game->updateObstacles();
    QVERIFY(!watched);
}

void SpawningTest::speedsAndPacingFollowDeadEye() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    QVERIFY(game.startRun());
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);

    // Speeds are set on every movement tick, birds at 1.3 times the world's;
    // the slow motion lowers the world speed before the obstacles move.
    for (const double speed : {8.0, 0.8}) {
        if (speed < 1.0)
            game.pressMouse(QPointF(900, 300), Qt::RightButton);
        cactus->setSpeed(123.0);
        bird->setSpeed(123.0);
        const double cactusX = cactus->pos().x();
        const double birdX = bird->pos().x();
        game.tick();
        QCOMPARE(cactus->speed(), speed);
        QCOMPARE(bird->speed(), 1.3 * speed);
        QCOMPARE(cactus->pos().x(), cactusX - speed);
        QCOMPARE(bird->pos().x(), birdX - 1.3 * speed);
    }
    QVERIFY(game->deadEye()->isActive());

    // Everything but the gun animates ten times slower.
    QVERIFY(syncAnimationClock(game));
    QCOMPARE(bird->animation->ticksPerFrame, 20);
    QCOMPARE(game->character()->animation()->ticksPerFrame, 10);
    QCOMPARE(game->gun()->animation()->ticksPerFrame, 2);
    QCOMPARE(cactus->explosion->ticksPerFrame, 1);
    // The pacing is written after the frames are taken, so an explosion that
    // starts now takes its first step at full pace.
    for (Obstacle* o : {cactus, bird}) {
        o->active = false;
        o->exploding = true;
        o->setHitPos(o->pos());
    }
    game.tick(3);
    QCOMPARE(cactus->explosion->currentFrame, 1);
    QCOMPARE(bird->explosion->currentFrame, 1);
    QCOMPARE(cactus->explosion->ticksPerFrame, 10);
    QCOMPARE(bird->explosion->ticksPerFrame, 10);
    game.tick(27);
    QCOMPARE(cactus->explosion->currentFrame, 1);
    game.tick(3);
    QCOMPARE(cactus->explosion->currentFrame, 2);
    QCOMPARE(bird->explosion->currentFrame, 2);

    game.releaseMouse(QPointF(900, 300), Qt::RightButton);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(syncAnimationClock(game));
    QCOMPARE(cactus->explosion->ticksPerFrame, 1);
    QCOMPARE(bird->explosion->ticksPerFrame, 1);
    QCOMPARE(bird->animation->ticksPerFrame, 2);
    QCOMPARE(game->character()->animation()->ticksPerFrame, 1);
}

void SpawningTest::leftoversAnimateThenExplodeIntoRemains() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);
    QVERIFY(syncAnimationClock(game));

    // The menu steps only the birds: no explosions, no pacing, no dinosaur.
    cactus->exploding = true;
    cactus->frame = QPixmap();
    bird->animation->ticksPerFrame = 1;
    const Animation* dino = game->character()->animation();
    const QList<int> dinoCounters{dino->currentFrame, dino->tickCount};
    const int birdFrame = bird->animation->currentFrame;
    game.tick(2);
    QVERIFY(cactus->frame.isNull());
    QCOMPARE(bird->animation->currentFrame, birdFrame);
    game.tick();
    QCOMPARE(bird->animation->currentFrame, (birdFrame + 1) % 2);
    QCOMPARE(bird->animation->ticksPerFrame, 1);
    QCOMPARE(cactus->frame.cacheKey(), cactus->image().cacheKey());
    QCOMPARE(cactus->explosion->tickCount, 0);
    QCOMPARE((QList<int>{dino->currentFrame, dino->tickCount}), dinoCounters);

    // Starting a run blows up the leftovers without score; cacti keep their
    // hit position, as their explosion is drawn around pos.
    cactus->exploding = false;
    cactus->setHitPos(QPointF(-1, -1));
    const double cactusY = cactus->pos().y();
    const int cactusWidth = cactus->image().width();
    game->changeToStage(2);
    QVERIFY(!cactus->active && cactus->exploding);
    QVERIFY(!bird->active && bird->exploding);
    QCOMPARE(bird->hitPos(), bird->pos());
    QCOMPARE(cactus->hitPos(), QPointF(-1, -1));
    QCOMPARE(game->scoreBoard()->score(), 0);

    // One explosion frame per animation step, i.e. per three ticks.
    QVERIFY(syncAnimationClock(game));
    QCOMPARE(cactus->explosion->currentFrame, 1);
    QCOMPARE(bird->explosion->currentFrame, 1);
    for (int step = 2; step <= 4; ++step) {
        game.tick(2);
        QCOMPARE(cactus->explosion->currentFrame, step - 1);
        game.tick();
        QCOMPARE(cactus->explosion->currentFrame, step);
        QCOMPARE(bird->explosion->currentFrame, step);
    }
    game.tick(3);
    QVERIFY(cactus->finished && bird->finished);
    QCOMPARE(cactus->pos().y(), cactusY + 57.0);
    // The next step shows the remains: the cactus's still image, the bird's animation.
    game.tick(3);
    QCOMPARE(cactus->frame.size(), QSize(cactusWidth, 30));
    QCOMPARE(cactus->frame.cacheKey(), cactus->image().cacheKey());
    QCOMPARE(bird->frame.size(), bird->image().size());
}

void SpawningTest::paintRules() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    QVERIFY(game.startRun());
    Obstacle* cactus = spawnCactus(game);
    auto* bird = static_cast<Bird*>(spawnBird(game));
    QVERIFY(cactus && bird);
    // Anything else chance spawned meanwhile must not cover the markers.
    for (Obstacle* o : game->cactusList() + game->birdList())
        o->setPos(QPointF(-5000.0, 0.0));
    cactus->setPos(QPointF(1000.0, 150.0));

    // Frames at pos, but square ones only while exploding.
    cactus->frame = solidPixmap(60, 40);
    QVERIFY(markerBoxAt(render(game), 1000, 150, 60, 40));
    cactus->frame = solidPixmap(60, 60);
    QVERIFY2(!anyMarker(render(game)), "a square frame was drawn for a live cactus");
    // Exploding: centred on the cactus picture.
    cactus->exploding = true;
    const QSize sheet = cactus->image().size();
    QVERIFY(markerBoxAt(render(game), 1000 + sheet.width() / 2 - 30, 150 + sheet.height() / 2 - 30,
                        60, 60));

    cactus->exploding = false;
    cactus->setPos(QPointF(-5000.0, 0.0));
    bird->setPos(QPointF(1000.0, 150.0));
    bird->frame = solidPixmap(91, 80);
    QVERIFY(markerBoxAt(render(game), 1000, 150, 91, 80));
    bird->frame = solidPixmap(80, 80);
    QVERIFY2(!anyMarker(render(game)), "a square frame was drawn for a live bird");

    // An exploding bird's frame stays at its hit point, hitPos.x + 0.5 * 91 - 30
    // = 1016, drifting left by the scrolling speed for every drop.
    bird->exploding = true;
    bird->frame = solidPixmap(60, 60);
    bird->setHitPos(QPointF(1000.5, 150.0));
    bird->setPos(QPointF(-5000.0, 0.0));
    const int y = 150 + bird->image().height() / 2 - 30;
    QVERIFY(markerBoxAt(render(game), 1016, y, 60, 60));
    for (int i = 0; i < 3; ++i)
        bird->drop();
    QVERIFY(markerBoxAt(render(game), 1016 - 3 * 8, y, 60, 60));
}

void SpawningTest::standingDinosaurDiesOnACactus() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    game->writeEssence(100);
    QVERIFY(game.startRun());
    GameCharacter* dino = game->character();
    QVERIFY(!dino->isInvincible());
    Obstacle* cactus = spawnCactus(game);
    QVERIFY(cactus);
    cactus->setPos(QPointF(dino->position().x() + 150.0, cactus->pos().y()));
    game->scoreBoard()->setScore(37);

    for (int i = 0; i < 100 && dino->health() > 0.0; ++i)
        game.tick();
    // The touch leaves the cactus alive; the health check of the next tick ends the run.
    QCOMPARE(dino->health(), 0.0);
    QVERIFY(cactus->active);
    QCOMPARE(game->stage(), 2);
    QCOMPARE(readFile(game.directory() + "/game_score.txt").trimmed(), QByteArray("100"));
    game.tick();
    QCOMPARE(game->stage(), 4);
    QVERIFY(game->isGameOver());
    QCOMPARE(readFile(game.directory() + "/game_score.txt").trimmed(), QByteArray("137"));
    // The world stands still behind the game-over screen.
    const QPointF frozen = cactus->pos();
    game.tick(10);
    QCOMPARE(cactus->pos(), frozen);
}

void SpawningTest::fallingDinosaurDestroysABird() {
    GameHarness game;
    QVERIFY(game.reachMenuAsLaterStart());
    game.clickButton(1);
    GameCharacter* dino = game->character();
    QVERIFY(dino->isAirborne() && dino->isInvincible());
    // Spawned birds know the dinosaur and the score board.
    Obstacle* bird = spawnBird(game);
    QVERIFY(bird);
    const QPointF placed = dino->position() + QPointF(20.0, 0.0);
    bird->setPos(placed);
    game.tick();
    QVERIFY(!bird->active);
    QVERIFY(bird->exploding);
    // Hit where this tick's move of 1.3 x 8 px left it.
    QCOMPARE(bird->hitPos(), placed - QPointF(1.3 * 8.0, 0.0));
    QCOMPARE(game->scoreBoard()->score(), 20);
    QCOMPARE(dino->health(), 1.0);
}

QTEST_MAIN(SpawningTest)
#include "tst_spawning.moc"
