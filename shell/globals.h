// The state that outlives a single message: the handles of the program's
// windows, the current board, the player count and the flags the menu
// commands, the animation and the stylus share. Everything runs on the one
// GUI thread, so none of it is locked.
#pragma once

#include "board.h"
#include "windows.h"

extern HINSTANCE g_hInst;
// The main window. The board's window binding points here rather than at a
// handler's local variable, so the reference it keeps can never outlive the
// variable it refers to.
extern HWND g_hwndMain;
extern HWND g_hwndMenuBar;
extern HWND g_hwndIntro;
extern int32_t g_introVisible;
extern LadderBoard* g_board;
extern int32_t g_playerCount;
extern int32_t g_ladderRows;
extern int32_t g_allActive;
extern int32_t g_allNext;
extern int32_t g_optionsAccepted;
extern RECT g_topStripRect;
extern RECT g_scribbleRect;
// 1 once start-up has built the title board. Before that a paint leaves the
// window invalid so the title comes with the next paint; after it a window
// without a board is validated, or it would ask to be painted for ever and
// starve the timer and the input behind its paint messages.
extern int32_t g_startupDone;

// Every global of the program back to what a fresh process has, the board
// destroyed: the view's hand clock, the stylus and the intro cycle included.
// For running the program more than once inside one process, as the
// in-process tests do, so that no run depends on the one before it.
void ResetProgramState();
