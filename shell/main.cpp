// The program's entry: start-up, then the message loop until the quit
// message arrives.
#include "resource.h"
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd) {
    (void)hPrevInstance;
    (void)lpCmdLine;
    if (!InitInstance(hInstance, nShowCmd)) {
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDR_ACCEL));

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        // Each message is offered to the accelerators with its own window, so
        // Alt+F4 and Alt+/ work whichever of the program's windows has it.
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
