// Regions against a brute-force model: every operation must cover exactly
// the pixels that the same operation on a pixel grid covers, and keep the
// banded form that makes equal areas compare equal.

#include <gtest/gtest.h>

#include <random>

#include "region.h"

namespace {

using gdi::Region;

constexpr int kGrid = 24;

struct Grid {
    bool cells[kGrid][kGrid] = {};
};

Grid Rasterise(const Region& region) {
    Grid grid;
    for (int y = 0; y < kGrid; ++y)
        for (int x = 0; x < kGrid; ++x) grid.cells[y][x] = region.Contains(x, y);
    return grid;
}

::testing::AssertionResult IsBanded(const Region& region) {
    const auto& rects = region.Rects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        if (r.left >= r.right || r.top >= r.bottom) return ::testing::AssertionFailure() << "empty rect " << i;
        if (i == 0) continue;
        const RECT& p = rects[i - 1];
        bool sameBand = p.top == r.top;
        if (sameBand && (p.bottom != r.bottom || p.right >= r.left)) {
            // Touching spans must have been merged; overlapping ones are wrong.
            return ::testing::AssertionFailure() << "bad span order or unmerged spans at " << i;
        }
        if (!sameBand && r.top < p.bottom) return ::testing::AssertionFailure() << "bands overlap at " << i;
    }
    return ::testing::AssertionSuccess();
}

RECT RandomRect(std::mt19937& rng) {
    std::uniform_int_distribution<int> coord(-2, kGrid + 2);
    int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
    return RECT{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
}

Region RandomRegion(std::mt19937& rng) {
    std::vector<RECT> rects;
    int n = std::uniform_int_distribution<int>(0, 4)(rng);
    for (int i = 0; i < n; ++i) rects.push_back(RandomRect(rng));
    return Region::FromRects(rects);
}

TEST(Region, OperationsMatchPixelModel) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        Region a = RandomRegion(rng);
        Region b = RandomRegion(rng);
        Grid ga = Rasterise(a);
        Grid gb = Rasterise(b);
        Region u = a, i = a, s = a;
        u.Union(b);
        i.Intersect(b);
        s.Subtract(b);
        ASSERT_TRUE(IsBanded(u));
        ASSERT_TRUE(IsBanded(i));
        ASSERT_TRUE(IsBanded(s));
        Grid gu = Rasterise(u), gi = Rasterise(i), gs = Rasterise(s);
        for (int y = 0; y < kGrid; ++y) {
            for (int x = 0; x < kGrid; ++x) {
                ASSERT_EQ(gu.cells[y][x], ga.cells[y][x] || gb.cells[y][x]) << x << "," << y;
                ASSERT_EQ(gi.cells[y][x], ga.cells[y][x] && gb.cells[y][x]) << x << "," << y;
                ASSERT_EQ(gs.cells[y][x], ga.cells[y][x] && !gb.cells[y][x]) << x << "," << y;
            }
        }
    }
}

TEST(Region, EqualAreasCompareEqualWhateverTheirHistory) {
    // An L-shape built three ways.
    Region a = Region::FromRects({{0, 0, 10, 5}, {0, 5, 5, 10}});
    Region b = Region::FromRects({{0, 0, 5, 10}, {5, 0, 10, 5}});
    Region c(RECT{0, 0, 10, 10});
    c.Subtract(Region(RECT{5, 5, 10, 10}));
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == c);
    EXPECT_EQ(a.Rects().size(), 2u);
    // Splitting a rectangle and joining it again gives the one rectangle back.
    Region whole(RECT{0, 0, 8, 8});
    Region left(RECT{0, 0, 4, 8});
    left.Union(Region(RECT{4, 0, 8, 8}));
    EXPECT_TRUE(left == whole);
    EXPECT_EQ(left.Rects().size(), 1u);
}

TEST(Region, EmptyInputsBoundsAndOffset) {
    EXPECT_TRUE(Region(RECT{5, 5, 5, 9}).IsEmpty());
    EXPECT_TRUE(Region(RECT{5, 9, 8, 2}).IsEmpty());
    Region empty;
    RECT b = empty.Bounds();
    EXPECT_EQ(b.left | b.top | b.right | b.bottom, 0);

    Region hole(RECT{-10, -10, 10, 10});
    hole.Subtract(Region(RECT{-2, -2, 2, 2}));
    EXPECT_FALSE(hole.Contains(0, 0));
    EXPECT_TRUE(hole.Contains(-10, -10));
    EXPECT_FALSE(hole.Contains(10, 0));  // right edge is exclusive
    b = hole.Bounds();
    EXPECT_EQ(b.left, -10);
    EXPECT_EQ(b.top, -10);
    EXPECT_EQ(b.right, 10);
    EXPECT_EQ(b.bottom, 10);
    hole.Offset(100, 50);
    EXPECT_FALSE(hole.Contains(100, 50));
    EXPECT_TRUE(hole.Contains(90, 40));
    EXPECT_TRUE(IsBanded(hole));

    Region a(RECT{0, 0, 4, 4});
    a.Intersect(Region(RECT{4, 0, 8, 4}));  // touching, not overlapping
    EXPECT_TRUE(a.IsEmpty());
}

}  // namespace
