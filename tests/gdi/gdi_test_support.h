// Helpers shared by the drawing tests: memory canvases, screen set-up and
// comparison with the reference pictures in golden/.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "png.h"
#include "screen.h"
#include "surface.h"

namespace gdi_test {

// A memory DC with a bitmap of its own, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc_, width, height);
        old_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

    void Fill(COLORREF color) {
        HBRUSH brush = CreateSolidBrush(color);
        RECT all{0, 0, width_, height_};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    const uint32_t* pixels() const {
        gdi::SurfaceView view;
        gdi::GetDcSurface(dc_, &view);
        return view.pixels;
    }
    uint32_t At(int x, int y) const { return pixels()[y * width_ + x]; }
    std::vector<uint32_t> Copy() const { return std::vector<uint32_t>(pixels(), pixels() + width_ * height_); }

private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

inline uint32_t Px(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }

inline void FillDc(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// Paints the whole screen one colour through a screen DC and forgets the
// dirty rectangle, so that each test starts from a known screen.
inline void ClearScreen(COLORREF color) {
    HDC screen = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, gdi::kScreenWidth, gdi::kScreenHeight}));
    FillDc(screen, RECT{0, 0, gdi::kScreenWidth, gdi::kScreenHeight}, color);
    gdi::ReleaseScreenDC(screen);
    gdi::TakeScreenDirtyRect();
}

inline std::string OutputPath(const std::string& name) { return std::string(TAVILO_GDI_OUTPUT_DIR) + "/" + name; }

// Compares pixels with golden/<name>.png. With TAVILO_UPDATE_GOLDEN=1 set
// the reference is written instead. On a mismatch the actual picture is
// written beside the test binary as <name>.actual.png for a person to open.
inline ::testing::AssertionResult MatchesGolden(const std::string& name, const uint32_t* pixels, int width,
                                                int height) {
    std::string golden = std::string(TAVILO_GDI_GOLDEN_DIR) + "/" + name + ".png";
    const char* update = std::getenv("TAVILO_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        if (!gdi::WritePng(golden.c_str(), pixels, width, height)) {
            return ::testing::AssertionFailure() << "cannot write " << golden;
        }
        return ::testing::AssertionSuccess();
    }
    std::vector<uint32_t> expected;
    int w = 0;
    int h = 0;
    std::string actual = OutputPath(name + ".actual.png");
    if (!gdi::ReadPng(golden.c_str(), &expected, &w, &h)) {
        gdi::WritePng(actual.c_str(), pixels, width, height);
        return ::testing::AssertionFailure() << "no reference picture " << golden << " (actual: " << actual << ")";
    }
    if (w != width || h != height) {
        gdi::WritePng(actual.c_str(), pixels, width, height);
        return ::testing::AssertionFailure() << golden << " is " << w << "x" << h << ", drawn " << width << "x"
                                             << height;
    }
    int differences = 0;
    int firstX = -1;
    int firstY = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((pixels[y * width + x] & 0xFFFFFF) != expected[y * width + x]) {
                if (differences++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
        }
    }
    if (differences == 0) return ::testing::AssertionSuccess();
    gdi::WritePng(actual.c_str(), pixels, width, height);
    return ::testing::AssertionFailure() << differences << " pixels differ from " << golden << ", first at ("
                                         << firstX << ", " << firstY << "); actual picture: " << actual;
}

}  // namespace gdi_test
