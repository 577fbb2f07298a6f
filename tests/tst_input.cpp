#include "testsupport.h"

#include "focusframe.h"
#include "gameclock.h"
#include "gameoptions.h"
#include "gametext.h"
#include "optionsscreen.h"
#include "palette.h"

#include <QFocusEvent>
#include <QSettings>

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

    // Arrows and Tab move the focus, Return presses, Esc backs; the mouse hides the frame.
    void keyboardAlone() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        const auto focused = [&game] { return game->focusedButton()->id; };
        QVERIFY(focused() == ButtonId::Start && !game->isFocusShown());
        game.tapKey(Qt::Key_Down); // only shows the frame
        QVERIFY(focused() == ButtonId::Start && game->isFocusShown());
        const QRectF frame = focusFrameRect(game->focusedButton()->rect());
        QCOMPARE(game.paint().pixelColor(frame.topLeft().toPoint()), kInkColor);
        for (int key : {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Left})
            game.tapKey(key);
        QCOMPARE(focused(), ButtonId::Teach);
        game.tapKey(Qt::Key_Return);
        QCOMPARE(game.stage(), Stage::Tutorial);
        game.tapKey(Qt::Key_Return); // its start button leads to the menu
        QVERIFY(game.stage() == Stage::Menu && focused() == ButtonId::Start);
        game.tapKey(Qt::Key_Down);
        game.tapKey(Qt::Key_Down);
        game.tapKey(Qt::Key_Return);
        QCOMPARE(game.stage(), Stage::Upgrade);
        game.tapKey(Qt::Key_Escape);
        QCOMPARE(game.stage(), Stage::Menu);
        game.tapKey(Qt::Key_Space);
        game.tick(60);
        QCOMPARE(game.stage(), Stage::Run);
        game.tapKey(Qt::Key_Escape);
        QCOMPARE(game.stage(), Stage::Pause);
        game.tapKey(Qt::Key_Escape); // pauses, so it does not resume
        QVERIFY(game.stage() == Stage::Pause && focused() == ButtonId::Continue);
        game.tapKey(Qt::Key_Return);
        QCOMPARE(game.stage(), Stage::Run);
        game.tapKey(Qt::Key_Escape);
        game.tapKey(Qt::Key_Right); // the options, beyond the pause screen's own buttons
        QCOMPARE(focused(), ButtonId::Options);
        game.tapKey(Qt::Key_Return);
        QCOMPARE(game.stage(), Stage::Options);
        game.tapKey(Qt::Key_Escape);
        QVERIFY(game.stage() == Stage::Pause && game->isPaused());
        game.tapKey(Qt::Key_Left);
        game.tapKey(Qt::Key_Return);
        QCOMPARE(game.stage(), Stage::Menu);
        QVERIFY(game.clickButton(ButtonId::Options) && game.stage() == Stage::Options);
        for (int row = 0; row < OptionsScreen::GameSpeedRow; ++row)
            game.tapKey(Qt::Key_Down);
        game.tapKey(Qt::Key_Left); // 90 %: every step lasts 100 / 90 as long
        QVERIFY(qAbs(game->clock()->stepLength() - 2000.0 / 90) < 1e-3);
        game.tapKey(Qt::Key_Right);
        game.tapKey(Qt::Key_Escape);
        QCOMPARE(game.stage(), Stage::Menu);
        game.tapKey(Qt::Key_Return);
        game.tick(60);
        game->character()->die();
        game.tick(3);
        QVERIFY(game.stage() == Stage::GameOver && focused() == ButtonId::Restart);
        game.tapKey(Qt::Key_Return);
        QCOMPARE(game.stage(), Stage::Menu);
        QMouseEvent move(QEvent::MouseMove, kSky, game->mapToGlobal(kSky), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(game.widget(), &move);
        game.tick();
        QVERIFY(!game->isFocusShown() && game->mousePos() != kSky);
    }

    // Return or Space hurries the shown story text into its fade-out.
    void storyGoesOnByKeys() {
        GameDriver game(kFirstStart);
        QVERIFY(game.reach(Stage::Story));
        game.tick(3);
        const GameText* first = game->textList()->texts().first();
        game.tapKey(Qt::Key_Return);
        QVERIFY(first->isFadingOut() && first->color().alpha() == 250);
        game.tick(49);
        QVERIFY(!first->isEnded());
        game.tick();
        QVERIFY(first->isEnded() && game->textList()->index() == 0);
        for (int i = 0; i < 400 && game.stage() == Stage::Story; ++i)
            game.tapKey(Qt::Key_Space);
        QCOMPARE(game.stage(), Stage::Tutorial);
    }

    void slowMotionByKeys_data() {
        QTest::addColumn<bool>("toggled");
        QTest::newRow("hold") << false;
        QTest::newRow("toggle") << true;
    }

    // E holds (or toggles) the slow motion, the arrows aim, each Return fires once.
    void slowMotionByKeys() {
        QFETCH(bool, toggled);
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu) && game.startRun());
        game->options()->setSlowMotionToggled(toggled);
        const QPointF aim = game->aimPoint();
        game.pressKey(Qt::Key_E);
        game.tick();
        if (toggled)
            game.releaseKey(Qt::Key_E);
        game.pressKey(Qt::Key_Right);
        game.pressKey(Qt::Key_Up);
        game.tick(2);
        game.releaseKey(Qt::Key_Up);
        QVERIFY(game->deadEye()->isActive() && game->isAimedByKeys());
        QCOMPARE(game->aimPoint(), aim + QPointF(36, -36));
        BulletSystem* gun = game->bulletSystem();
        const int loaded = gun->bulletCount();
        game.pressKey(Qt::Key_Return);
        game.tick(20);
        QCOMPARE(gun->bulletCount(), loaded - 1);
        game.releaseKey(Qt::Key_Return);
        game.tick();
        game.tapKey(Qt::Key_Return);
        QCOMPARE(gun->bulletCount(), loaded - 2);
        game.tapKey(Qt::Key_E);
        game.tick();
        QCOMPARE(game->deadEye()->isActive(), false);
        game->options()->setSlowMotionToggled(false);
    }
};

QTEST_MAIN(InputTest)
#include "tst_input.moc"
