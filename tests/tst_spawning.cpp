#include "gameharness.h"

#include "animation.h"
#include "attachment.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "obstacle.h"
#include "scoreboard.h"

#include <QFile>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace {
// The window's right edge, rect().right(), for the 1920 px wide test window.
constexpr double kRight = 1919.0;
// updateObstacles runs every 500 ms, i.e. once per 25 scene ticks.
constexpr int kTicksPerObstacleCall = 25;
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

// Calls updateObstacles until the list gains a member; returns the newcomer,
// or null when chance kept refusing.
Obstacle* spawnInto(GameHarness& game, ListGetter list, int limit = 300) {
    for (int i = 0; i < limit; ++i) {
        makeRoom(game);
        QList<QPointer<Obstacle>> before;
        for (Obstacle* o : (game.widget()->*list)())
            before.append(o);
        game->updateObstacles();
        const QList<Obstacle*>& now = (game.widget()->*list)();
        if (now.isEmpty())
            continue;
        bool known = false;
        for (const QPointer<Obstacle>& o : before)
            known = known || o.data() == now.last();
        if (!known)
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

// The gun steps on every animation step of the running stages: its counters
// tell when the window's one-in-three animation clock has acted.
bool syncAnimationClock(GameHarness& game) {
    for (int i = 0; i < 3; ++i) {
        const Animation* animation = game->gun()->animation();
        const int frame = animation->currentFrame;
        const int count = animation->tickCount;
        game.tick();
        if (animation != game->gun()->animation() || frame != animation->currentFrame ||
            count != animation->tickCount)
            return true;
    }
    return false;
}

// In the menu only the birds step.
bool syncMenuAnimationClock(GameHarness& game, const Obstacle* bird) {
    for (int i = 0; i < 3; ++i) {
        const int frame = bird->animation->currentFrame;
        const int count = bird->animation->tickCount;
        game.tick();
        if (frame != bird->animation->currentFrame || count != bird->animation->tickCount)
            return true;
    }
    return false;
}

bool reachMenu(GameHarness& game) {
    return game.reachMenuAsLaterStart();
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
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == kMarker)
                return true;
        }
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
    void fullListsTakeNoNewcomers();
    void noSpawningInStageFiveButRemoval();
    void removalNeedsTheWholeShownFrameOut_data();
    void removalNeedsTheWholeShownFrameOut();
    void oneRemovalOfEachKindPerCall();
    void speedsAreSetOnEveryMovementTick();
    void startingARunExplodesLeftovers();
    void menuAnimatesBirdsAndStillsCacti();
    void runStepsExplosionsToRemains();
    void deadEyePacingIsWrittenAfterTheFrames();
    void squareFramesAreDrawnOnlyWhenExploding();
    void explodingBirdDriftsWithTheGround();
    void standingDinosaurDiesOnACactus();
    void invincibleDinosaurDestroysObstacles();
};

void SpawningTest::spawningInvariantsOverManyCalls_data() {
    QTest::addColumn<int>("posture");
    QTest::newRow("upright, 87 px") << 1;
    QTest::newRow("low, 118 px") << 2;
}

void SpawningTest::spawningInvariantsOverManyCalls() {
    QFETCH(int, posture);
    GameHarness game;
    QVERIFY(reachMenu(game));
    // The menu scrolls the world without a dinosaur that could die; the bird
    // gaps follow whatever frame the dinosaur shows.
    game->character()->setPosture(posture);
    const double w = game->character()->width();
    QCOMPARE(w, posture == 1 ? 87.0 : 118.0);

    int cactiSpawned = 0;
    int birdsSpawned = 0;
    int cactiRemoved = 0;
    int birdsRemoved = 0;
    bool cactusCapReached = false;
    for (int call = 0; call < 400; ++call) {
        const QList<Snapshot> cactiBefore = snapshot(game->cactusList());
        const QList<Snapshot> birdsBefore = snapshot(game->birdList());
        game->updateObstacles();
        const QList<Obstacle*>& cacti = game->cactusList();
        const QList<Obstacle*>& birds = game->birdList();
        const double gl = game->groundLine();

        for (const QList<Snapshot>* before : {&cactiBefore, &birdsBefore}) {
            int removed = 0;
            int firstOut = -1;
            for (int i = 0; i < before->size(); ++i) {
                const Snapshot& s = before->at(i);
                if (firstOut < 0 && s.x < -s.frameWidth)
                    firstOut = i;
                if (s.obstacle.isNull()) {
                    ++removed;
                    QCOMPARE(i, firstOut);
                }
            }
            QVERIFY(removed <= 1);
            QCOMPARE(removed, firstOut >= 0 ? 1 : 0);
            (before == &cactiBefore ? cactiRemoved : birdsRemoved) += removed;
        }

        QVERIFY(cacti.size() <= 3);
        QVERIFY(birds.size() <= 4);
        cactusCapReached = cactusCapReached || cacti.size() == 3;
        // Newcomers are appended at the right edge; count them by what is left.
        qsizetype cactiLeft = 0;
        for (const Snapshot& s : cactiBefore)
            cactiLeft += s.obstacle.isNull() ? 0 : 1;
        qsizetype birdsLeft = 0;
        for (const Snapshot& s : birdsBefore)
            birdsLeft += s.obstacle.isNull() ? 0 : 1;
        const qsizetype cactiAdded = cacti.size() - cactiLeft;
        const qsizetype birdsAdded = birds.size() - birdsLeft;
        QVERIFY(cactiAdded == 0 || cactiAdded == 1);
        QVERIFY(birdsAdded == 0 || birdsAdded == 1);

        if (cactiAdded == 1) {
            ++cactiSpawned;
            const Obstacle* cactus = cacti.last();
            QCOMPARE(cactus->height(), kCactusHeight);
            // Its foot stands 10 px below the ground line.
            QCOMPARE(cactus->pos(), QPointF(kRight, gl - kCactusHeight + 10.0));
            QVERIFY(cactiLeft <= 2);
            if (cacti.size() >= 2)
                QVERIFY2(kRight - cacti.at(cacti.size() - 2)->pos().x() >= 300.0,
                         "a cactus came closer than 300 px behind the previous one");
        }
        if (birdsAdded == 1) {
            ++birdsSpawned;
            const Obstacle* bird = birds.last();
            QCOMPARE(bird->height(), kBirdHeight);
            QCOMPARE(bird->pos().x(), kRight);
            const double y = bird->pos().y();
            QCOMPARE(y, std::trunc(y));
            QVERIFY(y >= std::trunc(gl - kBirdHeight - 400.0));
            QVERIFY(y <= std::trunc(gl - kBirdHeight - 140.0));
            QVERIFY(birdsLeft <= 3);
            if (!cacti.isEmpty())
                QVERIFY2(kRight - cacti.last()->pos().x() >= 2.5 * w,
                         "a bird came too close behind the last cactus");
            if (birds.size() >= 2)
                QVERIFY2(kRight - birds.at(birds.size() - 2)->pos().x() >= 5.0 * w,
                         "a bird came too close behind the previous bird");
        }

        // Uneven spacing spreads the gaps found at spawn time over many values.
        game->updateEnvironment();
        game.tick(1 + (call * 17) % (2 * kTicksPerObstacleCall));
    }
    // The run must have exercised the rules, not passed them vacuously.
    QVERIFY(cactiSpawned > 20);
    QVERIFY(birdsSpawned > 5);
    QVERIFY(cactiRemoved > 10);
    QVERIFY(birdsRemoved > 3);
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
    QVERIFY(reachMenu(game));
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
    const bool bird = rule == BirdAfterBird;
    Obstacle* last = bird ? spawnBird(game) : spawnCactus(game);
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
    QVERIFY(reachMenu(game));
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

void SpawningTest::fullListsTakeNoNewcomers() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    // Without ticks nothing moves: push everything far left by hand so that no
    // gap rule blocks, and let only the count limits speak.
    const auto clearGaps = [&] {
        for (Obstacle* cactus : game->cactusList())
            cactus->setPos(QPointF(100.0, cactus->pos().y()));
        for (Obstacle* bird : game->birdList())
            bird->setPos(QPointF(100.0, bird->pos().y()));
    };
    for (int i = 0; i < 500 && (game->cactusList().size() < 3 || game->birdList().size() < 4);
         ++i) {
        game->updateObstacles();
        clearGaps();
    }
    QCOMPARE(game->cactusList().size(), 3);
    QCOMPARE(game->birdList().size(), 4);

    // Destroyed ones still count until they have scrolled off and been removed.
    for (Obstacle* cactus : game->cactusList()) {
        cactus->active = false;
        cactus->exploding = true;
    }
    for (int i = 0; i < 100; ++i) {
        game->updateObstacles();
        QCOMPARE(game->cactusList().size(), 3);
        QCOMPARE(game->birdList().size(), 4);
    }

    Obstacle* first = game->cactusList().first();
    first->setPos(QPointF(-first->frame.width() - 1.0, first->pos().y()));
    QPointer<Obstacle> gone = first;
    Obstacle* newcomer = spawnCactus(game);
    QVERIFY(gone.isNull());
    QVERIFY(newcomer);
    QCOMPARE(newcomer->pos().x(), kRight);
    QCOMPARE(game->cactusList().size(), 3);
}

void SpawningTest::noSpawningInStageFiveButRemoval() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    QVERIFY(game.startRun());
    QVERIFY(spawnCactus(game));
    QVERIFY(spawnBird(game));
    game->gameWin();
    QCOMPARE(game->stage(), 5);

    const qsizetype cacti = game->cactusList().size();
    const qsizetype birds = game->birdList().size();
    // The world stands still on the win screen.
    const QPointF cactusPos = game->cactusList().first()->pos();
    game.tick(5);
    QCOMPARE(game->cactusList().first()->pos(), cactusPos);

    Obstacle* cactus = game->cactusList().first();
    Obstacle* bird = game->birdList().first();
    cactus->setPos(QPointF(-500.0, cactus->pos().y()));
    bird->setPos(QPointF(-500.0, bird->pos().y()));
    game->updateObstacles();
    QCOMPARE(game->cactusList().size(), cacti - 1);
    QCOMPARE(game->birdList().size(), birds - 1);

    for (Obstacle* o : game->cactusList())
        o->setPos(QPointF(100.0, o->pos().y()));
    for (Obstacle* o : game->birdList())
        o->setPos(QPointF(100.0, o->pos().y()));
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
    QVERIFY(reachMenu(game));
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
    QVERIFY2(!watched.isNull(), "removed while its right edge still touched the window");
    obstacle->setPos(QPointF(-frameWidth - 0.5, obstacle->pos().y()));
    game->updateObstacles();
    QVERIFY(watched.isNull());
}

void SpawningTest::oneRemovalOfEachKindPerCall() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    for (int i = 0; i < 500 && (game->cactusList().size() < 3 || game->birdList().size() < 3);
         ++i) {
        game->updateObstacles();
        for (Obstacle* o : game->cactusList() + game->birdList())
            o->setPos(QPointF(100.0, o->pos().y()));
    }
    QCOMPARE(game->cactusList().size(), 3);
    QVERIFY(game->birdList().size() >= 3);

    // The search starts at the front and passes over a kept obstacle.
    QList<QList<QPointer<Obstacle>>> kinds;
    for (const QList<Obstacle*>& list : {game->cactusList(), game->birdList()}) {
        QList<QPointer<Obstacle>> watched;
        for (int i = 0; i < 3; ++i) {
            watched.append(list.at(i));
            if (i > 0)
                list.at(i)->setPos(QPointF(-1000.0, list.at(i)->pos().y()));
        }
        kinds.append(watched);
    }
    game->updateObstacles();
    for (const QList<QPointer<Obstacle>>& watched : kinds) {
        QVERIFY(!watched[0].isNull());
        QVERIFY(watched[1].isNull());
        QVERIFY(!watched[2].isNull());
    }
    game->updateObstacles();
    for (const QList<QPointer<Obstacle>>& watched : kinds) {
        QVERIFY(!watched[0].isNull());
        QVERIFY(watched[2].isNull());
    }
}

void SpawningTest::speedsAreSetOnEveryMovementTick() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    QVERIFY(game.startRun());
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);

    cactus->setSpeed(123.0);
    bird->setSpeed(123.0);
    const QPointF cactusBefore = cactus->pos();
    const QPointF birdBefore = bird->pos();
    game.tick();
    QCOMPARE(cactus->speed(), 8.0);
    QCOMPARE(bird->speed(), 1.3 * 8.0);
    QCOMPARE(cactus->pos().x(), cactusBefore.x() - 8.0);
    QCOMPARE(bird->pos().x(), birdBefore.x() - 1.3 * 8.0);

    // The slow motion lowers the world speed before the obstacles move.
    game.pressMouse(QPointF(900, 300), Qt::RightButton);
    const double cactusX = cactus->pos().x();
    const double birdX = bird->pos().x();
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    QCOMPARE(cactus->speed(), 0.8);
    QCOMPARE(bird->speed(), 1.3 * 0.8);
    QCOMPARE(cactus->pos().x(), cactusX - 0.8);
    QCOMPARE(bird->pos().x(), birdX - 1.3 * 0.8);
    game.releaseMouse(QPointF(900, 300), Qt::RightButton);
}

void SpawningTest::startingARunExplodesLeftovers() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    QVERIFY(spawnCactus(game));
    QVERIFY(spawnBird(game));
    game.tick(7);
    for (Obstacle* o : game->cactusList() + game->birdList()) {
        QVERIFY(o->active);
        QVERIFY(!o->exploding);
        o->setHitPos(QPointF(-1, -1));
    }
    game->changeToStage(2);
    QCOMPARE(game->stage(), 2);
    for (Obstacle* bird : game->birdList()) {
        QVERIFY(!bird->active);
        QVERIFY(bird->exploding);
        QCOMPARE(bird->hitPos(), bird->pos());
    }
    // Cacti keep their hit position: their explosion is drawn around pos.
    for (Obstacle* cactus : game->cactusList()) {
        QVERIFY(!cactus->active);
        QVERIFY(cactus->exploding);
        QCOMPARE(cactus->hitPos(), QPointF(-1, -1));
    }
    QCOMPARE(game->scoreBoard()->score(), 0);
}

void SpawningTest::menuAnimatesBirdsAndStillsCacti() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);
    QVERIFY(syncMenuAnimationClock(game, bird));

    // The menu neither plays explosions nor touches the pacing.
    cactus->exploding = true;
    cactus->frame = QPixmap();
    bird->animation->ticksPerFrame = 1;
    const int characterFrame = game->character()->animation()->currentFrame;
    const int characterCount = game->character()->animation()->tickCount;
    const int birdFrame = bird->animation->currentFrame;
    game.tick(2);
    QVERIFY(cactus->frame.isNull());
    QCOMPARE(bird->animation->currentFrame, birdFrame);
    game.tick();
    QCOMPARE(bird->animation->currentFrame, (birdFrame + 1) % 2);
    QCOMPARE(bird->animation->ticksPerFrame, 1);
    QCOMPARE(cactus->frame.cacheKey(), cactus->image().cacheKey());
    QCOMPARE(cactus->explosion->currentFrame, 0);
    QCOMPARE(cactus->explosion->tickCount, 0);
    QCOMPARE(game->character()->animation()->currentFrame, characterFrame);
    QCOMPARE(game->character()->animation()->tickCount, characterCount);
    game.tick(3);
    QCOMPARE(bird->animation->currentFrame, birdFrame);
}

void SpawningTest::runStepsExplosionsToRemains() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);
    const double cactusY = cactus->pos().y();
    const int cactusWidth = cactus->image().width();

    game->changeToStage(2);
    QVERIFY(syncAnimationClock(game));
    QCOMPARE(cactus->explosion->currentFrame, 1);
    QCOMPARE(bird->explosion->currentFrame, 1);
    QCOMPARE(cactus->frame.size(), QSize(180, 180));

    // One explosion frame per animation step, i.e. per three ticks.
    for (int step = 2; step <= 4; ++step) {
        game.tick(2);
        QCOMPARE(cactus->explosion->currentFrame, step - 1);
        game.tick();
        QCOMPARE(cactus->explosion->currentFrame, step);
        QCOMPARE(bird->explosion->currentFrame, step);
        QVERIFY(cactus->exploding);
    }
    game.tick(3);
    // The step that takes the last frame ends the explosion; that frame stays
    // until the next step, and the remains keep the bottom edge.
    QVERIFY(!cactus->exploding);
    QVERIFY(cactus->finished);
    QVERIFY(bird->finished);
    QCOMPARE(cactus->frame.size(), QSize(180, 180));
    QCOMPARE(bird->frame.size(), QSize(180, 180));
    QCOMPARE(cactus->pos().y(), cactusY + 57.0);

    game.tick(3);
    QCOMPARE(cactus->frame.size(), QSize(cactusWidth, 30));
    QCOMPARE(cactus->frame.cacheKey(), cactus->image().cacheKey());
    QCOMPARE(bird->frame.size(), bird->image().size());
}

void SpawningTest::deadEyePacingIsWrittenAfterTheFrames() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    QVERIFY(game.startRun());
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);

    QVERIFY(syncAnimationClock(game));
    QCOMPARE(bird->animation->ticksPerFrame, 2);
    QCOMPARE(game->character()->animation()->ticksPerFrame, 1);

    game.pressMouse(QPointF(900, 300), Qt::RightButton);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    QVERIFY(syncAnimationClock(game));
    QCOMPARE(bird->animation->ticksPerFrame, 20);
    QCOMPARE(game->character()->animation()->ticksPerFrame, 10);
    QCOMPARE(game->gun()->animation()->ticksPerFrame, 2);
    QCOMPARE(cactus->explosion->ticksPerFrame, 1);

    // An explosion that starts now takes its first step at full pace.
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
    QCOMPARE(bird->animation->ticksPerFrame, 20);
    for (int step = 0; step < 9; ++step) {
        game.tick(3);
        QCOMPARE(cactus->explosion->currentFrame, 1);
    }
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

void SpawningTest::squareFramesAreDrawnOnlyWhenExploding() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    QVERIFY(game.startRun());
    Obstacle* cactus = spawnCactus(game);
    Obstacle* bird = spawnBird(game);
    QVERIFY(cactus && bird);
    bird->setPos(QPointF(-5000.0, 0.0));
    cactus->setPos(QPointF(1000.0, 150.0));

    cactus->frame = solidPixmap(60, 40);
    QVERIFY(markerBoxAt(render(game), 1000, 150, 60, 40));

    cactus->frame = solidPixmap(60, 60);
    QVERIFY2(!anyMarker(render(game)), "a square frame was drawn for a live cactus");
    cactus->frame = QPixmap();
    QVERIFY(!anyMarker(render(game)));

    // Exploding: the square explosion frame centred on the cactus picture.
    cactus->exploding = true;
    cactus->frame = solidPixmap(60, 60);
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
}

void SpawningTest::explodingBirdDriftsWithTheGround() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    QVERIFY(game.startRun());
    Obstacle* found = spawnBird(game);
    QVERIFY(found);
    auto* bird = static_cast<Bird*>(found);
    bird->active = false;
    bird->exploding = true;
    bird->setHitPos(QPointF(1000.5, 150.0));
    bird->setPos(QPointF(-5000.0, 0.0));
    bird->frame = solidPixmap(60, 60);
    const int sheetHeight = bird->image().height();
    // hitPos.x + 0.5 * 91 - 30 = 1016 while the bird has not dropped.
    QVERIFY(markerBoxAt(render(game), 1016, 150 + sheetHeight / 2 - 30, 60, 60));

    bird->drop();
    bird->drop();
    bird->drop();
    QCOMPARE(bird->dropCount(), 3);
    QCOMPARE(game->environment()->speed(), 8.0);
    QVERIFY(markerBoxAt(render(game), 1016 - 24, 150 + sheetHeight / 2 - 30, 60, 60));
}

void SpawningTest::standingDinosaurDiesOnACactus() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    game->writeEssence(100);
    QVERIFY(game.startRun());
    GameCharacter* dino = game->character();
    QVERIFY(dino->hasLanded());
    QVERIFY(!dino->isInvincible());

    Obstacle* cactus = spawnCactus(game);
    QVERIFY(cactus);
    cactus->setPos(QPointF(dino->position().x() + 150.0, cactus->pos().y()));
    game->scoreBoard()->setScore(37);

    int ticks = 0;
    while (dino->health() > 0.0 && ticks < 100) {
        game.tick();
        ++ticks;
    }
    QCOMPARE(dino->health(), 0.0);
    // The touch leaves the cactus alive; the health check of the next tick ends the run.
    QVERIFY(cactus->active);
    QCOMPARE(game->stage(), 2);
    QFile before(game.directory() + "/game_score.txt");
    QVERIFY(before.open(QIODevice::ReadOnly));
    QCOMPARE(before.readAll().trimmed(), QByteArray("100"));
    before.close();

    game.tick();
    QCOMPARE(game->stage(), 4);
    QVERIFY(game->isGameOver());
    QVERIFY(game->isPaused());
    QFile banked(game.directory() + "/game_score.txt");
    QVERIFY(banked.open(QIODevice::ReadOnly));
    QCOMPARE(banked.readAll().trimmed(), QByteArray("137"));

    GameButton* restart = game->button(2);
    QVERIFY(restart);
    QVERIFY(restart->isVisible());
    QCOMPARE(restart->rect().topLeft(), QPointF(880, 448));
    for (GameButton* button : game->buttons())
        QCOMPARE(button->isVisible(), button == restart);

    // The world is frozen from now on.
    const QPointF frozen = cactus->pos();
    game.tick(10);
    QCOMPARE(cactus->pos(), frozen);
    QCOMPARE(game->stage(), 4);
}

void SpawningTest::invincibleDinosaurDestroysObstacles() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    game.clickButton(1);
    QCOMPARE(game->stage(), 2);
    GameCharacter* dino = game->character();
    QVERIFY(dino->isAirborne());
    QVERIFY(dino->isInvincible());
    QCOMPARE(game->scoreBoard()->score(), 0);

    // Fresh obstacles right in the falling dinosaur's way.
    Obstacle* freshCactus = spawnCactus(game);
    QVERIFY(freshCactus);
    freshCactus->setPos(dino->position() + QPointF(20.0, 10.0));
    game.tick();
    QVERIFY(!freshCactus->active);
    QVERIFY(freshCactus->exploding);
    QCOMPARE(game->scoreBoard()->score(), 10);
    QCOMPARE(dino->health(), 1.0);

    Obstacle* freshBird = spawnBird(game);
    QVERIFY(freshBird);
    const QPointF placed = dino->position() + QPointF(20.0, 0.0);
    freshBird->setPos(placed);
    game.tick();
    QVERIFY(!freshBird->active);
    QVERIFY(freshBird->exploding);
    QCOMPARE(freshBird->hitPos(), placed - QPointF(1.3 * 8.0, 0.0));
    QCOMPARE(game->scoreBoard()->score(), 30);
    QCOMPARE(dino->health(), 1.0);
    QCOMPARE(game->stage(), 2);
}

QTEST_MAIN(SpawningTest)
#include "tst_spawning.moc"
