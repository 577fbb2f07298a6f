#pragma once

#include <QColor>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QRectF>

class QPainter;

// An outlined rectangle filled from the left by a fraction within 0 ... 1.
class ProgressBar : public QObject {
    Q_OBJECT
public:
    ProgressBar(double width, double height, const QPointF& position, double borderWidth,
                QObject* parent = nullptr);

    // A bar of the status panel: a 3 px outline, tagged with its BarType.
    static ProgressBar* panelBar(double width, double height, int type, QObject* parent);

    // Written by the owners right after construction to tell the bars apart
    // (BarType). Nothing depends on it.
    int type = 0;

    void setProgress(double value);
    double progress() const { return m_progress; }

    void setBorderColor(const QColor& color) { m_borderColor = color; }
    QColor borderColor() const { return m_borderColor; }
    void setFillColor(const QColor& color) { m_fillColor = color; }
    QColor fillColor() const { return m_fillColor; }
    void setBorderWidth(double width) { m_borderWidth = width; }
    double borderWidth() const { return m_borderWidth; }
    // The status panel's grey, fill and outline alike.
    void setGrey();

    void setRect(const QRectF& rect);
    QRectF rect() const { return m_rect; }
    void setWidth(double width);
    void setHeight(double height);
    double width() const { return m_rect.width(); }
    double height() const { return m_rect.height(); }
    void setPosition(const QPointF& position);
    QPointF position() const { return m_position; }

    void centerIn(const QRect& rect);
    void placeBelowCenter(const QRect& rect);

    void paint(QPainter& painter) const;

signals:
    void complete();

private:
    QRectF fillRect() const;

    double m_progress = 0.0;
    QColor m_borderColor;
    QColor m_fillColor;
    QRectF m_rect;
    QPointF m_position;
    double m_borderWidth;
};
