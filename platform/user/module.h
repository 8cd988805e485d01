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
//
// An entry's language is 0 for the English resource, which every resource
// has unless the program falls back on a text of its own; a translated
// variant carries its language (runtime/language.h) and the same type and
// number. A lookup in a language finds its variant, else the English one.
#pragma once

#include "wintypes.h"

struct RESOURCE_ENTRY {
    WORD type;
    WORD id;
    const void* data;
    DWORD size;
    WORD language = 0;
};

extern const RESOURCE_ENTRY g_resourceTable[];
extern const DWORD g_resourceCount;

namespace user {

// The entry of that type and number in language, else the English one, or
// null. Inline so that a program's own tests can search its table without
// the window manager behind it.
inline const RESOURCE_ENTRY* FindResourceEntry(WORD type, WORD id, WORD language = 0) {
    const RESOURCE_ENTRY* english = nullptr;
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        const RESOURCE_ENTRY& entry = g_resourceTable[i];
        if (entry.type != type || entry.id != id) {
            continue;
        }
        if (entry.language == language) {
            return &entry;
        }
        if (entry.language == 0 && english == nullptr) {
            english = &entry;
        }
    }
    return english;
}

// The language the program's resources are looked up in: chosen once from
// the user's languages (sys::LanguageTags) at the first lookup, unless set
// before. A test may set it between runs of the program.
WORD ResourceLanguage();
void SetResourceLanguage(WORD language);

}  // namespace user
