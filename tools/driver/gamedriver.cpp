#include "gamedriver.h"

#include "gamebutton.h"
#include "gamecharacter.h"
#include "gameclock.h"
#include "gameids.h"
#include "monster.h"
#include "monstersystem.h"
#include "replaysession.h"
#include "scoreboard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {
// Generous bounds on how long a screen may take to move on by itself.
constexpr int kLoadingFrames = 2000;
constexpr int kStoryFrames = 20000;
constexpr int kLandingFrames = 200;
constexpr int kApproachFrames = 1000;
// Enough steps back to the menu from any screen.
constexpr int kWaysHome = 4;
} // namespace

ScopedWorkingDirectory::ScopedWorkingDirectory(const QString& directory)
    : m_previous(QDir::currentPath()) {
    if (directory.isEmpty())
        m_temporary.emplace();
    m_path = m_temporary ? (m_temporary->isValid() ? m_temporary->path() : QString()) : directory;
    if (!QDir::setCurrent(m_path))
        m_path.clear();
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    QDir::setCurrent(m_previous);
}

GameDriver::GameDriver(const SavedFiles& files, QSize clientSize, const QString& directory)
    : m_size(clientSize), m_directory(directory),
      m_image(clientSize, QImage::Format_ARGB32_Premultiplied) {
    // The window reads and writes settings (the sound's); never the player's own.
    QStandardPaths::setTestModeEnabled(true);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(it.key());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(it.value());
    }
    build();
}

GameDriver::GameDriver(const Replay& replay)
    : m_size(replay.clientSize), m_image(m_size, QImage::Format_ARGB32_Premultiplied) {
    QStandardPaths::setTestModeEnabled(true);
    ReplaySession::writeSavedFiles(replay);
    build();
    m_widget->playReplay(replay);
}

GameDriver::~GameDriver() = default;

void GameDriver::build() {
    m_widget = std::make_unique<Widget>();
    m_widget->setWindowState(Qt::WindowNoState);
    m_widget->setFixedSize(m_size);
    m_widget->clock()->stopPacing();
    m_frames = 0;
    m_heldButtons = Qt::NoButton;
}

void GameDriver::restart() {
    m_widget.reset();
    build();
}

void GameDriver::step(int count) {
    for (int i = 0; i < count; ++i, ++m_frames)
        m_widget->clock()->step();
}

const QImage& GameDriver::paint(double fraction) {
    m_widget->setDrawFraction(fraction);
    m_widget->render(&m_image);
    m_widget->setDrawFraction(1.0);
    return m_image;
}

void GameDriver::tick(int count) {
    for (int i = 0; i < count; ++i) {
        if (m_upkeep)
            m_upkeep();
        step();
        paint();
    }
}

void GameDriver::stall(int ms) {
    QThread::msleep(ms);
}

void GameDriver::pressKey(int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

void GameDriver::releaseKey(int key) {
    QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

void GameDriver::tapKey(int key) {
    pressKey(key);
    tick();
    releaseKey(key);
}

void GameDriver::sendMouse(int type, QPointF pos, Qt::MouseButton button) {
    QMouseEvent event(QEvent::Type(type), pos, m_widget->mapToGlobal(pos), button, m_heldButtons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

void GameDriver::pressMouse(QPointF pos, Qt::MouseButton button) {
    m_heldButtons |= button;
    sendMouse(QEvent::MouseButtonPress, pos, button);
}

void GameDriver::releaseMouse(QPointF pos, Qt::MouseButton button) {
    m_heldButtons &= ~Qt::MouseButtons(button);
    sendMouse(QEvent::MouseButtonRelease, pos, button);
}

void GameDriver::click(QPointF pos) {
    pressMouse(pos);
    tick();
    releaseMouse(pos);
}

bool GameDriver::clickButton(int id) {
    const GameButton* button = m_widget->button(id);
    if (button)
        click(button->rect().center());
    return button;
}

// The screen that follows is shown for a frame before anything else happens.
bool GameDriver::tickWhile(int limit, int stage) {
    for (int i = 0; i < limit && this->stage() == stage; ++i)
        tick();
    if (this->stage() == stage)
        return false;
    tick();
    return true;
}

// Loading, and on a first start the story, move on by themselves.
bool GameDriver::leaveStart() {
    return (stage() != Stage::Loading || tickWhile(kLoadingFrames, Stage::Loading)) &&
           (stage() != Stage::Story || tickWhile(kStoryFrames, Stage::Story));
}

bool GameDriver::reachMenu() {
    if (!leaveStart())
        return false;
    for (int i = 0; i < kWaysHome && stage() != Stage::Menu; ++i) {
        switch (stage()) {
        case Stage::Tutorial:
            clickButton(ButtonId::Start);
            break;
        case Stage::Run:
            tapKey(Qt::Key_Escape);
            break;
        case Stage::Pause:
            clickButton(ButtonId::Home);
            break;
        case Stage::GameOver:
        case Stage::Win:
            clickButton(ButtonId::Restart);
            break;
        case Stage::Upgrade:
            clickButton(ButtonId::Quit);
            break;
        default:
            return false;
        }
    }
    return stage() == Stage::Menu;
}

bool GameDriver::startRun() {
    if (stage() != Stage::Menu || !clickButton(ButtonId::Start))
        return false;
    for (int i = 0; i < kLandingFrames && m_widget->character()->isAirborne(); ++i)
        tick();
    return stage() == Stage::Run && !m_widget->character()->isAirborne();
}

bool GameDriver::dieInRun(int score) {
    if (!reach(Stage::Run))
        return false;
    m_widget->scoreBoard()->setScore(score);
    return die();
}

bool GameDriver::die() {
    m_widget->character()->setHealth(0.0);
    tick();
    return stage() == Stage::GameOver;
}

// The saucer is called in by the score and beaten as soon as it is there.
bool GameDriver::winRun() {
    MonsterSystem* boss = m_widget->monsterSystem();
    ScoreBoard* score = m_widget->scoreBoard();
    score->setScore(std::max(score->score(), boss->startScore()));
    for (int i = 0; i < kApproachFrames && !boss->monster() && stage() == Stage::Run; ++i)
        tick();
    if (!boss->monster())
        return false;
    boss->monster()->setHealth(0);
    tick();
    return stage() == Stage::Win;
}

bool GameDriver::reach(int target) {
    if (stage() == target)
        return true;
    switch (target) {
    case Stage::Story:
        return stage() == Stage::Loading && tickWhile(kLoadingFrames, Stage::Loading) &&
               stage() == target;
    case Stage::Tutorial:
        return (leaveStart() && stage() == target) ||
               (reachMenu() && clickButton(ButtonId::Teach) && stage() == target);
    case Stage::Menu:
        return reachMenu();
    case Stage::Upgrade:
        return reachMenu() && clickButton(ButtonId::Upgrade) && stage() == target;
    case Stage::Run:
        if (stage() == Stage::Pause)
            return clickButton(ButtonId::Continue) && stage() == target;
        return reachMenu() && startRun();
    case Stage::Pause:
        if (!reach(Stage::Run))
            return false;
        tapKey(Qt::Key_Escape);
        return stage() == target;
    case Stage::GameOver:
        return reach(Stage::Run) && die();
    case Stage::Win:
        return reach(Stage::Run) && winRun();
    default:
        return false;
    }
}
