// The program in each language it speaks: the same game, its screens' words
// in the language asked for with --language or the locale, English for any
// other; the steps are commands and keys, which every language shares.
#include <gtest/gtest.h>

#include "harness.h"
#include "resource.h"
#include "runtime/language.h"
#include "user/module.h"
#include "user/program.h"

namespace progtest {
namespace {

// The title with its bar, the Option dialog, the About box and a game with
// its intro panel, then the game played to the end.
const std::string kScreens = "shot title.png\n" + Cmd(IDM_OPTION) + "shot option.png\nkey esc\n" + Cmd(IDM_ABOUT) +
                             "shot about.png\nkey esc\n" + Cmd(IDM_NEW) + "shot intro.png\nstate\n" + Cmd(IDM_ALL) +
                             Wait(5000) + "state\nshot end.png\n";
const char* const kShots[] = {"title.png", "option.png", "about.png", "intro.png", "end.png"};

struct Screenful {
    Outcome outcome;
    std::vector<Image> shots;
};

Screenful Screens(const std::string& args, const std::string& env = "") {
    Screenful run{RunHeadless(kScreens, "", 86400000, args, env), {}};
    for (const char* name : kShots) {
        run.shots.push_back(run.outcome.Shot(name));
    }
    return run;
}

// Rows 0-25 are the title's picture, the bar is at the bottom: the bottom
// rows alone tell the bar's words.
Image Bar(const Image& screen) { return Crop(screen, {0, screen.height - 26, screen.width, screen.height}); }

TEST(Languages, EachTranslatedLanguageChangesTheWordsAndNothingOfTheGame) {
    const Screenful english = Screens("--language en");
    ASSERT_EQ(english.outcome.states.size(), 2u);
    // The English of the locale and of --language are the same pixels.
    const Screenful plain = Screens("");
    for (size_t i = 0; i < english.shots.size(); ++i) {
        EXPECT_TRUE(Same(english.shots[i], plain.shots[i])) << kShots[i];
    }
    for (const char* language : {"de", "fr", "es", "pt-BR", "ja", "ko", "zh-Hans", "zh-Hant"}) {
        SCOPED_TRACE(language);
        const Screenful run = Screens(std::string("--language ") + language);
        EXPECT_EQ(run.outcome.err, "");
        // The same game: the states are the board's, whatever the words.
        ASSERT_EQ(run.outcome.states.size(), english.outcome.states.size());
        for (size_t i = 0; i < run.outcome.states.size(); ++i) {
            EXPECT_EQ(run.outcome.states[i].line, english.outcome.states[i].line);
        }
        EXPECT_FALSE(Same(Bar(run.shots[0]), Bar(english.shots[0]))) << "the bar is still English";
        EXPECT_FALSE(Same(run.shots[1], english.shots[1])) << "the Option dialog is still English";
        EXPECT_FALSE(Same(run.shots[2], english.shots[2])) << "the About box is still English";
        EXPECT_FALSE(Same(run.shots[3], english.shots[3])) << "the intro panel is still English";
    }
}

// The locale's variables choose as gettext does; a language without texts,
// a malformed tag and the C locale read English, with no word of complaint.
TEST(Languages, TheLocaleChoosesUnlessTheCommandLineDoes) {
    // Japanese from the locale alone, and Traditional Chinese from a region.
    const Screenful japanese = Screens("--language ja");
    const Screenful japaneseByLocale = Screens("", "LANG=ja_JP.UTF-8");
    const Screenful traditional = Screens("--language zh-Hant");
    const Screenful taiwan = Screens("", "LANG=zh_TW.UTF-8");
    for (size_t i = 0; i < japanese.shots.size(); ++i) {
        EXPECT_TRUE(Same(japaneseByLocale.shots[i], japanese.shots[i])) << kShots[i];
        EXPECT_TRUE(Same(taiwan.shots[i], traditional.shots[i])) << kShots[i];
    }
    const Screenful german = Screens("--language de");
    const Screenful byLocale = Screens("", "LANG=de_AT.UTF-8");
    const Screenful byList = Screens("", "LANG=fr_FR.UTF-8 LANGUAGE=eo:de");
    const Screenful overridden = Screens("--language de", "LC_ALL=fr_FR.UTF-8");
    const Screenful english = Screens("--language en", "LANG=de_DE.UTF-8");
    for (size_t i = 0; i < german.shots.size(); ++i) {
        EXPECT_TRUE(Same(byLocale.shots[i], german.shots[i])) << kShots[i];
        EXPECT_TRUE(Same(byList.shots[i], german.shots[i])) << kShots[i];
        EXPECT_TRUE(Same(overridden.shots[i], german.shots[i])) << kShots[i];
    }
    for (const auto& [args, env] : std::vector<std::pair<std::string, std::string>>{
             {"--language tlh", "LANG=de_DE.UTF-8"},
             {"--language 'de DE'", ""},
             {"", "LANG=C LANGUAGE=de"},
             {"", "LC_ALL=C.UTF-8 LANG=de_DE.UTF-8"}}) {
        const Screenful run = Screens(args, env);
        EXPECT_EQ(run.outcome.err, "") << args << " " << env;
        for (size_t i = 0; i < run.shots.size(); ++i) {
            EXPECT_TRUE(Same(run.shots[i], english.shots[i])) << args << " " << env << " " << kShots[i];
        }
    }
}

// The result line a host shares is in the player's language too.
TEST(Languages, TheResultLineSpeaksTheLanguage) {
    user::SetResourceLanguage(rt::kLanguageGerman);
    EXPECT_EQ(DescribeResult(), "Tavilo: noch kein Spiel");
    user::SetResourceLanguage(rt::kLanguageFrench);
    EXPECT_EQ(DescribeResult(), "Tavilo : pas encore de partie");
    user::SetResourceLanguage(rt::kLanguageJapanese);
    EXPECT_EQ(DescribeResult(), "Tavilo：まだゲームがありません");
    user::SetResourceLanguage(rt::kLanguageChineseTraditional);
    EXPECT_EQ(DescribeResult(), "Tavilo：還沒有遊戲");
    user::SetResourceLanguage(0x0410);  // Italian: no texts of its own
    EXPECT_EQ(DescribeResult(), "Tavilo: no game yet");
    user::SetResourceLanguage(rt::kLanguageEnglish);
    EXPECT_EQ(DescribeResult(), "Tavilo: no game yet");
}

}  // namespace
}  // namespace progtest
