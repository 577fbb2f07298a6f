#include "testsupport.h"

#include "soundboard.h"

#include <QSettings>
#include <QStandardPaths>

using Sfx = SoundBoard::Sfx;
using Music = SoundBoard::Music;

namespace {
const QPointF kSky(1200, 200);

int played(GameDriver& game, Sfx sfx) {
    return game->sounds()->played().count(sfx);
}

// Painted frames (the saucer's approach counts them) until `done`, at most `limit`.
template <typename Condition> bool tickUntil(GameDriver& game, Condition done, int limit = 2000) {
    for (int i = 0; i < limit && !done(); ++i)
        game.tick();
    return done();
}

// Obstacles keep spawning while a test plays: they explode on the dinosaur.
void keepAlive(GameDriver& game) {
    game->character()->setInvincible(true);
    game->character()->keepInvincible = true;
}

bool reachFight(GameDriver& game) {
    if (!game.reach(Stage::Run))
        return false;
    keepAlive(game);
    while (game->scoreBoard()->score() < 20)
        game->updateScores();
    MonsterSystem* boss = game->monsterSystem();
    return tickUntil(
        game,
        [boss] { return boss->state() == BossState::Fighting && !boss->monster()->isEntering(); },
        3000);
}
} // namespace

class SoundWiringTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Brimtalon"), QStringLiteral("Brimtalon")).clear(); }
    // Each event once, however long its key is held.
    void runEvents() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        game.clickButton(ButtonId::Start);
        QCOMPARE(played(game, Sfx::Button), 1);
        QVERIFY(tickUntil(game, [&] { return !game->character()->isAirborne(); }));
        keepAlive(game);
        game->sounds()->clearRecord();
        game.pressKey(Qt::Key_W);
        game.tick(10);
        QCOMPARE(played(game, Sfx::Jump), 1);
        game.releaseKey(Qt::Key_W);
        game.pressKey(Qt::Key_S);
        game.tick(30);
        game.releaseKey(Qt::Key_S);
        QCOMPARE(played(game, Sfx::FastDrop), 1);
        QCOMPARE(played(game, Sfx::Land), 1);
        game.pressKey(Qt::Key_F);
        game.tick(5);
        game.releaseKey(Qt::Key_F);
        QCOMPARE(played(game, Sfx::Dash), 1);

        // The dash is invincible: a cactus it runs into explodes.
        freshObstacles(game.widget());
        Obstacle* cactus = game->cactusList().value(0);
        QVERIFY(cactus && cactus->active && game->rush()->isActive());
        const int explosions = played(game, Sfx::Explosion);
        cactus->setPos(game->character()->position());
        QVERIFY(tickUntil(
            game, [cactus] { return cactus->exploding; }, 5));
        QCOMPARE(played(game, Sfx::Explosion), explosions + 1);
        QCOMPARE(played(game, Sfx::Hit), 0);

        QVERIFY(tickUntil(game, [&] { return !game->rush()->isActive(); }));
        game->character()->setHealth(0.0);
        game.tick();
        QCOMPARE(game->stage(), int(Stage::GameOver));
        QCOMPARE(played(game, Sfx::Death), 1);
    }
    void shootingAndSlowMotion() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        keepAlive(game);
        game->sounds()->clearRecord();
        game.pressMouse(kSky, Qt::RightButton);
        game.tick();
        QCOMPARE(played(game, Sfx::SlowOn), 1);
        QCOMPARE(game->sounds()->musicVolume() < 0.3, true);
        // Held, the left button empties the magazine, then clicks once on it empty.
        const int magazine = game->bulletSystem()->bulletCount();
        game.pressMouse(kSky);
        game.tick();
        QCOMPARE(played(game, Sfx::Shot), 1);
        QVERIFY(tickUntil(
            game, [&] { return game->bulletSystem()->bulletCount() == 0; }, 200));
        game.tick(10);
        QCOMPARE(played(game, Sfx::Shot), magazine);
        QCOMPARE(played(game, Sfx::DryClick), 1);
        game.releaseMouse(kSky);
        game.releaseMouse(kSky, Qt::RightButton);
        game.tick();
        QCOMPARE(played(game, Sfx::SlowOff), 1);
    }
    void bossFight() {
        GameDriver game;
        QVERIFY(reachFight(game));
        QCOMPARE(played(game, Sfx::SaucerApproach), 1);
        QCOMPARE(game->sounds()->music(), Music::Boss);
        Monster* monster = game->monsterSystem()->monster();
        const QPointF target = monster->crashBox()->rects().first().center();
        game.pressMouse(target, Qt::RightButton);
        game.tick();
        game.pressMouse(target);
        QVERIFY(tickUntil(
            game, [&] { return played(game, Sfx::SaucerHit) > 0; }, 200));
        QCOMPARE(played(game, Sfx::HeadLaunch), played(game, Sfx::SaucerHit));
        game.releaseMouse(target);
        game.releaseMouse(target, Qt::RightButton);
        emit game->monsterSystem()->gameWin();
        QCOMPARE(played(game, Sfx::Victory), 1);
        QCOMPARE(game->sounds()->music(), Music::Jingle);
    }
    void screensChooseTheMusic() {
        GameDriver game(
            {{QStringLiteral("data_0"), "1"}, {QStringLiteral("game_score.txt"), "1000"}});
        QVERIFY(game.reach(Stage::Upgrade));
        QCOMPARE(game->sounds()->music(), Music::Main);
        game.clickButton(ButtonId::Confirm);
        QCOMPARE(played(game, Sfx::Upgrade), 1);
        game.clickButton(ButtonId::Start);
        QVERIFY(game->sounds()->isMusicPlaying());
        game.clickButton(ButtonId::Pause);
        QVERIFY(!game->sounds()->isMusicPlaying());
        game.clickButton(ButtonId::Continue);
        QVERIFY(game->sounds()->isMusicPlaying());
        game->character()->setHealth(0.0);
        game.tick();
        QCOMPARE(game->sounds()->music(), Music::None);
    }
    void mKeyMutes() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        game.tapKey(Qt::Key_M);
        QVERIFY(game->sounds()->isMuted() && !game->sounds()->isMusicPlaying());
    }
};

QTEST_MAIN(SoundWiringTest)
#include "tst_soundwiring.moc"
