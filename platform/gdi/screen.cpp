#include "screen.h"

#include <algorithm>
#include <array>

#include "dc.h"

namespace gdi {

namespace {

struct Screen {
    std::array<uint32_t, kScreenWidth * kScreenHeight> pixels{};
    RECT dirty{0, 0, 0, 0};
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

Region OnScreen(const Region& clip) {
    Region visible = clip;
    visible.Intersect(Region(RECT{0, 0, kScreenWidth, kScreenHeight}));
    return visible;
}

}  // namespace


uint32_t* ScreenPixels() { return TheScreen().pixels.data(); }

void MarkScreenDirty(const RECT& rect) {
    RECT& dirty = TheScreen().dirty;
    if (IsEmpty(rect)) return;
    if (IsEmpty(dirty)) {
        dirty = rect;
        return;
    }
    dirty.left = std::min(dirty.left, rect.left);
    dirty.top = std::min(dirty.top, rect.top);
    dirty.right = std::max(dirty.right, rect.right);
    dirty.bottom = std::max(dirty.bottom, rect.bottom);
}

RECT TakeScreenDirtyRect() {
    RECT dirty = TheScreen().dirty;
    TheScreen().dirty = RECT{0, 0, 0, 0};
    return dirty;
}

HDC CreateScreenDC(POINT origin, const Region& clip) {
    return NewDc(DcKind::Screen, origin, OnScreen(clip));
}

void SetScreenDCClip(HDC hdc, const Region& clip) {
    DcObject* dc = Lookup<DcObject>(hdc);
    if (!dc || dc->kind != DcKind::Screen) return;
    dc->clip = OnScreen(clip);
}

BOOL ReleaseScreenDC(HDC hdc) { return DestroyDc(hdc, DcKind::Screen) ? TRUE : FALSE; }

}  // namespace gdi
