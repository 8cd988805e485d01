// The texts around the screen in every language: the result line a host
// shares and the notes of its title bar. Each language's record has every
// text with the numbers it must carry, the line puts them where the
// language wants them, and a language without texts reads English.
#include <algorithm>
#include <set>

#include "harness.h"
#include "phrases.h"
#include "resource.h"
#include "runner.h"
#include "runtime/language.h"
#include "runtime/utf.h"
#include "user/module.h"
#include "user/program.h"

namespace progtest {
namespace {

const char* const kCodes[] = {"en", "ja", "ko", "zh-Hans", "zh-Hant", "es", "pt-BR", "fr", "de"};

// How often each of {1} to {4} stands in a pattern.
std::vector<int> Slots(const char* pattern) {
    std::vector<int> slots(4);
    std::string ignored;
    res::AppendPhrase(ignored, pattern, [&slots](std::string&, int k) { ++slots[k - 1]; });
    return slots;
}

TEST(Phrases, EveryLanguageHasEveryTextWithTheNumbersItCarries) {
    struct Text {
        const char* res::Phrases::*field;
        const char* name;
        std::vector<int> slots;
    };
    const std::vector<Text> texts = {
        {&res::Phrases::noGame, "noGame", {0, 0, 0, 0}},        {&res::Phrases::heading, "heading", {1, 0, 0, 0}},
        {&res::Phrases::arrivedAt, "arrivedAt", {1, 1, 0, 0}},  {&res::Phrases::onTheWay, "onTheWay", {1, 0, 0, 0}},
        {&res::Phrases::notStarted, "notStarted", {1, 0, 0, 0}}, {&res::Phrases::separator, "separator", {0, 0, 0, 0}},
        {&res::Phrases::title, "title", {0, 0, 0, 0}},          {&res::Phrases::board, "board", {1, 1, 1, 1}},
        {&res::Phrases::newGame, "newGame", {1, 0, 0, 0}},      {&res::Phrases::setsOff, "setsOff", {1, 0, 0, 0}},
        {&res::Phrases::arrives, "arrives", {1, 1, 0, 0}},      {&res::Phrases::allSetOff, "allSetOff", {0, 0, 0, 0}},
        {&res::Phrases::count, "count", {1, 0, 0, 0}},          {&res::Phrases::sentenceEnd, "sentenceEnd", {0, 0, 0, 0}},
        {&res::Phrases::sentenceGap, "sentenceGap", {0, 0, 0, 0}},
    };
    size_t count = 0;
    const res::Phrases* all = res::AllPhrases(&count);
    ASSERT_EQ(count, std::size(kCodes)) << "one record a language";
    EXPECT_EQ(all[0].language, 0) << "English first, the fallback";
    std::set<WORD> languages;
    for (const char* code : kCodes) {
        const WORD language = rt::LanguageFromTag(code);
        const res::Phrases& phrases = res::PhrasesFor(language);
        EXPECT_TRUE(languages.insert(phrases.language).second) << code << " reads another language's texts";
        EXPECT_TRUE(phrases.language == language || (language == rt::kLanguageEnglish && phrases.language == 0)) << code;
        for (const Text& text : texts) {
            const char* pattern = phrases.*text.field;
            ASSERT_NE(pattern, nullptr) << code << " " << text.name;
            EXPECT_EQ(Slots(pattern), text.slots) << code << " " << text.name << ": " << pattern;
            if (text.field != &res::Phrases::sentenceGap) {
                EXPECT_NE(*pattern, 0) << code << " " << text.name;
            }
            // Translated, unless it has no words (a separator, a gap, the arrow).
            const char* english = all[0].*text.field;
            const bool hasLetters = std::string(english).find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos;
            if (phrases.language != 0 && hasLetters) {
                EXPECT_STRNE(pattern, english) << code << " " << text.name << " is still English";
            }
        }
    }
}

TEST(Phrases, EveryLanguageHasEveryShareNoteWithItsNameOrReason) {
    const struct {
        const char* res::ShareNotes::*field;
        const char* name;
        int slots;
    } kNotes[] = {{&res::ShareNotes::saved, "saved", 1},
                  {&res::ShareNotes::saveFailed, "saveFailed", 1},
                  {&res::ShareNotes::copied, "copied", 0},
                  {&res::ShareNotes::copyFailedBecause, "copyFailedBecause", 1},
                  {&res::ShareNotes::copyFailed, "copyFailed", 0}};
    size_t count = 0;
    const res::ShareNotes* all = res::AllShareNotes(&count);
    ASSERT_EQ(count, std::size(kCodes));
    std::set<WORD> languages;
    for (const char* code : kCodes) {
        const WORD language = rt::LanguageFromTag(code);
        const res::ShareNotes& notes = res::ShareNotesFor(language);
        EXPECT_TRUE(languages.insert(notes.language).second) << code;
        for (const auto& note : kNotes) {
            const char* pattern = notes.*note.field;
            ASSERT_NE(pattern, nullptr) << code << " " << note.name;
            EXPECT_EQ(Slots(pattern), (std::vector<int>{note.slots, 0, 0, 0})) << code << " " << note.name;
            if (notes.language != 0) {
                EXPECT_STRNE(pattern, all[0].*note.field) << code << " " << note.name << " is still English";
            }
        }
    }
}

TEST(Phrases, FillsTheSlotsInTheLanguagesOrderAndKeepsOtherBraces) {
    std::string out;
    auto put = [](std::string& o, int k) { o += "<" + std::to_string(k) + ">"; };
    res::AppendPhrase(out, "{2} then {1}, {1} again", put);
    EXPECT_EQ(out, "<2> then <1>, <1> again");
    out.clear();
    res::AppendPhrase(out, "{5} {0} {x} {1 {", put);
    EXPECT_EQ(out, "{5} {0} {x} {1 {");
    out.clear();
    res::AppendPhrase(out, "{4}", put);
    EXPECT_EQ(out, "<4>");
}

// The title bar's notes after Ctrl+S and Ctrl+C.
TEST(ShareNotes, SayWhatSharingDidInTheLanguageWithTheNameOrReason) {
    const std::string name = "Tavilo 2026-12-06 20-31-02.png";
    user::SetResourceLanguage(rt::kLanguageEnglish);
    EXPECT_EQ(DescribeShareNote(ShareNote::Saved, name), "Saved " + name);
    EXPECT_EQ(DescribeShareNote(ShareNote::SaveFailed, "disk full"), "Tavilo: could not save the picture: disk full");
    EXPECT_EQ(DescribeShareNote(ShareNote::Copied, ""), "Copied the result");
    EXPECT_EQ(DescribeShareNote(ShareNote::CopyFailed, "no display"), "Tavilo: could not copy the result: no display");
    EXPECT_EQ(DescribeShareNote(ShareNote::CopyFailed, ""), "Tavilo: could not copy the result to the clipboard");
    user::SetResourceLanguage(rt::kLanguageJapanese);
    EXPECT_EQ(DescribeShareNote(ShareNote::Saved, name), "保存しました：" + name);
    EXPECT_EQ(DescribeShareNote(ShareNote::CopyFailed, ""), "Tavilo：結果をクリップボードにコピーできませんでした");
    user::SetResourceLanguage(rt::kLanguageFrench);
    EXPECT_EQ(DescribeShareNote(ShareNote::SaveFailed, "disque plein"),
              "Tavilo : impossible d'enregistrer l'image : disque plein");
    // A name with braces of its own is put in as it is, not read as a slot.
    user::SetResourceLanguage(rt::kLanguageKorean);
    EXPECT_EQ(DescribeShareNote(ShareNote::Saved, "{1}.png"), "저장했어요: {1}.png");
    user::SetResourceLanguage(0x0419);
    EXPECT_EQ(DescribeShareNote(ShareNote::Copied, ""), "Copied the result");
    user::SetResourceLanguage(rt::kLanguageEnglish);
}

// A bar button's label as the chosen language shows it, from the resources.
std::string BarLabel(WORD language, WORD id) {
    const RESOURCE_ENTRY* entry =
        user::FindResourceEntry(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_STRING)), id, language);
    std::string utf8;
    if (entry == nullptr ||
        !rt::Utf16ToUtf8(std::u16string(static_cast<const char16_t*>(entry->data), entry->size), utf8)) {
        ADD_FAILURE() << "no label " << id;
    }
    return utf8;
}

// The page's hidden buttons carry the names the bar shows, so that a
// player who sees "Neu" and one who hears it mean the same button.
TEST(Phrases, ThePagesButtonsAreNamedAsTheBarNamesThem) {
    const struct {
        int index;
        WORD id;
    } kBar[] = {{0, IDS_NEW}, {1, IDS_ALL}, {2, IDS_OPTION}, {4, IDS_EXIT}};
    for (const char* code : kCodes) {
        SCOPED_TRACE(code);
        const WORD language = rt::LanguageFromTag(code);
        const res::Phrases& phrases = res::PhrasesFor(language);
        std::set<std::string> names;
        for (const char* name : phrases.buttons) {
            ASSERT_NE(name, nullptr);
            EXPECT_NE(*name, 0);
            EXPECT_TRUE(names.insert(name).second) << "two buttons named " << name;
        }
        const std::string start = phrases.buttons[5];
        EXPECT_EQ(std::count(start.begin(), start.end(), '%'), 1) << start;
        for (const auto& bar : kBar) {
            EXPECT_EQ(phrases.buttons[bar.index], BarLabel(language, bar.id));
        }
    }
}

// tavilo-headless's press takes the label the player sees: the same game
// from "press Neu" in German as from "press New" in English, and an English
// label where the bar shows another is a clear script error.
TEST(PressLabels, FollowTheLanguage) {
    const std::string english = "press New\n" + Wait(600) + "press All\n" + Wait(5000) + "state\n";
    const Outcome reference = RunHeadless(english, "", 86400000, "--language en");
    ASSERT_EQ(reference.states.size(), 1u);
    for (const char* code : kCodes) {
        SCOPED_TRACE(code);
        const WORD language = rt::LanguageFromTag(code);
        const std::string script = "press " + BarLabel(language, IDS_NEW) + "\n" + Wait(600) + "press " +
                                   BarLabel(language, IDS_ALL) + "\n" + Wait(5000) + "state\n";
        const Outcome run = RunHeadless(script, "", 86400000, std::string("--language ") + code);
        ASSERT_EQ(run.states.size(), 1u);
        EXPECT_EQ(run.states[0].line, reference.states[0].line);
    }
    const Outcome german = RunHeadless(english, "", 86400000, "--language de", "", 2);
    EXPECT_NE(german.err.find("labelled \"New\""), std::string::npos) << german.err;
}

}  // namespace
}  // namespace progtest
