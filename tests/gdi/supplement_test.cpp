// The supplement: the Japanese, Korean and Chinese glyphs read from their
// blob, drawn where the selected font has no glyph, on its baseline; a
// malformed blob refused whole; and the compiled-in copy the same bytes as
// the file the browser fetches.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gdi/cjk/cjk_glyphs.h"
#include "font_data.h"
#include "gdi_test_support.h"

namespace gdi {
namespace {

using gdi_test::Canvas;

std::vector<uint8_t> Blob() { return std::vector<uint8_t>(kCjkGlyphs, kCjkGlyphs + kCjkGlyphsSize); }

class SupplementTest : public testing::Test {
protected:
    void SetUp() override { RemoveSupplement(); }
    void TearDown() override { RemoveSupplement(); }
};

TEST_F(SupplementTest, TheCompiledGlyphsAreTheBytesTheBrowserFetches) {
    std::ifstream file(TAVILO_CJK_GLYPHS_BIN, std::ios::binary);
    ASSERT_TRUE(file) << TAVILO_CJK_GLYPHS_BIN;
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, Blob());
}

TEST_F(SupplementTest, TheBakedBlobInstallsWithEveryGlyphInItsCell) {
    ASSERT_TRUE(UseCjkGlyphs());
    const BakedFont* f = SupplementFont();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->height, f->ascent + f->descent);
    for (int i = 0; i < f->glyphCount; ++i) {
        const BakedGlyph& g = f->glyphs[i];
        EXPECT_EQ(FindGlyph(f, g.code), &g);
        EXPECT_GE(g.code, 0x2E80);
        EXPECT_TRUE(g.top >= 0 && g.top + g.height <= f->height) << int(g.code);
    }
    // Ideographs, kana, hangul and the full-width colon, whole squares.
    for (char16_t c : std::u16string(u"人ルの사：")) {
        ASSERT_NE(FindGlyph(f, c), nullptr) << int(c);
        EXPECT_EQ(FindGlyph(f, c)->advance, f->pixelSize) << int(c);
    }
}

// Each fault leaves the supplement as it was: none at first, then the
// good one after it was installed.
TEST_F(SupplementTest, AMalformedBlobIsRefusedWhole) {
    const std::vector<uint8_t> good = Blob();
    const size_t count = good[4] | good[5] << 8;
    ASSERT_GT(count, 2u);
    auto entry = [](std::vector<uint8_t>& b, size_t i) { return b.data() + 12 + 12 * i; };
    std::vector<std::pair<const char*, std::vector<uint8_t>>> bad;
    bad.push_back({"empty", {}});
    bad.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12)});
    bad.push_back({"glyph table cut short", std::vector<uint8_t>(good.begin(), good.begin() + 12 + 12 * count - 1)});
    auto patched = [&](const char* what, auto change) {
        std::vector<uint8_t> b = good;
        change(b);
        bad.push_back({what, b});
    };
    patched("wrong magic", [](auto& b) { b[3] = '2'; });
    patched("no glyphs", [](auto& b) { b[4] = b[5] = 0; });
    patched("cell not ascent plus descent", [](auto& b) { b[7] += 1; });
    patched("codes out of order", [&](auto& b) { std::swap_ranges(entry(b, 0), entry(b, 0) + 2, entry(b, 1)); });
    patched("bits past the end", [&](auto& b) { entry(b, count - 1)[10] = 0x7F; });
    patched("glyph below the cell", [&](auto& b) { entry(b, 0)[4] = 5; });
    patched("zero advance", [&](auto& b) { entry(b, 1)[2] = 0; });
    for (const auto& [what, blob] : bad) EXPECT_FALSE(InstallSupplement(blob.data(), blob.size())) << what;
    EXPECT_EQ(SupplementFont(), nullptr);
    ASSERT_TRUE(InstallSupplement(good.data(), good.size()));
    const BakedFont* installed = SupplementFont();
    for (const auto& [what, blob] : bad) EXPECT_FALSE(InstallSupplement(blob.data(), blob.size())) << what;
    EXPECT_EQ(SupplementFont(), installed);
    EXPECT_NE(FindGlyph(installed, u'人'), nullptr);
    EXPECT_FALSE(InstallSupplement(nullptr, 100));
}

// In the system font an ideograph stands on the Latin baseline at the
// supplement's advance; without the supplement it is the missing box.
TEST_F(SupplementTest, AMissingGlyphComesFromTheSupplementOnTheFontsBaseline) {
    auto draw = [](const char16_t* text, SIZE* extent) {
        auto canvas = std::make_unique<Canvas>(60, 30);
        SetBkMode(canvas->dc, TRANSPARENT);
        RECT r{10, 5, 60, 30};
        DrawTextW(canvas->dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX);
        GetTextExtentExPointW(canvas->dc, text, 1, 0, nullptr, nullptr, extent);
        return canvas;
    };
    SIZE boxExtent{}, glyphExtent{}, latinExtent{};
    const auto box = draw(u"人", &boxExtent);
    ASSERT_TRUE(UseCjkGlyphs());
    const auto glyph = draw(u"人", &glyphExtent);
    const auto latin = draw(u"H", &latinExtent);
    EXPECT_EQ(glyphExtent.cx, SupplementFont()->pixelSize);
    EXPECT_NE(boxExtent.cx, glyphExtent.cx);
    EXPECT_NE(box->Inked(), glyph->Inked());
    int glyphBottom = 0, latinBottom = 0, glyphTop = 99;
    for (auto [x, y] : glyph->Inked()) glyphBottom = std::max(glyphBottom, y), glyphTop = std::min(glyphTop, y);
    for (auto [x, y] : latin->Inked()) latinBottom = std::max(latinBottom, y);
    // 人's legs end on the baseline, or a row below it as the face draws
    // them, and its head stays inside the cell.
    EXPECT_GE(glyphBottom, latinBottom);
    EXPECT_LE(glyphBottom, latinBottom + 2);
    EXPECT_GE(glyphTop, 5);
    // English text keeps its own glyphs whatever the supplement holds.
    SIZE before{};
    RemoveSupplement();
    const auto plain = draw(u"H", &before);
    EXPECT_EQ(plain->Inked(), latin->Inked());
}

}  // namespace
}  // namespace gdi
