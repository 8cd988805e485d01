// A sample scene drawn the way the game draws its board and intro panel:
// ladder tiles from FillRect, numbered balls, 3-pixel trails in the runner
// colours and the outlined intro text. It is written to the build directory
// as sample_scene.png for a person to look at, and compared with its
// reference. Also the PNG round trip and the hosts' scaling.

#include <gtest/gtest.h>

#include "gdi_test_support.h"
#include "scale.h"

namespace {

using gdi_test::FillDc;
using gdi_test::MatchesGolden;

const COLORREF kRunnerColors[8] = {0x0000FF, 0x0099FF, 0x00FFFF, 0x00CC33, 0xFFCC00, 0xFF0000, 0xFF00CC, 0xCCCCCC};

void Stroke(HDC dc, const std::vector<POINT>& points, int width, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), int(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

// The outlined text of the intro panel: shifted copies in darker shades
// under the face, each drawn with DT_SINGLELINE in transparent mode.
void DrawOutlineLayer(HDC dc, RECT rect, int depth, const char16_t* text, COLORREF color) {
    SetTextColor(dc, color);
    std::vector<int> shifts = {0, -depth, depth};
    if (depth >= 2) shifts.insert(shifts.end(), {-1, 1});
    if (depth == 3) shifts.insert(shifts.end(), {-2, 2});
    for (int dx : shifts) {
        RECT r{rect.left + dx, rect.top + depth, rect.right + dx, rect.bottom + depth};
        DrawTextW(dc, text, -1, &r, DT_SINGLELINE);
    }
}

void DrawOutlinedText(HDC dc, int width, int height, const char16_t* text, COLORREF face) {
    SIZE size{};
    GetTextExtentExPointW(dc, text, int(wcslen(text)), 0, nullptr, nullptr, &size);
    RECT r{(width - size.cx) / 2, (height - size.cy) / 2, 0, 0};
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    SetBkMode(dc, TRANSPARENT);
    DrawOutlineLayer(dc, r, 3, text, 0x21B3E5);
    DrawOutlineLayer(dc, r, 2, text, 0x1DA0CC);
    DrawOutlineLayer(dc, r, 1, text, 0x198BB2);
    DrawOutlineLayer(dc, r, -1, text, 0x198BB2);
    SetTextColor(dc, face);
    DrawTextW(dc, text, -1, &r, DT_SINGLELINE);
}

TEST(Scene, SampleBoardWithTrailsAndIntroPanel) {
    gdi_test::ClearScreen(RGB(0, 0, 0));
    HDC dc = gdi::CreateScreenDC(POINT{0, 0}, gdi::Region(RECT{0, 0, 240, 294}));
    FillDc(dc, RECT{0, 0, 240, 294}, RGB(250, 240, 200));
    FillDc(dc, RECT{0, 294, 240, 320}, RGB(220, 220, 220));  // where the menu bar goes; clipped away

    // Six poles 30 pixels apart with 5-pixel bars, rungs at fixed rows.
    const int originX = 40;
    const int originY = 35;
    const int rows = 14;
    const int rungs[][2] = {{0, 2}, {1, 5}, {2, 3}, {3, 8}, {4, 4}, {0, 9}, {2, 11}, {1, 12}, {3, 1}, {4, 10}};
    for (int i = 0; i < 6; ++i) {
        int x = originX + 30 * i;
        FillDc(dc, RECT{x + 2, originY, x + 7, originY + rows * 15}, RGB(0, 0, 0));
        FillDc(dc, RECT{x + 2, originY, x + 7, originY + 6}, RGB(255, 220, 0));
        FillDc(dc, RECT{x + 2, originY + rows * 15 - 6, x + 7, originY + rows * 15}, RGB(40, 80, 255));
    }
    for (auto [pole, row] : rungs) {
        int x = originX + 30 * pole;
        int y = originY + 15 * row;
        FillDc(dc, RECT{x + 7, y + 5, x + 32, y + 10}, RGB(0, 0, 0));
        FillDc(dc, RECT{x + 3, y + 6, x + 6, y + 9}, RGB(255, 255, 255));
        FillDc(dc, RECT{x + 33, y + 6, x + 36, y + 9}, RGB(255, 255, 255));
    }

    // Numbered balls above the poles: a black disc, the colour inside, the digit.
    for (int i = 0; i < 6; ++i) {
        POINT centre{originX + 30 * i - 3 + 7, originY - 9 + 7};
        Stroke(dc, {centre, centre}, 15, RGB(0, 0, 0));
        Stroke(dc, {centre, centre}, 13, kRunnerColors[i]);
        char16_t digit[2] = {char16_t(u'1' + i), 0};
        RECT cell{centre.x - 7, centre.y - 7, centre.x + 8, centre.y + 8};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextW(dc, digit, -1, &cell, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }

    // Trails along the pole and rung centres (offsets 4 and 7), turning at
    // every rung, as the runners of 1, 3 and 6 leave them.
    auto trail = [&](int pole, int rowsDown) {
        std::vector<POINT> points;
        int x = originX + 30 * pole + 4;
        points.push_back({x, originY + 7});
        for (int row = 0; row < rowsDown; ++row) {
            int y = originY + 15 * row + 7;
            for (auto [p, r] : rungs) {
                if (r != row) continue;
                if (originX + 30 * p + 4 == x) {
                    points.push_back({x, y});
                    x += 30;
                    points.push_back({x, y});
                    break;
                }
                if (originX + 30 * (p + 1) + 4 == x) {
                    points.push_back({x, y});
                    x -= 30;
                    points.push_back({x, y});
                    break;
                }
            }
        }
        points.push_back({x, originY + 15 * rowsDown + 7});
        return points;
    };
    Stroke(dc, trail(0, 14), 3, kRunnerColors[0]);
    Stroke(dc, trail(2, 9), 3, kRunnerColors[2]);
    Stroke(dc, trail(5, 13), 3, kRunnerColors[5]);
    // A diagonal scribble in the bottom band with the default pen.
    POINT scribble[] = {{20, 250}, {60, 270}, {90, 255}, {130, 285}};
    Polyline(dc, scribble, 4);
    gdi::ReleaseScreenDC(dc);

    // The intro panel: a window of its own over the middle of the board.
    HDC panel = gdi::CreateScreenDC(POINT{28, 60}, gdi::Region(RECT{28, 60, 209, 130}));
    FillDc(panel, RECT{0, 0, 181, 70}, 0x25C8FF);
    DrawOutlinedText(panel, 181, 70, u"Good Luck!", RGB(255, 255, 255));
    gdi::ReleaseScreenDC(panel);

    const uint32_t* screen = gdi::ScreenPixels();
    std::string path = gdi_test::OutputPath("sample_scene.png");
    EXPECT_TRUE(gdi::WritePng(path.c_str(), screen, gdi::kScreenWidth, gdi::kScreenHeight)) << path;
    EXPECT_TRUE(MatchesGolden("sample_scene", screen, gdi::kScreenWidth, gdi::kScreenHeight));
    // The menu-bar rows were outside the window's clip.
    EXPECT_EQ(screen[300 * gdi::kScreenWidth + 5], 0u);
}

TEST(Png, RoundTripKeepsEveryPixel) {
    std::vector<uint32_t> pixels(37 * 11);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    std::string path = gdi_test::OutputPath("round_trip.png");
    ASSERT_TRUE(gdi::WritePng(path.c_str(), pixels.data(), 37, 11));
    std::vector<uint32_t> back;
    int w = 0, h = 0;
    ASSERT_TRUE(gdi::ReadPng(path.c_str(), &back, &w, &h));
    EXPECT_EQ(w, 37);
    EXPECT_EQ(h, 11);
    EXPECT_EQ(back, pixels);
    EXPECT_FALSE(gdi::ReadPng(gdi_test::OutputPath("no_such_file.png").c_str(), &back, &w, &h));
    EXPECT_FALSE(gdi::WritePng(path.c_str(), pixels.data(), 0, 11));
}

TEST(Scale, EachPixelBecomesASquare) {
    const uint32_t src[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
    std::vector<uint32_t> dst(9 * 6, 0xDEAD);
    gdi::ScaleNearest(src, 3, 2, 3, dst.data());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(dst[y * 9 + x], src[(y / 3) * 3 + x / 3]) << x << "," << y;
    std::vector<uint32_t> same(6);
    gdi::ScaleNearest(src, 3, 2, 1, same.data());
    EXPECT_EQ(same, std::vector<uint32_t>(src, src + 6));
}

}  // namespace
