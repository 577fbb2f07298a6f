#include "testsupport.h"

#include "crashbox.h"

// Whole stretches of play on the game's own clock, a repaint per frame, as
// the running program plays them.
class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    // One point a second: the first cactus needs about 150 frames to arrive.
    void scoreCountsOnlyWhileRunning() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        game->scoreBoard()->setScore(0);
        game.tick(50);
        QCOMPARE(game->scoreBoard()->score(), 1);
        game.tapKey(Qt::Key_Escape);
        const int paused = game->scoreBoard()->score();
        game.tick(100);
        QVERIFY(game.stage() == Stage::Pause && game->scoreBoard()->score() == paused);
        QVERIFY(game.clickButton(ButtonId::Continue));
        game.tick(50);
        QCOMPARE(game->scoreBoard()->score(), paused + 1);
    }

    void bossBeatenDuringDeadEyeWinsTheRun() {
        GameDriver game;
        MonsterSystem* boss = game->monsterSystem();
        QVERIFY(game.reach(Stage::Run));
        // Cacti keep coming during the long fight: the dash's own invincibility
        // fields make them explode harmlessly instead of being jumped.
        game->character()->keepInvincible = true;
        game->character()->setInvincible(true);
        game->scoreBoard()->setScore(20);
        for (int i = 0; i < 700 && !(boss->monster() && !boss->monster()->isEntering()); ++i)
            game.tick();
        Monster* monster = boss->monster();
        QVERIFY(monster && boss->state() == BossState::Fighting);

        // To keep the fight short the saucer is left with three hits' worth of health.
        monster->setHealth(30);
        const auto boxCentre = [monster] { return monster->crashBox()->rects().first().center(); };
        game.pressMouse(boxCentre(), Qt::RightButton);
        game.tick();
        QList<int> healthSeen = {monster->health()};
        bool deadEyeAtWin = false;
        const int bankBefore = readFile("game_score.txt").toInt();
        for (int i = 0; i < 600 && game.stage() == Stage::Run; ++i) {
            if (i % 15 == 0 && monster->health() > 0)
                game.click(boxCentre());
            else
                game.tick();
            if (healthSeen.last() != monster->health())
                healthSeen.append(monster->health());
            deadEyeAtWin = game->deadEye()->isActive();
        }
        QVERIFY(game.stage() == Stage::Win && deadEyeAtWin);
        QCOMPARE(healthSeen, QList<int>({30, 20, 10, 0}));
        const int score = game->scoreBoard()->score();
        QVERIFY(score >= 20 + 3 * 40 + 5000);
        QCOMPARE(readFile("game_score.txt").toInt(), bankBefore + score);
        // The next run starts from scratch: no saucer, no leftover invincibility.
        game.releaseMouse(boxCentre(), Qt::RightButton);
        QVERIFY(game.reach(Stage::Menu) && !game->character()->keepInvincible);
        QCOMPARE(boss->state(), BossState::Waiting);
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
