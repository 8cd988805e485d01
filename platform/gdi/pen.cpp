#include "object.h"

HPEN CreatePen(int style, int width, COLORREF color) {
    // Only solid and null pens exist here; the dashed styles are never used
    // by the program and are refused rather than drawn solid.
    if (style != PS_SOLID && style != PS_NULL) return nullptr;
    if (width < 0) width = 0;
    if (width > 1024) return nullptr;
    return static_cast<HPEN>(gdi::InsertObject(gdi::PenObject{style, width, color & 0xFFFFFFu}));
}
