// Where pictures go and how a new file is written: the XDG user-dirs file
// read as its own tools read it, the Pictures folder from the environment,
// and a new file that never replaces another.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "include/windows.h"
#include "runtime/system.h"
#include "runtime/user_dirs.h"
#include "../scratch_dir.h"

namespace {

using testscratch::Slurp;

TEST(UserDirs, ReadsHomeRelativeAndAbsoluteValuesTheLastOneCounting) {
    const std::string home = "/home/ana";
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        // What xdg-user-dirs-update writes, among the other keys.
        {"# This file is written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n",
         "/home/ana/Bilder"},
        {"XDG_PICTURES_DIR=\"/srv/photos\"\n", "/srv/photos"},
        {"XDG_PICTURES_DIR=\"$HOME/My Pictures\"\r\n", "/home/ana/My Pictures"},
        {"  XDG_PICTURES_DIR = \"$HOME/a\\\"b\\\\c\"  # escaped\n", "/home/ana/a\"b\\c"},
        {"XDG_PICTURES_DIR=\"$HOME/\"\n", "/home/ana"},  // the home itself: "disabled", files go there
        {"XDG_PICTURES_DIR=\"$HOME/old\"\nXDG_PICTURES_DIR=\"$HOME/new\"", "/home/ana/new"},
        // A later line the tools ignore leaves the earlier one.
        {"XDG_PICTURES_DIR=\"$HOME/kept\"\nXDG_PICTURES_DIR=Pictures\n", "/home/ana/kept"},
        // Forms the tools do not accept.
        {"XDG_PICTURES_DIR=\"Pictures\"\n", ""},
        {"XDG_PICTURES_DIR=$HOME/Pictures\n", ""},
        {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", ""},
        {"XDG_PICTURES_DIR=\"${HOME}/x\"\n", ""},
        {"XDG_PICTURES_DIR=\"$HOME/unclosed\n", ""},
        {"XDG_PICTURES_DIR=\"$HOME/x\" trailing\n", ""},
        {"#XDG_PICTURES_DIR=\"$HOME/commented\"\n", ""},
        {"XDG_PICTURES_DIRS=\"$HOME/other key\"\nMY_XDG_PICTURES_DIR=\"/x\"\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sys::UserDirFromText(c.text, "XDG_PICTURES_DIR", home), c.expected) << c.text;
    }
    EXPECT_EQ(sys::UserDirFromText("XDG_PICTURES_DIR=\"$HOME/x\"\n", "XDG_PICTURES_DIR", ""), "")
        << "no home to put in";
    EXPECT_EQ(sys::UserDirFromText("XDG_PICTURES_DIR=\"/abs\"\n", "XDG_PICTURES_DIR", ""), "/abs");
}

// The environment is the test's own for the call: HOME and XDG_CONFIG_HOME
// point into a scratch folder.
class PicturesDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        scratch_ = testscratch::MakeScratchDir(::testing::TempDir() + "tavilo-pictures");
        ASSERT_NE(scratch_, "");
        setenv("HOME", scratch_.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    void WriteUserDirs(const std::string& configHome, const std::string& text) {
        std::filesystem::create_directories(configHome);
        std::ofstream(configHome + "/user-dirs.dirs") << text;
    }

    std::string scratch_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(PicturesDirTest, ComesFromTheUserDirsFileOfTheConfigHomeElsePicturesInTheHome) {
    EXPECT_EQ(sys::PicturesDir(), scratch_ + "/Pictures") << "no user-dirs file";
    WriteUserDirs(scratch_ + "/.config", "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
    EXPECT_EQ(sys::PicturesDir(), scratch_ + "/Fotos");
    // XDG_CONFIG_HOME moves the file; a relative one is ignored.
    setenv("XDG_CONFIG_HOME", (scratch_ + "/elsewhere").c_str(), 1);
    EXPECT_EQ(sys::PicturesDir(), scratch_ + "/Pictures");
    WriteUserDirs(scratch_ + "/elsewhere", "XDG_PICTURES_DIR=\"/mnt/shared/pictures\"\n");
    EXPECT_EQ(sys::PicturesDir(), "/mnt/shared/pictures");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(sys::PicturesDir(), scratch_ + "/Fotos");
}

TEST_F(PicturesDirTest, AUserDirsFileThatIsNoFileIsIgnored) {
    std::filesystem::create_directories(scratch_ + "/.config/user-dirs.dirs");
    EXPECT_EQ(sys::PicturesDir(), scratch_ + "/Pictures") << "a folder in its place";
    std::filesystem::remove(scratch_ + "/.config/user-dirs.dirs");
    WriteUserDirs(scratch_ + "/.config", std::string(200000, '#') + "\nXDG_PICTURES_DIR=\"/huge\"\n");
    EXPECT_EQ(sys::PicturesDir(), scratch_ + "/Pictures") << "a file far larger than any user-dirs file";
}

TEST(NewFile, CreatesTheFolderAndNeverReplacesAFile) {
    const std::string dir = testscratch::MakeScratchDir(::testing::TempDir() + "tavilo-newfile");
    ASSERT_NE(dir, "");
    const std::vector<uint8_t> first = {'o', 'n', 'e'};
    const std::string folder = dir + "/a/b";
    std::string reason;
    ASSERT_EQ(sys::WriteNewFile(folder, "x.png", first, &reason), ERROR_SUCCESS) << reason;
    EXPECT_EQ(Slurp(folder + "/x.png"), "one");
    EXPECT_EQ(sys::WriteNewFile(folder, "x.png", {'t', 'w', 'o'}, &reason), ERROR_FILE_EXISTS);
    EXPECT_EQ(Slurp(folder + "/x.png"), "one") << "the first file is kept as it was";

    // A dangling link in the name's place is not followed to make a file.
    std::filesystem::create_symlink(dir + "/target", folder + "/link.png");
    EXPECT_EQ(sys::WriteNewFile(folder, "link.png", first, &reason), ERROR_FILE_EXISTS);
    EXPECT_FALSE(std::filesystem::exists(dir + "/target"));

    // A folder that is a file: a reason naming it, and nothing made.
    std::ofstream(dir + "/plain") << "text";
    EXPECT_NE(sys::WriteNewFile(dir + "/plain/sub", "x.png", first, &reason), ERROR_SUCCESS);
    EXPECT_NE(reason.find(dir + "/plain"), std::string::npos) << reason;
    EXPECT_EQ(Slurp(dir + "/plain"), "text");
    EXPECT_NE(sys::WriteNewFile("", "x.png", first, &reason), ERROR_SUCCESS);
    EXPECT_FALSE(reason.empty());
}

}  // namespace
