#include "monstersystem.h"

#include "animation.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamecharacter.h"
#include "gameids.h"
#include "gamerandom.h"
#include "monster.h"
#include "obstacle.h"
#include "pixmaps.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "steptimer.h"

#include <QPainter>
#include <QPoint>
#include <QRect>
#include <algorithm>
#include <utility>

namespace {
const QString kFlyImagePath = QStringLiteral(":/images/mk_fly.png");
const QString kHeadImagePath = QStringLiteral(":/images/heads.png");
const QString kBallImagePath = QStringLiteral(":/images/ball.png");
const QString kExplosionImagePath = QStringLiteral(":/images/bombs_big.png");

constexpr int kInitialStartScore = 4;
constexpr int kStartScore = 20;
constexpr int kCrashIntervalMs = 30;

constexpr int kApproachSteps = 100;
constexpr int kApproachCounterCeiling = 1 << 24;
constexpr double kApproachDivisor = 2500.0;
constexpr int kFightingSteps = 400;
constexpr int kAwaySteps = 600;

constexpr int kWinBonus = 5000;
constexpr int kHitScore = 40;

// Hover band and speeds, pixels per tick.
constexpr double kBarTop = 10.0;
constexpr double kHoverTop = 30.0;
constexpr double kHoverBottom = 40.0;
constexpr double kEnteringSpeed = 1.5;
constexpr double kHoverSpeed = 0.5;
constexpr double kLeavingSpeed = 5.0;

// Ring attack: the interval shrinks and the waves grow as health is lost.
constexpr int kIntervalAbove750 = 500;
constexpr int kIntervalAbove500 = 400;
constexpr int kIntervalAbove250 = 300;
constexpr int kIntervalLowest = 200;
constexpr int kHealth750 = 750;
constexpr int kHealth500 = 500;
constexpr int kHealth250 = 250;
constexpr int kRingMaxLost = 799;
constexpr int kRingMinLost = 199;
constexpr int kRingLostPerWave = 200;
constexpr int kRainMaxLost = 1199;
constexpr int kRainLostPerWave = 300;
constexpr int kMaxWaves = 3;

constexpr double kPi = 3.14159265358979323846;
constexpr int kRingBalls = 20;
constexpr double kRingAngleStep = kPi / 10;
constexpr int kRingDelay = 6;
constexpr double kRingSpeed = 8.0;
constexpr int kFanBalls = 5;
constexpr double kFanAngleStep = kPi / 6;
constexpr int kFanDelay = 4;
constexpr double kFanSpeed = 6.0;
constexpr int kRainColumns = 15;
constexpr int kRainDelay = 9;
constexpr double kRainSpeed = 16.0;
constexpr int kRainVisiblePixels = 2;

constexpr double kHeadSpeed = 4.0;
constexpr double kLockDistanceMin = 150.0;
constexpr double kLockDistanceRange = 200.0;
constexpr double kLockBand = 10.0;
constexpr double kHeadDashSpeed = 18.6;
constexpr double kHeadBandSpeed = 18.0;
constexpr double kDestroyedHeadDrop = 50.0;

bool isOnScreen(const Obstacle* obstacle, const QRect& screen) {
    const int x0 = qRound(obstacle->pos().x());
    const int y0 = qRound(obstacle->pos().y());
    const int w = obstacle->frame.width();
    const int h = obstacle->frame.height();
    return screen.contains(QPoint(x0, y0)) || screen.contains(QPoint(x0, y0 + h)) ||
           screen.contains(QPoint(x0 + w, y0 + h)) || screen.contains(QPoint(x0 + w, y0));
}

template <typename T> void deleteAll(QList<T*>& list) {
    qDeleteAll(list);
    list.clear();
}
} // namespace

MonsterSystem::MonsterSystem(ScoreBoard* scoreBoard, EnvironmentSystem* environment,
                             BulletSystem* bulletSystem, GameCharacter* character, DeadEye* deadEye,
                             QObject* parent)
    : QObject(parent), m_startScore(kInitialStartScore), m_scoreBoard(scoreBoard),
      m_character(character), m_environment(environment), m_bulletSystem(bulletSystem),
      m_deadEye(deadEye), m_random(&GameRandom::unseeded()) {
    m_flyImage = loadPixmap(kFlyImagePath);
    m_headImage = loadPixmap(kHeadImagePath);
    m_ballImage = loadPixmap(kBallImagePath);
    m_explosionImage = loadPixmap(kExplosionImagePath);
    m_crashTimer = new StepTimer(this);
    connect(m_crashTimer, &StepTimer::timeout, this, &MonsterSystem::checkCrash);
    m_crashTimer->start(kCrashIntervalMs);
}

void MonsterSystem::reset() {
    m_startScore = kStartScore;
    delete m_monster;
    m_monster = nullptr;
    clearProjectiles();
    m_rainCount = 0;
    m_state = BossState::Waiting;
}

int MonsterSystem::screenWidth() const {
    return m_environment->screenRect().width();
}

int MonsterSystem::screenHeight() const {
    return m_environment->screenRect().height();
}

QPointF MonsterSystem::monsterCenter() const {
    const QPixmap frame = m_monster->frame();
    return m_monster->pos() + QPointF(frame.width() / 2, frame.height() / 2);
}

void MonsterSystem::clearProjectiles() {
    deleteAll(m_heads);
    deleteAll(m_balls);
}

void MonsterSystem::updateState() {
    switch (m_state) {
    case BossState::Waiting:
        if (m_startScore <= m_scoreBoard->score()) {
            m_state = BossState::Approach;
            m_counter = 0;
        }
        break;
    case BossState::Approach:
        if (m_counter > kApproachSteps)
            spawnMonster();
        break;
    case BossState::Fighting:
        if (!m_monster)
            return;
        m_counter += 1;
        if (m_counter > kFightingSteps) {
            launchFan();
            m_state = BossState::Away;
            m_counter = 0;
            m_rainCount = 0;
            m_monster->setEntering(true);
        }
        if (m_monster->health() <= 0)
            win();
        break;
    case BossState::Away:
        m_counter += 1;
        if (m_counter > kAwaySteps) {
            m_state = BossState::Fighting;
            m_counter = 0;
        }
        break;
    default:
        break;
    }
}

void MonsterSystem::spawnMonster() {
    m_state = BossState::Fighting;
    m_counter = 0;
    m_monster = new Monster(this);
    m_monster->setEntering(true);
    const QPixmap frame = m_monster->frame();
    m_monster->setPos(QPointF(screenWidth() / 2 - frame.width() / 2, -frame.height()));
}

void MonsterSystem::win() {
    m_state = BossState::Beaten;
    m_counter = 0;
    if (m_monster)
        m_monster->explode(m_explosionImage);
    clearProjectiles();
    m_scoreBoard->addScore(kWinBonus);
    emit gameWin();
}

void MonsterSystem::updateAttack() {
    if (!m_monster)
        return;
    const int health = m_monster->health();
    const int lost = Monster::kFullHealth - health;
    if (m_state == BossState::Fighting) {
        int interval = kIntervalLowest;
        if (health > kHealth750)
            interval = kIntervalAbove750;
        else if (health > kHealth500)
            interval = kIntervalAbove500;
        else if (health > kHealth250)
            interval = kIntervalAbove250;
        if (m_counter % interval != 0 || lost <= kRingMinLost)
            return;
        launchRing(lost > kRingMaxLost ? kMaxWaves : lost / kRingLostPerWave);
    } else if (m_state == BossState::Away) {
        const bool aboveWindow = m_monster->frameHeight() + m_monster->pos().y() < 0;
        if (!m_monster->isHealthy() && aboveWindow && m_rainCount <= 0)
            launchRain(lost > kRainMaxLost ? kMaxWaves : lost / kRainLostPerWave);
    }
}

void MonsterSystem::wireProjectile(Obstacle* projectile) {
    projectile->wire(m_character, m_bulletSystem, m_scoreBoard);
    if (m_character)
        connect(projectile, &Obstacle::crashed, m_character, &GameCharacter::die);
    connect(projectile, &Obstacle::hitByBullet, this, &MonsterSystem::projectileHit);
    connect(projectile, &Obstacle::exploded, this, &MonsterSystem::projectileExploded);
}

void MonsterSystem::arm(Head* head) {
    wireProjectile(head);
    m_heads.append(head);
}

void MonsterSystem::arm(Ball* ball) {
    wireProjectile(ball);
    m_balls.append(ball);
}

void MonsterSystem::launchRing(int waves) {
    if (waves == 0)
        return;
    int index = 1;
    for (int wave = 0; wave < waves; ++wave) {
        double angle = kRingAngleStep;
        for (int k = 0; k < kRingBalls; ++k) {
            Ball* ball = new Ball(m_ballImage, kRingDelay * index, this);
            ball->setAngle(angle);
            ball->setSpeed(kRingSpeed);
            ball->setPos(monsterCenter());
            arm(ball);
            index += 1;
            angle += kRingAngleStep;
        }
    }
    emit ringLaunched();
}

void MonsterSystem::launchFan() {
    for (int k = 0; k < kFanBalls; ++k) {
        Ball* ball = new Ball(m_ballImage, kFanDelay * k, this);
        ball->setAngle((k + 1) * kFanAngleStep);
        ball->setSpeed(kFanSpeed);
        ball->setPos(monsterCenter());
        arm(ball);
    }
    emit fanLaunched();
}

void MonsterSystem::launchRain(int waves) {
    if (m_rainCount > 0)
        return;
    m_rainCount += 1;
    if (waves == 0)
        return;
    int index = 1;
    for (int wave = 0; wave < waves; ++wave) {
        const int width = screenWidth();
        // A window narrower than the column count would otherwise never be crossed.
        const int step = std::max(1, width / kRainColumns);
        const double y = kRainVisiblePixels - m_ballImage.height();
        for (double x = 0.0; static_cast<double>(width) >= x; x += step) {
            Ball* ball = new Ball(m_ballImage, kRainDelay * index, this);
            ball->setAngle(kPi / 2);
            ball->setSpeed(kRainSpeed);
            ball->setPos(QPointF(x, y));
            arm(ball);
            index += 1;
        }
    }
    emit rainLaunched();
}

void MonsterSystem::launchHead() {
    Head* head = new Head(m_headImage, this);
    // Aimed while still at the origin; its first step re-aims it from the saucer.
    head->setTarget(m_character->position());
    head->setSpeed(kHeadSpeed);
    head->setPos(monsterCenter());
    const double r = m_random->generateDouble();
    head->setLockDistance(kLockDistanceMin + kLockDistanceRange * r);
    arm(head);
    emit headLaunched();
}

void MonsterSystem::checkCrash() {
    if (!m_monster || m_monster->isEntering() || m_state == BossState::Beaten || !m_bulletSystem)
        return;
    // A snapshot, so bullets retired meanwhile cannot disturb the loop. Bullets that
    // already hit something are tested again on purpose.
    const QList<Bullet*> bullets = m_bulletSystem->bullets();
    for (Bullet* bullet : bullets) {
        if (!bullet || !bullet->hitTest(*m_monster->crashBox()))
            continue;
        m_monster->decreaseHealth(static_cast<int>(bullet->damage()));
        emit saucerHit();
        launchHead();
        m_scoreBoard->addScore(kHitScore);
    }
}

void MonsterSystem::updateBar() {
    if (m_state == BossState::Fighting && m_monster)
        m_monster->updateBar();
}

void MonsterSystem::updatePosition() {
    if (!m_monster)
        return;
    if (m_state == BossState::Fighting) {
        const int width = screenWidth();
        ProgressBar* bar = m_monster->healthBar();
        bar->setWidth(width / 3);
        bar->setPosition(QPointF(width / 2 - bar->width() * 0.5, kBarTop));

        QPointF p = m_monster->pos();
        if (p.y() < kHoverTop) {
            m_monster->setVy(m_monster->isEntering() ? kEnteringSpeed : kHoverSpeed);
        } else if (p.y() > kHoverBottom) {
            m_monster->setVy(-kHoverSpeed);
            if (m_monster->isEntering())
                m_monster->setEntering(false);
        }
        p.ry() += m_monster->vy();
        m_monster->setPos(p);
        m_monster->updateCrashBox(m_monster->type());

        removeLostHeads();
        stepHeads();
        removeLostBalls();
        stepBalls();
    } else if (m_state == BossState::Away) {
        QPointF p = m_monster->pos();
        removeLostHeads();
        stepHeads();
        removeLostBalls();
        stepBalls();
        if (m_monster->frameHeight() + p.y() >= 0) {
            p.ry() -= kLeavingSpeed;
            m_monster->setPos(p);
        }
    }
}

void MonsterSystem::stepHeads() {
    const double f = m_deadEye ? m_deadEye->timeFactor() : 1.0;
    for (Head* head : std::as_const(m_heads)) {
        const double s = head->speed();
        head->setSpeed(f * s);
        double after = s;
        if (head->active) {
            const double distance = head->distanceToTarget();
            if (head->lockDistance() > distance)
                after =
                    head->lockDistance() - kLockBand > distance ? kHeadDashSpeed : kHeadBandSpeed;
        } else {
            // A destroyed head that was still homing drops straight down.
            head->setTarget(head->pos() + QPointF(0.0, kDestroyedHeadDrop));
        }
        head->shift();
        head->setSpeed(after);
    }
}

void MonsterSystem::stepBalls() {
    const double f = m_deadEye ? m_deadEye->timeFactor() : 1.0;
    for (Ball* ball : std::as_const(m_balls)) {
        const double s = ball->speed();
        ball->setSpeed(f * s);
        ball->shift();
        ball->setSpeed(s);
    }
}

void MonsterSystem::removeLostHeads() {
    const QRect screen = m_environment->screenRect();
    int j = 0;
    while (j < m_heads.size()) {
        if (isOnScreen(m_heads[j], screen)) {
            j += 1;
        } else {
            delete m_heads[j];
            m_heads.removeAt(j);
        }
    }
}

void MonsterSystem::removeLostBalls() {
    const QRect screen = m_environment->screenRect();
    int j = 0;
    while (j < m_balls.size()) {
        // A finished ball has no animation left, so it must go before the next animation step.
        if (isOnScreen(m_balls[j], screen) && !m_balls[j]->finished) {
            j += 1;
        } else {
            delete m_balls[j];
            m_balls.removeAt(j);
        }
    }
}

void MonsterSystem::updateAnimation() {
    if (!m_monster)
        return;
    if (m_state == BossState::Fighting || m_state == BossState::Away) {
        if (!m_monster->isHealthy() && m_monster->type() != Monster::kDamagedLook)
            m_monster->setType(Monster::kDamagedLook);
        m_monster->setFrame(m_monster->animation()->play());
    } else if (m_state != BossState::Beaten) {
        return;
    }

    for (Head* head : std::as_const(m_heads))
        head->advanceFrame();
    for (Ball* ball : std::as_const(m_balls))
        ball->advanceFrame();
    // The beaten saucer's explosion keeps cycling until the next reset.
    if (m_state == BossState::Beaten)
        m_monster->setFrame(m_monster->animation()->play());
}

const QPixmap& MonsterSystem::scaledFlyImage(QSize size) {
    if (size != m_scaledFlySize) {
        m_scaledFly = m_flyImage.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_scaledFlySize = size;
    }
    return m_scaledFly;
}

// A pause during the approach keeps the counter rising for as long as it
// lasts. The picture has left the window above for good once the counter
// passes the approach, so it is judged in double before anything is turned
// into an int, and the counter stops far below the int's end.
void MonsterSystem::advanceApproach() {
    if (m_state == BossState::Approach && m_counter < kApproachCounterCeiling)
        m_counter += 1;
}

void MonsterSystem::paintApproach(QPainter& painter) {
    const int c = m_counter;
    const double t = c / 100.0;
    const int w = m_flyImage.width();
    const int h = m_flyImage.height();
    const double rise = -static_cast<double>(screenHeight() / 2 + h) * c * (c - kApproachSteps);
    const double top = rise / kApproachDivisor - h;
    if (c > kApproachSteps && top + t * h <= 0)
        return;
    const QSize size(static_cast<int>(w * t), static_cast<int>(t * h));
    const int x = static_cast<int>(screenWidth() / 2 - 0.5 * w * t);
    const int y = static_cast<int>(top);
    if (size.isEmpty() || y + size.height() <= 0)
        return;
    painter.drawPixmap(QPointF(x, y), scaledFlyImage(size));
}

void MonsterSystem::rememberPositions() {
    for (Head* head : std::as_const(m_heads))
        head->motion.remember(head->pos());
    for (Ball* ball : std::as_const(m_balls))
        ball->motion.remember(ball->pos());
    if (m_monster)
        m_monster->motion.remember(m_monster->pos());
}

void MonsterSystem::paintProjectilesAndMonster(QPainter& painter, bool skipFinishedBalls) {
    for (const Head* head : std::as_const(m_heads))
        painter.drawPixmap(head->motion.drawnAt(head->pos(), m_fraction), head->frame);
    for (const Ball* ball : std::as_const(m_balls)) {
        if (!(skipFinishedBalls && ball->finished))
            painter.drawPixmap(ball->motion.drawnAt(ball->pos(), m_fraction), ball->frame);
    }
    if (m_monster)
        painter.drawPixmap(m_monster->motion.drawnAt(m_monster->pos(), m_fraction),
                           m_monster->frame());
}

void MonsterSystem::paint(QPainter& painter, double fraction) {
    m_fraction = fraction;
    switch (m_state) {
    case BossState::Approach:
        paintApproach(painter);
        break;
    case BossState::Fighting:
        paintProjectilesAndMonster(painter, true);
        if (m_monster && !m_monster->isEntering())
            m_monster->healthBar()->paint(painter);
        // The projectiles and the saucer are drawn once more, over the health bar.
        paintProjectilesAndMonster(painter, false);
        break;
    case BossState::Beaten:
    case BossState::Away:
        paintProjectilesAndMonster(painter, false);
        break;
    default:
        break;
    }
}
