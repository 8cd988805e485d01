#include "gdi/cjk/cjk_glyphs.h"
#include "gdi/font_data.h"

namespace gdi {

extern const uint8_t kCjkGlyphs[] = {
#include "cjk_glyphs.inc"
};
extern const size_t kCjkGlyphsSize = sizeof kCjkGlyphs;

bool UseCjkGlyphs() { return InstallSupplement(kCjkGlyphs, kCjkGlyphsSize); }

}  // namespace gdi
