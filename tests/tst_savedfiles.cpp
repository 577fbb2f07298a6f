#include "testsupport.h"

#include <QDir>

#include <sys/stat.h>

// The three one-number files through a player's first days. Odd contents and
// unwritable places are the bad-files suite's, prices the upgrade suite's.
namespace {
const QString kScoreFile = QStringLiteral("game_score.txt");

ino_t inodeOf(const QString& name) {
    struct stat info {};
    return stat(QFile::encodeName(name).constData(), &info) == 0 ? info.st_ino : 0;
}
} // namespace

class SavedFilesTest : public QObject {
    Q_OBJECT
private slots:
    // Each write replaces the file by a new one (a new inode) rather than
    // truncating it in place, and leaves nothing temporary behind.
    void firstDays() {
        GameDriver game;
        QCOMPARE(readFile(kScoreFile), QByteArray("0"));
        QCOMPARE(readFile("data_1"), QByteArray("1"));
        // The bank is read from the file when banking, not from the menu's digits.
        QVERIFY(writeFile(kScoreFile, "120"));
        const ino_t scoreInode = inodeOf(kScoreFile);
        QVERIFY(game.dieInRun(57));
        QCOMPARE(readFile(kScoreFile).toInt(), 120 + game->scoreBoard()->score());
        QVERIFY(inodeOf(kScoreFile) != scoreInode);
        QVERIFY(game.reach(Stage::Menu));
        QCOMPARE(game->essenceDisplay()->number(), readFile(kScoreFile).toInt());

        // Pausing banks nothing; home banks onto what the file holds then.
        const QByteArray banked = readFile(kScoreFile);
        QVERIFY(game.reach(Stage::Pause));
        QCOMPARE(readFile(kScoreFile), banked);
        game->scoreBoard()->setScore(57);
        QVERIFY(writeFile(kScoreFile, "130"));
        QVERIFY(game.clickButton(ButtonId::Home));
        QCOMPARE(readFile(kScoreFile).toInt(), 130 + 57);
        QCOMPARE(game->essenceDisplay()->number(), 187);

        const ino_t levelInode = inodeOf("data_1");
        QVERIFY(game.reach(Stage::Upgrade) && game.clickButton(ButtonId::Confirm));
        QCOMPARE(readFile("data_1"), QByteArray("2"));
        QVERIFY(inodeOf("data_1") != levelInode);

        // A later start goes straight to the menu with what was saved.
        game.restart();
        QVERIFY(!game->isFirstStart() && game->character()->level() == 2);
        QVERIFY(game.reach(Stage::Menu));
        QCOMPARE(game->essenceDisplay()->number(), 137);

        // Banking saturates at the largest int, and a full bank stays full.
        QVERIFY(writeFile(kScoreFile, "2147483600"));
        QVERIFY(game.dieInRun(100));
        QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
        QVERIFY(game.dieInRun(1));
        QCOMPARE(readFile(kScoreFile), QByteArray("2147483647"));
        QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                           QDir::NoDotAndDotDot),
                 QStringList({"data_0", "data_1", kScoreFile}));
    }
};

QTEST_MAIN(SavedFilesTest)
#include "tst_savedfiles.moc"
