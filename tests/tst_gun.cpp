#include "animation.h"
#include "attachment.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "testsupport.h"

#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {
constexpr int kCell = 43;
const QString kPlain = QStringLiteral(":/images/gun_nocolor.png");
const QString kColoured = QStringLiteral(":/images/gun_color.png");
// A fresh animation shows its last frame once before cycling from the first.
const QList<int> kRestartSequence = {3, 0, 0, 1, 1, 2, 2, 3, 3};

QImage cell(const QString& path, int index) {
    return QPixmap(path).copy(index * kCell, 0, kCell, kCell).toImage();
}

// Steps the animation as the window's clock does; empty when a shown frame is not its cell.
QList<int> shownFrames(Gun* gun, int calls, const QString& sheetPath) {
    QList<int> frames;
    for (int i = 0; i < calls; ++i) {
        const int index = gun->animation()->currentFrame;
        gun->setFrame(gun->animation()->play());
        if (gun->frame().toImage() != cell(sheetPath, index))
            return {};
        frames.append(index);
    }
    return frames;
}
} // namespace

class TestGun : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void positionAndCenter();
    void everyStateChangeRebuildsTheLook();

private:
    void expectRebuilt(int type, const QString& sheetPath);

    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    EnvironmentSystem* m_environment = nullptr;
    GameCharacter* m_character = nullptr;
    DeadEye* m_deadEye = nullptr;
    Gun* m_gun = nullptr;
    QPointer<Animation> m_previous;
};

void TestGun::init() {
    m_dir = std::make_unique<ScopedWorkingDirectory>();
    QVERIFY(m_dir->isValid());
    m_environment = new EnvironmentSystem(QRect(0, 0, 1920, 1080), 8.0);
    m_character = new GameCharacter(m_environment);
    m_deadEye = new DeadEye;
    for (QTimer* timer : m_deadEye->findChildren<QTimer*>())
        timer->stop();
    m_gun = new Gun(m_deadEye, nullptr, m_character);
}

void TestGun::cleanup() {
    delete m_gun;
    delete m_deadEye;
    delete m_character;
    delete m_environment;
    m_dir.reset();
}

void TestGun::expectRebuilt(int type, const QString& sheetPath) {
    QVERIFY(m_previous.isNull());
    QCOMPARE(m_gun->animationType(), type);
    QCOMPARE(m_gun->sheet().toImage(), QPixmap(sheetPath).toImage());
    QCOMPARE(m_gun->frame().toImage(), cell(sheetPath, 0));
    QCOMPARE(shownFrames(m_gun, 9, sheetPath), kRestartSequence);
    m_previous = m_gun->animation();
}

void TestGun::positionAndCenter() {
    m_character->setPosition(QPointF(100.0, 200.0));
    QCOMPARE(m_gun->position(), QPointF(60.0, 170.0));
    QCOMPARE(m_gun->center(), QPointF(81.0, 191.0));
    m_gun->setOffset(QPointF(10.5, 0.0));
    QCOMPARE(m_gun->position(), QPointF(110.5, 200.0));
}

void TestGun::everyStateChangeRebuildsTheLook() {
    QCOMPARE(m_gun->offset(), QPointF(-40.0, -30.0));
    expectRebuilt(1, kPlain);
    m_deadEye->activate(0.1);
    expectRebuilt(2, kColoured);

    // Already active, mid-cycle: rebuilt all the same, from frame 3 again.
    shownFrames(m_gun, 4, kColoured);
    m_deadEye->activate(0.1);
    expectRebuilt(2, kColoured);

    m_deadEye->deactivate();
    expectRebuilt(1, kPlain);

    m_deadEye->setEnergy(1.0); // too little to start, yet the signal still rebuilds
    m_deadEye->activate(0.1);
    expectRebuilt(1, kPlain);

    m_deadEye->setEnergy(1.5); // running dry
    m_deadEye->activate(0.1);
    m_previous = m_gun->animation();
    m_deadEye->updateEnergy();
    m_deadEye->updateEnergy();
    expectRebuilt(1, kPlain);

    m_deadEye->activate(0.1);
    m_previous = m_gun->animation();
    m_deadEye->reset();
    expectRebuilt(1, kPlain);
}

QTEST_MAIN(TestGun)
#include "tst_gun.moc"
