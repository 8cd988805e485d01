// Input from the host: the stylus goes to the topmost visible window under
// it (or to the window that took the pen-down, until pen-up), keys to the
// focus; a modal dialog shuts every other window out.
#include <algorithm>
#include <map>

#include "user_internal.h"

namespace user {
namespace {

struct InputState {
    HWND capture = nullptr;
    bool penDown = false;
    POINT lastPen{0, 0};
    std::vector<HWND> modal;
    std::map<WPARAM, char16_t> keyChars;  // the character a host gave with a key
    // GetKeyState: bit 15 while down, bit 0 toggled by every press. Kept as
    // of the key message the program took last, as Win32 keeps it.
    SHORT keyState[256] = {};
    // Alt went down and came up with no other key or pen between: the
    // keyboard's way into the menu bar.
    bool altAlone = false;
    // Focus marks show once the keyboard is used and go again at the next
    // pen-down, so that a player who only uses the stylus never sees them.
    bool keyboardCues = false;
};

InputState& TheInput() {
    static InputState state;
    return state;
}

// lParam bit of key messages: Alt was down.
constexpr LPARAM kAltBit = LPARAM{1} << 29;
constexpr LPARAM kKeyUpBits = (LPARAM{1} << 30) | (LPARAM{1} << 31);

bool ContainsPoint(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

Window* HitChild(Window* w, POINT p) {
    RECT client = ScreenClientRect(w);
    if (!ContainsPoint(client, p)) {
        return w;
    }
    for (Window* c : w->children) {
        // A disabled child lets the pen through to its parent.
        if ((c->style & WS_VISIBLE) && (c->style & WS_DISABLED) == 0 && ContainsPoint(ScreenWindowRect(c), p)) {
            return HitChild(c, p);
        }
    }
    return w;
}

Window* WindowAt(POINT p) {
    for (Window* t : TopLevels()) {
        if (IsShown(t) && !t->destroying && ContainsPoint(ScreenWindowRect(t), p)) {
            // A disabled top-level window swallows the pen (the owner of a
            // modal dialog, for one).
            return (t->style & WS_DISABLED) ? nullptr : HitChild(t, p);
        }
    }
    return nullptr;
}

// While a modal dialog runs only it, its children and what it owns take input.
bool AcceptsInput(Window* w) {
    if (w == nullptr || w->destroying || !IsEnabledChain(w)) {
        return false;
    }
    auto& modal = TheInput().modal;
    if (modal.empty()) {
        return true;
    }
    Window* m = FromHandle(modal.back());
    if (m == nullptr) {
        return true;
    }
    Window* root = RootOf(w);
    return root == m || IsOwnedBy(root, m);
}

LPARAM ClientPoint(Window* w, POINT p) {
    RECT c = ScreenClientRect(w);
    // Each coordinate is cut to 16 bits, so a point left of or above the
    // client area arrives as Win32 packs it.
    return MAKELPARAM(p.x - c.left, p.y - c.top);
}

Window* KeyTargetWindow() {
    auto& modal = TheInput().modal;
    Window* focus = FromHandle(GetFocus());
    if (!modal.empty()) {
        Window* m = FromHandle(modal.back());
        if (focus != nullptr && AcceptsInput(focus) && m != nullptr && RootOf(focus) == m) {
            return focus;
        }
        return m;
    }
    if (focus != nullptr && IsShown(focus) && AcceptsInput(focus)) {
        return focus;
    }
    if (Window* active = FromHandle(ActiveWindow())) {
        return active;
    }
    return FromHandle(MainWindow());
}

// The focused control shows or drops its focus mark.
void SetKeyboardCues(bool on) {
    InputState& s = TheInput();
    if (s.keyboardCues == on) {
        return;
    }
    s.keyboardCues = on;
    if (HWND focus = GetFocus()) {
        InvalidateRect(focus, nullptr, FALSE);
    }
}

void UpdateKeyState(UINT message, WPARAM vk) {
    SHORT& state = TheInput().keyState[vk & 0xFF];
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        // A key held down repeats its message; only a new press toggles.
        if ((state & 0x8000) == 0) {
            state = static_cast<SHORT>(state ^ 1);
        }
        state = static_cast<SHORT>(state | 0x8000);
    } else {
        state = static_cast<SHORT>(state & 1);
    }
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

// Win32 sends F10 and Alt itself as system keys, whatever else is held.
bool IsSystemKey(const host::Event& e) { return e.alt || e.vk == VK_F10 || e.vk == VK_MENU; }

void PenDown(POINT p) {
    InputState& s = TheInput();
    s.lastPen = p;
    SetKeyboardCues(false);
    Window* w = WindowAt(p);
    if (!AcceptsInput(w)) {
        return;
    }
    if (!ContainsPoint(ScreenClientRect(w), p)) {
        // The frame (caption, border) of a dialog.
        if (w->frame.penDown != nullptr) {
            RECT wr = ScreenWindowRect(w);
            w->frame.penDown(w->handle, POINT{p.x - wr.left, p.y - wr.top});
        }
        return;
    }
    s.capture = w->handle;
    s.penDown = true;
    PostInput(w->handle, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(w, p));
}

void PenMoveOrUp(POINT p, bool up) {
    InputState& s = TheInput();
    s.lastPen = p;
    Window* w = FromHandle(s.capture);
    if (w == nullptr || w->destroying) {
        w = WindowAt(p);
        if (!AcceptsInput(w) || !ContainsPoint(ScreenClientRect(w), p)) {
            w = nullptr;
        }
    }
    bool wasDown = s.penDown;
    if (up) {
        s.capture = nullptr;
        s.penDown = false;
    }
    if (w == nullptr) {
        return;
    }
    if (up) {
        PostInput(w->handle, WM_LBUTTONUP, 0, ClientPoint(w, p));
    } else {
        PostInput(w->handle, WM_MOUSEMOVE, wasDown ? MK_LBUTTON : 0, ClientPoint(w, p));
    }
}

}  // namespace

void HandleHostEvent(const host::Event& e) {
    switch (e.kind) {
    case host::EventKind::PenDown:
        PenDown(POINT{e.x, e.y});
        break;
    case host::EventKind::PenMove:
        PenMoveOrUp(POINT{e.x, e.y}, false);
        break;
    case host::EventKind::PenUp:
        PenMoveOrUp(POINT{e.x, e.y}, true);
        break;
    case host::EventKind::KeyDown:
    case host::EventKind::KeyUp: {
        bool down = e.kind == host::EventKind::KeyDown;
        if (down && e.vk != VK_SHIFT && e.vk != VK_CONTROL) {
            SetKeyboardCues(true);
        }
        if (down) {
            // A host that knows the key's character sends it with the key,
            // and TranslateMessage makes WM_CHAR of it; a host that sends
            // characters as Char events leaves it 0.
            if (e.ch != 0) {
                TheInput().keyChars[e.vk] = e.ch;
            } else {
                TheInput().keyChars.erase(e.vk);
            }
        }
        UINT message = IsSystemKey(e) ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        LPARAM lParam = 1 | (e.alt ? kAltBit : 0) | (down ? 0 : kKeyUpBits);
        PostKeyInput(message, e.vk, lParam);
        break;
    }
    case host::EventKind::Char:
        PostKeyInput(e.alt ? WM_SYSCHAR : WM_CHAR, e.ch, 1 | (e.alt ? kAltBit : 0));
        break;
    case host::EventKind::Close:
        // The program is closed as by its own Exit: its main window gets
        // WM_CLOSE, whose default destroys it.
        if (HWND main = MainWindow()) {
            PostMessageW(main, WM_CLOSE, 0, 0);
        } else {
            PostQuitMessage(0);
        }
        break;
    case host::EventKind::HandOver:
        OnInstanceWake();
        break;
    }
}

BOOL FindLabelledControl(const std::u16string& label, POINT* screenCentre) {
    std::vector<Window*> all;
    CollectWindows(&all);
    for (Window* w : all) {
        if (w->pressLabel.empty() || w->pressLabel != label || !IsShown(w)) {
            continue;
        }
        RECT r = ScreenWindowRect(w);
        POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        if (WindowAt(centre) != w) {
            continue;  // covered
        }
        *screenCentre = centre;
        return TRUE;
    }
    return FALSE;
}

std::vector<std::u16string> PressLabelsIn(HWND hwnd) {
    std::vector<std::pair<POINT, std::u16string>> found;
    std::vector<Window*> all;
    CollectWindows(&all);
    Window* outer = FromHandle(hwnd);
    for (Window* w : all) {
        Window* top = w;
        while (top->parent != nullptr) {
            top = top->parent;
        }
        if (outer == nullptr || top != outer || w->pressLabel.empty() || !IsShown(w)) {
            continue;
        }
        RECT r = ScreenWindowRect(w);
        found.push_back({POINT{r.left, r.top}, w->pressLabel});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.y != b.first.y ? a.first.y < b.first.y : a.first.x < b.first.x;
    });
    std::vector<std::u16string> labels;
    for (auto& entry : found) {
        labels.push_back(std::move(entry.second));
    }
    return labels;
}

HWND KeyTarget() {
    Window* w = KeyTargetWindow();
    return w != nullptr ? w->handle : nullptr;
}

char16_t CharForKey(WPARAM vk) {
    auto it = TheInput().keyChars.find(vk);
    return it != TheInput().keyChars.end() ? it->second : 0;
}

POINT LastPenPosition() { return TheInput().lastPen; }

void TookInputMessage(const MSG& msg) {
    if (IsKeyMessage(msg.message)) {
        UpdateKeyState(msg.message, msg.wParam);
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        TheInput().altAlone = msg.wParam == VK_MENU;
    } else if (msg.message == WM_LBUTTONDOWN) {
        TheInput().altAlone = false;
    }
}

bool AltPressedAlone() { return TheInput().altAlone; }

bool KeyboardCues() { return TheInput().keyboardCues; }

void ForgetWindowInput(Window* w) {
    InputState& s = TheInput();
    if (s.capture == w->handle) {
        s.capture = nullptr;
    }
    s.modal.erase(std::remove(s.modal.begin(), s.modal.end(), w->handle), s.modal.end());
}

void ResetInput() { TheInput() = InputState{}; }

void PushModal(HWND hwnd) {
    if (FromHandle(hwnd) != nullptr) {
        TheInput().modal.push_back(hwnd);
    }
}

void PopModal(HWND hwnd) {
    auto& modal = TheInput().modal;
    auto it = std::find(modal.rbegin(), modal.rend(), hwnd);
    if (it != modal.rend()) {
        modal.erase(std::next(it).base());
    }
}

HWND CurrentModal() {
    auto& modal = TheInput().modal;
    return modal.empty() ? nullptr : modal.back();
}

}  // namespace user

SHORT GetKeyState(int vk) {
    if (vk < 0 || vk > 0xFF) {
        return 0;
    }
    return user::TheInput().keyState[vk];
}
