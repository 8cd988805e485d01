// The program's entry: start-up, then the message loop until the quit
// message arrives.
#include "input/keys.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd) {
    (void)hPrevInstance;
    (void)lpCmdLine;
    if (!InitInstance(hInstance, nShowCmd)) {
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDR_ACCEL));
    // Additions (input/keys.h): the play keys, and the player-count
    // dialog's keys.
    HACCEL playKeys = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDR_PLAY_KEYS));
    HHOOK keyFilter = InstallKeyFilter();

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        // Each message is offered to the accelerators with its own window, so
        // Alt+F4 and Alt+/ work whichever of the program's windows has it.
        // The play keys always command the main window.
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg) &&
            !TranslateAcceleratorW(g_hwndMain, playKeys, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    UnhookWindowsHookEx(keyFilter);
    return static_cast<int>(msg.wParam);
}
