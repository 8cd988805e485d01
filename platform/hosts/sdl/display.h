// The desktop window of the SDL host: opening and closing it, for main() and
// for tests. The host seam (host.h) is implemented on top of this.
#pragma once

#include <string>

#include "desktop/layout.h"

struct SDL_Window;

namespace sdlhost {

// Opens the display and a window titled "Tavilo" showing the device screen
// at the given scale (0: the largest at which the window, frame included,
// fits the desktop's usable area, at least 1; a scale that does not fit is
// lowered to that, saying so on standard error). Returns false with SDL's
// reason when there is no display.
bool OpenDisplay(int scale, std::string* error);

// Closes the window and SDL; stops watching any descriptor.
void CloseDisplay();

// The open window (null when none) and where the picture sits in it.
SDL_Window* DisplayWindow();
desktop::Layout DisplayLayout();

}  // namespace sdlhost
