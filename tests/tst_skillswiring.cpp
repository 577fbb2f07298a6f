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

#include <QFile>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace {
// A spot in the sky with no button on it.
const QPointF kSky(1200.0, 200.0);

bool reachMenu(GameHarness& game) {
    return game.reachMenuAsLaterStart();
}

bool reachRun(GameHarness& game) {
    return reachMenu(game) && game.startRun();
}

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

// Calls updateObstacles until the list gains a member at the right edge.
// Nothing scrolls in between, so earlier arrivals are pushed left first,
// just far enough for the gap rules.
Obstacle* spawn(GameHarness& game, bool bird) {
    for (int i = 0; i < 300; ++i) {
        for (Obstacle* cactus : game->cactusList())
            cactus->setPos(QPointF(std::min(cactus->pos().x(), 1500.0), cactus->pos().y()));
        for (Obstacle* other : game->birdList())
            other->setPos(QPointF(std::min(other->pos().x(), 1400.0), other->pos().y()));
        const qsizetype cacti = game->cactusList().size();
        const qsizetype birds = game->birdList().size();
        game->updateObstacles();
        if (bird && game->birdList().size() > birds)
            return game->birdList().last();
        if (!bird && game->cactusList().size() > cacti)
            return game->cactusList().last();
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
    void energyOfExactlyOneOnlySlowsOneTick();
    void energyBelowOneStopsDeadEye();
    void runningDryInsideTheEnergyStep();
    void leftButtonFirstDoesNotStartDeadEye();
    void veilFadesInAndOut();
    void pauseEndsDeadEyeAndContinueKeepsItOff();
    void firingCadenceAndStartPoint();
    void bulletDestroysObstacle_data();
    void bulletDestroysObstacle();
    void dashViaTheSkillKey();
    void stoppingDeadEyeDuringADash();
    void dashStartedDuringDeadEye();
    void menuResetsTheSkills();
    void pauseStopsTheReload();
    void statusPanelLaidOutOnRunningTicks();
};

void SkillsWiringTest::rightButtonSwitchesDeadEye() {
    GameHarness game;
    QVERIFY(reachRun(game));
    QVERIFY(showsPointer(game));
    QCOMPARE(game->environment()->speed(), 8.0);

    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    QCOMPARE(game->deadEye()->timeFactor(), 0.1);
    QCOMPARE(game->environment()->speed(), 0.8);
    QCOMPARE(game->gun()->animationType(), 2);
    // The cursor is chosen before the switch: the crosshair comes one tick later.
    QVERIFY(showsPointer(game));
    game.tick();
    QVERIFY(showsAim(game));
    QCOMPARE(game->environment()->speed(), 0.8);
    game.tick(20);
    QVERIFY(game->deadEye()->isActive());
    QVERIFY(showsAim(game));
    QCOMPARE(game->environment()->speed(), 0.8);

    releaseRight(game);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->deadEye()->timeFactor(), 1.0);
    QCOMPARE(game->environment()->speed(), 8.0);
    QCOMPARE(game->gun()->animationType(), 1);
    QVERIFY(showsAim(game));
    game.tick();
    QVERIFY(showsPointer(game));
}

void SkillsWiringTest::energyOfExactlyOneOnlySlowsOneTick() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game->deadEye()->setEnergy(1.0);
    holdRight(game);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 0.8);
    QCOMPARE(game->deadEye()->timeFactor(), 1.0);
    releaseRight(game);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
    QVERIFY(showsPointer(game));
}

void SkillsWiringTest::energyBelowOneStopsDeadEye() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game->deadEye()->setEnergy(1.5);
    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    // One drain step leaves 0.5: still on inside DeadEye, stopped by the window.
    game->deadEye()->updateEnergy();
    QCOMPARE(game->deadEye()->energy(), 0.5);
    QVERIFY(game->deadEye()->isActive());
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
    // The button is still held, but there is not enough energy to start again.
    game.tick(5);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
    QVERIFY(showsPointer(game));
    releaseRight(game);

    // Exactly 1.0 left is not "below": a running slow motion goes on.
    game.tick();
    game->deadEye()->setEnergy(2.0);
    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    game->deadEye()->updateEnergy();
    QCOMPARE(game->deadEye()->energy(), 1.0);
    game.tick(3);
    QVERIFY(game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 0.8);
    releaseRight(game);
}

void SkillsWiringTest::runningDryInsideTheEnergyStep() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game->deadEye()->setEnergy(2.0);
    holdRight(game);
    game.tick(2);
    QVERIFY(showsAim(game));
    game->deadEye()->updateEnergy();
    game->deadEye()->updateEnergy();
    QCOMPARE(game->deadEye()->energy(), 0.0);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 0.8);
    // The frame loop restores the world speed and the pointer on its next tick.
    game.tick();
    QCOMPARE(game->environment()->speed(), 8.0);
    QVERIFY(showsPointer(game));
    releaseRight(game);
}

void SkillsWiringTest::leftButtonFirstDoesNotStartDeadEye() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressMouse(kSky, Qt::LeftButton);
    game.tick();
    holdRight(game);
    game.tick(3);
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->bulletSystem()->bullets().isEmpty());
    QCOMPARE(game->environment()->speed(), 8.0);
    game.releaseMouse(kSky, Qt::LeftButton);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    releaseRight(game);
}

void SkillsWiringTest::veilFadesInAndOut() {
    GameHarness game;
    QVERIFY(reachRun(game));
    QColor& veil = game->deadEye()->veilColor;
    QCOMPARE(veil.alpha(), 0);
    game.paint();
    QCOMPARE(veil.alpha(), 0);

    holdRight(game);
    game.tick();
    for (int paint = 1; paint <= 10; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 5 * paint);
    }
    QCOMPARE(veil.rgb(), qRgb(255, 205, 0));
    for (int paint = 0; paint < 5; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 50);
    }

    releaseRight(game);
    game.tick();
    for (int paint = 1; paint <= 10; ++paint) {
        game.paint();
        QCOMPARE(veil.alpha(), 50 - 5 * paint);
    }
    game.paint();
    QCOMPARE(veil.alpha(), 0);
}

void SkillsWiringTest::pauseEndsDeadEyeAndContinueKeepsItOff() {
    GameHarness game;
    QVERIFY(reachRun(game));
    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());

    game.pressKey(Qt::Key_Escape);
    game.tick();
    QCOMPARE(game->stage(), 3);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
    game.releaseKey(Qt::Key_Escape);
    // The held right button does nothing on the pause screen.
    game.tick(5);
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(showsPointer(game));

    releaseRight(game);
    game.clickButton(5);
    QCOMPARE(game->stage(), 2);
    QVERIFY(!game->deadEye()->isActive());
    game.tick(5);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
}

void SkillsWiringTest::firingCadenceAndStartPoint() {
    GameHarness game;
    QVERIFY(reachRun(game));
    BulletSystem* bullets = game->bulletSystem();
    QCOMPARE(bullets->bulletCount(), 5);

    // A left click alone fires nothing.
    const QPointF aim(300.0, 250.0);
    game.pressMouse(aim, Qt::LeftButton);
    game.tick(3);
    game.releaseMouse(aim, Qt::LeftButton);
    QVERIFY(bullets->bullets().isEmpty());

    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    const QPointF muzzle = game->gun()->center();
    QCOMPARE(muzzle, game->character()->position() + QPointF(-19, -9));
    game.pressMouse(aim, Qt::LeftButton);
    game.tick();
    QCOMPARE(bullets->bullets().size(), 1);
    QCOMPARE(bullets->bulletCount(), 4);
    const Bullet* first = bullets->bullets().first();
    QCOMPARE(first->target(), aim);
    const QPointF along = aim - muzzle;
    const QPointF direction = along / std::hypot(along.x(), along.y());
    QCOMPARE(first->direction(), direction);
    // Fired from the muzzle, then moved once at a tenth of 50 px.
    QCOMPARE(first->position(), muzzle + direction * 5.0);

    // Held buttons fire again only after five cool-down steps.
    game.tick(10);
    QCOMPARE(bullets->bullets().size(), 1);
    for (int step = 0; step < 4; ++step)
        bullets->updateShootCD();
    game.tick();
    QCOMPARE(bullets->bullets().size(), 1);
    bullets->updateShootCD();
    game.tick();
    QCOMPARE(bullets->bullets().size(), 2);
    QCOMPARE(bullets->bulletCount(), 3);
    game.tick(3);
    QCOMPARE(bullets->bullets().size(), 2);

    // Releasing the right button ends the slow motion: nothing more leaves.
    for (int step = 0; step < 5; ++step)
        bullets->updateShootCD();
    releaseRight(game);
    game.tick(3);
    QCOMPARE(bullets->bullets().size(), 2);
    game.releaseMouse(aim, Qt::LeftButton);
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
    QVERIFY(reachRun(game));
    Obstacle* target = spawn(game, bird);
    QVERIFY(target);
    QCOMPARE(game->scoreBoard()->score(), 0);

    holdRight(game);
    game.tick();
    const QPointF muzzle = game->gun()->center();
    // Left of the dinosaur, scrolling away from it, in the line of fire.
    QPointF aim;
    if (bird) {
        target->setPos(QPointF(400.0, muzzle.y() - 37.0));
        aim = QPointF(438.0, muzzle.y());
    } else {
        target->setPos(QPointF(400.0, target->pos().y()));
        aim = QPointF(425.0, target->pos().y() + 50.0);
    }
    game.pressMouse(aim, Qt::LeftButton);
    game.tick();
    QCOMPARE(game->bulletSystem()->bullets().size(), 1);
    QPointer<Bullet> bullet = game->bulletSystem()->bullets().first();
    game.releaseMouse(aim, Qt::LeftButton);

    for (int i = 0; i < 100 && target->active; ++i)
        game.tick();
    QVERIFY(!target->active);
    QVERIFY(target->exploding);
    QCOMPARE(game->scoreBoard()->score(), score);
    QCOMPARE(target->hitPos(), target->pos());
    QVERIFY(!bullet.isNull());
    QVERIFY(bullet->isHit());
    game.tick();
    QVERIFY(bullet.isNull());
    QVERIFY(game->bulletSystem()->bullets().isEmpty());
    QCOMPARE(game->character()->health(), 1.0);
    releaseRight(game);
}

void SkillsWiringTest::dashViaTheSkillKey() {
    GameHarness game;
    QVERIFY(reachRun(game));
    GameCharacter* dino = game->character();
    Rush* rush = game->rush();
    QCOMPARE(dino->position().x(), 576.0);
    QVERIFY(!dino->isInvincible());

    game.pressKey(Qt::Key_F);
    game.tick();
    QVERIFY(rush->isActive());
    QCOMPARE(game->environment()->speed(), 16.0);
    QVERIFY(dino->isInvincible());
    QVERIFY(dino->keepInvincible);
    QCOMPARE(dino->posture(), 2);
    // Aimed with the upright frame the dash started from: 960 - 87 / 2.
    QCOMPARE(dino->targetX, 916.5);
    QCOMPARE(rush->elapsed(), 0.1);
    // Held on: no second start (it would reset the cooldown).
    game.tick();
    QCOMPARE(rush->cooldownLeft(), 150.0 - 0.1 - 0.1);
    game.releaseKey(Qt::Key_F);

    game.tick(25);
    QCOMPARE(dino->position().x(), 916.5);
    QVERIFY(!dino->autoMove);
    QCOMPARE(game->environment()->speed(), 16.0);

    // Obstacles explode on the dashing dinosaur.
    Obstacle* cactus = spawn(game, false);
    QVERIFY(cactus);
    cactus->setPos(QPointF(dino->position().x() + 20.0, cactus->pos().y()));
    game.tick();
    QVERIFY(!cactus->active);
    QCOMPARE(game->scoreBoard()->score(), 10);
    QCOMPARE(dino->health(), 1.0);

    // The start tick made the first of 151 clock steps.
    game.tick(150 - 28);
    QVERIFY(rush->isActive());
    game.tick();
    QVERIFY(!rush->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
    QCOMPARE(dino->posture(), 1);
    QVERIFY(!dino->isInvincible());
    QVERIFY(!dino->keepInvincible);
    QVERIFY(dino->autoMove);
    QCOMPARE(dino->targetX, 576.0);

    game.tick(50);
    QCOMPARE(dino->position().x(), 576.0);
    QVERIFY(!dino->autoMove);
    QCOMPARE(game->environment()->speed(), 8.0);
}

void SkillsWiringTest::stoppingDeadEyeDuringADash() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressKey(Qt::Key_F);
    game.tick();
    game.releaseKey(Qt::Key_F);
    QCOMPARE(game->environment()->speed(), 16.0);

    holdRight(game);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 0.8);
    game.tick(3);
    QCOMPARE(game->environment()->speed(), 0.8);

    releaseRight(game);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->rush()->isActive());
    QCOMPARE(game->environment()->speed(), 16.0);
    game.tick(3);
    QCOMPARE(game->environment()->speed(), 16.0);
}

void SkillsWiringTest::dashStartedDuringDeadEye() {
    GameHarness game;
    QVERIFY(reachRun(game));
    holdRight(game);
    game.tick();
    QCOMPARE(game->environment()->speed(), 0.8);

    game.pressKey(Qt::Key_F);
    game.tick();
    game.releaseKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    QCOMPARE(game->environment()->speed(), 1.6);

    releaseRight(game);
    game.tick();
    QCOMPARE(game->environment()->speed(), 16.0);
}

void SkillsWiringTest::menuResetsTheSkills() {
    GameHarness game;
    QVERIFY(reachRun(game));
    DeadEye* deadEye = game->deadEye();
    BulletSystem* bullets = game->bulletSystem();
    // Level 1 numbers, applied on entering the menu.
    QCOMPARE(deadEye->maxEnergy, 20.0);
    QCOMPARE(deadEye->recovery, 0.2);
    QCOMPARE(bullets->capacity(), 5);
    QCOMPARE(bullets->damage(), 10.0);
    QVERIFY(game->statusBar()->isVisible());

    holdRight(game);
    game.tick();
    game.pressMouse(QPointF(300, 250), Qt::LeftButton);
    game.tick();
    QCOMPARE(bullets->bullets().size(), 1);
    game.pressKey(Qt::Key_F);
    game.tick();
    game.releaseKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    game.pressKey(Qt::Key_Escape);
    game.tick();
    game.releaseKey(Qt::Key_Escape);
    game.releaseMouse(QPointF(300, 250), Qt::LeftButton);
    releaseRight(game);
    QCOMPARE(game->stage(), 3);
    QVERIFY(bullets->isReloadPaused());

    deadEye->setEnergy(3.0);
    deadEye->maxEnergy = 99.0;
    deadEye->recovery = 7.0;
    deadEye->veilColor.setAlpha(35);
    bullets->setCapacity(9);
    bullets->setDamage(33.0);
    game->environment()->setSpeed(3.0);

    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QVERIFY(!deadEye->isActive());
    QCOMPARE(deadEye->maxEnergy, 20.0);
    QCOMPARE(deadEye->recovery, 0.2);
    QCOMPARE(deadEye->energy(), 20.0);
    QCOMPARE(deadEye->rechargeDelay(), 10);
    QCOMPARE(deadEye->veilColor, QColor(255, 205, 0, 0));
    QVERIFY(bullets->bullets().isEmpty());
    QCOMPARE(bullets->capacity(), 5);
    QCOMPARE(bullets->bulletCount(), 5);
    QCOMPARE(bullets->damage(), 10.0);
    QVERIFY(!bullets->isReloadPaused());
    QCOMPARE(bullets->screenRect(), game->rect());
    QVERIFY(!game->statusBar()->isVisible());
    QCOMPARE(game->statusBar()->screenRect(), game->rect());
    QVERIFY(!game->scoreBoard()->isVisible());
    QCOMPARE(game->environment()->speed(), 8.0);
    QVERIFY(showsPointer(game));
    QVERIFY(!game->rush()->isActive());
    QVERIFY(game->rush()->isReady());
    QCOMPARE(game->rush()->cooldownLeft(), 0.0);
}

void SkillsWiringTest::pauseStopsTheReload() {
    GameHarness game;
    QVERIFY(reachRun(game));
    BulletSystem* bullets = game->bulletSystem();
    holdRight(game);
    game.tick();
    game.pressMouse(QPointF(300, 250), Qt::LeftButton);
    game.tick();
    game.releaseMouse(QPointF(300, 250), Qt::LeftButton);
    releaseRight(game);
    game.tick();
    QCOMPARE(bullets->bulletCount(), 4);
    QVERIFY(!bullets->isReloadPaused());

    game.pressKey(Qt::Key_Escape);
    game.tick();
    game.releaseKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 3);
    QVERIFY(bullets->isReloadPaused());
    for (int step = 0; step < 12; ++step)
        bullets->loadOneBullet();
    QCOMPARE(bullets->bulletCount(), 4);
    QCOMPARE(bullets->reloadDelay(), 5);

    game.clickButton(5);
    QCOMPARE(game->stage(), 2);
    QVERIFY(!bullets->isReloadPaused());
    for (int step = 0; step < 5; ++step)
        bullets->loadOneBullet();
    QCOMPARE(bullets->bulletCount(), 4);
    bullets->loadOneBullet();
    QCOMPARE(bullets->bulletCount(), 5);
}

void SkillsWiringTest::statusPanelLaidOutOnRunningTicks() {
    GameHarness game(QSize(1920, 1080));
    QVERIFY(reachMenu(game));
    StatusBar* panel = game->statusBar();
    QVERIFY(!panel->isVisible());
    // The menu does not lay the panel out.
    game.tick();
    QCOMPARE(panel->panelRect(), QRect());

    QVERIFY(game.startRun());
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->panelRect(), QRect(48, 777, 624, 259));
    QCOMPARE(game->bulletSystem()->bar()->rect(), QRectF(230.4, 820.8, 288.0, 43.0));
    QCOMPARE(game->deadEye()->bar()->rect(), QRectF(230.4, 885.6, 288.0, 43.0));
    QCOMPARE(game->rush()->bar()->rect(), QRectF(230.4, 950.4, 288.0, 43.0));
    QCOMPARE(game->bulletSystem()->screenRect(), QRect(0, 0, 1920, 1080));

    panel->setPanelRect(QRect());
    game.tick();
    QCOMPARE(panel->panelRect(), QRect(48, 777, 624, 259));
}

QTEST_MAIN(SkillsWiringTest)
#include "tst_skillswiring.moc"
