// The supplement: a blob read at run time (see gdi/font_data.h), kept in a
// copy of its own.

#include <algorithm>

#include "gdi/font_data.h"

namespace gdi {
namespace {

// Room for ten times the glyphs the translations use today, in static
// storage: the browser's download carries no allocator code for it.
constexpr size_t kMaxGlyphs = 1024;
constexpr size_t kMaxBytes = 65536;

struct Supplement {
    uint8_t bytes[kMaxBytes];  // the blob, which the font points into
    BakedGlyph glyphs[kMaxGlyphs];
    BakedFont font{};
    bool installed = false;
};

Supplement& Current() {
    static Supplement supplement;
    return supplement;
}

}  // namespace

bool InstallSupplement(const uint8_t* data, size_t size) {
    // Checked before anything is replaced, then read again from the copy.
    static BakedGlyph scratch[kMaxGlyphs];
    BakedFont checked{};
    if (size == 0 || size > kMaxBytes || ReadBakedFont(data, size, scratch, kMaxGlyphs, &checked) != size) return false;
    Supplement& s = Current();
    std::copy(data, data + size, s.bytes);
    ReadBakedFont(s.bytes, size, s.glyphs, kMaxGlyphs, &s.font);
    s.installed = true;
    return true;
}

const BakedFont* SupplementFont() {
    const Supplement& s = Current();
    return s.installed ? &s.font : nullptr;
}

void RemoveSupplement() { Current().installed = false; }

}  // namespace gdi
