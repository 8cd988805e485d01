// Accelerator table 3, menu-bar definition 112 and menu 112, in the record
// layouts of the handheld's resource compiler, so that the window manager
// reads them exactly as the shell library read the original resources.
#include "resource.h"
#include "script.h"
#include "variants.h"

namespace res {

// Four words a record: flags, key, command, 0. The "/" entry is a character
// key (no FVIRTKEY), so it matches the typed character rather than a key code.
const WORD kAccelerators[] = {
    FNOINVERT | FALT, u'/', IDM_ABOUT, 0,
    FVIRTKEY | FNOINVERT | FALT | FLASTACCEL, VK_F4, IDM_EXIT, 0,
};

// The play keys: an addition over the original input set, which has only the
// stylus, the bar and the two records above. Plain keys only (no record has
// FSHIFT, FCONTROL or FALT, and a virtual-key record fires only with exactly
// its modifiers), so Ctrl+A is not All. The digits are virtual keys: the top
// row gives them without Shift on every layout, AZERTY's included, and the
// keypad has keys of its own. The main loop translates these after table 3;
// a modal loop (a dialog, a menu) never sees them.
#define PLAY_KEY(key, command) FVIRTKEY | FNOINVERT, key, command, 0
const WORD kPlayKeys[] = {
    PLAY_KEY('1', IDM_START_PLAYER + 0), PLAY_KEY(VK_NUMPAD0 + 1, IDM_START_PLAYER + 0),
    PLAY_KEY('2', IDM_START_PLAYER + 1), PLAY_KEY(VK_NUMPAD0 + 2, IDM_START_PLAYER + 1),
    PLAY_KEY('3', IDM_START_PLAYER + 2), PLAY_KEY(VK_NUMPAD0 + 3, IDM_START_PLAYER + 2),
    PLAY_KEY('4', IDM_START_PLAYER + 3), PLAY_KEY(VK_NUMPAD0 + 4, IDM_START_PLAYER + 3),
    PLAY_KEY('5', IDM_START_PLAYER + 4), PLAY_KEY(VK_NUMPAD0 + 5, IDM_START_PLAYER + 4),
    PLAY_KEY('6', IDM_START_PLAYER + 5), PLAY_KEY(VK_NUMPAD0 + 6, IDM_START_PLAYER + 5),
    PLAY_KEY('7', IDM_START_PLAYER + 6), PLAY_KEY(VK_NUMPAD0 + 7, IDM_START_PLAYER + 6),
    PLAY_KEY('8', IDM_START_PLAYER + 7), PLAY_KEY(VK_NUMPAD0 + 8, IDM_START_PLAYER + 7),
    PLAY_KEY('N', IDM_NEW),
    PLAY_KEY('A', IDM_ALL),
    FVIRTKEY | FNOINVERT | FLASTACCEL, 'O', IDM_OPTION, 0,
};
#undef PLAY_KEY

// Header (menu 112, nine buttons), then seven words a button: image, command,
// state, style, label string, 0, entry of menu 112. Separators carry no
// command or label and belong to no menu entry.
#define TEXT_BUTTON(command, label, style, entry) \
    I_IMAGENONE, command, TBSTATE_ENABLED, style, label, 0, entry
#define SEPARATOR I_IMAGENONE, 0, TBSTATE_ENABLED, TBSTYLE_SEP, 0, 0, 0xFFFF

const WORD kMenuBar[] = {
    IDR_MENUBAR, 9,
    TEXT_BUTTON(IDM_NEW, IDS_NEW, TBSTYLE_AUTOSIZE, 0),
    SEPARATOR,
    TEXT_BUTTON(IDM_ALL, IDS_ALL, TBSTYLE_AUTOSIZE, 1),
    SEPARATOR,
    TEXT_BUTTON(IDM_OPTION, IDS_OPTION, TBSTYLE_AUTOSIZE, 2),
    SEPARATOR,
    TEXT_BUTTON(IDM_HELP, IDS_HELP, TBSTYLE_AUTOSIZE | TBSTYLE_DROPDOWN, 3),
    SEPARATOR,
    TEXT_BUTTON(IDM_EXIT, IDS_EXIT, TBSTYLE_AUTOSIZE, 4),
};

#undef TEXT_BUTTON
#undef SEPARATOR

// Five top-level entries, one per button, and the Help pop-up (variants.h).
const MENUITEMRECORD kMenu[] = {MENU_ITEMS(u"New", u"All", u"Option", u"Help", u"About..", u"Exit")};

// The icon group lists its images from the largest down.
const WORD kIconGroup[] = {IDI_TAVILO_32, IDI_TAVILO_16};

}  // namespace res
