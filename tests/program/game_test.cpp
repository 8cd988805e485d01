// The playable game through tavilo-headless: start-up, New, the hand
// pointer, "All", a whole game, New while runners move, the About dialog over
// a moving game, and the ways the program closes.
#include <cmath>
#include <set>

#include "model.h"
#include "scenario.h"

namespace progtest {
namespace {

constexpr int STRIP_TOP = 20;
constexpr int HAND_W = 11;
constexpr int HAND_H = 15;

std::string Repeat(const std::string& lines, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += lines;
    }
    return out;
}

// Distance from a pixel centre to a segment, for "is this pixel on a trail".
double DistanceToSegment(double px, double py, POINT a, POINT b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 == 0 ? 0 : ((px - a.x) * dx + (py - a.y) * dy) / length2;
    t = std::fmax(0, std::fmin(1, t));
    const double cx = a.x + t * dx - px;
    const double cy = a.y + t * dy - py;
    return std::sqrt(cx * cx + cy * cy);
}

// The colours of every runner whose trail passes through the pixel.
std::set<uint32_t> TrailColoursAt(const GameModel& model, int x, int y) {
    std::set<uint32_t> colours;
    for (int i = 0; i < model.board->playerCount; ++i) {
        const std::vector<POINT> trail = TrailOf(model, i);
        for (size_t k = 0; k + 1 < trail.size(); ++k) {
            if (DistanceToSegment(x, y, trail[k], trail[k + 1]) <= 1.0) {
                colours.insert(PixelOf(model.board->runners[i].color));
                break;
            }
        }
    }
    return colours;
}

TEST(StartUp, ShowsOnlyTheTitlePictureWithSixPlayersAndNoTimer) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk("state\nshot start.png\n" + Command(CMD_ALL) + Wait(1000) + "state\n");
    ASSERT_EQ(r.states.size(), 2u) << r.out << r.err;
    const Json& s = r.states[0];
    EXPECT_EQ(s["board"]["state"].Int(), 3);
    EXPECT_EQ(s["board"]["playerCount"].Int(), 6);
    EXPECT_EQ(s["board"]["runners"].items.size(), 6u);
    EXPECT_EQ(s["g_playerCount"].Int(), 6);
    EXPECT_EQ(s["g_introVisible"].Int(), 0);
    EXPECT_EQ(s["g_introIndex"].Int(), 0);

    // "All" on the title screen only sets the flags; with no timer running,
    // nothing ever advances or clears them.
    const Json& later = r.states[1];
    EXPECT_EQ(later["g_allActive"].Int(), 1);
    EXPECT_EQ(later["g_allNext"].Int(), 0);
    EXPECT_EQ(later["board"]["state"].Int(), 3);

    const Image shot = Shot(r, "start.png");
    const Image title = LoadBitmapResource(BMP_TITLE);
    ASSERT_FALSE(shot.Empty());
    ASSERT_FALSE(title.Empty());
    EXPECT_EQ(CountDifferences(shot, title, 0, 0, CLIENT_WIDTH, CLIENT_HEIGHT), 0);
}

TEST(NewGame, PutsEachBallAboveItsPoleAndStartsPlay) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + "state\nshot new.png\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    const Json& s = r.states[0];
    EXPECT_EQ(s["board"]["state"].Int(), 1);
    EXPECT_EQ(s["board"]["originX"].Int(), 40);
    EXPECT_EQ(s["board"]["originY"].Int(), 35);
    EXPECT_EQ(s["g_introVisible"].Int(), 1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Runner(s, i)["status"].Int(), 0);
        EXPECT_EQ(Runner(s, i)["pointCount"].Int(), 0);
    }

    const Image shot = Shot(r, "new.png");
    const Image balls = LoadBitmapResource(BMP_BALLS);
    ASSERT_FALSE(balls.Empty());
    for (int i = 0; i < 6; ++i) {
        // Ball i stands at (pole x - 3, originY - 9): centred over the pole.
        const SpriteMatch m = MatchSprite(shot, PoleX6(i) - 3, 26, balls, 16 * i, 0, 16, 16);
        EXPECT_GT(m.compared, 100) << "ball " << i;
        EXPECT_EQ(m.differing, 0) << "ball " << i;
    }
}

void CheckHandFrames(long long clockStart) {
    const std::string script = Command(CMD_NEW) + "shot s.png\n" + Wait(550) + "state\nshot h550.png\n" + Wait(50) +
                               "state\nshot f0.png\n" + Wait(500) + "state\nshot h1100.png\n" + Wait(50) +
                               "state\nshot f1.png\n" + Wait(550) + "state\nshot f2.png\n" + Wait(550) +
                               "state\nshot f3.png\n";
    const RunResult r = RunOk(script, {"", clockStart});
    ASSERT_EQ(r.states.size(), 6u) << r.err;
    const int expectedNext[] = {0, 1, 1, 2, 0, 1};
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(Runner(r.states[k], 0)["handFrame"].Int(), expectedNext[k]) << "state " << k;
        for (int i = 1; i < 6; ++i) {
            EXPECT_EQ(Runner(r.states[k], i)["handFrame"].Int(), 0) << "only the lowest idle pole has a hand";
        }
    }

    const Image before = Shot(r, "s.png");
    const Image hand = LoadBitmapResource(BMP_HAND);
    ASSERT_FALSE(hand.Empty());
    // 500 ms after the first tick is not yet more than 500 ms.
    EXPECT_EQ(CountDifferences(before, Shot(r, "h550.png"), 0, 0, CLIENT_WIDTH, CLIENT_HEIGHT), 0);
    EXPECT_EQ(CountDifferences(before, Shot(r, "h1100.png"), 0, 0, CLIENT_WIDTH, 240) -
                  CountDifferences(before, Shot(r, "f0.png"), 0, 0, CLIENT_WIDTH, 240),
              0)
        << "no new frame 500 ms after the last one";

    const char* shots[] = {"f0.png", "f1.png", "f2.png", "f3.png"};
    const int frames[] = {0, 1, 2, 0};
    for (int k = 0; k < 4; ++k) {
        const Image shot = Shot(r, shots[k]);
        const Image expected = Overlay(before, PoleX6(0), STRIP_TOP, hand, HAND_W * frames[k], 0, HAND_W, HAND_H);
        EXPECT_EQ(CountDifferences(shot, expected, 0, 0, CLIENT_WIDTH, CLIENT_HEIGHT), 0) << shots[k];
    }
}

TEST(HandPointer, FirstFrameAfterMoreThan500msThenFramesZeroOneTwoZero) {
    REQUIRE_HEADLESS();
    CheckHandFrames(7000000);
}

// The tick count wraps through zero between the first tick and the first
// frame; the interval is an unsigned difference and stays right.
TEST(HandPointer, TheIntervalHoldsAcrossTheWrapOfTheTickCount) {
    REQUIRE_HEADLESS();
    CheckHandFrames((1LL << 32) - 300);
}

TEST(AllSequence, LaunchesOneRunnerPerTickAndSwitchesOffInTheSeventh) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + "state\n" + Repeat(Wait(50) + "state\n", 7));
    ASSERT_EQ(r.states.size(), 8u) << r.err;
    EXPECT_EQ(r.states[0]["g_introVisible"].Int(), 0) << "All hides the intro panel";
    EXPECT_EQ(r.states[0]["g_allActive"].Int(), 1);
    for (int tick = 1; tick <= 6; ++tick) {
        const Json& s = r.states[tick];
        EXPECT_EQ(s["g_allActive"].Int(), 1) << "tick " << tick;
        EXPECT_EQ(s["g_allNext"].Int(), tick) << "tick " << tick;
        for (int i = 0; i < 6; ++i) {
            const bool launched = i < tick;
            EXPECT_EQ(Runner(s, i)["status"].Int(), launched ? 1 : 0) << "tick " << tick << " runner " << i;
            // A runner launched by the sequence steps in the same tick.
            EXPECT_EQ(Runner(s, i)["pointCount"].Int(), launched ? tick - i : 0) << "tick " << tick;
        }
    }
    EXPECT_EQ(r.states[7]["g_allActive"].Int(), 0);
    EXPECT_EQ(r.states[7]["g_allNext"].Int(), 0);
}

TEST(AllSequence, AllAgainStartsOverAndSkipsRunnersAlreadyOnTheirWay) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(150) + Command(CMD_ALL) + "state\n" +
                              Repeat(Wait(50) + "state\n", 4));
    ASSERT_EQ(r.states.size(), 5u) << r.err;
    EXPECT_EQ(r.states[0]["g_allNext"].Int(), 0);
    EXPECT_EQ(r.states[0]["g_allActive"].Int(), 1);
    for (int tick = 1; tick <= 3; ++tick) {
        EXPECT_EQ(r.states[tick]["g_allNext"].Int(), tick);
        EXPECT_EQ(Runner(r.states[tick], 3)["status"].Int(), 0) << "tick " << tick;
        // Runner 0 is not launched twice: its trail just goes on growing.
        EXPECT_EQ(Runner(r.states[tick], 0)["pointCount"].Int(), 3 + tick);
    }
    EXPECT_EQ(Runner(r.states[4], 3)["status"].Int(), 1);
    EXPECT_EQ(Runner(r.states[4], 3)["pointCount"].Int(), 1);
}

TEST(AllSequence, OnAFinishedBoardLaunchesNothingAndStopsAfterPlayersPlusOneTicks) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(6000) + "state\nshot done.png\n" +
                              Command(CMD_ALL) + Repeat(Wait(50) + "state\n", 7) + "shot after.png\n");
    ASSERT_EQ(r.states.size(), 8u) << r.err;
    ASSERT_EQ(r.states[0]["board"]["state"].Int(), 0);
    for (int tick = 1; tick <= 6; ++tick) {
        EXPECT_EQ(r.states[tick]["g_allActive"].Int(), 1);
        EXPECT_EQ(r.states[tick]["g_allNext"].Int(), tick);
    }
    EXPECT_EQ(r.states[7]["g_allActive"].Int(), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Runner(r.states[7], i)["pointCount"].Int(), Runner(r.states[0], i)["pointCount"].Int());
    }
    EXPECT_EQ(CountDifferences(Shot(r, "done.png"), Shot(r, "after.png"), 0, 0, CLIENT_WIDTH, CLIENT_HEIGHT), 0);
}

TEST(WholeGame, TrailsAndArrivalBallsWhereTheRulesPutThemAndDoneOneTickAfterTheLastArrival) {
    REQUIRE_HEADLESS();
    constexpr uint64_t CLOCK = 123456789;
    constexpr int TICKS = 70;
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Repeat(Wait(50) + "state\n", TICKS) +
                                  "shot end.png\n" + Wait(2000) + "shot later.png\nstate\n",
                              {"", static_cast<long long>(CLOCK)});
    ASSERT_EQ(r.states.size(), static_cast<size_t>(TICKS + 1)) << r.err;

    GameModel model;
    BuildModel(model, 6, CLOCK);
    for (int tick = 1; tick <= TICKS; ++tick) {
        RunAllTicks(model, 1);
        const Json& s = r.states[tick - 1];
        ASSERT_EQ(s["board"]["state"].Int(), model.board->state) << "tick " << tick;
        for (int i = 0; i < 6; ++i) {
            const ::Runner& m = model.board->runners[i];
            ASSERT_EQ(Runner(s, i)["status"].Int(), m.status) << "tick " << tick << " runner " << i;
            ASSERT_EQ(Runner(s, i)["column"].Int(), m.column) << "tick " << tick << " runner " << i;
            ASSERT_EQ(Runner(s, i)["row"].Int(), m.row) << "tick " << tick << " runner " << i;
            ASSERT_EQ(Runner(s, i)["pointCount"].Int(), m.pointCount) << "tick " << tick << " runner " << i;
        }
    }
    ASSERT_EQ(model.board->state, 0) << "the game should be over within the ticks run";

    // The board turns done exactly one tick after the last arrival.
    int lastArrival = 0;
    for (int tick = 1; tick <= TICKS; ++tick) {
        bool allArrived = true;
        for (int i = 0; i < 6; ++i) {
            allArrived = allArrived && Runner(r.states[tick - 1], i)["status"].Int() == 3;
        }
        if (allArrived && lastArrival == 0) {
            lastArrival = tick;
        }
    }
    ASSERT_GT(lastArrival, 0);
    EXPECT_EQ(r.states[lastArrival - 1]["board"]["state"].Int(), 1);
    EXPECT_EQ(r.states[lastArrival]["board"]["state"].Int(), 0);

    const Image end = Shot(r, "end.png");
    ASSERT_FALSE(end.Empty());
    for (int i = 0; i < 6; ++i) {
        const std::vector<POINT> trail = TrailOf(model, i);
        ASSERT_GE(trail.size(), 14u);
        for (size_t k = 0; k < trail.size(); ++k) {
            const POINT p = trail[k];
            const std::set<uint32_t> colours = TrailColoursAt(model, p.x, p.y);
            EXPECT_TRUE(colours.count(end.At(p.x, p.y)) == 1)
                << "runner " << i << " point " << k << " at " << p.x << "," << p.y << " is " << std::hex
                << end.At(p.x, p.y);
            if (k + 1 < trail.size()) {
                const int mx = (p.x + trail[k + 1].x) / 2;
                const int my = (p.y + trail[k + 1].y) / 2;
                EXPECT_TRUE(TrailColoursAt(model, mx, my).count(end.At(mx, my)) == 1)
                    << "runner " << i << " between points " << k << " and " << k + 1;
            }
        }
    }

    const Image balls = LoadBitmapResource(BMP_BALLS);
    for (int i = 0; i < 6; ++i) {
        const ::Runner& m = model.board->runners[i];
        const int x = m.column * 10 + 40 - 4;
        const SpriteMatch match = MatchSprite(end, x, 239, balls, 16 * i, 0, 16, 16);
        EXPECT_GT(match.compared, 100);
        EXPECT_EQ(match.differing, 0) << "arrival ball of runner " << i << " at x " << x;
    }

    // Once done, the ticks draw nothing.
    EXPECT_EQ(CountDifferences(end, Shot(r, "later.png"), 0, 0, 240, 320), 0);
    EXPECT_EQ(r.states.back()["board"]["state"].Int(), 0);
}

TEST(NewGame, WhileRunnersMoveStartsAFreshBoardAndWipesTheTrails) {
    REQUIRE_HEADLESS();
    constexpr uint64_t CLOCK = 555000;
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(300) + "state\n" + Command(CMD_NEW) +
                                  "state\nshot fresh.png\n",
                              {"", static_cast<long long>(CLOCK)});
    ASSERT_EQ(r.states.size(), 2u) << r.err;
    EXPECT_EQ(Runner(r.states[0], 0)["status"].Int(), 1);
    const Json& s = r.states[1];
    EXPECT_EQ(s["board"]["state"].Int(), 1);
    EXPECT_EQ(s["g_allActive"].Int(), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Runner(s, i)["status"].Int(), 0);
        EXPECT_EQ(Runner(s, i)["pointCount"].Int(), 0);
    }

    GameModel old;
    BuildModel(old, 6, CLOCK);
    RunAllTicks(old, 6);
    const Image fresh = Shot(r, "fresh.png");
    for (int i = 0; i < 6; ++i) {
        for (const POINT& p : TrailOf(old, i)) {
            EXPECT_NE(fresh.At(p.x, p.y), PixelOf(old.board->runners[i].color)) << "runner " << i;
        }
    }
}

TEST(AboutDialog, OpensCentredWhileTheGameGoesOnUnderItAndLeavesNoTrace) {
    REQUIRE_HEADLESS();
    constexpr long long CLOCK = 4242000;
    const RunResult with = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(100) + "shot a0.png\nkey alt+/\nstate\n" +
                                     "shot a1.png\n" + Wait(500) + "state\nshot a2.png\npress OK\n" + Wait(50) +
                                     "state\nshot a3.png\n",
                                 {"", CLOCK});
    const RunResult without = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(650) + "shot b.png\n", {"", CLOCK});
    ASSERT_EQ(with.states.size(), 3u) << with.err;

    const Image a0 = Shot(with, "a0.png");
    const Image a1 = Shot(with, "a1.png");
    const Image a2 = Shot(with, "a2.png");
    const Box dialog = DifferenceBox(a0, a1);
    ASSERT_FALSE(dialog.Empty()) << "the About dialog did not appear";
    EXPECT_EQ(dialog.left, (CLIENT_WIDTH - dialog.Width()) / 2);
    EXPECT_EQ(dialog.top, (CLIENT_HEIGHT - dialog.Height()) / 2);

    // The game goes on: ten more ticks for runner 0 while the dialog is up.
    EXPECT_EQ(Runner(with.states[1], 0)["pointCount"].Int() - Runner(with.states[0], 0)["pointCount"].Int(), 10);
    // Nothing drawn over the dialog, while the trails beside it grew.
    EXPECT_EQ(CountDifferences(a1, a2, dialog.left, dialog.top, dialog.right, dialog.bottom), 0);
    EXPECT_GT(CountDifferences(a1, a2, 0, 0, CLIENT_WIDTH, CLIENT_HEIGHT), 0);

    // Closed, the screen is what the same game shows without ever opening it.
    EXPECT_EQ(CountDifferences(Shot(with, "a3.png"), Shot(without, "b.png"), 0, 0, 240, 320), 0);
}

TEST(Closing, ExitAltF4AndTheExitButtonEndWithCodeZeroAndSaveTheCount) {
    REQUIRE_HEADLESS();
    const char* endings[] = {"command 40002\n", "key alt+f4\n", "press Exit\n"};
    for (const char* ending : endings) {
        const RunResult r = RunHeadless(Command(CMD_NEW) + Command(CMD_ALL) + Wait(200) + ending);
        EXPECT_EQ(r.exitCode, 0) << ending << r.err;
        const std::string registry = ReadFile(RegistryPath(r.dir));
        EXPECT_NE(registry.find("\"PlayerCount\"=dword:00000006"), std::string::npos) << ending << registry;
    }
}

}  // namespace
}  // namespace progtest
