// The About dialog and the placement rule that centres a dialog over the
// main window.
#include "shell/shell.h"

LPCDLGTEMPLATEW LoadDialogTemplate(HINSTANCE instance, int id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) {
        return nullptr;
    }
    return static_cast<LPCDLGTEMPLATEW>(LoadResource(instance, found));
}

void CenterOverParent(HWND dlg, int offsetX, int offsetY) {
    RECT dialog = {};
    if (!GetWindowRect(dlg, &dialog)) {
        return;
    }
    RECT parent = {};
    if (!GetClientRect(GetParent(dlg), &parent)) {
        return;
    }
    // The parent's client area lies at the screen origin, so its client
    // coordinates are screen coordinates. A dialog larger than the window
    // goes to the corner rather than off the screen.
    LONG x = ((parent.right - parent.left) - (dialog.right - dialog.left)) / 2 + offsetX;
    LONG y = ((parent.bottom - parent.top) - (dialog.bottom - dialog.top)) / 2 + offsetY;
    if (x < 0) {
        x = 0;
    }
    if (y < 0) {
        y = 0;
    }
    SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR CALLBACK AboutDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (msg) {
        case WM_INITDIALOG:
            CenterOverParent(dlg);
            return TRUE;
        case WM_COMMAND: {
            const WORD command = LOWORD(wParam);
            if (command == IDOK || command == IDCANCEL) {
                EndDialog(dlg, command);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}
