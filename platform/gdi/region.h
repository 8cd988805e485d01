// Rectangle-list regions: the clip of every device context, and the
// visibility and update regions of windows. A region is kept as a sorted list
// of non-overlapping rectangles (left, top, right, bottom; right and bottom
// exclusive), in banded y-x order as in the X server and Wine.
#pragma once

#include <vector>

#include "wintypes.h"

namespace gdi {

class Region {
public:
    Region() = default;
    explicit Region(const RECT& rect);

    static Region FromRects(const std::vector<RECT>& rects);

    void Union(const Region& other);
    void Intersect(const Region& other);
    void Subtract(const Region& other);
    void Offset(int dx, int dy);

    bool IsEmpty() const { return rects_.empty(); }
    bool Contains(int x, int y) const;
    RECT Bounds() const;  // all zero when empty
    const std::vector<RECT>& Rects() const { return rects_; }
    bool operator==(const Region& other) const;

private:
    std::vector<RECT> rects_;
};

}  // namespace gdi
