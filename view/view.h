// The board view: painting the title picture, the ladder, the balls and the
// trails; the surfaces cached for the animation; the 50 ms animation tick
// with the hand pointer and the "All" sequence.
#pragma once

#include "board.h"
#include "windows.h"

constexpr int HAND_WIDTH = 11;
constexpr int HAND_HEIGHT = 15;
constexpr int BALL_WIDTH = 16;
constexpr int BALL_HEIGHT = 16;

// The top of the grid in client pixels.
constexpr int BOARD_TOP = 35;

// A new hand frame only after more than this many milliseconds.
constexpr DWORD HAND_INTERVAL_MS = 500;

// The surfaces that live as long as the current board: the ball sprites and
// the snapshot of the strip above each pole head, from which the animation
// erases the hand pointer.
extern HDC g_ballDC;
extern HGDIOBJ g_ballOldBitmap;
extern HBITMAP g_ballBitmap;
extern int32_t g_surfacesCached;
extern HDC g_snapDC;
extern HGDIOBJ g_snapOldBitmap;
extern HBITMAP g_snapBitmap;

struct PaintContext {
    HDC dc;
};

// Paints the whole board into the context that *dc holds. The board's
// binding must refer to the main window and the instance while it runs.
void PaintBoard(LadderBoard* board, HDC* dc);
void PaintLadder(LadderBoard* board, PaintContext* context, int x0, int y0);
void ReleaseBoardSurfaces(WindowBinding* binding);

// A runner's trail as one polyline in its colour and pen width.
void DrawTrail(const Runner& runner, HDC target);

void CALLBACK OnAnimationTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
void AnimationTick(LadderBoard* board, HDC* dc);
// The hand's clock as at start-up: the next tick starts it afresh.
void ResetAnimationClock();
