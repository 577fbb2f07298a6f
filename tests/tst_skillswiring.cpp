#include "gameharness.h"
#include "gameids.h"

#include "attachment.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "scoreboard.h"
#include "skill.h"
#include "statusbar.h"

#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <cmath>

namespace {
const QPointF kSky(1200.0, 200.0); // no button there
// Between pixels, as a high-resolution pointer reports it; the gun aims at (300, 250).
const QPointF kAim(300.7, 250.6);

// True when the crosshair (or, with aim false, the pointer) is shown.
bool shows(GameHarness& game, bool aim) {
    const QCursor& expected = aim ? game->cursors().aimCursor : game->cursors().pointCursor;
    return game->cursor().pixmap().cacheKey() == expected.pixmap().cacheKey() &&
           game->cursor().hotSpot() == expected.hotSpot();
}

// Presses or releases the right button, then lets the frame loop run.
void right(GameHarness& game, bool down, int ticks = 1) {
    down ? game.pressMouse(kSky, Qt::RightButton) : game.releaseMouse(kSky, Qt::RightButton);
    game.tick(ticks);
}

double speed(GameHarness& game) {
    return game->environment()->speed();
}

// QTest would round the position to whole pixels.
void pressLeftAtAim(GameHarness& game) {
    QMouseEvent event(QEvent::MouseButtonPress, kAim, game->mapToGlobal(kAim), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(game.widget(), &event);
    game.tick();
}

// Spawns until the list grows; cacti are pushed left of the gap a bird needs.
Obstacle* spawn(GameHarness& game, bool bird) {
    const QList<Obstacle*>& list = bird ? game->birdList() : game->cactusList();
    for (int i = 0; i < 300 && list.isEmpty(); ++i) {
        for (Obstacle* cactus : game->cactusList())
            cactus->setPos(QPointF(1400.0, cactus->pos().y()));
        game->updateObstacles();
    }
    return list.value(0);
}
} // namespace

// DeadEye, the gun, the bullets, the dash and the status panel as the window
// drives them from the mouse, the keyboard and the frame loop.
class SkillsWiringTest : public QObject {
    Q_OBJECT
private slots:
    void deadEyeThresholdsCursorAndVeil();
    void firingPauseAndHome();
    void bulletDestroysObstacle_data();
    void bulletDestroysObstacle();
    void dashUnderDeadEye();
    void slowMotionEndsWithTheRun_data();
    void slowMotionEndsWithTheRun();
};

void SkillsWiringTest::deadEyeThresholdsCursorAndVeil() {
    GameHarness game;
    QVERIFY(game.reachStage(Stage::Run));
    DeadEye* deadEye = game->deadEye();
    // Exactly 1.0: the window tries, DeadEye refuses, the world slows for that tick only.
    deadEye->setEnergy(1.0);
    right(game, true);
    QVERIFY(!deadEye->isActive());
    QCOMPARE(speed(game), 0.8);
    right(game, false);
    QCOMPARE(speed(game), 8.0);

    // 1.5 starts, a drain step leaves 0.5, and the next tick stops it for good.
    deadEye->setEnergy(1.5);
    right(game, true);
    deadEye->updateEnergy();
    QVERIFY(deadEye->isActive());
    for (int tick = 0; tick < 5; ++tick) {
        game.tick();
        QVERIFY(!deadEye->isActive());
    }
    right(game, false);

    // The cursor is chosen before the switch: the crosshair comes one tick later.
    deadEye->setEnergy(2.0);
    right(game, true);
    QVERIFY(deadEye->isActive() && shows(game, false));
    game.tick();
    QVERIFY(shows(game, true));
    QColor& veil = deadEye->veilColor;
    for (int paint = 1; paint <= 12; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 5 * qMin(paint, 10));
    }
    // 1.0 left is not below 1.0: it goes on until it runs dry inside the energy step.
    deadEye->updateEnergy();
    game.tick(3);
    QVERIFY(deadEye->isActive());
    QCOMPARE(speed(game), 0.8);
    deadEye->updateEnergy();
    QVERIFY(!deadEye->isActive());
    game.tick();
    QCOMPARE(speed(game), 8.0);
    QVERIFY(shows(game, false));
    for (int paint = 1; paint <= 12; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 50 - 5 * qMin(paint, 10));
    }
}

void SkillsWiringTest::firingPauseAndHome() {
    GameHarness game(QSize(1920, 1080));
    QVERIFY(game.reachStage(Stage::Menu));
    StatusBar* panel = game->statusBar();
    QCOMPARE(panel->panelRect(), QRect()); // the menu does not lay the panel out
    QVERIFY(game.startRun());
    QVERIFY(panel->isVisible());
    panel->setPanelRect(QRect());
    game.tick();
    QCOMPARE(panel->panelRect(), QRect(48, 777, 624, 259));

    // Left held first: no slow motion, and so no shot, until it is up again.
    BulletSystem* bullets = game->bulletSystem();
    pressLeftAtAim(game);
    right(game, true, 3);
    QVERIFY(!game->deadEye()->isActive() && bullets->bullets().isEmpty());
    game.releaseMouse(kAim);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    pressLeftAtAim(game);
    QCOMPARE(bullets->bullets().size(), 1);
    const Bullet* first = bullets->bullets().first();
    QCOMPARE(first->target(), QPointF(300, 250));
    // Fired from the gun's centre, then moved once at a tenth of 50 px.
    const QPointF along = QPointF(300, 250) - game->gun()->center();
    QCOMPARE(first->position(),
             game->gun()->center() + along / std::hypot(along.x(), along.y()) * 5.0);
    // Ticks alone never cool the gun down; five cool-down steps do.
    game.tick(10);
    QCOMPARE(bullets->bullets().size(), 1);
    for (int step = 0; step < 5; ++step)
        bullets->updateShootCD();
    game.tick();
    QCOMPARE(bullets->bullets().size(), 2);
    // Releasing the right button ends the slow motion: the held left fires no more.
    for (int step = 0; step < 5; ++step)
        bullets->updateShootCD();
    right(game, false, 3);
    QCOMPARE(bullets->bullets().size(), 2);
    game.releaseMouse(kAim);

    // A pause ends DeadEye at once, and the held button does nothing there.
    right(game, true);
    game.tapKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), Stage::Pause);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(speed(game), 8.0);
    game.tick(5);
    QVERIFY(!game->deadEye()->isActive() && shows(game, false));
    right(game, false);
    // Home: no bullet in flight, a full magazine, panel and score hidden.
    game.clickButton(ButtonId::Home);
    QCOMPARE(game->stage(), Stage::Menu);
    QVERIFY(bullets->bullets().isEmpty() && bullets->bulletCount() == 5);
    QVERIFY(!panel->isVisible() && !game->scoreBoard()->isVisible());
}

void SkillsWiringTest::bulletDestroysObstacle_data() {
    QTest::addColumn<bool>("bird");
    QTest::addColumn<int>("score");
    QTest::newRow("cactus") << false << 10;
    QTest::newRow("bird") << true << 20;
}

void SkillsWiringTest::bulletDestroysObstacle() {
    QFETCH(bool, bird);
    QFETCH(int, score);
    GameHarness game;
    QVERIFY(game.reachStage(Stage::Run));
    Obstacle* target = spawn(game, bird);
    QVERIFY(target);
    right(game, true);
    // Left of the dinosaur, scrolling away from it, in the line of fire.
    const QPointF muzzle = game->gun()->center();
    target->setPos(QPointF(400.0, bird ? muzzle.y() - 37.0 : target->pos().y()));
    game.click(bird ? QPointF(438.0, muzzle.y()) : target->pos() + QPointF(25.0, 50.0));
    QCOMPARE(game->bulletSystem()->bullets().size(), 1);
    const QPointer<Bullet> bullet = game->bulletSystem()->bullets().first();
    for (int i = 0; i < 100 && target->active; ++i)
        game.tick();
    QVERIFY(target->exploding && bullet && bullet->isHit());
    QCOMPARE(game->scoreBoard()->score(), score);
    game.tick(); // the spent bullet goes at the next clean-up
    QVERIFY(bullet.isNull());
}

// The dash doubles whatever speed the world has; stopping DeadEye during a dash
// restores twice the base speed.
void SkillsWiringTest::dashUnderDeadEye() {
    GameHarness game;
    QVERIFY(game.reachStage(Stage::Run));
    Rush* rush = game->rush();
    right(game, true);
    game.tapKey(Qt::Key_F);
    QVERIFY(rush->isActive() && game->character()->isInvincible());
    QCOMPARE(speed(game), 1.6);
    QCOMPARE(game->character()->targetX, 960 - 87 / 2.0); // aimed with the upright frame
    right(game, false);
    QCOMPARE(speed(game), 16.0);
    right(game, true);
    QCOMPARE(speed(game), 0.8);
    right(game, false, 3);
    QVERIFY(!game->deadEye()->isActive() && rush->isActive());
    QCOMPARE(speed(game), 16.0);
    // One clock step per tick: the 151st ends the dash.
    game.tick(150 - 6);
    QVERIFY(rush->isActive());
    game.tick();
    QVERIFY(!rush->isActive() && !game->character()->isInvincible());
    QCOMPARE(speed(game), 8.0);
}

void SkillsWiringTest::slowMotionEndsWithTheRun_data() {
    QTest::addColumn<int>("stageAfter");
    QTest::newRow("death") << int(Stage::GameOver);
    QTest::newRow("win") << int(Stage::Win);
}

// The right button is still held when the run ends: the new screen must not
// keep the slow motion, its crosshair or its veil.
void SkillsWiringTest::slowMotionEndsWithTheRun() {
    QFETCH(int, stageAfter);
    GameHarness game;
    QVERIFY(game.reachStage(Stage::Run));
    right(game, true);
    for (int i = 0; i < 10; ++i)
        game.paint();
    QCOMPARE(game->deadEye()->veilColor.alpha(), 50);
    if (stageAfter == Stage::Win) {
        emit game->monsterSystem()->gameWin();
    } else {
        game->character()->setHealth(0.0);
        game.tick();
    }
    QCOMPARE(game->stage(), stageAfter);
    QVERIFY(!game->deadEye()->isActive());
    game.tick();
    QVERIFY(shows(game, false));
    game.paint();
    QCOMPARE(game->deadEye()->veilColor.alpha(), 0);
}

QTEST_MAIN(SkillsWiringTest)
#include "tst_skillswiring.moc"
