#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointF>

class Animation;
class DeadEye;
class GameCharacter;

// A sprite that rides on the character at a fixed offset.
class Attachment : public QObject {
    Q_OBJECT
public:
    Attachment(QObject* parent, GameCharacter* owner);

    QPointF offset() const { return m_offset; }
    void setOffset(QPointF offset) { m_offset = offset; }
    QPointF position() const;
    QPointF center() const;
    QPixmap frame() const { return m_frame; }
    void setFrame(const QPixmap& frame) { m_frame = frame; }
    QPixmap sheet() const { return m_sheet; }
    void setSheet(const QPixmap& sheet) { m_sheet = sheet; }
    GameCharacter* owner() const { return m_owner; }

protected:
    QPixmap m_sheet;
    QPixmap m_frame;
    QPointF m_offset;
    GameCharacter* m_owner;
};

// The floating gun: plain while DeadEye is off, coloured while it is on.
class Gun : public Attachment {
    Q_OBJECT
public:
    Gun(DeadEye* deadEye, QObject* parent, GameCharacter* owner);

    Animation* animation() const { return m_animation; }
    int animationType() const { return m_animationType; }

public slots:
    void updateAnimationType();

private:
    // Restarts the animation on the sheet of the given look (1 plain, 2 coloured).
    void buildAnimation(int type);

    Animation* m_animation = nullptr;
    DeadEye* m_deadEye;
    int m_animationType = 1;
};
