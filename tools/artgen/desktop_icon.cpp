// The program's icon for desktops, at any size: the same picture as the
// 32-pixel icon the game carries (a scorched page, three poles with rungs,
// red's way down and three balls), but drawn from shapes laid out on that
// icon's 32-unit grid. Where a size is a multiple of 32 every edge falls on
// a pixel boundary and comes out sharp; other sizes get anti-aliased edges.
// At 16 and 32 pixels the hand-placed game icons are used as they are.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace art {

namespace {

constexpr uint32_t kPage = 0xFFF8D2;
constexpr uint32_t kPole = 0x2A1A10;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

struct Box {
    double x0, y0, x1, y1;
    bool Contains(double u, double v) const { return u >= x0 && u < x1 && v >= y0 && v < y1; }
};

// The layout, in units of the 32-pixel icon.
constexpr double kPoleX[3] = {7, 15, 23};
const Box kRungs[3] = {{9, 14, 15, 16}, {17, 18, 23, 20}, {9, 22, 15, 24}};
const Box kRedWay[5] = {{7, 10, 9, 15}, {7, 14, 17, 16}, {15, 14, 17, 20}, {15, 18, 25, 20}, {23, 18, 25, 27}};

uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// The colour of the point (u, v) of the 32-unit square, with its coverage.
Rgba Sample(double u, double v) {
    // A page inset one unit, with rounded corners.
    const double inset = 1.0, radius = 2.5;
    const double cx = std::clamp(u, inset + radius, 32 - inset - radius);
    const double cy = std::clamp(v, inset + radius, 32 - inset - radius);
    const double edge = radius - std::hypot(u - cx, v - cy);
    if (edge < 0) return {};
    // Scorched at the rim, fading into the page over two units.
    uint32_t c = edge < 0.9 ? 0x8C4A1C : edge < 2.2 ? Mix(0xC87832, 0xF0C070, (edge - 0.9) / 1.3)
                                                    : Mix(0xF0C070, kPage, std::min(1.0, (edge - 2.2) / 1.2));
    for (double x : kPoleX) {
        if (Box{x, 10, x + 2, 27}.Contains(u, v)) c = kPole;
    }
    for (const Box& r : kRungs) {
        if (r.Contains(u, v)) c = kPole;
    }
    for (const Box& r : kRedWay) {
        if (r.Contains(u, v)) c = kRunnerColours[0];
    }
    const uint32_t ballColours[3] = {kRunnerColours[0], kRunnerColours[2], kRunnerColours[5]};
    for (int p = 0; p < 3; ++p) {
        const double bx = kPoleX[p] + 1, by = 7.0;
        const double d = std::hypot(u - bx, v - by);
        if (d < 3.5) {
            c = d > 2.75 ? kBlack : ballColours[p];
            if (std::hypot(u - (bx - 1.1), v - (by - 1.1)) < 0.9) c = Mix(ballColours[p], kWhite, 0.6);
        }
    }
    return {double(Channel(c, 16)), double(Channel(c, 8)), double(Channel(c, 0)), 1.0};
}

}  // namespace

std::vector<uint8_t> DesktopIconPng(int size) {
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    if (size == 16 || size == 32) {
        const Image icon = DrawIcon(size);
        for (size_t i = 0; i < icon.pixels.size(); ++i) {
            const uint32_t c = icon.pixels[i];
            rgba[i * 4 + 0] = uint8_t(Channel(c, 16));
            rgba[i * 4 + 1] = uint8_t(Channel(c, 8));
            rgba[i * 4 + 2] = uint8_t(Channel(c, 0));
            rgba[i * 4 + 3] = c == kMagenta ? 0 : 255;
        }
    } else {
        const double unit = 32.0 / size;
        const int n = 8;  // samples per pixel along each axis
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                Rgba sum;
                for (int sy = 0; sy < n; ++sy) {
                    for (int sx = 0; sx < n; ++sx) {
                        const Rgba s = Sample((x + (sx + 0.5) / n) * unit, (y + (sy + 0.5) / n) * unit);
                        sum.r += s.r * s.a;
                        sum.g += s.g * s.a;
                        sum.b += s.b * s.a;
                        sum.a += s.a;
                    }
                }
                uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
                if (sum.a > 0) {
                    p[0] = uint8_t(std::lround(sum.r / sum.a));
                    p[1] = uint8_t(std::lround(sum.g / sum.a));
                    p[2] = uint8_t(std::lround(sum.b / sum.a));
                }
                p[3] = uint8_t(std::lround(255.0 * sum.a / (n * n)));
            }
        }
    }
    return EncodePngRgba(size, size, rgba);
}

}  // namespace art
