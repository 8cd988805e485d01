// Where the 240 x 320 device picture sits in the desktop window, and how
// window coordinates map back to device pixels.
#pragma once

#include "gdi/screen_size.h"

namespace desktop {

constexpr int kDeviceWidth = gdi::kScreenWidth;
constexpr int kDeviceHeight = gdi::kScreenHeight;

// The scale a new window starts with: the largest whole number at which the
// picture fits the given area, but never below 2, because a 240 x 320 picture
// at 1:1 is too small to play on a desktop monitor.
int ChooseScale(int availableWidth, int availableHeight);

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
