#include "testsupport.h"

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
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
