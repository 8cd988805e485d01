// Language tags as POSIX, Windows and the browsers give them, to the
// languages of the program's texts.
#include <gtest/gtest.h>

#include "runtime/language.h"

namespace {

using namespace rt;

TEST(LanguageFromTag, BcpAndPosixSpellingsOfEachLanguage) {
    EXPECT_EQ(LanguageFromTag("ja"), kLanguageJapanese);
    EXPECT_EQ(LanguageFromTag("ja-JP"), kLanguageJapanese);
    EXPECT_EQ(LanguageFromTag("ja_JP.UTF-8"), kLanguageJapanese);
    EXPECT_EQ(LanguageFromTag("ko_KR.eucKR"), kLanguageKorean);
    EXPECT_EQ(LanguageFromTag("de_DE@euro"), kLanguageGerman);
    EXPECT_EQ(LanguageFromTag("de_AT.ISO-8859-15@euro"), kLanguageGerman);
    EXPECT_EQ(LanguageFromTag("FR-ca"), kLanguageFrench);
    EXPECT_EQ(LanguageFromTag("en-GB"), kLanguageEnglish);
    EXPECT_EQ(LanguageFromTag("EN"), kLanguageEnglish);
}

TEST(LanguageFromTag, RegionsWithoutTextsOfTheirOwnTakeTheirLanguages) {
    EXPECT_EQ(LanguageFromTag("pt-PT"), kLanguagePortugueseBrazil);
    EXPECT_EQ(LanguageFromTag("pt_BR"), kLanguagePortugueseBrazil);
    EXPECT_EQ(LanguageFromTag("pt"), kLanguagePortugueseBrazil);
    EXPECT_EQ(LanguageFromTag("es-MX"), kLanguageSpanish);
    EXPECT_EQ(LanguageFromTag("es-419"), kLanguageSpanish);
}

TEST(LanguageFromTag, ChineseByScriptThenByRegion) {
    EXPECT_EQ(LanguageFromTag("zh"), kLanguageChineseSimplified);
    EXPECT_EQ(LanguageFromTag("zh-CN"), kLanguageChineseSimplified);
    EXPECT_EQ(LanguageFromTag("zh-SG"), kLanguageChineseSimplified);
    EXPECT_EQ(LanguageFromTag("zh_CN.GB18030"), kLanguageChineseSimplified);
    EXPECT_EQ(LanguageFromTag("zh-Hans"), kLanguageChineseSimplified);
    EXPECT_EQ(LanguageFromTag("zh-TW"), kLanguageChineseTraditional);
    EXPECT_EQ(LanguageFromTag("zh_TW.Big5"), kLanguageChineseTraditional);
    EXPECT_EQ(LanguageFromTag("zh-HK"), kLanguageChineseTraditional);
    EXPECT_EQ(LanguageFromTag("zh-MO"), kLanguageChineseTraditional);
    EXPECT_EQ(LanguageFromTag("zh-Hant"), kLanguageChineseTraditional);
    // The script wins over the region either way.
    EXPECT_EQ(LanguageFromTag("zh-Hant-CN"), kLanguageChineseTraditional);
    EXPECT_EQ(LanguageFromTag("zh-Hans-HK"), kLanguageChineseSimplified);
    EXPECT_EQ(LanguageFromTag("ZH-hant"), kLanguageChineseTraditional);
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
