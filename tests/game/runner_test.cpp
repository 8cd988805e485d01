#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "runtime/runtime_control.h"
#include "test_support.h"

// Counts every operator new in this binary, to show that a game in progress
// allocates nothing. GCC cannot see that the replaced new and delete pair
// malloc with free, and warns where the standard library inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> g_newCount{0};
void* operator new(std::size_t size) {
    ++g_newCount;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Three poles; runner 0 crosses right on row 2, finds another rung right
// below on the far pole and crosses again.
const std::vector<std::string> kTwoCrossings = {
    "T..T..T",
    "|..|..|",
    "L==R..|",
    "|..L==R",
    "|..|..|",
    "B..B..B",
};

std::vector<POINT> PointsOf(LadderBoard* b, const std::vector<std::pair<int, int>>& cells) {
    std::vector<POINT> pts;
    for (auto [c, r] : cells) pts.push_back(TrailPointOf(b, c, r));
    return pts;
}

void ExpectTrail(const Runner& r, const std::vector<POINT>& expected) {
    ASSERT_EQ(r.pointCount, static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r.trail[i].x, expected[i].x) << "point " << i;
        EXPECT_EQ(r.trail[i].y, expected[i].y) << "point " << i;
    }
}

int StepsToArrive(LadderBoard* b, int i, int limit) {
    for (int n = 1; n <= limit; ++n) {
        if (StepRunner(b, i)) return n;
    }
    return -1;
}

}  // namespace

TEST(Runner, LaunchStartsAtTheTopOfItsOwnPole) {
    LadderBoard* b = CreateBoard(6, 2, 14);
    LaunchRunner(b, 2);
    const Runner& r = b->runners[2];
    EXPECT_EQ(r.column, 6);
    EXPECT_EQ(r.row, 0);
    EXPECT_EQ(r.status, RUNNER_MOVING);
    EXPECT_EQ(r.direction, DIR_DOWN);
    EXPECT_EQ(r.pointCount, 0);
    EXPECT_EQ(PoleColumn(b, 5), 15);
    DestroyBoard(b);
}

// Three runners launched on the board of two rungs, one below the other's
// far end.
class TwoCrossingsTest : public testing::Test {
protected:
    void SetUp() override {
        b = BoardFromRows(3, 2, kTwoCrossings);
        for (int i = 0; i < 3; ++i) LaunchRunner(b, i);
    }
    void TearDown() override { DestroyBoard(b); }
    LadderBoard* b = nullptr;
};

TEST_F(TwoCrossingsTest, TheFirstStepIsOnTheTopCellStillHeadingDown) {
    EXPECT_EQ(StepRunner(b, 0), 0);
    EXPECT_EQ(b->runners[0].trail[0].x, 44);
    EXPECT_EQ(b->runners[0].trail[0].y, 42);
    EXPECT_EQ(b->runners[0].row, 1);
    EXPECT_EQ(b->runners[0].direction, DIR_DOWN);
}

TEST_F(TwoCrossingsTest, ARunnerCrossesRightwardsAndTwiceInARow) {
    // Onto the rung's left end: across, and down the far pole in the same
    // step as the far end; right below waits the next rung.
    for (int i = 0; i < 3; ++i) StepRunner(b, 0);
    EXPECT_EQ(b->runners[0].direction, DIR_RIGHT);
    EXPECT_EQ(b->runners[0].column, 1);
    EXPECT_EQ(StepsToArrive(b, 0, 50), 9);
    ExpectTrail(b->runners[0], PointsOf(b, {{0, 0}, {0, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}, {3, 3},
                                            {4, 3}, {5, 3}, {6, 3}, {6, 4}, {6, 5}}));
    EXPECT_EQ(b->runners[0].column, 6);
    EXPECT_EQ(b->runners[0].row, b->gridHeight);
    EXPECT_EQ(b->runners[0].status, RUNNER_ARRIVED);
}

TEST_F(TwoCrossingsTest, ARunnerCrossesLeftwardsFromARungsRightEnd) {
    EXPECT_EQ(StepsToArrive(b, 1, 50), 9);
    ExpectTrail(b->runners[1], PointsOf(b, {{3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 3},
                                            {0, 4}, {0, 5}}));
    EXPECT_EQ(b->runners[1].column, 0);
    EXPECT_EQ(StepsToArrive(b, 2, 50), 9);
    EXPECT_EQ(b->runners[2].column, 3);
}

TEST_F(TwoCrossingsTest, ArrivalIsReportedOnceAndAnArrivedRunnerNeverMovesAgain) {
    ASSERT_GT(StepsToArrive(b, 0, 50), 0);
    const Runner before = b->runners[0];
    EXPECT_EQ(StepRunner(b, 0), 0);
    EXPECT_EQ(b->runners[0].pointCount, before.pointCount);
    EXPECT_EQ(b->runners[0].row, before.row);
}

TEST(Runner, TrailPointOnTheLastRowOfTheShellsLadder) {
    LadderBoard* b = BoardFromRows(1, 2, std::vector<std::string>(14, "|"));
    *CellAt(b, 0, 0) = CELL_TOP;
    *CellAt(b, 0, 13) = CELL_BOTTOM;
    LaunchRunner(b, 0);
    EXPECT_EQ(StepsToArrive(b, 0, 100), 14);
    EXPECT_EQ(b->runners[0].pointCount, 14);
    EXPECT_EQ(b->runners[0].trail[13].y, 237);
    EXPECT_EQ(b->runners[0].row, 14);
    EXPECT_EQ(b->runners[0].column, 0);
    DestroyBoard(b);
}

TEST(Runner, CellsAGeneratedLadderNeverHasLeaveTheRunnerInPlace) {
    // A rung's left end reached moving right, its right end moving left, a
    // rung interior from above, an empty cell: no move and no point.
    struct Case {
        char cell;
        int direction;
    };
    const Case cases[] = {{'L', DIR_RIGHT}, {'R', DIR_LEFT}, {'=', DIR_DOWN}, {'.', DIR_DOWN}, {'.', DIR_LEFT}};
    for (const Case& c : cases) {
        LadderBoard* b = BoardFromRows(1, 1, {"T", std::string(1, c.cell), "B"});
        Runner& r = b->runners[0];
        r.status = RUNNER_MOVING;
        r.row = 1;
        r.direction = c.direction;
        for (int n = 0; n < 3; ++n) EXPECT_EQ(StepRunner(b, 0), 0);
        EXPECT_EQ(r.row, 1);
        EXPECT_EQ(r.column, 0);
        EXPECT_EQ(r.pointCount, 0);
        EXPECT_EQ(r.status, RUNNER_MOVING);
        DestroyBoard(b);
    }
}

TEST(Runner, AFullTrailRefusesPointsInsteadOfOverrunning) {
    // A hand-made ladder taller than the trail: the runner still arrives,
    // and its trail stops at capacity.
    LadderBoard* b = GeneratedAt(1, 1, 300);
    LaunchRunner(b, 0);
    EXPECT_EQ(StepsToArrive(b, 0, 400), 300);
    EXPECT_EQ(b->runners[0].pointCount, MAX_TRAIL_POINTS);
    EXPECT_EQ(b->runners[0].handFrame, 0);  // the field after the trail is intact

    Runner r{};
    r.pointCount = MAX_TRAIL_POINTS;
    EXPECT_EQ(AppendTrailPoint(&r, 1, 2), 0);
    EXPECT_EQ(r.pointCount, MAX_TRAIL_POINTS);
    r.pointCount = 0;
    EXPECT_EQ(AppendTrailPoint(&r, 1, 2), 1);
    EXPECT_EQ(r.trail[0].x, 1);
    DestroyBoard(b);
}

TEST(Runner, EveryGeneratedLadderIsALotteryOfThePoles) {
    rt::UseVirtualClock(0);
    for (int players = 1; players <= MAX_RUNNERS; ++players) {
        for (int seed = 0; seed < 400; ++seed) {
            LadderBoard* b = CreateBoard(players, 2, 14);
            b->cellWidth = 10;
            b->cellHeight = 15;
            rt::SetClock(static_cast<uint64_t>(seed) * 104729 + 17);
            GenerateLadder(b);
            StartPlay(b);
            for (int i = 0; i < players; ++i) LaunchRunner(b, i);
            std::vector<int> arrived;
            for (int i = 0; i < players; ++i) {
                int steps = StepsToArrive(b, i, 50);
                ASSERT_GT(steps, 0) << "players " << players << " seed " << seed;
                ASSERT_GE(b->runners[i].pointCount, 14);
                // Every runner of two or more players crosses a rung.
                if (players > 1) {
                    ASSERT_GT(b->runners[i].pointCount, 14);
                }
                arrived.push_back(b->runners[i].column / (b->gap + 1));
            }
            std::sort(arrived.begin(), arrived.end());
            for (int i = 0; i < players; ++i) ASSERT_EQ(arrived[i], i);
            DestroyBoard(b);
        }
    }
    rt::UseRealClock();
}

TEST(FinishRule, TheBoardIsDoneOneTickAfterTheLastArrival) {
    LadderBoard* b = BoardFromRows(3, 2, kTwoCrossings);
    for (int i = 0; i < 3; ++i) LaunchRunner(b, i);
    int ticks = 0;
    int lastArrivalTick = -1;
    while (b->state == BOARD_PLAY && ticks < 100) {
        ++ticks;
        if (AdvanceRunners(b) > 0) lastArrivalTick = ticks;
        if (ticks == lastArrivalTick) {
            EXPECT_EQ(b->state, BOARD_PLAY);
        }
    }
    EXPECT_EQ(lastArrivalTick, 12);
    EXPECT_EQ(ticks, 13);
    EXPECT_EQ(b->state, BOARD_DONE);
    // A finished board is left alone.
    EXPECT_EQ(AdvanceRunners(b), 0);
    DestroyBoard(b);
}

TEST(FinishRule, AnIdleRunnerKeepsTheBoardInPlay) {
    LadderBoard* b = BoardFromRows(3, 2, kTwoCrossings);
    LaunchRunner(b, 0);
    LaunchRunner(b, 2);
    for (int t = 0; t < 200; ++t) AdvanceRunners(b);
    EXPECT_EQ(b->runners[1].status, RUNNER_IDLE);
    EXPECT_EQ(b->state, BOARD_PLAY);
    // Runners beyond the player count are never touched.
    EXPECT_EQ(b->runners[3].status, RUNNER_IDLE);
    ApplyFinishRule(b, 1);
    EXPECT_EQ(b->state, BOARD_PLAY);
    ApplyFinishRule(b, -1);
    EXPECT_EQ(b->state, BOARD_DONE);
    DestroyBoard(b);
}

// The painted tick wraps the same loop: the view wipes before a moving
// runner's step, draws after it (its ball when it arrived) and animates the
// hand of an idle one; an arrived runner gets nothing.
TEST(FinishRule, TheTickHooksSurroundEachMovingRunnersStepAndVisitIdleOnes) {
    LadderBoard* b = BoardFromRows(2, 2, {"T..T", "|..|", "B..B"});
    LaunchRunner(b, 0);
    std::vector<std::string> ticks;
    TickHooks hooks = {
        [](LadderBoard* board, int i, void* log) {
            static_cast<std::vector<std::string>*>(log)->back() += "b" + std::to_string(i) +
                                                                   std::to_string(board->runners[i].pointCount) + " ";
        },
        [](LadderBoard* board, int i, int arrived, void* log) {
            static_cast<std::vector<std::string>*>(log)->back() += (arrived ? "A" : "a") + std::to_string(i) +
                                                                   std::to_string(board->runners[i].pointCount) + " ";
        },
        [](LadderBoard*, int i, void* log) {
            static_cast<std::vector<std::string>*>(log)->back() += "i" + std::to_string(i) + " ";
        },
        &ticks};
    std::vector<int> arrivals;
    for (int t = 0; t < 4; ++t) {
        ticks.emplace_back();
        arrivals.push_back(TickBoard(b, &hooks));
    }
    EXPECT_EQ(ticks, (std::vector<std::string>{"b00 a01 i1 ", "b01 a02 i1 ", "b02 A03 i1 ", "i1 "}));
    EXPECT_EQ(arrivals, (std::vector<int>{0, 0, 1, 0}));
    EXPECT_EQ(b->state, BOARD_PLAY);
    DestroyBoard(b);
}

TEST(Runner, AGameAllocatesNothingFromTheFirstLaunchToTheLastArrival) {
    LadderBoard* b = GeneratedAt(99, 8);
    StartPlay(b);
    const long before = g_newCount.load();
    for (int i = 0; i < 8; ++i) LaunchRunner(b, i);
    while (b->state == BOARD_PLAY) AdvanceRunners(b);
    EXPECT_EQ(g_newCount.load(), before);
    DestroyBoard(b);
}
