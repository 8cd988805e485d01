// Reads baked faces from their blobs (the layout is in gdi/font_data.h).

#include <cstdlib>
#include <cstring>

#include "gdi/font_data.h"
#include "runtime/system.h"

namespace gdi {
namespace {

constexpr size_t kHeaderSize = 16;  // up to the family name
constexpr size_t kGlyphSize = 7;

}  // namespace

size_t ReadBakedFont(const uint8_t* data, size_t size, BakedGlyph* glyphs, size_t capacity, BakedFont* font) {
    if (data == nullptr || size < kHeaderSize || std::memcmp(data, "TVG2", 4) != 0) return 0;
    const size_t count = data[4] | data[5] << 8;
    const int height = data[9], ascent = data[10], descent = data[11];
    const size_t nameLength = data[15];
    const size_t tableAt = kHeaderSize + nameLength + 1;
    // Each length is checked against what is left, so no sum overflows.
    if (count == 0 || count > capacity || height == 0 || ascent + descent != height || nameLength == 0 ||
        size < tableAt || (size - tableAt) / kGlyphSize < count)
        return 0;
    const char* family = reinterpret_cast<const char*>(data + kHeaderSize);
    if (family[nameLength] != 0 || std::memchr(family, 0, nameLength) != nullptr) return 0;
    const uint8_t* table = data + tableAt;
    const size_t bitsAt = tableAt + count * kGlyphSize;

    size_t bitCount = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = table + i * kGlyphSize;
        BakedGlyph& g = glyphs[i];
        g.code = static_cast<uint16_t>(e[0] | e[1] << 8);
        g.advance = e[2];
        g.left = static_cast<int8_t>(e[3]);
        g.top = static_cast<int8_t>(e[4]);
        g.width = e[5];
        g.height = e[6];
        g.offset = static_cast<uint32_t>(bitCount);
        // Sorted for the binary search; every row inside the blob and the
        // ink inside the cell, so that drawing never reads or writes astray.
        if (i > 0 && g.code <= glyphs[i - 1].code) return 0;
        if (g.advance == 0 || (g.height > 0 && (g.top < 0 || g.top + g.height > height))) return 0;
        bitCount += size_t(g.width + 7) / 8 * g.height;
        if (bitCount > size - bitsAt) return 0;
    }
    *font = BakedFont{family, data[8], data[6] | data[7] << 8, height, ascent, descent, data[12], data[13], data[14],
                      glyphs, static_cast<int>(count), data + bitsAt};
    return bitsAt + bitCount;
}

size_t ReadEmbeddedFonts(const char* damaged, std::span<const uint8_t> data, std::span<BakedFont> fonts,
                         std::span<BakedGlyph> glyphs) {
    size_t count = 0, at = 0, used = 0;
    while (at < data.size() || count == 0) {
        const size_t length = count == fonts.size() ? 0
            : ReadBakedFont(data.data() + at, data.size() - at, glyphs.data() + used, glyphs.size() - used,
                            &fonts[count]);
        if (length == 0) {
            sys::ReportProblem(damaged);
            std::abort();
        }
        used += size_t(fonts[count].glyphCount);
        at += length;
        ++count;
    }
    return count;
}

}  // namespace gdi
