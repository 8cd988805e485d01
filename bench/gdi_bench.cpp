// The drawing layer's hot paths. Budgets on the development machine: the
// full-screen blit under 40 us, the keyed 16 x 16 blit under 1 us, the
// 50-point 3-pixel polyline under 20 us, 20 characters of text under 10 us.
// The 3x scale is what a host does for every presented frame.

#include <benchmark/benchmark.h>

#include <vector>

#include "screen.h"

namespace {

struct MemorySurface {
    MemorySurface(int width, int height) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, width, height);
        old = SelectObject(dc, bitmap);
    }
    ~MemorySurface() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

HDC WindowDc() {
    return gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, gdi::kScreenWidth, 294}));
}

void BM_BitBltFullWindow(benchmark::State& state) {
    MemorySurface title(240, 295);
    HDC screen = WindowDc();
    for (auto _ : state) {
        BitBlt(screen, 0, 0, 240, 294, title.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    gdi::ReleaseScreenDC(screen);
}
BENCHMARK(BM_BitBltFullWindow);

void BM_TransparentImage16(benchmark::State& state) {
    MemorySurface balls(128, 32);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    RECT all{0, 0, 128, 32};
    FillRect(balls.dc, &all, magenta);
    DeleteObject(magenta);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT disc{2, 2, 14, 14};
    FillRect(balls.dc, &disc, red);
    DeleteObject(red);
    HDC screen = WindowDc();
    for (auto _ : state) {
        TransparentImage(screen, 37, 26, 16, 16, balls.dc, 0, 0, 16, 16, RGB(255, 0, 255));
        benchmark::ClobberMemory();
    }
    gdi::ReleaseScreenDC(screen);
}
BENCHMARK(BM_TransparentImage16);

void BM_Polyline50Points3px(benchmark::State& state) {
    // A runner's trail: down a pole, across rungs, 50 points.
    std::vector<POINT> trail;
    int x = 44;
    int y = 42;
    for (int i = 0; i < 50; ++i) {
        trail.push_back({x, y});
        if (i % 3 == 1) {
            x += (i % 2) ? 30 : -30;
        } else {
            y += 15;
        }
        if (x < 14) x = 74;
        if (y > 280) y = 42;
    }
    HDC screen = WindowDc();
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(screen, pen);
    for (auto _ : state) {
        Polyline(screen, trail.data(), int(trail.size()));
        benchmark::ClobberMemory();
    }
    SelectObject(screen, old);
    DeleteObject(pen);
    gdi::ReleaseScreenDC(screen);
}
BENCHMARK(BM_Polyline50Points3px);

void BM_DrawText20Characters(benchmark::State& state) {
    HDC screen = WindowDc();
    SetBkMode(screen, TRANSPARENT);
    RECT rect{20, 100, 220, 120};
    for (auto _ : state) {
        RECT r = rect;
        DrawTextW(screen, u"Presented by MENKOR!", 20, &r, DT_SINGLELINE);
        benchmark::ClobberMemory();
    }
    gdi::ReleaseScreenDC(screen);
}
BENCHMARK(BM_DrawText20Characters);


}  // namespace
