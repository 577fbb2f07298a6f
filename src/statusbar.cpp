#include "statusbar.h"

#include "bulletsystem.h"
#include "deadeye.h"
#include "palette.h"
#include "progressbar.h"
#include "skill.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <QPen>
#include <utility>

#include <algorithm>

namespace {
// The panel spans these fractions of the window; its left edge is a fortieth of the width.
constexpr int kPanelLeftDivisor = 40;
constexpr double kPanelTop = 0.72;
constexpr double kPanelRight = 0.35;
constexpr double kPanelBottom = 0.96;

constexpr double kBarLeft = 0.12;
constexpr double kFirstBarTop = 0.76;
constexpr double kBarWidth = 0.15;
constexpr int kBarHeightDivisor = 25;
constexpr double kBarSpacing = 0.06;
// Each label sits in a box this wide directly left of its bar.
constexpr double kLabelWidth = 0.08;

constexpr int kPanelPenWidth = 3;
constexpr int kLabelPointSize = 20;
constexpr int kLabelMargin = 6;
} // namespace

StatusBar::StatusBar(DeadEye* deadEye, BulletSystem* bulletSystem, Skill* skill,
                     const QRect& screenRect, QObject* parent)
    : QObject(parent), m_deadEye(deadEye), m_bulletSystem(bulletSystem), m_skill(skill),
      m_screenRect(screenRect), m_labels({tr("弹药量"), tr("死亡之眼"), tr("技能")}) {}

QList<ProgressBar*> StatusBar::bars() const {
    // Looked up on every call: the owners replace their bars when they reset.
    return {m_bulletSystem ? m_bulletSystem->bar() : nullptr,
            m_deadEye ? m_deadEye->bar() : nullptr, m_skill ? m_skill->bar() : nullptr};
}

void StatusBar::paint(QPainter& painter) {
    if (!m_visible)
        return;

    const QPen oldPen = painter.pen();
    const QBrush oldBrush = painter.brush();

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kInkColor, kPanelPenWidth));
    painter.drawRects(&m_panelRect, 1);

    const double screenWidth = m_screenRect.width();
    painter.setFont(labelFont(int(kLabelWidth * screenWidth)));
    painter.setPen(kInkColor);

    const QList<ProgressBar*> panelBars = bars();
    for (int i = 0; i < panelBars.size(); ++i) {
        ProgressBar* bar = panelBars.at(i);
        if (!bar)
            continue;
        bar->paint(painter);
        const QPointF position = bar->position();
        const QRect box(static_cast<int>(position.x() - kLabelWidth * screenWidth),
                        static_cast<int>(position.y()), static_cast<int>(kLabelWidth * screenWidth),
                        static_cast<int>(bar->height()));
        painter.drawText(box, Qt::AlignCenter, m_labels.at(i));
    }

    painter.setPen(oldPen);
    painter.setBrush(oldBrush);
}

// On a narrow window the longest label would touch its bar: the font then
// shrinks until every label keeps a margin in its box. Worked out once per width.
const QFont& StatusBar::labelFont(int boxWidth) {
    if (boxWidth == m_labelFontBoxWidth)
        return m_labelFont;
    m_labelFontBoxWidth = boxWidth;
    m_labelFont = QFont();
    m_labelFont.setPointSize(kLabelPointSize);
    const auto widest = [this] {
        int width = 0;
        for (const QString& label : std::as_const(m_labels))
            width = std::max(width, QFontMetrics(m_labelFont).horizontalAdvance(label));
        return width;
    };
    while (m_labelFont.pointSize() > 1 && widest() > boxWidth - 2 * kLabelMargin)
        m_labelFont.setPointSize(m_labelFont.pointSize() - 1);
    return m_labelFont;
}

void StatusBar::updatePosition(QRect screenRect) {
    m_screenRect = screenRect;
    const int width = screenRect.width();
    const int height = screenRect.height();

    const int panelLeft = width / kPanelLeftDivisor;
    m_panelRect = QRect(panelLeft, static_cast<int>(kPanelTop * height),
                        static_cast<int>(kPanelRight * width - panelLeft),
                        static_cast<int>(kPanelBottom * height - kPanelTop * height));

    if (m_bulletSystem)
        m_bulletSystem->setScreenRect(screenRect);

    // Each bar sits a fixed fraction of the height below the one before it.
    QPointF position(kBarLeft * width, kFirstBarTop * height);
    for (ProgressBar* bar : bars()) {
        if (!bar)
            continue;
        bar->setPosition(position);
        bar->setWidth(kBarWidth * width);
        bar->setHeight(height / kBarHeightDivisor);
        position = QPointF(position.x(), kBarSpacing * height + position.y());
    }
}

void StatusBar::updateBars() {
    if (m_bulletSystem)
        m_bulletSystem->updateBar();
    if (m_deadEye)
        m_deadEye->updateBar();
    if (m_skill)
        m_skill->updateBar();
}
