#pragma once

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

// A paint device that draws nothing and records every primitive with the pen,
// brush and font in force, so tests can check exact geometry and colours
// instead of guessing them back from rasterised pixels. Integer rectangles,
// lines and points and images reach it through the engine's own conversions.
struct PaintCall {
    enum Kind { Rect, Line, Pixmap, Text };
    Kind kind;
    QRectF rect;      // Rect: the rectangle; Pixmap: the target rectangle
    QLineF line;      // Line only
    QSize pixmapSize; // Pixmap only
    QString text;     // Text only: one laid-out piece
    QPen pen;
    QBrush brush;
    QFont font;
    QRectF textBox; // Text only: from the baseline start, its advance by ascent + descent
};

class RecordingPaintEngine : public QPaintEngine {
public:
    RecordingPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    QList<PaintCall> calls;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        m_pen = state.state() & DirtyPen ? state.pen() : m_pen;
        m_brush = state.state() & DirtyBrush ? state.brush() : m_brush;
        m_font = state.state() & DirtyFont ? state.font() : m_font;
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i)
            record(PaintCall::Rect).rect = rects[i];
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            record(PaintCall::Line).line = lines[i];
    }
    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF&) override {
        PaintCall& call = record(PaintCall::Pixmap);
        call.rect = target;
        call.pixmapSize = pixmap.size();
    }
    void drawTextItem(const QPointF& origin, const QTextItem& item) override {
        PaintCall& call = record(PaintCall::Text);
        call.text = item.text();
        call.textBox = QRectF(origin.x(), origin.y() - item.ascent(), item.width(),
                              item.ascent() + item.descent());
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}

private:
    PaintCall& record(PaintCall::Kind kind) {
        calls.append(PaintCall{kind, {}, {}, {}, {}, m_pen, m_brush, m_font, {}});
        return calls.last();
    }

    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
};

// An image only for its metrics (96 dpi, no device pixel ratio); its pixels stay untouched.
class RecordingPaintDevice : public QImage {
public:
    explicit RecordingPaintDevice(QSize size = QSize(1920, 1080))
        : QImage(size, QImage::Format_ARGB32_Premultiplied) {}

    QPaintEngine* paintEngine() const override { return &m_engine; }
    QList<PaintCall>& calls() { return m_engine.calls; }
    QList<PaintCall> callsOf(PaintCall::Kind kind) const {
        QList<PaintCall> result;
        for (const PaintCall& call : m_engine.calls) {
            if (call.kind == kind)
                result.append(call);
        }
        return result;
    }

private:
    mutable RecordingPaintEngine m_engine;
};
