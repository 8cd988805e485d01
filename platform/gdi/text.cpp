#include <algorithm>
#include <vector>

#include "dc.h"
#include "font.h"
#include "primitives.h"

namespace gdi {

namespace {

// One character as laid out: a glyph, or the box drawn for a character the
// font lacks (a surrogate pair is one such character).
struct Laid {
    const BakedGlyph* glyph;
    int advance;
    bool underline;  // the '&' prefix marked it
    const BakedFont* source = nullptr;  // the glyph's font: the selected one or the supplement
};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The box for missing characters: as wide as an average character and as
// tall as a capital, so that it reads as "something was here".
int BoxAdvance(const BakedFont* font) { return std::max(font->avgCharWidth, 4); }

// The glyph of a character: the font's own, else the supplement's (the
// Japanese, Korean and Chinese letters), else null.
const BakedGlyph* GlyphOf(const BakedFont* font, char16_t c, const BakedFont** source) {
    *source = font;
    if (const BakedGlyph* g = FindGlyph(font, c)) return g;
    const BakedFont* more = SupplementFont();
    if (more == nullptr || c < 0x100) return nullptr;
    *source = more;
    return FindGlyph(more, c);
}

// How far down a supplement glyph moves to stand on the font's baseline,
// kept within the font's cell where the supplement's cell allows.
int64_t SupplementShift(const BakedFont* font, const BakedFont* more) {
    int64_t shift = int64_t(font->ascent) - more->ascent;
    if (shift + more->height > font->height) shift = int64_t(font->height) - more->height;
    return std::max<int64_t>(shift, 0);
}

// Lays out text[0, count), one character at a time. Without DT_NOPREFIX an
// '&' is dropped and underlines the character after it, and "&&" shows one
// '&', as Win32 does for menu and control labels.
int Layout(const BakedFont* font, const char16_t* text, int count, bool prefix, std::vector<Laid>& out) {
    out.clear();
    int width = 0;
    bool underlineNext = false;
    for (int i = 0; i < count; ++i) {
        char16_t c = text[i];
        if (prefix && c == u'&' && !underlineNext) {
            underlineNext = true;
            continue;
        }
        Laid laid{nullptr, 0, underlineNext};
        underlineNext = false;
        if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(text[i + 1])) ++i;
        laid.glyph = GlyphOf(font, c, &laid.source);
        laid.advance = laid.glyph ? laid.glyph->advance : BoxAdvance(font);
        width += laid.advance;
        out.push_back(laid);
    }
    return width;
}

// The advance of each code unit as GetTextExtentExPointW reports it: no
// prefix handling, and a surrogate pair counts as one box on its first unit.
int UnitAdvance(const BakedFont* font, const char16_t* text, int i) {
    char16_t c = text[i];
    if (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(text[i - 1])) return 0;
    const BakedFont* source = nullptr;
    const BakedGlyph* glyph = GlyphOf(font, c, &source);
    return glyph ? glyph->advance : BoxAdvance(font);
}

// Draws one character's pixels at pen position (x, y) = the cell's top-left,
// within each clip rectangle.
void DrawLaid(PixelBuffer to, const BakedFont* font, const Laid& laid, int64_t x, int64_t y,
              std::span<const RECT> clip, uint32_t pixel) {
    if (laid.glyph) {
        const BakedGlyph& g = *laid.glyph;
        if (g.width == 0 || g.height == 0) return;
        const BakedFont* source = laid.source != nullptr ? laid.source : font;
        int64_t left = x + g.left;
        int64_t top = y + g.top + (source != font ? SupplementShift(font, source) : 0);
        int rowBytes = (g.width + 7) / 8;
        const uint8_t* bits = source->bits + g.offset;
        for (const RECT& r : clip) {
            int64_t x0 = std::max<int64_t>(left, r.left);
            int64_t x1 = std::min<int64_t>(left + g.width, r.right);
            int64_t y0 = std::max<int64_t>(top, r.top);
            int64_t y1 = std::min<int64_t>(top + g.height, r.bottom);
            for (int64_t py = y0; py < y1; ++py) {
                const uint8_t* row = bits + (py - top) * rowBytes;
                uint32_t* dst = to.pixels + size_t(py) * size_t(to.width);
                for (int64_t px = x0; px < x1; ++px) {
                    int64_t bit = px - left;
                    if (row[bit >> 3] & (0x80 >> (bit & 7))) dst[px] = pixel;
                }
            }
        }
    } else {
        // A hollow box from the top of the capitals down to the baseline.
        int64_t left = x + 1;
        int64_t right = x + laid.advance - 1;
        int64_t top = y + font->internalLeading;
        int64_t bottom = y + font->ascent;
        if (right - left < 2 || bottom - top < 2) return;
        RECT edges[4] = {
            {LONG(left), LONG(top), LONG(right), LONG(top + 1)},
            {LONG(left), LONG(bottom - 1), LONG(right), LONG(bottom)},
            {LONG(left), LONG(top), LONG(left + 1), LONG(bottom)},
            {LONG(right - 1), LONG(top), LONG(right), LONG(bottom)},
        };
        for (const RECT& e : edges) {
            for (const RECT& r : clip) {
                RECT c = IntersectRects(e, r);
                if (!IsEmpty(c)) FillPixels(to, c, pixel);
            }
        }
    }
}

struct Line {
    int start;
    int count;
};

// Lines end at CR, LF or CR LF; a single-line format keeps them all on one.
std::vector<Line> SplitLines(const char16_t* text, int count, bool singleLine) {
    std::vector<Line> lines;
    if (singleLine) {
        lines.push_back({0, count});
        return lines;
    }
    int start = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.push_back({start, i - start});
            if (text[i] == u'\r' && i + 1 < count && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    lines.push_back({start, count - start});
    return lines;
}

}  // namespace

}  // namespace gdi

using namespace gdi;

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    Target target;
    if (!text || !rect || !ResolveTarget(hdc, &target)) return 0;
    if (count < 0) count = int(wcslen(text));
    const BakedFont* font = ResolveFont(target.dc->font);
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool prefix = (format & DT_NOPREFIX) == 0;
    const int lineHeight = font->height;

    std::vector<Line> lines = SplitLines(text, count, singleLine);
    std::vector<std::vector<Laid>> laid(lines.size());
    std::vector<int> widths(lines.size());
    int maxWidth = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        widths[i] = Layout(font, text + lines[i].start, lines[i].count, prefix, laid[i]);
        maxWidth = std::max(maxWidth, widths[i]);
    }
    const int totalHeight = count == 0 ? (singleLine ? lineHeight : 0) : lineHeight * int(lines.size());

    // Vertical placement applies to single lines only, as on Win32.
    int64_t top = rect->top;
    if (singleLine && (format & DT_VCENTER)) {
        top = rect->top + (int64_t(rect->bottom) - rect->top - totalHeight) / 2;
    } else if (singleLine && (format & DT_BOTTOM)) {
        top = int64_t(rect->bottom) - totalHeight;
    }
    // What Win32 returns: the text's height, or with DT_VCENTER or DT_BOTTOM
    // the distance from the rectangle's top to the text's bottom.
    int result = (singleLine && (format & (DT_VCENTER | DT_BOTTOM))) ? int(top + totalHeight - rect->top)
                                                                      : totalHeight;

    if (format & DT_CALCRECT) {
        // The rectangle keeps its left and top and takes the text's size.
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + totalHeight;
        return result;
    }
    if (count == 0) return result;

    // The clip: the DC's, cut to the formatting rectangle unless DT_NOCLIP.
    std::vector<RECT> clip;
    RECT bounds{LONG(std::clamp<int64_t>(int64_t(rect->left) + target.origin.x, INT32_MIN, INT32_MAX)),
                LONG(std::clamp<int64_t>(int64_t(rect->top) + target.origin.y, INT32_MIN, INT32_MAX)),
                LONG(std::clamp<int64_t>(int64_t(rect->right) + target.origin.x, INT32_MIN, INT32_MAX)),
                LONG(std::clamp<int64_t>(int64_t(rect->bottom) + target.origin.y, INT32_MIN, INT32_MAX))};
    for (const RECT& r : target.clip) {
        RECT c = (format & DT_NOCLIP) ? r : IntersectRects(r, bounds);
        if (!IsEmpty(c)) clip.push_back(c);
    }
    if (clip.empty()) return result;

    PixelBuffer to{target.pixels, target.width, target.height};
    const uint32_t ink = ToPixel(target.dc->textColor);
    const uint32_t paper = ToPixel(target.dc->bkColor);
    RECT drawn{0, 0, 0, 0};
    auto grow = [&drawn](const RECT& r) {
        if (IsEmpty(r)) return;
        if (IsEmpty(drawn)) {
            drawn = r;
            return;
        }
        drawn = RECT{std::min(drawn.left, r.left), std::min(drawn.top, r.top), std::max(drawn.right, r.right),
                     std::max(drawn.bottom, r.bottom)};
    };

    for (size_t i = 0; i < lines.size(); ++i) {
        int64_t x = rect->left;
        if (format & DT_CENTER) {
            x = rect->left + (int64_t(rect->right) - rect->left - widths[i]) / 2;
        } else if (format & DT_RIGHT) {
            x = int64_t(rect->right) - widths[i];
        }
        int64_t y = top + int64_t(i) * lineHeight;
        x += target.origin.x;
        y += target.origin.y;
        int64_t cellBottom = y + lineHeight;

        // The text's cell: filled with the background colour when opaque,
        // and the outer bound of every pixel this line draws.
        RECT cell{LONG(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)), LONG(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)),
                  LONG(std::clamp<int64_t>(x + widths[i], INT32_MIN, INT32_MAX)),
                  LONG(std::clamp<int64_t>(cellBottom, INT32_MIN, INT32_MAX))};
        std::vector<RECT> lineClip;
        for (const RECT& r : clip) {
            RECT c = IntersectRects(r, cell);
            if (!IsEmpty(c)) lineClip.push_back(c);
        }
        if (lineClip.empty()) continue;
        if (target.dc->bkMode == OPAQUE) {
            for (const RECT& c : lineClip) FillPixels(to, c, paper);
        }
        int64_t penX = x;
        for (const Laid& l : laid[i]) {
            DrawLaid(to, font, l, penX, y, lineClip, ink);
            if (l.underline) {
                RECT bar{LONG(penX), LONG(y + font->ascent + 1), LONG(penX + l.advance), LONG(y + font->ascent + 2)};
                for (const RECT& c : lineClip) {
                    RECT u = IntersectRects(bar, c);
                    if (!IsEmpty(u)) FillPixels(to, u, ink);
                }
            }
            penX += l.advance;
        }
        for (const RECT& c : lineClip) grow(c);
    }
    NoteDrawn(target, drawn);
    return result;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx, LPSIZE size) {
    Target target;
    if (count < 0 || (!text && count > 0) || !ResolveTarget(hdc, &target, Access::Read)) return FALSE;
    const BakedFont* font = ResolveFont(target.dc->font);
    int extent = 0;
    int fitting = 0;
    for (int i = 0; i < count; ++i) {
        extent += UnitAdvance(font, text, i);
        // Win32 fills the widths only of the characters that fit when a fit
        // count is asked for, and all of them otherwise.
        bool fits = !fit || extent <= maxExtent;
        if (fits && fitting == i) {
            fitting = i + 1;
            if (dx) dx[i] = extent;
        }
    }
    if (fit) *fit = fitting;
    if (size) {
        size->cx = extent;
        size->cy = font->height;
    }
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) {
    Target target;
    if (!tm || !ResolveTarget(hdc, &target, Access::Read)) return FALSE;
    const BakedFont* font = ResolveFont(target.dc->font);
    *tm = TEXTMETRICW{};
    tm->tmHeight = font->height;
    tm->tmAscent = font->ascent;
    tm->tmDescent = font->descent;
    tm->tmInternalLeading = font->internalLeading;
    tm->tmExternalLeading = 0;
    tm->tmAveCharWidth = font->avgCharWidth;
    tm->tmMaxCharWidth = font->maxCharWidth;
    tm->tmWeight = font->weight;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    if (font->glyphCount > 0) {
        tm->tmFirstChar = font->glyphs[0].code;
        tm->tmLastChar = font->glyphs[font->glyphCount - 1].code;
    }
    tm->tmDefaultChar = u'?';
    tm->tmBreakChar = u' ';
    // TMPF_FIXED_PITCH set means a variable-pitch font, a famous Win32 quirk;
    // the family bits say sans serif (FF_SWISS).
    tm->tmPitchAndFamily = 0x01 | 0x20;
    tm->tmCharSet = 0;
    return TRUE;
}
