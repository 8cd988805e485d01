// Window frames from styles: a caption with its title (and an OK button for
// WS_EX_CAPTIONOKBTN), a thin black border for WS_BORDER, a static edge for
// WS_EX_STATICEDGE, and nothing at all when the style asks for none. The
// window manager draws a frame through the hooks that SetFrame installs.
#include <map>

#include "dialog_internal.h"

namespace user {
namespace {

constexpr int kOkWidth = 24;
constexpr int kOkHeight = 14;
constexpr int kOkMarginRight = 3;
constexpr int kTitleIndent = 4;

bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }
bool HasBorder(DWORD style) { return (style & (WS_BORDER | WS_DLGFRAME)) != 0; }
bool HasStaticEdge(DWORD exStyle) { return (exStyle & WS_EX_STATICEDGE) != 0; }

// The caption OK button of each dialog that has one.
std::map<HWND, HWND>& CaptionButtons() {
    static std::map<HWND, HWND> buttons;
    return buttons;
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    RECT r{left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

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
        Fill(dc, 0, 0, width, 1, kInkColor);
        Fill(dc, 0, height - 1, width, height, kInkColor);
        Fill(dc, 0, 0, 1, height, kInkColor);
        Fill(dc, width - 1, 0, width, height, kInkColor);
        edge = 1;
    }
    if (HasStaticEdge(w->exStyle)) {
        // Sunken by one pixel: shadow above and left, light below and right.
        Fill(dc, edge, edge, width - edge, edge + 1, kShadowColor);
        Fill(dc, edge, edge, edge + 1, height - edge, kShadowColor);
        Fill(dc, edge, height - edge - 1, width - edge, height - edge, kFaceColor);
        Fill(dc, width - edge - 1, edge + 1, width - edge, height - edge, kFaceColor);
        ++edge;
    }
    if (!HasCaption(w->style)) {
        return;
    }
    Fill(dc, edge, edge, width - edge, edge + kCaptionHeight, kHighlightColor);
    LOGFONTW lf{};
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, bold);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kHighlightTextColor);
    int titleRight = width - edge - kOkMarginRight;
    if (w->exStyle & WS_EX_CAPTIONOKBTN) {
        titleRight -= kOkWidth + kOkMarginRight;
    }
    RECT title{edge + kTitleIndent, edge, titleRight, edge + kCaptionHeight};
    DrawTextW(dc, w->text.c_str(), -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
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
    for (auto it = CaptionButtons().begin(); it != CaptionButtons().end();) {
        it = FromHandle(it->first) == nullptr ? CaptionButtons().erase(it) : std::next(it);
    }
    Window* w = FromHandle(hwnd);
    RECT ok = OkButtonRect(ScreenWindowRect(w), EdgeOf(style, exStyle));
    HWND button = CreateWindowExW(0, kButtonClass, u"OK", WS_POPUP | kCaptionButtonStyle, ok.left, ok.top,
                                  ok.right - ok.left, ok.bottom - ok.top, hwnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDOK)), w->instance, nullptr);
    if (button != nullptr) {
        CaptionButtons()[hwnd] = button;
    }
}

void FollowFrameOwner(HWND hwnd) {
    auto it = CaptionButtons().find(hwnd);
    Window* w = FromHandle(hwnd);
    if (it == CaptionButtons().end() || w == nullptr || FromHandle(it->second) == nullptr) {
        return;
    }
    RECT ok = OkButtonRect(ScreenWindowRect(w), EdgeOf(w->style, w->exStyle));
    SetWindowPos(it->second, nullptr, ok.left, ok.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowFrameButtons(HWND hwnd, bool show) {
    auto it = CaptionButtons().find(hwnd);
    if (it == CaptionButtons().end() || FromHandle(it->second) == nullptr) {
        return;
    }
    FollowFrameOwner(hwnd);
    ShowWindow(it->second, show ? SW_SHOWNA : SW_HIDE);
}

}  // namespace user
