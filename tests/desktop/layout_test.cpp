// Where the picture sits in the window, how window positions map back to
// device pixels through the letterbox, and the enlargement into the window.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "desktop/layout.h"
#include "desktop/scale.h"

namespace desktop {
namespace {

// A desktop as the tests describe it: the display, the panels along its
// edges, and the frame the window manager draws.
struct Desktop {
    int width, height;
    int panelTop, panelBottom, panelLeft, panelRight;
    WindowFrame frame;
};

DesktopArea Usable(const Desktop& d) {
    return {d.panelLeft, d.panelTop, d.width - d.panelLeft - d.panelRight, d.height - d.panelTop - d.panelBottom};
}

std::string Describe(const Desktop& d) {
    return testing::PrintToString(std::vector<int>{d.width, d.height, d.panelTop, d.panelBottom, d.panelLeft,
                                                   d.panelRight, d.frame.left, d.frame.top, d.frame.right,
                                                   d.frame.bottom});
}

constexpr WindowFrame kNoFrame = {0, 0, 0, 0};
constexpr WindowFrame kOpenbox = {1, 21, 1, 5};     // a thin border, title bar and handle
constexpr WindowFrame kWindows = {8, 31, 8, 8};     // the caption and the resize borders around it
constexpr WindowFrame kBulky = {10, 40, 10, 10};

// The default scale is the largest whose window, frame and all, fits beside
// the panels: a frame or panel a single pixel too tall costs a whole step,
// and a small desktop gets scale 1 rather than a window hanging off it.
TEST(PlaceWindow, TheDefaultScaleIsTheLargestWhoseFramedWindowFitsBesideThePanels) {
    struct Case { Desktop desktop; int scale; };
    for (const Case& c : std::vector<Case>{
             // 1280 x 1024: 960 rows of picture, with room for a frame of 64.
             {{1280, 1024, 0, 0, 0, 0, kNoFrame}, 3},
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 3},
             {{1280, 1024, 0, 38, 0, 0, kOpenbox}, 3},  // 960 + 26 = 986 rows, exactly what is left
             {{1280, 1024, 0, 39, 0, 0, kOpenbox}, 2},
             {{1280, 1024, 28, 0, 0, 0, kBulky}, 2},   // the panel and the frame together
             {{1280, 1024, 0, 0, 0, 0, {1, 63, 1, 1}}, 3},
             {{1280, 1024, 0, 0, 0, 0, {1, 64, 1, 1}}, 2},
             // A wide desktop is limited by its height, a tall one by its width.
             {{3840, 2160, 0, 48, 0, 0, kWindows}, 6},
             {{1920, 1080, 32, 0, 0, 0, kNoFrame}, 3},
             {{1080, 1920, 0, 0, 0, 0, kWindows}, 4},
             {{1080, 1920, 0, 0, 80, 0, kWindows}, 4},  // 960 + 16 = 976 of the 1000 left beside the dock
             {{1080, 1920, 0, 0, 105, 0, kWindows}, 3},
             {{722, 1920, 0, 0, 0, 0, kOpenbox}, 3},
             {{721, 1920, 0, 0, 0, 0, kOpenbox}, 2},
             // Too small for 2.
             {{1366, 768, 27, 0, 0, 0, kWindows}, 2},
             {{1024, 700, 0, 0, 0, 0, kOpenbox}, 2},
             {{1024, 600, 0, 0, 0, 0, kOpenbox}, 1},
             {{800, 600, 24, 24, 0, 0, kWindows}, 1},
             // Not even 1 fits: still 1.
             {{200, 200, 0, 0, 0, 0, kOpenbox}, 1},
             {{0, 0, 0, 0, 0, 0, kNoFrame}, 1}}) {
        SCOPED_TRACE(Describe(c.desktop));
        WindowPlacement place = PlaceWindow(0, Usable(c.desktop), c.desktop.frame);
        EXPECT_EQ(place.scale, c.scale);
        EXPECT_FALSE(place.reduced);
    }
}

// A scale asked for is kept when its window fits and otherwise lowered to
// the largest that does, which the caller reports; 1 is never lowered.
TEST(PlaceWindow, AScaleAskedForIsLoweredOnlyWhenItsWindowDoesNotFit) {
    struct Case { Desktop desktop; int requested, scale; bool reduced; };
    for (const Case& c : std::vector<Case>{
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 9, 3, true},
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 4, 3, true},
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 3, 3, false},
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 2, 2, false},
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 1, 1, false},
             {{1280, 1024, 0, 39, 0, 0, kOpenbox}, 3, 2, true},
             {{1024, 600, 0, 0, 0, 0, kOpenbox}, 2, 1, true},
             {{3840, 2160, 0, 0, 0, 0, kNoFrame}, 16, 6, true},
             {{200, 200, 0, 0, 0, 0, kOpenbox}, 2, 1, true},
             {{200, 200, 0, 0, 0, 0, kOpenbox}, 1, 1, false}}) {
        SCOPED_TRACE(Describe(c.desktop) + " --scale " + std::to_string(c.requested));
        WindowPlacement place = PlaceWindow(c.requested, Usable(c.desktop), c.desktop.frame);
        EXPECT_EQ(std::tuple(place.scale, place.reduced), std::tuple(c.scale, c.reduced));
    }
}

// The window, frame included, is centred in what the panels leave; the
// position is that of the client area, inside the frame. A window larger
// than the desktop keeps its title bar at the top left corner.
TEST(PlaceWindow, CentresTheFramedWindowInTheUsableArea) {
    struct Case { Desktop desktop; int requested, x, y; };
    for (const Case& c : std::vector<Case>{
             // 722 x 986 at scale 3, in 1280 x 1024: 279 and 19 pixels to spare on each side.
             {{1280, 1024, 0, 0, 0, 0, kOpenbox}, 0, 279 + 1, 19 + 21},
             // A 28-pixel panel on top and a 60-pixel dock on the left.
             {{1280, 1024, 28, 0, 60, 0, kOpenbox}, 0, 60 + 249 + 1, 28 + 5 + 21},
             {{1280, 1024, 0, 0, 0, 0, kNoFrame}, 2, 400, 192},
             {{1280, 1024, 0, 40, 0, 0, kWindows}, 2, 392 + 8, 152 + 31},
             // Uneven room: the extra pixel goes right and below.
             {{1281, 1025, 0, 0, 0, 0, kNoFrame}, 2, 400, 192},
             // Larger than the desktop.
             {{200, 200, 10, 0, 0, 0, kOpenbox}, 0, 1, 10 + 21}}) {
        SCOPED_TRACE(Describe(c.desktop) + " --scale " + std::to_string(c.requested));
        WindowPlacement place = PlaceWindow(c.requested, Usable(c.desktop), c.desktop.frame);
        EXPECT_EQ(std::tuple(place.x, place.y), std::tuple(c.x, c.y));
    }
}

// A window smaller than the device keeps scale 1 and crops, an odd
// shortfall rounding towards minus infinity.
TEST(FitPicture, CentresTheLargestWholeScaleThatFitsTheWindow) {
    struct Case { int width, height, scale, left, top; };
    for (const Case& c : std::vector<Case>{{480, 640, 2, 0, 0}, {1000, 700, 2, 260, 30}, {720, 960, 3, 0, 0},
                                           {720, 959, 2, 120, 159}, {200, 300, 1, -20, -10}, {239, 320, 1, -1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        Layout layout = FitPicture(c.width, c.height);
        EXPECT_EQ(std::tuple(layout.scale, layout.left, layout.top), std::tuple(c.scale, c.left, c.top));
    }
}

// Positions in the bars and beyond the window stay exact (rounded towards
// minus infinity) so that a drag leaving the picture keeps moving the right
// way, and the bar next to the picture must not count as its first column.
TEST(WindowToDevice, MapsThroughTheLetterboxAndKeepsOutsidePositionsExact) {
    struct Case { int windowWidth, windowHeight, x, y, deviceX, deviceY; bool inside; };
    for (const Case& c : std::vector<Case>{
             // The picture at (260, 30), scale 2.
             {1000, 700, 260, 30, 0, 0, true}, {1000, 700, 261, 31, 0, 0, true},
             {1000, 700, 260 + 479, 30 + 639, 239, 319, true}, {1000, 700, 259, 100, -1, 35, false},
             {1000, 700, 260 + 480, 100, 240, 35, false}, {1000, 700, 300, 0, 20, -15, false},
             {1000, 700, 300, 30 + 640, 20, 320, false}, {1000, 700, -5, 800, -133, 385, false},
             // Scale 3 from (50, 0), the bars split unevenly.
             {821, 960, 50 + 30, 60, 10, 20, true}, {821, 960, 50 + 32, 62, 10, 20, true},
             {821, 960, 50 + 33, 63, 11, 21, true}, {821, 960, 49, 0, -1, 0, false}}) {
        SCOPED_TRACE(testing::Message() << c.windowWidth << " x " << c.windowHeight << " at " << c.x << "," << c.y);
        DevicePoint p = WindowToDevice(FitPicture(c.windowWidth, c.windowHeight), c.x, c.y);
        EXPECT_EQ(std::tuple(p.x, p.y, p.inside), std::tuple(c.deviceX, c.deviceY, c.inside));
    }
}

// Every written pixel must come from the source pixel whose square covers it,
// and nothing outside the reported rectangle may be touched: the rest of the
// window keeps what an earlier present put there.
TEST(ScaleNearest, WritesWholeSquaresOfThePartClippedToSourceAndTarget) {
    constexpr uint32_t kUntouched = 0xDEADBEEF;
    std::vector<uint32_t> source(12);  // 4 x 3, every pixel its own value
    for (uint32_t i = 0; i < 12; ++i) {
        source[i] = 0x010101u * (i + 1);
    }
    struct Case { const char* what; PixelRect part; int scale, width, height, pitch, originX, originY;
                  uint32_t setBits; PixelRect written; };
    for (const Case& c : std::vector<Case>{
             {"whole, with alpha", {0, 0, 4, 3}, 3, 12, 9, 12, 0, 0, 0xFF000000u, {0, 0, 12, 9}},
             {"part in the letterbox, long rows", {1, 1, 3, 2}, 2, 20, 12, 25, 6, 3, 0, {8, 5, 12, 7}},
             {"starts left of and above the target", {0, 0, 4, 3}, 3, 5, 4, 5, -4, -2, 0, {0, 0, 5, 4}},
             {"runs past the right and bottom", {0, 0, 4, 3}, 2, 7, 5, 7, 1, 1, 0, {1, 1, 7, 5}},
             {"part partly outside the source", {3, 2, 9, 9}, 2, 8, 6, 8, 0, 0, 0, {6, 4, 8, 6}},
             {"empty part", {2, 2, 2, 3}, 2, 8, 6, 8, 0, 0, 0, {}},
             {"picture right of the target", {0, 0, 4, 3}, 2, 8, 6, 8, 8, 0, 0, {}}}) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> out(static_cast<size_t>(c.pitch) * c.height, kUntouched);
        PixelRect w = ScaleNearest(source.data(), 4, 3, c.part, c.scale, {out.data(), c.width, c.height, c.pitch},
                                   c.originX, c.originY, c.setBits);
        if (!c.written.Empty() || !w.Empty()) {
            EXPECT_EQ(std::tuple(w.left, w.top, w.right, w.bottom),
                      std::tuple(c.written.left, c.written.top, c.written.right, c.written.bottom));
        }
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.pitch; ++x) {
                bool inside = x >= c.written.left && x < c.written.right && y >= c.written.top && y < c.written.bottom;
                uint32_t expected =
                    inside ? source[(y - c.originY) / c.scale * 4 + (x - c.originX) / c.scale] | c.setBits : kUntouched;
                ASSERT_EQ(out[static_cast<size_t>(y) * c.pitch + x], expected) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace desktop
