#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "paintrecorder.h"
#include "progressbar.h"

using Placement = void (ProgressBar::*)(const QRect&);
Q_DECLARE_METATYPE(Placement)

class TestProgressBar : public QObject {
    Q_OBJECT

private slots:
    void setProgressClampsAndCompletes();
    void completeComesBeforeTheValue();
    void paintGeometry_data();
    void paintGeometry();
    void placement_data();
    void placement();
    void resizingKeepsTopLeft();
};

void TestProgressBar::setProgressClampsAndCompletes() {
    ProgressBar bar(400, 40, QPointF(3, 4), 3.0);
    QCOMPARE(bar.rect(), QRectF(3, 4, 400, 40));
    QCOMPARE(bar.progress(), 0.0);
    QSignalSpy spy(&bar, &ProgressBar::complete);
    const QList<double> values{0.5, -0.5, 0.999, 1.0, 1.0, 0.2, 1.7};
    const QList<double> progress{0.5, 0.0, 0.999, 1.0, 1.0, 0.2, 1.0};
    const QList<int> completes{0, 0, 0, 1, 2, 2, 3};
    for (int i = 0; i < values.size(); ++i) {
        bar.setProgress(values[i]);
        QCOMPARE(bar.progress(), progress[i]);
        QCOMPARE(spy.count(), completes[i]);
    }
}

void TestProgressBar::completeComesBeforeTheValue() {
    ProgressBar bar(100, 10, QPointF(), 1.0);
    bar.setProgress(0.4);
    double seen = -1.0;
    connect(&bar, &ProgressBar::complete, this, [&] { seen = bar.progress(); });
    bar.setProgress(1.2);
    QCOMPARE(seen, 0.4);
    QCOMPARE(bar.progress(), 1.0);
}

void TestProgressBar::paintGeometry_data() {
    QTest::addColumn<double>("borderWidth");
    QTest::addColumn<double>("progress");
    QTest::addColumn<QRectF>("fill");
    QTest::addColumn<int>("penWidth");

    QTest::newRow("half full") << 3.0 << 0.5 << QRectF(11.5, 21.5, 148.5, 27) << 3;
    QTest::newRow("fractional border") << 4.5 << 1.0 << QRectF(12.25, 22.25, 295.5, 25.5) << 4;
    QTest::newRow("empty") << 3.0 << 0.0 << QRectF(11.5, 21.5, 0, 27) << 3;
}

void TestProgressBar::paintGeometry() {
    QFETCH(double, borderWidth);
    QFETCH(double, progress);
    QFETCH(QRectF, fill);
    QFETCH(int, penWidth);

    ProgressBar bar(300, 30, QPointF(10, 20), borderWidth);
    bar.setFillColor(QColor(255, 233, 111));
    bar.setBorderColor(QColor(1, 2, 3));
    bar.setProgress(progress);

    RecordingPaintDevice device;
    {
        QPainter painter(&device);
        const QPen pen(QColor(9, 8, 7), 11.0, Qt::DashLine);
        const QBrush brush(QColor(1, 1, 1), Qt::Dense3Pattern);
        painter.setPen(pen);
        painter.setBrush(brush);
        bar.paint(painter);
        QCOMPARE(painter.pen(), pen);
        QCOMPARE(painter.brush(), brush);
    }
    const QList<PaintCall> rects = device.callsOf(PaintCall::Rect);
    QCOMPARE(rects.size(), 2);

    QCOMPARE(rects[0].rect, fill);
    QCOMPARE(rects[0].pen.style(), Qt::NoPen);
    QCOMPARE(rects[0].brush.style(), Qt::SolidPattern);
    QCOMPARE(rects[0].brush.color(), QColor(255, 233, 111));

    QCOMPARE(rects[1].rect, QRectF(10, 20, 300, 30));
    QCOMPARE(rects[1].pen.widthF(), double(penWidth));
    QCOMPARE(rects[1].pen.color(), QColor(1, 2, 3));
    QCOMPARE(rects[1].brush.style(), Qt::NoBrush);
}

void TestProgressBar::placement_data() {
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<QPointF>("topLeft");

    // QRect(0, 0, 800, 600) has the integer centre (399, 299).
    QTest::newRow("loading bar below the middle")
        << QSizeF(400, 40) << QRect(0, 0, 800, 600) << Placement(&ProgressBar::placeBelowCenter)
        << QPointF(199, 299);
    QTest::newRow("offset area below the middle")
        << QSizeF(400, 40) << QRect(100, 50, 801, 601) << Placement(&ProgressBar::placeBelowCenter)
        << QPointF(300, 350);
    QTest::newRow("centred, odd size")
        << QSizeF(301, 31) << QRect(0, 0, 800, 600) << Placement(&ProgressBar::centerIn)
        << QPointF(248.5, 283.5);
}

void TestProgressBar::placement() {
    QFETCH(QSizeF, size);
    QFETCH(QRect, area);
    QFETCH(Placement, placement);
    QFETCH(QPointF, topLeft);

    ProgressBar bar(size.width(), size.height(), QPointF(7, 7), 3.0);
    (bar.*placement)(area);
    QCOMPARE(bar.rect(), QRectF(topLeft, size));
    QCOMPARE(bar.position(), topLeft);
}

void TestProgressBar::resizingKeepsTopLeft() {
    ProgressBar bar(200, 20, QPointF(5, 6), 3.0);
    bar.setWidth(300);
    bar.setHeight(30);
    QCOMPARE(bar.rect(), QRectF(5, 6, 300, 30));
    bar.setPosition(QPointF(40, 50));
    QCOMPARE(bar.rect(), QRectF(40, 50, 300, 30));
}

QTEST_MAIN(TestProgressBar)
#include "tst_progressbar.moc"
