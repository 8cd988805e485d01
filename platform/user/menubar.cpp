// The Pocket PC menu bar: SHCreateMenuBar turns a menu-bar definition
// (RT_RCDATA: menu id and button count, then seven words a button) and its
// menu (RT_MENU) into a bar across the bottom of the screen. Text buttons are
// sized to their labels, separators are gaps, and a drop-down button opens
// its pop-up menu above the bar. Every button and item sends WM_COMMAND to
// the bar's owner.
//
// A pop-up menu runs its own loop while it is open, as TrackPopupMenu does:
// timers and paints go on, a choice or a tap elsewhere closes it, and the tap
// that closes it goes nowhere else (Windows CE swallows it too).
#include <algorithm>
#include <vector>

#include "control.h"

namespace user {
namespace {

constexpr char16_t kBarClass[] = u"menu_worker";
constexpr char16_t kBarButtonClass[] = u"MenuBarButton";
constexpr char16_t kPopupClass[] = u"MenuPopup";
constexpr char16_t kItemClass[] = u"MenuPopupItem";

// The bar fills the bottom 26 rows of the screen.
constexpr int kBarHeight = gdi::kMenuBarHeight;
constexpr int kBarTop = gdi::kScreenHeight - kBarHeight;
constexpr int kBarWidth = gdi::kScreenWidth;
// Buttons stand two rows below the bar's top line and leave one row free
// at the bottom.
constexpr int kButtonTop = 2;
constexpr int kButtonHeight = 23;
constexpr int kFirstButtonX = 2;
constexpr int kButtonPadX = 6;
constexpr int kSeparatorWidth = 6;
// The drop-down mark: a small triangle pointing up, to the menu.
constexpr int kArrowWidth = 5;
constexpr int kArrowGap = 3;

constexpr int kItemHeight = 20;
constexpr int kItemPadLeft = 8;
constexpr int kItemPadRight = 16;
constexpr int kSeparatorItemHeight = 7;
constexpr int kMinPopupWidth = 60;

constexpr WORD kNoEntry = 0xFFFF;
constexpr int kRecordWords = 7;

struct MenuNode {
    WORD option = 0;
    WORD id = 0;
    std::u16string text;
    std::vector<MenuNode> children;
};

struct Bar {
    HWND owner = nullptr;
    std::vector<MenuNode> menu;  // the top level of the menu resource
};

struct BarButton {
    HWND bar = nullptr;
    WORD command = 0;
    bool dropDown = false;
    WORD entry = kNoEntry;
    PenPress press{};
    bool menuOpen = false;
};

struct Item {
    WORD id = 0;
    bool separator = false;
    PenPress press{};
};

// The open pop-up menu's loop.
struct Tracking {
    HWND popup = nullptr;
    WORD chosen = 0;
    bool done = false;
};

Tracking* g_tracking = nullptr;

// The records of one level, up to and including the one marked MF_END; a
// pop-up's items follow it directly.
void ParseLevel(const MENUITEMRECORD* records, DWORD count, DWORD* i, std::vector<MenuNode>* out) {
    while (*i < count) {
        const MENUITEMRECORD& r = records[(*i)++];
        MenuNode node;
        node.option = r.option;
        node.id = r.id;
        node.text = r.text != nullptr ? r.text : u"";
        if (r.option & MF_POPUP) {
            ParseLevel(records, count, i, &node.children);
        }
        out->push_back(std::move(node));
        if (r.option & MF_END) {
            return;
        }
    }
}

// The width of a label in the system font, '&' prefixes taken out.
int LabelWidth(const std::u16string& label) {
    HDC dc = GetDC(nullptr);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, label.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    ReleaseDC(nullptr, dc);
    return r.right - r.left;
}

void SendCommand(HWND owner, WORD command) {
    SendMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// ---------------------------------------------------------------------------
// Painting

void PaintBar(HDC dc, const Window&, const Bar&, const RECT& client) {
    Fill(dc, client, kBarColor);
    Fill(dc, RECT{client.left, 0, client.right, 1}, kInkColor);
}

void PaintUpArrow(HDC dc, int left, int centreY, COLORREF color) {
    // Rows of 1, 3 and 5 pixels, apex up.
    for (int row = 0; row < 3; ++row) {
        Fill(dc, RECT{left + 2 - row, centreY - 1 + row, left + 3 + row, centreY + row}, color);
    }
}

void PaintBarButton(HDC dc, const Window& w, const BarButton& b, const RECT& client) {
    bool down = b.press.pressed || b.menuOpen;
    COLORREF ink = down ? kHighlightTextColor : (IsEnabledChain(&w) ? kInkColor : kDisabledTextColor);
    Fill(dc, client, down ? kHighlightColor : kBarColor);
    RECT text = client;
    if (b.dropDown) {
        text.right -= kArrowWidth + kArrowGap;
        PaintUpArrow(dc, text.right, (client.top + client.bottom) / 2, ink);
    }
    DrawLabel(dc, w.text, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, ink);
}

void PaintItem(HDC dc, const Window& w, const Item& item, const RECT& client) {
    Fill(dc, client, item.press.pressed ? kHighlightColor : kFaceColor);
    if (item.separator) {
        int y = (client.top + client.bottom) / 2;
        Fill(dc, RECT{client.left + 2, y, client.right - 2, y + 1}, kShadowColor);
        return;
    }
    RECT text{client.left + kItemPadLeft, client.top, client.right, client.bottom};
    DrawLabel(dc, w.text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
              item.press.pressed ? kHighlightTextColor : kInkColor);
}

// ---------------------------------------------------------------------------
// The pop-up menu

HWND CreatePopup(HWND buttonHwnd, const MenuNode& entry) {
    Window* button = FromHandle(buttonHwnd);
    BarButton* b = StateOf<BarButton>(buttonHwnd);
    if (button == nullptr || b == nullptr) {
        return nullptr;
    }
    int width = kMinPopupWidth;
    int height = 2;  // the border above and below
    for (const MenuNode& child : entry.children) {
        bool separator = (child.option & MF_SEPARATOR) != 0;
        height += separator ? kSeparatorItemHeight : kItemHeight;
        if (!separator) {
            width = std::max(width, LabelWidth(child.text) + kItemPadLeft + kItemPadRight + 2);
        }
    }
    // Above the bar, from the button's left edge, kept on the screen.
    RECT buttonRect = ScreenWindowRect(button);
    RECT barRect = ScreenWindowRect(FromHandle(b->bar));
    int x = std::clamp<int>(buttonRect.left, 0, std::max(0, kBarWidth - width));
    int y = std::max<int>(0, barRect.top - height);
    HWND popup = CreateWindowExW(0, kPopupClass, u"", WS_POPUP | WS_BORDER, x, y, width, height, b->bar,
                                 nullptr, button->instance, nullptr);
    if (popup == nullptr) {
        return nullptr;
    }
    int top = 0;
    for (const MenuNode& child : entry.children) {
        bool separator = (child.option & MF_SEPARATOR) != 0;
        int h = separator ? kSeparatorItemHeight : kItemHeight;
        HWND hwnd = CreateControl({.cls = kItemClass,
                                   .text = separator ? u"" : child.text.c_str(),
                                   .style = WS_CHILD | WS_VISIBLE,
                                   .y = top,
                                   .cx = width - 2,
                                   .cy = h,
                                   .id = child.id},
                                  popup, button->instance);
        if (hwnd != nullptr) {
            // A nested pop-up has no command: it shows as an item that does nothing.
            AttachState(hwnd, Item{child.id, separator});
            if (!separator) {
                SetLabel(hwnd, child.text.c_str());
            }
        }
        top += h;
    }
    ShowWindow(popup, SW_SHOW);
    UpdateWindow(popup);
    return popup;
}

bool IsPen(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP;
}

bool IsKey(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP || message == WM_SYSCHAR;
}

// The pop-up's own loop. A pen stroke that starts outside the menu closes it
// and is swallowed whole, up to its pen-up; Escape closes it too, and keys
// reach nothing else while it is open.
WORD TrackPopup(HWND popup) {
    Tracking tracking;
    tracking.popup = popup;
    Tracking* outer = g_tracking;
    g_tracking = &tracking;
    bool swallowing = false;
    MSG msg;
    while ((!tracking.done || swallowing) && FromHandle(popup) != nullptr) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsPen(msg.message) && (swallowing || (msg.message == WM_LBUTTONDOWN && !IsWithin(msg.hwnd, popup)))) {
            if (!swallowing) {
                swallowing = true;
                tracking.done = true;
                ShowWindow(popup, SW_HIDE);  // closes at once, while the pen is still down
            }
            if (msg.message == WM_LBUTTONUP) {
                swallowing = false;
            }
            continue;
        }
        if (IsKey(msg.message)) {
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                tracking.done = true;
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_tracking = outer;
    return tracking.chosen;
}

void OpenMenu(HWND buttonHwnd, const MenuNode& entry) {
    BarButton* b = StateOf<BarButton>(buttonHwnd);
    HWND bar = b->bar;
    Bar* barState = StateOf<Bar>(bar);
    HWND owner = barState != nullptr ? barState->owner : nullptr;
    b->menuOpen = true;
    RepaintNow(buttonHwnd);
    HWND popup = CreatePopup(buttonHwnd, entry);
    WORD chosen = popup != nullptr ? TrackPopup(popup) : 0;
    if (FromHandle(popup) != nullptr) {
        DestroyWindow(popup);
    }
    // The loop ran other code: the button and the bar may be gone.
    if (BarButton* again = StateOf<BarButton>(buttonHwnd)) {
        again->menuOpen = false;
        RepaintNow(buttonHwnd);
    }
    if (chosen != 0 && FromHandle(owner) != nullptr) {
        SendCommand(owner, chosen);
    }
}

// A bar button was tapped: its command, or its menu for a drop-down.
void ActivateBarButton(HWND hwnd) {
    BarButton* b = StateOf<BarButton>(hwnd);
    Bar* bar = b != nullptr ? StateOf<Bar>(b->bar) : nullptr;
    if (bar == nullptr) {
        return;
    }
    if (b->dropDown && b->entry < bar->menu.size() && (bar->menu[b->entry].option & MF_POPUP)) {
        MenuNode entry = bar->menu[b->entry];  // a copy: the bar may go while the menu is open
        OpenMenu(hwnd, entry);
        return;
    }
    SendCommand(bar->owner, b->command);
}

// ---------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return PaintControl<Bar>(hwnd, PaintBar);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK BarButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BarButton* b = StateOf<BarButton>(hwnd);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return PaintControl<BarButton>(hwnd, PaintBarButton);
    case WM_LBUTTONDOWN:
        // Unlike a push button's, this repaints even when the button looks
        // pressed already (a second pen-down before the pen-up).
        if (b != nullptr) {
            b->press = PenPress{true, true};
            RepaintNow(hwnd);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (b != nullptr) {
            FollowPen(hwnd, &b->press, lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (b != nullptr && b->press.tracking) {
            b->press = PenPress{};
            bool inside = PenInside(hwnd, lParam);
            // A drop-down stays down for its menu, which repaints it.
            if (!inside || !b->dropDown) {
                RepaintNow(hwnd);
            }
            if (inside) {
                ActivateBarButton(hwnd);  // may destroy the bar: nothing of it is touched after
            }
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        ApplyFrameOnCreate(hwnd, lParam);
        return 0;
    case WM_ERASEBKGND:
        return EraseToFace(hwnd, wParam);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK ItemProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Item* item = StateOf<Item>(hwnd);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return PaintControl<Item>(hwnd, PaintItem);
    case WM_LBUTTONDOWN:
        if (item != nullptr && !item->separator) {
            item->press = PenPress{true, true};
            RepaintNow(hwnd);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (item != nullptr) {
            FollowPen(hwnd, &item->press, lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (item != nullptr && item->press.tracking) {
            item->press.tracking = false;
            if (PenInside(hwnd, lParam) && g_tracking != nullptr && item->id != 0) {
                // The highlight stays until the menu goes, as a chosen item's does.
                g_tracking->chosen = item->id;
                g_tracking->done = true;
            } else {
                item->press.pressed = false;
                RepaintNow(hwnd);
            }
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void EnsureMenuClasses() {
    RegisterMissingClasses({
        {kBarClass, BarProc},
        {kBarButtonClass, BarButtonProc},
        {kPopupClass, PopupProc},
        {kItemClass, ItemProc},
    });
}

struct ButtonRecord {
    WORD command;
    BYTE state;
    BYTE style;
    WORD label;
    WORD entry;
};

// Reads the definition and its menu; false when either resource is missing
// or too short for the count it gives.
bool ReadDefinition(HINSTANCE instance, UINT id, std::vector<ButtonRecord>* buttons, std::vector<MenuNode>* menu) {
    HRSRC definition = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
    auto* words = static_cast<const WORD*>(LoadResource(instance, definition));
    DWORD bytes = SizeofResource(instance, definition);
    if (words == nullptr || bytes < 2 * sizeof(WORD)) {
        return false;
    }
    WORD menuId = words[0];
    WORD count = words[1];
    if (bytes < (2 + static_cast<DWORD>(count) * kRecordWords) * sizeof(WORD)) {
        return false;
    }
    HRSRC menuResource = FindResourceW(instance, MAKEINTRESOURCEW(menuId), RT_MENU);
    auto* records = static_cast<const MENUITEMRECORD*>(LoadResource(instance, menuResource));
    if (records == nullptr) {
        return false;
    }
    DWORD index = 0;
    ParseLevel(records, SizeofResource(instance, menuResource), &index, menu);
    for (WORD i = 0; i < count; ++i) {
        const WORD* r = words + 2 + i * kRecordWords;
        buttons->push_back(ButtonRecord{r[1], static_cast<BYTE>(r[2]), static_cast<BYTE>(r[3]), r[4], r[6]});
    }
    return true;
}

}  // namespace
}  // namespace user

using user::FromHandle;

BOOL SHCreateMenuBar(PSHMENUBARINFO info) {
    if (info == nullptr) {
        return FALSE;
    }
    info->hwndMB = nullptr;
    if (FromHandle(info->hwndParent) == nullptr) {
        return FALSE;
    }
    std::vector<user::ButtonRecord> records;
    std::vector<user::MenuNode> menu;
    if ((info->dwFlags & SHCMBF_EMPTYBAR) == 0 &&
        !user::ReadDefinition(info->hInstRes, info->nToolBarId, &records, &menu)) {
        return FALSE;
    }
    user::EnsureMenuClasses();
    HWND bar = CreateWindowExW(0, user::kBarClass, u"", WS_POPUP, 0, user::kBarTop, user::kBarWidth,
                               user::kBarHeight, info->hwndParent, nullptr, info->hInstRes, nullptr);
    if (bar == nullptr) {
        return FALSE;
    }
    user::AttachState(bar, user::Bar{info->hwndParent, std::move(menu)});

    int x = user::kFirstButtonX;
    for (const user::ButtonRecord& r : records) {
        if (r.style & TBSTYLE_SEP) {
            x += user::kSeparatorWidth;
            continue;
        }
        WCHAR label[64] = {0};
        LoadStringW(info->hInstRes, r.label, label, 64);
        bool dropDown = (r.style & TBSTYLE_DROPDOWN) != 0;
        int width = user::LabelWidth(label) + 2 * user::kButtonPadX;
        if (dropDown) {
            width += user::kArrowWidth + user::kArrowGap;
        }
        DWORD style = WS_CHILD | WS_VISIBLE | ((r.state & TBSTATE_ENABLED) ? 0 : WS_DISABLED);
        HWND button = user::CreateControl({.cls = user::kBarButtonClass,
                                           .text = label,
                                           .style = style,
                                           .x = x,
                                           .y = user::kButtonTop,
                                           .cx = width,
                                           .cy = user::kButtonHeight,
                                           .id = r.command},
                                          bar, info->hInstRes);
        if (button == nullptr) {
            DestroyWindow(bar);
            return FALSE;
        }
        user::AttachState(button, user::BarButton{bar, r.command, dropDown, r.entry});
        user::SetLabel(button, label);
        x += width;
    }
    if ((info->dwFlags & SHCMBF_HIDDEN) == 0) {
        ShowWindow(bar, SW_SHOWNA);
    }
    info->hwndMB = bar;
    return TRUE;
}
