// Baked bitmap fonts: one-bit glyphs rendered once by tools/bakefont from a
// permissively licensed face, compiled into the program so that every host
// draws the same pixels.
#pragma once

#include <cstdint>

namespace gdi {

struct BakedGlyph {
    uint16_t code;     // UTF-16 code unit
    uint8_t advance;   // pen advance in pixels
    int8_t left;       // bitmap's left edge relative to the pen position
    int8_t top;        // bitmap's top row relative to the text cell's top
    uint8_t width;
    uint8_t height;
    uint32_t offset;   // first byte in bits; rows are padded to whole bytes, MSB first
};

struct BakedFont {
    const char* family;   // "DejaVu Sans Condensed"
    int pixelSize;        // the size the face was rendered at
    int weight;           // 400 or 700
    int height;           // cell height: ascent + descent
    int ascent;
    int descent;
    int internalLeading;
    int avgCharWidth;     // Win32 tmAveCharWidth
    int maxCharWidth;
    const BakedGlyph* glyphs;  // sorted by code
    int glyphCount;
    const uint8_t* bits;
};

// Every baked font, defined by the generated data.
extern const BakedFont* const kBakedFonts[];
extern const int kBakedFontCount;

}  // namespace gdi

namespace gdi {

// The baked font closest to a request: family names of the dialog templates
// ("System", "MS Sans Serif", "Tahoma", "DejaVu Sans") map to the baked
// faces; height as in LOGFONTW (negative: character height, positive: cell
// height, 0: the default size); weight 400 or 700. Never null.
const BakedFont* MatchBakedFont(const char16_t* family, int height, int weight);

// The device's system font: the default font of every device context.
const BakedFont* SystemBakedFont();

// The glyph of one UTF-16 code unit, or null when the font lacks it (the
// caller draws a box then). Binary search over the sorted glyph table.
const BakedGlyph* FindGlyph(const BakedFont* font, char16_t code);

// The horizontal dialog base unit of a font as Win32 computes it: the
// advances of "A".."Z" and "a".."z" summed, then (total / 26 + 1) / 2. The
// vertical base unit is the font's cell height. A control cx units wide is
// cx * baseX / 4 pixels, cy units high cy * baseY / 8 pixels.
int DialogBaseUnitX(const BakedFont* font);

}  // namespace gdi
