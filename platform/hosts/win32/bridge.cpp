// Calls the program's WinMain. This file includes the program's own
// windows.h and the host's files include the system's, so no unit sees both
// declarations of HINSTANCE; this small function is all they share.
#include "windows.h"

int RunProgram() {
    // The options are the host's; the program gets an empty command line,
    // as when started from the device's menu.
    static WCHAR commandLine[] = {0};
    return WinMain(reinterpret_cast<HINSTANCE>(1), nullptr, commandLine, SW_SHOW);
}
