#include "gameharness.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "scoreboard.h"
#include "skill.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

// Keyboard and mouse as the window sees them: the handlers only record what
// is held, and the frame tick acts on it. The mouse's DeadEye and firing
// rules are tested with the skills' wiring.
namespace {
const QPointF kAway(-100.0, -100.0);
const QPointF kPauseSpot(1869, 1017);
const QPointF kSky(1200, 200);

// A mouse event exactly as given, without the test library's own bookkeeping
// of which buttons are down (a release with nothing pressed, for instance).
void sendMouse(Widget* widget, QEvent::Type type, QPointF pos, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void loseFocus(Widget* widget) {
    QFocusEvent event(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(widget, &event);
}

const int kKeys[] = {Qt::Key_W, Qt::Key_S, Qt::Key_A, Qt::Key_D, Qt::Key_Escape, Qt::Key_F};

// Holds every key and the left mouse button.
void holdKeysAndLeft(GameHarness& game) {
    for (int key : kKeys)
        game.pressKey(key);
    game.pressMouse(kSky);
}

// Flags held, Space counted with W (they share one).
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
    void jumpKeysShareOneFlag();
    void leftAndRightTogetherCancel();
    void eventsOnlyRecordState();
    void heldEscapePausesAgainAfterContinue();
    void pauseButtonNeedsNoHeldButton_data();
    void pauseButtonNeedsNoHeldButton();
    void heldClickActsOnce_data();
    void heldClickActsOnce();
    void focusLossDuringRunPauses();
    void focusLossElsewhereOnlyClearsFlags_data();
    void focusLossElsewhereOnlyClearsFlags();
    void otherMouseButtonsOnlyMoveMousePos();
};

void InputTest::jumpKeysShareOneFlag() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    game.pressKey(Qt::Key_W);
    game.pressKey(Qt::Key_Space);
    QVERIFY(game->isKeyHeld(Qt::Key_W));
    // Releasing either one clears the shared flag, although the other is still down.
    game.releaseKey(Qt::Key_Space);
    QVERIFY(!game->isKeyHeld(Qt::Key_W));
    game.tick();
    QVERIFY(!game->character()->isAirborne());

    game.tapKey(Qt::Key_Space);
    QVERIFY(game->character()->isAirborne());
}

void InputTest::leftAndRightTogetherCancel() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    GameCharacter* dino = game->character();
    const double x = dino->position().x();
    game.pressKey(Qt::Key_A);
    game.pressKey(Qt::Key_D);
    game.tick();
    QCOMPARE(dino->vx(), 0.0);
    QCOMPARE(dino->position().x(), x);

    game.releaseKey(Qt::Key_D);
    game.tick();
    QCOMPARE(dino->vx(), -6.0);
    QVERIFY(dino->position().x() < x);

    game.pressKey(Qt::Key_D);
    game.releaseKey(Qt::Key_A);
    game.tick();
    QCOMPARE(dino->vx(), 6.0);
}

void InputTest::eventsOnlyRecordState() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    // Pressed and released between two ticks: no tick saw them held.
    game.pressKey(Qt::Key_W);
    game.pressKey(Qt::Key_Escape);
    QVERIFY(!game->character()->isAirborne());
    QCOMPARE(game->stage(), 2);
    game.releaseKey(Qt::Key_W);
    game.releaseKey(Qt::Key_Escape);
    game.tick();
    QVERIFY(!game->character()->isAirborne());
    QCOMPARE(game->stage(), 2);

    game.pressMouse(kPauseSpot);
    QCOMPARE(game->stage(), 2);
    QCOMPARE(game->mousePos(), kPauseSpot);
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.releaseMouse(kPauseSpot);
}

void InputTest::heldEscapePausesAgainAfterContinue() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    game.pressKey(Qt::Key_Escape);
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.clickButton(5);
    QCOMPARE(game->stage(), 2);
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.releaseKey(Qt::Key_Escape);
    game.clickButton(5);
    game.tick(3);
    QCOMPARE(game->stage(), 2);
}

void InputTest::pauseButtonNeedsNoHeldButton_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("release with nothing held") << 0;
    QTest::newRow("middle press") << 1;
}

void InputTest::pauseButtonNeedsNoHeldButton() {
    QFETCH(int, kind);
    GameHarness game;
    QVERIFY(game.reachStage(2));
    Widget* widget = game.widget();
    if (kind == 1)
        sendMouse(widget, QEvent::MouseButtonPress, kPauseSpot, Qt::MiddleButton, Qt::MiddleButton);
    else
        sendMouse(widget, QEvent::MouseButtonRelease, kPauseSpot, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(heldCount(widget), 0);
    game.tick();
    QCOMPARE(game->stage(), 3);
    QCOMPARE(game->mousePos(), kAway);
}

void InputTest::heldClickActsOnce_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("banked");
    // Both buttons lie exactly where a menu button appears (start, quit).
    QTest::newRow("tutorial start") << 7 << 1 << 0;
    QTest::newRow("pause home banks once") << 3 << 10 << 57;
}

void InputTest::heldClickActsOnce() {
    QFETCH(int, stage);
    QFETCH(int, id);
    QFETCH(int, banked);
    GameHarness game;
    QVERIFY(game.reachStage(stage));
    game->scoreBoard()->setScore(57);
    const int bank = readFile("game_score.txt").toInt();
    QList<QPointer<GameButton>> old;
    for (GameButton* button : game->buttons())
        old.append(button);

    const QPointF at = game->button(id)->rect().center();
    game.pressMouse(at);
    game.tick(10);
    QCOMPARE(game->stage(), 1);
    // The scan stopped at the change of screen, whose buttons replaced the old ones.
    for (const QPointer<GameButton>& button : old)
        QVERIFY(button.isNull());
    game.releaseMouse(at);
    game.tick(3);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("game_score.txt").toInt(), bank + banked);
}

void InputTest::focusLossDuringRunPauses() {
    GameHarness game;
    QVERIFY(game.reachStage(2));
    game.pressMouse(kSky, Qt::RightButton);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    holdKeysAndLeft(game);
    QCOMPARE(heldCount(game.widget()), 8);

    loseFocus(game.widget());
    QCOMPARE(heldCount(game.widget()), 0);
    game.tick();
    // Exactly the pause screen the pause button leads to.
    QCOMPARE(game->stage(), 3);
    QVERIFY(game->isPaused());
    QVERIFY(!game->isGameOver());
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->bulletSystem()->isReloadPaused());
    QCOMPARE(game->buttons().size(), 2);
    QVERIFY(game->button(10) && game->button(5));

    // Nothing is left stuck when the player comes back.
    game.clickButton(5);
    game.tick(3);
    QCOMPARE(game->stage(), 2);
    QCOMPARE(game->character()->vx(), 0.0);
    QVERIFY(!game->character()->isAirborne());
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(!game->rush()->isActive());
}

void InputTest::focusLossElsewhereOnlyClearsFlags_data() {
    QTest::addColumn<int>("stage");
    QTest::newRow("menu") << 1;
    QTest::newRow("pause") << 3;
    QTest::newRow("game over") << 4;
    QTest::newRow("win") << 5;
    QTest::newRow("tutorial") << 7;
    QTest::newRow("upgrade") << 8;
}

// Off the run, held keys (Escape included: no key resumes from the pause)
// change nothing, and losing the focus only clears them.
void InputTest::focusLossElsewhereOnlyClearsFlags() {
    QFETCH(int, stage);
    GameHarness game;
    QVERIFY(game.reachStage(stage));
    const QList<GameButton*> buttons = game->buttons();
    const bool paused = game->isPaused();
    const QPointF right(1210, 210);
    holdKeysAndLeft(game);
    game.pressMouse(right, Qt::RightButton);
    game.tick(5);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(heldCount(game.widget()), 8);

    loseFocus(game.widget());
    QCOMPARE(heldCount(game.widget()), 0);
    game.tick(3);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->buttons(), buttons);
    QCOMPARE(game->isPaused(), paused);
    QCOMPARE(game->mousePos(), right);
}

void InputTest::otherMouseButtonsOnlyMoveMousePos() {
    GameHarness game;
    QVERIFY(game.reachStage(1));
    const QPointF start = game->button(1)->rect().center();
    sendMouse(game.widget(), QEvent::MouseButtonPress, start, Qt::MiddleButton, Qt::MiddleButton);
    QCOMPARE(game->mousePos(), start);
    QCOMPARE(heldCount(game.widget()), 0);
    // The menu needs the left button held.
    game.tick(2);
    QCOMPARE(game->stage(), 1);
    sendMouse(game.widget(), QEvent::MouseButtonRelease, kSky, Qt::MiddleButton, Qt::NoButton);

    // The position follows presses and releases only, never the pointer.
    game.pressMouse(QPointF(400, 100));
    sendMouse(game.widget(), QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(game->mousePos(), QPointF(400, 100));
    game.tick();
    QCOMPARE(game->stage(), 1);
    game.releaseMouse(QPointF(400, 100));
}

QTEST_MAIN(InputTest)
#include "tst_input.moc"
