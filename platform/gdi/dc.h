// What a drawing call works on once its DC has been checked: the target
// pixels, the offset from logical to device coordinates and the clip
// rectangles in device coordinates, already cut to the surface.
#pragma once

#include <cstdint>
#include <span>

#include "object.h"

namespace gdi {

struct Target {
    Target() = default;
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    DcObject* dc = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    POINT origin{0, 0};
    bool screen = false;
    std::span<const RECT> clip;

    // Storage for a memory DC's single clip rectangle (its bitmap's bounds).
    RECT surfaceRect{0, 0, 0, 0};
};

// Fills target for a valid DC; false for anything else. A call that only
// reads the pixels asks for Access::Read, which leaves a memory DC's shared
// resource bitmap shared; target->pixels must then not be written.
enum class Access : uint8_t { Read, Write };
bool ResolveTarget(HDC hdc, Target* target, Access access = Access::Write);

// Records that a device rectangle of the target was drawn, which for the
// screen grows the dirty rectangle that the host presents next.
void NoteDrawn(const Target& target, const RECT& rect);

inline RECT IntersectRects(const RECT& a, const RECT& b) {
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    return r;
}
inline bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

// The pixel format conversion every primitive uses (COLORREF 0x00BBGGRR to
// pixel 0x00RRGGBB), and back for GetPixel.
inline uint32_t ToPixel(COLORREF c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }
inline COLORREF ToColor(uint32_t p) { return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16); }

// Screen internals shared with dc.cpp.
void MarkScreenDirty(const RECT& rect);

}  // namespace gdi

namespace gdi {

// Makes a DC with the defaults of a new Win32 DC: the 1-pixel black pen,
// the white brush, the system font, black text on an opaque white
// background, and for a memory DC the 1 x 1 default bitmap.
HDC NewDc(DcKind kind, POINT origin, const Region& clip);

// Lets go of everything the DC holds and frees it; false when hdc is not a
// live DC of that kind.
bool DestroyDc(HDC hdc, DcKind kind);

}  // namespace gdi
