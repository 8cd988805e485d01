// Decoding of the BMP files that the resources embed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "windows.h"

namespace gdi {

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// A BMP file (starting "BM") or a bare DIB (starting with its info header):
// 1, 4, 8, 24 and 32 bits per pixel, uncompressed (BI_RGB, or BI_BITFIELDS
// with the usual 8-bit masks for 32 bits), bottom-up or top-down. Every
// offset and size is checked against the data; anything else is refused.
bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* image);

// A bitmap object holding the decoded picture, or null when the picture is
// larger than any bitmap may be. The window manager's LoadBitmapW and the
// program's own surfaces are made this way.
HBITMAP CreateBitmapFromImage(DecodedImage image);

// As CreateBitmapFromImage, but the bitmap reads the image's pixels where
// they are until it is first drawn into, and only then takes a copy of its
// own. The image must stay, unchanged, for as long as any such bitmap lives:
// it is meant for pictures decoded once and kept for the whole run.
HBITMAP CreateBitmapSharingImage(const DecodedImage& image);

}  // namespace gdi
