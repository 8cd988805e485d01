#include "shell/globals.h"

#include "input/stylus.h"
#include "intro/intro.h"
#include "options/options.h"
#include "shell/status.h"
#include "view/view.h"

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

void ResetProgramState() {
    DestroyBoard(g_board);
    g_board = nullptr;
    g_hInst = nullptr;
    g_hwndMain = g_hwndMenuBar = g_hwndIntro = nullptr;
    g_playerCount = DEFAULT_PLAYERS;
    g_ladderRows = 14;
    g_introVisible = g_introIndex = g_allActive = g_allNext = g_optionsAccepted = g_startupDone = 0;
    g_topStripRect = g_scribbleRect = {0, 0, 0, 0};
    g_penDown = 0;
    g_scribblePoints[0] = g_scribblePoints[1] = {0, 0};
    ResetAnimationClock();
    ResetStatus();
}
