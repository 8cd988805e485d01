// The demonstration program's own resources: its names and the game's two
// accelerator records.
#include "demo_dialogs.h"
#include "user/module.h"
#include "windows.h"

namespace {

const WCHAR kTitle[] = u"Tavilo Demo";
const WCHAR kClass[] = u"TAVILODEMO";

// Alt+"/" (a character key) and Alt+F4 (a virtual key), as the game has them.
const WORD kAccelerators[] = {
    FALT | FNOINVERT, u'/', 40003, 0,
    FVIRTKEY | FALT | FNOINVERT | FLASTACCEL, VK_F4, 40002, 0,
};

}  // namespace

const RESOURCE_ENTRY g_resourceTable[] = {
    {6, 1, kTitle, sizeof kTitle / sizeof kTitle[0] - 1},
    {6, 3, kClass, sizeof kClass / sizeof kClass[0] - 1},
    {9, 3, kAccelerators, sizeof kAccelerators},
    DEMO_DIALOG_RESOURCES,
};
const DWORD g_resourceCount = sizeof g_resourceTable / sizeof g_resourceTable[0];
