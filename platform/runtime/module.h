// The program's resources, as one table that the program linked with the
// platform defines (resources/ for the game, the demonstration program's own
// table in tests/). FindResourceW, LoadStringW, LoadIconW, LoadBitmapW and
// the menu-bar and accelerator loaders all look resources up here.
//
// What data points at, by type:
//   RT_BITMAP       the bytes of a BMP file; size in bytes
//   RT_ICON         the bytes of a BMP file, magenta (0xFF00FF) transparent
//   RT_GROUP_ICON   const WORD[]: the RT_ICON numbers of the group; size = count
//   RT_STRING       const WCHAR*, null-terminated; size = length in units
//   RT_DIALOG       const DLGTEMPLATEW*; size = sizeof(DLGTEMPLATEW)
//   RT_MENU         const MENUITEMRECORD[]; size = count
//   RT_RCDATA       menu-bar definition: const WORD[]; size in bytes
//   RT_ACCELERATOR  const WORD[] of 4-word records; size in bytes
#pragma once

#include "../include/wintypes.h"

struct RESOURCE_ENTRY {
    WORD type;
    WORD id;
    const void* data;
    DWORD size;
};

extern const RESOURCE_ENTRY g_resourceTable[];
extern const DWORD g_resourceCount;

namespace rt {

// The entry of that type and number, or null.
const RESOURCE_ENTRY* FindResourceEntry(WORD type, WORD id);

}  // namespace rt
