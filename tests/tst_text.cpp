#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "gametext.h"
#include "paintrecorder.h"

class TestText : public QObject {
    Q_OBJECT
private slots:
    void fadeCycle_data();
    void fadeCycle();
    void listShowsTextsInOrderAndRestartsWhenCleared();
};

void TestText::fadeCycle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("holdTime");
    // The hold is 4 steps per UTF-16 unit.
    QTest::newRow("empty: fades out right after full opacity") << QString() << 0;
    QTest::newRow("one character") << QStringLiteral("a") << 4;
    QTest::newRow("forty characters") << QString(40, QLatin1Char('z')) << 160;
    QTest::newRow("a line break and a surrogate pair")
        << QString::fromUtf8("a\n\xF0\x9F\xA6\x96") << 16;
}

void TestText::fadeCycle() {
    QFETCH(QString, text);
    QFETCH(int, holdTime);
    TextList list(QRect(100, 100, 600, 200), QColor(40, 40, 40, 200));
    list.addText(text);
    GameText* added = list.texts().first();
    QCOMPARE(added->holdTime(), holdTime);
    QCOMPARE(added->color(), QColor(40, 40, 40, 0));
    QSignalSpy spy(added, &GameText::end);
    RecordingPaintDevice device;
    QPainter painter(&device);
    QList<int> alphas;
    while (spy.isEmpty() && alphas.size() < 1000) {
        const int drawn = device.calls().size();
        added->display(painter);
        alphas.append(added->color().alpha());
        // Every step draws with the new alpha, the ending one too.
        QVERIFY(text.isEmpty() || device.calls().size() > drawn);
        QVERIFY(text.isEmpty() || device.calls().last().pen.color() == added->color());
    }
    QVERIFY(text.isEmpty() || device.calls().last().font == QFont(QStringLiteral("黑体"), 25));
    // 51 steps in, holdTime opaque steps, 50 steps out, and the end step.
    QList<int> expected;
    for (int alpha = 5; alpha <= 255; alpha += 5)
        expected.append(alpha);
    expected += QList<int>(holdTime, 255);
    for (int alpha = 250; alpha >= 5; alpha -= 5)
        expected.append(alpha);
    QCOMPARE(alphas, expected << 5);
    QVERIFY(spy.count() == 1 && added->isEnded());
}

void TestText::listShowsTextsInOrderAndRestartsWhenCleared() {
    TextList list(QRect(100, 100, 600, 200), QColor(40, 40, 40));
    list.addText(QStringLiteral("a"));  // ends on its 106th step
    list.addText(QStringLiteral("bc")); // ends on its 110th step
    QSignalSpy spy(&list, &TextList::end);
    RecordingPaintDevice device;
    QPainter painter(&device);
    const QPointer<GameText> first = list.texts().at(0);
    GameText* second = list.texts().at(1);
    for (int call = 1; call <= 106; ++call)
        list.display(painter);
    QVERIFY(first->isEnded() && list.index() == 0 && second->color().alpha() == 0);
    // The next text starts on the call after the previous one ended.
    list.display(painter);
    QVERIFY(list.index() == 1 && second->color().alpha() == 5 && first->color().alpha() == 5);
    for (int call = 108; call <= 216; ++call)
        list.display(painter);
    QVERIFY(second->isEnded() && list.lastEnded() && spy.isEmpty());
    // Finished: every further call repeats end() and draws nothing.
    const int drawn = device.calls().size();
    list.display(painter);
    list.display(painter);
    QVERIFY(spy.count() == 2 && device.calls().size() == drawn);

    // Cleared, the list starts again at its first text; empty, it draws nothing and never ends.
    list.clear();
    QVERIFY(first.isNull() && list.count() == 0 && list.index() == 0);
    for (int i = 0; i < 300; ++i)
        list.display(painter);
    QVERIFY(spy.count() == 2 && device.calls().size() == drawn);
    list.addText(QStringLiteral("again"));
    list.addText(QStringLiteral("and again"));
    list.display(painter);
    QCOMPARE(list.index(), 0);
    QCOMPARE(list.texts().at(0)->color().alpha(), 5);
}

QTEST_MAIN(TestText)
#include "tst_text.moc"
