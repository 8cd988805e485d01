// Handles: the defaults of a new DC, SelectObject's return values, deleting
// selected objects, and wrong, stale or made-up handles, which must give the
// Win32 failure value and never crash.

#include <gtest/gtest.h>

#include <random>

#include "gdi_test_support.h"
#include "object.h"

namespace {

TEST(Handles, NewDcHoldsTheWin32Defaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    LOGFONTW lf{};
    lf.lfHeight = -13;
    HFONT font = CreateFontIndirectW(&lf);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT));
    HGDIOBJ defaultBitmap = SelectObject(dc, bitmap);
    gdi::SurfaceView view;
    ASSERT_TRUE(gdi::GetBitmapSurface(static_cast<HBITMAP>(defaultBitmap), &view));
    EXPECT_EQ(view.width, 1);
    EXPECT_EQ(view.height, 1);
    // Each select returns what it replaced.
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
    EXPECT_EQ(SelectObject(dc, defaultBitmap), bitmap);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(SetBkColor(dc, RGB(9, 9, 9)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0);
    EXPECT_EQ(SetTextColor(dc, RGB(5, 5, 5)), RGB(0, 0, 0));
    for (HGDIOBJ object : {HGDIOBJ(pen), HGDIOBJ(font), HGDIOBJ(bitmap)}) EXPECT_TRUE(DeleteObject(object));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(Handles, StaleAndWrongKindHandlesFailSafely) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen)) << "deleted twice";
    EXPECT_EQ(SelectObject(dc, pen), nullptr) << "stale pen";
    // The slot is reused by the next object; the old handle stays dead.
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    EXPECT_FALSE(DeleteObject(pen));
    RECT r{0, 0, 1, 1};
    // A pen passed where a brush is expected, a brush as a DC, a DC as a bitmap.
    EXPECT_EQ(FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_PEN))), 0);
    EXPECT_EQ(FillRect(reinterpret_cast<HDC>(brush), &r, brush), 0);
    EXPECT_EQ(SelectObject(dc, dc), nullptr);
    EXPECT_FALSE(DeleteObject(dc)) << "DCs go with DeleteDC";
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(brush)));
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(1000), nullptr);
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
    DeleteObject(brush);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
}

TEST(Handles, MadeUpValuesNeverCrash) {
    std::mt19937_64 rng(42);
    HDC dc = CreateCompatibleDC(nullptr);
    RECT r{0, 0, 4, 4};
    POINT points[] = {{0, 0}, {3, 3}};
    for (int i = 0; i < 2000; ++i) {
        uintptr_t value = uintptr_t(rng());
        if (i % 2) value &= 0xFFFFFF;  // small values that look like real handles
        void* h = reinterpret_cast<void*>(value);
        if (gdi::KindOf(h) != gdi::ObjectKind::Free) continue;  // collided with a live handle
        EXPECT_EQ(SelectObject(dc, h), nullptr);
        EXPECT_FALSE(DeleteObject(h));
        EXPECT_FALSE(DeleteDC(static_cast<HDC>(h)));
        EXPECT_EQ(FillRect(static_cast<HDC>(h), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 0);
        EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(h)), 0);
        EXPECT_FALSE(BitBlt(dc, 0, 0, 4, 4, static_cast<HDC>(h), 0, 0, SRCCOPY));
        EXPECT_FALSE(TransparentImage(dc, 0, 0, 4, 4, h, 0, 0, 4, 4, 0));
        EXPECT_FALSE(Polyline(static_cast<HDC>(h), points, 2));
        EXPECT_EQ(DrawTextW(static_cast<HDC>(h), u"x", 1, &r, 0), 0);
        EXPECT_FALSE(gdi::ReleaseScreenDC(static_cast<HDC>(h)));
    }
    DeleteDC(dc);
}

TEST(Handles, DeletingASelectedObjectIsDeferredUntilItIsDeselected) {
    int live = gdi::LiveObjectCount();
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(bitmap));
    // Still usable by the DC that holds them.
    POINT line[] = {{0, 4}, {8, 4}};
    EXPECT_TRUE(Polyline(dc, line, 2));
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(0, 0, 0));
    // But no DC may select them again.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, pen), nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    DeleteDC(other);
    // Deselecting frees them; the handles then are stale.
    EXPECT_EQ(SelectObject(dc, oldPen), pen);
    EXPECT_EQ(SelectObject(dc, oldBitmap), bitmap);
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(gdi::LiveObjectCount(), live);

    // DeleteDC lets go of what it held, freeing deferred deletions too.
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, 8, 8);
    SelectObject(dc, bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_EQ(gdi::LiveObjectCount(), live);
}

TEST(Handles, BitmapsLiveInOneMemoryDcAtATime) {
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(a);
    HBITMAP bitmap = CreateCompatibleBitmap(a, 4, 4);
    HGDIOBJ oldA = SelectObject(a, bitmap);
    EXPECT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_EQ(SelectObject(a, bitmap), bitmap) << "reselecting into the same DC is fine";
    // A screen DC has no bitmap to replace.
    HDC screen = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, 10, 10}));
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr);
    EXPECT_FALSE(DeleteDC(screen)) << "screen DCs are released, not deleted";
    EXPECT_FALSE(gdi::ReleaseScreenDC(a)) << "memory DCs are deleted, not released";
    EXPECT_TRUE(gdi::ReleaseScreenDC(screen));
    SelectObject(a, oldA);
    EXPECT_NE(SelectObject(b, bitmap), nullptr);
    DeleteDC(b);  // bitmap now free of any DC
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(a);
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(bitmap)), nullptr);
}

}  // namespace
