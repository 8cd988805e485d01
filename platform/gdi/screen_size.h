// The size of the device screen, in pixels, portrait. Everything that knows
// the screen's size, the hosts included, takes it from here.
#pragma once

namespace gdi {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
// The menu bar fills the bottom rows across the full width; the windows of
// the program live above it.
constexpr int kMenuBarHeight = 26;

}  // namespace gdi
