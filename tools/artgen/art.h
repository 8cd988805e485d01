// The program's pictures, each drawn by one function. Sizes, the order of the
// tiles and frames, the bar positions and the magenta key are what the game
// relies on; everything else is a matter of taste.
#pragma once

#include "image.h"

namespace art {

// The runners' colours, runner 0 to 7, as 0xRRGGBB.
extern const uint32_t kRunnerColours[8];

Image DrawTiles();   // 60 x 15: TOP, BOTTOM, POLE, RUNG_LEFT, RUNG_MID, RUNG_RIGHT
Image DrawBalls();   // 128 x 32: runner balls above, the same balls in white below
Image DrawHands();   // 33 x 15: three frames, fingertip on rows 14, 10 and 6
Image DrawLogo();    // 80 x 18: the maker's name for the About box
Image DrawIcon(int size);  // 32 or 16, magenta transparent
Image DrawTitle(const Image& tiles, const Image& balls);  // 240 x 295

// The icon for desktop menus as an RGBA PNG of size x size pixels.
std::vector<uint8_t> DesktopIconPng(int size);

// The web page's icon: the 32-pixel game icon enlarged to size x size by
// whole pixels, its magenta transparent, as an RGBA PNG.
std::vector<uint8_t> WebIconPng(const Image& icon32, int size);

// One image of a Windows icon: an 8-bit picture keyed by magenta, or a PNG
// (a desktop icon) taken as it is.
struct IconImage {
    Image keyed;
    std::vector<uint8_t> png;
    int size = 0;
};
// A Windows .ico file of the images in the order given.
std::vector<uint8_t> WindowsIcon(const std::vector<IconImage>& images);

}  // namespace art
