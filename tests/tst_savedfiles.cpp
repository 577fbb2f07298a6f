#include "testsupport.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <sys/stat.h>

// Players edit and corrupt the one-number files: beyond int reads as the nearest int.
namespace {
const QString kScore = QStringLiteral("game_score.txt");
const QString kMarker = QStringLiteral("data_0");
const QString kLevel = QStringLiteral("data_1");
const QString kEverything = QStringLiteral("the whole directory");
enum Setup { Missing, Content, Directory };

ino_t inodeOf(const QString& name) {
    struct stat info {};
    return stat(QFile::encodeName(name).constData(), &info) == 0 ? info.st_ino : 0;
}
} // namespace

class SavedFilesTest : public QObject {
    Q_OBJECT
private slots:
    // Banking reads the file, not the menu's digits, and saturates; writes make new inodes.
    void writes() {
        GameDriver game;
        QVERIFY(writeFile(kScore, "120"));
        const ino_t scoreInode = inodeOf(kScore);
        QVERIFY(game.dieInRun(57));
        QCOMPARE(readFile(kScore).toInt(), 120 + game->scoreBoard()->score());
        QVERIFY(inodeOf(kScore) != scoreInode && !game->isSaveNoticeShown());
        const ino_t levelInode = inodeOf(kLevel);
        QVERIFY(game.reach(Stage::Upgrade) && game.clickButton(ButtonId::Confirm));
        QVERIFY(readFile(kLevel) == "2" && inodeOf(kLevel) != levelInode);
        QVERIFY(writeFile(kScore, "2147483600") && game.dieInRun(100));
        QCOMPARE(readFile(kScore), QByteArray("2147483647"));
    }

    void contents_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("setup");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected"); // the bank, the level, or whether it is a first start
        // The marker only has to exist as a regular file.
        for (const QString& file : {kScore, kLevel, kMarker}) {
            const int fallback = file == kScore ? 0 : 1;
            QTest::addRow("%s missing", qPrintable(file))
                << file << int(Missing) << QByteArray() << fallback;
            QTest::addRow("%s directory", qPrintable(file))
                << file << int(Directory) << QByteArray() << fallback;
            QTest::addRow("%s non-numeric", qPrintable(file))
                << file << int(Content) << QByteArray("lots") << 0;
        }
        const auto reads = [](const char* name, const QByteArray& content, int value) {
            QTest::newRow(name) << kScore << int(Content) << content << value;
        };
        reads("empty", "", 0);
        reads("white space only", " \t\n \r\n ", 0);
        reads("negative", "-42", -42);
        reads("0x1F", "0x1F", 31);
        reads("010", "010", 8);
        reads("0b101", "0b101", 5);
        reads("binary garbage", QByteArray("\x89PNG\r\n\x1a\n\0\xff\xfe\x80", 12), 0);
        // Beyond int, even beyond 64 bits, in any base: the nearest int, never wrapped.
        reads("INT_MAX + 1", "2147483648", INT_MAX);
        reads("INT_MIN - 1", "-2147483649", INT_MIN);
        reads("2^64 + 1", "18446744073709551617", INT_MAX);
        reads("19 digits, beyond 64 bits", "9999999999999999999", INT_MAX);
        reads("hex beyond 64 bits", "0x1FFFFFFFFFFFFFFFF", INT_MAX);
        reads("16 hex digits, 64 bits", "0xFFFFFFFFFFFFFFFF", INT_MAX);
        reads("binary beyond 64 bits", "0b1" + QByteArray(70, '0'), INT_MAX);
        reads("leading zeros are not size", QByteArray(40, '0') + "5", 5);
        reads("hex after a sign is not hex", "-0x1F", 0);
        reads("long number, then junk", "99999999999999999999x", INT_MAX);
        reads("byte-order mark", QByteArray("\xef\xbb\xbf") + "77", 77);
        reads("Arabic-Indic digits", "\xd9\xa3\xd9\xa4", 34);
    }

    // Reading never rewrites a file; a missing one is created with its fallback.
    void contents() {
        QFETCH(QString, file);
        QFETCH(int, setup);
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        GameDriver game;
        QVERIFY(QFile::remove(file) && (setup != Directory || QDir::current().mkdir(file)) &&
                (setup != Content || writeFile(file, content)));
        game.restart();
        QCOMPARE(file == kScore   ? game->readEssence()
                 : file == kLevel ? game->character()->level()
                                  : int(game->isFirstStart()),
                 expected);
        QCOMPARE(QFileInfo(file).isDir(), setup == Directory);
        const bool created = setup == Missing && file != kMarker;
        QCOMPARE(readFile(file), created ? QByteArray::number(expected) : content);
    }

    void unwritablePlaces_data() {
        QTest::addColumn<QString>("place");
        for (const QString& place : {kScore, kLevel, kMarker})
            QTest::addRow("%s is a directory", qPrintable(place)) << place;
        // /proc takes no new file, not even from root.
        QTest::newRow("working directory /proc") << kEverything;
    }

    // Nothing can be saved there: the game plays on with the values in play, says so on
    // the next screen, and saves them with the next bank once the place is writable again.
    void unwritablePlaces() {
        QFETCH(QString, place);
        GameDriver game({{kMarker, "1"}, {kLevel, "1"}, {kScore, "5000"}});
        QVERIFY(place == kEverything ? QDir::setCurrent("/proc")
                                     : QFile::remove(place) && QDir::current().mkdir(place));
        const auto writable = [&place](const QString& file) {
            return place != file && place != kEverything;
        };
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^brimtalon: could not save /.+: .+"));
        game.restart();
        QVERIFY(game.reach(Stage::Upgrade));
        const bool affordable = game->button(ButtonId::Confirm)->isVisible();
        QVERIFY(game.clickButton(affordable ? ButtonId::Confirm : ButtonId::Quit));
        QCOMPARE(game->character()->level(), affordable ? 2 : 1);
        const int bank = game->readEssence();
        QVERIFY(game.dieInRun(57));
        QVERIFY(place == kMarker || game->isSaveNoticeShown());
        QCOMPARE(game->readEssence(), bank + 57);
        if (place != kEverything) {
            QVERIFY(QDir::current().rmdir(place) && game.dieInRun(3));
            QCOMPARE(readFile(kScore).toInt(), bank + 60);
        }
        game.restart();
        QCOMPARE(game->readEssence(), place == kEverything ? 0 : bank + 60);
        QCOMPARE(game->character()->level(), place != kEverything && affordable ? 2 : 1);
        QCOMPARE(game->isFirstStart(), !writable(kMarker));
        QVERIFY(game.reach(Stage::Menu));
    }
};

QTEST_MAIN(SavedFilesTest)
#include "tst_savedfiles.moc"
