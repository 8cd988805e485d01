// The window manager's own controls, for hosts, tests and its own files
// (dialogs, controls, the menu bar). The game itself sees only the Win32
// calls of windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace user {

// The first top-level window without an owner that is still alive: the
// window that a host's Close and Command events go to. Null when none.
HWND MainWindow();

// The earliest deadline (rt::NowMs) of any running timer, UINT64_MAX when
// none runs.
uint64_t NextTimerDeadline();

// Modal dialogs: while a window is on this stack, input reaches only the top
// window, its children and the windows it owns; everything else, the menu bar
// included, is ignored. The dialog loop pushes its dialog and pops it on the
// way out.
void PushModal(HWND hwnd);
void PopModal(HWND hwnd);
HWND CurrentModal();

// Frames of windows with a caption or border. The insets are the frame's
// thickness on each side; the client area is the window rectangle less them.
// paint draws the frame through a DC whose origin is the window's top-left
// corner; penDown receives a pen-down in the frame (window coordinates) and
// returns whether it used it.
struct FrameHooks {
    RECT insets{0, 0, 0, 0};
    void (*paint)(HWND hwnd, HDC windowDc) = nullptr;
    BOOL (*penDown)(HWND hwnd, POINT windowPoint) = nullptr;
};
BOOL SetFrame(HWND hwnd, const FrameHooks& frame);

// Push buttons, menu-bar buttons and menu items mark themselves with their
// label, so that a driver (the headless host's "press LABEL") can find a
// control by name: FindLabelledControl gives the screen point at the centre
// of the first visible, uncovered window with that label, or FALSE.
BOOL SetPressLabel(HWND hwnd, LPCWSTR label);
BOOL FindLabelledControl(const std::u16string& label, POINT* screenCentre);
// The labels of the visible labelled controls inside hwnd, in the order a
// person reads them (top to bottom, then left to right): how a driver names
// a dialog that has no title.
std::vector<std::u16string> PressLabelsIn(HWND hwnd);

// The flags of the last SHFullScreen call (0 before any).
DWORD FullScreenFlags();

// Everything the window manager holds goes away: every window is destroyed
// without messages, timers and queues are emptied. For tests that need a
// fresh start.
void ResetForTests();

}  // namespace user
