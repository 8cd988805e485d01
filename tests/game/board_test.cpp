#include <gtest/gtest.h>

#include <cstdlib>

#include "board.h"

TEST(CreateBoard, ArgumentsOutsideTheModel) {
    struct Case {
        int players, gap, height;
        bool made;
        int width, rows, effectiveGap;
    };
    const Case cases[] = {
        // The shell's ladder: six players, poles three columns apart, 14 rows.
        {6, 2, 14, true, 16, 14, 2},
        {8, 2, 14, true, 22, 14, 2},  {2, 2, 14, true, 4, 14, 2},   {1, 2, 14, true, 1, 14, 2},
        {3, 0, 14, true, 5, 14, 1},   {3, -5, 14, true, 5, 14, 1},  {4, 2, 3, true, 10, 3, 2},
        {4, 2, 2, true, 10, 80, 2},   {4, 2, 0, true, 10, 80, 2},   {4, 2, -1, true, 10, 80, 2},
        {0, 2, 14, false, 0, 0, 0},   {-3, 2, 14, false, 0, 0, 0},
        // Eight runner records: a ninth player would be read past the array.
        {9, 2, 14, false, 0, 0, 0},   {1000, 2, 14, false, 0, 0, 0},
        // Sizes whose arithmetic would overflow or exhaust memory.
        {8, 2147483647, 14, false, 0, 0, 0}, {8, 2, 2147483647, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.players << ", " << c.gap << ", " << c.height);
        LadderBoard* b = CreateBoard(c.players, c.gap, c.height);
        EXPECT_EQ(b != nullptr, c.made);
        if (b != nullptr) {
            EXPECT_EQ(b->playerCount, c.players);
            EXPECT_EQ(b->gridWidth, c.width);
            EXPECT_EQ(b->gridHeight, c.rows);
            EXPECT_EQ(b->gap, c.effectiveGap);
            // The whole grid is addressable and zero-filled.
            EXPECT_EQ(*CellAt(b, b->gridWidth - 1, b->gridHeight - 1), CELL_EMPTY);
            EXPECT_EQ(CellAt(b, b->gridWidth - 1, b->gridHeight - 1),
                      b->cells + b->gridWidth * b->gridHeight - 1);
        }
        DestroyBoard(b);
    }
}

TEST(CreateBoard, NullBoardIsAcceptedWhereTheRulesSaySo) {
    EXPECT_EQ(CellAt(nullptr, 0, 0), nullptr);
    DestroyBoard(nullptr);
}

namespace {
int g_released = 0;
WindowBinding* g_releasedBinding = nullptr;
void CountingRelease(WindowBinding* binding) {
    ++g_released;
    g_releasedBinding = binding;
    free(binding);
}
}  // namespace

TEST(DestroyBoard, HandsTheBindingToTheReleaseHook) {
    SetBindingReleaseHook(CountingRelease);
    LadderBoard* b = CreateBoard(3, 2, 14);
    ASSERT_NE(b, nullptr);
    WindowBinding* binding = b->binding;
    DestroyBoard(b);
    EXPECT_EQ(g_released, 1);
    EXPECT_EQ(g_releasedBinding, binding);
    SetBindingReleaseHook(nullptr);
}
