#include "attachment.h"

#include "animation.h"
#include "deadeye.h"
#include "gamecharacter.h"
#include "pixmaps.h"

namespace {
const QPointF kGunOffset(-40.0, -30.0);
constexpr int kGunFrames = 4;
constexpr int kGunTicksPerFrame = 2;
constexpr int kPlainLook = 1;
constexpr int kColouredLook = 2;
const QString kPlainSheet = QStringLiteral(":/images/gun_nocolor.png");
const QString kColouredSheet = QStringLiteral(":/images/gun_color.png");
} // namespace

Attachment::Attachment(QObject* parent, GameCharacter* owner)
    : QObject(parent), m_offset(0.0, 0.0), m_owner(owner) {}

QPointF Attachment::position() const {
    const QPointF ownerPosition = m_owner ? m_owner->position() : QPointF();
    return ownerPosition + m_offset;
}

QPointF Attachment::center() const {
    return position() + QPointF(m_frame.width() / 2, m_frame.height() / 2);
}

Gun::Gun(DeadEye* deadEye, QObject* parent, GameCharacter* owner)
    : Attachment(parent, owner), m_deadEye(deadEye) {
    m_offset = kGunOffset;
    if (m_deadEye)
        connect(m_deadEye, &DeadEye::state_changed, this, &Gun::updateAnimationType);
    buildAnimation(kPlainLook);
}

void Gun::updateAnimationType() {
    buildAnimation(m_deadEye && m_deadEye->isActive() ? kColouredLook : kPlainLook);
}

void Gun::buildAnimation(int type) {
    delete m_animation;
    m_sheet = loadPixmap(type == kColouredLook ? kColouredSheet : kPlainSheet);
    m_animation = Animation::started(m_sheet, m_sheet.width() / kGunFrames, kGunTicksPerFrame, this,
                                     &m_frame);
    m_animationType = type;
}
