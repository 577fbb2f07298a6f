#pragma once

#include <QLineF>
#include <QList>
#include <QObject>
#include <QRectF>

// The collision shape of one game object: rectangles in window coordinates.
class CrashBox : public QObject {
    Q_OBJECT
public:
    explicit CrashBox(QObject* parent = nullptr);
    CrashBox(const QRectF& rect, QObject* parent = nullptr);
    CrashBox(double x1, double y1, double x2, double y2, QObject* parent = nullptr);

    void addRect(const QRectF& rect);
    void setRects(const QList<QRectF>& rects);
    void clear();
    const QList<QRectF>& rects() const { return m_rects; }

    bool intersects(const QRectF& rect) const;
    bool intersects(const CrashBox& other) const;
    bool intersects(const QLineF& line) const;

private:
    QList<QRectF> m_rects;
};
