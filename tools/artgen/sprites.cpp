// The small sprites, pixel by pixel: every pixel of a tile, ball or hand is
// placed by hand here, because at this size a rasteriser's guess shows.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace art {

const uint32_t kRunnerColours[8] = {
    0xFF0000, 0xFF9900, 0xFFFF00, 0x33CC00, 0x00CCFF, 0x0000FF, 0xCC00FF, 0xCCCCCC,
};

namespace {

constexpr uint32_t kCapYellow = 0xFFD21E;
constexpr uint32_t kCapYellowLight = 0xFFF0A0;
constexpr uint32_t kCapYellowDark = 0xE0A000;
constexpr uint32_t kCapBlue = 0x2F6BE8;
constexpr uint32_t kCapBlueLight = 0x9CC0FF;
constexpr uint32_t kCapBlueDark = 0x1D47A8;

using Rows = std::vector<std::string>;

const Rows kPoleRows(15, "..#####...");

// A pole's cap: an outlined block of one colour, lit on the left and dark at
// its lower corners, six rows from the given one.
Rows TileCap(size_t first, char colour) {
    const Rows cap = {"..#####...", ".#lCCCC#..", ".#lCCCC#..", ".#CCCCC#..", ".#dCCCd#..", "..#####..."};
    Rows r = kPoleRows;
    for (size_t i = 0; i < cap.size(); ++i) {
        r[first + i] = cap[i];
        std::replace(r[first + i].begin(), r[first + i].end(), 'C', colour);
    }
    return r;
}

Rows TileTop() { return TileCap(0, 'Y'); }

Rows TileBottom() { return TileCap(9, 'B'); }

// A rung end: the pole with a round white joint, 7 pixels across, centred on
// the crossing of the two bars, and the rung leaving on one side.
Rows TileRungEnd(bool rungToRight) {
    Rows r = kPoleRows;
    if (rungToRight) {
        r[5] = "..#WWW####";
        r[6] = ".#WWWWW###";
        r[7] = ".#WWWWW###";
        r[8] = ".#WWWWW###";
        r[9] = "..#WWW####";
    } else {
        r[5] = "###WWW#...";
        r[6] = "##WWWWW#..";
        r[7] = "##WWWWW#..";
        r[8] = "##WWWWW#..";
        r[9] = "###WWW#...";
    }
    return r;
}

Rows TileRungMid() {
    Rows r(15, "..........");
    for (int y = 5; y <= 9; ++y) r[y] = "##########";
    return r;
}

// The outline of a disc 15 pixels across: the first and last column of each
// row, rows 0 to 14. Symmetric, with the flat runs a circle of this size needs
// to look round rather than octagonal.
const int kDiscSpan[15][2] = {
    {5, 9}, {3, 11}, {2, 12}, {1, 13}, {1, 13}, {0, 14}, {0, 14}, {0, 14},
    {0, 14}, {0, 14}, {1, 13}, {1, 13}, {2, 12}, {3, 11}, {5, 9},
};

bool OnDisc(int x, int y) { return y >= 0 && y < 15 && x >= kDiscSpan[y][0] && x <= kDiscSpan[y][1]; }

bool OnOutline(int x, int y) {
    if (!OnDisc(x, y)) return false;
    return !OnDisc(x - 1, y) || !OnDisc(x + 1, y) || !OnDisc(x, y - 1) || !OnDisc(x, y + 1);
}

// Digits 1 to 8, 5 x 7, with doubled strokes where a single pixel would
// vanish against a dark fill.
const Rows kDigits[8] = {
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
};

void DrawBall(Image& img, int ox, int oy, uint32_t fill, int digit) {
    const uint32_t light = Mix(fill, kWhite, 0.55);
    const uint32_t shade = Mix(fill, kBlack, 0.18);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            if (!OnDisc(x, y)) continue;
            uint32_t c = fill;
            if (OnOutline(x, y)) {
                c = kBlack;
            } else if (OnOutline(x + 1, y + 1) && x + y >= 16) {
                // A rim of shade along the lower right, inside the outline.
                c = shade;
            }
            img.Set(ox + x, oy + y, c);
        }
    }
    // A small highlight in the upper left, clear of the digit.
    img.Set(ox + 4, oy + 2, light);
    img.Set(ox + 5, oy + 2, light);
    img.Set(ox + 3, oy + 3, light);
    img.Set(ox + 3, oy + 4, light);
    // A black digit all but vanishes on the darkest fill (pure blue), so
    // there each stroke gets a one-pixel rim of a pale tint of the fill: pale
    // enough for the black to stand out at 1x, few enough pixels that the
    // ball still reads as blue.
    const double luma = 0.299 * double((fill >> 16) & 0xFF) + 0.587 * double((fill >> 8) & 0xFF) +
                        0.114 * double(fill & 0xFF);
    const Rows& glyph = kDigits[digit - 1];
    if (luma < 50) {
        const uint32_t halo = Mix(fill, kWhite, 0.75);
        auto inked = [&](int gx, int gy) {
            return gy >= 0 && gy < int(glyph.size()) && gx >= 0 && gx < int(glyph[gy].size()) && glyph[gy][gx] == '#';
        };
        for (int gy = -1; gy <= int(glyph.size()); ++gy) {
            for (int gx = -1; gx <= 5; ++gx) {
                const bool near = inked(gx - 1, gy) || inked(gx + 1, gy) || inked(gx, gy - 1) || inked(gx, gy + 1);
                if (!inked(gx, gy) && near && OnDisc(5 + gx, 4 + gy) && !OnOutline(5 + gx, 4 + gy)) {
                    img.Set(ox + 5 + gx, oy + 4 + gy, halo);
                }
            }
        }
    }
    Stamp(img, ox + 5, oy + 4, glyph, "#", {kBlack});
}

}  // namespace

Image DrawTiles() {
    Image img(60, 15, kMagenta);
    const Rows tiles[6] = {TileTop(), TileBottom(), kPoleRows, TileRungEnd(true), TileRungMid(),
                           TileRungEnd(false)};
    for (int t = 0; t < 6; ++t) {
        uint32_t fill = t == 1 ? kCapBlue : kCapYellow;
        uint32_t light = t == 1 ? kCapBlueLight : kCapYellowLight;
        uint32_t dark = t == 1 ? kCapBlueDark : kCapYellowDark;
        Stamp(img, 10 * t, 0, tiles[t], "#WYlBd", {kBlack, kWhite, fill, light, fill, dark});
    }
    return img;
}

Image DrawBalls() {
    Image img(128, 32, kMagenta);
    for (int k = 0; k < 8; ++k) {
        DrawBall(img, 16 * k, 0, kRunnerColours[k], k + 1);
        DrawBall(img, 16 * k, 16, kWhite, k + 1);
    }
    return img;
}

Image DrawHands() {
    // A white glove on a sleeve that reaches down from above the strip, the
    // index finger pointing straight down under column 4, the middle of the
    // pole bar. Drawn with the fingertip on row 14; the higher frames are the
    // same picture moved up, so the sleeve runs off the top edge as an arm
    // would.
    const Rows hand = {
        ".#sSsssss#.",
        ".#sSsssss#.",
        ".#sSsssss#.",
        ".#sSsssss#.",
        ".#sSsssss#.",
        ".#########.",
        ".#ccccccc#.",
        "#WWWWWWWWW#",
        "#WWWWWWWgW#",
        "#WWWWW#W#W#",
        "#WWWWW#g#g#",
        ".##WWg#####",
        "..#WWg#....",
        "..#WWg#....",
        "...###.....",
    };
    Image img(33, 15, kMagenta);
    for (int f = 0; f < 3; ++f) {
        Image frame(11, 15, kMagenta);
        Stamp(frame, 0, -4 * f, hand, "#WgcsS", {kBlack, kWhite, 0xC4C8D4, 0xDDE2EC, 0x3A56B0, 0x6F8AE0});
        img.Paste(frame, 11 * f, 0);
    }
    return img;
}

}  // namespace art
