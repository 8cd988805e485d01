// Static controls: text (left, centred or right, '&' a prefix unless
// SS_NOPREFIX) in the control's font, and SS_BITMAP pictures drawn at their
// natural size from the control's top-left corner.
#include "control.h"
#include "gdi/object.h"

namespace user {
namespace {

constexpr DWORD kTypeMask = 0x1F;

struct StaticState {
    HFONT font = nullptr;      // null: the system font
    HBITMAP bitmap = nullptr;
    bool ownsBitmap = false;   // loaded from the template, deleted with the control
};

bool IsBitmap(const Window* w) { return (w->style & kTypeMask) == SS_BITMAP; }

SIZE BitmapSize(HBITMAP bitmap) {
    const gdi::BitmapObject* b = gdi::Lookup<gdi::BitmapObject>(bitmap);
    return b != nullptr ? SIZE{b->width, b->height} : SIZE{0, 0};
}

void ReleaseBitmap(StaticState* state) {
    if (state->ownsBitmap && state->bitmap != nullptr) {
        DeleteObject(state->bitmap);
    }
    state->bitmap = nullptr;
    state->ownsBitmap = false;
}

// A bitmap static takes its picture's size, as Win32's does without
// SS_REALSIZECONTROL.
void SetBitmap(HWND hwnd, StaticState* state, HBITMAP bitmap, bool owns) {
    ReleaseBitmap(state);
    state->bitmap = bitmap;
    state->ownsBitmap = owns;
    SIZE size = BitmapSize(bitmap);
    if (size.cx > 0 && size.cy > 0) {
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

UINT Alignment(DWORD style) {
    switch (style & kTypeMask) {
    case SS_CENTER:
        return DT_CENTER;
    case SS_RIGHT:
        return DT_RIGHT;
    default:
        return DT_LEFT;
    }
}

void Paint(HDC dc, const Window& w, const StaticState& state, const RECT& client) {
    Fill(dc, client, kFaceColor);
    if (IsBitmap(&w)) {
        SIZE size = BitmapSize(state.bitmap);
        HDC memory = CreateCompatibleDC(dc);
        if (memory != nullptr) {
            if (size.cx > 0) {
                HGDIOBJ old = SelectObject(memory, state.bitmap);
                BitBlt(dc, 0, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
            }
            DeleteDC(memory);
        }
        return;
    }
    UINT format = Alignment(w.style) | ((w.style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    DrawLabel(dc, w.text, client, format, IsEnabledChain(&w) ? kInkColor : kDisabledTextColor, state.font);
}

}  // namespace

LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    StaticState* state = StateOf<StaticState>(hwnd);
    switch (msg) {
    case WM_CREATE: {
        StaticState* created = AttachState<StaticState>(hwnd);
        // A template's bitmap static names its picture by number; the dialog
        // manager passes that number as the creation parameter, since the
        // window text cannot carry it here.
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        Window* w = FromHandle(hwnd);
        UINT_PTR number = reinterpret_cast<UINT_PTR>(cs->lpCreateParams);
        if (created != nullptr && w != nullptr && IsBitmap(w) && number != 0 && number <= 0xFFFF) {
            HBITMAP bitmap = LoadBitmapW(cs->hInstance, MAKEINTRESOURCEW(number));
            if (bitmap != nullptr) {
                SetBitmap(hwnd, created, bitmap, true);
            }
        }
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
    case WM_GETFONT:
        return ControlFontMessage(hwnd, msg, wParam, lParam, state != nullptr ? &state->font : nullptr, TRUE);
    case STM_SETIMAGE: {
        if (state == nullptr || wParam != IMAGE_BITMAP) {
            return 0;
        }
        // A picture given by the program stays the program's, as in Win32.
        HBITMAP old = state->ownsBitmap ? nullptr : state->bitmap;
        SetBitmap(hwnd, state, reinterpret_cast<HBITMAP>(lParam), false);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
        return state != nullptr ? reinterpret_cast<LRESULT>(state->bitmap) : 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_PAINT:
        return PaintControl<StaticState>(hwnd, Paint);
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_NCDESTROY:
        // The bitmap is a GDI object, which outlives the window unless it
        // is deleted here.
        if (state != nullptr) {
            ReleaseBitmap(state);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace user
