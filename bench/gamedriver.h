#pragma once

#include "gameclock.h"

#include <QEvent>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class Widget;

// The real game window at a fixed 1920 x 1080 client area, in its own empty
// working directory, its clock played by hand (GameClock).
class GameDriver {
public:
    GameDriver();
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    Widget* widget() const { return m_widget.get(); }
    Widget* operator->() const { return m_widget.get(); }
    qint64 ticks() const { return m_ticks; }

    // Scripted upkeep run before every tick, off the clock (e.g. keeping the dinosaur alive).
    void setUpkeep(std::function<void()> upkeep) { m_upkeep = std::move(upkeep); }
    void tick();
    // Paints one whole frame through the window's own paint path into a
    // 1920 x 1080 premultiplied ARGB image, the raster format of a window surface.
    void paint();
    void frame();
    // Both return the wall time of the call in nanoseconds.
    qint64 timedTick();
    qint64 timedPaint();
    // The floor: one opaque and one translucent fill of the same image, the least
    // pixel work a DeadEye frame must do. Returns its wall time in nanoseconds.
    qint64 timedFloor();

    void pressKey(int key);
    void releaseKey(int key);
    void pressMouse(QPointF pos, Qt::MouseButton button);
    void releaseMouse(QPointF pos, Qt::MouseButton button);
    void clickButton(int id);

    bool reachMenu();
    bool startRun();
    // From a run, the pause screen or the win screen back to the menu, as a player would.
    bool returnToMenu();

private:
    void sendMouse(QEvent::Type type, QPointF pos, Qt::MouseButton button);
    void runTick();

    QTemporaryDir m_directory;
    QString m_previousDirectory;
    std::unique_ptr<Widget> m_widget;
    GameClock m_clock;
    QImage m_image;
    qint64 m_ticks = 0;
    Qt::MouseButtons m_heldButtons;
    std::function<void()> m_upkeep;
};
