// The intro panel through tavilo-headless: when it shows, which message it
// shows, what hides it, and the pixels of its outlined text.
#include "scenario.h"

namespace progtest {
namespace {

constexpr uint32_t FILL = 0xFFC825;      // 255, 200, 37
constexpr uint32_t SHADE70 = 0xB28B19;   // 178, 139, 25
constexpr uint32_t SHADE80 = 0xCCA01D;   // 204, 160, 29
constexpr uint32_t SHADE90 = 0xE5B321;   // 229, 179, 33
constexpr uint32_t FACE = 0xFFFFFF;

Image Panel(const Image& shot) { return Crop(shot, ColourBox(shot, FILL)); }

bool SameImage(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

TEST(IntroPanel, NeverShownBeforeTheFirstGame) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Wait(2000) + "state\nshot s.png\n" + Command(CMD_ALL) + Tap(40, 30) + "state\n");
    ASSERT_EQ(r.states.size(), 2u) << r.err;
    for (const Json& s : r.states) {
        EXPECT_EQ(s["g_introVisible"].Int(), 0);
        EXPECT_EQ(s["g_introIndex"].Int(), 0);
    }
    EXPECT_TRUE(ColourBox(Shot(r, "s.png"), FILL).Empty());
}

TEST(IntroPanel, EachNewGameShowsTheNextOfFiveMessagesStartingWithTheCredit) {
    REQUIRE_HEADLESS();
    std::string script;
    for (int k = 1; k <= 6; ++k) {
        script += Command(CMD_NEW) + "state\nshot p" + std::to_string(k) + ".png\n";
    }
    const RunResult r = RunOk(script);
    ASSERT_EQ(r.states.size(), 6u) << r.err;
    const int expected[] = {1, 2, 3, 4, 5, 1};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(r.states[k]["g_introVisible"].Int(), 1);
        EXPECT_EQ(r.states[k]["g_introIndex"].Int(), expected[k]) << "game " << k + 1;
    }

    std::vector<Image> panels;
    for (int k = 1; k <= 6; ++k) {
        panels.push_back(Panel(Shot(r, "p" + std::to_string(k) + ".png")));
        ASSERT_FALSE(panels.back().Empty()) << "no panel in game " << k;
    }
    for (int a = 0; a < 5; ++a) {
        for (int b = a + 1; b < 5; ++b) {
            EXPECT_FALSE(SameImage(panels[a], panels[b])) << "messages " << a << " and " << b << " look alike";
        }
    }
    EXPECT_TRUE(SameImage(panels[0], panels[5])) << "the sixth game does not bring the credit back";

    // One pixel left of and three above the centre of the 240 x 294 client
    // area; the fill covers the panel's client area inside its one-pixel edge.
    const Box fill = ColourBox(Shot(r, "p1.png"), FILL);
    const int width = fill.Width() + 2;
    const int height = fill.Height() + 2;
    EXPECT_EQ(fill.left - 1, (CLIENT_WIDTH - width) / 2 - 1);
    EXPECT_EQ(fill.top - 1, (CLIENT_HEIGHT - height) / 2 - 3);
}

TEST(IntroPanel, AllAndAPoleHeadTapHideItWithoutAdvancingIt) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + "state\nshot all.png\n" + Command(CMD_ALL) +
                              Command(CMD_NEW) + "state\n" + Tap(185, 15) + "state\nshot tap.png\n" + Tap(155, 15) +
                              "state\n");
    ASSERT_EQ(r.states.size(), 4u) << r.err;
    EXPECT_EQ(r.states[0]["g_introVisible"].Int(), 0);
    EXPECT_EQ(r.states[0]["g_introIndex"].Int(), 1);
    EXPECT_EQ(r.states[1]["g_introVisible"].Int(), 1);
    EXPECT_EQ(r.states[1]["g_introIndex"].Int(), 2);
    EXPECT_EQ(r.states[2]["g_introVisible"].Int(), 0);
    EXPECT_EQ(r.states[3]["g_introIndex"].Int(), 2);
    EXPECT_TRUE(ColourBox(Shot(r, "all.png"), FILL).Empty());
    EXPECT_TRUE(ColourBox(Shot(r, "tap.png"), FILL).Empty());
}

TEST(IntroPanel, OkInThePlayerCountDialogShowsItAndCancelDoesNot) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_OPTION) + "press CANCEL\nstate\n" + Command(CMD_OPTION) +
                              "press OK\nstate\n" + Command(CMD_OPTION) + "press OK\nstate\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    EXPECT_EQ(r.states[0]["g_introVisible"].Int(), 0);
    EXPECT_EQ(r.states[0]["g_introIndex"].Int(), 0);
    EXPECT_EQ(r.states[1]["g_introVisible"].Int(), 1);
    EXPECT_EQ(r.states[1]["g_introIndex"].Int(), 1);
    EXPECT_EQ(r.states[2]["g_introIndex"].Int(), 2) << "OK over a shown panel brings the next message";
}

TEST(IntroPanel, APaintOfPartOfThePanelStillAdvancesTheMessage) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + "shot before.png\nkey alt+/\nshot about.png\npress OK\n" + Wait(10) +
                              "state\nshot after.png\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(r.states[0]["g_introIndex"].Int(), 2);

    const Image before = Shot(r, "before.png");
    const Image after = Shot(r, "after.png");
    const Box about = DifferenceBox(before, Shot(r, "about.png"));
    const Box panel = ColourBox(before, FILL);
    ASSERT_FALSE(about.Empty());
    // Only what the dialog uncovered was painted, with the next message; the
    // rest of the panel still shows the first.
    for (int y = panel.top; y < panel.bottom; ++y) {
        for (int x = panel.left; x < panel.right; ++x) {
            if (!about.Contains(x, y)) {
                ASSERT_EQ(after.At(x, y), before.At(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_GT(CountDifferences(before, after, about.left, about.top, about.right, about.bottom), 0);
}

TEST(OutlinedText, WhiteFaceWithARimAboveAndAThreePixelShadowBelow) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + "shot p.png\n");
    const Image panel = Panel(Shot(r, "p.png"));
    ASSERT_FALSE(panel.Empty());

    int faceTop = panel.height;
    int faceBottom = -1;
    int facePixels = 0;
    for (int y = 0; y < panel.height; ++y) {
        for (int x = 0; x < panel.width; ++x) {
            const uint32_t p = panel.At(x, y);
            ASSERT_TRUE(p == FILL || p == FACE || p == SHADE70 || p == SHADE80 || p == SHADE90)
                << "unexpected colour " << std::hex << p << " at " << std::dec << x << "," << y;
            if (p != FACE) {
                continue;
            }
            ++facePixels;
            faceTop = std::min(faceTop, y);
            faceBottom = std::max(faceBottom, y);
            // Right above and right below the face, the darkest shade.
            if (y > 0 && panel.At(x, y - 1) != FACE) {
                EXPECT_EQ(panel.At(x, y - 1), SHADE70) << "above " << x << "," << y;
            }
            if (y + 1 < panel.height && panel.At(x, y + 1) != FACE) {
                EXPECT_EQ(panel.At(x, y + 1), SHADE70) << "below " << x << "," << y;
            }
        }
    }
    ASSERT_GT(facePixels, 50) << "no message drawn";

    auto rowHas = [&](int y, uint32_t colour) {
        for (int x = 0; x < panel.width; ++x) {
            if (panel.At(x, y) == colour) {
                return true;
            }
        }
        return false;
    };
    auto rowIsFill = [&](int y) {
        for (int x = 0; x < panel.width; ++x) {
            if (panel.At(x, y) != FILL) {
                return false;
            }
        }
        return true;
    };
    // The rim is one pixel high; the shadow reaches three below the face,
    // palest at its bottom.
    EXPECT_TRUE(rowHas(faceTop - 1, SHADE70));
    EXPECT_TRUE(rowIsFill(faceTop - 2));
    EXPECT_TRUE(rowHas(faceBottom + 3, SHADE90));
    EXPECT_FALSE(rowHas(faceBottom + 3, SHADE70));
    EXPECT_TRUE(rowIsFill(faceBottom + 4));
    // The message is centred: as much fill left of the text as right of it,
    // give or take the halving.
    int left = panel.width;
    int right = -1;
    for (int y = 0; y < panel.height; ++y) {
        for (int x = 0; x < panel.width; ++x) {
            if (panel.At(x, y) != FILL) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_LE(std::abs(left - (panel.width - 1 - right)), 1);
}

}  // namespace
}  // namespace progtest
