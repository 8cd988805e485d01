// The size of the device screen, in pixels, portrait. Everything that knows
// the screen's size, the hosts included, takes it from here.
#pragma once

namespace gdi {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;

}  // namespace gdi
