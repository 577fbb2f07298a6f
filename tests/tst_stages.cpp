#include "gameharness.h"
#include "paintrecorder.h"

#include "bulletsystem.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gametext.h"
#include "monstersystem.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "skill.h"

#include <QFile>
#include <QPainter>
#include <QPointer>
#include <QTest>

namespace {
const QPointF kAway(-100.0, -100.0);
constexpr int kStory = 6;

// The story belongs to a first start, every other stage to a later start; 120 is banked.
bool reach(GameHarness& game, int stage) {
    if (!writeFile("game_score.txt", "120"))
        return false;
    return stage == kStory ? game.finishLoading() && game->stage() == kStory
                           : game.reachStage(stage);
}

// The screen's buttons in list order: "id@x,y" when shown, "-id" when hidden.
QString buttonsShown(const Widget* widget) {
    QStringList shown;
    for (const GameButton* b : widget->buttons())
        shown << (b->isVisible() ? QStringLiteral("%1@%2,%3")
                                       .arg(QString::number(b->id), QString::number(b->pos().x()),
                                            QString::number(b->pos().y()))
                                 : QString::number(-b->id));
    return shown.join(' ');
}

// One frame through the window's own paint path.
QList<PaintCall> frame(GameHarness& game) {
    RecordingPaintDevice device(game->size());
    game->render(&device);
    return device.calls();
}

// Its primitives in drawing order: "R" rectangles, "L" lines, "P" pictures, "T" texts.
QString layers(GameHarness& game) {
    QString kinds;
    for (const PaintCall& call : frame(game))
        kinds += QStringLiteral("RLPT").at(call.kind);
    return kinds;
}
} // namespace

class StagesTest : public QObject {
    Q_OBJECT
private slots:
    void screenButtons_data();
    void screenButtons();
    void transitions_data();
    void transitions();
    void leavingARunMidDash_data();
    void leavingARunMidDash();
    void firstStartScreensAndLayers();
    void tutorialFitsSmallScreens_data();
    void tutorialFitsSmallScreens();
};

void StagesTest::screenButtons_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("buttons");
    QTest::newRow("menu") << 1 << "1@880,794 8@1038,873 7@738,873 6@1820,995";
    // The menu's start button is reused and moved to the end; the others stay, hidden.
    QTest::newRow("tutorial") << 7 << "-8 -7 -6 1@880,794";
    QTest::newRow("run") << 2 << "3@1820,995";
    QTest::newRow("pause") << 3 << "10@1820,995 5@880,794";
    QTest::newRow("game over: the centre") << 4 << "-3 2@880,448";
    QTest::newRow("win: a third lower") << 5 << "-3 2@880,794";
}

void StagesTest::screenButtons() {
    QFETCH(int, stage);
    QFETCH(QString, buttons);
    GameHarness game;
    QVERIFY(reach(game, stage == 7 ? 1 : stage));
    const QPointer<GameButton> menuStart = game->button(1);
    if (stage == 7)
        game.clickButton(8);
    QCOMPARE(game->stage(), stage);
    QCOMPARE(buttonsShown(game.widget()), buttons);
    if (stage == 7)
        QCOMPARE(game->button(1), menuStart.data());
}

void StagesTest::transitions_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("banks");
    QTest::newRow("menu start -> run") << 1 << "click 1" << 2 << false;
    QTest::newRow("menu tutorial -> tutorial") << 1 << "click 8" << 7 << false;
    QTest::newRow("menu upgrade -> upgrade") << 1 << "click 7" << 8 << false;
    QTest::newRow("menu quit quits") << 1 << "click 6" << 1 << false;
    QTest::newRow("tutorial start -> menu") << 7 << "click 1" << 1 << false;
    QTest::newRow("run pause -> pause") << 2 << "click 3" << 3 << false;
    QTest::newRow("run death -> game over, banks") << 2 << "death" << 4 << true;
    QTest::newRow("run boss beaten -> win, banks") << 2 << "win" << 5 << true;
    QTest::newRow("pause continue -> run") << 3 << "click 5" << 2 << false;
    QTest::newRow("pause home -> menu, banks") << 3 << "click 10" << 1 << true;
    QTest::newRow("game over restart -> menu") << 4 << "click 2" << 1 << false;
    QTest::newRow("win restart -> menu") << 5 << "click 2" << 1 << false;
    QTest::newRow("win death -> game over, banks again") << 5 << "death" << 4 << true;
    QTest::newRow("upgrade quit -> menu") << 8 << "click 6" << 1 << false;
    // Only the menu and the pause lead to a run; unknown stages change nothing.
    QTest::newRow("run from the story ignored") << kStory << "stage 2" << kStory << false;
    QTest::newRow("run from game over ignored") << 4 << "stage 2" << 4 << false;
    QTest::newRow("run from win ignored") << 5 << "stage 2" << 5 << false;
    QTest::newRow("-1 ignored") << 1 << "stage -1" << 1 << false;
    QTest::newRow("9 ignored") << 2 << "stage 9" << 2 << false;
}

void StagesTest::transitions() {
    QFETCH(int, from);
    QFETCH(QString, event);
    QFETCH(int, to);
    QFETCH(bool, banks);
    GameHarness game;
    QVERIFY(reach(game, from));
    game->scoreBoard()->setScore(57);
    // A high bird may brush the dinosaur parked above the window: only a run
    // can be lost, and the next run starts healthy.
    if (from == 1 || from == 7 || from == 8)
        game->character()->die();
    const QString before = buttonsShown(game.widget());
    const bool click = event.startsWith("click");
    const bool quit = from == 1 && event == "click 6";
    if (quit) // without an event loop, quitting only shows in the log
        QTest::ignoreMessage(QtDebugMsg, "QUIT");
    if (from == 8)
        game.paint(); // the upgrade screen places its buttons while painting
    const int number = event.section(' ', 1).toInt();
    const QPointF at = click ? game->button(number)->rect().center() : QPointF(3, 3);
    // A click stays held: the tutorial's start and the pause's home lie where
    // the menu's start and quit appear, yet act only once.
    game.pressMouse(at, click ? Qt::LeftButton : Qt::MiddleButton);
    if (event == "death")
        game->character()->setHealth(0.0);
    else if (event == "win")
        emit game->monsterSystem()->gameWin();
    else if (!click)
        game->changeToStage(number);
    game.tick(quit ? 1 : 4);
    QCOMPARE(game->stage(), to);
    QCOMPARE(game->mousePos(), quit ? QPointF(at.toPoint()) : kAway);
    game.releaseMouse(at, click ? Qt::LeftButton : Qt::MiddleButton);
    if (to == from)
        QCOMPARE(buttonsShown(game.widget()), before);
    QCOMPARE(readFile("game_score.txt"), QByteArray(banks ? "177" : "120"));
    QCOMPARE(game->isPaused(), to == 3 || to == 4);
    QCOMPARE(game->isGameOver(), to == 4);
    QCOMPARE(game->bulletSystem()->isReloadPaused(), to == 3 || to == 4 || to == 5);
    // The run's score lives until the menu or a new run resets it.
    const bool reset = (to == 1 && from != 1) || (to == 2 && from == 1);
    QCOMPARE(game->scoreBoard()->score(), reset ? 0 : 57);
    QCOMPARE(game->scoreBoard()->isVisible(), to >= 2 && to <= 5);
}

void StagesTest::leavingARunMidDash_data() {
    QTest::addColumn<bool>("died");
    QTest::addColumn<bool>("paused");
    QTest::newRow("home from a pause") << false << true;
    QTest::newRow("restart after a death") << true << false;
    // The pause comes before the health check has seen the death: banked once on the way home.
    QTest::newRow("home from a pause on the death tick") << true << true;
}

// The dash must not carry its invincibility past the run, where nothing would end it.
void StagesTest::leavingARunMidDash() {
    QFETCH(bool, died);
    QFETCH(bool, paused);
    GameHarness game;
    QVERIFY(reach(game, 2));
    GameCharacter* dino = game->character();
    game->scoreBoard()->setScore(57);
    game.tapKey(Qt::Key_F);
    QVERIFY(game->rush()->isActive() && dino->isInvincible());
    if (died)
        dino->die();
    if (paused)
        game.pressKey(Qt::Key_Escape);
    game.tick();
    game.releaseKey(Qt::Key_Escape);
    QCOMPARE(game->stage(), paused ? 3 : 4);
    game.clickButton(paused ? 10 : 2);
    game.tick(5);
    QVERIFY(game->stage() == 1 && dino->health() == 1.0);
    QCOMPARE(readFile("game_score.txt"), QByteArray("177"));
    QVERIFY(!game->rush()->isActive() && !dino->keepInvincible);
    QVERIFY(dino->posture() == 1 && game->environment()->speed() == 8.0);
    // Only a reset character keeps its start invincibility, until it lands.
    QCOMPARE(dino->isInvincible(), died);
    QCOMPARE(dino->hasLanded(), !died);
    QVERIFY(game.startRun());
    QVERIFY(!dino->isInvincible());
}

// Loading shows only its background, bar and dinosaur; the story and the
// tutorial hide the world that the menu, the run and the pause show.
void StagesTest::firstStartScreensAndLayers() {
    GameHarness game;
    game->updateEnvironment();
    game.tick(60);
    QVERIFY(!game->environment()->grounds().isEmpty());
    // After the window's own background: the light grey, the bar's fill and outline, the dinosaur.
    const QList<PaintCall> loading = frame(game);
    QCOMPARE(layers(game), QStringLiteral("RRRRP"));
    QCOMPARE(loading[1].brush.color(), QColor(240, 240, 240));
    QCOMPARE(loading[3].rect, game->progressBar()->rect());
    QCOMPARE(loading[4].rect.topLeft(), game->character()->position());

    QVERIFY(reach(game, kStory));
    QVERIFY(!layers(game).contains('L'));
    TextList* story = game->textList();
    RecordingPaintDevice device;
    QPainter painter(&device);
    for (int i = 0; i < 20000 && game->stage() == kStory; ++i)
        story->display(painter);
    QCOMPARE(game->stage(), 7);
    // The guide picture's corner: floor(1920 / 2) - floor(1127 / 2), 1040 / 2.5 - floor(711 / 2).
    QCOMPARE(layers(game), QStringLiteral("RPP"));
    QCOMPARE(frame(game)[1].rect, QRectF(397, 61, 1127, 711));

    // A second visit restarts the story. Connected in between, this runs after the
    // window's own slot, so a second connection of that slot would write data_0 again.
    connect(story, &TextList::end, this, [] { QFile::remove("data_0"); });
    game->gameIntro();
    QVERIFY(game->textList() == story && story->count() == 6 && story->index() == 0);
    emit story->end();
    QCOMPARE(game->stage(), 7);
    QVERIFY(!QFile::exists("data_0"));

    game.clickButton(1);
    QVERIFY(layers(game).contains('L'));
    QVERIFY(game.startRun());
    QVERIFY(layers(game).contains('L'));
    game.clickButton(3);
    QCOMPARE(game->stage(), 3);
    QVERIFY(layers(game).contains('L'));
}

void StagesTest::tutorialFitsSmallScreens_data() {
    QTest::addColumn<QSize>("client");
    QTest::newRow("1366 x 768") << QSize(1366, 768);
    QTest::newRow("1280 x 720") << QSize(1280, 720);
    QTest::newRow("1920 x 1040") << QSize(1920, 1040);
}

// Centred at 40 % of the height, the 1127 x 711 guide is shrunk only where it
// would reach above the window or under the start button.
void StagesTest::tutorialFitsSmallScreens() {
    QFETCH(QSize, client);
    GameHarness game(client);
    QVERIFY(game.reachStage(7));
    const QRectF guide = frame(game)[1].rect;
    if (client.height() == 1040) {
        QCOMPARE(guide, QRectF(397, 61, 1127, 711));
        return;
    }
    QVERIFY(guide.top() >= 0 && guide.left() >= 0 && guide.right() <= client.width());
    QVERIFY(guide.bottom() <= game->button(1)->rect().top());
    QVERIFY(qAbs(guide.width() / guide.height() - 1127.0 / 711) < 0.01);
    QVERIFY(qAbs(guide.center().y() - client.height() / 2.5) <= 1.0);
}

QTEST_MAIN(StagesTest)
#include "tst_stages.moc"
