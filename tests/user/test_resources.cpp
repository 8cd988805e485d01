// The resource table of the window-manager tests: a few strings and the
// game's accelerator records.
#include "runtime/module.h"
#include "windows.h"

namespace {

const WCHAR kHello[] = u"Hello, window";
const WCHAR kTitle[] = u"Tavilo";
const WORD kAccelerators[] = {
    FALT | FNOINVERT, u'/', 40003, 0,
    FVIRTKEY | FALT | FNOINVERT | FLASTACCEL, VK_F4, 40002, 0,
};
const WORD kIconGroup[] = {130};

}  // namespace

const RESOURCE_ENTRY g_resourceTable[] = {
    {6, 1, kTitle, sizeof kTitle / sizeof kTitle[0] - 1},
    {6, 7, kHello, sizeof kHello / sizeof kHello[0] - 1},
    {9, 3, kAccelerators, sizeof kAccelerators},
    {14, 128, kIconGroup, 1},
};
const DWORD g_resourceCount = sizeof g_resourceTable / sizeof g_resourceTable[0];
