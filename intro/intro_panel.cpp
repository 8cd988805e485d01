// The intro panel: a small amber panel over the middle of the main window
// that shows the next of five messages every time it is painted.
#include "intro/intro.h"
#include "messages.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/shell.h"

namespace {

constexpr COLORREF PANEL_FILL = 0x25C8FF;
constexpr COLORREF MESSAGE_FACE = 0xFFFFFF;

// The message in the player's language: its string resource where the
// language has one, else the English table's.
const WCHAR* IntroMessage(int index) {
    const WCHAR* text = nullptr;
    if (LoadStringW(g_hInst, IDS_INTRO_FIRST + index, reinterpret_cast<LPWSTR>(&text), 0) > 0) {
        return text;
    }
    return g_introMessages[index];
}

// Every paint message advances the cycle, whatever caused it, even one that
// redraws only the part a closing dialog uncovered.
BOOL PaintPanel(HWND panel) {
    if (g_introIndex >= INTRO_MESSAGE_COUNT || g_introIndex < 0) {
        g_introIndex = 0;
    }
    PAINTSTRUCT ps = {};
    HDC dc = BeginPaint(panel, &ps);
    RECT client = {};
    GetClientRect(panel, &client);
    HBRUSH fill = CreateSolidBrush(PANEL_FILL);
    FillRect(dc, &client, fill);
    DrawOutlinedText(panel, dc, IntroMessage(g_introIndex), MESSAGE_FACE);
    DeleteObject(fill);
    EndPaint(panel, &ps);
    g_introIndex += 1;
    return FALSE;
}

}  // namespace

int32_t g_introIndex = 0;
const WCHAR* const g_introMessages[INTRO_MESSAGE_COUNT] = {
    u"Presented by MENKOR",
    MAKER_WEB_ADDRESS,
    (u"E-mail: " MAKER_EMAIL),
    u"Good Luck!",
    u"^^",
};

void ShowIntroPanel() {
    if (g_introVisible) {
        ShowWindow(g_hwndIntro, SW_HIDE);
    }
    ShowWindow(g_hwndIntro, SW_SHOW);
    g_introVisible = 1;
}

void HideIntroPanel() {
    if (g_introVisible) {
        ShowWindow(g_hwndIntro, SW_HIDE);
        g_introVisible = 0;
    }
}

INT_PTR CALLBACK IntroPanelProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)wParam;
    (void)lParam;
    switch (msg) {
        case WM_INITDIALOG:
            // One pixel left of and three above the centre.
            CenterOverParent(panel, -1, -3);
            return TRUE;
        case WM_ERASEBKGND:
            // The paint fills the whole client area itself.
            return TRUE;
        case WM_PAINT:
            return PaintPanel(panel);
        default:
            return FALSE;
    }
}
