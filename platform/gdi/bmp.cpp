#include "bmp.h"

#include <cstring>

namespace gdi {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* image) {
    if (!data || !image) return false;
    size_t dibStart = 0;
    size_t bitsOffset = 0;  // 0: the bits follow the header and palette
    if (size >= 14 && data[0] == 'B' && data[1] == 'M') {
        dibStart = 14;
        bitsOffset = Read32(data + 10);
    }
    if (size < dibStart + 4) return false;
    const uint8_t* dib = data + dibStart;
    uint32_t headerSize = Read32(dib);
    if (headerSize < 12 || size - dibStart < headerSize) return false;

    int64_t width;
    int64_t height;
    unsigned bitCount;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    unsigned paletteEntrySize = 4;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        width = Read16(dib + 4);
        height = int16_t(Read16(dib + 6));
        bitCount = Read16(dib + 10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40) return false;
        width = int32_t(Read32(dib + 4));
        height = int32_t(Read32(dib + 8));
        bitCount = Read16(dib + 14);
        compression = Read32(dib + 16);
        colorsUsed = Read32(dib + 32);
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return false;

    size_t paletteStart = dibStart + headerSize;
    if (compression == kBiBitfields) {
        // The masks follow a 40-byte header; later headers hold them inside.
        if (bitCount != 32) return false;
        const uint8_t* masks = dib + 40;
        if (headerSize == 40) {
            if (size < paletteStart + 12) return false;
            paletteStart += 12;
        } else if (headerSize < 52) {
            return false;
        }
        if (Read32(masks) != 0x00FF0000u || Read32(masks + 4) != 0x0000FF00u || Read32(masks + 8) != 0x000000FFu) {
            return false;
        }
    } else if (compression != kBiRgb) {
        return false;
    }

    std::vector<uint32_t> palette;
    if (bitCount <= 8) {
        uint32_t maxColors = 1u << bitCount;
        uint32_t count = colorsUsed ? colorsUsed : maxColors;
        if (count > maxColors) return false;
        if (size < paletteStart || (size - paletteStart) / paletteEntrySize < count) return false;
        palette.resize(maxColors, 0);  // indices past the palette read as black
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = data + paletteStart + size_t(i) * paletteEntrySize;
            palette[i] = Pixel(e[2], e[1], e[0]);
        }
        if (!bitsOffset) bitsOffset = paletteStart + size_t(count) * paletteEntrySize;
    } else if (!bitsOffset) {
        bitsOffset = paletteStart;
    }

    size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
    if (bitsOffset > size || (size - bitsOffset) / stride < size_t(height)) return false;

    image->width = int(width);
    image->height = int(height);
    image->pixels.assign(size_t(width) * size_t(height), 0);
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = data + bitsOffset + size_t(row) * stride;
        int64_t y = topDown ? row : height - 1 - row;
        uint32_t* dst = image->pixels.data() + size_t(y) * size_t(width);
        for (int64_t x = 0; x < width; ++x) {
            switch (bitCount) {
                case 1: dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
                case 4: dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
                case 8: dst[x] = palette[src[x]]; break;
                case 24: dst[x] = Pixel(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
                case 32: dst[x] = Pixel(src[4 * x + 2], src[4 * x + 1], src[4 * x]); break;
            }
        }
    }
    return true;
}

}  // namespace gdi
