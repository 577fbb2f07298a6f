#include "gameharness.h"
#include "gameids.h"

#include "deadeye.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "skill.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QTest>

// The handlers only record what is held; the frame tick acts on it. The mouse's
// DeadEye and firing rules are tested with the skills' wiring.
namespace {
const QPointF kAway(-100.0, -100.0);
const QPointF kPauseSpot(1869, 1017);
const QPointF kSky(1200, 200);
const int kKeys[] = {Qt::Key_W, Qt::Key_S, Qt::Key_A, Qt::Key_D, Qt::Key_Escape, Qt::Key_F};

// A mouse event exactly as given, without the test library's bookkeeping of held buttons.
void sendMouse(Widget* widget, QEvent::Type type, QPointF pos, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Key and mouse-button flags held; Space shares W's.
int heldCount(const Widget* widget) {
    int held = 0;
    for (int key : kKeys)
        held += widget->isKeyHeld(key);
    return held + widget->isMouseButtonHeld(Qt::LeftButton) +
           widget->isMouseButtonHeld(Qt::RightButton);
}
} // namespace

class InputTest : public QObject {
    Q_OBJECT
private slots:
    void inputActsOnTheNextTick();
    void focusLoss_data();
    void focusLoss();
    void tapBetweenTicks_data();
    void tapBetweenTicks();
    void jumpAndSlowMotionTaps();
};

void InputTest::inputActsOnTheNextTick() {
    GameHarness game;
    QVERIFY(game.reachStage(1));
    Widget* widget = game.widget();
    const QPointF start = game->button(1)->rect().center();
    // A middle press only moves mousePos; the menu wants the left button held.
    sendMouse(widget, QEvent::MouseButtonPress, start, Qt::MiddleButton, Qt::MiddleButton);
    QCOMPARE(game->mousePos(), start);
    QCOMPARE(heldCount(widget), 0);
    game.tick(2);
    QCOMPARE(game->stage(), 1);
    sendMouse(widget, QEvent::MouseButtonRelease, kSky, Qt::MiddleButton, Qt::NoButton);
    // The pointer's moves are not followed.
    game.pressMouse(kSky);
    sendMouse(widget, QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton);
    game.tick();
    QCOMPARE(game->mousePos(), kSky);
    QCOMPARE(game->stage(), 1);
    game.releaseMouse(kSky);

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
    game.pressKey(Qt::Key_D);
    game.releaseKey(Qt::Key_A);
    game.tick();
    QCOMPARE(dino->vx(), 6.0);
    game.releaseKey(Qt::Key_D);

    // W and Space share one flag: releasing either, once a tick has seen
    // the press, clears it at once.
    game.pressKey(Qt::Key_W);
    game.pressKey(Qt::Key_Space);
    game.tick();
    QVERIFY(dino->isAirborne());
    game.releaseKey(Qt::Key_Space);
    QVERIFY(!game->isKeyHeld(Qt::Key_W));
    game.releaseKey(Qt::Key_W);

    // Escape still held when the run continues pauses it again.
    game.pressKey(Qt::Key_Escape);
    game.tick();
    game.clickButton(5);
    QCOMPARE(game->stage(), 2);
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.releaseKey(Qt::Key_Escape);

    // The pause button needs no held button: a lone release on it pauses.
    game.clickButton(5);
    sendMouse(widget, QEvent::MouseButtonRelease, kPauseSpot, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(game->mousePos(), kPauseSpot);
    QCOMPARE(game->stage(), 2);
    game.tick();
    QCOMPARE(game->stage(), 3);
    QCOMPARE(game->mousePos(), kAway);
}

void InputTest::focusLoss_data() {
    QTest::addColumn<int>("stage");
    QTest::newRow("run") << 2;
    QTest::newRow("menu") << 1;
    QTest::newRow("pause") << 3;
    QTest::newRow("game over") << 4;
}

// Keys released in another window never arrive: losing the focus clears every
// flag, and pauses a run exactly as the pause button does.
void InputTest::focusLoss() {
    QFETCH(int, stage);
    const bool run = stage == 2;
    GameHarness game;
    QVERIFY(game.reachStage(stage));
    const bool paused = game->isPaused();
    game.pressMouse(kSky, Qt::RightButton);
    game.tick();
    QCOMPARE(game->deadEye()->isActive(), run);
    for (int key : kKeys)
        game.pressKey(key);
    game.pressMouse(kSky);
    // Off the run held keys change nothing; no key resumes from the pause.
    if (!run)
        game.tick(5);
    QCOMPARE(heldCount(game.widget()), 8);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(game.widget(), &focusOut);
    QCOMPARE(heldCount(game.widget()), 0);
    game.tick();
    QCOMPARE(game->stage(), run ? 3 : stage);
    QCOMPARE(game->isPaused(), run || paused);
    if (!run)
        return;
    QVERIFY(!game->deadEye()->isActive() && game->button(10) && game->button(5));
    // Nothing is left stuck when the player comes back.
    game.clickButton(5);
    game.tick(3);
    QCOMPARE(game->stage(), 2);
    QVERIFY(game->character()->vx() == 0.0 && !game->character()->isAirborne());
    QVERIFY(!game->deadEye()->isActive() && !game->rush()->isActive());
}

void InputTest::tapBetweenTicks_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("buttonId");
    QTest::addColumn<int>("stageAfter");
    QTest::newRow("menu start") << int(Stage::Menu) << int(ButtonId::Start) << int(Stage::Run);
    QTest::newRow("tutorial start")
        << int(Stage::Tutorial) << int(ButtonId::Start) << int(Stage::Menu);
    QTest::newRow("upgrade confirm")
        << int(Stage::Upgrade) << int(ButtonId::Confirm) << int(Stage::Menu);
    QTest::newRow("escape") << int(Stage::Run) << 0 << int(Stage::Pause);
}

// A touchpad's tap sends the press and the release between two ticks: the
// press still counts for exactly the next tick.
void InputTest::tapBetweenTicks() {
    QFETCH(int, stage);
    QFETCH(int, buttonId);
    QFETCH(int, stageAfter);
    GameHarness game;
    game->writeEssence(1000);
    QVERIFY(game.reachStage(stage));
    game.tick();
    const int level = game->character()->level();
    if (buttonId == 0) {
        game.pressKey(Qt::Key_Escape);
        game.releaseKey(Qt::Key_Escape);
    } else {
        const QPointF spot = game->button(buttonId)->rect().center();
        game.pressMouse(spot);
        game.releaseMouse(spot);
    }
    game.tick();
    QCOMPARE(game->stage(), stageAfter);
    QCOMPARE(heldCount(game.widget()), 0);
    QCOMPARE(game->character()->level(), level + (buttonId == ButtonId::Confirm));
}

void InputTest::jumpAndSlowMotionTaps() {
    GameHarness game;
    QVERIFY(game.reachStage(Stage::Run));
    GameCharacter* dino = game->character();
    // Two taps between ticks are one: exactly one jump.
    for (int i = 0; i < 2; ++i) {
        game.pressKey(Qt::Key_W);
        game.releaseKey(Qt::Key_W);
    }
    game.tick();
    QVERIFY(dino->isAirborne());
    for (int i = 0; i < 100 && dino->isAirborne(); ++i)
        game.tick();
    game.tick(5);
    QVERIFY(!dino->isAirborne());
    // A right-button tap: slow motion for one tick, off on the next.
    game.pressMouse(kSky, Qt::RightButton);
    game.releaseMouse(kSky, Qt::RightButton);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
}

QTEST_MAIN(InputTest)
#include "tst_input.moc"
