#include "gameoptions.h"
#include "language.h"
#include "launchoptions.h"
#include "replaysession.h"
#include "soundboard.h"
#include "widget.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char* argv[]) {
    LaunchOptions::describeApplication();
    LaunchOptions options;
    // Help, version, typos and bad values are settled before the window system
    // is opened, so they need no display. An unknown one-dash option may be one
    // of Qt's own (-platform, -style …): it is judged once the application has
    // taken those out.
    const bool ready = options.prepare(LaunchOptions::arguments(argc, argv));
    if (!ready && !options.hasUnknownOption())
        return options.report();
    // A replay checked with --verify opens no window and plays no sound.
    if (ready && options.verify())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.brimtalon.Brimtalon"));
    if (!ready && !options.prepare(application.arguments()))
        return options.report();
    Language::install(options.language());
    if (!options.replayFile().isEmpty()) {
        return options.verify() ? ReplaySession::verify(options.replayFile())
                                : ReplaySession::show(options.replayFile());
    }

    int result = 0;
    {
        Widget window;
        if (options.muted())
            window.sounds()->setMuted(true, SoundBoard::Persist::ThisRunOnly);
        if (options.seed())
            window.setFixedSeed(*options.seed());
        window.recordReplays();
        window.setWindowTitle(QStringLiteral("Brimtalon"));
        window.setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
        const QRect available = window.screen()->availableGeometry();
        window.setGeometry(available);
        window.setFixedSize(available.width(), available.height());
        window.show();
        if (window.options()->isFullScreen())
            window.applyFullScreen(true);
        result = application.exec();
    }
    return result;
}
