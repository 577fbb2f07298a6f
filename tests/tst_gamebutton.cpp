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
} // namespace

class TestGameButton : public QObject {
    Q_OBJECT
private slots:
    void hitRectangleAndPainting();
    void placement();
};

void TestGameButton::hitRectangleAndPainting() {
    GameButton button(picture(99, 44), QPointF(100, 50));
    QCOMPARE(button.rect(), QRectF(100, 50, 99, 44));
    for (bool visible : {true, false}) {
        button.setVisible(visible);
        RecordingPaintDevice device;
        QPainter painter(&device);
        button.paint(painter);
        QCOMPARE(device.calls().size(), visible ? 1 : 0);
        QVERIFY(!visible || device.calls().first().rect == QRectF(100, 50, 99, 44));
    }
    // Hidden, it still has a hit rectangle: the window decides about clicks.
    button.setBottomRight(QPointF(799, 599));
    QCOMPARE(button.rect(), QRectF(700, 555, 99, 44));
    button.setImage(picture(158, 142));
    QCOMPARE(button.rect(), QRectF(700, 555, 158, 142));
}

void TestGameButton::placement() {
    struct Case {
        QSize size;
        QRect area;
        void (GameButton::*place)(QRect);
        QPointF pos;
    };
    const QRect window(0, 0, 800, 600); // integer centre (399, 299)
    const Case cases[] = {
        {{158, 142}, window, &GameButton::centerIn, {320, 228}},
        {{99, 45}, window, &GameButton::centerIn, {350, 277}}, // halves truncated
        {{158, 142}, {0, 0, 800, 601}, &GameButton::centerInLowerPart, {320, 429}},
        {{158, 142}, {10, 0, 801, 600}, &GameButton::centerInLeftHalf, {130, 228}},
        // The right half ends at left + 2 * (width / 2) - 1, dropping the odd column.
        {{158, 142}, {10, 0, 801, 600}, &GameButton::centerInRightHalf, {530, 228}},
    };
    for (const Case& c : cases) {
        GameButton button(picture(c.size.width(), c.size.height()), QPointF(-1, -1));
        (button.*c.place)(c.area);
        QCOMPARE(button.rect(), QRectF(c.pos, QSizeF(c.size)));
    }
}

QTEST_MAIN(TestGameButton)
#include "tst_gamebutton.moc"
