#include "monster.h"

#include "animation.h"
#include "crashbox.h"
#include "palette.h"
#include "pixmaps.h"
#include "progressbar.h"

#include <QColor>
#include <QRectF>

namespace {
const QString kHealthySheetPath = QStringLiteral(":/images/ufo.png");
const QString kDamagedSheetPath = QStringLiteral(":/images/ufo_unhealthy.png");

constexpr int kDamagedFrames = 4;
constexpr int kDamagedTicksPerFrame = 2;
constexpr int kExplosionFrames = 5;

constexpr int kDamagedHealth = 400;

constexpr double kBarWidth = 1000.0;
constexpr double kBarHeight = 30.0;
constexpr double kBarBorderWidth = 4.0;
const QColor kBarFill(253, 145, 67);
const QColor kBarFillDamaged(253, 92, 67);
} // namespace

Monster::Monster(QObject* parent) : QObject(parent) {
    m_sheet = loadPixmap(kHealthySheetPath);
    startAnimation(m_sheet.width(), 1);
    m_type = kHealthyLook;
    m_healthBar = new ProgressBar(kBarWidth, kBarHeight, QPointF(0, 0), kBarBorderWidth, this);
    m_healthBar->setFillColor(kBarFill);
    m_healthBar->setBorderColor(kInkColor);
    m_crashBox = new CrashBox(this);
    updateCrashBox(m_type);
}

bool Monster::isHealthy() const {
    return m_health > kDamagedHealth;
}

void Monster::startAnimation(double frameWidth, int ticksPerFrame) {
    m_animation = Animation::started(m_sheet, frameWidth, ticksPerFrame, this, &m_frame);
}

void Monster::setType(int type) {
    if (type != kHealthyLook && type != kDamagedLook)
        return;
    const bool hadAnimation = m_animation != nullptr;
    double oldHeight = 0.0;
    if (hadAnimation) {
        oldHeight = m_animation->frameHeight;
        delete m_animation;
        m_animation = nullptr;
    }
    m_sheet = loadPixmap(type == kHealthyLook ? kHealthySheetPath : kDamagedSheetPath);
    // Keep the bottom edge of the saucer where it was.
    if (hadAnimation)
        m_pos.ry() += oldHeight - m_sheet.height();
    if (type == kHealthyLook)
        startAnimation(m_sheet.width(), 1);
    else
        startAnimation(m_sheet.width() / kDamagedFrames, kDamagedTicksPerFrame);
    m_type = type;
    updateCrashBox(m_type);
}

void Monster::explode(const QPixmap& sheet) {
    m_type = kExplodingLook;
    delete m_animation;
    m_sheet = sheet;
    // The explosion hangs from the saucer's top-left corner; the box stays frozen.
    startAnimation(m_sheet.width() / kExplosionFrames, 1);
}

void Monster::updateBar() {
    m_healthBar->setProgress(m_health / static_cast<double>(kFullHealth));
    if (m_health <= kDamagedHealth)
        m_healthBar->setFillColor(kBarFillDamaged);
}

void Monster::updateCrashBox(int type) {
    if (type != kHealthyLook && type != kDamagedLook)
        return;
    // Only the lower two thirds of the saucer can be hit.
    const int w = m_frame.width();
    const int h = m_frame.height();
    m_crashBox->clear();
    m_crashBox->addRect(QRectF(m_pos.x(), m_pos.y() + h / 3, w, (2 * h) / 3));
}
