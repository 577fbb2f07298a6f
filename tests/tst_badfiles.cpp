#include "testsupport.h"

#include "savedfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <climits>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Players edit, copy and corrupt the saved files. Whatever they hold, the game
// starts with what they read as, keeps running, and writes nothing back but
// whole numbers. A number beyond int (only a hand edit makes one) reads as the
// nearest int rather than wrapped, so the next bank keeps "a lot".
namespace {
const QString kScoreFile = QStringLiteral("game_score.txt");
const QString kMarkerFile = QStringLiteral("data_0");
const QString kLevelFile = QStringLiteral("data_1");
const QString kEverything = QStringLiteral("the whole directory");
enum Setup { Missing, Content, Directory };

// What the started game read from `file`: the bank, the level, or whether it is a first start.
int readBy(GameDriver& game, const QString& file) {
    return file == kScoreFile   ? game->readEssence()
           : file == kLevelFile ? game->character()->level()
                                : int(game->isFirstStart());
}
} // namespace

class BadFilesTest : public QObject {
    Q_OBJECT
private slots:
    void contents_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("setup");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected");
        // The marker only has to exist as a regular file.
        QTest::newRow("marker missing") << kMarkerFile << int(Missing) << QByteArray() << 1;
        QTest::newRow("marker garbage") << kMarkerFile << int(Content) << QByteArray("lots") << 0;
        QTest::newRow("marker directory") << kMarkerFile << int(Directory) << QByteArray() << 1;
        for (const QString& file : {kScoreFile, kLevelFile}) {
            const auto reads = [&file](const char* name, const QByteArray& content, int value) {
                QTest::addRow("%s %s", qPrintable(file), name)
                    << file << int(Content) << content << value;
            };
            const int fallback = file == kScoreFile ? 0 : 1;
            QTest::addRow("%s missing", qPrintable(file))
                << file << int(Missing) << QByteArray() << fallback;
            QTest::addRow("%s directory", qPrintable(file))
                << file << int(Directory) << QByteArray() << fallback;
            reads("empty", "", 0);
            reads("white space only", " \t\n \r\n ", 0);
            reads("non-numeric", "lots", 0);
            reads("negative", "-42", -42);
            reads("0x1F", "0x1F", 31);
            reads("010", "010", 8);
            reads("0b101", "0b101", 5);
            reads("binary garbage", QByteArray("\x89PNG\r\n\x1a\n\0\xff\xfe\x80", 12), 0);
            // Beyond int, even beyond 64 bits, in any base: the nearest int, never wrapped.
            reads("larger than int", "4294967297", INT_MAX);
            reads("INT_MAX + 1", "2147483648", INT_MAX);
            reads("INT_MIN - 1", "-2147483649", INT_MIN);
            reads("2^64 + 1", "18446744073709551617", INT_MAX);
            reads("hex beyond 64 bits", "0x1FFFFFFFFFFFFFFFF", INT_MAX);
            reads("binary beyond 64 bits", "0b1" + QByteArray(70, '0'), INT_MAX);
            reads("leading zeros are not size", QByteArray(40, '0') + "5", 5);
            reads("hex after a sign is not hex", "-0x1F", 0);
            reads("long number, then junk", "99999999999999999999x", INT_MAX);
            reads("byte-order mark",
                  "\xef\xbb\xbf"
                  "77",
                  77);
            reads("Arabic-Indic digits", "\xd9\xa3\xd9\xa4", 34);
        }
    }

    // Reading never rewrites a file; a missing one is created with its fallback.
    void contents() {
        QFETCH(QString, file);
        QFETCH(int, setup);
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        GameDriver game;
        QVERIFY(QFile::remove(file));
        if (setup == Directory)
            QVERIFY(QDir::current().mkdir(file));
        if (setup == Content)
            QVERIFY(writeFile(file, content));
        game.restart();
        QCOMPARE(readBy(game, file), expected);
        QCOMPARE(QFileInfo(file).isDir(), setup == Directory);
        if (setup == Content)
            QCOMPARE(readFile(file), content);
        else if (setup == Missing && file != kMarkerFile)
            QCOMPARE(readFile(file), QByteArray::number(expected));
    }

    void unwritablePlaces_data() {
        QTest::addColumn<QString>("place");
        for (const QString& place : {kScoreFile, kLevelFile, kMarkerFile})
            QTest::addRow("%s is a directory", qPrintable(place)) << place;
        // /proc takes no new file, not even from root.
        QTest::newRow("working directory /proc") << kEverything;
    }

    // Nothing can be saved in the place: the game plays on (a first start stays
    // one), buys and banks in play, and the files stay as they were.
    void unwritablePlaces() {
        QFETCH(QString, place);
        if (place == kEverything && !QFileInfo::exists("/proc/self/status"))
            QSKIP("No /proc to use as an unwritable working directory.");
        GameDriver game({{kMarkerFile, "1"}, {kLevelFile, "1"}, {kScoreFile, "5000"}});
        QVERIFY(place == kEverything ? QDir::setCurrent("/proc")
                                     : QFile::remove(place) && QDir::current().mkdir(place));
        const auto writable = [&place](const QString& file) {
            return place != file && place != kEverything;
        };
        game.restart();
        QVERIFY(game.reach(Stage::Upgrade));
        const bool affordable = game->button(ButtonId::Confirm)->isVisible();
        QVERIFY(game.clickButton(affordable ? ButtonId::Confirm : ButtonId::Quit));
        const int level = game->character()->level();
        QCOMPARE(level, affordable ? 2 : 1);
        const int bank = game->readEssence();
        QVERIFY(game.dieInRun(57));
        const int score = game->scoreBoard()->score();
        game.restart();
        QCOMPARE(game->readEssence(), writable(kScoreFile) ? bank + score : 0);
        QCOMPARE(game->character()->level(), writable(kLevelFile) ? level : 1);
        QCOMPARE(game->isFirstStart(), !writable(kMarkerFile));
        static const QRegularExpression number(QStringLiteral("^(0|-?[1-9][0-9]*)$"));
        for (const QString& file : {kScoreFile, kLevelFile, kMarkerFile}) {
            QCOMPARE(QFileInfo(file).isDir(), file == place);
            QVERIFY(file == place || !writable(file) ||
                    number.match(QString::fromLatin1(readFile(file))).hasMatch());
        }
        QVERIFY(game.reach(Stage::Menu));
    }

    // A child process writes two numbers of different lengths in turn and is
    // killed at a random moment once it is seen writing: the file always holds one
    // of them, whole.
    void killedWriteLeavesOldOrNewContent() {
        ScopedWorkingDirectory directory;
        const QByteArray values[] = {"7", "1234567890"};
        QVERIFY(SavedFile::write(kScoreFile, values[0].toInt()));
        QRandomGenerator random(20240611);
        for (int kill = 0; kill < 200; ++kill) {
            const QByteArray before = readFile(kScoreFile);
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int i = before == values[0] ? 1 : 0;; ++i)
                    SavedFile::write(kScoreFile, values[i % 2].toInt());
            }
            bool writing = false;
            for (int poll = 0; poll < 100000 && !writing; ++poll) {
                writing = readFile(kScoreFile) != before;
                usleep(50);
            }
            usleep(random.bounded(0, 2000));
            QCOMPARE(::kill(child, SIGKILL), 0);
            QCOMPARE(waitpid(child, nullptr, 0), child);
            QVERIFY(writing);
            const QByteArray content = readFile(kScoreFile);
            QVERIFY2(content == values[0] || content == values[1], content.constData());
        }
        // A write cut short leaves at most its own temporary file behind.
        for (const QString& name : QDir::current().entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(name == kScoreFile || name.startsWith(kScoreFile + '.'), qPrintable(name));
    }
};

QTEST_MAIN(BadFilesTest)
#include "tst_badfiles.moc"
