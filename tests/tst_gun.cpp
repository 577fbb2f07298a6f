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

// The cell of a gun sheet as the game cuts it.
QImage cell(const QString& path, int index) {
    return QPixmap(path).copy(index * kCell, 0, kCell, kCell).toImage();
}

// Steps the animation as the window's clock does and records what it shows.
QList<int> shownFrames(Gun* gun, int calls, const QString& sheetPath, bool* pixelsMatch) {
    QList<int> frames;
    *pixelsMatch = true;
    for (int i = 0; i < calls; ++i) {
        const int index = gun->animation()->currentFrame;
        gun->setFrame(gun->animation()->play());
        frames.append(index);
        if (gun->frame().toImage() != cell(sheetPath, index))
            *pixelsMatch = false;
    }
    return frames;
}

const QString kPlain = QStringLiteral(":/images/gun_nocolor.png");
const QString kColoured = QStringLiteral(":/images/gun_color.png");
const QList<int> kRestartSequence = {3, 0, 0, 1, 1, 2, 2, 3, 3};
} // namespace

class TestGun : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithThePlainLook();
    void frameSequenceAfterConstruction();
    void positionAndCenter();
    void positionFollowsTheOwner();
    void looksFollowDeadEye();
    void activatingAgainRestartsTheCycle();
    void failedActivationKeepsThePlainLook();

private:
    std::unique_ptr<ScopedWorkingDirectory> m_dir;
    EnvironmentSystem* m_environment = nullptr;
    GameCharacter* m_character = nullptr;
    DeadEye* m_deadEye = nullptr;
    Gun* m_gun = nullptr;
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

void TestGun::startsWithThePlainLook() {
    QCOMPARE(m_gun->animationType(), 1);
    QCOMPARE(m_gun->offset(), QPointF(-40.0, -30.0));
    QCOMPARE(m_gun->sheet().toImage(), QPixmap(kPlain).toImage());
    QCOMPARE(m_gun->frame().toImage(), cell(kPlain, 0));
    QCOMPARE(m_gun->animation()->parent(), m_gun);
    QCOMPARE(m_gun->animation()->frameWidth, 43.0);
    QCOMPARE(m_gun->animation()->frameCount, 4);
    QCOMPARE(m_gun->animation()->ticksPerFrame, 2);
}

void TestGun::frameSequenceAfterConstruction() {
    bool pixelsMatch = false;
    QCOMPARE(shownFrames(m_gun, 9, kPlain, &pixelsMatch), kRestartSequence);
    QVERIFY(pixelsMatch);
}

void TestGun::positionAndCenter() {
    m_character->setPosition(QPointF(100.0, 200.0));
    QCOMPARE(m_gun->position(), QPointF(60.0, 170.0));
    QCOMPARE(m_gun->center(), QPointF(81.0, 191.0));
}

void TestGun::positionFollowsTheOwner() {
    m_character->setPosition(QPointF(576.5, 406.25));
    QCOMPARE(m_gun->position(), QPointF(536.5, 376.25));
    QCOMPARE(m_gun->center(), QPointF(557.5, 397.25));

    m_gun->setOffset(QPointF(10.0, 0.0));
    QCOMPARE(m_gun->position(), QPointF(586.5, 406.25));
}

void TestGun::looksFollowDeadEye() {
    QPointer<Animation> plain = m_gun->animation();
    m_deadEye->activate(0.1);
    QCOMPARE(m_gun->animationType(), 2);
    QVERIFY(plain.isNull());
    QCOMPARE(m_gun->sheet().toImage(), QPixmap(kColoured).toImage());
    bool pixelsMatch = false;
    QCOMPARE(shownFrames(m_gun, 9, kColoured, &pixelsMatch), kRestartSequence);
    QVERIFY(pixelsMatch);

    m_deadEye->deactivate();
    QCOMPARE(m_gun->animationType(), 1);
    QCOMPARE(shownFrames(m_gun, 9, kPlain, &pixelsMatch), kRestartSequence);
    QVERIFY(pixelsMatch);

    // Running dry and resetting switch back too.
    m_deadEye->activate(0.1);
    m_deadEye->setEnergy(1.0);
    m_deadEye->updateEnergy();
    QCOMPARE(m_gun->animationType(), 1);
    m_deadEye->activate(0.1);
    m_deadEye->reset();
    QCOMPARE(m_gun->animationType(), 1);
}

void TestGun::activatingAgainRestartsTheCycle() {
    m_deadEye->activate(0.1);
    bool pixelsMatch = false;
    shownFrames(m_gun, 4, kColoured, &pixelsMatch);
    QPointer<Animation> first = m_gun->animation();

    m_deadEye->activate(0.1);
    QVERIFY(first.isNull());
    QCOMPARE(m_gun->animationType(), 2);
    QCOMPARE(m_gun->frame().toImage(), cell(kColoured, 0));
    QCOMPARE(shownFrames(m_gun, 9, kColoured, &pixelsMatch), kRestartSequence);
    QVERIFY(pixelsMatch);
}

void TestGun::failedActivationKeepsThePlainLook() {
    m_deadEye->setEnergy(1.0);
    QPointer<Animation> before = m_gun->animation();
    m_deadEye->activate(0.1);
    QVERIFY(before.isNull()); // rebuilt all the same
    QCOMPARE(m_gun->animationType(), 1);
    QCOMPARE(m_gun->sheet().toImage(), QPixmap(kPlain).toImage());
}

QTEST_MAIN(TestGun)
#include "tst_gun.moc"
