#pragma once

// Pads the tests attach through SDL's virtual joystick driver: no hardware.
#include "gamedriver.h"
#include "gameids.h"

#include <SDL.h>

// A pad as SDL's virtual joystick driver makes one: laid out as a game controller.
inline int attachPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = kPadButtonCount;
    desc.name = "Test pad";
    return SDL_JoystickAttachVirtualEx(&desc);
}

inline SDL_Joystick* joystick(int deviceIndex) {
    return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(deviceIndex));
}

// One press and let go of a pad button, or a full tilt of a stick and back.
struct PadTap {
    int button = -1;
    int axis = -1;
    Sint16 tilt = 0;
};
constexpr PadTap kA{SDL_CONTROLLER_BUTTON_A}, kB{SDL_CONTROLLER_BUTTON_B},
    kStart{SDL_CONTROLLER_BUTTON_START}, kUp{SDL_CONTROLLER_BUTTON_DPAD_UP},
    kDown{SDL_CONTROLLER_BUTTON_DPAD_DOWN}, kLeft{SDL_CONTROLLER_BUTTON_DPAD_LEFT},
    kRight{SDL_CONTROLLER_BUTTON_DPAD_RIGHT}, kStickDown{-1, SDL_CONTROLLER_AXIS_LEFTY, 32767},
    kStickLeft{-1, SDL_CONTROLLER_AXIS_LEFTX, -32767};

inline void tap(GameDriver& game, int device, PadTap input) {
    for (const int on : {1, 0}) {
        if (input.button >= 0)
            SDL_JoystickSetVirtualButton(joystick(device), input.button, Uint8(on));
        else
            SDL_JoystickSetVirtualAxis(joystick(device), input.axis, Sint16(input.tilt * on));
        game.tick(3);
    }
}
