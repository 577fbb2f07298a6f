#include "testsupport.h"

#include "gametext.h"

namespace {
constexpr QSize kSize(1920, 1040);
const SavedFiles kBank120 = {{"data_0", "1"}, {"game_score.txt", "120"}};
enum Event { Click, Death, Beaten, Switch };
const QMap<int, QString> kButtonNames = {
    {ButtonId::Start, "start"}, {ButtonId::Restart, "restart"},   {ButtonId::Pause, "pause"},
    {ButtonId::Quit, "quit"},   {ButtonId::Continue, "continue"}, {ButtonId::Upgrade, "upgrade"},
    {ButtonId::Teach, "teach"}, {ButtonId::Home, "home"},         {ButtonId::Confirm, "confirm"}};
// Each screen's flags (paused, game over, reload paused, score shown), then its buttons in order,
// "-name" when hidden.
const QMap<int, QString> kScreens = {
    {Stage::Menu, "0000 start@880,794 teach@1038,873 upgrade@738,873 quit@1820,995"},
    {Stage::Tutorial, "0000 -teach -upgrade -quit start@880,794"},
    {Stage::Run, "0001 pause@1820,995"},
    {Stage::Pause, "1011 home@1820,995 continue@880,794"},
    {Stage::GameOver, "1111 -pause restart@880,448"},
    {Stage::Win, "0011 -pause restart@880,794"},
    {Stage::Upgrade, "0000 confirm@736,590 quit@1086,590"}};

QString screenShown(const Widget* widget) {
    QStringList shown = {QString::asprintf("%d%d%d%d", widget->isPaused(), widget->isGameOver(),
                                           widget->bulletSystem()->isReloadPaused(),
                                           widget->scoreBoard()->isVisible())};
    for (const GameButton* b : widget->buttons()) {
        const QString name = kButtonNames.value(b->id);
        shown << (b->isVisible() ? name + QString::asprintf("@%g,%g", b->pos().x(), b->pos().y())
                                 : "-" + name);
    }
    return shown.join(' ');
}

int bank() {
    return readFile("game_score.txt").toInt();
}
} // namespace

class StagesTest : public QObject {
    Q_OBJECT
private slots:
    void transitions_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("what"); // the button clicked or the stage switched to
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("banks");
        const auto row = [](const char* name, int from, Event event, int what, int to, bool banks) {
            QTest::newRow(name) << from << int(event) << what << to << banks;
        };
        using namespace Stage;
        row("menu start -> run", Menu, Click, ButtonId::Start, Run, false);
        row("menu tutorial -> tutorial", Menu, Click, ButtonId::Teach, Tutorial, false);
        row("menu upgrade -> upgrade", Menu, Click, ButtonId::Upgrade, Upgrade, false);
        row("menu quit quits", Menu, Click, ButtonId::Quit, Menu, false);
        row("tutorial start -> menu", Tutorial, Click, ButtonId::Start, Menu, false);
        row("run pause -> pause", Run, Click, ButtonId::Pause, Pause, false);
        row("run death -> game over, banks", Run, Death, 0, GameOver, true);
        row("run boss beaten -> win, banks", Run, Beaten, 0, Stage::Win, true);
        row("pause continue -> run", Pause, Click, ButtonId::Continue, Run, false);
        row("pause home -> menu, banks", Pause, Click, ButtonId::Home, Menu, true);
        row("game over restart -> menu", GameOver, Click, ButtonId::Restart, Menu, false);
        row("win restart -> menu", Stage::Win, Click, ButtonId::Restart, Menu, false);
        row("win death -> game over, banks again", Stage::Win, Death, 0, GameOver, true);
        row("upgrade quit -> menu", Upgrade, Click, ButtonId::Quit, Menu, false);
        // Only the menu and the pause lead to a run.
        row("run from game over ignored", GameOver, Switch, Run, GameOver, false);
        row("run from win ignored", Stage::Win, Switch, Run, Stage::Win, false);
    }

    void transitions() {
        QFETCH(int, from);
        QFETCH(int, event);
        QFETCH(int, what);
        QFETCH(int, to);
        QFETCH(bool, banks);
        GameDriver game(kBank120, kSize);
        QVERIFY(game.reach(from));
        const int bankBefore = bank();
        game->scoreBoard()->setScore(57);
        // A bird may brush the parked dinosaur: only a run can be lost; the next starts healthy.
        if (from == Stage::Menu || from == Stage::Tutorial || from == Stage::Upgrade)
            game->character()->die();
        const bool quit = from == Stage::Menu && what == ButtonId::Quit;
        if (quit) // without an event loop, quitting only shows in the log
            QTest::ignoreMessage(QtDebugMsg, "QUIT");
        QVERIFY(event != Click || game->button(what)); // a missing button fails, not crashes
        const QPointF at = event == Click ? game->button(what)->rect().center() : QPointF(3, 3);
        // A click stays held: the next screen's buttons under it must not act.
        game.pressMouse(at, event == Click ? Qt::LeftButton : Qt::MiddleButton);
        if (event == Death)
            game->character()->setHealth(0.0);
        else if (event == Beaten)
            emit game->monsterSystem()->gameWin();
        else if (event == Switch)
            game->changeToStage(what);
        game.tick(quit ? 1 : 4);
        QCOMPARE(std::tuple(game.stage(), screenShown(game.widget()), game->mousePos()),
                 std::tuple(to, kScreens.value(to), quit ? at : QPointF(-100, -100)));
        // The run's score lives until the menu or a new run resets it; a run ticks on.
        const int score = game->scoreBoard()->score();
        const bool reset =
            (to == Stage::Menu && from != Stage::Menu) || (to == Stage::Run && from == Stage::Menu);
        const int kept = reset ? 0 : 57;
        QVERIFY(score == kept || (score == kept + 1 && (from == Stage::Run || to == Stage::Run)));
        QCOMPARE(bank(), bankBefore + (banks ? std::max(57, score) : 0));
    }

    void leavingARunMidDash_data() {
        QTest::addColumn<bool>("died");
        QTest::addColumn<bool>("paused");
        QTest::newRow("home from a pause") << false << true;
        QTest::newRow("restart after a death") << true << false;
        // Paused before the health check saw the death: banked once, on the way home.
        QTest::newRow("home from a pause on the death tick") << true << true;
    }

    // The dash must not carry its invincibility past the run, where nothing would end it.
    void leavingARunMidDash() {
        QFETCH(bool, died);
        QFETCH(bool, paused);
        GameDriver game(kBank120, kSize);
        QVERIFY(game.reach(Stage::Run));
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
        const int score = game->scoreBoard()->score();
        game.clickButton(paused ? ButtonId::Home : ButtonId::Restart);
        game.tick(5);
        // Only a reset character keeps its start invincibility, until it lands.
        QCOMPARE(std::tuple(game.stage(), dino->health(), bank() - score, dino->posture(),
                            game->rush()->isActive() || dino->keepInvincible,
                            game->environment()->speed(), dino->isInvincible(), dino->hasLanded()),
                 std::tuple(Stage::Menu, 1.0, 120, Posture::Upright, false, 8.0, died, !died));
        QVERIFY(score >= 57 && game.startRun() && !dino->isInvincible());
    }

    // The story moves on by itself, ignoring clicks; the tutorial's marker skips both later.
    void storyAndTutorial() {
        GameDriver game(kFirstStart, kSize);
        QVERIFY(game.reach(Stage::Story) && game->buttons().isEmpty());
        QString texts;
        for (const GameText* text : game->textList()->texts())
            texts += text->text() + '|';
        // Text 2 keeps its ASCII comma.
        QCOMPARE(
            texts,
            QStringLiteral(
                "恐龙，是怎么灭绝的？\n天上掉下来的，\n真的只是陨石吗？\n恐怕未必。|"
                "轰击地球的,\n不是石头。\n是墨鲲的卵鞘，\n来自深空。\n墨鲲降临。|"
                "幼龙侵害万物。\n植物、恐龙、其他生灵……\n巨兽哀鸣倒地。\n天空布满掠影。|"
                "世上生灵皆被异化，\n你是唯一幸存者。\n焦土中，残骸间。\n背上，浮游炮…唯一伙伴。|"
                "它低鸣，警示。\n绿光，在炮口闪烁。\n快跑！急奔！\n炮口旋转，锁定…\n但墨鲲从来都不"
                "止一只。|"
                "逃亡，\n已经开始。|"));
        game.click(QPointF(960, 520));
        for (int i = 0; i < 20000 && game.stage() == Stage::Story; ++i) {
            QVERIFY(!QFile::exists("data_0"));
            game.tick();
        }
        QCOMPARE(game.stage(), Stage::Tutorial);
        QCOMPARE(readFile("data_0"), QByteArray("1"));
        // A second visit restarts the story; a second connection of its slot would rewrite data_0.
        TextList* story = game->textList();
        connect(story, &TextList::end, this, [] { QFile::remove("data_0"); });
        game->gameIntro();
        QVERIFY(game->textList() == story && story->count() == 6 && story->index() == 0);
        emit story->end();
        QVERIFY(game.stage() == Stage::Tutorial && !QFile::exists("data_0"));
    }

    // The 1127 x 711 guide, centred at 40 % of the height, shrinks to fit above the start button.
    void tutorialFitsSmallScreens() {
        GameDriver game(kLaterStart, QSize(1366, 768));
        QVERIFY(game.reach(Stage::Tutorial));
        RecordingPaintDevice device(game->size());
        game->render(&device);
        const QRectF guide = device.callsOf(PaintCall::Pixmap).first().rect;
        QVERIFY(QRectF(0, 0, 1366, game->button(ButtonId::Start)->rect().top()).contains(guide));
        QVERIFY(qAbs(guide.width() / guide.height() - 1127.0 / 711) < 0.01);
        QVERIFY(qAbs(guide.center().y() - 768 / 2.5) <= 1.0);
    }
};

QTEST_MAIN(StagesTest)
#include "tst_stages.moc"
