#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

#include "gamenumber.h"
#include "paintrecorder.h"
#include "scoreboard.h"

namespace {
QString shown(const NumberSet& set) {
    QString digits;
    for (const GameNumber* digit : set.digits())
        digits += QString::number(digit->digit());
    return digits;
}

QImage cell(int digit) {
    return QPixmap(QStringLiteral(":/images/numbers.png")).copy(digit * 45, 0, 45, 50).toImage();
}
} // namespace

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void digitCutFromStrip_data();
    void digitCutFromStrip();
    void setNumber_data();
    void setNumber();
    void rowGeometry();
    void scoreClampsAtZeroAndShowsLastSevenDigits();
    void hiddenBoardCountsButPaintsNothing();
    void layoutKeepsBottomRightAndResetHides();
};

void TestNumbers::digitCutFromStrip_data() {
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("digit");

    QTest::newRow("0") << 0 << 0;
    QTest::newRow("9") << 9 << 9;
    QTest::newRow("10 becomes 0") << 10 << 0;
    QTest::newRow("-1 becomes 0") << -1 << 0;
}

void TestNumbers::digitCutFromStrip() {
    QFETCH(int, requested);
    QFETCH(int, digit);

    GameNumber number(requested);
    QCOMPARE(number.digit(), digit);
    QCOMPARE(number.width(), 45.0);
    QCOMPARE(number.height(), 50.0);
    QCOMPARE(number.image().toImage(), cell(digit));

    GameNumber changed(7);
    changed.setDigit(requested);
    QCOMPARE(changed.digit(), digit);
    QCOMPARE(changed.image().toImage(), cell(digit));
}

void TestNumbers::setNumber_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("number");

    QTest::newRow("leading zeros") << 1234 << "0001234" << 1234;
    QTest::newRow("negative") << -5 << "0000000" << 0;
    QTest::newRow("nine digits keep the last seven") << 123456789 << "3456789" << 3456789;
    QTest::newRow("eight digits with a zero after the cut") << 10000042 << "0000042" << 42;
    QTest::newRow("largest int") << 2147483647 << "7483647" << 7483647;
}

void TestNumbers::setNumber() {
    QFETCH(int, value);
    QFETCH(QString, digits);
    QFETCH(int, number);

    NumberSet set(7, 55);
    QCOMPARE(shown(set), QStringLiteral("0000055"));
    set.setNumber(value);
    QCOMPARE(shown(set), digits);
    QCOMPARE(set.number(), number);
}

void TestNumbers::rowGeometry() {
    NumberSet set(7, 0);
    QCOMPARE(set.totalWidth(), 315.0);
    set.setPos(QPointF(10, 20));
    QCOMPARE(set.bottomRight(), QPointF(325, 70));
    set.setBottomRight(QPointF(1881.6, 55));
    QCOMPARE(set.pos(), QPointF(1566.6, 5));
    RecordingPaintDevice device;
    QPainter painter(&device);
    set.paint(painter);
    painter.end();
    const QList<PaintCall> pixmaps = device.callsOf(PaintCall::Pixmap);
    QCOMPARE(pixmaps.size(), 7);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(pixmaps[i].rect, QRectF(1566.6 + i * 45, 5, 45, 50));

    NumberSet empty(0, 123);
    QCOMPARE(empty.number(), 0);
    QCOMPARE(empty.totalWidth(), 0.0);
    empty.setBottomRight(QPointF(9, 9));
    QCOMPARE(empty.pos(), QPointF(9, 9));
}

void TestNumbers::scoreClampsAtZeroAndShowsLastSevenDigits() {
    ScoreBoard board;
    QCOMPARE(board.score(), 0);
    board.addScore(10);
    board.addScore(-30);
    QCOMPARE(board.score(), 0);
    board.addScore(3);
    board.subtractScore(5);
    QCOMPARE(board.score(), 0);
    board.setScore(-7);
    QCOMPARE(board.score(), 0);
    board.setScore(20);
    board.subtractScore(5);
    QCOMPARE(board.score(), 15);
    QCOMPARE(board.digits()->number(), 15);
    board.setScore(12345678);
    QCOMPARE(board.score(), 12345678);
    QCOMPARE(board.digits()->number(), 2345678);
}

void TestNumbers::hiddenBoardCountsButPaintsNothing() {
    ScoreBoard board;
    for (bool visible : {false, true}) {
        QCOMPARE(board.isVisible(), visible);
        board.addScore(13);
        RecordingPaintDevice device;
        QPainter painter(&device);
        board.paint(painter);
        painter.end();
        QCOMPARE(device.calls().isEmpty(), !visible);
        QCOMPARE(device.callsOf(PaintCall::Pixmap).size(), visible ? 7 : 0);
        board.setVisible(true);
    }
    QCOMPARE(board.score(), 26);
}

void TestNumbers::layoutKeepsBottomRightAndResetHides() {
    ScoreBoard board;
    // The window's layout: right edge at 98 % of a 1920-pixel window, 5 pixels from the top.
    board.setBottomRight(QPointF(0.98 * 1920, 1.1 * board.height()));
    const QPointF pos = board.pos();
    QCOMPARE(pos, QPointF(0.98 * 1920 - 315, 5));

    board.setVisible(true);
    board.addScore(40);
    board.setScore(123);
    board.subtractScore(1000);
    QCOMPARE(board.pos(), pos);
    board.reset();
    QCOMPARE(board.score(), 0);
    QCOMPARE(board.digits()->number(), 0);
    QVERIFY(!board.isVisible());
    QCOMPARE(board.pos(), pos);
}

QTEST_MAIN(TestNumbers)
#include "tst_numbers.moc"
