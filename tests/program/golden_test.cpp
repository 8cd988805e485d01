// Pictures that are the contract: the title screen, a finished six-player
// game from a fixed clock, and the intro panel's first message. Run with
// TAVILO_UPDATE_GOLDEN=1 to write new references, then look at them.
#include <cstdlib>

#include "scenario.h"

namespace progtest {
namespace {

void ExpectGolden(const Image& shot, const std::string& name) {
    ASSERT_FALSE(shot.Empty());
    const std::string path = std::string(TAVILO_GOLDEN_DIR) + "/" + name;
    if (std::getenv("TAVILO_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(SavePng(shot, path));
    }
    const Image golden = LoadPng(path);
    ASSERT_FALSE(golden.Empty()) << "missing reference " << path;
    ASSERT_EQ(golden.width, shot.width);
    ASSERT_EQ(golden.height, shot.height);
    const int differing = CountDifferences(golden, shot, 0, 0, shot.width, shot.height);
    if (differing != 0) {
        SavePng(shot, ::testing::TempDir() + "/actual-" + name);
    }
    EXPECT_EQ(differing, 0) << name << " differs; the picture taken is in " << ::testing::TempDir();
}

TEST(Golden, TitleScreen) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk("shot title.png\n");
    ExpectGolden(Shot(r, "title.png"), "title.png");
}

TEST(Golden, FinishedSixPlayerGame) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + Command(CMD_ALL) + Wait(5000) + "state\nshot finished.png\n",
                              {"", 86400000});
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    ASSERT_EQ(r.states[0]["board"]["state"].Int(), 0);
    ExpectGolden(Shot(r, "finished.png"), "finished6.png");
}

TEST(Golden, IntroPanelWithTheCredit) {
    REQUIRE_HEADLESS();
    const RunResult r = RunOk(Command(CMD_NEW) + "shot panel.png\n");
    const Image shot = Shot(r, "panel.png");
    Box box = ColourBox(shot, 0xFFC825);
    // The panel's edge as well as its client area.
    box.left -= 1;
    box.top -= 1;
    box.right += 1;
    box.bottom += 1;
    ExpectGolden(Crop(shot, box), "intro_panel.png");
}

}  // namespace
}  // namespace progtest
