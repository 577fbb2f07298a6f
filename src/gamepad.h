#pragma once

#include "gameids.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>

class Controls;
struct _SDL_GameController;

// What the pads ask for in one game step.
struct PadReading {
    // How far each action is pushed: 0 when not at all, 1 for a button; a
    // stick or trigger past its dead zone reads in between.
    std::array<double, kActionCount> strength{};
    // Went down since the last reading (a tap between two readings included).
    std::array<bool, kActionCount> pressed{};
    // The first pad input that went down, for taking a new binding.
    PadInput firstPress = PadInput::None;

    bool isHeld(Action action) const { return strength[size_t(action)] > 0.0; }
    bool wasPressed(Action action) const { return pressed[size_t(action)]; }
};

// Every gamepad SDL's game controller support knows, plugged in before or
// during the game, read once per game step. SDL starts on the first reading;
// without it, or without any pad, readings are empty and the game runs as
// with a keyboard alone.
class Gamepad : public QObject {
    Q_OBJECT
public:
    // Of the full travel: sticks rest off centre, triggers a little pressed.
    static constexpr double kStickDeadZone = 0.25;
    static constexpr double kTriggerDeadZone = 0.12;

    explicit Gamepad(QObject* parent = nullptr);
    ~Gamepad() override;

    // False when SDL's game controller support cannot start (tried once).
    bool start();
    int padCount() const { return int(m_pads.size()); }

    // Takes in pads plugged in or out, then reads the actions through the
    // controls' pad bindings.
    PadReading poll(const Controls& controls);

signals:
    void padConnected(const QString& name);
    // A pad in use went away: a run pauses as when the window loses focus.
    void padDisconnected();

private:
    void takeEvents(std::array<bool, kPadInputCount>& tapped);
    void openPad(int deviceIndex);
    void closePad(int instanceId);
    double depth(PadInput input) const;

    enum class SdlState { NotTried, Running, Failed };
    SdlState m_sdl = SdlState::NotTried;
    QList<_SDL_GameController*> m_pads;
    std::array<bool, kPadInputCount> m_wasDown{};
};
