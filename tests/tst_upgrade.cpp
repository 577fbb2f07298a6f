#include "testsupport.h"

namespace {
// A later start on the upgrade screen, laid out by its first frame.
std::unique_ptr<GameDriver> openUpgradeScreen(const QByteArray& level, const QByteArray& essence) {
    const SavedFiles files = {{"data_0", "1"}, {"data_1", level}, {"game_score.txt", essence}};
    auto game = std::make_unique<GameDriver>(files, QSize(1920, 1040));
    const bool ready = game->reach(Stage::Upgrade) && game->widget()->button(ButtonId::Confirm);
    return ready ? std::move(game) : nullptr;
}

QList<PaintCall> recordUpgrade(Widget* widget, PaintCall::Kind kind) {
    RecordingPaintDevice device(widget->size());
    QPainter painter(&device);
    widget->paintUpgrade(painter);
    painter.end();
    return device.callsOf(kind);
}
} // namespace

class UpgradeTest : public QObject {
    Q_OBJECT
private slots:
    void levelTable_data() {
        QTest::addColumn<int>("level");
        // DeadEye's energy/maximum and recovery, the magazine's bullets/capacity, the damage.
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("effect");
        QTest::addColumn<int>("price");
        const QString energy = QStringLiteral("死亡之眼最大持续时间增加");
        const QString magazine = QStringLiteral("浮游炮子弹容量增加");
        const QString recovery = QStringLiteral("死亡之眼恢复速度增加");
        const QString damage = QStringLiteral("浮游炮伤害增加");
        QTest::newRow("0") << 0 << "20/20 0.2 5/5 10" << damage << 0;
        QTest::newRow("1") << 1 << "20/20 0.2 5/5 10" << energy << 50;
        QTest::newRow("2") << 2 << "36/36 0.2 5/5 10" << magazine << 100;
        QTest::newRow("3") << 3 << "36/36 0.2 8/8 10" << recovery << 150;
        QTest::newRow("4") << 4 << "36/36 0.35 8/8 10" << damage << 200;
        QTest::newRow("8") << 8 << "52/52 0.5 11/11 20" << damage << 400;
        QTest::newRow("9") << 9 << "52/52 0.5 11/11 30" << energy << 450;
        QTest::newRow("30 caps") << 30 << "148/148 1.25 26/26 80" << magazine << 1500;
        QTest::newRow("31") << 31 << "148/148 1.25 29/29 80" << recovery << 1500;
        // A hand-edited negative level: q = -1 and r = 0, no text, a negative price.
        QTest::newRow("-3") << -3 << "4/4 0.05 2/2 0" << QString() << -150;
    }

    // One essence short: confirm shows only for a free level. Digits at (960 - 157.5, 130).
    void levelTable() {
        QFETCH(int, level);
        QFETCH(QString, numbers);
        QFETCH(QString, effect);
        QFETCH(int, price);
        auto game =
            openUpgradeScreen(QByteArray::number(level), QByteArray::number(qMax(price - 1, 0)));
        QVERIFY(game);
        Widget* w = game->widget();
        // The menu resets DeadEye and the magazine after the numbers change.
        const DeadEye* d = w->deadEye();
        const BulletSystem* b = w->bulletSystem();
        QCOMPARE(QString::asprintf("%g/%g %g %d/%d %g", d->energy(), d->maxEnergy, d->recovery,
                                   b->bulletCount(), b->capacity(), b->damage()),
                 numbers);
        QCOMPARE(recordUpgrade(w, PaintCall::Pixmap).first().rect, QRectF(802.5, 130, 45, 50));
        const QList<PaintCall> rects = recordUpgrade(w, PaintCall::Rect);
        QVERIFY(rects.size() == 1 && rects.first().rect == QRectF(610.5, 310, 699, 346));
        QCOMPARE(rects.first().pen, QPen(QColor(40, 40, 40), 4));
        QCOMPARE(rects.first().brush, QBrush(QColor(240, 240, 240, 180)));
        // The layout may split a text item; the currency's caption is in the menu font.
        const QList<PaintCall> texts = recordUpgrade(w, PaintCall::Text);
        QString text;
        for (const PaintCall& call : texts) {
            text += call.text;
            QCOMPARE(call.font.family(), QStringLiteral("黑体"));
            QCOMPARE(call.font.pointSize(), &call == &texts.first() ? 25 : 20);
            QCOMPARE(call.pen.color(), QColor(40, 40, 40));
        }
        const QString expected =
            QStringLiteral("能量精粹当前等级为：%1升级效果:%2升级所需能量精粹:%3");
        QCOMPARE(text, expected.arg(level).arg(effect).arg(price));
        QCOMPARE(w->button(ButtonId::Confirm)->isVisible(), price <= 0);
    }

    void purchase_data() {
        QTest::addColumn<QByteArray>("levelFile");
        QTest::addColumn<QByteArray>("essenceFile");
        QTest::addColumn<int>("essenceAfter");
        QTest::addColumn<int>("levelAfter");
        QTest::addColumn<double>("maxEnergyAfter");
        QTest::newRow("level 1 with 50") << QByteArray("1") << QByteArray("50") << 0 << 2 << 36.0;
        QTest::newRow("level 1 with 49") << QByteArray("1") << QByteArray("49") << 49 << 1 << 20.0;
        QTest::newRow("level 30") << QByteArray("30") << QByteArray("1500") << 0 << 31 << 148.0;
        QTest::newRow("level 0") << QByteArray("none") << QByteArray("70") << 70 << 1 << 20.0;
        // The display shows none of the bank's eight digits, which still pay.
        QTest::newRow("ten million")
            << QByteArray("1") << QByteArray("10000000") << 9999950 << 2 << 36.0;
        QTest::newRow("negative") << QByteArray("-3") << QByteArray("10") << 160 << -2 << 20.0;
    }

    void purchase() {
        QFETCH(QByteArray, levelFile);
        QFETCH(QByteArray, essenceFile);
        QFETCH(int, essenceAfter);
        QFETCH(int, levelAfter);
        QFETCH(double, maxEnergyAfter);
        auto game = openUpgradeScreen(levelFile, essenceFile);
        QVERIFY(game);
        Widget* w = game->widget();
        const bool buys = levelAfter != levelFile.toInt();
        QCOMPARE(w->button(ButtonId::Confirm)->isVisible(), buys);
        game->clickButton(ButtonId::Confirm);
        QCOMPARE(w->stage(), buys ? Stage::Menu : Stage::Upgrade);
        // The screen's quit shares its id with the menu's, but only leaves the screen.
        QVERIFY(buys || game->clickButton(ButtonId::Quit));
        // The menu applies the new level at once, and the next run starts full.
        QCOMPARE(std::tuple(w->stage(), w->character()->level(), readFile("data_1"),
                            readFile("game_score.txt"), w->essenceDisplay()->number(),
                            w->deadEye()->maxEnergy, w->deadEye()->energy()),
                 std::tuple(Stage::Menu, levelAfter,
                            buys ? QByteArray::number(levelAfter) : levelFile,
                            QByteArray::number(essenceAfter), essenceAfter, maxEnergyAfter,
                            maxEnergyAfter));
    }

    // The display keeps the last seven digits; the bank keeps all of them.
    void bankBeyondTheDisplay() {
        auto game = openUpgradeScreen("1", "123456789");
        QVERIFY(game && game->clickButton(ButtonId::Confirm) && game->reach(Stage::Upgrade) &&
                game->clickButton(ButtonId::Confirm));
        const int bank = 123456789 - 50 - 100;
        QCOMPARE(std::tuple(readFile("game_score.txt"), (*game)->essenceDisplay()->number()),
                 std::tuple(QByteArray::number(bank), bank % 10000000));
        game->restart();
        QCOMPARE(std::tuple((*game)->readEssence(), (*game)->character()->level()),
                 std::tuple(bank, 3));
    }
};

QTEST_MAIN(UpgradeTest)
#include "tst_upgrade.moc"
