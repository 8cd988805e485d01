// The parts of the Windows host that its entry point uses. Includes the
// system's <windows.h>; the program's own header never meets it.
#pragma once

#include <windows.h>

#include <cstdint>
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

// Ctrl+S: the board picture into the Pictures folder; Ctrl+C: the picture
// and the draw as text on the clipboard. Each says what it did in the title
// bar for a few seconds; TitleNoteTimer takes the note away when its timer
// comes (true when the timer was the note's).
void SavePicture(HWND hwnd, const uint32_t* frame);
void CopyResult(HWND hwnd, const uint32_t* frame);
bool TitleNoteTimer(HWND hwnd, UINT_PTR timer);

}  // namespace win32host

// The program's WinMain, reached through the bridge file, which includes the
// program's Win32-style header instead of the system's.
int RunProgram();
