#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QRect>

// A horizontal sprite strip cut into equally wide frames; play() hands out
// the current frame and advances after ticksPerFrame calls.
class Animation : public QObject {
    Q_OBJECT
public:
    Animation(const QPixmap& sheet, double frameWidth, int ticksPerFrame,
              QObject* parent = nullptr);

    void setFrame(int index);
    // A new animation that already shows its first frame in *firstFrame: taken
    // with play(), then stepped back so the next play() shows it again.
    static Animation* started(const QPixmap& sheet, double frameWidth, int ticksPerFrame,
                              QObject* parent, QPixmap* firstFrame);
    const QPixmap& sheet() const { return m_sheet; }

    // Owners read the frame geometry and counters directly, and the window's
    // animation clock rewrites ticksPerFrame.
    double frameWidth;
    double frameHeight;
    int currentFrame = 0;
    int frameCount = 0;
    int ticksPerFrame = 1;
    int tickCount = 0;

public slots:
    QPixmap play();

protected:
    // Returns the frame shown by this call and advances the counters.
    QPixmap takeFrame();

private:
    QRect frameRect(int index) const;
    QList<QPixmap> cutFrames() const;

    QPixmap m_sheet;
    QList<QPixmap> m_frames;
};

// An Animation that announces, through end(), that it is back on its first frame.
class Effect : public Animation {
    Q_OBJECT
public:
    Effect(const QPixmap& sheet, double frameWidth, int ticksPerFrame, QObject* parent = nullptr);

public slots:
    // Hides Animation::play on purpose: the caller's static type chooses.
    QPixmap play();

signals:
    void end();
};
