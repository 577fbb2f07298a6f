#include "testsupport.h"

#include <QFocusEvent>

// The handlers only record what is held; the frame acts on it.
namespace {
const QPointF kSky(1200, 200);
const int kKeys[] = {Qt::Key_W, Qt::Key_S, Qt::Key_A, Qt::Key_D, Qt::Key_Escape, Qt::Key_F};

// Key and mouse-button flags held; Space shares W's.
int heldCount(const Widget* widget) {
    int held =
        widget->isMouseButtonHeld(Qt::LeftButton) + widget->isMouseButtonHeld(Qt::RightButton);
    for (int key : kKeys)
        held += widget->isKeyHeld(key);
    return held;
}
} // namespace

class InputTest : public QObject {
    Q_OBJECT
private slots:
    void inputActsOnTheNextFrame() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        const QPointF start = game->button(ButtonId::Start)->rect().center();
        // A middle press only moves mousePos; the menu wants the left button held.
        game.pressMouse(start, Qt::MiddleButton);
        QVERIFY(game->mousePos() == start && heldCount(game.widget()) == 0);
        game.tick(2);
        QCOMPARE(game.stage(), Stage::Menu);
        game.releaseMouse(kSky, Qt::MiddleButton);

        QVERIFY(game.startRun());
        GameCharacter* dino = game->character();
        const double x = dino->position().x();
        game.pressKey(Qt::Key_A);
        game.pressKey(Qt::Key_D);
        game.tick();
        QCOMPARE(dino->position().x(), x);
        game.releaseKey(Qt::Key_D);
        game.tick();
        QCOMPARE(dino->position().x(), x - 6.0);
        // W and Space share a flag: once a frame saw the press, either release clears it.
        game.pressKey(Qt::Key_W);
        game.pressKey(Qt::Key_Space);
        game.tick();
        QVERIFY(dino->isAirborne());
        game.releaseKey(Qt::Key_Space);
        QVERIFY(!game->isKeyHeld(Qt::Key_W));

        // Escape still held when the run continues pauses it again.
        const QPointF pauseSpot = game->button(ButtonId::Pause)->rect().center();
        game.pressKey(Qt::Key_Escape);
        game.tick();
        QVERIFY(game.clickButton(ButtonId::Continue) && game.stage() == Stage::Run);
        game.tick();
        QCOMPARE(game.stage(), Stage::Pause);
        game.releaseKey(Qt::Key_Escape);
        // The pause button needs no held button: a lone release on it pauses.
        game.clickButton(ButtonId::Continue);
        game.releaseMouse(pauseSpot);
        QVERIFY(game->mousePos() == pauseSpot && game.stage() == Stage::Run);
        game.tick();
        QVERIFY(game.stage() == Stage::Pause && game->mousePos() == QPointF(-100, -100));
    }

    void focusLoss_data() {
        QTest::addColumn<int>("stage");
        QTest::newRow("run") << Stage::Run;
        QTest::newRow("menu") << Stage::Menu;
        QTest::newRow("pause") << Stage::Pause;
        QTest::newRow("game over") << Stage::GameOver;
    }

    // Releases in another window never arrive: focus loss clears every flag and pauses a run.
    void focusLoss() {
        QFETCH(int, stage);
        const bool run = stage == Stage::Run;
        GameDriver game;
        QVERIFY(game.reach(stage));
        game.pressMouse(kSky, Qt::RightButton);
        game.tick();
        QCOMPARE(game->deadEye()->isActive(), run);
        for (int key : kKeys)
            game.pressKey(key);
        game.pressMouse(kSky);
        game.tick(run ? 0 : 5); // off the run, held keys change nothing
        QCOMPARE(heldCount(game.widget()), 8);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(game.widget(), &focusOut);
        QCOMPARE(heldCount(game.widget()), 0);
        game.tick();
        QVERIFY(game.stage() == (run ? Stage::Pause : stage) &&
                game->isPaused() == (stage != Stage::Menu));
        QVERIFY(!run || (!game->deadEye()->isActive() && game.clickButton(ButtonId::Continue)));
        game.tick(3);
        QCOMPARE(std::tuple(game.stage(), game->character()->vx(), game->deadEye()->isActive(),
                            game->rush()->isActive(), run && game->character()->isAirborne()),
                 std::tuple(run ? Stage::Run : stage, 0.0, false, false, false));
    }

    // A tap's press and release may both fall between frames: the press counts for the next.
    void tapBetweenFrames() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        const auto tap = [&game](QPointF at, Qt::MouseButton button) {
            game.pressMouse(at, button);
            game.releaseMouse(at, button);
            game.step();
        };
        tap(game->button(ButtonId::Start)->rect().center(), Qt::LeftButton);
        QVERIFY(game.stage() == Stage::Run && heldCount(game.widget()) == 0);
        tap(kSky, Qt::RightButton);
        QVERIFY(game->deadEye()->isActive());
        game.step();
        QVERIFY(!game->deadEye()->isActive());
        game.pressKey(Qt::Key_Escape);
        game.releaseKey(Qt::Key_Escape);
        game.step();
        QVERIFY(game.stage() == Stage::Pause && heldCount(game.widget()) == 0);
    }
};

QTEST_MAIN(InputTest)
#include "tst_input.moc"
