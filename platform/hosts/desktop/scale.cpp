#include "scale.h"

#include <algorithm>
#include <cstring>

namespace desktop {

namespace {

PixelRect Intersect(PixelRect a, PixelRect b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

int FloorDiv(int value, int divisor) {
    int quotient = value / divisor;
    if (value % divisor != 0 && value < 0) {
        --quotient;
    }
    return quotient;
}

}  // namespace

PixelRect ScaleNearest(const uint32_t* source, int sourceWidth, int sourceHeight, PixelRect part, int scale,
                       const PixelTarget& target, int originX, int originY, uint32_t setBits) {
    if (scale < 1) {
        return {};
    }
    part = Intersect(part, {0, 0, sourceWidth, sourceHeight});
    if (part.Empty()) {
        return {};
    }
    PixelRect destination = {originX + part.left * scale, originY + part.top * scale, originX + part.right * scale,
                             originY + part.bottom * scale};
    destination = Intersect(destination, {0, 0, target.width, target.height});
    if (destination.Empty()) {
        return {};
    }

    // Build each enlarged row once, then copy it for the remaining rows that
    // show the same source row.
    int firstSourceX = FloorDiv(destination.left - originX, scale);
    int phaseX = (destination.left - originX) - firstSourceX * scale;
    size_t rowBytes = static_cast<size_t>(destination.right - destination.left) * sizeof(uint32_t);
    int y = destination.top;
    while (y < destination.bottom) {
        int sourceY = FloorDiv(y - originY, scale);
        int rowsLeft = scale - ((y - originY) - sourceY * scale);
        int rows = std::min(rowsLeft, destination.bottom - y);
        const uint32_t* in = source + static_cast<size_t>(sourceY) * sourceWidth + firstSourceX;
        uint32_t* first = target.pixels + static_cast<size_t>(y) * target.pitch + destination.left;
        uint32_t* out = first;
        uint32_t* end = first + (destination.right - destination.left);
        int repeat = scale - phaseX;
        while (out < end) {
            uint32_t value = *in++ | setBits;
            int count = std::min<long>(repeat, end - out);
            for (int i = 0; i < count; ++i) {
                *out++ = value;
            }
            repeat = scale;
        }
        for (int r = 1; r < rows; ++r) {
            std::memcpy(first + static_cast<size_t>(r) * target.pitch, first, rowBytes);
        }
        y += rows;
    }
    return destination;
}

void FillPixels(const PixelTarget& target, PixelRect rect, uint32_t value) {
    rect = Intersect(rect, {0, 0, target.width, target.height});
    for (int y = rect.top; y < rect.bottom; ++y) {
        uint32_t* row = target.pixels + static_cast<size_t>(y) * target.pitch;
        std::fill(row + rect.left, row + rect.right, value);
    }
}

}  // namespace desktop
