#include "gameharness.h"

#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "scoreboard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <climits>
#include <sys/stat.h>

// The three one-number files in the working directory: the banked currency,
// the first-start marker and the upgrade level.
namespace {
const char* const kScoreFile = "game_score.txt";

// A later start (the story has been seen) with the given bank.
void startWithBank(GameHarness& game, const QByteArray& essence) {
    QVERIFY(writeFile("data_0", "1"));
    QVERIFY(writeFile(kScoreFile, essence));
    game.restart();
}

QStringList directoryEntries() {
    QStringList entries = QDir::current().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return entries;
}

ino_t inodeOf(const char* name) {
    struct stat info {};
    if (stat(name, &info) != 0)
        return 0;
    return info.st_ino;
}

QList<int> digitsOf(const NumberSet* set) {
    QList<int> digits;
    for (const GameNumber* digit : set->digits())
        digits.append(digit->digit());
    return digits;
}

// Plays a run from the menu and lets it end in death with the given score.
bool dieWithScore(GameHarness& game, int score) {
    if (!game.startRun())
        return false;
    game->scoreBoard()->setScore(score);
    game->character()->setHealth(0.0);
    game.tick();
    return game->stage() == 4;
}
} // namespace

class SavedFilesTest : public QObject {
    Q_OBJECT
private slots:
    void freshStartCreatesFiles();
    void deathBanksTheRunScore();
    void homeFromPauseBanksTheRunScore();
    void readingFollowsTextStreamRules_data();
    void readingFollowsTextStreamRules();
    void levelFileReading_data();
    void levelFileReading();
    void upgradePurchaseSavesBoth();
    void markerDirectoryCountsAsMissing();
    void unwritableScoreFileLeavesGameRunning();
    void unwritableLevelFileLeavesGameRunning();
    void bankSaturatesAtIntMax();
    void writesReplaceTheFileAtomically();
    void menuShowsTheBank_data();
    void menuShowsTheBank();
};

void SavedFilesTest::freshStartCreatesFiles() {
    GameHarness game;
    QCOMPARE(readFile(kScoreFile), QByteArray("0"));
    QCOMPARE(readFile("data_1"), QByteArray("1"));
    QVERIFY(!QFileInfo::exists("data_0"));
    QCOMPARE(game->character()->level(), 1);
    QCOMPARE(game->readEssence(), 0);
    QVERIFY(game.reachMenu());
    QCOMPARE(game->essenceDisplay()->number(), 0);
    QCOMPARE(digitsOf(game->essenceDisplay()), QList<int>(7, 0));
    QCOMPARE(readFile("data_0"), QByteArray("1"));
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));
}

void SavedFilesTest::deathBanksTheRunScore() {
    GameHarness game;
    startWithBank(game, "120");
    QVERIFY(game.reachMenu());
    QCOMPARE(game->essenceDisplay()->number(), 120);
    QVERIFY(dieWithScore(game, 57));
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
    // The score itself is not spent by banking; the menu reads the new bank.
    QCOMPARE(game->scoreBoard()->score(), 57);
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->essenceDisplay()->number(), 177);
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
}

void SavedFilesTest::homeFromPauseBanksTheRunScore() {
    GameHarness game;
    startWithBank(game, "120");
    QVERIFY(game.reachMenu());
    QVERIFY(game.startRun());
    game->scoreBoard()->setScore(57);
    game.clickButton(3);
    QCOMPARE(game->stage(), 3);
    QCOMPARE(readFile(kScoreFile), QByteArray("120"));
    // The bank is read from the file at that moment, not from the menu's digits.
    QVERIFY(writeFile(kScoreFile, "130"));
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile(kScoreFile), QByteArray("187"));
    QCOMPARE(game->essenceDisplay()->number(), 187);
}

void SavedFilesTest::readingFollowsTextStreamRules_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("shown");

    QTest::newRow("plain") << QByteArray("120") << 120 << 120;
    QTest::newRow("octal prefix") << QByteArray("010") << 8 << 8;
    QTest::newRow("hex prefix") << QByteArray("0x1F") << 31 << 31;
    QTest::newRow("binary prefix") << QByteArray("0b101") << 5 << 5;
    QTest::newRow("leading white space") << QByteArray("  \n 42") << 42 << 42;
    QTest::newRow("trailing line break") << QByteArray("42\n") << 42 << 42;
    QTest::newRow("trailing junk") << QByteArray("42abc") << 42 << 42;
    QTest::newRow("not a number") << QByteArray("abc") << 0 << 0;
    QTest::newRow("empty") << QByteArray("") << 0 << 0;
    QTest::newRow("negative") << QByteArray("-5") << -5 << 0;
}

void SavedFilesTest::readingFollowsTextStreamRules() {
    QFETCH(QByteArray, content);
    QFETCH(int, value);
    QFETCH(int, shown);

    GameHarness game;
    startWithBank(game, content);
    QCOMPARE(game->readEssence(), value);
    QCOMPARE(game->essenceDisplay()->number(), shown);
    QVERIFY(game.reachMenu());
    QCOMPARE(game->essenceDisplay()->number(), shown);
    // Reading never rewrites an existing file.
    QCOMPARE(readFile(kScoreFile), content);

    QVERIFY(dieWithScore(game, 10));
    QCOMPARE(readFile(kScoreFile), QByteArray::number(value + 10));
}

void SavedFilesTest::levelFileReading_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("level");
    QTest::newRow("level 3") << QByteArray("3") << 3;
    QTest::newRow("octal") << QByteArray("010") << 8;
    QTest::newRow("not a number") << QByteArray("high") << 0;
    QTest::newRow("empty") << QByteArray("") << 0;
}

void SavedFilesTest::levelFileReading() {
    QFETCH(QByteArray, content);
    QFETCH(int, level);

    GameHarness game;
    QVERIFY(writeFile("data_1", content));
    game.restart();
    QCOMPARE(game->character()->level(), level);
    QCOMPARE(readFile("data_1"), content);
}

void SavedFilesTest::upgradePurchaseSavesBoth() {
    GameHarness game;
    startWithBank(game, "120");
    QVERIFY(game.reachMenu());
    QCOMPARE(readFile("data_1"), QByteArray("1"));
    game.clickButton(7);
    QCOMPARE(game->stage(), 8);
    // The upgrade screen places its buttons while painting.
    game.paint();
    QVERIFY(game->button(11)->isVisible());
    game.clickButton(11);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile("data_1"), QByteArray("2"));
    QCOMPARE(readFile(kScoreFile), QByteArray("70"));
    QCOMPARE(game->essenceDisplay()->number(), 70);

    game.restart();
    QCOMPARE(game->character()->level(), 2);
    QCOMPARE(game->readEssence(), 70);
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));
}

void SavedFilesTest::markerDirectoryCountsAsMissing() {
    GameHarness game;
    QVERIFY(QDir::current().mkdir("data_0"));
    game.restart();
    QVERIFY(game->isFirstStart());
    QVERIFY(game.finishLoading());
    QCOMPARE(game->stage(), 6);

    // The tutorial cannot write the marker: it stays a directory and the
    // next start is again a first start.
    game->gameTeach();
    QCOMPARE(game->stage(), 7);
    QVERIFY(QFileInfo("data_0").isDir());
    QVERIFY(game->isFirstStart());
    game.clickButton(1);
    QCOMPARE(game->stage(), 1);

    game.restart();
    QVERIFY(game->isFirstStart());
    QVERIFY(game.finishLoading());
    QCOMPARE(game->stage(), 6);
    QVERIFY(QFileInfo("data_0").isDir());
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));
}

void SavedFilesTest::unwritableScoreFileLeavesGameRunning() {
    GameHarness game;
    QVERIFY(writeFile("data_0", "1"));
    QVERIFY(QFile::remove(kScoreFile));
    QVERIFY(QDir::current().mkdir(kScoreFile));
    game.restart();
    QCOMPARE(game->readEssence(), 0);
    QVERIFY(game.reachMenu());
    QCOMPARE(game->essenceDisplay()->number(), 0);

    QVERIFY(dieWithScore(game, 57));
    QVERIFY(QFileInfo(kScoreFile).isDir());
    QVERIFY(QDir(kScoreFile).isEmpty());
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->essenceDisplay()->number(), 0);

    QVERIFY(game.startRun());
    game->scoreBoard()->setScore(9);
    game.clickButton(3);
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QVERIFY(QFileInfo(kScoreFile).isDir());
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));
    QVERIFY(game.startRun());
}

void SavedFilesTest::unwritableLevelFileLeavesGameRunning() {
    GameHarness game;
    QVERIFY(QFile::remove("data_1"));
    QVERIFY(QDir::current().mkdir("data_1"));
    startWithBank(game, "120");
    QCOMPARE(game->character()->level(), 1);
    QVERIFY(game.reachMenu());
    game.clickButton(7);
    game.paint();
    game.clickButton(11);
    QCOMPARE(game->stage(), 1);
    // The purchase is paid and applied for this session; the level is not kept.
    QCOMPARE(readFile(kScoreFile), QByteArray("70"));
    QCOMPARE(game->character()->level(), 2);
    QVERIFY(QFileInfo("data_1").isDir());
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));
    game.restart();
    QCOMPARE(game->character()->level(), 1);
}

void SavedFilesTest::bankSaturatesAtIntMax() {
    GameHarness game;
    startWithBank(game, "2147483600");
    QVERIFY(game.reachMenu());
    QVERIFY(dieWithScore(game, 100));
    QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
    QCOMPARE(game->readEssence(), INT_MAX);

    // A full bank stays full.
    game.clickButton(2);
    QVERIFY(dieWithScore(game, 1));
    QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
}

void SavedFilesTest::writesReplaceTheFileAtomically() {
    GameHarness game;
    startWithBank(game, "120");
    QVERIFY(game.reachMenu());
    const ino_t before = inodeOf(kScoreFile);
    QVERIFY(before != 0);
    QVERIFY(dieWithScore(game, 57));
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
    // A new file renamed over the old one, not the old one truncated in place,
    // and nothing temporary left behind.
    QVERIFY(inodeOf(kScoreFile) != before);
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));

    const ino_t levelBefore = inodeOf("data_1");
    game.clickButton(2);
    game.clickButton(7);
    game.paint();
    game.clickButton(11);
    QCOMPARE(readFile("data_1"), QByteArray("2"));
    QVERIFY(inodeOf("data_1") != levelBefore);
    QCOMPARE(directoryEntries(), QStringList({"data_0", "data_1", kScoreFile}));
}

void SavedFilesTest::menuShowsTheBank_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QList<int>>("digits");
    QTest::newRow("1234") << QByteArray("1234") << 1234 << QList<int>{0, 0, 0, 1, 2, 3, 4};
    QTest::newRow("9999999") << QByteArray("9999999") << 9999999 << QList<int>{9, 9, 9, 9, 9, 9, 9};
    QTest::newRow("nine digits") << QByteArray("123456789") << 3456789
                                 << QList<int>{3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("ten million") << QByteArray("10000000") << 0 << QList<int>(7, 0);
}

void SavedFilesTest::menuShowsTheBank() {
    QFETCH(QByteArray, content);
    QFETCH(int, shown);
    QFETCH(QList<int>, digits);

    GameHarness game;
    startWithBank(game, "0");
    QVERIFY(game.reachMenu());
    QCOMPARE(game->essenceDisplay()->number(), 0);
    // The menu re-reads the file every time it opens.
    QVERIFY(writeFile(kScoreFile, content));
    game.clickButton(7);
    QCOMPARE(game->stage(), 8);
    game.paint();
    game.clickButton(6);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->essenceDisplay()->number(), shown);
    QCOMPARE(digitsOf(game->essenceDisplay()), digits);
    QCOMPARE(readFile(kScoreFile), content);
}

QTEST_MAIN(SavedFilesTest)
#include "tst_savedfiles.moc"
