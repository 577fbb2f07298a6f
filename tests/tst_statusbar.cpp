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
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != kBlank)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
} // namespace

class TestStatusBar : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutOnFullHd();
    void invisiblePanelDrawsNothingWhileOwnersUpdate();
    void paintDrawsPanelBarsAndLabels();

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

    // The owners' bars may have been replaced since; the layout must reach the new ones.
    m_deadEye->reset();
    m_bulletSystem->reset(kScreen);
    m_statusBar->updatePosition(kScreen);
    QCOMPARE(m_statusBar->screenRect(), kScreen);
    QCOMPARE(m_statusBar->panelRect(), QRect(48, 777, 624, 259));
    QCOMPARE(m_bulletSystem->screenRect(), kScreen);
    QCOMPARE(m_bulletSystem->bar()->rect(), QRectF(230.4, 820.8, 288, 43));
    QCOMPARE(m_deadEye->bar()->rect(), QRectF(230.4, 885.6, 288, 43));
    QCOMPARE(m_rush->bar()->rect(), QRectF(230.4, 950.4, 288, 43));

    // Integer halving of the window height for the bar height.
    m_statusBar->updatePosition(QRect(0, 0, 1000, 1010));
    QCOMPARE(m_statusBar->panelRect(), QRect(25, 727, 325, 242));
    QCOMPARE(m_deadEye->bar()->height(), 40.0);
}

void TestStatusBar::invisiblePanelDrawsNothingWhileOwnersUpdate() {
    m_statusBar->updatePosition(kScreen);
    QImage blank(kScreen.size(), QImage::Format_RGB32);
    blank.fill(kBlank);
    QCOMPARE(paintPanel(), blank);

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
    const QList<QPoint> outline = {{48, 900}, {300, 777}, {671, 900}, {300, 1035}};
    for (const QPoint& point : outline)
        QCOMPARE(image.pixelColor(point), kInk);
    QCOMPARE(image.pixelColor(55, 900), kBlank);
    QCOMPARE(image.pixelColor(300, 790), kBlank);
    // The DeadEye bar is half full.
    QCOMPARE(image.pixelColor(300, 907), QColor(Qt::black));
    QCOMPARE(image.pixelColor(500, 907), kBlank);

    // Each label lies inside its 153 x 43 box from x 76, centred in it.
    QList<QRect> inks;
    for (const double top : {820.8, 885.6, 950.4}) {
        const QRect box(76, static_cast<int>(top), 153, 43);
        inks << inkBounds(image, box.adjusted(-20, -10, -2, 10));
        QVERIFY2(!inks.last().isEmpty() && box.contains(inks.last()),
                 qPrintable(QString::number(top)));
        QVERIFY(qAbs(inks.last().center().x() - box.center().x()) <= 4);
        QVERIFY(qAbs(inks.last().center().y() - box.center().y()) <= 6);
    }
    // "死亡之眼" has four characters, "技能" two.
    QVERIFY(inks[1].width() > inks[2].width() * 3 / 2);

    // The caller's pen and brush come back; the font stays as the panel set it.
    QImage canvas(kScreen.size(), QImage::Format_RGB32);
    QPainter painter(&canvas);
    const QPen pen(Qt::red, 5);
    const QBrush brush(Qt::green);
    painter.setPen(pen);
    painter.setBrush(brush);
    m_statusBar->paint(painter);
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), brush);
    QCOMPARE(painter.font().pointSize(), 20);
}

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
