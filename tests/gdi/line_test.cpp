// Polyline: cosmetic lines leave out their last point, wide pens draw round
// strokes that do not depend on the drawing direction and leave no gaps.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::MatchesGolden;
using gdi_test::Px;

const uint32_t kWhite = Px(255, 255, 255);

void DrawPolyline(HDC dc, const std::vector<POINT>& points, int width, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), int(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

std::set<std::pair<int, int>> Inked(const Canvas& canvas) {
    std::set<std::pair<int, int>> inked;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.At(x, y) != kWhite) inked.insert({x, y});
    return inked;
}

TEST(ThinLine, SegmentLeavesOutItsEndPointAndJointsAreDrawnOnce) {
    Canvas canvas(12, 4);
    POINT line[] = {{1, 1}, {6, 1}};
    // The default pen of a new DC: one pixel, black.
    ASSERT_TRUE(Polyline(canvas.dc(), line, 2));
    for (int x = 0; x < 12; ++x) EXPECT_EQ(canvas.At(x, 1), (x >= 1 && x <= 5) ? 0u : kWhite) << x;

    Canvas single(4, 4);
    POINT dot[] = {{2, 2}, {2, 2}};
    Polyline(single.dc(), dot, 2);
    EXPECT_TRUE(Inked(single).empty()) << "a zero-length segment draws nothing";
    POINT one[] = {{1, 1}};
    EXPECT_FALSE(Polyline(single.dc(), one, 1));
    EXPECT_TRUE(Inked(single).empty());
}

TEST(ThinLine, AllOctantsGolden) {
    // Sixteen spokes from the centre, one in each half-octant, each ending
    // on a pixel that must stay white; plus the axes and diagonals.
    Canvas canvas(41, 41);
    const POINT centre{20, 20};
    const POINT ends[] = {{38, 20}, {38, 27}, {38, 38}, {27, 38}, {20, 38}, {13, 38}, {2, 38}, {2, 27},
                          {2, 20},  {2, 13},  {2, 2},   {13, 2},  {20, 2},  {27, 2},  {38, 2}, {38, 13},
                          {36, 25}, {25, 36}, {4, 15},  {15, 4}};
    for (const POINT& end : ends) {
        DrawPolyline(canvas.dc(), {centre, end}, 1, RGB(0, 0, 160));
        EXPECT_EQ(canvas.At(end.x, end.y), kWhite) << "end point " << end.x << "," << end.y << " drawn";
    }
    EXPECT_TRUE(MatchesGolden("thin_octants", canvas.pixels(), canvas.width(), canvas.height()));
}

TEST(ThinLine, EveryStepMovesToANeighbourAndReachesTheEnd) {
    // Property over random segments: the pixels form an 8-connected run of
    // max(|dx|, |dy|) pixels from the start to a neighbour of the end.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(0, 31);
    for (int round = 0; round < 300; ++round) {
        Canvas canvas(32, 32);
        POINT a{coord(rng), coord(rng)};
        POINT b{coord(rng), coord(rng)};
        DrawPolyline(canvas.dc(), {a, b}, 1, RGB(0, 0, 0));
        auto inked = Inked(canvas);
        int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        ASSERT_EQ(int(inked.size()), steps);
        if (steps == 0) continue;
        EXPECT_TRUE(inked.count({a.x, a.y}));
        EXPECT_FALSE(inked.count({b.x, b.y}));
        for (auto [x, y] : inked) {
            // Each inked pixel lies within half a pixel of the ideal line.
            double cross = double(x - a.x) * (b.y - a.y) - double(y - a.y) * (b.x - a.x);
            double len = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
            EXPECT_LE(std::abs(cross) / len, 0.5 + 1e-9) << x << "," << y;
        }
    }
}

TEST(WideLine, ThreePixelCornersInEightDirectionsGolden) {
    // A trail turning through all eight directions, as a runner's trail
    // does at rung ends, then an octagon of diagonal corners.
    Canvas canvas(64, 64);
    std::vector<POINT> trail = {{8, 6},   {8, 20},  {20, 20}, {20, 32}, {8, 32},  {8, 44},
                                {20, 56}, {32, 44}, {44, 56}, {56, 44}, {56, 32}, {44, 20}, {56, 8}};
    DrawPolyline(canvas.dc(), trail, 3, RGB(220, 30, 30));
    std::vector<POINT> octagon = {{34, 26}, {38, 22}, {44, 22}, {48, 26}, {48, 30}, {44, 34}, {38, 34}, {34, 30}, {34, 26}};
    DrawPolyline(canvas.dc(), octagon, 3, RGB(30, 30, 220));
    EXPECT_TRUE(MatchesGolden("wide_corners", canvas.pixels(), canvas.width(), canvas.height()));
}

TEST(WideLine, SameStrokeWhicheverWayItIsDrawn) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coord(2, 37);
    for (int width : {2, 3, 4, 5, 8}) {
        for (int round = 0; round < 60; ++round) {
            std::vector<POINT> points;
            int n = std::uniform_int_distribution<int>(2, 5)(rng);
            for (int i = 0; i < n; ++i) points.push_back({coord(rng), coord(rng)});
            Canvas forward(40, 40);
            Canvas backward(40, 40);
            DrawPolyline(forward.dc(), points, width, RGB(0, 0, 0));
            std::vector<POINT> reversed(points.rbegin(), points.rend());
            DrawPolyline(backward.dc(), reversed, width, RGB(0, 0, 0));
            ASSERT_EQ(Inked(forward), Inked(backward)) << "width " << width << " round " << round;
        }
    }
}

TEST(WideLine, CoversTheCentreLineAndIsAsWideAsThePen) {
    // A wide stroke covers every pixel of the cosmetic line along it and
    // both its ends; a horizontal 3-pixel stroke is exactly 3 rows tall.
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> coord(4, 35);
    for (int round = 0; round < 200; ++round) {
        std::vector<POINT> points;
        for (int i = 0; i < 4; ++i) points.push_back({coord(rng), coord(rng)});
        Canvas thin(40, 40);
        Canvas wide(40, 40);
        DrawPolyline(thin.dc(), points, 1, RGB(0, 0, 0));
        DrawPolyline(wide.dc(), points, 3, RGB(0, 0, 0));
        auto w = Inked(wide);
        for (auto p : Inked(thin)) ASSERT_TRUE(w.count(p)) << p.first << "," << p.second;
        for (const POINT& p : points) ASSERT_TRUE(w.count({p.x, p.y}));
    }
    Canvas bar(20, 9);
    DrawPolyline(bar.dc(), {{4, 4}, {15, 4}}, 3, RGB(0, 0, 0));
    for (int y = 0; y < 9; ++y) EXPECT_EQ(bar.At(9, y) != kWhite, y >= 3 && y <= 5) << y;
    Canvas even(20, 9);
    DrawPolyline(even.dc(), {{4, 4}, {15, 4}}, 4, RGB(0, 0, 0));
    int rows = 0;
    for (int y = 0; y < 9; ++y) rows += even.At(9, y) != kWhite;
    EXPECT_EQ(rows, 4);
}

TEST(Lines, NullPenAndFarAwayCoordinates) {
    Canvas canvas(16, 16);
    HGDIOBJ old = SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
    POINT line[] = {{0, 0}, {15, 15}};
    EXPECT_TRUE(Polyline(canvas.dc(), line, 2));
    EXPECT_TRUE(Inked(canvas).empty());
    SelectObject(canvas.dc(), old);

    // Lines from far outside are clipped without walking their length.
    DrawPolyline(canvas.dc(), {{-100000000, 8}, {100000000, 8}}, 1, RGB(0, 0, 0));
    DrawPolyline(canvas.dc(), {{-100000000, -100000000}, {100000000, 100000000}}, 5, RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(0, 8), 0u);
    EXPECT_EQ(canvas.At(15, 8), 0u);
    EXPECT_EQ(canvas.At(7, 7), 0u);
    // Beyond the 27-bit device range the call fails, as on Windows NT.
    POINT huge[] = {{0, 0}, {INT32_MAX, 0}};
    EXPECT_FALSE(Polyline(canvas.dc(), huge, 2));
}

}  // namespace
