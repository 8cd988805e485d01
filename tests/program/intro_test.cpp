// The intro panel through tavilo-headless: where it sits, which message each
// game shows, and the paint that advances the message. What hides it is
// checked with All, the taps and the dialog.
#include "harness.h"

namespace progtest {
namespace {

constexpr uint32_t FILL = 0xFFC825;

TEST(IntroPanel, EachNewGameShowsTheNextOfFiveMessagesOneLeftAndThreeAboveTheCentre) {
    std::string script;
    for (int k = 0; k < 6; ++k) {
        script += Cmd(IDM_NEW) + "state\nshot p" + std::to_string(k) + ".png\n";
    }
    const Outcome r = RunHeadless(script);
    ASSERT_EQ(r.states.size(), 6u) << r.err;
    std::vector<Image> panels;
    for (int k = 0; k < 6; ++k) {
        r.states[k].Expect({{"g_introVisible", 1}, {"g_introIndex", k % 5 + 1}});
        const Image shot = r.Shot("p" + std::to_string(k) + ".png");
        panels.push_back(Crop(shot, ColourBox(shot, FILL)));
        ASSERT_FALSE(panels.back().pixels.empty()) << "no panel in game " << k + 1;
    }
    for (int a = 0; a < 5; ++a) {
        for (int b = a + 1; b < 6; ++b) {
            EXPECT_EQ(Same(panels[a], panels[b]), b == a + 5) << "games " << a + 1 << " and " << b + 1;
        }
    }
    // The fill covers the panel's client area inside its one-pixel edge.
    const Box fill = ColourBox(r.Shot("p0.png"), FILL);
    EXPECT_EQ(fill.left - 1, (CLIENT_WIDTH - (fill.right - fill.left + 2)) / 2 - 1);
    EXPECT_EQ(fill.top - 1, (CLIENT_HEIGHT - (fill.bottom - fill.top + 2)) / 2 - 3);
}

// Closing the About dialog repaints only the part of the panel it covered;
// that paint still advances the message, and the part shows the next one.
TEST(IntroPanel, APaintOfPartOfThePanelStillAdvancesTheMessage) {
    const Outcome r = RunHeadless(Cmd(IDM_NEW) + "shot before.png\nkey alt+/\nshot about.png\npress OK\n" + Wait(10) +
                                  "state\nshot after.png\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(r.states[0]["g_introIndex"], 2);
    const Image before = r.Shot("before.png");
    const Image after = r.Shot("after.png");
    const Box about = DiffBox(before, r.Shot("about.png"));
    const Box changed = DiffBox(before, after);
    EXPECT_FALSE(changed.Empty()) << "the uncovered part still shows the first message";
    EXPECT_TRUE(changed.Within(about)) << "more than the uncovered part was painted";
}

}  // namespace
}  // namespace progtest
