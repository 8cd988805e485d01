// The stylus through tavilo-headless: the pole-head boxes and their edges,
// taps that must do nothing, and the scribble pad.
#include "scenario.h"

namespace progtest {
namespace {

constexpr uint32_t BLACK = 0x000000;

std::string State() { return "state\n"; }

// Runner 5's box is tapped first: it launches runner 5 and takes the intro
// panel away, which otherwise lies over the lower part of the boxes.
std::string NewGameWithPanelGone() { return Command(CMD_NEW) + Tap(185, 15); }

TEST(PoleHeadBoxes, BoundsAreInclusiveOnAllFourSides) {
    REQUIRE_HEADLESS();
    // With six players runner i's box spans x 35 + 30i to 55 + 30i and y 15
    // to 60.
    const RunResult r = RunOk(NewGameWithPanelGone() + State() +                                  //
                              Tap(34, 15) + Tap(56, 15) + Tap(35, 14) + Tap(35, 61) + State() +  //
                              Tap(35, 15) + State() +                                             //
                              Tap(64, 60) + Tap(86, 60) + Tap(85, 61) + Tap(65, 14) + State() +  //
                              Tap(85, 60) + State() +                                             //
                              Tap(95, 60) + Tap(145, 15) + Tap(175, 60) + State());
    ASSERT_EQ(r.states.size(), 6u) << r.err;
    EXPECT_EQ(Runner(r.states[0], 5)["status"].Int(), 1);
    EXPECT_EQ(r.states[0]["g_introVisible"].Int(), 0);
    EXPECT_EQ(Runner(r.states[1], 0)["status"].Int(), 0) << "a pixel outside the box launched runner 0";
    EXPECT_EQ(Runner(r.states[2], 0)["status"].Int(), 1) << "the top-left corner (35, 15) is in the box";
    EXPECT_EQ(Runner(r.states[3], 1)["status"].Int(), 0) << "a pixel outside the box launched runner 1";
    EXPECT_EQ(Runner(r.states[4], 1)["status"].Int(), 1) << "the bottom-right corner (85, 60) is in the box";
    for (int i = 2; i <= 4; ++i) {
        EXPECT_EQ(Runner(r.states[5], i)["status"].Int(), 1) << "runner " << i;
    }
    for (const Json& s : r.states) {
        EXPECT_EQ(s["g_penDown"].Int(), 0);
    }
}

TEST(PoleHeadBoxes, ATapOnABusyRunnerLaunchesNothingAndArmsNoStroke) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(NewGameWithPanelGone() + Tap(40, 30) + Wait(100) + State() + At("down", 45, 40) +
                              State() + At("up", 45, 40) + Wait(50) + State());
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    EXPECT_EQ(Runner(r.states[0], 0)["pointCount"].Int(), 2);
    EXPECT_EQ(r.states[1]["g_penDown"].Int(), 0);
    EXPECT_EQ(Runner(r.states[2], 0)["pointCount"].Int(), 3) << "runner 0 was launched a second time";
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(Runner(r.states[2], i)["status"].Int(), 0);
    }
}

TEST(PoleHeadBoxes, TapsOnTheTitleScreenAndOnAFinishedBoardDoNothing) {
    REQUIRE_HEADLESS();
    const RunResult title = RunOk(Tap(40, 30) + At("down", 100, 260) + State() + At("move", 150, 270) +
                                  At("up", 150, 270) + "shot title.png\n");
    ASSERT_EQ(title.states.size(), 1u) << title.err;
    EXPECT_EQ(title.states[0]["board"]["state"].Int(), 3);
    EXPECT_EQ(title.states[0]["g_penDown"].Int(), 0);
    EXPECT_EQ(CountDifferences(Shot(title, "title.png"), LoadBitmapResource(BMP_TITLE), 0, 0, CLIENT_WIDTH,
                               CLIENT_HEIGHT),
              0);

    const RunResult done = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(6000) + "shot done.png\n" + Tap(40, 30) +
                                 At("down", 100, 260) + State() + At("move", 150, 270) + At("up", 150, 270) +
                                 "shot after.png\n");
    ASSERT_EQ(done.states.size(), 1u) << done.err;
    EXPECT_EQ(done.states[0]["board"]["state"].Int(), 0);
    EXPECT_EQ(done.states[0]["g_penDown"].Int(), 0);
    EXPECT_EQ(CountDifferences(Shot(done, "done.png"), Shot(done, "after.png"), 0, 0, 240, 320), 0);
}

TEST(TopStrip, APenDownThereArmsNoStroke) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(NewGameWithPanelGone() + "shot before.png\n" + At("down", 225, 5) + State() +
                              At("move", 225, 250) + At("move", 230, 260) + At("up", 230, 260) + "shot after.png\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(r.states[0]["g_penDown"].Int(), 0);
    const Image before = Shot(r, "before.png");
    const Image after = Shot(r, "after.png");
    EXPECT_EQ(CountDifferences(before, after, 210, 0, 240, CLIENT_HEIGHT), 0);
}

TEST(ScribblePad, DrawsBlackSegmentsOnlyInsideTheBand) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(NewGameWithPanelGone() + "shot before.png\n" +
                              // A stroke of two segments.
                              At("down", 10, 250) + State() + At("move", 30, 250) + At("move", 30, 280) +
                              At("up", 30, 280) + State() +
                              // Row 239 lies outside the band.
                              At("down", 5, 239) + State() + At("move", 25, 239) + At("up", 25, 239) +
                              // A press without a move leaves no dot.
                              At("down", 215, 285) + At("up", 215, 285) +
                              // Moves with the pen up draw nothing.
                              At("move", 20, 265) + At("move", 35, 270) +
                              // Out of the band and back: one segment joins the two inside points.
                              At("down", 212, 250) + At("move", 222, 250) + At("move", 222, 200) +
                              At("move", 232, 270) + At("up", 232, 270) + "shot after.png\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    EXPECT_EQ(r.states[0]["g_penDown"].Int(), 1);
    EXPECT_EQ(r.states[1]["g_penDown"].Int(), 0);
    EXPECT_EQ(r.states[2]["g_penDown"].Int(), 0) << "a pen-down on row 239 armed a stroke";

    const Image before = Shot(r, "before.png");
    const Image after = Shot(r, "after.png");
    for (int x = 10; x <= 30; ++x) {
        EXPECT_EQ(after.At(x, 250), BLACK) << "x " << x;
    }
    // As on the device, a one-pixel line leaves out its last pixel; the next
    // segment starts there.
    for (int y = 250; y < 280; ++y) {
        EXPECT_EQ(after.At(30, y), BLACK) << "y " << y;
    }
    EXPECT_NE(after.At(31, 250), BLACK) << "the line is one pixel wide";
    for (int x = 0; x < 240; ++x) {
        EXPECT_EQ(after.At(x, 239), before.At(x, 239)) << "row 239, x " << x;
    }
    EXPECT_EQ(after.At(215, 285), before.At(215, 285)) << "a press alone left a dot";
    EXPECT_EQ(CountDifferences(before, after, 15, 255, 29, 275), 0) << "a move with the pen up drew";
    for (int y = 200; y < 240; ++y) {
        EXPECT_EQ(after.At(222, y), before.At(222, y)) << "drawn outside the band at y " << y;
    }
    // The segment from (222, 250) to (232, 270) joins the stroke again.
    EXPECT_EQ(after.At(222, 250), BLACK);
    EXPECT_EQ(after.At(227, 260), BLACK);
    EXPECT_EQ(after.At(231, 268), BLACK);
}

TEST(ScribblePad, AStrokeGoesOnAfterTheBoardFinishesAndTheNextPaintErasesIt) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(300) + At("down", 10, 262) + Wait(6000) +
                              State() + At("move", 10, 290) + At("up", 10, 290) + "shot drawn.png\n" +
                              Command(CMD_NEW) + "shot erased.png\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(r.states[0]["board"]["state"].Int(), 0);
    EXPECT_EQ(r.states[0]["g_penDown"].Int(), 1);
    const Image drawn = Shot(r, "drawn.png");
    const Image erased = Shot(r, "erased.png");
    const Image title = LoadBitmapResource(BMP_TITLE);
    for (int y = 262; y < 290; ++y) {
        EXPECT_EQ(drawn.At(10, y), BLACK) << "y " << y;
        EXPECT_EQ(erased.At(10, y), title.At(10, y)) << "y " << y;
    }
}

}  // namespace
}  // namespace progtest
