#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtTest>

namespace {

struct Sheet {
    const char* path;
    int frameWidth;
    int frames;
};

// Every animated strip with the frame cut the game makes of it.
const Sheet kSheets[] = {
    {":/images/dino.png", 87, 2},        {":/images/dino_rush.png", 118, 2},
    {":/images/gun_nocolor.png", 43, 4}, {":/images/gun_color.png", 43, 4},
    {":/images/bird.png", 91, 2},        {":/images/bombs.png", 180, 5},
    {":/images/heads.png", 76, 24},      {":/images/ufo_unhealthy.png", 322, 4},
    {":/images/bombs_big.png", 360, 5},
};

struct Picture {
    const char* name;
    int width;
    int height;
};

// Every picture the game loads, with its size.
// clang-format off
const Picture kPictures[] = {
    {"dino.png", 174, 94}, {"dino_rush.png", 236, 59}, {"gun_nocolor.png", 172, 43},
    {"gun_color.png", 172, 43}, {"target.png", 72, 72}, {"cursor_point.png", 60, 62},
    {"cursor_aim.png", 60, 60}, {"cloud.png", 191, 55}, {"head_big.png", 309, 304},
    {"cacti.png", 300, 87}, {"cacti_flat.png", 300, 30}, {"bird.png", 183, 80},
    {"bird_dead.png", 91, 80}, {"head_dead.png", 70, 70}, {"bombs.png", 900, 180},
    {"heads.png", 1824, 75}, {"ball.png", 76, 76}, {"ufo.png", 322, 224},
    {"ufo_unhealthy.png", 1288, 224}, {"bombs_big.png", 1800, 360}, {"mk_fly.png", 600, 600},
    {"numbers.png", 455, 50}, {"start.png", 158, 142}, {"restart.png", 158, 142},
    {"teach.png", 142, 63}, {"upgrade.png", 142, 63}, {"quit.png", 99, 44},
    {"confirm.png", 99, 44}, {"pause.png", 99, 44}, {"home.png", 99, 44},
    {"guide.jpg", 1127, 711}, {"icon.png", 86, 86},
};
// clang-format on

QImage load(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(image.pixel(x, y)) > 127)
                ++count;
    return count;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void loadsWithListedSize_data();
    void loadsWithListedSize();
    void collectionHoldsNothingElse();
    void pngsAreTransparent_data();
    void pngsAreTransparent();
    void stripsCutIntoWholeCells();
    void everyFrameIsDrawnAndMoves_data();
    void everyFrameIsDrawnAndMoves();
    void feetTouchTheBottomEdge_data();
    void feetTouchTheBottomEdge();
    void cursorHotSpots();
};

void TestResources::loadsWithListedSize_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    for (const Picture& picture : kPictures)
        QTest::newRow(picture.name)
            << QStringLiteral(":/images/%1").arg(QLatin1String(picture.name))
            << QSize(picture.width, picture.height);
}

void TestResources::loadsWithListedSize() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QPixmap pixmap(path);
    QVERIFY2(!pixmap.isNull(), qPrintable(path));
    QCOMPARE(pixmap.size(), size);
}

void TestResources::collectionHoldsNothingElse() {
    const QStringList names = QDir(QStringLiteral(":/images")).entryList(QDir::Files);
    QCOMPARE(names.size(), 32);
    QCOMPARE(names.filter(QStringLiteral(".png")).size(), 31);
    QImageReader reader(QStringLiteral(":/images/guide.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage guide = reader.read();
    QVERIFY(!guide.isNull());
    QVERIFY(!guide.hasAlphaChannel());
}

void TestResources::pngsAreTransparent_data() {
    QTest::addColumn<QString>("path");
    const QStringList names = QDir(QStringLiteral(":/images")).entryList({QStringLiteral("*.png")});
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << QStringLiteral(":/images/") + name;
}

void TestResources::pngsAreTransparent() {
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY(image.hasAlphaChannel());
    // Every picture is drawn over the scene, so its top-left corner shows the scene through.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

void TestResources::stripsCutIntoWholeCells() {
    // Integer division leaves an odd last column that is never shown, so nothing is drawn there.
    const QImage bird = load(QStringLiteral(":/images/bird.png"));
    QCOMPARE(bird.width() / 2, 91);
    QCOMPARE(opaquePixels(bird, QRect(182, 0, 1, bird.height())), 0);

    const QImage digits = load(QStringLiteral(":/images/numbers.png"));
    QCOMPARE(digits.width() / 10, 45);
    QCOMPARE(opaquePixels(digits, QRect(450, 0, 5, 50)), 0);
    QList<QImage> cells;
    for (int digit = 0; digit < 10; ++digit) {
        cells << digits.copy(digit * 45, 0, 45, 50);
        QVERIFY2(opaquePixels(cells.last(), cells.last().rect()) > 0,
                 qPrintable(QString::number(digit)));
        // Digits are drawn touching each other, so each glyph keeps clear of its cell's sides.
        QCOMPARE(opaquePixels(cells.last(), QRect(0, 0, 4, 50)), 0);
        QCOMPARE(opaquePixels(cells.last(), QRect(41, 0, 4, 50)), 0);
    }
    // Ten distinct glyphs: a shifted cut would repeat or split them.
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            QVERIFY(cells[a] != cells[b]);
}

void TestResources::everyFrameIsDrawnAndMoves_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("frames");
    for (const Sheet& sheet : kSheets)
        QTest::newRow(sheet.path) << QString::fromLatin1(sheet.path) << sheet.frameWidth
                                  << sheet.frames;
}

void TestResources::everyFrameIsDrawnAndMoves() {
    QFETCH(QString, path);
    QFETCH(int, frameWidth);
    QFETCH(int, frames);
    const QImage image = load(path);
    QVERIFY(image.width() >= frameWidth * frames);
    QImage previous;
    for (int i = 0; i < frames; ++i) {
        const QImage frame = image.copy(i * frameWidth, 0, frameWidth, image.height());
        QVERIFY2(opaquePixels(frame, frame.rect()) > 0, qPrintable(QString::number(i)));
        QVERIFY2(i == 0 || frame != previous, qPrintable(QString::number(i)));
        previous = frame;
    }
}

void TestResources::feetTouchTheBottomEdge_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<int>>("cellEdges"); // left edges, then the right end
    // Posture changes keep the bottom edge in place; cacti are cut four 50 wide, then one 100.
    const QList<int> cactusCells = {0, 50, 100, 150, 200, 300};
    QTest::newRow("upright") << QStringLiteral(":/images/dino.png") << QList<int>{0, 87, 174};
    QTest::newRow("low") << QStringLiteral(":/images/dino_rush.png") << QList<int>{0, 118, 236};
    QTest::newRow("cacti") << QStringLiteral(":/images/cacti.png") << cactusCells;
    QTest::newRow("remains") << QStringLiteral(":/images/cacti_flat.png") << cactusCells;
}

void TestResources::feetTouchTheBottomEdge() {
    QFETCH(QString, path);
    QFETCH(QList<int>, cellEdges);
    const QImage image = load(path);
    for (int i = 0; i + 1 < cellEdges.size(); ++i) {
        const QRect bottomRow(cellEdges[i], image.height() - 1, cellEdges[i + 1] - cellEdges[i], 1);
        QVERIFY2(opaquePixels(image, bottomRow) > 0, qPrintable(QString::number(cellEdges[i])));
    }
}

void TestResources::cursorHotSpots() {
    // The pointer's tip sits at (6, 6) with nothing solid above or left of it.
    const QImage pointer = load(QStringLiteral(":/images/cursor_point.png"));
    QVERIFY(qAlpha(pointer.pixel(6, 6)) > 200);
    for (int i = 0; i < 6; ++i) {
        QVERIFY(qAlpha(pointer.pixel(i, 6)) < 255);
        QVERIFY(qAlpha(pointer.pixel(6, i)) < 255);
    }
    // The crosshair is symmetric about its centre (30, 30).
    const QImage aim = load(QStringLiteral(":/images/cursor_aim.png"));
    const int c = aim.width() / 2;
    QCOMPARE(qAlpha(aim.pixel(c, c)), 255);
    for (int k = 1; k < c; ++k) {
        QCOMPARE(qAlpha(aim.pixel(c - k, c)), qAlpha(aim.pixel(c + k, c)));
        QCOMPARE(qAlpha(aim.pixel(c, c - k)), qAlpha(aim.pixel(c, c + k)));
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
