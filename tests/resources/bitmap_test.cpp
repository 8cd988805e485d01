// The embedded bitmaps against the layouts the board view, the animation and
// the About box draw from: sizes and formats, the magenta key, the bars of
// every tile, the balls' colours and digits, and the hand's fingertip rows.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "bmp_reader.h"
#include "resource.h"

namespace {

using namespace restest;

Picture Bitmap(WORD id) { return Decode(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_BITMAP)), id); }

// The runners' colours as the game gives them, COLORREF 0x00BBGGRR.
const uint32_t kRunnerColorRefs[8] = {0x0000FF, 0x0099FF, 0x00FFFF, 0x00CC33,
                                      0xFFCC00, 0xFF0000, 0xFF00CC, 0xCCCCCC};
uint32_t Rgb(uint32_t colorRef) {
    return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | (colorRef >> 16 & 0xFF);
}

TEST(BitmapFormats, SizesAndColourDepths) {
    struct Expect {
        WORD id;
        int width, height, bits;
    };
    const Expect expected[] = {
        {123, 240, 295, 8}, {106, 60, 15, 8}, {124, 128, 32, 8}, {116, 33, 15, 24}, {125, 80, 18, 8},
    };
    for (const Expect& x : expected) {
        Picture p = Bitmap(x.id);
        EXPECT_EQ(p.width, x.width) << x.id;
        EXPECT_EQ(p.height, x.height) << x.id;
        EXPECT_EQ(p.bits, x.bits) << x.id;
    }
}

TEST(BitmapFormats, IconGroupListsA32AndA16PixelIconWithMagentaCorners) {
    const WORD groupType = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON));
    const WORD iconType = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_ICON));
    const RESOURCE_ENTRY* group = rt::FindResourceEntry(groupType, IDI_TAVILO);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->size, 2u);
    const WORD* ids = static_cast<const WORD*>(group->data);
    std::set<int> sizes;
    for (DWORD i = 0; i < group->size; ++i) {
        Picture icon = Decode(iconType, ids[i]);
        ASSERT_EQ(icon.width, icon.height);
        EXPECT_EQ(icon.bits, 8);
        sizes.insert(icon.width);
        const int n = icon.width - 1;
        EXPECT_EQ(icon.At(0, 0), kMagenta);
        EXPECT_EQ(icon.At(n, 0), kMagenta);
        EXPECT_EQ(icon.At(0, n), kMagenta);
        EXPECT_EQ(icon.At(n, n), kMagenta);
        EXPECT_NE(icon.At(n / 2, n / 2), kMagenta);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
}

TEST(TitlePicture, PalePageInsideAScorchedBorderAndNoColourKey) {
    Picture t = Bitmap(123);
    ASSERT_EQ(t.pixels.size(), 240u * 295u);
    auto luma = [](uint32_t c) { return (c >> 16 & 0xFF) * 3 + (c >> 8 & 0xFF) * 6 + (c & 0xFF); };
    // The band below the board, where the scribble pad draws, is plain page.
    for (int y = 250; y < 275; ++y) {
        for (int x = 40; x < 200; ++x) {
            uint32_t c = t.At(x, y);
            ASSERT_GE(c >> 16 & 0xFF, 240u) << x << "," << y;
            ASSERT_GE(c >> 8 & 0xFF, 230u);
            ASSERT_LT(c & 0xFF, 235u);  // yellow, not white
        }
    }
    const uint32_t page = luma(t.At(120, 260));
    for (int i = 10; i < 230; i += 20) {
        EXPECT_LT(luma(t.At(i, 0)), page / 2) << "top edge at " << i;
        EXPECT_LT(luma(t.At(i, 294)), page / 2) << "bottom edge at " << i;
        EXPECT_LT(luma(t.At(0, i + 30)), page / 2) << "left edge at " << i + 30;
        EXPECT_LT(luma(t.At(239, i + 30)), page / 2) << "right edge at " << i + 30;
    }
    for (uint32_t c : t.pixels) ASSERT_NE(c, kMagenta);
    // The lettering stands in the upper middle: dark outline pixels there.
    int ink = 0;
    for (int y = 20; y < 110; ++y) {
        for (int x = 30; x < 210; ++x) ink += luma(t.At(x, y)) < page / 3;
    }
    EXPECT_GT(ink, 300);
}

class Tiles : public ::testing::Test {
protected:
    void SetUp() override { tiles = Bitmap(106); ASSERT_EQ(tiles.width, 60); }
    uint32_t At(int tile, int x, int y) const { return tiles.At(10 * tile + x, y); }
    // A pole row: black at columns 2 to 6, magenta on both sides.
    void ExpectPoleRow(int tile, int y) const {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(At(tile, x, y), (x >= 2 && x <= 6) ? kBlack : kMagenta)
                << "tile " << tile << " x " << x << " y " << y;
        }
    }
    Picture tiles;
    enum { TOP, BOTTOM, POLE, RUNG_LEFT, RUNG_MID, RUNG_RIGHT };
};

TEST_F(Tiles, PoleBarRunsAtColumnsTwoToSixOverTheFullHeight) {
    for (int y = 0; y < 15; ++y) ExpectPoleRow(POLE, y);
}

TEST_F(Tiles, TopHasAYellowCapOnRowsZeroToFiveAndThePoleBelow) {
    for (int y = 6; y < 15; ++y) ExpectPoleRow(TOP, y);
    int yellow = 0;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 10; ++x) {
            uint32_t c = At(TOP, x, y);
            yellow += (c >> 16 & 0xFF) > 200 && (c >> 8 & 0xFF) > 150 && (c & 0xFF) < 120;
        }
        EXPECT_EQ(At(TOP, 9, y), kMagenta);
    }
    EXPECT_GE(yellow, 12);
}

TEST_F(Tiles, BottomHasABlueCapOnRowsNineToFourteenAndThePoleAbove) {
    for (int y = 0; y < 9; ++y) ExpectPoleRow(BOTTOM, y);
    int blue = 0;
    for (int y = 9; y < 15; ++y) {
        for (int x = 0; x < 10; ++x) {
            uint32_t c = At(BOTTOM, x, y);
            blue += (c & 0xFF) > 150 && (c >> 16 & 0xFF) < 120;
        }
        EXPECT_EQ(At(BOTTOM, 9, y), kMagenta);
    }
    EXPECT_GE(blue, 12);
}

TEST_F(Tiles, MiddleRungIsABarOnRowsFiveToNineAcrossTheTile) {
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(At(RUNG_MID, x, y), (y >= 5 && y <= 9) ? kBlack : kMagenta) << x << "," << y;
        }
    }
}

TEST_F(Tiles, RungEndsLeaveTheirPoleTowardsTheRungWithAWhiteJoint) {
    for (int tile : {RUNG_LEFT, RUNG_RIGHT}) {
        SCOPED_TRACE(tile);
        // Away from the joint the pole is a plain bar.
        for (int y : {0, 1, 2, 3, 11, 12, 13, 14}) ExpectPoleRow(tile, y);
        // The joint covers the crossing: white at its middle.
        EXPECT_EQ(At(tile, 4, 7), kWhite);
        int white = 0;
        for (int y = 5; y <= 9; ++y) {
            for (int x = 2; x <= 6; ++x) {
                EXPECT_NE(At(tile, x, y), kMagenta);
                white += At(tile, x, y) == kWhite;
            }
        }
        EXPECT_GE(white, 9);
    }
    // The rung runs to the right edge from the left end, from the left edge
    // to the right end, on rows 5 to 9 only; the other side stays clear.
    for (int y = 0; y < 15; ++y) {
        bool rungRow = y >= 5 && y <= 9;
        EXPECT_EQ(At(RUNG_LEFT, 9, y), rungRow ? kBlack : kMagenta) << y;
        EXPECT_EQ(At(RUNG_LEFT, 8, y), rungRow ? kBlack : kMagenta) << y;
        EXPECT_EQ(At(RUNG_LEFT, 0, y), kMagenta) << y;
        EXPECT_EQ(At(RUNG_RIGHT, 0, y), rungRow ? kBlack : kMagenta) << y;
        EXPECT_EQ(At(RUNG_RIGHT, 9, y), kMagenta) << y;
        EXPECT_EQ(At(RUNG_RIGHT, 8, y), kMagenta) << y;
    }
}

class Balls : public ::testing::Test {
protected:
    void SetUp() override { balls = Bitmap(124); ASSERT_EQ(balls.width, 128); ASSERT_EQ(balls.height, 32); }
    uint32_t At(int k, int row, int x, int y) const { return balls.At(16 * k + x, 16 * row + y); }
    static double Radius(int x, int y) { return std::hypot(x - 7.0, y - 7.0); }
    // The digit's pixels: black well inside the outline.
    std::vector<bool> Digit(int k, int row) const {
        std::vector<bool> bits;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 15; ++x) bits.push_back(Radius(x, y) < 5.0 && At(k, row, x, y) == kBlack);
        }
        return bits;
    }
    Picture balls;
};

TEST_F(Balls, MagentaAroundEveryDiscAndNowhereInside) {
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(testing::Message() << "ball " << k << " row " << row);
            for (int i = 0; i < 16; ++i) {
                EXPECT_EQ(At(k, row, 15, i), kMagenta);
                EXPECT_EQ(At(k, row, i, 15), kMagenta);
            }
            for (int y = 0; y < 15; ++y) {
                for (int x = 0; x < 15; ++x) {
                    double r = Radius(x, y);
                    if (r > 7.6) {
                        EXPECT_EQ(At(k, row, x, y), kMagenta) << x << "," << y;
                    }
                    if (r < 6.6) {
                        EXPECT_NE(At(k, row, x, y), kMagenta) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST_F(Balls, DiscIsFifteenAcrossWithABlackOutline) {
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(testing::Message() << "ball " << k << " row " << row);
            EXPECT_EQ(At(k, row, 0, 7), kBlack);
            EXPECT_EQ(At(k, row, 14, 7), kBlack);
            EXPECT_EQ(At(k, row, 7, 0), kBlack);
            EXPECT_EQ(At(k, row, 7, 14), kBlack);
            // Every disc pixel that touches the key is outline.
            for (int y = 0; y < 15; ++y) {
                for (int x = 0; x < 15; ++x) {
                    if (At(k, row, x, y) == kMagenta) continue;
                    bool edge = x == 0 || y == 0 || At(k, row, x - 1, y) == kMagenta ||
                                At(k, row, x + 1, y) == kMagenta || At(k, row, x, y - 1) == kMagenta ||
                                At(k, row, x, y + 1) == kMagenta;
                    if (edge) {
                        EXPECT_EQ(At(k, row, x, y), kBlack) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST_F(Balls, FillIsTheRunnersColourAboveAndWhiteBelow) {
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 8; ++k) {
            std::map<uint32_t, int> counts;
            for (int y = 0; y < 15; ++y) {
                for (int x = 0; x < 15; ++x) {
                    if (Radius(x, y) < 6.0 && At(k, row, x, y) != kBlack) ++counts[At(k, row, x, y)];
                }
            }
            auto most = counts.begin();
            for (auto it = counts.begin(); it != counts.end(); ++it) {
                if (it->second > most->second) most = it;
            }
            ASSERT_NE(most, counts.end());
            EXPECT_EQ(most->first, row == 0 ? Rgb(kRunnerColorRefs[k]) : kWhite) << "ball " << k << " row " << row;
            EXPECT_GT(most->second, 60) << "ball " << k;
        }
    }
}

TEST_F(Balls, EachBallCarriesItsOwnDigitInBothRows) {
    std::set<std::vector<bool>> shapes;
    for (int k = 0; k < 8; ++k) {
        std::vector<bool> digit = Digit(k, 0);
        int ink = 0;
        for (bool b : digit) ink += b;
        EXPECT_GE(ink, 7) << "ball " << k;
        EXPECT_EQ(digit, Digit(k, 1)) << "ball " << k;
        shapes.insert(digit);
    }
    EXPECT_EQ(shapes.size(), 8u);
}

TEST(Hand, FingertipOnRowsFourteenTenAndSixUnderThePoleMiddle) {
    Picture h = Bitmap(116);
    ASSERT_EQ(h.width, 33);
    const int tips[3] = {14, 10, 6};
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(f);
        int lowest = -1;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 11; ++x) {
                if (h.At(11 * f + x, y) != kMagenta) lowest = y;
            }
        }
        EXPECT_EQ(lowest, tips[f]);
        // The tip is outline, a few pixels wide, over the middle of the bar.
        std::vector<int> tip;
        for (int x = 0; x < 11; ++x) {
            if (h.At(11 * f + x, tips[f]) != kMagenta) {
                EXPECT_EQ(h.At(11 * f + x, tips[f]), kBlack);
                tip.push_back(x);
            }
        }
        ASSERT_FALSE(tip.empty());
        EXPECT_LE(tip.size(), 4u);
        EXPECT_LE(tip.front(), 4);
        EXPECT_GE(tip.back(), 4);
        // Where the hand meets the key it has its black outline.
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 11; ++x) {
                uint32_t c = h.At(11 * f + x, y);
                if (c == kMagenta) continue;
                auto key = [&](int i, int j) {
                    return i < 0 || i > 10 || (j >= 0 && j < 15 && h.At(11 * f + i, j) == kMagenta);
                };
                if (key(x - 1, y) || key(x + 1, y) || key(x, y + 1) || (y > 0 && key(x, y - 1))) {
                    EXPECT_EQ(c, kBlack) << x << "," << y;
                }
            }
        }
    }
}

TEST(Logo, AnOpaquePictureWithTheMakersName) {
    Picture logo = Bitmap(125);
    ASSERT_EQ(logo.width, 80);
    int ink = 0;
    for (uint32_t c : logo.pixels) {
        EXPECT_NE(c, kMagenta);
        ink += c != logo.At(0, 0);
    }
    EXPECT_GT(ink, 150);
}

}  // namespace
