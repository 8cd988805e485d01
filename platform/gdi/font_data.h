// Baked bitmap fonts: one-bit glyphs rendered once by tools/bakefont from a
// permissively licensed face, compiled into the program so that every host
// draws the same pixels.
#pragma once

#include <cstddef>
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

// The supplement: glyphs for what the baked faces lack, the Japanese, Korean
// and Chinese texts, drawn by text output when the selected font has no
// glyph for a character, on that font's baseline. It arrives as one blob
// (tools/bakefont writes it): compiled into the desktop programs, fetched by
// the browser only for a language that needs it. Little-endian:
//   "TVG1", u16 glyph count, u8 pixel size, cell height, ascent, descent,
//   average and widest advance; then per glyph (sorted by code, no repeats)
//   u16 code, u8 advance, i8 left, i8 top, u8 width, u8 height, u8 zero,
//   u32 offset into the bits; then the bits, rows padded to whole bytes.
// A malformed blob is refused whole (false) and the previous supplement,
// if any, stays. The data is copied; the caller may free its buffer.
bool InstallSupplement(const uint8_t* data, size_t size);

// The installed supplement, or null.
const BakedFont* SupplementFont();

// Forgets the supplement (tests start clean with it).
void RemoveSupplement();

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

// The supplement: glyphs for what the baked faces lack, the Japanese, Korean
// and Chinese texts, drawn by text output when the selected font has no
// glyph for a character, on that font's baseline. It arrives as one blob
// (tools/bakefont writes it): compiled into the desktop programs, fetched by
// the browser only for a language that needs it. Little-endian:
//   "TVG1", u16 glyph count, u8 pixel size, cell height, ascent, descent,
//   average and widest advance; then per glyph (sorted by code, no repeats)
//   u16 code, u8 advance, i8 left, i8 top, u8 width, u8 height, u8 zero,
//   u32 offset into the bits; then the bits, rows padded to whole bytes.
// A malformed blob is refused whole (false) and the previous supplement,
// if any, stays. The data is copied; the caller may free its buffer.
bool InstallSupplement(const uint8_t* data, size_t size);

// The installed supplement, or null.
const BakedFont* SupplementFont();

// Forgets the supplement (tests start clean with it).
void RemoveSupplement();

}  // namespace gdi
