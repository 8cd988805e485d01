// Push buttons: normal and default, and the OK box of a dialog caption. A
// button looks pressed while the pen that went down on it stays inside, and
// sends BN_CLICKED to its parent when the pen comes up inside; a release
// outside sends nothing, as in Win32.
#include "control.h"

namespace user {
namespace {

struct ButtonState {
    HFONT font = nullptr;  // null: the system font
    PenPress press{};
    bool spaceDown = false;
};

void Paint(HDC dc, const Window& w, const ButtonState& state, const RECT& client) {
    const bool caption = ButtonKind(&w) == kCaptionButtonStyle;
    COLORREF face = caption ? kHighlightColor : kFaceColor;
    COLORREF ink = caption ? kHighlightTextColor : kInkColor;
    if (state.press.pressed) {
        // Pressed is drawn inverted, which stays crisp on a one-bit look.
        std::swap(face, ink);
    }
    Fill(dc, client, face);
    if (caption) {
        // A rounded box: the frame with its four corner pixels in the
        // caption's colour.
        Outline(dc, client, 1, kHighlightTextColor);
        for (POINT p : {POINT{client.left, client.top}, POINT{client.right - 1, client.top},
                        POINT{client.left, client.bottom - 1}, POINT{client.right - 1, client.bottom - 1}}) {
            SetPixel(dc, p.x, p.y, kHighlightColor);
        }
    } else {
        Outline(dc, client, ButtonKind(&w) == BS_DEFPUSHBUTTON ? 2 : 1, kInkColor);
    }
    HFONT bold = caption ? CreateBoldFont() : nullptr;
    DrawLabel(dc, w.text, client, DT_CENTER | DT_VCENTER | DT_SINGLELINE, IsEnabledChain(&w) ? ink : kDisabledTextColor,
              caption ? bold : state.font);
    if (bold != nullptr) {
        DeleteObject(bold);
    }
    if (GetFocus() == w.handle && KeyboardCues()) {
        // Inside the frame, one pixel clear of it.
        const int inset = ButtonKind(&w) == BS_DEFPUSHBUTTON ? 3 : 2;
        FocusMark(dc, RECT{client.left + inset, client.top + inset, client.right - inset, client.bottom - inset}, ink);
    }
}

void Click(HWND hwnd) {
    if (Window* w = FromHandle(hwnd)) {
        NotifyClicked(GetParent(hwnd), ControlId(w), hwnd);
    }
}

}  // namespace

LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ButtonState* state = StateOf<ButtonState>(hwnd);
    switch (msg) {
    case WM_CREATE:
        AttachState<ButtonState>(hwnd);
        SetLabel(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpszName);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        if (Window* w = FromHandle(hwnd)) {
            SetLabel(hwnd, w->text.c_str());
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    case WM_SETFONT:
    case WM_GETFONT:
        return ControlFontMessage(hwnd, msg, wParam, lParam, state != nullptr ? &state->font : nullptr, FALSE);
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_PAINT:
        return PaintControl<ButtonState>(hwnd, Paint);
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        if (state != nullptr) {
            state->press.tracking = true;
            SetPressed(hwnd, &state->press, true);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (state != nullptr) {
            FollowPen(hwnd, &state->press, lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (state != nullptr && state->press.tracking) {
            state->press.tracking = false;
            bool inside = PenInside(hwnd, lParam);
            SetPressed(hwnd, &state->press, false);
            if (inside) {
                Click(hwnd);  // may destroy the button: nothing of it is touched after
            }
        }
        return 0;
    case WM_KEYDOWN:
        // The space bar presses a focused button, as in Win32.
        if (state != nullptr && wParam == VK_SPACE) {
            state->spaceDown = true;
            SetPressed(hwnd, &state->press, true);
        }
        return 0;
    case WM_KEYUP:
        if (state != nullptr && wParam == VK_SPACE && state->spaceDown) {
            state->spaceDown = false;
            SetPressed(hwnd, &state->press, false);
            Click(hwnd);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace user
