#include <QPainter>
#include <QTest>

#include "gamenumber.h"
#include "paintrecorder.h"
#include "scoreboard.h"

#include <tuple>
#include <utility>

namespace {
// The target rectangles of the pictures that one paint call draws.
template <typename Item> QList<QRectF> paintedPixmaps(Item& item) {
    RecordingPaintDevice device;
    QPainter painter(&device);
    item.paint(painter);
    QList<QRectF> rects;
    for (const PaintCall& call : device.calls())
        rects << (call.kind == PaintCall::Pixmap ? call.rect : QRectF());
    return rects;
}
} // namespace

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void digitsAreCellsOfTheStrip();
    void setNumber();
    void rowGeometry();
    void scoreBoard();
};

void TestNumbers::digitsAreCellsOfTheStrip() {
    const QPixmap strip(QStringLiteral(":/images/numbers.png"));
    for (const auto& [requested, digit] : {std::pair{9, 9}, {0, 0}, {10, 0}, {-1, 0}}) {
        GameNumber number(requested);
        GameNumber changed(7);
        changed.setDigit(requested);
        QVERIFY(number.digit() == digit && changed.digit() == digit);
        QCOMPARE(number.image().toImage(), strip.copy(digit * 45, 0, 45, 50).toImage());
        QCOMPARE(changed.image().toImage(), number.image().toImage());
    }
}

void TestNumbers::setNumber() {
    NumberSet set(7, 55);
    for (const auto& [value, digits, number] :
         {std::tuple{1234, "0001234", 1234}, {-5, "0000000", 0}, {123456789, "3456789", 3456789}}) {
        set.setNumber(value);
        QString shown;
        for (const GameNumber* digit : set.digits())
            shown += QString::number(digit->digit());
        QCOMPARE(shown, QString::fromLatin1(digits));
        QCOMPARE(set.number(), number);
    }
}

void TestNumbers::rowGeometry() {
    NumberSet set(7, 0);
    QCOMPARE(set.totalWidth(), 315.0);
    set.setPos(QPointF(10, 20));
    QCOMPARE(set.bottomRight(), QPointF(325, 70));
    set.setBottomRight(QPointF(1881.6, 55));
    QCOMPARE(set.pos(), QPointF(1566.6, 5));
    // Digits touch each other.
    QList<QRectF> expected;
    for (int i = 0; i < 7; ++i)
        expected << QRectF(1566.6 + i * 45, 5, 45, 50);
    QCOMPARE(paintedPixmaps(set), expected);

    NumberSet empty(0, 123);
    empty.setBottomRight(QPointF(9, 9));
    QVERIFY(empty.number() == 0 && empty.totalWidth() == 0.0 && empty.pos() == QPointF(9, 9));
}

void TestNumbers::scoreBoard() {
    ScoreBoard board;
    // The window's layout: right edge at 98 % of 1920 pixels, 5 pixels from the top.
    board.setBottomRight(QPointF(0.98 * 1920, 1.1 * board.height()));
    const QPointF pos(0.98 * 1920 - 315, 5);
    QCOMPARE(board.pos(), pos);
    // Hidden, it paints nothing but keeps counting; the score never goes below 0.
    board.addScore(10);
    QVERIFY(paintedPixmaps(board).isEmpty());
    board.addScore(-30);
    QCOMPARE(board.score(), 0);
    board.setScore(-7);
    board.addScore(20);
    board.subtractScore(5);
    QCOMPARE(board.score(), 15);
    board.setVisible(true);
    QCOMPARE(paintedPixmaps(board).size(), 7);
    board.setScore(12345678);
    QVERIFY(board.score() == 12345678 && board.digits()->number() == 2345678);
    QCOMPARE(board.pos(), pos);
    board.reset();
    QVERIFY(board.score() == 0 && board.digits()->number() == 0 && !board.isVisible());
    QCOMPARE(board.pos(), pos);
}

QTEST_MAIN(TestNumbers)
#include "tst_numbers.moc"
