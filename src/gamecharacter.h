#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QRect>

#include "motion.h"

class Animation;
class CrashBox;
class DeadEye;
class EnvironmentSystem;
class ScoreBoard;

// The player's dinosaur: falls onto the ground line, jumps, ducks, walks and
// is steered by the dash; its health decides the game over.
class GameCharacter : public QObject {
    Q_OBJECT
public:
    // Home is this fraction of the window width from the left edge.
    static constexpr double kHomeRatio = 0.3;

    explicit GameCharacter(EnvironmentSystem* environment, QObject* parent = nullptr);
    ~GameCharacter() override;

    // The dash writes these directly while it runs and when it ends.
    bool autoMove = false;
    double targetX = 0.0;
    bool keepInvincible = false;

    void reset();
    void setPosture(int type);
    void updateCrashBox(int type);

    int loadLevel();
    // False when the level could not be saved; it is still raised in play.
    bool saveLevel();
    bool levelUp();
    int level() const { return m_level; }

    void setDeadEye(DeadEye* deadEye) { m_deadEye = deadEye; }
    void setScoreBoard(ScoreBoard* scoreBoard) { m_scoreBoard = scoreBoard; }
    ScoreBoard* scoreBoard() const { return m_scoreBoard; }

    QPointF position() const { return m_position; }
    // Where it was when the step began, for frames drawn between steps.
    Motion motion;
    void setPosition(QPointF position) { m_position = position; }
    QPointF center() const;
    double groundY() const { return m_groundY; }
    void setGroundY(double groundY) { m_groundY = static_cast<int>(groundY); }
    double vy() const { return m_vy; }
    void setVy(double vy) { m_vy = vy; }
    double vx() const { return m_vx; }
    void setVx(double vx) { m_vx = vx; }
    double gravity() const { return m_gravity; }
    void setGravity(double gravity) { m_gravity = gravity; }
    bool isAirborne() const { return m_airborne; }
    void setAirborne(bool airborne) { m_airborne = airborne; }
    bool isFastFall() const { return m_fastFall; }
    void setFastFall(bool fastFall) { m_fastFall = fastFall; }
    bool canMoveSideways() const { return m_canMoveSideways; }
    void setCanMoveSideways(bool can) { m_canMoveSideways = can; }
    double health() const { return m_health; }
    void setHealth(double health) { m_health = health; }
    bool isInvincible() const { return m_invincible; }
    void setInvincible(bool invincible) { m_invincible = invincible; }
    bool hasLanded() const { return m_landed; }
    int posture() const { return m_posture; }

    QPixmap frame() const { return m_frame; }
    QPixmap sheet() const { return m_sheet; }
    void setSheet(const QPixmap& sheet) { m_sheet = sheet; }
    Animation* animation() const { return m_animation; }
    // Replaces the shown frame; the window's animation clock does this.
    void setFrame(const QPixmap& frame) { m_frame = frame; }
    double width() const;
    double height() const;
    QRect screenRect() const;
    CrashBox* crashBox() const { return m_crashBox; }

signals:
    void hitGround();

public slots:
    void fall();
    void horizontal_shift();
    void move_to(double relative_speed);
    void die();

private:
    double timeFactor() const;

    ScoreBoard* m_scoreBoard = nullptr;
    QPixmap m_sheet;
    QPixmap m_frame;
    Animation* m_animation = nullptr;
    bool m_landed = false;
    CrashBox* m_crashBox = nullptr;
    DeadEye* m_deadEye = nullptr;
    EnvironmentSystem* m_environment;
    int m_level = 1;
    QPointF m_position;
    int m_groundY = 300;
    double m_vy = 0.0;
    double m_vx = 0.0;
    bool m_airborne = true;
    bool m_canMoveSideways = true;
    bool m_fastFall = false;
    double m_gravity = 1.6;
    double m_health = 1.0;
    bool m_invincible = true;
    int m_posture = 1;
};
