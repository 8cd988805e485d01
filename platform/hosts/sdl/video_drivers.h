// Which of SDL's video drivers count as a desktop, from the session's
// environment.
#pragma once

#include <string>

namespace sdlhost {

// The SDL video drivers to try, given $DISPLAY and $WAYLAND_DISPLAY (null
// when unset), or null when neither names a desktop. SDL would otherwise fall
// back to its offscreen driver and run the game in an invisible window.
const char* DesktopVideoDrivers(const char* x11Display, const char* waylandDisplay);

// The displays that DesktopVideoDrivers would have SDL try, for a message
// when none of them can be reached: "the X display :0", "the Wayland display
// wayland-0", or both joined by "or". Empty when neither is set.
std::string DesktopDisplayNames(const char* x11Display, const char* waylandDisplay);

}  // namespace sdlhost
