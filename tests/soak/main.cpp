// Soak driver: runs the real game window offscreen for a given number of
// scene ticks under seeded random keyboard and mouse input, and checks after
// every tick that nothing grows, leaks or gets corrupted.
//
//     brimtalon_soak [ticks] [seed]
//
// The window lives in its own temporary working directory with its timers
// stopped; a 10 ms clock fires every timer slot of the game in its true
// ratio and paints one frame per scene tick. Exits non-zero on the first
// broken invariant.

#include "bullet.h"
#include "bulletsystem.h"
#include "deadeye.h"
#include "environmentobject.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "gametext.h"
#include "ground.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "savedfile.h"
#include "scoreboard.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMap>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <bitset>
#include <climits>
#include <cstdio>
#include <iterator>
#include <memory>
#include <random>

namespace {
// Window and clock.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kStepMs = 10;
constexpr int kSceneMs = 20;
constexpr int kBossHitMs = 30;
constexpr int kShootCooldownMs = 50;
constexpr int kDeadEyeMs = 200;
constexpr int kReloadMs = 400;
constexpr int kObstacleMs = 500;
constexpr int kEnvironmentMs = 500;
constexpr int kScoreMs = 1000;

constexpr qint64 kDefaultTicks = 50000;
constexpr quint32 kDefaultSeed = 1;
// Enough banked essence for a good number of upgrades from the start.
constexpr int kStartBank = 20000;
// From this many ticks on a soak must have seen every stage, a win, a death,
// a pause and a purchase.
constexpr qint64 kCoverageFrom = 20000;

// What the game may hold at any moment.
constexpr int kStageCount = 9;
constexpr int kMaxCacti = 3;
constexpr int kMaxBirds = 4;
constexpr int kListBound = 500;
constexpr int kMenuButtons = 4;

// Upgrade prices, as the upgrade screen charges them.
constexpr int kPricePerLevel = 50;
constexpr int kMaxPrice = 1500;
constexpr int kDigitsShown = 10000000;

// How the simulated player behaves.
constexpr double kBossRunShare = 0.4;
constexpr int kWeakSaucerMin = 20;
constexpr int kWeakSaucerMax = 80;

const char* const kStageNames[kStageCount] = {"loading", "menu",  "run",      "pause",  "game over",
                                              "win",     "story", "tutorial", "upgrade"};
const QString kScoreFile = QStringLiteral("game_score.txt");
const QString kMarkerFile = QStringLiteral("data_0");
const QString kLevelFile = QStringLiteral("data_1");

int subtree(const QObject* object) {
    return object ? 1 + int(object->findChildren<QObject*>().size()) : 0;
}

template <typename T> int subtrees(const QList<T*>& objects) {
    int count = 0;
    for (const T* object : objects)
        count += subtree(object);
    return count;
}

// The objects under the window that are there whatever happens on screen:
// everything but the buttons, obstacles, ground and clouds, bullets, the
// saucer with its projectiles and the story texts, which come and go.
int fixedObjects(const Widget& w) {
    int count = int(w.findChildren<QObject*>().size());
    count -= subtrees(w.buttons()) + subtrees(w.cactusList()) + subtrees(w.birdList());
    for (const Ground* ground : w.environment()->grounds()) {
        if (ground && ground->parent() == w.environment())
            count -= subtree(ground);
    }
    count -= subtrees(w.environment()->clouds());
    count -= subtrees(w.bulletSystem()->bullets());
    count -= subtree(w.monsterSystem()->monster());
    count -= subtrees(w.monsterSystem()->heads()) + subtrees(w.monsterSystem()->balls());
    count -= subtree(w.textList());
    return count;
}

// The buttons a screen holds. The tutorial keeps the menu's three others
// hidden when opened from the menu, and has only its own on a first start.
// The game-over screen shows only its restart button and keeps the hidden
// buttons of the screen it was entered from: the run's pause button, or,
// because the health check runs on every screen that is not paused, the
// upgrade screen's two or the menu's four. The dinosaur can be dead there:
// killed in the tick the game was paused and taken home, or hit where it
// hides above the window by a bird flying high in a short window.
bool buttonsFit(int stage, const QList<GameButton*>& buttons) {
    const int count = int(buttons.size());
    switch (stage) {
    case 0:
    case 6:
        return count == 0;
    case 1:
        return count == kMenuButtons;
    case 2:
        return count == 1;
    case 4: {
        const auto visible = std::count_if(buttons.cbegin(), buttons.cend(),
                                           [](const GameButton* b) { return b->isVisible(); });
        return (count == 2 || count == 3 || count == kMenuButtons + 1) && visible == 1 &&
               buttons.last()->id == 2;
    }
    case 7:
        return count == 1 || count == kMenuButtons;
    default:
        return count == 2;
    }
}

// Exactly what QTextStream << int writes.
bool readWellFormed(const QString& name, int* value) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    if (content.isEmpty() || content.size() > 11)
        return false;
    for (int i = 0; i < content.size(); ++i) {
        const char c = content.at(i);
        const bool digit = c >= '0' && c <= '9';
        if (!(digit || (c == '-' && i == 0 && content.size() > 1)))
            return false;
    }
    if (content.size() > 1 && content.at(content.startsWith('-') ? 1 : 0) == '0')
        return false;
    bool ok = false;
    const qlonglong parsed = content.toLongLong(&ok);
    if (!ok || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    *value = int(parsed);
    return true;
}

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

qint64 priceOf(int level) {
    return std::min<qint64>(qint64(kPricePerLevel) * level, kMaxPrice);
}

int shownBank(int bank) {
    return std::max(bank, 0) % kDigitsShown;
}

qint64 peakMemoryKiB() {
    // /proc files report no size: read them whole rather than to atEnd().
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The game logs "end" on every death and "QUIT" on the quit button; a long
// soak would drown in them. Everything else still reaches stderr.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || message.contains(QLatin1String("propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

struct Stats {
    qint64 ticks = 0;
    int programStarts = 0;
    int runs = 0;
    int bossRuns = 0;
    int wins = 0;
    int deaths = 0;
    int pauses = 0;
    int purchases = 0;
    int menuVisits = 0;
    int maxBullets = 0;
    int maxHeads = 0;
    int maxBalls = 0;
    int maxObjects = 0;
    int minMenuObjects = INT_MAX;
    int maxMenuObjects = 0;
    std::bitset<kStageCount> stages;
};

class Soak {
public:
    explicit Soak(quint32 seed) : m_random(seed) {}

    bool prepare();
    bool run(qint64 ticks);
    void printSummary(qint64 elapsedMs) const;
    bool coverageComplete() const;
    QString failure() const { return m_failure; }

private:
    void startProgram(bool forgetStory);
    bool tickOnce();
    void advanceClock();
    void act();
    void playRun();
    void fightSaucer();
    void roam();
    void mash();
    void onStageEntered(int from, int to);
    bool checkTick(int stageBefore, int scoreBefore, int levelBefore);
    bool checkFiles(int stageBefore, int scoreBefore, int levelBefore);
    bool checkMenu();
    bool fail(const QString& what);

    // Input.
    void sendKey(int key, bool press);
    void holdKey(int key, int ticks);
    void sendMouse(Qt::MouseButton button, bool press, QPointF pos);
    void click(QPointF pos);
    bool clickButton(int id);
    void holdRight(QPointF pos, int ticks);
    void releaseDue();
    void releaseEverything();
    int randomInt(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p; }

    std::mt19937 m_random;
    QTemporaryDir m_directory;
    std::unique_ptr<Widget> m_widget;
    QImage m_frame;
    qint64 m_ms = 0;
    Stats m_stats;
    QString m_failure;
    int m_fixedObjects = -1;

    int m_bank = 0;
    int m_level = 1;
    int m_winsThisTick = 0;

    int m_stageTicks = 0;
    int m_wait = 0;
    bool m_bossRun = false;
    bool m_saucerWeakened = false;
    bool m_quitClicked = false;

    QMap<int, qint64> m_keyReleases;
    qint64 m_leftReleaseAt = -1;
    QPointF m_leftPos;
    qint64 m_rightReleaseAt = -1;
    QPointF m_rightPos;
};

bool Soak::prepare() {
    if (!m_directory.isValid() || !QDir::setCurrent(m_directory.path()))
        return fail(QStringLiteral("cannot enter a temporary working directory"));
    // A first start (story and tutorial), with essence for upgrades banked.
    if (!SavedFile::write(kScoreFile, kStartBank))
        return fail(QStringLiteral("cannot write the starting bank"));
    m_bank = kStartBank;
    startProgram(false);
    return m_failure.isEmpty();
}

// A program start: the window is built as main() builds it, in the same
// working directory, so whatever the last one saved is read back.
void Soak::startProgram(bool forgetStory) {
    releaseEverything();
    m_widget.reset();
    if (forgetStory)
        QFile::remove(kMarkerFile);
    m_widget = std::make_unique<Widget>();
    for (QTimer* timer : m_widget->findChildren<QTimer*>())
        timer->stop();
    m_widget->setWindowState(Qt::WindowNoState);
    m_widget->setFixedSize(kWindowWidth, kWindowHeight);
    m_frame = QImage(m_widget->size(), QImage::Format_ARGB32_Premultiplied);
    QObject::connect(m_widget->monsterSystem(), &MonsterSystem::gameWin, m_widget.get(), [this] {
        ++m_winsThisTick;
        m_stats.stages.set(size_t(m_widget->stage()));
    });
    ++m_stats.programStarts;
    m_stats.stages.set(size_t(m_widget->stage()));
    m_stageTicks = 0;
    m_wait = 0;

    const int fixed = fixedObjects(*m_widget);
    if (m_fixedObjects < 0)
        m_fixedObjects = fixed;
    else if (fixed != m_fixedObjects)
        fail(QStringLiteral("a new window holds %1 fixed objects, the first held %2")
                 .arg(fixed)
                 .arg(m_fixedObjects));
    if (m_widget->readEssence() != m_bank)
        fail(QStringLiteral("restart reads a bank of %1, %2 was saved")
                 .arg(m_widget->readEssence())
                 .arg(m_bank));
    if (m_widget->character()->level() != m_level)
        fail(QStringLiteral("restart reads level %1, %2 was saved")
                 .arg(m_widget->character()->level())
                 .arg(m_level));
}

bool Soak::run(qint64 ticks) {
    while (m_stats.ticks < ticks) {
        if (!tickOnce())
            return false;
        if (m_quitClicked) {
            // The quit button ends the program; the player starts it again,
            // now and then as a first start.
            m_quitClicked = false;
            startProgram(chance(0.3));
            if (!m_failure.isEmpty())
                return false;
        }
    }
    if (fixedObjects(*m_widget) != m_fixedObjects)
        return fail(QStringLiteral("fixed objects at the end: %1, at the start: %2")
                        .arg(fixedObjects(*m_widget))
                        .arg(m_fixedObjects));
    releaseEverything();
    m_widget.reset();
    return true;
}

bool Soak::tickOnce() {
    const int stageBefore = m_widget->stage();
    const int scoreBefore = m_widget->scoreBoard()->score();
    const int levelBefore = m_widget->character()->level();
    m_winsThisTick = 0;

    releaseDue();
    act();
    advanceClock();
    ++m_stats.ticks;
    ++m_stageTicks;

    const int stage = m_widget->stage();
    if (stage != stageBefore)
        onStageEntered(stageBefore, stage);
    return checkTick(stageBefore, scoreBefore, levelBefore);
}

// Two 10 ms steps, each firing every slot whose period has just elapsed,
// then the 20 ms scene tick and the frame it asks for.
void Soak::advanceClock() {
    Widget& w = *m_widget;
    for (int step = 0; step < kSceneMs / kStepMs; ++step) {
        m_ms += kStepMs;
        if (m_ms % kBossHitMs == 0)
            w.monsterSystem()->checkCrash();
        if (m_ms % kShootCooldownMs == 0)
            w.bulletSystem()->updateShootCD();
        if (m_ms % kDeadEyeMs == 0)
            w.deadEye()->updateEnergy();
        if (m_ms % kReloadMs == 0)
            w.bulletSystem()->loadOneBullet();
        if (m_ms % kObstacleMs == 0)
            w.updateObstacles();
        if (m_ms % kEnvironmentMs == 0)
            w.updateEnvironment();
        if (m_ms % kScoreMs == 0)
            w.updateScores();
    }
    w.updateScene();
    w.render(&m_frame);
}

void Soak::onStageEntered(int from, int to) {
    m_stats.stages.set(size_t(to));
    m_stageTicks = 0;
    switch (to) {
    case 1:
        m_wait = randomInt(5, 60);
        break;
    case 2:
        if (from == 1) {
            ++m_stats.runs;
            m_bossRun = chance(kBossRunShare);
            m_stats.bossRuns += m_bossRun ? 1 : 0;
            m_saucerWeakened = false;
        }
        break;
    case 3:
        ++m_stats.pauses;
        m_wait = randomInt(3, 80);
        break;
    case 4:
        ++m_stats.deaths;
        m_wait = randomInt(10, 100);
        break;
    case 5:
        m_wait = randomInt(50, 300);
        break;
    case 7:
        m_wait = randomInt(5, 40);
        break;
    case 8:
        m_wait = randomInt(2, 30);
        break;
    default:
        break;
    }
    m_stats.wins += m_winsThisTick;
    if (to != 2 && from == 2 && m_widget->isMouseButtonHeld(Qt::RightButton))
        m_rightReleaseAt = m_stats.ticks + randomInt(0, 20);
}

// ---------------------------------------------------------------- input

void Soak::act() {
    mash();
    if (m_stageTicks < m_wait || m_leftReleaseAt >= 0)
        return;
    switch (m_widget->stage()) {
    case 1: {
        const int pick = randomInt(1, 100);
        if (pick <= 60) {
            clickButton(1);
        } else if (pick <= 85) {
            clickButton(7);
        } else if (pick <= 95) {
            clickButton(8);
        } else if (clickButton(6)) {
            m_quitClicked = true;
        }
        m_wait = m_stageTicks + randomInt(2, 10);
        break;
    }
    case 2:
        playRun();
        break;
    case 3:
        // A boss run is played out to its win.
        clickButton(m_bossRun || chance(0.8) ? 5 : 10);
        m_wait = m_stageTicks + randomInt(2, 10);
        break;
    case 4:
    case 5:
    case 7:
        clickButton(m_widget->stage() == 7 ? 1 : 2);
        m_wait = m_stageTicks + randomInt(2, 10);
        break;
    case 8: {
        // The confirm button is shown or hidden by the last frame.
        const GameButton* confirm = m_widget->button(11);
        clickButton(confirm && confirm->isVisible() && chance(0.8) ? 11 : 6);
        m_wait = m_stageTicks + randomInt(2, 10);
        break;
    }
    default:
        break;
    }
}

void Soak::playRun() {
    Widget& w = *m_widget;
    if (m_bossRun) {
        // Help for the wins: the saucer is called at once, the dinosaur
        // cannot be hurt, and the saucer comes with its health lowered
        // through its public setter, so that a fight takes seconds, not
        // the hundred hits a fresh player needs.
        w.character()->setInvincible(true);
        MonsterSystem* boss = w.monsterSystem();
        if (boss->state() == 0 && w.scoreBoard()->score() < boss->startScore())
            w.scoreBoard()->addScore(boss->startScore() - w.scoreBoard()->score());
        if (boss->monster() && !m_saucerWeakened) {
            boss->monster()->setHealth(randomInt(kWeakSaucerMin, kWeakSaucerMax));
            m_saucerWeakened = true;
        }
        if (boss->state() == 2 && boss->monster() && !boss->monster()->isEntering()) {
            fightSaucer();
            return;
        }
    }
    roam();
}

// Right button held at the saucer (slow motion), left clicks on it fire.
void Soak::fightSaucer() {
    const Monster* saucer = m_widget->monsterSystem()->monster();
    const QPointF aim =
        saucer->pos() + QPointF(saucer->frameWidth() / 2, saucer->frameHeight() / 2);
    const bool rightHeld = m_widget->isMouseButtonHeld(Qt::RightButton);
    if (!rightHeld && m_widget->deadEye()->energy() > 2.0 &&
        !m_widget->isMouseButtonHeld(Qt::LeftButton))
        holdRight(aim, randomInt(40, 200));
    else if (rightHeld && m_widget->deadEye()->isActive() && chance(0.5))
        click(aim);
    if (chance(0.05))
        holdKey(chance(0.5) ? Qt::Key_A : Qt::Key_D, randomInt(5, 30));
}

// A restless player: jumps, ducks, walks, dashes, pauses, and shoots at
// whatever is nearest in slow motion.
void Soak::roam() {
    Widget& w = *m_widget;
    if (chance(0.04))
        holdKey(chance(0.7) ? Qt::Key_W : Qt::Key_Space, randomInt(1, 12));
    if (chance(0.015))
        holdKey(Qt::Key_S, randomInt(3, 40));
    if (chance(0.03))
        holdKey(chance(0.5) ? Qt::Key_A : Qt::Key_D, randomInt(5, 60));
    if (chance(0.004))
        holdKey(Qt::Key_F, randomInt(1, 5));
    if (chance(0.002))
        holdKey(Qt::Key_Escape, 1);
    if (chance(0.001))
        clickButton(3);

    const bool rightHeld = w.isMouseButtonHeld(Qt::RightButton);
    if (!rightHeld && chance(0.01))
        holdRight(QPointF(randomInt(0, kWindowWidth - 1), randomInt(0, kWindowHeight - 1)),
                  randomInt(10, 150));
    if (rightHeld && w.deadEye()->isActive() && chance(0.2)) {
        QPointF target(randomInt(0, kWindowWidth - 1), randomInt(0, kWindowHeight / 2));
        for (const QList<Obstacle*>* list : {&w.cactusList(), &w.birdList()}) {
            for (const Obstacle* obstacle : *list) {
                if (obstacle->active && obstacle->pos().x() > w.character()->position().x()) {
                    target = obstacle->pos() + QPointF(20, 20);
                    break;
                }
            }
        }
        click(target);
    }
}

// Keys and buttons the game ignores, and clicks anywhere, on every screen.
void Soak::mash() {
    static const int kIgnoredKeys[] = {Qt::Key_Q,     Qt::Key_Return,   Qt::Key_Tab,   Qt::Key_Left,
                                       Qt::Key_Up,    Qt::Key_1,        Qt::Key_Shift, Qt::Key_F1,
                                       Qt::Key_Enter, Qt::Key_Backspace};
    if (chance(0.01)) {
        const int key = kIgnoredKeys[randomInt(0, int(std::size(kIgnoredKeys)) - 1)];
        sendKey(key, true);
        sendKey(key, false);
    }
    const QPointF anywhere(randomInt(-20, kWindowWidth + 20), randomInt(-20, kWindowHeight + 20));
    if (chance(0.003)) {
        sendMouse(Qt::MiddleButton, true, anywhere);
        sendMouse(Qt::MiddleButton, false, anywhere);
    }
    if (chance(0.002) && m_leftReleaseAt < 0)
        click(anywhere);
}

void Soak::sendKey(int key, bool press) {
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

void Soak::holdKey(int key, int ticks) {
    if (m_keyReleases.contains(key))
        return;
    sendKey(key, true);
    m_keyReleases.insert(key, m_stats.ticks + ticks);
}

void Soak::sendMouse(Qt::MouseButton button, bool press, QPointF pos) {
    Qt::MouseButtons held;
    if (m_leftReleaseAt >= 0)
        held |= Qt::LeftButton;
    if (m_rightReleaseAt >= 0)
        held |= Qt::RightButton;
    if (press)
        held |= button;
    else
        held &= ~Qt::MouseButtons(button);
    QMouseEvent event(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, pos,
                      m_widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

// A press now and the release after one tick, as a player clicks.
void Soak::click(QPointF pos) {
    if (m_leftReleaseAt >= 0)
        return;
    sendMouse(Qt::LeftButton, true, pos);
    m_leftPos = pos;
    m_leftReleaseAt = m_stats.ticks + 1;
}

bool Soak::clickButton(int id) {
    const GameButton* button = m_widget->button(id);
    if (!button)
        return false;
    const QRectF r = button->rect();
    click(QPointF(r.left() + randomInt(0, std::max(0, int(r.width()) - 1)),
                  r.top() + randomInt(0, std::max(0, int(r.height()) - 1))));
    return true;
}

void Soak::holdRight(QPointF pos, int ticks) {
    if (m_rightReleaseAt >= 0)
        return;
    sendMouse(Qt::RightButton, true, pos);
    m_rightPos = pos;
    m_rightReleaseAt = m_stats.ticks + ticks;
}

void Soak::releaseDue() {
    for (auto it = m_keyReleases.begin(); it != m_keyReleases.end();) {
        if (it.value() <= m_stats.ticks) {
            sendKey(it.key(), false);
            it = m_keyReleases.erase(it);
        } else {
            ++it;
        }
    }
    if (m_leftReleaseAt >= 0 && m_leftReleaseAt <= m_stats.ticks) {
        m_leftReleaseAt = -1;
        sendMouse(Qt::LeftButton, false, m_leftPos);
    }
    if (m_rightReleaseAt >= 0 && m_rightReleaseAt <= m_stats.ticks) {
        m_rightReleaseAt = -1;
        sendMouse(Qt::RightButton, false, m_rightPos);
    }
}

void Soak::releaseEverything() {
    if (!m_widget)
        return;
    for (auto it = m_keyReleases.cbegin(); it != m_keyReleases.cend(); ++it)
        sendKey(it.key(), false);
    m_keyReleases.clear();
    if (m_leftReleaseAt >= 0) {
        m_leftReleaseAt = -1;
        sendMouse(Qt::LeftButton, false, m_leftPos);
    }
    if (m_rightReleaseAt >= 0) {
        m_rightReleaseAt = -1;
        sendMouse(Qt::RightButton, false, m_rightPos);
    }
}

// ---------------------------------------------------------------- checks

bool Soak::fail(const QString& what) {
    if (m_failure.isEmpty()) {
        const int stage = m_widget ? m_widget->stage() : -1;
        m_failure = QStringLiteral("tick %1, stage %2: %3").arg(m_stats.ticks).arg(stage).arg(what);
    }
    return false;
}

bool Soak::checkTick(int stageBefore, int scoreBefore, int levelBefore) {
    const Widget& w = *m_widget;
    const int stage = w.stage();
    if (stage < 0 || stage >= kStageCount)
        return fail(QStringLiteral("stage out of range"));
    if (w.cactusList().size() > kMaxCacti || w.birdList().size() > kMaxBirds)
        return fail(QStringLiteral("%1 cacti and %2 birds")
                        .arg(w.cactusList().size())
                        .arg(w.birdList().size()));
    const BulletSystem& bullets = *w.bulletSystem();
    if (bullets.bulletCount() < 0 || bullets.bulletCount() > bullets.capacity())
        return fail(QStringLiteral("%1 bullets in a magazine of %2")
                        .arg(bullets.bulletCount())
                        .arg(bullets.capacity()));
    const int flying = int(bullets.bullets().size());
    const int heads = int(w.monsterSystem()->heads().size());
    const int balls = int(w.monsterSystem()->balls().size());
    if (flying >= kListBound || heads >= kListBound || balls >= kListBound)
        return fail(QStringLiteral("%1 bullets, %2 heads, %3 balls in flight")
                        .arg(flying)
                        .arg(heads)
                        .arg(balls));
    m_stats.maxBullets = std::max(m_stats.maxBullets, flying);
    m_stats.maxHeads = std::max(m_stats.maxHeads, heads);
    m_stats.maxBalls = std::max(m_stats.maxBalls, balls);
    if (!buttonsFit(stage, w.buttons()))
        return fail(QStringLiteral("%1 buttons").arg(w.buttons().size()));
    const int fixed = fixedObjects(w);
    if (fixed != m_fixedObjects)
        return fail(QStringLiteral("%1 fixed objects under the window, %2 at the start")
                        .arg(fixed)
                        .arg(m_fixedObjects));
    m_stats.maxObjects = std::max(m_stats.maxObjects, int(w.findChildren<QObject*>().size()));
    if (stage == 1 && stageBefore != 1 && !checkMenu())
        return false;
    return checkFiles(stageBefore, scoreBefore, levelBefore);
}

// Entering the menu resets the run: the screen holds its four buttons and
// no bullet, saucer or projectile.
bool Soak::checkMenu() {
    const Widget& w = *m_widget;
    ++m_stats.menuVisits;
    if (!w.bulletSystem()->bullets().isEmpty() || w.monsterSystem()->monster() ||
        !w.monsterSystem()->heads().isEmpty() || !w.monsterSystem()->balls().isEmpty())
        return fail(QStringLiteral("the menu still holds bullets, the saucer or projectiles"));
    const int objects = int(w.findChildren<QObject*>().size());
    m_stats.minMenuObjects = std::min(m_stats.minMenuObjects, objects);
    m_stats.maxMenuObjects = std::max(m_stats.maxMenuObjects, objects);
    return true;
}

// The files always hold whole numbers, and the bank changes only by what
// the game banks or charges: never lost, never garbage.
bool Soak::checkFiles(int stageBefore, int scoreBefore, int levelBefore) {
    const Widget& w = *m_widget;
    const int stage = w.stage();
    int bank = 0;
    int level = 0;
    if (!readWellFormed(kScoreFile, &bank))
        return fail(QStringLiteral("%1 does not hold a number").arg(kScoreFile));
    if (!readWellFormed(kLevelFile, &level))
        return fail(QStringLiteral("%1 does not hold a number").arg(kLevelFile));
    int marker = 0;
    if (QFile::exists(kMarkerFile) && (!readWellFormed(kMarkerFile, &marker) || marker != 1))
        return fail(QStringLiteral("%1 does not hold 1").arg(kMarkerFile));

    const int scoreAfter = w.scoreBoard()->score();
    const bool homeFromPause = stageBefore == 3 && stage == 1;
    const bool death = stage == 4 && stageBefore != 4;
    const int banks = m_winsThisTick + (death ? 1 : 0) + (homeFromPause ? 1 : 0);
    const bool purchase = stageBefore == 8 && stage == 1 && w.character()->level() != levelBefore;
    if (purchase) {
        ++m_stats.purchases;
        const int expected = shownBank(clampToInt(shownBank(m_bank) - priceOf(levelBefore)));
        if (bank != expected || level != levelBefore + 1)
            return fail(QStringLiteral("purchase at level %1 left bank %2 (expected %3), level %4")
                            .arg(levelBefore)
                            .arg(bank)
                            .arg(expected)
                            .arg(level));
    } else if (homeFromPause) {
        if (bank != clampToInt(qint64(m_bank) + scoreBefore))
            return fail(QStringLiteral("home banked %1 onto %2, the run scored %3")
                            .arg(bank)
                            .arg(m_bank)
                            .arg(scoreBefore));
    } else if (banks > 0) {
        // The score may still grow in the tick after a bank (the frozen tick
        // finishes its movement step), so the banked score lies in between.
        const int low =
            clampToInt(qint64(m_bank) + qint64(banks) * std::min(scoreBefore, scoreAfter));
        const int high =
            clampToInt(qint64(m_bank) + qint64(banks) * std::max(scoreBefore, scoreAfter));
        if (bank < low || bank > high)
            return fail(QStringLiteral("%1 bank(s) left %2 onto %3, scores %4 to %5")
                            .arg(banks)
                            .arg(bank)
                            .arg(m_bank)
                            .arg(scoreBefore)
                            .arg(scoreAfter));
    } else if (bank != m_bank) {
        return fail(QStringLiteral("the bank changed from %1 to %2 without a bank or purchase")
                        .arg(m_bank)
                        .arg(bank));
    }
    if (!purchase && level != m_level)
        return fail(QStringLiteral("the level file changed from %1 to %2").arg(m_level).arg(level));
    if (w.character()->level() != level)
        return fail(
            QStringLiteral("level %1 in play, %2 saved").arg(w.character()->level()).arg(level));
    m_bank = bank;
    m_level = level;
    return true;
}

bool Soak::coverageComplete() const {
    return m_stats.stages.all() && m_stats.wins > 0 && m_stats.deaths > 0 && m_stats.pauses > 0 &&
           m_stats.purchases > 0 && m_stats.runs > 1;
}

void Soak::printSummary(qint64 elapsedMs) const {
    QStringList visited;
    for (int stage = 0; stage < kStageCount; ++stage) {
        if (m_stats.stages.test(size_t(stage)))
            visited << QString::fromLatin1(kStageNames[stage]);
    }
    std::printf("soak: %lld ticks (%.1f min of play) in %.1f s\n", m_stats.ticks,
                m_stats.ticks * kSceneMs / 60000.0, elapsedMs / 1000.0);
    std::printf("  program starts %d, runs %d (boss runs %d), wins %d, deaths %d, pauses %d, "
                "purchases %d, menu visits %d\n",
                m_stats.programStarts, m_stats.runs, m_stats.bossRuns, m_stats.wins, m_stats.deaths,
                m_stats.pauses, m_stats.purchases, m_stats.menuVisits);
    std::printf("  stages visited (%zu of %d): %s\n", m_stats.stages.count(), kStageCount,
                qPrintable(visited.join(QStringLiteral(", "))));
    std::printf("  bank %d, level %d\n", m_bank, m_level);
    std::printf("  most in flight: %d bullets, %d heads, %d balls\n", m_stats.maxBullets,
                m_stats.maxHeads, m_stats.maxBalls);
    std::printf("  objects under the window: %d fixed; %d to %d on entering the menu; %d at most\n",
                m_fixedObjects, m_stats.minMenuObjects == INT_MAX ? 0 : m_stats.minMenuObjects,
                m_stats.maxMenuObjects, m_stats.maxObjects);
    std::printf("  peak memory (VmHWM): %lld KiB\n", peakMemoryKiB());
}
} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qInstallMessageHandler(quietHandler);

    const QStringList arguments = application.arguments();
    bool ticksOk = true;
    bool seedOk = true;
    const qint64 ticks =
        arguments.size() > 1 ? arguments.at(1).toLongLong(&ticksOk) : kDefaultTicks;
    const quint32 seed = arguments.size() > 2 ? arguments.at(2).toUInt(&seedOk) : kDefaultSeed;
    if (!ticksOk || !seedOk || ticks < 1 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: brimtalon_soak [ticks] [seed]\n");
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    Soak soak(seed);
    const bool ok = soak.prepare() && soak.run(ticks);
    soak.printSummary(clock.elapsed());
    if (!ok) {
        std::fprintf(stderr, "soak FAILED (seed %u): %s\n", seed, qPrintable(soak.failure()));
        return 1;
    }
    if (ticks >= kCoverageFrom && !soak.coverageComplete()) {
        std::fprintf(stderr,
                     "soak FAILED (seed %u): not every stage, win, death, pause and "
                     "purchase happened\n",
                     seed);
        return 1;
    }
    std::printf("soak passed (seed %u)\n", seed);
    return 0;
}
