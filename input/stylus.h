// The stylus: taps on pole heads that launch runners, and the scribble pad
// in the band below the ladder.
#pragma once

#include "windows.h"

// Element 0 is the stroke's last point, element 1 the end of the segment
// being drawn; laid out as the point array Polyline takes.
extern POINT g_scribblePoints[2];
// 1 while a stroke is armed.
extern int32_t g_penDown;

// 1 when the tap launched a runner, else 0.
int OnLButtonDown(LPARAM position);
int OnMouseMove(HWND hwnd, LPARAM position);
int OnLButtonUp();
