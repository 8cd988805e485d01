// The embedded bitmaps, decoded as LoadBitmapW decodes them: each resource
// is there, in the size and colour depth the game draws it at. What is in
// the pictures is checked where artgen, which draws them, is tested.
#include <gtest/gtest.h>

#include <gdi/bmp.h>
#include "user/module.h"
#include <windows.h>

#include <tuple>

#include "resource.h"

namespace {

struct Picture : gdi::DecodedImage {
    int bits = 0;  // per pixel, from the file's header
};

Picture Decode(LPCWSTR type, WORD id) {
    Picture picture;
    const RESOURCE_ENTRY* e = user::FindResourceEntry(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(type)), id);
    const auto* data = e != nullptr ? static_cast<const uint8_t*>(e->data) : nullptr;
    EXPECT_TRUE(data != nullptr && e->size > 30 && gdi::DecodeBmp(data, e->size, &picture)) << "resource " << id;
    picture.bits = picture.pixels.empty() ? 0 : data[28] | data[29] << 8;
    return picture;
}

TEST(Bitmaps, SizesAndColourDepths) {
    struct Expect { LPCWSTR type; WORD id; int width, height, bits; };
    for (const Expect& x : {Expect{RT_BITMAP, IDB_TITLE, 240, 295, 8}, Expect{RT_BITMAP, IDB_TILES, 60, 15, 8},
                            Expect{RT_BITMAP, IDB_BALLS, 128, 32, 8}, Expect{RT_BITMAP, IDB_HAND, 33, 15, 24},
                            Expect{RT_BITMAP, IDB_LOGO, 80, 18, 8}, Expect{RT_ICON, IDI_TAVILO_32, 32, 32, 8},
                            Expect{RT_ICON, IDI_TAVILO_16, 16, 16, 8}}) {
        Picture p = Decode(x.type, x.id);
        EXPECT_EQ(std::tuple(p.width, p.height, p.bits), std::tuple(x.width, x.height, x.bits)) << "resource " << x.id;
    }
}

}  // namespace
