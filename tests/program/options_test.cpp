// The player-count dialog and the count kept in the registry, through
// tavilo-headless and, for the moments of reading and writing, real
// processes that are watched while they run.
#include <regex>

#include "scenario.h"

namespace progtest {
namespace {

std::string StoredCountLine(const std::string& registry) {
    std::smatch m;
    if (std::regex_search(registry, m, std::regex("\"PlayerCount\"=[^\\r\\n]*"))) {
        return m.str();
    }
    return "";
}

// A configuration directory whose registry holds the count as the given
// .reg data (dword:..., hex:...), written the way a person editing the file
// would.
std::string DirWithStoredValue(const std::string& data) {
    const std::string dir = MakeTempDir();
    RunHeadless("quit\n", {dir, -1});
    std::string registry = ReadFile(RegistryPath(dir));
    const std::string line = StoredCountLine(registry);
    EXPECT_FALSE(line.empty()) << registry;
    registry.replace(registry.find(line), line.size(), "\"PlayerCount\"=" + data);
    WriteFile(RegistryPath(dir), registry);
    return dir;
}

// The dialog as it first opens, cut out of the screen.
Image OpenedDialog(const RunOptions& options) {
    const RunResult r = RunOk("shot base.png\n" + Command(CMD_OPTION) + "shot dialog.png\npress CANCEL\n", options);
    const Image base = Shot(r, "base.png");
    const Image dialog = Shot(r, "dialog.png");
    return Crop(dialog, DifferenceBox(base, dialog));
}

bool SameImage(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

TEST(PlayerCountDialog, OpensCentredAndTheArrowsStepWithinTwoToEight) {
    REQUIRE_HEADLESS();
    std::string script = "shot base.png\n" + Command(CMD_OPTION) + "shot d6.png\n";
    for (int n = 5; n >= 1; --n) {
        script += "press <\nshot down" + std::to_string(n) + ".png\n";
    }
    script += "press OK\nstate\n";
    const RunResult r = RunOk(script);
    ASSERT_EQ(r.states.size(), 1u) << r.err;

    const Image base = Shot(r, "base.png");
    const Image d6 = Shot(r, "d6.png");
    const Box box = DifferenceBox(base, d6);
    ASSERT_FALSE(box.Empty()) << "the dialog did not appear";
    EXPECT_EQ(box.left, (CLIENT_WIDTH - box.Width()) / 2);
    EXPECT_EQ(box.top, (CLIENT_HEIGHT - box.Height()) / 2);

    // Each press shows a different count until 2, where "<" stops.
    Image previous = Crop(d6, box);
    for (int n = 5; n >= 2; --n) {
        const Image now = Crop(Shot(r, "down" + std::to_string(n) + ".png"), box);
        EXPECT_FALSE(SameImage(previous, now)) << "\"<\" did not change the count towards " << n;
        previous = now;
    }
    EXPECT_TRUE(SameImage(Crop(Shot(r, "down2.png"), box), Crop(Shot(r, "down1.png"), box)))
        << "\"<\" went below 2";

    const Json& s = r.states[0];
    EXPECT_EQ(s["g_playerCount"].Int(), 2);
    EXPECT_EQ(s["board"]["playerCount"].Int(), 2);
    EXPECT_EQ(s["board"]["state"].Int(), 1);
    EXPECT_EQ(s["board"]["originX"].Int(), 100);
    EXPECT_EQ(s["g_optionsAccepted"].Int(), 1);
    EXPECT_EQ(s["g_introVisible"].Int(), 1);

    // The dialog showing 3 after three presses is the dialog of a stored 3.
    const Image stepped = Crop(Shot(r, "down3.png"), box);
    const Image stored = OpenedDialog({DirWithStoredValue("dword:00000003"), -1});
    EXPECT_TRUE(SameImage(stepped, stored));
}

TEST(PlayerCountDialog, MoreStopsAtEight) {
    REQUIRE_HEADLESS();
    const RunResult r =
        RunOk(Command(CMD_OPTION) + "press >\npress >\nshot d8.png\npress >\nshot d9.png\npress OK\nstate\n");
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(CountDifferences(Shot(r, "d8.png"), Shot(r, "d9.png"), 0, 0, 240, 320), 0);
    EXPECT_EQ(r.states[0]["g_playerCount"].Int(), 8);
    EXPECT_EQ(r.states[0]["board"]["playerCount"].Int(), 8);
    EXPECT_EQ(r.states[0]["board"]["originX"].Int(), 10);
}

TEST(PlayerCountDialog, CancelLeavesCountBoardTimerAndPanelAlone) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Tap(40, 30) + Wait(100) + "state\n" + Command(CMD_OPTION) +
                              "press >\npress CANCEL\nstate\n" + Wait(50) + "state\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    const Json& before = r.states[0];
    const Json& after = r.states[1];
    EXPECT_EQ(after["g_playerCount"].Int(), 6);
    EXPECT_EQ(after["g_optionsAccepted"].Int(), 0);
    EXPECT_EQ(after["g_introVisible"].Int(), before["g_introVisible"].Int());
    EXPECT_EQ(after["g_introIndex"].Int(), before["g_introIndex"].Int());
    EXPECT_EQ(after["board"]["playerCount"].Int(), 6);
    EXPECT_EQ(Runner(after, 0)["status"].Int(), 1);
    EXPECT_EQ(Runner(after, 0)["pointCount"].Int(), Runner(before, 0)["pointCount"].Int());
    EXPECT_EQ(Runner(r.states[2], 0)["pointCount"].Int(), Runner(before, 0)["pointCount"].Int() + 1)
        << "the same board goes on moving";
}

TEST(PlayerCountDialog, OkWithTheSameCountStillStartsANewGame) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(200) + Command(CMD_OPTION) +
                              "press OK\nstate\n" + Wait(50) + "state\n" + Command(CMD_OPTION) +
                              "state\npress CANCEL\n");
    ASSERT_EQ(r.states.size(), 3u) << r.err;
    // An earlier OK never stands in for the dialog now open: only its own
    // outcome counts.
    EXPECT_EQ(r.states[2]["g_optionsAccepted"].Int(), 0);
    const Json& s = r.states[0];
    EXPECT_EQ(s["g_optionsAccepted"].Int(), 1);
    EXPECT_EQ(s["g_introVisible"].Int(), 1);
    EXPECT_EQ(s["g_allActive"].Int(), 0);
    EXPECT_EQ(s["board"]["state"].Int(), 1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Runner(s, i)["status"].Int(), 0);
        EXPECT_EQ(Runner(r.states[1], i)["status"].Int(), 0) << "the stopped sequence launched runner " << i;
    }
}

TEST(Persistence, FirstRunSavesSixAndAStoredThreeGivesTheFirstBoardThreePlayers) {
    REQUIRE_HEADLESS();
    const std::string dir = MakeTempDir();
    const RunResult first = RunOk("state\nquit\n", {dir, -1});
    ASSERT_EQ(first.states.size(), 1u) << first.err;
    EXPECT_EQ(first.states[0]["g_playerCount"].Int(), 6);
    const std::string registry = ReadFile(RegistryPath(dir));
    EXPECT_NE(registry.find("Software\\Menkor\\Tavilo]"), std::string::npos) << registry;
    EXPECT_EQ(StoredCountLine(registry), "\"PlayerCount\"=dword:00000006");

    const std::string three = DirWithStoredValue("dword:00000003");
    const RunResult second = RunOk("state\n" + Command(CMD_NEW) + "state\n", {three, -1});
    ASSERT_EQ(second.states.size(), 2u) << second.err;
    EXPECT_EQ(second.states[0]["g_playerCount"].Int(), 3);
    EXPECT_EQ(second.states[0]["board"]["playerCount"].Int(), 3) << "the title board already has the stored count";
    EXPECT_EQ(second.states[1]["board"]["playerCount"].Int(), 3);
    EXPECT_EQ(second.states[1]["board"]["originX"].Int(), 85);
}

TEST(Persistence, ACountChosenWithOkReachesTheRegistryOnlyWhenTheProgramCloses) {
    REQUIRE_HEADLESS();
    const std::string dir = DirWithStoredValue("dword:00000006");
    {
        Interactive run(dir);
        run.Send(Command(CMD_OPTION) + "press <\npress OK\nstate\n");
        ASSERT_TRUE(run.WaitForStates(1));
        EXPECT_EQ(run.States()[0]["g_playerCount"].Int(), 5);
        EXPECT_EQ(StoredCountLine(ReadFile(RegistryPath(dir))), "\"PlayerCount\"=dword:00000006");
        EXPECT_EQ(run.Finish(), 0);
    }
    EXPECT_EQ(StoredCountLine(ReadFile(RegistryPath(dir))), "\"PlayerCount\"=dword:00000005");

    // A program that ends without its window being destroyed keeps the old
    // stored value.
    {
        Interactive run(dir);
        run.Send(Command(CMD_OPTION) + "press <\npress OK\nstate\n");
        ASSERT_TRUE(run.WaitForStates(1));
        EXPECT_EQ(run.States()[0]["g_playerCount"].Int(), 4);
        run.Kill();
    }
    EXPECT_EQ(StoredCountLine(ReadFile(RegistryPath(dir))), "\"PlayerCount\"=dword:00000005");
}

// A count typed into the file by hand, or stored with too few bytes, must
// reach neither a board nor the dialog as anything but 2 to 8.
TEST(Persistence, StoredCountsOutsideTwoToEightAreBroughtIntoRange) {
    REQUIRE_HEADLESS();
    struct Case {
        const char* data;
        int count;
    };
    const Case cases[] = {
        {"dword:00000009", 8}, {"dword:00000000", 2}, {"dword:00000001", 2}, {"dword:ffffffff", 2},
        {"dword:80000000", 2}, {"dword:7fffffff", 8}, {"hex:03", 3},         {"hex:09,00", 8},
        {"hex:04,00,00", 4},
    };
    for (const Case& c : cases) {
        const std::string dir = DirWithStoredValue(c.data);
        const RunResult r = RunOk("state\n" + Command(CMD_NEW) + "state\n", {dir, -1});
        ASSERT_EQ(r.states.size(), 2u) << c.data << r.err;
        EXPECT_EQ(r.states[0]["g_playerCount"].Int(), c.count) << c.data;
        EXPECT_EQ(r.states[0]["board"]["playerCount"].Int(), c.count) << c.data;
        EXPECT_EQ(r.states[1]["board"]["playerCount"].Int(), c.count) << c.data;
        char expected[64];
        std::snprintf(expected, sizeof expected, "\"PlayerCount\"=dword:%08x", c.count);
        EXPECT_EQ(StoredCountLine(ReadFile(RegistryPath(dir))), expected) << c.data;
    }

    // The dialog of a stored 9 shows the same 8 as the dialog of a stored 8.
    EXPECT_TRUE(SameImage(OpenedDialog({DirWithStoredValue("dword:00000009"), -1}),
                          OpenedDialog({DirWithStoredValue("dword:00000008"), -1})));
}

}  // namespace
}  // namespace progtest
