#include "gameharness.h"

#include "bullet.h"
#include "bulletsystem.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "monstersystem.h"
#include "scoreboard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

// Keyboard and mouse as the window sees them: the handlers only record what
// is held, and the frame tick acts on it.
namespace {
const QPointF kAway(-100.0, -100.0);
const QPointF kPauseSpot(1869, 1017);
const QPointF kEmptySpot(1200, 300);

// A later start (no story) that goes on to the menu.
bool reachMenu(GameHarness& game) {
    if (!writeFile("data_0", "1"))
        return false;
    game.restart();
    return game.reachMenu();
}

bool reachRun(GameHarness& game) {
    return reachMenu(game) && game.startRun();
}

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

bool anythingHeld(const Widget* widget) {
    for (int key :
         {Qt::Key_W, Qt::Key_Space, Qt::Key_S, Qt::Key_A, Qt::Key_D, Qt::Key_Escape, Qt::Key_F}) {
        if (widget->isKeyHeld(key))
            return true;
    }
    return widget->isMouseButtonHeld(Qt::LeftButton) || widget->isMouseButtonHeld(Qt::RightButton);
}

enum Screen { Menu, Pause, GameOver, Tutorial, Upgrade, Win };

bool reach(GameHarness& game, Screen screen) {
    switch (screen) {
    case Menu:
        return reachMenu(game);
    case Tutorial:
        if (!reachMenu(game))
            return false;
        game.clickButton(8);
        return game->stage() == 7;
    case Upgrade:
        if (!reachMenu(game))
            return false;
        game.clickButton(7);
        return game->stage() == 8;
    case Pause:
        if (!reachRun(game))
            return false;
        game.clickButton(3);
        return game->stage() == 3;
    case GameOver:
        if (!reachRun(game))
            return false;
        game->character()->setHealth(0.0);
        game.tick();
        return game->stage() == 4;
    case Win:
        if (!reachRun(game))
            return false;
        emit game->monsterSystem()->gameWin();
        return game->stage() == 5;
    }
    return false;
}
} // namespace

class InputTest : public QObject {
    Q_OBJECT
private slots:
    void jumpKeysShareOneFlag();
    void leftAndRightTogetherCancel();
    void eventsOnlyRecordState();
    void escapePausesTheRun();
    void escapeDoesNothingElsewhere_data();
    void escapeDoesNothingElsewhere();
    void heldEscapePausesAgainAfterContinue();
    void leftClickAloneFiresNothing();
    void rightHeldThenLeftClickFires();
    void leftFirstDelaysDeadEye();
    void pauseButtonNeedsNoHeldButton_data();
    void pauseButtonNeedsNoHeldButton();
    void stageChangingClickEndsTheScan();
    void heldClickOnHomeBanksOnce();
    void focusLossDuringRunPauses();
    void focusLossElsewhereOnlyClearsFlags_data();
    void focusLossElsewhereOnlyClearsFlags();
    void otherMouseButtonsOnlyMoveMousePos();
};

void InputTest::jumpKeysShareOneFlag() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressKey(Qt::Key_W);
    game.pressKey(Qt::Key_Space);
    QVERIFY(game->isKeyHeld(Qt::Key_W));
    QVERIFY(game->isKeyHeld(Qt::Key_Space));
    // Releasing either one clears the shared flag, although the other is still down.
    game.releaseKey(Qt::Key_Space);
    QVERIFY(!game->isKeyHeld(Qt::Key_W));
    QVERIFY(!game->isKeyHeld(Qt::Key_Space));
    game.tick();
    QVERIFY(!game->character()->isAirborne());

    game.pressKey(Qt::Key_Space);
    game.tick();
    QVERIFY(game->character()->isAirborne());
    game.releaseKey(Qt::Key_Space);
}

void InputTest::leftAndRightTogetherCancel() {
    GameHarness game;
    QVERIFY(reachRun(game));
    GameCharacter* dino = game->character();
    game.pressKey(Qt::Key_A);
    game.pressKey(Qt::Key_D);
    const double x = dino->position().x();
    game.tick();
    QCOMPARE(dino->vx(), 0.0);
    QCOMPARE(dino->position().x(), x);

    game.releaseKey(Qt::Key_D);
    QCOMPARE(dino->vx(), 0.0);
    game.tick();
    QCOMPARE(dino->vx(), -6.0);
    QVERIFY(dino->position().x() < x);

    game.pressKey(Qt::Key_D);
    game.releaseKey(Qt::Key_A);
    game.tick();
    QCOMPARE(dino->vx(), 6.0);
    game.releaseKey(Qt::Key_D);
    game.tick();
    QCOMPARE(dino->vx(), 0.0);
}

void InputTest::eventsOnlyRecordState() {
    GameHarness game;
    QVERIFY(reachRun(game));
    GameCharacter* dino = game->character();

    const double vy = dino->vy();
    game.pressKey(Qt::Key_W);
    QVERIFY(!dino->isAirborne());
    QCOMPARE(dino->vy(), vy);
    game.releaseKey(Qt::Key_W);
    game.tick();
    QVERIFY(!dino->isAirborne());

    game.pressKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 2);
    game.releaseKey(Qt::Key_Escape);
    game.tick();
    QCOMPARE(game->stage(), 2);

    game.pressMouse(kPauseSpot);
    QCOMPARE(game->stage(), 2);
    QCOMPARE(game->mousePos(), kPauseSpot);
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.releaseMouse(kPauseSpot);

    // Unknown keys are ignored.
    game.pressKey(Qt::Key_Q);
    game.pressKey(Qt::Key_Up);
    game.tick();
    QCOMPARE(game->stage(), 3);
    QVERIFY(!game->isKeyHeld(Qt::Key_Q));
}

void InputTest::escapePausesTheRun() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressKey(Qt::Key_Escape);
    game.tick();
    QCOMPARE(game->stage(), 3);
    QVERIFY(game->isPaused());
    QVERIFY(game->button(10));
    QVERIFY(game->button(5));
    game.releaseKey(Qt::Key_Escape);
}

void InputTest::escapeDoesNothingElsewhere_data() {
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("stage");
    QTest::newRow("menu") << int(Menu) << 1;
    QTest::newRow("pause: no key resumes") << int(Pause) << 3;
    QTest::newRow("game over") << int(GameOver) << 4;
    QTest::newRow("win") << int(Win) << 5;
    QTest::newRow("tutorial") << int(Tutorial) << 7;
    QTest::newRow("upgrade") << int(Upgrade) << 8;
}

void InputTest::escapeDoesNothingElsewhere() {
    QFETCH(int, screen);
    QFETCH(int, stage);
    GameHarness game;
    QVERIFY(reach(game, Screen(screen)));
    const QList<GameButton*> buttons = game->buttons();
    game.pressKey(Qt::Key_Escape);
    game.tick(5);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->buttons(), buttons);
    game.releaseKey(Qt::Key_Escape);
    game.tick();
    QCOMPARE(game->stage(), stage);
}

void InputTest::heldEscapePausesAgainAfterContinue() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressKey(Qt::Key_Escape);
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.clickButton(5);
    QCOMPARE(game->stage(), 2);
    QVERIFY(game->isKeyHeld(Qt::Key_Escape));
    game.tick();
    QCOMPARE(game->stage(), 3);
    game.releaseKey(Qt::Key_Escape);
    game.clickButton(5);
    game.tick(3);
    QCOMPARE(game->stage(), 2);
}

void InputTest::leftClickAloneFiresNothing() {
    GameHarness game;
    QVERIFY(reachRun(game));
    const int loaded = game->bulletSystem()->bulletCount();
    game.pressMouse(kEmptySpot);
    game.tick(10);
    game.releaseMouse(kEmptySpot);
    game.tick();
    QVERIFY(game->bulletSystem()->bullets().isEmpty());
    QCOMPARE(game->bulletSystem()->bulletCount(), loaded);
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->stage(), 2);
}

void InputTest::rightHeldThenLeftClickFires() {
    GameHarness game;
    QVERIFY(reachRun(game));
    const int loaded = game->bulletSystem()->bulletCount();
    game.pressMouse(QPointF(600, 600), Qt::RightButton);
    QVERIFY(!game->deadEye()->isActive());
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 0.1 * 8.0);
    QVERIFY(game->bulletSystem()->bullets().isEmpty());

    game.pressMouse(kEmptySpot);
    game.tick();
    QCOMPARE(game->bulletSystem()->bullets().size(), 1);
    QCOMPARE(game->bulletSystem()->bullets().first()->target(), kEmptySpot);
    QCOMPARE(game->bulletSystem()->bulletCount(), loaded - 1);
    game.releaseMouse(kEmptySpot);

    // Releasing the right button ends the slow motion; a left press then fires nothing.
    game.releaseMouse(QPointF(600, 600), Qt::RightButton);
    game.tick();
    QVERIFY(!game->deadEye()->isActive());
    QCOMPARE(game->environment()->speed(), 8.0);
    game->bulletSystem()->updateShootCD();
    game->bulletSystem()->updateShootCD();
    game->bulletSystem()->updateShootCD();
    game.pressMouse(QPointF(900, 200));
    game.tick(3);
    QCOMPARE(game->bulletSystem()->bulletCount(), loaded - 1);
    game.releaseMouse(QPointF(900, 200));
}

void InputTest::leftFirstDelaysDeadEye() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressMouse(kEmptySpot);
    game.tick();
    game.pressMouse(QPointF(700, 500), Qt::RightButton);
    game.tick(5);
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->bulletSystem()->bullets().isEmpty());

    game.releaseMouse(kEmptySpot);
    QVERIFY(!game->deadEye()->isActive());
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    game.releaseMouse(QPointF(700, 500), Qt::RightButton);
}

void InputTest::pauseButtonNeedsNoHeldButton_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("release with nothing held") << 0;
    QTest::newRow("middle press") << 1;
    QTest::newRow("left press") << 2;
    QTest::newRow("left released off the button, then a release on it") << 3;
}

void InputTest::pauseButtonNeedsNoHeldButton() {
    QFETCH(int, kind);
    GameHarness game;
    QVERIFY(reachRun(game));
    Widget* widget = game.widget();
    switch (kind) {
    case 0:
        sendMouse(widget, QEvent::MouseButtonRelease, kPauseSpot, Qt::LeftButton, Qt::NoButton);
        break;
    case 1:
        sendMouse(widget, QEvent::MouseButtonPress, kPauseSpot, Qt::MiddleButton, Qt::MiddleButton);
        break;
    case 2:
        sendMouse(widget, QEvent::MouseButtonPress, kPauseSpot, Qt::LeftButton, Qt::LeftButton);
        break;
    case 3:
        sendMouse(widget, QEvent::MouseButtonPress, kEmptySpot, Qt::LeftButton, Qt::LeftButton);
        game.tick();
        QCOMPARE(game->stage(), 2);
        sendMouse(widget, QEvent::MouseButtonRelease, kPauseSpot, Qt::LeftButton, Qt::NoButton);
        break;
    }
    QVERIFY(!game->isMouseButtonHeld(Qt::RightButton));
    QCOMPARE(game->stage(), 2);
    game.tick();
    QCOMPARE(game->stage(), 3);
    QCOMPARE(game->mousePos(), kAway);
}

void InputTest::stageChangingClickEndsTheScan() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    game.clickButton(8);
    QCOMPARE(game->stage(), 7);
    QList<QPointer<GameButton>> old;
    for (GameButton* button : game->buttons())
        old.append(button);

    // The tutorial's start button lies exactly where the menu's start button
    // appears: the click must neither go on scanning nor hit the new screen.
    const QPointF at = game->button(1)->rect().center();
    game.pressMouse(at);
    game.tick();
    QCOMPARE(game->stage(), 1);
    for (const QPointer<GameButton>& button : old)
        QVERIFY(button.isNull());
    QCOMPARE(game->buttons().size(), 4);
    game.tick(5);
    QCOMPARE(game->stage(), 1);
    game.releaseMouse(at);
    game.tick(5);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->button(1)->rect().center(), at);
}

void InputTest::heldClickOnHomeBanksOnce() {
    GameHarness game;
    QVERIFY(reachRun(game));
    QVERIFY(writeFile("game_score.txt", "100"));
    game.clickButton(3);
    QCOMPARE(game->stage(), 3);
    game->scoreBoard()->setScore(57);
    const QPointF at = game->button(10)->rect().center();
    game.pressMouse(at);
    game.tick(10);
    QCOMPARE(game->stage(), 1);
    game.releaseMouse(at);
    game.tick(3);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("game_score.txt"), QByteArray("157"));
}

void InputTest::focusLossDuringRunPauses() {
    GameHarness game;
    QVERIFY(reachRun(game));
    game.pressKey(Qt::Key_A);
    game.pressMouse(QPointF(600, 600), Qt::RightButton);
    game.tick();
    QVERIFY(game->deadEye()->isActive());
    game.pressKey(Qt::Key_W);
    game.pressKey(Qt::Key_S);
    game.pressKey(Qt::Key_D);
    game.pressKey(Qt::Key_F);
    game.pressMouse(kEmptySpot);
    QVERIFY(anythingHeld(game.widget()));

    loseFocus(game.widget());
    QVERIFY(!anythingHeld(game.widget()));
    game.tick();
    // Exactly the pause screen the pause button leads to.
    QCOMPARE(game->stage(), 3);
    QVERIFY(game->isPaused());
    QVERIFY(!game->isGameOver());
    QVERIFY(!game->deadEye()->isActive());
    QVERIFY(game->bulletSystem()->isReloadPaused());
    QCOMPARE(game->buttons().size(), 2);
    QCOMPARE(game->button(10)->rect(), QRectF(1820, 995, 99, 44));
    QCOMPARE(game->button(5)->rect(), QRectF(880, 794, 158, 142));
    game.tick(5);
    QCOMPARE(game->stage(), 3);

    // Nothing is left stuck when the player comes back.
    game.clickButton(5);
    QCOMPARE(game->stage(), 2);
    game.tick(3);
    QCOMPARE(game->stage(), 2);
    QCOMPARE(game->character()->vx(), 0.0);
    QVERIFY(!game->deadEye()->isActive());
}

void InputTest::focusLossElsewhereOnlyClearsFlags_data() {
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("stage");
    QTest::newRow("menu") << int(Menu) << 1;
    QTest::newRow("pause") << int(Pause) << 3;
    QTest::newRow("game over") << int(GameOver) << 4;
    QTest::newRow("tutorial") << int(Tutorial) << 7;
}

void InputTest::focusLossElsewhereOnlyClearsFlags() {
    QFETCH(int, screen);
    QFETCH(int, stage);
    GameHarness game;
    QVERIFY(reach(game, Screen(screen)));
    game.pressKey(Qt::Key_Escape);
    game.pressKey(Qt::Key_W);
    game.pressKey(Qt::Key_D);
    game.pressMouse(QPointF(5, 5));
    game.pressMouse(QPointF(6, 6), Qt::RightButton);
    const QList<GameButton*> buttons = game->buttons();
    const bool paused = game->isPaused();
    QVERIFY(anythingHeld(game.widget()));

    loseFocus(game.widget());
    QVERIFY(!anythingHeld(game.widget()));
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->buttons(), buttons);
    QCOMPARE(game->isPaused(), paused);
    QCOMPARE(game->mousePos(), QPointF(6, 6));
    game.tick(3);
    QCOMPARE(game->stage(), stage);
}

void InputTest::otherMouseButtonsOnlyMoveMousePos() {
    GameHarness game;
    QVERIFY(reachMenu(game));
    const QPointF start = game->button(1)->rect().center();
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::BackButton, Qt::ForwardButton}) {
        sendMouse(game.widget(), QEvent::MouseButtonPress, start, button, button);
        QCOMPARE(game->mousePos(), start);
        QVERIFY(!game->isMouseButtonHeld(Qt::LeftButton));
        QVERIFY(!game->isMouseButtonHeld(Qt::RightButton));
        game.tick(2);
        QCOMPARE(game->stage(), 1);
        sendMouse(game.widget(), QEvent::MouseButtonRelease, QPointF(300, 200), button,
                  Qt::NoButton);
        QCOMPARE(game->mousePos(), QPointF(300, 200));
    }

    // The position follows presses and releases only, never the pointer.
    game.pressMouse(QPointF(400, 100));
    sendMouse(game.widget(), QEvent::MouseMove, QPointF(959, 865), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(game->mousePos(), QPointF(400, 100));
    game.tick();
    QCOMPARE(game->stage(), 1);
    game.releaseMouse(QPointF(400, 100));
}

QTEST_MAIN(InputTest)
#include "tst_input.moc"
