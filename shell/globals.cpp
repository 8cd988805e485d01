#include "shell/globals.h"

#include "options/options.h"

HINSTANCE g_hInst = nullptr;
HWND g_hwndMain = nullptr;
HWND g_hwndMenuBar = nullptr;
HWND g_hwndIntro = nullptr;
int32_t g_introVisible = 0;
LadderBoard* g_board = nullptr;
int32_t g_playerCount = DEFAULT_PLAYERS;
int32_t g_ladderRows = 14;
int32_t g_allActive = 0;
int32_t g_allNext = 0;
int32_t g_optionsAccepted = 0;
RECT g_topStripRect = {0, 0, 0, 0};
RECT g_scribbleRect = {0, 0, 0, 0};
int32_t g_startupDone = 0;
