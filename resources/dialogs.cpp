// The three dialog templates: the About box, the player-count dialog and the
// intro panel. Positions and sizes are in dialog units of each template's
// font; the window manager converts them as Win32 does.
#include "messages.h"
#include "resource.h"
#include "script.h"

namespace res {

namespace {

constexpr WORD kButton = 0x0080;
constexpr WORD kStatic = 0x0082;
constexpr WORD kNoId = 0xFFFF;

// Listed in the order of the original template, which is not the order on
// screen: top to bottom the box shows the logo, the web address, the
// copyright line and the version line.
const DLGITEMTEMPLATEW kAboutItems[] = {
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX, 0, 25, 40, 70, 8, kNoId, kStatic,
     ABOUT_VERSION_TEXT, 0},
    {WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 10, 30, 100, 8, kNoId, kStatic, ABOUT_COPYRIGHT_TEXT, 0},
    {WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 35, 5, 53, 11, kNoId, kStatic, nullptr, IDB_LOGO},
    {WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 25, 20, 74, 8, kNoId, kStatic, MAKER_WEB_ADDRESS, 0},
};

const DLGITEMTEMPLATEW kOptionItems[] = {
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 48, 40, 11, IDOK, kButton, u"OK", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 59, 48, 40, 11, IDCANCEL, kButton,
     u"CANCEL", 0},
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 18, 25, 24, 8, kNoId, kStatic, u"Players", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 57, 23, 11, 11, IDC_LESS, kButton, u"<", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 82, 23, 11, 11, IDC_MORE, kButton, u">", 0},
    {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER, 0, 70, 24, 10, 8, IDC_COUNT, kStatic, u"6", 0},
};

}  // namespace

// A pop-up with a caption whose OK button closes it (WS_EX_CAPTIONOKBTN).
const DLGTEMPLATEW kAboutDialog = {
    WS_POPUP | WS_CAPTION | DS_SETFONT,
    WS_EX_CAPTIONOKBTN | WS_EX_TOOLWINDOW,
    sizeof(kAboutItems) / sizeof(kAboutItems[0]),
    0, 0, 117, 53,
    u"About Tavilo!",
    8, u"System",
    kAboutItems,
};

// A captionless pop-up with a thin border; only OK and CANCEL end it.
const DLGTEMPLATEW kOptionDialog = {
    WS_POPUP | WS_BORDER | DS_SETFONT,
    0,
    sizeof(kOptionItems) / sizeof(kOptionItems[0]),
    0, 0, 106, 66,
    u"",
    10, u"System",
    kOptionItems,
};

// Neither visible nor pop-up nor child: the panel starts hidden, and its
// font only sets the dialog units, since its painting selects no font.
const DLGTEMPLATEW kIntroDialog = {
    DS_SETFONT,
    WS_EX_STATICEDGE,
    0,
    0, 0, 145, 108,
    u"",
    8, u"MS Sans Serif",
    nullptr,
};

}  // namespace res
