// Windows: the handle table, creation and destruction, showing, placement,
// the stacking order, focus, text and the default window procedure.
#include <algorithm>
#include <map>

#include "runtime/crt.h"
#include "user_internal.h"

namespace user {
namespace {

// Handles count up in steps of four and are never reused, so a destroyed
// window's handle stays stale for good. The low bits stay clear because the
// program hands SetForegroundWindow a handle with bit 0 set.
constexpr uintptr_t kFirstHandle = 0x10000;
constexpr uintptr_t kHandleStep = 4;

// The area that a top-level window created with CW_USEDEFAULT gets: the
// screen above the menu bar.
constexpr int kDefaultWidth = gdi::kScreenWidth;
constexpr int kDefaultHeight = gdi::kScreenHeight - gdi::kMenuBarHeight;

constexpr int kShowNoActivate = 4;

struct State {
    std::map<uintptr_t, std::unique_ptr<Window>> windows;  // creation order
    std::vector<Window*> topLevels;                         // topmost first
    uintptr_t nextHandle = kFirstHandle;
    HWND focus = nullptr;
    HWND active = nullptr;
    DWORD fullScreenFlags = 0;
};

State& TheWindows() {
    static State state;
    return state;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool Contains(const Window* outer, const Window* inner) {
    for (const Window* w = inner; w != nullptr; w = w->parent) {
        if (w == outer) {
            return true;
        }
    }
    return false;
}

// Raises a top-level window to the top, with the windows it owns above it in
// their present order: an owned window never goes below its owner.
void BringToTop(Window* top) {
    auto& list = TheWindows().topLevels;
    std::vector<Window*> owned;
    std::vector<Window*> rest;
    for (Window* w : list) {
        if (w == top) {
            continue;
        }
        (IsOwnedBy(w, top) ? owned : rest).push_back(w);
    }
    list = owned;
    list.push_back(top);
    list.insert(list.end(), rest.begin(), rest.end());
}

void Restack(Window* w, HWND insertAfter) {
    std::vector<Window*>& list = w->parent ? w->parent->children : TheWindows().topLevels;
    if (insertAfter == HWND_TOP && w->parent == nullptr) {
        BringToTop(w);
        return;
    }
    Window* after = insertAfter == HWND_TOP || insertAfter == HWND_BOTTOM ? nullptr : FromHandle(insertAfter);
    if (insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM &&
        (after == nullptr || after == w || std::find(list.begin(), list.end(), after) == list.end())) {
        return;  // not a sibling: the order stays
    }
    list.erase(std::find(list.begin(), list.end(), w));
    if (insertAfter == HWND_TOP) {
        list.insert(list.begin(), w);
    } else if (insertAfter == HWND_BOTTOM) {
        list.push_back(w);
    } else {
        list.insert(std::find(list.begin(), list.end(), after) + 1, w);
    }
}

void SendDestroyMessages(HWND hwnd) {
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return;
    }
    std::vector<HWND> children;
    for (Window* c : w->children) {
        children.push_back(c->handle);
    }
    for (HWND c : children) {
        SendDestroyMessages(c);
    }
}

// Children go before their parent here, so that WM_NCDESTROY is the last
// message any window gets and a parent outlives its children's records.
void FinishDestroy(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return;
    }
    while (!w->children.empty()) {
        FinishDestroy(w->children.front()->handle);
    }
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    w = FromHandle(hwnd);
    KillWindowTimers(hwnd);
    DropWindowDCs(w);
    ForgetWindowInput(w);
    if (w->published) {
        UnpublishInstance(w);
    }
    State& s = TheWindows();
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.active == hwnd) s.active = nullptr;
    std::vector<Window*>& list = w->parent ? w->parent->children : s.topLevels;
    auto it = std::find(list.begin(), list.end(), w);
    if (it != list.end()) {
        list.erase(it);
    }
    s.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
    VisibilityChanged();
}

void MarkDestroying(Window* w) {
    w->destroying = true;
    for (Window* c : w->children) {
        MarkDestroying(c);
    }
}

void ClearFocusWithin(Window* w) {
    Window* f = FromHandle(TheWindows().focus);
    if (f != nullptr && Contains(w, f)) {
        TheWindows().focus = nullptr;
    }
}

void CopyText(const std::u16string& text, LPWSTR buffer, int maxCount, int* copied) {
    int n = std::min<int>(static_cast<int>(text.size()), maxCount - 1);
    for (int i = 0; i < n; ++i) {
        buffer[i] = text[i];
    }
    buffer[n] = 0;
    *copied = n;
}

}  // namespace

Window* FromHandle(HWND hwnd) {
    auto& windows = TheWindows().windows;
    auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == windows.end() ? nullptr : it->second.get();
}

std::vector<Window*>& TopLevels() { return TheWindows().topLevels; }

bool IsShown(const Window* w) {
    for (; w != nullptr; w = w->parent) {
        if ((w->style & WS_VISIBLE) == 0) {
            return false;
        }
    }
    return true;
}

bool IsEnabledChain(const Window* w) {
    for (; w != nullptr; w = w->parent) {
        if (w->style & WS_DISABLED) {
            return false;
        }
    }
    return true;
}

Window* RootOf(Window* w) {
    while (w != nullptr && w->parent != nullptr) {
        w = w->parent;
    }
    return w;
}

bool IsOwnedBy(const Window* w, const Window* owner) {
    for (const Window* o = w->owner; o != nullptr; o = o->owner) {
        if (o == owner) {
            return true;
        }
    }
    return false;
}

void CollectWindows(std::vector<Window*>* out) {
    // Creation order puts every parent before its children.
    for (auto& entry : TheWindows().windows) {
        out->push_back(entry.second.get());
    }
}

Window* FindWindowByClassAndTitle(const std::u16string* cls, const std::u16string* title) {
    for (Window* w : TheWindows().topLevels) {
        if (w->destroying) {
            continue;
        }
        if (cls != nullptr && !SameClassName(w->cls->name, cls->c_str())) {
            continue;
        }
        if (title != nullptr && w->text != *title) {
            continue;
        }
        return w;
    }
    return nullptr;
}

HWND ActiveWindow() {
    Window* w = FromHandle(TheWindows().active);
    return w != nullptr && !w->destroying ? w->handle : nullptr;
}

HWND MainWindow() {
    for (auto& entry : TheWindows().windows) {
        Window* w = entry.second.get();
        if (w->parent == nullptr && w->owner == nullptr && !w->destroying) {
            return w->handle;
        }
    }
    return nullptr;
}

BOOL SetFrame(HWND hwnd, const FrameHooks& frame) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    VisibilitySnapshot before = TakeVisibilitySnapshot();
    w->frame = frame;
    CommitVisibilityChange(before, {hwnd});
    return TRUE;
}

BOOL SetPressLabel(HWND hwnd, LPCWSTR label) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    w->pressLabel = label != nullptr ? label : u"";
    return TRUE;
}

DWORD FullScreenFlags() { return TheWindows().fullScreenFlags; }

void DestroyAllWindowsSilently() {
    State& s = TheWindows();
    for (auto& entry : s.windows) {
        Window* w = entry.second.get();
        DropWindowDCs(w);
        if (w->published) {
            UnpublishInstance(w);
        }
    }
    s.windows.clear();
    s.topLevels.clear();
    s.focus = nullptr;
    s.active = nullptr;
    s.fullScreenFlags = 0;
}

void ResetForTests() {
    DestroyAllWindowsSilently();
    ResetTimers();
    ResetQueue();
    ResetInput();
    ResetHooks();
    ResetPaint();
    ResetInstance();
    ResetClasses();
    ResetResourceLanguage();
}

}  // namespace user

using user::FromHandle;
using user::Window;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    const user::WindowClass* cls = user::FindClass(className);
    if (cls == nullptr) {
        return nullptr;
    }
    Window* parentWindow = nullptr;
    Window* ownerWindow = nullptr;
    if (style & WS_CHILD) {
        parentWindow = FromHandle(parent);
        if (parentWindow == nullptr) {
            return nullptr;
        }
    } else if (parent != nullptr) {
        Window* p = FromHandle(parent);
        if (p == nullptr) {
            return nullptr;
        }
        ownerWindow = user::RootOf(p);
    }
    if (style & WS_CHILD) {
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
    } else {
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) {
            width = user::kDefaultWidth;
            height = user::kDefaultHeight;
        }
    }
    width = std::max(width, 0);
    height = std::max(height, 0);

    user::State& s = user::TheWindows();
    auto owned = std::make_unique<Window>();
    Window* w = owned.get();
    w->handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += user::kHandleStep;
    w->cls = cls;
    w->proc = cls->proc;
    w->style = style & ~WS_VISIBLE;  // made visible by ShowWindow after WM_CREATE, as in Win32
    w->exStyle = exStyle;
    w->parent = parentWindow;
    w->owner = ownerWindow;
    w->rect = RECT{x, y, x + width, y + height};
    w->text = windowName != nullptr ? windowName : u"";
    w->instance = instance;
    w->menu = menu;
    s.windows.emplace(reinterpret_cast<uintptr_t>(w->handle), std::move(owned));
    // Children join at the bottom so that their order is the creation (tab)
    // order; a new top-level window opens on top.
    if (parentWindow != nullptr) {
        parentWindow->children.push_back(w);
    } else {
        s.topLevels.insert(s.topLevels.begin(), w);
    }
    user::VisibilityChanged();

    HWND hwnd = w->handle;
    CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    w = FromHandle(hwnd);
    if (w == nullptr || w->destroying) {
        return nullptr;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    w = FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->frame.insets.left, w->rect.top + w->frame.insets.top));
    w = FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    if (user::MainWindow() == hwnd) {
        user::PublishInstance(w);
        user::ShowClassIcon(cls->icon);
    }
    if (style & WS_VISIBLE) {
        ShowWindow(hwnd, SW_SHOW);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr || w->destroying) {
        return FALSE;
    }
    // The windows it owns go first, each with its own WM_DESTROY, as in Win32.
    for (;;) {
        HWND next = nullptr;
        for (Window* t : user::TopLevels()) {
            if (t->owner == w && !t->destroying) {
                next = t->handle;
                break;
            }
        }
        if (next == nullptr) {
            break;
        }
        DestroyWindow(next);
        if (FromHandle(hwnd) == nullptr) {
            return TRUE;
        }
    }
    w = FromHandle(hwnd);
    if (w == nullptr || w->destroying) {
        return TRUE;
    }
    // Hidden first, so that what it uncovers is invalidated and nothing draws
    // into it while it goes.
    user::MarkDestroying(w);
    user::ClearFocusWithin(w);
    user::VisibilitySnapshot before = user::TakeVisibilitySnapshot();
    w->style &= ~WS_VISIBLE;
    user::CommitVisibilityChange(before, {});
    // WM_DESTROY reaches the window before its children, so a parent can
    // still read its children while it goes (Win32 order).
    user::SendDestroyMessages(hwnd);
    user::FinishDestroy(hwnd);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (cmdShow == SW_HIDE) {
        if (!wasVisible) {
            return FALSE;
        }
        SendMessageW(hwnd, WM_SHOWWINDOW, FALSE, 0);
        w = FromHandle(hwnd);
        if (w == nullptr) {
            return TRUE;
        }
        user::ClearFocusWithin(w);
        user::VisibilitySnapshot before = user::TakeVisibilitySnapshot();
        w->style &= ~WS_VISIBLE;
        user::CommitVisibilityChange(before, {});
        return TRUE;
    }
    if (wasVisible) {
        return TRUE;
    }
    SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
    w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    user::VisibilitySnapshot before = user::TakeVisibilitySnapshot();
    w->style |= WS_VISIBLE;
    if (w->parent == nullptr && cmdShow != SW_SHOWNA && cmdShow != user::kShowNoActivate) {
        user::BringToTop(w);
    }
    user::CommitVisibilityChange(before, {hwnd});
    return FALSE;
}

BOOL IsWindow(HWND hwnd) { return FromHandle(hwnd) != nullptr || user::IsRemoteHandle(hwnd) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    return w != nullptr && user::IsShown(w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if ((enable != FALSE) == (wasDisabled != FALSE)) {
        if (enable) {
            w->style &= ~WS_DISABLED;
        } else {
            w->style |= WS_DISABLED;
            user::ClearFocusWithin(w);
        }
        SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    constexpr UINT kNoRedraw = 0x0008;
    return SetWindowPos(hwnd, HWND_TOP, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : kNoRedraw));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    constexpr UINT kNoRedraw = 0x0008;
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    RECT old = w->rect;
    RECT next = old;
    if ((flags & SWP_NOMOVE) == 0) {
        next = RECT{x, y, x + user::Width(old), y + user::Height(old)};
    }
    if ((flags & SWP_NOSIZE) == 0) {
        next.right = next.left + std::max(cx, 0);
        next.bottom = next.top + std::max(cy, 0);
    }
    bool moved = next.left != old.left || next.top != old.top;
    bool sized = user::Width(next) != user::Width(old) || user::Height(next) != user::Height(old);

    user::VisibilitySnapshot before = user::TakeVisibilitySnapshot();
    w->rect = next;
    if ((flags & SWP_NOZORDER) == 0) {
        user::Restack(w, insertAfter);
    }
    if (flags & SWP_SHOWWINDOW) {
        w->style |= WS_VISIBLE;
    }
    if (flags & SWP_HIDEWINDOW) {
        user::ClearFocusWithin(w);
        w->style &= ~WS_VISIBLE;
    }
    // A moved or resized window is repainted whole rather than having its old
    // pixels copied to the new place.
    std::vector<HWND> whole;
    if (moved || sized || (flags & SWP_SHOWWINDOW)) {
        whole.push_back(hwnd);
    }
    user::CommitVisibilityChange(before, whole, (flags & kNoRedraw) == 0);

    if (sized) {
        RECT client;
        GetClientRect(hwnd, &client);
        SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    }
    w = FromHandle(hwnd);
    if (moved && w != nullptr) {
        SendMessageW(hwnd, WM_MOVE, 0,
                     MAKELPARAM(w->rect.left + w->frame.insets.left, w->rect.top + w->frame.insets.top));
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr || rect == nullptr) {
        return FALSE;
    }
    const RECT& in = w->frame.insets;
    *rect = RECT{0, 0, std::max(0, user::Width(w->rect) - in.left - in.right),
                 std::max(0, user::Height(w->rect) - in.top - in.bottom)};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = user::ScreenWindowRect(w);
    return TRUE;
}

HWND GetParent(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    // A child answers its parent. Every owned top-level window answers its
    // owner, as Windows CE does for all of them (desktop Win32 only for
    // WS_POPUP): the intro panel, an overlapped owned dialog, centres itself
    // over what GetParent returns.
    if (w->parent != nullptr) {
        return w->parent->handle;
    }
    return w->owner != nullptr ? w->owner->handle : nullptr;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    // Siblings are the parent's children, or the top-level windows, topmost
    // first; a window being destroyed is skipped.
    const std::vector<Window*>& siblings = w->parent != nullptr ? w->parent->children : user::TopLevels();
    auto live = [](const Window* x) { return !x->destroying; };
    switch (cmd) {
    case GW_HWNDFIRST: {
        auto first = std::find_if(siblings.begin(), siblings.end(), live);
        return first != siblings.end() ? (*first)->handle : nullptr;
    }
    case GW_HWNDLAST: {
        auto last = std::find_if(siblings.rbegin(), siblings.rend(), live);
        return last != siblings.rend() ? (*last)->handle : nullptr;
    }
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
        auto at = std::find(siblings.begin(), siblings.end(), w);
        if (at == siblings.end()) {
            return nullptr;
        }
        if (cmd == GW_HWNDNEXT) {
            auto next = std::find_if(at + 1, siblings.end(), live);
            return next != siblings.end() ? (*next)->handle : nullptr;
        }
        for (auto prev = at; prev != siblings.begin();) {
            --prev;
            if (live(*prev)) {
                return (*prev)->handle;
            }
        }
        return nullptr;
    }
    case GW_OWNER:
        return w->owner != nullptr ? w->owner->handle : nullptr;
    case GW_CHILD: {
        auto first = std::find_if(w->children.begin(), w->children.end(), live);
        return first != w->children.end() ? (*first)->handle : nullptr;
    }
    default:
        return nullptr;
    }
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    std::u16string cls;
    std::u16string title;
    bool byClass = className != nullptr && !IS_INTRESOURCE(className);
    bool byTitle = windowName != nullptr;
    if (byClass) cls = className;
    if (byTitle) title = windowName;
    Window* w = user::FindWindowByClassAndTitle(byClass ? &cls : nullptr, byTitle ? &title : nullptr);
    if (w != nullptr) {
        return w->handle;
    }
    // Another running copy is found by its class and title only.
    if (byClass && byTitle) {
        return user::FindRemoteWindow(cls, title);
    }
    return nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
    // The program passes a handle with bit 0 set ("and its owned windows");
    // handles never use the low bits, so they are masked off.
    HWND real = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(hwnd) & ~uintptr_t{3});
    if (user::IsRemoteHandle(real)) {
        return user::RaiseRemoteWindow(real);
    }
    Window* w = FromHandle(real);
    if (w == nullptr) {
        return FALSE;
    }
    Window* root = user::RootOf(w);
    user::VisibilitySnapshot before = user::TakeVisibilitySnapshot();
    user::BringToTop(root);
    user::TheWindows().active = root->handle;
    user::CommitVisibilityChange(before, {});
    return TRUE;
}

HWND SetFocus(HWND hwnd) {
    user::State& s = user::TheWindows();
    if (hwnd != nullptr && FromHandle(hwnd) == nullptr) {
        return nullptr;
    }
    HWND old = FromHandle(s.focus) != nullptr ? s.focus : nullptr;
    if (old == hwnd) {
        return old;
    }
    s.focus = hwnd;
    if (old != nullptr) {
        SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    if (hwnd != nullptr && s.focus == hwnd) {
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    return old;
}

HWND GetFocus() {
    HWND f = user::TheWindows().focus;
    return FromHandle(f) != nullptr ? f : nullptr;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (FromHandle(hwnd) == nullptr) {
        return FALSE;
    }
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (FromHandle(hwnd) == nullptr || buffer == nullptr || maxCount <= 0) {
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                         reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    if (FromHandle(hwnd) == nullptr) {
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LRESULT CALLBACK DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return 0;
    }
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls->background;
        if (brush == nullptr) {
            return 0;
        }
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
    }
    case WM_SETTEXT: {
        LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text != nullptr ? text : u"";
        if (w->published) {
            // The single-instance socket is named from the title.
            user::UnpublishInstance(w);
            user::PublishInstance(w);
        }
        return TRUE;
    }
    case WM_GETTEXT: {
        if (wParam == 0 || lParam == 0) {
            return 0;
        }
        int copied = 0;
        user::CopyText(w->text, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam), &copied);
        return copied;
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_SYSKEYDOWN:
        // F10 asks for the menu as the desktop does; Alt does on its way up.
        if (wParam == VK_F10) {
            SendMessageW(user::RootOf(w)->handle, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wParam == VK_MENU && user::AltPressedAlone()) {
            SendMessageW(user::RootOf(w)->handle, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU) {
            user::TrackMenuBarByKeyboard(hwnd);
        }
        return 0;
    default:
        return 0;
    }
}

// The Pocket PC shell: there is no task bar, input-panel button or Start icon
// to hide, so full-screen mode is only recorded.
BOOL SHFullScreen(HWND hwnd, DWORD state) {
    if (FromHandle(hwnd) == nullptr) {
        return FALSE;
    }
    user::TheWindows().fullScreenFlags = state;
    return TRUE;
}

BOOL CommandBar_Show(HWND hwndCB, BOOL show) {
    if (FromHandle(hwndCB) == nullptr) {
        return FALSE;
    }
    ShowWindow(hwndCB, show ? user::kShowNoActivate : SW_HIDE);
    return TRUE;
}
