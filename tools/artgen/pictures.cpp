// The larger pictures: the title page, the maker's logo and the program icon.
// Lettering is drawn from stroke shapes with anti-aliasing against the
// background it stands on; the icon is placed pixel by pixel.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "art.h"

namespace art {

namespace {

constexpr uint32_t kPage = 0xFFF8D2;
// The title word's outline: softer than the ink, because in play the word
// lies under the top rows of the ladder and must not compete with them.
constexpr uint32_t kTitleOutline = 0xA8683A;

// A stroke shape leaning to the right: points are sheared about the baseline
// before their distance is taken.
struct Slanted {
    const StrokeShape& shape;
    double dx, dy, slant, baseline;
    double Distance(double x, double y) const {
        x -= dx;
        y -= dy;
        return shape.Distance(x + (y - baseline) * slant, y);
    }
};

// Colour of the scorched border at a distance e (pixels) inside the burnt
// edge: charred at the edge, orange-brown, then fading into the page.
uint32_t Scorch(double e, uint32_t page) {
    struct Stop {
        double at;
        uint32_t colour;
    };
    static const Stop stops[] = {
        {0.0, 0x3C1E0C}, {1.5, 0x6E3212}, {3.0, 0xA5551E}, {5.0, 0xCD7D32},
        {8.0, 0xEBB464}, {12.0, 0xFAE1A0}, {17.0, page},
    };
    if (e <= stops[0].at) return stops[0].colour;
    for (size_t i = 1; i < sizeof(stops) / sizeof(stops[0]); ++i) {
        if (e <= stops[i].at) {
            double t = (e - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return Mix(stops[i - 1].colour, stops[i].colour, t * t * (3 - 2 * t));
        }
    }
    return page;
}

void DrawScorchedBorder(Image& img) {
    const double w = img.width, h = img.height, corner = 9.0;
    const double perimeter = 2 * (w + h);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            double px = x + 0.5, py = y + 0.5;
            // Distance to the edge of a rectangle with rounded corners.
            double cx = std::clamp(px, corner, w - corner), cy = std::clamp(py, corner, h - corner);
            double d = corner - std::hypot(px - cx, py - cy);
            if (px > corner && px < w - corner) d = std::min(py, h - py);
            if (py > corner && py < h - corner) d = std::min(d, std::min(px, w - px));
            // Position along the perimeter, for an uneven burn line that
            // wanders smoothly rather than pixel by pixel.
            double t;
            if (d == py) t = px;
            else if (d == w - px) t = w + py;
            else if (d == h - py) t = w + h + (w - px);
            else t = 2 * w + h + (h - py);
            double a = 6.283185307 * t / perimeter;
            double wander = 1.6 * std::sin(a * 7 + 0.4) + 1.1 * std::sin(a * 17 + 2.1) +
                            0.6 * std::sin(a * 41 + 4.0) + 0.35 * std::sin(a * 89 + 1.0);
            double e = d - 1.2 - 0.9 * wander;
            if (e < 17) img.Set(x, y, Scorch(e, img.Get(x, y)));
        }
    }
}

// "Tavilo" as strokes with round ends, in a box whose baseline is y = 0.
StrokeShape TitleWord(double* width) {
    StrokeShape s;
    s.radius = 4.8;
    const double gap = 7.5;
    const double r = s.radius, xTop = -30 + r, base = -r, capTop = -44 + r, mid = (xTop + base) / 2;
    double x = r;
    // T
    s.Line(x, capTop, x + 30, capTop);
    s.Line(x + 15, capTop, x + 15, base);
    x += 30 + 2 * r - 3;  // the a tucks under the bar
    // a
    s.Arc(x + 10, mid, 10, (base - xTop) / 2, 0, 360);
    s.Line(x + 20, xTop, x + 20, base + 1);
    x += 20 + 2 * r + gap;
    // v
    s.Line(x, xTop, x + 10.5, base);
    s.Line(x + 10.5, base, x + 21, xTop);
    x += 21 + 2 * r + gap - 1;
    // i
    s.Line(x, xTop, x, base);
    s.Dot(x, capTop + 1);
    x += 2 * r + gap;
    // l
    s.Line(x, capTop - 3, x, base);
    x += 2 * r + gap - 1;
    // o
    s.Arc(x + 10, mid, 10, (base - xTop) / 2, 0, 360);
    x += 20 + r;
    *width = x;
    return s;
}

void DrawTitleWord(Image& img, int top) {
    double width = 0;
    const StrokeShape word = TitleWord(&width);
    const double slant = 0.12, baseline = top + 46.0;
    // Centre the ink, outline and shadow included, rather than the centre
    // lines: the slant and the round ends make the two differ.
    const Slanted probe{word, 0, baseline, slant, baseline};
    double inkLeft = 1e9, inkRight = -1e9;
    for (double y = top - 8; y < top + 60; y += 0.5) {
        for (double x = -20; x < width + 40; x += 0.5) {
            if (probe.Distance(x, y) < 2.0) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x + 3);
            }
        }
    }
    const double left = std::round((img.width - (inkRight - inkLeft)) / 2.0 - inkLeft);
    const Slanted face{word, left, baseline, slant, baseline};
    const Slanted shadow{word, left + 3, baseline + 3, slant, baseline + 3};
    const double outline = 2.0;
    for (int y = top - 8; y < top + 60; ++y) {
        for (int x = 0; x < img.width; ++x) {
            img.Blend(x, y, 0xD2B48C, 0.45 * Coverage(shadow, x, y, outline));
            img.Blend(x, y, kTitleOutline, Coverage(face, x, y, outline));
            // The face runs from warm yellow at the top to deep orange below,
            // with a lighter band just inside its upper edge.
            double t = std::clamp((y - (baseline - 46)) / 46.0, 0.0, 1.0);
            uint32_t fill = Mix(0xFFE680, 0xF49A50, t);
            img.Blend(x, y, fill, Coverage(face, x, y, 0.0));
            const Slanted gloss{word, left + 1.2, baseline + 1.6, slant, baseline + 1.6};
            img.Blend(x, y, Mix(fill, kWhite, 0.45), 0.8 * Coverage(face, x, y, -1.6) *
                                                       (1 - Coverage(gloss, x, y, -1.6)));
        }
    }
}

// A ball of 11 pixels centred on (cx, cy): a disc outline, a highlight in
// the upper left and a shaded rim in the lower right.
void DrawSmallBall(Image& img, int cx, int cy, uint32_t colour, double fade) {
    static const std::vector<std::string> ball = {
        "...#####...", ".##ooooo##.", ".#olloooo#.", "#olooooooo#", "#ooooooooo#", "#ooooooooo#",
        "#ooooooood#", "#ooooooodd#", ".#ooooodd#.", ".##ddddd##.", "...#####...",
    };
    auto faded = [fade](uint32_t c) { return Mix(c, kPage, fade); };
    Stamp(img, cx - 5, cy - 5, ball, "#old",
          {faded(kBlack), faded(colour), faded(Mix(colour, kWhite, 0.6)), faded(Mix(colour, kBlack, 0.2))});
}

// The page behind the board: a soft warm shade growing from the middle
// towards the scorched edge, laid down in a few steps with random dither so
// that it reads as the grain of the paper and stays within the picture's 256
// colours without contour lines. Nothing here may read as a pole, a rung or
// a ball, because the ladder is painted over this picture.
uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352D;
    x ^= x >> 15;
    x *= 0x846CA68B;
    x ^= x >> 16;
    return x;
}

void DrawPaper(Image& img) {
    constexpr int kSteps = 10;
    constexpr uint32_t kShade = 0xF6E2B0;
    const double cx = img.width / 2.0, cy = img.height * 0.5;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const double dx = (x + 0.5 - cx) / (img.width * 0.6), dy = (y + 0.5 - cy) / (img.height * 0.6);
            const double t = std::clamp((dx * dx + dy * dy) * 0.8, 0.0, 1.0);
            const double noise = double(Hash(uint32_t(y) * 7919u + uint32_t(x) * 104729u) & 0xFFFF) / 65536.0;
            const int step = std::min(kSteps, int(t * kSteps + noise * 0.999));
            img.Set(x, y, Mix(kPage, kShade, double(step) / kSteps));
        }
    }
}

// A four-pointed glint, the arms tapering from the centre: a few of them
// about the title word give the page some sparkle without suggesting any
// piece of the game.
void DrawGlint(Image& img, double cx, double cy, double size, uint32_t colour) {
    struct Star {
        double cx, cy, size;
        double Distance(double x, double y) const {
            const double ax = std::abs(x - cx), ay = std::abs(y - cy);
            // The arms are thin diamonds; their union is a concave star.
            const double w = 0.22 * size;
            return std::min(ax / w + ay / size, ay / w + ax / size) - 1.0;
        }
    };
    const Star star{cx, cy, size};
    const int r = int(size) + 2;
    for (int y = int(cy) - r; y <= int(cy) + r; ++y) {
        for (int x = int(cx) - r; x <= int(cx) + r; ++x) img.Blend(x, y, colour, Coverage(star, x, y));
    }
}

}  // namespace

Image DrawTitle(const Image& tiles, const Image& balls) {
    Image img(240, 295, kPage);
    DrawPaper(img);
    DrawScorchedBorder(img);
    DrawTitleWord(img, 40);
    DrawGlint(img, 27.5, 37.5, 7.5, 0xF2B45A);
    DrawGlint(img, 39.5, 26.5, 4.0, 0xF5C878);
    DrawGlint(img, 215.5, 95.5, 6.0, 0xF2B45A);
    (void)tiles;
    (void)balls;
    return img;
}

Image DrawLogo() {
    Image img(80, 18, kWhite);
    StrokeShape s;
    s.radius = 1.25;
    const double top = 3.5, bottom = 13.5, mid = (top + bottom) / 2;
    double x = 6.5;
    // M
    s.Line(x, bottom, x, top);
    s.Line(x, top, x + 4.5, mid + 1);
    s.Line(x + 4.5, mid + 1, x + 9, top);
    s.Line(x + 9, top, x + 9, bottom);
    x += 13;
    // E
    s.Line(x, top, x, bottom);
    s.Line(x, top, x + 7, top);
    s.Line(x, mid, x + 5.5, mid);
    s.Line(x, bottom, x + 7, bottom);
    x += 11;
    // N
    s.Line(x, bottom, x, top);
    s.Line(x, top, x + 8, bottom);
    s.Line(x + 8, bottom, x + 8, top);
    x += 12;
    // K
    s.Line(x, top, x, bottom);
    s.Line(x + 7, top, x + 1, mid + 0.5);
    s.Line(x + 2.5, mid - 0.5, x + 7.5, bottom);
    x += 11.5;
    // O: the ball of the game's first runner, drawn after the letters.
    const int ballX = int(x) + 4;
    x += 13;
    // R
    s.Line(x, bottom, x, top);
    s.Line(x, top, x + 4, top);
    s.Arc(x + 4, top + 2.75, 2.75, 2.75, -90, 90);
    s.Line(x + 4, top + 5.5, x, top + 5.5);
    s.Line(x + 3, top + 5.5, x + 7, bottom);
    for (int y = 0; y < img.height; ++y) {
        for (int px = 0; px < img.width; ++px) {
            double t = std::clamp((y - 3.0) / 11.0, 0.0, 1.0);
            img.Blend(px, y, Mix(0xD2641E, 0x7A2A0E, t), Coverage(s, px, y));
        }
    }
    DrawSmallBall(img, ballX, 8, kRunnerColours[0], 0.0);
    return img;
}

namespace {

// The icon's page: a plain square but for its corners, with a rim, and on
// the large icon a scorched ring inside the rim.
void DrawIconPage(Image& img, int first, int last, bool scorched) {
    for (int y = first; y <= last; ++y) {
        for (int x = first; x <= last; ++x) {
            if ((x == first || x == last) && (y == first || y == last)) continue;
            const bool rim = x == first || x == last || y == first || y == last;
            const bool inner = scorched && (x == first + 1 || x == last - 1 || y == first + 1 || y == last - 1);
            img.Set(x, y, rim ? 0x8C4A1C : inner ? 0xE0A050 : kPage);
        }
    }
}

struct Box {
    int x, y, w, h;
};

void FillBoxes(Image& img, std::initializer_list<Box> boxes, uint32_t colour) {
    for (const Box& b : boxes) img.FillRect(b.x, b.y, b.w, b.h, colour);
}

}  // namespace

Image DrawIcon(int size) {
    Image img(size, size, kMagenta);
    const uint32_t pole = 0x2A1A10;
    if (size == 32) {
        DrawIconPage(img, 1, 30, true);
        // Three poles with rungs between them, and Red's way down in its
        // colour.
        const int poleX[3] = {7, 15, 23};
        FillBoxes(img, {{7, 10, 2, 17}, {15, 10, 2, 17}, {23, 10, 2, 17}, {9, 14, 6, 2}, {17, 18, 6, 2}, {9, 22, 6, 2}},
                  pole);
        FillBoxes(img, {{7, 10, 2, 5}, {7, 14, 10, 2}, {15, 14, 2, 6}, {15, 18, 10, 2}, {23, 18, 2, 9}},
                  kRunnerColours[0]);
        // Balls on the poles.
        const std::vector<std::string> ball = {
            "..###..", ".#ccc#.", "#clccc#", "#ccccc#", "#ccccc#", ".#ccc#.", "..###..",
        };
        const uint32_t colours[3] = {kRunnerColours[0], kRunnerColours[2], kRunnerColours[5]};
        for (int p = 0; p < 3; ++p) {
            Stamp(img, poleX[p] - 2, 4, ball, "#cl", {kBlack, colours[p], Mix(colours[p], kWhite, 0.6)});
        }
    } else {
        DrawIconPage(img, 0, 15, false);
        FillBoxes(img, {{4, 7, 1, 7}, {11, 7, 1, 7}, {5, 10, 6, 1}}, pole);
        FillBoxes(img, {{4, 7, 1, 4}, {4, 10, 8, 1}, {11, 10, 1, 4}}, kRunnerColours[0]);
        const std::vector<std::string> ball = {".###.", "#ccc#", "#ccc#", "#ccc#", ".###."};
        Stamp(img, 2, 2, ball, "#c", {kBlack, kRunnerColours[0]});
        Stamp(img, 9, 2, ball, "#c", {kBlack, kRunnerColours[5]});
    }
    return img;
}

}  // namespace art
