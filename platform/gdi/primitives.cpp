#include "primitives.h"

#include <cassert>
#include <cstring>

namespace gdi {

namespace {

[[maybe_unused]] bool Inside(const RECT& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height && r.left < r.right &&
           r.top < r.bottom;
}

}  // namespace

void FillPixels(PixelBuffer dst, const RECT& rect, uint32_t pixel) {
    assert(Inside(rect, dst.width, dst.height));
    for (int y = rect.top; y < rect.bottom; ++y) FillSpan(dst, y, rect.left, rect.right, pixel);
}

void CopyPixels(PixelBuffer dst, const RECT& rect, ConstPixelBuffer src, int dx, int dy) {
    assert(Inside(rect, dst.width, dst.height));
    assert(Inside(RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy}, src.width, src.height));
    size_t count = size_t(rect.right - rect.left);
    // Copying within one surface downwards must start at the bottom row so
    // that no source row is overwritten before it is read; memmove covers
    // the overlap within a row.
    bool upwards = src.pixels == dst.pixels && dy < 0;
    for (int i = 0; i < rect.bottom - rect.top; ++i) {
        int y = upwards ? rect.bottom - 1 - i : rect.top + i;
        uint32_t* to = dst.pixels + size_t(y) * size_t(dst.width) + rect.left;
        const uint32_t* from = src.pixels + size_t(y + dy) * size_t(src.width) + (rect.left + dx);
        std::memmove(to, from, count * sizeof(uint32_t));
    }
}

void KeyedCopyPixels(PixelBuffer dst, const RECT& rect, ConstPixelBuffer src, int dx, int dy, uint32_t key) {
    assert(Inside(rect, dst.width, dst.height));
    assert(Inside(RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy}, src.width, src.height));
    int count = rect.right - rect.left;
    bool upwards = src.pixels == dst.pixels && dy < 0;
    bool backwards = src.pixels == dst.pixels && dy == 0 && dx < 0;
    for (int i = 0; i < rect.bottom - rect.top; ++i) {
        int y = upwards ? rect.bottom - 1 - i : rect.top + i;
        uint32_t* to = dst.pixels + size_t(y) * size_t(dst.width) + rect.left;
        const uint32_t* from = src.pixels + size_t(y + dy) * size_t(src.width) + (rect.left + dx);
        if (src.pixels != dst.pixels) {
            // Separate surfaces: a select for every pixel, with no branch
            // and no aliasing, which the compiler turns into vector blends.
            // Tiles and sprites are short rows of mixed runs, where this
            // beats finding each run.
            uint32_t* __restrict out = to;
            const uint32_t* __restrict in = from;
            for (int x = 0; x < count; ++x) {
                uint32_t p = in[x];
                out[x] = (p & 0xFFFFFFu) == key ? out[x] : p;
            }
            continue;
        }
        // Within one surface, transparent runs are stepped over and each
        // opaque run is moved as one block, the runs going in the order
        // that reads every source pixel before it is overwritten.
        if (backwards) {
            int x = count;
            while (x > 0) {
                while (x > 0 && (from[x - 1] & 0xFFFFFFu) == key) --x;
                int end = x;
                while (x > 0 && (from[x - 1] & 0xFFFFFFu) != key) --x;
                if (end > x) std::memmove(to + x, from + x, size_t(end - x) * sizeof(uint32_t));
            }
        } else {
            int x = 0;
            while (x < count) {
                while (x < count && (from[x] & 0xFFFFFFu) == key) ++x;
                int start = x;
                while (x < count && (from[x] & 0xFFFFFFu) != key) ++x;
                if (x > start) std::memmove(to + start, from + start, size_t(x - start) * sizeof(uint32_t));
            }
        }
    }
}

}  // namespace gdi
