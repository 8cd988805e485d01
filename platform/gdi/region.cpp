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

// The working lists of one region operation. They keep their capacity from
// one operation to the next, so that the window manager's steady state
// combines regions without touching the heap.
struct Scratch {
    std::vector<LONG> ys;
    std::vector<LONG> edges;
    std::vector<Span> spansA;
    std::vector<Span> spansB;
    std::vector<Span> spans;
    std::vector<Span> previous;
    std::vector<RECT> result;
};

Scratch& TheScratch() {
    thread_local Scratch scratch;
    return scratch;
}

// The x-spans of a banded region over the band [top, bottom). The band never
// straddles one of the region's own y edges (the caller cuts bands at all of
// them), so every rectangle either covers the band or misses it.
void SpansInBand(std::span<const RECT> rects, LONG top, LONG bottom, std::vector<Span>& out) {
    out.clear();
    for (const RECT& r : rects) {
        if (r.top > top) break;  // banded order: every later band starts lower still
        if (r.bottom >= bottom) {
            out.push_back({r.left, r.right});
        }
    }
    // Banded order keeps the spans of one band sorted by x already.
}

// Combines two sorted lists of disjoint spans by sweeping their edges.
void CombineSpans(Op op, const std::vector<Span>& a, const std::vector<Span>& b, std::vector<LONG>& edges,
                  std::vector<Span>& out) {
    out.clear();
    edges.clear();
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
// always give the same rectangle list. The result is left in scratch.result.
void Combine(Op op, std::span<const RECT> a, std::span<const RECT> b, Scratch& scratch) {
    std::vector<LONG>& ys = scratch.ys;
    ys.clear();
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

    std::vector<RECT>& result = scratch.result;
    std::vector<Span>& spans = scratch.spans;
    std::vector<Span>& previous = scratch.previous;
    result.clear();
    size_t previousStart = 0;  // index in result of the previous band's first rectangle
    LONG previousBottom = 0;
    bool havePrevious = false;
    // The first rectangle of each operand that may still reach the band.
    size_t fromA = 0;
    size_t fromB = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        LONG top = ys[i];
        LONG bottom = ys[i + 1];
        while (fromA < a.size() && a[fromA].bottom <= top) ++fromA;
        while (fromB < b.size() && b[fromB].bottom <= top) ++fromB;
        SpansInBand(a.subspan(fromA), top, bottom, scratch.spansA);
        SpansInBand(b.subspan(fromB), top, bottom, scratch.spansB);
        CombineSpans(op, scratch.spansA, scratch.spansB, scratch.edges, spans);
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
            previous.assign(spans.begin(), spans.end());
        }
        previousBottom = bottom;
        havePrevious = true;
    }
}

bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Encloses(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace

Region::Region(const RECT& rect) {
    if (!IsEmptyRect(rect)) {
        inline_[0] = rect;
        count_ = 1;
    }
}

void Region::Assign(std::span<const RECT> rects) {
    count_ = rects.size();
    if (count_ <= kInlineRects) {
        std::copy(rects.begin(), rects.end(), inline_);
    } else {
        spill_.assign(rects.begin(), rects.end());
    }
}

Region Region::FromRects(const std::vector<RECT>& rects) {
    // Any list of possibly overlapping rectangles: SpansInBand expects the
    // spans of one band in x order without overlap, which arbitrary input
    // does not give, so the rectangles are folded in one by one.
    Region region;
    for (const RECT& r : rects) {
        if (!IsEmptyRect(r)) region.Union(Region(r));
    }
    return region;
}

// Each operation first tries the cases whose answer is known without a
// sweep. Equal areas have one rectangle list, so these shortcuts give
// exactly what the sweep would.
void Region::Union(const Region& other) {
    if (other.IsEmpty()) return;
    if (IsEmpty()) {
        *this = other;
        return;
    }
    Scratch& scratch = TheScratch();
    Combine(Op::Union, Rects(), other.Rects(), scratch);
    Assign(scratch.result);
}

void Region::Intersect(const Region& other) {
    if (IsEmpty()) return;
    if (other.IsEmpty()) {
        count_ = 0;
        return;
    }
    if (other.count_ == 1) {
        const RECT& clip = other.inline_[0];
        if (Encloses(clip, Bounds())) return;
        if (count_ == 1) {
            const RECT& r = inline_[0];
            RECT cut{std::max(r.left, clip.left), std::max(r.top, clip.top), std::min(r.right, clip.right),
                     std::min(r.bottom, clip.bottom)};
            *this = Region(cut);
            return;
        }
    }
    if (!Overlap(Bounds(), other.Bounds())) {
        count_ = 0;
        return;
    }
    Scratch& scratch = TheScratch();
    Combine(Op::Intersect, Rects(), other.Rects(), scratch);
    Assign(scratch.result);
}

void Region::Subtract(const Region& other) {
    if (IsEmpty() || other.IsEmpty()) return;
    if (!Overlap(Bounds(), other.Bounds())) return;
    Scratch& scratch = TheScratch();
    Combine(Op::Subtract, Rects(), other.Rects(), scratch);
    Assign(scratch.result);
}

void Region::Offset(int dx, int dy) {
    RECT* rects = Data();
    for (size_t i = 0; i < count_; ++i) {
        RECT& r = rects[i];
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

bool Region::Contains(int x, int y) const {
    for (const RECT& r : Rects()) {
        if (r.top > y) break;  // banded order: every later band starts lower still
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
}

RECT Region::Bounds() const {
    if (IsEmpty()) return RECT{0, 0, 0, 0};
    std::span<const RECT> rects = Rects();
    RECT b = rects.front();
    for (const RECT& r : rects) {
        b.left = std::min(b.left, r.left);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

bool Region::operator==(const Region& other) const {
    if (count_ != other.count_) return false;
    std::span<const RECT> mine = Rects();
    std::span<const RECT> theirs = other.Rects();
    for (size_t i = 0; i < count_; ++i) {
        const RECT& a = mine[i];
        const RECT& b = theirs[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
    }
    return true;
}

}  // namespace gdi
