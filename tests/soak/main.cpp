// brimtalon_soak TICKS [SEED]: the real window, offscreen, played by the game
// driver under seeded random keys and clicks aimed at each screen's buttons,
// its invariants checked after every tick. The first broken one exits non-zero.

#include "testsupport.h"

#include "environmentobject.h"
#include "gametext.h"
#include "ground.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <bitset>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {
constexpr QSize kWindowSize(1280, 720);
// A soak this long must have seen every stage, a win, a death, a pause, a
// purchase and a program restart.
constexpr qint64 kCoverageFrom = 50000;
// What the game may hold at any moment; game over keeps the menu's four
// buttons hidden next to its own.
constexpr int kStageCount = 9, kMaxCacti = 3, kMaxBirds = 4, kListBound = 500, kMaxButtons = 5;
constexpr int kRunsBeforeQuit = 5;
// A key, its chance in a tick and for how long it is held; the game ignores the last five.
struct KeyHabit {
    int key;
    double chance;
    int ticks;
};
constexpr KeyHabit kKeyHabits[] = {
    {Qt::Key_W, 0.028, 12},     {Qt::Key_Space, 0.012, 12}, {Qt::Key_S, 0.015, 40},
    {Qt::Key_A, 0.015, 60},     {Qt::Key_D, 0.015, 60},     {Qt::Key_F, 0.004, 5},
    {Qt::Key_Escape, 0.002, 1}, {Qt::Key_Q, 0.002, 1},      {Qt::Key_Return, 0.002, 1},
    {Qt::Key_Tab, 0.002, 1},    {Qt::Key_Up, 0.002, 1},     {Qt::Key_F1, 0.002, 1}};

// The objects under the window that stay whatever happens on screen: all but
// the buttons, obstacles, grounds, clouds, bullets, the saucer with its
// projectiles and the story texts, which come and go.
int fixedObjects(const Widget& w) {
    int count = int(w.findChildren<QObject*>().size());
    const auto drop = [&count](const QObject* o) {
        count -= o ? 1 + int(o->findChildren<QObject*>().size()) : 0;
    };
    const auto dropAll = [&drop](const auto&... lists) {
        (std::for_each(lists.cbegin(), lists.cend(), drop), ...);
    };
    for (const Ground* ground : w.environment()->grounds())
        drop(ground && ground->parent() == w.environment() ? ground : nullptr);
    dropAll(w.buttons(), w.cactusList(), w.birdList(), w.environment()->clouds(),
            w.bulletSystem()->bullets(), w.monsterSystem()->heads(), w.monsterSystem()->balls());
    drop(w.monsterSystem()->monster());
    drop(w.textList());
    return count;
}

// What QTextStream << int writes, or nothing at all for the marker.
bool wellFormed(const QString& name) {
    static const QRegularExpression number(QStringLiteral("^(0|-?[1-9][0-9]*)$"));
    return number.match(QString::fromLatin1(readFile(name))).hasMatch() ||
           (name == "data_0" && !QFile::exists(name));
}

// The game logs on every death and on quitting; a long soak would drown in it.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && !message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

class Soak {
public:
    explicit Soak(quint32 seed) : m_random(seed) {}

    // The quit button ends the program; the player starts it again, now and
    // then as a first start.
    bool run(qint64 ticks) {
        startProgram(false);
        while (m_failure.isEmpty() && m_ticks < ticks) {
            if (tick() && m_quitClicked)
                startProgram(chance(0.3));
        }
        release(true);
        return m_failure.isEmpty();
    }

    bool covered() const {
        return m_stages.all() && m_wins > 0 && m_deaths > 0 && m_purchases > 0 && m_starts > 1;
    }

    void printSummary(qint64 elapsedMs) const {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("soak: %lld ticks in %.1f s: %d program starts, %d runs, %d wins, %d deaths, "
                    "%d purchases, %zu of %d stages, peak memory %ld KiB\n",
                    m_ticks, elapsedMs / 1000.0, m_starts, m_runs, m_wins, m_deaths, m_purchases,
                    m_stages.count(), kStageCount, usage.ru_maxrss);
    }

    QString failure() const { return m_failure; }

private:
    // Built anew in the same working directory: what the last program saved is read back.
    void startProgram(bool forgetStory) {
        release(true);
        if (forgetStory)
            QFile::remove("data_0");
        if (m_starts++ > 0)
            m_game.restart();
        const Widget& w = *m_game.widget();
        QObject::connect(w.monsterSystem(), &MonsterSystem::gameWin, [this] { ++m_wins; });
        m_quitClicked = false;
        m_quitAtRuns = m_runs + kRunsBeforeQuit;
        m_fixedObjects = m_fixedObjects < 0 ? fixedObjects(w) : m_fixedObjects;
        if (w.readEssence() != m_bank || w.character()->level() != m_level)
            fail("a restart reads another bank or level");
    }

    bool tick() {
        const Widget& w = *m_game.widget();
        const int stageBefore = w.stage();
        release(false);
        act();
        m_game.tick();
        ++m_ticks;
        const int stage = w.stage();
        m_stages.set(size_t(stage));
        if (stage != stageBefore) {
            m_nextAction = m_ticks + randomInt(3, 60); // the player looks at the new screen
            m_deaths += stage == Stage::GameOver;
            if (stageBefore == Stage::Menu && stage == Stage::Run) {
                ++m_runs;
                m_bossRun = chance(0.4);
            }
        }
        return check(stageBefore);
    }

    // ------------------------------------------------------------ input

    void act() {
        for (const KeyHabit& habit : kKeyHabits) {
            if (chance(habit.chance))
                hold(habit.key, randomInt(1, habit.ticks));
        }
        if (chance(0.002)) // a stray click anywhere
            hold(-Qt::LeftButton, 1, QPointF(randomInt(0, 1279), randomInt(0, 719)));
        const int stage = m_game.stage();
        if (m_ticks < m_nextAction || m_held.contains(-Qt::LeftButton) || stage == Stage::Loading ||
            stage == Stage::Story)
            return;
        if (stage == Stage::Run)
            return playRun();
        // The menu mostly starts a run and quits after a few; a pause mostly
        // continues (a boss run always); the upgrade screen buys when it can.
        const int pick = randomInt(1, 100);
        const GameButton* confirm = m_game->button(ButtonId::Confirm);
        int id = stage == Stage::Tutorial ? ButtonId::Start : ButtonId::Restart;
        if (stage == Stage::Menu)
            id = pick > 95 || m_runs >= m_quitAtRuns ? ButtonId::Quit
                 : pick <= 60                        ? ButtonId::Start
                 : pick <= 85                        ? ButtonId::Upgrade
                                                     : ButtonId::Teach;
        else if (stage == Stage::Pause)
            id = m_bossRun || pick <= 80 ? ButtonId::Continue : ButtonId::Home;
        else if (stage == Stage::Upgrade)
            id = confirm && confirm->isVisible() && pick <= 80 ? ButtonId::Confirm : ButtonId::Quit;
        if (const GameButton* button = m_game->button(id))
            hold(-Qt::LeftButton, 1, button->rect().center());
        m_quitClicked = stage == Stage::Menu && id == ButtonId::Quit;
        m_nextAction = m_ticks + randomInt(2, 10);
    }

    // Slow motion now and then, and in it shots at the first obstacle ahead; in
    // a boss run at the saucer, which is called at once, cannot hurt the
    // dinosaur and comes weakened, so that a fight takes seconds.
    void playRun() {
        Widget& w = *m_game.widget();
        MonsterSystem* boss = w.monsterSystem();
        if (m_bossRun) {
            w.character()->setInvincible(true);
            if (boss->state() == BossState::Waiting)
                w.scoreBoard()->setScore(std::max(w.scoreBoard()->score(), boss->startScore()));
            if (boss->monster() && boss->monster()->health() > 80)
                boss->monster()->setHealth(randomInt(20, 80));
        }
        if (chance(0.001))
            hold(-Qt::LeftButton, 1, w.button(ButtonId::Pause)->rect().center());
        const Monster* saucer = boss->monster();
        const bool fight = m_bossRun && saucer && !saucer->isEntering();
        const auto ahead = std::find_if(w.cactusList().cbegin(), w.cactusList().cend(),
                                        [&w](Obstacle* o) { return o->active; });
        QPointF target = ahead == w.cactusList().cend() ? QPointF(randomInt(0, 1279), 100)
                                                        : (*ahead)->pos() + QPointF(20, 20);
        if (fight)
            target = saucer->pos() + QPointF(saucer->frameWidth(), saucer->frameHeight()) / 2;
        const bool rightHeld = w.isMouseButtonHeld(Qt::RightButton);
        if (!rightHeld && w.deadEye()->energy() > 2.0 && chance(fight ? 1.0 : 0.01))
            hold(-Qt::RightButton, randomInt(fight ? 40 : 10, fight ? 200 : 150), target);
        else if (rightHeld && w.deadEye()->isActive() && chance(fight ? 0.5 : 0.2))
            hold(-Qt::LeftButton, 1, target);
    }

    // Keys are held under their key code, mouse buttons under minus theirs,
    // each until its tick has come.
    void hold(int what, int ticks, QPointF pos = {}) {
        if (m_held.contains(what))
            return;
        what > 0 ? m_game.pressKey(what) : m_game.pressMouse(pos, Qt::MouseButton(-what));
        m_held.insert(what, {m_ticks + ticks, pos});
    }

    void release(bool everything) {
        for (auto it = m_held.begin(); it != m_held.end();) {
            if (!everything && it->first > m_ticks) {
                ++it;
                continue;
            }
            it.key() > 0 ? m_game.releaseKey(it.key())
                         : m_game.releaseMouse(it->second, Qt::MouseButton(-it.key()));
            it = m_held.erase(it);
        }
    }

    int randomInt(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p; }

    // ------------------------------------------------------------ checks

    bool fail(const QString& what) {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("tick %1: %2").arg(m_ticks).arg(what);
        return false;
    }

    // The bank rises only when a run ends and falls only when a level is
    // bought, which it always pays for; the level in play is the saved one.
    // The amounts are the suites'.
    bool check(int stageBefore) {
        const Widget& w = *m_game.widget();
        const int stage = w.stage();
        const BulletSystem& gun = *w.bulletSystem();
        const MonsterSystem& boss = *w.monsterSystem();
        if (stage < 0 || stage >= kStageCount || w.cactusList().size() > kMaxCacti ||
            w.birdList().size() > kMaxBirds || gun.bulletCount() < 0 ||
            gun.bulletCount() > gun.capacity())
            return fail("stage, obstacles or magazine out of range");
        if (gun.bullets().size() >= kListBound || boss.heads().size() >= kListBound ||
            boss.balls().size() >= kListBound || w.buttons().size() > kMaxButtons ||
            fixedObjects(w) != m_fixedObjects)
            return fail("objects grow, leak or get lost");
        if (stage == Stage::Menu && stageBefore != Stage::Menu &&
            (!gun.bullets().isEmpty() || boss.monster() || !boss.heads().isEmpty() ||
             !boss.balls().isEmpty()))
            return fail("the menu still holds the last run's objects");
        if (!wellFormed("game_score.txt") || !wellFormed("data_1") || !wellFormed("data_0"))
            return fail("a saved file does not hold its number");
        const int bank = readFile("game_score.txt").toInt();
        const bool ended =
            stage != stageBefore &&
            (stage == Stage::GameOver || stage == Stage::Win || stageBefore == Stage::Pause);
        const bool bought = w.character()->level() > m_level;
        if (bought ? bank >= m_bank : bank < m_bank || (bank > m_bank && !ended))
            return fail(QStringLiteral("the bank went from %1 to %2").arg(m_bank).arg(bank));
        m_purchases += bought;
        m_bank = bank;
        m_level = readFile("data_1").toInt();
        return m_level == w.character()->level() || fail("the level in play is not the saved one");
    }

    std::mt19937 m_random;
    GameDriver m_game{{{"game_score.txt", "20000"}}, kWindowSize}; // pays for many upgrades
    QString m_failure;
    QMap<int, std::pair<qint64, QPointF>> m_held;
    qint64 m_ticks = 0, m_nextAction = 0;
    int m_starts = 0, m_runs = 0, m_wins = 0, m_deaths = 0, m_purchases = 0, m_quitAtRuns = 0;
    std::bitset<kStageCount> m_stages;
    int m_fixedObjects = -1, m_bank = 20000, m_level = 1;
    bool m_bossRun = false, m_quitClicked = false;
};
} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qInstallMessageHandler(quietHandler);
    bool ticksOk = true, seedOk = true;
    const qint64 ticks = argc > 1 ? QByteArray(argv[1]).toLongLong(&ticksOk) : kCoverageFrom;
    const quint32 seed = argc > 2 ? QByteArray(argv[2]).toUInt(&seedOk) : 1;
    if (!ticksOk || !seedOk || ticks < 1 || argc > 3) {
        std::fprintf(stderr, "usage: brimtalon_soak TICKS [SEED]\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    Soak soak(seed);
    const bool ok = soak.run(ticks);
    soak.printSummary(clock.elapsed());
    if (!ok || (ticks >= kCoverageFrom && !soak.covered())) {
        std::fprintf(stderr, "soak FAILED (seed %u): %s\n", seed,
                     ok ? "not every stage, win, death, purchase and restart happened"
                        : qPrintable(soak.failure()));
        return 1;
    }
    std::printf("soak passed (seed %u)\n", seed);
    return 0;
}
