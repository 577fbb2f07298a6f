#include "gamepad.h"

#include "controls.h"

#include <QDebug>

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace {
static_assert(int(PadInput::A) == SDL_CONTROLLER_BUTTON_A &&
                  int(PadInput::DpadRight) == SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
              "pad buttons follow SDL's numbering");

constexpr double kAxisRange = 32767.0;

// The stick or trigger behind an axis input, and which way it counts.
struct AxisInput {
    SDL_GameControllerAxis axis;
    double sign;
    double deadZone;
};

AxisInput axisOf(PadInput input) {
    constexpr double stick = Gamepad::kStickDeadZone;
    switch (input) {
    case PadInput::LeftStickLeft:
        return {SDL_CONTROLLER_AXIS_LEFTX, -1.0, stick};
    case PadInput::LeftStickRight:
        return {SDL_CONTROLLER_AXIS_LEFTX, 1.0, stick};
    case PadInput::LeftStickUp:
        return {SDL_CONTROLLER_AXIS_LEFTY, -1.0, stick};
    case PadInput::LeftStickDown:
        return {SDL_CONTROLLER_AXIS_LEFTY, 1.0, stick};
    case PadInput::RightStickLeft:
        return {SDL_CONTROLLER_AXIS_RIGHTX, -1.0, stick};
    case PadInput::RightStickRight:
        return {SDL_CONTROLLER_AXIS_RIGHTX, 1.0, stick};
    case PadInput::RightStickUp:
        return {SDL_CONTROLLER_AXIS_RIGHTY, -1.0, stick};
    case PadInput::RightStickDown:
        return {SDL_CONTROLLER_AXIS_RIGHTY, 1.0, stick};
    case PadInput::LeftTrigger:
        return {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1.0, Gamepad::kTriggerDeadZone};
    default:
        return {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1.0, Gamepad::kTriggerDeadZone};
    }
}

// 0 inside the dead zone, then rising to 1 at the end of the travel.
double pastDeadZone(double travel, double deadZone) {
    return travel <= deadZone ? 0.0 : std::min(1.0, (travel - deadZone) / (1.0 - deadZone));
}
} // namespace

Gamepad::Gamepad(QObject* parent) : QObject(parent) {}

Gamepad::~Gamepad() {
    for (SDL_GameController* pad : std::as_const(m_pads))
        SDL_GameControllerClose(pad);
    if (m_sdl == SdlState::Running)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool Gamepad::start() {
    if (m_sdl == SdlState::NotTried) {
        // The window, not SDL, answers Ctrl+C and the terminal's signals.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
            m_sdl = SdlState::Running;
            for (int index = 0; index < SDL_NumJoysticks(); ++index)
                openPad(index);
        } else {
            m_sdl = SdlState::Failed;
            qInfo("Brimtalon: no gamepad support (%s), playing with keyboard and mouse.",
                  SDL_GetError());
        }
    }
    return m_sdl == SdlState::Running;
}

PadReading Gamepad::poll(const Controls& controls) {
    PadReading reading;
    if (!start())
        return reading;
    std::array<bool, kPadInputCount> tapped{};
    takeEvents(tapped);
    std::array<double, kPadInputCount> depths{};
    std::array<bool, kPadInputCount> wentDown{};
    for (int i = 0; i < kPadInputCount; ++i) {
        depths[i] = std::max(depth(PadInput(i)), tapped[i] ? 1.0 : 0.0);
        wentDown[i] = tapped[i] || (depths[i] > 0.0 && !m_wasDown[i]);
        m_wasDown[i] = depths[i] > 0.0;
        if (wentDown[i] && reading.firstPress == PadInput::None)
            reading.firstPress = PadInput(i);
    }
    for (int a = 0; a < kActionCount; ++a) {
        for (PadInput input : controls.padInputs(Action(a))) {
            reading.strength[a] = std::max(reading.strength[a], depths[size_t(input)]);
            reading.pressed[a] = reading.pressed[a] || wentDown[size_t(input)];
        }
    }
    return reading;
}

// Only the game controller events are taken from SDL's queue: whatever else
// SDL runs (the sound) keeps its own. Raw joystick events are dropped, as the
// pads are read through their game controller state.
void Gamepad::takeEvents(std::array<bool, kPadInputCount>& tapped) {
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_CONTROLLERAXISMOTION,
                          SDL_CONTROLLERDEVICEREMAPPED) > 0) {
        if (event.type == SDL_CONTROLLERDEVICEADDED)
            openPad(event.cdevice.which);
        else if (event.type == SDL_CONTROLLERDEVICEREMOVED)
            closePad(event.cdevice.which);
        else if (event.type == SDL_CONTROLLERBUTTONDOWN && event.cbutton.button < kPadButtonCount)
            tapped[event.cbutton.button] = true;
    }
    SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_JOYBATTERYUPDATED);
    SDL_FlushEvents(SDL_CONTROLLERTOUCHPADDOWN, SDL_CONTROLLERSENSORUPDATE);
}

void Gamepad::openPad(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (!SDL_IsGameController(deviceIndex) || SDL_GameControllerFromInstanceID(id))
        return;
    if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex)) {
        m_pads.append(pad);
        emit padConnected(QString::fromUtf8(SDL_GameControllerName(pad)));
    }
}

void Gamepad::closePad(int instanceId) {
    SDL_GameController* pad = SDL_GameControllerFromInstanceID(instanceId);
    if (!pad || !m_pads.removeOne(pad))
        return;
    SDL_GameControllerClose(pad);
    emit padDisconnected();
}

// The deepest any pad pushes the input.
double Gamepad::depth(PadInput input) const {
    double deepest = 0.0;
    for (SDL_GameController* pad : m_pads) {
        if (int(input) < kPadButtonCount) {
            if (SDL_GameControllerGetButton(pad, SDL_GameControllerButton(input)))
                deepest = 1.0;
            continue;
        }
        const AxisInput axis = axisOf(input);
        const double travel = axis.sign * SDL_GameControllerGetAxis(pad, axis.axis) / kAxisRange;
        deepest = std::max(deepest, pastDeadZone(travel, axis.deadZone));
    }
    return deepest;
}
