// Resources by number from the program's resource table: strings, icons,
// and the raw lookup that dialogs and bitmaps build on.
#include <cstring>
#include <vector>

#include "runtime/module.h"
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

uint32_t ReadLe(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// Decodes an uncompressed 8-, 24- or 32-bit BMP of the icon into pixels and
// a mask (magenta is transparent). Returns false for anything else.
bool DecodeIconBmp(const uint8_t* data, DWORD size, std::vector<uint32_t>* pixels, std::vector<uint8_t>* mask,
                   int* width, int* height) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    uint32_t offset = ReadLe(data + 10, 4);
    uint32_t headerSize = ReadLe(data + 14, 4);
    int w = static_cast<int32_t>(ReadLe(data + 18, 4));
    int h = static_cast<int32_t>(ReadLe(data + 22, 4));
    int bits = static_cast<int>(ReadLe(data + 28, 2));
    uint32_t compression = ReadLe(data + 30, 4);
    bool topDown = h < 0;
    if (h < 0) h = -h;
    if (w <= 0 || h <= 0 || w > 256 || h > 256 || (compression != 0 && compression != 3)) {
        return false;
    }
    if (bits != 8 && bits != 24 && bits != 32) {
        return false;
    }
    size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    if (offset + stride * h > size) {
        return false;
    }
    const uint8_t* palette = data + 14 + headerSize;
    pixels->assign(static_cast<size_t>(w) * h, 0);
    mask->assign(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = data + offset + stride * (topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            uint32_t b, g, r;
            if (bits == 8) {
                const uint8_t* c = palette + 4 * row[x];
                if (c + 3 > data + size) return false;
                b = c[0]; g = c[1]; r = c[2];
            } else {
                const uint8_t* c = row + x * (bits / 8);
                b = c[0]; g = c[1]; r = c[2];
            }
            uint32_t rgb = (r << 16) | (g << 8) | b;
            (*pixels)[static_cast<size_t>(y) * w + x] = rgb;
            (*mask)[static_cast<size_t>(y) * w + x] = rgb == 0xFF00FF ? 0 : 1;
        }
    }
    *width = w;
    *height = h;
    return true;
}

}  // namespace

namespace user {

void ShowClassIcon(HICON icon) {
    // The group's first (largest) picture becomes the desktop window's icon.
    auto* group = reinterpret_cast<const RESOURCE_ENTRY*>(icon);
    if (!IsTableEntry(group) || group->type != TypeOf(RT_GROUP_ICON) || group->size == 0) {
        return;
    }
    WORD first = static_cast<const WORD*>(group->data)[0];
    const RESOURCE_ENTRY* picture = rt::FindResourceEntry(TypeOf(RT_ICON), first);
    if (picture == nullptr) {
        return;
    }
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> mask;
    int w = 0;
    int h = 0;
    if (DecodeIconBmp(static_cast<const uint8_t*>(picture->data), picture->size, &pixels, &mask, &w, &h)) {
        host::SetIcon(pixels.data(), mask.data(), w, h);
    }
}

}  // namespace user

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type) {
    if (!IS_INTRESOURCE(name) || !IS_INTRESOURCE(type)) {
        return nullptr;  // the program names every resource by number
    }
    const RESOURCE_ENTRY* entry = rt::FindResourceEntry(TypeOf(type), TypeOf(name));
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
    const RESOURCE_ENTRY* entry = rt::FindResourceEntry(TypeOf(RT_STRING), static_cast<WORD>(id));
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
    const RESOURCE_ENTRY* entry = rt::FindResourceEntry(TypeOf(RT_GROUP_ICON), TypeOf(name));
    return reinterpret_cast<HICON>(const_cast<RESOURCE_ENTRY*>(entry));
}
