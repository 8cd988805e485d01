#include "region.h"

#include <algorithm>

namespace gdi {

namespace {

enum class Op { Union, Intersect, Subtract };

struct Span {
    LONG left;
    LONG right;
};

bool Keep(Op op, bool inA, bool inB) {
    switch (op) {
        case Op::Union: return inA || inB;
        case Op::Intersect: return inA && inB;
        case Op::Subtract: return inA && !inB;
    }
    return false;
}

// The x-spans of a banded region over the band [top, bottom). The band never
// straddles one of the region's own y edges (the caller cuts bands at all of
// them), so every rectangle either covers the band or misses it.
void SpansInBand(const std::vector<RECT>& rects, LONG top, LONG bottom, std::vector<Span>& out) {
    out.clear();
    for (const RECT& r : rects) {
        if (r.top <= top && r.bottom >= bottom) {
            out.push_back({r.left, r.right});
        }
    }
    // Banded order keeps the spans of one band sorted by x already.
}

// Combines two sorted lists of disjoint spans by sweeping their edges.
void CombineSpans(Op op, const std::vector<Span>& a, const std::vector<Span>& b, std::vector<Span>& out) {
    out.clear();
    std::vector<LONG> edges;
    edges.reserve((a.size() + b.size()) * 2);
    for (const Span& s : a) {
        edges.push_back(s.left);
        edges.push_back(s.right);
    }
    for (const Span& s : b) {
        edges.push_back(s.left);
        edges.push_back(s.right);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    size_t ia = 0;
    size_t ib = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        LONG x0 = edges[i];
        LONG x1 = edges[i + 1];
        while (ia < a.size() && a[ia].right <= x0) ++ia;
        while (ib < b.size() && b[ib].right <= x0) ++ib;
        bool inA = ia < a.size() && a[ia].left <= x0;
        bool inB = ib < b.size() && b[ib].left <= x0;
        if (!Keep(op, inA, inB)) continue;
        if (!out.empty() && out.back().right == x0) {
            out.back().right = x1;
        } else {
            out.push_back({x0, x1});
        }
    }
}

// The general region operation: cut the plane into horizontal bands at every
// y edge of either operand, combine the spans band by band, and merge a band
// into the one above when their spans are identical, so that equal areas
// always give the same rectangle list.
std::vector<RECT> Combine(Op op, const std::vector<RECT>& a, const std::vector<RECT>& b) {
    std::vector<LONG> ys;
    ys.reserve((a.size() + b.size()) * 2);
    for (const RECT& r : a) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    for (const RECT& r : b) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    std::vector<RECT> result;
    std::vector<Span> spansA;
    std::vector<Span> spansB;
    std::vector<Span> spans;
    std::vector<Span> previous;
    size_t previousStart = 0;  // index in result of the previous band's first rectangle
    LONG previousBottom = 0;
    bool havePrevious = false;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        LONG top = ys[i];
        LONG bottom = ys[i + 1];
        SpansInBand(a, top, bottom, spansA);
        SpansInBand(b, top, bottom, spansB);
        CombineSpans(op, spansA, spansB, spans);
        if (spans.empty()) {
            havePrevious = false;
            continue;
        }
        bool same = havePrevious && previousBottom == top && spans.size() == previous.size() &&
                    std::equal(spans.begin(), spans.end(), previous.begin(), [](const Span& s, const Span& t) {
                        return s.left == t.left && s.right == t.right;
                    });
        if (same) {
            for (size_t k = previousStart; k < result.size(); ++k) result[k].bottom = bottom;
        } else {
            previousStart = result.size();
            for (const Span& s : spans) result.push_back({s.left, top, s.right, bottom});
            previous = spans;
        }
        previousBottom = bottom;
        havePrevious = true;
    }
    return result;
}

bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

Region::Region(const RECT& rect) {
    if (!IsEmptyRect(rect)) rects_.push_back(rect);
}

Region Region::FromRects(const std::vector<RECT>& rects) {
    // Any list of possibly overlapping rectangles: normalise it by one union
    // sweep against the empty region.
    std::vector<RECT> valid;
    valid.reserve(rects.size());
    for (const RECT& r : rects) {
        if (!IsEmptyRect(r)) valid.push_back(r);
    }
    Region region;
    if (valid.empty()) return region;
    // SpansInBand expects the spans of one band in x order without overlap,
    // which arbitrary input does not give; fold the rectangles in one by one.
    for (const RECT& r : valid) {
        region.rects_ = Combine(Op::Union, region.rects_, std::vector<RECT>{r});
    }
    return region;
}

void Region::Union(const Region& other) {
    if (other.rects_.empty()) return;
    if (rects_.empty()) {
        rects_ = other.rects_;
        return;
    }
    rects_ = Combine(Op::Union, rects_, other.rects_);
}

void Region::Intersect(const Region& other) {
    if (rects_.empty()) return;
    if (other.rects_.empty()) {
        rects_.clear();
        return;
    }
    rects_ = Combine(Op::Intersect, rects_, other.rects_);
}

void Region::Subtract(const Region& other) {
    if (rects_.empty() || other.rects_.empty()) return;
    rects_ = Combine(Op::Subtract, rects_, other.rects_);
}

void Region::Offset(int dx, int dy) {
    for (RECT& r : rects_) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

bool Region::Contains(int x, int y) const {
    for (const RECT& r : rects_) {
        if (r.top > y) break;  // banded order: every later band starts lower still
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
}

RECT Region::Bounds() const {
    if (rects_.empty()) return RECT{0, 0, 0, 0};
    RECT b = rects_.front();
    for (const RECT& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

bool Region::operator==(const Region& other) const {
    if (rects_.size() != other.rects_.size()) return false;
    for (size_t i = 0; i < rects_.size(); ++i) {
        const RECT& a = rects_[i];
        const RECT& b = other.rects_[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
    }
    return true;
}

}  // namespace gdi
