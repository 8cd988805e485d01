// The data a program hangs on a window: GWLP_USERDATA on any window and
// DWLP_USER on a dialog, as SetWindowLongPtrW and GetWindowLongPtrW keep
// them. Other indexes are not supported and fail as Win32 fails them.
#include "dialog_internal.h"
#include "user_internal.h"

namespace {

LONG_PTR* Slot(HWND hwnd, int index) {
    user::Window* w = user::FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    if (index == GWLP_USERDATA) {
        return &w->userData;
    }
    if (index == static_cast<int>(DWLP_USER) && user::SameClassName(w->cls->name, user::kDialogClass)) {
        return &w->dialogUser;
    }
    return nullptr;
}

}  // namespace

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    LONG_PTR* slot = Slot(hwnd, index);
    if (slot == nullptr) {
        return 0;
    }
    LONG_PTR previous = *slot;
    *slot = value;
    return previous;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
    LONG_PTR* slot = Slot(hwnd, index);
    return slot != nullptr ? *slot : 0;
}
