// Read access to the pixels behind a device context or a bitmap, for tests,
// screenshots and hosts. The pointers stay valid until the bitmap is deleted
// or, for a DC, until another bitmap is selected into it; a bitmap loaded
// from a resource may also move its pixels when it is first drawn into.
#pragma once

#include <cstdint>

#include "windows.h"

namespace gdi {

struct SurfaceView {
    const uint32_t* pixels = nullptr;  // 0x00RRGGBB, width per row
    int width = 0;
    int height = 0;
};

// A memory DC gives its selected bitmap, a screen DC the whole screen.
bool GetDcSurface(HDC hdc, SurfaceView* view);
bool GetBitmapSurface(HBITMAP bitmap, SurfaceView* view);

}  // namespace gdi
