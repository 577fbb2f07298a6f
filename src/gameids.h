#pragma once

// The screens ("stages") of the window and the ids of their buttons: shared by
// the window and by the tools that drive it (benchmark, soak, screenshots).
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
} // namespace ButtonId
