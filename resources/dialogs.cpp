// The three dialog templates: the About box, the player-count dialog and the
// intro panel. Positions and sizes are in dialog units of each template's
// font; the window manager converts them as Win32 does. The shapes are in
// variants.h, which the translations share.
#include "messages.h"
#include "resource.h"
#include "script.h"
#include "variants.h"

namespace res {

namespace {

const DLGITEMTEMPLATEW kAboutItems[] = {ABOUT_ITEMS(ABOUT_VERSION_TEXT)};

const DLGITEMTEMPLATEW kOptionItems[] = {
    OPTION_ITEMS(u"OK", u"CANCEL", OPTION_PLAYERS_STATIC(u"Players"))};

}  // namespace

const DLGTEMPLATEW kAboutDialog = ABOUT_DIALOG(u"About Tavilo!", kAboutItems);

const DLGTEMPLATEW kOptionDialog = OPTION_DIALOG(kOptionItems);

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
