// Where the picture sits in the window, how window positions map back to
// device pixels through the letterbox, and the enlargement into the window.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "desktop/layout.h"
#include "desktop/scale.h"

namespace desktop {
namespace {

// Room the SDL host keeps free below the usable area for a title bar and frame.
constexpr int kFrame = 48;

// 1080 rows less the frame fit 960 (scale 3) but not 1280; 720 x 960 is
// exactly three times the device and one column less is not; a wide desktop
// is limited by its height; small ones still get 2.
TEST(ChooseScale, TakesTheLargestWholeScaleThatFitsButNeverBelowTwo) {
    struct Case { int width, height, scale; };
    for (const Case& c : std::vector<Case>{{1920, 1080 - kFrame, 3}, {3840, 2160 - kFrame, 6},
                                           {720, 960, 3}, {719, 960, 2}, {5000, 1000, 3}, {1000, 5000, 4},
                                           {800, 600 - kFrame, 2}, {0, 0, 2}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(ChooseScale(c.width, c.height), c.scale);
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
