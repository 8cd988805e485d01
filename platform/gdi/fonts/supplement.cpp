// Reads the supplement blob (see gdi/font_data.h) into a BakedFont.

#include <algorithm>
#include <cstring>

#include "gdi/font_data.h"

namespace gdi {
namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kGlyphSize = 12;
// Room for ten times the glyphs the translations use today, kept in static
// storage: the browser's download carries no allocator code for it.
constexpr size_t kMaxGlyphs = 1024;
constexpr size_t kMaxBits = 40960;

struct Supplement {
    BakedGlyph glyphs[kMaxGlyphs];
    uint8_t bits[kMaxBits];
    BakedFont font{};
    bool installed = false;
};

Supplement& Current() {
    static Supplement supplement;
    return supplement;
}

unsigned U16(const uint8_t* p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

bool InstallSupplement(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kHeaderSize || std::memcmp(data, "TVG1", 4) != 0) return false;
    const size_t count = U16(data + 4);
    const int pixelSize = data[6], height = data[7], ascent = data[8], descent = data[9];
    if (count == 0 || count > kMaxGlyphs || height == 0 || ascent + descent != height ||
        size < kHeaderSize + count * kGlyphSize || size - kHeaderSize - count * kGlyphSize > kMaxBits)
        return false;
    const uint8_t* table = data + kHeaderSize;
    const uint8_t* bits = table + count * kGlyphSize;
    const size_t bitCount = size - kHeaderSize - count * kGlyphSize;

    static BakedGlyph glyphs[kMaxGlyphs];
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = table + i * kGlyphSize;
        BakedGlyph& g = glyphs[i];
        g.code = static_cast<uint16_t>(U16(e));
        g.advance = e[2];
        g.left = static_cast<int8_t>(e[3]);
        g.top = static_cast<int8_t>(e[4]);
        g.width = e[5];
        g.height = e[6];
        g.offset = U32(e + 8);
        // Sorted for the binary search; every row inside the bits and the
        // ink inside the cell, so that drawing never reads or writes astray.
        if (i > 0 && g.code <= glyphs[i - 1].code) return false;
        if (g.advance == 0 || e[7] != 0) return false;
        const size_t bytes = size_t(g.width + 7) / 8 * g.height;
        if (g.offset > bitCount || bytes > bitCount - g.offset) return false;
        if (g.height > 0 && (g.top < 0 || g.top + g.height > height)) return false;
    }

    Supplement& s = Current();
    std::copy(glyphs, glyphs + count, s.glyphs);
    std::copy(bits, bits + bitCount, s.bits);
    s.font = BakedFont{"efont biwidth", pixelSize, 400, height, ascent, data[9], 0, data[10], data[11],
                       s.glyphs, static_cast<int>(count), s.bits};
    s.installed = true;
    return true;
}

const BakedFont* SupplementFont() {
    const Supplement& s = Current();
    return s.installed ? &s.font : nullptr;
}

void RemoveSupplement() { Current().installed = false; }

}  // namespace gdi
