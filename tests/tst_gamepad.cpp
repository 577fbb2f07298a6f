#include "controls.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamedriver.h"
#include "gameoptions.h"
#include "gamepad.h"
#include "optionsscreen.h"
#include "skill.h"
#include "virtualpad.h"

#include <QSettings>
#include <QtTest>

class GamepadTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings("Brimtalon", "Brimtalon").clear();
        if (!Gamepad().start())
            QSKIP("SDL's game controller support cannot start here");
    }

    void plugAndUnplug() {
        Gamepad pad;
        const Controls controls;
        QSignalSpy connected(&pad, &Gamepad::padConnected);
        QSignalSpy disconnected(&pad, &Gamepad::padDisconnected);
        pad.poll(controls);
        const int device = attachPad();
        const PadReading atRest = pad.poll(controls);
        QCOMPARE(pad.padCount(), 1);
        QVERIFY(std::none_of(atRest.strength.cbegin(), atRest.strength.cend(),
                             [](double s) { return s > 0; }));
        QCOMPARE(connected.value(0).value(0).toString(), QStringLiteral("Test pad"));
        SDL_JoystickDetachVirtual(device);
        pad.poll(controls);
        QCOMPARE(pad.padCount(), 0);
        QCOMPARE(disconnected.count(), 1);
    }

    void defaultLayout_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("axis");
        QTest::addColumn<int>("value");
        QTest::addColumn<Action>("action");
        QTest::addColumn<double>("strength");
        const int none = -1;
        QTest::newRow("A jumps") << int(SDL_CONTROLLER_BUTTON_A) << none << 0 << Action::Jump
                                 << 1.0;
        QTest::newRow("A confirms")
            << int(SDL_CONTROLLER_BUTTON_A) << none << 0 << Action::Confirm << 1.0;
        QTest::newRow("B dashes") << int(SDL_CONTROLLER_BUTTON_B) << none << 0 << Action::Dash
                                  << 1.0;
        QTest::newRow("RB fires") << int(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) << none << 0
                                  << Action::Fire << 1.0;
        QTest::newRow("Start pauses")
            << int(SDL_CONTROLLER_BUTTON_START) << none << 0 << Action::Pause << 1.0;
        QTest::newRow("d-pad left")
            << int(SDL_CONTROLLER_BUTTON_DPAD_LEFT) << none << 0 << Action::Left << 1.0;
        QTest::newRow("RT slows") << none << int(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) << 32767
                                  << Action::SlowMotion << 1.0;
        QTest::newRow("stick left")
            << none << int(SDL_CONTROLLER_AXIS_LEFTX) << -32767 << Action::Left << 1.0;
        QTest::newRow("stick half")
            << none << int(SDL_CONTROLLER_AXIS_LEFTX) << 20479 << Action::Right << 0.5;
        QTest::newRow("dead zone")
            << none << int(SDL_CONTROLLER_AXIS_LEFTX) << 8000 << Action::Right << 0.0;
        QTest::newRow("right stick aims")
            << none << int(SDL_CONTROLLER_AXIS_RIGHTY) << -32767 << Action::AimUp << 1.0;
    }
    void defaultLayout() {
        QFETCH(int, button);
        QFETCH(int, axis);
        QFETCH(int, value);
        QFETCH(Action, action);
        QFETCH(double, strength);
        Gamepad pad;
        const Controls controls;
        const int device = attachPad();
        pad.poll(controls);
        if (button >= 0)
            SDL_JoystickSetVirtualButton(joystick(device), button, 1);
        else
            SDL_JoystickSetVirtualAxis(joystick(device), axis, Sint16(value));
        const PadReading first = pad.poll(controls);
        const PadReading second = pad.poll(controls);
        SDL_JoystickDetachVirtual(device);
        QCOMPARE(qRound(first.strength[size_t(action)] * 100), qRound(strength * 100));
        QCOMPARE(first.wasPressed(action), strength > 0);
        QCOMPARE(second.isHeld(action), strength > 0);
        QVERIFY(!second.wasPressed(action));
    }

    void tapBetweenReadingsCounts() {
        Gamepad pad;
        const Controls controls;
        const int device = attachPad();
        pad.poll(controls);
        SDL_JoystickSetVirtualButton(joystick(device), SDL_CONTROLLER_BUTTON_Y, 1);
        SDL_PumpEvents();
        SDL_JoystickSetVirtualButton(joystick(device), SDL_CONTROLLER_BUTTON_Y, 0);
        const PadReading reading = pad.poll(controls);
        SDL_JoystickDetachVirtual(device);
        QCOMPARE(reading.firstPress, PadInput::Y);
    }

    // The window's pad: A presses the focused start, unplugging pauses the run.
    void padPlaysTheWindow() {
        GameDriver game;
        QVERIFY(game.reach(Stage::Menu));
        const int device = attachPad();
        game.tick();
        SDL_JoystickSetVirtualButton(joystick(device), SDL_CONTROLLER_BUTTON_A, 1);
        game.tick();
        QCOMPARE(game.stage(), Stage::Run);
        SDL_JoystickSetVirtualButton(joystick(device), SDL_CONTROLLER_BUTTON_A, 0);
        game.tick(60);
        for (const auto& [button, stage] : {std::pair(SDL_CONTROLLER_BUTTON_START, Stage::Pause),
                                            std::pair(SDL_CONTROLLER_BUTTON_B, Stage::Run)}) {
            SDL_JoystickSetVirtualButton(joystick(device), button, 1);
            game.tick(3);
            SDL_JoystickSetVirtualButton(joystick(device), button, 0);
            QCOMPARE(game.stage(), stage);
        }
        QVERIFY(!game->rush()->isActive()); // B resumed the run, and dashes only once let go
        SDL_JoystickDetachVirtual(device);
        game.tick();
        QCOMPARE(game.stage(), Stage::Pause);
    }

    // The d-pad and the left stick walk the buttons and the options' rows, A
    // presses, B goes back: each tap, then the stage and the focused button or row.
    void padWalksTheMenus() {
        GameDriver game({{"data_0", "1"}, {"game_score.txt", "120"}});
        QVERIFY(game.reach(Stage::Menu));
        const int device = attachPad();
        game.tick();
        const auto focus = [&game] {
            return game.stage() == Stage::Options ? game->optionsScreen()->focus()
                                                  : game->focusedButton()->id;
        };
        const std::initializer_list<std::tuple<PadTap, int, int>> walk = {
            {kDown, Stage::Menu, ButtonId::Start}, // only shows the frame
            {kRight, Stage::Menu, ButtonId::Teach},
            {kStickDown, Stage::Menu, ButtonId::Upgrade},
            {kA, Stage::Upgrade, ButtonId::Confirm},
            {kB, Stage::Menu, ButtonId::Start},
            {kLeft, Stage::Menu, ButtonId::Options},
            {kA, Stage::Options, OptionsScreen::MusicVolumeRow},
            {kStickDown, Stage::Options, OptionsScreen::EffectsVolumeRow},
            {kLeft, Stage::Options, OptionsScreen::EffectsVolumeRow},
            {kStickLeft, Stage::Options, OptionsScreen::EffectsVolumeRow},
            {kUp, Stage::Options, OptionsScreen::MusicVolumeRow},
            {kB, Stage::Menu, ButtonId::Start},
            {kStickDown, Stage::Menu, ButtonId::Teach},
            {kDown, Stage::Menu, ButtonId::Upgrade},
            {kA, Stage::Upgrade, ButtonId::Confirm},
            {kA, Stage::Menu, ButtonId::Start}, // bought a level
            {kA, Stage::Run, 0},
            {kStart, Stage::Pause, ButtonId::Continue},
            {kRight, Stage::Pause, ButtonId::Options},
            {kA, Stage::Options, OptionsScreen::MusicVolumeRow},
            {kB, Stage::Pause, ButtonId::Continue},
            {kB, Stage::Run, 0},
        };
        QList<std::pair<int, int>> seen, expected;
        for (const auto& [input, stage, focused] : walk) {
            tap(game, device, input);
            seen << std::pair(game.stage(), game.stage() == Stage::Run ? 0 : focus());
            expected << std::pair(stage, focused);
        }
        SDL_JoystickDetachVirtual(device);
        QCOMPARE(seen, expected);
        QVERIFY(game->options()->effectsVolume() == 80 && game->options()->musicVolume() == 100);
        QCOMPARE(game->character()->level(), 2);
    }
};

QTEST_MAIN(GamepadTest)
#include "tst_gamepad.moc"
