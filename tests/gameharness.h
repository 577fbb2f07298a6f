#pragma once

#include "testsupport.h"
#include "widget.h"

#include <QPointF>
#include <QSize>

#include <memory>

// Builds the real game window at a fixed client size inside its own working
// directory, stops every timer among its children and lets a test drive the
// frame loop by hand.
class GameHarness {
public:
    explicit GameHarness(QSize clientSize = QSize(1920, 1040));
    ~GameHarness();

    Widget* widget() const { return m_widget.get(); }
    Widget* operator->() const { return m_widget.get(); }
    QString directory() const { return m_directory->path(); }

    // Rebuilds the window in the same directory, as a second program start would.
    void restart();

    void tick(int count = 1);
    // Stops the timers that objects created since the last call may have started.
    void stopTimers();
    // Ticks until the loading screen has moved on (at most `limit` ticks).
    bool finishLoading(int limit = 2000);
    // From a fresh start, gets to the menu (story and tutorial included on a first start).
    bool reachMenu();
    // Skips the first-start story, as a second program start does, and gets
    // to the menu with the dinosaur back home from the loading bar.
    bool reachMenuAsLaterStart();
    // Starts a run from the menu and lets the dinosaur land.
    bool startRun();
    // Starts a run from the menu, ends it holding `score` and dies: game over.
    bool dieInRun(int score);
    // From a later start, walks as a player would to stage 1, 2, 3, 4, 5, 7 or 8
    // (4 through a death, 5 through the boss system's win signal).
    bool reachStage(int stage);

    void pressKey(int key);
    void releaseKey(int key);
    // A press, one tick, and a release: a key tapped for one frame.
    void tapKey(int key);
    void pressMouse(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    void releaseMouse(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    // A press, one tick, and a release: how a player clicks a button.
    void click(QPointF pos);
    void clickButton(int id);
    // Paints one frame through the window's own paint path.
    void paint();

private:
    void build();

    QSize m_size;
    std::unique_ptr<ScopedWorkingDirectory> m_directory;
    std::unique_ptr<Widget> m_widget;
};
