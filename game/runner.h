// Runner movement: launching, one step per tick along poles and rungs, the
// trail of pixel points, arrival, and the rule by which a board finishes.
#pragma once

#include "board.h"

// The column of pole i: i x (gap + 1).
int PoleColumn(const LadderBoard* board, int i);

// The client-area pixel x of pole i's column, from the board's origin as
// the last paint placed it. The hand, the balls and the launch taps are all
// placed from here.
int PoleX(const LadderBoard* board, int i);

// The client-area pixel through which a trail passes in cell (column, row).
POINT TrailPointOf(const LadderBoard* board, int column, int row);

// Stores (x, y) as the next trail point. Returns 0 and writes nothing when
// the trail is full.
int AppendTrailPoint(Runner* runner, int x, int y);

// Sets idle runner i moving down from the top of its own pole.
void LaunchRunner(LadderBoard* board, int i);

// One step of moving runner i; returns 1 when the runner arrived in it.
int StepRunner(LadderBoard* board, int i);

// The finish rule: once a tick has found no unfinished runner (counting as
// finished only runners that were already arrived when the tick reached
// them), the board is done.
void ApplyFinishRule(LadderBoard* board, int unfinished);

// What the board view does around the rules of a tick; any hook may be
// null. beforeStep and afterStep surround the step of a moving runner
// (arrived is 1 when the runner arrived in that step); idle is called for a
// runner that has not been launched.
struct TickHooks {
    void (*beforeStep)(LadderBoard* board, int i, void* context);
    void (*afterStep)(LadderBoard* board, int i, int arrived, void* context);
    void (*idle)(LadderBoard* board, int i, void* context);
    void* context;
};

// One tick of a board in play: runners 0 to playerCount - 1 in order, moving
// ones step, arrived ones count, then the finish rule. A runner that arrives
// in this tick was still moving when the loop met it, so the board is done
// one tick after the last arrival. Returns the number of runners that
// arrived in this tick; a board not in play (or none) is left alone.
int TickBoard(LadderBoard* board, const TickHooks* hooks);

// The tick without any drawing.
int AdvanceRunners(LadderBoard* board);
