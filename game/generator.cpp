// The random ladder: poles every gap + 1 columns, and rungs drawn pair by
// pair from the left, top to bottom within a pair, one random draw per try.
#include "board.h"
#include "runtime/crt.h"

namespace {

// The step to the next rung: r scaled to 0..5 in double precision, in this
// exact order, so that the same seed always gives the same ladder.
int DrawStep() {
    int r = crt::rand();
    return static_cast<int>(static_cast<double>(r) * (1.0 / 32767.0) * 5.0);
}

void LayPoles(LadderBoard* board) {
    const int w = board->gridWidth;
    const int h = board->gridHeight;
    for (int x = 0; x < w; x += board->gap + 1) {
        for (int y = 0; y < h; ++y) {
            CellCode code = CELL_POLE;
            if (y == 0) {
                code = CELL_TOP;
            } else if (y == h - 1) {
                code = CELL_BOTTOM;
            }
            *CellAt(board, x, y) = code;
        }
    }
}

void DrawRungsOfPair(LadderBoard* board, int x) {
    const int h = board->gridHeight;
    const int g = board->gap;
    int y = 0;
    for (;;) {
        int d = DrawStep();
        if (y > 0 && d < 2) {
            d = 2;
        }
        y += d;
        // Skip the top and bottom caps and every row where the previous pair's
        // rung already ends on this pole: no pole cell ends two rungs.
        while (y < h && *CellAt(board, x, y) != CELL_POLE) {
            ++y;
        }
        if (y >= h) {
            return;
        }
        *CellAt(board, x, y) = CELL_RUNG_LEFT;
        for (int k = 1; k <= g; ++k) {
            *CellAt(board, x + k, y) = CELL_RUNG_MID;
        }
        *CellAt(board, x + g + 1, y) = CELL_RUNG_RIGHT;
    }
}

}  // namespace

void GenerateLadder(LadderBoard* board) {
    const int w = board->gridWidth;
    for (int i = 0; i < w * board->gridHeight; ++i) {
        board->cells[i] = CELL_EMPTY;
    }
    LayPoles(board);
    crt::srand(GetTickCount());
    if (w - 1 < 1) {
        return;
    }
    for (int x = 0; x < w - 1; x += board->gap + 1) {
        DrawRungsOfPair(board, x);
    }
}
