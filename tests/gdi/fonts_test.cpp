// Tests of the baked font data and the font matcher: the data must cover the
// character set and keep every glyph inside its cell, and the dialog fonts
// must give the base units that size the game's dialogs.

#include "gdi/font_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace gdi {
namespace {

std::vector<char16_t> RequiredCodes() {
    std::vector<char16_t> codes;
    for (char16_t c = 0x20; c <= 0x7E; ++c) codes.push_back(c);
    for (char16_t c = 0xA0; c <= 0xFF; ++c) codes.push_back(c);
    codes.push_back(0x2026);
    codes.push_back(0x25B8);
    return codes;
}

std::string Name(const BakedFont* f) {
    return std::string(f->family) + " " + std::to_string(f->pixelSize) + (f->weight >= 600 ? " bold" : "");
}

int Stride(const BakedGlyph& g) { return (g.width + 7) / 8; }

bool Pixel(const BakedFont* f, const BakedGlyph& g, int x, int y) {
    return (f->bits[g.offset + static_cast<uint32_t>(y * Stride(g) + x / 8)] >> (7 - x % 8)) & 1;
}

int TextWidth(const BakedFont* f, const std::u16string& text) {
    int w = 0;
    for (char16_t c : text) {
        const BakedGlyph* g = FindGlyph(f, c);
        EXPECT_NE(g, nullptr) << "U+" << std::hex << static_cast<int>(c) << " in " << Name(f);
        if (g != nullptr) w += g->advance;
    }
    return w;
}

struct BaseUnits {
    int x;
    int y;
};

BaseUnits DialogUnits(const char16_t* face, int points) {
    // The dialog manager asks for -MulDiv(points, 96, 72).
    const BakedFont* f = MatchBakedFont(face, -((points * 96 + 36) / 72), 400);
    return {DialogBaseUnitX(f), f->height};
}

// ---------------------------------------------------------------------------
// The glyph tables.

TEST(BakedFontTables, EveryFontIsSortedAndCoversTheCharacterSet) {
    ASSERT_GT(kBakedFontCount, 0);
    const std::vector<char16_t> required = RequiredCodes();
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        ASSERT_EQ(f->glyphCount, static_cast<int>(required.size()));
        for (int k = 0; k < f->glyphCount; ++k) {
            EXPECT_EQ(f->glyphs[k].code, required[static_cast<size_t>(k)]);
            if (k > 0) {
                EXPECT_LT(f->glyphs[k - 1].code, f->glyphs[k].code);
            }
        }
    }
}

TEST(BakedFontTables, FindGlyphFindsEveryCodeAndNothingElse) {
    const std::vector<char16_t> required = RequiredCodes();
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        for (char16_t c : required) {
            const BakedGlyph* g = FindGlyph(f, c);
            ASSERT_NE(g, nullptr) << static_cast<int>(c);
            EXPECT_EQ(g->code, c);
        }
        // Below, between and above the table's entries.
        for (char16_t c : {char16_t{0}, char16_t{0x1F}, char16_t{0x7F}, char16_t{0x9F}, char16_t{0x100},
                           char16_t{0x2025}, char16_t{0x2027}, char16_t{0x25B9}, char16_t{0xFFFF}})
            EXPECT_EQ(FindGlyph(f, c), nullptr) << static_cast<int>(c);
    }
    EXPECT_EQ(FindGlyph(nullptr, u'A'), nullptr);
}

TEST(BakedFontTables, BitmapsAreTightContiguousAndCleanlyPadded) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        uint32_t next = 0;
        for (int k = 0; k < f->glyphCount; ++k) {
            const BakedGlyph& g = f->glyphs[k];
            SCOPED_TRACE(static_cast<int>(g.code));
            ASSERT_EQ(g.width == 0, g.height == 0);
            if (g.width == 0) continue;
            // Each glyph's rows follow the previous glyph's, so no two
            // glyphs share or skip bytes.
            ASSERT_EQ(g.offset, next);
            next += static_cast<uint32_t>(Stride(g) * g.height);
            bool topInk = false, bottomInk = false, leftInk = false, rightInk = false;
            for (int x = 0; x < g.width; ++x) {
                topInk = topInk || Pixel(f, g, x, 0);
                bottomInk = bottomInk || Pixel(f, g, x, g.height - 1);
            }
            for (int y = 0; y < g.height; ++y) {
                leftInk = leftInk || Pixel(f, g, 0, y);
                rightInk = rightInk || Pixel(f, g, g.width - 1, y);
                for (int x = g.width; x < Stride(g) * 8; ++x) EXPECT_FALSE(Pixel(f, g, x, y)) << "padding";
            }
            EXPECT_TRUE(topInk && bottomInk && leftInk && rightInk) << "bitmap not tight";
        }
    }
}

TEST(BakedFontTables, VisibleCharactersHaveInkAndSpacesHaveNone) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        for (char16_t c : RequiredCodes()) {
            const BakedGlyph* g = FindGlyph(f, c);
            ASSERT_NE(g, nullptr);
            EXPECT_GT(g->advance, 0) << static_cast<int>(c);
            if (c == u' ' || c == 0xA0)
                EXPECT_EQ(g->width, 0);
            else
                EXPECT_GT(g->width, 0) << static_cast<int>(c);
        }
    }
}

// ---------------------------------------------------------------------------
// Metrics.

TEST(BakedFontMetrics, CellIsConsistentAndHoldsEveryGlyph) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        EXPECT_EQ(f->height, f->ascent + f->descent);
        EXPECT_EQ(f->internalLeading, f->height - f->pixelSize);
        EXPECT_GE(f->internalLeading, 0);
        EXPECT_GT(f->descent, 0);
        int maxAdvance = 0;
        for (int k = 0; k < f->glyphCount; ++k) {
            const BakedGlyph& g = f->glyphs[k];
            SCOPED_TRACE(static_cast<int>(g.code));
            maxAdvance = std::max(maxAdvance, static_cast<int>(g.advance));
            EXPECT_GE(g.top, 0);
            EXPECT_LE(g.top + g.height, f->height);
            // Glyphs may lean a pixel into their neighbours, never more.
            if (g.width > 0) {
                EXPECT_GE(g.left, -1);
                EXPECT_LE(g.left + g.width, g.advance + 1);
            }
        }
        EXPECT_EQ(f->maxCharWidth, maxAdvance);
    }
}

TEST(BakedFontMetrics, BaselineSitsUnderCapitalsAndAboveDescenders) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        for (char16_t c : std::u16string(u"HEIMx")) {
            const BakedGlyph* g = FindGlyph(f, c);
            EXPECT_EQ(g->top + g->height, f->ascent) << static_cast<int>(c);
        }
        for (char16_t c : std::u16string(u"gpqy")) {
            const BakedGlyph* g = FindGlyph(f, c);
            EXPECT_GT(g->top + g->height, f->ascent) << static_cast<int>(c);
        }
    }
}

TEST(BakedFontMetrics, AverageWidthIsTheRoundedMeanOfTheLetters) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        const int total = TextWidth(f, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        EXPECT_LE(std::abs(f->avgCharWidth * 52 - total), 26);
    }
}

TEST(BakedFontMetrics, DigitsShareOneAdvanceSoCountersDoNotJump) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* f = kBakedFonts[i];
        SCOPED_TRACE(Name(f));
        const int zero = FindGlyph(f, u'0')->advance;
        for (char16_t c = u'1'; c <= u'9'; ++c) EXPECT_EQ(FindGlyph(f, c)->advance, zero) << static_cast<char>(c);
    }
}

TEST(BakedFontMetrics, BoldFacesAreHeavierThanTheirRegularFaces) {
    for (int i = 0; i < kBakedFontCount; ++i) {
        const BakedFont* bold = kBakedFonts[i];
        if (bold->weight < 600) continue;
        const BakedFont* regular = MatchBakedFont(nullptr, -bold->pixelSize, 400);
        SCOPED_TRACE(Name(bold));
        ASSERT_EQ(regular->pixelSize, bold->pixelSize);
        auto ink = [](const BakedFont* f) {
            int n = 0;
            for (char16_t c : std::u16string(u"Presented by MENKOR")) {
                const BakedGlyph* g = FindGlyph(f, c);
                for (int y = 0; y < g->height; ++y)
                    for (int x = 0; x < g->width; ++x) n += Pixel(f, *g, x, y);
            }
            return n;
        };
        EXPECT_GT(ink(bold), ink(regular) * 5 / 4);
    }
}

// ---------------------------------------------------------------------------
// Dialog base units.

// A font whose 52 letters have the given advances, to pin the rounding of
// the Win32 formula at its edges.
struct LetterFont {
    std::vector<BakedGlyph> glyphs;
    BakedFont font{};
    LetterFont(int upper, int lower, int extraOnZ) {
        for (char16_t c = u'A'; c <= u'Z'; ++c)
            glyphs.push_back({c, static_cast<uint8_t>(upper + (c == u'Z' ? extraOnZ : 0)), 0, 0, 0, 0, 0});
        for (char16_t c = u'a'; c <= u'z'; ++c) glyphs.push_back({c, static_cast<uint8_t>(lower), 0, 0, 0, 0, 0});
        font.family = "Test";
        font.glyphs = glyphs.data();
        font.glyphCount = static_cast<int>(glyphs.size());
    }
};

int BaseXOfLetters(int upper, int lower, int extraOnZ) {
    const LetterFont f(upper, lower, extraOnZ);
    return DialogBaseUnitX(&f.font);
}

TEST(DialogBaseUnits, FollowTheWin32Rounding) {
    EXPECT_EQ(BaseXOfLetters(5, 5, 0), 5);   // 260 / 26 = 10
    EXPECT_EQ(BaseXOfLetters(6, 5, 0), 6);   // 286 / 26 = 11, rounds up
    EXPECT_EQ(BaseXOfLetters(6, 5, -1), 5);  // 285 / 26 = 10
    EXPECT_EQ(BaseXOfLetters(7, 6, 0), 7);   // 338 / 26 = 13
    EXPECT_EQ(DialogBaseUnitX(nullptr), 0);
}

TEST(DialogBaseUnits, TemplateFontsGiveTheClassicUnits) {
    const BaseUnits msSansSerif8 = DialogUnits(u"MS Sans Serif", 8);
    EXPECT_EQ(msSansSerif8.x, 5);
    EXPECT_EQ(msSansSerif8.y, 13);

    const BaseUnits system8 = DialogUnits(u"System", 8);
    EXPECT_GE(system8.x, 5);
    EXPECT_LE(system8.x, 6);
    EXPECT_EQ(system8.y, 13);

    const BaseUnits system10 = DialogUnits(u"System", 10);
    EXPECT_GE(system10.x, 6);
    EXPECT_LE(system10.x, 7);
    EXPECT_GE(system10.y, 15);
    EXPECT_LE(system10.y, 16);
}

TEST(DialogBaseUnits, IntroPanelComesOutNear180By175) {
    const BaseUnits u = DialogUnits(u"MS Sans Serif", 8);
    const int width = 145 * u.x / 4;
    const int height = 108 * u.y / 8;
    EXPECT_NEAR(width, 180, 3);
    EXPECT_NEAR(height, 175, 3);
}

TEST(DialogBaseUnits, DialogsFitTheScreenAndTheirTextFitsItsControls) {
    // The About dialog (117 x 53 units, "System" 8) and the player-count
    // dialog (106 x 66 units, "System" 10) must fit 240 pixels across.
    const BaseUnits about = DialogUnits(u"System", 8);
    EXPECT_LE(117 * about.x / 4, 240);
    const BaseUnits players = DialogUnits(u"System", 10);
    EXPECT_LE(106 * players.x / 4, 240);

    // The player-count dialog's labels in the controls the template sizes
    // for them: "Players" in 24 units, "CANCEL" in a 40-unit button.
    const BakedFont* f = MatchBakedFont(u"System", -13, 400);
    EXPECT_LE(TextWidth(f, u"Players"), 24 * players.x / 4 + 2);
    EXPECT_LE(TextWidth(f, u"CANCEL"), 40 * players.x / 4 - 4);
    EXPECT_LE(TextWidth(MatchBakedFont(u"System", -11, 400), u"Tavilo! Version 1.1"),
              70 * about.x / 4 + 2);  // the About dialog's version line
}

// ---------------------------------------------------------------------------
// Matching requests to fonts.

TEST(MatchBakedFont, SystemFontIsTheDefaultForUnknownAndMissingNames) {
    const BakedFont* system = SystemBakedFont();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->weight, 400);
    EXPECT_GE(system->pixelSize, 11);
    EXPECT_LE(system->pixelSize, 12);
    EXPECT_EQ(MatchBakedFont(nullptr, 0, 400), system);
    EXPECT_EQ(MatchBakedFont(u"", 0, 400), system);
    EXPECT_EQ(MatchBakedFont(u"Wingdings", 0, 400), system);
    EXPECT_EQ(MatchBakedFont(u"Tahoma", -11, 400), system);
    EXPECT_EQ(MatchBakedFont(u"Courier New", -11, 400), system);
}

TEST(MatchBakedFont, FaceNamesIgnoreCase) {
    EXPECT_EQ(MatchBakedFont(u"ms sans serif", -11, 400), MatchBakedFont(u"MS Sans Serif", -11, 400));
    EXPECT_EQ(MatchBakedFont(u"SYSTEM", -13, 400), MatchBakedFont(u"System", -13, 400));
    // A longer or shorter name is another face.
    EXPECT_EQ(MatchBakedFont(u"Systems", -13, 400), MatchBakedFont(u"Wingdings", -13, 400));
    EXPECT_EQ(MatchBakedFont(u"Syste", -13, 400), MatchBakedFont(u"Wingdings", -13, 400));
}

TEST(MatchBakedFont, BoldFromWeight600WhereABoldFaceExists) {
    EXPECT_EQ(MatchBakedFont(nullptr, 0, 700)->weight, 700);
    EXPECT_EQ(MatchBakedFont(nullptr, 0, 600)->weight, 700);
    EXPECT_EQ(MatchBakedFont(nullptr, 0, 599)->weight, 400);
    EXPECT_EQ(MatchBakedFont(u"System", -11, 700)->weight, 700);
    EXPECT_EQ(MatchBakedFont(u"System", -13, 700)->weight, 700);
    EXPECT_EQ(MatchBakedFont(u"DejaVu Sans", -11, 700)->weight, 700);

    // The bold caption font has the system font's size and cell, so a
    // caption fits wherever a line of system text does.
    const BakedFont* caption = MatchBakedFont(nullptr, 0, 700);
    EXPECT_EQ(caption->pixelSize, SystemBakedFont()->pixelSize);
    EXPECT_EQ(caption->height, SystemBakedFont()->height);
    EXPECT_EQ(MatchBakedFont(u"Tahoma", -11, 700), caption);
    // A bold dialog font keeps its size.
    EXPECT_EQ(MatchBakedFont(u"System", -13, 700)->height, MatchBakedFont(u"System", -13, 400)->height);

    // Where no bold was baked the regular face answers, with the same
    // dialog units.
    const BakedFont* panel = MatchBakedFont(u"MS Sans Serif", -11, 700);
    EXPECT_EQ(DialogBaseUnitX(panel), 5);
    EXPECT_EQ(panel->height, 13);
}

TEST(MatchBakedFont, ClosestSizeByCharacterOrCellHeight) {
    const BakedFont* em12 = MatchBakedFont(u"DejaVu Sans Condensed", -12, 400);
    EXPECT_EQ(em12->pixelSize, 12);
    EXPECT_STREQ(em12->family, "DejaVu Sans Condensed");
    EXPECT_EQ(MatchBakedFont(u"DejaVu Sans Condensed", -40, 400)->pixelSize,
              MatchBakedFont(u"DejaVu Sans Condensed", -13, 400)->pixelSize);
    EXPECT_STREQ(MatchBakedFont(u"DejaVu Sans", -11, 400)->family, "DejaVu Sans");

    // A positive height names the cell: the font with that cell, and of two
    // with the same cell the larger face.
    const BakedFont* cell13 = MatchBakedFont(u"DejaVu Sans Condensed", 13, 400);
    EXPECT_EQ(cell13->height, 13);
    EXPECT_EQ(cell13->pixelSize, 10);
    EXPECT_EQ(MatchBakedFont(u"System", 15, 400)->height, 15);
    EXPECT_EQ(MatchBakedFont(u"System", 13, 400), MatchBakedFont(u"System", -11, 400));
}

TEST(MatchBakedFont, NeverNullForAnyRequest) {
    for (const char16_t* face : {static_cast<const char16_t*>(nullptr), u"", u"System", u"MS Sans Serif",
                                 u"Tahoma", u"DejaVu Sans", u"DejaVu Sans Condensed", u"\u00E9\u4E00"})
        for (int height : {INT_MIN, -100000, -1, 0, 1, 100000, INT_MAX})
            for (int weight : {INT_MIN, 0, 400, 700, 1000, INT_MAX})
                EXPECT_NE(MatchBakedFont(face, height, weight), nullptr);
}

// ---------------------------------------------------------------------------
// The game's own text in the fonts that draw it.

TEST(BakedFontText, IntroMessagesAndMenuLabelsFitTheirPlaces) {
    const BakedFont* system = SystemBakedFont();
    const BaseUnits panel = DialogUnits(u"MS Sans Serif", 8);
    const int panelWidth = 145 * panel.x / 4;
    // The outline spreads 3 pixels each side of the message.
    for (const char16_t* message : {u"Presented by MENKOR", u"Good Luck!", u"^^", u"E-mail: "})
        EXPECT_LE(TextWidth(system, message) + 6, panelWidth);
    // The menu bar is 26 rows; its labels need a cell with room to spare.
    EXPECT_LE(system->height, 26 - 8);
    EXPECT_LE(TextWidth(system, u"New") + TextWidth(system, u"All") + TextWidth(system, u"Option") +
                  TextWidth(system, u"Help"),
              160);
}

}  // namespace
}  // namespace gdi
