#pragma once

#include <QString>

class Replay;
class Widget;

// Plays a recorded session again in a fresh window, built in a temporary
// folder over the saved files the session started from, so that nothing the
// replay banks or buys touches the player's own files.
class ReplaySession {
public:
    static constexpr int BadReplay = 1;

    // Plays the file with no window and no sound, as fast as possible, and
    // prints "score N"; a bad file prints one line on stderr. Returns the exit code.
    static int verify(const QString& path);
    // Shows the recorded run in the window as it was played, until Esc.
    static int show(const QString& path);

    // Writes the saved files the replay starts from into the working directory.
    static bool writeSavedFiles(const Replay& replay);
    // Steps `window` (already playing `replay`) to the end of the recorded
    // run; its banked score, or -1 when the input ends first.
    static int playToEnd(Widget& window, const Replay& replay);
};
