#pragma once

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <iterator>

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
};

class RecordingPaintEngine : public QPaintEngine {
public:
    RecordingPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    QList<PaintCall> calls;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen();
        if (state.state() & QPaintEngine::DirtyBrush)
            m_brush = state.brush();
        if (state.state() & QPaintEngine::DirtyFont)
            m_font = state.font();
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
    void drawTextItem(const QPointF&, const QTextItem& item) override {
        record(PaintCall::Text).text = item.text();
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}

private:
    PaintCall& record(PaintCall::Kind kind) {
        calls.append(PaintCall{kind, {}, {}, {}, {}, m_pen, m_brush, m_font});
        return calls.last();
    }

    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
};

class RecordingPaintDevice : public QPaintDevice {
public:
    explicit RecordingPaintDevice(QSize size = QSize(1920, 1080)) : m_size(size) {}

    QPaintEngine* paintEngine() const override { return &m_engine; }
    QList<PaintCall>& calls() { return m_engine.calls; }
    QList<PaintCall> callsOf(PaintCall::Kind kind) const {
        QList<PaintCall> result;
        std::copy_if(m_engine.calls.cbegin(), m_engine.calls.cend(), std::back_inserter(result),
                     [kind](const PaintCall& call) { return call.kind == kind; });
        return result;
    }

protected:
    // 96 dots per inch, 32 bits deep, no device pixel ratio.
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 960;
        case PdmHeightMM:
            return m_size.height() * 254 / 960;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 96;
        }
    }

private:
    QSize m_size;
    mutable RecordingPaintEngine m_engine;
};
