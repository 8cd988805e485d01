// The clipping property: whatever a drawing call is given, it changes no
// pixel outside its DC's clip region, and the screen's dirty rectangle
// covers every pixel it changed.

#include <gtest/gtest.h>

#include <random>

#include "gdi_test_support.h"

namespace {

using gdi_test::Canvas;

gdi::Region RandomClip(std::mt19937& rng) {
    std::uniform_int_distribution<int> x(-20, 260);
    std::uniform_int_distribution<int> y(-20, 340);
    std::vector<RECT> rects;
    int n = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int i = 0; i < n; ++i) {
        int a = x(rng), b = x(rng), c = y(rng), d = y(rng);
        rects.push_back(RECT{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)});
    }
    gdi::Region clip = gdi::Region::FromRects(rects);
    // Punch a hole, as a window above would.
    int a = x(rng), c = y(rng);
    clip.Subtract(gdi::Region(RECT{a, c, a + 40, c + 30}));
    return clip;
}

// One random drawing call, with coordinates well past every edge.
void RandomCall(std::mt19937& rng, HDC dc, const Canvas& sprite) {
    std::uniform_int_distribution<int> coord(-120, 320);
    std::uniform_int_distribution<int> size(-5, 300);
    COLORREF color = RGB(rng() % 256, rng() % 256, rng() % 256) | 1;  // never black, the screen's colour
    switch (rng() % 6) {
        case 0: {
            RECT r{coord(rng), coord(rng), coord(rng), coord(rng)};
            gdi_test::FillDc(dc, r, color);
            break;
        }
        case 1:
            BitBlt(dc, coord(rng), coord(rng), size(rng), size(rng), sprite.dc(), coord(rng) / 10, coord(rng) / 10,
                   SRCCOPY);
            break;
        case 2: {
            int w = size(rng), h = size(rng);
            // Half the time a stretched copy.
            int sw = (rng() % 2) ? w : size(rng) / 4 + 1;
            TransparentImage(dc, coord(rng), coord(rng), w, h, sprite.dc(), coord(rng) / 10, coord(rng) / 10, sw,
                             h, RGB(255, 0, 255));
            break;
        }
        case 3: {
            HPEN pen = CreatePen(PS_SOLID, int(rng() % 12), color);
            HGDIOBJ old = SelectObject(dc, pen);
            POINT points[6];
            for (POINT& p : points) p = POINT{coord(rng), coord(rng)};
            Polyline(dc, points, 2 + int(rng() % 5));
            SelectObject(dc, old);
            DeleteObject(pen);
            break;
        }
        case 4: {
            RECT r{coord(rng), coord(rng), coord(rng), coord(rng)};
            SetTextColor(dc, color);
            SetBkColor(dc, color ^ 0xFFFF00);
            SetBkMode(dc, (rng() % 2) ? OPAQUE : TRANSPARENT);
            UINT formats[] = {DT_SINGLELINE, DT_SINGLELINE | DT_CENTER | DT_VCENTER, DT_SINGLELINE | DT_NOCLIP,
                              DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, 0};
            DrawTextW(dc, u"Presented by &MENKOR \u4E00", -1, &r, formats[rng() % 5]);
            break;
        }
        case 5: SetPixel(dc, coord(rng) / 2, coord(rng) / 2, color); break;
    }
}

TEST(ClipProperty, NothingIsDrawnOutsideTheClipRegion) {
    std::mt19937 rng(2024);
    Canvas sprite(32, 32, RGB(255, 0, 255));
    gdi_test::FillDc(sprite.dc(), RECT{4, 4, 28, 28}, RGB(10, 200, 30));
    const uint32_t* screen = gdi::ScreenPixels();
    int callsThatDrew = 0;
    for (int round = 0; round < 60; ++round) {
        gdi::Region clip = RandomClip(rng);
        POINT origin{int(rng() % 100) - 30, int(rng() % 100) - 30};
        HDC dc = gdi::CreateScreenDC(origin, clip);
        ASSERT_NE(dc, nullptr);
        for (int call = 0; call < 25; ++call) {
            gdi_test::ClearScreen(RGB(0, 0, 0));
            RandomCall(rng, dc, sprite);
            RECT dirty = gdi::TakeScreenDirtyRect();
            if (dirty.right > dirty.left) ++callsThatDrew;
            for (int y = 0; y < gdi::kScreenHeight; ++y) {
                for (int x = 0; x < gdi::kScreenWidth; ++x) {
                    if (screen[y * gdi::kScreenWidth + x] == 0) continue;
                    ASSERT_TRUE(clip.Contains(x, y)) << "round " << round << " call " << call << " at " << x << ","
                                                     << y;
                    ASSERT_TRUE(x >= dirty.left && x < dirty.right && y >= dirty.top && y < dirty.bottom)
                        << "not in the dirty rectangle: " << x << "," << y;
                }
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
        RandomCall(rng, canvas.dc(), sprite);
        RandomCall(rng, canvas.dc(), sprite);
    }
}

}  // namespace
