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
    void framesFollowTruncatedRectangles();
    void framesRepeatForTicksPerFrame();
    void effectEndEmission_data();
    void effectEndEmission();
    void firstFrameIdiom_data();
    void firstFrameIdiom();
    void setFrameWraps_data();
    void setFrameWraps();
    void setFrameOnEmptyStrip();
    void emptyStripPlaysFrameZeroRectangle();
    void changingTicksPerFrameBetweenCalls();
    void tickCountAboveNewValueAdvancesAtOnce();
};

void TestAnimation::construction_data() {
    QTest::addColumn<int>("sheetWidth");
    QTest::addColumn<double>("frameWidth");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("frameCount");
    QTest::addColumn<int>("ticksPerFrame");

    QTest::newRow("dinosaur strip") << 174 << 87.0 << 1 << 2 << 1;
    QTest::newRow("bird strip, last column unused") << 183 << 91.0 << 2 << 2 << 2;
    QTest::newRow("remainder dropped") << 45 << 10.0 << 3 << 4 << 3;
    QTest::newRow("fractional frames truncated") << 42 << 10.5 << 1 << 4 << 1;
    QTest::newRow("zero ticks become one") << 40 << 10.0 << 0 << 4 << 1;
    QTest::newRow("negative ticks become one") << 40 << 10.0 << -7 << 4 << 1;
    QTest::newRow("frame wider than strip") << 40 << 50.0 << 1 << 0 << 1;
}

void TestAnimation::construction() {
    QFETCH(int, sheetWidth);
    QFETCH(double, frameWidth);
    QFETCH(int, ticks);
    QFETCH(int, frameCount);
    QFETCH(int, ticksPerFrame);

    Animation animation(columnSheet(sheetWidth, 7), frameWidth, ticks);
    QCOMPARE(animation.frameWidth, frameWidth);
    QCOMPARE(animation.frameHeight, 7.0);
    QCOMPARE(animation.frameCount, frameCount);
    QCOMPARE(animation.ticksPerFrame, ticksPerFrame);
    QCOMPARE(animation.currentFrame, 0);
    QCOMPARE(animation.tickCount, 0);
    QCOMPARE(animation.sheet().width(), sheetWidth);
}

void TestAnimation::framesFollowTruncatedRectangles() {
    // 10.5-pixel frames: lefts trunc(0), trunc(10.5), trunc(21), trunc(31.5); width 10.
    Animation animation(columnSheet(42, 5), 10.5, 1);
    const QList<int> lefts = {0, 10, 21, 31, 0, 10};
    for (int expectedLeft : lefts) {
        const QPixmap frame = animation.play();
        QCOMPARE(frame.size(), QSize(10, 5));
        QCOMPARE(leftColumn(frame), expectedLeft);
    }
}

void TestAnimation::framesRepeatForTicksPerFrame() {
    Animation animation(columnSheet(30, 3), 10.0, 3);
    const QList<int> lefts = {0, 0, 0, 10, 10, 10, 20, 20, 20, 0};
    for (int expectedLeft : lefts)
        QCOMPARE(leftColumn(animation.play()), expectedLeft);
}

void TestAnimation::effectEndEmission_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QList<int>>("emittingCalls");

    // One tick per frame: the call that returns the last frame lands on frame 0.
    QTest::newRow("1 tick per frame") << 1 << QList<int>{5, 10, 15};
    // Standing on frame 0 counts too, the very first call included.
    QTest::newRow("3 ticks per frame") << 3 << QList<int>{1, 2, 15, 16, 17};
}

void TestAnimation::effectEndEmission() {
    QFETCH(int, ticks);
    QFETCH(QList<int>, emittingCalls);

    Effect effect(columnSheet(900, 4), 180.0, ticks);
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
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("frame");

    QTest::newRow("-1 from the end") << -1 << 3;
    QTest::newRow("9 wraps") << 9 << 1;
    QTest::newRow("4 wraps to 0") << 4 << 0;
    QTest::newRow("-5 wraps twice from the end") << -5 << 3;
    QTest::newRow("in range") << 2 << 2;
}

void TestAnimation::setFrameWraps() {
    QFETCH(int, index);
    QFETCH(int, frame);

    Animation animation(columnSheet(40, 2), 10.0, 5);
    animation.play();
    animation.play();
    QCOMPARE(animation.tickCount, 2);
    animation.setFrame(index);
    QCOMPARE(animation.currentFrame, frame);
    QCOMPARE(animation.tickCount, 2);
    QCOMPARE(leftColumn(animation.play()), frame * 10);
}

void TestAnimation::setFrameOnEmptyStrip() {
    Animation animation(columnSheet(40, 2), 50.0, 1);
    QCOMPARE(animation.frameCount, 0);
    for (int index : {-1, 9, 0, 3}) {
        animation.setFrame(index);
        QCOMPARE(animation.currentFrame, 0);
    }
}

void TestAnimation::emptyStripPlaysFrameZeroRectangle() {
    const QPixmap sheet = columnSheet(40, 2);
    Effect effect(sheet, 50.0, 1);
    QSignalSpy spy(&effect, &Effect::end);
    const QSize expected = sheet.copy(QRect(0, 0, 50, 2)).size();
    for (int call = 1; call <= 3; ++call) {
        QCOMPARE(effect.play().size(), expected);
        QCOMPARE(effect.currentFrame, 0);
        QCOMPARE(spy.count(), call);
    }
}

void TestAnimation::changingTicksPerFrameBetweenCalls() {
    Animation animation(columnSheet(40, 2), 10.0, 1);
    QCOMPARE(leftColumn(animation.play()), 0);
    animation.ticksPerFrame = 3; // the window's animation clock does this during DeadEye
    QCOMPARE(leftColumn(animation.play()), 10);
    QCOMPARE(leftColumn(animation.play()), 10);
    QCOMPARE(animation.currentFrame, 1);
    QCOMPARE(leftColumn(animation.play()), 10);
    QCOMPARE(animation.currentFrame, 2);
    animation.ticksPerFrame = 1;
    QCOMPARE(leftColumn(animation.play()), 20);
    QCOMPARE(animation.currentFrame, 3);
}

void TestAnimation::tickCountAboveNewValueAdvancesAtOnce() {
    Animation animation(columnSheet(40, 2), 10.0, 10);
    for (int i = 0; i < 4; ++i)
        animation.play();
    QCOMPARE(animation.tickCount, 4);
    QCOMPARE(animation.currentFrame, 0);

    animation.ticksPerFrame = 2;
    QCOMPARE(leftColumn(animation.play()), 0);
    QCOMPARE(animation.currentFrame, 1);
    QCOMPARE(animation.tickCount, 0);
}

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
