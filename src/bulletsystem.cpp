#include "bulletsystem.h"

#include "bullet.h"
#include "gameids.h"
#include "pixmaps.h"
#include "progressbar.h"
#include "steptimer.h"

#include <QColor>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kReloadIntervalMs = 400;
constexpr int kShootIntervalMs = 50;
// Reload steps to wait before each bullet comes back.
constexpr int kReloadDelay = 5;
// Cooldown steps a shot costs: at most one shot per 250 ms.
constexpr int kShotCooldown = 5;

constexpr double kBulletSpeed = 50.0;
constexpr double kBulletLength = 15.0;
constexpr double kBulletWidth = 8.0;
const QColor kBulletColor(10, 10, 10);

const QString kTargetImage = QStringLiteral(":/images/target.png");

constexpr double kStartBarWidth = 200.0;
constexpr double kResetBarWidth = 300.0;
constexpr double kBarHeight = 30.0;
const QColor kStartBarFill(244, 162, 113);

// Truncation, not rounding: a bullet counts as inside only by whole pixels.
QPoint truncated(const QPointF& point) {
    return QPoint(static_cast<int>(point.x()), static_cast<int>(point.y()));
}
} // namespace

BulletSystem::BulletSystem(const QRect& screenRect, QObject* parent)
    : QObject(parent), m_targetImage(loadPixmap(kTargetImage)), m_reloadTimer(new StepTimer(this)),
      m_shootTimer(new StepTimer(this)),
      m_bar(ProgressBar::panelBar(kStartBarWidth, kBarHeight, BarType::Magazine, this)),
      m_screenRect(screenRect) {
    m_reloadTimer->setInterval(kReloadIntervalMs);
    connect(m_reloadTimer, &StepTimer::timeout, this, &BulletSystem::loadOneBullet);
    m_reloadTimer->start();
    m_shootTimer->setInterval(kShootIntervalMs);
    connect(m_shootTimer, &StepTimer::timeout, this, &BulletSystem::updateShootCD);
    m_shootTimer->start();

    m_bar->setFillColor(kStartBarFill);
}

void BulletSystem::setDeadEye(DeadEye* deadEye) {
    m_deadEye = deadEye;
    m_bullets.removeAll(nullptr);
    for (Bullet* bullet : std::as_const(m_bullets))
        bullet->setDeadEye(deadEye);
}

void BulletSystem::reset(const QRect& screenRect) {
    m_screenRect = screenRect;
    m_bulletCount = m_capacity;
    qDeleteAll(m_bullets);
    m_bullets.clear();

    delete m_bar;
    m_bar = ProgressBar::panelBar(kResetBarWidth, kBarHeight, BarType::Magazine, this);
    m_bar->setGrey();

    m_reloadPaused = false;
    m_shootCD = 0;
    m_reloadDelay = kReloadDelay;
}

void BulletSystem::shoot(const QPointF& from, const QPoint& to) {
    if (m_bulletCount < 1 || m_shootCD >= 1)
        return;

    auto* bullet =
        new Bullet(m_damage, from, QPointF(to), kBulletSpeed, kBulletLength, kBulletWidth, this);
    bullet->setDeadEye(m_deadEye);
    bullet->setColor(kBulletColor);
    m_bullets.append(bullet);

    m_shootCD += kShotCooldown;
    m_bulletCount = qBound(0, m_bulletCount - 1, m_capacity);
}

void BulletSystem::setDamage(double damage) {
    m_damage = damage;
    for (Bullet* bullet : std::as_const(m_bullets)) {
        if (bullet)
            bullet->setDamage(damage);
    }
}

void BulletSystem::updateMovement() {
    for (Bullet* bullet : std::as_const(m_bullets)) {
        if (bullet && !bullet->isHit())
            bullet->shift();
    }
}

void BulletSystem::updateState() {
    removeBullets();
}

void BulletSystem::updateBar() {
    m_bar->setProgress(static_cast<double>(m_bulletCount) / m_capacity);
}

void BulletSystem::updateShootCD() {
    if (m_shootCD >= 1)
        --m_shootCD;
    else if (m_shootCD < 0)
        m_shootCD = 0;
}

void BulletSystem::removeBullets() {
    // A bullet half out of the window may still hit something on the edge,
    // so only one with both ends outside is retired.
    for (Bullet* bullet : std::as_const(m_bullets)) {
        if (!bullet || bullet->isHit())
            continue;
        if (!m_screenRect.contains(truncated(bullet->position())) &&
            !m_screenRect.contains(truncated(bullet->head())))
            bullet->setHit();
    }

    int index = 0;
    while (index < m_bullets.size()) {
        Bullet* bullet = m_bullets.at(index);
        if (!bullet) {
            m_bullets.removeAt(index);
        } else if (bullet->isHit()) {
            delete bullet;
            m_bullets.removeAt(index);
        } else {
            ++index;
        }
    }
}

void BulletSystem::loadOneBullet() {
    if (m_reloadPaused)
        return;
    if (m_bulletCount == m_capacity) {
        m_reloadDelay = kReloadDelay;
        return;
    }
    if (m_reloadDelay > 0) {
        --m_reloadDelay;
        return;
    }
    m_bulletCount = std::min(m_capacity, std::max(m_bulletCount + 1, 0));
    m_reloadDelay = kReloadDelay;
    if (m_bulletCount == m_capacity)
        emit reloaded();
}

void BulletSystem::rememberPositions() {
    for (Bullet* bullet : std::as_const(m_bullets)) {
        if (bullet)
            bullet->motion.remember(bullet->position());
    }
}

void BulletSystem::paintBullets(QPainter& painter, double fraction) {
    const QPointF markOffset(m_targetImage.width() / 2, m_targetImage.height() / 2);
    for (Bullet* bullet : std::as_const(m_bullets)) {
        if (!bullet || bullet->isHit())
            continue;
        bullet->paint(painter,
                      bullet->motion.drawnAt(bullet->position(), fraction) - bullet->position());
        painter.drawPixmap(bullet->target() - markOffset, m_targetImage);
    }
}
