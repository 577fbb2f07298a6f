#include "animation.h"

#include <QRect>

namespace {
constexpr int kMinTicksPerFrame = 1;

// Frames already cut from a sheet, shared by every animation of the same picture
// and frame width: a hundred balls or heads in flight need one set of frames, not
// a hundred copies of it.
struct CutStrip {
    QPixmap sheet;
    double frameWidth;
    QList<QPixmap> frames;
};

QList<CutStrip>& cutStrips() {
    static QList<CutStrip> strips;
    return strips;
}

// A strip whose sheet nobody but this list holds any more (a one-off copy whose
// owner is gone) can never be asked for again.
void forgetUnusedStrips() {
    QList<CutStrip>& strips = cutStrips();
    strips.removeIf([](const CutStrip& strip) { return strip.sheet.isDetached(); });
}
} // namespace

Animation::Animation(const QPixmap& sheet, double frameWidth, int ticksPerFrame, QObject* parent)
    : QObject(parent), frameWidth(frameWidth), frameHeight(sheet.height()),
      ticksPerFrame(qMax(ticksPerFrame, kMinTicksPerFrame)), m_sheet(sheet) {
    // A zero or negative width would make the division meaningless; no caller
    // passes one, and such a strip simply has no frames.
    if (frameWidth > 0.0)
        frameCount = static_cast<int>(m_sheet.width() / frameWidth);

    m_frames = cutFrames();
}

// Cutting the strip once keeps play() free of pixel copies on every tick.
QList<QPixmap> Animation::cutFrames() const {
    const qint64 sheetKey = m_sheet.cacheKey();
    for (const CutStrip& strip : std::as_const(cutStrips())) {
        if (strip.sheet.cacheKey() == sheetKey && strip.frameWidth == frameWidth)
            return strip.frames;
    }
    const int cutCount = qMax(frameCount, 1);
    QList<QPixmap> frames;
    frames.reserve(cutCount);
    for (int i = 0; i < cutCount; ++i)
        frames.append(m_sheet.copy(frameRect(i)));
    forgetUnusedStrips();
    if (!m_sheet.isNull())
        cutStrips().append(CutStrip{m_sheet, frameWidth, frames});
    return frames;
}

QRect Animation::frameRect(int index) const {
    return QRect(static_cast<int>(index * frameWidth), 0, static_cast<int>(frameWidth),
                 static_cast<int>(frameHeight));
}

void Animation::setFrame(int index) {
    if (frameCount <= 0) {
        currentFrame = 0;
        return;
    }
    currentFrame = ((index % frameCount) + frameCount) % frameCount;
}

QPixmap Animation::play() {
    return takeFrame();
}

QPixmap Animation::takeFrame() {
    // currentFrame is public; an index written from outside still gets the
    // frame its rectangle describes.
    const QPixmap frame = (currentFrame >= 0 && currentFrame < m_frames.size())
                              ? m_frames.at(currentFrame)
                              : m_sheet.copy(frameRect(currentFrame));

    ++tickCount;
    if (tickCount >= ticksPerFrame) {
        tickCount = 0;
        currentFrame = frameCount > 0 ? (currentFrame + 1) % frameCount : 0;
    }
    return frame;
}

Effect::Effect(const QPixmap& sheet, double frameWidth, int ticksPerFrame, QObject* parent)
    : Animation(sheet, frameWidth, ticksPerFrame, parent) {}

QPixmap Effect::play() {
    const QPixmap frame = takeFrame();
    // Checked on every call: a slowed-down effect sitting on frame 0 keeps
    // announcing its end until it moves on.
    if (currentFrame == 0)
        emit end();
    return frame;
}

Animation* Animation::started(const QPixmap& sheet, double frameWidth, int ticksPerFrame,
                              QObject* parent, QPixmap* firstFrame) {
    auto* animation = new Animation(sheet, frameWidth, ticksPerFrame, parent);
    *firstFrame = animation->play();
    animation->setFrame(animation->currentFrame - 1);
    return animation;
}
