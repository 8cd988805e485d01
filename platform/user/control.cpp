// The pieces that push buttons, static controls, dialogs, dialog frames and
// the menu bar have in common; see control.h.
#include "control.h"

namespace user {

void RegisterMissingClasses(std::initializer_list<ClassEntry> classes) {
    for (const ClassEntry& e : classes) {
        if (FindClass(e.name) == nullptr) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = e.proc;
            wc.lpszClassName = e.name;
            RegisterClassW(&wc);
        }
    }
}

HWND CreateControl(const ControlRecord& r, HWND parent, HINSTANCE instance) {
    return CreateWindowExW(r.exStyle, r.cls, r.text, r.style, r.x, r.y, r.cx, r.cy, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(r.id)), instance, r.param);
}

WORD ControlId(const Window* w) { return static_cast<WORD>(reinterpret_cast<UINT_PTR>(w->menu)); }

bool IsWithin(HWND hwnd, HWND ancestor) {
    for (Window* w = FromHandle(hwnd); w != nullptr; w = w->parent) {
        if (w->handle == ancestor) {
            return true;
        }
    }
    return false;
}

std::u16string StripPrefix(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        // A '&' gives way to the character after it; a trailing one is dropped.
        if (text[i] == u'&' && ++i == text.size()) {
            break;
        }
        out += text[i];
    }
    return out;
}

void SetLabel(HWND hwnd, LPCWSTR text) { SetPressLabel(hwnd, StripPrefix(text != nullptr ? text : u"").c_str()); }

void NotifyClicked(HWND to, WORD id, HWND control) {
    SendMessageW(to, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

LRESULT ControlFontMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, HFONT* font, BOOL erase) {
    if (font == nullptr) {
        return 0;
    }
    if (msg == WM_GETFONT) {
        return reinterpret_cast<LRESULT>(*font);
    }
    *font = reinterpret_cast<HFONT>(wParam);
    if (LOWORD(lParam)) {
        InvalidateRect(hwnd, nullptr, erase);
    }
    return 0;
}

void RepaintNow(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

void SetPressed(HWND hwnd, PenPress* press, bool pressed) {
    if (press->pressed != pressed) {
        press->pressed = pressed;
        RepaintNow(hwnd);
    }
}

bool PenInside(HWND hwnd, LPARAM lParam) {
    // Client coordinates arrive as signed 16-bit halves.
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client;
    GetClientRect(hwnd, &client);
    return p.x >= client.left && p.x < client.right && p.y >= client.top && p.y < client.bottom;
}

void FollowPen(HWND hwnd, PenPress* press, LPARAM lParam) {
    if (press->tracking) {
        SetPressed(hwnd, press, PenInside(hwnd, lParam));
    }
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Outline(HDC dc, const RECT& r, int thickness, COLORREF color) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + thickness}, color);
    Fill(dc, RECT{r.left, r.bottom - thickness, r.right, r.bottom}, color);
    Fill(dc, RECT{r.left, r.top, r.left + thickness, r.bottom}, color);
    Fill(dc, RECT{r.right - thickness, r.top, r.right, r.bottom}, color);
}

void FocusMark(HDC dc, const RECT& r, COLORREF color) {
    // A checkerboard phase, so the dots run on evenly round the corners.
    auto dot = [&](LONG x, LONG y) {
        if ((x - r.left + y - r.top) % 2 == 0) {
            SetPixel(dc, x, y, color);
        }
    };
    for (LONG x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        dot(x, r.bottom - 1);
    }
    for (LONG y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        dot(r.right - 1, y);
    }
}

HFONT CreateBoldFont() {
    LOGFONTW lf{};
    lf.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&lf);
}

void DrawLabel(HDC dc, const std::u16string& text, RECT rect, UINT format, COLORREF color, HFONT font) {
    HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    DrawTextW(dc, text.c_str(), -1, &rect, format);
    if (oldFont != nullptr) {
        SelectObject(dc, oldFont);
    }
}

LRESULT EraseToFace(HWND hwnd, WPARAM dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    Fill(reinterpret_cast<HDC>(dc), client, kFaceColor);
    return 1;
}

void ApplyFrameOnCreate(HWND hwnd, LPARAM createStruct) {
    auto* cs = reinterpret_cast<const CREATESTRUCTW*>(createStruct);
    ApplyFrame(hwnd, static_cast<DWORD>(cs->style), cs->dwExStyle);
}

}  // namespace user
