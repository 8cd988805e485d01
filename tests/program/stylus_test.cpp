// The stylus through tavilo-headless: the pole-head boxes and their edges,
// and the scribble pad.
#include <tuple>

#include "harness.h"

namespace progtest {
namespace {

constexpr uint32_t BLACK = 0x000000;

// With six players runner i's box spans x 35 + 30i to 55 + 30i and y 15 to
// 60, all bounds inclusive. Runner 5's box is tapped first: it takes away the
// intro panel, which otherwise lies over the lower part of the boxes.
TEST(PoleHeadBoxes, EachEdgeHoldsItsPixelAndLetsTheNextOneOutsideGo) {
    const std::tuple<int, int, const char*> taps[] = {
        {185, 15, "0,0,0,0,0,1"}, {34, 15, "0,0,0,0,0,1"}, {56, 15, "0,0,0,0,0,1"},
        {35, 14, "0,0,0,0,0,1"},  {35, 61, "0,0,0,0,0,1"}, {35, 15, "1,0,0,0,0,1"},
        {64, 60, "1,0,0,0,0,1"},  {86, 60, "1,0,0,0,0,1"}, {85, 61, "1,0,0,0,0,1"},
        {65, 14, "1,0,0,0,0,1"},  {85, 60, "1,1,0,0,0,1"}, {95, 60, "1,1,1,0,0,1"},
        {145, 15, "1,1,1,1,0,1"}, {175, 60, "1,1,1,1,1,1"}};
    std::string script = Cmd(IDM_NEW);
    for (const auto& [x, y, statuses] : taps) {
        script += At("tap", x, y) + "state\n";
    }
    const Outcome r = RunHeadless(script);
    ASSERT_EQ(r.states.size(), std::size(taps)) << r.err;
    r.states[0].Expect({{"g_introVisible", 0}, {"g_introIndex", 1}});  // hidden, not advanced
    for (size_t k = 0; k < std::size(taps); ++k) {
        const auto& [x, y, statuses] = taps[k];
        EXPECT_EQ(r.states[k].Runners("status"), statuses) << "tap at " << x << "," << y;
        EXPECT_EQ(r.states[k]["g_penDown"], 0);
    }
}

// The band runs from y 240 down; its bottom edge is checked in-process.
TEST(ScribblePad, DrawsOnePixelBlackSegmentsOnlyInsideTheBand) {
    const Outcome r = RunHeadless(
        Cmd(IDM_NEW) + At("tap", 185, 15) + "shot before.png\n" +
        // A stroke of two segments.
        At("down", 10, 250) + "state\n" + At("move", 30, 250) + At("move", 30, 280) + At("up", 30, 280) + "state\n" +
        // Row 239 lies outside the band.
        At("down", 5, 239) + "state\n" + At("move", 25, 239) + At("up", 25, 239) +
        // A press without a move, and moves with the pen up.
        At("down", 215, 285) + At("up", 215, 285) + At("move", 20, 265) + At("move", 35, 270) +
        // Out of the band and back: one segment joins the two inside points.
        At("down", 212, 250) + At("move", 222, 250) + At("move", 222, 200) + At("move", 232, 270) + At("up", 232, 270) +
        "shot after.png\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    EXPECT_EQ(r.states[0]["g_penDown"], 1);
    EXPECT_EQ(r.states[1]["g_penDown"], 0);
    EXPECT_EQ(r.states[2]["g_penDown"], 0) << "a pen-down on row 239 armed a stroke";
    const Image before = r.Shot("before.png");
    const Image after = r.Shot("after.png");
    // As on the device, a one-pixel line leaves out its last pixel; the next
    // segment starts there.
    for (int x = 10; x <= 30; ++x) {
        EXPECT_EQ(Pixel(after, x, 250), BLACK) << "x " << x;
    }
    for (int y = 250; y < 280; ++y) {
        EXPECT_EQ(Pixel(after, 30, y), BLACK) << "y " << y;
    }
    EXPECT_NE(Pixel(after, 31, 250), BLACK) << "the line is wider than one pixel";
    EXPECT_TRUE(SameIn(before, after, {0, 239, CLIENT_WIDTH, 240})) << "drawn on row 239";
    EXPECT_EQ(Pixel(after, 215, 285), Pixel(before, 215, 285)) << "a press alone left a dot";
    EXPECT_TRUE(SameIn(before, after, {15, 255, 29, 275})) << "a move with the pen up drew";
    EXPECT_TRUE(SameIn(before, after, {212, 200, 240, 240})) << "drawn outside the band";
    for (const auto& [x, y] : {std::pair{222, 250}, {227, 260}, {231, 268}}) {
        EXPECT_EQ(Pixel(after, x, y), BLACK) << "no segment back into the band at " << x << "," << y;
    }
}

// A stroke armed while the board plays goes on after it finishes, while a
// tap or a new stroke on the finished board does nothing; the next paint
// of the board erases the stroke.
TEST(ScribblePad, AStrokeOutlivesTheGameAndTheNextPaintErasesIt) {
    const Outcome r = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(300) + At("down", 10, 262) + Wait(6000) +
                                  "state\n" + At("move", 10, 290) + At("up", 10, 290) + "shot drawn.png\n" +
                                  At("tap", 40, 30) + At("down", 100, 260) + "state\n" + At("move", 150, 270) +
                                  At("up", 150, 270) + "shot after.png\n" + Cmd(IDM_NEW) + "shot erased.png\n");
    ASSERT_EQ(r.states.size(), 2u) << r.err;
    r.states[0].Expect({{"state", 0}, {"g_penDown", 1}});
    r.states[1].Expect({{"g_penDown", 0}});
    const Image drawn = r.Shot("drawn.png");
    const Image erased = r.Shot("erased.png");
    const Image title = Bitmap(IDB_TITLE);
    for (int y = 262; y < 290; ++y) {
        EXPECT_EQ(Pixel(drawn, 10, y), BLACK) << "y " << y;
        EXPECT_EQ(Pixel(erased, 10, y), Pixel(title, 10, y)) << "y " << y;
    }
    EXPECT_TRUE(Same(drawn, r.Shot("after.png")));
}

}  // namespace
}  // namespace progtest
