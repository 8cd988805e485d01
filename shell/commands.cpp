// The menu commands: New, All, Option, About and Exit, and the one sequence
// that replaces the board with a fresh game.
#include "input/keys.h"
#include "intro/intro.h"
#include "options/options.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/shell.h"
#include "shell/status.h"
#include "view/view.h"

namespace {

void RunAboutDialog(HWND hwnd) {
    LPCDLGTEMPLATEW about = LoadDialogTemplate(g_hInst, IDD_ABOUT);
    if (about == nullptr) {
        return;
    }
    DialogBoxIndirectParamW(g_hInst, about, hwnd, AboutDlgProc, 0);
}

void OnNew(HWND hwnd) {
    // Showing the panel again (after hiding it if it was up) makes it paint
    // itself anew, and every paint brings up its next message.
    ShowIntroPanel();
    StartNewGame(hwnd);
}

void OnAll() {
    NoteAllCommand();  // for the status line, an addition
    g_allActive = 1;
    g_allNext = 0;
    HideIntroPanel();
}

void OnOption(HWND hwnd) {
    // The outcome is read from g_optionsAccepted, which only a completed
    // dialog sets. Clearing it first keeps a dialog that could not be shown
    // from passing for the OK of an earlier one and starting a game nobody
    // asked for.
    g_optionsAccepted = 0;
    LPCDLGTEMPLATEW options = LoadDialogTemplate(g_hInst, IDD_OPTION);
    if (options != nullptr) {
        DialogBoxIndirectParamW(g_hInst, options, hwnd, OptionDlgProc, 0);
    }
    if (g_optionsAccepted <= 0) {
        return;
    }
    HDC dc = GetDC(hwnd);
    RECT client = {};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hwnd, dc);
    StartNewGame(hwnd);
}

}  // namespace

void StartNewGame(HWND hwnd) {
    NoteNewGame();  // for the status line, an addition
    if (g_board != nullptr) {
        DestroyBoard(g_board);
        g_board = nullptr;
    }
    g_board = CreateGameBoard();
    if (g_board == nullptr) {
        // Nothing to play: the sequence stops and the timer, which accepts a
        // missing board, finds nothing to move.
        g_allActive = 0;
        return;
    }
    StartPlay(g_board);

    HDC dc = GetDC(hwnd);
    PaintBoard(g_board, &dc);
    ReleaseDC(hwnd, dc);

    // Arming timer 1 again replaces the running one, so its period restarts.
    SetTimer(hwnd, ANIMATION_TIMER_ID, ANIMATION_PERIOD_MS, OnAnimationTimer);
    // g_allNext keeps its value; the All command resets it.
    g_allActive = 0;
}

LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WORD command = LOWORD(wParam);
    if (command >= IDM_START_PLAYER && command <= IDM_START_PLAYER_LAST) {
        // An addition: the play keys 1 to 8 (input/keys.h).
        OnPlayerKey(command - IDM_START_PLAYER);
        return 0;
    }
    switch (command) {
        case IDM_EXIT:
            // Everything else happens in the destruction handler.
            DestroyWindow(hwnd);
            return 0;
        case IDM_ABOUT:
            RunAboutDialog(hwnd);
            return 0;
        case IDM_NEW:
            OnNew(hwnd);
            return 0;
        case IDM_ALL:
            OnAll();
            return 0;
        case IDM_OPTION:
            OnOption(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
