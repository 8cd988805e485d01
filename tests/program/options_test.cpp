// The player-count dialog and the count kept in the registry, through
// tavilo-headless and, for the moments of reading and writing, real
// processes watched while they run.
#include <regex>

#include "harness.h"

namespace progtest {
namespace {

std::string StoredCount(const std::string& dir) {
    const std::string registry = RegistryOf(dir);
    std::smatch m;
    return std::regex_search(registry, m, std::regex("\"PlayerCount\"=[^\\r\\n]*")) ? m.str() : "";
}

// A configuration directory whose registry holds the count as the given .reg
// data (dword:..., hex:...), written the way a person editing the file would.
std::string DirWithStoredValue(const std::string& data) {
    const std::string dir = RunHeadless("quit\n").dir;
    const std::string six = "\"PlayerCount\"=dword:00000006";
    std::string registry = RegistryOf(dir);
    WriteFile(dir + "/registry.reg", registry.replace(registry.find(six), six.size(), "\"PlayerCount\"=" + data));
    return dir;
}

// The dialog as it first opens, cut out of the screen.
Image OpenedDialog(const std::string& dir) {
    const Outcome r = RunHeadless("shot base.png\n" + Cmd(IDM_OPTION) + "shot dialog.png\npress CANCEL\n", dir);
    return Crop(r.Shot("dialog.png"), DiffBox(r.Shot("base.png"), r.Shot("dialog.png")));
}

TEST(PlayerCountDialog, OpensCentredAndTheArrowsStepWithinTwoToEight) {
    std::string script = "shot base.png\n" + Cmd(IDM_OPTION) + "shot d6.png\n";
    for (int n = 5; n >= 1; --n) {
        script += "press <\nshot down" + std::to_string(n) + ".png\n";
    }
    script += "press OK\nstate\n" + Cmd(IDM_OPTION) + Repeat("press >\n", 6) + "shot d8.png\npress >\nshot d9.png\n";
    const Outcome r = RunHeadless(script + "press OK\nstate\n");
    ASSERT_EQ(r.states.size(), 2u) << r.err;

    const Image d6 = r.Shot("d6.png");
    const Box box = DiffBox(r.Shot("base.png"), d6);
    ASSERT_NO_FATAL_FAILURE(ExpectCentredDialog(box));
    // Each press shows a different count until 2, where "<" stops; the
    // dialog showing 3 is the dialog a stored 3 opens with.
    Image previous = Crop(d6, box);
    for (int n = 5; n >= 1; --n) {
        const Image now = Crop(r.Shot("down" + std::to_string(n) + ".png"), box);
        EXPECT_EQ(Same(previous, now), n == 1) << "\"<\" towards " << n;
        if (n == 3) {
            EXPECT_TRUE(Same(now, OpenedDialog(DirWithStoredValue("dword:00000003"))));
        }
        previous = now;
    }
    r.states[0].Expect({{"g_playerCount", 2}, {"playerCount", 2}, {"state", 1}, {"originX", 100},
                        {"g_optionsAccepted", 1}, {"g_introVisible", 1}});
    // ">" stops at 8.
    EXPECT_TRUE(Same(r.Shot("d8.png"), r.Shot("d9.png")));
    r.states[1].Expect({{"g_playerCount", 8}, {"playerCount", 8}, {"originX", 10}});
}

// CANCEL leaves the count, the moving game, the All sequence and a hidden
// intro panel as they were. OK, even with the same count, starts a new game
// without the sequence and shows the panel with the next message; an earlier
// OK never stands in for the outcome of the dialog now open.
TEST(PlayerCountDialog, CancelChangesNothingAndOkWithTheSameCountStartsANewGame) {
    const Outcome r = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(100) + "state\n" + Cmd(IDM_OPTION) +
                                  "press >\npress CANCEL\nstate\n" + Wait(50) + "state\n" + Cmd(IDM_OPTION) +
                                  "press OK\nstate\n" + Wait(50) + "state\n" + Cmd(IDM_OPTION) +
                                  "state\npress OK\nstate\n");
    ASSERT_EQ(r.states.size(), 7u) << r.err;
    r.states[1].Expect({{"g_playerCount", 6}, {"playerCount", 6}, {"g_optionsAccepted", 0}, {"g_introVisible", 0},
                        {"g_introIndex", 1}, {"g_allActive", 1}, {"g_allNext", 2}});
    EXPECT_EQ(r.states[1].Runners("pointCount"), r.states[0].Runners("pointCount"));
    EXPECT_EQ(r.states[2].Runners("pointCount"), "3,2,1,0,0,0") << "the game stopped under a cancelled dialog";
    r.states[3].Expect({{"g_optionsAccepted", 1}, {"g_introVisible", 1}, {"g_introIndex", 2}, {"g_allActive", 0},
                        {"state", 1}});
    EXPECT_EQ(r.states[3].Runners("status"), "0,0,0,0,0,0");
    EXPECT_EQ(r.states[4].Runners("status"), "0,0,0,0,0,0") << "the stopped sequence launched a runner";
    r.states[5].Expect({{"g_optionsAccepted", 0}});
    r.states[6].Expect({{"g_optionsAccepted", 1}, {"g_introIndex", 3}});
}

// A first run saves 6. A count typed into the file by hand, or stored with
// too few or too many bytes, must reach neither a board nor the dialog as
// anything but 2 to 8, and is stored back in range.
TEST(Persistence, AFirstRunSavesSixAndEveryStoredValueGivesACountFromTwoToEight) {
    const Outcome first = RunHeadless("state\nquit\n");
    ASSERT_EQ(first.states.size(), 1u) << first.err;
    EXPECT_EQ(first.states[0]["g_playerCount"], 6);
    EXPECT_NE(RegistryOf(first.dir).find("Software\\Menkor\\Tavilo]"), std::string::npos) << RegistryOf(first.dir);
    EXPECT_EQ(StoredCount(first.dir), "\"PlayerCount\"=dword:00000006");

    const std::pair<const char*, int> cases[] = {
        {"dword:00000003", 3}, {"dword:00000009", 8}, {"dword:00000000", 2}, {"dword:00000001", 2},
        {"dword:ffffffff", 2}, {"dword:80000000", 2}, {"dword:7fffffff", 8}, {"hex:03", 3},
        {"hex:09,00", 8},      {"hex:04,00,00", 4},   {"hex:01,00,00,00,00", 6}};
    for (const auto& [data, count] : cases) {
        SCOPED_TRACE(data);
        const std::string dir = DirWithStoredValue(data);
        const Outcome r = RunHeadless("state\n" + Cmd(IDM_NEW) + "state\n", dir);
        ASSERT_EQ(r.states.size(), 2u) << r.err;
        r.states[0].Expect({{"g_playerCount", count}, {"playerCount", count}});
        r.states[1].Expect({{"playerCount", count}});
        EXPECT_EQ(StoredCount(dir), "\"PlayerCount\"=dword:0000000" + std::to_string(count));
    }
    EXPECT_TRUE(Same(OpenedDialog(DirWithStoredValue("dword:00000009")),
                     OpenedDialog(DirWithStoredValue("dword:00000008"))));
}

// The count is written when the window is destroyed: not at OK, and not at
// all by a program that is killed.
TEST(Persistence, ACountChosenWithOkReachesTheRegistryOnlyWhenTheProgramCloses) {
    const std::string dir = DirWithStoredValue("dword:00000006");
    for (const bool kill : {false, true}) {
        SCOPED_TRACE(kill ? "killed" : "closed");
        Live run(dir);
        run.Send(Cmd(IDM_OPTION) + "press <\npress OK\nstate\n");
        const std::vector<State> states = run.WaitForStates(1);
        ASSERT_EQ(states.size(), 1u) << "the program printed no state";
        EXPECT_EQ(states[0]["g_playerCount"], kill ? 4 : 5);
        EXPECT_EQ(StoredCount(dir), kill ? "\"PlayerCount\"=dword:00000005" : "\"PlayerCount\"=dword:00000006");
        EXPECT_EQ(run.End(kill), kill ? -1 : 0);
        EXPECT_EQ(StoredCount(dir), "\"PlayerCount\"=dword:00000005");
    }
}

}  // namespace
}  // namespace progtest
