// The ladder rules: generating an eight-player ladder and playing a whole
// game without drawing. Budgets on the project machine: generation under
// 2 us, a whole game under 10 us.
#include <benchmark/benchmark.h>

#include "board.h"
#include "runner.h"

static void BM_GenerateLadder8x14(benchmark::State& state) {
    LadderBoard* board = CreateBoard(8, 2, 14);
    for (auto _ : state) {
        GenerateLadder(board);
        benchmark::DoNotOptimize(board->cells);
    }
    DestroyBoard(board);
}
BENCHMARK(BM_GenerateLadder8x14);

static void BM_WholeGame8Players(benchmark::State& state) {
    for (auto _ : state) {
        LadderBoard* board = CreateBoard(8, 2, 14);
        board->cellWidth = 10;
        board->cellHeight = 15;
        GenerateLadder(board);
        StartPlay(board);
        for (int i = 0; i < 8; ++i) {
            LaunchRunner(board, i);
        }
        while (board->state == BOARD_PLAY) {
            AdvanceRunners(board);
        }
        benchmark::DoNotOptimize(board->runners[7].column);
        DestroyBoard(board);
    }
}
BENCHMARK(BM_WholeGame8Players);
