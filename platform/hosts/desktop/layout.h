// Where the 240 x 320 device picture sits in the desktop window, and how
// window coordinates map back to device pixels.
#pragma once

#include <string>

#include "gdi/screen_size.h"

namespace desktop {

constexpr int kDeviceWidth = gdi::kScreenWidth;
constexpr int kDeviceHeight = gdi::kScreenHeight;

// A rectangle of the desktop in screen pixels: the usable area of a display,
// what is left of it once the panels and docks are taken away.
struct DesktopArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The window manager's frame around a window's client area (title bar and
// borders), in pixels on each side.
struct WindowFrame {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a new window goes: the scale of the picture and the top left corner
// of the client area, the frame outside it.
struct WindowPlacement {
    int scale = 1;
    int x = 0;
    int y = 0;
    bool reduced = false;  // the scale asked for did not fit and was lowered
};

// requested 0 asks for the largest whole scale whose window, frame included,
// fits the usable area, and at least 1: a picture too small to play on is
// better than a window that hangs off the screen. A scale asked for is kept
// when it fits and otherwise lowered to the largest that does. The window,
// frame included, is centred in the area; one larger than the area starts at
// its top left corner, so that the title bar can still be reached.
WindowPlacement PlaceWindow(int requested, DesktopArea usable, WindowFrame frame);

// The line that says why a scale asked for was lowered, without a newline.
std::string ReducedScaleNote(int requested, DesktopArea usable, WindowFrame frame, int scale);

// The picture in a window of the given size: the largest whole-number scale
// that fits (at least 1), centred, the rest black bars. left and top may be
// negative when the window is smaller than the picture at scale 1; drawing
// clips then.
struct Layout {
    int windowWidth = kDeviceWidth;
    int windowHeight = kDeviceHeight;
    int scale = 1;
    int left = 0;
    int top = 0;
};
Layout FitPicture(int windowWidth, int windowHeight);

// A window position as a device pixel. Points outside the picture (in the
// bars or beyond the window) give coordinates outside 0..239 / 0..319 with
// inside false; they are still exact, rounded towards minus infinity, so a
// drag that leaves the picture keeps moving the right way.
struct DevicePoint {
    int x = 0;
    int y = 0;
    bool inside = false;
};
DevicePoint WindowToDevice(const Layout& layout, int windowX, int windowY);

}  // namespace desktop
