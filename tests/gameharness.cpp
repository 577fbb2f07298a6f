#include "gameharness.h"

#include "gamebutton.h"
#include "gamecharacter.h"
#include "monstersystem.h"
#include "scoreboard.h"

#include <QImage>
#include <QTest>
#include <QTimer>

GameHarness::GameHarness(QSize clientSize)
    : m_size(clientSize), m_directory(std::make_unique<ScopedWorkingDirectory>()) {
    build();
}

GameHarness::~GameHarness() {
    m_widget.reset();
}

void GameHarness::build() {
    m_widget = std::make_unique<Widget>();
    stopTimers();
    m_widget->setWindowState(Qt::WindowNoState);
    m_widget->setFixedSize(m_size);
}

void GameHarness::restart() {
    m_widget.reset();
    build();
}

void GameHarness::stopTimers() {
    for (QTimer* timer : m_widget->findChildren<QTimer*>())
        timer->stop();
}

void GameHarness::tick(int count) {
    for (int i = 0; i < count; ++i)
        m_widget->updateScene();
}

bool GameHarness::finishLoading(int limit) {
    for (int i = 0; i < limit && m_widget->stage() == 0; ++i) {
        if (i % 25 == 0)
            m_widget->updateEnvironment();
        tick();
    }
    return m_widget->stage() != 0;
}

bool GameHarness::reachMenu() {
    if (!finishLoading())
        return false;
    if (m_widget->stage() == 6) {
        for (int i = 0; i < 20000 && m_widget->stage() == 6; ++i)
            paint();
    }
    if (m_widget->stage() == 7)
        clickButton(1);
    return m_widget->stage() == 1;
}

bool GameHarness::reachMenuAsLaterStart() {
    if (!writeFile(m_directory->path() + "/data_0", "1"))
        return false;
    restart();
    if (!reachMenu())
        return false;
    // A few menu ticks bring the dinosaur home from the loading bar.
    tick(2);
    return true;
}

bool GameHarness::startRun() {
    if (m_widget->stage() != 1)
        return false;
    clickButton(1);
    for (int i = 0; i < 200 && m_widget->character()->isAirborne(); ++i)
        tick();
    return m_widget->stage() == 2 && !m_widget->character()->isAirborne();
}

bool GameHarness::dieInRun(int score) {
    if (!startRun())
        return false;
    m_widget->scoreBoard()->setScore(score);
    m_widget->character()->setHealth(0.0);
    tick();
    return m_widget->stage() == 4;
}

bool GameHarness::reachStage(int stage) {
    if (!reachMenuAsLaterStart())
        return false;
    if (stage == 4)
        return dieInRun(0);
    if (stage == 7)
        clickButton(8);
    else if (stage == 8)
        clickButton(7);
    else if (stage >= 2 && stage <= 5 && !startRun())
        return false;
    if (stage == 3) {
        clickButton(3);
    } else if (stage == 5) {
        emit m_widget->monsterSystem()->gameWin();
    }
    return m_widget->stage() == stage;
}

void GameHarness::pressKey(int key) {
    QTest::keyPress(m_widget.get(), Qt::Key(key));
}

void GameHarness::releaseKey(int key) {
    QTest::keyRelease(m_widget.get(), Qt::Key(key));
}

void GameHarness::tapKey(int key) {
    pressKey(key);
    tick();
    releaseKey(key);
}

void GameHarness::pressMouse(QPointF pos, Qt::MouseButton button) {
    QTest::mousePress(m_widget.get(), button, Qt::NoModifier, pos.toPoint());
}

void GameHarness::releaseMouse(QPointF pos, Qt::MouseButton button) {
    QTest::mouseRelease(m_widget.get(), button, Qt::NoModifier, pos.toPoint());
}

void GameHarness::click(QPointF pos) {
    pressMouse(pos);
    tick();
    releaseMouse(pos);
}

void GameHarness::clickButton(int id) {
    GameButton* button = m_widget->button(id);
    if (button)
        click(button->rect().center());
}

void GameHarness::paint() {
    QImage image(m_widget->size(), QImage::Format_ARGB32_Premultiplied);
    m_widget->render(&image);
}
