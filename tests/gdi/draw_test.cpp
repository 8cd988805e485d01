// Drawing: BitBlt, TransparentImage and FillRect clipped at the edges of
// both surfaces and of the DC's clip, from negative and far-away
// coordinates, keyed copies and the screen's dirty rectangle; Polyline,
// whose cosmetic lines leave out their last point and whose wide pens draw
// round strokes that do not depend on the drawing direction and leave no
// gaps. Last, a sample scene drawn the way the game draws its board and
// intro panel (ladder tiles from FillRect, numbered balls, 3-pixel trails in
// the runner colours and the outlined intro text), written to the build
// directory as sample_scene.png for a person to look at and compared with
// its reference.

#include <gtest/gtest.h>

#include <random>

#include "gdi_test_support.h"

namespace {

using namespace gdi_test;

const COLORREF kMagenta = RGB(255, 0, 255);

// A 10 x 10 sprite: a magenta background with a green disc-like blob, a red
// top-left pixel and a blue bottom-right one, so that orientation and
// off-by-one errors show.
void PaintSprite(const Canvas& sprite) {
    sprite.Fill(kMagenta);
    FillDc(sprite.dc, RECT{2, 1, 8, 9}, RGB(0, 160, 0));
    FillDc(sprite.dc, RECT{1, 2, 9, 8}, RGB(0, 160, 0));
    FillDc(sprite.dc, RECT{4, 4, 6, 6}, RGB(255, 255, 0));
    SetPixel(sprite.dc, 0, 0, RGB(255, 0, 0));
    SetPixel(sprite.dc, 9, 9, RGB(0, 0, 255));
}

TEST(BitBlt, EdgesAndNegativeCoordinatesGolden) {
    Canvas sprite(10, 10), canvas(40, 30, RGB(200, 200, 200));
    PaintSprite(sprite);
    // Hanging over each edge and each corner, from negative and positive sides.
    const POINT at[] = {{-4, -3}, {15, -6}, {34, -2}, {-7, 10}, {35, 12}, {-3, 24}, {16, 25}, {33, 23}, {15, 10}};
    for (const POINT& p : at) EXPECT_TRUE(BitBlt(canvas.dc, p.x, p.y, 10, 10, sprite.dc, 0, 0, SRCCOPY));
    // Source rectangles that start before the source and run past its end:
    // only the part that exists is copied; the rest of the target stays.
    EXPECT_TRUE(BitBlt(canvas.dc, 1, 12, 10, 10, sprite.dc, -5, -5, SRCCOPY));
    EXPECT_TRUE(BitBlt(canvas.dc, 26, 12, 10, 10, sprite.dc, 6, 6, SRCCOPY));
    EXPECT_TRUE(MatchesGolden("blit_edges", canvas.pixels(), canvas.width, canvas.height));
}

TEST(BitBlt, DegenerateAndFarAwayCallsChangeNothing) {
    Canvas a(8, 8, RGB(0, 0, 0)), b(8, 8, RGB(255, 255, 255));
    for (int width : {0, -8}) EXPECT_TRUE(BitBlt(a.dc, 0, 0, width, 8, b.dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 8, 8, b.dc, 0, 0, 0x00EE0086 /* SRCPAINT */));
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 8, 8, reinterpret_cast<HDC>(b.bitmap), 0, 0, SRCCOPY));
    // Coordinates whose sums overflow 32 bits must still clip to nothing.
    EXPECT_TRUE(BitBlt(a.dc, INT32_MAX - 2, INT32_MIN + 2, INT32_MAX, INT32_MAX, b.dc, INT32_MIN, 0, SRCCOPY));
    // A keyed copy stretched from far outside must not overflow in its
    // source offset arithmetic (the sanitizer build checks); all of it is
    // keyed out here. Sizes below one fail.
    EXPECT_TRUE(TransparentImage(a.dc, INT32_MIN + 10, INT32_MIN + 10, INT32_MAX, INT32_MAX, b.dc, 0, 0, 2, 2,
                                 RGB(255, 255, 255)));
    EXPECT_FALSE(TransparentImage(a.dc, 0, 0, -2, 2, b.dc, 0, 0, 2, 2, kMagenta));
    EXPECT_FALSE(TransparentImage(a.dc, 0, 0, 2, 2, b.dc, 0, 0, 0, 2, kMagenta));
    RECT inverted{6, 6, 2, 2};
    EXPECT_TRUE(FillRect(a.dc, &inverted, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    EXPECT_FALSE(FillRect(a.dc, nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    EXPECT_EQ(SetPixel(a.dc, 8, 0, RGB(1, 1, 1)), CLR_INVALID);
    EXPECT_EQ(GetPixel(a.dc, -1, 0), CLR_INVALID);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(a.pixels()[i], 0u) << i;
}

TEST(TransparentImage, KeyedBlitsGolden) {
    Canvas sprite(10, 10), canvas(36, 24, RGB(90, 60, 30));
    PaintSprite(sprite);
    FillDc(canvas.dc, RECT{0, 12, 36, 24}, RGB(250, 240, 200));
    const POINT at[] = {{-3, -3}, {13, 2}, {29, 7}, {5, 17}, {22, 15}};
    for (const POINT& p : at) EXPECT_TRUE(TransparentImage(canvas.dc, p.x, p.y, 10, 10, sprite.dc, 0, 0, 10, 10, kMagenta));
    // The bitmap itself as the source, as Windows CE allows, keyed on green.
    EXPECT_TRUE(TransparentImage(canvas.dc, 14, 13, 10, 10, sprite.bitmap, 0, 0, 10, 10, RGB(0, 160, 0)));
    EXPECT_TRUE(MatchesGolden("keyed_blits", canvas.pixels(), canvas.width, canvas.height));
}

TEST(ScreenDc, ClipRegionWithAHoleGolden) {
    ClearScreen();
    // A window at (20, 30) whose visible part is its 60 x 40 client area
    // less a 20 x 12 window above it in the middle.
    gdi::Region visible(RECT{20, 30, 80, 70});
    visible.Subtract(gdi::Region(RECT{40, 44, 60, 56}));
    HDC dc = gdi::CreateScreenDC(POINT{20, 30}, visible);
    FillDc(dc, RECT{-10, -10, 100, 100}, RGB(255, 220, 120));  // everything it may touch
    Stroke(dc, {{-5, -5}, {65, 45}, {65, -5}, {-5, 45}}, 3, RGB(200, 0, 0));
    Canvas sprite(10, 10);
    PaintSprite(sprite);
    TransparentImage(dc, 25, 15, 10, 10, sprite.dc, 0, 0, 10, 10, kMagenta);
    BitBlt(dc, 52, 32, 10, 10, sprite.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(Edges(gdi::TakeScreenDirtyRect()), Edges(RECT{20, 30, 80, 70}));
    const uint32_t* screen = gdi::ScreenPixels();
    // The golden picture is the screen's top-left 100 x 80 pixels.
    std::vector<uint32_t> part;
    for (int y = 0; y < 80; ++y) part.insert(part.end(), screen + y * gdi::kScreenWidth, screen + y * gdi::kScreenWidth + 100);
    EXPECT_TRUE(MatchesGolden("screen_clip_hole", part.data(), 100, 80));

    // The window manager narrows the clip; later drawing respects it, and
    // the dirty rectangle covers only what changed.
    gdi::SetScreenDCClip(dc, gdi::Region(RECT{20, 30, 30, 40}));
    FillDc(dc, RECT{20, 20, 60, 40}, RGB(9, 9, 9));
    EXPECT_EQ(Edges(gdi::TakeScreenDirtyRect()), Edges(RECT{0, 0, 0, 0}));
    SetPixel(dc, 5, 6, RGB(1, 2, 3));
    FillDc(dc, RECT{0, 0, 3, 60}, RGB(1, 2, 3));
    EXPECT_EQ(Edges(gdi::TakeScreenDirtyRect()), Edges(RECT{20, 30, 26, 40}));
    // Reading through the screen DC honours its origin and its clip.
    EXPECT_EQ(GetPixel(dc, 0, 9), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 10, 10), CLR_INVALID);
    EXPECT_TRUE(gdi::ReleaseScreenDC(dc));
    EXPECT_FALSE(gdi::ReleaseScreenDC(dc));
}

TEST(ThinLine, AllOctantsGolden) {
    // Sixteen spokes from the centre, one in each half-octant, each ending
    // on a pixel that must stay white; plus the axes and diagonals.
    Canvas canvas(41, 41);
    const POINT ends[] = {{38, 20}, {38, 27}, {38, 38}, {27, 38}, {20, 38}, {13, 38}, {2, 38}, {2, 27},
                          {2, 20},  {2, 13},  {2, 2},   {13, 2},  {20, 2},  {27, 2},  {38, 2}, {38, 13},
                          {36, 25}, {25, 36}, {4, 15},  {15, 4}};
    for (const POINT& end : ends) {
        Stroke(canvas.dc, {{20, 20}, end}, 1, RGB(0, 0, 160));
        EXPECT_EQ(canvas.At(end.x, end.y), 0xFFFFFFu) << "end point " << end.x << "," << end.y << " drawn";
    }
    EXPECT_TRUE(MatchesGolden("thin_octants", canvas.pixels(), canvas.width, canvas.height));
}

TEST(ThinLine, EveryStepMovesToANeighbourAndReachesTheEnd) {
    // Property over random segments, with the default pen of a new DC (one
    // pixel, black): max(|dx|, |dy|) pixels from the start up to but not
    // including the end, each within half a pixel of the ideal line.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(0, 31);
    for (int round = 0; round < 300; ++round) {
        Canvas canvas(32, 32);
        POINT line[] = {{coord(rng), coord(rng)}, {coord(rng), coord(rng)}};
        const POINT a = line[0], b = line[1];
        ASSERT_TRUE(Polyline(canvas.dc, line, 2));
        auto inked = canvas.Inked();
        int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        ASSERT_EQ(int(inked.size()), steps) << "a zero-length segment draws nothing";
        EXPECT_TRUE(steps == 0 || (inked.count({a.x, a.y}) && !inked.count({b.x, b.y})));
        for (auto [x, y] : inked)  // the cross product measures the distance from the ideal line
            EXPECT_LE(std::abs(double(x - a.x) * (b.y - a.y) - double(y - a.y) * (b.x - a.x)) / steps, 0.5 + 1e-9) << x << "," << y;
    }
}

TEST(WideLine, ThreePixelCornersInEightDirectionsGolden) {
    // A trail turning through all eight directions, as a runner's trail
    // does at rung ends, then an octagon of diagonal corners.
    Canvas canvas(64, 64);
    Stroke(canvas.dc, {{8, 6}, {8, 20}, {20, 20}, {20, 32}, {8, 32}, {8, 44}, {20, 56}, {32, 44}, {44, 56},
                         {56, 44}, {56, 32}, {44, 20}, {56, 8}},
           3, RGB(220, 30, 30));
    Stroke(canvas.dc, {{34, 26}, {38, 22}, {44, 22}, {48, 26}, {48, 30}, {44, 34}, {38, 34}, {34, 30}, {34, 26}},
           3, RGB(30, 30, 220));
    EXPECT_TRUE(MatchesGolden("wide_corners", canvas.pixels(), canvas.width, canvas.height));
}

TEST(WideLine, SameStrokeBothWaysCoveringTheCentreLineAsWideAsThePen) {
    // Over random polylines: a wide stroke is the same drawn backwards, and
    // covers every vertex and every pixel of the cosmetic line along it.
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coord(2, 37);
    for (int width : {2, 3, 4, 5, 8}) {
        for (int round = 0; round < 60; ++round) {
            std::vector<POINT> points(size_t(std::uniform_int_distribution<int>(2, 5)(rng)));
            for (POINT& p : points) p = {coord(rng), coord(rng)};
            Canvas forward(40, 40), backward(40, 40), thin(40, 40);
            Stroke(forward.dc, points, width, RGB(0, 0, 0));
            Stroke(backward.dc, std::vector<POINT>(points.rbegin(), points.rend()), width, RGB(0, 0, 0));
            Stroke(thin.dc, points, 1, RGB(0, 0, 0));
            auto wide = forward.Inked();
            ASSERT_EQ(wide, backward.Inked()) << "width " << width << " round " << round;
            // (A 2-pixel stroke lies half a pixel off centre, so it may miss
            // a pixel of the cosmetic line.)
            for (auto p : thin.Inked()) ASSERT_TRUE(width < 3 || wide.count(p)) << width << " at " << p.first << "," << p.second;
            for (const POINT& p : points) ASSERT_TRUE(wide.count({p.x, p.y}));
        }
        // Across a horizontal stroke, exactly as many rows as the pen is wide.
        Canvas bar(1, 20);
        Stroke(bar.dc, {{-5, 10}, {6, 10}}, width, RGB(0, 0, 0));
        EXPECT_EQ(int(bar.Inked().size()), width);
    }
}

TEST(WideLine, ATrailDrawnAtOnceIsItsSegmentsDrawnOneByOne) {
    // Trails as runners leave them, a point every few pixels along poles
    // and rungs, with repeated points, turns back and the odd slant, drawn
    // through a clip with a hole: one polyline must ink exactly what its
    // segments ink one at a time.
    std::mt19937 rng(7);
    gdi::Region clip(RECT{0, 0, 120, 120});
    clip.Subtract(gdi::Region(RECT{40, 50, 70, 65}));
    HDC dc = gdi::CreateScreenDC(POINT{0, 0}, clip);
    for (int width : {2, 3, 4, 5, 8}) {
        for (int round = 0; round < 40; ++round) {
            std::vector<POINT> points{{int(rng() % 100) + 10, int(rng() % 100) + 10}};
            for (int k = 0; k < 30; ++k) {
                POINT p = points.back();
                const int step = int(rng() % 16) - 4;  // sometimes nothing, sometimes back
                switch (rng() % 7) {
                    case 0: case 1: case 2: p.y += step; break;
                    case 3: case 4: p.x += step; break;
                    case 5: p.x -= step; break;
                    default: p.x += step, p.y += step / 2; break;
                }
                points.push_back(p);
            }
            ClearScreen();
            Stroke(dc, points, width, RGB(250, 0, 0));
            const RECT whole = gdi::TakeScreenDirtyRect();
            const std::vector<uint32_t> once(gdi::ScreenPixels(), gdi::ScreenPixels() + gdi::kScreenWidth * gdi::kScreenHeight);
            ClearScreen();
            for (size_t k = 0; k + 1 < points.size(); ++k) Stroke(dc, {points[k], points[k + 1]}, width, RGB(250, 0, 0));
            const RECT pieces = gdi::TakeScreenDirtyRect();
            ASSERT_TRUE(std::equal(once.begin(), once.end(), gdi::ScreenPixels())) << "width " << width << " round " << round;
            EXPECT_EQ(Edges(whole), Edges(pieces));
        }
    }
    gdi::ReleaseScreenDC(dc);
}

TEST(TransparentImage, WithinOneSurfaceEverySourcePixelIsReadBeforeItIsOverwritten) {
    // Runs of the key colour and of others, copied onto themselves shifted
    // every way, against a copy taken aside first.
    constexpr int W = 24, H = 8;
    std::mt19937 rng(5);
    Canvas canvas(W, H);
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -5; dx <= 5; ++dx) {
            std::vector<uint32_t> before(W * H);
            for (int i = 0; i < W * H; ++i) {
                const COLORREF c = (rng() % 3 == 0) ? kMagenta : RGB(rng() % 200, rng() % 200, 9);
                SetPixel(canvas.dc, i % W, i / W, c);
                before[i] = canvas.pixels()[i];
            }
            std::vector<uint32_t> expected = before;
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 14; ++x) {
                    const uint32_t p = before[(2 + y) * W + 5 + x];
                    if (p != 0xFF00FFu) expected[(2 + dy + y) * W + 5 + dx + x] = p;
                }
            }
            ASSERT_TRUE(TransparentImage(canvas.dc, 5 + dx, 2 + dy, 14, 4, canvas.dc, 5, 2, 14, 4, kMagenta));
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), canvas.pixels())) << dx << "," << dy;
        }
    }
}

TEST(Lines, DegenerateAndFarAwayCoordinates) {
    Canvas canvas(16, 16);
    POINT huge[] = {{0, 0}, {INT32_MAX, 0}};
    // Lines from far outside are clipped without walking their length.
    Stroke(canvas.dc, {{-100000000, 8}, {100000000, 8}}, 1, RGB(0, 0, 0));
    Stroke(canvas.dc, {{-100000000, -100000000}, {100000000, 100000000}}, 5, RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(0, 8) | canvas.At(15, 8) | canvas.At(7, 7), 0u);
    // Beyond the 27-bit device range the call fails, as on Windows NT.
    EXPECT_FALSE(Polyline(canvas.dc, huge, 2));
}

const COLORREF kRunnerColors[6] = {0x0000FF, 0x0099FF, 0x00FFFF, 0x00CC33, 0xFFCC00, 0xFF0000};

TEST(Scene, SampleBoardWithTrailsAndIntroPanel) {
    ClearScreen();
    HDC dc = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, 240, 294}));
    FillDc(dc, RECT{0, 0, 240, 294}, RGB(250, 240, 200));
    FillDc(dc, RECT{0, 294, 240, 320}, RGB(220, 220, 220));  // where the menu bar goes; clipped away

    // Six poles 30 pixels apart with 5-pixel bars, 14 rows of 15 pixels
    // from (40, 35), and rungs at fixed rows.
    const int rungs[][2] = {{0, 2}, {1, 5}, {2, 3}, {3, 8}, {4, 4}, {0, 9}, {2, 11}, {1, 12}, {3, 1}, {4, 10}};
    for (int x = 40; x < 220; x += 30) {
        FillDc(dc, RECT{x + 2, 35, x + 7, 245}, RGB(0, 0, 0));
        FillDc(dc, RECT{x + 2, 35, x + 7, 41}, RGB(255, 220, 0));
        FillDc(dc, RECT{x + 2, 239, x + 7, 245}, RGB(40, 80, 255));
    }
    for (auto [pole, row] : rungs) {
        int x = 40 + 30 * pole, y = 35 + 15 * row;
        FillDc(dc, RECT{x + 7, y + 5, x + 32, y + 10}, RGB(0, 0, 0));
        FillDc(dc, RECT{x + 3, y + 6, x + 6, y + 9}, RGB(255, 255, 255));
        FillDc(dc, RECT{x + 33, y + 6, x + 36, y + 9}, RGB(255, 255, 255));
    }
    // Numbered balls above the poles: a black disc, the colour inside, the digit.
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < 6; ++i) {
        const POINT centre{44 + 30 * i, 33};
        Stroke(dc, {centre, centre}, 15, RGB(0, 0, 0));
        Stroke(dc, {centre, centre}, 13, kRunnerColors[i]);
        const char16_t digit[2] = {char16_t(u'1' + i), 0};
        RECT cell{centre.x - 7, centre.y - 7, centre.x + 8, centre.y + 8};
        DrawTextW(dc, digit, -1, &cell, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    // The trails that the runners of 1, 3 and 6 leave along the pole and
    // rung centres, turning at every rung.
    Stroke(dc, {{44, 42}, {44, 72}, {74, 72}, {74, 117}, {104, 117}, {104, 207}, {134, 207}, {134, 252}}, 3,
           kRunnerColors[0]);
    Stroke(dc, {{104, 42}, {104, 87}, {134, 87}, {134, 162}, {164, 162}, {164, 177}}, 3, kRunnerColors[2]);
    Stroke(dc, {{194, 42}, {194, 102}, {164, 102}, {164, 162}, {134, 162}, {134, 207}, {104, 207}, {104, 222},
                {74, 222}, {74, 237}}, 3, kRunnerColors[5]);
    // A diagonal scribble in the bottom band with the default pen.
    POINT scribble[] = {{20, 250}, {60, 270}, {90, 255}, {130, 285}};
    Polyline(dc, scribble, 4);
    gdi::ReleaseScreenDC(dc);

    // The intro panel: a window of its own over the middle of the board,
    // the outlined text centred on it: shifted copies in darker shades under
    // the face, each drawn with DT_SINGLELINE in transparent mode.
    HDC panel = gdi::CreateScreenDC(POINT{28, 60}, gdi::Region(RECT{28, 60, 209, 130}));
    FillDc(panel, RECT{0, 0, 181, 70}, 0x25C8FF);
    SIZE size{};
    GetTextExtentExPointW(panel, u"Good Luck!", 10, 0, nullptr, nullptr, &size);
    const int left = (181 - size.cx) / 2, top = (70 - size.cy) / 2;
    const struct { int dy; COLORREF color; std::vector<int> dxs; } layers[] = {
        {3, 0x21B3E5, {0, -3, 3, -1, 1, -2, 2}}, {2, 0x1DA0CC, {0, -2, 2, -1, 1}}, {1, 0x198BB2, {0, -1, 1}},
        {-1, 0x198BB2, {0, 1, -1}}, {0, RGB(255, 255, 255), {0}}};
    SetBkMode(panel, TRANSPARENT);
    for (const auto& layer : layers) {
        SetTextColor(panel, layer.color);
        for (int dx : layer.dxs) {
            RECT r{left + dx, top + layer.dy, left + size.cx + dx, top + size.cy + layer.dy};
            DrawTextW(panel, u"Good Luck!", -1, &r, DT_SINGLELINE);
        }
    }
    gdi::ReleaseScreenDC(panel);

    const uint32_t* screen = gdi::ScreenPixels();
    EXPECT_TRUE(gdi::WritePng(OutputPath("sample_scene.png").c_str(), screen, gdi::kScreenWidth, gdi::kScreenHeight));
    EXPECT_TRUE(MatchesGolden("sample_scene", screen, gdi::kScreenWidth, gdi::kScreenHeight));
}

}  // namespace
