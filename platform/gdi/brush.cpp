#include "object.h"

HBRUSH CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(gdi::InsertObject(gdi::BrushObject{false, color & 0xFFFFFFu}));
}
