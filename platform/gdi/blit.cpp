#include <algorithm>
#include <vector>

#include "dc.h"
#include "primitives.h"

namespace gdi {

namespace {

// A rectangle in 64-bit arithmetic, so that x + width never overflows
// before the rectangle is cut down to a surface.
struct WideRect {
    int64_t left, top, right, bottom;
};

RECT CutTo(const WideRect& r, const RECT& bounds) {
    RECT out;
    out.left = LONG(std::max<int64_t>(r.left, bounds.left));
    out.top = LONG(std::max<int64_t>(r.top, bounds.top));
    out.right = LONG(std::min<int64_t>(r.right, bounds.right));
    out.bottom = LONG(std::min<int64_t>(r.bottom, bounds.bottom));
    return out;
}

// The pixels a blit reads: a DC's surface (a screen DC's is the whole
// screen, read at the window's origin), or a bitmap's.
struct Source {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    POINT origin{0, 0};
};

bool ResolveSource(const void* handle, bool allowBitmap, Source* source) {
    ObjectKind kind = KindOf(handle);
    if (kind == ObjectKind::Dc) {
        Target target;
        if (!ResolveTarget(static_cast<HDC>(const_cast<void*>(handle)), &target, Access::Read)) return false;
        source->pixels = target.pixels;
        source->width = target.width;
        source->height = target.height;
        source->origin = target.origin;
        return true;
    }
    if (kind == ObjectKind::Bitmap && allowBitmap) {
        BitmapObject* bitmap = Lookup<BitmapObject>(handle);
        source->pixels = bitmap->Read();
        source->width = bitmap->width;
        source->height = bitmap->height;
        return true;
    }
    return false;
}

// The shared part of the plain and keyed copies of equal size: translate
// both rectangles to device pixels, cut the target rectangle to the part
// whose source pixels exist, then hand each clip rectangle's share to the
// primitive. When source and target are one surface the source pixels are
// first taken aside, so that one clip rectangle's copy never feeds another's.
template <class Primitive>
void CopyClipped(Target& dst, int x, int y, int width, int height, const Source& src, int srcX, int srcY,
                 Primitive primitive) {
    int64_t left = int64_t(x) + dst.origin.x;
    int64_t top = int64_t(y) + dst.origin.y;
    int64_t srcLeft = int64_t(srcX) + src.origin.x;
    int64_t srcTop = int64_t(srcY) + src.origin.y;
    WideRect area{left, top, left + width, top + height};
    // Where the source surface's edges fall in target pixels.
    area.left = std::max(area.left, left - srcLeft);
    area.top = std::max(area.top, top - srcTop);
    area.right = std::min(area.right, left - srcLeft + src.width);
    area.bottom = std::min(area.bottom, top - srcTop + src.height);
    RECT bounded = CutTo(area, RECT{0, 0, dst.width, dst.height});
    if (IsEmpty(bounded)) return;
    int dx = int(srcLeft - left);
    int dy = int(srcTop - top);

    ConstPixelBuffer from{src.pixels, src.width, src.height};
    std::vector<uint32_t> aside;
    if (src.pixels == dst.pixels && dst.clip.size() > 1) {
        int w = bounded.right - bounded.left;
        int h = bounded.bottom - bounded.top;
        aside.resize(size_t(w) * size_t(h));
        CopyPixels(PixelBuffer{aside.data(), w, h}, RECT{0, 0, w, h}, from, bounded.left + dx, bounded.top + dy);
        from = ConstPixelBuffer{aside.data(), w, h};
        dx = -bounded.left;
        dy = -bounded.top;
    }
    PixelBuffer to{dst.pixels, dst.width, dst.height};
    for (const RECT& clip : dst.clip) {
        RECT r = IntersectRects(bounded, clip);
        if (IsEmpty(r)) continue;
        primitive(to, r, from, dx, dy);
        NoteDrawn(dst, r);
    }
}

// TransparentImage with unequal sizes: each target pixel takes the source
// pixel under its centre (nearest neighbour), keyed as the plain case.
void StretchKeyed(Target& dst, int x, int y, int width, int height, const Source& src, int srcX, int srcY,
                  int srcWidth, int srcHeight, uint32_t key) {
    int64_t left = int64_t(x) + dst.origin.x;
    int64_t top = int64_t(y) + dst.origin.y;
    int64_t srcLeft = int64_t(srcX) + src.origin.x;
    int64_t srcTop = int64_t(srcY) + src.origin.y;
    RECT bounded = CutTo(WideRect{left, top, left + width, top + height}, RECT{0, 0, dst.width, dst.height});
    if (IsEmpty(bounded)) return;
    std::vector<uint32_t> aside;
    const uint32_t* pixels = src.pixels;
    if (src.pixels == dst.pixels) {
        aside.assign(src.pixels, src.pixels + size_t(src.width) * size_t(src.height));
        pixels = aside.data();
    }
    for (const RECT& clip : dst.clip) {
        RECT r = IntersectRects(bounded, clip);
        if (IsEmpty(r)) continue;
        for (int py = r.top; py < r.bottom; ++py) {
            // 128-bit products: the offset from a far-away origin times the
            // source size can pass 2^63.
            int64_t sy = srcTop + int64_t((__int128(2 * (py - top) + 1) * srcHeight) / (2 * __int128(height)));
            if (sy < 0 || sy >= src.height) continue;
            uint32_t* row = dst.pixels + size_t(py) * size_t(dst.width);
            const uint32_t* srcRow = pixels + size_t(sy) * size_t(src.width);
            for (int px = r.left; px < r.right; ++px) {
                int64_t sx = srcLeft + int64_t((__int128(2 * (px - left) + 1) * srcWidth) / (2 * __int128(width)));
                if (sx < 0 || sx >= src.width) continue;
                uint32_t p = srcRow[sx];
                if ((p & 0xFFFFFFu) != key) row[px] = p;
            }
        }
        NoteDrawn(dst, r);
    }
}

bool PointVisible(const Target& target, int64_t x, int64_t y) {
    for (const RECT& r : target.clip) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
}

}  // namespace

}  // namespace gdi

using namespace gdi;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    Target target;
    Source source;
    if (rop != SRCCOPY || !ResolveTarget(dest, &target) || !ResolveSource(src, false, &source)) return FALSE;
    // Win32 mirrors on negative extents only in StretchBlt; a BitBlt with
    // an empty or negative extent copies nothing and succeeds.
    if (width <= 0 || height <= 0) return TRUE;
    CopyClipped(target, x, y, width, height, source, srcX, srcY,
                [](PixelBuffer to, const RECT& r, ConstPixelBuffer from, int dx, int dy) {
                    CopyPixels(to, r, from, dx, dy);
                });
    return TRUE;
}

BOOL TransparentImage(HDC dest, int x, int y, int width, int height, HANDLE src, int srcX, int srcY,
                      int srcWidth, int srcHeight, COLORREF transparent) {
    Target target;
    Source source;
    // The source may be a DC, as the game passes it, or a bitmap, which
    // Windows CE also accepts.
    if (!ResolveTarget(dest, &target) || !ResolveSource(src, true, &source)) return FALSE;
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return FALSE;
    uint32_t key = ToPixel(transparent);
    if (width == srcWidth && height == srcHeight) {
        CopyClipped(target, x, y, width, height, source, srcX, srcY,
                    [key](PixelBuffer to, const RECT& r, ConstPixelBuffer from, int dx, int dy) {
                        KeyedCopyPixels(to, r, from, dx, dy, key);
                    });
    } else {
        StretchKeyed(target, x, y, width, height, source, srcX, srcY, srcWidth, srcHeight, key);
    }
    return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    Target target;
    BrushObject* object = Lookup<BrushObject>(brush);
    if (!rect || !object || !ResolveTarget(hdc, &target)) return 0;
    if (object->hollow) return 1;
    WideRect area{int64_t(rect->left) + target.origin.x, int64_t(rect->top) + target.origin.y,
                  int64_t(rect->right) + target.origin.x, int64_t(rect->bottom) + target.origin.y};
    RECT bounded = CutTo(area, RECT{0, 0, target.width, target.height});
    if (IsEmpty(bounded)) return 1;
    uint32_t pixel = ToPixel(object->color);
    PixelBuffer to{target.pixels, target.width, target.height};
    for (const RECT& clip : target.clip) {
        RECT r = IntersectRects(bounded, clip);
        if (IsEmpty(r)) continue;
        FillPixels(to, r, pixel);
        NoteDrawn(target, r);
    }
    return 1;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Target target;
    if (!ResolveTarget(hdc, &target)) return CLR_INVALID;
    int64_t px = int64_t(x) + target.origin.x;
    int64_t py = int64_t(y) + target.origin.y;
    if (!PointVisible(target, px, py)) return CLR_INVALID;
    target.pixels[size_t(py) * size_t(target.width) + size_t(px)] = ToPixel(color);
    NoteDrawn(target, RECT{LONG(px), LONG(py), LONG(px + 1), LONG(py + 1)});
    return color & 0xFFFFFFu;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    Target target;
    if (!ResolveTarget(hdc, &target, Access::Read)) return CLR_INVALID;
    int64_t px = int64_t(x) + target.origin.x;
    int64_t py = int64_t(y) + target.origin.y;
    if (!PointVisible(target, px, py)) return CLR_INVALID;
    uint32_t p = target.pixels[size_t(py) * size_t(target.width) + size_t(px)];
    return ToColor(p);
}
