#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QRectF>

class QPainter;

// A clickable picture; the window keeps the buttons and hit-tests them itself.
class GameButton : public QObject {
    Q_OBJECT
public:
    GameButton(const QPixmap& image, QPointF pos, QObject* parent = nullptr);

    // What the button does; written by the window right after construction.
    int id = 0;

    QPointF pos() const { return m_pos; }
    void setPos(QPointF pos);
    void setBottomRight(QPointF point);
    void centerIn(QRect rect);
    void centerInLowerPart(QRect rect);
    void centerInLeftHalf(QRect rect);
    void centerInRightHalf(QRect rect);

    QPixmap image() const { return m_image; }
    void setImage(const QPixmap& image);
    QRectF rect() const { return m_rect; }

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }

    void paint(QPainter& painter) const;

private:
    void updateRect();

    QPointF m_pos;
    QPixmap m_image;
    QRectF m_rect;
    bool m_visible = true;
};
