// The game's own main() (as brimtalon_main) in a temporary directory, quit through the
// event loop as a closing window quits it: under the sanitizer build a clean exit
// must leak nothing, the parentless dash skill, loading bar and collision box included.

#include "gamedriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

int brimtalon_main(int argc, char* argv[]);

namespace {
constexpr int kRunMs = 1500;

// Runs in the application's constructor, before the loop: the quit is armed from its first pass.
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
    QStandardPaths::setTestModeEnabled(true);
    qAddPreRoutine(armQuit);
    const int result = brimtalon_main(argc, argv);
    // The game created its saved files where it was started.
    if (!directory.isValid() || !QFile::exists(directory.path() + "/game_score.txt")) {
        std::fprintf(stderr, "the game did not start in a temporary working directory\n");
        return 1;
    }
    return result;
}
