// The desktop host's command line.
#pragma once

#include <string>

namespace desktop {

constexpr int kMaxScale = 16;

struct Options {
    int scale = 0;          // 0: the largest that fits the desktop
    std::string configDir;  // empty: the system's own place for settings
    bool help = false;
    bool version = false;
};

// Reads argv[1..argc-1]. Accepts "--scale N" and "--scale=N" (and the same for
// --config-dir). Returns false with a one-line reason for anything it does
// not understand, so that a typo never starts the game with surprising
// settings.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// The SDL video drivers to try, given $DISPLAY and $WAYLAND_DISPLAY (null
// when unset), or null when neither names a desktop. SDL would otherwise fall
// back to its offscreen driver and run the game in an invisible window.
const char* DesktopVideoDrivers(const char* x11Display, const char* waylandDisplay);

// The displays that DesktopVideoDrivers would have SDL try, for a message
// when none of them can be reached: "the X display :0", "the Wayland display
// wayland-0", or both joined by "or". Empty when neither is set.
std::string DesktopDisplayNames(const char* x11Display, const char* waylandDisplay);

// The text --help prints.
const char* UsageText();

}  // namespace desktop
