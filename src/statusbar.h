#pragma once

#include <QFont>
#include <QList>
#include <QObject>
#include <QRect>
#include <QStringList>

class BulletSystem;
class DeadEye;
class ProgressBar;
class QPainter;
class Skill;

// The framed panel at the bottom left: magazine, DeadEye energy and dash recharge.
class StatusBar : public QObject {
    Q_OBJECT
public:
    StatusBar(DeadEye* deadEye, BulletSystem* bulletSystem, Skill* skill, const QRect& screenRect,
              QObject* parent = nullptr);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    QRect panelRect() const { return m_panelRect; }
    void setPanelRect(const QRect& rect) { m_panelRect = rect; }
    QRect screenRect() const { return m_screenRect; }
    void setScreenRect(const QRect& rect) { m_screenRect = rect; }

public slots:
    void paint(QPainter& painter);
    void updatePosition(QRect screenRect);
    void updateBars();

private:
    // The magazine, DeadEye and dash bars, in panel order (null for a missing owner).
    QList<ProgressBar*> bars() const;
    const QFont& labelFont(int boxWidth);

    DeadEye* m_deadEye;
    BulletSystem* m_bulletSystem;
    Skill* m_skill;
    bool m_visible = false;
    QRect m_panelRect;
    QRect m_screenRect;
    // Magazine, DeadEye and skill, in the language of the running game.
    QStringList m_labels;
    QFont m_labelFont;
    int m_labelFontBoxWidth = -1;
};
