#include "gamenumber.h"

#include <QPainter>
#include <QRect>

#include "pixmaps.h"

namespace {
const QString kStripPath = QStringLiteral(":/images/numbers.png");
constexpr int kDigitCells = 10;
constexpr int kBase = 10;
constexpr int kMinDigit = 0;
constexpr int kMaxDigit = 9;
} // namespace

GameNumber::GameNumber(int digit, QObject* parent) : QObject(parent) {
    setDigit(digit);
}

void GameNumber::setDigit(int digit) {
    m_digit = (digit < kMinDigit || digit > kMaxDigit) ? 0 : digit;
    const QPixmap strip = loadPixmap(kStripPath);
    const int cellWidth = strip.width() / kDigitCells;
    m_image = strip.copy(QRect(m_digit * cellWidth, 0, cellWidth, strip.height()));
}

NumberSet::NumberSet(int count, int value, QObject* parent) : QObject(parent), m_count(count) {
    for (int i = 0; i < m_count; ++i)
        m_digits.append(new GameNumber(0, this));
    setNumber(value);
}

void NumberSet::setNumber(int value) {
    int rest = qMax(value, 0);
    for (int i = static_cast<int>(m_digits.size()) - 1; i >= 0; --i) {
        m_digits.at(i)->setDigit(rest % kBase);
        rest /= kBase;
    }
}

int NumberSet::number() const {
    int value = 0;
    for (const GameNumber* digit : m_digits)
        value = value * kBase + digit->digit();
    return value;
}

double NumberSet::digitWidth() const {
    return m_digits.isEmpty() ? 0.0 : m_digits.first()->width();
}

double NumberSet::digitHeight() const {
    return m_digits.isEmpty() ? 0.0 : m_digits.first()->height();
}

QPointF NumberSet::bottomRight() const {
    return m_pos + QPointF(m_count * digitWidth(), digitHeight());
}

void NumberSet::setBottomRight(QPointF point) {
    m_pos = point - QPointF(m_count * digitWidth(), digitHeight());
}

void NumberSet::paint(QPainter& painter) {
    const double width = digitWidth();
    for (int i = 0; i < m_digits.size(); ++i)
        painter.drawPixmap(QPointF(m_pos.x() + i * width, m_pos.y()), m_digits.at(i)->image());
}
