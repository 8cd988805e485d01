// Where the picture sits in the window and how window positions map back to
// device pixels, for the window sizes a player can make.
#include <gtest/gtest.h>

#include "display.h"
#include "layout.h"

namespace sdlhost {
namespace {

TEST(ChooseScale, TakesTheLargestWholeScaleThatFitsTheUsableArea) {
    EXPECT_EQ(ChooseScale(1920, 1080 - kFrameAllowance), 3);  // 960 rows fit, 1280 do not
    EXPECT_EQ(ChooseScale(2560, 1440 - kFrameAllowance), 4);
    EXPECT_EQ(ChooseScale(3840, 2160 - kFrameAllowance), 6);
    EXPECT_EQ(ChooseScale(720, 960), 3);  // exactly three times the device
    EXPECT_EQ(ChooseScale(719, 960), 2);  // one column short
}

TEST(ChooseScale, NeverGoesBelowTwoOnSmallDesktops) {
    EXPECT_EQ(ChooseScale(1024, 768 - kFrameAllowance), 2);
    EXPECT_EQ(ChooseScale(800, 600 - kFrameAllowance), 2);
    EXPECT_EQ(ChooseScale(320, 240), 2);
    EXPECT_EQ(ChooseScale(0, 0), 2);
}

TEST(ChooseScale, AWideButShortDesktopIsLimitedByItsHeight) {
    EXPECT_EQ(ChooseScale(5000, 1000), 3);
    EXPECT_EQ(ChooseScale(1000, 5000), 4);
}

TEST(FitPicture, AnExactWindowHasNoBars) {
    Layout layout = FitPicture(480, 640);
    EXPECT_EQ(layout.scale, 2);
    EXPECT_EQ(layout.left, 0);
    EXPECT_EQ(layout.top, 0);
}

TEST(FitPicture, AWiderWindowCentresThePictureBetweenBars) {
    Layout layout = FitPicture(1000, 700);
    EXPECT_EQ(layout.scale, 2);
    EXPECT_EQ(layout.left, 260);  // (1000 - 480) / 2
    EXPECT_EQ(layout.top, 30);    // (700 - 640) / 2
}

TEST(FitPicture, GrowsOnlyWhenTheNextWholeScaleFits) {
    EXPECT_EQ(FitPicture(719, 2000).scale, 2);
    EXPECT_EQ(FitPicture(720, 960).scale, 3);
    EXPECT_EQ(FitPicture(720, 959).scale, 2);
}

TEST(FitPicture, AWindowSmallerThanTheDeviceKeepsScaleOneAndCrops) {
    Layout layout = FitPicture(200, 300);
    EXPECT_EQ(layout.scale, 1);
    EXPECT_EQ(layout.left, -20);
    EXPECT_EQ(layout.top, -10);
    // An odd shortfall rounds towards minus infinity, not towards zero.
    EXPECT_EQ(FitPicture(239, 320).left, -1);
}

TEST(WindowToDevice, MapsEveryWindowPixelOfADeviceSquareToThatPixel) {
    Layout layout = FitPicture(3 * 240 + 101, 3 * 320);  // scale 3, left 50 (odd bar split)
    ASSERT_EQ(layout.scale, 3);
    ASSERT_EQ(layout.left, 50);
    for (int dx = 0; dx < 3; ++dx) {
        for (int dy = 0; dy < 3; ++dy) {
            DevicePoint p = WindowToDevice(layout, 50 + 3 * 10 + dx, 3 * 20 + dy);
            EXPECT_EQ(p.x, 10);
            EXPECT_EQ(p.y, 20);
            EXPECT_TRUE(p.inside);
        }
    }
}

TEST(WindowToDevice, PictureEdgesAreInsideAndTheBarsAreOutside) {
    Layout layout = FitPicture(1000, 700);  // picture at (260, 30), 480 x 640
    DevicePoint first = WindowToDevice(layout, 260, 30);
    EXPECT_TRUE(first.inside);
    EXPECT_EQ(first.x, 0);
    EXPECT_EQ(first.y, 0);
    DevicePoint last = WindowToDevice(layout, 260 + 479, 30 + 639);
    EXPECT_TRUE(last.inside);
    EXPECT_EQ(last.x, 239);
    EXPECT_EQ(last.y, 319);

    DevicePoint leftBar = WindowToDevice(layout, 259, 100);
    EXPECT_FALSE(leftBar.inside);
    EXPECT_EQ(leftBar.x, -1);  // not 0: the bar must not count as the first column
    DevicePoint rightBar = WindowToDevice(layout, 260 + 480, 100);
    EXPECT_FALSE(rightBar.inside);
    EXPECT_EQ(rightBar.x, 240);
    DevicePoint topBar = WindowToDevice(layout, 300, 0);
    EXPECT_FALSE(topBar.inside);
    EXPECT_EQ(topBar.y, -15);
    EXPECT_FALSE(WindowToDevice(layout, 300, 30 + 640).inside);
}

TEST(WindowToDevice, PositionsBeyondTheWindowStayExact) {
    Layout layout = FitPicture(480, 640);
    DevicePoint p = WindowToDevice(layout, -5, 700);
    EXPECT_EQ(p.x, -3);
    EXPECT_EQ(p.y, 350);
    EXPECT_FALSE(p.inside);
}

}  // namespace
}  // namespace sdlhost
