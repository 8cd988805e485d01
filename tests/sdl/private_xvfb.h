// A private X server for the desktop host's tests and benchmarks.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace sdlhost {

// Starts Xvfb and points DISPLAY at it; *server is the pipe to close (with
// pclose, which waits for it) once done. Xvfb picks a free display number
// itself (-displayfd), so runs side by side never meet, and ends when its
// last client goes (-terminate), so it goes with the process however that
// ends. Returns the display's name, or "" where Xvfb cannot be started.
inline std::string StartPrivateXvfb(FILE** server) {
    *server = popen("Xvfb -displayfd 1 -terminate -nolisten tcp -screen 0 1024x768x24 2>/dev/null", "r");
    int number = -1;
    if (*server == nullptr || std::fscanf(*server, "%d", &number) != 1) {
        return "";
    }
    std::string display = ":" + std::to_string(number);
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    return display;
}

}  // namespace sdlhost
