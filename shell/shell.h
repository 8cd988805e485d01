// The application shell: start-up, the main window and its procedure, the
// menu commands and the About dialog.
#pragma once

#include "board.h"
#include "windows.h"

BOOL InitInstance(HINSTANCE instance, int showCmd);
ATOM RegisterMainClass(HINSTANCE instance, LPCWSTR className);
HWND CreateMenuBar(HWND hwnd);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

LRESULT OnCreate(HWND hwnd);
LRESULT OnPaint(HWND hwnd);
LRESULT OnDestroy(HWND hwnd);
LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A board for the current player count with the settings every board gets,
// bound to the main window and the instance, its ladder generated; null
// when none could be made.
LadderBoard* CreateGameBoard();

// Throws the current board away and starts a fresh game on a new ladder.
void StartNewGame(HWND hwnd);

INT_PTR CALLBACK AboutDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// Centres the window over its parent's client area, moved by the offsets,
// and keeps its top-left corner on the screen.
void CenterOverParent(HWND dlg, int offsetX = 0, int offsetY = 0);

// Dialog template `id` from the program's resources, or null.
LPCDLGTEMPLATEW LoadDialogTemplate(HINSTANCE instance, int id);

// The board settings every board gets, at start-up and for each new game.
constexpr int BOARD_GAP = 2;
constexpr COLORREF BOARD_COLOR_KEY = 0xFF00FF;
constexpr int BOARD_CELL_WIDTH = 10;
constexpr int BOARD_CELL_HEIGHT = 15;

// The timer that drives the animation.
constexpr UINT_PTR ANIMATION_TIMER_ID = 1;
constexpr UINT ANIMATION_PERIOD_MS = 50;

// Task bar, input-panel button and Start icon hidden.
constexpr DWORD FULL_SCREEN_FLAGS = SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON;
