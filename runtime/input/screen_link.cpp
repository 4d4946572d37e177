#include "runtime/input/screen_link.hpp"

#include "runtime/screen/screen.hpp"

namespace runtime::input {

ScreenInfo CurrentScreen() {
    const auto& state = screen::State();
    return ScreenInfo{state.active != 0, state.width, state.height, state.framesPresented,
                      state.quitRequested};
}

}  // namespace runtime::input
