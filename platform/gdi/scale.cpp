#include "scale.h"

#include <cstddef>
#include <cstring>

namespace gdi {

void ScaleNearest(const uint32_t* src, int width, int height, int scale, uint32_t* dst) {
    if (!src || !dst || width <= 0 || height <= 0 || scale < 1) return;
    const size_t outWidth = size_t(width) * size_t(scale);
    for (int y = 0; y < height; ++y) {
        // Widen the row once, then repeat the widened row.
        const uint32_t* in = src + size_t(y) * size_t(width);
        uint32_t* out = dst + size_t(y) * size_t(scale) * outWidth;
        uint32_t* o = out;
        for (int x = 0; x < width; ++x) {
            uint32_t p = in[x];
            for (int k = 0; k < scale; ++k) *o++ = p;
        }
        for (int k = 1; k < scale; ++k) std::memcpy(out + size_t(k) * outWidth, out, outWidth * sizeof(uint32_t));
    }
}

}  // namespace gdi
