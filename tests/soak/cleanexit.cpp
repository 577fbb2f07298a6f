// Runs the game's own main() (compiled in as brimtalon_main) offscreen in a
// temporary working directory and quits it after a while through the event
// loop, the way a closing window ends the game. Under the sanitizer build
// this shows that a clean exit leaves nothing leaked: the parentless dash
// skill and loading bar and the character's collision box included.

#include "gamedriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

int brimtalon_main(int argc, char* argv[]);

namespace {
constexpr int kRunMs = 1500;

// Called from the application's constructor, before the event loop exists:
// the quit is armed from the loop's first pass.
void armQuit() {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] { QTimer::singleShot(kRunMs, QCoreApplication::instance(), &QCoreApplication::quit); },
        Qt::QueuedConnection);
}
} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const ScopedWorkingDirectory directory;
    qAddPreRoutine(armQuit);
    const int result = brimtalon_main(argc, argv);
    // The game created its saved files where it was started.
    if (!directory.isValid() || !QFile::exists(directory.path() + "/game_score.txt")) {
        std::fprintf(stderr, "the game did not start in a temporary working directory\n");
        return 1;
    }
    return result;
}
