#include "testsupport.h"

#include "gameclock.h"
#include "ground.h"
#include "replaysession.h"
#include "virtualpad.h"

#include <QScopeGuard>

namespace {
const QPointF kSky(1500, 150);

// Scripted help, the same in the run and its replay: no death, a saucer called in
// by the score and beaten as soon as it can be hit.
void helpToWin(Widget* w) {
    if (w->stage() != Stage::Run)
        return;
    w->character()->setHealth(1.0);
    w->scoreBoard()->setScore(std::max(w->scoreBoard()->score(), 20));
    if (Monster* saucer = w->monsterSystem()->monster(); saucer && !saucer->isEntering())
        saucer->setHealth(0);
}

// Plays until a run has finished; the banked score, or -1.
int playToFinish(GameDriver& game) {
    int banked = -1;
    QObject::connect(game.widget(), &Widget::runFinished, [&banked](int score) { banked = score; });
    for (int i = 0; i < 20000 && banked < 0; ++i)
        game.tick();
    return banked;
}

// Where a frame at `fraction` draws the obstacle, and the first ground segment's start.
QList<QPointF> drawnAt(GameDriver& game, double fraction, const Obstacle* obstacle) {
    RecordingPaintDevice device(game->size());
    game->setDrawFraction(fraction);
    game->render(&device);
    game->setDrawFraction(1.0);
    QList<QPointF> places{device.callsOf(PaintCall::Line).value(0).line.p1()};
    for (const PaintCall& call : device.callsOf(PaintCall::Pixmap)) {
        if (call.pixmapSize == obstacle->frame.size())
            places << call.rect.topLeft();
    }
    return places;
}

QString outcome(GameDriver& game, int banked) {
    return QString("%1 %2 %3 %4")
        .arg(banked)
        .arg(QString(readFile(game.directory() + "/game_score.txt")))
        .arg(game.stage())
        .arg(game->character()->position().x());
}
} // namespace

class ClockTest : public QObject {
    Q_OBJECT
private slots:
    // A 30 ms timer in 20 ms steps fires whenever a multiple of 30 ms is passed;
    // starting again begins a new phase, stopping silences it.
    void stepTimerPhase() {
        StepTimer timer;
        timer.start(30);
        QSignalSpy fired(&timer, &StepTimer::timeout);
        QList<int> steps;
        for (int step = 1; step <= 6; ++step) {
            const qsizetype before = fired.count();
            timer.advance(GameClock::kStepMs);
            if (fired.count() > before)
                steps << step;
        }
        QCOMPARE(steps, QList<int>({2, 3, 5, 6}));
        timer.advance(10);
        timer.start();
        timer.advance(20);
        timer.stop();
        timer.advance(20);
        QVERIFY(fired.count() == 4 && !timer.isActive());
    }

    // Wall time decides how many steps are due: five at most, the rest is let go.
    void catchUpLimit() {
        GameClock clock;
        constexpr qint64 ms = 1000000;
        QList<int> run;
        for (qint64 wall : {19 * ms, 20 * ms, 59 * ms, 200 * ms, 210 * ms, 221 * ms})
            run << clock.catchUp(wall);
        QVERIFY(run == QList<int>({0, 1, 1, 5, 0, 1}) && clock.steps() == 8);
        QCOMPARE(clock.fraction(230 * ms), 0.5);
        // A slower game stretches each step of wall time.
        clock.setStepLength(40.0);
        QVERIFY(clock.catchUp(259 * ms) == 0 && clock.catchUp(260 * ms) == 1);
    }

    // A frame between two steps draws what moves part of the way along; a newcomer
    // and a thing moved by a jump are drawn where they now are.
    void interpolation() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Run));
        freshObstacles(game.widget());
        Obstacle* cactus = game->cactusList().last();
        QCOMPARE(drawnAt(game, 0.0, cactus).value(1), cactus->pos());
        game.step();
        const QPointF ground = game->environment()->grounds().first()->p1();
        const QPointF at = cactus->pos();
        const QPointF step(8.0, 0.0);
        for (double fraction : {0.0, 0.5, 1.0}) {
            const QPointF back = step * (1.0 - fraction);
            QCOMPARE(drawnAt(game, fraction, cactus), (QList{ground + back, at + back}));
        }
        cactus->setPos(at - QPointF(Motion::kJumpDistance + 1.0, 0.0));
        QCOMPARE(drawnAt(game, 0.0, cactus).value(1), cactus->pos());
    }

    void roundTrip_data() {
        QTest::addColumn<bool>("win");
        QTest::addColumn<bool>("pad");
        QTest::newRow("death") << false << false;
        QTest::newRow("win") << true << false;
        QTest::newRow("death, keys and a pad") << false << true;
    }

    // A session recorded through its input, played again from its file: the same
    // run, score, bank and screen; the best run is kept apart.
    void roundTrip() {
        QFETCH(bool, win);
        QFETCH(bool, pad);
        GameDriver game(SavedFiles{{"data_0", "1"}, {"game_score.txt", "7"}});
        game->recordReplays();
        if (win)
            game.setUpkeep([&game] { helpToWin(game.widget()); });
        QVERIFY(game.reach(Stage::Menu));
        const int device = pad ? attachPad() : -1;
        const auto unplug = qScopeGuard([device] { SDL_JoystickDetachVirtual(device); });
        if (pad) {
            // A starts the run; the trigger slows, the shoulder fires up the right stick.
            if (device < 0)
                QSKIP("SDL's game controller support cannot start here");
            game.tick(); // the game opens the pad
            tap(game, device, kA);
            game.tick(60);
            const int loaded = game->bulletSystem()->bulletCount();
            SDL_JoystickSetVirtualAxis(joystick(device), SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
            SDL_JoystickSetVirtualAxis(joystick(device), SDL_CONTROLLER_AXIS_RIGHTY, -32767);
            game.tick(5);
            tap(game, device, PadTap{SDL_CONTROLLER_BUTTON_RIGHTSHOULDER});
            SDL_JoystickSetVirtualAxis(joystick(device), SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
            SDL_JoystickSetVirtualAxis(joystick(device), SDL_CONTROLLER_AXIS_RIGHTY, 0);
            QCOMPARE(game->bulletSystem()->bulletCount(), loaded - 1);
            tap(game, device, kStickLeft);
        }
        QVERIFY(pad || game.startRun());
        QCOMPARE(game.stage(), Stage::Run);
        game.pressKey(Qt::Key_D);
        game.tick(30);
        game.releaseKey(Qt::Key_D);
        game.tapKey(Qt::Key_W);
        game.pressMouse(kSky, Qt::RightButton);
        game.click(kSky);
        game.releaseMouse(kSky, Qt::RightButton);
        const int banked = playToFinish(game);
        QVERIFY(banked >= 0 && game.stage() == (win ? Stage::Win : Stage::GameOver));
        QString error;
        const std::optional<Replay> replay =
            Replay::load(game.directory() + "/last.replay", &error);
        QVERIFY2(replay && replay->score == banked, qPrintable(error));
        QCOMPARE(readFile(game.directory() + "/best.replay"), replay->toBytes());

        GameDriver again(*replay);
        if (win)
            again.setUpkeep([&again] { helpToWin(again.widget()); });
        // The scripted help needs the driver's upkeep; otherwise the path --verify takes.
        const int replayed =
            win ? playToFinish(again) : ReplaySession::playToEnd(*again.widget(), *replay);
        QCOMPARE(outcome(again, replayed), outcome(game, banked));
    }

    // Bad files are refused with a reason, never read past their end.
    void badReplaysRefused() {
        GameDriver game;
        game->recordReplays();
        QVERIFY(game.reach(Stage::GameOver));
        const QByteArray good = readFile(game.directory() + "/last.replay");
        QString error;
        const std::optional<Replay> replay = Replay::fromBytes(good, &error);
        QByteArray otherVersion = good;
        otherVersion[good.indexOf(replay->version.toUtf8())] = '9';
        // A claim of four billion run seeds, where the header names their count.
        QByteArray manySeeds = good;
        manySeeds.replace(51 + replay->version.size() + replay->language.size(), 4,
                          "\xff\xff\xff\xff");
        QRandomGenerator noise(7);
        QByteArray randomBytes(4096, Qt::Uninitialized);
        noise.fillRange(reinterpret_cast<quint32*>(randomBytes.data()), 1024);
        QStringList reasons;
        for (const QByteArray& bytes :
             {QByteArray(), good.left(good.size() / 2), otherVersion, randomBytes,
              "BRIMTALON-REPLAY" + randomBytes, manySeeds, good + "x"}) {
            QVERIFY(!Replay::fromBytes(bytes, &error));
            reasons << error;
        }
        QCOMPARE(reasons.join(", "),
                 "empty file, cut short, recorded by another version of the game, "
                 "not a replay, a replay of another format, cut short, trailing bytes");
        QVERIFY(Replay::fromBytes(good, &error));
    }
};

QTEST_MAIN(ClockTest)
#include "tst_clock.moc"
