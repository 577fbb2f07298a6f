// Renders every screen of the game at 1920 x 1080 into PNG files by driving
// the real window by hand: `brimtalon_screenshots <output folder>`.

#include "gamebutton.h"
#include "gamecharacter.h"
#include "gameclock.h"
#include "gameids.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "scoreboard.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

namespace {

constexpr QSize kScreenSize(1920, 1080);
constexpr int kScoreBelowBoss = 17;

class Director {
public:
    explicit Director(const QString& outputDir) : m_outputDir(outputDir) { rebuild(); }

    Widget& game() { return *m_widget; }

    void rebuild() {
        m_widget = std::make_unique<Widget>();
        m_widget->setWindowState(Qt::WindowNoState);
        m_widget->setFixedSize(kScreenSize);
        m_clock.attach(m_widget.get());
    }

    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            if (m_keepAlive)
                m_widget->character()->setHealth(1.0);
            m_clock.tick();
            if (m_holdBackBoss && m_widget->scoreBoard()->score() > kScoreBelowBoss)
                m_widget->scoreBoard()->setScore(kScoreBelowBoss);
            render();
        }
    }

    QImage render() {
        QImage image(kScreenSize, QImage::Format_ARGB32_Premultiplied);
        m_widget->render(&image);
        return image;
    }

    void save(const QString& name) {
        const QString path = QDir(m_outputDir).filePath(name + ".png");
        render().save(path);
        QTextStream(stdout) << path << '\n';
    }

    void mouse(QEvent::Type type, Qt::MouseButton button, QPointF pos) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, pos, m_widget->mapToGlobal(pos), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_widget.get(), &event);
    }

    void click(int buttonId) {
        GameButton* button = m_widget->button(buttonId);
        if (!button)
            return;
        const QPointF centre = button->rect().center();
        mouse(QEvent::MouseButtonPress, Qt::LeftButton, centre);
        tick();
        mouse(QEvent::MouseButtonRelease, Qt::LeftButton, centre);
    }

    void key(QEvent::Type type, int key) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QCoreApplication::sendEvent(m_widget.get(), &event);
    }

    // Keeps the dinosaur alive for pictures that need a long run: obstacles
    // pass through it instead of ending the run.
    void setKeepAlive(bool keepAlive) { m_keepAlive = keepAlive; }
    // Keeps the score under the saucer's threshold until its own pictures.
    void setHoldBackBoss(bool hold) { m_holdBackBoss = hold; }

private:
    QString m_outputDir;
    std::unique_ptr<Widget> m_widget;
    GameClock m_clock;
    bool m_keepAlive = false;
    bool m_holdBackBoss = false;
};

void untilStage(Director& director, int stage, int limit) {
    for (int i = 0; i < limit && director.game().stage() != stage; ++i)
        director.tick();
}

void shootAt(Director& director, QPointF target, int ticks) {
    director.mouse(QEvent::MouseButtonPress, Qt::RightButton, target);
    director.tick();
    director.mouse(QEvent::MouseButtonPress, Qt::LeftButton, target);
    director.tick(ticks);
    director.mouse(QEvent::MouseButtonRelease, Qt::LeftButton, target);
}

void firstStartScreens(Director& director) {
    director.tick(120);
    director.save("01-loading");
    untilStage(director, Stage::Story, 2000);
    director.tick(80);
    director.save("02-story");
    untilStage(director, Stage::Tutorial, 20000);
    director.tick(2);
    director.save("03-tutorial");
    director.click(ButtonId::Start);
    director.tick(200);
    director.save("04-menu");
}

void runScreens(Director& director) {
    Widget& game = director.game();
    director.setKeepAlive(true);
    director.setHoldBackBoss(true);
    director.click(ButtonId::Start);
    for (int i = 0; i < 900; ++i) {
        director.tick();
        if (game.cactusList().size() >= 2 && game.birdList().size() >= 1 && i > 300)
            break;
    }
    director.save("05-running");

    const QPointF aim(game.width() * 0.75, game.groundLine() - 200);
    shootAt(director, aim, 12);
    director.save("06-deadeye");
    director.mouse(QEvent::MouseButtonRelease, Qt::RightButton, aim);
    director.tick(40);

    director.key(QEvent::KeyPress, Qt::Key_F);
    director.tick();
    director.key(QEvent::KeyRelease, Qt::Key_F);
    for (int i = 0; i < 50; ++i) {
        director.tick();
    }
    director.save("07-dash");

    director.key(QEvent::KeyPress, Qt::Key_Escape);
    director.tick();
    director.key(QEvent::KeyRelease, Qt::Key_Escape);
    director.tick(3);
    director.save("08-pause");
    director.click(ButtonId::Continue);
    director.tick(2);
}

void bossScreens(Director& director) {
    Widget& game = director.game();
    director.setHoldBackBoss(false);
    game.scoreBoard()->setScore(20);
    for (int i = 0; i < 60; ++i) {
        director.tick();
    }
    director.save("10-boss-approach");
    for (int i = 0; i < 400 && !(game.monsterSystem()->monster() &&
                                 !game.monsterSystem()->monster()->isEntering());
         ++i) {
        director.tick();
    }
    Monster* monster = game.monsterSystem()->monster();
    if (!monster)
        return;
    // A battered saucer shows its damaged look and throws everything it has.
    monster->setHealth(150);
    game.monsterSystem()->launchRing(3);
    game.monsterSystem()->launchHead();
    game.monsterSystem()->launchHead();
    for (int i = 0; i < 45; ++i) {
        director.tick();
    }
    director.save("11-boss-fight");

    // A few hits' worth of health keeps the picture series short.
    monster->setHealth(30);
    const QPointF saucer = monster->pos() + QPointF(161, 150);
    director.mouse(QEvent::MouseButtonPress, Qt::RightButton, saucer);
    director.tick();
    director.mouse(QEvent::MouseButtonPress, Qt::LeftButton, saucer);
    for (int i = 0; i < 600 && game.stage() == Stage::Run; ++i)
        director.tick();
    director.mouse(QEvent::MouseButtonRelease, Qt::LeftButton, saucer);
    director.mouse(QEvent::MouseButtonRelease, Qt::RightButton, saucer);
    director.tick(60);
    director.save("12-win");
    director.tick(100);
    director.save("13-win-end");
}

void gameOverScreen(Director& director) {
    Widget& game = director.game();
    director.click(ButtonId::Restart);
    director.tick(30);
    director.click(ButtonId::Start);
    director.tick(200);
    director.setKeepAlive(false);
    game.character()->die();
    director.tick(3);
    director.save("09-game-over");
    director.click(ButtonId::Restart);
    director.tick(5);
}

void upgradeScreen(Director& director) {
    director.click(ButtonId::Upgrade);
    director.tick(3);
    director.save("14-upgrade");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QString output = argc > 1 ? QDir(argv[1]).absolutePath() : QDir::currentPath();
    QDir().mkpath(output);

    QTemporaryDir workDir;
    QDir::setCurrent(workDir.path());
    {
        QFile essence("game_score.txt");
        if (essence.open(QIODevice::WriteOnly | QIODevice::Text))
            QTextStream(&essence) << 260;
    }

    Director director(output);
    firstStartScreens(director);
    runScreens(director);
    bossScreens(director);
    gameOverScreen(director);
    upgradeScreen(director);
    return 0;
}
