// brimtalon_soak TICKS [SEED]: the real window, offscreen, played by the game
// driver under seeded random keys and clicks aimed at each screen's buttons.
// The first broken invariant exits non-zero.

#include "testsupport.h"

#include "environmentobject.h"
#include "gametext.h"
#include "ground.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QRegularExpression>

#include <bitset>
#include <climits>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {
constexpr QSize kWindowSize(1280, 720);
// A soak this long must have seen every stage, a win, a death, a pause, a
// purchase and a program restart.
constexpr qint64 kDefaultTicks = 50000, kCoverageFrom = 50000;
// What the game may hold at any moment; game over keeps the menu's four
// buttons hidden next to its own.
constexpr int kStageCount = 9, kMaxCacti = 3, kMaxBirds = 4, kListBound = 500, kMaxButtons = 5;
constexpr double kBossRunShare = 0.4;
constexpr int kRunsBeforeQuit = 5, kWeakSaucerMin = 20, kWeakSaucerMax = 80;
// How many ticks the player looks at each screen before acting.
constexpr int kWaitRange[kStageCount][2] = {{0, 0},    {5, 60}, {0, 0},  {3, 80}, {10, 100},
                                            {50, 300}, {0, 0},  {5, 40}, {2, 30}};
// What the player's fingers do on every screen: a key, its chance in a tick,
// and for how many ticks it is held. The last five keys the game ignores.
struct KeyHabit {
    int key;
    double chance;
    int minTicks, maxTicks;
};
constexpr KeyHabit kKeyHabits[] = {
    {Qt::Key_W, 0.028, 1, 12},     {Qt::Key_Space, 0.012, 1, 12}, {Qt::Key_S, 0.015, 3, 40},
    {Qt::Key_A, 0.015, 5, 60},     {Qt::Key_D, 0.015, 5, 60},     {Qt::Key_F, 0.004, 1, 5},
    {Qt::Key_Escape, 0.002, 1, 1}, {Qt::Key_Q, 0.002, 1, 1},      {Qt::Key_Return, 0.002, 1, 1},
    {Qt::Key_Tab, 0.002, 1, 1},    {Qt::Key_Up, 0.002, 1, 1},     {Qt::Key_F1, 0.002, 1, 1}};

const QString kScoreFile = QStringLiteral("game_score.txt");
const QString kMarkerFile = QStringLiteral("data_0");
constexpr int kStartBank = 20000; // pays for a good number of upgrades

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

// Whether a saved file holds exactly what QTextStream << int writes.
bool readWellFormed(const QString& name, int* value) {
    static const QRegularExpression number(QStringLiteral("^(0|-?[1-9][0-9]*)$"));
    const QString content = QString::fromLatin1(readFile(name));
    bool ok = false;
    *value = content.toInt(&ok);
    return ok && number.match(content).hasMatch();
}

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// The game logs on every death and on quitting; a long soak would drown in it.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && !message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

class Soak {
public:
    explicit Soak(quint32 seed) : m_random(seed) {}

    bool run(qint64 ticks) {
        startProgram(false); // a first start: story and tutorial
        while (m_failure.isEmpty() && m_ticks < ticks) {
            // The quit button ends the program; the player starts it again,
            // now and then as a first start.
            if (tick() && m_quitClicked)
                startProgram(chance(0.3));
        }
        if (m_failure.isEmpty() && fixedObjects(*m_game.widget()) != m_fixedObjects)
            fail("fixed objects changed by the end");
        release(true);
        return m_failure.isEmpty();
    }

    bool coverageComplete() const {
        return m_stages.all() && m_wins > 0 && m_deaths > 0 && m_pauses > 0 && m_purchases > 0 &&
               m_runs > 1 && m_starts > 1;
    }

    void printSummary(qint64 elapsedMs) const {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("soak: %lld ticks in %.1f s: %d program starts, %d runs, %d wins, %d deaths, "
                    "%d pauses, %d purchases, %zu of %d stages, bank %d, level %d, peak memory "
                    "%ld KiB\n",
                    m_ticks, elapsedMs / 1000.0, m_starts, m_runs, m_wins, m_deaths, m_pauses,
                    m_purchases, m_stages.count(), kStageCount, m_bank, m_level, usage.ru_maxrss);
    }

    QString failure() const { return m_failure; }

private:
    // The window is built anew in the same working directory, so whatever the
    // last program saved is read back.
    void startProgram(bool forgetStory) {
        release(true);
        if (forgetStory)
            QFile::remove(kMarkerFile);
        if (m_starts++ > 0)
            m_game.restart();
        const Widget& w = *m_game.widget();
        QObject::connect(w.monsterSystem(), &MonsterSystem::gameWin, [this] { ++m_winsThisTick; });
        m_stages.set(size_t(w.stage()));
        m_nextAction = m_ticks;
        m_quitClicked = false;
        m_quitAtRuns = m_runs + kRunsBeforeQuit;
        m_fixedObjects = m_fixedObjects < 0 ? fixedObjects(w) : m_fixedObjects;
        if (fixedObjects(w) != m_fixedObjects || w.readEssence() != m_bank ||
            w.character()->level() != m_level)
            fail("a restart holds other fixed objects or reads another bank or level");
    }

    bool tick() {
        const Widget& w = *m_game.widget();
        const int stageBefore = w.stage(), scoreBefore = w.scoreBoard()->score();
        const int levelBefore = w.character()->level(), shownBefore = w.essenceDisplay()->number();
        m_winsThisTick = 0;
        release(false);
        act();
        m_game.tick();
        ++m_ticks;
        m_wins += m_winsThisTick;
        const int stage = w.stage();
        if (stage != stageBefore) {
            m_stages.set(size_t(stage));
            m_nextAction = m_ticks + randomInt(kWaitRange[stage][0], kWaitRange[stage][1]);
            m_pauses += stage == Stage::Pause;
            m_deaths += stage == Stage::GameOver;
            if (stageBefore == Stage::Menu && stage == Stage::Run) {
                ++m_runs;
                m_bossRun = chance(kBossRunShare);
                m_saucerWeakened = false;
            }
            // Slow motion held out of a run is let go soon after.
            if (stageBefore == Stage::Run && m_held.contains(-Qt::RightButton))
                m_held[-Qt::RightButton].until = m_ticks + randomInt(0, 20);
        }
        return check(stageBefore, scoreBefore, levelBefore, shownBefore);
    }

    // ------------------------------------------------------------ input

    void act() {
        for (const KeyHabit& habit : kKeyHabits) {
            if (chance(habit.chance))
                hold(habit.key, randomInt(habit.minTicks, habit.maxTicks));
        }
        if (chance(0.002)) // a stray click anywhere
            click(QPointF(randomInt(-20, kWindowSize.width() + 20),
                          randomInt(-20, kWindowSize.height() + 20)));
        const int stage = m_game.stage();
        if (m_ticks < m_nextAction || m_held.contains(-Qt::LeftButton) || stage == Stage::Loading ||
            stage == Stage::Story)
            return;
        if (stage == Stage::Run)
            return playRun();
        // The menu mostly starts a run and quits at the latest after
        // kRunsBeforeQuit of them, a pause mostly continues (a boss run is
        // played out to its win), the upgrade screen buys when it shows the
        // confirm button; the other screens have one way on.
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
        m_quitClicked = clickButton(id) && stage == Stage::Menu && id == ButtonId::Quit;
        m_nextAction = m_ticks + randomInt(2, 10);
    }

    // Slow motion (the right button) now and then, and in it shots at the
    // first obstacle ahead; in a boss run, at the saucer, which is called at
    // once, cannot hurt the dinosaur and comes weakened, so that a fight
    // takes seconds.
    void playRun() {
        Widget& w = *m_game.widget();
        MonsterSystem* boss = w.monsterSystem();
        if (m_bossRun) {
            w.character()->setInvincible(true);
            if (boss->state() == BossState::Waiting)
                w.scoreBoard()->setScore(std::max(w.scoreBoard()->score(), boss->startScore()));
            if (boss->monster() && !m_saucerWeakened)
                boss->monster()->setHealth(randomInt(kWeakSaucerMin, kWeakSaucerMax));
            m_saucerWeakened = m_saucerWeakened || boss->monster();
        }
        if (chance(0.001))
            clickButton(ButtonId::Pause);
        const Monster* saucer = boss->monster();
        const bool fight =
            m_bossRun && boss->state() == BossState::Fighting && saucer && !saucer->isEntering();
        const QList<Obstacle*> obstacles = w.cactusList() + w.birdList();
        const auto ahead = std::find_if(obstacles.cbegin(), obstacles.cend(), [&w](Obstacle* o) {
            return o->active && o->pos().x() > w.character()->position().x();
        });
        QPointF target =
            fight ? saucer->pos() + QPointF(saucer->frameWidth(), saucer->frameHeight()) / 2
            : ahead == obstacles.cend() ? QPointF(randomInt(0, kWindowSize.width() - 1),
                                                  randomInt(0, kWindowSize.height() / 2 - 1))
                                        : (*ahead)->pos() + QPointF(20, 20);
        const bool rightHeld = w.isMouseButtonHeld(Qt::RightButton);
        if (!rightHeld && w.deadEye()->energy() > 2.0 && chance(fight ? 1.0 : 0.01))
            hold(-Qt::RightButton, randomInt(fight ? 40 : 10, fight ? 200 : 150), target);
        else if (rightHeld && w.deadEye()->isActive() && chance(fight ? 0.5 : 0.2))
            click(target);
    }

    // Keys are held under their key code, mouse buttons under minus theirs,
    // each until its tick has come.
    void hold(int what, int ticks, QPointF pos = {}) {
        if (m_held.contains(what))
            return;
        what > 0 ? m_game.pressKey(what) : m_game.pressMouse(pos, Qt::MouseButton(-what));
        m_held.insert(what, {m_ticks + ticks, pos});
    }

    // A press now and the release after one tick, as a player clicks.
    void click(QPointF pos) { hold(-Qt::LeftButton, 1, pos); }

    // Anywhere on the button, not only its centre.
    bool clickButton(int id) {
        const GameButton* button = m_game->button(id);
        if (button)
            click(button->rect().topLeft() +
                  QPointF(randomInt(0, std::max(0, int(button->rect().width()) - 1)),
                          randomInt(0, std::max(0, int(button->rect().height()) - 1))));
        return button;
    }

    // Lets go of every key and button whose time is up, or of all of them.
    void release(bool everything) {
        for (auto it = m_held.begin(); it != m_held.end();) {
            if (!everything && it->until > m_ticks) {
                ++it;
                continue;
            }
            it.key() > 0 ? m_game.releaseKey(it.key())
                         : m_game.releaseMouse(it->pos, Qt::MouseButton(-it.key()));
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

    bool check(int stageBefore, int scoreBefore, int levelBefore, int shownBefore) {
        const Widget& w = *m_game.widget();
        const int stage = w.stage();
        const BulletSystem& gun = *w.bulletSystem();
        const MonsterSystem& boss = *w.monsterSystem();
        if (stage < 0 || stage >= kStageCount)
            return fail("stage out of range");
        if (w.cactusList().size() > kMaxCacti || w.birdList().size() > kMaxBirds ||
            gun.bulletCount() < 0 || gun.bulletCount() > gun.capacity())
            return fail("obstacles or magazine out of range");
        if (gun.bullets().size() >= kListBound || boss.heads().size() >= kListBound ||
            boss.balls().size() >= kListBound || w.buttons().size() > kMaxButtons ||
            fixedObjects(w) != m_fixedObjects)
            return fail("objects grow, leak or get lost");
        // Entering the menu ends the run: no bullet, saucer or projectile is left.
        if (stage == Stage::Menu && stageBefore != Stage::Menu &&
            (!gun.bullets().isEmpty() || boss.monster() || !boss.heads().isEmpty() ||
             !boss.balls().isEmpty()))
            return fail("the menu still holds the last run's objects");
        // The files always hold whole numbers, and the bank and level change
        // only by what the game banks or charges: never lost, never garbage.
        int bank = 0, level = 0, marker = 1;
        if (!readWellFormed(kScoreFile, &bank) || !readWellFormed("data_1", &level) ||
            (QFile::exists(kMarkerFile) && (!readWellFormed(kMarkerFile, &marker) || marker != 1)))
            return fail("a saved file does not hold its number");
        const bool purchase = stageBefore == Stage::Upgrade && stage == Stage::Menu &&
                              w.character()->level() != levelBefore;
        const bool home = stageBefore == Stage::Pause && stage == Stage::Menu;
        const int banks =
            m_winsThisTick + home + (stage == Stage::GameOver && stageBefore != Stage::GameOver);
        // The score may still grow in the frozen tick after a death or a win,
        // so the banked score lies between the two.
        const int scoreAfter = home ? scoreBefore : w.scoreBoard()->score();
        int low = clampToInt(m_bank + qint64(banks) * std::min(scoreBefore, scoreAfter));
        int high = clampToInt(m_bank + qint64(banks) * std::max(scoreBefore, scoreAfter));
        // A purchase charges what the screen showed; the price itself is the upgrade tests'.
        if (purchase) {
            ++m_purchases;
            if (w.essenceDisplay()->number() != bank)
                return fail("the bank shown after a purchase is not the one saved");
            low = 0;
            high = shownBefore - 1;
        }
        if (bank < low || bank > high)
            return fail(QString::asprintf("the bank went from %d to %d, expected %d to %d", m_bank,
                                          bank, low, high));
        if (level != (purchase ? levelBefore + 1 : m_level) || w.character()->level() != level)
            return fail(QString::asprintf("level %d saved, %d before, %d in play", level, m_level,
                                          w.character()->level()));
        m_bank = bank;
        m_level = level;
        return true;
    }

    struct Held {
        qint64 until;
        QPointF pos;
    };

    std::mt19937 m_random;
    GameDriver m_game{{{kScoreFile, QByteArray::number(kStartBank)}}, kWindowSize};
    QString m_failure;
    QMap<int, Held> m_held;
    qint64 m_ticks = 0, m_nextAction = 0;
    int m_starts = 0, m_runs = 0, m_wins = 0, m_deaths = 0, m_pauses = 0, m_purchases = 0;
    std::bitset<kStageCount> m_stages;
    int m_fixedObjects = -1, m_bank = kStartBank, m_level = 1, m_winsThisTick = 0;
    int m_quitAtRuns = 0;
    bool m_bossRun = false, m_saucerWeakened = false, m_quitClicked = false;
};
} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qInstallMessageHandler(quietHandler);
    bool ticksOk = true, seedOk = true;
    const qint64 ticks = argc > 1 ? QByteArray(argv[1]).toLongLong(&ticksOk) : kDefaultTicks;
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
    if (!ok || (ticks >= kCoverageFrom && !soak.coverageComplete())) {
        std::fprintf(stderr, "soak FAILED (seed %u): %s\n", seed,
                     ok ? "not every stage, win, death, pause, purchase and restart happened"
                        : qPrintable(soak.failure()));
        return 1;
    }
    std::printf("soak passed (seed %u)\n", seed);
    return 0;
}
