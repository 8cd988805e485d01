// BitBlt, TransparentImage, FillRect and SetPixel: clipping at the edges of
// both surfaces and of the DC's clip, negative coordinates, keyed copies,
// and the screen's dirty rectangle.

#include <gtest/gtest.h>

#include "gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::ClearScreen;
using gdi_test::FillDc;
using gdi_test::MatchesGolden;
using gdi_test::Px;

const COLORREF kMagenta = RGB(255, 0, 255);

// A 10 x 10 sprite: a magenta background with a green disc-like blob, a red
// top-left pixel and a blue bottom-right one, so that orientation and
// off-by-one errors show.
void PaintSprite(Canvas& sprite) {
    sprite.Fill(kMagenta);
    FillDc(sprite.dc(), RECT{2, 1, 8, 9}, RGB(0, 160, 0));
    FillDc(sprite.dc(), RECT{1, 2, 9, 8}, RGB(0, 160, 0));
    FillDc(sprite.dc(), RECT{4, 4, 6, 6}, RGB(255, 255, 0));
    SetPixel(sprite.dc(), 0, 0, RGB(255, 0, 0));
    SetPixel(sprite.dc(), 9, 9, RGB(0, 0, 255));
}

TEST(BitBlt, EdgesAndNegativeCoordinatesGolden) {
    Canvas sprite(10, 10);
    PaintSprite(sprite);
    Canvas canvas(40, 30, RGB(200, 200, 200));
    // Hanging over each edge and each corner, from negative and positive sides.
    const POINT at[] = {{-4, -3}, {15, -6}, {34, -2}, {-7, 10}, {35, 12}, {-3, 24}, {16, 25}, {33, 23}, {15, 10}};
    for (const POINT& p : at) EXPECT_TRUE(BitBlt(canvas.dc(), p.x, p.y, 10, 10, sprite.dc(), 0, 0, SRCCOPY));
    // Source rectangles that start before the source and run past its end:
    // only the part that exists is copied; the rest of the target stays.
    EXPECT_TRUE(BitBlt(canvas.dc(), 1, 12, 10, 10, sprite.dc(), -5, -5, SRCCOPY));
    EXPECT_TRUE(BitBlt(canvas.dc(), 26, 12, 10, 10, sprite.dc(), 6, 6, SRCCOPY));
    EXPECT_TRUE(MatchesGolden("blit_edges", canvas.pixels(), canvas.width(), canvas.height()));
    // The part of the target whose source lay before the sprite stayed grey.
    EXPECT_EQ(canvas.At(5, 16), Px(200, 200, 200));
    EXPECT_EQ(canvas.At(6, 17), Px(255, 0, 0));
}

TEST(BitBlt, EmptyExtentsAndUnsupportedOperations) {
    Canvas a(8, 8, RGB(0, 0, 0));
    Canvas b(8, 8, RGB(255, 255, 255));
    EXPECT_TRUE(BitBlt(a.dc(), 0, 0, 0, 8, b.dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(a.dc(), 0, 0, -8, 8, b.dc(), 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(a.dc(), 0, 0, 8, 8, b.dc(), 0, 0, 0x00EE0086 /* SRCPAINT */));
    EXPECT_FALSE(BitBlt(a.dc(), 0, 0, 8, 8, reinterpret_cast<HDC>(b.bitmap()), 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(a.dc(), 100, 100, 8, 8, b.dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(a.dc(), INT32_MAX - 2, INT32_MIN + 2, INT32_MAX, INT32_MAX, b.dc(), INT32_MIN, 0, SRCCOPY));
    for (int i = 0; i < 64; ++i) ASSERT_EQ(a.pixels()[i], 0u);
}

TEST(BitBlt, OverlappingCopyWithinOneSurfaceScrolls) {
    Canvas canvas(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) SetPixel(canvas.dc(), x, y, RGB(x * 10, y * 10, 0));
    auto before = canvas.Copy();
    // Down-right by (3, 2), then check against the saved picture.
    BitBlt(canvas.dc(), 3, 2, 13, 14, canvas.dc(), 0, 0, SRCCOPY);
    for (int y = 2; y < 16; ++y)
        for (int x = 3; x < 16; ++x) ASSERT_EQ(canvas.At(x, y), before[(y - 2) * 16 + (x - 3)]) << x << "," << y;
    before = canvas.Copy();
    BitBlt(canvas.dc(), 0, 0, 14, 15, canvas.dc(), 2, 1, SRCCOPY);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 14; ++x) ASSERT_EQ(canvas.At(x, y), before[(y + 1) * 16 + (x + 2)]) << x << "," << y;
}

TEST(TransparentImage, KeyedBlitsGolden) {
    Canvas sprite(10, 10);
    PaintSprite(sprite);
    Canvas canvas(36, 24, RGB(90, 60, 30));
    FillDc(canvas.dc(), RECT{0, 12, 36, 24}, RGB(250, 240, 200));
    const POINT at[] = {{-3, -3}, {13, 2}, {29, 7}, {5, 17}, {22, 15}};
    for (const POINT& p : at) {
        EXPECT_TRUE(TransparentImage(canvas.dc(), p.x, p.y, 10, 10, sprite.dc(), 0, 0, 10, 10, kMagenta));
    }
    // The bitmap itself as the source, as Windows CE allows, keyed on green.
    EXPECT_TRUE(TransparentImage(canvas.dc(), 14, 13, 10, 10, sprite.bitmap(), 0, 0, 10, 10, RGB(0, 160, 0)));
    EXPECT_TRUE(MatchesGolden("keyed_blits", canvas.pixels(), canvas.width(), canvas.height()));
    // Keyed pixels leave the target as it was.
    EXPECT_EQ(canvas.At(14, 3), Px(90, 60, 30));
    EXPECT_EQ(canvas.At(13, 2), Px(255, 0, 0));
}

TEST(TransparentImage, UnequalSizesStretchByNearestNeighbour) {
    Canvas sprite(2, 2);
    SetPixel(sprite.dc(), 0, 0, RGB(255, 0, 0));
    SetPixel(sprite.dc(), 1, 0, kMagenta);
    SetPixel(sprite.dc(), 0, 1, RGB(0, 0, 255));
    SetPixel(sprite.dc(), 1, 1, RGB(0, 255, 0));
    Canvas canvas(6, 6, RGB(0, 0, 0));
    EXPECT_TRUE(TransparentImage(canvas.dc(), 1, 1, 4, 4, sprite.dc(), 0, 0, 2, 2, kMagenta));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            uint32_t expected = 0;
            if (x >= 1 && x < 5 && y >= 1 && y < 5) {
                int sx = (x - 1) / 2;
                int sy = (y - 1) / 2;
                const uint32_t quad[2][2] = {{Px(255, 0, 0), 0}, {Px(0, 0, 255), Px(0, 255, 0)}};
                expected = quad[sy][sx];
            }
            EXPECT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
    }
    // A stretch from far outside: the source offset arithmetic must not
    // overflow (the sanitizer build checks), and the target is covered by
    // the sprite's last column and row, except where it is keyed out.
    EXPECT_TRUE(TransparentImage(canvas.dc(), INT32_MIN + 10, INT32_MIN + 10, INT32_MAX, INT32_MAX, sprite.dc(), 0, 0, 2, 2,
                                 kMagenta));
    EXPECT_EQ(canvas.At(0, 0), Px(0, 255, 0));
    EXPECT_FALSE(TransparentImage(canvas.dc(), 0, 0, -2, 2, sprite.dc(), 0, 0, 2, 2, kMagenta));
    EXPECT_FALSE(TransparentImage(canvas.dc(), 0, 0, 2, 2, sprite.dc(), 0, 0, 0, 2, kMagenta));
}

TEST(ScreenDc, ClipRegionWithAHoleGolden) {
    ClearScreen(RGB(0, 0, 0));
    // A window at (20, 30) whose visible part is its 60 x 40 client area
    // less a 20 x 12 window above it in the middle.
    gdi::Region visible(RECT{20, 30, 80, 70});
    visible.Subtract(gdi::Region(RECT{40, 44, 60, 56}));
    HDC dc = gdi::CreateScreenDC(POINT{20, 30}, visible);
    ASSERT_NE(dc, nullptr);
    FillDc(dc, RECT{-10, -10, 100, 100}, RGB(255, 220, 120));  // everything it may touch
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(200, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    POINT cross[] = {{-5, -5}, {65, 45}, {65, -5}, {-5, 45}};
    Polyline(dc, cross, 4);
    SelectObject(dc, old);
    DeleteObject(pen);
    Canvas sprite(10, 10);
    PaintSprite(sprite);
    TransparentImage(dc, 25, 15, 10, 10, sprite.dc(), 0, 0, 10, 10, kMagenta);
    BitBlt(dc, 52, 32, 10, 10, sprite.dc(), 0, 0, SRCCOPY);
    RECT dirty = gdi::TakeScreenDirtyRect();
    EXPECT_EQ(dirty.left, 20);
    EXPECT_EQ(dirty.top, 30);
    EXPECT_EQ(dirty.right, 80);
    EXPECT_EQ(dirty.bottom, 70);
    const uint32_t* screen = gdi::ScreenPixels();
    // The golden picture is the screen's top-left 100 x 80 pixels.
    std::vector<uint32_t> part;
    for (int y = 0; y < 80; ++y) part.insert(part.end(), screen + y * gdi::kScreenWidth, screen + y * gdi::kScreenWidth + 100);
    EXPECT_TRUE(MatchesGolden("screen_clip_hole", part.data(), 100, 80));
    for (int y = 0; y < gdi::kScreenHeight; ++y)
        for (int x = 0; x < gdi::kScreenWidth; ++x)
            if (!visible.Contains(x, y)) {
                ASSERT_EQ(screen[y * gdi::kScreenWidth + x], 0u) << x << "," << y;
            }

    // The window manager narrows the clip; later drawing respects it.
    gdi::SetScreenDCClip(dc, gdi::Region(RECT{20, 30, 30, 40}));
    FillDc(dc, RECT{0, 0, 60, 40}, RGB(1, 2, 3));
    dirty = gdi::TakeScreenDirtyRect();
    EXPECT_EQ(dirty.right - dirty.left, 10);
    EXPECT_EQ(screen[30 * gdi::kScreenWidth + 20], Px(1, 2, 3));
    EXPECT_EQ(screen[40 * gdi::kScreenWidth + 20], Px(255, 220, 120));
    // Reading through the screen DC honours its origin.
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 10, 10), CLR_INVALID) << "outside the clip";
    EXPECT_TRUE(gdi::ReleaseScreenDC(dc));
    EXPECT_FALSE(gdi::ReleaseScreenDC(dc));
}

TEST(ScreenDc, DirtyRectangleCoversOnlyWhatWasDrawn) {
    ClearScreen(RGB(0, 0, 0));
    HDC dc = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, 240, 294}));
    RECT none = gdi::TakeScreenDirtyRect();
    EXPECT_EQ(none.right - none.left, 0);
    FillDc(dc, RECT{10, 300, 20, 310}, RGB(9, 9, 9));  // wholly outside the clip
    none = gdi::TakeScreenDirtyRect();
    EXPECT_EQ(none.right - none.left, 0);
    SetPixel(dc, 5, 6, RGB(1, 1, 1));
    FillDc(dc, RECT{100, 200, 110, 400}, RGB(9, 9, 9));
    RECT dirty = gdi::TakeScreenDirtyRect();
    EXPECT_EQ(dirty.left, 5);
    EXPECT_EQ(dirty.top, 6);
    EXPECT_EQ(dirty.right, 110);
    EXPECT_EQ(dirty.bottom, 294);
    gdi::ReleaseScreenDC(dc);
}

TEST(FillRect, BrushesAndEmptyRectangles) {
    Canvas canvas(8, 8, RGB(0, 0, 0));
    RECT r{2, 2, 4, 4};
    EXPECT_TRUE(FillRect(canvas.dc(), &r, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH))));
    EXPECT_EQ(canvas.At(2, 2), Px(192, 192, 192));
    EXPECT_EQ(canvas.At(4, 4), 0u);
    RECT all{0, 0, 8, 8};
    EXPECT_TRUE(FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
    EXPECT_EQ(canvas.At(0, 0), 0u);
    RECT inverted{6, 6, 2, 2};
    EXPECT_TRUE(FillRect(canvas.dc(), &inverted, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    EXPECT_EQ(canvas.At(4, 4), 0u);
    EXPECT_FALSE(FillRect(canvas.dc(), nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    EXPECT_FALSE(FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_PEN))));
    EXPECT_EQ(SetPixel(canvas.dc(), 8, 0, RGB(1, 1, 1)), CLR_INVALID);
    EXPECT_EQ(GetPixel(canvas.dc(), -1, 0), CLR_INVALID);
}

}  // namespace
