// Bitmaps: CreateCompatibleBitmap, and LoadBitmapW decoding the BMP files of
// the resource table. The test binary's own resource table, defined here,
// holds BMPs written in code in each layout the decoder accepts.

#include <gtest/gtest.h>

#include <cstring>

#include "gdi_test_support.h"
#include "runtime/module.h"

namespace {

using gdi_test::Px;

// A 5 x 3 picture every test BMP encodes: distinct colours in each corner so
// that a flipped or shifted decode shows.
uint32_t Expected(int x, int y) { return Px(40 * x + 10, 80 * y + 20, (x * 7 + y * 13) & 0xFF); }
constexpr int kW = 5;
constexpr int kH = 3;

void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// Writes a BMP file: the bits per pixel given, rows bottom-up unless
// topDown, palette from the picture's colours for 4 and 8 bits.
std::vector<uint8_t> MakeBmp(int bpp, bool topDown) {
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) palette.push_back(Expected(x, y));
    }
    size_t stride = ((size_t(kW) * bpp + 31) / 32) * 4;
    uint32_t bitsOffset = uint32_t(14 + 40 + palette.size() * 4);
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, uint32_t(bitsOffset + stride * kH));
    Put32(b, 0);
    Put32(b, bitsOffset);
    Put32(b, 40);
    Put32(b, kW);
    Put32(b, uint32_t(topDown ? -kH : kH));
    Put16(b, 1);
    Put16(b, uint16_t(bpp));
    Put32(b, 0);
    Put32(b, uint32_t(stride * kH));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, uint32_t(palette.size()));
    Put32(b, 0);
    for (uint32_t c : palette) Put32(b, c);  // B, G, R, 0 in memory order
    for (int row = 0; row < kH; ++row) {
        int y = topDown ? row : kH - 1 - row;
        std::vector<uint8_t> line(stride, 0);
        for (int x = 0; x < kW; ++x) {
            uint32_t c = Expected(x, y);
            uint8_t index = uint8_t(y * kW + x);
            switch (bpp) {
                case 4: line[x / 2] |= uint8_t(index << ((x % 2) ? 0 : 4)); break;
                case 8: line[x] = index; break;
                case 24:
                    line[3 * x] = uint8_t(c);
                    line[3 * x + 1] = uint8_t(c >> 8);
                    line[3 * x + 2] = uint8_t(c >> 16);
                    break;
                case 32: std::memcpy(&line[4 * x], &c, 4); break;
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

const std::vector<uint8_t> kBmp8BottomUp = MakeBmp(8, false);
const std::vector<uint8_t> kBmp8TopDown = MakeBmp(8, true);
const std::vector<uint8_t> kBmp24BottomUp = MakeBmp(24, false);
const std::vector<uint8_t> kBmp24TopDown = MakeBmp(24, true);
const std::vector<uint8_t> kBmp4 = MakeBmp(4, false);
const std::vector<uint8_t> kBmp32 = MakeBmp(32, true);
const std::vector<uint8_t> kTruncated(kBmp24BottomUp.begin(), kBmp24BottomUp.end() - 3);
const uint8_t kGarbage[] = {'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 40, 0, 0, 0};

}  // namespace

const RESOURCE_ENTRY g_resourceTable[] = {
    {2, 101, kBmp8BottomUp.data(), DWORD(kBmp8BottomUp.size())},
    {2, 102, kBmp8TopDown.data(), DWORD(kBmp8TopDown.size())},
    {2, 103, kBmp24BottomUp.data(), DWORD(kBmp24BottomUp.size())},
    {2, 104, kBmp24TopDown.data(), DWORD(kBmp24TopDown.size())},
    {2, 105, kBmp4.data(), DWORD(kBmp4.size())},
    {2, 106, kBmp32.data(), DWORD(kBmp32.size())},
    {2, 110, kTruncated.data(), DWORD(kTruncated.size())},
    {2, 111, kGarbage, DWORD(sizeof(kGarbage))},
    {10, 120, kBmp24TopDown.data(), DWORD(kBmp24TopDown.size())},  // right id, wrong type
};
const DWORD g_resourceCount = sizeof(g_resourceTable) / sizeof(g_resourceTable[0]);

namespace {

TEST(LoadBitmap, DecodesEveryLayoutTheResourcesUse) {
    for (int id : {101, 102, 103, 104, 105, 106}) {
        HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(id));
        ASSERT_NE(bitmap, nullptr) << id;
        gdi::SurfaceView view;
        ASSERT_TRUE(gdi::GetBitmapSurface(bitmap, &view));
        ASSERT_EQ(view.width, kW);
        ASSERT_EQ(view.height, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                EXPECT_EQ(view.pixels[y * kW + x], Expected(x, y)) << "bitmap " << id << " at " << x << "," << y;
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST(LoadBitmap, MissingOrBrokenResourcesGiveNull) {
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(110)), nullptr) << "truncated bits";
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(111)), nullptr) << "header claims more than there is";
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(120)), nullptr) << "not an RT_BITMAP";
    EXPECT_EQ(LoadBitmapW(nullptr, u"NAMED"), nullptr);
    EXPECT_EQ(LoadBitmapW(nullptr, nullptr), nullptr);
}

TEST(LoadBitmap, SelectedIntoAMemoryDcItBlitsAsDecoded) {
    HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(101));
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, bitmap);
    gdi_test::Canvas canvas(kW, kH, RGB(0, 0, 0));
    EXPECT_TRUE(BitBlt(canvas.dc(), 0, 0, kW, kH, source, 0, 0, SRCCOPY));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) EXPECT_EQ(canvas.At(x, y), Expected(x, y));
    EXPECT_EQ(GetPixel(source, 4, 0), gdi::ColorFromPixel(Expected(4, 0)));
    SelectObject(source, old);
    DeleteObject(bitmap);
    DeleteDC(source);
}

TEST(CompatibleBitmap, IsBlackAndSizedAsAsked) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 88, 15);
    gdi::SurfaceView view;
    ASSERT_TRUE(gdi::GetBitmapSurface(bitmap, &view));
    EXPECT_EQ(view.width, 88);
    EXPECT_EQ(view.height, 15);
    for (int i = 0; i < 88 * 15; ++i) ASSERT_EQ(view.pixels[i], 0u);
    DeleteObject(bitmap);

    EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 100000, 100000), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 4, 4), nullptr);
    HBITMAP tiny = CreateCompatibleBitmap(dc, 0, 7);
    ASSERT_TRUE(gdi::GetBitmapSurface(tiny, &view));
    EXPECT_EQ(view.width * view.height, 1);
    DeleteObject(tiny);
    DeleteDC(dc);
}

}  // namespace
