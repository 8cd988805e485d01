// Every embedded picture decodes with the drawing layer's own BMP decoder,
// the one LoadBitmapW and LoadIconW use, to the same pixels the tests read.
#include <gtest/gtest.h>

#include <gdi/bmp.h>

#include "bmp_reader.h"
#include "resource.h"

namespace {

using namespace restest;

TEST(PlatformDecoder, ReadsEveryBitmapAndIconAsTheTestsDo) {
    const std::pair<LPCWSTR, WORD> pictures[] = {
        {RT_BITMAP, IDB_TILES}, {RT_BITMAP, IDB_HAND},    {RT_BITMAP, IDB_TITLE},    {RT_BITMAP, IDB_BALLS},
        {RT_BITMAP, IDB_LOGO},  {RT_ICON, IDI_TAVILO_32}, {RT_ICON, IDI_TAVILO_16},
    };
    for (const auto& [type, id] : pictures) {
        SCOPED_TRACE(id);
        const RESOURCE_ENTRY* e = rt::FindResourceEntry(Type(type), id);
        ASSERT_NE(e, nullptr);
        gdi::DecodedImage image;
        ASSERT_TRUE(gdi::DecodeBmp(static_cast<const uint8_t*>(e->data), e->size, &image));
        Picture mine = Decode(Type(type), id);
        EXPECT_EQ(image.width, mine.width);
        EXPECT_EQ(image.height, mine.height);
        EXPECT_TRUE(image.pixels == mine.pixels);
    }
}

}  // namespace
