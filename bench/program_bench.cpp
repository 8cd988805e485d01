// The program's hot paths: one animation tick with eight runners on the
// move, and a paint of the whole board with long trails. Budgets on the
// development machine: a tick at most 8 us, a paint at most 60 us (whose
// floor is one 240 x 294 copy and 308 colour-keyed tiles). The timer's tick
// adds what the window manager does for it: a DC of the window, clipped to
// what shows of it, taken and given back.

#include <benchmark/benchmark.h>

#include "board.h"
#include "user/host.h"
#include "runner.h"
#include "runtime/runtime_control.h"
#include "user/user.h"
#include "view/view.h"
#include "windows.h"

// The benchmark has no host of its own: the window manager gets a seam that
// shows nothing and never waits.
namespace host {
void Present(const uint32_t*, int, int, int, int) {}
bool WaitEvent(uint64_t, Event*) { return false; }
void RaiseWindow() {}
void SetIcon(const uint32_t*, const uint8_t*, int, int) {}
}  // namespace host

namespace {

HWND g_benchWindow = nullptr;
HINSTANCE g_benchInstance = reinterpret_cast<HINSTANCE>(0x400000);

// An eight-player board in play in a real window, painted once so that the
// cached surfaces exist, as StartNewGame leaves it.
LadderBoard* MakeBoardInPlay() {
    if (g_benchWindow == nullptr) {
        rt::UseVirtualClock(1000000);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = g_benchInstance;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = u"BENCH";
        RegisterClassW(&wc);
        g_benchWindow = CreateWindowExW(0, u"BENCH", u"Bench", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_benchInstance, nullptr);
    }
    LadderBoard* board = CreateBoard(8, 2, 14);
    SetWindowRef(board->binding, &g_benchWindow);
    SetInstanceRef(board->binding, &g_benchInstance);
    board->transparentColor = 0xFF00FF;
    board->cellWidth = 10;
    board->cellHeight = 15;
    GenerateLadder(board);
    StartPlay(board);
    HDC dc = GetDC(g_benchWindow);
    PaintBoard(board, &dc);
    ReleaseDC(g_benchWindow, dc);
    return board;
}

// Puts every runner that has arrived back at the top of its pole, so that
// all eight keep moving; their trails start again, as in a game.
void KeepAllMoving(LadderBoard* board) {
    board->state = BOARD_PLAY;
    for (int i = 0; i < board->playerCount; ++i) {
        Runner& r = board->runners[i];
        if (r.status != RUNNER_MOVING) {
            r.status = RUNNER_IDLE;
            r.pointCount = 0;
            LaunchRunner(board, i);
        }
    }
}

void BM_AnimationTickEightMoving(benchmark::State& state) {
    LadderBoard* board = MakeBoardInPlay();
    KeepAllMoving(board);
    HDC dc = GetDC(g_benchWindow);
    for (auto _ : state) {
        AnimationTick(board, &dc);
        KeepAllMoving(board);
        benchmark::ClobberMemory();
    }
    ReleaseDC(g_benchWindow, dc);
    DestroyBoard(board);
}
BENCHMARK(BM_AnimationTickEightMoving);

void BM_TimerTickEightMoving(benchmark::State& state) {
    LadderBoard* board = MakeBoardInPlay();
    KeepAllMoving(board);
    for (auto _ : state) {
        HDC dc = GetDC(g_benchWindow);
        AnimationTick(board, &dc);
        ReleaseDC(g_benchWindow, dc);
        KeepAllMoving(board);
        benchmark::ClobberMemory();
    }
    DestroyBoard(board);
}
BENCHMARK(BM_TimerTickEightMoving);

void BM_PaintBoardWholeWindow(benchmark::State& state) {
    LadderBoard* board = MakeBoardInPlay();
    // Long trails: every runner walked to the bottom.
    for (int i = 0; i < board->playerCount; ++i) {
        LaunchRunner(board, i);
    }
    while (board->state == BOARD_PLAY) {
        AdvanceRunners(board);
    }
    HDC dc = GetDC(g_benchWindow);
    for (auto _ : state) {
        PaintBoard(board, &dc);
        benchmark::ClobberMemory();
    }
    ReleaseDC(g_benchWindow, dc);
    DestroyBoard(board);
}
BENCHMARK(BM_PaintBoardWholeWindow);

}  // namespace
