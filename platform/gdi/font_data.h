// Baked bitmap fonts: one-bit glyphs rendered once by tools/bakefont from a
// permissively licensed face, embedded in the program so that every host
// draws the same pixels.
//
// tools/bakefont writes each face as one blob (the .bin files of fonts/ and
// cjk/), in this layout, little-endian and without padding:
//   0   "TVG2"  the magic; its digit is the layout's version
//   4   u16     glyph count, at least 1
//   6   u16     weight: 400 regular, 700 bold
//   8   u8      pixel size the face was rendered at
//   9   u8      cell height, which is ascent + descent
//   10  u8      ascent, then descent, internal leading, average advance
//               (Win32 tmAveCharWidth) and widest advance
//   15  u8      length n of the family name, then its n bytes and a zero
//   then per glyph, sorted by code without repeats, 7 bytes: u16 code,
//   u8 advance (not 0), i8 left, i8 top, u8 width, u8 height; then the
//   glyphs' rows in the same order, each padded to whole bytes, most
//   significant bit first. The blob ends with the last glyph's last row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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
    const char* family;   // "DejaVu Sans Condensed", in the blob's bytes
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
    const uint8_t* bits;       // in the blob's bytes
};

// Reads the blob at the start of data (up to size bytes) into font: the
// glyph table decoded into glyphs (room for capacity of them), family and
// bits pointing into data, which must outlive the font. Every glyph's rows
// lie inside the bits and its ink inside the cell, so drawing from a font
// read here never reads or writes astray. Returns the blob's length, or 0
// when it is malformed or does not fit (then font is left as it was).
size_t ReadBakedFont(const uint8_t* data, size_t size, BakedGlyph* glyphs, size_t capacity, BakedFont* font);

// Every baked face, read from the embedded blobs on first use. A damaged
// blob ends the program there with a message: the build embeds what
// bakefont wrote, so that can only be a broken build.
std::span<const BakedFont> BakedFonts();

// Reads every blob of data, which holds them one after another, into fonts
// and glyphs, or ends the program with the message damaged (see
// BakedFonts). Returns how many fonts were read.
size_t ReadEmbeddedFonts(const char* damaged, std::span<const uint8_t> data, std::span<BakedFont> fonts,
                         std::span<BakedGlyph> glyphs);

// The supplement: glyphs for what the baked faces lack, the Japanese, Korean
// and Chinese texts, drawn by text output when the selected font has no
// glyph for a character, on that font's baseline. It arrives as one blob
// in the layout above: embedded in the desktop programs, fetched by the
// browser only for a language that needs it. A malformed blob is refused
// whole (false) and the previous supplement, if any, stays. The data is
// copied; the caller may free its buffer.
bool InstallSupplement(const uint8_t* data, size_t size);

// The installed supplement, or null.
const BakedFont* SupplementFont();

// Forgets the supplement (tests start clean with it).
void RemoveSupplement();

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
