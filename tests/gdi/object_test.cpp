// Objects: the defaults of a new DC and a new bitmap, SelectObject's return
// values, deleting selected objects, and wrong, stale or made-up handles,
// which must give the Win32 failure value and never crash. Then the BMP
// files of the resources, written here in code in the layouts the game's
// resources use (8-bit palettized and 24-bit, bottom-up and top-down) and
// broken in the ways a careless decoder would read past the data.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <utility>

#include "bmp.h"
#include "gdi_test_support.h"
#include "object.h"

namespace {

// A 5 x 3 picture every test BMP encodes: distinct colours in each corner so
// that a flipped or shifted decode shows.
uint32_t Expected(int i) { return uint32_t((40 * (i % 5) + 10) << 16 | (80 * (i / 5) + 20) << 8 | ((i * 7) & 0xFF)); }

// A BMP file of the picture: rows bottom-up unless topDown, the palette
// holding the picture's colours in order for 8 bits.
std::vector<uint8_t> MakeBmp(int bpp, bool topDown) {
    const uint32_t stride = bpp == 8 ? 8 : 16, colours = bpp == 8 ? 15 : 0, bits = 54 + colours * 4;
    std::vector<uint8_t> b = {'B', 'M'};
    // File header, then the 40-byte info header (planes and bits per pixel
    // share one word), then the palette as B, G, R, 0.
    std::vector<uint32_t> words = {bits + 3 * stride, 0, bits, 40, 5, uint32_t(topDown ? -3 : 3), uint32_t(1 | bpp << 16),
                                   0, 3 * stride, 2835, 2835, colours, 0};
    for (uint32_t i = 0; i < colours; ++i) words.push_back(Expected(int(i)));
    for (uint32_t v : words)
        for (int k = 0; k < 4; ++k) b.push_back(uint8_t(v >> (8 * k)));
    for (int row = 0; row < 3; ++row) {
        for (int x = 0, i = (topDown ? row : 2 - row) * 5; x < 5; ++x, ++i)
            for (int k = 0; k < bpp / 8; ++k) b.push_back(bpp == 8 ? uint8_t(i) : uint8_t(Expected(i) >> (8 * k)));
        b.resize(b.size() + (bpp == 8 ? 3 : 1));  // rows are padded to whole words
    }
    return b;
}

const std::vector<uint8_t> kBmp8 = MakeBmp(8, false);

TEST(Handles, NewDcDefaultsAndSelectedObjectsOutlivingTheirDeletion) {
    int live = gdi::LiveObjectCount();
    HDC dc = CreateCompatibleDC(nullptr), other = CreateCompatibleDC(dc);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 88, 15);
    // A new DC holds Win32's defaults, and each select returns what it replaced.
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBitmap = SelectObject(dc, bitmap);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SetTextColor(dc, RGB(5, 5, 5)), RGB(0, 0, 0));
    EXPECT_EQ(SetBkColor(dc, RGB(9, 9, 9)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    // The default bitmap is Win32's 1 x 1; a new bitmap is black.
    gdi::SurfaceView view;
    ASSERT_TRUE(gdi::GetBitmapSurface(static_cast<HBITMAP>(oldBitmap), &view));
    EXPECT_EQ(view.width * view.height, 1);
    ASSERT_TRUE(gdi::GetBitmapSurface(bitmap, &view));
    EXPECT_EQ(std::vector<uint32_t>(view.pixels, view.pixels + view.width * view.height), std::vector<uint32_t>(88 * 15));
    for (auto [w, h] : {std::pair{-1, 5}, {100000, 100000}}) EXPECT_EQ(CreateCompatibleBitmap(dc, w, h), nullptr);
    // A bitmap lives in one memory DC at a time; a screen DC has none.
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    HDC screen = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, 10, 10}));
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr);
    // Each kind of DC has its own way to go.
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_FALSE(gdi::ReleaseScreenDC(dc));
    EXPECT_TRUE(gdi::ReleaseScreenDC(screen));
    // Deleted while selected, they stay usable by the DC that holds them,
    // but no other DC may select them.
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(bitmap));
    POINT line[] = {{0, 4}, {8, 4}};
    EXPECT_TRUE(Polyline(dc, line, 2));
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(other, pen), nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    // Deselecting frees them; the handles then are stale.
    EXPECT_EQ(SelectObject(dc, oldPen), pen);
    EXPECT_EQ(SelectObject(dc, oldBitmap), bitmap);
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(bitmap));
    // DeleteDC lets go of what it held, freeing deferred deletions too.
    bitmap = CreateCompatibleBitmap(dc, 8, 8);
    SelectObject(dc, bitmap);
    DeleteObject(bitmap);
    EXPECT_TRUE(DeleteDC(dc));
    DeleteDC(other);
    EXPECT_EQ(gdi::LiveObjectCount(), live);
}

TEST(Handles, StaleWrongKindAndMadeUpHandlesFailSafely) {
    HDC dc = CreateCompatibleDC(nullptr), deadDc = CreateCompatibleDC(nullptr);
    HPEN deadPen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    EXPECT_TRUE(DeleteDC(deadDc) && DeleteObject(deadPen));
    // Enough new pens to take every free slot, the dead pen's among them:
    // its old handle must not name the new pen there.
    std::vector<HGDIOBJ> pens(2000);
    for (HGDIOBJ& pen : pens) pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    void* const dead[] = {deadPen, deadDc};
    std::mt19937_64 rng(42);
    RECT r{0, 0, 4, 4};
    POINT points[] = {{0, 0}, {3, 3}};
    for (int i = 0; i < 2002; ++i) {
        // The dead handles, then made-up values, half of them small enough
        // to look real, skipping any that names a live object by chance.
        void* h = i < 2 ? dead[i] : reinterpret_cast<void*>(uintptr_t(rng()) & (i % 2 ? 0xFFFFFF : ~uintptr_t(0)));
        if (i >= 2 && gdi::KindOf(h) != gdi::ObjectKind::Free) continue;
        SCOPED_TRACE(testing::Message() << h);
        EXPECT_EQ(SelectObject(dc, h), nullptr);
        EXPECT_FALSE(DeleteObject(h));
        EXPECT_FALSE(DeleteDC(static_cast<HDC>(h)));
        EXPECT_EQ(FillRect(static_cast<HDC>(h), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 0);
        EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(h)), 0);
        EXPECT_FALSE(BitBlt(dc, 0, 0, 4, 4, static_cast<HDC>(h), 0, 0, SRCCOPY));
        EXPECT_FALSE(TransparentImage(dc, 0, 0, 4, 4, h, 0, 0, 4, 4, 0));
        EXPECT_FALSE(Polyline(static_cast<HDC>(h), points, 2));
        EXPECT_EQ(DrawTextW(static_cast<HDC>(h), u"x", 1, &r, 0), 0);
        EXPECT_EQ(GetPixel(static_cast<HDC>(h), 0, 0), CLR_INVALID);
    }
    // A pen passed where a brush is expected, a brush as a DC, a DC as an object.
    EXPECT_EQ(FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_PEN))), 0);
    EXPECT_EQ(FillRect(reinterpret_cast<HDC>(brush), &r, brush), 0);
    EXPECT_EQ(SelectObject(dc, dc), nullptr);
    EXPECT_FALSE(DeleteObject(dc)) << "DCs go with DeleteDC";
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(brush)));
    for (int stock : {9, -1, 1000}) EXPECT_EQ(GetStockObject(stock), nullptr) << stock;
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
    for (HGDIOBJ object : pens) DeleteObject(object);
    DeleteObject(brush);
    DeleteDC(dc);
}

TEST(Bmp, DecodesTheResourcesLayoutsAndRefusesBrokenFiles) {
    for (auto [bpp, topDown] : {std::pair{8, false}, {8, true}, {24, false}, {24, true}}) {
        SCOPED_TRACE(testing::Message() << bpp << (topDown ? " top-down" : " bottom-up"));
        std::vector<uint8_t> file = MakeBmp(bpp, topDown);
        gdi::DecodedImage image;
        ASSERT_TRUE(gdi::DecodeBmp(file.data(), file.size(), &image));
        ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(5, 3));
        for (int i = 0; i < 15; ++i) EXPECT_EQ(image.pixels[size_t(i)], Expected(i)) << i;
    }
    const std::vector<uint8_t> bmp24 = MakeBmp(24, false);
    const std::vector<uint8_t> roomy = [] { std::vector<uint8_t> b = kBmp8; b.resize(2000); return b; }();
    auto Patched = [](std::vector<uint8_t> b, size_t at, uint32_t value) { std::memcpy(&b[at], &value, 4); return b; };
    const std::vector<uint8_t> broken[] = {
        {bmp24.begin(), bmp24.end() - 3},                                                     // bits cut short
        {'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 40, 0, 0, 0},  // header cut short
        Patched(bmp24, 10, 0xFFFFFFF0u),  // bits offset past the end
        Patched(bmp24, 18, 0x7FFFFFFFu),  // a width whose size overflows
        Patched(roomy, 46, 300),          // more colours than 8 bits can index, though the file holds them
        Patched(kBmp8, 46, 200),          // a palette longer than the file
        Patched(bmp24, 28, 16),           // 16 bits per pixel, unsupported
    };
    gdi::DecodedImage image;
    for (size_t i = 0; i < std::size(broken); ++i) EXPECT_FALSE(gdi::DecodeBmp(broken[i].data(), broken[i].size(), &image)) << i;
}

}  // namespace
