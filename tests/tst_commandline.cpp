#include "launchoptions.h"
#include "testsupport.h"

#include <QProcess>

namespace {
// The game in `workDir`, with a runtime folder of its own so that Qt warns nothing on
// stderr, and settings of its own.
void start(QProcess& game, const QString& workDir, const QStringList& arguments,
           bool display = true) {
    static QTemporaryDir runtimeDir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtimeDir.path());
    environment.insert("XDG_CONFIG_HOME", runtimeDir.path());
    if (!display) {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
    }
    game.setProcessEnvironment(environment);
    game.setWorkingDirectory(workDir);
    game.start(BRIMTALON_EXECUTABLE, arguments);
}

QStringList entries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}
} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        // Language, data folder, mute, seed, replay and verify, or the exit code.
        QTest::addColumn<QString>("result");
        QTest::newRow("english") << QStringList{"--lang", "en"} << "en  0 -  0";
        QTest::newRow("all") << QStringList{"--lang=zh", "--data-dir", "d",
                                            "--mute",    "--seed",     "18446744073709551615",
                                            "--replay",  "/r",         "--verify"}
                             << "zh d 1 18446744073709551615 /r 1";
        for (const char* seed : {"-1", "+1", "18446744073709551616", "x"})
            QTest::newRow(seed) << QStringList{"--seed", seed} << "exit 2";
        QTest::newRow("verify alone") << QStringList{"--verify"} << "exit 2";
        QTest::newRow("french") << QStringList{"--lang", "fr"} << "exit 2";
        QTest::newRow("help-all is Qt's") << QStringList{"--help-all"} << "exit 2";
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, result);
        LaunchOptions options;
        const bool runs = options.parse(QStringList{"brimtalon"} + arguments);
        const QString seed = options.seed() ? QString::number(*options.seed()) : "-";
        QCOMPARE(runs ? QStringLiteral("%1 %2 %3 %4 %5 %6")
                            .arg(options.language(), options.dataDir())
                            .arg(int(options.muted()))
                            .arg(seed, options.replayFile())
                            .arg(int(options.verify()))
                      : QStringLiteral("exit %1").arg(options.exitCode()),
                 result);
    }
    void executable_data() {
        QTest::addColumn<QStringList>("arguments"); // "FILE": a plain file in the working directory
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--data-dir <DIR>";
        QTest::newRow("help names the options file")
            << QStringList{"--help"} << 0 << "/Brimtalon/Brimtalon.conf";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "brimtalon " BRIMTALON_VERSION "\n";
        QTest::newRow("unknown") << QStringList{"--bogus"} << 2
                                 << "brimtalon: Unknown option 'bogus'.\n";
        QTest::newRow("language") << QStringList{"--lang", "xx"} << 2
                                  << "brimtalon: Unknown language 'xx': use zh or en.\n";
        QTest::newRow("argument") << QStringList{"save"} << 2 << "Unexpected argument 'save'.\n";
        QTest::newRow("file") << QStringList{"--data-dir", "FILE"} << 2 << "not a directory.\n";
        QTest::newRow("empty replay")
            << QStringList{"--replay", "FILE", "--verify"} << 1 << "FILE: empty file\n";
        QTest::newRow("below a file")
            << QStringList{"--data-dir", "FILE/saves"} << 2 << "cannot be created.\n";
    }
    void executable() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QTemporaryDir workDir;
        QFile(workDir.filePath("FILE")).open(QIODevice::WriteOnly);
        // All of it is settled before a display is needed: there is none.
        QProcess game;
        start(game, workDir.path(), arguments, false);
        QVERIFY(game.waitForFinished(20000));
        QCOMPARE(game.exitCode(), exitCode);
        const QString out = exitCode ? game.readAllStandardError() : game.readAllStandardOutput();
        QVERIFY2(out.contains(printed), qPrintable(out));
        QVERIFY(exitCode == 0 || (out.count('\n') == 1 && game.readAllStandardOutput().isEmpty()));
        QCOMPARE(entries(workDir.path()), QStringList{"FILE"});
    }
    // A run that ends by itself, recorded, and verified by the game without a window.
    void verifyPrintsTheScore() {
        GameDriver game;
        game->recordReplays();
        QVERIFY(game.reach(Stage::Run));
        for (int i = 0; i < 20000 && game.stage() == Stage::Run; ++i)
            game.tick();
        QString error;
        const std::optional<Replay> replay = Replay::load("last.replay", &error);
        QVERIFY2(replay && game.stage() == Stage::GameOver, qPrintable(error));
        QProcess verifier;
        start(verifier, game.directory(), {"--replay", "last.replay", "--verify"});
        QVERIFY(verifier.waitForFinished(60000) && verifier.exitCode() == 0);
        QCOMPARE(verifier.readAllStandardOutput(), QStringLiteral("score %1\n").arg(replay->score));
    }

    void dataDirHoldsTheSavedFiles() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir("launch"));
        const QString dataDir = root.filePath("saves/brimtalon");
        QProcess game;
        start(game, root.filePath("launch"), {"--data-dir", dataDir});
        // Building the window creates both files when they are missing.
        QTRY_COMPARE_WITH_TIMEOUT(entries(dataDir), (QStringList{"data_1", "game_score.txt"}),
                                  20000);
        game.kill();
        game.waitForFinished();
        QCOMPARE(entries(root.path()), (QStringList{"launch", "saves"}));
        QCOMPARE(entries(root.filePath("launch")), QStringList());
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
