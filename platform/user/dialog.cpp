// Dialogs from templates: the dialog window, its procedure, modeless and
// modal dialogs. A modal dialog is a nested message loop over the one
// blocking wait, ended by the flag that EndDialog sets; its owner is
// disabled meanwhile and input to every other window is ignored.
//
// Still to come with the controls: the template's items (buttons, static
// text and bitmaps) and the caption frame.
#include <map>

#include "user_internal.h"

namespace user {
namespace {

constexpr LPCWSTR kDialogClass = u"#32770";
constexpr int kDefaultBaseX = 5;   // the base units of "MS Sans Serif" 8
constexpr int kDefaultBaseY = 13;
constexpr int kScreenDpi = 96;

struct DialogData {
    DLGPROC proc = nullptr;
    INT_PTR result = 0;
    bool ended = false;
    int baseX = kDefaultBaseX;
    int baseY = kDefaultBaseY;
};

std::map<HWND, DialogData>& Dialogs() {
    static std::map<HWND, DialogData> dialogs;
    return dialogs;
}

// The dialog being created, until its window exists and has a record.
DialogData g_creating;
HWND g_creatingHwnd = nullptr;

DialogData* DataOf(HWND hwnd) {
    auto it = Dialogs().find(hwnd);
    return it != Dialogs().end() ? &it->second : nullptr;
}

LRESULT CALLBACK DialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE && DataOf(hwnd) == nullptr) {
        Dialogs()[hwnd] = g_creating;
        g_creatingHwnd = hwnd;
    }
    DialogData* data = DataOf(hwnd);
    if (msg == WM_NCDESTROY) {
        Dialogs().erase(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (data != nullptr && data->proc != nullptr && msg != WM_CREATE) {
        INT_PTR handled = data->proc(hwnd, msg, wParam, lParam);
        if (handled) {
            return handled;
        }
    }
    return DefDlgProcW(hwnd, msg, wParam, lParam);
}

void EnsureClass() {
    if (FindClass(kDialogClass) != nullptr) {
        return;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DialogWndProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kDialogClass;
    RegisterClassW(&wc);
}

// Dialog base units from the template's font, as Win32 computes them: the
// average width of the 52 letters and the font's height.
void BaseUnits(LPCDLGTEMPLATEW tmpl, int* baseX, int* baseY) {
    *baseX = kDefaultBaseX;
    *baseY = kDefaultBaseY;
    if ((tmpl->style & DS_SETFONT) == 0 || tmpl->typeface == nullptr) {
        return;
    }
    LOGFONTW lf{};
    lf.lfHeight = -((tmpl->pointSize * kScreenDpi + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    for (int i = 0; i < LF_FACESIZE - 1 && tmpl->typeface[i] != 0; ++i) {
        lf.lfFaceName[i] = tmpl->typeface[i];
    }
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    if (font != nullptr && dc != nullptr) {
        HGDIOBJ old = SelectObject(dc, font);
        static const WCHAR kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size{};
        TEXTMETRICW tm{};
        if (GetTextExtentExPointW(dc, kLetters, 52, 0, nullptr, nullptr, &size) && GetTextMetricsW(dc, &tm) &&
            size.cx > 0 && tm.tmHeight > 0) {
            *baseX = (size.cx / 26 + 1) / 2;
            *baseY = tm.tmHeight;
        }
        SelectObject(dc, old);
    }
    if (dc != nullptr) DeleteDC(dc);
    if (font != nullptr) DeleteObject(font);
}

HWND CreateFromTemplate(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc, LPARAM param,
                        bool modal) {
    if (tmpl == nullptr) {
        return nullptr;
    }
    EnsureClass();
    g_creating = DialogData{};
    g_creating.proc = proc;
    BaseUnits(tmpl, &g_creating.baseX, &g_creating.baseY);
    int x = tmpl->x * g_creating.baseX / 4;
    int y = tmpl->y * g_creating.baseY / 8;
    int cx = tmpl->cx * g_creating.baseX / 4;
    int cy = tmpl->cy * g_creating.baseY / 8;
    DWORD style = tmpl->style & ~WS_VISIBLE;
    HWND hwnd = CreateWindowExW(tmpl->dwExtendedStyle, kDialogClass, tmpl->title, style, x, y, cx, cy, owner,
                                nullptr, instance, nullptr);
    g_creatingHwnd = nullptr;
    if (hwnd == nullptr) {
        return nullptr;
    }
    if (modal) {
        PushModal(hwnd);
    }
    SendMessageW(hwnd, WM_INITDIALOG, 0, param);
    DialogData* data = DataOf(hwnd);
    if (data != nullptr && (tmpl->style & WS_VISIBLE) && !data->ended) {
        ShowWindow(hwnd, SW_SHOW);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

}  // namespace
}  // namespace user

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc, LPARAM param) {
    return user::CreateFromTemplate(instance, tmpl, owner, proc, param, false);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc, LPARAM param) {
    // The owner is disabled only if it was enabled, and enabled again at the end.
    bool disabledOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disabledOwner) {
        EnableWindow(owner, FALSE);
    }
    HWND dlg = user::CreateFromTemplate(instance, tmpl, owner, proc, param, true);
    if (dlg == nullptr) {
        if (disabledOwner) EnableWindow(owner, TRUE);
        return -1;
    }
    user::DialogData* data = user::DataOf(dlg);
    if (data != nullptr && !data->ended) {
        ShowWindow(dlg, SW_SHOW);
        UpdateWindow(dlg);
    }
    MSG msg;
    for (;;) {
        data = user::DataOf(dlg);
        if (data == nullptr || data->ended) {
            break;
        }
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            // The quit message belongs to the outer loop: leave it for that one.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    data = user::DataOf(dlg);
    INT_PTR result = data != nullptr ? data->result : -1;
    if (disabledOwner) {
        EnableWindow(owner, TRUE);
    }
    user::PopModal(dlg);
    if (IsWindow(dlg)) {
        DestroyWindow(dlg);
    }
    return result;
}

BOOL EndDialog(HWND dlg, INT_PTR result) {
    user::DialogData* data = user::DataOf(dlg);
    if (data == nullptr) {
        return FALSE;
    }
    data->result = result;
    data->ended = true;
    // A modal dialog's loop sees the flag; a modeless one is only hidden.
    ShowWindow(dlg, SW_HIDE);
    return TRUE;
}

HWND GetDlgItem(HWND dlg, int id) {
    user::Window* w = user::FromHandle(dlg);
    if (w == nullptr) {
        return nullptr;
    }
    for (user::Window* c : w->children) {
        if (reinterpret_cast<ULONG_PTR>(c->menu) == static_cast<ULONG_PTR>(static_cast<WORD>(id))) {
            return c->handle;
        }
    }
    return nullptr;
}

LRESULT CALLBACK DefDlgProcW(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // Closing a dialog is cancelling it.
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        return 0;
    case WM_INITDIALOG:
        return 0;
    default:
        return DefWindowProcW(dlg, msg, wParam, lParam);
    }
}

// The menu bar comes with the controls. Until then it cannot be made, which
// the program survives as on a device without one: accelerators still work.
BOOL SHCreateMenuBar(PSHMENUBARINFO info) {
    if (info != nullptr) {
        info->hwndMB = nullptr;
    }
    return FALSE;
}
