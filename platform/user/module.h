// The program's resources, as one table that the program linked with the
// window manager defines (resources/ for the game, the demonstration
// program's own table in tests/). FindResourceW, LoadStringW, LoadIconW,
// LoadBitmapW and the menu-bar and accelerator loaders all look resources up
// here; the layers below the window manager never need the table.
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

#include "wintypes.h"

struct RESOURCE_ENTRY {
    WORD type;
    WORD id;
    const void* data;
    DWORD size;
};

extern const RESOURCE_ENTRY g_resourceTable[];
extern const DWORD g_resourceCount;

namespace user {

// The entry of that type and number, or null. Inline so that a program's
// own tests can search its table without the window manager behind it.
inline const RESOURCE_ENTRY* FindResourceEntry(WORD type, WORD id) {
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        if (g_resourceTable[i].type == type && g_resourceTable[i].id == id) {
            return &g_resourceTable[i];
        }
    }
    return nullptr;
}

}  // namespace user
