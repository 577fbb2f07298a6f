#include "testsupport.h"

#include "statusbar.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace {
// A primitive as the paint engine saw it; only rectangles by their fill too.
QString keyOf(const PaintCall& call) {
    QString key;
    QDebug(&key) << call.kind << call.rect << call.line << call.pixmapSize << call.text
                 << (call.kind == PaintCall::Rect ? call.brush.color() : QColor());
    return key;
}

// Names every primitive the object paints alone after it.
void name(QHash<QString, QString>& names, const QString& object,
          const std::function<void(QPainter&)>& paint) {
    RecordingPaintDevice device;
    QPainter painter(&device);
    paint(painter);
    painter.end();
    for (const PaintCall& call : device.calls())
        names.insert(keyOf(call), object);
}

// The approach swoop, replayed to its middle.
void approachToMiddle(MonsterSystem* boss) {
    boss->setState(BossState::Waiting);
    boss->updateState();
    for (int i = 1; i < 50; ++i)
        boss->advanceApproach();
}

// A screen with everything it shows: new obstacles, and in a run the saucer, a bullet and the veil.
bool setScene(GameDriver& game, int stage, int bossState) {
    const bool inRun = stage >= Stage::Run && stage <= Stage::Win;
    Widget* w = game.widget();
    if (!game.reach(inRun ? Stage::Run : stage))
        return false;
    w->scoreBoard()->setScore(w->monsterSystem()->startScore());
    for (int i = 0; inRun && i < 300 && w->monsterSystem()->state() != bossState; ++i)
        game.tick();
    if (stage != Stage::Loading && stage != Stage::Story && stage != Stage::Tutorial)
        freshObstacles(w);
    game.tick(3); // the newcomers get their first frame
    if (inRun) {
        game.pressMouse(QPointF(1500, 60), Qt::RightButton);
        game.tick();
        game.click(QPointF(1500, 60));
    }
    if (stage == Stage::Pause)
        game.tapKey(Qt::Key_Escape);
    else if (stage == Stage::GameOver)
        w->character()->die();
    else if (stage == Stage::Win)
        w->monsterSystem()->monster()->setHealth(0);
    game.tick(stage == Stage::Win ? 130 : 1); // the end picture fades in
    if (w->monsterSystem()->state() == BossState::Approach)
        approachToMiddle(w->monsterSystem());
    return game.stage() == stage && (!inRun || !w->bulletSystem()->bullets().isEmpty());
}

QHash<QString, QString> nameObjects(Widget* w) {
    QHash<QString, QString> names;
    name(names, "background", [w](QPainter& p) { w->environment()->paintWhiteBackground(p); });
    name(names, "world", [w](QPainter& p) { w->environment()->paintEnvironment(p); });
    name(names, "bar", [w](QPainter& p) { w->progressBar()->paint(p); });
    for (const char* kind : {"cactus", "bird"}) {
        name(names, kind, [w, kind](QPainter& p) {
            for (const Obstacle* o : kind[0] == 'c' ? w->cactusList() : w->birdList())
                p.drawPixmap(o->pos(), o->frame);
        });
    }
    name(names, "dino",
         [w](QPainter& p) { p.drawPixmap(w->character()->position(), w->character()->frame()); });
    name(names, "gun", [w](QPainter& p) { p.drawPixmap(w->gun()->position(), w->gun()->frame()); });
    name(names, "veil", [w](QPainter& p) {
        p.setBrush(w->deadEye()->veilColor);
        p.drawRects(QList<QRectF>{w->rect()});
    });
    name(names, "boss", [w](QPainter& p) { w->monsterSystem()->paint(p); });
    name(names, "bullets", [w](QPainter& p) { w->bulletSystem()->paintBullets(p); });
    name(names, "panel", [w](QPainter& p) { w->statusBar()->paint(p); });
    name(names, "score", [w](QPainter& p) { w->scoreBoard()->paint(p); });
    name(names, "essence", [w](QPainter& p) { w->essenceDisplay()->paint(p); });
    // floor(1920 / 2) - floor(1127 / 2), 1080 / 2.5 - floor(711 / 2): a 1920 x 1080 window's guide.
    name(names, "guide", [w](QPainter& p) { p.drawPixmap(QPointF(397, 77), w->guideImage()); });
    name(names, "buttons", [w](QPainter& p) {
        for (const GameButton* button : w->buttons())
            button->paint(p);
    });
    if (w->stage() == Stage::Win)
        name(names, "end", [w](QPainter& p) { w->environment()->paintEnd(p); });
    return names;
}

// The objects a frame of the window paints in order; a run of one object's counts once.
QString frameOrder(Widget* w) {
    RecordingPaintDevice frame(w->size());
    w->render(&frame, QPoint(), QRegion(), QWidget::DrawChildren);
    const QHash<QString, QString> names = nameObjects(w);
    const QStringList kinds = {"rect", "line", "picture", "text"};
    QStringList order;
    for (const PaintCall& call : frame.calls()) {
        const QString name = names.value(keyOf(call), kinds[call.kind]);
        if (order.isEmpty() || order.last() != name)
            order << name;
    }
    return order.join(' ');
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    // A step serves its timers shortest first and the scene last. The first ground
    // segment comes at 500 ms; the bar reads it before the frame moves it.
    void stepOrderGroundLineAndLoadingBar() {
        GameDriver probe(kLaterStart, QSize(1920, 1000)); // measures the frame around it
        QStringList order;
        for (const StepTimer* timer : probe->timers())
            order << timer->objectName() + (timer->isActive() ? " " : " stopped ") +
                         QString::number(timer->interval());
        QCOMPARE(order.join(", "), "hits 30, cooldown 50, energy 200, reload 400, obstacles 500, "
                                   "environment 500, score 1000, scene 20");
        GameDriver game(kLaterStart, QSize(1920, 2000 - probe->frameGeometry().height()));
        game.step(25);
        QCOMPARE(game->groundLine(), 618.0);
        QCOMPARE(game->progressBar()->rect(), QRectF(759, game->rect().center().y(), 400, 40));
        QCOMPARE(game->progressBar()->progress(), 1.0 / 1920.0);
        game.step();
        QCOMPARE(game->progressBar()->progress(), 9.0 / 1920.0);
    }

    // Texts render in a real CJK font: "黑体" for most, "Arial" on the win screen.
    void chineseTextsHaveGlyphs() {
        GameDriver game;
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        for (const QString& family : {QStringLiteral("黑体"), QStringLiteral("Arial")}) {
            const QFont font(family, 25);
            QVERIFY2(chinese.contains(QFontInfo(font).family()), qPrintable(family));
            for (const QChar c : QStringLiteral("能量精粹恭喜墨鲲弹药死亡之眼技能当前等级"))
                QVERIFY(QFontMetrics(font).inFont(c));
        }
    }

    void paintOrder_data() {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("bossState");
        QTest::addColumn<QString>("order");
        const QString world = "world cactus bird ";
        const QString run = "veil dino gun bullets ";
        const QString behind = world + "boss " + run + "panel score buttons";
        QTest::newRow("loading") << Stage::Loading << 0 << "background bar dino";
        QTest::newRow("menu") << Stage::Menu << 0 << world + "text essence buttons";
        QTest::newRow("run") << Stage::Run << BossState::Fighting << behind;
        QTest::newRow("run, boss in front")
            << Stage::Run << BossState::Approach << world + run + "boss panel score buttons";
        QTest::newRow("pause") << Stage::Pause << BossState::Fighting << behind;
        QTest::newRow("game over") << Stage::GameOver << BossState::Fighting << behind;
        QTest::newRow("win") << Stage::Win << BossState::Fighting
                             << world + "boss dino gun bullets score end buttons";
        QTest::newRow("story") << Stage::Story << 0 << "background text";
        QTest::newRow("tutorial") << Stage::Tutorial << 0 << "guide buttons";
        QTest::newRow("upgrade") << Stage::Upgrade << 0 << world + "text essence rect text buttons";
    }

    void paintOrder() {
        QFETCH(int, stage);
        QFETCH(int, bossState);
        QFETCH(QString, order);
        GameDriver game(stage == Stage::Story || stage == Stage::Loading ? kFirstStart
                                                                         : kLaterStart);
        QVERIFY(setScene(game, stage, bossState));
        QCOMPARE(frameOrder(game.widget()), order);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
