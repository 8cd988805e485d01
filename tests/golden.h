// Pictures compared with their references: PNG files in a folder of the
// tests. TAVILO_UPDATE_GOLDEN=1 writes each reference afresh first (and so
// checks that it reads back). A picture that differs is written to `actual`
// for a person to open.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gdi/png.h"

namespace testgolden {

// pixels are 0x00RRGGBB (the top byte is ignored), top row first.
inline ::testing::AssertionResult MatchesGolden(const std::string& golden, const std::string& actual,
                                                const uint32_t* pixels, int width, int height) {
    const char* update = std::getenv("TAVILO_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") gdi::WritePng(golden.c_str(), pixels, width, height);
    std::vector<uint32_t> expected;
    int w = 0, h = 0, differences = 0;
    const bool read = gdi::ReadPng(golden.c_str(), &expected, &w, &h) && w == width && h == height;
    for (int i = 0; read && i < width * height; ++i) differences += (pixels[i] & 0xFFFFFF) != expected[size_t(i)];
    if (read && differences == 0) return ::testing::AssertionSuccess();
    gdi::WritePng(actual.c_str(), pixels, width, height);
    return ::testing::AssertionFailure() << (read ? std::to_string(differences) + " pixels differ from "
                                                  : "unreadable or not " + std::to_string(width) + "x" +
                                                        std::to_string(height) + ": ")
                                         << golden << "; the picture taken is " << actual;
}

}  // namespace testgolden
