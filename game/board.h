// The ladder board: the cell grid, its pixel geometry, the eight runner
// records and the board's window binding. Plain records and free functions;
// the only platform services used are allocation, the random source and the
// tick count.
#pragma once

#include "wintypes.h"

// Cell codes, one byte per grid cell.
enum : BYTE {
    CELL_EMPTY = 0,       // between two poles, no rung
    CELL_POLE = 1,        // plain pole cell
    CELL_RUNG_LEFT = 2,   // pole cell where a rung leaves to the right
    CELL_RUNG_RIGHT = 3,  // pole cell where a rung arrives from the left
    CELL_RUNG_MID = 4,    // interior cell of a rung
    CELL_TOP = 5,         // top end of a pole
    CELL_BOTTOM = 6,      // bottom end of a pole
};
typedef BYTE CellCode;

// Board states.
enum {
    BOARD_DONE = 0,   // every runner has arrived
    BOARD_PLAY = 1,   // runners may be launched and are moved
    BOARD_TITLE = 3,  // only the title picture is shown
};

// Runner states and directions.
enum {
    RUNNER_IDLE = 0,
    RUNNER_MOVING = 1,
    RUNNER_ARRIVED = 3,
};
enum {
    DIR_LEFT = 0,
    DIR_RIGHT = 1,
    DIR_DOWN = 3,
};

constexpr int MAX_RUNNERS = 8;
constexpr int MAX_TRAIL_POINTS = 256;

struct Runner {
    int32_t index;
    int32_t column;
    int32_t row;
    int32_t penWidth;
    COLORREF color;
    int32_t status;
    int32_t direction;
    POINT trail[MAX_TRAIL_POINTS];
    int32_t pointCount;
    int32_t handFrame;
};

// The board's two references: to a variable holding the main window's handle
// and to the one holding the instance handle. The binding owns neither.
struct WindowBinding {
    HWND* window;
    HINSTANCE* instance;
};

struct LadderBoard {
    int32_t state;
    int32_t playerCount;
    Runner runners[MAX_RUNNERS];
    int32_t gridWidth;
    int32_t gridHeight;
    int32_t gap;
    CellCode* cells;
    COLORREF transparentColor;
    int32_t originX;
    int32_t originY;
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t trailOffsetX;
    int32_t trailOffsetY;
    WindowBinding* binding;
};

// The runners' colours, 0x00BBGGRR, runner 0 to 7.
extern const COLORREF g_runnerColors[MAX_RUNNERS];

// A board for playerCount players (1 to 8), or null: below 1, above 8 (the
// board holds eight runners), when the grid would be absurdly large, or when
// memory is short. A gap below 1 becomes 1; a height of 2 or less becomes
// 20 x playerCount.
LadderBoard* CreateBoard(int playerCount, int gap, int height);

// Frees the grid, hands the binding to the binding-release hook (the board
// view's surface release), then frees the board. Null is accepted.
void DestroyBoard(LadderBoard* board);

// The cell byte of column x, row y; null without a board. Callers keep x and
// y inside the grid.
CellCode* CellAt(LadderBoard* board, int x, int y);

// Lays the poles and draws the rungs from the random source, reseeded with
// the tick count.
void GenerateLadder(LadderBoard* board);

void StartPlay(LadderBoard* board);

WindowBinding* CreateBinding();
HWND* GetWindowRef(const WindowBinding* binding);
HINSTANCE* GetInstanceRef(const WindowBinding* binding);
void SetWindowRef(WindowBinding* binding, HWND* window);
void SetInstanceRef(WindowBinding* binding, HINSTANCE* instance);

// DestroyBoard passes the binding to this hook, which releases whatever the
// painting cached for the board and frees the binding. Without a hook the
// board frees the binding itself.
typedef void (*BindingReleaseHook)(WindowBinding* binding);
void SetBindingReleaseHook(BindingReleaseHook hook);
