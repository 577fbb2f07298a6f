#include "replaysession.h"

#include "gameclock.h"
#include "gameids.h"
#include "language.h"
#include "replay.h"
#include "savedfile.h"
#include "soundboard.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {
void complain(const QString& path, const QString& why) {
    const QString line = QStringLiteral("brimtalon: %1: %2\n").arg(path, why);
    std::fputs(line.toLocal8Bit().constData(), stderr);
}

// The replay and a sandbox folder holding its saved files, entered.
struct Prepared {
    std::optional<Replay> replay;
    QTemporaryDir sandbox;
};

bool prepare(const QString& path, Prepared& prepared) {
    QString error;
    prepared.replay = Replay::load(path, &error);
    if (!prepared.replay) {
        complain(path, error);
        return false;
    }
    if (!prepared.sandbox.isValid() || !QDir::setCurrent(prepared.sandbox.path()) ||
        !ReplaySession::writeSavedFiles(*prepared.replay)) {
        complain(path, QStringLiteral("no room to play it"));
        return false;
    }
    if (Language::isKnown(prepared.replay->language))
        Language::install(prepared.replay->language);
    return true;
}
} // namespace

bool ReplaySession::writeSavedFiles(const Replay& replay) {
    return SavedFile::write(QString::fromLatin1(FileName::Bank), replay.bank) &&
           SavedFile::write(QString::fromLatin1(FileName::Level), replay.level) &&
           (replay.firstStart ||
            SavedFile::write(QString::fromLatin1(FileName::FirstStartMarker), 1));
}

int ReplaySession::playToEnd(Widget& window, const Replay& replay) {
    int finished = 0;
    int score = -1;
    const QMetaObject::Connection counting =
        QObject::connect(&window, &Widget::runFinished, [&](int banked) {
            if (++finished == replay.finishedRuns)
                score = banked;
        });
    for (qint64 step = 0; score < 0 && step < replay.steps(); ++step)
        window.clock()->step();
    QObject::disconnect(counting);
    return score;
}

int ReplaySession::verify(const QString& path) {
    // The game's own tracing ("end") and the window system's notes would
    // surround the one line the verifier prints.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    Prepared prepared;
    if (!prepare(path, prepared))
        return BadReplay;
    Widget window;
    window.clock()->stopPacing();
    window.playReplay(*prepared.replay);
    const int score = playToEnd(window, *prepared.replay);
    if (score < 0 || score != prepared.replay->score) {
        complain(path, QStringLiteral("the recorded run does not play out as recorded"));
        return BadReplay;
    }
    std::printf("score %d\n", score);
    return 0;
}

int ReplaySession::show(const QString& path) {
    Prepared prepared;
    if (!prepare(path, prepared))
        return BadReplay;
    Widget window;
    window.setWindowTitle(QStringLiteral("Brimtalon"));
    window.setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
    window.clock()->stopPacing();
    window.playReplay(*prepared.replay);
    // The screens before the run are played unseen and unheard.
    const bool muted = window.sounds()->isMuted();
    window.sounds()->setMuted(true, SoundBoard::Persist::ThisRunOnly);
    while (window.clock()->steps() < prepared.replay->runStartStep)
        window.clock()->step();
    window.sounds()->setMuted(muted, SoundBoard::Persist::ThisRunOnly);
    window.show();
    window.clock()->startPacing(&window);
    return QApplication::exec();
}
