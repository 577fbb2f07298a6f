#include "gametext.h"
#include "statusbar.h"
#include "testsupport.h"

#include <algorithm>

namespace {
// The pictures one paint call draws, by target rectangle.
template <typename Item> QList<QRectF> paintedPixmaps(Item& item) {
    RecordingPaintDevice device;
    QPainter painter(&device);
    item.paint(painter);
    QList<QRectF> rects;
    for (const PaintCall& call : device.callsOf(PaintCall::Pixmap))
        rects << call.rect;
    return rects;
}
} // namespace

class TestDisplay : public QObject {
    Q_OBJECT

private slots:
    void numbersAndScoreBoard() {
        const QPixmap strip(QStringLiteral(":/images/numbers.png"));
        for (const auto& [requested, digit] : {std::pair{9, 9}, {0, 0}, {10, 0}, {-1, 0}}) {
            const GameNumber number(requested);
            QVERIFY(number.digit() == digit &&
                    number.image().toImage() == strip.copy(digit * 45, 0, 45, 50).toImage());
        }
        NumberSet set(7, 55);
        for (const auto& [value, digits, number] : {std::tuple{1234, "0001234", 1234},
                                                    {-5, "0000000", 0},
                                                    {123456789, "3456789", 3456789}}) {
            set.setNumber(value);
            QString shown;
            for (const GameNumber* digit : set.digits())
                shown += QString::number(digit->digit());
            QVERIFY(shown == QLatin1String(digits) && set.number() == number);
        }
        // Laid out by the bottom-right corner; the digits touch each other.
        set.setBottomRight(QPointF(1881.6, 55));
        QVERIFY(set.pos() == QPointF(1566.6, 5) && set.bottomRight() == QPointF(1881.6, 55));
        const QList<QRectF> painted = paintedPixmaps(set);
        QVERIFY(painted.size() == 7 && painted.last() == QRectF(1566.6 + 6 * 45, 5, 45, 50));
        // Hidden, the board paints nothing but keeps counting; the score never goes below 0.
        ScoreBoard board;
        board.addScore(10);
        QVERIFY(paintedPixmaps(board).isEmpty());
        board.addScore(-30);
        QCOMPARE(board.score(), 0);
        board.setScore(-7);
        board.addScore(20);
        QCOMPARE(board.score(), 20);
        board.setVisible(true);
        QCOMPARE(paintedPixmaps(board).size(), 7);
        board.reset();
        QVERIFY(board.score() == 0 && board.digits()->number() == 0 && !board.isVisible());
    }

    // Each text fades in by 5 a step, holds 4 steps per UTF-16 unit, fades out and ends on
    // the step after alpha 5; the next one starts on the call after that.
    void textListFadesEachTextInTurn() {
        TextList list(QRect(100, 100, 600, 200), QColor(40, 40, 40, 200));
        const QStringList texts = {QString(), QStringLiteral("a"),
                                   QString::fromUtf8("a\n\xF0\x9F\xA6\x96")}; // a surrogate pair
        for (const QString& text : texts)
            list.addText(text);
        QSignalSpy spy(&list, &TextList::end);
        RecordingPaintDevice device;
        QPainter painter(&device);
        for (int index = 0; index < texts.size(); ++index) {
            GameText* text = list.texts().at(index);
            QSignalSpy ended(text, &GameText::end);
            const int hold = 4 * int(texts[index].size());
            for (int i = 0; i < 102 + hold; ++i) {
                const qsizetype drawn = device.calls().size();
                list.advance();
                list.display(painter);
                const int alpha =
                    std::max(5, std::min({5 * (i + 1), 255, 250 - 5 * (i - 51 - hold)}));
                QVERIFY(list.index() == index && text->color().alpha() == alpha);
                // Every step draws with the new alpha, the ending one too.
                const PaintCall last = device.calls().value(device.calls().size() - 1);
                QVERIFY(texts[index].isEmpty() || (device.calls().size() > drawn &&
                                                   last.pen.color() == QColor(40, 40, 40, alpha) &&
                                                   last.font == QFont(QStringLiteral("黑体"), 25)));
            }
            QVERIFY(ended.count() == 1 && text->isEnded() && spy.isEmpty());
        }
        // Finished: every further call repeats end() and draws nothing.
        const qsizetype drawn = device.calls().size();
        for (int i = 0; i < 2; ++i) {
            list.advance();
            list.display(painter);
        }
        QVERIFY(list.lastEnded() && spy.count() == 2 && device.calls().size() == drawn);
        // Cleared, it starts again at its first text; empty, it draws nothing and never ends.
        const QPointer<GameText> first = list.texts().at(0);
        list.clear();
        QVERIFY(first.isNull() && list.count() == 0 && list.index() == 0);
        list.advance();
        list.display(painter);
        QVERIFY(spy.count() == 2 && device.calls().size() == drawn);
        list.addText(QStringLiteral("again"));
        list.advance();
        QVERIFY(list.index() == 0 && list.texts().at(0)->color().alpha() == 5);
    }

    void progressBar() {
        ProgressBar bar(400, 40, QPointF(3, 4), 3.0);
        QVERIFY(bar.rect() == QRectF(3, 4, 400, 40) && bar.progress() == 0.0);
        QList<double> seen; // complete() comes before the value is stored
        connect(&bar, &ProgressBar::complete, this, [&] { seen << bar.progress(); });
        QList<double> stored;
        for (double value : {0.5, -0.5, 0.999, 1.0, 1.0, 0.2, 1.7}) {
            bar.setProgress(value);
            stored << bar.progress();
        }
        QCOMPARE(stored, QList<double>({0.5, 0.0, 0.999, 1.0, 1.0, 0.2, 1.0}));
        QCOMPARE(seen, QList<double>({0.999, 1.0, 0.2}));
        bar.placeBelowCenter(QRect(100, 50, 801, 601)); // integer centre (500, 350)
        QVERIFY(bar.rect() == QRectF(300, 350, 400, 40) && bar.position() == QPointF(300, 350));
        // The fill is inset by half the border; the outline's pen has the truncated width.
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
            QVERIFY(painter.pen() == pen && painter.brush() == QBrush(Qt::Dense3Pattern));
            const QList<PaintCall> rects = device.callsOf(PaintCall::Rect);
            const PaintCall inner = rects.value(0), outline = rects.value(1);
            QCOMPARE(std::tuple(rects.size(), inner.rect, inner.pen.style(), inner.brush,
                                outline.rect, outline.brush, outline.pen),
                     std::tuple(2, fill, Qt::NoPen, QBrush(QColor(255, 233, 111)),
                                QRectF(10, 20, 300, 30), QBrush(),
                                QPen(QColor(1, 2, 3), penWidth)));
        }
    }

    void buttons() {
        GameButton button(QPixmap(99, 44), QPointF(100, 50));
        QCOMPARE(paintedPixmaps(button), QList<QRectF>{QRectF(100, 50, 99, 44)});
        // Hidden, it still has a hit rectangle: the window decides about clicks.
        button.setVisible(false);
        QVERIFY(paintedPixmaps(button).isEmpty());
        button.setBottomRight(QPointF(799, 599));
        QCOMPARE(button.rect(), QRectF(700, 555, 99, 44));

        const QRect window(0, 0, 800, 600); // integer centre (399, 299)
        const QRect odd(10, 0, 801, 600);   // its right half drops the odd column
        const QSize big(158, 142);
        for (const auto& [size, area, place, pos] :
             {std::tuple{big, window, &GameButton::centerIn, QPointF(320, 228)},
              {QSize(99, 45), window, &GameButton::centerIn, QPointF(350, 277)}, // halves truncated
              {big, QRect(0, 0, 800, 601), &GameButton::centerInLowerPart, QPointF(320, 429)},
              {big, odd, &GameButton::centerInLeftHalf, QPointF(130, 228)},
              {big, odd, &GameButton::centerInRightHalf, QPointF(530, 228)}}) {
            GameButton placed(QPixmap(size.width(), size.height()), QPointF(-1, -1));
            (placed.*place)(area);
            QCOMPARE(placed.rect(), QRectF(pos, QSizeF(size)));
        }
    }

    void statusBar() {
        const QRect screen(0, 0, 1920, 1080);
        DeadEye deadEye;
        BulletSystem bullets(QRect(0, 0, 800, 600));
        Rush rush(nullptr, nullptr, 15.0, 150.0); // never started: a full bar once updated
        StatusBar panel(&deadEye, &bullets, &rush, QRect(0, 0, 800, 600));
        // The owners' bars may have been replaced since; the layout must reach the new ones.
        deadEye.reset();
        bullets.reset(screen);
        panel.updatePosition(screen); // integer shares: the bars are 1080 / 25 = 43 high
        QVERIFY(panel.panelRect() == QRect(48, 777, 624, 259) && bullets.screenRect() == screen);
        const QList<ProgressBar*> bars = {bullets.bar(), deadEye.bar(), rush.bar()};

        // Hidden, the panel draws nothing but still has the owners update their bars.
        RecordingPaintDevice device;
        QPainter painter(&device);
        panel.paint(painter);
        QVERIFY(device.calls().isEmpty());
        bullets.shoot(QPointF(10, 10), QPoint(100, 10));
        deadEye.setEnergy(25.0);
        panel.updateBars();
        QCOMPARE(std::tuple(bars[0]->progress(), bars[1]->progress(), bars[2]->progress()),
                 std::tuple(0.9, 0.5, 1.0));
        // Shown: the outline, then each bar with its 20 pt label centred in a 153 x 43 box.
        const QPen pen(Qt::red, 5);
        painter.setPen(pen);
        painter.setBrush(Qt::green);
        panel.setVisible(true);
        panel.paint(painter);
        QVERIFY(painter.pen() == pen && painter.brush() == QBrush(Qt::green));
        const QList<PaintCall> calls = device.calls();
        QCOMPARE(
            std::tuple(calls.size(), calls.value(0).rect, calls.value(0).pen, calls.value(0).brush),
            std::tuple(10, QRectF(48, 777, 624, 259), QPen(QColor(40, 40, 40), 3),
                       QBrush(Qt::NoBrush)));
        const QStringList names = {"弹药量", "死亡之眼", "技能"};
        for (int i = 0; i < 3; ++i) {
            const PaintCall label = calls.value(3 + 3 * i);
            QCOMPARE(std::tuple(calls.value(2 + 3 * i).rect, label.text, label.textBox.center(),
                                label.font, label.pen.color()),
                     std::tuple(QRectF(230.4, 820.8 + 64.8 * i, 288, 43), names[i],
                                QPointF(76 + 76.5, int(820.8 + 64.8 * i) + 21.5),
                                QFont(QFont().family(), 20), QColor(40, 40, 40)));
        }
        // On a laptop the font shrinks until the longest label clears the edges of its box.
        panel.updatePosition(QRect(0, 0, 1280, 720));
        device.calls().clear();
        panel.paint(painter);
        const QFont font = device.callsOf(PaintCall::Text).value(0).font;
        QVERIFY(font.pointSize() < 20 && // a 102 px box less two 6 px margins
                QFontMetrics(font).horizontalAdvance(QStringLiteral("死亡之眼")) <= 90);
    }
};

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
