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

using Placement = void (GameButton::*)(QRect);
} // namespace

Q_DECLARE_METATYPE(Placement)

class TestGameButton : public QObject {
    Q_OBJECT

private slots:
    void hitRectangleFollowsPositionAndPicture();
    void placement_data();
    void placement();
    void paintsOnlyWhenVisible();
};

void TestGameButton::hitRectangleFollowsPositionAndPicture() {
    GameButton button(picture(99, 44), QPointF(100, 50));
    QCOMPARE(button.rect(), QRectF(100, 50, 99, 44));
    QVERIFY(button.isVisible());
    button.setBottomRight(QPointF(799, 599));
    QCOMPARE(button.rect(), QRectF(700, 555, 99, 44));
    button.setImage(picture(158, 142));
    QCOMPARE(button.rect(), QRectF(700, 555, 158, 142));
}

void TestGameButton::placement_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<QPointF>("pos");

    const QRect window(0, 0, 800, 600); // integer centre (399, 299)
    QTest::newRow("centre, even picture")
        << QSize(158, 142) << window << Placement(&GameButton::centerIn) << QPointF(320, 228);
    QTest::newRow("centre, odd picture halves truncated")
        << QSize(99, 45) << window << Placement(&GameButton::centerIn) << QPointF(350, 277);
    QTest::newRow("centre of an offset area")
        << QSize(142, 63) << QRect(100, 50, 201, 101) << Placement(&GameButton::centerIn)
        << QPointF(129, 69);
    QTest::newRow("lower part") << QSize(158, 142) << window
                                << Placement(&GameButton::centerInLowerPart) << QPointF(320, 428);
    QTest::newRow("lower part, height not divisible by 3")
        << QSize(158, 142) << QRect(0, 0, 800, 601) << Placement(&GameButton::centerInLowerPart)
        << QPointF(320, 429);
    QTest::newRow("left half, odd width")
        << QSize(158, 142) << QRect(10, 0, 801, 600) << Placement(&GameButton::centerInLeftHalf)
        << QPointF(130, 228);
    // The right half ends at left + 2 * (width / 2) - 1, dropping the odd column.
    QTest::newRow("right half, odd width")
        << QSize(158, 142) << QRect(10, 0, 801, 600) << Placement(&GameButton::centerInRightHalf)
        << QPointF(530, 228);
}

void TestGameButton::placement() {
    QFETCH(QSize, size);
    QFETCH(QRect, area);
    QFETCH(Placement, placement);
    QFETCH(QPointF, pos);

    GameButton button(picture(size.width(), size.height()), QPointF(-1, -1));
    (button.*placement)(area);
    QCOMPARE(button.pos(), pos);
    QCOMPARE(button.rect(), QRectF(pos, QSizeF(size)));
}

void TestGameButton::paintsOnlyWhenVisible() {
    GameButton button(picture(99, 44), QPointF(100, 50));
    for (bool visible : {true, false}) {
        button.setVisible(visible);
        RecordingPaintDevice device;
        QPainter painter(&device);
        button.paint(painter);
        painter.end();
        const QList<PaintCall> pixmaps = device.callsOf(PaintCall::Pixmap);
        QCOMPARE(pixmaps.size(), visible ? 1 : 0);
        QCOMPARE(device.calls().isEmpty(), !visible);
        if (visible)
            QCOMPARE(pixmaps[0].rect, QRectF(100, 50, 99, 44));
    }
    // Hiding does not move the hit rectangle; the window decides about clicks.
    QCOMPARE(button.rect(), QRectF(100, 50, 99, 44));
}

QTEST_MAIN(TestGameButton)
#include "tst_gamebutton.moc"
