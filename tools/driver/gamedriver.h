#pragma once

#include "replay.h"
#include "widget.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

// Enters a directory for its own lifetime (a new temporary one unless one is
// given) and goes back to the previous one afterwards.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const QString& directory = QString());
    ~ScopedWorkingDirectory();
    QString path() const { return m_path; }
    bool isValid() const { return !m_path.isEmpty(); }

private:
    std::optional<QTemporaryDir> m_temporary;
    QString m_path;
    QString m_previous;
};

// Saved files by name, written into the working directory before the window is built.
using SavedFiles = QMap<QString, QByteArray>;
inline const SavedFiles kFirstStart;
// The marker the tutorial leaves: the story is skipped.
inline const SavedFiles kLaterStart = {{QStringLiteral("data_0"), "1"}};

// Drives the real game window by hand, for the tests, the soak, the benchmark
// and the screenshot tool. The window is built at a fixed client size in its
// own working directory; its clock does not follow the wall clock but moves
// one step (Widget::clock()) per frame stepped here, so nothing depends on
// wall time. Input goes through the window's own event handlers.
class GameDriver {
public:
    explicit GameDriver(const SavedFiles& files = kLaterStart, QSize clientSize = QSize(1920, 1080),
                        const QString& directory = QString());
    // A window playing `replay`, built over the saved files it started from.
    explicit GameDriver(const Replay& replay);
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    Widget* widget() const { return m_widget.get(); }
    Widget* operator->() const { return m_widget.get(); }
    QString directory() const { return m_directory.path(); }
    int stage() const { return m_widget->stage(); }
    // Frames stepped since the window was built.
    qint64 frames() const { return m_frames; }

    // Builds the window anew in the same directory, as the next program start would.
    void restart();

    // The timers of `count` frames, without painting.
    void step(int count = 1);
    // Paints one frame through the window's own paint path into a premultiplied
    // ARGB image, the raster format of a window surface; moving things at
    // `fraction` of the way from the last step's start to where it left them.
    const QImage& paint(double fraction = 1.0);
    // The image paint() paints into, for work of one's own at the same size.
    QImage& image() { return m_image; }
    // `count` frames as the running program plays them: the timers, then a
    // paint; each after the scripted upkeep, when one is set.
    void tick(int count = 1);
    // Holds the GUI thread for `ms` milliseconds, as a slow frame or a saved
    // file flushed to disk would.
    static void stall(int ms);
    // Scripted upkeep before every tick (e.g. keeping the dinosaur alive); every
    // helper below ticks through it.
    void setUpkeep(std::function<void()> upkeep) { m_upkeep = std::move(upkeep); }
    const std::function<void()>& upkeep() const { return m_upkeep; }

    void pressKey(int key);
    void releaseKey(int key);
    // A press, one frame, and a release.
    void tapKey(int key);
    void pressMouse(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    void releaseMouse(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    // A press, one frame, and a release: how a player clicks.
    void click(QPointF pos);
    // Clicks the centre of the current screen's button; false when there is none.
    bool clickButton(int id);

    // Walks to a stage as a player would, from wherever the window is: the
    // story only on a first start, game over through a death, the win screen
    // by beating a saucer left with no health. False when it cannot get there.
    bool reach(int stage);
    // From the menu: starts a run and lets the dinosaur land.
    bool startRun();
    // Ends a run holding `score` by a death: game over.
    bool dieInRun(int score);

private:
    void build();
    void sendMouse(int type, QPointF pos, Qt::MouseButton button);
    bool tickWhile(int limit, int stage);
    bool leaveStart();
    bool reachMenu();
    bool die();
    bool winRun();

    QSize m_size;
    ScopedWorkingDirectory m_directory;
    std::unique_ptr<Widget> m_widget;
    QImage m_image;
    qint64 m_frames = 0;
    Qt::MouseButtons m_heldButtons;
    std::function<void()> m_upkeep;
};
