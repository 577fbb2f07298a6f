#include "obstacle.h"

#include "animation.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "crashbox.h"
#include "gamecharacter.h"
#include "pixmaps.h"
#include "scoreboard.h"

#include <QLineF>
#include <QRect>
#include <QRectF>
#include <cmath>

namespace {
const QString kBombsPath = QStringLiteral(":/images/bombs.png");
const QString kCactiPath = QStringLiteral(":/images/cacti.png");
const QString kCactiFlatPath = QStringLiteral(":/images/cacti_flat.png");
const QString kBirdPath = QStringLiteral(":/images/bird.png");
const QString kBirdDeadPath = QStringLiteral(":/images/bird_dead.png");
const QString kHeadDeadPath = QStringLiteral(":/images/head_dead.png");

constexpr int kExplosionFrames = 5;

constexpr int kSmallCactusKinds = 4;
constexpr int kLargeCactusKind = 4; // the fifth kind, 0-based
constexpr int kSmallCactusWidth = 50;
constexpr int kLargeCactusX = 200;
constexpr int kLargeCactusWidth = 100;

constexpr int kTypeLargeCactus = 5;
constexpr int kTypeBird = 6;
constexpr int kTypeHead = 7;
constexpr int kTypeBall = 8;

constexpr int kCactusScore = 10;
constexpr int kBirdScore = 20;
constexpr int kProjectileScore = 25;

constexpr int kBirdFrames = 2;
constexpr int kBirdTicksPerFrame = 2;
constexpr int kBirdFallDelay = 6;
constexpr int kBirdFallDivisor = 15;
// The bird's wing, body and tail, relative to its top-left corner.
constexpr QRect kBirdWing(4, 11, 24, 27);
constexpr QRect kBirdBody(29, 5, 18, 64);
constexpr QRect kBirdTail(47, 35, 36, 18);

constexpr double kHeadFrameWidth = 76.0;
constexpr double kHeadLockDistance = 240.0;
constexpr double kDestroyedHeadAcceleration = 0.5;
constexpr double kBallAcceleration = 0.3;
constexpr double kBallGroundMargin = 5.0;

// Cactus kind k (0-based) as cut from a strip of five cells.
QPixmap cactusCell(const QPixmap& strip, int kind) {
    if (kind < kSmallCactusKinds)
        return strip.copy(kind * kSmallCactusWidth, 0, kSmallCactusWidth, strip.height());
    return strip.copy(kLargeCactusX, 0, kLargeCactusWidth, strip.height());
}

QPixmap remainsPicture(int type) {
    if (type == kTypeBird)
        return loadPixmap(kBirdDeadPath);
    if (type == kTypeHead)
        return loadPixmap(kHeadDeadPath);
    return cactusCell(loadPixmap(kCactiFlatPath), type - 1);
}

// The central three quarters of a w x h frame at pos, in whole pixels.
QRectF centralBox(QPointF pos, int w, int h) {
    const int left = w / 8;
    const int top = h / 8;
    return QRectF(pos.x() + left, pos.y() + top, (7 * w) / 8 - left, (7 * h) / 8 - top);
}
} // namespace

Obstacle::Obstacle(QObject* parent) : QObject(parent) {
    const QPixmap bombs = loadPixmap(kBombsPath);
    explosion = new Effect(bombs, bombs.width() / kExplosionFrames, 1, this);
    connect(explosion, &Effect::end, this, &Obstacle::explosionFinished);
}

void Obstacle::updateCrashBox() {}

void Obstacle::shift() {
    m_pos.rx() -= m_speed;
    if (!active)
        return;
    updateCrashBox();
    respondToCollisions(KillOrder::CrashedThenDie);
}

int Obstacle::scoreValue() const {
    if (m_type == kTypeBird)
        return kBirdScore;
    if (m_type == kTypeHead || m_type == kTypeBall)
        return kProjectileScore;
    return kCactusScore;
}

void Obstacle::destroy() {
    active = false;
    exploding = true;
    if (m_scoreBoard)
        m_scoreBoard->addScore(scoreValue());
    emit exploded();
}

void Obstacle::respondToCollisions(KillOrder order) {
    if (m_character && m_character->crashBox() && m_crashBox &&
        m_character->crashBox()->intersects(*m_crashBox)) {
        m_hitPos = m_pos;
        if (m_character->isInvincible()) {
            destroy();
        } else if (order == KillOrder::CrashedThenDie) {
            emit crashed();
            m_character->die();
        } else {
            m_character->die();
            emit crashed();
        }
    }

    if (!m_bulletSystem || !m_crashBox)
        return;
    // Every bullet is tested, so two bullets landing in the same step both score.
    const QList<Bullet*> bullets = m_bulletSystem->bullets();
    for (Bullet* bullet : bullets) {
        if (!bullet || bullet->isHit())
            continue;
        if (bullet->hitTest(*m_crashBox)) {
            m_hitPos = m_pos;
            emit hitByBullet();
            destroy();
        }
    }
}

void Obstacle::explosionFinished() {
    exploding = false;
    finished = true;
    const int oldHeight = m_sheet.height();
    delete animation;
    animation = nullptr;

    // A ball (or an unknown type) leaves nothing behind; its last frame stays.
    const bool hasRemains =
        (m_type >= 1 && m_type <= kTypeLargeCactus) || m_type == kTypeBird || m_type == kTypeHead;
    if (hasRemains) {
        const QPixmap remains = remainsPicture(m_type);
        m_sheet = remains;
        // Keep the bottom edge where it was.
        m_pos.ry() += oldHeight - remains.height();
        animation = Animation::started(remains, remains.width(), 1, this, &frame);
    }
    if (m_crashBox)
        m_crashBox->clear();
}

void Obstacle::wire(GameCharacter* character, BulletSystem* bulletSystem, ScoreBoard* scoreBoard) {
    m_character = character;
    m_bulletSystem = bulletSystem;
    m_scoreBoard = scoreBoard;
}

void Obstacle::advanceFrame() {
    if (exploding)
        frame = explosion->play();
    else if (animation)
        frame = animation->play();
}

Cacti::Cacti(QObject* parent, GameRandom& random) : Obstacle(parent) {
    const int kind = random.bounded(0, kLargeCactusKind);
    m_type = kind + 1;
    m_sheet = cactusCell(loadPixmap(kCactiPath), kind);
    frame = m_sheet;
    m_height = m_sheet.height();
    m_crashBox = new CrashBox(this);
    updateCrashBox();
}

void Cacti::updateCrashBox() {
    m_crashBox->clear();
    m_crashBox->addRect(QRectF(m_pos.x(), m_pos.y(), frame.width(), frame.height()));
}

Bird::Bird(QObject* parent) : Obstacle(parent) {
    m_sheet = loadPixmap(kBirdPath);
    m_type = kTypeBird;
    m_height = m_sheet.height();
    animation = Animation::started(m_sheet, m_sheet.width() / kBirdFrames, kBirdTicksPerFrame, this,
                                   &frame);
    m_crashBox = new CrashBox(this);
    updateCrashBox();
}

void Bird::updateCrashBox() {
    m_crashBox->clear();
    for (const QRect& part : {kBirdWing, kBirdBody, kBirdTail})
        m_crashBox->addRect(QRectF(part).translated(m_pos));
}

void Bird::shift() {
    Obstacle::shift();
    if (active)
        return;
    drop();
}

void Bird::drop() {
    m_dropCount += 1;
    const int n = m_dropCount;
    if (n >= kBirdFallDelay)
        m_pos.ry() += (n - kBirdFallDelay) * (n - kBirdFallDelay) / kBirdFallDivisor;
}

Head::Head(const QPixmap& sheet, QObject* parent) : Obstacle(parent) {
    m_sheet = sheet;
    m_type = kTypeHead;
    m_height = sheet.height();
    m_lockDistance = kHeadLockDistance;
    animation = Animation::started(sheet, kHeadFrameWidth, 1, this, &frame);
    m_crashBox = new CrashBox(this);
    updateCrashBox();
}

void Head::updateCrashBox() {
    m_crashBox->clear();
    m_crashBox->addRect(centralBox(m_pos, frame.width(), frame.height()));
}

void Head::setTarget(QPointF point) {
    if (!m_homing)
        return;
    m_target = point;
    const QPointF v = point - m_pos;
    const double length = std::hypot(v.x(), v.y());
    m_direction = length == 0.0 ? QPointF(0.0, 1.0) : v / length;
}

double Head::distanceToTarget() const {
    const QPointF center = m_pos + QPointF(frame.width() / 2, frame.height() / 2);
    return QLineF(center, m_target).length();
}

void Head::shift() {
    if (!active) {
        m_pos += m_direction * m_speed;
        m_speed += kDestroyedHeadAcceleration;
        return;
    }
    if (distanceToTarget() > m_lockDistance)
        setTarget(m_character->center());
    else
        m_homing = false;
    m_pos += m_direction * m_speed;
    updateCrashBox();
    respondToCollisions(KillOrder::DieThenCrashed);
}

Ball::Ball(const QPixmap& image, int delay, QObject* parent) : Obstacle(parent), m_delay(delay) {
    m_sheet = image;
    m_type = kTypeBall;
    m_height = image.height();
    animation = Animation::started(image, image.width(), 1, this, &frame);
    m_crashBox = new CrashBox(this);
    updateCrashBox();
}

void Ball::updateCrashBox() {
    m_crashBox->clear();
    m_crashBox->addRect(centralBox(m_pos, frame.width(), frame.height()));
}

void Ball::setAngle(double angle) {
    m_direction = QPointF(std::cos(angle), std::sin(angle));
}

void Ball::shift() {
    if (m_delay > 0) {
        m_delay -= 1;
        return;
    }
    m_pos.rx() += m_direction.x() * m_speed;
    m_pos.ry() += m_direction.y() * m_speed;
    m_speed += kBallAcceleration;
    if (!active)
        return;
    updateCrashBox();
    // Reaching the ground is not the player's doing, so it earns nothing.
    if (m_pos.y() >= m_character->groundY() + kBallGroundMargin) {
        active = false;
        exploding = true;
    }
    respondToCollisions(KillOrder::DieThenCrashed);
}
