// Helpers shared by the drawing tests: memory canvases, screen set-up and
// comparison with the reference pictures in golden/.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../golden.h"
#include "png.h"
#include "screen.h"
#include "surface.h"

namespace gdi_test {

// A rectangle's edges, for comparing whole rectangles in one expectation.
inline std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

inline void FillDc(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

inline void Stroke(HDC dc, const std::vector<POINT>& points, int width, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), int(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A memory DC with a bitmap of its own, filled with one colour.
struct Canvas {
    Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : width(w), height(h) {
        SelectObject(dc, bitmap);
        Fill(fill);
    }
    Canvas(const Canvas&) = delete;
    ~Canvas() {
        DeleteDC(dc);  // lets go of the bitmap, which is then free to delete
        DeleteObject(bitmap);
    }
    void Fill(COLORREF color) const { FillDc(dc, RECT{0, 0, width, height}, color); }
    const uint32_t* pixels() const {
        gdi::SurfaceView view;
        gdi::GetDcSurface(dc, &view);
        return view.pixels;
    }
    uint32_t At(int x, int y) const { return pixels()[y * width + x]; }
    // Every pixel that is not the given colour.
    std::set<std::pair<int, int>> Inked(uint32_t background = 0xFFFFFF) const {
        std::set<std::pair<int, int>> inked;
        for (int i = 0; i < width * height; ++i)
            if (pixels()[i] != background) inked.insert({i % width, i / width});
        return inked;
    }

    const int width, height;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
};

// Paints the whole screen black and forgets the dirty rectangle, so that
// each test starts from a known screen.
inline void ClearScreen() {
    HDC screen = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, gdi::kScreenWidth, gdi::kScreenHeight}));
    FillDc(screen, RECT{0, 0, gdi::kScreenWidth, gdi::kScreenHeight}, RGB(0, 0, 0));
    gdi::ReleaseScreenDC(screen);
    gdi::TakeScreenDirtyRect();
}

inline std::string OutputPath(const std::string& name) { return std::string(TAVILO_GDI_OUTPUT_DIR) + "/" + name; }

// Compares pixels with golden/<name>.png; a differing picture is written
// beside the test binary as <name>.actual.png.
inline ::testing::AssertionResult MatchesGolden(const std::string& name, const uint32_t* pixels, int width, int height) {
    return testgolden::MatchesGolden(std::string(TAVILO_GDI_GOLDEN_DIR) + "/" + name + ".png",
                                     OutputPath(name + ".actual.png"), pixels, width, height);
}

}  // namespace gdi_test
