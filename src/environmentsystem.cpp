#include "environmentsystem.h"

#include <QFont>
#include <QPainter>

#include <utility>

#include "environmentobject.h"
#include "gamerandom.h"
#include "ground.h"
#include "pixmaps.h"

namespace {
const QString kEndImagePath = QStringLiteral(":/images/head_big.png");
constexpr int kGrey = 240;
constexpr int kTextGrey = 40;
constexpr int kOpaque = 255;
constexpr int kEndFadeStep = 2;
constexpr double kSegmentLength = 300.0;
constexpr int kGroundLead = 300;         // ground is kept this far beyond the right edge
constexpr int kGroundRemoveMargin = 100; // segments go this far past the left edge
constexpr double kCloudDueBelow = 0.8;   // share of the width the newest cloud must pass
constexpr double kCloudBandTop = 0.15;   // band of cloud heights, as shares of the ground y
constexpr double kCloudBandBottom = 0.55;
constexpr int kCloudSpreadDivisor = 5; // clouds are born up to a fifth of the width outside
const QString kEndFontFamily = QStringLiteral("Arial");
constexpr int kEndFontSize = 25;
constexpr int kEndTextFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;
const char* const kEndText = QT_TRANSLATE_NOOP(
    "EnvironmentSystem", "恭喜，墨鲲又被您击退！\n看来，今天恐龙还不会灭绝。。。\n"
                         "利用好收集到的能量精粹，\n为明日的逃亡做好准备吧！");
} // namespace

EnvironmentSystem::EnvironmentSystem(QRect screenRect, double speed, QObject* parent)
    : QObject(parent), m_random(&GameRandom::unseeded()), m_screenRect(screenRect), m_speed(speed),
      m_endColor(kGrey, kGrey, kGrey, 0), m_endImage(loadPixmap(kEndImagePath)) {}

EnvironmentSystem::~EnvironmentSystem() {
    qDeleteAll(m_grounds);
    m_grounds.clear();
}

void EnvironmentSystem::setSpeed(double speed) {
    m_speed = speed;
    for (Ground* segment : std::as_const(m_grounds)) {
        if (segment)
            segment->setSpeed(speed);
    }
    for (EnvironmentObject* cloud : std::as_const(m_clouds)) {
        if (cloud)
            cloud->setSpeed(speed);
    }
}

void EnvironmentSystem::resetEnd() {
    m_endColor = QColor(kGrey, kGrey, kGrey, 0);
}

void EnvironmentSystem::updateMovement() {
    for (Ground* segment : std::as_const(m_grounds)) {
        if (segment)
            segment->shift();
    }
    for (EnvironmentObject* cloud : std::as_const(m_clouds)) {
        if (cloud)
            cloud->shift();
    }
}

void EnvironmentSystem::updateState(double groundY) {
    removeGround();
    generateGround(groundY);
    removeCloud();
    generateCloud();
}

void EnvironmentSystem::removeGround() {
    if (m_grounds.isEmpty())
        return;
    Ground* first = m_grounds.first();
    if (!first) {
        m_grounds.removeFirst();
    } else if (first->p2().x() < m_screenRect.left() - kGroundRemoveMargin) {
        m_grounds.removeFirst();
        delete first;
    }
}

void EnvironmentSystem::generateGround(double groundY) {
    while (!m_grounds.isEmpty() && !m_grounds.first())
        m_grounds.removeFirst();

    // Tested before building: nothing is added while the ground already
    // reaches far enough to the right.
    const int coveredBeyond = m_screenRect.right() + kGroundLead;
    while (m_grounds.isEmpty() || m_grounds.last()->p2().x() <= coveredBeyond) {
        const double startX =
            m_grounds.isEmpty() ? m_screenRect.right() : m_grounds.last()->p2().x();
        new Ground(m_grounds, startX, groundY, kSegmentLength, m_speed, *m_random, this);
    }
}

void EnvironmentSystem::removeCloud() {
    if (m_clouds.isEmpty())
        return;
    EnvironmentObject* first = m_clouds.first();
    if (!first) {
        m_clouds.removeFirst();
    } else if (first->isOutOfScreen()) {
        m_clouds.removeFirst();
        delete first;
    }
}

void EnvironmentSystem::generateCloud() {
    if (m_grounds.isEmpty())
        return;
    const int width = m_screenRect.width();
    const EnvironmentObject* newest = m_clouds.isEmpty() ? nullptr : m_clouds.last();
    if (newest && newest->pos().x() > kCloudDueBelow * width)
        return;

    const double groundY = m_grounds.first()->p2().y();
    const double r1 = m_random->generateDouble();
    const double r2 = m_random->generateDouble();
    const double y =
        kCloudBandTop * groundY + r1 * (kCloudBandBottom * groundY - kCloudBandTop * groundY);
    const double x = width + r2 * width / kCloudSpreadDivisor;
    m_clouds.append(new Cloud(this, m_speed, QPointF(x, y)));
}

void EnvironmentSystem::paintEnvironment(QPainter& painter, double fraction) {
    for (Ground* segment : std::as_const(m_grounds)) {
        if (segment)
            segment->paint(painter,
                           segment->motion.drawnAt(segment->p1(), fraction) - segment->p1());
    }
    for (EnvironmentObject* cloud : std::as_const(m_clouds)) {
        if (cloud)
            cloud->paint(painter, fraction);
    }
}

void EnvironmentSystem::rememberPositions() {
    for (Ground* segment : std::as_const(m_grounds)) {
        if (segment)
            segment->motion.remember(segment->p1());
    }
    for (EnvironmentObject* cloud : std::as_const(m_clouds)) {
        if (cloud)
            cloud->motion.remember(cloud->pos());
    }
}

void EnvironmentSystem::advanceEnd() {
    m_endColor.setAlpha(qMin(m_endColor.alpha() + kEndFadeStep, kOpaque));
}

void EnvironmentSystem::paintEnd(QPainter& painter) {
    const int level = m_endColor.alpha();

    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(m_endColor));
    painter.drawRects(&m_screenRect, 1);

    const int width = m_screenRect.width();
    const int height = m_screenRect.height();
    const int imageWidth = m_endImage.width();
    const int imageHeight = m_endImage.height();
    const double share = static_cast<double>(level) / kOpaque;
    const QSize grown(static_cast<int>(imageWidth * share), static_cast<int>(imageHeight * share));
    // The corner stays where the full-size image sits centred, so it grows from there.
    const int imageTop = height / 2 - imageHeight / 2;
    painter.drawPixmap(QPoint(width / 2 - imageWidth / 2, imageTop), scaledEndImage(grown));

    painter.setFont(QFont(kEndFontFamily, kEndFontSize));
    painter.setPen(QColor(kTextGrey, kTextGrey, kTextGrey, level));
    painter.drawText(QRect(QPoint(0, 0), QPoint(width, imageTop)), kEndTextFlags, tr(kEndText));
}

const QPixmap& EnvironmentSystem::scaledEndImage(QSize size) {
    // Smooth scaling is costly; the fade only changes the size until it is opaque.
    if (size != m_scaledEndSize) {
        m_scaledEndImage = m_endImage.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_scaledEndSize = size;
    }
    return m_scaledEndImage;
}

void EnvironmentSystem::paintWhiteBackground(QPainter& painter) {
    painter.setBrush(QBrush(QColor(kGrey, kGrey, kGrey)));
    painter.drawRects(&m_screenRect, 1);
}
