#pragma once

// Codes that cross files: the screens ("stages") of the window, the ids of
// their buttons, the dinosaur's postures, the boss fight's states and the tags
// of the bars. Shared by the game, its tests and the tools that drive it.
namespace Stage {
constexpr int Loading = 0;
constexpr int Menu = 1;
constexpr int Run = 2;
constexpr int Pause = 3;
constexpr int GameOver = 4;
constexpr int Win = 5;
constexpr int Story = 6;
constexpr int Tutorial = 7;
constexpr int Upgrade = 8;
// Beyond the nine screens of the game itself.
constexpr int Options = 9;
} // namespace Stage

namespace ButtonId {
constexpr int Start = 1;
constexpr int Restart = 2;
constexpr int Pause = 3;
constexpr int Continue = 5;
constexpr int Quit = 6;
constexpr int Upgrade = 7;
constexpr int Teach = 8;
constexpr int Home = 10;
constexpr int Confirm = 11;
constexpr int Options = 12;
} // namespace ButtonId

namespace Posture {
constexpr int Upright = 1;
constexpr int Low = 2;
} // namespace Posture

namespace BossState {
constexpr int Waiting = 0;
constexpr int Approach = 1;
constexpr int Fighting = 2;
constexpr int Beaten = 3;
constexpr int Away = 4;
} // namespace BossState

namespace BarType {
constexpr int Loading = 1;
constexpr int Magazine = 2;
constexpr int DeadEye = 3;
constexpr int Skill = 4;
} // namespace BarType

// The saved files and the replays, by bare name in the data folder.
namespace FileName {
inline constexpr char Bank[] = "game_score.txt";
inline constexpr char Level[] = "data_1";
inline constexpr char FirstStartMarker[] = "data_0";
inline constexpr char LastReplay[] = "last.replay";
inline constexpr char BestReplay[] = "best.replay";
} // namespace FileName

// What the player asks of the game, whichever key or pad input asks it. The
// run reads the first ones, the screens with buttons the menu ones.
enum class Action {
    Jump,
    Down,
    Left,
    Right,
    Pause,
    Dash,
    SlowMotion,
    Fire,
    AimUp,
    AimDown,
    AimLeft,
    AimRight,
    MenuUp,
    MenuDown,
    MenuLeft,
    MenuRight,
    Confirm,
    Back,
};
constexpr int kActionCount = int(Action::Back) + 1;

// The inputs of a gamepad laid out as SDL's game controller names them: the
// buttons in SDL's order, then each stick direction and each trigger.
enum class PadInput {
    None = -1,
    A,
    B,
    X,
    Y,
    BackButton,
    Guide,
    Start,
    LeftStickPress,
    RightStickPress,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    LeftStickLeft,
    LeftStickRight,
    LeftStickUp,
    LeftStickDown,
    RightStickLeft,
    RightStickRight,
    RightStickUp,
    RightStickDown,
    LeftTrigger,
    RightTrigger,
};
constexpr int kPadInputCount = int(PadInput::RightTrigger) + 1;
constexpr int kPadButtonCount = int(PadInput::DpadRight) + 1;
