// The main window: its procedure, which hands each message to one handler,
// and the handlers of creation, painting and destruction.
#include "input/stylus.h"
#include "options/options.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/shell.h"
#include "view/view.h"

HWND CreateMenuBar(HWND hwnd) {
    SHMENUBARINFO info = {};
    // The size field is the record's real size on this platform; the device's
    // 32 bytes would describe a record that no longer exists.
    info.cbSize = sizeof(SHMENUBARINFO);
    info.hwndParent = hwnd;
    info.dwFlags = SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = g_hInst;
    info.nBmpId = 0;
    info.cBmpImages = 0;
    if (!SHCreateMenuBar(&info)) {
        return nullptr;
    }
    return info.hwndMB;
}

LRESULT OnCreate(HWND hwnd) {
    g_hwndMenuBar = CreateMenuBar(hwnd);
    LoadPlayerCount();
    return 0;
}

LRESULT OnPaint(HWND hwnd) {
    // Whatever covered the window may have brought the task bar back.
    SHFullScreen(hwnd, FULL_SCREEN_FLAGS);
    if (g_board == nullptr) {
        // Nothing is drawn. During start-up the window is left invalid on
        // purpose, so the first paint after the title board exists draws it
        // all; later (a board that could not be made) it is validated.
        if (g_startupDone) {
            ValidateRect(hwnd, nullptr);
        }
        return 0;
    }
    SetWindowRef(g_board->binding, &g_hwndMain);
    SetInstanceRef(g_board->binding, &g_hInst);
    PAINTSTRUCT ps = {};
    HDC dc = BeginPaint(hwnd, &ps);
    PaintBoard(g_board, &dc);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT OnDestroy(HWND hwnd) {
    KillTimer(hwnd, ANIMATION_TIMER_ID);
    SavePlayerCount();
    DestroyWindow(g_hwndMenuBar);
    g_hwndMenuBar = nullptr;
    PostQuitMessage(0);
    DestroyBoard(g_board);
    g_board = nullptr;
    return 0;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate(hwnd);
        case WM_DESTROY:
            return OnDestroy(hwnd);
        case WM_PAINT:
            return OnPaint(hwnd);
        case WM_COMMAND:
            return OnCommand(hwnd, msg, wParam, lParam);
        case WM_MOUSEMOVE:
            OnMouseMove(hwnd, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(lParam);
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp();
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
