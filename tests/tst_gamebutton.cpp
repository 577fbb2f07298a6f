#include <QPainter>
#include <QPixmap>
#include <QTest>

#include "gamebutton.h"
#include "paintrecorder.h"

namespace {
QPixmap picture(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::darkGray);
    return pixmap;
}

enum Placement { Center, LowerPart, LeftHalf, RightHalf };
} // namespace

class TestGameButton : public QObject {
    Q_OBJECT

private slots:
    void hitRectangleFollowsPositionAndPicture();
    void bottomRightAnchor();
    void placement_data();
    void placement();
    void paintsOnlyWhenVisible();
};

void TestGameButton::hitRectangleFollowsPositionAndPicture() {
    GameButton button(picture(99, 44), QPointF(100, 50));
    QCOMPARE(button.rect(), QRectF(100, 50, 99, 44));
    QVERIFY(button.isVisible());
    // Edges belong to the button.
    QVERIFY(button.rect().contains(QPointF(199, 94)));
    QVERIFY(button.rect().contains(QPointF(100, 50)));
    QVERIFY(!button.rect().contains(QPointF(199.5, 94)));

    button.setPos(QPointF(10.5, 20));
    QCOMPARE(button.rect(), QRectF(10.5, 20, 99, 44));

    button.setImage(picture(158, 142));
    QCOMPARE(button.rect(), QRectF(10.5, 20, 158, 142));
    QCOMPARE(button.image().size(), QSize(158, 142));
}

void TestGameButton::bottomRightAnchor() {
    GameButton button(picture(99, 44), QPointF(100, 50));
    button.setBottomRight(QPointF(799, 599));
    QCOMPARE(button.pos(), QPointF(700, 555));
    QCOMPARE(button.rect(), QRectF(700, 555, 99, 44));
}

void TestGameButton::placement_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<int>("placement");
    QTest::addColumn<QPointF>("pos");

    const QRect window(0, 0, 800, 600); // integer centre (399, 299)
    QTest::newRow("centre, even picture")
        << QSize(158, 142) << window << int(Center) << QPointF(320, 228);
    QTest::newRow("centre, odd picture halves truncated")
        << QSize(99, 45) << window << int(Center) << QPointF(350, 277);
    QTest::newRow("centre of an offset area")
        << QSize(142, 63) << QRect(100, 50, 201, 101) << int(Center) << QPointF(129, 69);
    QTest::newRow("lower part") << QSize(158, 142) << window << int(LowerPart) << QPointF(320, 428);
    QTest::newRow("lower part, height not divisible by 3")
        << QSize(158, 142) << QRect(0, 0, 800, 601) << int(LowerPart) << QPointF(320, 429);
    QTest::newRow("left half") << QSize(158, 142) << window << int(LeftHalf) << QPointF(120, 228);
    QTest::newRow("right half") << QSize(158, 142) << window << int(RightHalf) << QPointF(520, 228);
    QTest::newRow("left half, odd width")
        << QSize(158, 142) << QRect(10, 0, 801, 600) << int(LeftHalf) << QPointF(130, 228);
    // The right half ends at left + 2 * (width / 2) - 1, dropping the odd column.
    QTest::newRow("right half, odd width")
        << QSize(158, 142) << QRect(10, 0, 801, 600) << int(RightHalf) << QPointF(530, 228);
}

void TestGameButton::placement() {
    QFETCH(QSize, size);
    QFETCH(QRect, area);
    QFETCH(int, placement);
    QFETCH(QPointF, pos);

    GameButton button(picture(size.width(), size.height()), QPointF(-1, -1));
    switch (placement) {
    case Center:
        button.centerIn(area);
        break;
    case LowerPart:
        button.centerInLowerPart(area);
        break;
    case LeftHalf:
        button.centerInLeftHalf(area);
        break;
    case RightHalf:
        button.centerInRightHalf(area);
        break;
    }
    QCOMPARE(button.pos(), pos);
    QCOMPARE(button.rect(), QRectF(pos, QSizeF(size)));
}

void TestGameButton::paintsOnlyWhenVisible() {
    GameButton button(picture(99, 44), QPointF(100, 50));
    {
        RecordingPaintDevice device;
        QPainter painter(&device);
        button.paint(painter);
        painter.end();
        const QList<PaintCall> pixmaps = device.callsOf(PaintCall::Pixmap);
        QCOMPARE(pixmaps.size(), 1);
        QCOMPARE(pixmaps[0].rect, QRectF(100, 50, 99, 44));
    }

    button.setVisible(false);
    QVERIFY(!button.isVisible());
    RecordingPaintDevice device;
    QPainter painter(&device);
    button.paint(painter);
    painter.end();
    QVERIFY(device.calls().isEmpty());
    // Hiding does not move the hit rectangle; the window decides about clicks.
    QCOMPARE(button.rect(), QRectF(100, 50, 99, 44));
}

QTEST_MAIN(TestGameButton)
#include "tst_gamebutton.moc"
