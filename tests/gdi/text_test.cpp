// Text and fonts: placement by the DT_ flags, clipping to the rectangle,
// the prefix character, missing characters, the background modes and the
// measuring calls; the baked font data, which must cover the character set
// and keep every glyph inside its cell; and the dialog fonts, which must
// give the base units that size the game's dialogs.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "font_data.h"
#include "gdi_test_support.h"

namespace gdi {
namespace {

using gdi_test::Canvas;

// The bounding box of every pixel that is not white.
RECT Ink(const Canvas& canvas) {
    RECT box{canvas.width, canvas.height, 0, 0};
    for (auto [x, y] : canvas.Inked())
        box = RECT{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    return box;
}

int TextWidth(const BakedFont* f, const std::u16string& text) {
    int w = 0;
    for (char16_t c : text) w += FindGlyph(f, c)->advance;
    return w;
}

TEST(DrawText, TextAtTheEdgesOfItsClipRectangleGolden) {
    Canvas canvas(90, 60);
    SetBkMode(canvas.dc, TRANSPARENT);
    // Rectangles that cut the text at each side, and one that DT_NOCLIP frees.
    struct Case { RECT rect; UINT format; COLORREF color; } cases[] = {
        {{-6, -4, 40, 9}, DT_SINGLELINE, RGB(0, 0, 0)},
        {{50, 2, 88, 12}, DT_SINGLELINE | DT_RIGHT, RGB(160, 0, 0)},
        {{4, 20, 40, 26}, DT_SINGLELINE | DT_VCENTER, RGB(0, 100, 0)},
        {{46, 20, 66, 40}, DT_SINGLELINE | DT_CENTER | DT_VCENTER, RGB(0, 0, 160)},
        {{4, 44, 30, 48}, DT_SINGLELINE | DT_NOCLIP, RGB(120, 0, 120)},
        {{60, 50, 100, 70}, DT_SINGLELINE | DT_BOTTOM, RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        // A frame just outside the rectangle shows where the clip is; drawn
        // first, so that text leaking past the clip would mark it.
        const LONG left = c.rect.left - 1, top = c.rect.top - 1, right = c.rect.right, bottom = c.rect.bottom;
        if (!(c.format & DT_NOCLIP))
            gdi_test::Stroke(canvas.dc, {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}}, 1, RGB(255, 200, 0));
        RECT r = c.rect;
        SetTextColor(canvas.dc, c.color);
        DrawTextW(canvas.dc, u"Ladder Wg", -1, &r, c.format);
    }
    EXPECT_TRUE(gdi_test::MatchesGolden("text_clip", canvas.pixels(), canvas.width, canvas.height));
}

TEST(DrawText, OpaqueFillsTheTextCellAndTransparentDoesNot) {
    Canvas canvas(100, 40);
    SetBkColor(canvas.dc, RGB(0, 0, 0));
    const int width = TextWidth(SystemBakedFont(), u"Tavilo"), height = SystemBakedFont()->height;
    RECT r{10, 5, 91, 36};
    // With DT_VCENTER or DT_BOTTOM Win32 returns the text's bottom measured
    // from the rectangle's top.
    const int bottom = 5 + (31 - height) / 2 + height;
    EXPECT_EQ(DrawTextW(canvas.dc, u"Tavilo", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT), bottom - 5);
    EXPECT_EQ(gdi_test::Edges(Ink(canvas)), gdi_test::Edges(RECT{91 - width, bottom - height, 91, bottom}));
    canvas.Fill(RGB(255, 255, 255));
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(0, 0, 255));
    EXPECT_EQ(DrawTextW(canvas.dc, u"Tavilo", -1, &r, DT_SINGLELINE), height);
    EXPECT_EQ(canvas.Inked(0).size(), 100u * 40u) << "the black background was drawn";
}

TEST(DrawText, CalcRectMeasuresPrefixesLinesAndTheSelectedFont) {
    Canvas canvas(60, 20);
    const BakedFont* system = SystemBakedFont();
    struct Case { const char16_t* text; UINT format; const char16_t* measured; int lines; } cases[] = {
        {u"&New", DT_SINGLELINE, u"New", 1},
        {u"&New", DT_SINGLELINE | DT_NOPREFIX, u"&New", 1},
        {u"A&&B", DT_SINGLELINE, u"A&B", 1},
        {u"a\r\nbb", 0, u"bb", 2},  // two lines without DT_SINGLELINE
    };
    for (const Case& c : cases) {
        RECT r{7, 9, 8, 10};
        EXPECT_EQ(DrawTextW(canvas.dc, c.text, -1, &r, c.format | DT_CALCRECT), c.lines * system->height);
        EXPECT_EQ(gdi_test::Edges(r), gdi_test::Edges(RECT{7, 9, 7 + TextWidth(system, c.measured), 9 + c.lines * system->height}));
    }
    EXPECT_TRUE(canvas.Inked().empty());
    // A created font, once selected, measures with its own glyphs and metrics.
    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    std::copy_n(u"System", 7, lf.lfFaceName);
    HGDIOBJ old = SelectObject(canvas.dc, CreateFontIndirectW(&lf));
    const BakedFont* f = MatchBakedFont(u"System", -13, FW_BOLD);
    ASSERT_NE(f, system);
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &tm));
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(canvas.dc, u"Wg", 2, 0, nullptr, nullptr, &size));
    EXPECT_EQ((std::vector<int>{tm.tmHeight, tm.tmAscent, tm.tmWeight, size.cx, size.cy}),
              (std::vector<int>{f->height, f->ascent, f->weight, TextWidth(f, u"Wg"), f->height}));
    EXPECT_TRUE(DeleteObject(SelectObject(canvas.dc, old)));
}

TEST(DrawText, PrefixUnderlinesAndMissingCharactersDrawABox) {
    Canvas canvas(60, 20);
    SetBkMode(canvas.dc, TRANSPARENT);
    RECT r{0, 0, 60, 20};
    DrawTextW(canvas.dc, u"&New", -1, &r, DT_SINGLELINE);
    // The underline runs under the N, one row below the baseline.
    const int n = TextWidth(SystemBakedFont(), u"N"), row = SystemBakedFont()->ascent + 1;
    for (int x = 0; x < n; ++x) EXPECT_EQ(canvas.At(x, row), 0u) << x;
    EXPECT_EQ(canvas.At(n + 1, row), 0xFFFFFFu);
    // U+4E00 is not in the baked fonts; a surrogate pair is one character.
    canvas.Fill(RGB(255, 255, 255));
    DrawTextW(canvas.dc, u"\u4E00", -1, &r, DT_SINGLELINE);
    RECT box = Ink(canvas);
    EXPECT_TRUE(box.right - box.left >= 3 && box.bottom - box.top >= 5);
    SIZE one{}, pair{};
    GetTextExtentExPointW(canvas.dc, u"\u4E00", 1, 0, nullptr, nullptr, &one);
    GetTextExtentExPointW(canvas.dc, u"\U0001F600", 2, 0, nullptr, nullptr, &pair);
    EXPECT_EQ(one.cx, pair.cx);
}

// Each baked font on its own, so that one broken table does not hide the
// state of the others.
class BakedFontTest : public testing::TestWithParam<int> {};

TEST_P(BakedFontTest, CoversTheCharacterSetInsideItsCell) {
    std::vector<char16_t> required;
    for (char16_t c = 0x20; c <= 0xFF; ++c)
        if (c <= 0x7E || c >= 0xA0) required.push_back(c);
    required.insert(required.end(), {0x2026, 0x25B8});
    const BakedFont* f = &BakedFonts()[size_t(GetParam())];
    SCOPED_TRACE(testing::Message() << f->family << " " << f->pixelSize << " " << f->weight);
    EXPECT_EQ(f->height, f->ascent + f->descent);
    ASSERT_EQ(f->glyphCount, int(required.size()));
    uint32_t next = 0;
    for (int k = 0; k < f->glyphCount; ++k) {
        const BakedGlyph& g = f->glyphs[k];
        SCOPED_TRACE(int(g.code));
        // Sorted and complete, so that the binary search finds each one.
        ASSERT_EQ(g.code, required[size_t(k)]);
        EXPECT_EQ(FindGlyph(f, g.code), &g);
        EXPECT_GT(g.advance, 0);
        EXPECT_EQ(g.width == 0 || g.height == 0, g.code == u' ' || g.code == 0xA0);
        if (g.width == 0) continue;
        // Each glyph's rows follow the previous glyph's, so no two share
        // or skip bytes; glyphs stay in the cell and lean a pixel into
        // their neighbours at most.
        EXPECT_EQ(g.offset, next);
        next += uint32_t((g.width + 7) / 8 * g.height);
        EXPECT_TRUE(g.top >= 0 && g.top + g.height <= f->height);
        EXPECT_TRUE(g.left >= -1 && g.left + g.width <= g.advance + 1);
    }
    // Below, between and above the table's entries.
    for (char16_t c : {0x00, 0x1F, 0x7F, 0x9F, 0x100, 0x2025, 0x2027, 0x25B9, 0xFFFF})
        EXPECT_EQ(FindGlyph(f, c), nullptr) << int(c);
    // Capitals stand on the baseline and descenders go below it.
    for (char16_t c : std::u16string(u"HEIMx")) EXPECT_EQ(FindGlyph(f, c)->top + FindGlyph(f, c)->height, f->ascent);
    for (char16_t c : std::u16string(u"gpqy")) EXPECT_GT(FindGlyph(f, c)->top + FindGlyph(f, c)->height, f->ascent);
}

INSTANTIATE_TEST_SUITE_P(EveryFont, BakedFontTest, testing::Range(0, int(BakedFonts().size())));

TEST(DialogBaseUnits, TemplateFontsSizeTheGamesDialogsAndTheirLabelsFit) {
    // The dialog manager asks for -MulDiv(points, 96, 72).
    auto font = [](const char16_t* face, int points) { return MatchBakedFont(face, -((points * 96 + 36) / 72), 400); };
    const BakedFont *panel = font(u"MS Sans Serif", 8), *about = font(u"System", 8), *players = font(u"System", 10);
    const int panelX = DialogBaseUnitX(panel), aboutX = DialogBaseUnitX(about), playersX = DialogBaseUnitX(players);
    // Win32's (letters / 26 + 1) / 2 over the advances of A-Z and a-z, and
    // the cell height; the 145 x 108-unit intro panel comes out near 180 x
    // 175 pixels.
    EXPECT_EQ((std::vector<int>{panelX, panel->height, aboutX, about->height, playersX, players->height}),
              (std::vector<int>{5, 13, 6, 13, 7, 15}));
    EXPECT_NEAR(145 * panelX / 4, 180, 3);
    EXPECT_NEAR(108 * panel->height / 8, 175, 3);
    // The labels fit the controls the templates size for them: "Players"
    // in 24 units, "CANCEL" in a 40-unit button, the About dialog's version
    // line in 70 units; the intro messages, outlined 3 pixels each side,
    // fit the panel.
    EXPECT_LE(TextWidth(players, u"Players"), 24 * playersX / 4 + 2);
    EXPECT_LE(TextWidth(players, u"CANCEL"), 40 * playersX / 4 - 4);
    EXPECT_LE(TextWidth(about, u"Tavilo! Version 1.1"), 70 * aboutX / 4 + 2);
    for (const char16_t* message : {u"Presented by MENKOR", u"Good Luck!"})
        EXPECT_LE(TextWidth(SystemBakedFont(), message) + 6, 145 * panelX / 4);
}

struct Request { const char16_t* face; int height; int weight; };
const BakedFont* Match(const Request& r) { return MatchBakedFont(r.face, r.height, r.weight); }

TEST(MatchBakedFont, NamesSizesAndWeights) {
    const std::pair<Request, Request> same[] = {
        {{u"Wingdings", 0, 400}, {nullptr, 0, 400}},  // unknown and missing names give the system font
        {{u"Tahoma", -11, 400}, {nullptr, 0, 400}},
        {{u"sYSTEM", -13, 400}, {u"System", -13, 400}},  // names ignore case
        {{u"Systems", -13, 400}, {u"Wingdings", -13, 400}},  // a longer name is another face
        {{nullptr, 0, 600}, {nullptr, 0, 700}},  // bold from weight 600
        {{nullptr, 0, 599}, {nullptr, 0, 400}},
        {{u"MS Sans Serif", -11, 700}, {u"MS Sans Serif", -11, 400}},  // no bold baked: the regular face answers
        {{u"System", 13, 400}, {u"System", -11, 400}},  // a positive height names the cell
        {{u"DejaVu Sans Condensed", -40, 400}, {u"DejaVu Sans Condensed", -13, 400}},
    };
    for (const auto& [a, b] : same) EXPECT_EQ(Match(a), Match(b)) << Match(a)->family << " for " << a.height << "/" << a.weight;
    EXPECT_EQ(Match({nullptr, 0, 400}), SystemBakedFont());
    // The bold caption font has the system font's cell, so a caption fits
    // wherever a line of system text does.
    EXPECT_EQ(std::make_pair(Match({nullptr, 0, 700})->weight, Match({nullptr, 0, 700})->height),
              std::make_pair(700, SystemBakedFont()->height));
    // Of two fonts with the cell asked for, the larger face answers.
    EXPECT_EQ(Match({u"DejaVu Sans Condensed", 13, 400})->pixelSize, 10);
    // Whatever the request, some font answers.
    for (const char16_t* face : {static_cast<const char16_t*>(nullptr), u"", u"System", u"MS Sans Serif", u"\u00E9\u4E00"})
        for (int height : {INT_MIN, -100000, -1, 0, 1, 100000, INT_MAX})
            for (int weight : {INT_MIN, 0, 700, INT_MAX}) EXPECT_NE(MatchBakedFont(face, height, weight), nullptr);
}

}  // namespace
}  // namespace gdi
