#include "gameharness.h"

#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "scoreboard.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {
constexpr int kStartButton = 1;
constexpr int kRestartButton = 2;
constexpr int kContinueButton = 5;
constexpr int kQuitButton = 6;
constexpr int kUpgradeButton = 7;
constexpr int kHomeButton = 10;
constexpr int kConfirmButton = 11;

int bankedEssence() {
    return readFile(QStringLiteral("game_score.txt")).toInt();
}

QList<int> visibleButtonIds(const Widget* widget) {
    QList<int> ids;
    for (const GameButton* button : widget->buttons()) {
        if (button->isVisible())
            ids.append(button->id);
    }
    return ids;
}

// Where the cacti and birds in view are: nothing moves or spawns on a frozen screen.
QList<QPointF> onScreenObstacles(const Widget* widget) {
    QList<QPointF> positions;
    for (const QList<Obstacle*>* list : {&widget->cactusList(), &widget->birdList()}) {
        for (const Obstacle* obstacle : *list) {
            if (obstacle->pos().x() >= 0)
                positions.append(obstacle->pos());
        }
    }
    return positions;
}

// Plays the window the way the running program does: a scene tick and a
// repaint per step, the slower timers fired by hand in their true ratios to
// the 20 ms tick.
class Player {
public:
    explicit Player(GameHarness& game) : m_game(game) {}

    Widget* widget() const { return m_game.widget(); }

    void step(int count = 1) {
        for (int i = 0; i < count; ++i)
            stepOnce();
    }

    // Press, one step, release: how a player clicks.
    void click(QPointF pos) {
        m_game.pressMouse(pos);
        step();
        m_game.releaseMouse(pos);
    }

    bool clickButton(int id) {
        GameButton* button = widget()->button(id);
        if (!button || !button->isVisible())
            return false;
        click(button->rect().center());
        return true;
    }

    bool startRun() {
        if (!clickButton(kStartButton))
            return false;
        for (int i = 0; i < 300 && widget()->character()->isAirborne(); ++i)
            step();
        return widget()->stage() == 2 && widget()->character()->hasLanded();
    }

    int energyStepsWhileActive = 0;

private:
    void stepOnce() {
        Widget* w = widget();
        ++m_tick;
        m_game.tick();
        // 500 ms
        if (m_tick % 25 == 0) {
            w->updateObstacles();
            w->updateEnvironment();
        }
        // 1000 ms
        if (m_tick % 50 == 0)
            w->updateScores();
        // 200 ms
        if (m_tick % 10 == 0) {
            if (w->deadEye()->isActive())
                ++energyStepsWhileActive;
            w->deadEye()->updateEnergy();
        }
        // 50 ms: two steps in every five ticks.
        if (m_tick % 5 == 0 || m_tick % 5 == 2)
            w->bulletSystem()->updateShootCD();
        // 400 ms
        if (m_tick % 20 == 0)
            w->bulletSystem()->loadOneBullet();
        // 30 ms: two checks in every three ticks.
        if (m_tick % 3 != 2)
            w->monsterSystem()->checkCrash();
        m_game.paint();
    }

    GameHarness& m_game;
    int m_tick = 0;
};
} // namespace

// One player's whole career in one working directory: the first start, a
// death, a paused run, the upgrade screen, the boss beaten, the upgrades
// bought with the winnings, and a second program start. Each slot continues
// where the previous one left the window.
class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void firstStartShowsStoryAndTutorial();
    void upgradeScreenWithTooLittleEssence();
    void deathOnCactusBanksTheScoreOnce();
    void pausedRunBanksOnHome();
    void bossBeatenDuringDeadEyeWinsTheRun();
    void winningsBuyTwoLevels();
    void nextRunHasLongerDeadEyeAndLargerMagazine();
    void secondStartGoesStraightToMenu();
    void cleanupTestCase();

private:
    Widget* w() const { return m_game->widget(); }

    std::unique_ptr<GameHarness> m_game;
    std::unique_ptr<Player> m_player;
    int m_bank = 0;
};

void EndToEndTest::initTestCase() {
    m_game = std::make_unique<GameHarness>();
    m_player = std::make_unique<Player>(*m_game);
}

void EndToEndTest::cleanupTestCase() {
    m_player.reset();
    m_game.reset();
}

void EndToEndTest::firstStartShowsStoryAndTutorial() {
    QVERIFY(w()->isFirstStart());
    QCOMPARE(w()->stage(), 0);
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("0"));
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("1"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("data_0")));

    for (int i = 0; i < 2000 && w()->stage() == 0; ++i)
        m_player->step();
    QCOMPARE(w()->stage(), 6);

    // The story moves on by itself, one fade step per frame; clicks do nothing.
    m_player->click(QPointF(w()->width() / 2, w()->height() / 2));
    for (int i = 0; i < 20000 && w()->stage() == 6; ++i) {
        QVERIFY(!QFileInfo::exists(QStringLiteral("data_0")));
        m_player->step();
    }
    QCOMPARE(w()->stage(), 7);
    QCOMPARE(readFile(QStringLiteral("data_0")), QByteArray("1"));
    QVERIFY(!w()->isFirstStart());
    QVERIFY(!w()->guideImage().isNull());
    QCOMPARE(visibleButtonIds(w()), QList<int>({kStartButton}));

    QVERIFY(m_player->clickButton(kStartButton));
    QCOMPARE(w()->stage(), 1);
    QCOMPARE(visibleButtonIds(w()), QList<int>({1, 8, 7, 6}));
    QCOMPARE(w()->essenceDisplay()->number(), 0);
    QCOMPARE(w()->character()->level(), 1);
    QCOMPARE(w()->deadEye()->maxEnergy, 20.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 5);
}

void EndToEndTest::upgradeScreenWithTooLittleEssence() {
    QVERIFY(m_player->clickButton(kUpgradeButton));
    QCOMPARE(w()->stage(), 8);
    GameButton* confirm = w()->button(kConfirmButton);
    QVERIFY(confirm);
    QVERIFY(!confirm->isVisible());
    QCOMPARE(visibleButtonIds(w()), QList<int>({kQuitButton}));

    // The hidden confirm button cannot be clicked.
    m_player->click(confirm->rect().center());
    m_player->step(5);
    QCOMPARE(w()->stage(), 8);
    QCOMPARE(w()->character()->level(), 1);
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("1"));
    QCOMPARE(readFile(QStringLiteral("game_score.txt")), QByteArray("0"));

    QVERIFY(m_player->clickButton(kQuitButton));
    QCOMPARE(w()->stage(), 1);
}

void EndToEndTest::deathOnCactusBanksTheScoreOnce() {
    QVERIFY(m_player->startRun());
    QVERIFY(!w()->character()->isInvincible());

    // Standing still, the dinosaur meets the first cactus that scrolls in.
    for (int i = 0; i < 5000 && w()->stage() == 2; ++i)
        m_player->step();
    QCOMPARE(w()->stage(), 4);
    QVERIFY(w()->isGameOver());
    QVERIFY(w()->isPaused());
    bool cactusOnDinosaur = false;
    for (const Obstacle* cactus : w()->cactusList()) {
        if (cactus->active && cactus->crashBox()->intersects(*w()->character()->crashBox()))
            cactusOnDinosaur = true;
    }
    QVERIFY(cactusOnDinosaur);

    const int score = w()->scoreBoard()->score();
    QVERIFY(score > 0);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(visibleButtonIds(w()), QList<int>({kRestartButton}));
    QCOMPARE(w()->button(kRestartButton)->pos(), QPointF(880, 448));

    // The frozen game over screen neither scores nor banks again.
    m_player->step(120);
    QCOMPARE(w()->scoreBoard()->score(), score);
    QCOMPARE(bankedEssence(), m_bank);

    QVERIFY(m_player->clickButton(kRestartButton));
    QCOMPARE(w()->stage(), 1);
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    QCOMPARE(w()->character()->health(), 1.0);
}

void EndToEndTest::pausedRunBanksOnHome() {
    // Short stretches only: the first cactus needs about 150 ticks to arrive.
    QVERIFY(m_player->startRun());
    m_player->step(50);
    QCOMPARE(w()->stage(), 2);
    const int scoreBeforePause = w()->scoreBoard()->score();
    QVERIFY(scoreBeforePause >= 1);

    m_game->pressKey(Qt::Key_Escape);
    m_player->step();
    m_game->releaseKey(Qt::Key_Escape);
    QCOMPARE(w()->stage(), 3);
    QVERIFY(w()->isPaused());
    QCOMPARE(visibleButtonIds(w()), QList<int>({kHomeButton, kContinueButton}));
    m_player->step(100);
    QCOMPARE(w()->scoreBoard()->score(), scoreBeforePause);

    QVERIFY(m_player->clickButton(kContinueButton));
    QCOMPARE(w()->stage(), 2);
    QVERIFY(!w()->isPaused());
    const int scoreAfterContinue = w()->scoreBoard()->score();
    m_player->step(50);
    QCOMPARE(w()->stage(), 2);
    QCOMPARE(w()->scoreBoard()->score(), scoreAfterContinue + 1);

    // The pause button; its release lands on the home button without a held button.
    QVERIFY(m_player->clickButton(3));
    QCOMPARE(w()->stage(), 3);
    m_player->step(5);
    QCOMPARE(w()->stage(), 3);
    QCOMPARE(bankedEssence(), m_bank);

    const int score = w()->scoreBoard()->score();
    QVERIFY(m_player->clickButton(kHomeButton));
    QCOMPARE(w()->stage(), 1);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    QCOMPARE(w()->scoreBoard()->score(), 0);
}

void EndToEndTest::bossBeatenDuringDeadEyeWinsTheRun() {
    MonsterSystem* boss = w()->monsterSystem();
    QSignalSpy wins(boss, &MonsterSystem::gameWin);
    QVERIFY(m_player->startRun());

    // The fight is long and cacti keep scrolling in; a player would jump them.
    // Instead the dinosaur keeps the dash's invincibility (the fields the dash
    // itself writes), which makes every cactus it meets explode harmlessly.
    w()->character()->keepInvincible = true;
    w()->character()->setInvincible(true);

    while (w()->scoreBoard()->score() < 20)
        w()->updateScores();
    QCOMPARE(boss->state(), 0);
    m_player->step();
    QCOMPARE(boss->state(), 1);

    // The approach picture is painted 101 times; the next tick brings the saucer.
    int approachSteps = 0;
    while (boss->state() == 1 && approachSteps < 300) {
        QCOMPARE(boss->counter(), approachSteps + 1);
        m_player->step();
        ++approachSteps;
    }
    QCOMPARE(approachSteps, 101);
    QCOMPARE(boss->state(), 2);
    Monster* monster = boss->monster();
    QVERIFY(monster);
    QCOMPARE(monster->pos(), QPointF(799, -224));

    for (int i = 0; i < 400 && monster->isEntering(); ++i)
        m_player->step();
    QVERIFY(!monster->isEntering());
    QCOMPARE(boss->state(), 2);

    // To keep the fight short the saucer is left with three hits' worth of health.
    monster->setHealth(30);

    auto boxCentre = [monster] { return monster->crashBox()->rects().first().center(); };
    m_game->pressMouse(boxCentre(), Qt::RightButton);
    m_player->step();
    QVERIFY(w()->deadEye()->isActive());
    QCOMPARE(w()->deadEye()->timeFactor(), 0.1);

    QList<int> healthSeen = {monster->health()};
    int headsSeen = 0;
    bool deadEyeAtWin = false;
    for (int i = 0; i < 600 && w()->stage() == 2; ++i) {
        if (i % 15 == 0 && monster->health() > 0)
            m_player->click(boxCentre());
        else
            m_player->step();
        if (healthSeen.last() != monster->health())
            healthSeen.append(monster->health());
        headsSeen = qMax(headsSeen, int(boss->heads().size()));
        if (w()->stage() == 5)
            deadEyeAtWin = w()->deadEye()->isActive();
    }
    QCOMPARE(w()->stage(), 5);
    QVERIFY(deadEyeAtWin);
    QCOMPARE(healthSeen, QList<int>({30, 20, 10, 0}));
    QVERIFY(headsSeen >= 1);
    QCOMPARE(boss->state(), 3);
    QCOMPARE(wins.count(), 1);
    QVERIFY(boss->heads().isEmpty());
    QVERIFY(boss->balls().isEmpty());

    const int score = w()->scoreBoard()->score();
    QVERIFY(score >= 20 + 3 * 40 + 5000);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);

    // The win screen: frozen world, the end picture fading in by 2 per frame.
    QCOMPARE(visibleButtonIds(w()), QList<int>({kRestartButton}));
    QCOMPARE(w()->button(kRestartButton)->pos(), QPointF(880, 794));
    QCOMPARE(w()->environment()->endColor().alpha(), 2);
    m_game->paint();
    QCOMPARE(w()->environment()->endColor().alpha(), 4);
    m_game->paint();
    QCOMPARE(w()->environment()->endColor().alpha(), 6);
    const QList<QPointF> frozen = onScreenObstacles(w());
    const QPointF dinosaur = w()->character()->position();
    m_player->step(30);
    QCOMPARE(onScreenObstacles(w()), frozen);
    QCOMPARE(w()->character()->position(), dinosaur);
    QCOMPARE(w()->scoreBoard()->score(), score);
    QCOMPARE(wins.count(), 1);
    QCOMPARE(bankedEssence(), m_bank);

    m_game->releaseMouse(boxCentre(), Qt::RightButton);
    m_player->step();
    QCOMPARE(w()->stage(), 5);
    QVERIFY(m_player->clickButton(kRestartButton));
    QCOMPARE(w()->stage(), 1);
    QVERIFY(!w()->deadEye()->isActive());
    QVERIFY(!w()->character()->keepInvincible);
    QCOMPARE(boss->state(), 0);
    QVERIFY(!boss->monster());
    QCOMPARE(w()->environment()->endColor().alpha(), 0);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::winningsBuyTwoLevels() {
    QVERIFY(m_bank >= 150);
    QVERIFY(m_player->clickButton(kUpgradeButton));
    QCOMPARE(w()->stage(), 8);
    QCOMPARE(visibleButtonIds(w()), QList<int>({kConfirmButton, kQuitButton}));
    QVERIFY(m_player->clickButton(kConfirmButton));
    QCOMPARE(w()->stage(), 1);
    m_bank -= 50;
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("2"));
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);

    QVERIFY(m_player->clickButton(kUpgradeButton));
    QVERIFY(m_player->clickButton(kConfirmButton));
    QCOMPARE(w()->stage(), 1);
    m_bank -= 100;
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("3"));
    QCOMPARE(w()->character()->level(), 3);
    QCOMPARE(w()->deadEye()->maxEnergy, 36.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 8);
}

void EndToEndTest::nextRunHasLongerDeadEyeAndLargerMagazine() {
    QVERIFY(m_player->startRun());
    QCOMPARE(w()->bulletSystem()->bulletCount(), 8);
    QCOMPARE(w()->deadEye()->energy(), 36.0);

    // Up into the empty sky, away from every button.
    const QPointF sky(1500, 60);
    m_game->pressMouse(sky, Qt::RightButton);
    m_player->step();
    QVERIFY(w()->deadEye()->isActive());
    m_player->energyStepsWhileActive = 0;

    // One shot per click once the cool-down of the previous one is over; the
    // eighth empties the magazine (the first reload is at least 100 ticks away).
    int shots = 0;
    for (int i = 0; i < 20; ++i) {
        const int before = w()->bulletSystem()->bulletCount();
        m_player->click(sky);
        QCOMPARE(w()->bulletSystem()->bulletCount(), before - 1);
        ++shots;
        if (w()->bulletSystem()->bulletCount() == 0)
            break;
        m_player->step(12);
    }
    QCOMPARE(shots, 8);

    // Held on, DeadEye lasts 36 energy steps instead of the 20 of level 1.
    for (int i = 0; i < 1000 && w()->deadEye()->isActive(); ++i)
        m_player->step();
    QVERIFY(!w()->deadEye()->isActive());
    QCOMPARE(m_player->energyStepsWhileActive, 36);
    QCOMPARE(w()->stage(), 2);

    m_game->releaseMouse(sky, Qt::RightButton);
    m_game->pressKey(Qt::Key_Escape);
    m_player->step();
    m_game->releaseKey(Qt::Key_Escape);
    QCOMPARE(w()->stage(), 3);
    const int score = w()->scoreBoard()->score();
    QVERIFY(m_player->clickButton(kHomeButton));
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);
}

void EndToEndTest::secondStartGoesStraightToMenu() {
    m_game->restart();
    m_player = std::make_unique<Player>(*m_game);
    QVERIFY(!w()->isFirstStart());
    QCOMPARE(w()->stage(), 0);
    for (int i = 0; i < 2000 && w()->stage() == 0; ++i)
        m_player->step();
    QCOMPARE(w()->stage(), 1);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    QCOMPARE(w()->character()->level(), 3);
    QCOMPARE(w()->deadEye()->maxEnergy, 36.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 8);
    QCOMPARE(readFile(QStringLiteral("data_0")), QByteArray("1"));
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
