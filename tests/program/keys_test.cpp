// The keys added over the original input set: a whole game played from the
// keyboard alone, the digits with the rules of a tap on a ball, the
// player-count dialog's keys, keys going to whatever dialog or menu is
// open, and the pictures of the focus marks that only keys bring.
#include <regex>

#include "gdi/png.h"
#include "harness.h"
#include "runner.h"
#include "intro/intro.h"
#include "shell/globals.h"

namespace progtest {
namespace {

std::string StoredCount(const std::string& dir) {
    std::smatch m;
    const std::string registry = RegistryOf(dir);
    return std::regex_search(registry, m, std::regex("\"PlayerCount\"=dword:([0-9a-f]{8})")) ? m.str(1) : "";
}

TEST(Keys, AScriptOfKeysAlonePlaysAWholeGameAndSetsTheCount) {
    const Outcome r = RunHeadless("key n\n" + Wait(100) + "key 1\n" + Wait(200) + "state\nkey a\n" + Wait(5000) +
                                  "state\nkey o\nkey right\nkey enter\n" + Wait(100) + "state\nquit\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    r.states[0].Expect({{"state", 1}, {"g_introVisible", 0}});
    EXPECT_EQ(r.states[0].Runners("status"), "1,0,0,0,0,0") << "key 1 set runner 1 going";
    r.states[1].Expect({{"state", 0}});
    EXPECT_EQ(r.states[1].Runners("status"), "3,3,3,3,3,3") << "key a: every runner arrived";
    r.states[2].Expect({{"g_playerCount", 7}, {"playerCount", 7}, {"state", 1}, {"g_optionsAccepted", 1}});
    EXPECT_EQ(StoredCount(r.dir), "00000007");
}

// What a tap on ball k does: nothing on the title or a finished board, or
// for a player the board does not have; otherwise the intro panel goes and
// an idle runner sets off. Only the plain key counts: with Ctrl, Shift or
// Alt it is some other key.
TEST(Keys, DigitsDoWhatATapOnThatBallDoes) {
    const Outcome r = RunHeadless("key 1\nstate\nkey n\nkey 7\nstate\nkey 3\n" + Wait(60) + "state\n" +
                                  "key kp2 shift+4 ctrl+5 alt+6\n" + Wait(60) + "state\n" +
                                  "key ctrl+a alt+a shift+n ctrl+o\n" + Wait(60) + "state\n" + "key a\n" +
                                  Wait(5000) + "key 4\nstate\n");
    ASSERT_EQ(r.states.size(), 6u) << r.err;
    r.states[0].Expect({{"state", 3}, {"g_introVisible", 0}});
    EXPECT_EQ(r.states[0].Runners("status"), "0,0,0,0,0,0") << "the title";
    r.states[1].Expect({{"state", 1}, {"g_introVisible", 1}});
    EXPECT_EQ(r.states[1].Runners("status"), "0,0,0,0,0,0") << "7 with six players, and the panel stays";
    r.states[2].Expect({{"g_introVisible", 0}});
    EXPECT_EQ(r.states[2].Runners("status"), "0,0,1,0,0,0");
    EXPECT_EQ(r.states[3].Runners("status"), "0,1,1,0,0,0") << "the keypad's 2; no modified digit";
    r.states[4].Expect({{"g_allActive", 0}, {"g_introVisible", 0}});
    EXPECT_EQ(r.states[4].Runners("status"), "0,1,1,0,0,0") << "no modified letter";
    r.states[5].Expect({{"state", 0}});
}

// A key for a runner already on its way dismisses the panel and launches
// nothing, as the tap does; the game is set up inside the process, since no
// script can show the panel over a running runner.
TEST(Keys, TheKeyOfARunnerOnItsWayOnlyDismissesThePanel) {
    auto key = [](unsigned vk, char16_t ch) {
        Step down;
        down.event.kind = host::EventKind::KeyDown, down.event.vk = vk, down.event.ch = ch;
        return down;
    };
    int launched = -1;
    std::vector<Step> steps = {
        CommandStep(IDM_NEW),
        WaitStep(60),
        CheckStep([] {
            ASSERT_NE(g_board, nullptr);
            LaunchRunner(g_board, 2);
            ShowIntroPanel();
        }),
        WaitStep(60),
        CheckStep([&] { launched = g_board->runners[2].pointCount; }),
        key('3', u'3'),
        CheckStep([&] {
            EXPECT_EQ(g_introVisible, 0);
            EXPECT_EQ(g_board->runners[2].status, RUNNER_MOVING);
            EXPECT_EQ(g_board->runners[2].pointCount, launched) << "launched again";
            for (int i : {0, 1, 3, 4, 5}) EXPECT_EQ(g_board->runners[i].status, RUNNER_IDLE) << i;
        }),
    };
    EXPECT_EQ(RunProgram(steps), 0);
}

// Left and "-" step down, Right, "+" and "=" step up, from the top row or
// the keypad, within 2 to 8; Enter is OK and Escape is CANCEL.
TEST(Keys, ThePlayerCountDialogStepsWithArrowsAndSigns) {
    const Outcome r = RunHeadless("key o left left\nkey enter\nstate\n"
                                  "key o - kp- left left\nkey enter\nstate\n"
                                  "key o right + kp+ =\nkey esc\nstate\n"
                                  "key o right + kp+ = right right right right\nkey enter\nstate\nquit\n");
    ASSERT_EQ(r.states.size(), 4u) << r.err;
    r.states[0].Expect({{"g_playerCount", 4}, {"playerCount", 4}, {"g_optionsAccepted", 1}});
    r.states[1].Expect({{"g_playerCount", 2}, {"playerCount", 2}});
    r.states[2].Expect({{"g_playerCount", 2}, {"g_optionsAccepted", 0}});
    r.states[3].Expect({{"g_playerCount", 8}, {"playerCount", 8}});
    EXPECT_EQ(StoredCount(r.dir), "00000008");
}

// While a dialog or a menu is open, keys go to it: N (which would start the
// moving runner 1 over), A and the digits do nothing under About, the
// player-count dialog or while the bar has the keyboard.
TEST(Keys, KeysGoToTheDialogOrMenuThatIsOpen) {
    const Outcome r = RunHeadless("key n\n" + Wait(100) + "key 1\n" + Wait(60) + "key alt+/ n a 2\nstate\nkey esc\n" +
                                  "key o n a 2\nstate\nkey esc\n" + "key f10 n a 2\nstate\nkey esc 3\nstate\n" +
                                  "key alt+/\nkey enter\nkey o\nkey enter\nstate\n");
    ASSERT_EQ(r.states.size(), 5u) << r.err;
    for (int i : {0, 1, 2}) {
        r.states[i].Expect({{"state", 1}, {"g_playerCount", 6}, {"g_allActive", 0}});
        EXPECT_EQ(r.states[i].Runners("status").substr(0, 5), "1,0,0") << i;
    }
    EXPECT_EQ(r.states[3].Runners("status").substr(0, 5), "1,0,1") << "3 once the bar let go";
    r.states[4].Expect({{"g_optionsAccepted", 1}});
    EXPECT_EQ(r.states[4].Runners("status"), "0,0,0,0,0,0") << "Enter closed About, O and Enter started a game";
}

// The marks, on the title screen: the player-count dialog opened with O
// (OK has the focus) and after Tab (CANCEL), the bar after F10, and Help's
// menu opened from the bar. The same dialog opened by the stylus has no
// mark: it differs from the one opened by O inside OK alone.
TEST(Keys, FocusMarksOnlyWhereKeysWereUsed) {
    const Outcome r = RunHeadless("key o\nshot option.png\nkey tab\nshot tab.png\nkey esc\n"
                                  "key f10\nshot bar.png\nkey left left enter\nshot help.png\nkey esc esc\n"
                                  "press Option\nshot tapped.png\npress CANCEL\nshot title.png\n");
    ExpectGolden(r.Shot("option.png"), "keys_option.png");
    ExpectGolden(r.Shot("tab.png"), "keys_option_tab.png");
    ExpectGolden(r.Shot("bar.png"), "keys_bar.png");
    ExpectGolden(r.Shot("help.png"), "keys_help_menu.png");

    const Image tapped = r.Shot("tapped.png");
    const Box dialog = DiffBox(r.Shot("title.png"), tapped);
    const Box mark = DiffBox(r.Shot("option.png"), tapped);
    ASSERT_FALSE(dialog.Empty() || mark.Empty());
    EXPECT_TRUE(mark.Within(Box{dialog.left, (dialog.top + dialog.bottom) / 2, (dialog.left + dialog.right) / 2,
                                dialog.bottom}))
        << "the dialogs differ outside OK";
    EXPECT_TRUE(Same(r.Shot("title.png"), LoadPng(GOLDEN + "title.png"))) << "the bar's mark stayed";
}

}  // namespace
}  // namespace progtest
