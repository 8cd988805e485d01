// The supplement: the Japanese, Korean and Chinese glyphs read from their
// blob, drawn where the selected font has no glyph, on its baseline; a
// malformed blob refused whole; and the embedded copy the same bytes as the
// file the browser fetches. The blob's reader, which the embedded DejaVu
// faces share, and what a damaged face in the build does.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
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

TEST_F(SupplementTest, TheEmbeddedGlyphsAreTheBytesTheBrowserFetches) {
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

// Where the glyph table starts: after the header and the family's name.
size_t TableAt(const std::vector<uint8_t>& blob) { return 16 + blob[15] + 1; }

size_t GlyphCount(const std::vector<uint8_t>& blob) { return blob[4] | blob[5] << 8; }

// Each fault leaves the supplement as it was: none at first, then the
// good one after it was installed.
TEST_F(SupplementTest, AMalformedBlobIsRefusedWhole) {
    const std::vector<uint8_t> good = Blob();
    const size_t count = GlyphCount(good);
    const size_t table = TableAt(good);
    ASSERT_GT(count, 2u);
    auto entry = [table](std::vector<uint8_t>& b, size_t i) { return b.data() + table + 7 * i; };
    std::vector<std::pair<const char*, std::vector<uint8_t>>> bad;
    bad.push_back({"empty", {}});
    bad.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 16)});
    bad.push_back({"glyph table cut short", std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(table + 7 * count - 1))});
    bad.push_back({"last byte missing", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    auto patched = [&](const char* what, auto change) {
        std::vector<uint8_t> b = good;
        change(b);
        bad.push_back({what, b});
    };
    patched("a byte too many", [](auto& b) { b.push_back(0); });
    patched("the earlier version", [](auto& b) { b[3] = '1'; });
    patched("no glyphs", [](auto& b) { b[4] = b[5] = 0; });
    patched("cell not ascent plus descent", [](auto& b) { b[9] += 1; });
    patched("no family name", [](auto& b) { b[15] = 0; });
    patched("family name not ended", [table](auto& b) { b[table - 1] = 'x'; });
    patched("codes out of order", [&](auto& b) { std::swap_ranges(entry(b, 0), entry(b, 0) + 2, entry(b, 1)); });
    patched("rows past the end", [&](auto& b) { entry(b, count - 1)[5] = 200; });
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

// The installed supplement is a copy: the caller's buffer may go.
TEST_F(SupplementTest, TheSupplementOutlivesTheBufferItCameIn) {
    auto buffer = std::make_unique<std::vector<uint8_t>>(Blob());
    ASSERT_TRUE(InstallSupplement(buffer->data(), buffer->size()));
    std::fill(buffer->begin(), buffer->end(), 0xFF);
    buffer.reset();
    const BakedFont* f = SupplementFont();
    EXPECT_STREQ(f->family, "efont biwidth");
    const std::vector<uint8_t> blob = Blob();
    const size_t bitsAt = TableAt(blob) + 7 * GlyphCount(blob);
    EXPECT_TRUE(std::equal(blob.begin() + std::ptrdiff_t(bitsAt), blob.end(), f->bits));
}

// A blob cut anywhere is refused without a byte read past its end (each
// prefix stands in a buffer of its own length, which AddressSanitizer
// watches), and every face that the build embeds reads from its bytes.
TEST(FontBlob, EveryPrefixOfABlobIsRefusedWithinItsBytes) {
    const std::vector<uint8_t> good = Blob();
    std::vector<BakedGlyph> glyphs(1024);
    BakedFont font{};
    for (size_t n = 0; n < good.size(); ++n) {
        const auto prefix = std::make_unique<uint8_t[]>(n + 1);
        std::copy(good.begin(), good.begin() + std::ptrdiff_t(n), prefix.get());
        ASSERT_EQ(ReadBakedFont(prefix.get(), n, glyphs.data(), glyphs.size(), &font), 0u) << n;
    }
    EXPECT_EQ(font.glyphs, nullptr);
    // Too little room for the glyphs is refused too.
    const size_t count = GlyphCount(good);
    EXPECT_EQ(ReadBakedFont(good.data(), good.size(), glyphs.data(), count - 1, &font), 0u);
    EXPECT_EQ(ReadBakedFont(good.data(), good.size(), glyphs.data(), count, &font), good.size());
    EXPECT_EQ(font.glyphCount, int(count));
    EXPECT_EQ(font.family, reinterpret_cast<const char*>(good.data() + 16));
}

// Garbled bytes anywhere: what is accepted still keeps every glyph's rows
// inside the blob and its ink inside the cell.
TEST(FontBlob, AGarbledBlobIsReadOnlyWithinItsBytes) {
    const std::vector<uint8_t> good = Blob();
    std::vector<BakedGlyph> glyphs(1024);
    std::mt19937 random(21);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        auto blob = std::make_unique<uint8_t[]>(good.size());
        std::copy(good.begin(), good.end(), blob.get());
        for (int k = 0; k < 1 + round % 4; ++k) blob[random() % good.size()] = uint8_t(random());
        BakedFont f{};
        const size_t length = ReadBakedFont(blob.get(), good.size(), glyphs.data(), glyphs.size(), &f);
        if (length == 0) continue;
        ++accepted;
        ASSERT_LE(length, good.size());
        const size_t bits = size_t(f.bits - blob.get());
        for (int i = 0; i < f.glyphCount; ++i) {
            const BakedGlyph& g = f.glyphs[i];
            ASSERT_LE(bits + g.offset + size_t(g.width + 7) / 8 * g.height, length) << round;
            ASSERT_TRUE(g.height == 0 || (g.top >= 0 && g.top + g.height <= f.height)) << round;
        }
    }
    // Most changes land in the rows, which any bytes make.
    EXPECT_GT(accepted, 1000);
}

TEST(FontBlob, TheEmbeddedFacesReadOneAfterAnother) {
    std::vector<uint8_t> two = Blob();
    two.insert(two.end(), kCjkGlyphs, kCjkGlyphs + kCjkGlyphsSize);
    std::vector<BakedFont> fonts(3);
    std::vector<BakedGlyph> glyphs(1024);
    ASSERT_EQ(ReadEmbeddedFonts("damaged", two, fonts, glyphs), 2u);
    EXPECT_EQ(fonts[1].glyphs, fonts[0].glyphs + fonts[0].glyphCount);
    EXPECT_EQ(fonts[1].bits, two.data() + kCjkGlyphsSize + (fonts[0].bits - two.data()));
    // The faces the program draws with: eight of DejaVu, as bakefont makes them.
    ASSERT_EQ(BakedFonts().size(), 8u);
    for (const BakedFont& f : BakedFonts()) EXPECT_EQ(std::string(f.family).rfind("DejaVu Sans", 0), 0u) << f.family;
}

// A damaged face in the build stops the program at once, saying so; so
// does a sequence with no room left for its next face, or none at all.
TEST(FontBlobDeathTest, ADamagedEmbeddedFaceEndsTheProgram) {
    std::vector<uint8_t> two = Blob();
    two.insert(two.end(), kCjkGlyphs, kCjkGlyphs + kCjkGlyphsSize - 1);
    std::vector<BakedFont> fonts(3);
    std::vector<BakedGlyph> glyphs(1024);
    EXPECT_DEATH(ReadEmbeddedFonts("the glyphs are damaged", two, fonts, glyphs), "the glyphs are damaged");
    two.push_back(kCjkGlyphs[kCjkGlyphsSize - 1]);
    EXPECT_DEATH(ReadEmbeddedFonts("no room", two, std::span(fonts).first(1), glyphs), "no room");
    EXPECT_DEATH(ReadEmbeddedFonts("nothing", {}, fonts, glyphs), "nothing");
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
