#include "animation.h"
#include "attachment.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "testsupport.h"

#include <QPointer>
#include <QTimer>
#include <QtTest>

namespace {
const QString kPlain = QStringLiteral(":/images/gun_nocolor.png");
const QString kColoured = QStringLiteral(":/images/gun_color.png");

QImage cell(const QString& path, int index) {
    return QPixmap(path).copy(index * 43, 0, 43, 43).toImage();
}
} // namespace

class TestGun : public QObject {
    Q_OBJECT

private slots:
    void placeAndLook();
};

void TestGun::placeAndLook() {
    ScopedWorkingDirectory dir;
    EnvironmentSystem environment(QRect(0, 0, 1920, 1080), 8.0);
    GameCharacter character(&environment);
    DeadEye deadEye;
    deadEye.timer()->stop();
    Gun gun(&deadEye, nullptr, &character);

    character.setPosition(QPointF(100.0, 200.0));
    QCOMPARE(gun.offset(), QPointF(-40.0, -30.0));
    QCOMPARE(gun.position(), QPointF(60.0, 170.0));
    QCOMPARE(gun.center(), QPointF(81.0, 191.0));

    // Every rebuild drops the old animation and shows frame 0; the first play()
    // does not advance, so frame 3 shows once before the two-tick cycle.
    QPointer<Animation> previous;
    const auto expectRebuilt = [&](int type, const QString& sheet) {
        QVERIFY(previous.isNull());
        previous = gun.animation();
        QCOMPARE(gun.animationType(), type);
        QCOMPARE(gun.frame().toImage(), cell(sheet, 0));
        for (int index : {3, 0, 0, 1, 1, 2, 2, 3, 3}) {
            gun.setFrame(gun.animation()->play());
            QCOMPARE(gun.frame().toImage(), cell(sheet, index));
        }
    };
    expectRebuilt(1, kPlain);
    deadEye.activate(0.1);
    expectRebuilt(2, kColoured);
    deadEye.activate(0.1); // already active, mid-cycle
    expectRebuilt(2, kColoured);
    deadEye.deactivate();
    expectRebuilt(1, kPlain);
    deadEye.setEnergy(1.0); // too little to start, yet the signal still comes
    deadEye.activate(0.1);
    expectRebuilt(1, kPlain);
    deadEye.setEnergy(1.5);
    deadEye.activate(0.1);
    expectRebuilt(2, kColoured);
    deadEye.updateEnergy();
    deadEye.updateEnergy(); // runs dry
    expectRebuilt(1, kPlain);
    deadEye.reset();
    expectRebuilt(1, kPlain);
}

QTEST_MAIN(TestGun)
#include "tst_gun.moc"
