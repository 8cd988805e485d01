// The board picture every host saves, copies and shares: the screen above
// the menu bar scaled 3x pixel for pixel, its PNG, its file name, and new
// files numbered rather than replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "../scratch_dir.h"
#include "gdi/png.h"
#include "user/share.h"
#include "windows.h"

namespace {

using testscratch::Slurp;

// A screen whose every pixel differs from its neighbours, the menu bar
// included, so that any pixel taken from the wrong place shows.
std::vector<uint32_t> PatternScreen() {
    std::vector<uint32_t> screen(size_t(gdi::kScreenWidth) * gdi::kScreenHeight);
    for (size_t i = 0; i < screen.size(); ++i) screen[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    return screen;
}

TEST(BoardPicture, IsTheScreenAboveTheMenuBarScaledThreeTimesPixelForPixel) {
    const std::vector<uint32_t> screen = PatternScreen();
    std::vector<uint32_t> picture;
    share::BoardPicture(screen.data(), &picture);
    ASSERT_EQ(picture.size(), 720u * 882u);
    int wrong = 0;
    for (int y = 0; y < 882; ++y) {
        for (int x = 0; x < 720; ++x) {
            wrong += picture[size_t(y) * 720 + x] != screen[size_t(y / 3) * 240 + x / 3];
        }
    }
    EXPECT_EQ(wrong, 0);

    // The PNG holds the same pixels.
    std::vector<uint8_t> png;
    ASSERT_TRUE(share::BoardPicturePng(screen.data(), &png));
    const std::string dir = testscratch::MakeScratchDir(::testing::TempDir() + "tavilo-share");
    std::ofstream(dir + "/board.png", std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                               std::streamsize(png.size()));
    std::vector<uint32_t> decoded;
    int width = 0, height = 0;
    ASSERT_TRUE(gdi::ReadPng((dir + "/board.png").c_str(), &decoded, &width, &height));
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 882);
    EXPECT_TRUE(decoded == picture);
}

TEST(BoardPicture, FileNameSortsByDateAndAvoidsColons) {
    std::tm when = {};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    EXPECT_EQ(share::PictureFileName(when), "Tavilo 2024-03-05 07-08-09.png");
    when.tm_year = 10000 - 1900;
    when.tm_hour = 23;
    EXPECT_EQ(share::PictureFileName(when), "Tavilo 10000-03-05 23-08-09.png");
}

// Pictures saved within one second are numbered, the way file managers
// number copies; nothing that was there is touched.
TEST(SaveNewFile, NumbersANameThatIsTakenAndKeepsTheFolderAsItWas) {
    const std::string dir = testscratch::MakeScratchDir(::testing::TempDir() + "tavilo-share") + "/made/here";
    std::string taken, reason;
    const std::pair<const char*, uint8_t> saves[] = {{"Tavilo x.png", '1'}, {"Tavilo x (2).png", '2'},
                                                     {"Tavilo x (3).png", '3'}};
    for (const auto& [expected, content] : saves) {
        ASSERT_EQ(share::SaveNewFile(dir, "Tavilo x.png", {content}, &taken, &reason), ERROR_SUCCESS) << reason;
        EXPECT_EQ(taken, expected);
    }
    EXPECT_EQ(Slurp(dir + "/Tavilo x.png"), "1");
    EXPECT_EQ(Slurp(dir + "/Tavilo x (2).png"), "2");
    // A gap is filled, and a name without an extension is numbered at its end.
    std::filesystem::remove(dir + "/Tavilo x (2).png");
    ASSERT_EQ(share::SaveNewFile(dir, "Tavilo x.png", {'q'}, &taken, &reason), ERROR_SUCCESS);
    EXPECT_EQ(taken, "Tavilo x (2).png");
    ASSERT_EQ(share::SaveNewFile(dir, "plain", {'1'}, &taken, &reason), ERROR_SUCCESS);
    ASSERT_EQ(share::SaveNewFile(dir, "plain", {'2'}, &taken, &reason), ERROR_SUCCESS);
    EXPECT_EQ(taken, "plain (2)");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 5);

    taken = "unchanged";
    EXPECT_NE(share::SaveNewFile(dir + "/Tavilo x.png/inside", "y.png", {'1'}, &taken, &reason), ERROR_SUCCESS);
    EXPECT_EQ(taken, "unchanged");
    EXPECT_FALSE(reason.empty());
}

TEST(SaveNewFile, TheBoardPictureIsNamedFromTheTimeItWasSaved) {
    const std::string dir = testscratch::MakeScratchDir(::testing::TempDir() + "tavilo-share");
    const std::vector<uint32_t> screen = PatternScreen();
    std::string name, reason;
    ASSERT_EQ(share::SaveBoardPicture(screen.data(), dir, &name, &reason), ERROR_SUCCESS) << reason;
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(Tavilo \d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.png)"))) << name;
    std::vector<uint8_t> png;
    ASSERT_TRUE(share::BoardPicturePng(screen.data(), &png));
    EXPECT_EQ(Slurp(dir + "/" + name), std::string(png.begin(), png.end()));
}

}  // namespace
