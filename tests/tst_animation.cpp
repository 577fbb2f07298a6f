#include <QImage>
#include <QTest>

#include "animation.h"

namespace {
// Each pixel column carries its x in the red channel, so a frame tells where it was cut.
QPixmap columnSheet(int width, int height = 2) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgba(x, 0, 0, 255));
    return QPixmap::fromImage(image);
}

int left(const QPixmap& frame) {
    return qRed(frame.toImage().pixel(0, 0));
}
} // namespace

class TestAnimation : public QObject {
    Q_OBJECT

private slots:
    // An Animation shows the lefts on its first calls; an Effect cut the same
    // way emits end on the listed calls, whenever it stands on frame 0 after a call.
    void play_data() {
        QTest::addColumn<int>("sheetWidth");
        QTest::addColumn<double>("frameWidth");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("frameCount");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<QList<int>>("ends");
        const QList<int> every4{4, 8, 12, 16};
        QTest::newRow("2 ticks, 1 column unused")
            << 183 << 91.0 << 2 << 2 << QList<int>{0, 0, 91, 91, 0}
            << QList<int>{1, 4, 5, 8, 9, 12, 13, 16};
        // Lefts are trunc(i * 10.5); the remainder on the right is never shown.
        QTest::newRow("fractional width")
            << 45 << 10.5 << 1 << 4 << QList<int>{0, 10, 21, 31, 0} << every4;
        QTest::newRow("0 ticks become 1") << 40 << 10.0 << 0 << 4 << QList<int>{0, 10} << every4;
        QTest::newRow("-7 ticks become 1") << 40 << 10.0 << -7 << 4 << QList<int>{0, 10} << every4;
        QTest::newRow("explosion, 3 ticks")
            << 900 << 180.0 << 3 << 5 << QList<int>{0, 0, 0, 180} << QList<int>{1, 2, 15, 16};
        QTest::newRow("frame wider than strip")
            << 40 << 50.0 << 1 << 0 << QList<int>{}
            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    }

    void play() {
        QFETCH(int, sheetWidth);
        QFETCH(double, frameWidth);
        QFETCH(int, ticks);
        QFETCH(int, frameCount);
        QFETCH(QList<int>, lefts);
        QFETCH(QList<int>, ends);
        Animation animation(columnSheet(sheetWidth, 7), frameWidth, ticks);
        QVERIFY(animation.frameHeight == 7.0 && animation.frameCount == frameCount);
        QCOMPARE(animation.ticksPerFrame, qMax(ticks, 1));
        for (int expected : lefts) {
            const QPixmap frame = animation.play();
            QVERIFY(frame.size() == QSize(int(frameWidth), 7) && left(frame) == expected);
        }
        Effect effect(columnSheet(sheetWidth), frameWidth, ticks);
        QList<int> emitted;
        int call = 0;
        connect(&effect, &Effect::end, this, [&] { emitted << call; });
        for (call = 1; call <= 16; ++call)
            effect.play();
        QCOMPARE(emitted, ends);
    }

    void setFrame() {
        // The first-frame idiom, play() then setFrame(currentFrame - 1): with 2
        // ticks per frame (the gun) the first call makes no step, so the last frame comes next.
        for (int ticks : {1, 2}) {
            Animation animation(columnSheet(172), 43.0, ticks);
            QCOMPARE(left(animation.play()), 0);
            animation.setFrame(animation.currentFrame - 1);
            QCOMPARE(left(animation.play()), ticks == 1 ? 0 : 129);
        }
        // Wrapping, negative indices from the end; tickCount stays.
        Animation four(columnSheet(40), 10.0, 5);
        Animation none(columnSheet(40), 50.0, 5);
        four.play();
        const int wraps[][2] = {{-1, 3}, {9, 1}, {-5, 3}};
        for (const auto& wrap : wraps) {
            four.setFrame(wrap[0]);
            none.setFrame(wrap[0]);
            QVERIFY(four.currentFrame == wrap[1] && four.tickCount == 1 && none.currentFrame == 0);
        }
        QCOMPARE(left(four.play()), 30);
    }

    void ticksPerFrameChangedBetweenCalls() {
        Animation animation(columnSheet(40), 10.0, 1);
        animation.play();
        animation.ticksPerFrame = 3; // the animation clock does this during DeadEye
        for (int expected : {10, 10, 10, 20})
            QCOMPARE(left(animation.play()), expected);
        // A tickCount already above the new value advances at that very call.
        animation.ticksPerFrame = 10;
        for (int i = 0; i < 4; ++i)
            animation.play();
        animation.ticksPerFrame = 2;
        QCOMPARE(left(animation.play()), 20);
        QVERIFY(animation.currentFrame == 3 && animation.tickCount == 0);
    }
};

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
