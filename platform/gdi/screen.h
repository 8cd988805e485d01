// The device screen as the window manager sees it: one 240 x 320 surface that
// every window DC draws into, with the part changed since the last present.
#pragma once

#include <cstdint>

#include "region.h"
#include "screen_size.h"
#include "windows.h"

namespace gdi {

// 0x00RRGGBB pixels, row after row, kScreenWidth per row.
uint32_t* ScreenPixels();

// The bounding rectangle of everything drawn on the screen since the last
// call (all zero when nothing was), and a fresh start.
RECT TakeScreenDirtyRect();

// A device context onto the screen for a window: origin is the window's
// client origin in screen pixels, clip the region (in screen pixels) that the
// DC may draw into. Released with ReleaseScreenDC, never with DeleteDC.
HDC CreateScreenDC(POINT origin, const Region& clip);
void SetScreenDCClip(HDC hdc, const Region& clip);
BOOL ReleaseScreenDC(HDC hdc);

}  // namespace gdi
