// The inner loops of drawing. Callers have already clipped: every rectangle
// handed in lies inside its surface, which the loops only assert.
#pragma once

#include <cstdint>

#include "windows.h"

namespace gdi {

struct PixelBuffer {
    uint32_t* pixels;
    int width;
    int height;
};

struct ConstPixelBuffer {
    const uint32_t* pixels;
    int width;
    int height;
};

void FillPixels(PixelBuffer dst, const RECT& rect, uint32_t pixel);

// Copies rect of dst from src, whose matching pixel for (x, y) is
// (x + dx, y + dy). Overlapping source and target are handled.
void CopyPixels(PixelBuffer dst, const RECT& rect, ConstPixelBuffer src, int dx, int dy);

// As CopyPixels, leaving out every source pixel equal to key.
void KeyedCopyPixels(PixelBuffer dst, const RECT& rect, ConstPixelBuffer src, int dx, int dy, uint32_t key);

// The horizontal run [x0, x1) of row y.
inline void FillSpan(PixelBuffer dst, int y, int x0, int x1, uint32_t pixel) {
    uint32_t* row = dst.pixels + size_t(y) * size_t(dst.width);
    for (int x = x0; x < x1; ++x) row[x] = pixel;
}

}  // namespace gdi
