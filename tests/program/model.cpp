#include "model.h"

#include "runner.h"
#include "runtime/runtime_control.h"

namespace progtest {

GameModel::~GameModel() { DestroyBoard(board); }

void BuildModel(GameModel& model, int players, uint64_t clockMs) {
    DestroyBoard(model.board);
    rt::UseVirtualClock(clockMs);
    model.board = CreateBoard(players, 2, 14);
    model.board->transparentColor = 0xFF00FF;
    model.board->cellWidth = 10;
    model.board->cellHeight = 15;
    GenerateLadder(model.board);
    StartPlay(model.board);
    model.board->originX = (240 - model.board->gridWidth * model.board->cellWidth) / 2;
    model.board->originY = 35;
    model.arrivalTick.assign(players, 0);
    model.doneTick = 0;
    model.ticks = 0;
}

void RunAllTicks(GameModel& model, int ticks) {
    LadderBoard* board = model.board;
    for (int n = 0; n < ticks; ++n) {
        const int tick = ++model.ticks;
        const int next = tick - 1;
        if (next < board->playerCount && board->runners[next].status == RUNNER_IDLE) {
            LaunchRunner(board, next);
        }
        const bool wasPlaying = board->state == BOARD_PLAY;
        int before[MAX_RUNNERS];
        for (int i = 0; i < board->playerCount; ++i) {
            before[i] = board->runners[i].status;
        }
        AdvanceRunners(board);
        for (int i = 0; i < board->playerCount; ++i) {
            if (before[i] != RUNNER_ARRIVED && board->runners[i].status == RUNNER_ARRIVED) {
                model.arrivalTick[i] = tick;
            }
        }
        if (wasPlaying && board->state == BOARD_DONE && model.doneTick == 0) {
            model.doneTick = tick;
        }
    }
}

std::vector<POINT> TrailOf(const GameModel& model, int i) {
    const Runner& r = model.board->runners[i];
    return std::vector<POINT>(r.trail, r.trail + r.pointCount);
}

}  // namespace progtest
