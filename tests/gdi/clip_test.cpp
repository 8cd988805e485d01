// Clipping: regions against a brute-force pixel model, and the property that
// whatever a drawing call is given, it changes no pixel outside its DC's
// clip region, and the screen's dirty rectangle covers every pixel it
// changed.

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "gdi_test_support.h"

namespace {

using gdi::Region;
using gdi_test::Canvas;

// Up to maxCount random rectangles with corners in [lo, hi] on both axes.
Region RandomRegion(std::mt19937& rng, int lo, int hi, int minCount, int maxCount = 4) {
    std::uniform_int_distribution<int> coord(lo, hi);
    std::vector<RECT> rects(size_t(std::uniform_int_distribution<int>(minCount, maxCount)(rng)));
    for (RECT& r : rects) {
        int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
        r = RECT{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
    }
    return Region::FromRects(rects);
}

TEST(Region, OperationsMatchPixelModel) {
    // Up to seven rectangles, so that many operands and results are too
    // large to be kept in place and the regions move between both storages.
    std::mt19937 rng(1234);
    int large = 0;
    for (int round = 0; round < 400; ++round) {
        const Region a = RandomRegion(rng, -2, 26, 0, 7), b = RandomRegion(rng, -2, 26, 0, 7);
        large += a.Rects().size() > Region::kInlineRects;
        Region u = a, i = a, s = a;
        u.Union(b);
        i.Intersect(b);
        s.Subtract(b);
        Region moved = s;
        moved.Offset(5, -3);
        RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};  // the union's bounds
        for (int y = -3; y < 28; ++y) {
            for (int x = -3; x < 28; ++x) {
                const bool inA = a.Contains(x, y), inB = b.Contains(x, y);
                ASSERT_EQ(u.Contains(x, y), inA || inB) << x << "," << y;
                ASSERT_EQ(i.Contains(x, y), inA && inB) << x << "," << y;
                ASSERT_EQ(s.Contains(x, y), inA && !inB) << x << "," << y;
                ASSERT_EQ(moved.Contains(x + 5, y - 3), inA && !inB) << x << "," << y;
                if (inA || inB) box = RECT{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
            }
        }
        EXPECT_EQ(gdi_test::Edges(u.Bounds()), gdi_test::Edges(u.IsEmpty() ? RECT{0, 0, 0, 0} : box));
        // One area has one rectangle list, however it was reached.
        Region back = s;
        back.Union(i);
        EXPECT_TRUE(back == a) << "round " << round;
    }
    EXPECT_GT(large, 40);
}

// One random drawing call, with coordinates well past every edge.
void RandomCall(std::mt19937& rng, HDC dc, const Canvas& sprite) {
    std::uniform_int_distribution<int> coord(-120, 320), size(-5, 300);
    COLORREF color = RGB(rng() % 256, rng() % 256, rng() % 256) | 1;  // never black, the screen's colour
    switch (rng() % 6) {
        case 0: gdi_test::FillDc(dc, RECT{coord(rng), coord(rng), coord(rng), coord(rng)}, color); break;
        case 1: BitBlt(dc, coord(rng), coord(rng), size(rng), size(rng), sprite.dc, coord(rng) / 10, coord(rng) / 10, SRCCOPY); break;
        case 2: {
            int w = size(rng), h = size(rng), sw = (rng() % 2) ? w : size(rng) / 4 + 1;  // half the time stretched
            TransparentImage(dc, coord(rng), coord(rng), w, h, sprite.dc, coord(rng) / 10, coord(rng) / 10, sw, h, RGB(255, 0, 255));
            break;
        }
        case 3: {
            std::vector<POINT> points(2 + rng() % 5);
            for (POINT& p : points) p = POINT{coord(rng), coord(rng)};
            gdi_test::Stroke(dc, points, int(rng() % 12), color);
            break;
        }
        case 4: {
            RECT r{coord(rng), coord(rng), coord(rng), coord(rng)};
            SetTextColor(dc, color);
            SetBkColor(dc, color ^ 0xFFFF00);
            SetBkMode(dc, (rng() % 2) ? OPAQUE : TRANSPARENT);
            // One line or several, clipped to the rectangle or not, in various places.
            const UINT format = (rng() % 2 ? DT_SINGLELINE : 0) | (rng() % 2 ? DT_NOCLIP : 0) |
                                (rng() % 2 ? DT_CENTER | DT_VCENTER : DT_RIGHT | DT_BOTTOM);
            DrawTextW(dc, u"Presented by &MENKOR\r\n\u4E00", -1, &r, format);
            break;
        }
        case 5: SetPixel(dc, coord(rng) / 2, coord(rng) / 2, color); break;
    }
}

TEST(ClipProperty, NothingIsDrawnOutsideTheClipRegion) {
    std::mt19937 rng(2024);
    Canvas sprite(32, 32, RGB(255, 0, 255));
    gdi_test::FillDc(sprite.dc, RECT{4, 4, 28, 28}, RGB(10, 200, 30));
    const uint32_t* screen = gdi::ScreenPixels();
    int callsThatDrew = 0;
    for (int round = 0; round < 60; ++round) {
        // Rectangles reaching past the screen's edges, less a hole as a
        // window above would punch.
        Region clip = RandomRegion(rng, -20, 340, 1);
        int a = int(rng() % 280) - 20, c = int(rng() % 360) - 20;
        clip.Subtract(Region(RECT{a, c, a + 40, c + 30}));
        HDC dc = gdi::CreateScreenDC(POINT{int(rng() % 100) - 30, int(rng() % 100) - 30}, clip);
        for (int call = 0; call < 25; ++call) {
            gdi_test::ClearScreen();
            RandomCall(rng, dc, sprite);
            RECT dirty = gdi::TakeScreenDirtyRect();
            callsThatDrew += dirty.right > dirty.left;
            for (int i = 0; i < gdi::kScreenWidth * gdi::kScreenHeight; ++i) {
                const int x = i % gdi::kScreenWidth, y = i / gdi::kScreenWidth;
                if (screen[i] == 0) continue;
                ASSERT_TRUE(clip.Contains(x, y)) << "round " << round << " call " << call << " at " << x << "," << y;
                ASSERT_TRUE(x >= dirty.left && x < dirty.right && y >= dirty.top && y < dirty.bottom) << x << "," << y;
            }
        }
        gdi::ReleaseScreenDC(dc);
    }
    // The calls must mostly reach the clip, or the property says little.
    EXPECT_GT(callsThatDrew, 300);
}

TEST(ClipProperty, MemoryDcsStayInsideTheirBitmap) {
    // Small bitmaps under random calls: an out-of-bounds write here is what
    // the sanitizer build of this test exists to catch.
    std::mt19937 rng(77);
    Canvas sprite(32, 32, RGB(255, 0, 255));
    for (int round = 0; round < 300; ++round) {
        Canvas canvas(1 + int(rng() % 40), 1 + int(rng() % 40), RGB(0, 0, 0));
        RandomCall(rng, canvas.dc, sprite);
        RandomCall(rng, canvas.dc, sprite);
    }
}

}  // namespace
