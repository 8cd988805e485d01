#include "gdi/cjk/cjk_glyphs.h"
#include "gdi/font_data.h"

namespace gdi {

bool UseCjkGlyphs() { return InstallSupplement(kCjkGlyphs, kCjkGlyphsSize); }

}  // namespace gdi
