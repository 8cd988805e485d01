// Pictures that are the contract: the title screen, a finished six-player
// game from a fixed clock, and the intro panel's first message, the credit.
// Outcome with TAVILO_UPDATE_GOLDEN=1 to write new references, then look at them.
#include <algorithm>
#include <cstdlib>

#include "gdi/png.h"
#include "harness.h"

namespace progtest {
namespace {

constexpr uint32_t FILL = 0xFFC825;     // 255, 200, 37
constexpr uint32_t SHADE70 = 0xB28B19;  // 178, 139, 25
constexpr uint32_t SHADE80 = 0xCCA01D;  // 204, 160, 29
constexpr uint32_t SHADE90 = 0xE5B321;  // 229, 179, 33
constexpr uint32_t FACE = 0xFFFFFF;

TEST(Golden, TitleScreen) { ExpectGolden(RunHeadless("shot title.png\n").Shot("title.png"), "title.png"); }

TEST(Golden, FinishedSixPlayerGame) {
    const Outcome r = RunHeadless(Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(5000) + "state\nshot done.png\n", "", 86400000);
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(r.states[0]["state"], 0);
    ExpectGolden(r.Shot("done.png"), "finished6.png");
}

// The panel with its edge; then, on the reference itself, the outlined text:
// a white face, a one-pixel rim of the darkest shade above it, a shadow
// reaching three pixels below it and palest there, centred in the panel.
TEST(Golden, IntroPanelWithTheCreditInOutlinedText) {
    const Image shot = RunHeadless(Cmd(IDM_NEW) + "shot panel.png\n").Shot("panel.png");
    const Box fill = ColourBox(shot, FILL);
    ExpectGolden(Crop(shot, {fill.left - 1, fill.top - 1, fill.right + 1, fill.bottom + 1}), "intro_panel.png");

    const Image golden = LoadPng(GOLDEN + "intro_panel.png");
    const Image panel = Crop(golden, {1, 1, golden.width - 1, golden.height - 1});
    const Box face = ColourBox(panel, FACE);
    ASSERT_FALSE(face.Empty()) << "no message drawn";
    for (int y = 0; y < panel.height; ++y) {
        for (int x = 0; x < panel.width; ++x) {
            const uint32_t p = Pixel(panel, x, y);
            ASSERT_TRUE(p == FILL || p == FACE || p == SHADE70 || p == SHADE80 || p == SHADE90) << x << "," << y;
            for (const int dy : {-1, 1}) {
                if (p == FACE) {
                    const uint32_t next = Pixel(panel, x, y + dy);
                    EXPECT_TRUE(next == FACE || next == SHADE70) << "next to the face at " << x << "," << y;
                }
            }
        }
    }
    auto inRow = [&](int y, uint32_t colour) {
        const auto row = panel.pixels.begin() + static_cast<long>(y) * panel.width;
        return static_cast<int>(std::count(row, row + panel.width, colour));
    };
    EXPECT_GT(inRow(face.top - 1, SHADE70), 0);
    EXPECT_EQ(inRow(face.top - 2, FILL), panel.width);
    EXPECT_GT(inRow(face.bottom + 2, SHADE90), 0);
    EXPECT_EQ(inRow(face.bottom + 2, SHADE70), 0);
    EXPECT_EQ(inRow(face.bottom + 3, FILL), panel.width);
    const Box text = DiffBox(panel, Image{panel.width, panel.height, std::vector<uint32_t>(panel.pixels.size(), FILL)});
    EXPECT_LE(std::abs(text.left - (panel.width - text.right)), 1) << "the message is not centred";
}

}  // namespace
}  // namespace progtest
