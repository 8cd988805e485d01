// The window manager's frame around the desktop window: what it will be
// before the window is shown, so that the window can be given a size that
// fits the desktop from the start, and what it is once shown.
#pragma once

#include "desktop/layout.h"

struct SDL_Window;

namespace sdlhost {

// The frame a window that has not been shown yet will get. On X11 the
// window manager is asked for its estimate (_NET_REQUEST_FRAME_EXTENTS) and
// given a moment to answer. False when it cannot be known before the window
// is shown: another video driver, or a window manager that does not answer.
bool ExpectedFrame(SDL_Window* window, desktop::WindowFrame* frame);

// The frame of a shown window as SDL reports it; false when SDL cannot tell.
bool CurrentFrame(SDL_Window* window, desktop::WindowFrame* frame);

}  // namespace sdlhost
