// brimtalon_soak TICKS [SEED]: the real window under seeded random keys and clicks,
// its invariants checked before every tick; the first broken one exits non-zero.

#include "testsupport.h"

#include "environmentobject.h"
#include "gametext.h"
#include "ground.h"

#include <QApplication>
#include <QRegularExpression>

#include <bitset>
#include <cstdio>
#include <random>
#include <utility>

namespace {
// A soak this long must have seen every stage, a win, a death, a purchase and a restart.
constexpr qint64 kCoverageFrom = 50000;
// What the game may hold; game over keeps the menu's four buttons hidden beside its own.
constexpr int kStageCount = 9, kMaxCacti = 3, kMaxBirds = 4, kListBound = 500, kMaxButtons = 5;
// Now and then a player walks away from the screen, the saucer's approach included.
constexpr int kLongPauseMin = 1000, kLongPauseMax = 6000;
constexpr double kLongPauseChance = 0.01, kApproachPauseChance = 0.02;
// Keys with their chance to be pressed in a tick (let go at a tenth); the last two do nothing.
constexpr std::pair<int, double> kKeys[] = {
    {Qt::Key_W, 0.04},       {Qt::Key_Space, 0.02}, {Qt::Key_S, 0.02},
    {Qt::Key_A, 0.02},       {Qt::Key_D, 0.02},     {Qt::Key_F, 0.008},
    {Qt::Key_Escape, 0.004}, {Qt::Key_Q, 0.004},    {Qt::Key_Return, 0.004}};

// The window's objects that stay: all but those that come and go with the screens and runs.
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

// What QTextStream << int writes (the marker may be missing).
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
    explicit Soak(quint32 seed) : m_random(seed) {
        m_game.setUpkeep([this] { check(); });
    }

    // Quitting ends the program; it starts again, now and then as a first start.
    QString run(qint64 ticks) {
        startProgram(false);
        while (m_failure.isEmpty() && m_ticks < ticks) {
            if (act())
                startProgram(chance(0.3));
        }
        check();
        return m_failure;
    }

    bool covered() const {
        return m_stages.all() && m_wins > 0 && m_deaths > 0 && m_purchases > 0 && m_starts > 1;
    }

    void printSummary() const {
        std::printf("soak: %lld ticks: %d program starts, %d runs, %d wins, %d deaths, %d "
                    "purchases, %zu of %d stages\n",
                    m_ticks, m_starts, m_runs, m_wins, m_deaths, m_purchases, m_stages.count(),
                    kStageCount);
    }

private:
    // Built anew in the same working directory: what the last program saved is read back.
    void startProgram(bool forgetStory) {
        for (const auto& [key, chance] : kKeys)
            m_game.releaseKey(key);
        if (forgetStory)
            QFile::remove("data_0");
        if (m_starts++ > 0)
            m_game.restart();
        m_game->setFixedSeed(m_random());
        QObject::connect(m_game->monsterSystem(), &MonsterSystem::gameWin, [this] { ++m_wins; });
        m_stage = m_game.stage();
        m_fixedObjects = m_fixedObjects < 0 ? fixedObjects(*m_game.widget()) : m_fixedObjects;
        if (m_game->readEssence() != m_bank || m_game->character()->level() != m_level)
            fail("a restart reads another bank or level");
    }

    // One thing a player does on a screen after a look at it; true when it quit the program.
    // The menu mostly starts a run, a pause mostly continues, the upgrade screen buys.
    bool act() {
        const int stage = m_game.stage();
        if (stage == Stage::Loading || stage == Stage::Story || stage == Stage::Run) {
            stage == Stage::Run ? playRun() : m_game.tick();
            return false;
        }
        m_game.tick(chance(kLongPauseChance) ? randomInt(kLongPauseMin, kLongPauseMax)
                                             : randomInt(3, 60));
        const int pick = randomInt(1, 100);
        const GameButton* confirm = m_game->button(ButtonId::Confirm);
        int id = stage == Stage::Tutorial ? ButtonId::Start : ButtonId::Restart;
        if (stage == Stage::Menu)
            id = pick > 95 || m_runsSinceStart >= 5 ? ButtonId::Quit
                 : pick <= 60                       ? ButtonId::Start
                 : pick <= 85                       ? ButtonId::Upgrade
                                                    : ButtonId::Teach;
        else if (stage == Stage::Pause)
            id = m_bossRun || pick <= 80 ? ButtonId::Continue : ButtonId::Home;
        else if (stage == Stage::Upgrade)
            id = confirm && confirm->isVisible() && pick <= 80 ? ButtonId::Confirm : ButtonId::Quit;
        m_bossRun = id == ButtonId::Start ? chance(0.4) : m_bossRun;
        // Each run draws from a seed of the soak's own, so a soak seed replays exactly.
        if (id == ButtonId::Start)
            m_game->setFixedSeed(m_random());
        m_runsSinceStart = id == ButtonId::Quit ? 0 : m_runsSinceStart + (id == ButtonId::Start);
        return m_game.clickButton(id) && stage == Stage::Menu && id == ButtonId::Quit;
    }

    // Random keys, slow motion with shots at the first cactus; in a boss run at a saucer
    // called at once, harmless to the dinosaur and weakened, so a fight takes seconds.
    void playRun() {
        Widget& w = *m_game.widget();
        MonsterSystem* boss = w.monsterSystem();
        for (const auto& [key, pressChance] : kKeys) {
            if (chance(pressChance))
                m_game.pressKey(key);
            else if (chance(0.1))
                m_game.releaseKey(key);
        }
        if (m_bossRun) {
            w.character()->setInvincible(true);
            if (boss->state() == BossState::Waiting)
                w.scoreBoard()->setScore(std::max(w.scoreBoard()->score(), boss->startScore()));
            if (boss->monster() && boss->monster()->health() > 80)
                boss->monster()->setHealth(randomInt(20, 80));
        }
        const Monster* saucer = boss->monster();
        const bool fight = m_bossRun && saucer && !saucer->isEntering();
        QPointF target(randomInt(0, w.width() - 1), 100);
        if (fight)
            target = saucer->pos() + QPointF(saucer->frameWidth(), saucer->frameHeight()) / 2;
        else if (!w.cactusList().isEmpty())
            target = w.cactusList().first()->pos() + QPointF(20, 20);
        const bool slowMotion = w.isMouseButtonHeld(Qt::RightButton);
        if (!slowMotion && w.deadEye()->energy() > 2.0 && chance(fight ? 1.0 : 0.01))
            m_game.pressMouse(target, Qt::RightButton);
        else if (slowMotion && chance(fight ? 0.005 : 0.02))
            m_game.releaseMouse(target, Qt::RightButton);
        if (boss->state() == BossState::Approach && chance(kApproachPauseChance)) {
            m_game.clickButton(ButtonId::Pause);
            m_game.tick(randomInt(kLongPauseMin, kLongPauseMax));
        } else if (chance(0.001)) {
            m_game.clickButton(ButtonId::Pause);
        } else if (slowMotion && chance(fight ? 0.5 : 0.2))
            m_game.click(target);
        else
            m_game.tick();
    }

    int randomInt(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p; }

    void fail(const QString& what) {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("tick %1: %2").arg(m_ticks).arg(what);
    }

    // Before every tick: the bank rises only when a run ends and falls only when a level
    // is bought; the level in play is the saved one.
    void check() {
        const Widget& w = *m_game.widget();
        const int stage = w.stage(), before = std::exchange(m_stage, stage);
        const BulletSystem& gun = *w.bulletSystem();
        const MonsterSystem& boss = *w.monsterSystem();
        ++m_ticks;
        m_stages.set(size_t(stage));
        m_deaths += stage == Stage::GameOver && before != stage;
        m_runs += stage == Stage::Run && before == Stage::Menu;
        if (stage < 0 || stage >= kStageCount || w.cactusList().size() > kMaxCacti ||
            w.birdList().size() > kMaxBirds || gun.bulletCount() < 0 ||
            gun.bulletCount() > gun.capacity())
            return fail("stage, obstacles or magazine out of range");
        if (gun.bullets().size() >= kListBound || boss.heads().size() >= kListBound ||
            boss.balls().size() >= kListBound || w.buttons().size() > kMaxButtons ||
            fixedObjects(w) != m_fixedObjects)
            return fail("objects grow, leak or get lost");
        if (stage == Stage::Menu && before != Stage::Menu &&
            (!gun.bullets().isEmpty() || boss.monster() || !boss.heads().isEmpty() ||
             !boss.balls().isEmpty()))
            return fail("the menu still holds the last run's objects");
        if (!wellFormed("game_score.txt") || !wellFormed("data_1") || !wellFormed("data_0"))
            return fail("a saved file does not hold its number");
        const int bank = readFile("game_score.txt").toInt();
        const bool ended = stage != before && (stage == Stage::GameOver || stage == Stage::Win ||
                                               before == Stage::Pause);
        const bool bought = w.character()->level() > m_level;
        if (bought ? bank >= m_bank : bank < m_bank || (bank > m_bank && !ended))
            return fail(QStringLiteral("the bank went from %1 to %2").arg(m_bank).arg(bank));
        m_purchases += bought;
        m_bank = bank;
        m_level = readFile("data_1").toInt();
        if (m_level != w.character()->level())
            fail("the level in play is not the saved one");
    }

    std::mt19937 m_random;
    GameDriver m_game{{{"game_score.txt", "20000"}}, QSize(1280, 720)}; // pays for many levels
    QString m_failure;
    qint64 m_ticks = 0;
    std::bitset<kStageCount> m_stages;
    int m_starts = 0, m_runs = 0, m_wins = 0, m_deaths = 0, m_purchases = 0, m_runsSinceStart = 0;
    int m_stage = Stage::Loading, m_fixedObjects = -1, m_bank = 20000, m_level = 1;
    bool m_bossRun = false;
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
    Soak soak(seed);
    QString failure = soak.run(ticks);
    soak.printSummary();
    if (failure.isEmpty() && ticks >= kCoverageFrom && !soak.covered())
        failure = "not every stage, win, death, purchase and restart happened";
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "soak FAILED (seed %u): %s\n", seed, qPrintable(failure));
        return 1;
    }
    std::printf("soak passed (seed %u)\n", seed);
    return 0;
}
