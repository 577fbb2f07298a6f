// Draws the game's whole picture set and the desktop icons:
//   artgen <images directory> <icons directory>
// The pictures with writing are drawn twice: in Chinese into the images
// directory and in English into its en/ folder. The icons go to
// <icons directory>/<N>x<N>/brimtalon.png, one per hicolor theme size.
// Run it with QT_QPA_PLATFORM=offscreen; tools/make-art.sh does both.
#include "art.h"

#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

#include <functional>

namespace {

constexpr int kJpegQuality = 90;
constexpr int kWindowIconSize = 86;
constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

struct Picture {
    const char* name;
    QSize size;
    std::function<QImage()> draw;
};

// Pictures that carry writing, drawn once per language.
struct WrittenPicture {
    const char* name;
    QSize size;
    std::function<QImage(art::Language)> draw;
};

const QList<Picture>& pictures() {
    static const QList<Picture> list = {
        {"dino.png", {174, 94}, art::dinoSheet},
        {"dino_rush.png", {236, 59}, art::dinoLowSheet},
        {"gun_nocolor.png", {172, 43}, [] { return art::gunSheet(false); }},
        {"gun_color.png", {172, 43}, [] { return art::gunSheet(true); }},
        {"target.png", {72, 72}, art::target},
        {"cursor_point.png", {60, 62}, art::cursorPoint},
        {"cursor_aim.png", {60, 60}, art::cursorAim},
        {"cloud.png", {191, 55}, art::cloud},
        {"head_big.png", {309, 304}, art::headBig},
        {"cacti.png", {300, 87}, art::cactiSheet},
        {"cacti_flat.png", {300, 30}, art::cactiFlat},
        {"bird.png", {183, 80}, art::birdSheet},
        {"bird_dead.png", {91, 80}, art::birdDead},
        {"head_dead.png", {70, 70}, art::headDead},
        {"bombs.png", {900, 180}, [] { return art::explosionSheet(180, 3); }},
        {"heads.png", {1824, 75}, art::headSheet},
        {"ball.png", {76, 76}, art::ball},
        {"ufo.png", {322, 224}, art::ufo},
        {"ufo_unhealthy.png", {1288, 224}, art::ufoDamagedSheet},
        {"bombs_big.png", {1800, 360}, [] { return art::explosionSheet(360, 4); }},
        {"mk_fly.png", {600, 600}, art::mkFly},
        {"numbers.png", {455, 50}, art::numbers},
        {"icon.png", {kWindowIconSize, kWindowIconSize}, [] { return art::icon(kWindowIconSize); }},
    };
    return list;
}

const QList<WrittenPicture>& writtenPictures() {
    static const QList<WrittenPicture> list = {
        {"start.png", {158, 142}, art::startButton},
        {"restart.png", {158, 142}, art::restartButton},
        {"teach.png", {142, 63}, art::teachButton},
        {"upgrade.png", {142, 63}, art::upgradeButton},
        {"options.png", {142, 63}, art::optionsButton},
        {"quit.png", {99, 44}, art::quitButton},
        {"confirm.png", {99, 44}, art::confirmButton},
        {"pause.png", {99, 44}, art::pauseButton},
        {"home.png", {99, 44}, art::homeButton},
        {"guide.jpg", {1127, 711}, art::guide},
    };
    return list;
}

bool save(const QImage& image, const QString& path) {
    QImageWriter writer(path);
    if (path.endsWith(QLatin1String(".jpg"))) {
        writer.setFormat("jpeg");
        writer.setQuality(kJpegQuality);
        writer.setOptimizedWrite(false);
        writer.setProgressiveScanWrite(false);
        return writer.write(image.convertToFormat(QImage::Format_RGB32));
    }
    writer.setFormat("png");
    return writer.write(image.convertToFormat(QImage::Format_ARGB32));
}

// Writes one picture after checking its size; false (and a message) on failure.
bool write(const QImage& image, QSize expected, const QString& path) {
    QTextStream err(stderr);
    if (image.size() != expected) {
        err << path << ": drawn " << image.width() << "x" << image.height() << ", expected "
            << expected.width() << "x" << expected.height() << "\n";
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).path()) || !save(image, path)) {
        err << "cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: artgen <images directory> <icons directory>\n";
        return 2;
    }
    // Without the CJK font the button words would come out as empty boxes.
    const QFontInfo font(art::cjkFont(20));
    if (font.family() != QLatin1String("WenQuanYi Micro Hei")) {
        err << "font \"WenQuanYi Micro Hei\" not found (got \"" << font.family()
            << "\"); install fonts-wqy-microhei\n";
        return 1;
    }
    const QDir images(QString::fromLocal8Bit(argv[1]));
    const QDir icons(QString::fromLocal8Bit(argv[2]));
    int written = 0;
    int failures = 0;
    const auto tally = [&](bool ok) { ok ? ++written : ++failures; };
    for (const Picture& picture : pictures())
        tally(write(picture.draw(), picture.size, images.filePath(QLatin1String(picture.name))));
    for (const WrittenPicture& picture : writtenPictures()) {
        const QString name = QLatin1String(picture.name);
        tally(write(picture.draw(art::Language::Chinese), picture.size, images.filePath(name)));
        tally(write(picture.draw(art::Language::English), picture.size,
                    images.filePath(QStringLiteral("en/") + name)));
    }
    for (int size : kDesktopIconSizes)
        tally(write(art::icon(size), QSize(size, size),
                    icons.filePath(QStringLiteral("%1x%1/brimtalon.png").arg(size))));
    QTextStream(stdout) << written << " pictures written to " << images.path() << " and "
                        << icons.path() << "\n";
    return failures == 0 ? 0 : 1;
}
