#include "gameharness.h"

#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "gametext.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "scoreboard.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int kStartButton = 1;
constexpr int kRestartButton = 2;
constexpr int kPauseButton = 3;
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

// Where the cacti and birds in view are along the ground: nothing scrolls or
// spawns on a frozen screen (an explosion that ends there may still swap a
// cactus for its remains, bottom edge kept).
QList<double> onScreenObstacles(const Widget* widget) {
    QList<double> positions;
    for (const Obstacle* obstacle : widget->cactusList() + widget->birdList()) {
        if (obstacle->pos().x() >= 0)
            positions.append(obstacle->pos().x());
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
        if (m_tick % 25 == 0) {
            w->updateObstacles();
            w->updateEnvironment();
        }
        if (m_tick % 50 == 0)
            w->updateScores();
        if (m_tick % 10 == 0) {
            energyStepsWhileActive += w->deadEye()->isActive();
            w->deadEye()->updateEnergy();
        }
        // 50 ms: two steps in every five ticks.
        if (m_tick % 5 == 0 || m_tick % 5 == 2)
            w->bulletSystem()->updateShootCD();
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
    void firstStartShowsStoryAndTutorial();
    void upgradeScreenWithTooLittleEssence();
    void deathOnCactusBanksTheScoreOnce();
    void pausedRunBanksOnHome();
    void bossBeatenDuringDeadEyeWinsTheRun();
    void winningsBuyTwoLevels();
    void nextRunHasLongerDeadEyeAndLargerMagazine();
    void secondStartGoesStraightToMenu();

private:
    Widget* w() const { return m_game.widget(); }

    GameHarness m_game;
    Player m_player{m_game};
    int m_bank = 0;
};

void EndToEndTest::firstStartShowsStoryAndTutorial() {
    QVERIFY(w()->isFirstStart());
    for (int i = 0; i < 2000 && w()->stage() == 0; ++i)
        m_player.step();
    QCOMPARE(w()->stage(), 6);
    QVERIFY(w()->buttons().isEmpty());
    QStringList texts;
    for (const GameText* text : w()->textList()->texts())
        texts.append(text->text());
    // Text 2 keeps its ASCII comma.
    const QStringList story = {
        QStringLiteral("恐龙，是怎么灭绝的？\n天上掉下来的，\n真的只是陨石吗？\n恐怕未必。"),
        QStringLiteral("轰击地球的,\n不是石头。\n是墨鲲的卵鞘，\n来自深空。\n墨鲲降临。"),
        QStringLiteral("幼龙侵害万物。\n植物、恐龙、其他生灵……\n巨兽哀鸣倒地。\n天空布满掠影。"),
        QStringLiteral(
            "世上生灵皆被异化，\n你是唯一幸存者。\n焦土中，残骸间。\n背上，浮游炮…唯一伙伴。"),
        QStringLiteral("它低鸣，警示。\n绿光，在炮口闪烁。\n快跑！急奔！\n炮口旋转，锁定…\n但墨"
                       "鲲从来都不止一只。"),
        QStringLiteral("逃亡，\n已经开始。"),
    };
    QCOMPARE(texts, story);

    // The story moves on by itself, one fade step per frame; clicks do nothing.
    m_player.click(QPointF(w()->width() / 2, w()->height() / 2));
    for (int i = 0; i < 20000 && w()->stage() == 6; ++i) {
        QVERIFY(!QFileInfo::exists(QStringLiteral("data_0")));
        m_player.step();
    }
    QCOMPARE(w()->stage(), 7);
    QCOMPARE(readFile(QStringLiteral("data_0")), QByteArray("1"));
    QVERIFY(!w()->isFirstStart());
    QCOMPARE(visibleButtonIds(w()), QList<int>({kStartButton}));

    QVERIFY(m_player.clickButton(kStartButton));
    QCOMPARE(w()->stage(), 1);
    QCOMPARE(w()->essenceDisplay()->number(), 0);
    QCOMPARE(w()->deadEye()->maxEnergy, 20.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 5);
}

void EndToEndTest::upgradeScreenWithTooLittleEssence() {
    QVERIFY(m_player.clickButton(kUpgradeButton));
    QCOMPARE(w()->stage(), 8);
    QCOMPARE(visibleButtonIds(w()), QList<int>({kQuitButton}));

    // The hidden confirm button cannot be clicked.
    m_player.click(w()->button(kConfirmButton)->rect().center());
    m_player.step(5);
    QCOMPARE(w()->stage(), 8);
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("1"));
    QCOMPARE(bankedEssence(), 0);

    QVERIFY(m_player.clickButton(kQuitButton));
    QCOMPARE(w()->stage(), 1);
}

void EndToEndTest::deathOnCactusBanksTheScoreOnce() {
    QVERIFY(m_player.startRun());
    QVERIFY(!w()->character()->isInvincible());

    // Standing still, the dinosaur meets the first cactus that scrolls in.
    for (int i = 0; i < 5000 && w()->stage() == 2; ++i)
        m_player.step();
    QCOMPARE(w()->stage(), 4);
    bool cactusOnDinosaur = false;
    for (const Obstacle* cactus : w()->cactusList()) {
        cactusOnDinosaur |=
            cactus->active && cactus->crashBox()->intersects(*w()->character()->crashBox());
    }
    QVERIFY(cactusOnDinosaur);

    const int score = w()->scoreBoard()->score();
    QVERIFY(score > 0);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(visibleButtonIds(w()), QList<int>({kRestartButton}));

    // The frozen game-over screen neither scores nor banks again.
    m_player.step(120);
    QCOMPARE(w()->scoreBoard()->score(), score);
    QVERIFY(m_player.clickButton(kRestartButton));
    QCOMPARE(w()->stage(), 1);
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::pausedRunBanksOnHome() {
    // Short stretches only: the first cactus needs about 150 ticks to arrive.
    QVERIFY(m_player.startRun());
    m_player.step(50);
    const int scoreBeforePause = w()->scoreBoard()->score();
    QVERIFY(scoreBeforePause >= 1);

    m_game.pressKey(Qt::Key_Escape);
    m_player.step();
    m_game.releaseKey(Qt::Key_Escape);
    QCOMPARE(w()->stage(), 3);
    m_player.step(100);
    QCOMPARE(w()->scoreBoard()->score(), scoreBeforePause);

    QVERIFY(m_player.clickButton(kContinueButton));
    QCOMPARE(w()->stage(), 2);
    m_player.step(50);
    QCOMPARE(w()->stage(), 2);
    QCOMPARE(w()->scoreBoard()->score(), scoreBeforePause + 1);

    QVERIFY(m_player.clickButton(kPauseButton));
    QCOMPARE(w()->stage(), 3);
    QCOMPARE(bankedEssence(), m_bank);
    m_bank += w()->scoreBoard()->score();
    QVERIFY(m_player.clickButton(kHomeButton));
    QCOMPARE(w()->stage(), 1);
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::bossBeatenDuringDeadEyeWinsTheRun() {
    MonsterSystem* boss = w()->monsterSystem();
    QSignalSpy wins(boss, &MonsterSystem::gameWin);
    QVERIFY(m_player.startRun());

    // Cacti keep coming during the long fight: the dash's own invincibility
    // fields make them explode harmlessly instead of being jumped.
    w()->character()->keepInvincible = true;
    w()->character()->setInvincible(true);

    while (w()->scoreBoard()->score() < 20)
        w()->updateScores();
    for (int i = 0; i < 300 && boss->state() < 2; ++i)
        m_player.step();
    Monster* monster = boss->monster();
    QVERIFY(monster);
    for (int i = 0; i < 400 && monster->isEntering(); ++i)
        m_player.step();
    QVERIFY(!monster->isEntering());
    QCOMPARE(boss->state(), 2);

    // To keep the fight short the saucer is left with three hits' worth of health.
    monster->setHealth(30);
    auto boxCentre = [monster] { return monster->crashBox()->rects().first().center(); };
    m_game.pressMouse(boxCentre(), Qt::RightButton);
    m_player.step();
    QVERIFY(w()->deadEye()->isActive());

    QList<int> healthSeen = {monster->health()};
    bool deadEyeAtWin = false;
    for (int i = 0; i < 600 && w()->stage() == 2; ++i) {
        if (i % 15 == 0 && monster->health() > 0)
            m_player.click(boxCentre());
        else
            m_player.step();
        if (healthSeen.last() != monster->health())
            healthSeen.append(monster->health());
        deadEyeAtWin = w()->deadEye()->isActive();
    }
    QCOMPARE(w()->stage(), 5);
    QVERIFY(deadEyeAtWin);
    QCOMPARE(healthSeen, QList<int>({30, 20, 10, 0}));

    const int score = w()->scoreBoard()->score();
    QVERIFY(score >= 20 + 3 * 40 + 5000);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);

    // The win screen: a frozen world under the end picture fading in.
    QCOMPARE(visibleButtonIds(w()), QList<int>({kRestartButton}));
    const int fade = w()->environment()->endColor().alpha();
    const QList<double> frozen = onScreenObstacles(w());
    const QPointF dinosaur = w()->character()->position();
    m_player.step(30);
    QVERIFY(w()->environment()->endColor().alpha() > fade);
    QCOMPARE(onScreenObstacles(w()), frozen);
    QCOMPARE(w()->character()->position(), dinosaur);
    QCOMPARE(w()->scoreBoard()->score(), score);
    QCOMPARE(wins.count(), 1);
    QCOMPARE(bankedEssence(), m_bank);

    m_game.releaseMouse(boxCentre(), Qt::RightButton);
    QVERIFY(m_player.clickButton(kRestartButton));
    QCOMPARE(w()->stage(), 1);
    QVERIFY(!w()->character()->keepInvincible);
    QCOMPARE(boss->state(), 0);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::winningsBuyTwoLevels() {
    QVERIFY(m_bank >= 150);
    for (int level = 2; level <= 3; ++level) {
        QVERIFY(m_player.clickButton(kUpgradeButton));
        QCOMPARE(w()->stage(), 8);
        QCOMPARE(visibleButtonIds(w()), QList<int>({kConfirmButton, kQuitButton}));
        QVERIFY(m_player.clickButton(kConfirmButton));
        QCOMPARE(w()->stage(), 1);
        m_bank -= 50 * (level - 1);
        QCOMPARE(bankedEssence(), m_bank);
        QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray::number(level));
        QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    }
    QCOMPARE(w()->deadEye()->maxEnergy, 36.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 8);
}

void EndToEndTest::nextRunHasLongerDeadEyeAndLargerMagazine() {
    QVERIFY(m_player.startRun());
    QCOMPARE(w()->bulletSystem()->bulletCount(), 8);

    // Up into the empty sky, away from every button.
    const QPointF sky(1500, 60);
    m_game.pressMouse(sky, Qt::RightButton);
    m_player.step();
    QVERIFY(w()->deadEye()->isActive());
    m_player.energyStepsWhileActive = 0;

    // One shot per click once the cool-down of the previous one is over; the
    // eighth empties the magazine (the first reload is at least 100 ticks away).
    int shots = 0;
    for (; shots < 20 && w()->bulletSystem()->bulletCount() > 0; ++shots) {
        const int before = w()->bulletSystem()->bulletCount();
        m_player.click(sky);
        QCOMPARE(w()->bulletSystem()->bulletCount(), before - 1);
        if (before > 1)
            m_player.step(12);
    }
    QCOMPARE(shots, 8);

    // Held on, DeadEye lasts 36 energy steps instead of the 20 of level 1.
    for (int i = 0; i < 1000 && w()->deadEye()->isActive(); ++i)
        m_player.step();
    QCOMPARE(m_player.energyStepsWhileActive, 36);
    QCOMPARE(w()->stage(), 2);

    m_game.releaseMouse(sky, Qt::RightButton);
    QVERIFY(m_player.clickButton(kPauseButton));
    m_bank += w()->scoreBoard()->score();
    QVERIFY(m_player.clickButton(kHomeButton));
    QCOMPARE(bankedEssence(), m_bank);
}

void EndToEndTest::secondStartGoesStraightToMenu() {
    m_game.restart();
    QVERIFY(!w()->isFirstStart());
    for (int i = 0; i < 2000 && w()->stage() == 0; ++i)
        m_player.step();
    QCOMPARE(w()->stage(), 1);
    QVERIFY(!w()->textList());
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    QCOMPARE(w()->character()->level(), 3);
    QCOMPARE(w()->deadEye()->maxEnergy, 36.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 8);
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
