#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include "animation.h"

namespace {
// Every pixel column carries its own x in the red channel, so the frame that
// play() returns tells which column it was cut from.
QPixmap columnSheet(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgba(x, 0, 0, 255));
    }
    return QPixmap::fromImage(image);
}

int leftColumn(const QPixmap& frame) {
    return qRed(frame.toImage().pixel(0, 0));
}
} // namespace

class TestAnimation : public QObject {
    Q_OBJECT

private slots:
    void construction_data();
    void construction();
    void effectEndEmission_data();
    void effectEndEmission();
    void firstFrameIdiom_data();
    void firstFrameIdiom();
    void setFrameWraps_data();
    void setFrameWraps();
    void changingTicksPerFrameBetweenCalls();
};

void TestAnimation::construction_data() {
    QTest::addColumn<int>("sheetWidth");
    QTest::addColumn<double>("frameWidth");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("frameCount");
    QTest::addColumn<int>("ticksPerFrame");
    QTest::addColumn<QList<int>>("lefts");

    QTest::newRow("bird strip, last column unused")
        << 183 << 91.0 << 2 << 2 << 2 << QList<int>{0, 0, 91, 91, 0};
    // Lefts are trunc(i * 10.5), the width is 10 and the remainder is never shown.
    QTest::newRow("fractional frames truncated")
        << 45 << 10.5 << 1 << 4 << 1 << QList<int>{0, 10, 21, 31, 0, 10};
    QTest::newRow("zero ticks become one") << 40 << 10.0 << 0 << 4 << 1 << QList<int>{0, 10};
    QTest::newRow("negative ticks become one") << 40 << 10.0 << -7 << 4 << 1 << QList<int>{0, 10};
    QTest::newRow("frame wider than strip") << 40 << 50.0 << 1 << 0 << 1 << QList<int>{};
}

void TestAnimation::construction() {
    QFETCH(int, sheetWidth);
    QFETCH(double, frameWidth);
    QFETCH(int, ticks);
    QFETCH(int, frameCount);
    QFETCH(int, ticksPerFrame);
    QFETCH(QList<int>, lefts);

    Animation animation(columnSheet(sheetWidth, 7), frameWidth, ticks);
    QCOMPARE(animation.frameHeight, 7.0);
    QCOMPARE(animation.frameCount, frameCount);
    QCOMPARE(animation.ticksPerFrame, ticksPerFrame);
    QCOMPARE(animation.currentFrame, 0);
    QCOMPARE(animation.tickCount, 0);
    for (int expectedLeft : lefts) {
        const QPixmap frame = animation.play();
        QCOMPARE(frame.size(), QSize(int(frameWidth), 7));
        QCOMPARE(leftColumn(frame), expectedLeft);
    }
}

void TestAnimation::effectEndEmission_data() {
    QTest::addColumn<int>("sheetWidth");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QList<int>>("emittingCalls");

    QTest::newRow("1 tick per frame") << 900 << 1 << QList<int>{5, 10, 15};
    // Standing on frame 0 counts too, the very first call included.
    QTest::newRow("3 ticks per frame") << 900 << 3 << QList<int>{1, 2, 15, 16, 17};
    QTest::newRow("no frames: every call")
        << 150 << 1 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
}

void TestAnimation::effectEndEmission() {
    QFETCH(int, sheetWidth);
    QFETCH(int, ticks);
    QFETCH(QList<int>, emittingCalls);

    Effect effect(columnSheet(sheetWidth, 4), 180.0, ticks);
    QSignalSpy spy(&effect, &Effect::end);
    QList<int> emitted;
    for (int call = 1; call <= 17; ++call) {
        const int before = spy.count();
        effect.play();
        QVERIFY(spy.count() - before <= 1);
        if (spy.count() > before)
            emitted.append(call);
    }
    QCOMPARE(emitted, emittingCalls);
}

void TestAnimation::firstFrameIdiom_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("frameAfterIdiom");
    QTest::addColumn<QList<int>>("nextLefts");

    QTest::newRow("1 tick per frame shows frame 0 again") << 1 << 0 << QList<int>{0, 43, 86};
    // The gun: the first call makes no step, so stepping back lands on the last frame.
    QTest::newRow("2 ticks per frame lands on the last frame") << 2 << 3 << QList<int>{129, 0, 0};
}

void TestAnimation::firstFrameIdiom() {
    QFETCH(int, ticks);
    QFETCH(int, frameAfterIdiom);
    QFETCH(QList<int>, nextLefts);

    Animation animation(columnSheet(172, 43), 43.0, ticks);
    QCOMPARE(leftColumn(animation.play()), 0);
    animation.setFrame(animation.currentFrame - 1);
    QCOMPARE(animation.currentFrame, frameAfterIdiom);
    for (int left : nextLefts)
        QCOMPARE(leftColumn(animation.play()), left);
}

void TestAnimation::setFrameWraps_data() {
    QTest::addColumn<double>("frameWidth");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("frame");

    QTest::newRow("-1 from the end") << 10.0 << -1 << 3;
    QTest::newRow("9 wraps") << 10.0 << 9 << 1;
    QTest::newRow("-5 wraps twice from the end") << 10.0 << -5 << 3;
    QTest::newRow("no frames, -1") << 50.0 << -1 << 0;
    QTest::newRow("no frames, 9") << 50.0 << 9 << 0;
}

void TestAnimation::setFrameWraps() {
    QFETCH(double, frameWidth);
    QFETCH(int, index);
    QFETCH(int, frame);

    Animation animation(columnSheet(40, 2), frameWidth, 5);
    animation.play();
    animation.play();
    animation.setFrame(index);
    QCOMPARE(animation.currentFrame, frame);
    QCOMPARE(animation.tickCount, 2);
    if (animation.frameCount > 0)
        QCOMPARE(leftColumn(animation.play()), frame * 10);
}

void TestAnimation::changingTicksPerFrameBetweenCalls() {
    Animation animation(columnSheet(40, 2), 10.0, 1);
    QCOMPARE(leftColumn(animation.play()), 0);
    animation.ticksPerFrame = 3; // the window's animation clock does this during DeadEye
    QCOMPARE(leftColumn(animation.play()), 10);
    QCOMPARE(leftColumn(animation.play()), 10);
    QCOMPARE(leftColumn(animation.play()), 10);
    QCOMPARE(animation.currentFrame, 2);
    animation.ticksPerFrame = 1;
    QCOMPARE(leftColumn(animation.play()), 20);
    QCOMPARE(animation.currentFrame, 3);

    // A tickCount already above the new value advances at that very call.
    Animation slow(columnSheet(40, 2), 10.0, 10);
    for (int i = 0; i < 4; ++i)
        slow.play();
    QCOMPARE(slow.currentFrame, 0);
    slow.ticksPerFrame = 2;
    QCOMPARE(leftColumn(slow.play()), 0);
    QCOMPARE(slow.currentFrame, 1);
    QCOMPARE(slow.tickCount, 0);
}

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
