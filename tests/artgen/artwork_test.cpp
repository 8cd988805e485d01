// The artwork as artgen draws it and writes it, against the layouts the board
// view, the animation and the About box draw from (the magenta key, the bars
// of every tile, the balls' colours and digits, the hand's fingertip rows),
// and the pictures made from the game's icon for the web page and Windows.
// The committed files are artgen's output (tests/committed_output_test.cmake), so
// these are the pixels the game carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "art.h"
#include "board.h"

namespace {

using art::kBlack;
using art::kMagenta;
using art::kWhite;

// A picture as its 8-bit file holds it: every pixel its palette colour.
art::Image AsWritten(const art::Image& img) {
    const art::Indexed indexed = art::Quantise(img);
    art::Image out = img;
    for (size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = indexed.palette[indexed.indices[i]];
    return out;
}

struct Rgba {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    const uint8_t* At(int x, int y) const { return &pixels[(size_t(y) * width + x) * 4]; }
};

Rgba DecodePng(const uint8_t* data, size_t size) {
    Rgba out;
    int channels = 0;
    uint8_t* p = stbi_load_from_memory(data, int(size), &out.width, &out.height, &channels, 4);
    EXPECT_NE(p, nullptr) << "not a PNG";
    if (p != nullptr) {
        out.pixels.assign(p, p + size_t(out.width) * out.height * 4);
        stbi_image_free(p);
    }
    return out;
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
    return v;
}

// The title page and the logo are drawn opaque, so none of their pixels may
// be the key colour; the icons' corners are keyed out, their middle is not.
// The band of the title page where the scribble pad draws is plain page.
TEST(Artwork, TheKeyColourOnlyWhereItIsMeant) {
    const art::Image tiles = art::DrawTiles();
    const art::Image title = AsWritten(art::DrawTitle(tiles, art::DrawBalls()));
    for (const art::Image& picture : {title, AsWritten(art::DrawLogo())}) {
        ASSERT_EQ(std::count(picture.pixels.begin(), picture.pixels.end(), kMagenta), 0) << picture.width;
    }
    for (int size : {32, 16}) {
        const art::Image icon = AsWritten(art::DrawIcon(size));
        const int n = icon.width - 1;
        EXPECT_EQ(std::tuple(icon.Get(0, 0), icon.Get(n, 0), icon.Get(0, n), icon.Get(n, n)),
                  std::tuple(kMagenta, kMagenta, kMagenta, kMagenta));
        EXPECT_NE(icon.Get(n / 2, n / 2), kMagenta);
    }
    for (int y = 250; y < 275; ++y) {
        for (int x = 40; x < 200; ++x) {
            uint32_t c = title.Get(x, y);
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
    const art::Image tiles = AsWritten(art::DrawTiles());
    ASSERT_EQ(std::tuple(tiles.width, tiles.height), std::tuple(60, 15));
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 60; ++x) {
            const uint32_t c = tiles.Get(x, y), r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
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
    const art::Image balls = AsWritten(art::DrawBalls());
    ASSERT_EQ(std::tuple(balls.width, balls.height), std::tuple(128, 32));
    std::set<std::vector<bool>> digits[2];
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(testing::Message() << "ball " << k << " row " << row);
            auto at = [&](int x, int y) { return balls.Get(16 * k + x, 16 * row + y); };
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
// middle column 4. The hand is kept in 24 bits, as drawn.
TEST(Hand, FingertipsOnRowsFourteenTenAndSix) {
    const art::Image hand = art::DrawHands();
    ASSERT_EQ(std::tuple(hand.width, hand.height), std::tuple(33, 15));
    const int tips[3] = {14, 10, 6};
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(testing::Message() << "frame " << f);
        int lowest = -1;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 11; ++x) {
                lowest = hand.Get(11 * f + x, y) != kMagenta ? y : lowest;
            }
        }
        ASSERT_EQ(lowest, tips[f]);
        std::vector<int> tip;
        for (int x = 0; x < 11; ++x) {
            if (hand.Get(11 * f + x, tips[f]) != kMagenta) {
                EXPECT_EQ(hand.Get(11 * f + x, tips[f]), kBlack);
                tip.push_back(x);
            }
        }
        EXPECT_TRUE(tip.size() <= 4 && tip.front() <= 4 && tip.back() >= 4) << tip.front() << " to " << tip.back();
    }
}

// The page's icons are the 32-pixel game icon enlarged by whole pixels (a
// 192 icon has 6 x 6 blocks), opaque where the icon is and clear where it
// is keyed.
TEST(WebIcons, TheGameIconInWholePixelsWithTheKeyClear) {
    const art::Image icon = AsWritten(art::DrawIcon(32));
    for (int size : {32, 192, 512}) {
        SCOPED_TRACE(testing::Message() << "size " << size);
        const std::vector<uint8_t> png = art::WebIconPng(icon, size);
        const Rgba web = DecodePng(png.data(), png.size());
        ASSERT_EQ(std::tuple(web.width, web.height), std::tuple(size, size));
        int wrong = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const uint32_t c = icon.Get(x * 32 / size, y * 32 / size);
                const uint8_t* p = web.At(x, y);
                const bool fits = c == kMagenta ? p[3] == 0
                                                : p[3] == 255 && uint32_t(p[0] << 16 | p[1] << 8 | p[2]) == c;
                wrong += fits ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// tavilo.exe's icon: the 256 and 48 pixel desktop icons as PNG, then the
// game's 32 and 16 pixel icons as 8-bit images with an AND mask that is set
// exactly where the icon is keyed, over black palette entries so that the
// screen shows through unchanged.
TEST(WindowsIcon, DesktopPngsThenTheGameIconsMaskedWhereKeyed) {
    const art::Image icon32 = art::DrawIcon(32), icon16 = art::DrawIcon(16);
    const std::vector<uint8_t> png256 = art::DesktopIconPng(256), png48 = art::DesktopIconPng(48);
    const std::vector<uint8_t> ico =
        art::WindowsIcon({{{}, png256, 256}, {{}, png48, 48}, {icon32, {}, 32}, {icon16, {}, 16}});
    ASSERT_GE(ico.size(), 6u + 4 * 16);
    EXPECT_EQ(std::tuple(Le(ico, 0, 2), Le(ico, 2, 2), Le(ico, 4, 2)), std::tuple(0u, 1u, 4u));
    const int sizes[4] = {256, 48, 32, 16};
    size_t end = 6 + 4 * 16;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "image " << i);
        const size_t entry = 6 + 16 * size_t(i);
        const uint32_t bytes = Le(ico, entry + 8, 4), offset = Le(ico, entry + 12, 4);
        EXPECT_EQ(std::tuple(Le(ico, entry, 1), Le(ico, entry + 1, 1), Le(ico, entry + 4, 2), Le(ico, entry + 6, 2)),
                  std::tuple(uint32_t(sizes[i] % 256), uint32_t(sizes[i] % 256), 1u, i < 2 ? 32u : 8u));
        EXPECT_EQ(offset, end);  // the images follow each other without gaps
        ASSERT_LE(size_t(offset) + bytes, ico.size());
        end = offset + bytes;
        if (i < 2) {
            const std::vector<uint8_t>& png = i == 0 ? png256 : png48;
            EXPECT_TRUE(bytes == png.size() && std::memcmp(&ico[offset], png.data(), bytes) == 0);
            continue;
        }
        const art::Image written = AsWritten(i == 2 ? icon32 : icon16);
        const int n = sizes[i];
        const size_t rowBytes = (n + 3) / 4 * 4, maskRowBytes = (n + 31) / 32 * 4;
        EXPECT_EQ(std::tuple(Le(ico, offset, 4), Le(ico, offset + 4, 4), Le(ico, offset + 8, 4),
                             Le(ico, offset + 14, 2)),
                  std::tuple(40u, uint32_t(n), uint32_t(2 * n), 8u));
        ASSERT_EQ(bytes, 40 + 256 * 4 + (rowBytes + maskRowBytes) * n);
        const size_t palette = offset + 40, pixels = palette + 1024, mask = pixels + rowBytes * n;
        int wrong = 0;
        for (int y = 0; y < n; ++y) {
            const int row = n - 1 - y;  // bottom-up
            for (int x = 0; x < n; ++x) {
                const uint8_t index = ico[pixels + row * rowBytes + x];
                const uint32_t colour = Le(ico, palette + 4 * index, 3);  // BGR as 0xRRGGBB
                const bool masked = (ico[mask + row * maskRowBytes + x / 8] >> (7 - x % 8)) & 1;
                const uint32_t c = written.Get(x, y);
                const bool fits = c == kMagenta ? masked && colour == 0 : !masked && colour == c;
                wrong += fits ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(end, ico.size());
}

}  // namespace
