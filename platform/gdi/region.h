// Rectangle-list regions: the clip of every device context, and the
// visibility and update regions of windows. A region is kept as a sorted list
// of non-overlapping rectangles (left, top, right, bottom; right and bottom
// exclusive), in banded y-x order as in the X server and Wine.
//
// The regions a window manager meets are small (a window less a dialog over
// it is four rectangles), so a region keeps up to kInlineRects of them in
// place and only a larger one goes to the heap. Copying a small region, and
// every operation whose result is small, allocates nothing.
#pragma once

#include <span>
#include <vector>

#include "wintypes.h"

namespace gdi {

class Region {
public:
    static constexpr size_t kInlineRects = 8;

    Region() = default;
    explicit Region(const RECT& rect);

    static Region FromRects(const std::vector<RECT>& rects);

    void Union(const Region& other);
    void Intersect(const Region& other);
    void Subtract(const Region& other);
    void Offset(int dx, int dy);

    bool IsEmpty() const { return count_ == 0; }
    bool Contains(int x, int y) const;
    RECT Bounds() const;  // all zero when empty
    std::span<const RECT> Rects() const { return {Data(), count_}; }
    bool operator==(const Region& other) const;

private:
    const RECT* Data() const { return count_ <= kInlineRects ? inline_ : spill_.data(); }
    RECT* Data() { return count_ <= kInlineRects ? inline_ : spill_.data(); }
    void Assign(std::span<const RECT> rects);

    // The rectangles live in inline_ while there are at most kInlineRects of
    // them, else in spill_, whose capacity is kept for the next large result.
    RECT inline_[kInlineRects];
    size_t count_ = 0;
    std::vector<RECT> spill_;
};

}  // namespace gdi
