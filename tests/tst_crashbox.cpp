#include <QTest>

#include "crashbox.h"

using Rects = QList<QRectF>;

class TestCrashBox : public QObject {
    Q_OBJECT

private slots:
    void construction() {
        QCOMPARE(CrashBox(10, 20, 40, 60).rects(), Rects{QRectF(10, 20, 30, 40)});
        CrashBox box(QRectF(0, 0, 5, 5));
        box.addRect(QRectF(10, 10, 5, 5));
        QCOMPARE(box.rects(), (Rects{QRectF(0, 0, 5, 5), QRectF(10, 10, 5, 5)}));
    }

    // A row without a segment tests the two boxes against each other, both ways.
    void intersects_data() {
        QTest::addColumn<Rects>("box");
        QTest::addColumn<Rects>("other");
        QTest::addColumn<QLineF>("segment");
        QTest::addColumn<bool>("hit");
        const Rects sq{QRectF(0, 0, 10, 10)};
        const Rects two{QRectF(0, 0, 10, 10), QRectF(0, 20, 10, 10)};
        QTest::newRow("shared edge") << sq << Rects{QRectF(10, 0, 10, 10)} << QLineF() << false;
        QTest::newRow("overlap") << sq << Rects{QRectF(5, 5, 10, 10)} << QLineF() << true;
        QTest::newRow("empty rect inside") << sq << Rects{QRectF(5, 5, 0, 0)} << QLineF() << false;
        QTest::newRow("empty box") << Rects{} << sq << QLineF() << false;
        QTest::newRow("second pair")
            << two << Rects{QRectF(30, 0, 5, 5), QRectF(5, 25, 9, 9)} << QLineF() << true;
        QTest::newRow("segment inside") << sq << Rects{} << QLineF(2, 2, 5, 7) << true;
        QTest::newRow("segment across") << sq << Rects{} << QLineF(-5, 5, 15, 5) << true;
        QTest::newRow("segment ends on a side") << sq << Rects{} << QLineF(-5, 5, 0, 5) << true;
        QTest::newRow("segment stops short") << sq << Rects{} << QLineF(-5, 5, -0.5, 5) << false;
        QTest::newRow("along a side") << sq << Rects{} << QLineF(2, 0, 8, 0) << true;
        QTest::newRow("segment, empty box") << Rects{} << Rects{} << QLineF(-5, 5, 15, 5) << false;
        QTest::newRow("segment, second rect") << two << Rects{} << QLineF(5, 25, 50, 25) << true;
    }

    void intersects() {
        QFETCH(Rects, box);
        QFETCH(Rects, other);
        QFETCH(QLineF, segment);
        QFETCH(bool, hit);
        CrashBox a, b;
        a.setRects(box);
        b.setRects(other);
        if (!segment.isNull()) {
            QCOMPARE(a.intersects(segment), hit);
        } else {
            QVERIFY(a.intersects(b) == hit && b.intersects(a) == hit);
            QVERIFY(other.size() != 1 || a.intersects(other.first()) == hit);
        }
    }
};

QTEST_MAIN(TestCrashBox)
#include "tst_crashbox.moc"
