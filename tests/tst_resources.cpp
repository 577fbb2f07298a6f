#include <QDir>
#include <QImageReader>
#include <QLocale>
#include <QtTest>

namespace {
// name, width, height, frames: the game cuts strips into width / frames columns.
struct Picture {
    const char* name;
    int width, height, frames;
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
    {"options.png", 142, 63, 1},
    {"quit.png", 99, 44, 1}, {"confirm.png", 99, 44, 1}, {"pause.png", 99, 44, 1},
    {"home.png", 99, 44, 1}, {"guide.jpg", 1127, 711, 1}, {"icon.png", 86, 86, 1},
};
// clang-format on

// The pictures with writing on them, which come in English too.
const QStringList kWritten = {"start.png", "restart.png", "teach.png", "upgrade.png", "options.png",
                              "quit.png",  "confirm.png", "pause.png", "home.png",    "guide.jpg"};

QImage load(const char* name) {
    return QImage(QStringLiteral(":/images/") + QLatin1String(name))
        .convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    // Strips are cut by dividing the width, so every frame of one must show something.
    void everyPictureAsListed() {
        QCOMPARE(QDir(":/images").entryList(QDir::Files).size(), qsizetype(std::size(kPictures)));
        for (const auto& [name, width, height, frames] : kPictures) {
            QImageReader reader(QStringLiteral(":/images/") + QLatin1String(name));
            QVERIFY2(reader.format() == (QByteArray(name).endsWith(".png") ? "png" : "jpeg"), name);
            const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(image.size() == QSize(width, height), name);
            for (int i = 0; i < frames && frames > 1; ++i) {
                const QImage frame = image.copy(i * (width / frames), 0, width / frames, height);
                bool drawn = false;
                for (int y = 0; y < height && !drawn; ++y)
                    for (int x = 0; x < frame.width() && !drawn; ++x)
                        drawn = qAlpha(frame.pixel(x, y)) > 127;
                QVERIFY2(drawn, name);
            }
        }
    }

    // German has no pictures of its own: the default set.
    void writingFollowsTheLocale() {
        const QLocale saved;
        for (const auto& [locale, english] :
             {std::pair{"C", false}, {"zh_CN", false}, {"en_US", true}, {"de_DE", false}}) {
            for (const Picture& picture : kPictures) {
                QLocale::setDefault(QLocale::c());
                const QImage chinese = load(picture.name);
                QLocale::setDefault(QLocale(locale));
                const QImage shown = load(picture.name);
                QLocale::setDefault(saved);
                QVERIFY2(shown.size() == chinese.size(), picture.name);
                QVERIFY2((shown != chinese) == (english && kWritten.contains(picture.name)),
                         qPrintable(QStringLiteral("%1 in %2").arg(picture.name, locale)));
            }
        }
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
