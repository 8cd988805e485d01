// Resources by number from the program's resource table: strings, icons,
// bitmaps, and the raw lookup that dialogs build on.
#include <cstring>
#include <map>
#include <vector>

#include "gdi/bmp.h"
#include "module.h"
#include "runtime/language.h"
#include "runtime/system.h"
#include "user_internal.h"

namespace {

WORD TypeOf(LPCWSTR type) { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(type)); }

bool IsTableEntry(const void* p) {
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        if (&g_resourceTable[i] == p) {
            return true;
        }
    }
    return false;
}

const RESOURCE_ENTRY* EntryFromHandle(HRSRC resource) {
    return IsTableEntry(resource) ? reinterpret_cast<const RESOURCE_ENTRY*>(resource) : nullptr;
}

}  // namespace

namespace user {

namespace {

bool g_languageChosen = false;
WORD g_language = 0;

}  // namespace

WORD ResourceLanguage() {
    if (!g_languageChosen) {
        g_language = rt::ChooseLanguage(sys::LanguageTags());
        g_languageChosen = true;
    }
    return g_language;
}

void SetResourceLanguage(WORD language) {
    g_language = language;
    g_languageChosen = true;
}

void ResetResourceLanguage() { g_languageChosen = false; }

void ShowClassIcon(HICON icon) {
    // The group's first (largest) picture becomes the desktop window's icon.
    auto* group = reinterpret_cast<const RESOURCE_ENTRY*>(icon);
    if (!IsTableEntry(group) || group->type != TypeOf(RT_GROUP_ICON) || group->size == 0) {
        return;
    }
    WORD first = static_cast<const WORD*>(group->data)[0];
    const RESOURCE_ENTRY* picture = user::FindResourceEntry(TypeOf(RT_ICON), first);
    if (picture == nullptr) {
        return;
    }
    // The icon's pictures are plain BMP files in which magenta marks the
    // transparent pixels; the mask says which pixels the icon covers.
    gdi::DecodedImage image;
    if (!gdi::DecodeBmp(static_cast<const uint8_t*>(picture->data), picture->size, &image)) {
        return;
    }
    std::vector<uint8_t> mask(image.pixels.size());
    for (size_t i = 0; i < mask.size(); ++i) {
        mask[i] = image.pixels[i] == 0xFF00FF ? 0 : 1;
    }
    host::SetIcon(image.pixels.data(), mask.data(), image.width, image.height);
}

}  // namespace user

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type) {
    if (!IS_INTRESOURCE(name) || !IS_INTRESOURCE(type)) {
        return nullptr;  // the program names every resource by number
    }
    const RESOURCE_ENTRY* entry = user::FindResourceEntry(TypeOf(type), TypeOf(name), user::ResourceLanguage());
    return reinterpret_cast<HRSRC>(const_cast<RESOURCE_ENTRY*>(entry));
}

// The resource's data itself, so that (LPCDLGTEMPLATEW)LoadResource(...)
// gives the template.
HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    const RESOURCE_ENTRY* entry = EntryFromHandle(resource);
    return entry != nullptr ? const_cast<void*>(entry->data) : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    const RESOURCE_ENTRY* entry = EntryFromHandle(resource);
    return entry != nullptr ? entry->size : 0;
}

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int bufferMax) {
    if (buffer == nullptr || id > 0xFFFF) {
        return 0;
    }
    const RESOURCE_ENTRY* entry = user::FindResourceEntry(TypeOf(RT_STRING), static_cast<WORD>(id), user::ResourceLanguage());
    if (entry == nullptr || entry->data == nullptr) {
        if (bufferMax > 0) buffer[0] = 0;
        return 0;
    }
    auto* text = static_cast<const WCHAR*>(entry->data);
    int length = static_cast<int>(entry->size);
    if (bufferMax == 0) {
        // Win32: the buffer receives a read-only pointer to the string itself.
        std::memcpy(buffer, &text, sizeof(text));
        return length;
    }
    if (bufferMax < 0) {
        return 0;
    }
    int n = length < bufferMax - 1 ? length : bufferMax - 1;
    for (int i = 0; i < n; ++i) {
        buffer[i] = text[i];
    }
    buffer[n] = 0;
    return n;
}

HICON LoadIconW(HINSTANCE, LPCWSTR name) {
    if (!IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const RESOURCE_ENTRY* entry = user::FindResourceEntry(TypeOf(RT_GROUP_ICON), TypeOf(name));
    return reinterpret_cast<HICON>(const_cast<RESOURCE_ENTRY*>(entry));
}

// The program loads the same few pictures again for every paint and every
// tick, so each bitmap resource is decoded once and kept for the whole run.
// Every LoadBitmapW still makes a bitmap of its own, which the caller owns
// and deletes; it shares the decoded pixels until it is drawn into.
HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR name) {
    if (!IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const RESOURCE_ENTRY* entry = user::FindResourceEntry(TypeOf(RT_BITMAP), TypeOf(name));
    if (entry == nullptr || entry->data == nullptr) {
        return nullptr;
    }
    static std::map<const RESOURCE_ENTRY*, gdi::DecodedImage> decoded;
    auto found = decoded.find(entry);
    if (found == decoded.end()) {
        gdi::DecodedImage image;
        if (!gdi::DecodeBmp(static_cast<const uint8_t*>(entry->data), entry->size, &image)) {
            return nullptr;
        }
        found = decoded.emplace(entry, std::move(image)).first;
    }
    return gdi::CreateBitmapSharingImage(found->second);
}
