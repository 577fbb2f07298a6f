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

bool rowHasInk(const QImage& image, int row, int left, int width) {
    return opaquePixels(image, QRect(left, row, width, 1)) > 0;
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
    void guideIsJpeg();
    void birdSheetCutsIntoTwoFrames();
    void digitStripCutsIntoTenCells();
    void everyFrameIsDrawnAndMoves_data();
    void everyFrameIsDrawnAndMoves();
    void dinosaurStandsOnBottomEdge_data();
    void dinosaurStandsOnBottomEdge();
    void cactiAndRemainsStandInTheirCells_data();
    void cactiAndRemainsStandInTheirCells();
    void pointerTipIsAtHotSpot();
    void crosshairIsCentredOnHotSpot();
    void digitsKeepAnInnerMargin();
};

void TestResources::loadsWithListedSize_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    const QList<QPair<const char*, QSize>> table = {
        {"dino.png", {174, 94}},
        {"dino_rush.png", {236, 59}},
        {"gun_nocolor.png", {172, 43}},
        {"gun_color.png", {172, 43}},
        {"target.png", {72, 72}},
        {"cursor_point.png", {60, 62}},
        {"cursor_aim.png", {60, 60}},
        {"cloud.png", {191, 55}},
        {"head_big.png", {309, 304}},
        {"cacti.png", {300, 87}},
        {"cacti_flat.png", {300, 30}},
        {"bird.png", {183, 80}},
        {"bird_dead.png", {91, 80}},
        {"head_dead.png", {70, 70}},
        {"bombs.png", {900, 180}},
        {"heads.png", {1824, 75}},
        {"ball.png", {76, 76}},
        {"ufo.png", {322, 224}},
        {"ufo_unhealthy.png", {1288, 224}},
        {"bombs_big.png", {1800, 360}},
        {"mk_fly.png", {600, 600}},
        {"numbers.png", {455, 50}},
        {"start.png", {158, 142}},
        {"restart.png", {158, 142}},
        {"teach.png", {142, 63}},
        {"upgrade.png", {142, 63}},
        {"quit.png", {99, 44}},
        {"confirm.png", {99, 44}},
        {"pause.png", {99, 44}},
        {"home.png", {99, 44}},
        {"guide.jpg", {1127, 711}},
        {"icon.png", {86, 86}},
    };
    for (const auto& [name, size] : table)
        QTest::newRow(name) << QStringLiteral(":/images/%1").arg(QLatin1String(name)) << size;
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
    QVERIFY(names.contains(QStringLiteral("guide.jpg")));
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

void TestResources::guideIsJpeg() {
    QImageReader reader(QStringLiteral(":/images/guide.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QVERIFY(!image.isNull());
    QVERIFY(!image.hasAlphaChannel());
}

void TestResources::birdSheetCutsIntoTwoFrames() {
    const QPixmap sheet(QStringLiteral(":/images/bird.png"));
    const int frameWidth = sheet.width() / 2;
    QCOMPARE(frameWidth, 91);
    // The odd last column is never shown, so nothing may be drawn there.
    const QImage image = load(QStringLiteral(":/images/bird.png"));
    QCOMPARE(opaquePixels(image, QRect(2 * frameWidth, 0, 1, image.height())), 0);
}

void TestResources::digitStripCutsIntoTenCells() {
    const QPixmap strip(QStringLiteral(":/images/numbers.png"));
    QCOMPARE(strip.width() / 10, 45);
    QCOMPARE(strip.height(), 50);
    const QImage image = load(QStringLiteral(":/images/numbers.png"));
    QList<QImage> cells;
    for (int digit = 0; digit < 10; ++digit) {
        cells << image.copy(digit * 45, 0, 45, 50);
        QVERIFY2(opaquePixels(cells.last(), cells.last().rect()) > 0,
                 qPrintable(QString::number(digit)));
    }
    // Ten distinct glyphs: a shifted cut would repeat or split them.
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            QVERIFY(cells[a] != cells[b]);
    QCOMPARE(opaquePixels(image, QRect(450, 0, 5, 50)), 0);
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
        if (i > 0)
            QVERIFY2(frame != previous, qPrintable(QString::number(i)));
        previous = frame;
    }
}

void TestResources::dinosaurStandsOnBottomEdge_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("frameWidth");
    QTest::newRow("upright") << QStringLiteral(":/images/dino.png") << 87;
    QTest::newRow("low") << QStringLiteral(":/images/dino_rush.png") << 118;
}

void TestResources::dinosaurStandsOnBottomEdge() {
    QFETCH(QString, path);
    QFETCH(int, frameWidth);
    // Posture changes keep the bottom edge in place, so the feet must touch it.
    const QImage image = load(path);
    for (int i = 0; i < 2; ++i)
        QVERIFY2(rowHasInk(image, image.height() - 1, i * frameWidth, frameWidth),
                 qPrintable(QString::number(i)));
}

void TestResources::cactiAndRemainsStandInTheirCells_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("cacti") << QStringLiteral(":/images/cacti.png");
    QTest::newRow("remains") << QStringLiteral(":/images/cacti_flat.png");
}

void TestResources::cactiAndRemainsStandInTheirCells() {
    QFETCH(QString, path);
    const QImage image = load(path);
    // Cells as the cactus cuts them: four 50 wide, then one 100 wide.
    const QList<QPair<int, int>> cells = {{0, 50}, {50, 50}, {100, 50}, {150, 50}, {200, 100}};
    for (const auto& [left, width] : cells)
        QVERIFY2(rowHasInk(image, image.height() - 1, left, width),
                 qPrintable(QString::number(left)));
}

void TestResources::pointerTipIsAtHotSpot() {
    const QImage image = load(QStringLiteral(":/images/cursor_point.png"));
    QVERIFY(qAlpha(image.pixel(6, 6)) > 200);
    // Nothing solid lies above or left of the tip's row and column.
    for (int i = 0; i < 6; ++i) {
        QVERIFY(qAlpha(image.pixel(i, 6)) < 255);
        QVERIFY(qAlpha(image.pixel(6, i)) < 255);
    }
}

void TestResources::crosshairIsCentredOnHotSpot() {
    const QImage image = load(QStringLiteral(":/images/cursor_aim.png"));
    const int c = image.width() / 2;
    QCOMPARE(c, 30);
    QCOMPARE(qAlpha(image.pixel(c, c)), 255);
    for (int k = 1; k < c; ++k) {
        QCOMPARE(qAlpha(image.pixel(c - k, c)), qAlpha(image.pixel(c + k, c)));
        QCOMPARE(qAlpha(image.pixel(c, c - k)), qAlpha(image.pixel(c, c + k)));
    }
}

void TestResources::digitsKeepAnInnerMargin() {
    // Digits are drawn touching each other, so each glyph keeps clear of its cell's sides.
    const QImage image = load(QStringLiteral(":/images/numbers.png"));
    for (int digit = 0; digit < 10; ++digit) {
        QCOMPARE(opaquePixels(image, QRect(digit * 45, 0, 4, 50)), 0);
        QCOMPARE(opaquePixels(image, QRect(digit * 45 + 41, 0, 4, 50)), 0);
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
