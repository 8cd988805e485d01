// Languages: the tags the systems speak (POSIX locale names such as
// "pt_BR.UTF-8", BCP 47 tags such as "zh-Hant-TW") turned into the language
// identifiers that the program's resources are kept under. The numbers are
// Win32's LANGIDs, so a Windows reader knows them at a glance; a region
// without texts of its own takes its language's (pt-PT reads the Brazilian
// texts, es-MX the Spanish ones), and Chinese is Traditional or Simplified
// by its script, else by its region.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

using LanguageId = uint16_t;

constexpr LanguageId kLanguageNeutral = 0x0000;  // the English resources
constexpr LanguageId kLanguageEnglish = 0x0409;
constexpr LanguageId kLanguageJapanese = 0x0411;
constexpr LanguageId kLanguageKorean = 0x0412;
constexpr LanguageId kLanguageChineseSimplified = 0x0804;
constexpr LanguageId kLanguageChineseTraditional = 0x0404;
constexpr LanguageId kLanguageSpanish = 0x0C0A;
constexpr LanguageId kLanguagePortugueseBrazil = 0x0416;
constexpr LanguageId kLanguageFrench = 0x040C;
constexpr LanguageId kLanguageGerman = 0x0407;

// The language a tag names, or 0 when the program has no texts for it or
// the tag is malformed. Case does not matter; a POSIX codeset or modifier
// (".UTF-8", "@euro") is ignored.
LanguageId LanguageFromTag(std::string_view tag);

// The first of tags, in the order of preference, that names a language the
// program speaks; English when none does.
LanguageId ChooseLanguage(const std::vector<std::string>& tags);

// The tags a POSIX program reads its messages in, as gettext reads them:
// the locale is the first set of LC_ALL, LC_MESSAGES and LANG; LANGUAGE's
// colon-separated list comes before it, except under the C locale (or none),
// which means English whatever LANGUAGE says. Null means unset.
std::vector<std::string> PosixLanguageTags(const char* language, const char* lcAll, const char* lcMessages,
                                           const char* lang);

// The short tag of a language for pages and files ("ja", "zh-Hant"); "en"
// for English and anything unknown.
const char* LanguageTag(LanguageId language);

}  // namespace rt
