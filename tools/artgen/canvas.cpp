#include "art.h"

namespace art {

namespace {

int ceilDiv(int value, int divisor) {
    return (value + divisor - 1) / divisor;
}

bool opaque(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    return qAlpha(image.pixel(x, y)) > 127;
}

} // namespace

QImage blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage gridFor(int width, int height, int scale) {
    return blank(ceilDiv(width, scale), ceilDiv(height, scale));
}

QImage upscale(const QImage& grid, int scale, int width, int height) {
    const QImage big = grid.scaled(grid.width() * scale, grid.height() * scale,
                                   Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return big.copy(0, big.height() - height, width, height);
}

QImage pixelArt(int width, int height, int scale, const std::function<void(QPainter&)>& draw) {
    QImage grid = gridFor(width, height, scale);
    {
        QPainter painter(&grid);
        draw(painter);
    }
    return upscale(grid, scale, width, height);
}

void fillSpans(QPainter& painter, const std::vector<Span>& spans, const QColor& colour, int dx,
               int dy) {
    for (const Span& span : spans)
        painter.fillRect(QRect(span.from + dx, span.row + dy, span.to - span.from + 1, 1), colour);
}

void cell(QPainter& painter, int x, int y, const QColor& colour) {
    painter.fillRect(QRect(x, y, 1, 1), colour);
}

void addOutline(QImage& grid, const QColor& colour, bool diagonals) {
    const QImage source = grid.copy();
    const QRgb rim = colour.rgba();
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            if (opaque(source, x, y))
                continue;
            bool touches = opaque(source, x - 1, y) || opaque(source, x + 1, y) ||
                           opaque(source, x, y - 1) || opaque(source, x, y + 1);
            if (diagonals)
                touches = touches || opaque(source, x - 1, y - 1) || opaque(source, x + 1, y - 1) ||
                          opaque(source, x - 1, y + 1) || opaque(source, x + 1, y + 1);
            if (touches)
                grid.setPixel(x, y, rim);
        }
    }
}

void hollow(QImage& grid, const QColor& inside) {
    const QImage source = grid.copy();
    const QRgb fill = inside.rgba();
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            if (opaque(source, x, y) && opaque(source, x - 1, y) && opaque(source, x + 1, y) &&
                opaque(source, x, y - 1) && opaque(source, x, y + 1))
                grid.setPixel(x, y, fill);
        }
    }
}

QImage strip(const QList<QImage>& frames, int totalWidth) {
    const int height = frames.isEmpty() ? 0 : frames.first().height();
    QImage sheet = blank(totalWidth, height);
    QPainter painter(&sheet);
    int x = 0;
    for (const QImage& frame : frames) {
        painter.drawImage(x, 0, frame);
        x += frame.width();
    }
    return sheet;
}

QString wording(Language language, const Words& words) {
    return QString::fromUtf8(language == Language::Chinese ? words.chinese : words.english);
}

QFont cjkFont(int pixelSize, bool bold) {
    QFont font = GuidePainter::font(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace art
