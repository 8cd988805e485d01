// A small RGB canvas for the artwork generator, with the few drawing
// operations the sprites and the title picture need. Colours are 0xRRGGBB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Image() = default;
    Image(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}

    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t Get(int x, int y) const { return pixels[size_t(y) * width + x]; }
    void Set(int x, int y, uint32_t c) {
        if (Inside(x, y)) pixels[size_t(y) * width + x] = c;
    }
    // Lays colour c over the pixel with coverage a (0 to 1).
    void Blend(int x, int y, uint32_t c, double a);
    void FillRect(int x, int y, int w, int h, uint32_t c);
    // Copies src with its top-left corner at (x, y); pixels equal to key, when
    // given, are left out as TransparentImage does.
    void Paste(const Image& src, int x, int y, int64_t key = -1);
    Image Crop(int x, int y, int w, int h) const;
    Image Scaled(int factor) const;
};

// Appends v to out in little-endian order, as the BMP and icon headers
// store their fields.
void Put16(std::vector<uint8_t>& out, uint32_t v);
void Put32(std::vector<uint8_t>& out, uint32_t v);

// Mixes two colours; t = 0 gives a, t = 1 gives b.
uint32_t Mix(uint32_t a, uint32_t b, double t);

// Stamps a pixel map: one string per row, one character per pixel; '.' and
// ' ' leave the pixel alone, any other character is looked up in keys/colours.
void Stamp(Image& img, int x, int y, const std::vector<std::string>& rows, const std::string& keys,
           const std::vector<uint32_t>& colours);

// Anti-aliased shapes made of thick strokes with round ends, rendered by
// supersampling the distance to their centre lines.
struct Stroke {
    double x0, y0, x1, y1;
};
struct StrokeShape {
    std::vector<Stroke> strokes;
    double radius = 1.0;
    void Line(double x0, double y0, double x1, double y1) { strokes.push_back({x0, y0, x1, y1}); }
    // An elliptic arc from angle a0 to a1 (degrees, 0 = right, 90 = down).
    void Arc(double cx, double cy, double rx, double ry, double a0, double a1);
    void Dot(double x, double y) { strokes.push_back({x, y, x, y}); }
    // Signed distance to the shape's edge: negative inside.
    double Distance(double x, double y) const;
};

// Coverage of the pixel (x, y) by the region where distance(x, y) < grow,
// from 4 x 4 samples.
template <typename Shape>
double Coverage(const Shape& shape, int x, int y, double grow = 0.0) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            if (shape.Distance(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0) < grow) ++hits;
        }
    }
    return hits / 16.0;
}

// A picture in at most 256 colours: every colour when there are at most 256,
// otherwise 256 found by median cut, magenta kept exact (as entry 0). The
// palette has 256 entries; the indices run in rows from the top.
struct Indexed {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
};
Indexed Quantise(const Image& img);

// Encoders and writers. The writers make the file's folder when it is missing.
std::vector<uint8_t> EncodeBmp8(const Image& img);
bool WriteBmp8(const Image& img, const std::string& path);
bool WriteBmp24(const Image& img, const std::string& path);
bool WritePng(const Image& img, const std::string& path);
// 8-bit RGBA rows, top to bottom, with alpha.
std::vector<uint8_t> EncodePngRgba(int width, int height, const std::vector<uint8_t>& rgba);
bool WritePngRgba(int width, int height, const std::vector<uint8_t>& rgba, const std::string& path);
bool SaveFile(const std::vector<uint8_t>& bytes, const std::string& path);

}  // namespace art
