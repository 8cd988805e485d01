// artgen: draws the program's bitmaps and writes them as the BMP files that
// resources/ embeds, plus a contact sheet PNG for looking at them together.
//
//   artgen OUTPUT_DIR [--sheet SHEET.png] [--icons ICON_DIR] [--web PAGE_DIR]
//          [--ico FILE.ico]
//
// With --icons it also writes the desktop icon in the hicolor theme's sizes,
// as ICON_DIR/SIZExSIZE/example.menkor.Tavilo.png; with --web the web page's
// icons PAGE_DIR/icon-32.png, icon-192.png and icon-512.png; with --ico the
// Windows icon of tavilo.exe (the 256 and 48 pixel desktop icons and the
// game's 32 and 16 pixel icons). Folders are made as needed.
//
// Every file it writes is committed, and a test checks that the committed
// files are its output: a change to the artwork is a change to the drawing
// here, never to the files alone.
#include <cstdio>
#include <cstring>
#include <string>

#include "art.h"

namespace {

using art::Image;

// A finished six-player board over the title page, as the board view paints
// it, to judge the sprites where they will be seen.
Image BoardPreview(const Image& title, const Image& tiles, const Image& balls, const Image& hands) {
    Image img(240, 320, art::kWhite);
    img.Paste(title, 0, 0);
    img.FillRect(0, 294, 240, 26, 0xE8E8E8);
    const int players = 6, rows = 14, x0 = 40, y0 = 35;
    // Rungs: (row, left pole).
    const int rungs[][2] = {{2, 0}, {5, 0}, {9, 0}, {1, 1}, {4, 1}, {7, 1}, {11, 1}, {3, 2}, {6, 2},
                            {10, 2}, {2, 3}, {5, 3}, {8, 3}, {12, 3}, {4, 4}, {9, 4}, {11, 4}};
    for (int p = 0; p < players; ++p) {
        for (int r = 0; r < rows; ++r) {
            int tile = r == 0 ? 0 : r == rows - 1 ? 10 : 20;
            for (const auto& g : rungs) {
                if (g[0] == r && g[1] == p) tile = 30;
                if (g[0] == r && g[1] == p - 1) tile = 50;
            }
            img.Paste(tiles.Crop(tile, 0, 10, 15), x0 + 30 * p, y0 + 15 * r, art::kMagenta);
        }
    }
    for (const auto& g : rungs) {
        for (int j = 1; j <= 2; ++j) img.Paste(tiles.Crop(40, 0, 10, 15), x0 + 30 * g[1] + 10 * j, y0 + 15 * g[0], art::kMagenta);
    }
    // Runner 2's trail, then the balls and a hand over pole 4.
    int pole = 2, px = x0 + 64, py = y0 + 7;
    auto seg = [&](int x1, int y1) {
        img.FillRect(std::min(px, x1) - 1, std::min(py, y1) - 1, std::abs(x1 - px) + 3, std::abs(y1 - py) + 3,
                     art::kRunnerColours[2]);
        px = x1;
        py = y1;
    };
    for (int r = 1; r < rows; ++r) {
        seg(x0 + 30 * pole + 4, y0 + 15 * r + 7);
        for (const auto& g : rungs) {
            if (g[0] != r) continue;
            if (g[1] == pole) { seg(px + 30, py); ++pole; break; }
            if (g[1] == pole - 1) { seg(px - 30, py); --pole; break; }
        }
    }
    for (int i = 0; i < players; ++i) img.Paste(balls.Crop(16 * i, 0, 16, 16), x0 + 30 * i - 3, y0 - 9, art::kMagenta);
    img.Paste(balls.Crop(32, 0, 16, 16), x0 + 30 * pole - 3, y0 + 15 * rows + 2, art::kMagenta);
    img.Paste(hands.Crop(0, 0, 11, 15), x0 + 30 * 4, y0 - 15, art::kMagenta);
    return img;
}

Image ContactSheet(const Image* pictures[], int count, const Image& preview) {
    const int gap = 8;
    // Left: everything at 1x in a column, the preview beside it; right: 3x.
    int w1 = 0, h1 = gap;
    for (int i = 0; i < count; ++i) {
        w1 = std::max(w1, pictures[i]->width);
        h1 += pictures[i]->height + gap;
    }
    int w3 = 0, h3 = gap;
    for (int i = 0; i < count; ++i) {
        w3 = std::max(w3, pictures[i]->width * 3);
        h3 += pictures[i]->height * 3 + gap;
    }
    const int width = gap + w1 + gap + preview.width * 2 + gap + w3 + gap;
    const int height = std::max(std::max(h1, h3), preview.height * 2 + 2 * gap + preview.height);
    Image sheet(width, height, 0x707880);
    int y = gap;
    for (int i = 0; i < count; ++i) {
        sheet.Paste(*pictures[i], gap, y);
        y += pictures[i]->height + gap;
    }
    const int px = gap + w1 + gap;
    sheet.Paste(preview, px, gap);
    sheet.Paste(preview.Scaled(2), px, gap + preview.height + gap);
    y = gap;
    const int x3 = px + preview.width * 2 + gap;
    for (int i = 0; i < count; ++i) {
        sheet.Paste(pictures[i]->Scaled(3), x3, y);
        y += pictures[i]->height * 3 + gap;
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr,
                     "usage: artgen OUTPUT_DIR [--sheet SHEET.png] [--icons ICON_DIR] [--web PAGE_DIR]"
                     " [--ico FILE.ico]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::string sheetPath, iconDir, webDir, icoPath;
    for (int i = 2; i < argc; i += 2) {
        std::string* value = std::strcmp(argv[i], "--sheet") == 0   ? &sheetPath
                             : std::strcmp(argv[i], "--icons") == 0 ? &iconDir
                             : std::strcmp(argv[i], "--web") == 0   ? &webDir
                             : std::strcmp(argv[i], "--ico") == 0   ? &icoPath
                                                                    : nullptr;
        if (value == nullptr || i + 1 == argc) {
            std::fprintf(stderr, "artgen: %s %s\n", value == nullptr ? "unknown option" : "no value after",
                         argv[i]);
            return 2;
        }
        *value = argv[i + 1];
    }

    const Image tiles = art::DrawTiles();
    const Image balls = art::DrawBalls();
    const Image hands = art::DrawHands();
    const Image logo = art::DrawLogo();
    const Image icon32 = art::DrawIcon(32);
    const Image icon16 = art::DrawIcon(16);
    const Image title = art::DrawTitle(tiles, balls);

    bool ok = art::WriteBmp8(tiles, dir + "/tiles.bmp") && art::WriteBmp8(balls, dir + "/balls.bmp") &&
              art::WriteBmp24(hands, dir + "/hand.bmp") && art::WriteBmp8(logo, dir + "/logo.bmp") &&
              art::WriteBmp8(icon32, dir + "/icon32.bmp") && art::WriteBmp8(icon16, dir + "/icon16.bmp") &&
              art::WriteBmp8(title, dir + "/title.bmp");
    if (!ok) {
        std::fprintf(stderr, "artgen: cannot write the bitmaps into %s\n", dir.c_str());
        return 1;
    }
    auto write = [](const std::vector<uint8_t>& bytes, const std::string& path) {
        if (!bytes.empty() && art::SaveFile(bytes, path)) return true;
        std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
        return false;
    };
    for (int size : {16, 32, 48, 64, 128, 256}) {
        if (iconDir.empty()) break;
        const std::string path = iconDir + "/" + std::to_string(size) + "x" + std::to_string(size) +
                                 "/example.menkor.Tavilo.png";
        if (!write(art::DesktopIconPng(size), path)) return 1;
    }
    for (int size : {32, 192, 512}) {
        if (webDir.empty()) break;
        if (!write(art::WebIconPng(icon32, size), webDir + "/icon-" + std::to_string(size) + ".png")) return 1;
    }
    if (!icoPath.empty()) {
        const std::vector<art::IconImage> images = {{{}, art::DesktopIconPng(256), 256},
                                                    {{}, art::DesktopIconPng(48), 48},
                                                    {icon32, {}, 32},
                                                    {icon16, {}, 16}};
        if (!write(art::WindowsIcon(images), icoPath)) return 1;
    }
    if (!sheetPath.empty()) {
        const Image* pictures[] = {&tiles, &balls, &hands, &logo, &icon32, &icon16, &title};
        Image preview = BoardPreview(title, tiles, balls, hands);
        // Beside the sheet, the small sprites at 8x, where every pixel shows.
        Image zoom(80 * 6 + 32 * 6 + 16 * 6 + 40, 15 * 8 + 32 * 6 + 32 * 6 + 40, 0x707880);
        zoom.Paste(tiles.Scaled(8), 8, 8);
        zoom.Paste(hands.Scaled(8), 60 * 8 + 16, 8);
        zoom.Paste(balls.Scaled(6), 8, 15 * 8 + 16);
        zoom.Paste(logo.Scaled(6), 8, 15 * 8 + 32 * 6 + 24);
        zoom.Paste(icon32.Scaled(6), 80 * 6 + 16, 15 * 8 + 32 * 6 + 24);
        zoom.Paste(icon16.Scaled(6), 80 * 6 + 32 * 6 + 24, 15 * 8 + 32 * 6 + 24);
        std::string zoomPath = sheetPath.substr(0, sheetPath.rfind('.')) + "-zoom.png";
        if (!art::WritePng(ContactSheet(pictures, 7, preview), sheetPath) || !art::WritePng(zoom, zoomPath)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", sheetPath.c_str());
            return 1;
        }
    }
    return 0;
}
