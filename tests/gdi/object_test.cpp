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

// A memory DC for each test and a check that the test leaves no GDI object
// behind, which is how a missed deferred deletion shows. Stock objects and
// the default bitmap that memory DCs share are made on first use, so they
// are all made before the count is taken, whichever case runs first.
class DcTest : public testing::Test {
protected:
    void SetUp() override {
        for (int stock = 0; stock < 32; ++stock) GetStockObject(stock);
        DeleteDC(CreateCompatibleDC(nullptr));
        live_ = gdi::LiveObjectCount();
        dc_ = CreateCompatibleDC(nullptr);
    }
    void TearDown() override {
        if (dc_) {
            EXPECT_TRUE(DeleteDC(dc_));
        }
        EXPECT_EQ(gdi::LiveObjectCount(), live_);
    }
    HDC dc_ = nullptr;
    int live_ = 0;
};

TEST_F(DcTest, ANewDcHoldsWin32sDefaultsAndEachSelectReturnsWhatItReplaced) {
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(dc_, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc_, GetStockObject(WHITE_BRUSH)), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc_, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SetTextColor(dc_, RGB(5, 5, 5)), RGB(0, 0, 0));
    EXPECT_EQ(SetBkColor(dc_, RGB(9, 9, 9)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkMode(dc_, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SelectObject(dc_, GetStockObject(BLACK_PEN)), pen);
    EXPECT_TRUE(DeleteObject(pen));
}

TEST_F(DcTest, TheDefaultBitmapIsOnePixelANewOneIsBlackAndImpossibleSizesAreRefused) {
    HBITMAP bitmap = CreateCompatibleBitmap(dc_, 88, 15);
    HGDIOBJ oldBitmap = SelectObject(dc_, bitmap);
    gdi::SurfaceView view;
    ASSERT_TRUE(gdi::GetBitmapSurface(static_cast<HBITMAP>(oldBitmap), &view));
    EXPECT_EQ(view.width * view.height, 1);
    ASSERT_TRUE(gdi::GetBitmapSurface(bitmap, &view));
    EXPECT_EQ(std::vector<uint32_t>(view.pixels, view.pixels + view.width * view.height), std::vector<uint32_t>(88 * 15));
    for (auto [w, h] : {std::pair{-1, 5}, {100000, 100000}}) EXPECT_EQ(CreateCompatibleBitmap(dc_, w, h), nullptr);
    SelectObject(dc_, oldBitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(DcTest, ABitmapLivesInOneMemoryDcAndEachKindOfDcHasItsOwnWayToGo) {
    HDC other = CreateCompatibleDC(dc_);
    HBITMAP bitmap = CreateCompatibleBitmap(dc_, 8, 8);
    HGDIOBJ oldBitmap = SelectObject(dc_, bitmap);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    HDC screen = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, 10, 10}));
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr);
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_FALSE(gdi::ReleaseScreenDC(dc_));
    EXPECT_TRUE(gdi::ReleaseScreenDC(screen));
    SelectObject(dc_, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(other);
}

TEST_F(DcTest, ObjectsDeletedWhileSelectedServeTheirDcUntilDeselected) {
    HDC other = CreateCompatibleDC(dc_);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    HBITMAP bitmap = CreateCompatibleBitmap(dc_, 88, 15);
    HGDIOBJ oldPen = SelectObject(dc_, pen), oldBitmap = SelectObject(dc_, bitmap);
    // Deleted while selected, they stay usable by the DC that holds them,
    // but no other DC may select them.
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(bitmap));
    POINT line[] = {{0, 4}, {8, 4}};
    EXPECT_TRUE(Polyline(dc_, line, 2));
    EXPECT_EQ(GetPixel(dc_, 4, 4), RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(other, pen), nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    // Deselecting frees them; the handles then are stale.
    EXPECT_EQ(SelectObject(dc_, oldPen), pen);
    EXPECT_EQ(SelectObject(dc_, oldBitmap), bitmap);
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(bitmap));
    DeleteDC(other);
}

TEST_F(DcTest, DeleteDcFreesTheDeferredDeletionsOfWhatItHeld) {
    HBITMAP bitmap = CreateCompatibleBitmap(dc_, 8, 8);
    SelectObject(dc_, bitmap);
    DeleteObject(bitmap);
    EXPECT_TRUE(DeleteDC(dc_));
    dc_ = nullptr;  // the leak check in TearDown then sees whether the bitmap went too
}

TEST_F(DcTest, DeadAndMadeUpHandlesFailSafelyInEveryCall) {
    HDC deadDc = CreateCompatibleDC(nullptr);
    HPEN deadPen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    EXPECT_TRUE(DeleteDC(deadDc) && DeleteObject(deadPen));
    // Enough new pens to take every free slot, the dead pen's among them:
    // its old handle must not name the new pen there.
    std::vector<HGDIOBJ> pens(2000);
    for (HGDIOBJ& pen : pens) pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
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
        EXPECT_EQ(SelectObject(dc_, h), nullptr);
        EXPECT_FALSE(DeleteObject(h));
        EXPECT_FALSE(DeleteDC(static_cast<HDC>(h)));
        EXPECT_EQ(FillRect(static_cast<HDC>(h), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 0);
        EXPECT_EQ(FillRect(dc_, &r, static_cast<HBRUSH>(h)), 0);
        EXPECT_FALSE(BitBlt(dc_, 0, 0, 4, 4, static_cast<HDC>(h), 0, 0, SRCCOPY));
        EXPECT_FALSE(TransparentImage(dc_, 0, 0, 4, 4, h, 0, 0, 4, 4, 0));
        EXPECT_FALSE(Polyline(static_cast<HDC>(h), points, 2));
        EXPECT_EQ(DrawTextW(static_cast<HDC>(h), u"x", 1, &r, 0), 0);
        EXPECT_EQ(GetPixel(static_cast<HDC>(h), 0, 0), CLR_INVALID);
    }
    for (HGDIOBJ object : pens) DeleteObject(object);
}

TEST_F(DcTest, AHandleOfTheWrongKindFailsSafely) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    RECT r{0, 0, 4, 4};
    // A pen passed where a brush is expected, a brush as a DC, a DC as an object.
    EXPECT_EQ(FillRect(dc_, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_PEN))), 0);
    EXPECT_EQ(FillRect(reinterpret_cast<HDC>(brush), &r, brush), 0);
    EXPECT_EQ(SelectObject(dc_, dc_), nullptr);
    EXPECT_FALSE(DeleteObject(dc_)) << "DCs go with DeleteDC";
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(brush)));
    DeleteObject(brush);
}

TEST_F(DcTest, StockObjectsExistOnlyForKnownIndicesAndSurviveDeleteObject) {
    for (int stock : {9, -1, 1000}) EXPECT_EQ(GetStockObject(stock), nullptr) << stock;
    RECT r{0, 0, 4, 4};
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
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
