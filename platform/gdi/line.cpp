#include <algorithm>
#include <cmath>

#include "dc.h"
#include "primitives.h"

namespace gdi {

namespace {

// Windows NT keeps device coordinates within 27 bits and fails calls
// beyond; the same limit here keeps every product below in range.
constexpr int64_t kMaxCoordinate = int64_t(1) << 27;

using Wide = __int128;

// Everything a line needs of its target once the DC has been checked.
struct LineTarget {
    PixelBuffer pixels;
    std::span<const RECT> clip;
    RECT bounds;  // the bounding box of the clip rectangles
    RECT drawn;   // grows with each span, for the dirty rectangle
};

void Grow(RECT& r, int left, int top, int right, int bottom) {
    if (IsEmpty(r)) {
        r = RECT{left, top, right, bottom};
        return;
    }
    r.left = std::min<LONG>(r.left, left);
    r.top = std::min<LONG>(r.top, top);
    r.right = std::max<LONG>(r.right, right);
    r.bottom = std::max<LONG>(r.bottom, bottom);
}

// Draws the run [x0, x1) of row y wherever the clip allows.
void ClippedSpan(LineTarget& t, int y, int64_t x0, int64_t x1, uint32_t pixel) {
    for (const RECT& r : t.clip) {
        if (y < r.top || y >= r.bottom) continue;
        int64_t left = std::max<int64_t>(x0, r.left);
        int64_t right = std::min<int64_t>(x1, r.right);
        if (left >= right) continue;
        FillSpan(t.pixels, y, int(left), int(right), pixel);
        Grow(t.drawn, int(left), y, int(right), y + 1);
    }
}

// Fills the rows [y0, y1) of the run [x0, x1) wherever the clip allows.
void ClippedBlock(LineTarget& t, int64_t y0, int64_t y1, int64_t x0, int64_t x1, uint32_t pixel) {
    for (const RECT& r : t.clip) {
        int64_t left = std::max<int64_t>(x0, r.left);
        int64_t right = std::min<int64_t>(x1, r.right);
        int64_t top = std::max<int64_t>(y0, r.top);
        int64_t bottom = std::min<int64_t>(y1, r.bottom);
        if (left >= right || top >= bottom) continue;
        FillPixels(t.pixels, RECT{LONG(left), LONG(top), LONG(right), LONG(bottom)}, pixel);
        Grow(t.drawn, int(left), int(top), int(right), int(bottom));
    }
}

void ClippedPixel(LineTarget& t, int64_t x, int64_t y, uint32_t pixel) {
    if (x < t.bounds.left || x >= t.bounds.right || y < t.bounds.top || y >= t.bounds.bottom) return;
    ClippedSpan(t, int(y), x, x + 1, pixel);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// A cosmetic line from (x0, y0) towards (x1, y1), the end point left out as
// Win32 does so that the segments of a polyline meet without drawing a
// joint twice. Step i along the major axis moves the minor coordinate by
// round(i * minor / major), which is what Bresenham's error term yields; the
// closed form lets the loop start at the first step inside the clip bounds
// instead of walking there from a far-away start.
void ThinSegment(LineTarget& t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel) {
    int64_t dx = x1 - x0;
    int64_t dy = y1 - y0;
    int64_t adx = dx < 0 ? -dx : dx;
    int64_t ady = dy < 0 ? -dy : dy;
    int sx = dx < 0 ? -1 : 1;
    int sy = dy < 0 ? -1 : 1;
    bool xMajor = adx >= ady;
    int64_t steps = xMajor ? adx : ady;
    if (steps == 0) return;
    int64_t minorDelta = xMajor ? ady : adx;
    int64_t majorStart = xMajor ? x0 : y0;
    int sMajor = xMajor ? sx : sy;
    int64_t lo = xMajor ? t.bounds.left : t.bounds.top;
    int64_t hi = xMajor ? t.bounds.right : t.bounds.bottom;  // exclusive
    // The steps whose major coordinate lies in [lo, hi).
    int64_t first;
    int64_t last;
    if (sMajor > 0) {
        first = lo - majorStart;
        last = hi - 1 - majorStart;
    } else {
        first = majorStart - (hi - 1);
        last = majorStart - lo;
    }
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    for (int64_t i = first; i <= last; ++i) {
        int64_t minor = FloorDiv(2 * i * minorDelta + steps, 2 * steps);
        int64_t x = xMajor ? x0 + sx * i : x0 + sx * minor;
        int64_t y = xMajor ? y0 + sy * minor : y0 + sy * i;
        ClippedPixel(t, x, y, pixel);
    }
}

// A wide pen's stroke of one segment: every pixel whose centre lies closer
// than half the pen width to the segment, which gives round ends and, over a
// polyline, round joins with no gap at any corner. The test is exact
// integer arithmetic in doubled coordinates and symmetric in the two end
// points, so a segment covers the same pixels whichever way it is drawn.
// Even widths put the centre line on the pixel corners above and left, so
// that the stroke covers exactly that many rows or columns.
class Capsule {
public:
    Capsule(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int width) {
        int64_t shift = (width % 2 == 0) ? -1 : 0;
        ax_ = 2 * x0 + shift;
        ay_ = 2 * y0 + shift;
        bx_ = 2 * x1 + shift;
        by_ = 2 * y1 + shift;
        r_ = width;
    }

    bool Contains(int64_t x, int64_t y) const {
        int64_t px = 2 * x - ax_;
        int64_t py = 2 * y - ay_;
        int64_t dx = bx_ - ax_;
        int64_t dy = by_ - ay_;
        Wide r2 = Wide(r_) * r_;
        Wide len2 = Wide(dx) * dx + Wide(dy) * dy;
        Wide dot = Wide(px) * dx + Wide(py) * dy;
        if (len2 == 0 || dot <= 0) return Wide(px) * px + Wide(py) * py < r2;
        if (dot >= len2) {
            int64_t qx = 2 * x - bx_;
            int64_t qy = 2 * y - by_;
            return Wide(qx) * qx + Wide(qy) * qy < r2;
        }
        Wide cross = Wide(px) * dy - Wide(py) * dx;
        return cross * cross < r2 * len2;
    }

    bool AxisAligned() const { return ax_ == bx_ || ay_ == by_; }

    // The rows level with the segment itself, [*first, *last]: on each of
    // them an axis-aligned stroke has the same run.
    void LevelRows(int64_t* first, int64_t* last) const {
        *first = CeilDiv(std::min(ay_, by_), 2);
        *last = FloorDiv(std::max(ay_, by_), 2);
    }

    // The exact run of an axis-aligned stroke on row y, by integer square
    // roots alone: the trails of the game are all of this kind.
    bool AxisRow(int64_t y, int64_t* left, int64_t* right) const {
        int64_t Y = 2 * y;
        int64_t minX = std::min(ax_, bx_), maxX = std::max(ax_, bx_);
        int64_t minY = std::min(ay_, by_), maxY = std::max(ay_, by_);
        int64_t dY = Y < minY ? minY - Y : (Y > maxY ? Y - maxY : 0);
        int64_t q = r_ * r_ - dY * dY;
        if (q <= 0) return false;
        // m: the largest integer whose square is below q.
        int64_t m = int64_t(std::sqrt(double(q)));
        while (m * m >= q) --m;
        while ((m + 1) * (m + 1) < q) ++m;
        *left = CeilDiv(minX - m, 2);
        *right = FloorDiv(maxX + m, 2);
        return *left <= *right;
    }

    // Rows the stroke may touch.
    int64_t TopRow() const { return FloorDiv(std::min(ay_, by_) - r_, 2); }
    int64_t BottomRow() const { return CeilDiv(std::max(ay_, by_) + r_, 2); }

    // An estimate of the stroke's extent on row y in pixels, good to about a
    // pixel; false when the row surely misses it.
    bool EstimateRow(int64_t y, double* lo, double* hi) const {
        double Y = double(2 * y);
        double ax = double(ax_), ay = double(ay_), bx = double(bx_), by = double(by_);
        double r = double(r_);
        double low = INFINITY;
        double high = -INFINITY;
        auto disc = [&](double cx, double cy) {
            double h = r * r - (Y - cy) * (Y - cy);
            if (h < 0) return;
            double s = std::sqrt(h);
            low = std::min(low, cx - s);
            high = std::max(high, cx + s);
        };
        disc(ax, ay);
        disc(bx, by);
        double dx = bx - ax;
        double dy = by - ay;
        double len = std::sqrt(dx * dx + dy * dy);
        if (len > 0) {
            // The strip along the segment: |cross| < r * len and the
            // projection within the segment, both linear in X on this row.
            double stripLo = -INFINITY;
            double stripHi = INFINITY;
            bool empty = false;
            auto limit = [&](double coef, double constant, double from, double to) {
                // from < coef * X + constant < to
                if (coef == 0) {
                    if (!(constant > from && constant < to)) empty = true;
                    return;
                }
                double a = (from - constant) / coef;
                double b = (to - constant) / coef;
                stripLo = std::max(stripLo, std::min(a, b));
                stripHi = std::min(stripHi, std::max(a, b));
            };
            // cross = (X - ax) * dy - (Y - ay) * dx
            limit(dy, -ax * dy - (Y - ay) * dx, -r * len, r * len);
            // dot = (X - ax) * dx + (Y - ay) * dy
            limit(dx, -ax * dx + (Y - ay) * dy, 0, len * len);
            if (!empty && stripLo <= stripHi) {
                low = std::min(low, stripLo);
                high = std::max(high, stripHi);
            }
        }
        if (low > high) return false;
        *lo = low / 2;
        *hi = high / 2;
        return true;
    }

private:
    int64_t ax_, ay_, bx_, by_, r_;
};

// Whether the wide stroke of a segment (d1) followed by one more (d2) covers
// exactly the pixels of the single segment from the first's start to the
// second's end. The union of two strokes is the stroke of the union of their
// segments, so this holds when both lie on one axis and run the same way, or
// when one of them is a single point on an axis-aligned other (a point's
// stroke is the round end of the other's). Only axis-aligned strokes are
// merged, whose rows are computed exactly.
bool ContinuesAlongAxis(int64_t dx1, int64_t dy1, int64_t dx2, int64_t dy2) {
    bool still1 = dx1 == 0 && dy1 == 0;
    bool still2 = dx2 == 0 && dy2 == 0;
    if (still2) return dx1 == 0 || dy1 == 0;
    if (still1) return dx2 == 0 || dy2 == 0;
    if (dx1 == 0 && dx2 == 0) return (dy1 > 0) == (dy2 > 0);
    if (dy1 == 0 && dy2 == 0) return (dx1 > 0) == (dx2 > 0);
    return false;
}

void WideSegment(LineTarget& t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, int width, uint32_t pixel) {
    Capsule capsule(x0, y0, x1, y1, width);
    int64_t top = std::max<int64_t>(capsule.TopRow(), t.bounds.top);
    int64_t bottom = std::min<int64_t>(capsule.BottomRow() + 1, t.bounds.bottom);
    if (capsule.AxisAligned()) {
        // Rows with the same run are filled as one block: every row level
        // with the segment has the same run, and so, for narrow pens, have
        // the rows of the round ends. A trail is a handful of such blocks.
        int64_t levelFirst;
        int64_t levelLast;
        capsule.LevelRows(&levelFirst, &levelLast);
        int64_t blockTop = 0;
        int64_t blockLeft = 0;
        int64_t blockRight = -1;  // inclusive; an empty block while below blockLeft
        for (int64_t y = top; y < bottom; ++y) {
            int64_t left;
            int64_t right;
            bool inked = capsule.AxisRow(y, &left, &right);
            if (inked && blockRight >= blockLeft && left == blockLeft && right == blockRight) {
                // The same run again; the rows level with the segment need no
                // square roots to know it.
                if (y >= levelFirst && y < levelLast) y = std::min<int64_t>(levelLast, bottom - 1);
                continue;
            }
            if (blockRight >= blockLeft) ClippedBlock(t, blockTop, y, blockLeft, blockRight + 1, pixel);
            blockTop = y;
            blockLeft = inked ? left : 0;
            blockRight = inked ? right : -1;
        }
        if (blockRight >= blockLeft) ClippedBlock(t, blockTop, bottom, blockLeft, blockRight + 1, pixel);
        return;
    }
    for (int64_t y = top; y < bottom; ++y) {
        double lo;
        double hi;
        if (!capsule.EstimateRow(y, &lo, &hi)) continue;
        // The row's pixels form one run, the stroke being convex. The
        // estimate is good to far less than a pixel, so only an end that
        // falls close to a pixel centre needs the exact test to settle it.
        int64_t left = int64_t(std::ceil(lo));
        int64_t right = int64_t(std::floor(hi));
        left = std::clamp<int64_t>(left, t.bounds.left - 2, t.bounds.right + 1);
        right = std::clamp<int64_t>(right, t.bounds.left - 2, t.bounds.right + 1);
        constexpr double kTie = 1e-6;
        if (std::abs(lo - std::round(lo)) < kTie) {
            if (capsule.Contains(left - 1, y)) {
                while (capsule.Contains(left - 1, y) && left > t.bounds.left) --left;
            } else {
                while (left <= right + 1 && !capsule.Contains(left, y)) ++left;
            }
        }
        if (std::abs(hi - std::round(hi)) < kTie) {
            if (capsule.Contains(right + 1, y)) {
                while (capsule.Contains(right + 1, y) && right < t.bounds.right) ++right;
            } else {
                while (right >= left && !capsule.Contains(right, y)) --right;
            }
        }
        if (left > right) continue;
        ClippedSpan(t, int(y), left, right + 1, pixel);
    }
}

}  // namespace

}  // namespace gdi

using namespace gdi;

BOOL Polyline(HDC hdc, const POINT* points, int count) {
    Target target;
    if (!points || count < 2 || !ResolveTarget(hdc, &target)) return FALSE;
    PenObject* pen = Lookup<PenObject>(target.dc->pen);
    if (!pen) return FALSE;
    for (int i = 0; i < count; ++i) {
        int64_t x = int64_t(points[i].x) + target.origin.x;
        int64_t y = int64_t(points[i].y) + target.origin.y;
        if (x < -kMaxCoordinate || x > kMaxCoordinate || y < -kMaxCoordinate || y > kMaxCoordinate) return FALSE;
    }
    if (pen->style == PS_NULL || target.clip.empty()) return TRUE;

    LineTarget t{PixelBuffer{target.pixels, target.width, target.height}, target.clip, target.clip.front(),
                 RECT{0, 0, 0, 0}};
    for (const RECT& r : target.clip) Grow(t.bounds, r.left, r.top, r.right, r.bottom);
    uint32_t pixel = ToPixel(pen->color);
    int64_t ox = target.origin.x;
    int64_t oy = target.origin.y;
    if (pen->width <= 1) {
        for (int i = 0; i + 1 < count; ++i) {
            ThinSegment(t, points[i].x + ox, points[i].y + oy, points[i + 1].x + ox, points[i + 1].y + oy, pixel);
        }
        NoteDrawn(target, t.drawn);
        return TRUE;
    }
    // A wide stroke covers the pixels near any of its segments, so segments
    // that continue one another along an axis are drawn as one: the same
    // pixels from one straight piece where a trail has a point every cell.
    int64_t sx = points[0].x + ox;
    int64_t sy = points[0].y + oy;
    int64_t ex = sx;
    int64_t ey = sy;
    for (int i = 1; i < count; ++i) {
        int64_t px = points[i].x + ox;
        int64_t py = points[i].y + oy;
        if (i > 1 && !ContinuesAlongAxis(ex - sx, ey - sy, px - ex, py - ey)) {
            WideSegment(t, sx, sy, ex, ey, pen->width, pixel);
            sx = ex;
            sy = ey;
        }
        ex = px;
        ey = py;
    }
    WideSegment(t, sx, sy, ex, ey, pen->width, pixel);
    NoteDrawn(target, t.drawn);
    return TRUE;
}
