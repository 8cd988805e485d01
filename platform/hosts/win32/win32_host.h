// The parts of the Windows host that its entry point uses. Includes the
// system's <windows.h>; the program's own header never meets it.
#pragma once

#include <windows.h>

#include <string>

namespace win32host {

// Declares the process aware of each monitor's DPI, so that Windows does not
// blur the picture by scaling it a second time.
void UseDpiAwareness();

// Registers the class and shows the window, its client area the device
// screen at the given scale (0: the largest that fits the primary monitor).
bool OpenWindow(HINSTANCE instance, int scale, int showCommand, std::wstring* error);
void CloseWindow();
HWND MainWindow();

}  // namespace win32host

// The program's WinMain, reached through the bridge file, which includes the
// program's Win32-style header instead of the system's.
int RunProgram();
