// The resource script against the numbers the program relies on, written
// out as numbers here rather than through the script's own names: every
// resource is found by type and number, and the dialog, menu-bar and
// accelerator records hold the values the shell and the window manager read.
#include <gtest/gtest.h>

#include "user/module.h"
#include <windows.h>

#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "messages.h"
#include "resource.h"

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
    std::set<std::pair<WORD, WORD>> seen;
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        EXPECT_TRUE(seen.insert({g_resourceTable[i].type, g_resourceTable[i].id}).second)
            << "type " << g_resourceTable[i].type << " id " << g_resourceTable[i].id;
    }
}

std::vector<WORD> Words(LPCWSTR rt, WORD id) {
    const RESOURCE_ENTRY* e = Find(rt, id);
    EXPECT_NE(e, nullptr) << id;
    const WORD* w = e != nullptr ? static_cast<const WORD*>(e->data) : nullptr;
    return w != nullptr ? std::vector<WORD>(w, w + e->size / sizeof(WORD)) : std::vector<WORD>();
}

// Alt+'/' (a character, not a virtual key) opens About, Alt+F4 exits.
TEST(Accelerators, AltSlashOpensAboutAndAltF4Exits) {
    EXPECT_EQ(Words(RT_ACCELERATOR, 3), (std::vector<WORD>{0x12, 0x2F, 40003, 0, 0x93, 0x73, 40002, 0}));
}

// The bar's buttons point at the top-level entries 0 to 4 of menu 112, so
// Help's pop-up item must follow it and end its level, and Exit must end the
// menu.
TEST(MenuBar, ButtonRecordsAndTheMenuTheyPointInto) {
    EXPECT_EQ(Words(RT_RCDATA, 112), (std::vector<WORD>{112, 9,  // header, then seven words a button
                                                        0xFFFE, 40011, 4, 0x10, 40026, 0, 0,
                                                        0xFFFE, 0, 4, 0x01, 0, 0, 0xFFFF,
                                                        0xFFFE, 40030, 4, 0x10, 40029, 0, 1,
                                                        0xFFFE, 0, 4, 0x01, 0, 0, 0xFFFF,
                                                        0xFFFE, 40031, 4, 0x10, 40033, 0, 2,
                                                        0xFFFE, 0, 4, 0x01, 0, 0, 0xFFFF,
                                                        0xFFFE, 40020, 4, 0x18, 40022, 0, 3,
                                                        0xFFFE, 0, 4, 0x01, 0, 0, 0xFFFF,
                                                        0xFFFE, 40002, 4, 0x10, 40024, 0, 4}));
    const RESOURCE_ENTRY* e = Find(RT_MENU, 112);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->size, 6u);
    const auto* m = static_cast<const MENUITEMRECORD*>(e->data);
    const std::tuple<WORD, WORD, std::u16string> expected[6] = {
        {MF_STRING, 40011, u"New"},  {MF_STRING, 40030, u"All"},           {MF_STRING, 40031, u"Option"},
        {MF_POPUP, 0, u"Help"},      {MF_STRING | MF_END, 40003, u"About.."}, {MF_STRING | MF_END, 40002, u"Exit"}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(std::tuple(m[i].option, m[i].id, Text(m[i].text)), expected[i]) << "entry " << i;
    }
}

// Each dialog's header, then its items in template order.
TEST(Dialogs, TemplatesHoldTheirNumbers) {
    using Header = std::tuple<DWORD, DWORD, short, short, short, short, std::u16string, WORD, std::u16string>;
    using Item = std::tuple<DWORD, DWORD, short, short, short, short, WORD, WORD, std::u16string, WORD>;
    const std::tuple<WORD, Header, std::vector<Item>> dialogs[] = {
        {103, {0x80C00040, 0x80000080, 0, 0, 117, 53, u"About Tavilo!", 8, u"System"},
         {{0x50020080, 0, 25, 40, 70, 8, 0xFFFF, 0x82, ABOUT_VERSION_TEXT, 0},
          {0x50020000, 0, 10, 30, 100, 8, 0xFFFF, 0x82, ABOUT_COPYRIGHT_TEXT, 0},
          {0x5000000E, 0, 35, 5, 53, 11, 0xFFFF, 0x82, u"", 125},  // the logo bitmap
          {0x50020000, 0, 25, 20, 74, 8, 0xFFFF, 0x82, MAKER_WEB_ADDRESS, 0}}},
        {113, {0x80800040, 0, 0, 0, 106, 66, u"", 10, u"System"},
         {{0x50010001, 0, 7, 48, 40, 11, 1, 0x80, u"OK", 0}, {0x50010000, 0, 59, 48, 40, 11, 2, 0x80, u"CANCEL", 0},
          {0x50020000, 0, 18, 25, 24, 8, 0xFFFF, 0x82, u"Players", 0},
          {0x50010000, 0, 57, 23, 11, 11, 1011, 0x80, u"<", 0}, {0x50010000, 0, 82, 23, 11, 11, 1012, 0x80, u">", 0},
          {0x50020001, 0, 70, 24, 10, 8, 1014, 0x82, u"6", 0}}},
        // Hidden, captionless and empty: neither visible nor pop-up nor child.
        {115, {DS_SETFONT, WS_EX_STATICEDGE, 0, 0, 145, 108, u"", 8, u"MS Sans Serif"}, {}},
    };
    for (const auto& [id, header, items] : dialogs) {
        SCOPED_TRACE(testing::Message() << "dialog " << id);
        const RESOURCE_ENTRY* e = Find(RT_DIALOG, id);
        ASSERT_NE(e, nullptr);
        const auto& d = *static_cast<const DLGTEMPLATEW*>(e->data);
        EXPECT_EQ(Header(d.style, d.dwExtendedStyle, d.x, d.y, d.cx, d.cy, Text(d.title), d.pointSize,
                         Text(d.typeface)), header);
        ASSERT_EQ(d.cdit, items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            const DLGITEMTEMPLATEW& it = d.items[i];
            EXPECT_EQ(Item(it.style, it.dwExtendedStyle, it.x, it.y, it.cx, it.cy, it.id, it.classAtom, Text(it.text),
                           it.textOrdinal), items[i]) << "item " << i;
        }
    }
}

}  // namespace
