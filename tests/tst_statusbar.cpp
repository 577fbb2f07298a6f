#include "bulletsystem.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "progressbar.h"
#include "skill.h"
#include "statusbar.h"
#include "testsupport.h"

#include <QPainter>
#include <QTimer>
#include <QtTest>

namespace {
const QRect kScreen(0, 0, 1920, 1080);
const QColor kInk(40, 40, 40);
const QColor kBlank(Qt::white);
} // namespace

class TestStatusBar : public QObject {
    Q_OBJECT

private slots:
    void layoutAndPaint();
    void labelsFitNarrowWindows_data();
    void labelsFitNarrowWindows();
};

void TestStatusBar::layoutAndPaint() {
    ScopedWorkingDirectory dir;
    EnvironmentSystem environment(kScreen, 8.0);
    GameCharacter character(&environment);
    DeadEye deadEye;
    BulletSystem bullets(QRect(0, 0, 800, 600));
    for (QTimer* timer : deadEye.findChildren<QTimer*>() + bullets.findChildren<QTimer*>())
        timer->stop();
    Rush rush(&character, &environment, 15.0, 150.0);
    StatusBar panel(&deadEye, &bullets, &rush, QRect(0, 0, 800, 600));
    QVERIFY(!panel.isVisible() && panel.panelRect().isNull());

    // Integer halving of the window height for the bar height.
    panel.updatePosition(QRect(0, 0, 1000, 1010));
    QCOMPARE(panel.panelRect(), QRect(25, 727, 325, 242));
    QCOMPARE(deadEye.bar()->height(), 40.0);
    // The owners' bars may have been replaced since; the layout must reach the new ones.
    deadEye.reset();
    bullets.reset(kScreen);
    panel.updatePosition(kScreen);
    QCOMPARE(panel.panelRect(), QRect(48, 777, 624, 259));
    QCOMPARE(bullets.screenRect(), kScreen);
    QCOMPARE(bullets.bar()->rect(), QRectF(230.4, 820.8, 288, 43));
    QCOMPARE(deadEye.bar()->rect(), QRectF(230.4, 885.6, 288, 43));
    QCOMPARE(rush.bar()->rect(), QRectF(230.4, 950.4, 288, 43));

    // Hidden, the panel draws nothing but still has the owners update their bars.
    QImage image(kScreen.size(), QImage::Format_RGB32);
    image.fill(kBlank);
    const QImage blank = image.copy();
    QPainter painter(&image);
    panel.paint(painter);
    QCOMPARE(image, blank);
    bullets.shoot(QPointF(10, 10), QPoint(100, 10));
    deadEye.setEnergy(25.0);
    rush.start();
    panel.updateBars();
    QCOMPARE(bullets.bar()->progress(), 0.9);
    QCOMPARE(deadEye.bar()->progress(), 0.5);
    QCOMPARE(rush.bar()->progress(), 0.0);

    // Shown: the outline, then each bar with its label centred in a 153 x 43 box
    // from x 76; the caller's pen and brush come back, the font stays at 20 pt.
    const QPen pen(Qt::red, 5);
    const QBrush brush(Qt::green);
    painter.setPen(pen);
    painter.setBrush(brush);
    panel.setVisible(true);
    panel.paint(painter);
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), brush);
    QCOMPARE(painter.font().pointSize(), 20);
    painter.end();
    QImage expected = blank.copy();
    painter.begin(&expected);
    painter.setPen(QPen(kInk, 3));
    painter.drawRect(QRect(48, 777, 624, 259));
    painter.setFont(QFont(QFont().family(), 20));
    painter.setPen(kInk);
    const QStringList names = {QStringLiteral("弹药量"), QStringLiteral("死亡之眼"),
                               QStringLiteral("技能")};
    const QList<ProgressBar*> bars = {bullets.bar(), deadEye.bar(), rush.bar()};
    for (int i = 0; i < 3; ++i) {
        bars[i]->paint(painter);
        painter.drawText(QRect(76, int(820.8 + 64.8 * i), 153, 43), Qt::AlignCenter, names[i]);
    }
    painter.end();
    QCOMPARE(image, expected);
}

void TestStatusBar::labelsFitNarrowWindows_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pointSize");
    QTest::newRow("1920") << 1920 << 20;
    QTest::newRow("1366") << 1366 << 0;
    QTest::newRow("1280") << 1280 << 0;
}

// Where the 20 pt labels fit they keep their size; on a laptop the font
// shrinks until the longest label clears the edges of its box.
void TestStatusBar::labelsFitNarrowWindows() {
    QFETCH(int, width);
    QFETCH(int, pointSize);
    const QRect screen(0, 0, width, width * 9 / 16);
    DeadEye deadEye;
    BulletSystem bullets(screen);
    StatusBar panel(&deadEye, &bullets, nullptr, screen);
    panel.updatePosition(screen);
    panel.setVisible(true);
    QImage image(screen.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    panel.paint(painter);
    const QFont font = painter.font();
    const int box = int(0.08 * width);
    if (pointSize)
        QCOMPARE(font.pointSize(), pointSize);
    QVERIFY(font.pointSize() < 20 || pointSize);
    QVERIFY(QFontMetrics(font).horizontalAdvance(QStringLiteral("死亡之眼")) <= box - 12);
}

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
