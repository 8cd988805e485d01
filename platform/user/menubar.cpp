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
#include <type_traits>
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
    bool keyFocus = false;  // the keyboard's place on the bar
};

struct Item {
    WORD id = 0;
    bool separator = false;
    PenPress press{};
    bool keyFocus = false;  // the keyboard's place in the menu
};

// The open pop-up menu's loop.
struct Tracking {
    HWND popup = nullptr;
    WORD chosen = 0;
    bool done = false;
    // The key that closed the menu without a choice (Escape, Left, Right),
    // for the bar's keyboard loop to go on from; 0 otherwise.
    WPARAM closingKey = 0;
};

// What a pop-up menu came to: the chosen command (0 for none) and the key
// that closed it.
struct MenuOutcome {
    WORD chosen = 0;
    WPARAM closingKey = 0;
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
    if (b.keyFocus) {
        FocusMark(dc, RECT{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1}, ink);
    }
}

void PaintItem(HDC dc, const Window& w, const Item& item, const RECT& client) {
    // The keyboard's item is lit as a pressed one is, as desktop menus do.
    const bool lit = item.press.pressed || item.keyFocus;
    Fill(dc, client, lit ? kHighlightColor : kFaceColor);
    if (item.separator) {
        int y = (client.top + client.bottom) / 2;
        Fill(dc, RECT{client.left + 2, y, client.right - 2, y + 1}, kShadowColor);
        return;
    }
    RECT text{client.left + kItemPadLeft, client.top, client.right, client.bottom};
    DrawLabel(dc, w.text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, lit ? kHighlightTextColor : kInkColor);
}

// ---------------------------------------------------------------------------
// The keyboard's place on the bar and in a menu

// The controls of parent that the keyboard can land on (enabled bar buttons,
// or menu items that are not separators), left to right or top to bottom.
template <class State>
std::vector<HWND> KeyStops(HWND parent) {
    std::vector<HWND> stops;
    if (Window* p = FromHandle(parent)) {
        for (Window* c : p->children) {
            State* state = StateOf<State>(c->handle);
            bool usable = state != nullptr && IsShown(c) && IsEnabledChain(c);
            if constexpr (std::is_same_v<State, Item>) {
                usable = usable && !state->separator && state->id != 0;
            }
            if (usable) {
                stops.push_back(c->handle);
            }
        }
    }
    return stops;
}

template <class State>
void SetKeyFocus(HWND hwnd, bool on) {
    State* state = StateOf<State>(hwnd);
    if (state != nullptr && state->keyFocus != on) {
        state->keyFocus = on;
        RepaintNow(hwnd);
    }
}

// The index of the stop with the keyboard's mark, or -1.
template <class State>
int KeyFocusIndex(const std::vector<HWND>& stops) {
    for (size_t i = 0; i < stops.size(); ++i) {
        State* state = StateOf<State>(stops[i]);
        if (state != nullptr && state->keyFocus) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Moves the mark by step (wrapping), or puts it on the first stop.
template <class State>
void MoveKeyFocus(HWND parent, int step) {
    std::vector<HWND> stops = KeyStops<State>(parent);
    if (stops.empty()) {
        return;
    }
    const int n = static_cast<int>(stops.size());
    const int at = KeyFocusIndex<State>(stops);
    const int next = at < 0 ? (step < 0 ? n - 1 : 0) : ((at + step) % n + n) % n;
    if (at >= 0) {
        SetKeyFocus<State>(stops[at], false);
    }
    SetKeyFocus<State>(stops[next], true);
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

// A key in an open menu: Up and Down move the lit item, Enter chooses it,
// Escape closes the menu, and Left and Right close it for the bar's keyboard
// loop to move on. Other keys do nothing.
void MenuKey(Tracking* tracking, const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
        return;
    }
    switch (msg.wParam) {
    case VK_ESCAPE:
    case VK_LEFT:
    case VK_RIGHT:
        tracking->closingKey = msg.wParam;
        tracking->done = true;
        break;
    case VK_UP:
    case VK_DOWN:
        MoveKeyFocus<Item>(tracking->popup, msg.wParam == VK_UP ? -1 : 1);
        break;
    case VK_RETURN:
    case VK_SPACE: {
        std::vector<HWND> stops = KeyStops<Item>(tracking->popup);
        int at = KeyFocusIndex<Item>(stops);
        if (at >= 0) {
            tracking->chosen = StateOf<Item>(stops[at])->id;
            tracking->done = true;
        }
        break;
    }
    default:
        break;
    }
}

// The pop-up's own loop. A pen stroke that starts outside the menu closes it
// and is swallowed whole, up to its pen-up; keys move in it (MenuKey) and
// reach nothing else while it is open. A menu opened from the keyboard
// starts with its first item lit.
MenuOutcome TrackPopup(HWND popup, bool byKeyboard) {
    Tracking tracking;
    tracking.popup = popup;
    Tracking* outer = g_tracking;
    g_tracking = &tracking;
    if (byKeyboard) {
        MoveKeyFocus<Item>(popup, 1);
    }
    bool swallowing = false;
    MSG msg;
    while ((!tracking.done || swallowing) && FromHandle(popup) != nullptr) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (CallMsgFilterW(&msg, MSGF_MENU)) {
            continue;
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
            MenuKey(&tracking, msg);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_tracking = outer;
    return MenuOutcome{tracking.chosen, tracking.chosen != 0 ? 0 : tracking.closingKey};
}

// Drops the button's menu and follows it until it closes. The command
// chosen is for the caller to send, once the menu is gone.
MenuOutcome OpenMenu(HWND buttonHwnd, const MenuNode& entry, bool byKeyboard) {
    BarButton* b = StateOf<BarButton>(buttonHwnd);
    b->menuOpen = true;
    RepaintNow(buttonHwnd);
    HWND popup = CreatePopup(buttonHwnd, entry);
    MenuOutcome outcome = popup != nullptr ? TrackPopup(popup, byKeyboard) : MenuOutcome{};
    if (FromHandle(popup) != nullptr) {
        DestroyWindow(popup);
    }
    // The loop ran other code: the button and the bar may be gone.
    if (BarButton* again = StateOf<BarButton>(buttonHwnd)) {
        again->menuOpen = false;
        RepaintNow(buttonHwnd);
    }
    return outcome;
}

// A bar button was tapped or run from the keyboard: its command, or its
// menu for a drop-down. What the menu ended with goes back to the caller;
// its command has been sent.
MenuOutcome ActivateBarButton(HWND hwnd, bool byKeyboard = false) {
    BarButton* b = StateOf<BarButton>(hwnd);
    Bar* bar = b != nullptr ? StateOf<Bar>(b->bar) : nullptr;
    if (bar == nullptr) {
        return {};
    }
    HWND owner = bar->owner;
    if (b->dropDown && b->entry < bar->menu.size() && (bar->menu[b->entry].option & MF_POPUP)) {
        MenuNode entry = bar->menu[b->entry];  // a copy: the bar may go while the menu is open
        MenuOutcome outcome = OpenMenu(hwnd, entry, byKeyboard);
        if (outcome.chosen != 0 && FromHandle(owner) != nullptr) {
            SendCommand(owner, outcome.chosen);
        }
        return outcome;
    }
    // The command may end the program and free the bar with this button.
    const WORD command = b->command;
    SendCommand(owner, command);
    return MenuOutcome{command, 0};
}

// The bar's keyboard loop: Left and Right move the mark along the bar,
// Enter, Space, Down or Up runs the marked button (Help opens its menu, lit
// on its first item), Escape, F10 or Alt alone leave. Leaving a menu with
// Escape comes back to the bar; Left or Right move on from it. A pen-down
// leaves the loop and then goes where it was aimed. Timers and paints go on
// meanwhile, and keys reach nothing else.
void BarKeyboardLoop(HWND bar) {
    auto clearMarks = [bar] {
        for (HWND button : KeyStops<BarButton>(bar)) {
            SetKeyFocus<BarButton>(button, false);
        }
    };
    MoveKeyFocus<BarButton>(bar, 1);
    MSG msg;
    while (FromHandle(bar) != nullptr) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (CallMsgFilterW(&msg, MSGF_MENU)) {
            continue;
        }
        if (msg.message == WM_LBUTTONDOWN) {
            clearMarks();
            DispatchMessageW(&msg);
            return;
        }
        if (!IsKey(msg.message)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
        const WPARAM key = msg.wParam;
        if (down && (key == VK_LEFT || key == VK_RIGHT)) {
            MoveKeyFocus<BarButton>(bar, key == VK_LEFT ? -1 : 1);
        } else if (down && (key == VK_RETURN || key == VK_SPACE || key == VK_DOWN || key == VK_UP)) {
            std::vector<HWND> stops = KeyStops<BarButton>(bar);
            const int at = KeyFocusIndex<BarButton>(stops);
            if (at < 0) {
                continue;
            }
            HWND button = stops[at];
            // The bar is left before a command runs, since the command may
            // open a dialog with a loop of its own.
            clearMarks();
            if (!StateOf<BarButton>(button)->dropDown) {
                ActivateBarButton(button, true);
                return;
            }
            // The open menu's look stands for the mark meanwhile.
            MenuOutcome outcome = ActivateBarButton(button, true);
            if (outcome.closingKey == 0 || StateOf<BarButton>(button) == nullptr) {
                return;  // chosen (and run), or closed by the pen
            }
            SetKeyFocus<BarButton>(button, true);
            if (outcome.closingKey != VK_ESCAPE) {
                MoveKeyFocus<BarButton>(bar, outcome.closingKey == VK_LEFT ? -1 : 1);
            }
        } else if ((down && (key == VK_ESCAPE || key == VK_F10)) || (up && key == VK_MENU && AltPressedAlone())) {
            break;
        }
    }
    clearMarks();
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
                ActivateBarButton(hwnd, false);  // may destroy the bar: nothing of it is touched after
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

void TrackMenuBarByKeyboard(HWND owner) {
    std::vector<Window*> all;
    CollectWindows(&all);
    for (Window* w : all) {
        Bar* bar = StateOf<Bar>(w->handle);
        if (bar != nullptr && bar->owner == owner && IsShown(w) && !w->destroying) {
            BarKeyboardLoop(w->handle);
            return;
        }
    }
}

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
