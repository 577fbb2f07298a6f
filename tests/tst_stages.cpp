#include "gameharness.h"

#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gametext.h"
#include "ground.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "skill.h"

#include <QFile>
#include <QFileInfo>
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

// A start after the first one (the tutorial has been seen) with a known bank.
void laterStart(GameHarness& game, const QByteArray& essence = "120") {
    QVERIFY(writeFile("data_0", "1"));
    QVERIFY(writeFile("game_score.txt", essence));
    game.restart();
}

QImage grabFrame(GameHarness& game) {
    QImage image(game->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    game->render(&image);
    return image;
}

// Pixels of the ground pen's grey on the few rows around the ground line.
int groundGreyPixels(const QImage& image, double groundLine, int fromX = 0, int toX = -1) {
    if (toX < 0)
        toX = image.width() - 1;
    int count = 0;
    const int row = int(groundLine);
    for (int y = row - 3; y <= row + 3; ++y) {
        for (int x = fromX; x <= toX; ++x) {
            if (image.pixel(x, y) == kGroundGrey)
                ++count;
        }
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

enum Screen { Menu, Tutorial, Run, Pause, GameOver, Win, Upgrade };

// From a later start, walks the way a player would to the given screen.
bool reach(GameHarness& game, Screen screen) {
    if (!game.reachMenu())
        return false;
    switch (screen) {
    case Menu:
        break;
    case Tutorial:
        game.clickButton(8);
        break;
    case Upgrade:
        game.clickButton(7);
        break;
    case Run:
        return game.startRun();
    case Pause:
        if (!game.startRun())
            return false;
        game.clickButton(3);
        break;
    case GameOver:
        if (!game.startRun())
            return false;
        game->character()->setHealth(0.0);
        game.tick();
        break;
    case Win:
        if (!game.startRun())
            return false;
        emit game->monsterSystem()->gameWin();
        break;
    }
    const int expected[] = {1, 7, 2, 3, 4, 5, 8};
    return game->stage() == expected[screen];
}

enum Event {
    ClickStart,
    ClickTeach,
    ClickUpgrade,
    ClickTutorialStart,
    ClickPause,
    HoldEscape,
    Death,
    BossBeaten,
    EndSlot,
    ClickContinue,
    ClickHome,
    ClickRestart,
    ClickUpgradeQuit,
};

// A press on the button, one tick, then a check before the release moves mousePos again.
void pressButtonAndTick(GameHarness& game, int id) {
    GameButton* button = game->button(id);
    QVERIFY2(button, qPrintable(QString("no button %1").arg(id)));
    const QPointF at = button->rect().center();
    game.pressMouse(at);
    game.tick();
    QCOMPARE(game->mousePos(), kAway);
    game.releaseMouse(at);
}

void perform(GameHarness& game, Event event) {
    switch (event) {
    case ClickStart:
        pressButtonAndTick(game, 1);
        break;
    case ClickTeach:
        pressButtonAndTick(game, 8);
        break;
    case ClickUpgrade:
        pressButtonAndTick(game, 7);
        break;
    case ClickTutorialStart:
        pressButtonAndTick(game, 1);
        break;
    case ClickPause:
        pressButtonAndTick(game, 3);
        break;
    case HoldEscape:
        game.pressKey(Qt::Key_Escape);
        game.tick();
        game.releaseKey(Qt::Key_Escape);
        break;
    case Death:
        game->character()->setHealth(0.0);
        game.tick();
        break;
    case BossBeaten:
        emit game->monsterSystem()->gameWin();
        break;
    case EndSlot:
        game->gameEnd();
        break;
    case ClickContinue:
        pressButtonAndTick(game, 5);
        break;
    case ClickHome:
        pressButtonAndTick(game, 10);
        break;
    case ClickRestart:
        pressButtonAndTick(game, 2);
        break;
    case ClickUpgradeQuit:
        // The upgrade screen places its buttons while painting.
        game.paint();
        pressButtonAndTick(game, 6);
        break;
    }
}
} // namespace

class StagesTest : public QObject {
    Q_OBJECT
private slots:
    void buttonPositions_data();
    void buttonPositions();
    void tutorialPictureLayout();
    void transitions_data();
    void transitions();
    void menuQuitButtonQuits();
    void runIgnoredFromOtherStages_data();
    void runIgnoredFromOtherStages();
    void outOfRangeStageOnlyMovesMouse_data();
    void outOfRangeStageOnlyMovesMouse();
    void firstStartFlow();
    void laterStartGoesStraightToMenu();
    void storyTextsAsWritten();
    void tutorialFromMenuReusesStartButton();
    void gameOverAndWinShowOnlyRestart();
    void runStartResetsScoreAndExplodesLeftovers();
    void restartResetsCharacter();
    void leavingDuringDashEndsIt();
    void pauseOnTheDeathTickBanksOnce();
    void restartAfterDeathInDashKeepsStartInvincibility();
    void loadingScreenPaintsOnlyItsLayers();
    void worldPaintedOnlyOnWorldScreens();
};

void StagesTest::buttonPositions_data() {
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRectF>("rect");

    QTest::newRow("menu start") << int(Menu) << 1 << QRectF(880, 794, 158, 142);
    QTest::newRow("menu tutorial") << int(Menu) << 8 << QRectF(1038, 873, 142, 63);
    QTest::newRow("menu upgrade") << int(Menu) << 7 << QRectF(738, 873, 142, 63);
    QTest::newRow("menu quit") << int(Menu) << 6 << QRectF(1820, 995, 99, 44);
    QTest::newRow("tutorial start") << int(Tutorial) << 1 << QRectF(880, 794, 158, 142);
    QTest::newRow("run pause") << int(Run) << 3 << QRectF(1820, 995, 99, 44);
    QTest::newRow("pause home") << int(Pause) << 10 << QRectF(1820, 995, 99, 44);
    QTest::newRow("pause continue") << int(Pause) << 5 << QRectF(880, 794, 158, 142);
    QTest::newRow("game over restart") << int(GameOver) << 2 << QRectF(880, 448, 158, 142);
    QTest::newRow("win restart") << int(Win) << 2 << QRectF(880, 794, 158, 142);
}

void StagesTest::buttonPositions() {
    QFETCH(int, screen);
    QFETCH(int, id);
    QFETCH(QRectF, rect);

    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Screen(screen)));
    QCOMPARE(game->rect(), QRect(0, 0, 1920, 1040));
    GameButton* button = game->button(id);
    QVERIFY(button);
    QVERIFY(button->isVisible());
    QCOMPARE(button->rect(), rect);
}

void StagesTest::tutorialPictureLayout() {
    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Tutorial));
    const QImage guide =
        game->guideImage().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(guide.size(), QSize(1127, 711));

    const QImage frame = grabFrame(game);
    // floor(1920 / 2) - floor(1127 / 2) = 397; 1040 / 2.5 - floor(711 / 2) = 61.
    QCOMPARE(frame.copy(397, 61, 1127, 711), guide);
    // Nothing of the picture one pixel further out on any side.
    for (int y = 61; y < 61 + 711; y += 50) {
        QCOMPARE(frame.pixel(396, y), kLightGrey);
        QCOMPARE(frame.pixel(397 + 1127, y), kLightGrey);
    }
    for (int x = 397; x < 397 + 1127; x += 50) {
        QCOMPARE(frame.pixel(x, 60), kLightGrey);
        QCOMPARE(frame.pixel(x, 61 + 711), kLightGrey);
    }
}

void StagesTest::transitions_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("banks");

    QTest::newRow("menu start -> run") << int(Menu) << int(ClickStart) << 2 << false;
    QTest::newRow("menu tutorial -> tutorial") << int(Menu) << int(ClickTeach) << 7 << false;
    QTest::newRow("menu upgrade -> upgrade") << int(Menu) << int(ClickUpgrade) << 8 << false;
    QTest::newRow("tutorial start -> menu")
        << int(Tutorial) << int(ClickTutorialStart) << 1 << false;
    QTest::newRow("run pause button -> pause") << int(Run) << int(ClickPause) << 3 << false;
    QTest::newRow("run escape -> pause") << int(Run) << int(HoldEscape) << 3 << false;
    QTest::newRow("run death -> game over, banks") << int(Run) << int(Death) << 4 << true;
    QTest::newRow("run boss beaten -> win, banks") << int(Run) << int(BossBeaten) << 5 << true;
    QTest::newRow("run gameEnd -> game over, banks") << int(Run) << int(EndSlot) << 4 << true;
    QTest::newRow("pause continue -> run") << int(Pause) << int(ClickContinue) << 2 << false;
    QTest::newRow("pause home -> menu, banks") << int(Pause) << int(ClickHome) << 1 << true;
    QTest::newRow("game over restart -> menu") << int(GameOver) << int(ClickRestart) << 1 << false;
    QTest::newRow("win restart -> menu") << int(Win) << int(ClickRestart) << 1 << false;
    QTest::newRow("win death -> game over, banks again") << int(Win) << int(Death) << 4 << true;
    QTest::newRow("upgrade quit -> menu") << int(Upgrade) << int(ClickUpgradeQuit) << 1 << false;
}

void StagesTest::transitions() {
    QFETCH(int, from);
    QFETCH(int, event);
    QFETCH(int, to);
    QFETCH(bool, banks);

    GameHarness game;
    laterStart(game, "120");
    QVERIFY(reach(game, Screen(from)));
    game->scoreBoard()->setScore(57);
    const int bankBefore = readFile("game_score.txt").toInt();

    perform(game, Event(event));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(game->stage(), to);
    const QByteArray expected = QByteArray::number(banks ? bankBefore + 57 : bankBefore);
    QCOMPARE(readFile("game_score.txt"), expected);
    if (event == Death || event == BossBeaten || event == EndSlot || event == HoldEscape)
        QCOMPARE(game->mousePos(), kAway);
    QCOMPARE(game->isPaused(), to == 3 || to == 4);
    QCOMPARE(game->isGameOver(), to == 4);
}

void StagesTest::menuQuitButtonQuits() {
    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Menu));
    // No event loop runs here, so quitting only shows in the log.
    QTest::ignoreMessage(QtDebugMsg, "QUIT");
    game.clickButton(6);
    QCOMPARE(game->stage(), 1);
}

void StagesTest::runIgnoredFromOtherStages_data() {
    QTest::addColumn<int>("screen");
    QTest::newRow("loading") << -1;
    QTest::newRow("story") << -2;
    QTest::newRow("game over") << int(GameOver);
    QTest::newRow("win") << int(Win);
    QTest::newRow("tutorial") << int(Tutorial);
    QTest::newRow("upgrade") << int(Upgrade);
}

void StagesTest::runIgnoredFromOtherStages() {
    QFETCH(int, screen);

    GameHarness game;
    if (screen == -2) {
        QVERIFY(game.finishLoading());
        QCOMPARE(game->stage(), 6);
    } else if (screen >= 0) {
        laterStart(game);
        QVERIFY(reach(game, Screen(screen)));
    }
    const int stage = game->stage();
    const QList<GameButton*> before = game->buttons();
    const bool paused = game->isPaused();
    const bool over = game->isGameOver();
    game.pressMouse(QPointF(3, 3), Qt::MiddleButton);
    QCOMPARE(game->mousePos(), QPointF(3, 3));

    game->changeToStage(2);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->mousePos(), kAway);
    QCOMPARE(game->buttons(), before);
    QCOMPARE(game->isPaused(), paused);
    QCOMPARE(game->isGameOver(), over);
    game.releaseMouse(QPointF(3, 3), Qt::MiddleButton);
}

void StagesTest::outOfRangeStageOnlyMovesMouse_data() {
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("type");
    QTest::newRow("menu, 9") << int(Menu) << 9;
    QTest::newRow("menu, -1") << int(Menu) << -1;
    QTest::newRow("run, 9") << int(Run) << 9;
    QTest::newRow("pause, 100") << int(Pause) << 100;
}

void StagesTest::outOfRangeStageOnlyMovesMouse() {
    QFETCH(int, screen);
    QFETCH(int, type);

    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Screen(screen)));
    const int stage = game->stage();
    const QList<GameButton*> before = game->buttons();
    QList<bool> visibility;
    for (const GameButton* button : before)
        visibility.append(button->isVisible());
    const bool paused = game->isPaused();
    game.pressMouse(QPointF(3, 3), Qt::MiddleButton);

    game->changeToStage(type);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(game->mousePos(), kAway);
    QCOMPARE(game->buttons(), before);
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(before.at(i)->isVisible(), visibility.at(i));
    QCOMPARE(game->isPaused(), paused);
    game.releaseMouse(QPointF(3, 3), Qt::MiddleButton);
}

void StagesTest::firstStartFlow() {
    GameHarness game;
    QVERIFY(game->isFirstStart());
    QCOMPARE(game->stage(), 0);
    QVERIFY(!QFileInfo::exists("data_0"));

    // A stray click during loading must not survive the change of screen.
    game.pressMouse(QPointF(5, 5), Qt::MiddleButton);
    game.releaseMouse(QPointF(5, 5), Qt::MiddleButton);
    QVERIFY(game.finishLoading());
    QCOMPARE(game->stage(), 6);
    QCOMPARE(game->mousePos(), kAway);
    QVERIFY(game->textList());
    QVERIFY(!QFileInfo::exists("data_0"));
    QVERIFY(game->buttons().isEmpty());

    int frames = 0;
    while (game->stage() == 6 && frames < 20000) {
        game.paint();
        ++frames;
    }
    QCOMPARE(game->stage(), 7);
    QCOMPARE(readFile("data_0"), QByteArray("1"));
    QVERIFY(!game->isFirstStart());
    QCOMPARE(game->guideImage().size(), QSize(1127, 711));
    QCOMPARE(visibleIds(game.widget()), QList<int>{1});

    game.clickButton(1);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("data_0"), QByteArray("1"));
}

void StagesTest::laterStartGoesStraightToMenu() {
    GameHarness game;
    QVERIFY(game.reachMenu());
    QVERIFY(!game->isFirstStart());

    game.restart();
    QVERIFY(!game->isFirstStart());
    QCOMPARE(game->stage(), 0);
    QVERIFY(game.finishLoading());
    QCOMPARE(game->stage(), 1);
    QVERIFY(!game->textList());
    QCOMPARE(game->buttons().size(), 4);
}

void StagesTest::storyTextsAsWritten() {
    GameHarness game;
    QVERIFY(game.finishLoading());
    QCOMPARE(game->stage(), 6);
    const QStringList expected = {
        QStringLiteral("恐龙，是怎么灭绝的？\n天上掉下来的，\n真的只是陨石吗？\n恐怕未必。"),
        QStringLiteral("轰击地球的,\n不是石头。\n是墨鲲的卵鞘，\n来自深空。\n墨鲲降临。"),
        QStringLiteral("幼龙侵害万物。\n植物、恐龙、其他生灵……\n巨兽哀鸣倒地。\n天空布满掠影。"),
        QStringLiteral(
            "世上生灵皆被异化，\n你是唯一幸存者。\n焦土中，残骸间。\n背上，浮游炮…唯一伙伴。"),
        QStringLiteral("它低鸣，警示。\n绿光，在炮口闪烁。\n快跑！急奔！\n炮口旋转，锁定…\n但墨"
                       "鲲从来都不止一只。"),
        QStringLiteral("逃亡，\n已经开始。"),
    };
    QStringList texts;
    for (const GameText* text : game->textList()->texts())
        texts.append(text->text());
    QCOMPARE(texts, expected);
    // Text 2 keeps its ASCII comma.
    QVERIFY(texts.at(1).startsWith(QStringLiteral("轰击地球的,\n")));
    QCOMPARE(game->textList()->index(), 0);
}

void StagesTest::tutorialFromMenuReusesStartButton() {
    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Menu));
    QPointer<GameButton> start = game->button(1);
    const QList<GameButton*> menuButtons = game->buttons();
    QCOMPARE(menuButtons.size(), 4);

    game.clickButton(8);
    QCOMPARE(game->stage(), 7);
    QVERIFY(start);
    QCOMPARE(visibleIds(game.widget()), QList<int>{1});
    QCOMPARE(game->buttons().last(), start.data());
    QCOMPARE(start->rect(), QRectF(880, 794, 158, 142));
    // The menu's other buttons stay in the list, hidden.
    QCOMPARE(game->buttons().size(), 4);
    for (GameButton* button : menuButtons)
        QVERIFY(game->buttons().contains(button));
    QVERIFY(!game->button(8)->isVisible());
    QVERIFY(!game->button(7)->isVisible());
    QVERIFY(!game->button(6)->isVisible());
}

void StagesTest::gameOverAndWinShowOnlyRestart() {
    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, GameOver));
    QCOMPARE(visibleIds(game.widget()), QList<int>{2});
    QCOMPARE(game->buttons().size(), 2);
    QVERIFY(!game->button(3)->isVisible());
    QCOMPARE(game->buttons().last()->id, 2);

    GameHarness won;
    laterStart(won);
    QVERIFY(reach(won, Win));
    QCOMPARE(visibleIds(won.widget()), QList<int>{2});
    QVERIFY(!won->button(3)->isVisible());
    // The win screen keeps the world going: not paused, not over.
    QVERIFY(!won->isPaused());
    QVERIFY(!won->isGameOver());
}

void StagesTest::runStartResetsScoreAndExplodesLeftovers() {
    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Menu));
    for (int i = 0; i < 400 && (game->cactusList().isEmpty() || game->birdList().isEmpty()); ++i) {
        game->updateObstacles();
        game.stopTimers();
        game.tick(5);
    }
    QVERIFY(!game->cactusList().isEmpty());
    QVERIFY(!game->birdList().isEmpty());
    for (const Obstacle* obstacle : game->cactusList() + game->birdList()) {
        QVERIFY(obstacle->active);
        QVERIFY(!obstacle->exploding);
    }
    QList<QPointF> birdPositions;
    for (const Obstacle* bird : game->birdList())
        birdPositions.append(bird->pos());
    game->scoreBoard()->setScore(33);
    QVERIFY(!game->scoreBoard()->isVisible());

    const QPointF at = game->button(1)->rect().center();
    game.pressMouse(at);
    game.tick();
    QCOMPARE(game->stage(), 2);
    QCOMPARE(game->scoreBoard()->score(), 0);
    QVERIFY(game->scoreBoard()->isVisible());
    for (const Obstacle* cactus : game->cactusList()) {
        QVERIFY(!cactus->active);
        QVERIFY(cactus->exploding);
    }
    QCOMPARE(game->birdList().size(), birdPositions.size());
    for (int i = 0; i < birdPositions.size(); ++i) {
        const Obstacle* bird = game->birdList().at(i);
        QVERIFY(!bird->active);
        QVERIFY(bird->exploding);
        QCOMPARE(bird->hitPos(), birdPositions.at(i));
    }
    game.releaseMouse(at);
}

void StagesTest::restartResetsCharacter() {
    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, GameOver));
    QCOMPARE(game->character()->health(), 0.0);
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->character()->health(), 1.0);
    QVERIFY(game->character()->isInvincible());
    QVERIFY(!game->character()->hasLanded());
}

// Home from a pause taken mid-dash: the dash must not carry its
// invincibility into the next run, where nothing would ever end it.
void StagesTest::leavingDuringDashEndsIt() {
    GameHarness game;
    laterStart(game);
    QVERIFY(game.reachMenu());
    QVERIFY(game.startRun());
    QVERIFY(!game->character()->isInvincible());
    game.pressKey(Qt::Key_F);
    game.tick();
    game.releaseKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    QVERIFY(game->character()->isInvincible());
    game.pressKey(Qt::Key_Escape);
    game.tick();
    game.releaseKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 3);
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QVERIFY(!game->rush()->isActive());
    QVERIFY(!game->character()->keepInvincible);
    QVERIFY(!game->character()->isInvincible());
    QCOMPARE(game->character()->posture(), 1);
    QCOMPARE(game->environment()->speed(), 8.0);

    game.clickButton(1);
    for (int i = 0; i < 200 && game->character()->isAirborne(); ++i)
        game.tick();
    QVERIFY(!game->character()->isAirborne());
    QVERIFY(!game->character()->isInvincible());
}

// Death in one tick's movement, pause before the next tick's health check,
// then home: the run is banked once and the menu stays the menu.
void StagesTest::pauseOnTheDeathTickBanksOnce() {
    GameHarness game;
    laterStart(game, "100");
    QVERIFY(game.reachMenu());
    QVERIFY(game.startRun());
    game->scoreBoard()->setScore(7);
    game->character()->die();
    game.pressKey(Qt::Key_Escape);
    game.tick();
    game.releaseKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), 3);
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("game_score.txt"), QByteArray("107"));
    game.tick(5);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("game_score.txt"), QByteArray("107"));
    QCOMPARE(game->character()->health(), 1.0);
}

void StagesTest::restartAfterDeathInDashKeepsStartInvincibility() {
    GameHarness game;
    laterStart(game);
    QVERIFY(game.reachMenu());
    QVERIFY(game.startRun());
    game.pressKey(Qt::Key_F);
    game.tick();
    game.releaseKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive());
    game->character()->die();
    game.tick();
    QCOMPARE(game->stage(), 4);
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    QVERIFY(!game->rush()->isActive());
    QVERIFY(!game->character()->keepInvincible);
    QVERIFY(game->character()->isInvincible());
    QVERIFY(!game->character()->hasLanded());
}

void StagesTest::loadingScreenPaintsOnlyItsLayers() {
    GameHarness game;
    laterStart(game);
    game->updateEnvironment();
    for (int i = 0; i < 60; ++i)
        game.tick();
    QCOMPARE(game->stage(), 0);
    QVERIFY(!game->environment()->grounds().isEmpty());
    QVERIFY(game->progressBar()->progress() > 0.0);

    const QImage frame = grabFrame(game);
    QCOMPARE(groundGreyPixels(frame, game->groundLine()), 0);

    // Everything but the bar and the dinosaur is the light-grey background.
    const QRect bar = game->progressBar()->rect().toAlignedRect().adjusted(-4, -4, 4, 4);
    const GameCharacter* dino = game->character();
    const QRect dinoRect =
        QRectF(dino->position(), dino->frame().size()).toAlignedRect().adjusted(-1, -1, 1, 1);
    QVERIFY(!dino->frame().isNull());
    int others = 0;
    for (int y = 2; y < frame.height() - 2; ++y) {
        for (int x = 2; x < frame.width() - 2; ++x) {
            if (bar.contains(x, y) || dinoRect.contains(x, y))
                continue;
            if (frame.pixel(x, y) != kLightGrey)
                ++others;
        }
    }
    QCOMPARE(others, 0);
    // The bar and the dinosaur are really there.
    QCOMPARE(frame.pixel(int(game->progressBar()->rect().left()) + 1, 539), qRgb(0, 0, 0));
    int dinoPixels = 0;
    for (int y = dinoRect.top(); y <= dinoRect.bottom(); ++y) {
        for (int x = dinoRect.left(); x <= dinoRect.right(); ++x) {
            if (frame.rect().contains(x, y) && frame.pixel(x, y) != kLightGrey)
                ++dinoPixels;
        }
    }
    QVERIFY(dinoPixels > 100);
}

void StagesTest::worldPaintedOnlyOnWorldScreens() {
    GameHarness story;
    QVERIFY(story.finishLoading());
    QCOMPARE(story->stage(), 6);
    QVERIFY(!story->environment()->grounds().isEmpty());
    QCOMPARE(groundGreyPixels(grabFrame(story), story->groundLine()), 0);

    GameHarness game;
    laterStart(game);
    QVERIFY(reach(game, Menu));
    game->updateEnvironment();
    game.tick(5);
    const double line = game->groundLine();
    QVERIFY(groundGreyPixels(grabFrame(game), line) > 1000);

    game.clickButton(8);
    QCOMPARE(game->stage(), 7);
    // Left and right of the guide picture the ground would show if it were drawn.
    const QImage tutorial = grabFrame(game);
    QCOMPARE(groundGreyPixels(tutorial, line, 0, 396), 0);
    QCOMPARE(groundGreyPixels(tutorial, line, 397 + 1127, 1919), 0);

    game.clickButton(1);
    QCOMPARE(game->stage(), 1);
    QVERIFY(game.startRun());
    QVERIFY(groundGreyPixels(grabFrame(game), game->groundLine()) > 1000);
    game.clickButton(3);
    QCOMPARE(game->stage(), 3);
    QVERIFY(groundGreyPixels(grabFrame(game), game->groundLine()) > 1000);
}

QTEST_MAIN(StagesTest)
#include "tst_stages.moc"
