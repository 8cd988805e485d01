// The resource script against the numbers the program relies on: every
// resource is found by type and number, and the dialog, menu-bar and
// accelerator records hold the values the shell and the window manager read.
#include <gtest/gtest.h>

#include <runtime/module.h>
#include <windows.h>

#include <set>
#include <string>
#include <utility>

#include "messages.h"
#include "resource.h"

namespace {

WORD Type(LPCWSTR rt) { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(rt)); }

const RESOURCE_ENTRY* Find(LPCWSTR rt, WORD id) { return rt::FindResourceEntry(Type(rt), id); }

std::u16string Text(const WCHAR* s) { return s ? std::u16string(s) : std::u16string(); }

const DLGTEMPLATEW& Dialog(WORD id) {
    const RESOURCE_ENTRY* e = Find(RT_DIALOG, id);
    EXPECT_NE(e, nullptr) << "dialog " << id;
    static const DLGTEMPLATEW empty{};
    return e ? *static_cast<const DLGTEMPLATEW*>(e->data) : empty;
}

TEST(ResourceTable, EveryNamedResourceIsFoundByTypeAndNumber) {
    const std::pair<LPCWSTR, WORD> named[] = {
        {RT_STRING, 1},     {RT_STRING, 3},     {RT_STRING, 40022},  {RT_STRING, 40024},
        {RT_STRING, 40026}, {RT_STRING, 40029}, {RT_STRING, 40033},  {RT_GROUP_ICON, 128},
        {RT_ACCELERATOR, 3}, {RT_RCDATA, 112},  {RT_MENU, 112},      {RT_DIALOG, 103},
        {RT_DIALOG, 113},   {RT_DIALOG, 115},   {RT_BITMAP, 106},    {RT_BITMAP, 116},
        {RT_BITMAP, 123},   {RT_BITMAP, 124},   {RT_BITMAP, 125},
    };
    for (const auto& [rt, id] : named) {
        const RESOURCE_ENTRY* e = Find(rt, id);
        ASSERT_NE(e, nullptr) << "type " << Type(rt) << " id " << id;
        EXPECT_NE(e->data, nullptr);
        EXPECT_GT(e->size, 0u);
    }
}

TEST(ResourceTable, NoTypeAndNumberIsListedTwice) {
    std::set<std::pair<WORD, WORD>> seen;
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        EXPECT_TRUE(seen.insert({g_resourceTable[i].type, g_resourceTable[i].id}).second)
            << "type " << g_resourceTable[i].type << " id " << g_resourceTable[i].id;
    }
}

TEST(ResourceTable, TheSameNumberUnderAnotherTypeIsNotFound) {
    EXPECT_EQ(Find(RT_DIALOG, 112), nullptr);
    EXPECT_EQ(Find(RT_BITMAP, 103), nullptr);
    EXPECT_EQ(Find(RT_STRING, 2), nullptr);
}

TEST(Strings, TitleClassAndButtonLabelsWithLengthsAsSizes) {
    const std::pair<WORD, std::u16string> strings[] = {
        {1, u"Tavilo"}, {3, u"TAVILO"}, {40026, u"New"},   {40029, u"All"},
        {40033, u"Option"}, {40022, u"Help"}, {40024, u"Exit"},
    };
    for (const auto& [id, text] : strings) {
        const RESOURCE_ENTRY* e = Find(RT_STRING, id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_EQ(Text(static_cast<const WCHAR*>(e->data)), text);
        EXPECT_EQ(e->size, text.size()) << id;
    }
}

TEST(Strings, MakerTextsAgreeOnOneFictionalDomain) {
    const std::u16string web = MAKER_WEB_ADDRESS;
    const std::u16string mail = MAKER_EMAIL;
    const std::u16string domain = mail.substr(mail.find(u'@') + 1);
    EXPECT_NE(mail.find(u'@'), std::u16string::npos);
    EXPECT_EQ(web.substr(web.size() - domain.size()), domain);
    EXPECT_NE(domain.find(u"menkor"), std::u16string::npos);
    EXPECT_EQ(domain.substr(domain.size() - 8), u".example");
    EXPECT_NE(std::u16string(ABOUT_COPYRIGHT_TEXT).find(MAKER_NAME), std::u16string::npos);
}

TEST(Accelerators, AltSlashOpensAboutAndAltF4Exits) {
    const RESOURCE_ENTRY* e = Find(RT_ACCELERATOR, 3);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->size, 2u * 4u * sizeof(WORD));
    const WORD* w = static_cast<const WORD*>(e->data);
    const WORD expected[] = {0x12, 0x2F, 40003, 0, 0x93, 0x73, 40002, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(w[i], expected[i]) << "word " << i;
}

TEST(MenuBar, HeaderAndNineSevenWordRecords) {
    const RESOURCE_ENTRY* e = Find(RT_RCDATA, 112);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->size, (2u + 9u * 7u) * sizeof(WORD));
    const WORD* w = static_cast<const WORD*>(e->data);
    EXPECT_EQ(w[0], 112);
    EXPECT_EQ(w[1], 9);
    struct Button {
        WORD command, style, label, entry;
    };
    const Button buttons[9] = {
        {40011, 0x10, 40026, 0}, {0, 0x01, 0, 0xFFFF}, {40030, 0x10, 40029, 1},
        {0, 0x01, 0, 0xFFFF},    {40031, 0x10, 40033, 2}, {0, 0x01, 0, 0xFFFF},
        {40020, 0x18, 40022, 3}, {0, 0x01, 0, 0xFFFF},    {40002, 0x10, 40024, 4},
    };
    for (int i = 0; i < 9; ++i) {
        const WORD* r = w + 2 + 7 * i;
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(r[0], 0xFFFE);
        EXPECT_EQ(r[1], buttons[i].command);
        EXPECT_EQ(r[2], 4);
        EXPECT_EQ(r[3], buttons[i].style);
        EXPECT_EQ(r[4], buttons[i].label);
        EXPECT_EQ(r[5], 0);
        EXPECT_EQ(r[6], buttons[i].entry);
        if (buttons[i].label) {
            EXPECT_NE(Find(RT_STRING, buttons[i].label), nullptr);
        }
    }
}

TEST(Menu, TopLevelEntriesMatchTheButtonsAndHelpHoldsAbout) {
    const RESOURCE_ENTRY* e = Find(RT_MENU, 112);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->size, 6u);
    const MENUITEMRECORD* m = static_cast<const MENUITEMRECORD*>(e->data);

    // The button records point at top-level entries 0 to 4, so the pop-up's
    // item must follow it and end its level, and Exit must end the menu.
    const MENUITEMRECORD expected[6] = {
        {MF_STRING, 40011, u"New"},          {MF_STRING, 40030, u"All"},
        {MF_STRING, 40031, u"Option"},       {MF_POPUP, 0, u"Help"},
        {MF_STRING | MF_END, 40003, u"About.."}, {MF_STRING | MF_END, 40002, u"Exit"},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m[i].option, expected[i].option);
        EXPECT_EQ(Text(m[i].text), Text(expected[i].text));
        if (!(m[i].option & MF_POPUP)) {
            EXPECT_EQ(m[i].id, expected[i].id);
        }
    }
}

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id, atom;
};

void ExpectItems(const DLGTEMPLATEW& d, const Item* items, int count) {
    ASSERT_EQ(d.cdit, count);
    ASSERT_NE(d.items, nullptr);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i + 1);
        const DLGITEMTEMPLATEW& it = d.items[i];
        EXPECT_EQ(it.style, items[i].style);
        EXPECT_EQ(it.dwExtendedStyle, 0u);
        EXPECT_EQ(it.x, items[i].x);
        EXPECT_EQ(it.y, items[i].y);
        EXPECT_EQ(it.cx, items[i].cx);
        EXPECT_EQ(it.cy, items[i].cy);
        EXPECT_EQ(it.id, items[i].id);
        EXPECT_EQ(it.classAtom, items[i].atom);
    }
}

TEST(Dialogs, AboutBoxHasCaptionOkAndItsFourStatics) {
    const DLGTEMPLATEW& d = Dialog(103);
    EXPECT_EQ(d.style, 0x80C00040u);
    EXPECT_EQ(d.dwExtendedStyle, 0x80000080u);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 117);
    EXPECT_EQ(d.cy, 53);
    EXPECT_EQ(Text(d.title), u"About Tavilo!");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(Text(d.typeface), u"System");
    const Item items[] = {
        {0x50020080, 25, 40, 70, 8, 0xFFFF, 0x82},
        {0x50020000, 10, 30, 100, 8, 0xFFFF, 0x82},
        {0x5000000E, 35, 5, 53, 11, 0xFFFF, 0x82},
        {0x50020000, 25, 20, 74, 8, 0xFFFF, 0x82},
    };
    ExpectItems(d, items, 4);
    if (d.cdit != 4 || !d.items) return;
    EXPECT_EQ(Text(d.items[0].text), u"Tavilo! Version 1.1");
    EXPECT_EQ(Text(d.items[1].text), ABOUT_COPYRIGHT_TEXT);
    EXPECT_EQ(d.items[2].text, nullptr);
    EXPECT_EQ(d.items[2].textOrdinal, 125);
    EXPECT_NE(Find(RT_BITMAP, d.items[2].textOrdinal), nullptr);
    EXPECT_EQ(Text(d.items[3].text), MAKER_WEB_ADDRESS);
}

TEST(Dialogs, PlayerCountDialogRowAndButtons) {
    const DLGTEMPLATEW& d = Dialog(113);
    EXPECT_EQ(d.style, 0x80800040u);
    EXPECT_EQ(d.dwExtendedStyle, 0u);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 106);
    EXPECT_EQ(d.cy, 66);
    EXPECT_EQ(Text(d.title), u"");
    EXPECT_EQ(d.pointSize, 10);
    EXPECT_EQ(Text(d.typeface), u"System");
    const Item items[] = {
        {0x50010001, 7, 48, 40, 11, 1, 0x80},     {0x50010000, 59, 48, 40, 11, 2, 0x80},
        {0x50020000, 18, 25, 24, 8, 0xFFFF, 0x82}, {0x50010000, 57, 23, 11, 11, 1011, 0x80},
        {0x50010000, 82, 23, 11, 11, 1012, 0x80}, {0x50020001, 70, 24, 10, 8, 1014, 0x82},
    };
    ExpectItems(d, items, 6);
    if (d.cdit != 6 || !d.items) return;
    const char16_t* texts[] = {u"OK", u"CANCEL", u"Players", u"<", u">", u"6"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Text(d.items[i].text), texts[i]) << i;
}

TEST(Dialogs, IntroPanelIsHiddenCaptionlessAndEmpty) {
    const DLGTEMPLATEW& d = Dialog(115);
    EXPECT_EQ(d.style, static_cast<DWORD>(DS_SETFONT));
    EXPECT_EQ(d.style & (WS_VISIBLE | WS_POPUP | WS_CHILD | WS_CAPTION), 0u);
    EXPECT_EQ(d.dwExtendedStyle, static_cast<DWORD>(WS_EX_STATICEDGE));
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 145);
    EXPECT_EQ(d.cy, 108);
    EXPECT_EQ(Text(d.title), u"");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(Text(d.typeface), u"MS Sans Serif");
    EXPECT_EQ(d.cdit, 0);
}

}  // namespace
