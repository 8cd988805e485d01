// Language tags as POSIX, Windows and the browsers give them, to the
// languages of the program's texts.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "runtime/language.h"

namespace {

using namespace rt;

// BCP 47 and POSIX spellings in any case; regions without texts of their
// own take their language's; Chinese by script, else by region (the script
// wins over the region either way).
TEST(LanguageFromTag, EachSpellingOfEachLanguage) {
    const std::pair<LanguageId, std::vector<const char*>> cases[] = {
        {kLanguageJapanese, {"ja", "ja-JP", "ja_JP.UTF-8"}},
        {kLanguageKorean, {"ko_KR.eucKR"}},
        {kLanguageGerman, {"de_DE@euro", "de_AT.ISO-8859-15@euro"}},
        {kLanguageFrench, {"FR-ca"}},
        {kLanguageEnglish, {"en-GB", "EN"}},
        {kLanguagePortugueseBrazil, {"pt-PT", "pt_BR", "pt"}},
        {kLanguageSpanish, {"es-MX", "es-419"}},
        {kLanguageChineseSimplified, {"zh", "zh-CN", "zh-SG", "zh_CN.GB18030", "zh-Hans", "zh-Hans-HK"}},
        {kLanguageChineseTraditional, {"zh-TW", "zh_TW.Big5", "zh-HK", "zh-MO", "zh-Hant", "zh-Hant-CN", "ZH-hant"}},
    };
    for (const auto& [id, tags] : cases) {
        for (const char* tag : tags) EXPECT_EQ(LanguageFromTag(tag), id) << tag;
    }
}

TEST(LanguageFromTag, UnknownAndMalformedTagsNameNoLanguage) {
    for (const char* tag : {"", "x", "e", "C", "POSIX", "xx", "eng", "english", "jap", "tlh-KL", "-ja", "ja-",
                            "ja--JP", "ja JP", "j4", "ja-JP-toolongsubtag", ".UTF-8", "@euro", "ja\xE2\x80\x8B",
                            "de:fr", "1234"}) {
        EXPECT_EQ(LanguageFromTag(tag), 0) << "'" << tag << "'";
    }
}

TEST(ChooseLanguage, FirstSpokenLanguageOfTheListElseEnglish) {
    EXPECT_EQ(ChooseLanguage({}), kLanguageEnglish);
    EXPECT_EQ(ChooseLanguage({"xx", "??"}), kLanguageEnglish);
    EXPECT_EQ(ChooseLanguage({"eo", "fr-FR", "de"}), kLanguageFrench);
    EXPECT_EQ(ChooseLanguage({"en-US", "ja"}), kLanguageEnglish);
    EXPECT_EQ(ChooseLanguage({"", "ko"}), kLanguageKorean);
}

TEST(PosixLanguageTags, LocaleVariablesInGettextOrder) {
    using V = std::vector<std::string>;
    // LC_ALL over LC_MESSAGES over LANG; empty counts as unset.
    EXPECT_EQ(PosixLanguageTags(nullptr, "fr_FR.UTF-8", "de_DE", "ja_JP"), V{"fr_FR.UTF-8"});
    EXPECT_EQ(PosixLanguageTags(nullptr, "", "de_DE", "ja_JP"), V{"de_DE"});
    EXPECT_EQ(PosixLanguageTags(nullptr, nullptr, "", "ja_JP.UTF-8"), V{"ja_JP.UTF-8"});
    // LANGUAGE's list comes first, its empty items skipped.
    EXPECT_EQ(PosixLanguageTags("eo::pt_BR:", nullptr, nullptr, "de_DE.UTF-8"), (V{"eo", "pt_BR", "de_DE.UTF-8"}));
    EXPECT_EQ(ChooseLanguage(PosixLanguageTags("eo:pt_BR", nullptr, nullptr, "de_DE.UTF-8")),
              kLanguagePortugueseBrazil);
    EXPECT_EQ(PosixLanguageTags("", nullptr, nullptr, "ko_KR"), V{"ko_KR"});
}

TEST(PosixLanguageTags, TheCLocaleIsEnglishWhateverLanguageSays) {
    using V = std::vector<std::string>;
    EXPECT_EQ(PosixLanguageTags("ja", nullptr, nullptr, "C"), V{"en"});
    EXPECT_EQ(PosixLanguageTags("ja", nullptr, nullptr, "C.UTF-8"), V{"en"});
    EXPECT_EQ(PosixLanguageTags("ja", "POSIX", nullptr, "de_DE"), V{"en"});
    // No locale at all is the C locale too.
    EXPECT_EQ(PosixLanguageTags("ja", nullptr, nullptr, nullptr), V{"en"});
    EXPECT_EQ(PosixLanguageTags(nullptr, "", "", ""), V{"en"});
    // LC_ALL=C wins over a LANG that names a language.
    EXPECT_EQ(ChooseLanguage(PosixLanguageTags(nullptr, "C", nullptr, "fr_FR.UTF-8")), kLanguageEnglish);
}

TEST(LanguageTag, ShortTagsRoundTrip) {
    for (LanguageId id : {kLanguageEnglish, kLanguageJapanese, kLanguageKorean, kLanguageChineseSimplified,
                          kLanguageChineseTraditional, kLanguageSpanish, kLanguagePortugueseBrazil, kLanguageFrench,
                          kLanguageGerman}) {
        EXPECT_EQ(LanguageFromTag(LanguageTag(id)), id) << LanguageTag(id);
    }
    EXPECT_STREQ(LanguageTag(0), "en");
    EXPECT_STREQ(LanguageTag(0x0419), "en");
}

}  // namespace
