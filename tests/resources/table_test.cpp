// The resource script's structure: every resource is found by type and
// number, the menu bar points into its menu, and each dialog's controls fit
// it with ids of their own. What the accelerators do is tested with the
// window manager's input.
#include <gtest/gtest.h>

#include "user/module.h"
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "messages.h"
#include "resource.h"
#include "runtime/language.h"

namespace {

WORD Type(LPCWSTR rt) { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(rt)); }
const RESOURCE_ENTRY* Find(LPCWSTR rt, WORD id) { return user::FindResourceEntry(Type(rt), id); }
std::u16string Text(const WCHAR* s) { return s ? std::u16string(s) : std::u16string(); }

// A string's size is its length, which LoadStringW hands on; a number is
// found under its own type only, and no type and number is listed twice.
TEST(ResourceTable, EveryResourceIsFoundByTypeAndNumber) {
    const std::pair<LPCWSTR, WORD> named[] = {
        {RT_GROUP_ICON, 128}, {RT_ICON, 1},       {RT_ICON, 2},        {RT_ACCELERATOR, 3}, {RT_RCDATA, 112},
        {RT_MENU, 112},       {RT_DIALOG, 103},   {RT_DIALOG, 113},    {RT_DIALOG, 115},    {RT_BITMAP, 106},
        {RT_BITMAP, 116},     {RT_BITMAP, 123},   {RT_BITMAP, 124},    {RT_BITMAP, 125}};
    for (const auto& [rt, id] : named) {
        const RESOURCE_ENTRY* e = Find(rt, id);
        EXPECT_TRUE(e != nullptr && e->data != nullptr && e->size > 0) << "type " << Type(rt) << " id " << id;
    }
    const std::pair<WORD, std::u16string> strings[] = {{1, u"Tavilo"}, {3, u"TAVILO"}, {40026, u"New"},
                                                       {40029, u"All"}, {40033, u"Option"}, {40022, u"Help"},
                                                       {40024, u"Exit"}};
    for (const auto& [id, text] : strings) {
        const RESOURCE_ENTRY* e = Find(RT_STRING, id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_EQ(std::tuple(Text(static_cast<const WCHAR*>(e->data)), e->size), std::tuple(text, text.size()));
    }
    EXPECT_EQ(Find(RT_DIALOG, 112), nullptr);
    EXPECT_EQ(Find(RT_BITMAP, 103), nullptr);
    std::set<std::tuple<WORD, WORD, WORD>> seen;
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        const RESOURCE_ENTRY& e = g_resourceTable[i];
        EXPECT_TRUE(seen.insert({e.type, e.id, e.language}).second)
            << "type " << e.type << " id " << e.id << " language " << e.language;
    }
}

std::vector<WORD> Words(LPCWSTR rt, WORD id) {
    const RESOURCE_ENTRY* e = Find(rt, id);
    EXPECT_NE(e, nullptr) << id;
    const WORD* w = e != nullptr ? static_cast<const WORD*>(e->data) : nullptr;
    return w != nullptr ? std::vector<WORD>(w, w + e->size / sizeof(WORD)) : std::vector<WORD>();
}

// The play keys, table 4: plain virtual keys only (a record with a modifier
// would let Ctrl+A be All), each key once, the last record marked, and the
// digits of both rows starting the player of their number.
TEST(Accelerators, ThePlayKeysArePlainVirtualKeysForTheirCommands) {
    const std::vector<WORD> words = Words(RT_ACCELERATOR, IDR_PLAY_KEYS);
    ASSERT_EQ(words.size() % 4, 0u);
    std::map<WORD, WORD> commands;
    for (size_t i = 0; i < words.size(); i += 4) {
        const bool last = i + 4 == words.size();
        EXPECT_EQ(words[i], (FVIRTKEY | FNOINVERT | (last ? FLASTACCEL : 0))) << "record " << i / 4;
        EXPECT_EQ(words[i + 3], 0);
        EXPECT_TRUE(commands.emplace(words[i + 1], words[i + 2]).second) << "key " << words[i + 1] << " twice";
    }
    std::map<WORD, WORD> expected = {{'N', IDM_NEW}, {'A', IDM_ALL}, {'O', IDM_OPTION}};
    for (WORD k = 1; k <= 8; ++k) {
        expected['0' + k] = IDM_START_PLAYER + k - 1;
        expected[VK_NUMPAD0 + k] = IDM_START_PLAYER + k - 1;
    }
    EXPECT_EQ(commands, expected);
}

// The menu bar's records against the menu they point into: every button
// that is not a gap names a real top-level entry of menu 112 and a label in
// the string table, sends that entry's command, and the drop-down is the
// one whose entry opens a pop-up.
TEST(MenuBar, EveryButtonNamesARealMenuEntryAndLabel) {
    const std::vector<WORD> bar = Words(RT_RCDATA, 112);
    const RESOURCE_ENTRY* e = Find(RT_MENU, 112);
    ASSERT_TRUE(e != nullptr && bar.size() >= 2);
    const auto* menu = static_cast<const MENUITEMRECORD*>(e->data);
    std::vector<const MENUITEMRECORD*> top;  // the top level: a pop-up's items follow it up to MF_END
    for (DWORD i = 0; i < e->size; ++i) {
        top.push_back(&menu[i]);
        if (menu[i].option & MF_POPUP) {
            while (i + 1 < e->size && !(menu[++i].option & MF_END)) {
            }
        }
    }
    EXPECT_TRUE(top.back()->option & MF_END) << "the menu's last entry ends it";
    ASSERT_EQ(bar[0], 112);
    ASSERT_EQ(bar.size(), 2 + 7u * bar[1]);
    std::set<WORD> commands;
    int buttons = 0;
    for (size_t r = 2; r < bar.size(); r += 7) {
        const WORD command = bar[r + 1], style = bar[r + 3], label = bar[r + 4], entry = bar[r + 6];
        if (label == 0) continue;  // a gap between buttons
        ++buttons;
        SCOPED_TRACE(testing::Message() << "button " << buttons);
        ASSERT_LT(entry, top.size());
        EXPECT_NE(Find(RT_STRING, label), nullptr);
        EXPECT_EQ((style & 0x08) != 0, (top[entry]->option & MF_POPUP) != 0) << "drop-down exactly over a pop-up";
        if (!(top[entry]->option & MF_POPUP)) {
            EXPECT_EQ(command, top[entry]->id);
        }
        EXPECT_TRUE(commands.insert(command).second) << "command " << command << " twice";
    }
    EXPECT_EQ(buttons, static_cast<int>(top.size()));
}

// Every dialog's controls lie inside it, have ids of their own (static text
// may share the "no id" value), and a picture control names a real bitmap.
TEST(Dialogs, ControlsLieInsideTheirDialogWithIdsOfTheirOwn) {
    for (WORD id : {103, 113, 115}) {
        SCOPED_TRACE(testing::Message() << "dialog " << id);
        const RESOURCE_ENTRY* e = Find(RT_DIALOG, id);
        ASSERT_NE(e, nullptr);
        const auto& d = *static_cast<const DLGTEMPLATEW*>(e->data);
        std::set<WORD> ids;
        for (size_t i = 0; i < d.cdit; ++i) {
            const DLGITEMTEMPLATEW& it = d.items[i];
            SCOPED_TRACE(testing::Message() << "item " << i);
            EXPECT_TRUE(it.x >= 0 && it.y >= 0 && it.cx > 0 && it.cy > 0 && it.x + it.cx <= d.cx && it.y + it.cy <= d.cy);
            if (it.id != 0xFFFF) {
                EXPECT_TRUE(ids.insert(it.id).second) << "id " << it.id << " twice";
            }
            if (it.textOrdinal != 0) {
                EXPECT_NE(Find(RT_BITMAP, it.textOrdinal), nullptr);
            }
        }
    }
}

}  // namespace

namespace {

const WORD kTranslated[] = {rt::kLanguageSpanish,  rt::kLanguagePortugueseBrazil,   rt::kLanguageFrench,
                            rt::kLanguageGerman,   rt::kLanguageJapanese,           rt::kLanguageKorean,
                            rt::kLanguageChineseSimplified, rt::kLanguageChineseTraditional};

// A translation replaces texts and nothing else: each variant is of a
// resource English has (the intro messages excepted, whose English stays in
// the intro's own table), a string's size is its length, a menu has the
// same entries with the same commands and flags, and a dialog the same
// frame and controls, only the players label having more room.
TEST(LanguageVariants, ReplaceTextsOnlyAndFallBackToEnglish) {
    std::set<WORD> languages;
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        const RESOURCE_ENTRY& e = g_resourceTable[i];
        if (e.language == 0) {
            continue;
        }
        languages.insert(e.language);
        SCOPED_TRACE(testing::Message() << "type " << e.type << " id " << e.id << " language " << e.language);
        const RESOURCE_ENTRY* english = user::FindResourceEntry(e.type, e.id);
        if (e.type == Type(RT_STRING)) {
            auto* text = static_cast<const WCHAR*>(e.data);
            EXPECT_EQ(Text(text).size(), e.size);
            EXPECT_GT(e.size, 0u);
            bool intro = e.id >= IDS_INTRO_FIRST && e.id < IDS_INTRO_FIRST + 5;
            EXPECT_EQ(english == nullptr, intro);
            continue;
        }
        ASSERT_NE(english, nullptr);
        ASSERT_EQ(english->size, e.size);
        if (e.type == Type(RT_MENU)) {
            auto* a = static_cast<const MENUITEMRECORD*>(english->data);
            auto* b = static_cast<const MENUITEMRECORD*>(e.data);
            for (DWORD k = 0; k < e.size; ++k) {
                EXPECT_EQ(std::tuple(a[k].option, a[k].id), std::tuple(b[k].option, b[k].id));
                EXPECT_FALSE(Text(b[k].text).empty());
            }
        } else {
            ASSERT_EQ(e.type, Type(RT_DIALOG));
            auto* a = static_cast<const DLGTEMPLATEW*>(english->data);
            auto* b = static_cast<const DLGTEMPLATEW*>(e.data);
            EXPECT_EQ(std::tuple(a->style, a->dwExtendedStyle, a->cdit, a->cx, a->cy, a->pointSize),
                      std::tuple(b->style, b->dwExtendedStyle, b->cdit, b->cx, b->cy, b->pointSize));
            EXPECT_EQ(Text(a->typeface), Text(b->typeface));
            EXPECT_EQ(Text(a->title).empty(), Text(b->title).empty());
            for (WORD k = 0; k < a->cdit; ++k) {
                const DLGITEMTEMPLATEW& x = a->items[k];
                const DLGITEMTEMPLATEW& y = b->items[k];
                EXPECT_EQ(std::tuple(x.id, x.classAtom, x.textOrdinal, x.y, x.cy, x.text == nullptr),
                          std::tuple(y.id, y.classAtom, y.textOrdinal, y.y, y.cy, y.text == nullptr));
                if (x.text != nullptr && Text(x.text) != u"Players") {
                    EXPECT_EQ(std::tuple(x.style, x.x, x.cx), std::tuple(y.style, y.x, y.cx));
                }
            }
        }
    }
    EXPECT_EQ(languages, std::set<WORD>(std::begin(kTranslated), std::end(kTranslated)));

    // Each translated language has the whole set; any other falls back.
    for (WORD language : kTranslated) {
        for (WORD id : {IDS_NEW, IDS_ALL, IDS_OPTION, IDS_HELP, IDS_EXIT, IDS_INTRO_PRESENTED, IDS_INTRO_EMAIL,
                        IDS_INTRO_GOOD_LUCK}) {
            const RESOURCE_ENTRY* e = user::FindResourceEntry(Type(RT_STRING), id, language);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->language, language) << id;
        }
        for (auto [type, id] : {std::pair{RT_MENU, IDR_MENUBAR}, {RT_DIALOG, IDD_ABOUT}, {RT_DIALOG, IDD_OPTION}}) {
            EXPECT_EQ(user::FindResourceEntry(Type(type), id, language)->language, language);
        }
        // What needs no words is shared.
        EXPECT_EQ(user::FindResourceEntry(Type(RT_DIALOG), IDD_INTRO, language), Find(RT_DIALOG, IDD_INTRO));
        EXPECT_EQ(user::FindResourceEntry(Type(RT_RCDATA), IDR_MENUBAR, language), Find(RT_RCDATA, IDR_MENUBAR));
    }
    auto* german = user::FindResourceEntry(Type(RT_STRING), IDS_NEW, rt::kLanguageGerman);
    EXPECT_EQ(Text(static_cast<const WCHAR*>(german->data)), u"Neu");
    for (WORD other : {rt::kLanguageEnglish, WORD(0x0410), WORD(0x0419), WORD(0xFFFF)}) {
        EXPECT_EQ(user::FindResourceEntry(Type(RT_STRING), IDS_NEW, other), Find(RT_STRING, IDS_NEW));
        EXPECT_EQ(user::FindResourceEntry(Type(RT_DIALOG), IDD_ABOUT, other), Find(RT_DIALOG, IDD_ABOUT));
        EXPECT_EQ(user::FindResourceEntry(Type(RT_STRING), IDS_INTRO_FIRST, other), nullptr);
    }
}

}  // namespace
