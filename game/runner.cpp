// How a runner walks the ladder: down poles, across every rung whose end it
// comes down onto, one cell per step, leaving a trail of pixel points.
#include "runner.h"

int PoleColumn(const LadderBoard* board, int i) { return i * (board->gap + 1); }

int PoleX(const LadderBoard* board, int i) { return board->originX + PoleColumn(board, i) * board->cellWidth; }

POINT TrailPointOf(const LadderBoard* board, int column, int row) {
    POINT p;
    p.x = column * board->cellWidth + board->trailOffsetX + board->originX;
    p.y = row * board->cellHeight + board->trailOffsetY + board->originY;
    return p;
}

int AppendTrailPoint(Runner* runner, int x, int y) {
    if (runner->pointCount < 0 || runner->pointCount >= MAX_TRAIL_POINTS) {
        return 0;
    }
    runner->trail[runner->pointCount].x = x;
    runner->trail[runner->pointCount].y = y;
    ++runner->pointCount;
    return 1;
}

void LaunchRunner(LadderBoard* board, int i) {
    Runner& r = board->runners[i];
    r.column = PoleColumn(board, i);
    r.row = 0;
    r.status = RUNNER_MOVING;
    r.direction = DIR_DOWN;
}

namespace {

// The move a cell makes of a runner coming in with a direction. Combinations
// that a generated ladder never produces (a rung's left end reached moving
// right, its right end moving left, a rung interior reached from above, an
// empty cell) make no move at all, so a hand-built board cannot push a
// runner out of its grid.
struct Move {
    bool valid;
    int dColumn;
    int dRow;
    int direction;
    bool arrives;
};

Move MoveFor(CellCode code, int direction) {
    switch (code) {
        case CELL_TOP:
        case CELL_POLE:
            return {true, 0, 1, DIR_DOWN, false};
        case CELL_RUNG_LEFT:
            if (direction == DIR_DOWN) {
                return {true, 1, 0, DIR_RIGHT, false};
            }
            if (direction == DIR_LEFT) {
                return {true, 0, 1, DIR_DOWN, false};
            }
            break;
        case CELL_RUNG_RIGHT:
            if (direction == DIR_DOWN) {
                return {true, -1, 0, DIR_LEFT, false};
            }
            if (direction == DIR_RIGHT) {
                return {true, 0, 1, DIR_DOWN, false};
            }
            break;
        case CELL_RUNG_MID:
            if (direction == DIR_LEFT) {
                return {true, -1, 0, DIR_LEFT, false};
            }
            if (direction == DIR_RIGHT) {
                return {true, 1, 0, DIR_RIGHT, false};
            }
            break;
        case CELL_BOTTOM:
            return {true, 0, 1, direction, true};
        default:
            break;
    }
    return {false, 0, 0, direction, false};
}

}  // namespace

int StepRunner(LadderBoard* board, int i) {
    Runner& r = board->runners[i];
    if (r.status != RUNNER_MOVING || r.column < 0 || r.column >= board->gridWidth || r.row < 0 ||
        r.row >= board->gridHeight) {
        return 0;
    }
    const Move move = MoveFor(*CellAt(board, r.column, r.row), r.direction);
    if (!move.valid) {
        return 0;
    }
    const POINT p = TrailPointOf(board, r.column, r.row);
    AppendTrailPoint(&r, p.x, p.y);
    r.column += move.dColumn;
    r.row += move.dRow;
    r.direction = move.direction;
    if (move.arrives) {
        r.status = RUNNER_ARRIVED;
        return 1;
    }
    return 0;
}

void ApplyFinishRule(LadderBoard* board, int unfinished) {
    if (unfinished <= 0) {
        board->state = BOARD_DONE;
    }
}

int TickBoard(LadderBoard* board, const TickHooks* hooks) {
    if (board == nullptr || board->state != BOARD_PLAY) {
        return 0;
    }
    const TickHooks none = {nullptr, nullptr, nullptr, nullptr};
    const TickHooks& h = hooks != nullptr ? *hooks : none;
    int unfinished = board->playerCount;
    int arrivals = 0;
    for (int i = 0; i < board->playerCount; ++i) {
        const int status = board->runners[i].status;
        if (status == RUNNER_MOVING) {
            if (h.beforeStep != nullptr) {
                h.beforeStep(board, i, h.context);
            }
            const int arrived = StepRunner(board, i);
            arrivals += arrived;
            if (h.afterStep != nullptr) {
                h.afterStep(board, i, arrived, h.context);
            }
        } else if (status == RUNNER_ARRIVED) {
            --unfinished;
        } else if (h.idle != nullptr) {
            h.idle(board, i, h.context);
        }
    }
    ApplyFinishRule(board, unfinished);
    return arrivals;
}

int AdvanceRunners(LadderBoard* board) { return TickBoard(board, nullptr); }
