// Helpers shared by the ladder tests: hand-built boards and grid checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board.h"
#include "runner.h"
#include "runtime/runtime_control.h"

// A ladder generated as the game generates one at that millisecond.
inline LadderBoard* GeneratedAt(uint64_t ms, int players, int height = 14) {
    LadderBoard* b = CreateBoard(players, 2, height);
    rt::UseVirtualClock(ms);
    GenerateLadder(b);
    rt::UseRealClock();
    return b;
}

// A board whose grid is written from rows of characters: T top, B bottom,
// | pole, L rung left end, R rung right end, = rung interior, . empty.
inline LadderBoard* BoardFromRows(int players, int gap, const std::vector<std::string>& rows) {
    LadderBoard* b = CreateBoard(players, gap, static_cast<int>(rows.size()));
    if (b == nullptr) {
        return nullptr;
    }
    b->cellWidth = 10;
    b->cellHeight = 15;
    b->originX = 40;
    b->originY = 35;
    for (int y = 0; y < b->gridHeight; ++y) {
        for (int x = 0; x < b->gridWidth; ++x) {
            CellCode code = CELL_EMPTY;
            switch (rows[y][x]) {
                case 'T': code = CELL_TOP; break;
                case 'B': code = CELL_BOTTOM; break;
                case '|': code = CELL_POLE; break;
                case 'L': code = CELL_RUNG_LEFT; break;
                case 'R': code = CELL_RUNG_RIGHT; break;
                case '=': code = CELL_RUNG_MID; break;
                default: break;
            }
            *CellAt(b, x, y) = code;
        }
    }
    b->state = BOARD_PLAY;
    return b;
}
