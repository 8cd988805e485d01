// The baked font behind a font handle.
#pragma once

#include "font_data.h"
#include "windows.h"

namespace gdi {

// The font a DC draws with; the system font for anything that is not a
// live font handle.
const BakedFont* ResolveFont(HFONT font);

}  // namespace gdi
