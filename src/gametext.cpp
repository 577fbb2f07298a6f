#include "gametext.h"

#include <QFont>
#include <QPainter>

namespace {
constexpr int kOpaque = 255;
constexpr int kFadeStep = 5;
// The last fade-out step leaves alpha 5; below this the text counts as gone.
constexpr int kEndBelow = 6;
constexpr int kHoldStepsPerUnit = 4;
constexpr int kFontSize = 25;
const QString kFontFamily = QStringLiteral("黑体");
constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;
} // namespace

GameText::GameText(const QString& text, const QRect& rect, int holdTime, const QColor& color,
                   QObject* parent)
    : QObject(parent), m_text(text), m_rect(rect), m_holdTime(holdTime), m_color(color) {
    m_color.setAlpha(0);
}

void GameText::advance() {
    const int alpha = m_color.alpha();
    if (alpha >= kOpaque) {
        if (m_holdTime >= 1) {
            --m_holdTime;
        } else {
            m_fadingOut = true;
            m_color.setAlpha(alpha - kFadeStep);
        }
    } else if (!m_fadingOut) {
        m_color.setAlpha(qMin(alpha + kFadeStep, kOpaque));
    } else if (alpha < kEndBelow) {
        m_ended = true;
        emit end();
    } else {
        m_color.setAlpha(alpha - kFadeStep);
    }
}

void GameText::hurry() {
    if (m_fadingOut)
        return;
    m_color.setAlpha(kOpaque);
    m_holdTime = 0;
}

void GameText::display(QPainter& painter) {
    painter.setFont(QFont(kFontFamily, kFontSize));
    painter.setPen(m_color);
    painter.drawText(m_rect, kTextFlags, m_text);
}

TextList::TextList(const QRect& rect, const QColor& color, QObject* parent)
    : QObject(parent), m_rect(rect), m_color(color) {}

void TextList::addText(const QString& text) {
    // Longer texts stay longer: a fixed number of steps per UTF-16 unit.
    m_texts.append(new GameText(text, m_rect, kHoldStepsPerUnit * static_cast<int>(text.size()),
                                m_color, this));
}

void TextList::clear() {
    qDeleteAll(m_texts);
    m_texts.clear();
    m_shown = nullptr;
    // A refilled list starts again at its first text instead of past its end.
    m_index = 0;
}

bool TextList::lastEnded() const {
    return m_texts.isEmpty() || m_texts.last()->isEnded();
}

void TextList::advance() {
    m_shown = nullptr;
    if (m_texts.isEmpty())
        return;
    if (lastEnded()) {
        emit end();
        return;
    }
    if (m_index < m_texts.size() && m_texts.at(m_index)->isEnded())
        ++m_index;
    if (m_index >= m_texts.size()) {
        emit end();
        return;
    }
    m_shown = m_texts.at(m_index);
    m_shown->advance();
}

void TextList::hurry() {
    if (m_index < m_texts.size())
        m_texts.at(m_index)->hurry();
}

void TextList::display(QPainter& painter) {
    if (m_shown)
        m_shown->display(painter);
}
