// The pictures made from the game's icon for other places: the web page's
// icons and the Windows icon file that tavilo.exe carries.
#include <algorithm>

#include "art.h"

namespace art {

namespace {

// An icon image as Windows keeps one: a BITMAPINFOHEADER with the height
// doubled, the palette with the magenta entries made black, the pixels from
// the bottom row up, then a one-bit AND mask that is 1 where the picture is
// magenta. Where the mask is 1 Windows leaves the screen as it was and adds
// the black pixel to it, which leaves it unchanged.
std::vector<uint8_t> KeyedDib(const Image& img) {
    const Indexed indexed = Quantise(img);
    const uint32_t rowBytes = (uint32_t(img.width) + 3) / 4 * 4;
    const uint32_t maskRowBytes = (uint32_t(img.width) + 31) / 32 * 4;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, img.width);
    Put32(out, img.height * 2);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);  // BI_RGB
    Put32(out, (rowBytes + maskRowBytes) * img.height);
    Put32(out, 2835);  // 72 dpi, as the game's bitmaps
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    for (uint32_t c : indexed.palette) {
        const uint32_t shown = c == kMagenta ? 0 : c;
        out.push_back(shown & 0xFF);
        out.push_back((shown >> 8) & 0xFF);
        out.push_back((shown >> 16) & 0xFF);
        out.push_back(0);
    }
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) out.push_back(indexed.indices[size_t(y) * img.width + x]);
        out.resize(out.size() + rowBytes - img.width, 0);
    }
    for (int y = img.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRowBytes, 0);
        for (int x = 0; x < img.width; ++x) {
            if (img.Get(x, y) == kMagenta) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<uint8_t> WebIconPng(const Image& icon32, int size) {
    std::vector<uint8_t> rgba(size_t(size) * size * 4, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t c = icon32.Get(x * icon32.width / size, y * icon32.height / size);
            if (c == kMagenta) continue;
            uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
            p[0] = uint8_t(c >> 16);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c);
            p[3] = 255;
        }
    }
    return EncodePngRgba(size, size, rgba);
}

// ICONDIR, one ICONDIRENTRY per image (width and height 0 mean 256; no
// colour count; one plane; bits per pixel; length; offset), then the images.
std::vector<uint8_t> WindowsIcon(const std::vector<IconImage>& images) {
    std::vector<std::vector<uint8_t>> data;
    std::vector<int> bits;
    for (const IconImage& image : images) {
        const bool png = !image.png.empty();
        data.push_back(png ? image.png : KeyedDib(image.keyed));
        bits.push_back(png ? 32 : 8);
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].size % 256));
        out.push_back(uint8_t(images[i].size % 256));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, bits[i]);
        Put32(out, uint32_t(data[i].size()));
        Put32(out, offset);
        offset += uint32_t(data[i].size());
    }
    for (const std::vector<uint8_t>& d : data) out.insert(out.end(), d.begin(), d.end());
    return out;
}

}  // namespace art
