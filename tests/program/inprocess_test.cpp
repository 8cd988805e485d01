// The program run inside the test process, for what a script cannot reach:
// paints with no board and the full-screen flags, a board that cannot be
// made, stylus edges the menu bar or the layout hide, and a whole game
// checked against the board's own trail points.
#include <algorithm>
#include <map>
#include <set>

#include "harness.h"
#include "input/stylus.h"
#include "runner.h"
#include "shell/globals.h"
#include "user/user.h"
#include "view/view.h"

namespace progtest {
namespace {

constexpr DWORD FULL_SCREEN = 0x2A;

// Every paint applies full screen again, with a board and without. A paint
// that finds no board draws nothing, yet validates the window, or it would
// ask to be painted for ever.
TEST(InProcess, EveryPaintGoesFullScreenAndAPaintWithoutABoardDrawsNothing) {
    Image before;
    const int code = RunProgram({
        CommandStep(IDM_NEW),
        WaitStep(100),
        CheckStep([] {
            SHFullScreen(g_hwndMain, SHFS_SHOWTASKBAR);
            InvalidateRect(g_hwndMain, nullptr, FALSE);
        }),
        WaitStep(10),
        CheckStep([&] {
            EXPECT_EQ(user::FullScreenFlags(), FULL_SCREEN);
            ASSERT_NE(g_board, nullptr);
            DestroyBoard(g_board);
            g_board = nullptr;
            SHFullScreen(g_hwndMain, SHFS_SHOWTASKBAR);
            before = ScreenCopy();
            InvalidateRect(g_hwndMain, nullptr, FALSE);
        }),
        WaitStep(200),
        CheckStep([&] {
            EXPECT_EQ(user::FullScreenFlags(), FULL_SCREEN);
            EXPECT_TRUE(Same(ScreenCopy(), before));
            RECT update = {};
            EXPECT_FALSE(GetUpdateRect(g_hwndMain, &update, FALSE)) << "the window asks to be painted for ever";
        }),
    });
    EXPECT_EQ(code, 0);
}

// Two runs in one process behave alike: nothing the first left behind (the
// hand's clock, a half-drawn stroke) reaches the second. The hand moves at
// the same moments and a stroke needs its own pen-down in each run.
TEST(InProcess, ARunDoesNotDependOnTheRunBeforeIt) {
    auto run = [](bool strokeLeftOpen) {
        std::vector<int> frames;
        std::vector<Step> steps = {CommandStep(IDM_NEW)};
        if (strokeLeftOpen) steps.push_back(PenStep(host::EventKind::PenDown, 100, 260));
        for (int t = 0; t < 24; ++t) {
            steps.push_back(WaitStep(50));
            steps.push_back(CheckStep([&frames] { frames.push_back(g_board->runners[0].handFrame); }));
        }
        if (!strokeLeftOpen) {
            steps.push_back(CheckStep([] { EXPECT_EQ(g_scribblePoints[0].x + g_penDown, 0); }));
        }
        RunProgram(steps);
        return frames;
    };
    const std::vector<int> first = run(true);
    EXPECT_EQ(run(false), first);
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
        PenStep(host::EventKind::PenDown, 40, 30), PenStep(host::EventKind::PenUp, 40, 30),
        PenStep(host::EventKind::PenDown, 100, 260), PenStep(host::EventKind::PenMove, 120, 270),
        PenStep(host::EventKind::PenUp, 120, 270),
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

// The scribble band's bottom edge, the client height, lies outside it; the
// menu bar keeps a script from tapping there. The box of a busy runner does
// not end the scan: a pen-down in it hides the panel and goes on to the band,
// which never meets a box in the layout in use, so here it is stretched over
// the whole window.
TEST(InProcess, TheBandEndsAboveTheClientHeightAndABusyRunnersBoxFallsThroughToIt) {
    const int code = RunProgram({CommandStep(IDM_NEW), WaitStep(10), CheckStep([] {
        RECT client = {};
        GetClientRect(g_hwndMain, &client);
        const int height = client.bottom;
        OnLButtonDown(MAKELPARAM(20, height));
        EXPECT_EQ(g_penDown, 0) << "a pen-down at the client height armed a stroke";
        OnLButtonDown(MAKELPARAM(20, height - 1));
        EXPECT_EQ(g_penDown, 1);
        const Image before = ScreenCopy();
        OnMouseMove(g_hwndMain, MAKELPARAM(30, height));
        EXPECT_TRUE(Same(ScreenCopy(), before)) << "a move at the client height drew";
        OnMouseMove(g_hwndMain, MAKELPARAM(30, height - 1));
        EXPECT_FALSE(Same(ScreenCopy(), before));
        OnLButtonUp();

        ASSERT_EQ(g_introVisible, 1);
        LaunchRunner(g_board, 1);
        const RECT band = g_scribbleRect;
        g_scribbleRect = {0, 0, band.right, band.bottom};
        EXPECT_EQ(OnLButtonDown(MAKELPARAM(75, 40)), 0);
        g_scribbleRect = band;
        EXPECT_EQ(g_introVisible, 0);
        EXPECT_FALSE(IsWindowVisible(g_hwndIntro));
        EXPECT_EQ(g_penDown, 1);
        OnLButtonUp();
    })});
    EXPECT_EQ(code, 0);
}

// A whole six-player game: every trail drawn in its colour along its points,
// every arrival ball at x = column * 10 + originX - 4, y = 239, the board
// done one tick after the last arrival, and after that neither the ticks nor
// an "All" on the finished board changing anything.
TEST(InProcess, AWholeGameEndsOneTickAfterTheLastArrivalWithEveryTrailAndBallInPlace) {
    std::vector<std::pair<bool, int>> ticks;  // all arrived, board state
    Image end;
    std::vector<Step> steps = {CommandStep(IDM_NEW), CommandStep(IDM_ALL)};
    for (int t = 0; t < 70; ++t) {
        steps.push_back(WaitStep(50));
        steps.push_back(CheckStep([&] {
            ASSERT_NE(g_board, nullptr);
            const Runner* r = g_board->runners;
            ticks.emplace_back(std::all_of(r, r + 6, [](const Runner& x) { return x.status == RUNNER_ARRIVED; }),
                               g_board->state);
        }));
    }
    steps.push_back(CheckStep([&] {
        end = ScreenCopy();
        // Where trails meet, a pixel may show any runner that passes there.
        std::map<std::pair<int, int>, std::set<uint32_t>> colours;
        for (int i = 0; i < 6; ++i) {
            const Runner& r = g_board->runners[i];
            EXPECT_GE(r.pointCount, 15) << "runner " << i;
            for (int k = 0; k < r.pointCount; ++k) {
                const POINT p = r.trail[k];
                const POINT q = r.trail[k + 1 < r.pointCount ? k + 1 : k];
                colours[{p.x, p.y}].insert(PixelOf(r.color));
                colours[{(p.x + q.x) / 2, (p.y + q.y) / 2}].insert(PixelOf(r.color));
            }
            EXPECT_EQ(SpriteMisses(end, r.column * 10 + g_board->originX - 4, 239, Bitmap(IDB_BALLS), 16 * i, 16, 16),
                      0)
                << "arrival ball " << i;
        }
        for (const auto& [p, allowed] : colours) {
            EXPECT_EQ(allowed.count(Pixel(end, p.first, p.second)), 1u) << "trail pixel " << p.first << "," << p.second;
        }
    }));
    steps.push_back(CommandStep(IDM_ALL));
    steps.push_back(WaitStep(400));
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(g_allActive, 0);
        EXPECT_TRUE(Same(ScreenCopy(), end)) << "drawn on a finished board";
    }));
    EXPECT_EQ(RunProgram(steps, 123456789), 0);

    const auto last = std::find_if(ticks.begin(), ticks.end(), [](const auto& t) { return t.first; });
    ASSERT_LT(last + 1, ticks.end()) << "the game did not end within the ticks run";
    EXPECT_EQ(last->second, BOARD_PLAY);
    EXPECT_EQ((last + 1)->second, BOARD_DONE);
}

}  // namespace
}  // namespace progtest
