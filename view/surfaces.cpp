// The surfaces that the animation draws from twenty times a second. They are
// made by the first paint of a board in play and released with the board.
#include "view/view.h"

#include <cstdlib>

HDC g_ballDC = nullptr;
HGDIOBJ g_ballOldBitmap = nullptr;
HBITMAP g_ballBitmap = nullptr;
int32_t g_surfacesCached = 0;
HDC g_snapDC = nullptr;
HGDIOBJ g_snapOldBitmap = nullptr;
HBITMAP g_snapBitmap = nullptr;

namespace {

// DestroyBoard reaches the release through the board's hook, so the rules
// need not know about surfaces. Installed before main runs, so no board can
// be destroyed without it.
const bool g_hookInstalled = [] {
    SetBindingReleaseHook(ReleaseBoardSurfaces);
    return true;
}();

}  // namespace

void ReleaseBoardSurfaces(WindowBinding* binding) {
    if (binding == nullptr) {
        return;
    }
    if (g_surfacesCached == 1) {
        SelectObject(g_snapDC, g_snapOldBitmap);
        DeleteObject(g_snapBitmap);
        DeleteDC(g_snapDC);
        SelectObject(g_ballDC, g_ballOldBitmap);
        DeleteObject(g_ballBitmap);
        DeleteDC(g_ballDC);
    }
    g_snapDC = nullptr;
    g_snapOldBitmap = nullptr;
    g_snapBitmap = nullptr;
    g_ballDC = nullptr;
    g_ballOldBitmap = nullptr;
    g_ballBitmap = nullptr;
    g_surfacesCached = 0;
    free(binding);
}
