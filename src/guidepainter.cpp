#include "guidepainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kSingleCapWidth = GuidePainter::kKeySize;
constexpr int kNamedCapMinWidth = 72;
constexpr int kCapMargin = 36;
constexpr int kCapTextPixels = 20;
constexpr int kCapLetterPixels = 26;
constexpr int kSmallestPixels = 12;
constexpr int kSlashWidth = 24;
constexpr int kSlashGap = 32;
constexpr int kPairGap = 10;
constexpr int kRowRoom = GuidePainter::kCaptionLeft - GuidePainter::kLeftColumn - 6;
constexpr int kShadowDrop = 4;

// The largest size up to `pixels` at which the text fits `width`.
QFont fittedFont(const QString& text, int pixels, int width) {
    QFont font = GuidePainter::font(pixels);
    while (pixels > kSmallestPixels && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(--pixels);
    return font;
}
} // namespace

QFont GuidePainter::font(int pixelSize) {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void GuidePainter::chamferedBox(QPainter& painter, const QRect& rect, int step,
                                const QColor& colour) {
    painter.fillRect(rect.adjusted(2 * step, 0, -2 * step, 0), colour);
    painter.fillRect(rect.adjusted(step, step, -step, -step), colour);
    painter.fillRect(rect.adjusted(0, 2 * step, 0, -2 * step), colour);
}

void GuidePainter::panel(QPainter& painter, const QRect& rect, const QColor& face) {
    chamferedBox(painter, rect.translated(0, kShadowDrop), 3, kInkDark);
    chamferedBox(painter, rect, 3, kInk);
    chamferedBox(painter, rect.adjusted(3, 3, -3, -3), 3, face);
}

QRect GuidePainter::keyboardColumn(int rowCount) {
    return QRect(kLeftColumn, kFirstRowTop, kCaptionLeft + kCaptionRoom - kLeftColumn,
                 (rowCount - 1) * kRowHeight + kKeySize);
}

void GuidePainter::paintRows(QPainter& painter, const QList<Row>& rows, int captionPixels) {
    int y = kFirstRowTop;
    for (const Row& row : rows) {
        const int gaps = row.alternatives ? kSlashGap : kPairGap;
        const int count = int(row.caps.size());
        const int capRoom = count > 0 ? (kRowRoom - (count - 1) * gaps) / count : 0;
        int x = kLeftColumn;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && row.alternatives) {
                painter.setFont(font(kCapLetterPixels));
                painter.setPen(kInk);
                painter.drawText(QRect(x + 4, y, kSlashWidth, kKeySize - 4), Qt::AlignCenter,
                                 QStringLiteral("/"));
            }
            if (i > 0)
                x += gaps;
            x = paintCap(painter, x, y, row.caps.at(i), capRoom);
        }
        paintCaption(painter, y, row.caption, captionPixels);
        y += kRowHeight;
    }
}

// A letter sits on a square cap; a name gets a cap as wide as it needs, up
// to its share of the row. Returns the x just right of the cap.
int GuidePainter::paintCap(QPainter& painter, int x, int y, const QString& text, int maxWidth) {
    const bool letter = text.size() == 1;
    int width = kSingleCapWidth;
    QFont capFont = font(letter ? kCapLetterPixels : kCapTextPixels);
    if (!letter) {
        const int wanted = QFontMetrics(capFont).horizontalAdvance(text) + kCapMargin;
        width = std::clamp(wanted, kNamedCapMinWidth, std::max(kNamedCapMinWidth, maxWidth));
        capFont = fittedFont(text, kCapTextPixels, width - kCapMargin / 2);
    }
    const QRect cap(x, y, width, kKeySize - 4);
    panel(painter, cap, kPaper);
    painter.fillRect(cap.adjusted(9, 3, -9, -cap.height() + 6), Qt::white);
    painter.setFont(capFont);
    painter.setPen(kInkDark);
    painter.drawText(cap, Qt::AlignCenter, text);
    return x + width;
}

void GuidePainter::paintCaption(QPainter& painter, int y, const QString& text, int pixels) {
    painter.setFont(fittedFont(text, pixels, kCaptionRoom));
    painter.setPen(kInkDark);
    painter.drawText(QRect(kCaptionLeft, y, kCaptionWidth, kKeySize - 4),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
}
