#include "gameharness.h"

#include "attachment.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "obstacle.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "skill.h"
#include "statusbar.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace {
// A spot in the sky with no button on it.
const QPointF kSky(1200.0, 200.0);
// Between pixels, as a high-resolution pointer reports it; the gun aims at (300, 250).
const QPointF kAim(300.7, 250.6);

bool shows(const QWidget* widget, const QCursor& cursor) {
    const QCursor shown = widget->cursor();
    return shown.pixmap().cacheKey() == cursor.pixmap().cacheKey() &&
           shown.hotSpot() == cursor.hotSpot();
}

bool showsAim(GameHarness& game) {
    return shows(game.widget(), game->cursors().aimCursor);
}

bool showsPointer(GameHarness& game) {
    return shows(game.widget(), game->cursors().pointCursor);
}

void holdRight(GameHarness& game) {
    game.pressMouse(kSky, Qt::RightButton);
}

void releaseRight(GameHarness& game) {
    game.releaseMouse(kSky, Qt::RightButton);
}

double speed(GameHarness& game) {
    return game->environment()->speed();
}

// The test library would round the position to whole pixels.
void pressLeftAtAim(GameHarness& game) {
    QMouseEvent event(QEvent::MouseButtonPress, kAim, game->mapToGlobal(kAim), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(game.widget(), &event);
}

// Right held (DeadEye on), then a left press at kAim; both stay held.
void holdBothButtons(GameHarness& game) {
    holdRight(game);
    game.tick();
    pressLeftAtAim(game);
    game.tick();
}

// Calls updateObstacles until the list gains a member at the right edge.
// Nothing scrolls in between, so earlier arrivals are pushed left first,
// just far enough for the gap rules.
Obstacle* spawn(GameHarness& game, bool bird) {
    for (int i = 0; i < 300; ++i) {
        for (Obstacle* cactus : game->cactusList())
            cactus->setPos(QPointF(std::min(cactus->pos().x(), 1500.0), cactus->pos().y()));
        for (Obstacle* other : game->birdList())
            other->setPos(QPointF(std::min(other->pos().x(), 1400.0), other->pos().y()));
        const QList<Obstacle*>& list = bird ? game->birdList() : game->cactusList();
        const qsizetype before = list.size();
        game->updateObstacles();
        if (list.size() > before)
            return list.last();
    }
    return nullptr;
}
} // namespace

// DeadEye, the gun, the bullets, the dash and the status panel as the window
// drives them from the mouse, the keyboard and the frame loop.
class SkillsWiringTest : public QObject {
    Q_OBJECT
private slots:
    void rightButtonSwitchesDeadEye();
    void energyThresholds();
    void leftButtonFirstDoesNotStartDeadEye();
    void pauseEndsDeadEyeAndContinueKeepsItOff();
    void firingCadenceAndStartPoint();
    void bulletDestroysObstacle_data();
    void bulletDestroysObstacle();
    void dashViaTheSkillKey();
    void dashAndDeadEyeSpeeds();
    void menuResetsTheSkills();
    void statusPanelLaidOutOnRunningTicks();
};

void SkillsWiringTest::rightButtonSwitchesDeadEye() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    QColor& veil = game->deadEye()->veilColor;
    QVERIFY(showsPointer(game));

    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    QCOMPARE(game->deadEye()->timeFactor(), 0.1);
    QCOMPARE(speed(game), 0.8);
    QCOMPARE(game->gun()->animationType(), 2);
    // The cursor is chosen before the switch: the crosshair comes one tick later.
    QVERIFY(showsPointer(game));
    game.tick();
    QVERIFY(showsAim(game));
    game.tick(20);
    QCOMPARE(speed(game), 0.8);
    for (int paint = 1; paint <= 12; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 5 * std::min(paint, 10));
    }
    QCOMPARE(veil.rgb(), qRgb(255, 205, 0));

    releaseRight(game);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->deadEye()->timeFactor(), 1.0);
    QCOMPARE(speed(game), 8.0);
    QCOMPARE(game->gun()->animationType(), 1);
    QVERIFY(showsAim(game));
    game.tick();
    QVERIFY(showsPointer(game));
    for (int paint = 1; paint <= 12; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 50 - 5 * std::min(paint, 10));
    }
}

void SkillsWiringTest::energyThresholds() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    DeadEye* deadEye = game->deadEye();

    // Exactly 1.0: the window tries, DeadEye refuses, and the world is slowed
    // for that one tick only.
    deadEye->setEnergy(1.0);
    holdRight(game);
    game.tick();
    QVERIFY(!deadEye->isActive());
    QCOMPARE(deadEye->timeFactor(), 1.0);
    QCOMPARE(speed(game), 0.8);
    releaseRight(game);
    game.tick();
    QCOMPARE(speed(game), 8.0);

    // 1.5: it starts, one drain step leaves 0.5, and the window stops it on
    // its next tick for good, although the button stays held.
    deadEye->setEnergy(1.5);
    holdRight(game);
    game.tick();
    QVERIFY(deadEye->isActive());
    deadEye->updateEnergy();
    QVERIFY(deadEye->isActive());
    game.tick();
    QVERIFY(!deadEye->isActive());
    game.tick(5);
    QVERIFY(!deadEye->isActive());
    QCOMPARE(speed(game), 8.0);
    releaseRight(game);

    // Exactly 1.0 left is not below 1.0: a running slow motion goes on...
    deadEye->setEnergy(2.0);
    holdRight(game);
    game.tick();
    deadEye->updateEnergy();
    QCOMPARE(deadEye->energy(), 1.0);
    game.tick(3);
    QVERIFY(deadEye->isActive());
    QCOMPARE(speed(game), 0.8);
    // ...until it runs dry inside the energy step; the next tick restores
    // the world speed and the pointer.
    deadEye->updateEnergy();
    QVERIFY(!deadEye->isActive());
    QCOMPARE(speed(game), 0.8);
    game.tick();
    QCOMPARE(speed(game), 8.0);
    QVERIFY(showsPointer(game));
    releaseRight(game);
}

void SkillsWiringTest::leftButtonFirstDoesNotStartDeadEye() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    pressLeftAtAim(game);
    game.tick();
    holdRight(game);
    game.tick(3);
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->bulletSystem()->bullets().isEmpty());
    QCOMPARE(speed(game), 8.0);
    game.releaseMouse(kAim);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    releaseRight(game);
}

void SkillsWiringTest::pauseEndsDeadEyeAndContinueKeepsItOff() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());

    game.tapKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 3);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(speed(game), 8.0);
    // The held right button does nothing on the pause screen.
    game.tick(5);
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(showsPointer(game));

    releaseRight(game);
    game.clickButton(5);
    game.tick(5);
    QCOMPARE(game->stage(), 2);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(speed(game), 8.0);
}

void SkillsWiringTest::firingCadenceAndStartPoint() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    BulletSystem* bullets = game->bulletSystem();
    QCOMPARE(bullets->bulletCount(), 5);
    // A left click alone fires nothing.
    pressLeftAtAim(game);
    game.tick(3);
    game.releaseMouse(kAim);
    QVERIFY(bullets->bullets().isEmpty());

    holdBothButtons(game);
    QCOMPARE(bullets->bullets().size(), 1);
    QCOMPARE(bullets->bulletCount(), 4);
    const QPointF muzzle = game->gun()->center();
    QCOMPARE(muzzle, game->character()->position() + QPointF(-19, -9));
    const Bullet* first = bullets->bullets().first();
    QCOMPARE(first->target(), QPointF(300, 250));
    const QPointF along = QPointF(300, 250) - muzzle;
    const QPointF direction = along / std::hypot(along.x(), along.y());
    QCOMPARE(first->direction(), direction);
    // Fired from the muzzle, then moved once at a tenth of 50 px.
    QCOMPARE(first->position(), muzzle + direction * 5.0);

    // Held buttons fire again after five cool-down steps, however many ticks pass.
    game.tick(10);
    for (int step = 0; step < 4; ++step)
        bullets->updateShootCD();
    game.tick();
    QCOMPARE(bullets->bullets().size(), 1);
    bullets->updateShootCD();
    game.tick();
    QCOMPARE(bullets->bullets().size(), 2);

    // Releasing the right button ends the slow motion: the held left fires no more.
    for (int step = 0; step < 5; ++step)
        bullets->updateShootCD();
    releaseRight(game);
    game.tick(3);
    QCOMPARE(bullets->bullets().size(), 2);
    game.releaseMouse(kAim);
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
    QVERIFY(game.reachStage(2));
    Obstacle* target = spawn(game, bird);
    QVERIFY(target);

    holdRight(game);
    game.tick();
    const QPointF muzzle = game->gun()->center();
    // Left of the dinosaur, scrolling away from it, in the line of fire.
    target->setPos(QPointF(400.0, bird ? muzzle.y() - 37.0 : target->pos().y()));
    const QPointF aim = bird ? QPointF(438.0, muzzle.y()) : target->pos() + QPointF(25.0, 50.0);
    game.pressMouse(aim);
    game.tick();
    game.releaseMouse(aim);
    QCOMPARE(game->bulletSystem()->bullets().size(), 1);
    const QPointer<Bullet> bullet = game->bulletSystem()->bullets().first();

    for (int i = 0; i < 100 && target->active; ++i)
        game.tick();
    QVERIFY(target->exploding);
    QCOMPARE(game->scoreBoard()->score(), score);
    QVERIFY(bullet && bullet->isHit());
    // The spent bullet goes at the next clean-up.
    game.tick();
    QVERIFY(bullet.isNull());
    releaseRight(game);
}

void SkillsWiringTest::dashViaTheSkillKey() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    GameCharacter* dino = game->character();
    Rush* rush = game->rush();
    QCOMPARE(dino->position().x(), 576.0);

    game.pressKey(Qt::Key_F);
    game.tick();
    QVERIFY(rush->isActive());
    QCOMPARE(speed(game), 16.0);
    QVERIFY(dino->isInvincible());
    // Aimed with the upright frame the dash started from: 960 - 87 / 2.
    QCOMPARE(dino->targetX, 916.5);
    // Held on: no second start (it would reset the cooldown).
    game.tick();
    QCOMPARE(rush->cooldownLeft(), 150.0 - 0.1 - 0.1);
    game.releaseKey(Qt::Key_F);
    game.tick(25);
    QCOMPARE(dino->position().x(), 916.5);

    // The start tick made the first of 151 clock steps.
    game.tick(150 - 27);
    QVERIFY(rush->isActive());
    game.tick();
    QVERIFY(!rush->isActive());
    QCOMPARE(speed(game), 8.0);
    QVERIFY(!dino->isInvincible());
    QCOMPARE(dino->targetX, 576.0);
    game.tick(50);
    QCOMPARE(dino->position().x(), 576.0);
}

// The dash doubles whatever speed the world has; stopping DeadEye during a
// dash restores twice the base speed.
void SkillsWiringTest::dashAndDeadEyeSpeeds() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    holdRight(game);
    game.tick();
    QCOMPARE(speed(game), 0.8);
    game.tapKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    QCOMPARE(speed(game), 1.6);
    releaseRight(game);
    game.tick();
    QCOMPARE(speed(game), 16.0);

    holdRight(game);
    game.tick(4);
    QCOMPARE(speed(game), 0.8);
    releaseRight(game);
    game.tick(3);
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->rush()->isActive());
    QCOMPARE(speed(game), 16.0);
}

void SkillsWiringTest::menuResetsTheSkills() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    DeadEye* deadEye = game->deadEye();
    BulletSystem* bullets = game->bulletSystem();
    QVERIFY(game->statusBar()->isVisible());
    // Mid-run: DeadEye on and a bullet in flight; then a pause.
    holdBothButtons(game);
    QCOMPARE(bullets->bullets().size(), 1);
    game.tapKey(Qt::Key_Escape);
    game.releaseMouse(kAim);
    releaseRight(game);
    QCOMPARE(game->stage(), 3);
    deadEye->setEnergy(3.0);
    deadEye->maxEnergy = 99.0;
    deadEye->recovery = 7.0;
    deadEye->veilColor.setAlpha(35);
    bullets->setCapacity(9);
    bullets->setDamage(33.0);
    game->environment()->setSpeed(3.0);

    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    // The level-1 numbers again, and everything full and idle.
    QCOMPARE(deadEye->maxEnergy, 20.0);
    QCOMPARE(deadEye->recovery, 0.2);
    QCOMPARE(deadEye->energy(), 20.0);
    QCOMPARE(deadEye->veilColor, QColor(255, 205, 0, 0));
    QVERIFY(!deadEye->isActive());
    QVERIFY(bullets->bullets().isEmpty());
    QCOMPARE(bullets->capacity(), 5);
    QCOMPARE(bullets->bulletCount(), 5);
    QCOMPARE(bullets->damage(), 10.0);
    QVERIFY(!bullets->isReloadPaused());
    QVERIFY(!game->statusBar()->isVisible());
    QVERIFY(!game->scoreBoard()->isVisible());
    QCOMPARE(speed(game), 8.0);
    QVERIFY(showsPointer(game));
}

void SkillsWiringTest::statusPanelLaidOutOnRunningTicks() {
    GameHarness game(QSize(1920, 1080));
    QVERIFY(game.reachStage(1));
    StatusBar* panel = game->statusBar();
    // The menu does not lay the panel out.
    QCOMPARE(panel->panelRect(), QRect());

    QVERIFY(game.startRun());
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->panelRect(), QRect(48, 777, 624, 259));
    QCOMPARE(game->bulletSystem()->bar()->rect(), QRectF(230.4, 820.8, 288.0, 43.0));
    QCOMPARE(game->deadEye()->bar()->rect(), QRectF(230.4, 885.6, 288.0, 43.0));
    QCOMPARE(game->rush()->bar()->rect(), QRectF(230.4, 950.4, 288.0, 43.0));
    // Laid out again on every running tick.
    panel->setPanelRect(QRect());
    game.tick();
    QCOMPARE(panel->panelRect(), QRect(48, 777, 624, 259));
}

QTEST_MAIN(SkillsWiringTest)
#include "tst_skillswiring.moc"
