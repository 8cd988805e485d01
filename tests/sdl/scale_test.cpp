// Nearest-neighbour enlargement into the window buffer: whole squares per
// device pixel, only the asked-for part, clipped at every edge.
#include <gtest/gtest.h>

#include <vector>

#include "scale.h"

namespace sdlhost {
namespace {

constexpr uint32_t kUntouched = 0xDEADBEEF;

struct Buffer {
    Buffer(int w, int h, int extraPitch = 0) : width(w), height(h), pitch(w + extraPitch),
                                               pixels(static_cast<size_t>(pitch) * h, kUntouched) {}
    PixelTarget Target() { return {pixels.data(), width, height, pitch}; }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * pitch + x]; }
    int width;
    int height;
    int pitch;
    std::vector<uint32_t> pixels;
};

// A 4 x 3 source whose every pixel has its own value.
std::vector<uint32_t> Source() {
    std::vector<uint32_t> source(12);
    for (int i = 0; i < 12; ++i) {
        source[i] = 0x010101u * static_cast<uint32_t>(i + 1);
    }
    return source;
}

TEST(ScaleNearest, EachSourcePixelBecomesAFullSquare) {
    std::vector<uint32_t> source = Source();
    Buffer out(12, 9);
    PixelRect written = ScaleNearest(source.data(), 4, 3, {0, 0, 4, 3}, 3, out.Target(), 0, 0, 0);
    EXPECT_EQ(written.left, 0);
    EXPECT_EQ(written.right, 12);
    EXPECT_EQ(written.bottom, 9);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 12; ++x) {
            ASSERT_EQ(out.At(x, y), source[(y / 3) * 4 + x / 3]) << x << "," << y;
        }
    }
}

TEST(ScaleNearest, WritesOnlyTheDirtyPartAtItsPlaceInTheLetterbox) {
    std::vector<uint32_t> source = Source();
    Buffer out(20, 12, 5);  // rows longer than the visible width
    PixelRect written = ScaleNearest(source.data(), 4, 3, {1, 1, 3, 2}, 2, out.Target(), 6, 3, 0);
    EXPECT_EQ(written.left, 8);
    EXPECT_EQ(written.top, 5);
    EXPECT_EQ(written.right, 12);
    EXPECT_EQ(written.bottom, 7);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < out.pitch; ++x) {
            bool inside = x >= 8 && x < 12 && y >= 5 && y < 7;
            uint32_t expected = inside ? source[4 + 1 + (x - 8) / 2] : kUntouched;
            ASSERT_EQ(out.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(ScaleNearest, ClipsAPictureThatStartsLeftOfAndAboveTheTarget) {
    std::vector<uint32_t> source = Source();
    Buffer out(5, 4);
    // Origin (-4, -2) at scale 3: target column 0 shows source column 1's
    // second window column; row 0 shows source row 0's last row.
    PixelRect written = ScaleNearest(source.data(), 4, 3, {0, 0, 4, 3}, 3, out.Target(), -4, -2, 0);
    EXPECT_EQ(written.left, 0);
    EXPECT_EQ(written.top, 0);
    EXPECT_EQ(written.right, 5);
    EXPECT_EQ(written.bottom, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            int sx = (x + 4) / 3;
            int sy = (y + 2) / 3;
            ASSERT_EQ(out.At(x, y), source[sy * 4 + sx]) << x << "," << y;
        }
    }
}

TEST(ScaleNearest, ClipsAtTheRightAndBottomEdge) {
    std::vector<uint32_t> source = Source();
    Buffer out(7, 5);
    PixelRect written = ScaleNearest(source.data(), 4, 3, {0, 0, 4, 3}, 2, out.Target(), 1, 1, 0);
    EXPECT_EQ(written.right, 7);
    EXPECT_EQ(written.bottom, 5);
    EXPECT_EQ(out.At(0, 0), kUntouched);
    EXPECT_EQ(out.At(6, 4), source[1 * 4 + 2]);
}

TEST(ScaleNearest, NothingToDoLeavesTheTargetAlone) {
    std::vector<uint32_t> source = Source();
    Buffer out(8, 6);
    EXPECT_TRUE(ScaleNearest(source.data(), 4, 3, {2, 2, 2, 3}, 2, out.Target(), 0, 0, 0).Empty());
    EXPECT_TRUE(ScaleNearest(source.data(), 4, 3, {0, 0, 4, 3}, 2, out.Target(), 8, 0, 0).Empty());
    EXPECT_TRUE(ScaleNearest(source.data(), 4, 3, {-5, -5, -1, -1}, 2, out.Target(), 0, 0, 0).Empty());
    for (uint32_t p : out.pixels) {
        ASSERT_EQ(p, kUntouched);
    }
}

TEST(ScaleNearest, PartOutsideTheSourceIsClippedToIt) {
    std::vector<uint32_t> source = Source();
    Buffer out(8, 6);
    PixelRect written = ScaleNearest(source.data(), 4, 3, {3, 2, 9, 9}, 2, out.Target(), 0, 0, 0);
    EXPECT_EQ(written.left, 6);
    EXPECT_EQ(written.top, 4);
    EXPECT_EQ(written.right, 8);
    EXPECT_EQ(written.bottom, 6);
}

TEST(ScaleNearest, SetsTheAlphaBitsThatATargetWithAlphaNeeds) {
    std::vector<uint32_t> source = Source();
    Buffer out(4, 3);
    ScaleNearest(source.data(), 4, 3, {0, 0, 4, 3}, 1, out.Target(), 0, 0, 0xFF000000u);
    EXPECT_EQ(out.At(0, 0), 0xFF010101u);
    EXPECT_EQ(out.At(3, 2), 0xFF0C0C0Cu);
}

TEST(FillPixels, FillsOnlyTheClippedRectangle) {
    Buffer out(4, 4);
    FillPixels(out.Target(), {-2, 3, 2, 10}, 7);
    EXPECT_EQ(out.At(0, 3), 7u);
    EXPECT_EQ(out.At(1, 3), 7u);
    EXPECT_EQ(out.At(2, 3), kUntouched);
    EXPECT_EQ(out.At(0, 2), kUntouched);
}

}  // namespace
}  // namespace sdlhost
