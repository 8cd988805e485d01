#include "dc.h"

#include <cassert>

#include "screen.h"
#include "surface.h"

namespace gdi {

HDC NewDc(DcKind kind, POINT origin, const Region& clip) {
    DcObject dc;
    dc.kind = kind;
    dc.origin = origin;
    dc.clip = clip;
    dc.pen = static_cast<HPEN>(StockObject(BLACK_PEN));
    dc.brush = static_cast<HBRUSH>(StockObject(WHITE_BRUSH));
    dc.font = static_cast<HFONT>(StockObject(SYSTEM_FONT));
    if (kind == DcKind::Memory) dc.bitmap = DefaultBitmap();
    HDC hdc = static_cast<HDC>(InsertObject(std::move(dc)));
    if (!hdc) return nullptr;
    DcObject* stored = Lookup<DcObject>(hdc);
    AddSelection(stored->pen);
    AddSelection(stored->brush);
    AddSelection(stored->font);
    if (stored->bitmap) AddSelection(stored->bitmap);
    return hdc;
}

bool DestroyDc(HDC hdc, DcKind kind) {
    DcObject* dc = Lookup<DcObject>(hdc);
    if (!dc || dc->kind != kind) return false;
    // Copy the handles first: dropping a selection may free a slot, which
    // never moves this DC but keeps the order obvious.
    void* held[] = {dc->pen, dc->brush, dc->font, dc->bitmap};
    for (void* object : held) {
        if (object) DropSelection(object);
    }
    FreeDcSlot(hdc);
    return true;
}

bool ResolveTarget(HDC hdc, Target* target, Access access) {
    DcObject* dc = Lookup<DcObject>(hdc);
    if (!dc) return false;
    target->dc = dc;
    if (dc->kind == DcKind::Screen) {
        target->pixels = ScreenPixels();
        target->width = kScreenWidth;
        target->height = kScreenHeight;
        target->origin = dc->origin;
        target->screen = true;
        target->clip = dc->clip.Rects();
        return true;
    }
    BitmapObject* bitmap = Lookup<BitmapObject>(dc->bitmap);
    assert(bitmap && "a memory DC always holds a live bitmap");
    if (!bitmap) return false;
    target->pixels = access == Access::Write ? bitmap->Write() : const_cast<uint32_t*>(bitmap->Read());
    target->width = bitmap->width;
    target->height = bitmap->height;
    target->origin = POINT{0, 0};
    target->screen = false;
    target->surfaceRect = RECT{0, 0, bitmap->width, bitmap->height};
    target->clip = std::span<const RECT>(&target->surfaceRect, 1);
    return true;
}

void NoteDrawn(const Target& target, const RECT& rect) {
    if (target.screen) MarkScreenDirty(rect);
}

bool GetDcSurface(HDC hdc, SurfaceView* view) {
    Target target;
    if (!view || !ResolveTarget(hdc, &target, Access::Read)) return false;
    view->pixels = target.pixels;
    view->width = target.width;
    view->height = target.height;
    return true;
}

bool GetBitmapSurface(HBITMAP bitmap, SurfaceView* view) {
    BitmapObject* object = Lookup<BitmapObject>(bitmap);
    if (!view || !object) return false;
    view->pixels = object->Read();
    view->width = object->width;
    view->height = object->height;
    return true;
}

}  // namespace gdi

using namespace gdi;

HDC CreateCompatibleDC(HDC hdc) {
    // Null means "compatible with the screen"; anything else must be a DC.
    if (hdc && !Lookup<DcObject>(hdc)) return nullptr;
    return NewDc(DcKind::Memory, POINT{0, 0}, Region());
}

BOOL DeleteDC(HDC hdc) { return DestroyDc(hdc, DcKind::Memory) ? TRUE : FALSE; }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    DcObject* dc = Lookup<DcObject>(hdc);
    if (!dc || !object) return nullptr;
    void** slot = nullptr;
    switch (KindOf(object)) {
        case ObjectKind::Bitmap:
            // Only memory DCs hold bitmaps, and a bitmap lives in one DC at a
            // time, as on Win32; the shared default bitmap is the exception.
            if (dc->kind != DcKind::Memory) return nullptr;
            if (object != dc->bitmap && object != DefaultBitmap() && SelectionCount(object) > 0) return nullptr;
            slot = reinterpret_cast<void**>(&dc->bitmap);
            break;
        case ObjectKind::Pen: slot = reinterpret_cast<void**>(&dc->pen); break;
        case ObjectKind::Brush: slot = reinterpret_cast<void**>(&dc->brush); break;
        case ObjectKind::Font: slot = reinterpret_cast<void**>(&dc->font); break;
        default: return nullptr;
    }
    if (IsDeletePending(object)) return nullptr;
    void* previous = *slot;
    if (previous == object) return previous;
    AddSelection(object);
    *slot = object;
    // The previous object may be freed here if it was deleted while selected;
    // its handle is still what the caller gets back, now stale, as on Win32.
    DropSelection(previous);
    return previous;
}

namespace {

// Sets the text or background colour of a DC (the flag byte of a COLORREF is
// dropped) and returns the one it replaced.
COLORREF SwapColor(HDC hdc, COLORREF DcObject::*field, COLORREF color) {
    DcObject* dc = Lookup<DcObject>(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->*field;
    dc->*field = color & 0xFFFFFFu;
    return previous;
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF color) { return SwapColor(hdc, &DcObject::textColor, color); }

COLORREF GetTextColor(HDC hdc) {
    DcObject* dc = Lookup<DcObject>(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) { return SwapColor(hdc, &DcObject::bkColor, color); }

int SetBkMode(HDC hdc, int mode) {
    DcObject* dc = Lookup<DcObject>(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}
