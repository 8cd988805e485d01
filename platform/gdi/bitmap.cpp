#include "bmp.h"
#include "object.h"
#include "runtime/module.h"

namespace {

// Larger bitmaps than this are refused rather than risk an allocation the
// size of a mistake: the device's screen is 240 x 320.
constexpr int kMaxBitmapSide = 16384;
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 26;

}  // namespace

using namespace gdi;

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    // Every surface here is 32-bit, whatever the DC holds: unlike Win32, a
    // bitmap made from a fresh memory DC is not monochrome.
    if (!Lookup<DcObject>(hdc)) return nullptr;
    if (width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        int64_t(width) * height > kMaxBitmapPixels) {
        return nullptr;
    }
    // A zero extent gives a 1 x 1 bitmap, as on Win32.
    if (width == 0 || height == 0) width = height = 1;
    BitmapObject bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(size_t(width) * size_t(height), 0);
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

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
