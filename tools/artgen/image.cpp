#include "image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace art {

namespace {

int R(uint32_t c) { return (c >> 16) & 0xFF; }
int G(uint32_t c) { return (c >> 8) & 0xFF; }
int B(uint32_t c) { return c & 0xFF; }
uint32_t Pack(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// BITMAPFILEHEADER and BITMAPINFOHEADER for a bottom-up, uncompressed file.
std::vector<uint8_t> Headers(const Image& img, int bits, uint32_t paletteSize) {
    const uint32_t stride = ((uint32_t(img.width) * bits + 31) / 32) * 4;
    const uint32_t offset = 14 + 40 + paletteSize * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + stride * img.height);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, img.width);
    Put32(out, img.height);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0);  // BI_RGB
    Put32(out, stride * img.height);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, paletteSize);
    Put32(out, 0);
    return out;
}

struct Box {
    std::vector<std::pair<uint32_t, uint32_t>> colours;  // colour, count
};

// Median cut over the picture's colour histogram: split the box with the
// widest channel range at its pixel-weighted median until there are enough.
std::vector<uint32_t> MedianCut(const std::map<uint32_t, uint32_t>& histogram, size_t wanted) {
    std::vector<Box> boxes(1);
    for (const auto& [c, n] : histogram) boxes[0].colours.push_back({c, n});
    auto range = [](const Box& b, int shift) {
        int lo = 255, hi = 0;
        for (const auto& cn : b.colours) {
            int v = (cn.first >> shift) & 0xFF;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    };
    while (boxes.size() < wanted) {
        int best = -1, bestShift = 0, bestRange = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2) continue;
            for (int shift : {16, 8, 0}) {
                int r = range(boxes[i], shift);
                if (r > bestRange) {
                    bestRange = r;
                    best = int(i);
                    bestShift = shift;
                }
            }
        }
        if (best < 0) break;
        Box& b = boxes[best];
        std::sort(b.colours.begin(), b.colours.end(), [&](const auto& a, const auto& c) {
            return ((a.first >> bestShift) & 0xFF) < ((c.first >> bestShift) & 0xFF);
        });
        uint64_t total = 0;
        for (const auto& cn : b.colours) total += cn.second;
        uint64_t run = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < b.colours.size(); ++i) {
            run += b.colours[i].second;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        Box other;
        other.colours.assign(b.colours.begin() + cut, b.colours.end());
        b.colours.resize(cut);
        boxes.push_back(std::move(other));
    }
    std::vector<uint32_t> palette;
    for (const Box& b : boxes) {
        double r = 0, g = 0, bl = 0, n = 0;
        for (const auto& [c, k] : b.colours) {
            r += R(c) * double(k);
            g += G(c) * double(k);
            bl += B(c) * double(k);
            n += k;
        }
        palette.push_back(Pack(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(bl / n))));
    }
    return palette;
}

}  // namespace

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Image::Blend(int x, int y, uint32_t c, double a) {
    if (!Inside(x, y) || a <= 0) return;
    Set(x, y, a >= 1 ? c : Mix(Get(x, y), c, a));
}

void Image::FillRect(int x, int y, int w, int h, uint32_t c) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) Set(i, j, c);
    }
}

void Image::Paste(const Image& src, int x, int y, int64_t key) {
    for (int j = 0; j < src.height; ++j) {
        for (int i = 0; i < src.width; ++i) {
            uint32_t c = src.Get(i, j);
            if (key >= 0 && c == uint32_t(key)) continue;
            Set(x + i, y + j, c);
        }
    }
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image out(w, h, 0);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) out.Set(i, j, Inside(x + i, y + j) ? Get(x + i, y + j) : 0);
    }
    return out;
}

Image Image::Scaled(int factor) const {
    Image out(width * factor, height * factor, 0);
    for (int j = 0; j < out.height; ++j) {
        for (int i = 0; i < out.width; ++i) out.Set(i, j, Get(i / factor, j / factor));
    }
    return out;
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    auto ch = [t](int p, int q) { return int(std::lround(p + (q - p) * t)); };
    return Pack(ch(R(a), R(b)), ch(G(a), G(b)), ch(B(a), B(b)));
}

void Stamp(Image& img, int x, int y, const std::vector<std::string>& rows, const std::string& keys,
           const std::vector<uint32_t>& colours) {
    for (size_t j = 0; j < rows.size(); ++j) {
        for (size_t i = 0; i < rows[j].size(); ++i) {
            size_t k = keys.find(rows[j][i]);
            if (k != std::string::npos) img.Set(x + int(i), y + int(j), colours[k]);
        }
    }
}

void StrokeShape::Arc(double cx, double cy, double rx, double ry, double a0, double a1) {
    const int steps = std::max(8, int(std::fabs(a1 - a0) / 6));
    const double k = 3.14159265358979 / 180;
    for (int i = 0; i < steps; ++i) {
        double t0 = (a0 + (a1 - a0) * i / steps) * k, t1 = (a0 + (a1 - a0) * (i + 1) / steps) * k;
        Line(cx + rx * std::cos(t0), cy + ry * std::sin(t0), cx + rx * std::cos(t1), cy + ry * std::sin(t1));
    }
}

double StrokeShape::Distance(double x, double y) const {
    double best = 1e9;
    for (const Stroke& s : strokes) {
        double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - s.x0) * dx + (y - s.y0) * dy) / len2, 0.0, 1.0) : 0.0;
        double px = s.x0 + t * dx - x, py = s.y0 + t * dy - y;
        best = std::min(best, px * px + py * py);
    }
    return std::sqrt(best) - radius;
}

Indexed Quantise(const Image& img) {
    std::map<uint32_t, uint32_t> histogram;
    bool hasMagenta = false;
    for (uint32_t c : img.pixels) {
        if (c == kMagenta) {
            hasMagenta = true;
        } else {
            ++histogram[c];
        }
    }
    const size_t room = hasMagenta ? 255 : 256;
    Indexed out;
    if (histogram.size() <= room) {
        for (const auto& cn : histogram) out.palette.push_back(cn.first);
    } else {
        out.palette = MedianCut(histogram, room);
    }
    if (hasMagenta) out.palette.insert(out.palette.begin(), kMagenta);

    std::map<uint32_t, uint8_t> index;
    auto nearest = [&](uint32_t c) -> uint8_t {
        auto it = index.find(c);
        if (it != index.end()) return it->second;
        long best = -1;
        size_t bestI = 0;
        for (size_t i = 0; i < out.palette.size(); ++i) {
            if (out.palette[i] == kMagenta && c != kMagenta) continue;
            long dr = R(c) - R(out.palette[i]), dg = G(c) - G(out.palette[i]), db = B(c) - B(out.palette[i]);
            long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (best < 0 || d < best) {
                best = d;
                bestI = i;
            }
        }
        return index[c] = uint8_t(bestI);
    };
    out.palette.resize(256, 0);
    out.indices.reserve(img.pixels.size());
    for (uint32_t c : img.pixels) out.indices.push_back(nearest(c));
    return out;
}

std::vector<uint8_t> EncodeBmp8(const Image& img) {
    const Indexed indexed = Quantise(img);
    std::vector<uint8_t> out = Headers(img, 8, 256);
    for (uint32_t c : indexed.palette) {
        out.push_back(B(c));
        out.push_back(G(c));
        out.push_back(R(c));
        out.push_back(0);
    }
    const int stride = ((img.width * 8 + 31) / 32) * 4;
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) out.push_back(indexed.indices[size_t(y) * img.width + x]);
        for (int p = img.width; p < stride; ++p) out.push_back(0);
    }
    return out;
}

bool WriteBmp8(const Image& img, const std::string& path) { return SaveFile(EncodeBmp8(img), path); }

bool WriteBmp24(const Image& img, const std::string& path) {
    std::vector<uint8_t> out = Headers(img, 24, 0);
    const int stride = ((img.width * 24 + 31) / 32) * 4;
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) {
            uint32_t c = img.Get(x, y);
            out.push_back(B(c));
            out.push_back(G(c));
            out.push_back(R(c));
        }
        for (int p = img.width * 3; p < stride; ++p) out.push_back(0);
    }
    return SaveFile(out, path);
}

bool WritePng(const Image& img, const std::string& path) {
    std::vector<uint8_t> rgb;
    rgb.reserve(img.pixels.size() * 3);
    for (uint32_t c : img.pixels) {
        rgb.push_back(R(c));
        rgb.push_back(G(c));
        rgb.push_back(B(c));
    }
    return stbi_write_png(path.c_str(), img.width, img.height, 3, rgb.data(), img.width * 3) != 0;
}

std::vector<uint8_t> EncodePngRgba(int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> out;
    auto append = [](void* context, void* data, int size) {
        auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<std::vector<uint8_t>*>(context)->insert(static_cast<std::vector<uint8_t>*>(context)->end(),
                                                             bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &out, width, height, 4, rgba.data(), width * 4) == 0) out.clear();
    return out;
}

bool WritePngRgba(int width, int height, const std::vector<uint8_t>& rgba, const std::string& path) {
    const std::vector<uint8_t> png = EncodePngRgba(width, height, rgba);
    return !png.empty() && SaveFile(png, path);
}

bool SaveFile(const std::vector<uint8_t>& bytes, const std::string& path) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace art
