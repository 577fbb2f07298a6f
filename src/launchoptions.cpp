#include "launchoptions.h"

#include "language.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {
constexpr QLatin1String kProgramName{"brimtalon"};
constexpr QLatin1String kHelpOption{"help"};
constexpr QLatin1String kVersionOption{"version"};
constexpr QLatin1String kLangOption{"lang"};
constexpr QLatin1String kDataDirOption{"data-dir"};
constexpr QLatin1String kMuteOption{"mute"};
constexpr QLatin1String kSeedOption{"seed"};
constexpr QLatin1String kReplayOption{"replay"};
constexpr QLatin1String kVerifyOption{"verify"};

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("A dinosaur runs, jumps and shoots its way past a flying saucer."));
    // Not addHelpOption(): its --help-all needs process(), which exits on its own terms.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), kHelpOption},
                                        QStringLiteral("Displays this help.")));
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        kLangOption,
        QStringLiteral("Language of texts and pictures: zh or en (default: the system's)."),
        QStringLiteral("zh|en")));
    parser.addOption(QCommandLineOption(
        kDataDirOption,
        QStringLiteral("Folder of the saved files, created when missing (default: the working "
                       "directory)."),
        QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(kMuteOption, QStringLiteral("Start without sound.")));
    parser.addOption(QCommandLineOption(
        kSeedOption,
        QStringLiteral("Start every run from this seed (0 .. 18446744073709551615) instead of a "
                       "random one: the same seed and the same play give the same run."),
        QStringLiteral("N")));
    parser.addOption(QCommandLineOption(
        kReplayOption,
        QStringLiteral("Show a recorded run (last.replay, best.replay) as it was played; Esc "
                       "leaves."),
        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(
        kVerifyOption,
        QStringLiteral("With --replay: play the run without window or sound as fast as "
                       "possible and print its final score.")));
}

// Qt's own options (-platform, -style …) take one dash; an unknown option
// written with two is a typo and is refused before any display is opened.
bool mayBeQtOption(const QStringList& unknownNames, const QStringList& arguments) {
    if (unknownNames.isEmpty())
        return false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument.startsWith(QLatin1String("--")) &&
            unknownNames.contains(argument.mid(2).section(u'=', 0, 0)))
            return false;
    }
    return true;
}

QString helpText(const QCommandLineParser& parser) {
    // Before the application object exists Qt does not know the program's name.
    return parser.helpText().replace(QStringLiteral("<executable_name>"), kProgramName) +
           QStringLiteral(
               "\nThe options screen (volumes, full screen, language, slow motion, game\n"
               "speed, keys and gamepad) keeps its choices in\n"
               "~/.config/Brimtalon/Brimtalon.conf ($XDG_CONFIG_HOME when set).\n");
}

// Creates `path` when missing and makes it the working directory; returns
// why it cannot, or nothing.
QString enterFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return QStringLiteral("not a directory");
    if (!QDir().mkpath(path))
        return QStringLiteral("cannot be created");
    if (!QFileInfo(path).isWritable())
        return QStringLiteral("not writable");
    if (!QDir::setCurrent(path))
        return QStringLiteral("cannot be entered");
    return QString();
}
} // namespace

void LaunchOptions::describeApplication() {
    QCoreApplication::setApplicationName(QString(kProgramName));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRIMTALON_VERSION));
}

QStringList LaunchOptions::arguments(int argc, char* argv[]) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

bool LaunchOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    addOptions(parser);
    m_unknownOption = false;
    if (!parser.parse(arguments)) {
        m_unknownOption = mayBeQtOption(parser.unknownOptionNames(), arguments);
        return stop(parser.errorText(), UsageError);
    }
    if (parser.isSet(kHelpOption))
        return stop(helpText(parser), 0);
    if (parser.isSet(kVersionOption))
        return stop(QStringLiteral("%1 %2\n").arg(kProgramName, QStringLiteral(BRIMTALON_VERSION)),
                    0);
    if (!parser.positionalArguments().isEmpty())
        return stop(QStringLiteral("Unexpected argument '%1'.")
                        .arg(parser.positionalArguments().constFirst()),
                    UsageError);
    m_language = parser.isSet(kLangOption) ? parser.value(kLangOption) : Language::forSystem();
    if (!Language::isKnown(m_language))
        return stop(QStringLiteral("Unknown language '%1': use zh or en.").arg(m_language),
                    UsageError);
    m_dataDir = parser.value(kDataDirOption);
    m_muted = parser.isSet(kMuteOption);
    m_seed.reset();
    if (parser.isSet(kSeedOption)) {
        bool ok = false;
        const QString text = parser.value(kSeedOption);
        const quint64 seed = text.toULongLong(&ok, 10);
        if (!ok || !text.at(0).isDigit())
            return stop(QStringLiteral("Bad seed '%1': use a whole number from 0 to "
                                       "18446744073709551615.")
                            .arg(text),
                        UsageError);
        m_seed = seed;
    }
    // Named from where the game was started, before it enters its data folder.
    m_replayFile = parser.isSet(kReplayOption)
                       ? QFileInfo(parser.value(kReplayOption)).absoluteFilePath()
                       : QString();
    m_verify = parser.isSet(kVerifyOption);
    if (m_verify && m_replayFile.isEmpty())
        return stop(QStringLiteral("--verify needs --replay FILE."), UsageError);
    return true;
}

bool LaunchOptions::enterDataDir() {
    if (m_dataDir.isEmpty())
        return true;
    const QString problem = enterFolder(m_dataDir);
    if (problem.isEmpty())
        return true;
    return stop(QStringLiteral("Data folder '%1': %2.").arg(m_dataDir, problem), UsageError);
}

bool LaunchOptions::prepare(const QStringList& arguments) {
    return parse(arguments) && enterDataDir();
}

int LaunchOptions::report() const {
    if (m_exitCode == 0) {
        std::fputs(m_message.toLocal8Bit().constData(), stdout);
    } else {
        const QString line = QStringLiteral("%1: %2\n").arg(QString(kProgramName), m_message);
        std::fputs(line.toLocal8Bit().constData(), stderr);
    }
    return m_exitCode;
}

bool LaunchOptions::stop(const QString& message, int exitCode) {
    m_message = message;
    m_exitCode = exitCode;
    return false;
}
