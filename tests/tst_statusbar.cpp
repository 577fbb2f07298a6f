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
#include <memory>

namespace {
const QRect kScreen(0, 0, 1920, 1080);
const QColor kInk(40, 40, 40);
const QColor kBlank(Qt::white);

void stopTimers(QObject* object) {
    for (QTimer* timer : object->findChildren<QTimer*>())
        timer->stop();
}

// Bounding box of the pixels differing from the background inside `area`.
QRect inkBounds(const QImage& image, const QRect& area) {
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != kBlank)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}
} // namespace

class TestStatusBar : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutOnFullHd();
    void layoutReachesReplacedBars();
    void updateBarsAsksEveryOwner();
    void paintDrawsPanelBarsAndLabels();
    void paintRestoresPenAndBrushButNotFont();
    void invisiblePanelDrawsNothing();

private:
    QImage paintPanel();

    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    EnvironmentSystem* m_environment = nullptr;
    GameCharacter* m_character = nullptr;
    DeadEye* m_deadEye = nullptr;
    BulletSystem* m_bulletSystem = nullptr;
    Rush* m_rush = nullptr;
    StatusBar* m_statusBar = nullptr;
};

void TestStatusBar::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    QVERIFY(m_dir->isValid());
    m_environment = new EnvironmentSystem(kScreen, 8.0);
    m_character = new GameCharacter(m_environment);
    m_deadEye = new DeadEye;
    stopTimers(m_deadEye);
    m_bulletSystem = new BulletSystem(QRect(0, 0, 800, 600));
    stopTimers(m_bulletSystem);
    m_rush = new Rush(m_character, m_environment, 15.0, 150.0);
    m_statusBar = new StatusBar(m_deadEye, m_bulletSystem, m_rush, QRect(0, 0, 800, 600));
}

void TestStatusBar::cleanup() {
    delete m_statusBar;
    delete m_rush;
    delete m_bulletSystem;
    delete m_deadEye;
    delete m_character;
    delete m_environment;
    m_dir.reset();
}

QImage TestStatusBar::paintPanel() {
    QImage image(kScreen.size(), QImage::Format_RGB32);
    image.fill(kBlank);
    QPainter painter(&image);
    m_statusBar->paint(painter);
    return image;
}

void TestStatusBar::layoutOnFullHd() {
    QVERIFY(!m_statusBar->isVisible());
    QVERIFY(m_statusBar->panelRect().isNull());

    m_statusBar->updatePosition(kScreen);
    QCOMPARE(m_statusBar->screenRect(), kScreen);
    QCOMPARE(m_statusBar->panelRect(), QRect(48, 777, 624, 259));
    QCOMPARE(m_bulletSystem->screenRect(), kScreen);

    QCOMPARE(m_bulletSystem->bar()->rect(), QRectF(230.4, 820.8, 288, 43));
    QCOMPARE(m_deadEye->bar()->rect(), QRectF(230.4, 885.6, 288, 43));
    QCOMPARE(m_rush->bar()->rect(), QRectF(230.4, 950.4, 288, 43));
    QCOMPARE(m_rush->bar()->position(), QPointF(230.4, 950.4));

    // Integer halving of the window height for the bar height.
    m_statusBar->updatePosition(QRect(0, 0, 1000, 1010));
    QCOMPARE(m_statusBar->panelRect(), QRect(25, 727, 325, 242));
    QCOMPARE(m_deadEye->bar()->height(), 40.0);
}

void TestStatusBar::layoutReachesReplacedBars() {
    m_deadEye->reset();
    m_bulletSystem->reset(kScreen);
    m_statusBar->updatePosition(kScreen);
    QCOMPARE(m_bulletSystem->bar()->rect(), QRectF(230.4, 820.8, 288, 43));
    QCOMPARE(m_deadEye->bar()->rect(), QRectF(230.4, 885.6, 288, 43));
}

void TestStatusBar::updateBarsAsksEveryOwner() {
    m_bulletSystem->shoot(QPointF(10, 10), QPoint(100, 10));
    m_deadEye->setEnergy(12.5);
    m_rush->start();
    m_statusBar->updateBars();
    QCOMPARE(m_bulletSystem->bar()->progress(), 0.9);
    QCOMPARE(m_deadEye->bar()->progress(), 0.25);
    QCOMPARE(m_rush->bar()->progress(), 0.0);
}

void TestStatusBar::paintDrawsPanelBarsAndLabels() {
    m_statusBar->setVisible(true);
    m_statusBar->updatePosition(kScreen);
    m_deadEye->setEnergy(25.0);
    m_statusBar->updateBars();
    const QImage image = paintPanel();

    // The panel outline, 3 px wide on the rectangle's edges.
    QCOMPARE(image.pixelColor(48, 900), kInk);
    QCOMPARE(image.pixelColor(300, 777), kInk);
    QCOMPARE(image.pixelColor(48 + 623, 900), kInk);
    QCOMPARE(image.pixelColor(300, 777 + 258), kInk);
    QCOMPARE(image.pixelColor(55, 900), kBlank);
    QCOMPARE(image.pixelColor(300, 790), kBlank);

    // The DeadEye bar is half full with the (initial) black fill.
    QCOMPARE(image.pixelColor(300, 907), QColor(Qt::black));
    QCOMPARE(image.pixelColor(500, 907), kBlank);

    // Each label lies inside its 153 x 43 box from x 76, centred in it.
    const double tops[] = {820.8, 885.6, 950.4};
    for (const double top : tops) {
        const QRect box(76, static_cast<int>(top), 153, 43);
        const QRect ink = inkBounds(image, box.adjusted(-20, -10, -2, 10));
        QVERIFY2(!ink.isEmpty(), qPrintable(QString("label at %1").arg(top)));
        QVERIFY2(box.contains(ink), qPrintable(QString("label at %1").arg(top)));
        QVERIFY(qAbs(ink.center().x() - box.center().x()) <= 4);
        QVERIFY(qAbs(ink.center().y() - box.center().y()) <= 6);
    }
    // "死亡之眼" has four characters, "技能" two.
    const QRect deadEyeInk = inkBounds(image, QRect(76, 885, 153, 43));
    const QRect skillInk = inkBounds(image, QRect(76, 950, 153, 43));
    QVERIFY(deadEyeInk.width() > skillInk.width() * 3 / 2);
}

void TestStatusBar::paintRestoresPenAndBrushButNotFont() {
    m_statusBar->setVisible(true);
    m_statusBar->updatePosition(kScreen);
    QImage image(kScreen.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    const QPen pen(Qt::red, 5);
    const QBrush brush(Qt::green);
    painter.setPen(pen);
    painter.setBrush(brush);
    m_statusBar->paint(painter);
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), brush);
    QCOMPARE(painter.font().pointSize(), 20);
}

void TestStatusBar::invisiblePanelDrawsNothing() {
    m_statusBar->updatePosition(kScreen);
    QImage blank(kScreen.size(), QImage::Format_RGB32);
    blank.fill(kBlank);
    QCOMPARE(paintPanel(), blank);

    // The owners still update their values meanwhile.
    m_deadEye->setEnergy(10.0);
    m_statusBar->updateBars();
    QCOMPARE(m_deadEye->bar()->progress(), 0.2);
}

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
