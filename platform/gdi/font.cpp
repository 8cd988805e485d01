#include "font.h"

#include "object.h"

namespace gdi {

const BakedFont* ResolveFont(HFONT handle) {
    FontObject* object = Lookup<FontObject>(handle);
    if (!object) return SystemBakedFont();
    if (!object->font) {
        // DEFAULT_GUI_FONT is Tahoma 8 on the handheld, which the font map
        // answers with the face that stands in for it.
        object->font = object->stockId == DEFAULT_GUI_FONT ? MatchBakedFont(u"Tahoma", -11, FW_NORMAL)
                                                          : SystemBakedFont();
    }
    return object->font;
}

}  // namespace gdi

HFONT CreateFontIndirectW(const LOGFONTW* logfont) {
    if (!logfont) return nullptr;
    // The face name need not be terminated within its array.
    char16_t face[LF_FACESIZE + 1] = {};
    for (int i = 0; i < LF_FACESIZE && logfont->lfFaceName[i]; ++i) face[i] = logfont->lfFaceName[i];
    int weight = logfont->lfWeight == 0 ? FW_NORMAL : int(logfont->lfWeight);
    const gdi::BakedFont* font = gdi::MatchBakedFont(face, int(logfont->lfHeight), weight);
    return static_cast<HFONT>(gdi::InsertObject(gdi::FontObject{font, -1}));
}
