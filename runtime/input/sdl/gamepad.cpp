#include "runtime/input/sdl/gamepad.hpp"

#include <map>
#include <optional>

#include "runtime/input/gamepad.hpp"
#include "runtime/support/program.hpp"

namespace runtime::input::sdl {
namespace {

struct OpenPad {
    SDL_GameController* controller = nullptr;
    int stickX = 0;
    int stickY = 0;
};

std::map<SDL_JoystickID, OpenPad> g_pads;

std::optional<PadButton> ButtonOf(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return PadButton::South;
        case SDL_CONTROLLER_BUTTON_START:
            return PadButton::Start;
        case SDL_CONTROLLER_BUTTON_BACK:
            return PadButton::Back;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return PadButton::Up;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return PadButton::Down;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return PadButton::Left;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return PadButton::Right;
        default:
            return std::nullopt;
    }
}

void Plugged(int deviceIndex) {
    // SDL may announce a pad it announced already (one plugged in before the start).
    if (g_pads.count(SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    g_pads[id].controller = controller;
}

void Unplugged(SDL_JoystickID id) {
    const auto pad = g_pads.find(id);
    if (pad == g_pads.end()) return;
    SDL_GameControllerClose(pad->second.controller);
    g_pads.erase(pad);
    ForgetPad(int(id));
}

void CloseGamepads() {
    for (const auto& [id, pad] : g_pads)
        SDL_GameControllerClose(pad.controller);
    g_pads.clear();
    ForgetAllPads();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

}  // namespace

bool UseGamepads() {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    runtime::support::AddShutdownRelease(runtime::support::ShutdownStage::Mouse, &CloseGamepads);
    return true;
}

void HandleGamepadEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Plugged(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            Unplugged(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (!g_pads.count(event.cbutton.which)) break;
            if (const auto button = ButtonOf(event.cbutton.button))
                PostPadButton(int(event.cbutton.which), *button,
                              event.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION: {
            const auto pad = g_pads.find(event.caxis.which);
            if (pad == g_pads.end()) break;
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
                pad->second.stickX = event.caxis.value;
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
                pad->second.stickY = event.caxis.value;
            PostPadStick(int(pad->first), pad->second.stickX, pad->second.stickY);
            break;
        }
        default:
            break;
    }
}

int GamepadsOpen() {
    return int(g_pads.size());
}

}  // namespace runtime::input::sdl
