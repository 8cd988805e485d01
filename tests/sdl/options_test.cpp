// The command line and the choice of video driver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "options.h"

namespace sdlhost {
namespace {

struct Parsed {
    bool ok;
    Options options;
    std::string error;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tavilo");
    Parsed parsed;
    parsed.ok = ParseOptions(static_cast<int>(args.size()), args.data(), &parsed.options, &parsed.error);
    return parsed;
}

TEST(ParseOptions, NoArgumentsMeansTheDefaults) {
    Parsed p = Parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.scale, 0);
    EXPECT_TRUE(p.options.configDir.empty());
    EXPECT_FALSE(p.options.help);
    EXPECT_FALSE(p.options.version);
}

TEST(ParseOptions, TakesValuesAsNextArgumentOrAfterAnEqualsSign) {
    Parsed p = Parse({"--scale", "3", "--config-dir=/tmp/a b"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.scale, 3);
    EXPECT_EQ(p.options.configDir, "/tmp/a b");
    p = Parse({"--scale=16", "--config-dir", "rel/dir"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.scale, 16);
    EXPECT_EQ(p.options.configDir, "rel/dir");
}

TEST(ParseOptions, RefusesScalesThatAreNotSmallWholeNumbers) {
    for (const char* bad : {"0", "17", "-2", "2x", "", "1.5", "99999999999999999999"}) {
        Parsed p = Parse({"--scale", bad});
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_NE(p.error.find("--scale"), std::string::npos) << bad;
    }
}

TEST(ParseOptions, AnOptionMissingItsValueIsAnError) {
    EXPECT_FALSE(Parse({"--scale"}).ok);
    EXPECT_FALSE(Parse({"--config-dir"}).ok);
    EXPECT_FALSE(Parse({"--config-dir="}).ok);
    // The value is not taken from the next option by mistake.
    Parsed p = Parse({"--config-dir", "--scale"});
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.options.configDir, "--scale");
}

TEST(ParseOptions, UnknownOptionsAndLookalikesAreRefusedByName) {
    Parsed p = Parse({"--scales", "2"});
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("--scales"), std::string::npos);
    EXPECT_FALSE(Parse({"game.reg"}).ok);
    EXPECT_FALSE(Parse({"-v"}).ok);
}

TEST(ParseOptions, HelpAndVersionAreFlags) {
    Parsed p = Parse({"--version", "--scale", "2", "--help"});
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.options.version);
    EXPECT_TRUE(p.options.help);
    EXPECT_TRUE(Parse({"-h"}).options.help);
    EXPECT_NE(std::strstr(UsageText(), "tavilo-headless"), nullptr);
}

TEST(DesktopVideoDrivers, OnlyARealDesktopCounts) {
    EXPECT_EQ(DesktopVideoDrivers(nullptr, nullptr), nullptr);
    EXPECT_EQ(DesktopVideoDrivers("", ""), nullptr);
    EXPECT_STREQ(DesktopVideoDrivers(":0", nullptr), "x11");
    EXPECT_STREQ(DesktopVideoDrivers(nullptr, "wayland-0"), "wayland");
    EXPECT_STREQ(DesktopVideoDrivers(":1", "wayland-0"), "x11,wayland");
}

}  // namespace
}  // namespace sdlhost
