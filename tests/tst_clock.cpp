#include "testsupport.h"

#include "gameclock.h"

class ClockTest : public QObject {
    Q_OBJECT
private slots:
    // A 30 ms timer in 20 ms steps fires whenever a multiple of 30 ms is passed;
    // starting again begins a new phase, stopping silences it.
    void stepTimerPhase() {
        StepTimer timer;
        timer.start(30);
        QSignalSpy fired(&timer, &StepTimer::timeout);
        QList<int> steps;
        for (int step = 1; step <= 6; ++step) {
            const qsizetype before = fired.count();
            timer.advance(GameClock::kStepMs);
            if (fired.count() > before)
                steps << step;
        }
        QCOMPARE(steps, QList<int>({2, 3, 5, 6}));
        timer.advance(10);
        timer.start();
        timer.advance(20);
        timer.stop();
        timer.advance(20);
        QVERIFY(fired.count() == 4 && !timer.isActive());
    }

    // Wall time decides how many steps are due: five at most, the rest is let go.
    void catchUpLimit() {
        GameClock clock;
        constexpr qint64 ms = 1000000;
        QList<int> run;
        for (qint64 wall : {19 * ms, 20 * ms, 59 * ms, 200 * ms, 210 * ms, 221 * ms})
            run << clock.catchUp(wall);
        QVERIFY(run == QList<int>({0, 1, 1, 5, 0, 1}) && clock.steps() == 8);
        QCOMPARE(clock.fraction(230 * ms), 0.5);
        // A slower game stretches each step of wall time.
        clock.setStepLength(40.0);
        QVERIFY(clock.catchUp(259 * ms) == 0 && clock.catchUp(260 * ms) == 1);
    }
};

QTEST_MAIN(ClockTest)
#include "tst_clock.moc"
