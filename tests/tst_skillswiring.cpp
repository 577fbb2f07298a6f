#include "testsupport.h"

#include "statusbar.h"

// DeadEye, gun, bullets and dash as the window drives them; only the frame slot runs.
namespace {
const QPointF kSky(1200.0, 200.0); // no button there
// Between pixels, as a high-resolution pointer reports it; the gun aims at (300, 250).
const QPointF kAim(300.7, 250.6);

bool shows(GameDriver& game, bool aim) {
    const QCursor& expected = aim ? game->cursors().aimCursor : game->cursors().pointCursor;
    return game->cursor().pixmap().cacheKey() == expected.pixmap().cacheKey() &&
           game->cursor().hotSpot() == expected.hotSpot();
}

double speed(GameDriver& game) {
    return game->environment()->speed();
}

// Presses or releases the right button and lets the frames run; the world's speed after them.
double right(GameDriver& game, bool down, int count = 1) {
    down ? game.pressMouse(kSky, Qt::RightButton) : game.releaseMouse(kSky, Qt::RightButton);
    sceneOnly(game, count);
    return speed(game);
}

// The veil after each of `count` steps, each painted twice.
QList<int> veilOverSteps(GameDriver& game, int count) {
    QList<int> alphas;
    while (alphas.size() < count) {
        sceneOnly(game);
        game.paint();
        game.paint();
        alphas << game->deadEye()->veilColor.alpha();
    }
    return alphas;
}
} // namespace

class SkillsWiringTest : public QObject {
    Q_OBJECT
private slots:
    void deadEyeThresholdsCursorAndVeil() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        DeadEye* deadEye = game->deadEye();
        // Exactly 1.0: DeadEye refuses, but the world slows for that frame only.
        deadEye->setEnergy(1.0);
        QVERIFY(right(game, true) == 0.8 && !deadEye->isActive());
        QCOMPARE(right(game, false), 8.0);

        // 1.5 starts, a drain step leaves 0.5, and the next frame stops it.
        deadEye->setEnergy(1.5);
        right(game, true);
        deadEye->updateEnergy();
        QVERIFY(deadEye->isActive());
        sceneOnly(game);
        QVERIFY(!deadEye->isActive());
        right(game, false);

        // The cursor is chosen before the switch: the crosshair comes one frame later.
        deadEye->setEnergy(2.0);
        right(game, true);
        QVERIFY(deadEye->isActive() && shows(game, false));
        sceneOnly(game);
        QVERIFY(shows(game, true));
        // The veil fades in by 5 a step up to 50, and out again; painting moves it not.
        QCOMPARE(game->deadEye()->veilColor.alpha(), 10);
        QCOMPARE(veilOverSteps(game, 9), QList<int>({15, 20, 25, 30, 35, 40, 45, 50, 50}));
        // 1.0 left is not below 1.0: it goes on until it runs dry inside the energy step.
        deadEye->updateEnergy();
        sceneOnly(game, 3);
        QVERIFY(deadEye->isActive() && speed(game) == 0.8);
        deadEye->updateEnergy();
        QVERIFY(!deadEye->isActive());
        sceneOnly(game);
        QVERIFY(speed(game) == 8.0 && shows(game, false));
        QCOMPARE(veilOverSteps(game, 10), QList<int>({40, 35, 30, 25, 20, 15, 10, 5, 0, 0}));
    }

    void firingPauseAndHome() {
        GameDriver game;
        StatusBar* panel = game->statusBar();
        QVERIFY(game.reach(Stage::Run) && panel->isVisible());
        BulletSystem* bullets = game->bulletSystem();
        // Left held first: no slow motion, and so no shot, until it is up again.
        game.pressMouse(kAim);
        right(game, true, 3);
        QVERIFY(!game->deadEye()->isActive() && bullets->bullets().isEmpty());
        game.releaseMouse(kAim);
        sceneOnly(game);
        QVERIFY(game->deadEye()->isActive());
        game.pressMouse(kAim);
        sceneOnly(game);
        QCOMPARE(bullets->bullets().size(), 1);
        QCOMPARE(bullets->bullets().first()->target(), QPointF(300, 250));
        // Held on, it fires again once cooled down; without the slow motion, no more.
        const auto coolDown = [&](int until) {
            for (int i = 0; i < 10 && bullets->bullets().size() < until; ++i) {
                bullets->updateShootCD();
                sceneOnly(game);
            }
            return int(bullets->bullets().size());
        };
        QCOMPARE(coolDown(2), 2);
        right(game, false);
        QCOMPARE(coolDown(3), 2);
        game.releaseMouse(kAim);

        game.tapKey(Qt::Key_Escape);
        QVERIFY(game.clickButton(ButtonId::Home) && game.stage() == Stage::Menu);
        QVERIFY(bullets->bullets().isEmpty() && bullets->bulletCount() == 5 && !panel->isVisible());
    }

    void bulletDestroysObstacle_data() {
        QTest::addColumn<bool>("bird");
        QTest::addColumn<int>("score");
        QTest::newRow("cactus") << false << 10;
        QTest::newRow("bird") << true << 20;
    }

    void bulletDestroysObstacle() {
        QFETCH(bool, bird);
        QFETCH(int, score);
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        freshObstacles(game.widget());
        Obstacle* target = (bird ? game->birdList() : game->cactusList()).last();
        right(game, true);
        // Left of the dinosaur, scrolling away from it, in the line of fire.
        const QPointF muzzle = game->gun()->center();
        target->setPos(QPointF(400.0, bird ? muzzle.y() - 37.0 : target->pos().y()));
        const QPointF aim = bird ? QPointF(438.0, muzzle.y()) : target->pos() + QPointF(25.0, 50.0);
        game.click(aim);
        QCOMPARE(game->bulletSystem()->bullets().size(), 1);
        const QPointer<Bullet> bullet = game->bulletSystem()->bullets().first();
        game->scoreBoard()->setScore(0);
        for (int i = 0; i < 100 && target->active; ++i)
            sceneOnly(game);
        QVERIFY(target->exploding && bullet && bullet->isHit());
        QCOMPARE(game->scoreBoard()->score(), score);
    }

    // The dash doubles whatever speed the world has, DeadEye's too.
    void dashUnderDeadEye() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        Rush* rush = game->rush();
        right(game, true);
        game.tapKey(Qt::Key_F);
        QVERIFY(rush->isActive() && game->character()->isInvincible() && speed(game) == 1.6);
        QCOMPARE(right(game, false), 16.0);
        QCOMPARE(right(game, true), 0.8);
        QVERIFY(right(game, false, 3) == 16.0 && !game->deadEye()->isActive() && rush->isActive());
    }

    void slowMotionEndsWithTheRun_data() {
        QTest::addColumn<int>("stageAfter");
        QTest::newRow("death") << Stage::GameOver;
        QTest::newRow("win") << Stage::Win;
    }

    // The right button is still held when the run ends: the new screen keeps no slow motion.
    void slowMotionEndsWithTheRun() {
        QFETCH(int, stageAfter);
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        right(game, true);
        QCOMPARE(veilOverSteps(game, 9).last(), 50);
        if (stageAfter == Stage::Win)
            emit game->monsterSystem()->gameWin();
        else
            game->character()->setHealth(0.0);
        game.step(2);
        QVERIFY(game.stage() == stageAfter && !game->deadEye()->isActive() && speed(game) == 8.0);
        QVERIFY(shows(game, false) && veilOverSteps(game, 1).first() == 0);
    }
};

QTEST_MAIN(SkillsWiringTest)
#include "tst_skillswiring.moc"
