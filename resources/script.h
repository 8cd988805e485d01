// The pieces of the resource script, defined in menus.cpp and dialogs.cpp,
// and gathered with the strings and the embedded bitmap files into
// g_resourceTable by table.cpp. Nothing outside resources/ includes this:
// the program finds every resource through the table.
#pragma once

#include <windows.h>

namespace res {

// The bounds are part of the declarations so that table.cpp can take each
// size with sizeof and the whole table stays constant-initialised: nothing
// in it waits for dynamic initialisation of another file.
extern const WORD kAccelerators[2 * 4];
extern const WORD kPlayKeys[19 * 4];
extern const WORD kMenuBar[2 + 9 * 7];
extern const MENUITEMRECORD kMenu[6];
extern const WORD kIconGroup[2];

extern const DLGTEMPLATEW kAboutDialog;
extern const DLGTEMPLATEW kOptionDialog;
extern const DLGTEMPLATEW kIntroDialog;

}  // namespace res
