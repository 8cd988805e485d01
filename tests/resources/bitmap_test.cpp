// The embedded bitmaps, decoded as LoadBitmapW decodes them, against the
// layouts the board view, the animation and the About box draw from: sizes,
// the magenta key, the bars of every tile, the balls' colours and digits,
// and the hand's fingertip rows.
#include <gtest/gtest.h>

#include <gdi/bmp.h>
#include "user/module.h"
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "board.h"
#include "resource.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

struct Picture : gdi::DecodedImage {
    int bits = 0;  // per pixel, from the file's header
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Picture Decode(LPCWSTR type, WORD id) {
    Picture picture;
    const RESOURCE_ENTRY* e = user::FindResourceEntry(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(type)), id);
    const auto* data = e != nullptr ? static_cast<const uint8_t*>(e->data) : nullptr;
    EXPECT_TRUE(data != nullptr && e->size > 30 && gdi::DecodeBmp(data, e->size, &picture)) << "resource " << id;
    picture.bits = picture.pixels.empty() ? 0 : data[28] | data[29] << 8;
    return picture;
}

TEST(Bitmaps, SizesAndColourDepths) {
    struct Expect { LPCWSTR type; WORD id; int width, height, bits; };
    for (const Expect& x : {Expect{RT_BITMAP, IDB_TITLE, 240, 295, 8}, Expect{RT_BITMAP, IDB_TILES, 60, 15, 8},
                            Expect{RT_BITMAP, IDB_BALLS, 128, 32, 8}, Expect{RT_BITMAP, IDB_HAND, 33, 15, 24},
                            Expect{RT_BITMAP, IDB_LOGO, 80, 18, 8}, Expect{RT_ICON, IDI_TAVILO_32, 32, 32, 8},
                            Expect{RT_ICON, IDI_TAVILO_16, 16, 16, 8}}) {
        Picture p = Decode(x.type, x.id);
        EXPECT_EQ(std::tuple(p.width, p.height, p.bits), std::tuple(x.width, x.height, x.bits)) << "resource " << x.id;
    }
}

// The title page and the logo are drawn opaque, so none of their pixels may
// be the key colour; the icons' corners are keyed out, their middle is not.
// The band of the title page where the scribble pad draws is plain page.
TEST(Bitmaps, TheKeyColourOnlyWhereItIsMeant) {
    for (WORD id : {IDB_TITLE, IDB_LOGO}) {
        for (uint32_t c : Decode(RT_BITMAP, id).pixels) {
            ASSERT_NE(c, kMagenta) << "bitmap " << id;
        }
    }
    for (WORD id : {IDI_TAVILO_32, IDI_TAVILO_16}) {
        Picture icon = Decode(RT_ICON, id);
        const int n = icon.width - 1;
        EXPECT_EQ(std::tuple(icon.At(0, 0), icon.At(n, 0), icon.At(0, n), icon.At(n, n)),
                  std::tuple(kMagenta, kMagenta, kMagenta, kMagenta));
        EXPECT_NE(icon.At(n / 2, n / 2), kMagenta);
    }
    Picture title = Decode(RT_BITMAP, IDB_TITLE);
    for (int y = 250; y < 275; ++y) {
        for (int x = 40; x < 200; ++x) {
            uint32_t c = title.At(x, y);
            ASSERT_TRUE((c >> 16) >= 240 && (c >> 8 & 0xFF) >= 230 && (c & 0xFF) < 235) << x << "," << y;
        }
    }
}

// The six 10 x 15 tiles side by side (top, bottom, pole, left rung end,
// middle rung, right rung end): the pole bar at columns 2 to 6, the rung bar
// on rows 5 to 9, the key around them. '.' is the key, '#' black, 'w'
// white, 'y' and 'b' the yellow and blue of the caps, '+' any other colour.
TEST(Tiles, BarsAtTheirColumnsAndRowsWithTheKeyAround) {
    const char* const map[15] = {
        "..#####... ..#####... ..#####... ..#####... .......... ..#####...",
        ".#+yyyy#.. ..#####... ..#####... ..#####... .......... ..#####...",
        ".#+yyyy#.. ..#####... ..#####... ..#####... .......... ..#####...",
        ".#yyyyy#.. ..#####... ..#####... ..#####... .......... ..#####...",
        ".#yyyyy#.. ..#####... ..#####... ..#####... .......... ..#####...",
        "..#####... ..#####... ..#####... ..#www#### ########## ###www#...",
        "..#####... ..#####... ..#####... .#wwwww### ########## ##wwwww#..",
        "..#####... ..#####... ..#####... .#wwwww### ########## ##wwwww#..",
        "..#####... ..#####... ..#####... .#wwwww### ########## ##wwwww#..",
        "..#####... ..#####... ..#####... ..#www#### ########## ###www#...",
        "..#####... .#+bbbb#.. ..#####... ..#####... .......... ..#####...",
        "..#####... .#+bbbb#.. ..#####... ..#####... .......... ..#####...",
        "..#####... .#bbbbb#.. ..#####... ..#####... .......... ..#####...",
        "..#####... .#bbbbb#.. ..#####... ..#####... .......... ..#####...",
        "..#####... ..#####... ..#####... ..#####... .......... ..#####...",
    };
    Picture tiles = Decode(RT_BITMAP, IDB_TILES);
    ASSERT_EQ(std::tuple(tiles.width, tiles.height), std::tuple(60, 15));
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 60; ++x) {
            const uint32_t c = tiles.At(x, y), r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
            const std::map<char, bool> fits = {{'.', c == kMagenta}, {'#', c == kBlack}, {'w', c == kWhite},
                                               {'y', r > 200 && g > 150 && b < 120}, {'b', b > 150 && r < 120},
                                               {'+', c != kMagenta}};
            EXPECT_TRUE(fits.at(map[y][x + x / 10])) << "tile " << x / 10 << " at " << x % 10 << "," << y;
        }
    }
}

// Two rows of eight 16 x 16 cells: each runner's ball in the colour the game
// draws that runner's path in, then the same balls in white. A disc 15
// across with a black outline, the key around it.
TEST(Balls, KeyedDiscsFilledWithTheRunnersColourCarryingTheirOwnDigit) {
    Picture balls = Decode(RT_BITMAP, IDB_BALLS);
    ASSERT_EQ(std::tuple(balls.width, balls.height), std::tuple(128, 32));
    std::set<std::vector<bool>> digits[2];
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(testing::Message() << "ball " << k << " row " << row);
            auto at = [&](int x, int y) { return balls.At(16 * k + x, 16 * row + y); };
            std::map<uint32_t, int> fill;
            std::vector<bool> digit;  // black well inside the outline
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const double r = std::hypot(x - 7.0, y - 7.0);
                    const uint32_t c = at(x, y);
                    if (x == 15 || y == 15 || r > 7.6) {
                        EXPECT_EQ(c, kMagenta) << x << "," << y;
                    } else if (r < 6.6) {
                        EXPECT_NE(c, kMagenta) << x << "," << y;
                    }
                    bool edge = c != kMagenta && (x == 0 || y == 0 || at(x - 1, y) == kMagenta ||
                                                  at(x + 1, y) == kMagenta || at(x, y - 1) == kMagenta ||
                                                  at(x, y + 1) == kMagenta);
                    if (edge) {
                        EXPECT_EQ(c, kBlack) << "outline at " << x << "," << y;
                    }
                    if (r < 6.0 && c != kBlack) {
                        ++fill[c];
                    }
                    digit.push_back(r < 5.0 && c == kBlack);
                }
            }
            auto most = std::max_element(fill.begin(), fill.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
            ASSERT_NE(most, fill.end());
            const COLORREF ref = g_runnerColors[k];  // the game's own colour, 0x00BBGGRR
            EXPECT_EQ(most->first, row == 1 ? kWhite : (ref & 0xFF) << 16 | (ref & 0xFF00) | ref >> 16);
            // The fill is most of the disc; on the darkest ball a light halo
            // around the digit takes a few of its pixels.
            EXPECT_GT(most->second, 50);
            EXPECT_GE(std::count(digit.begin(), digit.end(), true), 7);
            digits[row].insert(digit);
        }
    }
    EXPECT_EQ(digits[0].size(), 8u);  // every ball its own digit
    EXPECT_EQ(digits[0], digits[1]);  // the same digits in white
}

// Three 11 x 15 frames of the hand that points along the pole: the lowest
// drawn row of each is its fingertip, a few black pixels over the bar's
// middle column 4.
TEST(Hand, FingertipsOnRowsFourteenTenAndSix) {
    Picture hand = Decode(RT_BITMAP, IDB_HAND);
    ASSERT_EQ(hand.width, 33);
    const int tips[3] = {14, 10, 6};
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(testing::Message() << "frame " << f);
        int lowest = -1;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 11; ++x) {
                lowest = hand.At(11 * f + x, y) != kMagenta ? y : lowest;
            }
        }
        ASSERT_EQ(lowest, tips[f]);
        std::vector<int> tip;
        for (int x = 0; x < 11; ++x) {
            if (hand.At(11 * f + x, tips[f]) != kMagenta) {
                EXPECT_EQ(hand.At(11 * f + x, tips[f]), kBlack);
                tip.push_back(x);
            }
        }
        EXPECT_TRUE(tip.size() <= 4 && tip.front() <= 4 && tip.back() >= 4) << tip.front() << " to " << tip.back();
    }
}

}  // namespace
