#include "testsupport.h"

#include "diskaudio.h"
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
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        hearThrough(m_output.filePath("output.raw"));
    }
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
    // Each effect is heard as its own clip (explosions take their variants in
    // turn) at the effects' gain.
    void everySoundIsHeard() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        game->sounds()->setMusic(Music::None);
        Ear ear(m_output.filePath("output.raw"));
        ear.listen(2.0); // the music and any effect on the way there fade out
        for (int i = 0; i < SoundBoard::kSfxCount; ++i) {
            const QStringList files = SoundBoard::files(Sfx(i));
            const int turned = game->sounds()->played().count(Sfx(i)); // by obstacles on the way
            for (int k = turned; k < turned + files.size(); ++k) {
                const Samples clip = clipSamples(files[k % files.size()]);
                game->sounds()->play(Sfx(i));
                const double gain = gainOf(ear.listen(0.4 + clip.size() / 22050.0), clip);
                QVERIFY2(qAbs(gain - game->sounds()->effectsGain()) < 1e-3,
                         qPrintable(files[k % files.size()]));
            }
        }
    }
    // The music's level ramps to its new value with no step a click is made of.
    // It is mixed on SDL's audio thread: a GUI thread held for 200 ms leaves no gap.
    void musicLevelRamps_data() {
        QTest::addColumn<int>("key");      // 0: the right button's slow motion; -1: the GUI held
        QTest::addColumn<double>("share"); // of the level before
        QTest::newRow("slow motion") << 0 << 0.4;
        QTest::newRow("stalled GUI") << -1 << 1.0;
        QTest::newRow("pause") << int(Qt::Key_Escape) << 0.0;
        QTest::newRow("mute") << int(Qt::Key_M) << 0.0;
    }
    void musicLevelRamps() {
        QFETCH(int, key);
        QFETCH(double, share);
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        game->sounds()->setEffectsPercent(0); // the music alone
        Ear ear(m_output.filePath("output.raw"));
        ear.listen(0.3); // its fade-in
        Samples heard = ear.listen(0.2);
        const float before = float(game->sounds()->musicVolume());
        if (!key)
            game.pressMouse(kSky, Qt::RightButton);
        key > 0 ? game.tapKey(key) : key ? GameDriver::stall(200) : game.tick();
        heard += ear.listen(0.6);
        const Samples track = clipSamples(SoundBoard::file(Music::Main));
        const TrackPlace place = placeInTrack(heard, track, before);
        // A level change of 0.25 (the music's full level) takes at least 10 ms.
        const double maxStep = 0.25 / (0.01 * SoundOutput::kSampleRate);
        double gain = before;
        qsizetype at = 0;
        for (qsizetype i = 0; i < heard.size(); ++i) {
            const float music = track[(place.at + i) % track.size()];
            if (std::abs(music) < 0.05f)
                continue;
            const double now = heard[i] / music;
            QVERIFY2(qAbs(now - gain) <= maxStep * (i - at) + 1e-4, qPrintable(QString::number(i)));
            gain = now;
            at = i;
        }
        QVERIFY(qAbs(gain - before * share) < 1e-4);
    }
    // Starting muted (--mute) is silent and leaves the remembered choice alone.
    void muteOptionIsSilent() {
        GameDriver game;
        game->sounds()->setMuted(true, SoundBoard::Persist::ThisRunOnly);
        QVERIFY(game.reach(Stage::Menu));
        Ear ear(m_output.filePath("output.raw"));
        const Samples heard = ear.listen(0.5);
        QVERIFY(!heard.isEmpty() && heard.count(0.0f) == heard.size());
        QVERIFY(!QSettings("Brimtalon", "Brimtalon").contains("sound/muted"));
    }
    // The boss fight with every voice busy and the music on never reaches -1 dBFS.
    void bossFightNeverClips() {
        GameDriver game;
        QVERIFY(reachFight(game));
        Ear ear(m_output.filePath("output.raw"));
        float peak = 0;
        for (int frame = 0; frame < 30; ++frame) {
            game.tick();
            for (Sfx sfx : {Sfx::Explosion, Sfx::SaucerHit, Sfx::Hit, Sfx::Shot, Sfx::Ring,
                            Sfx::Fan, Sfx::Rain, Sfx::HeadLaunch, Sfx::Death})
                game->sounds()->play(sfx);
            for (float sample : ear.listen(0.05))
                peak = std::max(peak, std::abs(sample));
        }
        QVERIFY2(peak > 0.5f && peak <= std::pow(10.0, -1.0 / 20),
                 qPrintable(QString::number(peak)));
    }

private:
    QTemporaryDir m_output;
};

QTEST_MAIN(SoundWiringTest)
#include "tst_soundwiring.moc"
