// A reader for the two kinds of BMP file the resources hold, written for
// the tests so that they check the files without the drawing layer.
#pragma once

#include <gtest/gtest.h>

#include <runtime/module.h>
#include <windows.h>

#include <cstdint>
#include <vector>

namespace restest {

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, top row first
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

inline uint32_t Le(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// Reads the two kinds of file the resources hold: uncompressed 8-bit
// palettised and 24-bit, bottom-up. Anything else fails the test.
inline Picture Decode(WORD type, WORD id) {
    Picture pic;
    const RESOURCE_ENTRY* e = rt::FindResourceEntry(type, id);
    EXPECT_NE(e, nullptr) << "type " << type << " id " << id;
    if (!e) return pic;
    const uint8_t* d = static_cast<const uint8_t*>(e->data);
    EXPECT_GE(e->size, 54u);
    if (e->size < 54 || d[0] != 'B' || d[1] != 'M') {
        ADD_FAILURE() << "not a BMP file: " << id;
        return pic;
    }
    const uint32_t offset = Le(d + 10, 4);
    EXPECT_EQ(Le(d + 2, 4), e->size) << "file size field of " << id;
    EXPECT_EQ(Le(d + 14, 4), 40u);
    pic.width = int(Le(d + 18, 4));
    pic.height = int(Le(d + 22, 4));
    pic.bits = int(Le(d + 28, 2));
    EXPECT_EQ(Le(d + 30, 4), 0u) << "compression of " << id;
    if (pic.width <= 0 || pic.height <= 0 || (pic.bits != 8 && pic.bits != 24)) {
        ADD_FAILURE() << "unexpected layout of " << id;
        return pic;
    }
    const uint32_t stride = ((uint32_t(pic.width) * pic.bits + 31) / 32) * 4;
    if (offset + stride * pic.height > e->size) {
        ADD_FAILURE() << "pixels run past the end of " << id;
        return pic;
    }
    uint32_t colours = Le(d + 46, 4);
    if (pic.bits == 8 && colours == 0) colours = 256;
    pic.pixels.resize(size_t(pic.width) * pic.height);
    for (int y = 0; y < pic.height; ++y) {
        const uint8_t* row = d + offset + stride * (pic.height - 1 - y);
        for (int x = 0; x < pic.width; ++x) {
            const uint8_t* p = pic.bits == 24 ? row + 3 * x : d + 54 + 4 * row[x];
            if (pic.bits == 8) {
                EXPECT_LT(row[x], colours);
            }
            pic.pixels[size_t(y) * pic.width + x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    }
    return pic;
}

inline WORD Type(LPCWSTR rt) { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(rt)); }

}  // namespace restest
