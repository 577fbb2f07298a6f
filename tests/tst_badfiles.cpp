#include "gameharness.h"

#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "savedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <climits>
#include <csignal>
#include <functional>
#include <sys/stat.h>
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
constexpr int kPricePerLevel = 50;
constexpr int kMaxPrice = 1500;
constexpr int kDigitsShown = 10000000;
constexpr int kRunScore = 57;

// ProcDirectory runs in /proc, which takes no new file, not even from root.
enum Setup { Missing, Content, Directory, Unreadable, ReadOnlyDirectory, ProcDirectory };

// What the menu's seven digits show of a bank.
int shownBank(qint64 bank) {
    return int(std::clamp<qint64>(bank, 0, INT_MAX) % kDigitsShown);
}

// A saved file as it was before the game started: it must stay so (still a
// directory, still missing) or hold exactly what QTextStream << int writes.
struct Snapshot {
    QString name;
    QByteArray content = readFile(name);
    bool isDirectory = QFileInfo(name).isDir();
    bool exists = QFileInfo::exists(name);

    bool sound() const {
        static const QRegularExpression number(QStringLiteral("^(0|-?[1-9][0-9]*)$"));
        const QFileInfo info(name);
        if (isDirectory || !info.exists())
            return info.isDir() == isDirectory && info.exists() == exists;
        const QByteArray now = readFile(name);
        bool ok = false;
        now.toInt(&ok);
        return (exists && now == content) ||
               (ok && number.match(QString::fromLatin1(now)).hasMatch());
    }
};

} // namespace

class BadFilesTest : public QObject {
    Q_OBJECT
private slots:
    void matrix_data();
    void matrix();
    void killedWriteLeavesOldOrNewContent();
};

void BadFilesTest::matrix_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("setup");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected"); // the bank, the level, or whether it is a first start

    for (const QString& file : {kScoreFile, kLevelFile, kMarkerFile}) {
        // The marker only has to exist as a regular file.
        const auto row = [&file](const char* name, Setup setup, const QByteArray& content, int bank,
                                 int level, bool firstStart) {
            QTest::addRow("%s %s", qPrintable(file), name) << file << int(setup) << content
                                                           << (file == kScoreFile   ? bank
                                                               : file == kLevelFile ? level
                                                                                    : firstStart);
        };
        const auto reads = [&row](const char* name, const QByteArray& content, int value) {
            row(name, Content, content, value, value, false);
        };
        row("missing", Missing, "", 0, 1, true);
        reads("empty", "", 0);
        reads("white space only", " \t\n \r\n ", 0);
        reads("non-numeric", "lots", 0);
        reads("negative", "-42", -42);
        reads("larger than int", "4294967297", INT_MAX);
        reads("0x1F", "0x1F", 31);
        reads("010", "010", 8);
        reads("0b101", "0b101", 5);
        reads("binary garbage", QByteArray("\x89PNG\r\n\x1a\n\0\xff\xfe\x80", 12), 0);
        row("a directory in its place", Directory, "", 0, 1, true);
        row("no read permission", Unreadable, "120", 0, 1, false);
        // Nothing can be written next to the file; the marker is missing here.
        row("read-only working directory", ReadOnlyDirectory, "3", 3, 3, true);
        row("working directory even root cannot write", ProcDirectory, "", 0, 1, true);
        // Beyond int, even beyond 64 bits, in any base: the nearest int, never wrapped.
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

void BadFilesTest::matrix() {
    QFETCH(QString, file);
    QFETCH(int, setup);
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    if ((setup == Unreadable || setup == ReadOnlyDirectory) && geteuid() == 0)
        QSKIP("Root ignores file permissions; the directory and /proc rows cover unwritable "
              "places.");
    if (setup == ProcDirectory && !QFileInfo::exists("/proc/self/status"))
        QSKIP("No /proc to use as an unwritable working directory.");

    GameHarness game;
    // The directory must be writable again for its removal.
    const auto restore =
        qScopeGuard([&game] { chmod(QFile::encodeName(game.directory()).constData(), 0700); });
    // A later start with a bank that pays for an upgrade, then the bad file.
    QVERIFY(writeFile(kMarkerFile, "1") && writeFile(kLevelFile, "1"));
    QVERIFY(writeFile(kScoreFile, file == kScoreFile ? "0" : "5000") && QFile::remove(file));
    if (setup == ProcDirectory)
        QVERIFY(QDir::setCurrent("/proc"));
    else if (setup == Directory)
        QVERIFY(QDir::current().mkdir(file));
    else if (setup != Missing && !(file == kMarkerFile && setup == ReadOnlyDirectory))
        QVERIFY(writeFile(file, content));
    if (setup == Unreadable)
        QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
    if (setup == ReadOnlyDirectory)
        QVERIFY(chmod(QFile::encodeName(game.directory()).constData(), 0555) == 0);
    const bool fileWritable = setup == Missing || setup == Content;
    const auto writable = [&](const QString& name) {
        return name == file ? fileWritable : setup < ReadOnlyDirectory;
    };
    const QList<Snapshot> before = {{kScoreFile}, {kMarkerFile}, {kLevelFile}};
    const auto filesSound = [&before] {
        return std::all_of(before.cbegin(), before.cend(), std::mem_fn(&Snapshot::sound));
    };

    game.restart();
    const int read = file == kScoreFile   ? game->readEssence()
                     : file == kLevelFile ? game->character()->level()
                                          : int(game->isFirstStart());
    QCOMPARE(read, expected);
    if (file == kScoreFile)
        QCOMPARE(game->essenceDisplay()->number(), shownBank(expected));
    if (setup == Content)
        QCOMPARE(readFile(file), content); // reading never rewrites
    else if (setup == Missing && file != kMarkerFile)
        QCOMPARE(readFile(file), QByteArray::number(expected)); // created with the fallback
    QVERIFY(filesSound());

    // Loading, and on a first start the story and the tutorial, which writes
    // the marker where it can.
    QVERIFY(game.reachMenu());
    if (file == kMarkerFile)
        QCOMPARE(game->isFirstStart(), expected && !fileWritable);

    // Buy a level when the bank pays for it (a level at the very top stays there).
    const int level = game->character()->level();
    const int shown = game->essenceDisplay()->number();
    const qint64 price = std::min<qint64>(qint64(kPricePerLevel) * level, kMaxPrice);
    game.clickButton(7);
    game.paint(); // the upgrade screen places its buttons while painting
    game.clickButton(shown >= price ? 11 : 6);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->character()->level(), shown >= price && level < INT_MAX ? level + 1 : level);
    if (shown >= price && writable(kScoreFile))
        QCOMPARE(readFile(kScoreFile), QByteArray::number(shownBank(shown - price)));
    if (shown >= price && writable(kLevelFile))
        QCOMPARE(readFile(kLevelFile), QByteArray::number(game->character()->level()));
    QVERIFY(filesSound());

    // A run ending in death banks the score.
    const int bank = game->readEssence();
    QVERIFY(game.dieInRun(kRunScore));
    if (writable(kScoreFile))
        QCOMPARE(readFile(kScoreFile),
                 QByteArray::number(std::min<qint64>(qint64(bank) + kRunScore, INT_MAX)));
    QVERIFY(filesSound());

    // A second program start: a marker that could not be written keeps it a
    // first start.
    game.restart();
    if (file == kMarkerFile)
        QCOMPARE(game->isFirstStart(), expected && !fileWritable);
    QVERIFY(game.reachMenu() && filesSound());
}

// A child process writes two numbers of different lengths in turn and is
// killed at a random moment once it is seen writing: the file always holds one
// of them, whole.
void BadFilesTest::killedWriteLeavesOldOrNewContent() {
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

QTEST_MAIN(BadFilesTest)
#include "tst_badfiles.moc"
