// LoadBitmapW lives apart from the other bitmap calls so that a program
// that never loads a resource does not need a resource table to link.
#include "bmp.h"
#include "object.h"
#include "runtime/module.h"

namespace {

constexpr int kMaxBitmapSide = 16384;

}  // namespace

using namespace gdi;

HBITMAP LoadBitmapW(HINSTANCE /*instance*/, LPCWSTR name) {
    // Resources are numbered; the one module's table holds them all.
    if (!name || !IS_INTRESOURCE(name)) return nullptr;
    WORD id = WORD(reinterpret_cast<ULONG_PTR>(name));
    const RESOURCE_ENTRY* entry = rt::FindResourceEntry(WORD(2), id);  // RT_BITMAP
    if (!entry || !entry->data) return nullptr;
    DecodedImage image;
    if (!DecodeBmp(static_cast<const uint8_t*>(entry->data), entry->size, &image)) return nullptr;
    if (image.width > kMaxBitmapSide || image.height > kMaxBitmapSide) return nullptr;
    BitmapObject bitmap;
    bitmap.width = image.width;
    bitmap.height = image.height;
    bitmap.pixels = std::move(image.pixels);
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}
