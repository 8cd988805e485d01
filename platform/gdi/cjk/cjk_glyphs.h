// The supplement's glyphs for the Japanese, Korean and Chinese texts, as the
// blob gdi::InstallSupplement reads: cjk_glyphs.bin, which tools/bakefont
// writes. The desktop and Windows programs embed it; the browser fetches the
// same file only when the player's language needs it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gdi {

extern const uint8_t kCjkGlyphs[];
extern const size_t kCjkGlyphsSize;

// Installs the linked-in supplement; false if its data were malformed.
bool UseCjkGlyphs();

}  // namespace gdi
