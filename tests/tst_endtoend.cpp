#include "gameharness.h"
#include "gameids.h"

#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gameclock.h"
#include "gamenumber.h"
#include "gametext.h"
#include "monster.h"
#include "monstersystem.h"
#include "scoreboard.h"

#include <QFileInfo>
#include <QTest>

namespace {

int bankedEssence() {
    return readFile(QStringLiteral("game_score.txt")).toInt();
}

// Plays the window the way the running program does: the game's clock and a
// repaint per step.
class Player {
public:
    explicit Player(GameHarness& game) : m_game(game) {}

    void step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            const DeadEye* deadEye = m_game->deadEye();
            const bool wasActive = deadEye->isActive();
            const double energyBefore = deadEye->energy();
            if (m_clock.widget() != m_game.widget())
                m_clock.attach(m_game.widget());
            m_clock.tick();
            // Only an energy step takes energy, and an active one always does.
            energyStepsWhileActive += wasActive && deadEye->energy() < energyBefore;
            m_game.paint();
        }
    }
    void click(QPointF pos) {
        m_game.pressMouse(pos);
        step();
        m_game.releaseMouse(pos);
    }
    void clickButton(int id) {
        if (const GameButton* button = m_game->button(id))
            click(button->rect().center());
    }

    int energyStepsWhileActive = 0;

private:
    GameHarness& m_game;
    GameClock m_clock;
};
} // namespace

// One player's whole career in one working directory; each slot continues
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
    for (int i = 0; i < 2000 && w()->stage() == Stage::Loading; ++i)
        m_player.step();
    QCOMPARE(w()->stage(), Stage::Story);
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
    for (int i = 0; i < 20000 && w()->stage() == Stage::Story; ++i) {
        QVERIFY(!QFileInfo::exists(QStringLiteral("data_0")));
        m_player.step();
    }
    QCOMPARE(w()->stage(), Stage::Tutorial);
    QCOMPARE(readFile(QStringLiteral("data_0")), QByteArray("1"));
    m_player.clickButton(ButtonId::Start);
    QCOMPARE(w()->stage(), Stage::Menu);
    QCOMPARE(w()->essenceDisplay()->number(), 0);
}

void EndToEndTest::upgradeScreenWithTooLittleEssence() {
    m_player.clickButton(ButtonId::Upgrade);
    QCOMPARE(w()->stage(), Stage::Upgrade);
    QVERIFY(!w()->button(ButtonId::Confirm)->isVisible());
    m_player.clickButton(ButtonId::Confirm); // hidden: nothing happens
    QCOMPARE(w()->stage(), Stage::Upgrade);
    m_player.clickButton(ButtonId::Quit);
    QCOMPARE(w()->stage(), Stage::Menu);
    QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray("1"));
}

void EndToEndTest::deathOnCactusBanksTheScoreOnce() {
    QVERIFY(m_game.startRun());
    QVERIFY(!w()->character()->isInvincible());
    // Standing still, the dinosaur meets the first cactus that scrolls in
    // (no bird flies low enough to reach it).
    for (int i = 0; i < 5000 && w()->stage() == Stage::Run; ++i)
        m_player.step();
    QCOMPARE(w()->stage(), Stage::GameOver);
    const int score = w()->scoreBoard()->score();
    QVERIFY(score > 0);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);

    // The frozen game-over screen neither scores nor banks again.
    m_player.step(120);
    QCOMPARE(w()->scoreBoard()->score(), score);
    m_player.clickButton(ButtonId::Restart);
    QCOMPARE(w()->stage(), Stage::Menu);
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::pausedRunBanksOnHome() {
    // Short stretches only: the first cactus needs about 150 ticks to arrive.
    QVERIFY(m_game.startRun());
    m_player.step(50);
    const int scoreBeforePause = w()->scoreBoard()->score();
    QVERIFY(scoreBeforePause >= 1);
    m_game.tapKey(Qt::Key_Escape);
    QCOMPARE(w()->stage(), Stage::Pause);
    m_player.step(100);
    QCOMPARE(w()->scoreBoard()->score(), scoreBeforePause);
    m_player.clickButton(ButtonId::Continue);
    m_player.step(50);
    QCOMPARE(w()->stage(), Stage::Run);
    QCOMPARE(w()->scoreBoard()->score(), scoreBeforePause + 1);

    m_player.clickButton(ButtonId::Pause);
    QCOMPARE(w()->stage(), Stage::Pause);
    QCOMPARE(bankedEssence(), m_bank);
    m_bank += w()->scoreBoard()->score();
    m_player.clickButton(ButtonId::Home);
    QCOMPARE(w()->stage(), Stage::Menu);
    QCOMPARE(bankedEssence(), m_bank);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::bossBeatenDuringDeadEyeWinsTheRun() {
    MonsterSystem* boss = w()->monsterSystem();
    QVERIFY(m_game.startRun());
    // Cacti keep coming during the long fight: the dash's own invincibility
    // fields make them explode harmlessly instead of being jumped.
    w()->character()->keepInvincible = true;
    w()->character()->setInvincible(true);
    while (w()->scoreBoard()->score() < 20)
        w()->updateScores();
    for (int i = 0;
         i < 700 && (boss->state() < 2 || (boss->monster() && boss->monster()->isEntering())); ++i)
        m_player.step();
    Monster* monster = boss->monster();
    QVERIFY(monster && !monster->isEntering());
    QCOMPARE(boss->state(), 2);

    // To keep the fight short the saucer is left with three hits' worth of health.
    monster->setHealth(30);
    const auto boxCentre = [monster] { return monster->crashBox()->rects().first().center(); };
    m_game.pressMouse(boxCentre(), Qt::RightButton);
    m_player.step();
    QList<int> healthSeen = {monster->health()};
    bool deadEyeAtWin = false;
    for (int i = 0; i < 600 && w()->stage() == Stage::Run; ++i) {
        if (i % 15 == 0 && monster->health() > 0)
            m_player.click(boxCentre());
        else
            m_player.step();
        if (healthSeen.last() != monster->health())
            healthSeen.append(monster->health());
        deadEyeAtWin = w()->deadEye()->isActive();
    }
    QCOMPARE(w()->stage(), Stage::Win);
    // Winning ends the slow motion although the right button is still held.
    QVERIFY(!deadEyeAtWin);
    QCOMPARE(healthSeen, QList<int>({30, 20, 10, 0}));
    const int score = w()->scoreBoard()->score();
    QVERIFY(score >= 20 + 3 * 40 + 5000);
    m_bank += score;
    QCOMPARE(bankedEssence(), m_bank);

    // The win screen: a frozen run under the end picture fading in.
    const int fade = w()->environment()->endColor().alpha();
    m_player.step(30);
    QVERIFY(w()->environment()->endColor().alpha() > fade);
    QCOMPARE(w()->scoreBoard()->score(), score);
    QCOMPARE(bankedEssence(), m_bank);
    m_game.releaseMouse(boxCentre(), Qt::RightButton);
    m_player.clickButton(ButtonId::Restart);
    QCOMPARE(w()->stage(), Stage::Menu);
    QVERIFY(!w()->character()->keepInvincible);
    QCOMPARE(boss->state(), 0);
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
}

void EndToEndTest::winningsBuyTwoLevels() {
    for (int level = 2; level <= 3; ++level) {
        m_player.clickButton(ButtonId::Upgrade);
        QVERIFY(w()->button(ButtonId::Confirm)->isVisible());
        m_player.clickButton(ButtonId::Confirm);
        QCOMPARE(w()->stage(), Stage::Menu);
        m_bank -= 50 * (level - 1);
        QCOMPARE(bankedEssence(), m_bank);
        QCOMPARE(readFile(QStringLiteral("data_1")), QByteArray::number(level));
        QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    }
}

void EndToEndTest::nextRunHasLongerDeadEyeAndLargerMagazine() {
    QVERIFY(m_game.startRun());
    QCOMPARE(w()->bulletSystem()->bulletCount(), 8);
    const QPointF sky(1500, 60); // away from every button
    m_player.energyStepsWhileActive = 0;
    m_game.pressMouse(sky, Qt::RightButton);
    m_player.step();
    QVERIFY(w()->deadEye()->isActive());

    // One shot per click once the previous cool-down is over; the eighth
    // empties the magazine (the first reload is at least 100 ticks away).
    int shots = 0;
    for (; shots < 20 && w()->bulletSystem()->bulletCount() > 0; ++shots) {
        const int before = w()->bulletSystem()->bulletCount();
        m_player.click(sky);
        QCOMPARE(w()->bulletSystem()->bulletCount(), before - 1);
        m_player.step(before > 1 ? 12 : 0);
    }
    QCOMPARE(shots, 8);
    // Held on, DeadEye lasts 36 energy steps instead of the 20 of level 1.
    for (int i = 0; i < 1000 && w()->deadEye()->isActive(); ++i)
        m_player.step();
    QCOMPARE(m_player.energyStepsWhileActive, 36);
    QCOMPARE(w()->stage(), Stage::Run);

    m_game.releaseMouse(sky, Qt::RightButton);
    m_player.clickButton(ButtonId::Pause);
    m_bank += w()->scoreBoard()->score();
    m_player.clickButton(ButtonId::Home);
    QCOMPARE(bankedEssence(), m_bank);
}

void EndToEndTest::secondStartGoesStraightToMenu() {
    m_game.restart();
    QVERIFY(!w()->isFirstStart());
    for (int i = 0; i < 2000 && w()->stage() == Stage::Loading; ++i)
        m_player.step();
    QCOMPARE(w()->stage(), Stage::Menu);
    QVERIFY(!w()->textList());
    QCOMPARE(w()->essenceDisplay()->number(), m_bank);
    QCOMPARE(w()->character()->level(), 3);
    QCOMPARE(w()->deadEye()->maxEnergy, 36.0);
    QCOMPARE(w()->bulletSystem()->capacity(), 8);
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
