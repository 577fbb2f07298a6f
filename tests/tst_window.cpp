#include "gameharness.h"

#include "environmentsystem.h"
#include "gamecharacter.h"
#include "ground.h"
#include "progressbar.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QTest>
#include <QTimer>

// The window itself: size, ground line, the loading screen and the tutorial layout.
class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void clientSizeIsFixedForTests();
    void groundLineFollowsFrameHeight();
    void loadingBarPlacementAndFill();
    void timersAreStoppable();
    void chineseTextsHaveGlyphs_data();
    void chineseTextsHaveGlyphs();
};

void WindowTest::clientSizeIsFixedForTests() {
    GameHarness game;
    QCOMPARE(game->rect(), QRect(0, 0, 1920, 1040));
    QCOMPARE(game->stage(), 0);
}

void WindowTest::groundLineFollowsFrameHeight() {
    GameHarness probe(QSize(1920, 1000));
    const int frameExtra = probe->frameGeometry().height() - probe->height();
    GameHarness game(QSize(1920, 1000 - frameExtra));
    game.tick();
    QCOMPARE(game->frameGeometry().height(), 1000);
    QCOMPARE(game->groundLine(), 618.0);
}

void WindowTest::loadingBarPlacementAndFill() {
    GameHarness game;
    game.tick();
    ProgressBar* bar = game->progressBar();
    QVERIFY(bar);
    QCOMPARE(bar->rect(), QRectF(759, 519, 400, 40));
    QCOMPARE(bar->progress(), 0.0);
    game->updateEnvironment();
    const Ground* first = game->environment()->grounds().first();
    QCOMPARE(first->p1().x(), 1919.0);
    // The bar reads the segment before this tick's movement shifts it.
    game.tick();
    QCOMPARE(bar->progress(), 1.0 / 1920.0);
    game.tick();
    QCOMPARE(bar->progress(), 9.0 / 1920.0);
    QCOMPARE(bar->rect(), QRectF(759, 519, 400, 40));
}

void WindowTest::timersAreStoppable() {
    GameHarness game;
    for (QTimer* timer : game->timers())
        QVERIFY(!timer->isActive());
}

void WindowTest::chineseTextsHaveGlyphs_data() {
    QTest::addColumn<QString>("family");
    QTest::newRow("menu, story and upgrade texts") << QStringLiteral("黑体");
    QTest::newRow("win screen") << QStringLiteral("Arial");
}

// The texts must render in a real CJK font, never as empty boxes; the status
// panel's default family reaches the same fonts through fallback.
void WindowTest::chineseTextsHaveGlyphs() {
    QFETCH(QString, family);
    GameHarness game;
    const QStringList chineseFamilies = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    QVERIFY(!chineseFamilies.isEmpty());
    const QFont font(family, 25);
    QVERIFY2(chineseFamilies.contains(QFontInfo(font).family()),
             qPrintable(QFontInfo(font).family()));
    const QFontMetrics metrics(font);
    for (const QChar c : QStringLiteral("能量精粹恭喜墨鲲弹药死亡之眼技能当前等级"))
        QVERIFY(metrics.inFont(c));
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
