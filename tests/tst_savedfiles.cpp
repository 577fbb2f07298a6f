#include "gameharness.h"

#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "scoreboard.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

// The three one-number files through a player's first days. Odd contents and
// unwritable places are the bad-files matrix's.
namespace {
const QString kScoreFile = QStringLiteral("game_score.txt");
const QStringList kOnlyTheThreeFiles = {"data_0", "data_1", kScoreFile};

QStringList directoryEntries() {
    return QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                     QDir::NoDotAndDotDot);
}

ino_t inodeOf(const QString& name) {
    struct stat info {};
    return stat(QFile::encodeName(name).constData(), &info) == 0 ? info.st_ino : 0;
}
} // namespace

class SavedFilesTest : public QObject {
    Q_OBJECT
private slots:
    void firstDays();
};

// Each write replaces the file by a new one (a new inode) rather than
// truncating it in place, and leaves nothing temporary behind.
void SavedFilesTest::firstDays() {
    GameHarness game;
    QCOMPARE(readFile(kScoreFile), QByteArray("0"));
    QCOMPARE(readFile("data_1"), QByteArray("1"));
    QVERIFY(!QFileInfo::exists("data_0"));
    QVERIFY(game.reachMenu()); // story and tutorial, which writes the marker
    QCOMPARE(readFile("data_0"), QByteArray("1"));
    QCOMPARE(game->essenceDisplay()->number(), 0);

    // The bank is read from the file when banking, not from the menu's digits.
    QVERIFY(writeFile(kScoreFile, "120"));
    const ino_t scoreInode = inodeOf(kScoreFile);
    QVERIFY(game.dieInRun(57));
    QCOMPARE(readFile(kScoreFile), QByteArray("177"));
    QVERIFY(inodeOf(kScoreFile) != scoreInode);
    game.clickButton(2);
    QCOMPARE(game->essenceDisplay()->number(), 177);

    QVERIFY(game.startRun());
    game->scoreBoard()->setScore(57);
    game.clickButton(3);
    QCOMPARE(readFile(kScoreFile), QByteArray("177")); // pausing banks nothing
    QVERIFY(writeFile(kScoreFile, "130"));
    game.clickButton(10);
    QCOMPARE(readFile(kScoreFile), QByteArray("187"));
    QCOMPARE(game->essenceDisplay()->number(), 187);

    const ino_t levelInode = inodeOf("data_1");
    game.clickButton(7);
    game.paint(); // the upgrade screen places its buttons while painting
    game.clickButton(11);
    QCOMPARE(readFile("data_1"), QByteArray("2"));
    QCOMPARE(readFile(kScoreFile), QByteArray("137"));
    QVERIFY(inodeOf("data_1") != levelInode);

    // A later start goes straight to the menu with what was saved.
    game.restart();
    QVERIFY(!game->isFirstStart());
    QCOMPARE(game->character()->level(), 2);
    QVERIFY(game.finishLoading() && game->stage() == 1);
    QCOMPARE(game->essenceDisplay()->number(), 137);

    // Banking saturates at the largest int, and a full bank stays full.
    QVERIFY(writeFile(kScoreFile, "2147483600"));
    QVERIFY(game.dieInRun(100));
    QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
    game.clickButton(2);
    QVERIFY(game.dieInRun(1));
    QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
    QCOMPARE(directoryEntries(), kOnlyTheThreeFiles);
}

QTEST_MAIN(SavedFilesTest)
#include "tst_savedfiles.moc"
