// The program run inside the test process, for what a script cannot reach:
// paints with no board, the full-screen flags, a board that cannot be made,
// the edges of the scribble band at the client height, and the small
// helpers that guard the player count.
#include <gtest/gtest.h>

#include "board.h"
#include "harness.h"
#include "runner.h"
#include "inprocess.h"
#include "input/stylus.h"
#include "intro/intro.h"
#include "options/options.h"
#include "registry/registry.h"
#include "resource.h"
#include "runtime/runtime_control.h"
#include "shell/globals.h"
#include "shell/shell.h"
#include "user/user.h"
#include "view/view.h"
#include "windows.h"

namespace progtest {
namespace {

constexpr DWORD FULL_SCREEN = 0x2A;

TEST(InProcess, APaintWithoutABoardDrawsNothingButStillGoesFullScreen) {
    std::vector<uint32_t> before;
    const int code = RunProgram({
        CommandStep(IDM_NEW),
        WaitStep(100),
        CheckStep([&] {
            ASSERT_NE(g_board, nullptr);
            DestroyBoard(g_board);
            g_board = nullptr;
            SHFullScreen(g_hwndMain, 0);
            before = ScreenCopy();
            InvalidateRect(g_hwndMain, nullptr, FALSE);
        }),
        WaitStep(200),
        CheckStep([&] {
            EXPECT_EQ(user::FullScreenFlags(), FULL_SCREEN);
            EXPECT_EQ(ScreenCopy(), before);
            RECT update = {};
            EXPECT_FALSE(GetUpdateRect(g_hwndMain, &update, FALSE)) << "the window asks to be painted for ever";
        }),
    });
    EXPECT_EQ(code, 0);
}

TEST(InProcess, EveryPaintGoesFullScreenAgain) {
    int paints = 0;
    std::vector<Step> steps = {WaitStep(10)};
    for (int k = 0; k < 3; ++k) {
        steps.push_back(CheckStep([&] {
            SHFullScreen(g_hwndMain, SHFS_SHOWTASKBAR);
            InvalidateRect(g_hwndMain, nullptr, FALSE);
        }));
        steps.push_back(WaitStep(10));
        steps.push_back(CheckStep([&] {
            EXPECT_EQ(user::FullScreenFlags(), FULL_SCREEN);
            ++paints;
        }));
        steps.push_back(CommandStep(k == 0 ? IDM_NEW : IDM_ABOUT));
        steps.push_back(WaitStep(10));
        if (k != 0) {
            steps.push_back(PressStep("OK"));
            steps.push_back(WaitStep(10));
        }
    }
    EXPECT_EQ(RunProgram(steps), 0);
    EXPECT_EQ(paints, 3);
}

// A board that cannot be made (here a count the rules refuse, standing in
// for memory that runs out) leaves the program without a board; nothing may
// write into it, and the timer, the commands, the stylus and the paints must
// all go on without one.
TEST(InProcess, ANewGameWhoseBoardCannotBeMadeLeavesTheProgramRunning) {
    const int code = RunProgram({
        CommandStep(IDM_NEW),
        WaitStep(100),
        CommandStep(IDM_ALL),
        CheckStep([] { g_playerCount = MAX_RUNNERS + 1; }),
        CommandStep(IDM_NEW),
        WaitStep(10),
        CheckStep([] {
            EXPECT_EQ(g_board, nullptr);
            EXPECT_EQ(g_allActive, 0);
            g_allActive = 1;
        }),
        WaitStep(300),
        PenDown(40, 30),
        PenUp(40, 30),
        PenDown(100, 260),
        PenMove(120, 270),
        PenUp(120, 270),
        CheckStep([] { InvalidateRect(g_hwndMain, nullptr, TRUE); }),
        WaitStep(100),
        CheckStep([] {
            EXPECT_EQ(g_board, nullptr);
            g_playerCount = 4;
        }),
        CommandStep(IDM_NEW),
        WaitStep(100),
        CheckStep([] {
            ASSERT_NE(g_board, nullptr);
            EXPECT_EQ(g_board->state, BOARD_PLAY);
            EXPECT_EQ(g_board->playerCount, 4);
        }),
    });
    EXPECT_EQ(code, 0);
}

TEST(InProcess, TheScribbleBandEndsAboveTheClientHeight) {
    const int code = RunProgram({
        CommandStep(IDM_NEW),
        WaitStep(10),
        CheckStep([] {
            RECT client = {};
            GetClientRect(g_hwndMain, &client);
            ASSERT_EQ(g_scribbleRect.bottom, client.bottom);
            const int height = client.bottom;
            OnLButtonDown(MAKELPARAM(20, height));
            EXPECT_EQ(g_penDown, 0) << "a pen-down at the client height armed a stroke";
            OnLButtonDown(MAKELPARAM(20, height - 1));
            EXPECT_EQ(g_penDown, 1);
            const std::vector<uint32_t> before = ScreenCopy();
            OnMouseMove(g_hwndMain, MAKELPARAM(30, height));
            EXPECT_EQ(ScreenCopy(), before) << "a move at the client height drew";
            OnMouseMove(g_hwndMain, MAKELPARAM(30, height - 1));
            EXPECT_NE(ScreenCopy(), before);
            OnLButtonUp();
            EXPECT_EQ(g_penDown, 0);
        }),
    });
    EXPECT_EQ(code, 0);
}

// The boxes of busy runners do not end the scan: a pen-down in one hides
// the panel and is then tested against the band. With the layout in use the
// two never meet, so the band is stretched over the whole window here.
TEST(InProcess, ATapOnABusyRunnersBoxHidesThePanelAndFallsThroughToTheBand) {
    const int code = RunProgram({
        CommandStep(IDM_NEW),
        WaitStep(10),
        CheckStep([] {
            ASSERT_EQ(g_introVisible, 1);
            LaunchRunner(g_board, 1);
            const RECT band = g_scribbleRect;
            g_scribbleRect = {0, 0, band.right, band.bottom};
            const int launched = OnLButtonDown(MAKELPARAM(75, 40));
            g_scribbleRect = band;
            EXPECT_EQ(launched, 0);
            EXPECT_EQ(g_introVisible, 0);
            EXPECT_FALSE(IsWindowVisible(g_hwndIntro));
            EXPECT_EQ(g_penDown, 1);
            EXPECT_EQ(g_scribblePoints[0].x, 75);
            EXPECT_EQ(g_scribblePoints[0].y, 40);
            OnLButtonUp();
            for (int i = 0; i < g_board->playerCount; ++i) {
                EXPECT_EQ(g_board->runners[i].status, i == 1 ? RUNNER_MOVING : RUNNER_IDLE);
            }
        }),
    });
    EXPECT_EQ(code, 0);
}

TEST(InProcess, TheIntroPanelSitsOneLeftAndThreeAboveTheCentre) {
    const int code = RunProgram({
        CommandStep(IDM_NEW),
        WaitStep(10),
        CheckStep([] {
            RECT panel = {};
            ASSERT_TRUE(GetWindowRect(g_hwndIntro, &panel));
            RECT client = {};
            GetClientRect(g_hwndMain, &client);
            const LONG width = panel.right - panel.left;
            const LONG height = panel.bottom - panel.top;
            EXPECT_EQ(panel.left, (client.right - width) / 2 - 1);
            EXPECT_EQ(panel.top, (client.bottom - height) / 2 - 3);
            EXPECT_TRUE(IsWindowVisible(g_hwndIntro));
        }),
    });
    EXPECT_EQ(code, 0);
}

TEST(InProcess, TheMenuBarIsMadeAndShown) {
    const int code = RunProgram({CheckStep([] {
        ASSERT_NE(g_hwndMenuBar, nullptr) << "SHCreateMenuBar refused the record";
        EXPECT_TRUE(IsWindowVisible(g_hwndMenuBar));
        EXPECT_EQ(user::FullScreenFlags(), FULL_SCREEN);
    })});
    EXPECT_EQ(code, 0);
}

TEST(PlayerCount, ClampKeepsTwoToEight) {
    EXPECT_EQ(ClampPlayerCount(-2147483647 - 1), 2);
    EXPECT_EQ(ClampPlayerCount(0), 2);
    EXPECT_EQ(ClampPlayerCount(1), 2);
    for (int n = 2; n <= 8; ++n) {
        EXPECT_EQ(ClampPlayerCount(n), n);
    }
    EXPECT_EQ(ClampPlayerCount(9), 8);
    EXPECT_EQ(ClampPlayerCount(2147483647), 8);
}

TEST(PlayerCount, TheCountTextIsReadAsADecimalNumber) {
    EXPECT_EQ(ParseDecimal(u"6"), 6);
    EXPECT_EQ(ParseDecimal(u"  +7"), 7);
    EXPECT_EQ(ParseDecimal(u"-3"), -3);
    EXPECT_EQ(ParseDecimal(u"12abc"), 12);
    EXPECT_EQ(ParseDecimal(u""), 0);
    EXPECT_EQ(ParseDecimal(u"x5"), 0);
    EXPECT_EQ(ParseDecimal(nullptr), 0);
    // Too many digits stop at the limit instead of wrapping round to a small
    // or negative count.
    EXPECT_EQ(ParseDecimal(u"99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseDecimal(u"-99999999999999999999"), -2147483647 - 1);
}

class RegistryValue : public ::testing::Test {
protected:
    void SetUp() override { reg::SetConfigDir(MakeTempDir()); }
    void TearDown() override { reg::SetConfigDir(""); }

    static void Store(DWORD type, std::vector<BYTE> bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, PLAYER_COUNT_VALUE, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static DWORD Read() { return RegReadDword(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, PLAYER_COUNT_VALUE, 6); }
};

TEST_F(RegistryValue, AMissingValueGivesTheDefaultAndLeavesTheKey) {
    EXPECT_EQ(Read(), 6u);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryValue, WrittenValuesReadBack) {
    EXPECT_EQ(RegWriteDword(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, PLAYER_COUNT_VALUE, 0x01020304), 1);
    EXPECT_EQ(Read(), 0x01020304u);
    EXPECT_EQ(RegWriteDword(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, PLAYER_COUNT_VALUE, 3), 1);
    EXPECT_EQ(Read(), 3u);
}

TEST_F(RegistryValue, FewerThanFourBytesCountTheMissingOnesAsZero) {
    Store(REG_BINARY, {0x03});
    EXPECT_EQ(Read(), 3u);
    Store(REG_BINARY, {0x05, 0x01});
    EXPECT_EQ(Read(), 0x105u);
}

TEST_F(RegistryValue, MoreThanFourBytesGiveTheDefault) {
    Store(REG_BINARY, {1, 0, 0, 0, 0});
    EXPECT_EQ(Read(), 6u);
}

TEST_F(RegistryValue, AWriteThatCannotBeStoredReportsIt) {
    reg::SetConfigDir("/proc/self/no-such-place");
    EXPECT_EQ(RegWriteDword(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, PLAYER_COUNT_VALUE, 4), 0);
}

}  // namespace
}  // namespace progtest
