// Push buttons: normal and default, and the OK box of a dialog caption. A
// button looks pressed while the pen that went down on it stays inside, and
// sends BN_CLICKED to its parent when the pen comes up inside; a release
// outside sends nothing, as in Win32.
#include <map>

#include "dialog_internal.h"

namespace user {
namespace {

struct ButtonState {
    HFONT font = nullptr;  // null: the system font
    bool tracking = false;  // the pen went down on the button and is not up yet
    bool pressed = false;
    bool spaceDown = false;
};

std::map<HWND, ButtonState>& Buttons() {
    static std::map<HWND, ButtonState> buttons;
    return buttons;
}

ButtonState* StateOf(HWND hwnd) {
    auto it = Buttons().find(hwnd);
    return it != Buttons().end() ? &it->second : nullptr;
}

DWORD Kind(const Window* w) { return w->style & 0x0F; }

POINT PointFrom(LPARAM lParam) {
    // Client coordinates arrive as signed 16-bit halves.
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool Inside(HWND hwnd, POINT p) {
    RECT client;
    GetClientRect(hwnd, &client);
    return p.x >= client.left && p.x < client.right && p.y >= client.top && p.y < client.bottom;
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A frame of the given thickness just inside r.
void Frame(HDC dc, const RECT& r, int thickness, COLORREF color) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + thickness}, color);
    Fill(dc, RECT{r.left, r.bottom - thickness, r.right, r.bottom}, color);
    Fill(dc, RECT{r.left, r.top, r.left + thickness, r.bottom}, color);
    Fill(dc, RECT{r.right - thickness, r.top, r.right, r.bottom}, color);
}

void Paint(HWND hwnd, HDC dc) {
    Window* w = FromHandle(hwnd);
    ButtonState* state = StateOf(hwnd);
    if (w == nullptr || state == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    const bool caption = Kind(w) == kCaptionButtonStyle;
    const bool enabled = IsEnabledChain(w);
    COLORREF face = caption ? kHighlightColor : kFaceColor;
    COLORREF ink = caption ? kHighlightTextColor : kInkColor;
    if (state->pressed) {
        // Pressed is drawn inverted, which stays crisp on a one-bit look.
        std::swap(face, ink);
    }
    Fill(dc, client, face);
    if (caption) {
        // A rounded box: the frame with its four corner pixels in the
        // caption's colour.
        Frame(dc, client, 1, kHighlightTextColor);
        for (POINT p : {POINT{client.left, client.top}, POINT{client.right - 1, client.top},
                        POINT{client.left, client.bottom - 1}, POINT{client.right - 1, client.bottom - 1}}) {
            SetPixel(dc, p.x, p.y, kHighlightColor);
        }
    } else {
        Frame(dc, client, Kind(w) == BS_DEFPUSHBUTTON ? 2 : 1, kInkColor);
    }
    HFONT bold = nullptr;
    HGDIOBJ oldFont = nullptr;
    if (caption) {
        LOGFONTW lf{};
        lf.lfWeight = FW_BOLD;
        bold = CreateFontIndirectW(&lf);
        oldFont = SelectObject(dc, bold);
    } else if (state->font != nullptr) {
        oldFont = SelectObject(dc, state->font);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? ink : kDisabledTextColor);
    RECT text = client;
    DrawTextW(dc, w->text.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (oldFont != nullptr) {
        SelectObject(dc, oldFont);
    }
    if (bold != nullptr) {
        DeleteObject(bold);
    }
}

void SetPressed(HWND hwnd, ButtonState* state, bool pressed) {
    if (state->pressed != pressed) {
        state->pressed = pressed;
        InvalidateRect(hwnd, nullptr, FALSE);
        // The new look shows before anything that the click may start.
        UpdateWindow(hwnd);
    }
}

void Click(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return;
    }
    WORD id = static_cast<WORD>(reinterpret_cast<UINT_PTR>(w->menu));
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

void OnButtonUp(HWND hwnd, POINT p) {
    ButtonState* state = StateOf(hwnd);
    if (state == nullptr || !state->tracking) {
        return;
    }
    state->tracking = false;
    bool inside = Inside(hwnd, p);
    SetPressed(hwnd, state, false);
    if (inside) {
        Click(hwnd);  // may destroy the button: nothing of it is touched after
    }
}

}  // namespace

LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        // Buttons that ResetForTests removed without messages leave entries.
        for (auto it = Buttons().begin(); it != Buttons().end();) {
            it = FromHandle(it->first) == nullptr ? Buttons().erase(it) : std::next(it);
        }
        Buttons()[hwnd] = ButtonState{};
        SetPressLabel(hwnd, StripPrefix(cs->lpszName != nullptr ? cs->lpszName : u"").c_str());
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        if (Window* w = FromHandle(hwnd)) {
            SetPressLabel(hwnd, StripPrefix(w->text).c_str());
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    case WM_SETFONT:
        if (ButtonState* state = StateOf(hwnd)) {
            state->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) {
                InvalidateRect(hwnd, nullptr, FALSE);
            }
        }
        return 0;
    case WM_GETFONT: {
        ButtonState* state = StateOf(hwnd);
        return state != nullptr ? reinterpret_cast<LRESULT>(state->font) : 0;
    }
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc != nullptr) {
            Paint(hwnd, dc);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        if (ButtonState* state = StateOf(hwnd)) {
            state->tracking = true;
            SetPressed(hwnd, state, true);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (ButtonState* state = StateOf(hwnd); state != nullptr && state->tracking) {
            SetPressed(hwnd, state, Inside(hwnd, PointFrom(lParam)));
        }
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(hwnd, PointFrom(lParam));
        return 0;
    case WM_KEYDOWN:
        // The space bar presses a focused button, as in Win32.
        if (ButtonState* state = StateOf(hwnd); state != nullptr && wParam == VK_SPACE) {
            state->spaceDown = true;
            SetPressed(hwnd, state, true);
        }
        return 0;
    case WM_KEYUP:
        if (ButtonState* state = StateOf(hwnd); state != nullptr && wParam == VK_SPACE && state->spaceDown) {
            state->spaceDown = false;
            SetPressed(hwnd, state, false);
            Click(hwnd);
        }
        return 0;
    case WM_NCDESTROY:
        Buttons().erase(hwnd);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace user
