#include "gameharness.h"
#include "paintrecorder.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"

#include <QFile>
#include <QPainter>
#include <QTest>

#include <memory>

// The upgrade screen: what each level is worth, what it costs, how the screen
// is laid out and what buying does to the saved files.
class UpgradeTest : public QObject {
    Q_OBJECT
private slots:
    void levelTable_data();
    void levelTable();
    void priceCapsAt1500_data();
    void priceCapsAt1500();
    void panelGeometryAndButtonArea_data();
    void panelGeometryAndButtonArea();
    void purchaseWithExactPrice();
    void confirmStaysHiddenForTheVisit();
    void quitReturnsToMenu();
    void levelsBoughtInTurn();
    void currencyPassesThroughSevenDigits();
    void levelZeroBuysOnlyTheLevel();
    void negativeLevelFollowsTheFormulas();
};

namespace {
constexpr int kUpgradeButton = 7;
constexpr int kQuitButton = 6;
constexpr int kConfirmButton = 11;

// A player whose saved files hold these values starts the game (tutorial
// already seen) and reaches the menu.
std::unique_ptr<GameHarness> startWith(const QByteArray& level, const QByteArray& essence,
                                       QSize size = QSize(1920, 1040)) {
    auto game = std::make_unique<GameHarness>(size);
    if (!writeFile(QStringLiteral("data_0"), "1") || !writeFile(QStringLiteral("data_1"), level) ||
        !writeFile(QStringLiteral("game_score.txt"), essence))
        return nullptr;
    game->restart();
    if (!game->finishLoading() || (*game)->stage() != 1)
        return nullptr;
    return game;
}

// Opens the upgrade screen and lets one frame lay it out.
bool openUpgradeScreen(GameHarness& game) {
    game.clickButton(kUpgradeButton);
    game.paint();
    return game->stage() == 8;
}

QList<PaintCall> recordUpgrade(Widget* widget) {
    RecordingPaintDevice device(widget->size());
    {
        QPainter painter(&device);
        widget->paintUpgrade(painter);
    }
    return device.calls();
}

// Everything written on the upgrade screen, in drawing order. Text items may
// be split by the layout (lines, font fallback), so the pieces are joined.
QString writtenText(const QList<PaintCall>& calls) {
    QString text;
    for (const PaintCall& call : calls) {
        if (call.kind == PaintCall::Text)
            text += call.text;
    }
    return text;
}

QString expectedRows(int level, const QString& effect, int price) {
    return QStringLiteral("能量精粹") + QStringLiteral("当前等级为：") + QString::number(level) +
           QStringLiteral("升级效果:") + effect + QStringLiteral("升级所需能量精粹:") +
           QString::number(price);
}

bool confirmVisible(GameHarness& game) {
    GameButton* confirm = game->button(kConfirmButton);
    return confirm && confirm->isVisible();
}
} // namespace

void UpgradeTest::levelTable_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("maxEnergy");
    QTest::addColumn<double>("recovery");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<double>("damage");
    QTest::addColumn<QString>("effect");
    QTest::addColumn<int>("price");

    const QString energy = QStringLiteral("死亡之眼最大持续时间增加");
    const QString magazine = QStringLiteral("浮游炮子弹容量增加");
    const QString recovery = QStringLiteral("死亡之眼恢复速度增加");
    const QString damage = QStringLiteral("浮游炮伤害增加");
    QTest::newRow("level 0") << 0 << 20.0 << 0.2 << 5 << 10.0 << damage << 0;
    QTest::newRow("level 1") << 1 << 20.0 << 0.2 << 5 << 10.0 << energy << 50;
    QTest::newRow("level 2") << 2 << 36.0 << 0.2 << 5 << 10.0 << magazine << 100;
    QTest::newRow("level 3") << 3 << 36.0 << 0.2 << 8 << 10.0 << recovery << 150;
    QTest::newRow("level 4") << 4 << 36.0 << 0.35 << 8 << 10.0 << damage << 200;
    QTest::newRow("level 5") << 5 << 36.0 << 0.35 << 8 << 20.0 << energy << 250;
    QTest::newRow("level 6") << 6 << 52.0 << 0.35 << 8 << 20.0 << magazine << 300;
    QTest::newRow("level 7") << 7 << 52.0 << 0.35 << 11 << 20.0 << recovery << 350;
    QTest::newRow("level 8") << 8 << 52.0 << 0.5 << 11 << 20.0 << damage << 400;
    QTest::newRow("level 9") << 9 << 52.0 << 0.5 << 11 << 30.0 << energy << 450;
}

void UpgradeTest::levelTable() {
    QFETCH(int, level);
    QFETCH(double, maxEnergy);
    QFETCH(double, recovery);
    QFETCH(int, capacity);
    QFETCH(double, damage);
    QFETCH(QString, effect);
    QFETCH(int, price);

    const int shortBy = qMax(price - 1, 0);
    auto game = startWith(QByteArray::number(level), QByteArray::number(shortBy));
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->character()->level(), level);
    QCOMPARE(w->deadEye()->maxEnergy, maxEnergy);
    QVERIFY2(qAbs(w->deadEye()->recovery - recovery) < 1e-9,
             qPrintable(QString::number(w->deadEye()->recovery, 'g', 17)));
    QCOMPARE(w->bulletSystem()->capacity(), capacity);
    QCOMPARE(w->bulletSystem()->damage(), damage);
    // The menu resets DeadEye and the magazine after the numbers change, so
    // the next run starts full.
    QCOMPARE(w->deadEye()->energy(), maxEnergy);
    QCOMPARE(w->bulletSystem()->bulletCount(), capacity);

    QVERIFY(openUpgradeScreen(*game));
    QCOMPARE(writtenText(recordUpgrade(w)), expectedRows(level, effect, price));
    // One short of the price hides the confirm button (a free level is always affordable).
    QCOMPARE(confirmVisible(*game), price == 0);

    // Exactly the price: back to the menu, which re-reads the file, and in again.
    QVERIFY(writeFile(QStringLiteral("game_score.txt"), QByteArray::number(price)));
    game->clickButton(kQuitButton);
    QCOMPARE(w->stage(), 1);
    QVERIFY(openUpgradeScreen(*game));
    QCOMPARE(w->essenceDisplay()->number(), price);
    QVERIFY(confirmVisible(*game));
}

void UpgradeTest::priceCapsAt1500_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("effect");
    QTest::addColumn<int>("price");

    QTest::newRow("level 29") << 29 << QStringLiteral("死亡之眼最大持续时间增加") << 1450;
    QTest::newRow("level 30") << 30 << QStringLiteral("浮游炮子弹容量增加") << 1500;
    QTest::newRow("level 31") << 31 << QStringLiteral("死亡之眼恢复速度增加") << 1500;
    QTest::newRow("level 1000") << 1000 << QStringLiteral("浮游炮伤害增加") << 1500;
}

void UpgradeTest::priceCapsAt1500() {
    QFETCH(int, level);
    QFETCH(QString, effect);
    QFETCH(int, price);

    auto game = startWith(QByteArray::number(level), QByteArray::number(price - 1));
    QVERIFY(game);
    Widget* w = game->widget();
    QVERIFY(openUpgradeScreen(*game));
    QCOMPARE(writtenText(recordUpgrade(w)), expectedRows(level, effect, price));
    QVERIFY(!confirmVisible(*game));

    QVERIFY(writeFile(QStringLiteral("game_score.txt"), QByteArray::number(price)));
    game->clickButton(kQuitButton);
    QVERIFY(openUpgradeScreen(*game));
    QVERIFY(confirmVisible(*game));
    game->clickButton(kConfirmButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("0"));
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray::number(level + 1));
}

void UpgradeTest::panelGeometryAndButtonArea_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("digitsPos");
    QTest::addColumn<QRectF>("panel");
    QTest::addColumn<QPointF>("confirmPos");
    QTest::addColumn<QPointF>("quitPos");

    // 1920 x 1040: digits at (960 - 157.5, 130), bottom right (1117.5, 180); the
    // panel starts 192 px left of them and 130 px below; the button area is
    // (611, 569) - (1310, 656), whose halves centre at (785, 612) and (1135, 612).
    QTest::newRow("1920x1040") << QSize(1920, 1040) << QPointF(802.5, 130)
                               << QRectF(610.5, 310, 699, 346) << QPointF(736, 590)
                               << QPointF(1086, 590);
    // 1366 x 700: the area (390, 399) - (977, 457) rounds 389.5, 340.5 and 976.5 up.
    QTest::newRow("1366x700") << QSize(1366, 700) << QPointF(525.5, 87)
                              << QRectF(389.5, 224, 587, 233) << QPointF(487, 406)
                              << QPointF(781, 406);
}

void UpgradeTest::panelGeometryAndButtonArea() {
    QFETCH(QSize, size);
    QFETCH(QPointF, digitsPos);
    QFETCH(QRectF, panel);
    QFETCH(QPointF, confirmPos);
    QFETCH(QPointF, quitPos);

    auto game = startWith("1", "50", size);
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->size(), size);
    QVERIFY(openUpgradeScreen(*game));
    const QList<PaintCall> calls = recordUpgrade(w);

    QCOMPARE(w->essenceDisplay()->pos(), digitsPos);
    QList<PaintCall> pixmaps;
    QList<PaintCall> rects;
    for (const PaintCall& call : calls) {
        if (call.kind == PaintCall::Pixmap)
            pixmaps.append(call);
        else if (call.kind == PaintCall::Rect)
            rects.append(call);
    }

    // Seven digits, then confirm and quit in list order.
    QCOMPARE(pixmaps.size(), 9);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(pixmaps.at(i).rect, QRectF(digitsPos + QPointF(45 * i, 0), QSizeF(45, 50)));
    QCOMPARE(pixmaps.at(7).rect, QRectF(confirmPos, QSizeF(99, 44)));
    QCOMPARE(pixmaps.at(8).rect, QRectF(quitPos, QSizeF(99, 44)));
    QCOMPARE(w->button(kConfirmButton)->rect(), QRectF(confirmPos, QSizeF(99, 44)));
    QCOMPARE(w->button(kQuitButton)->rect(), QRectF(quitPos, QSizeF(99, 44)));

    QCOMPARE(rects.size(), 1);
    const PaintCall& box = rects.first();
    QCOMPARE(box.rect, panel);
    QCOMPARE(box.pen.color(), QColor(40, 40, 40));
    QCOMPARE(box.pen.width(), 4);
    QCOMPARE(box.brush.style(), Qt::SolidPattern);
    QCOMPARE(box.brush.color(), QColor(240, 240, 240, 180));

    // The currency's caption in the menu font, the rows in the smaller one.
    bool captionSeen = false;
    for (const PaintCall& call : calls) {
        if (call.kind != PaintCall::Text)
            continue;
        QCOMPARE(call.font.family(), QStringLiteral("黑体"));
        QCOMPARE(call.pen.color(), QColor(40, 40, 40));
        if (!captionSeen) {
            QCOMPARE(call.font.pointSize(), 25);
            captionSeen = call.text.endsWith(QStringLiteral("粹"));
        } else {
            QCOMPARE(call.font.pointSize(), 20);
        }
    }
    QVERIFY(captionSeen);
}

void UpgradeTest::purchaseWithExactPrice() {
    auto game = startWith("1", "50");
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->deadEye()->maxEnergy, 20.0);
    QVERIFY(openUpgradeScreen(*game));
    QVERIFY(confirmVisible(*game));

    game->clickButton(kConfirmButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("0"));
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("2"));
    QCOMPARE(w->character()->level(), 2);
    QCOMPARE(w->essenceDisplay()->number(), 0);
    QCOMPARE(w->deadEye()->maxEnergy, 36.0);
    QCOMPARE(w->deadEye()->energy(), 36.0);
    QCOMPARE(w->bulletSystem()->capacity(), 5);
}

void UpgradeTest::confirmStaysHiddenForTheVisit() {
    auto game = startWith("1", "49");
    QVERIFY(game);
    Widget* w = game->widget();
    QVERIFY(openUpgradeScreen(*game));
    QCOMPARE(writtenText(recordUpgrade(w)),
             expectedRows(1, QStringLiteral("死亡之眼最大持续时间增加"), 50));
    QVERIFY(!confirmVisible(*game));
    QVERIFY(w->button(kQuitButton)->isVisible());

    // Nothing in the game raises the currency during a visit; raising the
    // display by hand shows that the first frame's verdict sticks.
    w->essenceDisplay()->setNumber(50);
    const QList<PaintCall> calls = recordUpgrade(w);
    QVERIFY(!confirmVisible(*game));
    int buttonPictures = 0;
    for (const PaintCall& call : calls) {
        if (call.kind == PaintCall::Pixmap && call.pixmapSize == QSize(99, 44))
            ++buttonPictures;
    }
    QCOMPARE(buttonPictures, 1);

    // A click on the hidden button does nothing.
    game->click(w->button(kConfirmButton)->rect().center());
    game->tick();
    QCOMPARE(w->stage(), 8);
    QCOMPARE(w->character()->level(), 1);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("49"));
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("1"));

    // The next visit builds the screen anew.
    game->clickButton(kQuitButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(w->essenceDisplay()->number(), 49);
    game->clickButton(kUpgradeButton);
    QVERIFY(confirmVisible(*game));
}

namespace {
QStringList g_messages;
void collectMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_messages.append(message);
}
} // namespace

void UpgradeTest::quitReturnsToMenu() {
    auto game = startWith("3", "1000");
    QVERIFY(game);
    Widget* w = game->widget();
    QVERIFY(openUpgradeScreen(*game));
    QVERIFY(confirmVisible(*game));

    g_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessages);
    game->clickButton(kQuitButton);
    qInstallMessageHandler(previous);

    QVERIFY2(!g_messages.contains(QStringLiteral("QUIT")),
             "the upgrade screen's quit left the game");
    QCOMPARE(w->stage(), 1);
    QList<int> ids;
    for (const GameButton* button : w->buttons())
        ids.append(button->id);
    QCOMPARE(ids, QList<int>({1, 8, 7, 6}));
    QCOMPARE(w->character()->level(), 3);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("1000"));
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("3"));
}

void UpgradeTest::levelsBoughtInTurn() {
    auto game = startWith("2", "1000");
    QVERIFY(game);
    Widget* w = game->widget();
    struct After {
        int level;
        int capacity;
        double recovery;
        double damage;
        int essence;
    };
    // Buying levels 3, 4 and 5: the magazine first, then the recovery, then the damage.
    const QList<After> steps = {
        {3, 8, 0.2, 10.0, 900}, {4, 8, 0.35, 10.0, 750}, {5, 8, 0.35, 20.0, 550}};
    for (const After& after : steps) {
        QVERIFY(openUpgradeScreen(*game));
        game->clickButton(kConfirmButton);
        QCOMPARE(w->stage(), 1);
        QCOMPARE(w->character()->level(), after.level);
        QCOMPARE(w->bulletSystem()->capacity(), after.capacity);
        QVERIFY(qAbs(w->deadEye()->recovery - after.recovery) < 1e-9);
        QCOMPARE(w->bulletSystem()->damage(), after.damage);
        QCOMPARE(w->deadEye()->maxEnergy, 36.0);
        QCOMPARE(w->essenceDisplay()->number(), after.essence);
        QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray::number(after.essence));
    }
}

void UpgradeTest::currencyPassesThroughSevenDigits() {
    auto game = startWith("1", "123456789");
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->essenceDisplay()->number(), 3456789);
    QVERIFY(openUpgradeScreen(*game));
    game->clickButton(kConfirmButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("3456739"));
    QCOMPARE(w->essenceDisplay()->number(), 3456739);
    QCOMPARE(w->character()->level(), 2);
}

void UpgradeTest::levelZeroBuysOnlyTheLevel() {
    auto game = startWith("none", "70");
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->character()->level(), 0);
    QVERIFY(openUpgradeScreen(*game));
    QCOMPARE(writtenText(recordUpgrade(w)), expectedRows(0, QStringLiteral("浮游炮伤害增加"), 0));
    QVERIFY(confirmVisible(*game));

    game->clickButton(kConfirmButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(w->character()->level(), 1);
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("1"));
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("70"));
    QCOMPARE(w->essenceDisplay()->number(), 70);
    QCOMPARE(w->deadEye()->maxEnergy, 20.0);
    QVERIFY(qAbs(w->deadEye()->recovery - 0.2) < 1e-9);
    QCOMPARE(w->bulletSystem()->capacity(), 5);
    QCOMPARE(w->bulletSystem()->damage(), 10.0);
}

// A hand-edited file can hold a negative level: C truncation gives q = -1 and
// r = 0 for level -3, no improvement text, and a negative price.
void UpgradeTest::negativeLevelFollowsTheFormulas() {
    auto game = startWith("-3", "10");
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->character()->level(), -3);
    QCOMPARE(w->deadEye()->maxEnergy, 4.0);
    QVERIFY(qAbs(w->deadEye()->recovery - 0.05) < 1e-9);
    QCOMPARE(w->bulletSystem()->capacity(), 2);
    QCOMPARE(w->bulletSystem()->damage(), 0.0);

    QVERIFY(openUpgradeScreen(*game));
    QCOMPARE(writtenText(recordUpgrade(w)), expectedRows(-3, QString(), -150));
    QVERIFY(confirmVisible(*game));
    game->clickButton(kConfirmButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(w->character()->level(), -2);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("160"));
}

QTEST_MAIN(UpgradeTest)
#include "tst_upgrade.moc"
