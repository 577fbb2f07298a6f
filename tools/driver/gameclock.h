#pragma once

#include <QtGlobal>

class Widget;

// Plays the game's timers by hand for the programs that drive the real window
// (benchmark, soak, screenshots, end-to-end tests): the window's own timers are
// stopped, and every tick() is one 20 ms scene tick preceded by each slower slot
// that would have fired during those 20 ms, so all periodic work keeps its true
// ratio and nothing depends on the wall clock.
class GameClock {
public:
    explicit GameClock(Widget* widget = nullptr);

    // Takes over a (new) window and stops its timers; the clock runs on.
    void attach(Widget* widget);
    Widget* widget() const { return m_widget; }
    void tick();
    qint64 elapsedMs() const { return m_ms; }

private:
    int firedDuring(int intervalMs) const;

    Widget* m_widget = nullptr;
    qint64 m_ms = 0;
};
