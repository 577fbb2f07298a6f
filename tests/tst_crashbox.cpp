#include <QLineF>
#include <QRectF>
#include <QTest>

#include "crashbox.h"

namespace {
using RectList = QList<QRectF>;
}

class TestCrashBox : public QObject {
    Q_OBJECT

private slots:
    void constructionAndRectList();
    void boxAgainstBoxIsSymmetric_data();
    void boxAgainstBoxIsSymmetric();
    void segmentAgainstBox_data();
    void segmentAgainstBox();
};

void TestCrashBox::constructionAndRectList() {
    QCOMPARE(CrashBox(10, 20, 40, 60).rects(), RectList{QRectF(10, 20, 30, 40)});

    CrashBox box;
    QVERIFY(box.rects().isEmpty());
    box.addRect(QRectF(0, 0, 5, 5));
    box.addRect(QRectF(10, 10, 5, 5));
    QCOMPARE(box.rects(), (RectList{QRectF(0, 0, 5, 5), QRectF(10, 10, 5, 5)}));
    box.setRects({QRectF(100, 100, 1, 1)});
    QVERIFY(!box.intersects(QRectF(0, 0, 5, 5)));
    box.clear();
    QVERIFY(!box.intersects(QRectF(100, 100, 1, 1)));
}

void TestCrashBox::boxAgainstBoxIsSymmetric_data() {
    QTest::addColumn<RectList>("first");
    QTest::addColumn<RectList>("second");
    QTest::addColumn<bool>("hit");

    const RectList square{QRectF(0, 0, 10, 10)};
    QTest::newRow("shared edge only") << square << RectList{QRectF(10, 0, 10, 10)} << false;
    QTest::newRow("overlap") << square << RectList{QRectF(5, 5, 10, 10)} << true;
    QTest::newRow("touching corner") << square << RectList{QRectF(10, 10, 3, 3)} << false;
    QTest::newRow("empty rectangle inside") << square << RectList{QRectF(5, 5, 0, 0)} << false;
    QTest::newRow("second rectangle hit") << RectList{QRectF(0, 0, 10, 10), QRectF(50, 50, 10, 10)}
                                          << RectList{QRectF(55, 55, 1, 1)} << true;
    QTest::newRow("empty against full") << RectList{} << square << false;
    QTest::newRow("several rectangles, one pair overlaps")
        << RectList{QRectF(0, 0, 10, 10), QRectF(0, 20, 10, 10)}
        << RectList{QRectF(30, 0, 5, 5), QRectF(5, 25, 10, 10)} << true;
    QTest::newRow("several rectangles, edges only")
        << RectList{QRectF(0, 0, 10, 10), QRectF(0, 20, 10, 10)}
        << RectList{QRectF(10, 0, 5, 5), QRectF(0, 30, 10, 10)} << false;
}

void TestCrashBox::boxAgainstBoxIsSymmetric() {
    QFETCH(RectList, first);
    QFETCH(RectList, second);
    QFETCH(bool, hit);

    CrashBox a;
    a.setRects(first);
    CrashBox b;
    b.setRects(second);
    QCOMPARE(a.intersects(b), hit);
    QCOMPARE(b.intersects(a), hit);
    if (second.size() == 1)
        QCOMPARE(a.intersects(second.first()), hit);
}

void TestCrashBox::segmentAgainstBox_data() {
    QTest::addColumn<RectList>("rects");
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<bool>("hit");

    const RectList square{QRectF(0, 0, 10, 10)};
    QTest::newRow("wholly inside") << square << QLineF(2, 2, 5, 7) << true;
    QTest::newRow("crossing outside to outside") << square << QLineF(-5, 5, 15, 5) << true;
    QTest::newRow("entering from outside") << square << QLineF(5, -5, 5, 5) << true;
    QTest::newRow("ending exactly on a side") << square << QLineF(-5, 5, 0, 5) << true;
    QTest::newRow("touching a corner") << square << QLineF(-5, -5, 0, 0) << true;
    QTest::newRow("stopping short") << square << QLineF(-5, 5, -0.5, 5) << false;
    QTest::newRow("missing") << square << QLineF(-5, -5, 20, -1) << false;
    QTest::newRow("parallel along a side, within it") << square << QLineF(2, 0, 8, 0) << true;
    QTest::newRow("parallel along a side, past its end") << square << QLineF(12, 0, 20, 0) << false;
    QTest::newRow("empty box") << RectList{} << QLineF(-5, 5, 15, 5) << false;
    QTest::newRow("only the second rectangle")
        << RectList{QRectF(0, 0, 10, 10), QRectF(100, 0, 10, 10)} << QLineF(95, 5, 105, 5) << true;
}

void TestCrashBox::segmentAgainstBox() {
    QFETCH(RectList, rects);
    QFETCH(QLineF, line);
    QFETCH(bool, hit);

    CrashBox box;
    box.setRects(rects);
    QCOMPARE(box.intersects(line), hit);
}

QTEST_MAIN(TestCrashBox)
#include "tst_crashbox.moc"
