#pragma once

#include <QObject>

class EnvironmentSystem;
class GameCharacter;
class ProgressBar;

// A timed ability with a running time, a cooldown and a cooldown bar.
// Both clocks advance 0.1 per update() call.
class Skill : public QObject {
    Q_OBJECT
public:
    Skill(GameCharacter* character, EnvironmentSystem* environment, double duration,
          double cooldown, QObject* parent = nullptr);

    virtual void start() = 0;
    virtual void stop() = 0;

    void updateBar();
    void reset();
    bool isActive() const { return m_active; }
    bool isReady() const { return m_ready; }
    int skillType() const { return m_skillType; }
    double cooldown() const { return m_cooldown; }
    double cooldownLeft() const { return m_cooldownLeft; }
    double duration() const { return m_duration; }
    double elapsed() const { return m_elapsed; }
    ProgressBar* bar() const { return m_bar; }

public slots:
    void update();

protected:
    ProgressBar* m_bar;
    int m_skillType = 0;
    double m_cooldown;
    double m_cooldownLeft = 0.0;
    double m_duration;
    double m_elapsed = 0.0;
    bool m_ready = true;
    bool m_active = false;
    GameCharacter* m_character;
    EnvironmentSystem* m_environment;
};

// The dash: low, invincible, steered to the middle while the world scrolls twice as fast.
class Rush : public Skill {
    Q_OBJECT
public:
    // 3 s of dash and 30 s of recharge, counted in tenths per scene tick.
    static constexpr double kDuration = 15.0;
    static constexpr double kCooldown = 150.0;
    // The world scrolls this much faster while the dash runs.
    static constexpr double kSpeedFactor = 2.0;

    Rush(GameCharacter* character, EnvironmentSystem* environment, double duration, double cooldown,
         QObject* parent = nullptr);

    void start() override;
    void stop() override;
};
