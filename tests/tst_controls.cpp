#include "controls.h"
#include "pixmaps.h"
#include "tutorialguide.h"

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
    void cleanup() { init(); }

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
        QTest::newRow("qwerty") << QByteArray("us") << "W / 空格"
                                << "A";
        QTest::newRow("azerty") << QByteArray("fr") << "Z / 空格"
                                << "Q";
        QTest::newRow("cyrillic") << QByteArray("ru") << "Ц / 空格"
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
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("Y / 空格"));
    }

    void tutorialShowsThePlayersKeys_data() {
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<bool>("dashOnG");
        QTest::addColumn<QList<QStringList>>("caps");
        QTest::addColumn<QString>("walkCaption");
        QTest::newRow("shipped")
            << QByteArray("us") << false
            << QList<QStringList>{{"W", "空格"}, {"S"}, {"A", "D"}, {"F"}, {"Esc"}}
            << "A / D：左右移动";
        QTest::newRow("azerty")
            << QByteArray("fr") << false
            << QList<QStringList>{{"Z", "空格"}, {"S"}, {"Q", "D"}, {"F"}, {"Esc"}}
            << "Q / D：左右移动";
        QTest::newRow("remapped")
            << QByteArray("us") << true
            << QList<QStringList>{{"W", "空格"}, {"S"}, {"A", "D"}, {"G"}, {"Esc"}}
            << "A / D：左右移动";
    }

    // The shipped picture is kept as it is unless a cap would be wrong; then
    // only the keyboard rows are drawn again.
    void tutorialShowsThePlayersKeys() {
        QFETCH(QByteArray, layout);
        QFETCH(bool, dashOnG);
        QFETCH(QList<QStringList>, caps);
        QFETCH(QString, walkCaption);
        qputenv("XKB_DEFAULT_LAYOUT", layout);
        Controls controls;
        qunsetenv("XKB_DEFAULT_LAYOUT");
        if (dashOnG)
            controls.bind(Action::Dash, KeyboardKey{42, Qt::Key_G});
        const QList<GuidePainter::Row> rows = TutorialGuide::rows(controls);
        QCOMPARE(TutorialGuide::capsOf(rows), caps);
        QCOMPARE(rows.at(2).caption, walkCaption);
        const QImage shipped = loadPixmap(TutorialGuide::kPicture).toImage();
        const QImage guide = TutorialGuide::load(controls).toImage();
        const QRect column = GuidePainter::keyboardColumn(int(rows.size()));
        const bool redrawn = QByteArray(QTest::currentDataTag()) != "shipped";
        QCOMPARE(guide.copy(column) != shipped.copy(column), redrawn);
        const QRect mouseColumn(column.right() + 8, 0, guide.width() - column.right() - 8,
                                guide.height());
        QVERIFY(guide.copy(mouseColumn) == shipped.copy(mouseColumn));
    }

    void clashSwapsWithinItsKind() {
        Controls controls;
        QSignalSpy changed(&controls, &Controls::changed);
        controls.bind(Action::Dash, Controls::keyOf(keyEvent(65, Qt::Key_Space)));
        QCOMPARE(controls.keyNames(Action::Dash), QStringLiteral("空格"));
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("W / F"));
        QCOMPARE(controls.keyNames(Action::Confirm), QStringLiteral("Return / 空格"));
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
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("W / 空格"));
        QCOMPARE(controls.padInputs(Action::Dash), QList<PadInput>{PadInput::B});
    }
};

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
