// Dialogs from templates: the dialog manager's window procedure, modeless and
// modal creation, the modal loop, EndDialog, GetDlgItem and the two keys a
// dialog answers, Enter and Escape. The steps follow Win32 as Wine's
// dlls/user32/dialog.c reproduces it: create the window hidden, attach the
// dialog procedure, WM_SETFONT, the controls in template order, WM_INITDIALOG,
// and only then show it.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "control.h"
#include "gdi/font_data.h"

namespace user {
namespace {

struct DialogState {
    DLGPROC proc = nullptr;
    HFONT font = nullptr;         // what WM_GETFONT answers
    HFONT createdFont = nullptr;  // the template's font, deleted with the dialog
    HWND disabledOwner = nullptr;  // a modal dialog's owner, enabled again when it ends
    bool ended = false;
    INT_PTR result = 0;
};

// The state of the dialog being created: its window receives WM_CREATE before
// CreateWindowExW has returned a handle to attach it to.
std::shared_ptr<DialogState>& Pending() {
    static std::shared_ptr<DialogState> pending;
    return pending;
}

// The dialog's state hangs on its window, shared with a modal loop that
// must see the result after the window is gone.
using SharedDialogState = std::shared_ptr<DialogState>;

SharedDialogState DialogStateOf(HWND dlg) {
    if (SharedDialogState* state = StateOf<SharedDialogState>(dlg)) {
        return *state;
    }
    if (Pending() != nullptr && FromHandle(dlg) != nullptr) {
        return *AttachState(dlg, std::move(Pending()));
    }
    return nullptr;
}

// The first child of a dialog that pred accepts, in the stacking order.
template <class Pred>
Window* FindChild(HWND dlg, Pred pred) {
    if (Window* d = FromHandle(dlg)) {
        for (Window* c : d->children) {
            if (pred(c)) {
                return c;
            }
        }
    }
    return nullptr;
}

// The first visible, enabled control with WS_TABSTOP: the one that gets the
// focus when WM_INITDIALOG returns TRUE.
bool IsTabStop(const Window* w);

HWND FirstTabStop(HWND dlg) {
    Window* c = FindChild(dlg, IsTabStop);
    return c != nullptr ? c->handle : nullptr;
}

// The default push button of a dialog, or null.
Window* DefaultButton(HWND dlg) {
    return FindChild(dlg, [](const Window* w) {
        return SameClassName(w->cls->name, kButtonClass) && ButtonKind(w) == BS_DEFPUSHBUTTON;
    });
}

bool IsTabStop(const Window* w) {
    return (w->style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE);
}

// Tab and Shift+Tab: the focus goes round the tab stops in template order.
void MoveFocus(HWND dlg, bool backwards) {
    Window* d = FromHandle(dlg);
    std::vector<Window*> stops;
    for (Window* c : d->children) {
        if (IsTabStop(c)) {
            stops.push_back(c);
        }
    }
    if (stops.empty()) {
        return;
    }
    HWND focus = GetFocus();
    auto at = std::find_if(stops.begin(), stops.end(), [focus](const Window* w) { return w->handle == focus; });
    size_t next = 0;
    if (at != stops.end()) {
        size_t i = static_cast<size_t>(at - stops.begin());
        next = backwards ? (i + stops.size() - 1) % stops.size() : (i + 1) % stops.size();
    } else if (backwards) {
        next = stops.size() - 1;
    }
    SetFocus(stops[next]->handle);
}

// The enabled push button that has the focus in dlg, or null.
Window* FocusedPushButton(HWND dlg) {
    Window* f = FromHandle(GetFocus());
    if (f == nullptr || f->parent == nullptr || f->parent->handle != dlg || !SameClassName(f->cls->name, kButtonClass)) {
        return nullptr;
    }
    DWORD kind = ButtonKind(f);
    return (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) && IsEnabledChain(f) ? f : nullptr;
}

// What IsDialogMessage does with the keys of a dialog: Enter clicks the push
// button that has the focus, else the default push button (IDOK when there
// is none), Escape sends IDCANCEL, Tab and Shift+Tab move the focus. A
// disabled default button makes Enter do nothing, as in Win32.
bool HandleDialogKey(HWND dlg, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !IsWithin(msg.hwnd, dlg)) {
        return false;
    }
    if (msg.wParam == VK_ESCAPE) {
        NotifyClicked(dlg, IDCANCEL, GetDlgItem(dlg, IDCANCEL));
        return true;
    }
    if (msg.wParam == VK_TAB) {
        MoveFocus(dlg, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (msg.wParam == VK_RETURN) {
        if (Window* focused = FocusedPushButton(dlg)) {
            NotifyClicked(dlg, ControlId(focused), focused->handle);
        } else if (Window* b = DefaultButton(dlg)) {
            if (IsEnabledChain(b)) {
                NotifyClicked(dlg, ControlId(b), b->handle);
            }
        } else {
            NotifyClicked(dlg, IDOK, GetDlgItem(dlg, IDOK));
        }
        return true;
    }
    return false;
}

LPCWSTR ControlClass(WORD atom) {
    switch (atom) {
    case kButtonAtom:
        return kButtonClass;
    case kStaticAtom:
        return kStaticClass;
    default:
        return nullptr;
    }
}

// The template's font: its face at its point size on a 96-dpi screen, or the
// system font when the template names none.
const gdi::BakedFont* TemplateFont(const DLGTEMPLATEW* tmpl, DialogState* state) {
    if ((tmpl->style & DS_SETFONT) == 0 || tmpl->typeface == nullptr) {
        state->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        return gdi::SystemBakedFont();
    }
    LOGFONTW lf{};
    lf.lfHeight = -MulDivRound(tmpl->pointSize, 96, 72);
    lf.lfWeight = FW_NORMAL;
    for (int i = 0; i < LF_FACESIZE - 1 && tmpl->typeface[i] != 0; ++i) {
        lf.lfFaceName[i] = tmpl->typeface[i];
    }
    state->createdFont = CreateFontIndirectW(&lf);
    state->font = state->createdFont;
    return gdi::MatchBakedFont(lf.lfFaceName, lf.lfHeight, FW_NORMAL);
}

// Creates the dialog and its controls and runs WM_INITDIALOG; the window is
// still hidden when this returns. Null when the template cannot be built.
HWND CreateFromTemplate(HINSTANCE instance, const DLGTEMPLATEW* tmpl, HWND owner, DLGPROC proc, LPARAM param,
                        bool modal, std::shared_ptr<DialogState>* out) {
    if (tmpl == nullptr || (owner != nullptr && FromHandle(owner) == nullptr)) {
        return nullptr;
    }
    EnsureControlClasses();
    auto state = std::make_shared<DialogState>();
    *out = state;
    const gdi::BakedFont* font = TemplateFont(tmpl, state.get());
    // Dialog units: a quarter of the font's average width across, an eighth
    // of its height down.
    const int baseX = gdi::DialogBaseUnitX(font);
    const int baseY = font->height;
    auto unitsX = [baseX](int units) { return MulDivRound(units, baseX, 4); };
    auto unitsY = [baseY](int units) { return MulDivRound(units, baseY, 8); };

    // The template's position is in dialog units from the owner's client
    // origin; its size is the client area's, to which the frame is added.
    DWORD style = tmpl->style & ~WS_VISIBLE;
    RECT insets = FrameInsetsFor(style, tmpl->dwExtendedStyle);
    int x = unitsX(tmpl->x);
    int y = unitsY(tmpl->y);
    if ((style & WS_CHILD) == 0 && owner != nullptr) {
        RECT origin = ScreenClientRect(FromHandle(owner));
        x += origin.left;
        y += origin.top;
    }
    int width = unitsX(tmpl->cx) + insets.left + insets.right;
    int height = unitsY(tmpl->cy) + insets.top + insets.bottom;

    Pending() = state;
    HWND dlg = CreateWindowExW(tmpl->dwExtendedStyle, kDialogClass, tmpl->title, style, x, y, width, height, owner,
                               nullptr, instance, reinterpret_cast<LPVOID>(param));
    Pending() = nullptr;
    if (dlg == nullptr) {
        if (state->createdFont != nullptr) {
            DeleteObject(state->createdFont);
        }
        return nullptr;
    }
    // A modal dialog's owner is disabled before WM_INITDIALOG, so that an
    // EndDialog there already finds it to enable again (Win32 order).
    if (modal && owner != nullptr) {
        HWND root = RootOf(FromHandle(owner))->handle;
        if (IsWindowEnabled(root)) {
            state->disabledOwner = root;
            EnableWindow(root, FALSE);
        }
    }
    // As in Win32, the dialog procedure sees nothing of the window's
    // creation; its first message is WM_SETFONT (with DS_SETFONT).
    state->proc = proc;
    bool setFont = (tmpl->style & DS_SETFONT) != 0;
    if (setFont) {
        SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
    }
    for (WORD i = 0; i < tmpl->cdit && tmpl->items != nullptr && IsWindow(dlg); ++i) {
        const DLGITEMTEMPLATEW& item = tmpl->items[i];
        LPCWSTR cls = ControlClass(item.classAtom);
        if (cls == nullptr) {
            continue;  // a control class this layer does not have
        }
        // A static bitmap names its resource by number; the control loads it
        // from the dialog's instance when it is created.
        LPVOID create = nullptr;
        if (item.text == nullptr && item.textOrdinal != 0) {
            create = reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(item.textOrdinal));
        }
        HWND control = CreateControl({.exStyle = item.dwExtendedStyle,
                                      .cls = cls,
                                      .text = item.text,
                                      .style = static_cast<DWORD>(item.style | WS_CHILD),
                                      .x = unitsX(item.x),
                                      .y = unitsY(item.y),
                                      .cx = unitsX(item.cx),
                                      .cy = unitsY(item.cy),
                                      .id = item.id,
                                      .param = create},
                                     dlg, instance);
        if (control == nullptr) {
            DestroyWindow(dlg);
            return nullptr;
        }
        if (setFont) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
        }
    }
    if (!IsWindow(dlg)) {
        return nullptr;
    }
    HWND focus = FirstTabStop(dlg);
    LRESULT wantsFocus = SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
    if (!IsWindow(dlg)) {
        return nullptr;
    }
    if (wantsFocus && focus != nullptr && IsWindow(focus) && !state->ended) {
        SetFocus(focus);
    }
    return dlg;
}

void EnableOwnerAgain(DialogState* state) {
    if (state->disabledOwner != nullptr) {
        HWND owner = state->disabledOwner;
        state->disabledOwner = nullptr;
        EnableWindow(owner, TRUE);
    }
}

void RunModalLoop(HWND dlg, const DialogState& state) {
    MSG msg;
    while (!state.ended && FromHandle(dlg) != nullptr) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            // The quit goes back for the loop outside, as Win32's dialog loop does.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // The program's message filters first, as Win32's dialog loop
        // offers them every message.
        if (CallMsgFilterW(&msg, MSGF_DIALOGBOX) || HandleDialogKey(dlg, msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// What the dialog manager does with a message the dialog procedure left.
LRESULT DefaultDialogMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam, DialogState* state) {
    switch (msg) {
    case WM_CREATE:
        ApplyFrameOnCreate(dlg, lParam);
        return 0;
    case WM_ERASEBKGND:
        return EraseToFace(dlg, wParam);
    case WM_CLOSE:
        // Closing a dialog cancels it, as Win32's DefDlgProc does.
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
        return 0;
    case WM_SETFONT:
        if (state != nullptr) {
            state->font = reinterpret_cast<HFONT>(wParam);
        }
        return 0;
    case WM_GETFONT:
        return state != nullptr ? reinterpret_cast<LRESULT>(state->font) : 0;
    case WM_MOVE:
        FollowFrameOwner(dlg);
        return 0;
    case WM_SHOWWINDOW:
        ShowFrameButtons(dlg, wParam != FALSE);
        return 0;
    case WM_NCDESTROY:
        if (state != nullptr && state->createdFont != nullptr) {
            DeleteObject(state->createdFont);
            state->createdFont = nullptr;
        }
        return 0;
    default:
        return DefWindowProcW(dlg, msg, wParam, lParam);
    }
}

}  // namespace

int MulDivRound(int a, int b, int c) {
    if (c == 0) {
        return -1;  // Win32's MulDiv answers a zero divisor with -1
    }
    // Rounded on the magnitudes, so that halves go away from zero.
    long long product = static_cast<long long>(a) * b;
    long long divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    long long quotient = (std::llabs(product) + divisor / 2) / divisor;
    return static_cast<int>(product < 0 ? -quotient : quotient);
}

void EnsureControlClasses() {
    RegisterMissingClasses({
        {kButtonClass, ButtonWndProc},
        {kStaticClass, StaticWndProc},
        {kDialogClass, DefDlgProcW},
    });
}

}  // namespace user

using user::FromHandle;
using user::Window;

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc,
                                LPARAM param) {
    std::shared_ptr<user::DialogState> state;
    HWND dlg = user::CreateFromTemplate(instance, tmpl, owner, proc, param, false, &state);
    if (dlg == nullptr) {
        return nullptr;
    }
    // A modeless dialog shows only when its template says so; one that
    // EndDialog ended during WM_INITDIALOG stays hidden.
    if ((tmpl->style & WS_VISIBLE) && !state->ended) {
        ShowWindow(dlg, SW_SHOW);
    }
    return dlg;
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc,
                                LPARAM param) {
    std::shared_ptr<user::DialogState> state;
    HWND dlg = user::CreateFromTemplate(instance, tmpl, owner, proc, param, true, &state);
    if (dlg == nullptr) {
        if (state != nullptr) {
            user::EnableOwnerAgain(state.get());
        }
        return -1;
    }
    // A modal dialog shows whatever its template's WS_VISIBLE says, unless
    // it was ended before it ever showed.
    if (!state->ended) {
        user::PushModal(dlg);
        ShowWindow(dlg, SW_SHOW);
        UpdateWindow(dlg);
        user::RunModalLoop(dlg, *state);
        user::PopModal(dlg);
    }
    user::EnableOwnerAgain(state.get());
    if (IsWindow(dlg)) {
        DestroyWindow(dlg);
    }
    return state->result;
}

BOOL EndDialog(HWND dlg, INT_PTR result) {
    std::shared_ptr<user::DialogState> state = user::DialogStateOf(dlg);
    if (state == nullptr) {
        return FALSE;
    }
    state->ended = true;
    state->result = result;
    // The owner comes back before the dialog hides, so that it is usable
    // the moment the dialog is gone (Win32 order).
    user::EnableOwnerAgain(state.get());
    // Hidden at once, as in Win32; the modal loop destroys it when it sees
    // the flag, and a modeless dialog stays hidden until shown again.
    ShowWindow(dlg, SW_HIDE);
    return TRUE;
}

HWND GetDlgItem(HWND dlg, int id) {
    Window* c = user::FindChild(dlg, [id](const Window* w) { return user::ControlId(w) == static_cast<WORD>(id); });
    return c != nullptr ? c->handle : nullptr;
}

// The dialog class's window procedure: the dialog procedure first, then the
// dialog manager's own handling of whatever it returned FALSE for.
LRESULT CALLBACK DefDlgProcW(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<user::DialogState> state = user::DialogStateOf(dlg);
    if (state != nullptr && state->proc != nullptr) {
        INT_PTR handled = state->proc(dlg, msg, wParam, lParam);
        if (msg == WM_INITDIALOG || handled != 0) {
            return handled;
        }
    }
    return user::DefaultDialogMessage(dlg, msg, wParam, lParam, state.get());
}
