#include "gameharness.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "monstersystem.h"
#include "savedfile.h"
#include "scoreboard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <climits>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

// Players edit, copy and corrupt the three saved files. Whatever they hold,
// the game starts with what the files can be read as, keeps running, and
// writes nothing back but whole, well-formed numbers.
//
// A number beyond the int range is never written by the game (banking
// saturates), so it comes from a hand edit. QTextStream would hand it back
// wrapped (4294967297 reads as 1), and the next bank would then write the
// wrapped value over a file that meant "a lot". It reads as the nearest int
// instead: banking onto it keeps INT_MAX, and buying an upgrade at level
// INT_MAX keeps that level.
namespace {
const QString kScoreFile = QStringLiteral("game_score.txt");
const QString kMarkerFile = QStringLiteral("data_0");
const QString kLevelFile = QStringLiteral("data_1");

constexpr int kDigitsShown = 10000000; // the currency display has seven digits
constexpr int kPricePerLevel = 50;
constexpr int kMaxPrice = 1500;
constexpr int kRunScore = 57;
constexpr int kBankForUpgrades = 5000;

enum Setup { Missing, Content, Directory, NoReadPermission, ReadOnlyDirectory };

// Exactly what QTextStream << int writes: a sign, digits, no leading zeros.
bool isWellFormed(const QByteArray& content) {
    static const QRegularExpression number(QStringLiteral("^-?(0|[1-9][0-9]*)$"));
    bool ok = false;
    const qlonglong value = content.toLongLong(&ok);
    return number.match(QString::fromLatin1(content)).hasMatch() && ok && value >= INT_MIN &&
           value <= INT_MAX;
}

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

int shownBank(int bank) {
    return std::max(bank, 0) % kDigitsShown;
}

qint64 priceOf(int level) {
    return std::min<qint64>(qint64(kPricePerLevel) * level, kMaxPrice);
}

bool runningAsRoot() {
    return geteuid() == 0;
}

// Drives every timer of the game in its true ratio to the 20 ms scene tick
// on a 10 ms clock, painting now and then.
class Clock {
public:
    explicit Clock(GameHarness& game) : m_game(game) {}

    void play(int ticks) {
        Widget* w = m_game.widget();
        for (int i = 0; i < ticks; ++i) {
            for (int step = 0; step < 2; ++step) {
                m_ms += 10;
                if (m_ms % 30 == 0)
                    w->monsterSystem()->checkCrash();
                if (m_ms % 50 == 0)
                    w->bulletSystem()->updateShootCD();
                if (m_ms % 200 == 0)
                    w->deadEye()->updateEnergy();
                if (m_ms % 400 == 0)
                    w->bulletSystem()->loadOneBullet();
                if (m_ms % 500 == 0) {
                    w->updateObstacles();
                    w->updateEnvironment();
                }
                if (m_ms % 1000 == 0)
                    w->updateScores();
            }
            m_game.tick();
            if (i % 10 == 0)
                m_game.paint();
        }
    }

private:
    GameHarness& m_game;
    qint64 m_ms = 0;
};

// What one saved file looked like before the game touched it.
struct Original {
    QString name;
    bool isDirectory = false;
    bool exists = false;
    QByteArray content;
};

Original snapshot(const QString& name) {
    const QFileInfo info(name);
    return {name, info.isDir(), info.exists(), info.isFile() ? readFile(name) : QByteArray()};
}

// A file the game touched is either left as it was or holds a whole number.
bool intactOrWellFormed(const Original& before) {
    const QFileInfo info(before.name);
    if (before.isDirectory)
        return info.isDir();
    if (!info.exists())
        return !before.exists;
    const QByteArray now = readFile(before.name);
    return (before.exists && now == before.content) || isWellFormed(now);
}

// Gives the temporary directory back its permissions, so that it can be
// cleaned up whatever a test did to it.
class PermissionRestorer {
public:
    explicit PermissionRestorer(QString directory) : m_directory(std::move(directory)) {}
    ~PermissionRestorer() {
        chmod(QFile::encodeName(m_directory).constData(), 0700);
        for (const QString& name : {kScoreFile, kMarkerFile, kLevelFile})
            chmod(QFile::encodeName(m_directory + '/' + name).constData(), 0600);
    }

private:
    QString m_directory;
};
} // namespace

class BadFilesTest : public QObject {
    Q_OBJECT
private slots:
    void matrix_data();
    void matrix();
    void outOfRangeReadsAsNearestInt_data();
    void outOfRangeReadsAsNearestInt();
    void pathUnderARegularFileIsNeverWritten();
    void directoryEvenRootCannotWrite();
    void killedWriteLeavesOldOrNewContent();
};

void BadFilesTest::matrix_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("setup");
    QTest::addColumn<QByteArray>("content");
    // The currency read, the level read, or 1 for a first start and 0 for a later one.
    QTest::addColumn<int>("expected");

    struct Case {
        const char* name;
        Setup setup;
        QByteArray content;
        int bank;
        int level;
        bool firstStart;
    };
    const QList<Case> cases = {
        {"missing", Missing, "", 0, 1, true},
        {"empty", Content, "", 0, 0, false},
        {"white space only", Content, " \t\n \r\n ", 0, 0, false},
        {"non-numeric", Content, "lots", 0, 0, false},
        {"negative", Content, "-42", -42, -42, false},
        {"larger than int", Content, "4294967297", INT_MAX, INT_MAX, false},
        {"far larger than int", Content, "123456789012345678901234567890", INT_MAX, INT_MAX, false},
        {"smaller than int", Content, "-4294967297", INT_MIN, INT_MIN, false},
        {"hex prefix 0x1F", Content, "0x1F", 31, 31, false},
        {"octal prefix 010", Content, "010", 8, 8, false},
        {"binary prefix 0b101", Content, "0b101", 5, 5, false},
        {"binary garbage", Content, QByteArray("\x89PNG\r\n\x1a\n\0\xff\xfe\x01\x80", 13), 0, 0,
         false},
        {"directory in its place", Directory, "", 0, 1, true},
        // Unreadable: the default; the marker only has to exist as a regular file.
        {"no read permission", NoReadPermission, "120", 0, 1, false},
        // Readable, but nothing can be written next to it; the marker is missing here.
        {"read-only working directory", ReadOnlyDirectory, "3", 3, 3, true},
    };
    for (const QString& file : {kScoreFile, kLevelFile, kMarkerFile}) {
        for (const Case& c : cases) {
            const int expected = file == kScoreFile   ? c.bank
                                 : file == kLevelFile ? c.level
                                                      : int(c.firstStart);
            QTest::addRow("%s %s", qPrintable(file), c.name)
                << file << int(c.setup) << c.content << expected;
        }
    }
}

void BadFilesTest::matrix() {
    QFETCH(QString, file);
    QFETCH(int, setup);
    QFETCH(QByteArray, content);
    QFETCH(int, expected);

    if ((setup == NoReadPermission || setup == ReadOnlyDirectory) && runningAsRoot())
        QSKIP("Running as root, which ignores file permissions; unwritable places are covered "
              "by pathUnderARegularFileIsNeverWritten, directoryEvenRootCannotWrite and the "
              "directory rows.");

    GameHarness game;
    const PermissionRestorer restorer(game.directory());
    // A later start with a bank that can pay for upgrades, then the bad file.
    QVERIFY(writeFile(kMarkerFile, "1"));
    QVERIFY(writeFile(kLevelFile, "1"));
    QVERIFY(writeFile(kScoreFile, file == kScoreFile ? "0" : QByteArray::number(kBankForUpgrades)));
    QVERIFY(QFile::remove(file));
    const bool markerGone = file == kMarkerFile && setup == ReadOnlyDirectory;
    if (setup == Directory)
        QVERIFY(QDir::current().mkdir(file));
    else if (setup != Missing && !markerGone)
        QVERIFY(writeFile(file, content));
    if (setup == NoReadPermission)
        QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
    if (setup == ReadOnlyDirectory)
        QVERIFY(chmod(QFile::encodeName(game.directory()).constData(), 0555) == 0);
    // Whether the game can replace each file: the bad one itself, the others
    // unless nothing at all can be written in the directory.
    const bool targetWritable = setup == Missing || setup == Content;
    const bool othersWritable = setup != ReadOnlyDirectory;
    const bool scoreWritable = file == kScoreFile ? targetWritable : othersWritable;
    const bool levelWritable = file == kLevelFile ? targetWritable : othersWritable;

    const QList<Original> originals = {snapshot(kScoreFile), snapshot(kMarkerFile),
                                       snapshot(kLevelFile)};
    const auto checkFiles = [&originals] {
        for (const Original& original : originals) {
            if (!intactOrWellFormed(original))
                return false;
        }
        return true;
    };

    // Start: what the file can be read as.
    game.restart();
    if (file == kScoreFile) {
        QCOMPARE(game->readEssence(), expected);
        QCOMPARE(game->essenceDisplay()->number(), shownBank(expected));
        if (setup == Missing)
            QCOMPARE(readFile(kScoreFile), QByteArray("0"));
    } else if (file == kLevelFile) {
        QCOMPARE(game->character()->level(), expected);
        if (setup == Missing)
            QCOMPARE(readFile(kLevelFile), QByteArray("1"));
    } else {
        QCOMPARE(game->isFirstStart(), bool(expected));
    }
    if (setup == Content)
        QCOMPARE(readFile(file), content); // reading never rewrites
    QVERIFY(checkFiles());

    // Loading, and on a first start the story and the tutorial.
    QVERIFY(game.reachMenu());
    if (file == kMarkerFile && expected) {
        if (setup == Missing)
            QCOMPARE(readFile(kMarkerFile), QByteArray("1"));
        QCOMPARE(game->isFirstStart(), !targetWritable);
    }
    Clock clock(game);
    clock.play(100);
    QCOMPARE(game->stage(), 1);
    QVERIFY(checkFiles());

    // The upgrade screen: buy a level when the bank pays for it.
    const int level = game->character()->level();
    const int shown = game->essenceDisplay()->number();
    const int levelFileBefore = SavedFile::readOrCreate(kLevelFile, 1);
    game.clickButton(7);
    QCOMPARE(game->stage(), 8);
    game.paint();
    const bool affordable = shown >= priceOf(level);
    QCOMPARE(game->button(11)->isVisible(), affordable);
    game.clickButton(affordable ? 11 : 6);
    QCOMPARE(game->stage(), 1);
    if (affordable) {
        const int newLevel = level == INT_MAX ? INT_MAX : level + 1;
        const int paid = clampToInt(shown - priceOf(level));
        QCOMPARE(game->character()->level(), newLevel);
        if (scoreWritable)
            QCOMPARE(readFile(kScoreFile), QByteArray::number(shownBank(paid)));
        if (levelWritable)
            QCOMPARE(readFile(kLevelFile), QByteArray::number(newLevel));
        else
            QCOMPARE(SavedFile::readOrCreate(kLevelFile, 1), levelFileBefore);
    }
    QVERIFY(checkFiles());

    // A run with some input, ending in death: the score is banked.
    const int bankBefore = game->readEssence();
    QVERIFY(game.startRun());
    game.pressKey(Qt::Key_D);
    clock.play(150);
    game.releaseKey(Qt::Key_D);
    game.pressKey(Qt::Key_W);
    clock.play(150);
    game.releaseKey(Qt::Key_W);
    if (game->stage() == 2) {
        game->scoreBoard()->addScore(kRunScore);
        game->character()->setHealth(0.0);
        game.tick();
    }
    QCOMPARE(game->stage(), 4);
    const int banked = clampToInt(qint64(bankBefore) + game->scoreBoard()->score());
    if (scoreWritable)
        QCOMPARE(readFile(kScoreFile), QByteArray::number(banked));
    if (scoreWritable && bankBefore >= 0)
        QVERIFY(banked >= bankBefore); // banking never lowers a bank
    QVERIFY(checkFiles());

    // Back to the menu, and a second program start reads what was written.
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    clock.play(50);
    const int bankNow = game->readEssence();
    const int levelNow = SavedFile::readOrCreate(kLevelFile, 1);
    game.restart();
    QCOMPARE(game->readEssence(), bankNow);
    QCOMPARE(game->character()->level(), levelNow);
    if (file == kMarkerFile)
        QCOMPARE(game->isFirstStart(), bool(expected) && !targetWritable);
    QVERIFY(game.reachMenu());
    clock.play(50);
    QVERIFY(checkFiles());
}

void BadFilesTest::outOfRangeReadsAsNearestInt_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("value");

    QTest::newRow("INT_MAX") << QByteArray("2147483647") << INT_MAX;
    QTest::newRow("INT_MIN") << QByteArray("-2147483648") << INT_MIN;
    QTest::newRow("INT_MAX + 1") << QByteArray("2147483648") << INT_MAX;
    QTest::newRow("INT_MIN - 1") << QByteArray("-2147483649") << INT_MIN;
    QTest::newRow("2^32 + 1, wraps to 1") << QByteArray("4294967297") << INT_MAX;
    QTest::newRow("2^64 + 1, wraps to 1 even in 64 bits")
        << QByteArray("18446744073709551617") << INT_MAX;
    QTest::newRow("INT64_MAX") << QByteArray("9223372036854775807") << INT_MAX;
    QTest::newRow("hex INT_MAX") << QByteArray("0x7FFFFFFF") << INT_MAX;
    QTest::newRow("hex INT_MAX + 1") << QByteArray("0x80000000") << INT_MAX;
    QTest::newRow("hex all ones, 64 bits") << QByteArray("0xFFFFFFFFFFFFFFFF") << INT_MAX;
    QTest::newRow("octal beyond int") << QByteArray("040000000000") << INT_MAX;
    QTest::newRow("binary beyond 64 bits") << QByteArray("0b1" + QByteArray(70, '0')) << INT_MAX;
    QTest::newRow("leading zeros are not size") << QByteArray(40, '0') + "5" << 5;
    QTest::newRow("hex after a sign is not hex") << QByteArray("-0x1F") << 0;
    QTest::newRow("prefix without digits") << QByteArray("0x") << 0;
    QTest::newRow("binary prefix, no binary digit") << QByteArray("0b2") << 0;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("decimal with a leading zero and 8") << QByteArray("08") << 8;
    QTest::newRow("number, then junk") << QByteArray("12abc") << 12;
    QTest::newRow("long number, then junk") << QByteArray("99999999999999999999x") << INT_MAX;
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf") + "77" << 77;
    QTest::newRow("Windows line end") << QByteArray("12\r\n") << 12;
    QTest::newRow("Arabic-Indic digits") << QByteArray("\xd9\xa3\xd9\xa4") << 34;
}

void BadFilesTest::outOfRangeReadsAsNearestInt() {
    QFETCH(QByteArray, content);
    QFETCH(int, value);

    ScopedWorkingDirectory directory;
    QVERIFY(writeFile(kScoreFile, content));
    QCOMPARE(SavedFile::readOrCreate(kScoreFile, -1), value);
    QCOMPARE(readFile(kScoreFile), content);
}

// Root writes anywhere the permissions forbid, but not below a regular file.
void BadFilesTest::pathUnderARegularFileIsNeverWritten() {
    ScopedWorkingDirectory directory;
    QVERIFY(writeFile("blocker", "120"));
    const QString name = QStringLiteral("blocker/") + kScoreFile;
    QCOMPARE(SavedFile::readOrCreate(name, 1), 1);
    QCOMPARE(SavedFile::readOrCreate(name, 0), 0);
    QVERIFY(!SavedFile::write(name, 77));
    QCOMPARE(readFile("blocker"), QByteArray("120"));
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"blocker"});
}

// /proc takes no new files, not even from root: a working directory where
// none of the three files exists or can be created.
void BadFilesTest::directoryEvenRootCannotWrite() {
    const QString proc = QStringLiteral("/proc");
    if (!QFileInfo(proc).isDir() || QFileInfo::exists(proc + '/' + kScoreFile) ||
        QFileInfo::exists(proc + '/' + kMarkerFile) || QFileInfo::exists(proc + '/' + kLevelFile))
        QSKIP("No /proc to use as an unwritable working directory.");
    QVERIFY(!QFile(proc + "/brimtalon-probe").open(QIODevice::WriteOnly));

    GameHarness game;
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(proc));
    game.restart();
    QCOMPARE(game->readEssence(), 0);
    QCOMPARE(game->character()->level(), 1);
    QVERIFY(game->isFirstStart());
    QVERIFY(game.reachMenu()); // story and tutorial; the marker cannot be written
    QVERIFY(game->isFirstStart());
    Clock clock(game);
    clock.play(50);
    QVERIFY(game.startRun());
    clock.play(100);
    if (game->stage() == 2) {
        game->scoreBoard()->addScore(kRunScore);
        game->character()->setHealth(0.0);
        game.tick();
    }
    QCOMPARE(game->stage(), 4);
    QCOMPARE(game->readEssence(), 0);
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    for (const QString& name : {kScoreFile, kMarkerFile, kLevelFile})
        QVERIFY(!QFileInfo::exists(name));
    game.restart();
    QVERIFY(game->isFirstStart());
    QVERIFY(QDir::setCurrent(home));
}

// A child process writes two numbers of different lengths in turn and is
// killed at random moments: the file always holds one of them, whole.
void BadFilesTest::killedWriteLeavesOldOrNewContent() {
    ScopedWorkingDirectory directory;
    const QList<int> values = {7, 1234567890};
    QVERIFY(SavedFile::write(kScoreFile, values.first()));

    constexpr int kKills = 200;
    int seenFirst = 0;
    int seenSecond = 0;
    QRandomGenerator random(20240611);
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                SavedFile::write(kScoreFile, values.at(i % 2));
        }
        usleep(random.bounded(200, 3000));
        QCOMPARE(::kill(child, SIGKILL), 0);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));

        const QByteArray content = readFile(kScoreFile);
        QVERIFY2(content == "7" || content == "1234567890", content.constData());
        QCOMPARE(SavedFile::readOrCreate(kScoreFile, -1), content.toInt());
        (content == "7" ? seenFirst : seenSecond)++;
    }
    // Both values turn up, so the kills did land among the writes.
    QVERIFY(seenFirst > 0);
    QVERIFY(seenSecond > 0);
    // A write cut short leaves at most its own temporary file behind.
    for (const QString& name : QDir::current().entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(name == kScoreFile || name.startsWith(kScoreFile + '.'), qPrintable(name));
}

QTEST_MAIN(BadFilesTest)
#include "tst_badfiles.moc"
