// Window classes: RegisterClassW and the lookup by name or atom that
// CreateWindowExW does.
#include <deque>

#include "user_internal.h"

namespace user {
namespace {

// A deque keeps every class at a fixed address, so windows can point at it.
std::deque<WindowClass>& Classes() {
    static std::deque<WindowClass> classes;
    return classes;
}

constexpr ATOM kFirstAtom = 0xC000;

}  // namespace

bool SameClassName(const std::u16string& a, LPCWSTR b) {
    // Class names compare without regard to case, as in Win32 (ASCII letters
    // are all that the program's names use).
    size_t i = 0;
    for (; i < a.size(); ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (y == 0) {
            return false;
        }
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        if (x != y) {
            return false;
        }
    }
    return b[i] == 0;
}

const WindowClass* FindClass(LPCWSTR name) {
    if (name == nullptr) {
        return nullptr;
    }
    if (IS_INTRESOURCE(name)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        for (const WindowClass& c : Classes()) {
            if (c.atom == atom) {
                return &c;
            }
        }
        return nullptr;
    }
    for (const WindowClass& c : Classes()) {
        if (SameClassName(c.name, name)) {
            return &c;
        }
    }
    return nullptr;
}

void ResetClasses() { Classes().clear(); }

}  // namespace user

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == 0) {
        return 0;
    }
    if (user::FindClass(wc->lpszClassName) != nullptr) {
        return 0;  // Win32 refuses a second class of the same name
    }
    auto& classes = user::Classes();
    user::WindowClass c;
    c.name = wc->lpszClassName;
    c.atom = static_cast<ATOM>(user::kFirstAtom + classes.size());
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.instance = wc->hInstance;
    c.icon = wc->hIcon;
    c.background = wc->hbrBackground;
    classes.push_back(c);
    return c.atom;
}
