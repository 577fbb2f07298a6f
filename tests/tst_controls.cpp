#include "controls.h"

#include <QKeyEvent>
#include <QSettings>
#include <QtTest>

using Actions = QList<Action>;

namespace {
QKeyEvent keyEvent(quint32 scanCode, int key) {
    return QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, scanCode, 0, 0);
}
} // namespace

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings("Brimtalon", "Brimtalon").clear(); }

    void defaultKeys_data() {
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<int>("key");
        QTest::addColumn<Actions>("actions");
        QTest::newRow("W") << 25u << int(Qt::Key_W) << Actions{Action::Jump};
        QTest::newRow("AZERTY Z at W") << 25u << int(Qt::Key_Z) << Actions{Action::Jump};
        QTest::newRow("AZERTY Q at A") << 38u << int(Qt::Key_Q) << Actions{Action::Left};
        QTest::newRow("AZERTY A at Q") << 24u << int(Qt::Key_A) << Actions{};
        QTest::newRow("no scan code") << 0u << int(Qt::Key_D) << Actions{Action::Right};
        QTest::newRow("S") << 39u << int(Qt::Key_S) << Actions{Action::Down};
        QTest::newRow("F") << 41u << int(Qt::Key_F) << Actions{Action::Dash};
        QTest::newRow("E") << 26u << int(Qt::Key_E) << Actions{Action::SlowMotion};
        QTest::newRow("Space") << 65u << int(Qt::Key_Space)
                               << Actions{Action::Jump, Action::Confirm};
        QTest::newRow("Return") << 36u << int(Qt::Key_Return)
                                << Actions{Action::Fire, Action::Confirm};
        QTest::newRow("Esc") << 9u << int(Qt::Key_Escape) << Actions{Action::Pause, Action::Back};
        QTest::newRow("Up") << 111u << int(Qt::Key_Up) << Actions{Action::AimUp, Action::MenuUp};
        QTest::newRow("Tab") << 23u << int(Qt::Key_Tab) << Actions{Action::MenuDown};
    }
    void defaultKeys() {
        QFETCH(quint32, scanCode);
        QFETCH(int, key);
        QFETCH(Actions, actions);
        const QKeyEvent event = keyEvent(scanCode, key);
        QCOMPARE(Controls().actionsFor(Controls::keyOf(event)), actions);
    }

    void defaultPadInputs() {
        const Controls controls;
        const QList<QPair<Action, QList<PadInput>>> expected = {
            {Action::Jump, {PadInput::A}},
            {Action::Dash, {PadInput::B}},
            {Action::Left, {PadInput::DpadLeft, PadInput::LeftStickLeft}},
            {Action::Down, {PadInput::DpadDown, PadInput::LeftStickDown}},
            {Action::SlowMotion, {PadInput::RightTrigger}},
            {Action::Fire, {PadInput::RightShoulder}},
            {Action::AimRight, {PadInput::RightStickRight}},
            {Action::Pause, {PadInput::Start}},
            {Action::MenuUp, {PadInput::DpadUp, PadInput::LeftStickUp}},
            {Action::Confirm, {PadInput::A}},
            {Action::Back, {PadInput::B}}};
        for (const auto& [action, inputs] : expected)
            QCOMPARE(controls.padInputs(action), inputs);
    }

    void namesFollowTheLayout_data() {
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<QString>("jump");
        QTest::addColumn<QString>("left");
        QTest::newRow("qwerty") << QByteArray("us") << "W / Space"
                                << "A";
        QTest::newRow("azerty") << QByteArray("fr") << "Z / Space"
                                << "Q";
        QTest::newRow("cyrillic") << QByteArray("ru") << "Ц / Space"
                                  << "Ф";
    }

    // Offscreen there is no X server to ask, so XKB's defaults name the layout.
    void namesFollowTheLayout() {
        QFETCH(QByteArray, layout);
        QFETCH(QString, jump);
        QFETCH(QString, left);
        qputenv("XKB_DEFAULT_LAYOUT", layout);
        Controls controls;
        qunsetenv("XKB_DEFAULT_LAYOUT");
        QCOMPARE(controls.keyNames(Action::Jump), jump);
        QCOMPARE(controls.keyNames(Action::Left), left);
        QCOMPARE(controls.keyNames(Action::AimLeft), QStringLiteral("←"));
        controls.learnKeyName(keyEvent(25, Qt::Key_Y));
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("Y / Space"));
    }

    void clashSwapsWithinItsKind() {
        Controls controls;
        QSignalSpy changed(&controls, &Controls::changed);
        controls.bind(Action::Dash, Controls::keyOf(keyEvent(65, Qt::Key_Space)));
        QCOMPARE(controls.keyNames(Action::Dash), QStringLiteral("Space"));
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("W / F"));
        QCOMPARE(controls.keyNames(Action::Confirm), QStringLiteral("Return / Space"));
        controls.bind(Action::Jump, PadInput::B);
        QCOMPARE(controls.padInputs(Action::Dash), QList<PadInput>{PadInput::A});
        QCOMPARE(controls.padInputs(Action::Back), QList<PadInput>{PadInput::B});
        QCOMPARE(changed.count(), 2);
    }

    void resetAndRestart() {
        Controls controls;
        controls.bind(Action::Fire, Controls::keyOf(keyEvent(44, Qt::Key_J)));
        controls.bind(Action::Fire, PadInput::X);
        const Controls restarted;
        QCOMPARE(restarted.keyNames(Action::Fire), QStringLiteral("J"));
        QCOMPARE(restarted.padInputs(Action::Fire), QList<PadInput>{PadInput::X});
        controls.resetToDefaults();
        QCOMPARE(Controls().keyNames(Action::Fire), QStringLiteral("Return"));
        QCOMPARE(Controls().padInputs(Action::Fire), QList<PadInput>{PadInput::RightShoulder});
    }

    void badSettingsGiveDefaults_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("not a key") << "controls/keyboard/jump" << QVariant("x:y");
        QTest::newRow("no key") << "controls/keyboard/jump" << QVariant("0:0");
        QTest::newRow("empty") << "controls/keyboard/jump" << QVariant(QStringList());
        QTest::newRow("clash") << "controls/keyboard/jump" << QVariant("41:70");
        QTest::newRow("unknown input") << "controls/gamepad/jump" << QVariant("z");
        QTest::newRow("pad clash") << "controls/gamepad/dash" << QVariant("a");
    }
    void badSettingsGiveDefaults() {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        Controls().bind(Action::Right, Controls::keyOf(keyEvent(46, Qt::Key_L)));
        QSettings("Brimtalon", "Brimtalon").setValue(key, value);
        const Controls controls;
        const bool keyboard = key.contains("keyboard");
        QCOMPARE(controls.keyNames(Action::Right), keyboard ? "D" : "L");
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("W / Space"));
        QCOMPARE(controls.padInputs(Action::Dash), QList<PadInput>{PadInput::B});
    }
};

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
