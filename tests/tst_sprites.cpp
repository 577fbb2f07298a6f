#include "testsupport.h"

namespace {
using Rects = QList<QRectF>;

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

class TestSprites : public QObject {
    Q_OBJECT

private slots:
    // Frame i starts at trunc(i * width); an Effect emits end on every call landing on frame 0.
    void play() {
        const QList<int> every4{4, 8, 12, 16};
        for (const auto& [sheetWidth, frameWidth, ticks, lefts, ends] :
             {std::tuple{183, 91.0, 2, QList{0, 0, 91, 91, 0}, QList{1, 4, 5, 8, 9, 12, 13, 16}},
              {45, 10.5, 1, QList{0, 10, 21, 31, 0}, every4},
              {40, 10.0, 0, QList{0, 10}, every4}, // 0 ticks become 1
              {900, 180.0, 3, QList{0, 0, 0, 180}, QList{1, 2, 15, 16}},
              {40, 50.0, 1, QList<int>{},
               QList{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}}) {
            Animation animation(columnSheet(sheetWidth, 7), frameWidth, ticks);
            QCOMPARE(animation.ticksPerFrame, qMax(ticks, 1)); // the frames tell the rest
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
    }

    void setFrameAndTicksChangedBetweenCalls() {
        // Wrapping, negative indices from the end; tickCount stays.
        Animation four(columnSheet(40), 10.0, 5);
        Animation none(columnSheet(40), 50.0, 5);
        four.play();
        for (const auto& [index, frame] : {std::pair{-1, 3}, {9, 1}, {-5, 3}}) {
            four.setFrame(index);
            none.setFrame(index);
            QVERIFY(four.currentFrame == frame && four.tickCount == 1 && none.currentFrame == 0);
        }
        QCOMPARE(left(four.play()), 30);

        // DeadEye changes ticksPerFrame mid-run; a tickCount already past it advances at once.
        Animation animation(columnSheet(40), 10.0, 1);
        QList<int> lefts;
        for (const auto& [ticks, calls] : {std::pair{1, 1}, {3, 4}, {10, 4}, {2, 1}}) {
            animation.ticksPerFrame = ticks;
            for (int call = 0; call < calls; ++call)
                lefts << left(animation.play());
        }
        QCOMPARE(lefts, QList({0, 10, 10, 10, 20, 20, 20, 20, 20, 20}));
        QVERIFY(animation.currentFrame == 3 && animation.tickCount == 0);
    }

    // A row without a segment tests the two boxes against each other, both ways.
    void intersects() {
        const Rects sq{QRectF(0, 0, 10, 10)};
        const Rects two{QRectF(0, 0, 10, 10), QRectF(0, 20, 10, 10)};
        for (const auto& [box, other, segment, hit] :
             {std::tuple{sq, Rects{QRectF(10, 0, 10, 10)}, QLineF(), false}, // shared edge
              {sq, Rects{QRectF(5, 5, 10, 10)}, QLineF(), true},
              {sq, sq, QLineF(), true},
              {Rects{}, sq, QLineF(), false},
              {two, Rects{QRectF(30, 0, 5, 5), QRectF(5, 25, 9, 9)}, QLineF(), true},
              {sq, Rects{}, QLineF(2, 2, 5, 7), true}, // inside
              {sq, Rects{}, QLineF(-5, 5, 15, 5), true},
              {sq, Rects{}, QLineF(-5, 5, 0, 5), true}, // ends on a side
              {sq, Rects{}, QLineF(-5, 5, -0.5, 5), false},
              {sq, Rects{}, QLineF(2, 0, 8, 0), true}, // along a side
              {two, Rects{}, QLineF(5, 25, 50, 25), true}}) {
            CrashBox a, b;
            a.setRects(box);
            b.setRects(other);
            if (!segment.isNull())
                QCOMPARE(a.intersects(segment), hit);
            else
                QVERIFY(a.intersects(b) == hit && b.intersects(a) == hit);
        }
        QCOMPARE(CrashBox(10, 20, 40, 60).rects(), Rects{QRectF(10, 20, 30, 40)});
    }
};

QTEST_MAIN(TestSprites)
#include "tst_sprites.moc"
