#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "gametext.h"
#include "paintrecorder.h"

namespace {
const QRect kRect(100, 100, 600, 200);
const QColor kColor(40, 40, 40);
} // namespace

class TestText : public QObject {
    Q_OBJECT

private slots:
    void fadeCycle_data();
    void fadeCycle();
    void listShowsTextsInOrder();
    void clearRestartsAtTheFirstText();
};

void TestText::fadeCycle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("holdTime");

    // The hold is 4 steps per UTF-16 unit.
    QTest::newRow("empty: no hold") << QString() << 0;
    QTest::newRow("one character") << QStringLiteral("a") << 4;
    QTest::newRow("forty characters") << QString(40, QLatin1Char('z')) << 160;
    QTest::newRow("line breaks count") << QStringLiteral("ab\ncd") << 20;
    QTest::newRow("Chinese") << QStringLiteral("恐龙灭绝") << 16;
    QTest::newRow("surrogate pair counts twice") << QString::fromUtf8("\xF0\x9F\xA6\x96") << 8;
}

void TestText::fadeCycle() {
    QFETCH(QString, text);
    QFETCH(int, holdTime);

    TextList list(kRect, QColor(40, 40, 40, 200));
    list.addText(text);
    GameText* added = list.texts().first();
    QCOMPARE(added->parent(), &list);
    QCOMPARE(added->holdTime(), holdTime);
    QCOMPARE(added->color(), QColor(40, 40, 40, 0));

    QSignalSpy spy(added, &GameText::end);
    RecordingPaintDevice device;
    QPainter painter(&device);
    QList<int> alphas;
    while (spy.isEmpty() && alphas.size() < 1000) {
        const int before = device.callsOf(PaintCall::Text).size();
        added->display(painter);
        alphas.append(added->color().alpha());
        if (text.isEmpty())
            continue;
        // Every step draws, the ending one too.
        const QList<PaintCall> texts = device.callsOf(PaintCall::Text);
        QVERIFY(texts.size() > before);
        QCOMPARE(texts.last().pen.color(), added->color());
        QCOMPARE(texts.last().font.family(), QStringLiteral("黑体"));
        QCOMPARE(texts.last().font.pointSize(), 25);
    }

    // 51 steps in, holdTime opaque steps, 50 steps out, and the end step.
    QList<int> expected;
    for (int alpha = 5; alpha <= 255; alpha += 5)
        expected.append(alpha);
    for (int i = 0; i < holdTime; ++i)
        expected.append(255);
    for (int alpha = 250; alpha >= 5; alpha -= 5)
        expected.append(alpha);
    expected.append(5);
    QCOMPARE(alphas.size(), 51 + holdTime + 50 + 1);
    QCOMPARE(alphas, expected);
    QCOMPARE(spy.count(), 1);
    QVERIFY(added->isEnded());
    QCOMPARE(added->holdTime(), 0);
}

void TestText::listShowsTextsInOrder() {
    TextList list(kRect, kColor);
    list.addText(QStringLiteral("a"));  // hold 4: ends on its 106th step
    list.addText(QStringLiteral("bc")); // hold 8: ends on its 110th step
    QSignalSpy spy(&list, &TextList::end);
    RecordingPaintDevice device;
    QPainter painter(&device);
    GameText* first = list.texts().at(0);
    GameText* second = list.texts().at(1);

    for (int call = 1; call <= 106; ++call)
        list.display(painter);
    QVERIFY(first->isEnded());
    QCOMPARE(second->color().alpha(), 0);
    QCOMPARE(list.index(), 0);

    // The next text starts on the call after the previous one ended.
    list.display(painter);
    QCOMPARE(list.index(), 1);
    QCOMPARE(second->color().alpha(), 5);
    QCOMPARE(first->color().alpha(), 5);

    for (int call = 108; call <= 216; ++call)
        list.display(painter);
    QVERIFY(second->isEnded());
    QVERIFY(list.lastEnded());
    QCOMPARE(spy.count(), 0);

    // Finished: every further call repeats end() and draws nothing.
    const int drawn = device.calls().size();
    for (int call = 1; call <= 3; ++call) {
        list.display(painter);
        QCOMPARE(spy.count(), call);
    }
    QCOMPARE(device.calls().size(), drawn);
    QCOMPARE(list.index(), 1);
}

void TestText::clearRestartsAtTheFirstText() {
    TextList list(kRect, kColor);
    list.addText(QString());
    list.addText(QString());
    QSignalSpy spy(&list, &TextList::end);
    RecordingPaintDevice device;
    QPainter painter(&device);
    while (spy.isEmpty())
        list.display(painter);
    QCOMPARE(list.index(), 1);

    QPointer<GameText> old = list.texts().first();
    list.clear();
    QVERIFY(old.isNull());
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.index(), 0);
    // An empty list draws nothing and never ends.
    const int drawn = device.calls().size();
    for (int i = 0; i < 300; ++i)
        list.display(painter);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(device.calls().size(), drawn);

    list.addText(QStringLiteral("again"));
    list.addText(QStringLiteral("and again"));
    list.display(painter);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(list.index(), 0);
    QCOMPARE(list.texts().at(0)->color().alpha(), 5);
    QCOMPARE(list.texts().at(1)->color().alpha(), 0);
}

QTEST_MAIN(TestText)
#include "tst_text.moc"
