// Launch taps and the scribble pad. A pen-down does anything only while a
// game is in play; a stroke, once armed, draws until the pen is lifted.
#include "input/stylus.h"

#include "intro/intro.h"
#include "runner.h"
#include "shell/globals.h"

POINT g_scribblePoints[2] = {{0, 0}, {0, 0}};
int32_t g_penDown = 0;

namespace {

// Positions arrive as two unsigned 16-bit halves of the message's word.
POINT PointOf(LPARAM position) {
    POINT p;
    p.x = LOWORD(position);
    p.y = HIWORD(position);
    return p;
}

// The band's bottom edge is the client height, which lies outside it.
bool InScribbleArea(POINT p) {
    return g_scribbleRect.left <= p.x && p.x <= g_scribbleRect.right && g_scribbleRect.top <= p.y &&
           p.y < g_scribbleRect.bottom;
}

// The box around a pole's head: the hand, the numbered ball and the pole's
// top end, all four bounds inclusive.
bool InPoleHeadBox(const LadderBoard* board, int i, POINT p) {
    const int left = PoleX(board, i) - 5;
    const int top = board->originY - 20;
    return left <= p.x && p.x <= left + board->cellWidth + 10 && top <= p.y && p.y <= top + board->cellHeight + 30;
}

}  // namespace

int OnLButtonDown(LPARAM position) {
    LadderBoard* board = g_board;
    if (board == nullptr || board->state != BOARD_PLAY) {
        return 0;
    }
    const POINT p = PointOf(position);
    for (int i = 0; i < board->playerCount; ++i) {
        if (!InPoleHeadBox(board, i, p)) {
            continue;
        }
        HideIntroPanel();
        if (board->runners[i].status == RUNNER_IDLE) {
            LaunchRunner(board, i);
            return 1;
        }
        // A runner already on its way: the tap goes on to the next box and
        // then to the pad.
    }
    // The strip along the top of the window arms no stroke. A stroke armed
    // there could draw only once it reached the pad, and its first segment
    // would then cut across the whole ladder from the top of the screen.
    if (InScribbleArea(p)) {
        g_scribblePoints[0] = p;
        g_penDown = 1;
    }
    return 0;
}

int OnMouseMove(HWND hwnd, LPARAM position) {
    if (g_penDown != 1) {
        return 0;
    }
    const POINT p = PointOf(position);
    if (!InScribbleArea(p)) {
        // The last point stays, so a stroke that comes back is joined by one
        // straight segment from where it left.
        return 0;
    }
    g_scribblePoints[1] = p;
    // The device context's own pen is the one-pixel black pen the pad draws
    // with; the segment goes straight to the screen and is not kept.
    HDC dc = GetDC(hwnd);
    Polyline(dc, g_scribblePoints, 2);
    ReleaseDC(hwnd, dc);
    g_scribblePoints[0] = p;
    return 0;
}

int OnLButtonUp() {
    g_penDown = 0;
    return 0;
}
