// Whole-number nearest-neighbour scaling of the screen for the hosts.
#pragma once

#include <cstdint>

namespace gdi {

// dst receives width * scale by height * scale pixels, row after row; each
// source pixel becomes a scale x scale square. scale < 1 does nothing.
void ScaleNearest(const uint32_t* src, int width, int height, int scale, uint32_t* dst);

}  // namespace gdi
