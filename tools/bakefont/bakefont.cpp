// bakefont: renders the program's bitmap fonts once with FreeType (hinted,
// one bit per pixel) and writes each as a binary file for platform/gdi/fonts
// (the layout is described in platform/gdi/font_data.h); the build embeds
// those files in the program.
//
// Usage:
//   bakefont --font-dir DIR --out DIR [--proof FILE.png]   write the fonts
//            [--proof-scale N] [--proof-font ID]           and a proof sheet
//            [--proof-text LINE]...                        of these lines
//   bakefont --texts FILE --supplement-out DIR       write the CJK glyphs
//            [--candidates STEM]                    and proof sheets of
//                                                   the candidate faces
//   bakefont --font-dir DIR --survey                       print metrics of
//                                                          candidate sizes
//
// The generated files are committed, so the program never needs FreeType at
// run time and every host draws exactly the same pixels.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One face and size to bake. The identifier names the generated file.
struct FontJob {
    std::string id;        // "dejavu_sans_condensed_11"
    std::string family;    // family name recorded in the data
    std::string file;      // file name under the font directory
    int pixelSize;
    int weight;
    int extraLeading = 0;  // rows added above the face's own ascent
    // FreeType's own hinter instead of the face's instructions. DejaVu Sans
    // Condensed's instructions square its round letters at these sizes ("O"
    // reads as "D", "S" as "5"); the auto-hinter keeps them round and crisp.
    bool autoHint = false;
};

// The baked set. Which alias (System, MS Sans Serif, Tahoma ...) uses which
// of these is decided in platform/gdi/fonts/font_match.cpp; the sizes here
// were chosen with --survey so that the dialog base units come out near the
// classic ones (see that file for the table and the reasons).
const std::vector<FontJob> kJobs = {
    // Stands in for "MS Sans Serif" 8 pt, whose glyphs the program never
    // draws but whose metrics set the intro panel's size: the narrow 9-pixel
    // advances give the classic base width 5, and one extra row of leading
    // gives the classic cell height 13. The face's own instructions keep
    // the advances narrow enough for that (the auto-hinter gives 6).
    {"dejavu_sans_condensed_9", "DejaVu Sans Condensed",
     "DejaVuSansCondensed.ttf", 9, 400, 1, false},
    {"dejavu_sans_condensed_10", "DejaVu Sans Condensed",
     "DejaVuSansCondensed.ttf", 10, 400, 0, true},
    {"dejavu_sans_condensed_11", "DejaVu Sans Condensed",
     "DejaVuSansCondensed.ttf", 11, 400, 0, true},
    {"dejavu_sans_condensed_12", "DejaVu Sans Condensed",
     "DejaVuSansCondensed.ttf", 12, 400, 0, true},
    // Bold comes from DejaVu Sans Bold with the face's own instructions:
    // the condensed bold runs its letters together at these sizes.
    {"dejavu_sans_11", "DejaVu Sans", "DejaVuSans.ttf", 11, 400},
    {"dejavu_sans_bold_10", "DejaVu Sans", "DejaVuSans-Bold.ttf", 10, 700},
    {"dejavu_sans_bold_11", "DejaVu Sans", "DejaVuSans-Bold.ttf", 11, 700},
    {"dejavu_sans_bold_12", "DejaVu Sans", "DejaVuSans-Bold.ttf", 12, 700},
};

// Latin-1 printable characters plus the two symbols the game's text uses.
std::vector<char32_t> CharacterSet() {
    std::vector<char32_t> codes;
    for (char32_t c = 0x20; c <= 0x7E; ++c) codes.push_back(c);
    for (char32_t c = 0xA0; c <= 0xFF; ++c) codes.push_back(c);
    codes.push_back(0x2026);  // horizontal ellipsis
    codes.push_back(0x25B8);  // small right-pointing triangle
    return codes;
}

// The face that draws what DejaVu lacks: the Japanese, Korean and Chinese
// texts. Bitmap glyphs drawn by hand for screens read far better at this
// size than an outline face rendered one bit deep (see
// docs/fonts/candidates-*.png); efont's 12-pixel biwidth face has every
// character the translations use, with kana and kanji from Shinonome and
// hangul from Baekmuk Gulim, all under permissive licences (see
// platform/gdi/cjk/LICENSE-efont.txt).
const FontJob kSupplementJob = {"efont_biwidth_12", "efont biwidth",
                                "/usr/share/fonts/X11/misc/b12.pcf.gz", 12, 400};

// The characters of a text file that the supplement must draw: every code
// point from U+2E80 on (CJK radicals, kana, ideographs, hangul, full-width
// forms). Only what the texts use is baked.
std::vector<char32_t> SupplementCharacters(const std::string& path);

struct Glyph {
    char32_t code = 0;
    int advance = 0;
    int left = 0;
    int top = 0;   // relative to the cell's top
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rows;  // packed, MSB first, rows padded to bytes
};

struct Baked {
    FontJob job;
    int ascent = 0;
    int descent = 0;
    int height = 0;
    int internalLeading = 0;
    int avgCharWidth = 0;
    int maxCharWidth = 0;
    int baseUnitX = 0;  // Win32 dialog base unit, for the survey and the log
    std::vector<Glyph> glyphs;
    int cropped = 0;    // glyphs whose ink left the cell and was cut off
};

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "bakefont: " << what << "\n";
    std::exit(1);
}

int RoundedPixels(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }

// Bakes the given characters of a face. A file name starting with '/' is a
// path of its own (the bitmap faces live elsewhere than DejaVu). Bitmap faces
// (PCF, BDF) have strikes instead of outlines: the pixel size picks one.
Baked Bake(FT_Library lib, const std::string& fontDir, const FontJob& job, const std::vector<char32_t>& codes,
           bool requireAll) {
    FT_Face face = nullptr;
    const std::string path = job.file.starts_with("/") ? job.file : fontDir + "/" + job.file;
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) Fail("cannot open " + path);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(job.pixelSize)) != 0)
        Fail("cannot size " + path);

    Baked out;
    out.job = job;
    // FreeType rounds the hinted ascender up and the descender down, which
    // gives the same cell as Windows builds from usWinAscent/usWinDescent for
    // this face (both metrics agree in DejaVu).
    out.ascent = static_cast<int>(face->size->metrics.ascender >> 6) + job.extraLeading;
    out.descent = static_cast<int>(-(face->size->metrics.descender >> 6));
    out.height = out.ascent + out.descent;
    out.internalLeading = out.height - job.pixelSize;

    for (char32_t code : codes) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (index == 0) {
            // The two symbols are optional; Latin-1 must be complete, and
            // so must a supplement's characters.
            if (code < 0x100 || requireAll) Fail("missing U+" + std::to_string(code) + " in " + path);
            continue;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | (job.autoHint ? FT_LOAD_FORCE_AUTOHINT : 0)) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0)
            Fail("cannot render a glyph of " + path);
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;

        Glyph g;
        g.code = code;
        g.advance = RoundedPixels(slot->advance.x);
        auto on = [&bm](int x, int y) {
            return (bm.buffer[static_cast<std::ptrdiff_t>(y) * bm.pitch + x / 8] >> (7 - x % 8)) & 1;
        };
        // Rows whose cell position lies outside the cell would be drawn over
        // the neighbouring line; they are cut off so the data keeps the cell
        // promise (counted, so a size that loses ink shows in the log).
        const int cellTopOfRow0 = out.ascent - slot->bitmap_top;
        int minX = INT32_MAX, maxX = -1, minY = INT32_MAX, maxY = -1;
        bool lost = false;
        for (int y = 0; y < static_cast<int>(bm.rows); ++y) {
            const int cellY = cellTopOfRow0 + y;
            for (int x = 0; x < static_cast<int>(bm.width); ++x) {
                if (!on(x, y)) continue;
                if (cellY < 0 || cellY >= out.height) { lost = true; continue; }
                minX = std::min(minX, x); maxX = std::max(maxX, x);
                minY = std::min(minY, y); maxY = std::max(maxY, y);
            }
        }
        if (lost) ++out.cropped;
        // FreeType's box follows the outline, not the ink that hinting left,
        // so the bitmap is trimmed to its ink. Blank glyphs (the spaces) keep
        // only their advance.
        if (maxX >= 0) {
            g.left = slot->bitmap_left + minX;
            g.top = cellTopOfRow0 + minY;
            g.width = maxX - minX + 1;
            g.height = maxY - minY + 1;
            const int stride = (g.width + 7) / 8;
            for (int y = minY; y <= maxY; ++y) {
                std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
                for (int x = minX; x <= maxX; ++x)
                    if (on(x, y)) row[static_cast<size_t>((x - minX) / 8)] |= static_cast<uint8_t>(0x80 >> ((x - minX) % 8));
                g.rows.insert(g.rows.end(), row.begin(), row.end());
            }
        }
        out.glyphs.push_back(std::move(g));
    }
    FT_Done_Face(face);

    int letters = 0;
    for (const Glyph& g : out.glyphs) {
        out.maxCharWidth = std::max(out.maxCharWidth, g.advance);
        if ((g.code >= 'a' && g.code <= 'z') || (g.code >= 'A' && g.code <= 'Z')) letters += g.advance;
    }
    // tmAveCharWidth: the mean advance of the 52 letters rounded to nearest,
    // which is what Windows reports for its raster fonts of this kind of face.
    out.avgCharWidth = (letters + 26) / 52;
    out.baseUnitX = (letters / 26 + 1) / 2;
    return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) Fail("cannot write " + path);
}

// Draws text with a baked font into a grey image, one pixel per pixel, so
// the proof shows exactly what the program will draw.
struct Canvas {
    int w, h;
    std::vector<uint8_t> px;
    Canvas(int w_, int h_) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_ * 3, 255) {}
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t bl) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 3];
        p[0] = r; p[1] = g; p[2] = bl;
    }
};

std::u32string Utf8To32(const std::string& s);

std::vector<char32_t> SupplementCharacters(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) Fail("cannot read " + path);
    std::stringstream text;
    text << f.rdbuf();
    std::vector<char32_t> codes;
    for (char32_t c : Utf8To32(text.str()))
        if (c >= 0x2E80 && c <= 0xFFFF) codes.push_back(c);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

// A baked face as the blob the program reads at run time, in the layout
// platform/gdi/font_data.h describes: the DejaVu faces embedded in every
// host, and the supplement, which the browser fetches only for the
// languages it draws.
std::vector<uint8_t> FontBlob(const Baked& b) {
    std::vector<uint8_t> out = {'T', 'V', 'G', '2'};
    auto u8 = [&out, &b](int v) {
        if (v < 0 || v > 255) Fail(b.job.id + ": a value does not fit its byte");
        out.push_back(static_cast<uint8_t>(v));
    };
    auto u16 = [&out](unsigned v) { out.push_back(uint8_t(v & 0xFF)); out.push_back(uint8_t(v >> 8)); };
    u16(static_cast<unsigned>(b.glyphs.size()));
    u16(static_cast<unsigned>(b.job.weight));
    for (int v : {b.job.pixelSize, b.height, b.ascent, b.descent, b.internalLeading, b.avgCharWidth, b.maxCharWidth})
        u8(v);
    u8(static_cast<int>(b.job.family.size()));
    out.insert(out.end(), b.job.family.begin(), b.job.family.end());
    out.push_back(0);
    // No offsets: each glyph's rows follow the previous glyph's.
    for (const Glyph& g : b.glyphs) {
        u16(static_cast<unsigned>(g.code));
        u8(g.advance);
        out.push_back(uint8_t(int8_t(g.left)));
        out.push_back(uint8_t(int8_t(g.top)));
        u8(g.width);
        u8(g.height);
    }
    for (const Glyph& g : b.glyphs) out.insert(out.end(), g.rows.begin(), g.rows.end());
    return out;
}

std::u32string Utf8To32(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t v = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n && i + k < s.size(); ++k) v = (v << 6) | (s[i + k] & 0x3F);
        out.push_back(v);
        i += static_cast<size_t>(n);
    }
    return out;
}

// Draws a line as the program does: each character from the font, else
// from the supplement, whose glyphs stand on the font's baseline.
int DrawLine(Canvas& c, const Baked& b, int x, int y, const std::u32string& text, const Baked* more = nullptr) {
    auto find = [&](char32_t ch, int& shift) -> const Glyph* {
        shift = 0;
        auto it = std::find_if(b.glyphs.begin(), b.glyphs.end(), [&](const Glyph& g) { return g.code == ch; });
        if (it != b.glyphs.end()) return &*it;
        if (more == nullptr) return nullptr;
        auto m = std::find_if(more->glyphs.begin(), more->glyphs.end(), [&](const Glyph& g) { return g.code == ch; });
        if (m == more->glyphs.end()) return nullptr;
        shift = b.ascent - more->ascent;
        return &*m;
    };
    // A pale band shows the cell so clipped or misplaced glyphs stand out.
    int width = 0;
    int shift = 0;
    for (char32_t ch : text) {
        const Glyph* g = find(ch, shift);
        width += g == nullptr ? 0 : g->advance;
    }
    for (int yy = 0; yy < b.height; ++yy)
        for (int xx = 0; xx < width; ++xx) c.Set(x + xx, y + yy, 232, 240, 255);
    for (int xx = 0; xx < width; ++xx) c.Set(x + xx, y + b.ascent, 255, 215, 215);
    int pen = x;
    for (char32_t ch : text) {
        const Glyph* it = find(ch, shift);
        if (it == nullptr) continue;
        const int stride = (it->width + 7) / 8;
        for (int row = 0; row < it->height; ++row)
            for (int col = 0; col < it->width; ++col)
                if (it->rows[static_cast<size_t>(row * stride + col / 8)] & (0x80 >> (col % 8)))
                    c.Set(pen + it->left + col, y + shift + it->top + row, 0, 0, 0);
        pen += it->advance;
    }
    return width;
}

// Enlarges a canvas by a whole number with square pixels and writes it.
void WriteScaled(const std::string& path, const Canvas& c, int scale) {
    Canvas big(c.w * scale, c.h * scale);
    for (int y2 = 0; y2 < big.h; ++y2)
        for (int x2 = 0; x2 < big.w; ++x2) {
            const uint8_t* p = &c.px[(static_cast<size_t>(y2 / scale) * c.w + x2 / scale) * 3];
            big.Set(x2, y2, p[0], p[1], p[2]);
        }
    if (!stbi_write_png(path.c_str(), big.w, big.h, 3, big.px.data(), big.w * 3))
        Fail("cannot write " + path);
}

void WriteProof(const std::string& path, const std::vector<Baked>& all, int scale,
                const std::vector<std::string>& ownLines) {
    std::vector<std::string> lines = {
        "Presented by MENKOR", "E-mail: ", "Good Luck! ^^",
        "New All Option Help Exit About.. OK CANCEL < > Players 0123456789",
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz",
        "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ \u2026 \u25B8",
        "\u00A1\u00A2\u00A3\u00A9\u00AB\u00AE\u00B0\u00B1\u00BB\u00BF \u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7\u00C8\u00C9\u00D1\u00D6\u00D8\u00DC\u00DF",
        "\u00E0\u00E1\u00E2\u00E3\u00E4\u00E5\u00E6\u00E7\u00E8\u00E9\u00EA\u00EB\u00F1\u00F6\u00F8\u00FC\u00FD\u00FF",
    };
    if (!ownLines.empty()) lines = ownLines;
    int h = 4;
    for (const Baked& b : all) h += b.height * static_cast<int>(lines.size() + 1) + 6;
    // Size the sheet to its widest line so an enlarged proof stays legible.
    int w = 0;
    for (const Baked& b : all) {
        Canvas probe(1, 1);
        w = std::max(w, DrawLine(probe, b, 0, 0, Utf8To32(b.job.id + "  h00 base(0,00)")));
        for (const std::string& l : lines) w = std::max(w, DrawLine(probe, b, 0, 0, Utf8To32(l)));
    }
    Canvas c(w + 4, h);
    int y = 2;
    for (const Baked& b : all) {
        const std::string label = b.job.id + "  h" + std::to_string(b.height) + " base(" +
                                  std::to_string(b.baseUnitX) + "," + std::to_string(b.height) + ")";
        DrawLine(c, b, 2, y, Utf8To32(label));
        y += b.height;
        for (const std::string& l : lines) {
            DrawLine(c, b, 2, y, Utf8To32(l));
            y += b.height;
        }
        for (int x = 0; x < c.w; ++x) c.Set(x, y + 2, 160, 160, 160);
        y += 6;
    }
    // A whole-number enlargement with square pixels makes single-pixel
    // faults (broken stems, touching letters) easy to see.
    WriteScaled(path, c, scale);
}

// The texts of each language as the bar, the dialogs and the intro panel
// show them, for judging the supplement's candidates beside DejaVu.
const std::vector<std::string> kSupplementProofLines = {
    "New All Option Help Exit | Players OK CANCEL",
    "\u65B0\u898F \u5168\u54E1 \u8A2D\u5B9A \u30D8\u30EB\u30D7 \u7D42\u4E86 | \u4EBA\u6570 OK \u30AD\u30E3\u30F3\u30BB\u30EB",
    "MENKOR\u306E\u3042\u307F\u3060\u304F\u3058  \u304C\u3093\u3070\u3063\u3066\uFF01",
    "\uC0C8 \uAC8C\uC784 \uBAA8\uB450 \uC124\uC815 \uB3C4\uC6C0\uB9D0 \uC885\uB8CC | \uC778\uC6D0 \uD655\uC778 \uCDE8\uC18C",
    "MENKOR\uC758 \uC0AC\uB2E4\uB9AC \uD0C0\uAE30  \uD589\uC6B4\uC744 \uBE4C\uC5B4\uC694!",
    "\u65B0\u6E38\u620F \u5168\u90E8 \u8BBE\u7F6E \u5E2E\u52A9 \u9000\u51FA | \u4EBA\u6570 \u786E\u5B9A \u53D6\u6D88",
    "\u65B0\u904A\u6232 \u5168\u90E8 \u8A2D\u5B9A \u8AAA\u660E \u7D50\u675F | \u4EBA\u6578 \u78BA\u5B9A \u53D6\u6D88",
    "MENKOR \u51FA\u54C1 \u00B7 \u9B3C\u811A\u56FE  \u795D\u4F60\u597D\u8FD0\uFF01 \u795D\u4F60\u597D\u904B\uFF01",
};

// One sheet of every candidate face for the supplement, each below the
// DejaVu font it would stand beside, at 1x and enlarged.
void WriteCandidates(FT_Library lib, const std::string& fontDir, const std::string& stem,
                     const std::vector<char32_t>& codes) {
    const std::vector<FontJob> candidates = {
        kSupplementJob,
        {"efont_fixed_12", "", "/usr/share/fonts/X11/misc/f12.pcf.gz", 12, 400},
        {"efont_biwidth_14", "", "/usr/share/fonts/X11/misc/b14.pcf.gz", 14, 400},
        {"efont_biwidth_16", "", "/usr/share/fonts/X11/misc/b16.pcf.gz", 16, 400},
        {"unifont_16", "", "/usr/share/fonts/opentype/unifont/unifont.otf", 16, 400},
        {"misaki_gothic_8", "", "/usr/share/fonts/truetype/misaki/misaki_gothic.ttf", 8, 400},
        {"noto_sans_cjk_12", "", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 12, 400, 0, true},
        {"noto_sans_cjk_13", "", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 13, 400, 0, true},
        {"noto_sans_cjk_14", "", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 14, 400, 0, true},
    };
    const Baked latin = Bake(lib, fontDir, kJobs[2], CharacterSet(), false);  // the system font
    std::vector<Baked> baked;
    for (const FontJob& job : candidates) {
        // A candidate lacking a character shows a gap, which the sheet
        // should show rather than refuse.
        std::vector<char32_t> have;
        FT_Face face = nullptr;
        if (FT_New_Face(lib, job.file.c_str(), 0, &face) != 0) {
            std::cerr << "bakefont: skipping " << job.file << "\n";
            continue;
        }
        for (char32_t c : codes)
            if (FT_Get_Char_Index(face, c) != 0) have.push_back(c);
        FT_Done_Face(face);
        baked.push_back(Bake(lib, fontDir, job, have, true));
    }
    int w = 0, h = 4;
    for (const Baked& b : baked) {
        Canvas probe(1, 1);
        for (const std::string& l : kSupplementProofLines)
            w = std::max(w, DrawLine(probe, latin, 0, 0, Utf8To32(l), &b));
        h += latin.height * static_cast<int>(kSupplementProofLines.size() + 1) + 6;
    }
    Canvas c(w + 4, h);
    int y = 2;
    for (const Baked& b : baked) {
        DrawLine(c, latin, 2, y, Utf8To32(b.job.id + " cell " + std::to_string(b.height)));
        y += latin.height;
        for (const std::string& l : kSupplementProofLines) {
            DrawLine(c, latin, 2, y, Utf8To32(l), &b);
            y += latin.height;
        }
        for (int x = 0; x < c.w; ++x) c.Set(x, y + 2, 160, 160, 160);
        y += 6;
    }
    for (int scale = 1; scale <= 3; ++scale) WriteScaled(stem + "-" + std::to_string(scale) + "x.png", c, scale);
}

void Survey(FT_Library lib, const std::string& fontDir, bool autoHint) {
    const std::vector<std::pair<std::string, std::string>> faces = {
        {"Sans", "DejaVuSans.ttf"}, {"Sans Bold", "DejaVuSans-Bold.ttf"},
        {"Condensed", "DejaVuSansCondensed.ttf"}, {"Condensed Bold", "DejaVuSansCondensed-Bold.ttf"}};
    std::printf("%-16s %4s %6s %6s %6s %6s %6s %6s %s\n", "face", "px", "height", "ascent",
                "descnt", "avg", "baseX", "max", "digits");
    for (const auto& [name, file] : faces) {
        for (int px = 8; px <= 14; ++px) {
            const Baked b = Bake(lib, fontDir, FontJob{"s", name, file, px, 400, 0, autoHint}, CharacterSet(), false);
            std::string digits;
            for (const Glyph& g : b.glyphs)
                if (g.code >= '0' && g.code <= '9') digits += std::to_string(g.advance);
            std::printf("%-16s %4d %6d %6d %6d %6d %6d %6d %s cropped=%d\n", name.c_str(), px, b.height,
                        b.ascent, b.descent, b.avgCharWidth, b.baseUnitX, b.maxCharWidth,
                        digits.c_str(), b.cropped);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string fontDir = "/usr/share/fonts/truetype/dejavu";
    std::string outDir;
    std::string proof;
    std::string proofOnly;  // bake everything but prove only this font
    std::vector<std::string> proofLines;  // replaces the standard proof text
    int proofScale = 1;
    bool survey = false;
    std::string texts;          // the translations, whose CJK characters are baked
    std::string supplementDir;  // where the supplement goes
    std::string candidates;     // stem of the candidates' proof sheets
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--font-dir" && i + 1 < argc) fontDir = argv[++i];
        else if (a == "--out" && i + 1 < argc) outDir = argv[++i];
        else if (a == "--proof" && i + 1 < argc) proof = argv[++i];
        else if (a == "--proof-scale" && i + 1 < argc) proofScale = std::max(1, std::atoi(argv[++i]));
        else if (a == "--proof-font" && i + 1 < argc) proofOnly = argv[++i];
        else if (a == "--proof-text" && i + 1 < argc) proofLines.push_back(argv[++i]);
        else if (a == "--survey") survey = true;
        else if (a == "--texts" && i + 1 < argc) texts = argv[++i];
        else if (a == "--supplement-out" && i + 1 < argc) supplementDir = argv[++i];
        else if (a == "--candidates" && i + 1 < argc) candidates = argv[++i];
        else {
            std::cerr << "usage: bakefont [--font-dir DIR] (--survey | [--out DIR] [--proof FILE.png"
                         " [--proof-scale N] [--proof-font ID] [--proof-text LINE]...]"
                         " [--texts FILE [--supplement-out DIR] [--candidates STEM]])\n";
            return 2;
        }
    }
    if ((!supplementDir.empty() || !candidates.empty()) && texts.empty()) {
        std::cerr << "bakefont: the supplement needs --texts FILE\n";
        return 2;
    }
    if (!survey && outDir.empty() && proof.empty() && supplementDir.empty() && candidates.empty()) {
        std::cerr << "bakefont: nothing to do (give --out, --proof, --supplement-out, --candidates or --survey)\n";
        return 2;
    }

    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) Fail("cannot start FreeType");
    if (survey) {
        Survey(lib, fontDir, false);
        std::printf("\nwith the auto-hinter:\n");
        Survey(lib, fontDir, true);
        FT_Done_FreeType(lib);
        return 0;
    }

    if (!candidates.empty()) {
        WriteCandidates(lib, fontDir, candidates, SupplementCharacters(texts));
        if (outDir.empty() && proof.empty() && supplementDir.empty()) {
            FT_Done_FreeType(lib);
            return 0;
        }
    }
    if (!supplementDir.empty()) {
        const Baked b = Bake(lib, fontDir, kSupplementJob, SupplementCharacters(texts), true);
        std::printf("%-32s height %d ascent %d descent %d glyphs %zu cropped %d\n", b.job.id.c_str(), b.height,
                    b.ascent, b.descent, b.glyphs.size(), b.cropped);
        WriteFile(supplementDir + "/cjk_glyphs.bin", FontBlob(b));
        if (outDir.empty() && proof.empty()) {
            FT_Done_FreeType(lib);
            return 0;
        }
    }

    std::vector<Baked> all;
    for (const FontJob& job : kJobs) {
        all.push_back(Bake(lib, fontDir, job, CharacterSet(), false));
        const Baked& b = all.back();
        std::printf("%-32s height %d ascent %d descent %d avg %d max %d baseX %d glyphs %zu cropped %d\n",
                    job.id.c_str(), b.height, b.ascent, b.descent, b.avgCharWidth, b.maxCharWidth,
                    b.baseUnitX, b.glyphs.size(), b.cropped);
    }
    FT_Done_FreeType(lib);

    if (!outDir.empty()) {
        for (const Baked& b : all) WriteFile(outDir + "/" + b.job.id + ".bin", FontBlob(b));
    }
    if (!proof.empty()) {
        std::vector<Baked> shown;
        for (const Baked& b : all)
            if (proofOnly.empty() || b.job.id == proofOnly) shown.push_back(b);
        if (shown.empty()) Fail("no font named " + proofOnly);
        WriteProof(proof, shown, proofScale, proofLines);
    }
    return 0;
}
