#include "bmp.h"
#include "object.h"

namespace {

// Larger bitmaps than this are refused rather than risk an allocation the
// size of a mistake: the device's screen is 240 x 320.
constexpr int kMaxBitmapSide = 16384;
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 26;

}  // namespace

using namespace gdi;

namespace {

bool Acceptable(const DecodedImage& image) {
    return image.width > 0 && image.height > 0 && image.width <= kMaxBitmapSide && image.height <= kMaxBitmapSide &&
           int64_t(image.width) * image.height <= kMaxBitmapPixels &&
           image.pixels.size() == size_t(image.width) * size_t(image.height);
}

}  // namespace

HBITMAP gdi::CreateBitmapFromImage(DecodedImage image) {
    if (!Acceptable(image)) return nullptr;
    BitmapObject bitmap;
    bitmap.width = image.width;
    bitmap.height = image.height;
    bitmap.pixels = std::move(image.pixels);
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

HBITMAP gdi::CreateBitmapSharingImage(const DecodedImage& image) {
    if (!Acceptable(image)) return nullptr;
    BitmapObject bitmap;
    bitmap.width = image.width;
    bitmap.height = image.height;
    bitmap.shared = image.pixels.data();
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

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
