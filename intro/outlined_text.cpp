// Outlined text: the message as a white face over a shadow that reaches
// three pixels below it and fades towards the panel's fill, with a one-pixel
// rim of the darkest shade above.
#include "intro/intro.h"

namespace {

struct OutlineLayer {
    int depth;
    COLORREF color;
};

// Deepest first, so the darker, nearer layers cover the paler, wider ones.
constexpr OutlineLayer LAYERS[] = {
    {3, 0x21B3E5},
    {2, 0x1DA0CC},
    {1, 0x198BB2},
    {-1, 0x198BB2},
};

void DrawShifted(HDC dc, RECT rect, int dx, int dy, LPCWSTR text) {
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
    DrawTextW(dc, text, -1, &rect, DT_SINGLELINE);
}

}  // namespace

void DrawOutlineLayer(HDC dc, RECT rect, int depth, LPCWSTR text, COLORREF color) {
    SetTextColor(dc, color);
    DrawShifted(dc, rect, 0, depth, text);
    DrawShifted(dc, rect, -depth, depth, text);
    DrawShifted(dc, rect, depth, depth, text);
    if (depth >= 2) {
        DrawShifted(dc, rect, -1, depth, text);
        DrawShifted(dc, rect, 1, depth, text);
    }
    if (depth == 3) {
        DrawShifted(dc, rect, -2, depth, text);
        DrawShifted(dc, rect, 2, depth, text);
    }
}

void DrawOutlinedText(HWND window, HDC dc, LPCWSTR text, COLORREF faceColor) {
    RECT client = {};
    GetClientRect(window, &client);
    const LONG width = client.right - client.left;
    const LONG height = client.bottom - client.top;

    SIZE extent = {};
    GetTextExtentExPointW(dc, text, static_cast<int>(wcslen(text)), 0, nullptr, nullptr, &extent);

    // The rectangle is exactly the text's size, so every copy drawn into it
    // is the whole text; a text wider than the panel starts left of it.
    RECT rect = {};
    rect.left = (width - extent.cx) / 2;
    rect.right = rect.left + extent.cx;
    rect.top = (height - extent.cy) / 2;
    rect.bottom = rect.top + extent.cy;

    SetBkMode(dc, TRANSPARENT);
    for (const OutlineLayer& layer : LAYERS) {
        DrawOutlineLayer(dc, rect, layer.depth, text, layer.color);
    }
    SetTextColor(dc, faceColor);
    DrawTextW(dc, text, -1, &rect, DT_SINGLELINE);
}
