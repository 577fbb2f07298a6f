#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtTest>

namespace {

struct Picture {
    const char* name;
    int width;
    int height;
    int frames; // the game cuts strips into width / frames columns
};

// clang-format off
const Picture kPictures[] = {
    {"dino.png", 174, 94, 2}, {"dino_rush.png", 236, 59, 2}, {"gun_nocolor.png", 172, 43, 4},
    {"gun_color.png", 172, 43, 4}, {"target.png", 72, 72, 1}, {"cursor_point.png", 60, 62, 1},
    {"cursor_aim.png", 60, 60, 1}, {"cloud.png", 191, 55, 1}, {"head_big.png", 309, 304, 1},
    {"cacti.png", 300, 87, 1}, {"cacti_flat.png", 300, 30, 1}, {"bird.png", 183, 80, 2},
    {"bird_dead.png", 91, 80, 1}, {"head_dead.png", 70, 70, 1}, {"bombs.png", 900, 180, 5},
    {"heads.png", 1824, 75, 24}, {"ball.png", 76, 76, 1}, {"ufo.png", 322, 224, 1},
    {"ufo_unhealthy.png", 1288, 224, 4}, {"bombs_big.png", 1800, 360, 5},
    {"mk_fly.png", 600, 600, 1}, {"numbers.png", 455, 50, 10}, {"start.png", 158, 142, 1},
    {"restart.png", 158, 142, 1},
    {"teach.png", 142, 63, 1}, {"upgrade.png", 142, 63, 1}, {"quit.png", 99, 44, 1},
    {"confirm.png", 99, 44, 1}, {"pause.png", 99, 44, 1}, {"home.png", 99, 44, 1},
    {"guide.jpg", 1127, 711, 1}, {"icon.png", 86, 86, 1},
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
    void stripsCutIntoWholeCells();
    void feetTouchTheBottomEdge_data();
    void feetTouchTheBottomEdge();
    void cursorHotSpots();
};

void TestResources::loadsWithListedSize_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    for (const Picture& picture : kPictures)
        QTest::newRow(picture.name)
            << QStringLiteral(":/images/%1").arg(QLatin1String(picture.name))
            << QSize(picture.width, picture.height) << picture.frames;
}

void TestResources::loadsWithListedSize() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    const QPixmap pixmap(path);
    QVERIFY2(!pixmap.isNull(), qPrintable(path));
    QCOMPARE(pixmap.size(), size);

    QImageReader reader(path);
    const bool isPng = path.endsWith(QLatin1String(".png"));
    QCOMPARE(reader.format(), isPng ? QByteArray("png") : QByteArray("jpeg"));
    const QImage image = reader.read();
    QCOMPARE(image.hasAlphaChannel(), isPng);
    // Pictures are drawn over the scene, so their top-left corner shows the scene through.
    if (isPng)
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);

    // Every frame of a strip is drawn and differs from the one before.
    const QImage argb = load(path);
    const int frameWidth = size.width() / frames;
    QImage previous;
    for (int i = 0; i < frames && frames > 1; ++i) {
        const QImage frame = argb.copy(i * frameWidth, 0, frameWidth, argb.height());
        QVERIFY2(opaquePixels(frame, frame.rect()) > 0, qPrintable(QString::number(i)));
        QVERIFY2(i == 0 || frame != previous, qPrintable(QString::number(i)));
        previous = frame;
    }
}

void TestResources::collectionHoldsNothingElse() {
    QCOMPARE(QDir(QStringLiteral(":/images")).entryList(QDir::Files).size(),
             int(std::size(kPictures)));
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
        // Digits are drawn touching each other, so each glyph keeps clear of its cell's sides.
        QCOMPARE(opaquePixels(cells.last(), QRect(0, 0, 4, 50)), 0);
        QCOMPARE(opaquePixels(cells.last(), QRect(41, 0, 4, 50)), 0);
    }
    // Ten distinct glyphs: a shifted cut would repeat or split them.
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            QVERIFY(cells[a] != cells[b]);
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
    QCOMPARE(qAlpha(aim.pixel(30, 30)), 255);
    for (int k = 1; k < 30; ++k) {
        QCOMPARE(qAlpha(aim.pixel(30 - k, 30)), qAlpha(aim.pixel(30 + k, 30)));
        QCOMPARE(qAlpha(aim.pixel(30, 30 - k)), qAlpha(aim.pixel(30, 30 + k)));
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
