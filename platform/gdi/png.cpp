#include "png.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace gdi {

bool EncodePng(const uint32_t* xrgb, int width, int height, std::vector<uint8_t>* png) {
    constexpr int kMaxSide = 1 << 15;
    if (!xrgb || !png || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return false;
    }
    const size_t count = size_t(width) * size_t(height);
    std::vector<uint8_t> rgb(count * 3);
    for (size_t i = 0; i < count; ++i) {
        rgb[3 * i] = uint8_t(xrgb[i] >> 16);
        rgb[3 * i + 1] = uint8_t(xrgb[i] >> 8);
        rgb[3 * i + 2] = uint8_t(xrgb[i]);
    }
    png->clear();
    auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<uint8_t>*>(context);
        out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    };
    return stbi_write_png_to_func(append, png, width, height, 3, rgb.data(), width * 3) != 0;
}

bool WritePng(const char* path, const uint32_t* xrgb, int width, int height) {
    // The picture is made in memory and written here, so that every failure
    // of the write (a full disk, /dev/full, a closed pipe) is seen; the
    // library's own file writing does not check its writes.
    std::vector<uint8_t> png;
    if (!path || !EncodePng(xrgb, width, height, &png)) {
        return false;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    written = std::fflush(file) == 0 && written;
    return std::fclose(file) == 0 && written;
}

bool ReadPng(const char* path, std::vector<uint32_t>* xrgb, int* width, int* height) {
    if (!path || !xrgb || !width || !height) return false;
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* data = stbi_load(path, &w, &h, &channels, 3);
    if (!data) return false;
    xrgb->resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < xrgb->size(); ++i) {
        (*xrgb)[i] = (uint32_t(data[3 * i]) << 16) | (uint32_t(data[3 * i + 1]) << 8) | data[3 * i + 2];
    }
    stbi_image_free(data);
    *width = w;
    *height = h;
    return true;
}

}  // namespace gdi
