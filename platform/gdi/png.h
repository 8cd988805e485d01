// PNG files of surfaces: screenshots for the headless host and reference
// pictures for the tests.
#pragma once

#include <cstdint>
#include <vector>

namespace gdi {

// Encodes 0x00RRGGBB pixels (width per row) as an 8-bit RGB PNG in memory.
// False on bad arguments.
bool EncodePng(const uint32_t* xrgb, int width, int height, std::vector<uint8_t>* png);

// Writes 0x00RRGGBB pixels (width per row) as an 8-bit RGB PNG.
bool WritePng(const char* path, const uint32_t* xrgb, int width, int height);

// Reads any PNG that stb_image understands into 0x00RRGGBB pixels; alpha is
// dropped. False when the file is missing or not a PNG.
bool ReadPng(const char* path, std::vector<uint32_t>* xrgb, int* width, int* height);

}  // namespace gdi
