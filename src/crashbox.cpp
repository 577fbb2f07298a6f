#include "crashbox.h"

#include <array>

namespace {
bool segmentTouchesRect(const QLineF& line, const QRectF& r) {
    const std::array<QLineF, 4> sides = {
        QLineF(r.left(), r.top(), r.left() + r.width(), r.top()),
        QLineF(r.left() + r.width(), r.top(), r.left() + r.width(), r.top() + r.height()),
        QLineF(r.left() + r.width(), r.top() + r.height(), r.left(), r.top() + r.height()),
        QLineF(r.left(), r.top() + r.height(), r.left(), r.top()),
    };
    QPointF point;
    for (const QLineF& side : sides) {
        if (line.intersects(side, &point) == QLineF::BoundedIntersection)
            return true;
    }
    // A segment wholly inside crosses no side; one lying along a side is
    // parallel to it and is caught here too.
    return r.contains(line.p1()) && r.contains(line.p2());
}
} // namespace

CrashBox::CrashBox(QObject* parent) : QObject(parent) {}

CrashBox::CrashBox(const QRectF& rect, QObject* parent) : QObject(parent), m_rects{rect} {}

CrashBox::CrashBox(double x1, double y1, double x2, double y2, QObject* parent)
    : QObject(parent), m_rects{QRectF(x1, y1, x2 - x1, y2 - y1)} {}

void CrashBox::addRect(const QRectF& rect) {
    m_rects.append(rect);
}

void CrashBox::setRects(const QList<QRectF>& rects) {
    m_rects = rects;
}

void CrashBox::clear() {
    m_rects.clear();
}

bool CrashBox::intersects(const QRectF& rect) const {
    for (const QRectF& own : m_rects) {
        if (own.intersects(rect))
            return true;
    }
    return false;
}

bool CrashBox::intersects(const CrashBox& other) const {
    for (const QRectF& rect : other.m_rects) {
        if (intersects(rect))
            return true;
    }
    return false;
}

bool CrashBox::intersects(const QLineF& line) const {
    for (const QRectF& rect : m_rects) {
        if (segmentTouchesRect(line, rect))
            return true;
    }
    return false;
}
