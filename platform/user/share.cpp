#include "share.h"

#include <cstdio>

#include "gdi/png.h"
#include "runtime/system.h"
#include "windows.h"

namespace share {

void BoardPicture(const uint32_t* screen, std::vector<uint32_t>* picture) {
    picture->resize(size_t(kPictureWidth) * kPictureHeight);
    uint32_t* to = picture->data();
    for (int y = 0; y < kPictureHeight; ++y) {
        const uint32_t* from = screen + size_t(y / kPictureScale) * gdi::kScreenWidth;
        for (int x = 0; x < kPictureWidth; ++x) {
            *to++ = from[x / kPictureScale];
        }
    }
}

bool BoardPicturePng(const uint32_t* screen, std::vector<uint8_t>* png) {
    // Scaled first and then encoded: the PNG filters find the repeated rows,
    // so a finished board takes well under twice the bytes of the unscaled
    // picture (about 80 KB).
    std::vector<uint32_t> picture;
    BoardPicture(screen, &picture);
    return gdi::EncodePng(picture.data(), kPictureWidth, kPictureHeight, png);
}

std::string PictureFileName(const std::tm& local) {
    char name[64];
    std::snprintf(name, sizeof name, "Tavilo %04d-%02d-%02d %02d-%02d-%02d.png", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name;
}

uint32_t SaveNewFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes,
                     std::string* taken, std::string* reason) {
    // A folder with thousands of pictures of one second is not a folder
    // this should go on filling.
    constexpr int kMaxNumber = 999;
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    for (int number = 1; number <= kMaxNumber; ++number) {
        std::string candidate = number == 1 ? name : stem + " (" + std::to_string(number) + ")" + ext;
        uint32_t status = sys::WriteNewFile(folder, candidate, bytes, reason);
        if (status != ERROR_FILE_EXISTS) {
            if (status == ERROR_SUCCESS) {
                *taken = candidate;
            }
            return status;
        }
    }
    *reason = "every name from \"" + name + "\" to \"" + stem + " (" + std::to_string(kMaxNumber) + ")" + ext +
              "\" is taken in " + folder;
    return ERROR_FILE_EXISTS;
}

uint32_t SaveBoardPicture(const uint32_t* screen, const std::string& folder, std::string* name,
                          std::string* reason) {
    std::vector<uint8_t> png;
    if (!BoardPicturePng(screen, &png)) {
        *reason = "not enough memory for the picture";
        return ERROR_OUTOFMEMORY;
    }
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return SaveNewFile(folder, local != nullptr ? PictureFileName(*local) : std::string("Tavilo.png"), png, name,
                       reason);
}

}  // namespace share
