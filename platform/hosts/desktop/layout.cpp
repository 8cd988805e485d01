#include "layout.h"

#include <algorithm>

namespace desktop {

namespace {

// Division that rounds towards minus infinity, so that the window pixel just
// left of the picture maps to device x -1 rather than 0.
int FloorDiv(int value, int divisor) {
    int quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) {
        --quotient;
    }
    return quotient;
}

}  // namespace

int ChooseScale(int availableWidth, int availableHeight) {
    int fit = std::min(availableWidth / kDeviceWidth, availableHeight / kDeviceHeight);
    return std::max(2, fit);
}

Layout FitPicture(int windowWidth, int windowHeight) {
    Layout layout;
    layout.windowWidth = windowWidth;
    layout.windowHeight = windowHeight;
    layout.scale = std::max(1, std::min(windowWidth / kDeviceWidth, windowHeight / kDeviceHeight));
    layout.left = FloorDiv(windowWidth - kDeviceWidth * layout.scale, 2);
    layout.top = FloorDiv(windowHeight - kDeviceHeight * layout.scale, 2);
    return layout;
}

DevicePoint WindowToDevice(const Layout& layout, int windowX, int windowY) {
    DevicePoint point;
    point.x = FloorDiv(windowX - layout.left, layout.scale);
    point.y = FloorDiv(windowY - layout.top, layout.scale);
    point.inside = point.x >= 0 && point.x < kDeviceWidth && point.y >= 0 && point.y < kDeviceHeight;
    return point;
}

}  // namespace desktop
