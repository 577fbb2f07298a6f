#include "testsupport.h"

#include "crashbox.h"

// Whole stretches of play on the game's own clock, a repaint per frame, as
// the running program plays them.
namespace {
int bank() {
    return readFile(QStringLiteral("game_score.txt")).toInt();
}
} // namespace

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
        const int bankBefore = bank();
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
        QCOMPARE(bank(), bankBefore + score);

        // The win screen: a frozen run under the end picture fading in.
        const int fade = game->environment()->endColor().alpha();
        game.tick(30);
        QVERIFY(game->environment()->endColor().alpha() > fade);
        QVERIFY(game->scoreBoard()->score() == score && bank() == bankBefore + score);
        game.releaseMouse(boxCentre(), Qt::RightButton);
        QVERIFY(game.clickButton(ButtonId::Restart) && game.stage() == Stage::Menu);
        QVERIFY(!game->character()->keepInvincible && boss->state() == BossState::Waiting);
    }

    // Level 3: eight bullets instead of five, and a DeadEye that lasts 36 energy
    // steps instead of 20.
    void upgradedRunHasLongerDeadEyeAndLargerMagazine() {
        GameDriver game({{"data_0", "1"}, {"data_1", "3"}});
        QVERIFY(game.reach(Stage::Run));
        BulletSystem* bullets = game->bulletSystem();
        QCOMPARE(bullets->bulletCount(), 8);
        const QPointF sky(1500, 60); // away from every button
        game.pressMouse(sky, Qt::RightButton);
        game.tick();
        DeadEye* deadEye = game->deadEye();
        QVERIFY(deadEye->isActive());
        // Only an energy step takes energy, and an active one always does.
        int energySteps = 0;
        double energy = deadEye->energy();
        bool active = true;
        game.setUpkeep([&] {
            energySteps += active && deadEye->energy() < energy;
            energy = deadEye->energy();
            active = deadEye->isActive();
        });

        // One shot per click once the previous cool-down is over; the eighth
        // empties the magazine (the first reload is at least 100 frames away).
        int shots = 0;
        for (; shots < 20 && bullets->bulletCount() > 0; ++shots) {
            const int before = bullets->bulletCount();
            game.click(sky);
            QCOMPARE(bullets->bulletCount(), before - 1);
            game.tick(before > 1 ? 12 : 0);
        }
        QCOMPARE(shots, 8);
        for (int i = 0; i < 1000 && active; ++i)
            game.tick();
        QVERIFY(energySteps == 36 && game.stage() == Stage::Run);
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
