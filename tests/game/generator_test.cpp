#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board.h"
#include "runner.h"
#include "runtime/runtime_control.h"

namespace {

int g_draws = 0;
int ZeroSource() {
    ++g_draws;
    return 0;
}
int MaxSource() {
    ++g_draws;
    return 32767;
}

bool IsPoleCode(CellCode c) { return c == CELL_POLE || c == CELL_RUNG_LEFT || c == CELL_RUNG_RIGHT; }

// Every rule that the painter and the runners rely on, checked cell by cell.
// Returns the first rule broken, or an empty string.
std::string BrokenInvariant(LadderBoard* b) {
    const int w = b->gridWidth, h = b->gridHeight, g = b->gap;
    auto at = [&](int x, int y) { return " at " + std::to_string(x) + "," + std::to_string(y); };
    for (int x = 0; x < w; ++x) {
        const bool pole = x % (g + 1) == 0;
        for (int y = 0; y < h; ++y) {
            const CellCode c = *CellAt(b, x, y);
            if (!pole && c != CELL_EMPTY && c != CELL_RUNG_MID) return "pole code between poles" + at(x, y);
            if (!pole) continue;
            if (y == 0 && c != CELL_TOP) return "no top cap" + at(x, y);
            if (y == h - 1 && c != CELL_BOTTOM) return "no bottom cap" + at(x, y);
            if (y > 0 && y < h - 1 && !IsPoleCode(c)) return "pole broken" + at(x, y);
            if (x == 0 && c == CELL_RUNG_RIGHT) return "rung arrives on the first pole" + at(x, y);
            if (x == w - 1 && c == CELL_RUNG_LEFT) return "rung leaves the last pole" + at(x, y);
        }
    }
    // Rungs: complete, between adjacent poles, never on the caps' rows, and
    // two rungs of one pair at least two rows apart.
    for (int x = 0; x + g + 1 < w; x += g + 1) {
        int lastRung = -10;
        for (int y = 0; y < h; ++y) {
            const bool left = *CellAt(b, x, y) == CELL_RUNG_LEFT;
            for (int k = 1; k <= g; ++k) {
                if ((*CellAt(b, x + k, y) == CELL_RUNG_MID) != left) return "rung interior" + at(x + k, y);
            }
            if ((*CellAt(b, x + g + 1, y) == CELL_RUNG_RIGHT) != left) return "rung right end" + at(x + g + 1, y);
            if (left && (y == 0 || y == h - 1)) return "rung on a cap row" + at(x, y);
            if (left && y - lastRung < 2) return "rungs on neighbouring rows" + at(x, y);
            if (left) lastRung = y;
        }
    }
    return "";
}

// A board of `players` poles generated with every draw from the source;
// g_draws counts the draws.
LadderBoard* GeneratedWith(rt::RandFunction source, int players) {
    rt::ScopedRandSource scoped(source);
    LadderBoard* b = CreateBoard(players, 2, 14);
    g_draws = 0;
    GenerateLadder(b);
    return b;
}

std::vector<int> RungRows(LadderBoard* b, int pair) {
    std::vector<int> rows;
    const int x = PoleColumn(b, pair);
    for (int y = 0; y < b->gridHeight; ++y) {
        if (*CellAt(b, x, y) == CELL_RUNG_LEFT) rows.push_back(y);
    }
    return rows;
}

}  // namespace

TEST(GenerateLadder, InvariantsHoldOverThousandsOfLadders) {
    const int shapes[][2] = {{2, 14}, {1, 14}, {3, 14}, {2, 3}, {2, 5}, {4, 30}, {1, 80}};
    rt::UseVirtualClock(0);
    for (const auto& shape : shapes) {
        for (int players = 1; players <= MAX_RUNNERS; ++players) {
            for (int seed = 0; seed < 300; ++seed) {
                LadderBoard* b = CreateBoard(players, shape[0], shape[1]);
                ASSERT_NE(b, nullptr);
                rt::SetClock(static_cast<uint64_t>(seed) * 7919 + players);
                GenerateLadder(b);
                ASSERT_EQ(BrokenInvariant(b), "") << "players " << players << " gap " << shape[0] << " height "
                                                  << shape[1] << " seed " << seed;
                // With 14 rows every pair gets a rung, the first by row 6.
                if (shape[1] == 14) {
                    for (int p = 0; p + 1 < players; ++p) {
                        std::vector<int> rows = RungRows(b, p);
                        ASSERT_FALSE(rows.empty());
                        ASSERT_LE(rows.front(), 6);
                    }
                }
                DestroyBoard(b);
            }
        }
    }
    rt::UseRealClock();
}

TEST(GenerateLadder, ReseedsFromTheTickCountEveryTime) {
    rt::UseVirtualClock(5000);
    LadderBoard* a = CreateBoard(8, 2, 14);
    LadderBoard* b = CreateBoard(8, 2, 14);
    uint64_t before = rt::SrandCount();
    GenerateLadder(a);
    GenerateLadder(b);
    EXPECT_EQ(rt::SrandCount(), before + 2);
    // The same millisecond gives the same ladder; another one (almost always)
    // a different ladder.
    EXPECT_EQ(0, memcmp(a->cells, b->cells, 22 * 14));
    rt::SetClock(5001);
    GenerateLadder(b);
    EXPECT_NE(0, memcmp(a->cells, b->cells, 22 * 14));
    DestroyBoard(a);
    DestroyBoard(b);
    rt::UseRealClock();
}

TEST(GenerateLadder, AlwaysZeroGivesAlternatingRows) {
    LadderBoard* b = GeneratedWith(ZeroSource, 8);
    const std::vector<int> odd = {1, 3, 5, 7, 9, 11};
    const std::vector<int> even = {2, 4, 6, 8, 10, 12};
    for (int pair = 0; pair < 7; ++pair) {
        EXPECT_EQ(RungRows(b, pair), pair % 2 == 0 ? odd : even) << "pair " << pair;
    }
    // Six rungs and the try that runs off the bottom: seven draws a pair.
    EXPECT_EQ(g_draws, 7 * 7);
    EXPECT_EQ(BrokenInvariant(b), "");
    DestroyBoard(b);
}

TEST(GenerateLadder, AlwaysMaxGivesTheLongestSteps) {
    LadderBoard* b = GeneratedWith(MaxSource, 4);
    EXPECT_EQ(RungRows(b, 0), (std::vector<int>{5, 10}));
    EXPECT_EQ(RungRows(b, 1), (std::vector<int>{6, 11}));
    EXPECT_EQ(RungRows(b, 2), (std::vector<int>{5, 10}));
    EXPECT_EQ(g_draws, 3 * 3);
    DestroyBoard(b);
}

TEST(GenerateLadder, SinglePoleHasNoRungs) {
    LadderBoard* b = GeneratedWith(ZeroSource, 1);
    EXPECT_EQ(g_draws, 0);
    EXPECT_EQ(*CellAt(b, 0, 0), CELL_TOP);
    for (int y = 1; y < 13; ++y) EXPECT_EQ(*CellAt(b, 0, y), CELL_POLE);
    EXPECT_EQ(*CellAt(b, 0, 13), CELL_BOTTOM);
    DestroyBoard(b);
}
