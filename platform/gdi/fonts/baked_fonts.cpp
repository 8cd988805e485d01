// The baked faces: the .bin files beside this file (tools/bakefont writes
// them), embedded one after another by the build and read on first use.
// The order is the matcher's: its first font answers when nothing else does.

#include "gdi/font_data.h"

namespace gdi {
namespace {

const uint8_t kFaces[] = {
#include "dejavu_sans_condensed_9.inc"
#include "dejavu_sans_condensed_10.inc"
#include "dejavu_sans_condensed_11.inc"
#include "dejavu_sans_condensed_12.inc"
#include "dejavu_sans_11.inc"
#include "dejavu_sans_bold_10.inc"
#include "dejavu_sans_bold_11.inc"
#include "dejavu_sans_bold_12.inc"
};

// Room for the eight faces of 193 glyphs that bakefont makes, and more.
constexpr size_t kMaxFaces = 16;
constexpr size_t kMaxGlyphs = 4096;

struct Faces {
    BakedFont fonts[kMaxFaces];
    BakedGlyph glyphs[kMaxGlyphs];
};

}  // namespace

std::span<const BakedFont> BakedFonts() {
    static Faces faces;
    static const size_t count =
        ReadEmbeddedFonts("tavilo: the fonts built into the program are damaged", kFaces, faces.fonts, faces.glyphs);
    return {faces.fonts, count};
}

}  // namespace gdi
