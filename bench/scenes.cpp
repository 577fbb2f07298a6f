#include "scenes.h"
#include "gameids.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "gamecharacter.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "scoreboard.h"
#include "skill.h"
#include "widget.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTextStream>

#include <cmath>
#include <ctime>

namespace {
const QString kMenuIdle = QStringLiteral("menu idle");
const QString kRunning = QStringLiteral("running, 3 cacti + 4 birds");
const QString kDeadEye = QStringLiteral("DeadEye, veil + bullets");
const QString kDash = QStringLiteral("dash");
const QString kApproach = QStringLiteral("boss approach swoop");
const QString kBossFight = QStringLiteral("boss fight worst case");
const QString kLaunch = QStringLiteral("boss attack launch");
const QString kWinFade = QStringLiteral("win fade");
const QString kUpgrade = QStringLiteral("upgrade screen");

constexpr int kSceneFrames = 300;
constexpr int kBossFightFrames = 200;
constexpr int kApproachFrameLimit = 200;
constexpr int kWarmUpFrames = 10;
constexpr int kSetUpLimit = 3000;
constexpr int kSweepWarmUpFrames = 5;
constexpr int kSweepFrames = 80;

constexpr int kFullCacti = 3;
constexpr int kFullBirds = 4;
constexpr int kSaucerScore = 20;
constexpr int kSpiralWaves = 3;
constexpr int kRainWaves = 3;
constexpr int kHeadsInFlight = 20;
constexpr int kBallsPerRing = 20;

const QColor kFloorFill(240, 240, 240);
const QColor kFloorVeil(255, 205, 0, 50);
const SavedFiles kBenchFiles = {{QStringLiteral("data_0"), "1"},
                                {QStringLiteral("game_score.txt"), "100000"}};

template <typename Work> qint64 timed(Work work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed();
}

// Up and to the right of the gun: the shots cross the obstacles' band but pass
// below the saucer (no hit, so the fight keeps its shape) and miss the pause button.
const QPointF kAimPoint(1800.0, 420.0);

// Where the sweep spreads its balls: the sky between the top edge and the ground.
constexpr double kSweepLeft = 40.0;
constexpr double kSweepWidth = 1800.0;
constexpr double kSweepTop = 80.0;
constexpr double kSweepGroundClearance = 120.0;
constexpr double kGoldenFraction = 0.6180339887498949;
constexpr double kPlasticFraction = 0.7548776662466927;
constexpr double kGoldenAngle = 2.399963229728653;

bool aliveOnScreen(const Obstacle* obstacle, int width) {
    const double x = obstacle->pos().x();
    return obstacle->active && x < width && x + obstacle->frame.width() > 0;
}

int countAlive(const QList<Obstacle*>& list, int width) {
    int alive = 0;
    for (const Obstacle* obstacle : list)
        alive += aliveOnScreen(obstacle, width) ? 1 : 0;
    return alive;
}

void warn(const QString& what) {
    QTextStream(stderr) << "brimtalon_bench: " << what << '\n';
}
} // namespace

qint64 processCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

BenchGame::BenchGame() : GameDriver(kBenchFiles) {}

// The upkeep stays off the clock.
qint64 BenchGame::timedTick() {
    if (upkeep())
        upkeep()();
    return timed([this] { step(); });
}

qint64 BenchGame::timedPaint() {
    return timed([this] { paint(); });
}

qint64 BenchGame::timedFloor() {
    return timed([this] {
        QPainter painter(&image());
        painter.fillRect(image().rect(), kFloorFill);
        painter.fillRect(image().rect(), kFloorVeil);
    });
}

SceneScript::SceneScript(BenchGame& game, int bossRounds)
    : m_game(game), m_bossRounds(bossRounds) {}

SceneSamples* SceneScript::findScene(const QString& scene) {
    for (SceneSamples& candidate : m_samples) {
        if (candidate.name == scene)
            return &candidate;
    }
    m_samples.append(SceneSamples{scene, {}, {}, {}, {}, 0});
    return &m_samples.last();
}

template <typename Hook>
void SceneScript::measure(const QString& scene, int frames, Hook beforeTick) {
    for (int i = 0; i < frames; ++i) {
        if (!beforeTick())
            break;
        const qint64 floor = m_game.timedFloor();
        const qint64 cpuBefore = processCpuNs();
        const qint64 update = m_game.timedTick();
        const qint64 paint = m_game.timedPaint();
        record(scene, floor, update, paint, processCpuNs() - cpuBefore);
    }
}

// Untimed frames until `done` holds (tested before each frame); false after `limit` frames.
template <typename Hook> bool SceneScript::frameUntil(int limit, Hook done) {
    for (int i = 0; i < limit; ++i) {
        if (done())
            return true;
        m_game.tick();
    }
    return done();
}

int SceneScript::objectsInPlay() const {
    Widget* w = m_game.widget();
    return int(w->cactusList().size() + w->birdList().size() + w->monsterSystem()->heads().size() +
               w->monsterSystem()->balls().size() + w->bulletSystem()->bullets().size());
}

// The dinosaur is kept alive through its public health: an obstacle that touches it
// stays alive and whole (as it would in a near miss), and so does the scene's load.
void SceneScript::keepAlive() {
    m_game->character()->setHealth(1.0);
}

// Boss projectiles strike inside the boss step, before the tick's health check, so
// in the boss scenes the dinosaur is made invincible instead (hits destroy the projectile).
void SceneScript::keepAliveInFight() {
    m_game->character()->setInvincible(true);
    m_game->character()->setHealth(1.0);
}

// Destroyed obstacles and the score tick would call the saucer in after a while;
// outside the boss scenes the score is kept below its threshold so each scene stays itself.
void SceneScript::keepSaucerAway() {
    ScoreBoard* board = m_game->scoreBoard();
    if (board->score() >= kSaucerScore)
        board->setScore(0);
}

// A full tank each tick, so that the slow motion lasts the whole scene.
void SceneScript::keepEnergy() {
    DeadEye* deadEye = m_game->deadEye();
    deadEye->setEnergy(deadEye->maxEnergy);
}

bool SceneScript::hasFullLoad() const {
    const int width = m_game->width();
    return countAlive(m_game->cactusList(), width) >= kFullCacti &&
           countAlive(m_game->birdList(), width) >= kFullBirds;
}

// An extra spawning round, off the clock, whenever the load has thinned out; the
// spawner's own gaps and chances still decide whether something comes.
void SceneScript::topUpObstacles() {
    if (!hasFullLoad())
        m_game->updateObstacles();
}

bool SceneScript::fillObstacles() {
    const bool filled = frameUntil(kSetUpLimit, [this] { return hasFullLoad(); });
    if (!filled)
        warn(QStringLiteral("the full obstacle load was not reached"));
    return filled;
}

void SceneScript::aimAndHoldFire() {
    m_game.pressMouse(kAimPoint, Qt::RightButton);
    m_game.tick();
    m_game.pressMouse(kAimPoint, Qt::LeftButton);
}

void SceneScript::releaseFire() {
    m_game.releaseMouse(kAimPoint, Qt::LeftButton);
    m_game.releaseMouse(kAimPoint, Qt::RightButton);
    m_game.tick();
}

bool SceneScript::leaveRun() {
    const bool back = m_game.reach(Stage::Menu);
    m_game.setUpkeep(nullptr);
    return back;
}

void SceneScript::menuIdle() {
    for (int i = 0; i < kWarmUpFrames; ++i)
        m_game.tick();
    measure(kMenuIdle, kSceneFrames, [] { return true; });
}

bool SceneScript::runningGame() {
    m_game.setUpkeep([this] {
        keepAlive();
        keepSaucerAway();
        topUpObstacles();
    });
    if (!m_game.startRun())
        return false;
    fillObstacles();
    measure(kRunning, kSceneFrames, [] { return true; });
    return leaveRun();
}

bool SceneScript::deadEyeScene() {
    m_game.setUpkeep([this] {
        keepAlive();
        keepSaucerAway();
        keepEnergy();
        topUpObstacles();
    });
    if (!m_game.startRun())
        return false;
    fillObstacles();
    aimAndHoldFire();
    // The veil fades in over ten painted frames.
    for (int i = 0; i < kWarmUpFrames; ++i)
        m_game.tick();
    measure(kDeadEye, kSceneFrames, [] { return true; });
    releaseFire();
    return leaveRun();
}

bool SceneScript::dashScene() {
    Rush* rush = m_game->rush();
    m_game.setUpkeep([this, rush] {
        keepAlive();
        keepSaucerAway();
        topUpObstacles();
        // A dash lasts 150 ticks; recharging at once lets the held key start the next.
        if (!rush->isActive() && !rush->isReady())
            rush->reset();
    });
    if (!m_game.startRun())
        return false;
    fillObstacles();
    m_game.pressKey(Qt::Key_F);
    measure(kDash, kSceneFrames, [] { return true; });
    m_game.releaseKey(Qt::Key_F);
    return leaveRun();
}

// The frame in which the attacks are launched: the launch counts as part of its update.
void SceneScript::launchFrame() {
    const qint64 floor = m_game.timedFloor();
    const qint64 cpuBefore = processCpuNs();
    QElapsedTimer timer;
    timer.start();
    launchWorstCase();
    const qint64 launch = timer.nsecsElapsed();
    const qint64 update = launch + m_game.timedTick();
    const qint64 paint = m_game.timedPaint();
    record(kLaunch, floor, update, paint, processCpuNs() - cpuBefore);
}

void SceneScript::record(const QString& scene, qint64 floor, qint64 update, qint64 paint,
                         qint64 cpu) {
    if (!m_recording)
        return;
    SceneSamples* samples = findScene(scene);
    samples->update.append(update);
    samples->paint.append(paint);
    samples->cpu.append(cpu);
    samples->floor.append(floor);
    samples->objectSum += objectsInPlay();
}

void SceneScript::launchWorstCase() {
    MonsterSystem* boss = m_game->monsterSystem();
    boss->launchRing(kSpiralWaves);
    boss->launchRain(kRainWaves);
    for (int i = 0; i < kHeadsInFlight; ++i)
        boss->launchHead();
}

bool SceneScript::bossScenes() {
    m_game.setUpkeep([this] {
        keepAliveInFight();
        keepEnergy();
    });
    if (!m_game.startRun())
        return false;
    MonsterSystem* boss = m_game->monsterSystem();
    m_game->scoreBoard()->setScore(kSaucerScore);
    for (int round = 0; round < m_bossRounds; ++round) {
        // A reset with the score still at the threshold starts the approach again.
        if (round > 0)
            boss->reset();
        // The approach: one step of the swoop per painted frame, 100 of them.
        measure(kApproach, kApproachFrameLimit,
                [boss] { return boss->state() != BossState::Fighting; });
        aimAndHoldFire();
        if (!frameUntil(kSetUpLimit,
                        [boss] { return boss->monster() && !boss->monster()->isEntering(); }))
            return false;
        // In the game a ring or a rain is launched inside one tick, so its cost lands in that
        // frame.
        launchFrame();
        // Measured while the saucer stays in its fighting phase (400 steps from its arrival).
        measure(kBossFight, kBossFightFrames,
                [boss] { return boss->state() == BossState::Fighting; });
        releaseFire();
    }

    boss->monster()->setHealth(0);
    if (!frameUntil(kSetUpLimit, [this] { return m_game->stage() == Stage::Win; }))
        return false;
    measure(kWinFade, kSceneFrames, [] { return true; });
    return leaveRun();
}

bool SceneScript::upgradeScreen() {
    m_game.clickButton(ButtonId::Upgrade);
    if (m_game->stage() != Stage::Upgrade)
        return false;
    for (int i = 0; i < kWarmUpFrames; ++i)
        m_game.tick();
    measure(kUpgrade, kSceneFrames, [] { return true; });
    m_game.clickButton(ButtonId::Quit);
    return m_game->stage() == Stage::Menu;
}

bool SceneScript::playAll() {
    if (!m_game.reach(Stage::Menu))
        return false;
    menuIdle();
    const bool ok =
        runningGame() && deadEyeScene() && dashScene() && bossScenes() && upgradeScreen();
    if (!ok) {
        warn(QStringLiteral("a scene could not be reached (stage %1)").arg(m_game->stage()));
        m_game.setUpkeep(nullptr);
    }
    return ok;
}

namespace {
// Tops the balls in flight up to `target` and sends every new one off at once from
// its own place in the sky, in its own direction (rings come in whole twenties).
void addBalls(MonsterSystem* boss, int target, double ground) {
    const int first = int(boss->balls().size());
    const int missing = target - first;
    if (missing <= 0)
        return;
    boss->launchRing((missing + kBallsPerRing - 1) / kBallsPerRing);
    for (int k = first; k < boss->balls().size(); ++k) {
        Ball* ball = boss->balls().at(k);
        double unused = 0.0;
        const double x = kSweepLeft + std::modf(k * kGoldenFraction, &unused) * kSweepWidth;
        const double y =
            kSweepTop + std::modf(k * kPlasticFraction, &unused) * (ground - kSweepTop);
        ball->setDelay(0);
        ball->setPos(QPointF(x, y));
        ball->setAngle(k * kGoldenAngle);
    }
}
} // namespace

QList<SweepPoint> runSweep(const QList<int>& sizes) {
    QList<SweepPoint> points;
    BenchGame game;
    if (!game.reach(Stage::Run)) {
        warn(QStringLiteral("sweep: no run"));
        return points;
    }
    MonsterSystem* boss = game->monsterSystem();
    GameCharacter* character = game->character();
    DeadEye* deadEye = game->deadEye();
    // As in the boss scenes: an invincible dinosaur and a slow motion that never runs dry.
    game.setUpkeep([character, deadEye] {
        character->setInvincible(true);
        character->setHealth(1.0);
        deadEye->setEnergy(deadEye->maxEnergy);
    });
    game->scoreBoard()->setScore(kSaucerScore);
    for (int i = 0; i < kSetUpLimit && boss->state() != BossState::Fighting; ++i)
        game.tick();
    game.pressMouse(kAimPoint, Qt::RightButton);
    game.tick();
    game.pressMouse(kAimPoint, Qt::LeftButton);

    // One window for every size, the balls added on top of those already flying, so
    // that the differences between the sizes are the balls' own cost. It all happens
    // within the saucer's fighting phase, which paints the projectiles twice.
    const double ground = game->groundLine() - kSweepGroundClearance;
    for (int balls : sizes) {
        SweepPoint point;
        point.balls = balls;
        addBalls(boss, balls, ground);
        for (int i = 0; i < kSweepWarmUpFrames; ++i)
            game.tick();
        qint64 inFlight = 0;
        for (int i = 0; i < kSweepFrames && boss->state() == BossState::Fighting; ++i) {
            const qint64 cpuBefore = processCpuNs();
            point.update.append(game.timedTick());
            point.paint.append(game.timedPaint());
            point.cpu.append(processCpuNs() - cpuBefore);
            inFlight += boss->balls().size();
        }
        if (point.update.size() < kSweepFrames)
            warn(QStringLiteral("sweep: the fighting phase ended early"));
        point.ballsInFlight = point.update.isEmpty() ? 0.0 : double(inFlight) / point.update.size();
        points.append(point);
    }
    return points;
}
