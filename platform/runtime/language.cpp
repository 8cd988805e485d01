// Language tags to resource languages; see language.h.
#include "runtime/language.h"

#include <mutex>

#include "runtime/system.h"

namespace rt {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Splits a tag into its subtags at '-' or '_'; false when a subtag is empty,
// longer than eight characters or not letters and digits.
bool SplitTag(std::string_view tag, std::vector<std::string_view>* parts) {
    size_t start = 0;
    for (size_t i = 0; i <= tag.size(); ++i) {
        if (i == tag.size() || tag[i] == '-' || tag[i] == '_') {
            std::string_view part = tag.substr(start, i - start);
            if (part.empty() || part.size() > 8) {
                return false;
            }
            for (char c : part) {
                if (!IsAlpha(c) && !IsDigit(c)) {
                    return false;
                }
            }
            parts->push_back(part);
            start = i + 1;
        }
    }
    return true;
}

LanguageId Chinese(const std::vector<std::string_view>& parts) {
    // The script says it when given (zh-Hant-CN is still Traditional);
    // else the places that write Traditional characters.
    for (size_t i = 1; i < parts.size(); ++i) {
        if (Equal(parts[i], "Hant")) return kLanguageChineseTraditional;
        if (Equal(parts[i], "Hans")) return kLanguageChineseSimplified;
    }
    for (size_t i = 1; i < parts.size(); ++i) {
        if (Equal(parts[i], "TW") || Equal(parts[i], "HK") || Equal(parts[i], "MO")) {
            return kLanguageChineseTraditional;
        }
    }
    return kLanguageChineseSimplified;
}

}  // namespace

LanguageId LanguageFromTag(std::string_view tag) {
    // A POSIX locale name: language[_territory][.codeset][@modifier].
    size_t end = tag.find_first_of(".@");
    if (end != std::string_view::npos) {
        tag = tag.substr(0, end);
    }
    std::vector<std::string_view> parts;
    if (tag.empty() || !SplitTag(tag, &parts)) {
        return 0;
    }
    std::string_view primary = parts[0];
    if (primary.size() < 2 || primary.size() > 3) {
        return 0;
    }
    for (char c : primary) {
        if (!IsAlpha(c)) {
            return 0;
        }
    }
    struct Known {
        const char* code;
        LanguageId id;
    };
    static constexpr Known kKnown[] = {
        {"en", kLanguageEnglish}, {"ja", kLanguageJapanese},         {"ko", kLanguageKorean},
        {"es", kLanguageSpanish}, {"pt", kLanguagePortugueseBrazil}, {"fr", kLanguageFrench},
        {"de", kLanguageGerman},
    };
    if (Equal(primary, "zh")) {
        return Chinese(parts);
    }
    for (const Known& known : kKnown) {
        if (Equal(primary, known.code)) {
            return known.id;
        }
    }
    return 0;
}

LanguageId ChooseLanguage(const std::vector<std::string>& tags) {
    for (const std::string& tag : tags) {
        LanguageId id = LanguageFromTag(tag);
        if (id != 0) {
            return id;
        }
    }
    return kLanguageEnglish;
}

std::vector<std::string> PosixLanguageTags(const char* language, const char* lcAll, const char* lcMessages,
                                           const char* lang) {
    const char* locale = nullptr;
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && *value != 0) {
            locale = value;
            break;
        }
    }
    std::string_view name = locale != nullptr ? locale : "C";
    std::string_view base = name.substr(0, name.find_first_of(".@"));
    if (base == "C" || base == "POSIX") {
        return {"en"};
    }
    std::vector<std::string> tags;
    if (language != nullptr) {
        std::string_view list = language;
        while (!list.empty()) {
            size_t colon = list.find(':');
            std::string_view item = list.substr(0, colon);
            if (!item.empty()) {
                tags.emplace_back(item);
            }
            list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        }
    }
    tags.emplace_back(name);
    return tags;
}

const char* LanguageTag(LanguageId language) {
    switch (language) {
        case kLanguageJapanese: return "ja";
        case kLanguageKorean: return "ko";
        case kLanguageChineseSimplified: return "zh-Hans";
        case kLanguageChineseTraditional: return "zh-Hant";
        case kLanguageSpanish: return "es";
        case kLanguagePortugueseBrazil: return "pt-BR";
        case kLanguageFrench: return "fr";
        case kLanguageGerman: return "de";
        default: return "en";
    }
}

}  // namespace rt

namespace sys {

namespace {

std::mutex g_languageMutex;
std::string g_language;

}  // namespace

void SetLanguage(const std::string& tag) {
    std::lock_guard<std::mutex> lock(g_languageMutex);
    g_language = tag;
}

std::vector<std::string> LanguageTags() {
    {
        std::lock_guard<std::mutex> lock(g_languageMutex);
        if (!g_language.empty()) {
            return {g_language};
        }
    }
    return SystemLanguageTags();
}

}  // namespace sys
