#include "video_drivers.h"

namespace sdlhost {

const char* DesktopVideoDrivers(const char* x11Display, const char* waylandDisplay) {
    bool x11 = x11Display != nullptr && *x11Display != '\0';
    bool wayland = waylandDisplay != nullptr && *waylandDisplay != '\0';
    // X11 first where both are there: its window surface is shared memory,
    // the cheapest software path.
    if (x11 && wayland) {
        return "x11,wayland";
    }
    if (x11) {
        return "x11";
    }
    if (wayland) {
        return "wayland";
    }
    return nullptr;
}

std::string DesktopDisplayNames(const char* x11Display, const char* waylandDisplay) {
    std::string names;
    if (x11Display != nullptr && *x11Display != '\0') {
        names = std::string("the X display ") + x11Display;
    }
    if (waylandDisplay != nullptr && *waylandDisplay != '\0') {
        names += (names.empty() ? "the Wayland display " : " or the Wayland display ") + std::string(waylandDisplay);
    }
    return names;
}

}  // namespace sdlhost
