#include "gameharness.h"

#include "bulletsystem.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "monstersystem.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "skill.h"

#include <QImage>
#include <QPointer>
#include <QTest>

// The stage machine seen from the window: which screen follows which event,
// where every screen puts its buttons, what each screen paints, and which
// transitions bank the run's score.
namespace {
const QPointF kAway(-100.0, -100.0);
const QRgb kGroundGrey = qRgb(128, 128, 128);
const QRgb kLightGrey = qRgb(240, 240, 240);
constexpr int kLoading = 0;
constexpr int kStory = 6;

// Gets to a stage; loading and the story belong to a first start, every
// other stage to a later start with 120 in the bank.
bool reach(GameHarness& game, int stage) {
    if (stage == kLoading)
        return game->stage() == kLoading;
    if (stage == kStory)
        return game.finishLoading() && game->stage() == kStory;
    return writeFile("game_score.txt", "120") && game.reachStage(stage);
}

QImage grabFrame(GameHarness& game) {
    QImage image(game->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    game->render(&image);
    return image;
}

// Pixels of the ground pen's grey on the rows around the ground line, columns fromX to toX.
int groundGreyPixels(GameHarness& game, int fromX = 0, int toX = 1919) {
    const QImage image = grabFrame(game);
    const int row = int(game->groundLine());
    int count = 0;
    for (int y = row - 3; y <= row + 3; ++y) {
        for (int x = fromX; x <= toX; ++x)
            count += image.pixel(x, y) == kGroundGrey;
    }
    return count;
}

QList<int> visibleIds(const Widget* widget) {
    QList<int> ids;
    for (const GameButton* button : widget->buttons()) {
        if (button && button->isVisible())
            ids.append(button->id);
    }
    return ids;
}

// Events of the transition table that are not a click; a positive event is
// a click on the button with that id.
enum Event { HoldEscape = -1, Death = -2, BossBeaten = -3, EndSlot = -4 };

void perform(GameHarness& game, int event) {
    switch (event) {
    case HoldEscape:
        game.tapKey(Qt::Key_Escape);
        return;
    case Death:
        game->character()->setHealth(0.0);
        game.tick();
        return;
    case BossBeaten:
        emit game->monsterSystem()->gameWin();
        return;
    case EndSlot:
        game->gameEnd();
        return;
    }
    // The upgrade screen places its buttons while painting.
    if (game->stage() == 8)
        game.paint();
    GameButton* button = game->button(event);
    QVERIFY(button);
    const QPointF at = button->rect().center();
    const int stage = game->stage();
    game.pressMouse(at);
    game.tick();
    // Still held: a stage change must have moved the click point off-screen.
    if (game->stage() != stage)
        QCOMPARE(game->mousePos(), kAway);
    game.releaseMouse(at);
}
} // namespace

class StagesTest : public QObject {
    Q_OBJECT
private slots:
    void screenButtons_data();
    void screenButtons();
    void tutorialPictureLayout();
    void transitions_data();
    void transitions();
    void ignoredStageChanges_data();
    void ignoredStageChanges();
    void leavingDuringDashEndsIt();
    void pauseOnTheDeathTickBanksOnce();
    void parkedDinosaurCannotLoseOffTheRun();
    void restartAfterDeathInDashKeepsStartInvincibility();
    void loadingScreenPaintsOnlyItsLayers();
    void worldPaintedOnlyOnWorldScreens();
};

void StagesTest::screenButtons_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QList<QRectF>>("rects");
    QTest::addColumn<int>("listSize");

    const QRectF start(880, 794, 158, 142);
    const QRectF corner(1820, 995, 99, 44);
    QTest::newRow("menu") << 1 << QList<int>{1, 8, 7, 6}
                          << QList<QRectF>{start, QRectF(1038, 873, 142, 63),
                                           QRectF(738, 873, 142, 63), corner}
                          << 4;
    // The menu's start button is reused; its other buttons stay in the list, hidden.
    QTest::newRow("tutorial") << 7 << QList<int>{1} << QList<QRectF>{start} << 4;
    QTest::newRow("run") << 2 << QList<int>{3} << QList<QRectF>{corner} << 1;
    QTest::newRow("pause") << 3 << QList<int>{10, 5} << QList<QRectF>{corner, start} << 2;
    QTest::newRow("game over: the centre")
        << 4 << QList<int>{2} << QList<QRectF>{QRectF(880, 448, 158, 142)} << 2;
    QTest::newRow("win: a third lower") << 5 << QList<int>{2} << QList<QRectF>{start} << 2;
}

void StagesTest::screenButtons() {
    QFETCH(int, stage);
    QFETCH(QList<int>, ids);
    QFETCH(QList<QRectF>, rects);
    QFETCH(int, listSize);

    GameHarness game;
    QVERIFY(reach(game, stage == 7 ? 1 : stage));
    const QPointer<GameButton> menuStart = game->button(1);
    if (stage == 7)
        game.clickButton(8);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->rect(), QRect(0, 0, 1920, 1040));
    QCOMPARE(visibleIds(game.widget()), ids);
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(game->button(ids.at(i))->rect(), rects.at(i));
    QCOMPARE(game->buttons().size(), listSize);
    QCOMPARE(game->buttons().last()->id, ids.last());
    if (stage == 7)
        QCOMPARE(game->button(1), menuStart.data());
}

void StagesTest::tutorialPictureLayout() {
    GameHarness game;
    QVERIFY(reach(game, 7));
    const QImage guide =
        game->guideImage().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(guide.size(), QSize(1127, 711));
    // floor(1920 / 2) - floor(1127 / 2) = 397; 1040 / 2.5 - floor(711 / 2) = 61.
    QCOMPARE(grabFrame(game).copy(397, 61, 1127, 711), guide);
}

void StagesTest::transitions_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("banks");

    QTest::newRow("menu start -> run") << 1 << 1 << 2 << false;
    QTest::newRow("menu tutorial -> tutorial") << 1 << 8 << 7 << false;
    QTest::newRow("menu upgrade -> upgrade") << 1 << 7 << 8 << false;
    QTest::newRow("menu quit quits") << 1 << 6 << 1 << false;
    QTest::newRow("tutorial start -> menu") << 7 << 1 << 1 << false;
    QTest::newRow("run pause button -> pause") << 2 << 3 << 3 << false;
    QTest::newRow("run escape -> pause") << 2 << int(HoldEscape) << 3 << false;
    QTest::newRow("run death -> game over, banks") << 2 << int(Death) << 4 << true;
    QTest::newRow("run boss beaten -> win, banks") << 2 << int(BossBeaten) << 5 << true;
    QTest::newRow("run gameEnd -> game over, banks") << 2 << int(EndSlot) << 4 << true;
    QTest::newRow("pause continue -> run") << 3 << 5 << 2 << false;
    QTest::newRow("pause home -> menu, banks") << 3 << 10 << 1 << true;
    QTest::newRow("game over restart -> menu") << 4 << 2 << 1 << false;
    QTest::newRow("win restart -> menu") << 5 << 2 << 1 << false;
    QTest::newRow("win death -> game over, banks again") << 5 << int(Death) << 4 << true;
    QTest::newRow("upgrade quit -> menu") << 8 << 6 << 1 << false;
}

void StagesTest::transitions() {
    QFETCH(int, from);
    QFETCH(int, event);
    QFETCH(int, to);
    QFETCH(bool, banks);

    GameHarness game;
    QVERIFY(reach(game, from));
    game->scoreBoard()->setScore(57);
    if (from == 1 && event == 6) // no event loop runs here, so quitting only shows in the log
        QTest::ignoreMessage(QtDebugMsg, "QUIT");

    perform(game, event);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(game->stage(), to);
    QCOMPARE(readFile("game_score.txt"), QByteArray(banks ? "177" : "120"));
    if (event < 0)
        QCOMPARE(game->mousePos(), kAway);
    QCOMPARE(game->isPaused(), to == 3 || to == 4);
    QCOMPARE(game->isGameOver(), to == 4);
    QCOMPARE(game->bulletSystem()->isReloadPaused(), to == 3 || to == 4 || to == 5);
    // The run's score lives until the menu or a new run resets it.
    const bool reset = (to == 1 && from != 1) || (to == 2 && from == 1);
    QCOMPARE(game->scoreBoard()->score(), reset ? 0 : 57);
    if (to == 2)
        QVERIFY(game->scoreBoard()->isVisible());
}

void StagesTest::ignoredStageChanges_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("type");
    QTest::newRow("run from loading") << kLoading << 2;
    QTest::newRow("run from story") << kStory << 2;
    QTest::newRow("run from game over") << 4 << 2;
    QTest::newRow("run from win") << 5 << 2;
    QTest::newRow("run from tutorial") << 7 << 2;
    QTest::newRow("run from upgrade") << 8 << 2;
    QTest::newRow("-1 in the menu") << 1 << -1;
    QTest::newRow("9 in a run") << 2 << 9;
    QTest::newRow("100 in the pause") << 3 << 100;
}

void StagesTest::ignoredStageChanges() {
    QFETCH(int, stage);
    QFETCH(int, type);

    GameHarness game;
    QVERIFY(reach(game, stage));
    const QList<GameButton*> buttons = game->buttons();
    const QList<int> ids = visibleIds(game.widget());
    const bool paused = game->isPaused();
    const bool over = game->isGameOver();
    game.pressMouse(QPointF(3, 3), Qt::MiddleButton);
    QCOMPARE(game->mousePos(), QPointF(3, 3));

    game->changeToStage(type);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->mousePos(), kAway);
    QCOMPARE(game->buttons(), buttons);
    QCOMPARE(visibleIds(game.widget()), ids);
    QCOMPARE(game->isPaused(), paused);
    QCOMPARE(game->isGameOver(), over);
    game.releaseMouse(QPointF(3, 3), Qt::MiddleButton);
}

// Home from a pause taken mid-dash: the dash must not carry its
// invincibility into the next run, where nothing would ever end it.
void StagesTest::leavingDuringDashEndsIt() {
    GameHarness game;
    QVERIFY(reach(game, 2));
    QVERIFY(!game->character()->isInvincible());
    game.tapKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    QVERIFY(game->character()->isInvincible());
    game.tapKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 3);
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QVERIFY(!game->rush()->isActive());
    QVERIFY(!game->character()->keepInvincible);
    QVERIFY(!game->character()->isInvincible());
    QCOMPARE(game->character()->posture(), 1);
    QCOMPARE(game->environment()->speed(), 8.0);

    QVERIFY(game.startRun());
    QVERIFY(!game->character()->isInvincible());
}

// Death in one tick's movement, pause before the next tick's health check,
// then home: the run is banked once and the menu stays the menu.
void StagesTest::pauseOnTheDeathTickBanksOnce() {
    GameHarness game;
    QVERIFY(reach(game, 2));
    game->scoreBoard()->setScore(7);
    game->character()->die();
    game.tapKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 3);
    game.clickButton(10);
    game.tick(5);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("game_score.txt"), QByteArray("127"));
    QCOMPARE(game->character()->health(), 1.0);
}

// On a small window a high bird can brush the dinosaur parked above the top
// edge: that must neither end anything off the run nor carry into the next run.
void StagesTest::parkedDinosaurCannotLoseOffTheRun() {
    GameHarness game;
    QVERIFY(reach(game, 1));
    for (const int stage : {1, 8, 7, 1}) {
        game->changeToStage(stage);
        game->character()->die();
        game.tick(3);
        QCOMPARE(game->stage(), stage);
    }
    QCOMPARE(readFile("game_score.txt"), QByteArray("120"));
    game->changeToStage(2);
    game.tick();
    QCOMPARE(game->stage(), 2);
    QCOMPARE(game->character()->health(), 1.0);
}

void StagesTest::restartAfterDeathInDashKeepsStartInvincibility() {
    GameHarness game;
    QVERIFY(reach(game, 2));
    game.tapKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    game->character()->die();
    game.tick();
    QCOMPARE(game->stage(), 4);
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    QVERIFY(!game->rush()->isActive());
    QVERIFY(!game->character()->keepInvincible);
    QCOMPARE(game->character()->health(), 1.0);
    QVERIFY(game->character()->isInvincible());
    QVERIFY(!game->character()->hasLanded());
}

void StagesTest::loadingScreenPaintsOnlyItsLayers() {
    GameHarness game;
    game->updateEnvironment();
    game.tick(60);
    QCOMPARE(game->stage(), kLoading);
    QVERIFY(game->progressBar()->progress() > 0.0);

    // Everything but the bar and the dinosaur is the light-grey background.
    const QImage frame = grabFrame(game);
    const QRect bar = game->progressBar()->rect().toAlignedRect().adjusted(-4, -4, 4, 4);
    const GameCharacter* dino = game->character();
    const QRect dinoRect =
        QRectF(dino->position(), dino->frame().size()).toAlignedRect().adjusted(-1, -1, 1, 1);
    int others = 0;
    int dinoPixels = 0;
    for (int y = 2; y < frame.height() - 2; ++y) {
        for (int x = 2; x < frame.width() - 2; ++x) {
            const bool drawn = frame.pixel(x, y) != kLightGrey;
            if (dinoRect.contains(x, y))
                dinoPixels += drawn;
            else if (!bar.contains(x, y))
                others += drawn;
        }
    }
    QCOMPARE(others, 0);
    QVERIFY(dinoPixels > 100);
    QCOMPARE(frame.pixel(int(game->progressBar()->rect().left()) + 1, 539), qRgb(0, 0, 0));
}

void StagesTest::worldPaintedOnlyOnWorldScreens() {
    GameHarness story;
    QVERIFY(reach(story, kStory));
    QVERIFY(!story->environment()->grounds().isEmpty());
    QCOMPARE(groundGreyPixels(story), 0);

    GameHarness game;
    QVERIFY(reach(game, 1));
    game->updateEnvironment();
    game.tick(5);
    QVERIFY(groundGreyPixels(game) > 1000);
    game.clickButton(8);
    QCOMPARE(game->stage(), 7);
    // Left and right of the guide picture the ground would show if it were drawn.
    QCOMPARE(groundGreyPixels(game, 0, 396) + groundGreyPixels(game, 397 + 1127), 0);
    game.clickButton(1);
    QVERIFY(game.startRun());
    QVERIFY(groundGreyPixels(game) > 1000);
    game.clickButton(3);
    QCOMPARE(game->stage(), 3);
    QVERIFY(groundGreyPixels(game) > 1000);
}

QTEST_MAIN(StagesTest)
#include "tst_stages.moc"
