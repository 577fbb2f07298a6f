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
// the first-start marker and the upgrade level. Odd contents and unwritable
// places in general are covered by the bad-files matrix.
namespace {
const char* const kScoreFile = "game_score.txt";

// A later start (the story has been seen) with the given bank, up to the menu.
bool startWithBank(GameHarness& game, const QByteArray& essence) {
    if (!writeFile("data_0", "1") || !writeFile(kScoreFile, essence))
        return false;
    game.restart();
    return game.reachMenu();
}

QStringList directoryEntries() {
    return QDir::current().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

const QStringList kOnlyTheThreeFiles = {"data_0", "data_1", kScoreFile};

ino_t inodeOf(const char* name) {
    struct stat info {};
    return stat(name, &info) == 0 ? info.st_ino : 0;
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
    void deathAndHomeBankTheRunScore();
    void bankReadAndShown_data();
    void bankReadAndShown();
    void markerDirectoryCountsAsMissing();
    void unwritableScoreFileLeavesGameRunning();
    void bankSaturatesAtIntMax();
    void writesReplaceTheFileAtomically();
};

void SavedFilesTest::freshStartCreatesFiles() {
    GameHarness game;
    QCOMPARE(readFile(kScoreFile), QByteArray("0"));
    QCOMPARE(readFile("data_1"), QByteArray("1"));
    QVERIFY(!QFileInfo::exists("data_0"));
    QCOMPARE(game->character()->level(), 1);
    QVERIFY(game.reachMenu());
    QCOMPARE(digitsOf(game->essenceDisplay()), QList<int>(7, 0));
    QCOMPARE(readFile("data_0"), QByteArray("1"));
    QCOMPARE(directoryEntries(), kOnlyTheThreeFiles);
}

void SavedFilesTest::deathAndHomeBankTheRunScore() {
    GameHarness game;
    QVERIFY(startWithBank(game, "120"));
    QVERIFY(dieWithScore(game, 57));
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
    game.clickButton(2);
    QCOMPARE(game->essenceDisplay()->number(), 177);

    QVERIFY(game.startRun());
    game->scoreBoard()->setScore(57);
    game.clickButton(3);
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
    // The bank is read from the file at that moment, not from the menu's digits.
    QVERIFY(writeFile(kScoreFile, "130"));
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(readFile(kScoreFile), QByteArray("187"));
    QCOMPARE(game->essenceDisplay()->number(), 187);
}

void SavedFilesTest::bankReadAndShown_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<int>>("digits");

    QTest::newRow("octal prefix") << QByteArray("010") << 8 << QList<int>{0, 0, 0, 0, 0, 0, 8};
    QTest::newRow("not a number") << QByteArray("abc") << 0 << QList<int>(7, 0);
    QTest::newRow("leading zeros shown")
        << QByteArray("1234") << 1234 << QList<int>{0, 0, 0, 1, 2, 3, 4};
    QTest::newRow("nine digits keep the last seven")
        << QByteArray("123456789") << 123456789 << QList<int>{3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("negative shown as 0") << QByteArray("-5") << -5 << QList<int>(7, 0);
}

void SavedFilesTest::bankReadAndShown() {
    QFETCH(QByteArray, content);
    QFETCH(int, value);
    QFETCH(QList<int>, digits);

    GameHarness game;
    QVERIFY(startWithBank(game, content));
    QCOMPARE(game->readEssence(), value);
    QCOMPARE(digitsOf(game->essenceDisplay()), digits);
    QCOMPARE(readFile(kScoreFile), content); // reading never rewrites
    // Banking adds to what was read, not to what the seven digits show.
    QVERIFY(dieWithScore(game, 10));
    QCOMPARE(readFile(kScoreFile), QByteArray::number(value + 10));
}

void SavedFilesTest::markerDirectoryCountsAsMissing() {
    GameHarness game;
    QVERIFY(QDir::current().mkdir("data_0"));
    for (int start = 0; start < 2; ++start) {
        game.restart();
        QVERIFY(game->isFirstStart());
        QVERIFY(game.finishLoading());
        QCOMPARE(game->stage(), 6);
        // The tutorial cannot write the marker, so the next start is a first start again.
        game->gameTeach();
        QCOMPARE(game->stage(), 7);
        QVERIFY(game->isFirstStart());
        game.clickButton(1);
        QCOMPARE(game->stage(), 1);
        QVERIFY(QFileInfo("data_0").isDir());
    }
    QCOMPARE(directoryEntries(), kOnlyTheThreeFiles);
}

void SavedFilesTest::unwritableScoreFileLeavesGameRunning() {
    GameHarness game;
    QVERIFY(QFile::remove(kScoreFile));
    QVERIFY(QDir::current().mkdir(kScoreFile));
    QVERIFY(writeFile("data_0", "1"));
    game.restart();
    QCOMPARE(game->readEssence(), 0);
    QVERIFY(game.reachMenu());

    QVERIFY(dieWithScore(game, 57));
    game.clickButton(2);
    QCOMPARE(game->stage(), 1);
    QCOMPARE(game->essenceDisplay()->number(), 0);
    QVERIFY(game.startRun());
    game->scoreBoard()->setScore(9);
    game.clickButton(3);
    game.clickButton(10);
    QCOMPARE(game->stage(), 1);
    QVERIFY(QDir(kScoreFile).isEmpty());
    QCOMPARE(directoryEntries(), kOnlyTheThreeFiles);
    QVERIFY(game.startRun());
}

void SavedFilesTest::bankSaturatesAtIntMax() {
    GameHarness game;
    QVERIFY(startWithBank(game, "2147483600"));
    QVERIFY(dieWithScore(game, 100));
    QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
    QCOMPARE(game->readEssence(), INT_MAX);
    game.clickButton(2);
    QVERIFY(dieWithScore(game, 1)); // a full bank stays full
    QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
}

// A new file renamed over the old one, not the old one truncated in place,
// and nothing temporary left behind.
void SavedFilesTest::writesReplaceTheFileAtomically() {
    GameHarness game;
    QVERIFY(startWithBank(game, "120"));
    const ino_t scoreBefore = inodeOf(kScoreFile);
    QVERIFY(scoreBefore != 0);
    QVERIFY(dieWithScore(game, 57));
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
    QVERIFY(inodeOf(kScoreFile) != scoreBefore);
    QCOMPARE(directoryEntries(), kOnlyTheThreeFiles);

    const ino_t levelBefore = inodeOf("data_1");
    game.clickButton(2);
    game.clickButton(7);
    game.paint(); // the upgrade screen places its buttons while painting
    game.clickButton(11);
    QCOMPARE(readFile("data_1"), QByteArray("2"));
    QCOMPARE(readFile(kScoreFile), QByteArray("127"));
    QVERIFY(inodeOf("data_1") != levelBefore);
    QCOMPARE(directoryEntries(), kOnlyTheThreeFiles);
}

QTEST_MAIN(SavedFilesTest)
#include "tst_savedfiles.moc"
