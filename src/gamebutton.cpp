#include "gamebutton.h"

#include <QPainter>

namespace {
constexpr int kLowerPartDivisor = 3;
} // namespace

GameButton::GameButton(const QPixmap& image, QPointF pos, QObject* parent)
    : QObject(parent), m_pos(pos), m_image(image) {
    updateRect();
}

void GameButton::setPos(QPointF pos) {
    m_pos = pos;
    updateRect();
}

void GameButton::setBottomRight(QPointF point) {
    setPos(QPointF(point.x() - m_image.width(), point.y() - m_image.height()));
}

void GameButton::centerIn(QRect rect) {
    // Integer centre and integer halves, so buttons land on whole pixels.
    const QPoint center = rect.center();
    setPos(QPointF(center.x() - m_image.width() / 2, center.y() - m_image.height() / 2));
}

void GameButton::centerInLowerPart(QRect rect) {
    centerIn(rect);
    setPos(QPointF(m_pos.x(), m_pos.y() + rect.height() / kLowerPartDivisor));
}

void GameButton::centerInLeftHalf(QRect rect) {
    centerIn(QRect(rect.left(), rect.top(), rect.width() / 2, rect.height()));
}

void GameButton::centerInRightHalf(QRect rect) {
    const int half = rect.width() / 2;
    centerIn(QRect(QPoint(rect.left() + half, rect.top()),
                   QPoint(rect.left() + 2 * half - 1, rect.bottom())));
}

void GameButton::setImage(const QPixmap& image) {
    m_image = image;
    updateRect();
}

void GameButton::paint(QPainter& painter) const {
    if (m_visible)
        painter.drawPixmap(m_pos, m_image);
}

void GameButton::updateRect() {
    m_rect = QRectF(m_pos, QSizeF(m_image.size()));
}
