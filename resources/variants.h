// The shapes of the dialogs and the menu, shared by the English resources
// (dialogs.cpp, menus.cpp) and every language's variants, which differ only
// in their texts; and the variants themselves, made once per language
// record of translations.h for table.cpp to list.
#pragma once

#include "messages.h"
#include "resource.h"
#include "translations.h"

namespace res {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kNoControlId = 0xFFFF;

// Listed in the order of the original template, which is not the order on
// screen: top to bottom the box shows the logo, the web address, the
// copyright line and the version line.
#define ABOUT_ITEMS(version)                                                                           \
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX, 0, 25, 40, 70, 8, res::kNoControlId,              \
     res::kStaticClass, version, 0},                                                                   \
    {WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 10, 30, 100, 8, res::kNoControlId, res::kStaticClass,         \
     ABOUT_COPYRIGHT_TEXT, 0},                                                                         \
    {WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 35, 5, 53, 11, res::kNoControlId, res::kStaticClass, nullptr, \
     IDB_LOGO},                                                                                        \
    {WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 25, 20, 74, 8, res::kNoControlId, res::kStaticClass,          \
     MAKER_WEB_ADDRESS, 0}

// The player-count dialog's label: English's sits left-aligned in its
// original place; a translation's longer word is centred over the same
// middle with the room up to the "<" button.
#define OPTION_PLAYERS_STATIC(text)                                                                   \
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 18, 25, 24, 8, res::kNoControlId, res::kStaticClass, \
     text, 0}
#define OPTION_PLAYERS_STATIC_WIDE(text)                                                                \
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER, 0, 4, 25, 50, 8, res::kNoControlId, res::kStaticClass, \
     text, 0}

#define OPTION_ITEMS(ok, cancel, players)                                                                   \
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 48, 40, 11, IDOK, res::kButtonClass, ok, 0}, \
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 59, 48, 40, 11, IDCANCEL, res::kButtonClass,      \
     cancel, 0},                                                                                            \
    players,                                                                                                \
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 57, 23, 11, 11, IDC_LESS, res::kButtonClass,      \
     u"<", 0},                                                                                              \
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 82, 23, 11, 11, IDC_MORE, res::kButtonClass,      \
     u">", 0},                                                                                              \
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER, 0, 70, 24, 10, 8, IDC_COUNT, res::kStaticClass, u"6", 0}

// A pop-up with a caption whose OK button closes it (WS_EX_CAPTIONOKBTN).
#define ABOUT_DIALOG(caption, items)                                                                   \
    {WS_POPUP | WS_CAPTION | DS_SETFONT, WS_EX_CAPTIONOKBTN | WS_EX_TOOLWINDOW,                        \
     sizeof(items) / sizeof(items[0]), 0, 0, 117, 53, caption, 8, u"System", items}

// A captionless pop-up with a thin border; only OK and CANCEL end it.
#define OPTION_DIALOG(items) \
    {WS_POPUP | WS_BORDER | DS_SETFONT, 0, sizeof(items) / sizeof(items[0]), 0, 0, 106, 66, u"", 10, u"System", items}

// The top level has five entries, one per button; only Help opens a pop-up.
// A pop-up has no command of its own, as in a menu resource.
#define MENU_ITEMS(newGame, all, option, help, about, exit)                                          \
    {MF_STRING, IDM_NEW, newGame}, {MF_STRING, IDM_ALL, all}, {MF_STRING, IDM_OPTION, option},        \
        {MF_POPUP, 0, help}, {MF_STRING | MF_END, IDM_ABOUT, about}, {MF_STRING | MF_END, IDM_EXIT, exit}

// One language's dialogs and menu.
template <const LanguageTexts& T>
struct Variant {
    static constexpr DLGITEMTEMPLATEW aboutItems[] = {ABOUT_ITEMS(T.aboutVersion)};
    static constexpr DLGTEMPLATEW about = ABOUT_DIALOG(T.aboutCaption, aboutItems);
    static constexpr DLGITEMTEMPLATEW optionItems[] = {
        OPTION_ITEMS(T.ok, T.cancel, OPTION_PLAYERS_STATIC_WIDE(T.players))};
    static constexpr DLGTEMPLATEW option = OPTION_DIALOG(optionItems);
    static constexpr MENUITEMRECORD menu[] = {MENU_ITEMS(T.newGame, T.all, T.option, T.help, T.about, T.exit)};
};

// A string's length in UTF-16 units, for the string table's sizes.
constexpr DWORD TextLength(LPCWSTR text) {
    DWORD n = 0;
    while (text[n] != 0) ++n;
    return n;
}

}  // namespace res
