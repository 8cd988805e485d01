// Nearest-neighbour enlargement of the device picture into a window-sized
// buffer, by a whole-number factor so every device pixel becomes a crisp
// square. Independent of gdi so that any host can use it.
#pragma once

#include <cstdint>

namespace desktop {

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
    bool Empty() const { return left >= right || top >= bottom; }
};

// The destination: width x height pixels, pitch pixels from one row to the
// next.
struct PixelTarget {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
};

// Copies the part `part` of the source picture (sourceWidth x sourceHeight,
// packed rows), each pixel as a scale x scale square, to the target so that
// source pixel (0, 0) lands at (originX, originY). Everything is clipped to
// both source and target; setBits is ORed into each written pixel (an opaque
// alpha byte for targets that have one). Returns the target rectangle that
// was written, empty when nothing was.
PixelRect ScaleNearest(const uint32_t* source, int sourceWidth, int sourceHeight, PixelRect part, int scale,
                       const PixelTarget& target, int originX, int originY, uint32_t setBits);

// Sets every pixel of the rectangle (clipped to the target) to value.
void FillPixels(const PixelTarget& target, PixelRect rect, uint32_t value);

}  // namespace desktop
