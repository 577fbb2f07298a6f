#include "scoreboard.h"

#include "gamenumber.h"

namespace {
constexpr int kDigitCount = 7;
} // namespace

ScoreBoard::ScoreBoard(QObject* parent)
    : QObject(parent), m_digits(new NumberSet(kDigitCount, 0, this)) {}

void ScoreBoard::setScore(int score) {
    // The board is laid out by its bottom-right corner, so that is what stays put.
    const QPointF anchor = m_digits->bottomRight();
    m_score = qMax(score, 0);
    m_digits->setNumber(m_score);
    m_digits->setBottomRight(anchor);
}

void ScoreBoard::addScore(int points) {
    setScore(m_score + points);
}

void ScoreBoard::subtractScore(int points) {
    setScore(m_score - points);
}

void ScoreBoard::reset() {
    setScore(0);
    m_visible = false;
}

QPointF ScoreBoard::pos() const {
    return m_digits->pos();
}

void ScoreBoard::setPos(QPointF pos) {
    m_digits->setPos(pos);
}

QPointF ScoreBoard::bottomRight() const {
    return m_digits->bottomRight();
}

void ScoreBoard::setBottomRight(QPointF point) {
    m_digits->setBottomRight(point);
}

double ScoreBoard::width() const {
    return m_digits->totalWidth();
}

double ScoreBoard::height() const {
    return m_digits->digitHeight();
}

void ScoreBoard::paint(QPainter& painter) {
    if (m_visible)
        m_digits->paint(painter);
}
