#include "focusframe.h"

#include "palette.h"

#include <QPainter>

namespace {
constexpr int kFramePenWidth = 4;
constexpr double kFrameGap = 4.0;
constexpr double kCornerSize = 10.0;
} // namespace

QRectF focusFrameRect(const QRectF& around) {
    return around.adjusted(-kFrameGap, -kFrameGap, kFrameGap, kFrameGap);
}

void paintFocusFrame(QPainter& painter, const QRectF& around) {
    const QRectF frame = focusFrameRect(around);
    painter.save();
    painter.setPen(QPen(kInkColor, kFramePenWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    const QSizeF corner(kCornerSize, kCornerSize);
    const QPointF half(kCornerSize / 2, kCornerSize / 2);
    for (const QPointF& point :
         {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()})
        painter.fillRect(QRectF(point - half, corner), kInkColor);
    painter.restore();
}
