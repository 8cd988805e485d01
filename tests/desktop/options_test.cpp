// The desktop programs' command line: both spellings of a value, the range
// of --scale, and a clear refusal of anything else, so that a typo never
// starts the game with settings the player did not ask for.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "desktop/options.h"

namespace desktop {
namespace {

struct Parsed {
    bool ok = false;
    Options options;
    std::string error;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tavilo");
    Parsed parsed;
    parsed.ok = ParseOptions(static_cast<int>(args.size()), args.data(), &parsed.options, &parsed.error);
    return parsed;
}

TEST(ParseOptions, TakesValuesAfterASpaceOrAnEqualsSign) {
    struct Case { std::vector<const char*> args; int scale; std::string configDir; bool help, version; };
    for (const Case& c : std::vector<Case>{
             {{}, 0, "", false, false},
             {{"--scale", "3"}, 3, "", false, false},
             {{"--scale=16"}, 16, "", false, false},
             {{"--scale", "1", "--config-dir", "/tmp/a b"}, 1, "/tmp/a b", false, false},
             {{"--config-dir=C:\\Users\\x=y"}, 0, "C:\\Users\\x=y", false, false},
             {{"--scale", "2", "--scale=5"}, 5, "", false, false},
             {{"--language", "ja", "--scale=2"}, 2, "", false, false},
             {{"-h"}, 0, "", true, false},
             {{"--version", "--help"}, 0, "", true, true}}) {
        Parsed p = Parse(c.args);
        SCOPED_TRACE(testing::Message() << c.args.size() << " arguments, scale " << c.scale);
        ASSERT_TRUE(p.ok) << p.error;
        EXPECT_EQ(std::tuple(p.options.scale, p.options.configDir, p.options.help, p.options.version),
                  std::tuple(c.scale, c.configDir, c.help, c.version));
    }
}

// Each refusal names what was wrong; the scale's range is 1 to kMaxScale,
// whole numbers only, and an overflowing number is not taken as the largest.
// The language is handed on as written: a code the program does not speak
// is English, not a refusal, as a system setting it does not know would be.
TEST(ParseOptions, TakesTheLanguageAsWritten) {
    EXPECT_EQ(Parse({"--language", "pt-BR"}).options.language, "pt-BR");
    EXPECT_EQ(Parse({"--language=zh_TW.Big5"}).options.language, "zh_TW.Big5");
    EXPECT_TRUE(Parse({"--language", "klingon"}).ok);
    EXPECT_EQ(Parse({}).options.language, "");
}

TEST(ParseOptions, RefusesAnythingElseWithItsReason) {
    struct Case { std::vector<const char*> args; std::string error; };
    for (const Case& c : std::vector<Case>{
             {{"--scale", "0"}, "--scale wants a whole number from 1 to 16, not '0'"},
             {{"--scale=17"}, "--scale wants a whole number from 1 to 16, not '17'"},
             {{"--scale", "-2"}, "--scale wants a whole number from 1 to 16, not '-2'"},
             {{"--scale", "3x"}, "--scale wants a whole number from 1 to 16, not '3x'"},
             {{"--scale", "2.0"}, "--scale wants a whole number from 1 to 16, not '2.0'"},
             {{"--scale="}, "--scale wants a whole number from 1 to 16, not ''"},
             {{"--scale", "99999999999999999999"},
              "--scale wants a whole number from 1 to 16, not '99999999999999999999'"},
             {{"--scale"}, "--scale needs a number"},
             {{"--config-dir"}, "--config-dir needs a directory"},
             {{"--config-dir="}, "--config-dir needs a directory"},
             {{"--config-dir", ""}, "--config-dir needs a directory"},
             {{"--language"}, "--language needs a language code (ja, ko, zh-Hans, zh-Hant, es, pt-BR, fr, de, en)"},
             {{"--language="}, "--language needs a language code (ja, ko, zh-Hans, zh-Hant, es, pt-BR, fr, de, en)"},
             {{"--languages", "de"}, "unknown option '--languages'"},
             {{"--scalex", "2"}, "unknown option '--scalex'"},
             {{"--scale", "2", "game.txt"}, "unknown option 'game.txt'"},
             {{"-s"}, "unknown option '-s'"}}) {
        Parsed p = Parse(c.args);
        EXPECT_FALSE(p.ok) << c.error;
        EXPECT_EQ(p.error, c.error);
    }
}

}  // namespace
}  // namespace desktop
