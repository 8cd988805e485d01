// Start-up: the single-instance rule, the main window class and window, full
// screen, the title board and the hidden intro panel.
#include "intro/intro.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/shell.h"

namespace {

constexpr int NAME_BUFFER = 100;

// The first board is generated like every other but stays in the title
// state, so only the title picture is painted until the first New.
void CreateTitleBoard() {
    g_board = CreateGameBoard();
    // A board that could not be made leaves the shell without one; every
    // handler accepts that, and the next New tries again.
    if (g_board != nullptr) {
        g_board->state = BOARD_TITLE;
    }
}

void CreateIntroPanel(HWND hwnd) {
    LPCDLGTEMPLATEW panel = LoadDialogTemplate(g_hInst, IDD_INTRO);
    if (panel == nullptr) {
        return;
    }
    // The template carries no WS_VISIBLE, so the panel starts hidden and
    // g_introVisible stays 0 until the first new game shows it.
    g_hwndIntro = CreateDialogIndirectParamW(g_hInst, panel, hwnd, IntroPanelProc, 0);
}

}  // namespace

LadderBoard* CreateGameBoard() {
    LadderBoard* board = CreateBoard(g_playerCount, BOARD_GAP, g_ladderRows);
    if (board == nullptr) {
        return nullptr;
    }
    SetWindowRef(board->binding, &g_hwndMain);
    SetInstanceRef(board->binding, &g_hInst);
    board->transparentColor = BOARD_COLOR_KEY;
    board->cellWidth = BOARD_CELL_WIDTH;
    board->cellHeight = BOARD_CELL_HEIGHT;
    GenerateLadder(board);
    return board;
}

ATOM RegisterMainClass(HINSTANCE instance, LPCWSTR className) {
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TAVILO));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = className;
    return RegisterClassW(&wc);
}

BOOL InitInstance(HINSTANCE instance, int showCmd) {
    g_hInst = instance;

    WCHAR className[NAME_BUFFER] = {};
    WCHAR title[NAME_BUFFER] = {};
    LoadStringW(instance, IDS_CLASS, className, NAME_BUFFER);
    LoadStringW(instance, IDS_TITLE, title, NAME_BUFFER);

    // Only one copy runs: a second start brings the first to the front and
    // ends. The low bit asks the device to bring the window's owned windows
    // along; a platform that does not know the idiom gets the plain handle.
    HWND running = FindWindowW(className, title);
    if (running != nullptr) {
        HWND withOwned = reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1);
        if (!SetForegroundWindow(withOwned)) {
            SetForegroundWindow(running);
        }
        return 0;
    }

    RegisterMainClass(instance, className);

    HWND hwnd = CreateWindowExW(0, className, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 0;
    }
    g_hwndMain = hwnd;

    RECT client = {};
    GetClientRect(hwnd, &client);
    const LONG width = client.right;
    const LONG height = client.bottom;

    MoveWindow(hwnd, 0, 0, width, height, TRUE);
    SHFullScreen(hwnd, FULL_SCREEN_FLAGS);
    // This paint comes before any board exists and draws nothing; the title
    // picture arrives with the next paint.
    ShowWindow(hwnd, showCmd);
    UpdateWindow(hwnd);
    if (g_hwndMenuBar != nullptr) {
        CommandBar_Show(g_hwndMenuBar, TRUE);
    }

    CreateTitleBoard();
    g_startupDone = 1;

    g_topStripRect = {0, 0, width, 20};
    g_scribbleRect = {0, 240, width, height};

    CreateIntroPanel(hwnd);
    return 1;
}
