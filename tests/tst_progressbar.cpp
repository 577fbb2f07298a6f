#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "paintrecorder.h"
#include "progressbar.h"

#include <tuple>

class TestProgressBar : public QObject {
    Q_OBJECT
private slots:
    void setProgressClampsAndCompletes();
    void paintGeometry();
    void placement();
};

void TestProgressBar::setProgressClampsAndCompletes() {
    ProgressBar bar(400, 40, QPointF(3, 4), 3.0);
    QVERIFY(bar.rect() == QRectF(3, 4, 400, 40) && bar.progress() == 0.0);
    QSignalSpy spy(&bar, &ProgressBar::complete);
    QList<double> seen; // complete() comes before the value is stored
    connect(&bar, &ProgressBar::complete, this, [&] { seen << bar.progress(); });
    const QList<double> values{0.5, -0.5, 0.999, 1.0, 1.0, 0.2, 1.7};
    const QList<double> progress{0.5, 0.0, 0.999, 1.0, 1.0, 0.2, 1.0};
    const QList<int> completes{0, 0, 0, 1, 2, 2, 3};
    for (int i = 0; i < values.size(); ++i) {
        bar.setProgress(values[i]);
        QCOMPARE(bar.progress(), progress[i]);
        QCOMPARE(spy.count(), completes[i]);
    }
    QCOMPARE(seen, QList<double>({0.999, 1.0, 0.2}));
}

// A 300 x 30 bar at (10, 20): the fill is inset by half the border width; the
// outline straddles the rectangle with a pen of the truncated width.
void TestProgressBar::paintGeometry() {
    for (const auto& [borderWidth, progress, fill, penWidth] :
         {std::tuple{3.0, 0.5, QRectF(11.5, 21.5, 148.5, 27), 3.0},
          {4.5, 1.0, QRectF(12.25, 22.25, 295.5, 25.5), 4.0}}) {
        ProgressBar bar(300, 30, QPointF(10, 20), borderWidth);
        bar.setFillColor(QColor(255, 233, 111));
        bar.setBorderColor(QColor(1, 2, 3));
        bar.setProgress(progress);
        RecordingPaintDevice device;
        QPainter painter(&device);
        const QPen pen(QColor(9, 8, 7), 11.0, Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::Dense3Pattern);
        bar.paint(painter);
        // The painter's pen and brush come back as they were.
        QVERIFY(painter.pen() == pen && painter.brush() == QBrush(Qt::Dense3Pattern));
        const QList<PaintCall> rects = device.callsOf(PaintCall::Rect);
        QCOMPARE(rects.size(), 2);
        QCOMPARE(rects[0].rect, fill);
        QVERIFY(rects[0].pen.style() == Qt::NoPen);
        QCOMPARE(rects[0].brush, QBrush(QColor(255, 233, 111)));
        QCOMPARE(rects[1].rect, QRectF(10, 20, 300, 30));
        QCOMPARE(rects[1].pen, QPen(QColor(1, 2, 3), penWidth));
        QCOMPARE(rects[1].brush.style(), Qt::NoBrush);
    }
}

void TestProgressBar::placement() {
    // QRect(0, 0, 800, 600) has the integer centre (399, 299).
    ProgressBar bar(400, 40, QPointF(7, 7), 3.0);
    bar.placeBelowCenter(QRect(0, 0, 800, 600));
    QVERIFY(bar.rect() == QRectF(199, 299, 400, 40) && bar.position() == QPointF(199, 299));
    bar.placeBelowCenter(QRect(100, 50, 801, 601));
    QCOMPARE(bar.rect(), QRectF(300, 350, 400, 40));
    bar.setWidth(301);
    bar.setHeight(31);
    bar.centerIn(QRect(0, 0, 800, 600));
    QVERIFY(bar.rect() == QRectF(248.5, 283.5, 301, 31) && bar.position() == QPointF(248.5, 283.5));
}

QTEST_MAIN(TestProgressBar)
#include "tst_progressbar.moc"
