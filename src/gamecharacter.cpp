#include "gamecharacter.h"

#include "gameids.h"

#include "animation.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "pixmaps.h"
#include "savedfile.h"

#include <QList>
#include <QRectF>
#include <climits>
#include <cmath>

namespace {
constexpr double kGravity = 1.6;
constexpr double kFastFallGravity = 3.5;
// A ground line at or above y = 1 is the hiding place above the window, not
// the real ground, so landing there must not end the start invincibility.
constexpr int kRealGroundMinY = 1;
constexpr double kLeftMargin = 40.0;

constexpr int kFramesPerSheet = 2;
constexpr int kTicksPerFrame = 1;
const QString kUprightSheet = QStringLiteral(":/images/dino.png");
const QString kLowSheet = QStringLiteral(":/images/dino_rush.png");

const QString kLevelFile = QString::fromLatin1(FileName::Level);
constexpr int kFirstLevel = 1;

// Head, body and legs of the upright dinosaur, from its w x h frame at (x, y).
// The int divisions are deliberate: the boxes follow whole-pixel thirds.
QList<QRectF> uprightRects(double x, double y, int w, int h) {
    return {QRectF(x + 0.5 * w, y, 0.5 * w, h / 3),
            QRectF(x, y + h / 3, 0.75 * w, 2 * h / 3 - h / 3),
            QRectF(x + 0.25 * w, y + 2 * h / 3, 0.5 * w, h - 2 * h / 3)};
}

// Head, body and legs of the low (ducking or dashing) dinosaur.
QList<QRectF> lowRects(double x, double y, int w, int h) {
    return {QRectF(x + w / 30, y + h / 20, 29 * w / 30 - w / 30, h / 3 - h / 20),
            QRectF(x + w / 6, y + h / 3, 5 * w / 6 - w / 6, 2 * h / 3 - h / 3),
            QRectF(x + 0.25 * w, y + 2 * h / 3, 5 * w / 12 - 0.25 * w, h - 2 * h / 3)};
}
} // namespace

GameCharacter::GameCharacter(EnvironmentSystem* environment, QObject* parent)
    : QObject(parent), m_crashBox(new CrashBox(nullptr)), m_environment(environment) {
    setPosture(Posture::Upright);
    loadLevel();
}

GameCharacter::~GameCharacter() {
    delete m_crashBox;
}

void GameCharacter::reset() {
    delete m_crashBox;
    m_crashBox = new CrashBox(nullptr);
    setPosture(Posture::Upright);
    m_invincible = true;
    m_landed = false;
    m_vy = 0.0;
    m_vx = 0.0;
    m_gravity = kGravity;
    keepInvincible = false;
    m_canMoveSideways = true;
    m_health = 1.0;
}

void GameCharacter::setPosture(int type) {
    if (type != Posture::Upright && type != Posture::Low) {
        updateCrashBox(m_posture);
        return;
    }

    bool hadAnimation = false;
    double oldHeight = 0.0;
    if (m_animation) {
        hadAnimation = true;
        oldHeight = m_animation->frameHeight;
        delete m_animation;
    }

    m_sheet = loadPixmap(type == Posture::Upright ? kUprightSheet : kLowSheet);
    // Keep the feet on the same line when the sprite changes height.
    if (hadAnimation)
        m_position.setY(m_position.y() + oldHeight - m_sheet.height());

    m_animation = Animation::started(m_sheet, m_sheet.width() / kFramesPerSheet, kTicksPerFrame,
                                     this, &m_frame);

    m_posture = type;
    updateCrashBox(m_posture);
}

void GameCharacter::updateCrashBox(int type) {
    m_crashBox->clear();
    const double x = m_position.x();
    const double y = m_position.y();
    const int w = m_frame.width();
    const int h = m_frame.height();
    if (type == Posture::Upright)
        m_crashBox->setRects(uprightRects(x, y, w, h));
    else if (type == Posture::Low)
        m_crashBox->setRects(lowRects(x, y, w, h));
}

int GameCharacter::loadLevel() {
    m_level = SavedFile::readOrCreate(kLevelFile, kFirstLevel);
    return m_level;
}

bool GameCharacter::saveLevel() {
    return SavedFile::write(kLevelFile, m_level);
}

bool GameCharacter::levelUp() {
    // A hand-edited level file can put the level at the very top: it stays
    // there rather than wrapping round to the lowest level.
    if (m_level < INT_MAX)
        ++m_level;
    return saveLevel();
}

QPointF GameCharacter::center() const {
    return m_position + QPointF(m_frame.width() / 2, m_frame.height() / 2);
}

double GameCharacter::width() const {
    return m_animation->frameWidth;
}

double GameCharacter::height() const {
    return m_animation->frameHeight;
}

QRect GameCharacter::screenRect() const {
    return m_environment ? m_environment->screenRect() : QRect();
}

double GameCharacter::timeFactor() const {
    return m_deadEye ? m_deadEye->timeFactor() : 1.0;
}

void GameCharacter::fall() {
    if (!m_airborne) {
        m_fastFall = false;
        m_gravity = kGravity;
        return;
    }

    const double f = timeFactor();
    // Under DeadEye the stored gravity compounds by f² every tick, so a jump
    // in progress nearly freezes its vertical speed until the skill ends.
    if (m_deadEye && m_deadEye->isActive())
        m_gravity = f * f * m_gravity;
    else
        m_gravity = kGravity;
    if (m_fastFall)
        m_gravity = kFastFallGravity;

    m_vy += m_gravity;
    m_position.setY(m_position.y() + m_vy * f * f);

    if (m_position.y() > m_groundY) {
        m_position.setY(m_groundY);
        m_airborne = false;
        if (!m_landed && m_groundY > kRealGroundMinY) {
            m_landed = true;
            if (!keepInvincible)
                m_invincible = false;
        }
        emit hitGround();
    }
}

void GameCharacter::horizontal_shift() {
    if (!m_landed || !m_canMoveSideways || m_vx == 0.0)
        return;

    const int screenWidth = screenRect().width();
    const double w = m_animation->frameWidth;
    if (m_position.x() < kLeftMargin)
        m_position.setX(kLeftMargin);
    else if (m_position.x() + w > screenWidth)
        m_position.setX((screenWidth - 1) - w);

    const double f = timeFactor();
    const double newX = m_position.x() + m_vx * f * f;
    // One step may overshoot a margin; the clamp above pulls it back next tick.
    if (newX >= kLeftMargin || newX + w < screenWidth)
        m_position.setX(newX);
}

void GameCharacter::move_to(double relative_speed) {
    if (!autoMove)
        return;

    if (relative_speed >= std::abs(targetX - m_position.x())) {
        m_position.setX(targetX);
        autoMove = false;
        return;
    }
    const double step = targetX > m_position.x() ? relative_speed : -relative_speed;
    m_position.setX(m_position.x() + step);
}

void GameCharacter::die() {
    m_health = 0.0;
}
