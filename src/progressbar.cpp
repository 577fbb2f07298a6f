#include "progressbar.h"

#include <QBrush>
#include <QPainter>
#include <QPen>

namespace {
constexpr double kPanelBorderWidth = 3.0;
const QColor kPanelGrey(80, 80, 80);
const QColor kDefaultFill(0, 0, 0);
} // namespace

ProgressBar::ProgressBar(double width, double height, const QPointF& position, double borderWidth,
                         QObject* parent)
    : QObject(parent), m_fillColor(kDefaultFill), m_rect(position.x(), position.y(), width, height),
      m_position(position), m_borderWidth(borderWidth) {}

void ProgressBar::setProgress(double value) {
    if (value < 0.0) {
        m_progress = 0.0;
        return;
    }
    if (value >= 1.0) {
        // Every full value is announced, not just the first one.
        emit complete();
        m_progress = 1.0;
        return;
    }
    m_progress = value;
}

void ProgressBar::setRect(const QRectF& rect) {
    m_rect = rect;
    m_position = m_rect.topLeft();
}

void ProgressBar::setWidth(double width) {
    m_rect.setWidth(width);
    m_position = m_rect.topLeft();
}

void ProgressBar::setHeight(double height) {
    m_rect.setHeight(height);
    m_position = m_rect.topLeft();
}

void ProgressBar::setPosition(const QPointF& position) {
    m_rect.moveTopLeft(position);
    m_position = position;
}

void ProgressBar::centerIn(const QRect& rect) {
    m_rect.moveCenter(QPointF(rect.center()));
    m_position = m_rect.topLeft();
}

void ProgressBar::placeBelowCenter(const QRect& rect) {
    const QPoint center = rect.center();
    m_rect.moveTopLeft(QPointF(center.x() - m_rect.width() * 0.5, center.y()));
    m_position = m_rect.topLeft();
}

QRectF ProgressBar::fillRect() const {
    // The outline straddles rect's edge, so the fill starts half a pen inside.
    return QRectF(m_position.x() + 0.5 * m_borderWidth, m_position.y() + 0.5 * m_borderWidth,
                  (m_rect.width() - m_borderWidth) * m_progress, m_rect.height() - m_borderWidth);
}

void ProgressBar::paint(QPainter& painter) const {
    const QPen savedPen = painter.pen();
    const QBrush savedBrush = painter.brush();

    painter.setBrush(QBrush(m_fillColor));
    painter.setPen(Qt::NoPen);
    const QRectF fill = fillRect();
    painter.drawRects(&fill, 1);

    painter.setPen(QPen(m_borderColor, static_cast<int>(m_borderWidth)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRects(&m_rect, 1);

    painter.setBrush(savedBrush);
    painter.setPen(savedPen);
}

ProgressBar* ProgressBar::panelBar(double width, double height, int type, QObject* parent) {
    auto* bar = new ProgressBar(width, height, QPointF(0, 0), kPanelBorderWidth, parent);
    bar->type = type;
    return bar;
}

void ProgressBar::setGrey() {
    m_fillColor = kPanelGrey;
    m_borderColor = kPanelGrey;
}
