#include "gameharness.h"
#include "paintrecorder.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"

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
    void purchase_data();
    void purchase();
    void panelGeometryAndButtonArea_data();
    void panelGeometryAndButtonArea();
    void confirmStaysHiddenForTheVisit();
};

namespace {
constexpr int kUpgradeButton = 7;
constexpr int kQuitButton = 6;
constexpr int kConfirmButton = 11;
const QString kEnergyText = QStringLiteral("死亡之眼最大持续时间增加");
const QString kMagazineText = QStringLiteral("浮游炮子弹容量增加");
const QString kRecoveryText = QStringLiteral("死亡之眼恢复速度增加");
const QString kDamageText = QStringLiteral("浮游炮伤害增加");

// A player whose saved files hold these values starts the game (tutorial
// already seen), reaches the menu and opens the upgrade screen, which one
// frame lays out.
std::unique_ptr<GameHarness> openUpgradeScreen(const QByteArray& level, const QByteArray& essence,
                                               QSize size = QSize(1920, 1040)) {
    auto game = std::make_unique<GameHarness>(size);
    if (!writeFile("data_0", "1") || !writeFile("data_1", level) ||
        !writeFile("game_score.txt", essence))
        return nullptr;
    game->restart();
    if (!game->finishLoading() || (*game)->stage() != 1)
        return nullptr;
    game->clickButton(kUpgradeButton);
    game->paint();
    return (*game)->stage() == 8 ? std::move(game) : nullptr;
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
QString writtenText(Widget* widget) {
    QString text;
    for (const PaintCall& call : recordUpgrade(widget)) {
        if (call.kind == PaintCall::Text)
            text += call.text;
    }
    return text;
}

QString expectedRows(int level, const QString& effect, int price) {
    return QStringLiteral("能量精粹当前等级为：") + QString::number(level) +
           QStringLiteral("升级效果:") + effect + QStringLiteral("升级所需能量精粹:") +
           QString::number(price);
}

bool confirmVisible(GameHarness& game) {
    GameButton* confirm = game->button(kConfirmButton);
    return confirm && confirm->isVisible();
}

QStringList g_messages;
void collectMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_messages.append(message);
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

    QTest::newRow("level 0") << 0 << 20.0 << 0.2 << 5 << 10.0 << kDamageText << 0;
    QTest::newRow("level 1") << 1 << 20.0 << 0.2 << 5 << 10.0 << kEnergyText << 50;
    QTest::newRow("level 2") << 2 << 36.0 << 0.2 << 5 << 10.0 << kMagazineText << 100;
    QTest::newRow("level 3") << 3 << 36.0 << 0.2 << 8 << 10.0 << kRecoveryText << 150;
    QTest::newRow("level 4") << 4 << 36.0 << 0.35 << 8 << 10.0 << kDamageText << 200;
    QTest::newRow("level 5") << 5 << 36.0 << 0.35 << 8 << 20.0 << kEnergyText << 250;
    QTest::newRow("level 6") << 6 << 52.0 << 0.35 << 8 << 20.0 << kMagazineText << 300;
    QTest::newRow("level 7") << 7 << 52.0 << 0.35 << 11 << 20.0 << kRecoveryText << 350;
    QTest::newRow("level 8") << 8 << 52.0 << 0.5 << 11 << 20.0 << kDamageText << 400;
    QTest::newRow("level 9") << 9 << 52.0 << 0.5 << 11 << 30.0 << kEnergyText << 450;
    QTest::newRow("level 29") << 29 << 132.0 << 1.25 << 26 << 80.0 << kEnergyText << 1450;
    QTest::newRow("level 30 caps") << 30 << 148.0 << 1.25 << 26 << 80.0 << kMagazineText << 1500;
    QTest::newRow("level 31") << 31 << 148.0 << 1.25 << 29 << 80.0 << kRecoveryText << 1500;
    // A hand-edited negative level: q = -1 and r = 0, no text, a negative price.
    QTest::newRow("level -3") << -3 << 4.0 << 0.05 << 2 << 0.0 << QString() << -150;
}

void UpgradeTest::levelTable() {
    QFETCH(int, level);
    QFETCH(double, maxEnergy);
    QFETCH(double, recovery);
    QFETCH(int, capacity);
    QFETCH(double, damage);
    QFETCH(QString, effect);
    QFETCH(int, price);

    // One short of the price (a free level is always affordable).
    auto game =
        openUpgradeScreen(QByteArray::number(level), QByteArray::number(qMax(price - 1, 0)));
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(w->character()->level(), level);
    QCOMPARE(w->deadEye()->maxEnergy, maxEnergy);
    QVERIFY(qAbs(w->deadEye()->recovery - recovery) < 1e-9);
    QCOMPARE(w->bulletSystem()->capacity(), capacity);
    QCOMPARE(w->bulletSystem()->damage(), damage);
    // The menu resets DeadEye and the magazine after the numbers change.
    QCOMPARE(w->deadEye()->energy(), maxEnergy);
    QCOMPARE(w->bulletSystem()->bulletCount(), capacity);
    QCOMPARE(writtenText(w), expectedRows(level, effect, price));
    QCOMPARE(confirmVisible(*game), price <= 0);
}

void UpgradeTest::purchase_data() {
    QTest::addColumn<QByteArray>("levelFile");
    QTest::addColumn<QByteArray>("essenceFile");
    QTest::addColumn<int>("essenceAfter");
    QTest::addColumn<int>("levelAfter");
    QTest::addColumn<double>("maxEnergyAfter");

    QTest::newRow("level 1 with exactly 50")
        << QByteArray("1") << QByteArray("50") << 0 << 2 << 36.0;
    QTest::newRow("level 30 pays the cap")
        << QByteArray("30") << QByteArray("1500") << 0 << 31 << 148.0;
    QTest::newRow("level 0 buys only the level")
        << QByteArray("none") << QByteArray("70") << 70 << 1 << 20.0;
    // The currency passes through the seven-digit display.
    QTest::newRow("above 9999999")
        << QByteArray("1") << QByteArray("123456789") << 3456739 << 2 << 36.0;
    QTest::newRow("negative level") << QByteArray("-3") << QByteArray("10") << 160 << -2 << 20.0;
}

void UpgradeTest::purchase() {
    QFETCH(QByteArray, levelFile);
    QFETCH(QByteArray, essenceFile);
    QFETCH(int, essenceAfter);
    QFETCH(int, levelAfter);
    QFETCH(double, maxEnergyAfter);

    auto game = openUpgradeScreen(levelFile, essenceFile);
    QVERIFY(game);
    Widget* w = game->widget();
    QVERIFY(confirmVisible(*game));
    game->clickButton(kConfirmButton);
    QCOMPARE(w->stage(), 1);
    QCOMPARE(w->character()->level(), levelAfter);
    QCOMPARE(readFile("data_1"), QByteArray::number(levelAfter));
    QCOMPARE(readFile("game_score.txt"), QByteArray::number(essenceAfter));
    QCOMPARE(w->essenceDisplay()->number(), essenceAfter);
    // The menu applies the new level at once, and the next run starts full.
    QCOMPARE(w->deadEye()->maxEnergy, maxEnergyAfter);
    QCOMPARE(w->deadEye()->energy(), maxEnergyAfter);
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

    auto game = openUpgradeScreen("1", "50", size);
    QVERIFY(game);
    Widget* w = game->widget();
    const QList<PaintCall> calls = recordUpgrade(w);
    QCOMPARE(w->essenceDisplay()->pos(), digitsPos);

    QList<QRectF> pixmaps;
    QList<PaintCall> rects;
    QStringList textStyles;
    for (const PaintCall& call : calls) {
        if (call.kind == PaintCall::Pixmap)
            pixmaps.append(call.rect);
        else if (call.kind == PaintCall::Rect)
            rects.append(call);
        const QString style = QStringLiteral("%1 %2 %3")
                                  .arg(call.font.family(), QString::number(call.font.pointSize()),
                                       call.pen.color().name());
        if (call.kind == PaintCall::Text && (textStyles.isEmpty() || textStyles.last() != style))
            textStyles.append(style);
    }
    // Seven digits, then confirm and quit in list order.
    QList<QRectF> expected;
    for (int i = 0; i < 7; ++i)
        expected.append(QRectF(digitsPos + QPointF(45 * i, 0), QSizeF(45, 50)));
    expected << QRectF(confirmPos, QSizeF(99, 44)) << QRectF(quitPos, QSizeF(99, 44));
    QCOMPARE(pixmaps, expected);
    QCOMPARE(w->button(kConfirmButton)->rect(), expected.at(7));
    QCOMPARE(w->button(kQuitButton)->rect(), expected.at(8));

    QCOMPARE(rects.size(), 1);
    QCOMPARE(rects.first().rect, panel);
    QCOMPARE(rects.first().pen.color(), QColor(40, 40, 40));
    QCOMPARE(rects.first().pen.width(), 4);
    QCOMPARE(rects.first().brush.style(), Qt::SolidPattern);
    QCOMPARE(rects.first().brush.color(), QColor(240, 240, 240, 180));
    // The currency's caption in the menu font, the rows in the smaller one.
    QCOMPARE(textStyles,
             QStringList({QStringLiteral("黑体 25 #282828"), QStringLiteral("黑体 20 #282828")}));
}

void UpgradeTest::confirmStaysHiddenForTheVisit() {
    auto game = openUpgradeScreen("1", "49");
    QVERIFY(game);
    Widget* w = game->widget();
    QCOMPARE(writtenText(w), expectedRows(1, kEnergyText, 50));
    QVERIFY(!confirmVisible(*game));
    QVERIFY(w->button(kQuitButton)->isVisible());

    // Nothing in the game raises the currency during a visit; raising the
    // display by hand shows that the first frame's verdict sticks, and a
    // click on the hidden button does nothing.
    w->essenceDisplay()->setNumber(50);
    recordUpgrade(w);
    QVERIFY(!confirmVisible(*game));
    game->click(w->button(kConfirmButton)->rect().center());
    game->tick();
    QCOMPARE(w->stage(), 8);

    // The screen's quit shares its id with the menu's, but only leaves the screen.
    g_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessages);
    game->clickButton(kQuitButton);
    qInstallMessageHandler(previous);
    QVERIFY(!g_messages.contains(QStringLiteral("QUIT")));
    QCOMPARE(w->stage(), 1);
    QCOMPARE(w->character()->level(), 1);
    QCOMPARE(readFile("game_score.txt"), QByteArray("49"));
    QCOMPARE(readFile("data_1"), QByteArray("1"));

    // The next visit builds the screen anew.
    game->clickButton(kUpgradeButton);
    QVERIFY(confirmVisible(*game));
}

QTEST_MAIN(UpgradeTest)
#include "tst_upgrade.moc"
