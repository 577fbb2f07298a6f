#include "gamedriver.h"
#include "gameids.h"

#include "gamebutton.h"
#include "gamecharacter.h"
#include "savedfile.h"
#include "widget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kClientWidth = 1920;
constexpr int kClientHeight = 1080;

const QColor kFloorFill(240, 240, 240);
const QColor kFloorVeil(255, 205, 0, 50);

// Enough banked essence that the upgrade screen shows its confirm button.
constexpr int kBankedEssence = 100000;

constexpr int kLoadingTickLimit = 2000;
constexpr int kLandingTickLimit = 200;
} // namespace

GameDriver::GameDriver() : m_previousDirectory(QDir::currentPath()) {
    QDir::setCurrent(m_directory.path());
    // Not a first start: no story and tutorial between loading and the menu.
    SavedFile::write(QStringLiteral("data_0"), 1);
    SavedFile::write(QStringLiteral("game_score.txt"), kBankedEssence);

    m_widget = std::make_unique<Widget>();
    m_clock.attach(m_widget.get());
    m_widget->setWindowState(Qt::WindowNoState);
    m_widget->setFixedSize(kClientWidth, kClientHeight);
    m_image = QImage(kClientWidth, kClientHeight, QImage::Format_ARGB32_Premultiplied);
}

GameDriver::~GameDriver() {
    m_widget.reset();
    QDir::setCurrent(m_previousDirectory);
}

void GameDriver::tick() {
    if (m_upkeep)
        m_upkeep();
    runTick();
}

void GameDriver::runTick() {
    m_clock.tick();
    ++m_ticks;
}

void GameDriver::paint() {
    m_widget->render(&m_image);
}

void GameDriver::frame() {
    tick();
    paint();
}

qint64 GameDriver::timedTick() {
    if (m_upkeep)
        m_upkeep();
    QElapsedTimer timer;
    timer.start();
    runTick();
    return timer.nsecsElapsed();
}

qint64 GameDriver::timedPaint() {
    QElapsedTimer timer;
    timer.start();
    paint();
    return timer.nsecsElapsed();
}

qint64 GameDriver::timedFloor() {
    QElapsedTimer timer;
    timer.start();
    QPainter painter(&m_image);
    painter.fillRect(m_image.rect(), kFloorFill);
    painter.fillRect(m_image.rect(), kFloorVeil);
    painter.end();
    return timer.nsecsElapsed();
}

void GameDriver::pressKey(int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

void GameDriver::releaseKey(int key) {
    QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_widget.get(), &event);
}

void GameDriver::sendMouse(QEvent::Type type, QPointF pos, Qt::MouseButton button) {
    QMouseEvent event(type, pos, m_widget->mapToGlobal(pos), button, m_heldButtons, Qt::NoModifier);
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

// A press, one tick and a release: how a player clicks a screen button.
void GameDriver::clickButton(int id) {
    GameButton* button = m_widget->button(id);
    if (!button)
        return;
    const QPointF centre = button->rect().center();
    pressMouse(centre, Qt::LeftButton);
    frame();
    releaseMouse(centre, Qt::LeftButton);
}

bool GameDriver::reachMenu() {
    for (int i = 0; i < kLoadingTickLimit && m_widget->stage() == Stage::Loading; ++i)
        frame();
    return m_widget->stage() == Stage::Menu;
}

bool GameDriver::startRun() {
    if (m_widget->stage() != Stage::Menu)
        return false;
    clickButton(ButtonId::Start);
    for (int i = 0; i < kLandingTickLimit && m_widget->character()->isAirborne(); ++i)
        frame();
    return m_widget->stage() == Stage::Run && !m_widget->character()->isAirborne();
}

bool GameDriver::returnToMenu() {
    if (m_widget->stage() == Stage::Run) {
        pressKey(Qt::Key_Escape);
        frame();
        releaseKey(Qt::Key_Escape);
    }
    if (m_widget->stage() == Stage::Pause)
        clickButton(ButtonId::Home);
    else if (m_widget->stage() == Stage::Win || m_widget->stage() == Stage::GameOver)
        clickButton(ButtonId::Restart);
    return m_widget->stage() == Stage::Menu;
}
