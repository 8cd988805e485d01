// Creation, destruction and cell addressing of the ladder board.
#include "board.h"

#include <climits>
#include <cstdlib>

const COLORREF g_runnerColors[MAX_RUNNERS] = {
    0x0000FF,  // red
    0x0099FF,  // orange
    0x00FFFF,  // yellow
    0x00CC33,  // green
    0xFFCC00,  // sky blue
    0xFF0000,  // blue
    0xFF00CC,  // violet
    0xCCCCCC,  // light grey
};

namespace {

BindingReleaseHook g_bindingReleaseHook = nullptr;

// No real ladder comes near this; it only keeps a wild argument from
// overflowing the size arithmetic or asking for gigabytes.
constexpr long long kMaxGridCells = 1LL << 24;

}  // namespace

void SetBindingReleaseHook(BindingReleaseHook hook) { g_bindingReleaseHook = hook; }

LadderBoard* CreateBoard(int playerCount, int gap, int height) {
    // Every loop over runners trusts playerCount, and there are only eight
    // records: a larger count yields no board rather than a board that reads
    // past its runners.
    if (playerCount < 1 || playerCount > MAX_RUNNERS) {
        return nullptr;
    }
    int rows = height > 2 ? height : 20 * playerCount;
    int spacing = gap < 1 ? 1 : gap;
    long long columns = (static_cast<long long>(spacing) + 1) * (playerCount - 1) + 1;
    if (columns * rows > kMaxGridCells) {
        return nullptr;
    }

    auto* board = static_cast<LadderBoard*>(calloc(1, sizeof(LadderBoard)));
    if (board == nullptr) {
        return nullptr;
    }
    board->playerCount = playerCount;
    board->gridHeight = rows;
    board->gap = spacing;
    board->gridWidth = static_cast<int32_t>(columns);
    board->cells = static_cast<CellCode*>(calloc(static_cast<size_t>(columns * rows), 1));
    board->binding = CreateBinding();
    if (board->cells == nullptr || board->binding == nullptr) {
        free(board->cells);
        free(board->binding);
        free(board);
        return nullptr;
    }
    board->trailOffsetX = 4;
    board->trailOffsetY = 7;
    for (int i = 0; i < MAX_RUNNERS; ++i) {
        Runner& r = board->runners[i];
        r.index = i;
        r.column = 0;
        r.row = 0;
        r.penWidth = 3;
        r.color = g_runnerColors[i];
        r.status = RUNNER_IDLE;
    }
    return board;
}

void DestroyBoard(LadderBoard* board) {
    if (board == nullptr) {
        return;
    }
    free(board->cells);
    board->cells = nullptr;
    if (g_bindingReleaseHook != nullptr) {
        g_bindingReleaseHook(board->binding);
    } else {
        free(board->binding);
    }
    board->binding = nullptr;
    free(board);
}

CellCode* CellAt(LadderBoard* board, int x, int y) {
    if (board == nullptr) {
        return nullptr;
    }
    return board->cells + static_cast<ptrdiff_t>(y) * board->gridWidth + x;
}

void StartPlay(LadderBoard* board) { board->state = BOARD_PLAY; }

WindowBinding* CreateBinding() { return static_cast<WindowBinding*>(calloc(1, sizeof(WindowBinding))); }

HWND* GetWindowRef(const WindowBinding* binding) { return binding->window; }

HINSTANCE* GetInstanceRef(const WindowBinding* binding) { return binding->instance; }

void SetWindowRef(WindowBinding* binding, HWND* window) { binding->window = window; }

void SetInstanceRef(WindowBinding* binding, HINSTANCE* instance) { binding->instance = instance; }
