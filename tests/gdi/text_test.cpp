// Text: placement by the DT_ flags, clipping to the rectangle, the prefix
// character, missing characters, the background modes and the measuring
// calls, all against the baked font's own metrics.

#include <gtest/gtest.h>

#include "font_data.h"
#include "gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::MatchesGolden;
using gdi_test::Px;

const uint32_t kWhite = Px(255, 255, 255);

// The bounding box of every pixel that is not white.
RECT Ink(const Canvas& canvas, uint32_t background = kWhite) {
    RECT box{canvas.width(), canvas.height(), 0, 0};
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.At(x, y) == background) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return box;
}

SIZE Extent(HDC dc, const char16_t* text) {
    SIZE size{};
    GetTextExtentExPointW(dc, text, int(wcslen(text)), 0, nullptr, nullptr, &size);
    return size;
}

TEST(DrawText, TextAtTheEdgesOfItsClipRectangleGolden) {
    Canvas canvas(90, 60);
    SetBkMode(canvas.dc(), TRANSPARENT);
    // Rectangles that cut the text at each side, and one that DT_NOCLIP frees.
    struct Case {
        RECT rect;
        UINT format;
        COLORREF color;
    } cases[] = {
        {{-6, -4, 40, 9}, DT_SINGLELINE, RGB(0, 0, 0)},
        {{50, 2, 88, 12}, DT_SINGLELINE | DT_RIGHT, RGB(160, 0, 0)},
        {{4, 20, 40, 26}, DT_SINGLELINE | DT_VCENTER, RGB(0, 100, 0)},
        {{46, 20, 66, 40}, DT_SINGLELINE | DT_CENTER | DT_VCENTER, RGB(0, 0, 160)},
        {{4, 44, 30, 48}, DT_SINGLELINE | DT_NOCLIP, RGB(120, 0, 120)},
        {{60, 50, 100, 70}, DT_SINGLELINE | DT_BOTTOM, RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        RECT r = c.rect;
        SetTextColor(canvas.dc(), c.color);
        DrawTextW(canvas.dc(), u"Ladder Wg", -1, &r, c.format);
        // A frame just outside the rectangle shows where the clip was.
        RECT frame{c.rect.left - 1, c.rect.top - 1, c.rect.right + 1, c.rect.bottom + 1};
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 200, 0));
        HGDIOBJ old = SelectObject(canvas.dc(), pen);
        POINT box[] = {{frame.left, frame.top}, {frame.right - 1, frame.top}, {frame.right - 1, frame.bottom - 1},
                       {frame.left, frame.bottom - 1}, {frame.left, frame.top}};
        if (!(c.format & DT_NOCLIP)) Polyline(canvas.dc(), box, 5);
        SelectObject(canvas.dc(), old);
        DeleteObject(pen);
    }
    EXPECT_TRUE(MatchesGolden("text_clip", canvas.pixels(), canvas.width(), canvas.height()));
}

TEST(DrawText, ClipsToTheRectangleUnlessToldNot) {
    Canvas canvas(80, 30);
    SIZE size = Extent(canvas.dc(), u"Good Luck!");
    RECT narrow{10, 5, 10 + size.cx / 2, 5 + size.cy / 2};
    DrawTextW(canvas.dc(), u"Good Luck!", -1, &narrow, DT_SINGLELINE);
    RECT ink = Ink(canvas);
    EXPECT_GE(ink.left, narrow.left);
    EXPECT_GE(ink.top, narrow.top);
    EXPECT_LE(ink.right, narrow.right);
    EXPECT_LE(ink.bottom, narrow.bottom);
    canvas.Fill(RGB(255, 255, 255));
    DrawTextW(canvas.dc(), u"Good Luck!", -1, &narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(Ink(canvas).right, narrow.right);
}

TEST(DrawText, OpaqueFillsTheTextCellAndTransparentDoesNot) {
    Canvas canvas(60, 20);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    RECT r{3, 2, 60, 20};
    int height = DrawTextW(canvas.dc(), u"ab", -1, &r, DT_SINGLELINE);
    SIZE size = Extent(canvas.dc(), u"ab");
    EXPECT_EQ(height, size.cy);
    RECT cell = Ink(canvas);
    EXPECT_EQ(cell.left, 3);
    EXPECT_EQ(cell.top, 2);
    EXPECT_EQ(cell.right, 3 + size.cx);
    EXPECT_EQ(cell.bottom, 2 + size.cy);
    EXPECT_EQ(canvas.At(3, 2), Px(0, 0, 255));
    canvas.Fill(RGB(255, 255, 255));
    SetBkMode(canvas.dc(), TRANSPARENT);
    DrawTextW(canvas.dc(), u"ab", -1, &r, DT_SINGLELINE);
    for (int i = 0; i < 60 * 20; ++i) ASSERT_NE(canvas.pixels()[i], Px(0, 0, 255));
    EXPECT_GT(Ink(canvas).right, 3);
}

TEST(DrawText, AlignmentFlagsPlaceTheTextCell) {
    Canvas canvas(100, 40);
    SetBkColor(canvas.dc(), RGB(0, 0, 0));  // opaque: the ink box is the cell
    SIZE size = Extent(canvas.dc(), u"Tavilo");
    struct Case {
        UINT format;
        LONG left;
        LONG top;
    } cases[] = {
        {DT_SINGLELINE, 10, 5},
        {DT_SINGLELINE | DT_CENTER, 10 + (81 - size.cx) / 2, 5},
        {DT_SINGLELINE | DT_RIGHT, 91 - size.cx, 5},
        {DT_SINGLELINE | DT_VCENTER, 10, 5 + (31 - size.cy) / 2},
        {DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, 91 - size.cx, 36 - size.cy},
    };
    for (const Case& c : cases) {
        canvas.Fill(RGB(255, 255, 255));
        RECT r{10, 5, 91, 36};
        int result = DrawTextW(canvas.dc(), u"Tavilo", -1, &r, c.format);
        RECT cell = Ink(canvas);
        EXPECT_EQ(cell.left, c.left) << c.format;
        EXPECT_EQ(cell.top, c.top) << c.format;
        EXPECT_EQ(cell.right - cell.left, size.cx);
        // With DT_VCENTER or DT_BOTTOM Win32 returns the text's bottom
        // measured from the rectangle's top.
        EXPECT_EQ(result, (c.format & (DT_VCENTER | DT_BOTTOM)) ? c.top + size.cy - 5 : size.cy) << c.format;
    }
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
    Canvas canvas(50, 50);
    RECT r{7, 9, 8, 10};
    SIZE size = Extent(canvas.dc(), u"Option");
    int height = DrawTextW(canvas.dc(), u"Option", -1, &r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(height, size.cy);
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.top, 9);
    EXPECT_EQ(r.right, 7 + size.cx);
    EXPECT_EQ(r.bottom, 9 + size.cy);
    EXPECT_EQ(Ink(canvas).right, 0);
    // Two lines without DT_SINGLELINE.
    RECT two{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(canvas.dc(), u"a\r\nbb", -1, &two, DT_CALCRECT), 2 * size.cy);
    EXPECT_EQ(two.right, Extent(canvas.dc(), u"bb").cx);
}

TEST(DrawText, PrefixUnderlinesAndNoPrefixShowsTheAmpersand) {
    Canvas canvas(60, 20);
    SetBkMode(canvas.dc(), TRANSPARENT);
    RECT r{0, 0, 60, 20};
    RECT calc = r;
    DrawTextW(canvas.dc(), u"&New", -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(calc.right, Extent(canvas.dc(), u"New").cx);
    calc = r;
    DrawTextW(canvas.dc(), u"&New", -1, &calc, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(calc.right, Extent(canvas.dc(), u"&New").cx);
    calc = r;
    DrawTextW(canvas.dc(), u"A&&B", -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(calc.right, Extent(canvas.dc(), u"A&B").cx);

    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(canvas.dc(), &tm));
    DrawTextW(canvas.dc(), u"&New", -1, &r, DT_SINGLELINE);
    // The underline runs under the N, one row below the baseline.
    int n = Extent(canvas.dc(), u"N").cx;
    for (int x = 0; x < n; ++x) EXPECT_EQ(canvas.At(x, tm.tmAscent + 1), 0u) << x;
    EXPECT_EQ(canvas.At(n + 1, tm.tmAscent + 1), kWhite);
}

TEST(DrawText, MissingCharactersDrawAVisibleBox) {
    Canvas canvas(40, 20);
    SetBkMode(canvas.dc(), TRANSPARENT);
    RECT r{0, 0, 40, 20};
    // U+4E00 is not in the baked fonts; a surrogate pair is one character.
    DrawTextW(canvas.dc(), u"\u4E00", -1, &r, DT_SINGLELINE);
    RECT box = Ink(canvas);
    EXPECT_GE(box.right - box.left, 3);
    EXPECT_GE(box.bottom - box.top, 5);
    SIZE one = Extent(canvas.dc(), u"\u4E00");
    SIZE pair = Extent(canvas.dc(), u"\U0001F600");
    EXPECT_EQ(one.cx, pair.cx);
    EXPECT_GT(one.cx, 0);
}

TEST(TextExtent, FitCountAndPartialWidths) {
    Canvas canvas(10, 10);
    const char16_t* text = u"Hello";
    int dx[5] = {};
    int fit = -1;
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(canvas.dc(), text, 5, 1000, &fit, dx, &size));
    EXPECT_EQ(fit, 5);
    EXPECT_EQ(dx[4], size.cx);
    for (int i = 1; i < 5; ++i) EXPECT_GT(dx[i], dx[i - 1]);
    ASSERT_TRUE(GetTextExtentExPointW(canvas.dc(), text, 5, dx[2], &fit, nullptr, &size));
    EXPECT_EQ(fit, 3);
    ASSERT_TRUE(GetTextExtentExPointW(canvas.dc(), text, 5, dx[2] - 1, &fit, nullptr, nullptr));
    EXPECT_EQ(fit, 2);
    EXPECT_TRUE(GetTextExtentExPointW(canvas.dc(), text, 0, 0, &fit, nullptr, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_FALSE(GetTextExtentExPointW(canvas.dc(), text, -1, 0, nullptr, nullptr, &size));
    EXPECT_FALSE(GetTextExtentExPointW(canvas.dc(), nullptr, 3, 0, nullptr, nullptr, &size));
}

TEST(Fonts, MetricsFollowTheSelectedFont) {
    Canvas canvas(10, 10);
    TEXTMETRICW system;
    ASSERT_TRUE(GetTextMetricsW(canvas.dc(), &system));
    const gdi::BakedFont* baked = gdi::SystemBakedFont();
    EXPECT_EQ(system.tmHeight, baked->height);
    EXPECT_EQ(system.tmAscent + system.tmDescent, system.tmHeight);
    EXPECT_EQ(system.tmAveCharWidth, baked->avgCharWidth);

    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    const char16_t face[] = u"System";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    HFONT font = CreateFontIndirectW(&lf);
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    TEXTMETRICW big;
    ASSERT_TRUE(GetTextMetricsW(canvas.dc(), &big));
    const gdi::BakedFont* matched = gdi::MatchBakedFont(u"System", -13, FW_BOLD);
    EXPECT_EQ(big.tmHeight, matched->height);
    EXPECT_EQ(big.tmWeight, matched->weight);
    EXPECT_EQ(Extent(canvas.dc(), u"W").cy, matched->height);
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
    EXPECT_FALSE(GetTextMetricsW(canvas.dc(), nullptr));
}

}  // namespace
