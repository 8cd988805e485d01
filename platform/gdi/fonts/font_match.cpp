// Maps the font requests of the program and its dialog templates onto the
// baked fonts.
//
// The program names Windows faces that we do not ship. Each stands for a
// size of DejaVu Sans Condensed chosen so that its metrics, and so the dialog
// base units Win32 derives from them, stay close to the faces of the handheld:
//
//   request (LOGFONT height)      baked font                  cell  base units
//   system font, "Tahoma" 8 (-11) Condensed 11                 14    (7, 14)
//   bold system font (captions)   Sans Bold 11                 14    (8, 14)
//   "System" 8 (-11)              Condensed 10                 13    (6, 13)
//   "System" 10 (-13)             Condensed 12                 15    (7, 15)
//   "MS Sans Serif" 8 (-11)       Condensed 9, one extra row   13    (5, 13)
//
// "MS Sans Serif" 8 only sizes the intro panel (its painting selects no
// font); with (5, 13) the 145 x 108-unit panel comes out 181 x 175 pixels.
// The narrow face keeps text widths in proportion to the base units, so
// labels still fit the controls their templates size for them.
//
// Every bold request is answered by DejaVu Sans Bold (10, 11 or 12 pixels),
// since the condensed bold runs its letters together at these sizes; where
// no bold of the chosen size was baked, the regular font answers.

#include "gdi/font_data.h"

#include <cstdlib>

namespace gdi {
namespace {

constexpr const char* kCondensed = "DejaVu Sans Condensed";
constexpr const char* kSans = "DejaVu Sans";
constexpr int kSystemPixelSize = 11;

// A size of an aliased face: the character height a request names and the
// pixel size of the baked font that answers it.
struct AliasSize {
    int em;
    int pixelSize;
};

constexpr AliasSize kSystemSizes[] = {{11, 10}, {12, 11}, {13, 12}};
constexpr AliasSize kMsSansSerifSizes[] = {{11, 9}, {13, 12}};

struct Alias {
    const char* name;
    const AliasSize* sizes;
    int sizeCount;
    int defaultPixelSize;  // for a height of 0
};

constexpr Alias kAliases[] = {
    {"System", kSystemSizes, 3, kSystemPixelSize},
    {"MS Sans Serif", kMsSansSerifSizes, 2, 9},
};

char LowerAscii(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char>(c - u'A' + 'a');
    // Anything outside ASCII can never equal one of our names; map it to a
    // byte no name contains.
    return c < 0x80 ? static_cast<char>(c) : '\x7F';
}

// Face names compare without regard to case, as the Win32 font mapper does.
bool SameName(const char16_t* requested, const char* known) {
    if (requested == nullptr) return false;
    size_t i = 0;
    for (; requested[i] != 0 && known[i] != 0; ++i) {
        const char k = known[i] >= 'A' && known[i] <= 'Z' ? static_cast<char>(known[i] - 'A' + 'a') : known[i];
        if (LowerAscii(requested[i]) != k) return false;
    }
    return requested[i] == 0 && known[i] == 0;
}

bool SameFamily(const BakedFont* font, const char* family) {
    const char* a = font->family;
    while (*a != 0 && *a == *family) { ++a; ++family; }
    return *a == 0 && *family == 0;
}

// The baked font of a family at one pixel size, bold if asked and baked,
// else regular; null if that size was not baked at all.
const BakedFont* FindExact(const char* family, int pixelSize, bool bold) {
    const BakedFont* regular = nullptr;
    for (const BakedFont& font : BakedFonts()) {
        const BakedFont* f = &font;
        if (!SameFamily(f, family) || f->pixelSize != pixelSize) continue;
        if ((f->weight >= 600) == bold) return f;
        if (f->weight < 600) regular = f;
    }
    return regular;
}

// Distance of a font from a LOGFONT height: a negative height names the
// character (em) height, a positive one the cell height.
int Distance(const BakedFont* f, int height) {
    return height < 0 ? std::abs(f->pixelSize + height) : std::abs(f->height - height);
}

// Closest size of a family. Bold fonts are preferred when bold is asked and
// the family has any. On a tie the smaller cell wins, as the Win32 mapper
// prefers a font that is not larger than asked; between equal cells the
// larger face wins, since it fills the cell the caller asked for.
const BakedFont* Closest(const char* family, int height, bool bold) {
    bool haveBold = false;
    for (const BakedFont& f : BakedFonts()) haveBold = haveBold || (SameFamily(&f, family) && f.weight >= 600);
    const bool wantBold = bold && haveBold;
    const BakedFont* best = nullptr;
    for (const BakedFont& font : BakedFonts()) {
        const BakedFont* f = &font;
        if (!SameFamily(f, family) || (f->weight >= 600) != wantBold) continue;
        if (best == nullptr) { best = f; continue; }
        const int d = Distance(f, height);
        const int bestD = Distance(best, height);
        if (d < bestD || (d == bestD && (f->height < best->height ||
                                         (f->height == best->height && f->pixelSize > best->pixelSize))))
            best = f;
    }
    return best;
}

const BakedFont* MatchAlias(const Alias& alias, int height, bool bold) {
    int pixelSize = alias.defaultPixelSize;
    if (height != 0) {
        int bestDistance = -1;
        for (int i = 0; i < alias.sizeCount; ++i) {
            const AliasSize& s = alias.sizes[i];
            int d = 0;
            if (height < 0) {
                d = std::abs(s.em + height);
            } else {
                const BakedFont* f = FindExact(kCondensed, s.pixelSize, false);
                d = f != nullptr ? std::abs(f->height - height) : 1 << 20;
            }
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                pixelSize = s.pixelSize;
            }
        }
    }
    const BakedFont* f = bold ? FindExact(kSans, pixelSize, true) : nullptr;
    if (f == nullptr || f->weight < 600) f = FindExact(kCondensed, pixelSize, false);
    return f != nullptr ? f : SystemBakedFont();
}

}  // namespace

const BakedGlyph* FindGlyph(const BakedFont* font, char16_t code) {
    if (font == nullptr) return nullptr;
    int lo = 0;
    int hi = font->glyphCount;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (font->glyphs[mid].code < code) lo = mid + 1;
        else hi = mid;
    }
    return lo < font->glyphCount && font->glyphs[lo].code == code ? &font->glyphs[lo] : nullptr;
}

int DialogBaseUnitX(const BakedFont* font) {
    if (font == nullptr) return 0;
    int total = 0;
    const char16_t* const letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (const char16_t* c = letters; *c != 0; ++c) {
        const BakedGlyph* g = FindGlyph(font, *c);
        // A font without the letter is measured as Win32 measures the
        // default character: at the average width.
        total += g != nullptr ? g->advance : font->avgCharWidth;
    }
    return (total / 26 + 1) / 2;
}

const BakedFont* SystemBakedFont() {
    static const BakedFont* const font = [] {
        const BakedFont* f = FindExact(kCondensed, kSystemPixelSize, false);
        return f != nullptr ? f : &BakedFonts()[0];
    }();
    return font;
}

const BakedFont* MatchBakedFont(const char16_t* family, int height, int weight) {
    const bool bold = weight >= 600;
    for (const Alias& alias : kAliases)
        if (SameName(family, alias.name)) return MatchAlias(alias, height, bold);

    // "DejaVu Sans" by name and every bold request get the wide face; the
    // device's own face, Tahoma, and every unknown name get the system face.
    const char* baked = bold || SameName(family, kSans) ? kSans : kCondensed;
    const BakedFont* f = Closest(baked, height == 0 ? -kSystemPixelSize : height, bold);
    return f != nullptr ? f : SystemBakedFont();
}

}  // namespace gdi
