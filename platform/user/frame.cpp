// Window frames from styles: a caption with its title (and an OK button for
// WS_EX_CAPTIONOKBTN), a thin black border for WS_BORDER, a static edge for
// WS_EX_STATICEDGE, and nothing at all when the style asks for none. The
// window manager draws a frame through the hooks that SetFrame installs.
#include "control.h"

namespace user {
namespace {

constexpr int kOkWidth = 24;
constexpr int kOkHeight = 14;
constexpr int kOkMarginRight = 3;
constexpr int kTitleIndent = 4;

bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }
bool HasBorder(DWORD style) { return (style & (WS_BORDER | WS_DLGFRAME)) != 0; }
bool HasStaticEdge(DWORD exStyle) { return (exStyle & WS_EX_STATICEDGE) != 0; }

// The OK button's place on the screen for a dialog whose window rectangle is
// given: right-aligned in the caption and centred in its height.
RECT OkButtonRect(const RECT& window, int edge) {
    int right = window.right - edge - kOkMarginRight;
    int top = window.top + edge + (kCaptionHeight - kOkHeight) / 2;
    return RECT{right - kOkWidth, top, right, top + kOkHeight};
}

void PaintFrame(HWND hwnd, HDC dc) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return;
    }
    const int width = w->rect.right - w->rect.left;
    const int height = w->rect.bottom - w->rect.top;
    int edge = 0;
    // The border is the outermost line; a static edge lies inside it.
    if (HasBorder(w->style)) {
        Outline(dc, RECT{0, 0, width, height}, 1, kInkColor);
        edge = 1;
    }
    if (HasStaticEdge(w->exStyle)) {
        // Sunken by one pixel: shadow above and left, light below and right.
        Fill(dc, RECT{edge, edge, width - edge, edge + 1}, kShadowColor);
        Fill(dc, RECT{edge, edge, edge + 1, height - edge}, kShadowColor);
        Fill(dc, RECT{edge, height - edge - 1, width - edge, height - edge}, kFaceColor);
        Fill(dc, RECT{width - edge - 1, edge + 1, width - edge, height - edge}, kFaceColor);
        ++edge;
    }
    if (!HasCaption(w->style)) {
        return;
    }
    Fill(dc, RECT{edge, edge, width - edge, edge + kCaptionHeight}, kHighlightColor);
    int titleRight = width - edge - kOkMarginRight;
    if (w->exStyle & WS_EX_CAPTIONOKBTN) {
        titleRight -= kOkWidth + kOkMarginRight;
    }
    RECT title{edge + kTitleIndent, edge, titleRight, edge + kCaptionHeight};
    HFONT bold = CreateBoldFont();
    DrawLabel(dc, w->text, title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, kHighlightTextColor, bold);
    DeleteObject(bold);
}

int EdgeOf(DWORD style, DWORD exStyle) {
    return (HasBorder(style) ? 1 : 0) + (HasStaticEdge(exStyle) ? 1 : 0);
}

}  // namespace

RECT FrameInsetsFor(DWORD style, DWORD exStyle) {
    int edge = EdgeOf(style, exStyle);
    RECT insets{edge, edge, edge, edge};
    if (HasCaption(style)) {
        insets.top += kCaptionHeight;
    }
    return insets;
}

void ApplyFrame(HWND hwnd, DWORD style, DWORD exStyle) {
    RECT insets = FrameInsetsFor(style, exStyle);
    if (insets.left == 0 && insets.top == 0) {
        return;  // no frame: the client area is the whole window
    }
    FrameHooks hooks;
    hooks.insets = insets;
    hooks.paint = PaintFrame;
    SetFrame(hwnd, hooks);
    if (!HasCaption(style) || (exStyle & WS_EX_CAPTIONOKBTN) == 0) {
        return;
    }
    // The caption's OK button is a push button of its own, a pop-up owned by
    // the dialog, so that it has a pressed look and a label that "press OK"
    // finds; it sends IDOK to the dialog like any button with that id.
    Window* w = FromHandle(hwnd);
    RECT ok = OkButtonRect(ScreenWindowRect(w), EdgeOf(style, exStyle));
    HWND button = CreateControl({.cls = kButtonClass,
                                 .text = u"OK",
                                 .style = WS_POPUP | kCaptionButtonStyle,
                                 .x = ok.left,
                                 .y = ok.top,
                                 .cx = kOkWidth,
                                 .cy = kOkHeight,
                                 .id = IDOK},
                                hwnd, w->instance);
    if (button != nullptr && (w = FromHandle(hwnd)) != nullptr) {
        w->captionButton = button;
    }
}

void FollowFrameOwner(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr || FromHandle(w->captionButton) == nullptr) {
        return;
    }
    RECT ok = OkButtonRect(ScreenWindowRect(w), EdgeOf(w->style, w->exStyle));
    SetWindowPos(w->captionButton, nullptr, ok.left, ok.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowFrameButtons(HWND hwnd, bool show) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr || FromHandle(w->captionButton) == nullptr) {
        return;
    }
    FollowFrameOwner(hwnd);
    ShowWindow(w->captionButton, show ? SW_SHOWNA : SW_HIDE);
}

}  // namespace user
