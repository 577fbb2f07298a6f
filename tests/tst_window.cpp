#include "gameharness.h"

#include "environmentsystem.h"
#include "ground.h"
#include "progressbar.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void groundLineFollowsFrameHeight();
    void loadingBarPlacementAndFill();
    void chineseTextsHaveGlyphs();
};

void WindowTest::groundLineFollowsFrameHeight() {
    GameHarness probe(QSize(1920, 1000)); // measures the frame around a client area
    const int frameExtra = probe->frameGeometry().height() - 1000;
    GameHarness game(QSize(1920, 1000 - frameExtra));
    game.tick();
    QCOMPARE(game->frameGeometry().height(), 1000);
    QCOMPARE(game->groundLine(), 618.0);
}

void WindowTest::loadingBarPlacementAndFill() {
    GameHarness game;
    for (QTimer* timer : game->timers())
        QVERIFY(!timer->isActive()); // the harness drives every tick by hand
    game.tick();
    ProgressBar* bar = game->progressBar();
    QCOMPARE(bar->rect(), QRectF(759, 519, 400, 40));
    QCOMPARE(bar->progress(), 0.0);
    game->updateEnvironment();
    QCOMPARE(game->environment()->grounds().first()->p1().x(), 1919.0);
    // The bar reads the segment before this tick's movement shifts it.
    game.tick();
    QCOMPARE(bar->progress(), 1.0 / 1920.0);
    game.tick();
    QCOMPARE(bar->progress(), 9.0 / 1920.0);
    QCOMPARE(bar->rect(), QRectF(759, 519, 400, 40));
}

// Every text must render in a real CJK font, never as empty boxes: "黑体" for the
// menu, story and upgrade texts, "Arial" on the win screen; the status panel's
// default family reaches the same fonts through fallback.
void WindowTest::chineseTextsHaveGlyphs() {
    GameHarness game;
    const QStringList chineseFamilies = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : {QStringLiteral("黑体"), QStringLiteral("Arial")}) {
        const QFont font(family, 25);
        QVERIFY2(chineseFamilies.contains(QFontInfo(font).family()),
                 qPrintable(QFontInfo(font).family()));
        const QFontMetrics metrics(font);
        for (const QChar c : QStringLiteral("能量精粹恭喜墨鲲弹药死亡之眼技能当前等级"))
            QVERIFY(metrics.inFont(c));
    }
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
