// The playable game through tavilo-headless: start-up, New, the hand
// pointer, "All", New while runners move, the About dialog over a moving
// game, and the ways the program closes.
#include "harness.h"

namespace progtest {
namespace {

// Nothing a person does on the title screen starts anything: All only sets
// its flags, which with no timer running nothing advances or clears, a tap
// launches nothing, a stroke draws nothing and the intro panel stays away.
TEST(StartUp, TitlePictureOnlyWithSixPlayersAndNoTimer) {
    const Outcome r = RunHeadless("state\n" + Cmd(IDM_ALL) + At("tap", 40, 30) + At("down", 100, 260) + "state\n" +
                                  At("move", 150, 270) + At("up", 150, 270) + Wait(2000) + "state\nshot start.png\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    r.states[0].Expect({{"state", 3}, {"playerCount", 6}, {"g_playerCount", 6}, {"g_allActive", 0}});
    r.states[1].Expect({{"g_penDown", 0}, {"g_introIndex", 0}});
    r.states[2].Expect({{"state", 3}, {"g_allActive", 1}, {"g_allNext", 0}, {"g_introVisible", 0}});
    EXPECT_EQ(r.states[2].Runners("status"), "0,0,0,0,0,0");
    EXPECT_TRUE(SameIn(r.Shot("start.png"), Bitmap(IDB_TITLE), {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT}));
}

TEST(NewGame, PutsEachBallCentredAboveItsPole) {
    const Outcome r = RunHeadless(Cmd(IDM_NEW) + "state\nshot new.png\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    r.states[0].Expect({{"state", 1}, {"originX", 40}, {"g_introVisible", 1}, {"g_introIndex", 1}});
    for (int i = 0; i < 6; ++i) {
        // Ball i stands at (pole x - 3, originY - 9).
        EXPECT_EQ(SpriteMisses(r.Shot("new.png"), 40 + 30 * i - 3, 26, Bitmap(IDB_BALLS), 16 * i, 16, 16), 0) << i;
    }
}

// The first tick starts the hand's clock; a frame comes when more than 500 ms
// have passed, measured as an unsigned difference, so the interval holds when
// the tick count wraps through zero in between.
TEST(HandPointer, FramesZeroOneTwoZeroOverTheLowestIdlePoleEachAfterMoreThan500ms) {
    for (const long long clock : {7000000LL, (1LL << 32) - 300}) {
        SCOPED_TRACE(clock);
        const Outcome r = RunHeadless(Cmd(IDM_NEW) + "shot s.png\n" + Wait(550) + "shot h550.png\n" + Wait(50) +
                                          "shot f0.png\n" + Wait(500) + "shot h1100.png\n" + Wait(50) +
                                          "shot f1.png\n" + Wait(550) + "shot f2.png\n" + Wait(550) + "shot f3.png\n",
                                      "", clock);
        const Image before = r.Shot("s.png");
        EXPECT_TRUE(Same(before, r.Shot("h550.png"))) << "500 ms is not more than 500 ms";
        EXPECT_TRUE(Same(r.Shot("f0.png"), r.Shot("h1100.png"))) << "a frame 500 ms after the last";
        const int frames[] = {0, 1, 2, 0};
        for (int k = 0; k < 4; ++k) {
            const Image shot = r.Shot("f" + std::to_string(k) + ".png");
            EXPECT_TRUE(DiffBox(before, shot).Within({40, 20, 51, 35})) << "frame " << k << " drew elsewhere";
            EXPECT_EQ(SpriteMisses(shot, 40, 20, Bitmap(IDB_HAND), 11 * frames[k], 11, 15), 0) << "frame " << k;
        }
    }
}

// The sequence launches the next idle runner in each tick, and the runner
// steps in the same tick; All again starts over from runner 0, passing the
// runners already on their way, and the sequence ends in the seventh tick.
TEST(AllSequence, OneLaunchPerTickStartsOverOnAllAgainAndEndsInTheSeventhTick) {
    const Outcome r = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + "state\n" + Repeat(Wait(50) + "state\n", 3) +
                                  Cmd(IDM_ALL) + "state\n" + Repeat(Wait(50) + "state\n", 7));
    ASSERT_EQ(r.states.size(), 12u) << r.err;
    r.states[0].Expect({{"g_introVisible", 0}, {"g_introIndex", 1}});
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        const int tick = k < 4 ? k : k - 1;        // ticks since the first All
        const int inSequence = k < 4 ? k : k - 4;  // ticks since the latest All
        r.states[k].Expect({{"g_allActive", inSequence < 7}, {"g_allNext", inSequence < 7 ? inSequence : 0}});
        for (int i = 0; i < 6; ++i) {
            const int launch = i < 3 ? i + 1 : i + 4;
            EXPECT_EQ(r.states[k].Runner(i, "status"), tick >= launch) << "runner " << i;
            EXPECT_EQ(r.states[k].Runner(i, "pointCount"), std::max(0, tick - launch + 1)) << "runner " << i;
        }
    }
}

// The board of a New while runners move is the board a program shows whose
// first game started at that moment: no trail of the old game is left.
TEST(NewGame, WhileRunnersMoveStartsAFreshBoard) {
    const Outcome moving = RunHeadless(
        Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(300) + "state\n" + Cmd(IDM_NEW) + "state\nshot fresh.png\n", "", 555000);
    const Outcome fresh = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Cmd(IDM_NEW) + "shot fresh.png\n", "", 555300);
    ASSERT_EQ(moving.states.size(), 2u) << moving.err;
    EXPECT_EQ(moving.states[0].Runners("status"), "1,1,1,1,1,1");
    moving.states[1].Expect({{"state", 1}, {"g_allActive", 0}});
    EXPECT_EQ(moving.states[1].Runners("pointCount"), "0,0,0,0,0,0");
    EXPECT_TRUE(Same(moving.Shot("fresh.png"), fresh.Shot("fresh.png")));
}

TEST(AboutDialog, OpensCentredWhileTheGameGoesOnUnderItAndLeavesNoTrace) {
    const Outcome with = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(100) + "shot a0.png\nkey alt+/\nstate\n" +
                                         "shot a1.png\n" + Wait(500) + "state\nshot a2.png\npress OK\n" + Wait(50) +
                                         "shot a3.png\n",
                                     "", 4242000);
    const Outcome without = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(650) + "shot b.png\n", "", 4242000);
    ASSERT_EQ(with.states.size(), 2u) << with.err;
    const Image a1 = with.Shot("a1.png");
    const Image a2 = with.Shot("a2.png");
    const Box dialog = DiffBox(with.Shot("a0.png"), a1);
    ASSERT_NO_FATAL_FAILURE(ExpectCentredDialog(dialog));
    // The game goes on: ten more steps of runner 0, and trails that grow
    // beside the dialog while nothing is drawn over it.
    EXPECT_EQ(with.states[1].Runner(0, "pointCount") - with.states[0].Runner(0, "pointCount"), 10);
    EXPECT_TRUE(SameIn(a1, a2, dialog));
    EXPECT_FALSE(Same(a1, a2));
    // Closed, the screen is what the same game shows without ever opening it.
    EXPECT_TRUE(Same(with.Shot("a3.png"), without.Shot("b.png")));
}

// Taps on the bar are ignored under a modal dialog; a script's command is
// refused in the same way, naming the dialog, rather than opening Option
// inside About, which then was never drawn again.
TEST(AboutDialog, AScriptCommandIsRefusedWhileADialogIsOpen) {
    const Outcome about = RunHeadless("key alt+/\nstate\n" + Cmd(IDM_OPTION) + "press OK\nstate\n", "", -1, "", "", 2);
    EXPECT_EQ(about.states.size(), 1u) << "nothing ran after the refused line";
    EXPECT_NE(about.err.find("script.txt:3: "), std::string::npos) << about.err;
    EXPECT_NE(about.err.find("\"About Tavilo!\""), std::string::npos) << about.err;
    const Outcome option = RunHeadless("press Option\n" + Cmd(IDM_NEW), "", -1, "", "", 2);
    EXPECT_NE(option.err.find("script.txt:2: "), std::string::npos) << option.err;
    EXPECT_NE(option.err.find("\"OK\""), std::string::npos) << "named by its buttons: " << option.err;
    // Closed, commands reach the window again.
    EXPECT_EQ(RunHeadless("key alt+/\npress OK\n" + Cmd(IDM_NEW) + "state\n").states.at(0)["state"], 1);
}

TEST(Closing, ExitAltF4AndTheExitButtonEndWithCodeZeroAndSaveTheCount) {
    for (const char* ending : {"command 40002\n", "key alt+f4\n", "press Exit\n"}) {
        SCOPED_TRACE(ending);
        const Outcome r = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(200) + ending + Wait(100) + "state\n");
        EXPECT_TRUE(r.states.empty()) << "the program went on after closing";
        EXPECT_NE(RegistryOf(r.dir).find("\"PlayerCount\"=dword:00000006"), std::string::npos);
    }
}

}  // namespace
}  // namespace progtest
