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

WindowPlacement PlaceWindow(int requested, DesktopArea usable, WindowFrame frame) {
    WindowPlacement placement;
    int roomWidth = usable.width - frame.left - frame.right;
    int roomHeight = usable.height - frame.top - frame.bottom;
    int largest = std::max(1, std::min(FloorDiv(roomWidth, kDeviceWidth), FloorDiv(roomHeight, kDeviceHeight)));
    if (requested <= 0) {
        placement.scale = largest;
    } else if (requested > largest) {
        placement.scale = largest;
        placement.reduced = true;
    } else {
        placement.scale = requested;
    }
    int outerWidth = kDeviceWidth * placement.scale + frame.left + frame.right;
    int outerHeight = kDeviceHeight * placement.scale + frame.top + frame.bottom;
    placement.x = usable.x + std::max(0, (usable.width - outerWidth) / 2) + frame.left;
    placement.y = usable.y + std::max(0, (usable.height - outerHeight) / 2) + frame.top;
    return placement;
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

std::string ReducedScaleNote(int requested, DesktopArea usable, WindowFrame frame, int scale) {
    int width = kDeviceWidth * requested + frame.left + frame.right;
    int height = kDeviceHeight * requested + frame.top + frame.bottom;
    return "tavilo: at --scale " + std::to_string(requested) + " the window (" + std::to_string(width) + " x " +
           std::to_string(height) + " with its frame) does not fit the desktop's usable " +
           std::to_string(usable.width) + " x " + std::to_string(usable.height) + "; using --scale " +
           std::to_string(scale);
}

DevicePoint WindowToDevice(const Layout& layout, int windowX, int windowY) {
    DevicePoint point;
    point.x = FloorDiv(windowX - layout.left, layout.scale);
    point.y = FloorDiv(windowY - layout.top, layout.scale);
    point.inside = point.x >= 0 && point.x < kDeviceWidth && point.y >= 0 && point.y < kDeviceHeight;
    return point;
}

}  // namespace desktop
