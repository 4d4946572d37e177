#pragma once

// Windows that only show a screen, as plain SDL windows: OpenScreenInWindow draws in them
// and their close box arrives as a close request through PollEvent.
namespace runtime::gui::sdl {

// Makes the window library open screen windows with SDL. Call after UseSdlDisplay: the
// display's event pump hands these windows' events over.
void UseSdlScreenWindows();

}  // namespace runtime::gui::sdl
