// The 50 ms animation: the "All" sequence, one step of every moving runner
// with its trail, the balls under the arrival poles, the bobbing hand over
// the lowest idle pole, and the finish rule.
#include "resource.h"
#include "runner.h"
#include "shell/globals.h"
#include "view/view.h"

namespace {

// The time the last hand frame was drawn. One clock for the whole program:
// it is not reset for a new board, so a later game's first tick may draw the
// hand at once while the first game waits a full interval.
DWORD g_lastHandTime = 0;
bool g_handClockStarted = false;

void RestoreSnapshotStrip(const LadderBoard* board, HDC target, int i) {
    BitBlt(target, PoleX(board, i), board->originY - HAND_HEIGHT, HAND_WIDTH, HAND_HEIGHT, g_snapDC,
           HAND_WIDTH * i, 0, SRCCOPY);
}

// The ball under the arrival pole stands one pixel further left than the
// ball above a pole; row is one below the bottom cell after arrival.
void DrawArrivalBall(const LadderBoard* board, HDC target, int i) {
    const Runner& runner = board->runners[i];
    TransparentImage(target, runner.column * board->cellWidth + board->originX - 4,
                     runner.row * board->cellHeight + board->originY - 6, BALL_WIDTH, BALL_HEIGHT, g_ballDC,
                     BALL_WIDTH * i, 0, BALL_WIDTH, BALL_HEIGHT, board->transparentColor);
}

void DrawHandFrame(LadderBoard* board, HDC target, HDC hands, int i) {
    // The clock is shared by all idle runners and reset by the frame drawn,
    // so at most one hand moves per interval. The unsigned difference stays
    // right when the tick count wraps.
    const DWORD now = GetTickCount();
    if (now - g_lastHandTime <= HAND_INTERVAL_MS) {
        return;
    }
    g_lastHandTime = now;
    Runner& runner = board->runners[i];
    RestoreSnapshotStrip(board, target, i);
    TransparentImage(target, PoleX(board, i), board->originY - HAND_HEIGHT, HAND_WIDTH, HAND_HEIGHT, hands,
                     runner.handFrame * HAND_WIDTH, 0, HAND_WIDTH, HAND_HEIGHT, 0xFF00FF);
    runner.handFrame += 1;
    if (runner.handFrame > 2) {
        runner.handFrame = 0;
    }
}

// What a tick draws around the rules: the strip above a moving runner's pole
// is wiped before its step, its trail (and, on arrival, its ball) drawn
// after; an idle runner's pole gets the next hand frame when one is due.
struct TickDrawing {
    HDC target;
    HDC hands;
};

void BeforeStep(LadderBoard* board, int i, void* context) {
    RestoreSnapshotStrip(board, static_cast<TickDrawing*>(context)->target, i);
}

void AfterStep(LadderBoard* board, int i, int arrived, void* context) {
    const HDC target = static_cast<TickDrawing*>(context)->target;
    if (arrived) {
        DrawArrivalBall(board, target, i);
    }
    DrawTrail(board->runners[i], target);
}

void Idle(LadderBoard* board, int i, void* context) {
    const auto* drawing = static_cast<TickDrawing*>(context);
    DrawHandFrame(board, drawing->target, drawing->hands, i);
}

}  // namespace

void ResetAnimationClock() {
    g_handClockStarted = false;
    g_lastHandTime = 0;
}

void AnimationTick(LadderBoard* board, HDC* dc) {
    if (!g_handClockStarted) {
        g_handClockStarted = true;
        g_lastHandTime = GetTickCount();
    }
    if (board == nullptr || board->state != BOARD_PLAY) {
        return;
    }
    HDC target = *dc;

    HINSTANCE* instance = GetInstanceRef(board->binding);
    HBITMAP handBitmap = LoadBitmapW(instance != nullptr ? *instance : nullptr, MAKEINTRESOURCEW(IDB_HAND));
    HDC hands = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(hands, handBitmap);

    TickDrawing drawing = {target, hands};
    const TickHooks hooks = {BeforeStep, AfterStep, Idle, &drawing};
    TickBoard(board, &hooks);

    SelectObject(hands, previous);
    DeleteObject(handBitmap);
    DeleteDC(hands);
}

void CALLBACK OnAnimationTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD time) {
    (void)msg;
    (void)id;
    (void)time;
    // The timer only runs while a board exists, but a board that could not
    // be created leaves none; the sequence then waits rather than reading it.
    if (g_allActive > 0 && g_board != nullptr) {
        if (g_allNext >= g_board->playerCount) {
            g_allActive = 0;
            g_allNext = 0;
        } else {
            if (g_board->runners[g_allNext].status == RUNNER_IDLE) {
                LaunchRunner(g_board, g_allNext);
            }
            g_allNext += 1;
        }
    }
    HDC dc = GetDC(hwnd);
    AnimationTick(g_board, &dc);
    ReleaseDC(hwnd, dc);
}
