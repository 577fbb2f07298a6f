#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QLocale>
#include <QTest>

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
    {"restart.png", 158, 142, 1}, {"teach.png", 142, 63, 1}, {"upgrade.png", 142, 63, 1},
    {"quit.png", 99, 44, 1}, {"confirm.png", 99, 44, 1}, {"pause.png", 99, 44, 1},
    {"home.png", 99, 44, 1}, {"guide.jpg", 1127, 711, 1}, {"icon.png", 86, 86, 1},
};
// clang-format on

// The pictures with writing on them, which come in English too.
const QStringList kWritten = {"start.png",   "restart.png", "teach.png", "upgrade.png", "quit.png",
                              "confirm.png", "pause.png",   "home.png",  "guide.jpg"};

QImage load(const char* name) {
    return QImage(QStringLiteral(":/images/") + QLatin1String(name))
        .convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qAlpha(image.pixel(x, y)) > 127;
    return count;
}
} // namespace

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void everyPictureAsListed();
    void artworkDetailsTheCodeReliesOn();
    void writingFollowsTheLocale_data();
    void writingFollowsTheLocale();
};

void TestResources::everyPictureAsListed() {
    QCOMPARE(QDir(QStringLiteral(":/images")).entryList(QDir::Files).size(),
             int(std::size(kPictures)));
    for (const Picture& picture : kPictures) {
        const QString path = QStringLiteral(":/images/") + QLatin1String(picture.name);
        QImageReader reader(path);
        const bool png = path.endsWith(QLatin1String(".png"));
        QCOMPARE(reader.format(), QByteArray(png ? "png" : "jpeg"));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(image.size() == QSize(picture.width, picture.height), picture.name);
        // Pictures are drawn over the scene, so their corner shows the scene through.
        QVERIFY2(!png || qAlpha(image.pixel(0, 0)) == 0, picture.name);
        // Every frame of a strip is drawn and differs from the one before; the
        // columns that integer division leaves over stay empty.
        const int frameWidth = picture.width / picture.frames;
        for (int i = 0; i < picture.frames && picture.frames > 1; ++i) {
            const QImage frame = image.copy(i * frameWidth, 0, frameWidth, picture.height);
            QVERIFY2(opaquePixels(frame, frame.rect()) > 0, picture.name);
            QVERIFY2(i == 0 ||
                         frame != image.copy((i - 1) * frameWidth, 0, frameWidth, picture.height),
                     picture.name);
        }
        const int spare = picture.width - picture.frames * frameWidth;
        QVERIFY2(opaquePixels(image, QRect(picture.width - spare, 0, spare, picture.height)) == 0,
                 picture.name);
    }
}

void TestResources::artworkDetailsTheCodeReliesOn() {
    // Digits touch each other when drawn, so each glyph keeps clear of its cell's sides.
    const QImage digits = load("numbers.png");
    for (int digit = 0; digit < 10; ++digit) {
        QCOMPARE(opaquePixels(digits, QRect(digit * 45, 0, 4, 50)), 0);
        QCOMPARE(opaquePixels(digits, QRect(digit * 45 + 41, 0, 4, 50)), 0);
    }
    // Posture changes keep the bottom edge in place, and cacti stand on the ground:
    // every cell reaches the bottom row. Cacti are cut four 50 wide, then one 100.
    const QList<int> cactusCells = {0, 50, 100, 150, 200, 300};
    for (const auto& [name, edges] : {std::pair{"dino.png", QList<int>{0, 87, 174}},
                                      {"dino_rush.png", QList<int>{0, 118, 236}},
                                      {"cacti.png", cactusCells},
                                      {"cacti_flat.png", cactusCells}}) {
        const QImage image = load(name);
        for (int i = 0; i + 1 < edges.size(); ++i)
            QVERIFY2(opaquePixels(image,
                                  QRect(edges[i], image.height() - 1, edges[i + 1] - edges[i], 1)),
                     name);
    }
    // The pointer's tip is at (6, 6) with nothing solid above or left of it;
    // the crosshair is symmetric about its centre (30, 30).
    const QImage pointer = load("cursor_point.png");
    QVERIFY(qAlpha(pointer.pixel(6, 6)) > 200);
    for (int i = 0; i < 6; ++i)
        QVERIFY(qAlpha(pointer.pixel(i, 6)) < 255 && qAlpha(pointer.pixel(6, i)) < 255);
    const QImage aim = load("cursor_aim.png");
    QCOMPARE(qAlpha(aim.pixel(30, 30)), 255);
    for (int k = 1; k < 30; ++k) {
        QCOMPARE(qAlpha(aim.pixel(30 - k, 30)), qAlpha(aim.pixel(30 + k, 30)));
        QCOMPARE(qAlpha(aim.pixel(30, 30 - k)), qAlpha(aim.pixel(30, 30 + k)));
    }
}

void TestResources::writingFollowsTheLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("english");
    QTest::newRow("C") << "C" << false;
    QTest::newRow("zh_CN") << "zh_CN" << false;
    QTest::newRow("en_US") << "en_US" << true;
    QTest::newRow("de_DE") << "de_DE" << false; // no pictures of its own: the default set
}

void TestResources::writingFollowsTheLocale() {
    QFETCH(QString, locale);
    QFETCH(bool, english);
    const QLocale saved;
    for (const Picture& picture : kPictures) {
        QLocale::setDefault(QLocale::c());
        const QImage chinese = load(picture.name);
        QLocale::setDefault(QLocale(locale));
        const QImage shown = load(picture.name);
        QLocale::setDefault(saved);
        QVERIFY2(shown.size() == chinese.size(), picture.name);
        QVERIFY2((shown != chinese) == (english && kWritten.contains(picture.name)), picture.name);
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
