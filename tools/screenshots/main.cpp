// Renders every screen of the game into PNG files by driving the real window
// with the game driver:
//   brimtalon_screenshots [--size WxH] [--language CODE] <output folder>

#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamedriver.h"
#include "gameids.h"
#include "language.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "scoreboard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

namespace {

constexpr QSize kDefaultSize(1920, 1080);
constexpr int kScoreBelowBoss = 17;
// The game's own texts; translations come with the translator the game installs.
const SavedFiles kFirstStartWithBank = {{QStringLiteral("game_score.txt"), "260"}};

class Director {
public:
    Director(const QString& outputDir, QSize size)
        : m_outputDir(outputDir), m_game(kFirstStartWithBank, size) {
        m_game.setUpkeep([this] {
            if (m_keepAlive)
                game().character()->setHealth(1.0);
            if (m_shielded)
                game().character()->setInvincible(true);
            if (m_holdBackBoss && game().scoreBoard()->score() > kScoreBelowBoss)
                game().scoreBoard()->setScore(kScoreBelowBoss);
        });
    }

    GameDriver& driver() { return m_game; }
    Widget& game() { return *m_game.widget(); }

    void tick(int count = 1) { m_game.tick(count); }

    void untilStage(int stage, int limit) {
        for (int i = 0; i < limit && game().stage() != stage; ++i)
            tick();
    }

    void save(const QString& name) {
        const QString path = QDir(m_outputDir).filePath(name + ".png");
        m_game.paint().save(path);
        QTextStream(stdout) << path << '\n';
    }

    // Keeps the dinosaur alive for pictures that need a long run: obstacles
    // pass through it instead of ending the run.
    void setKeepAlive(bool keepAlive) { m_keepAlive = keepAlive; }
    // The saucer's projectiles strike before the health check: on a shielded
    // dinosaur they burst instead.
    void setShielded(bool shielded) { m_shielded = shielded; }
    // Keeps the score under the saucer's threshold until its own pictures.
    void setHoldBackBoss(bool hold) { m_holdBackBoss = hold; }

private:
    QString m_outputDir;
    GameDriver m_game;
    bool m_keepAlive = false;
    bool m_holdBackBoss = false;
    bool m_shielded = false;
};

void shootAt(Director& director, QPointF target, int ticks) {
    director.driver().pressMouse(target, Qt::RightButton);
    director.tick();
    director.driver().pressMouse(target);
    director.tick(ticks);
    director.driver().releaseMouse(target);
}

void firstStartScreens(Director& director) {
    director.tick(120);
    director.save("01-loading");
    director.untilStage(Stage::Story, 2000);
    director.tick(80);
    director.save("02-story");
    director.untilStage(Stage::Tutorial, 20000);
    director.tick(2);
    director.save("03-tutorial");
    director.driver().clickButton(ButtonId::Start);
    director.tick(200);
    director.save("04-menu");
}

void runScreens(Director& director) {
    Widget& game = director.game();
    director.setKeepAlive(true);
    director.setHoldBackBoss(true);
    director.driver().clickButton(ButtonId::Start);
    for (int i = 0; i < 900; ++i) {
        director.tick();
        if (game.cactusList().size() >= 2 && game.birdList().size() >= 1 && i > 300)
            break;
    }
    director.save("05-running");

    const QPointF aim(game.width() * 0.75, game.groundLine() - 200);
    shootAt(director, aim, 12);
    director.save("06-deadeye");
    director.driver().releaseMouse(aim, Qt::RightButton);
    director.tick(40);

    director.driver().tapKey(Qt::Key_F);
    director.tick(50);
    director.save("07-dash");

    director.driver().tapKey(Qt::Key_Escape);
    director.tick(3);
    director.save("08-pause");
    director.driver().clickButton(ButtonId::Continue);
    director.tick(2);
}

void bossScreens(Director& director) {
    Widget& game = director.game();
    MonsterSystem* boss = game.monsterSystem();
    director.setHoldBackBoss(false);
    director.setShielded(true);
    game.scoreBoard()->setScore(20);
    director.tick(60);
    director.save("10-boss-approach");
    for (int i = 0; i < 400 && !(boss->monster() && !boss->monster()->isEntering()); ++i)
        director.tick();
    Monster* monster = boss->monster();
    if (!monster)
        return;
    // A battered saucer shows its damaged look and throws everything it has.
    monster->setHealth(150);
    boss->launchRing(3);
    boss->launchHead();
    boss->launchHead();
    director.tick(45);
    director.save("11-boss-fight");

    // A few hits' worth of health keeps the picture series short.
    monster->setHealth(30);
    const QPointF saucer = monster->pos() + QPointF(161, 150);
    director.driver().pressMouse(saucer, Qt::RightButton);
    director.tick();
    director.driver().pressMouse(saucer);
    for (int i = 0; i < 600 && game.stage() == Stage::Run; ++i)
        director.tick();
    director.driver().releaseMouse(saucer);
    director.driver().releaseMouse(saucer, Qt::RightButton);
    director.tick(60);
    director.save("12-win");
    director.tick(100);
    director.save("13-win-end");
}

void gameOverScreen(Director& director) {
    director.driver().clickButton(ButtonId::Restart);
    director.tick(30);
    director.driver().clickButton(ButtonId::Start);
    director.tick(200);
    director.setKeepAlive(false);
    director.setShielded(false);
    director.game().character()->die();
    director.tick(3);
    director.save("09-game-over");
    director.driver().clickButton(ButtonId::Restart);
    director.tick(5);
}

void upgradeScreen(Director& director) {
    director.driver().clickButton(ButtonId::Upgrade);
    director.tick(3);
    director.save("14-upgrade");
}

// Reached by keys alone, as a keyboard player finds it: the focus frame
// shows, and with it the options button.
void optionsScreen(Director& director) {
    director.driver().tapKey(Qt::Key_Escape);
    for (int i = 0; i < 8 && director.game().focusedButton()->id != ButtonId::Options; ++i)
        director.driver().tapKey(Qt::Key_Left);
    director.driver().tapKey(Qt::Key_Return);
    director.tick(3);
    director.save("15-options");
}

QSize parseSize(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)x(\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders every screen of the game."));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Client area, e.g. 1366x768."),
                                        QStringLiteral("WxH"), QStringLiteral("1920x1080"));
    const QCommandLineOption languageOption(QStringLiteral("language"),
                                            QStringLiteral("Language of the texts."),
                                            QStringLiteral("code"), QString(Language::Chinese));
    parser.addOptions({sizeOption, languageOption});
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Output folder."));
    parser.process(application);

    const QSize size = parseSize(parser.value(sizeOption));
    const QString language = parser.value(languageOption);
    QTextStream err(stderr);
    if (size.isEmpty()) {
        err << "--size takes WxH, e.g. " << kDefaultSize.width() << 'x' << kDefaultSize.height()
            << '\n';
        return 2;
    }
    if (!Language::isKnown(language) || !Language::install(language)) {
        err << "no texts in language '" << language << "'; available: " << Language::Chinese << ", "
            << Language::English << '\n';
        return 2;
    }
    const QStringList folders = parser.positionalArguments();
    const QString output = QDir(folders.value(0, QDir::currentPath())).absolutePath();
    QDir().mkpath(output);

    Director director(output, size);
    firstStartScreens(director);
    runScreens(director);
    bossScreens(director);
    gameOverScreen(director);
    upgradeScreen(director);
    optionsScreen(director);
    return 0;
}
