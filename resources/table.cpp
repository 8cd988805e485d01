// The program's resource table: every resource the program loads, by type
// and number. The platform's FindResourceW and the loaders built on it search
// this table; module.h says what each entry's data points at.
#include "user/module.h"

#include "resource.h"
#include "script.h"
#include "variants.h"

namespace {

#define TYPE(rt) static_cast<WORD>(reinterpret_cast<ULONG_PTR>(rt))

// A string's size is its length in UTF-16 units, without the terminator.
#define STRING(id, text) {TYPE(RT_STRING), id, text, sizeof(text) / sizeof(WCHAR) - 1}

// The bitmap files of resources/bitmaps, embedded by the build (cmake/embed.cmake).
const unsigned char kTilesBmp[] = {
#include "tiles.inc"
};
const unsigned char kHandBmp[] = {
#include "hand.inc"
};
const unsigned char kTitleBmp[] = {
#include "title.inc"
};
const unsigned char kBallsBmp[] = {
#include "balls.inc"
};
const unsigned char kLogoBmp[] = {
#include "logo.inc"
};
const unsigned char kIcon32Bmp[] = {
#include "icon32.inc"
};
const unsigned char kIcon16Bmp[] = {
#include "icon16.inc"
};

#define BITMAP(rt, id, bytes) {TYPE(rt), id, bytes, sizeof(bytes)}

// One language's variants of the texts: the bar's strings, the intro
// messages, the menu and the two dialogs with text.
#define TEXT(T, id, field) {TYPE(RT_STRING), id, T.field, res::TextLength(T.field), T.language}
#define LANGUAGE(T)                                                                                   \
    TEXT(T, IDS_HELP, help), TEXT(T, IDS_EXIT, exit), TEXT(T, IDS_NEW, newGame), TEXT(T, IDS_ALL, all), \
        TEXT(T, IDS_OPTION, option), TEXT(T, IDS_INTRO_PRESENTED, presentedBy),                         \
        TEXT(T, IDS_INTRO_EMAIL, email), TEXT(T, IDS_INTRO_GOOD_LUCK, goodLuck),                        \
        {TYPE(RT_MENU), IDR_MENUBAR, res::Variant<T>::menu,                                             \
         sizeof(res::Variant<T>::menu) / sizeof(res::Variant<T>::menu[0]), T.language},                 \
        {TYPE(RT_DIALOG), IDD_ABOUT, &res::Variant<T>::about, sizeof(DLGTEMPLATEW), T.language},        \
        {TYPE(RT_DIALOG), IDD_OPTION, &res::Variant<T>::option, sizeof(DLGTEMPLATEW), T.language}

}  // namespace

const RESOURCE_ENTRY g_resourceTable[] = {
    STRING(IDS_TITLE, u"Tavilo"),
    STRING(IDS_CLASS, u"TAVILO"),
    STRING(IDS_HELP, u"Help"),
    STRING(IDS_EXIT, u"Exit"),
    STRING(IDS_NEW, u"New"),
    STRING(IDS_ALL, u"All"),
    STRING(IDS_OPTION, u"Option"),

    {TYPE(RT_ACCELERATOR), IDR_ACCEL, res::kAccelerators, sizeof(res::kAccelerators)},
    {TYPE(RT_ACCELERATOR), IDR_PLAY_KEYS, res::kPlayKeys, sizeof(res::kPlayKeys)},
    {TYPE(RT_RCDATA), IDR_MENUBAR, res::kMenuBar, sizeof(res::kMenuBar)},
    {TYPE(RT_MENU), IDR_MENUBAR, res::kMenu, sizeof(res::kMenu) / sizeof(res::kMenu[0])},

    {TYPE(RT_DIALOG), IDD_ABOUT, &res::kAboutDialog, sizeof(DLGTEMPLATEW)},
    {TYPE(RT_DIALOG), IDD_OPTION, &res::kOptionDialog, sizeof(DLGTEMPLATEW)},
    {TYPE(RT_DIALOG), IDD_INTRO, &res::kIntroDialog, sizeof(DLGTEMPLATEW)},

    BITMAP(RT_BITMAP, IDB_TILES, kTilesBmp),
    BITMAP(RT_BITMAP, IDB_HAND, kHandBmp),
    BITMAP(RT_BITMAP, IDB_TITLE, kTitleBmp),
    BITMAP(RT_BITMAP, IDB_BALLS, kBallsBmp),
    BITMAP(RT_BITMAP, IDB_LOGO, kLogoBmp),

    BITMAP(RT_ICON, IDI_TAVILO_32, kIcon32Bmp),
    BITMAP(RT_ICON, IDI_TAVILO_16, kIcon16Bmp),
    {TYPE(RT_GROUP_ICON), IDI_TAVILO, res::kIconGroup, sizeof(res::kIconGroup) / sizeof(res::kIconGroup[0])},

    LANGUAGE(res::kSpanishTexts),
    LANGUAGE(res::kPortugueseTexts),
    LANGUAGE(res::kFrenchTexts),
    LANGUAGE(res::kGermanTexts),
    LANGUAGE(res::kJapaneseTexts),
    LANGUAGE(res::kKoreanTexts),
    LANGUAGE(res::kChineseSimplifiedTexts),
    LANGUAGE(res::kChineseTraditionalTexts),
};

const DWORD g_resourceCount = sizeof(g_resourceTable) / sizeof(g_resourceTable[0]);
