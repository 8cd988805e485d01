// A small program on the platform layer, not shipped: a main window, an
// owned panel over its middle and a 50 ms timer that moves a red bar along a
// grey track that runs under the panel. It starts the way the game does (one
// copy only, accelerators in the loop) so that tests can drive the layer as
// the game uses it.
#include <string>

#include "demo_dialogs.h"
#include "user/program.h"
#include "windows.h"

namespace {

constexpr int IDM_SHOW_PANEL = 100;
constexpr int IDM_HIDE_PANEL = 101;
constexpr int IDM_EXIT_SEVEN = 102;
constexpr int IDM_EXIT = 40002;
constexpr int IDM_ABOUT = 40003;

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 50;

constexpr RECT kTrack{0, 140, 240, 160};
constexpr RECT kBanner{0, 0, 240, 20};
constexpr int kBarWidth = 20;
constexpr int kBarStep = 4;
constexpr RECT kPanel{60, 100, 180, 180};  // left, top, right, bottom

constexpr COLORREF kTrackColour = RGB(160, 160, 160);
constexpr COLORREF kBarColour = RGB(220, 0, 0);
constexpr COLORREF kBannerColour = RGB(0, 0, 160);
constexpr COLORREF kPanelColour = RGB(255, 200, 37);
constexpr COLORREF kPanelEdgeColour = RGB(178, 139, 25);

HWND g_main = nullptr;
HWND g_panel = nullptr;
int g_ticks = 0;
int g_paints = 0;
int g_panelPaints = 0;
int g_taps = 0;
int g_panelTaps = 0;
POINT g_lastTap{-1, -1};
int g_about = 0;
int g_exitCode = 0;
std::u16string g_chars;

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

int BarLeft() { return (g_ticks * kBarStep) % (kTrack.right - kBarWidth); }

void CALLBACK OnTick(HWND hwnd, UINT, UINT_PTR, DWORD) {
    int before = BarLeft();
    ++g_ticks;
    HDC dc = GetDC(hwnd);
    Fill(dc, RECT{before, kTrack.top, before + kBarWidth, kTrack.bottom}, kTrackColour);
    int x = BarLeft();
    Fill(dc, RECT{x, kTrack.top, x + kBarWidth, kTrack.bottom}, kBarColour);
    ReleaseDC(hwnd, dc);
}

void OnMainPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Fill(dc, kBanner, kBannerColour);
    Fill(dc, kTrack, kTrackColour);
    EndPaint(hwnd, &ps);
    ++g_paints;
}

LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDM_SHOW_PANEL:
        // Hidden first, so that an open panel paints itself again.
        ShowWindow(g_panel, SW_HIDE);
        ShowWindow(g_panel, SW_SHOW);
        return 0;
    case IDM_HIDE_PANEL:
        ShowWindow(g_panel, SW_HIDE);
        return 0;
    case IDM_ABOUT:
        ++g_about;
        return 0;
    case IDM_EXIT_SEVEN:
        g_exitCode = 7;
        DestroyWindow(hwnd);
        return 0;
    case IDM_EXIT:
        DestroyWindow(hwnd);
        return 0;
    default:
        if (DemoDialogsCommand(hwnd, LOWORD(wParam))) {
            return 0;
        }
        return DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
    }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnMainPaint(hwnd);
        return 0;
    case WM_COMMAND:
        return OnCommand(hwnd, wParam, lParam);
    case WM_LBUTTONDOWN:
        ++g_taps;
        g_lastTap = POINT{static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
        return 0;
    case WM_CHAR:
        g_chars += static_cast<char16_t>(wParam);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kTimerId);
        PostQuitMessage(g_exitCode);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        Fill(dc, r, kPanelEdgeColour);
        Fill(dc, RECT{r.left + 4, r.top + 4, r.right - 4, r.bottom - 4}, kPanelColour);
        EndPaint(hwnd, &ps);
        ++g_panelPaints;
        return 0;
    }
    case WM_LBUTTONDOWN:
        ++g_panelTaps;
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Register(HINSTANCE instance, LPCWSTR name, WNDPROC proc, HBRUSH background) {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

}  // namespace

std::string DescribeProgramState() {
    std::string chars;
    for (char16_t c : g_chars) {
        chars += c < 0x80 && c >= 0x20 && c != u'"' && c != u'\\' ? static_cast<char>(c) : '?';
    }
    return "{\"ticks\":" + std::to_string(g_ticks) + ",\"paints\":" + std::to_string(g_paints) +
           ",\"panelPaints\":" + std::to_string(g_panelPaints) +
           ",\"panelVisible\":" + std::to_string(IsWindowVisible(g_panel) ? 1 : 0) +
           ",\"taps\":" + std::to_string(g_taps) + ",\"lastTap\":[" + std::to_string(g_lastTap.x) + "," +
           std::to_string(g_lastTap.y) + "],\"panelTaps\":" + std::to_string(g_panelTaps) +
           ",\"about\":" + std::to_string(g_about) + ",\"tick\":" + std::to_string(GetTickCount()) +
           ",\"chars\":\"" + chars + "\"}";
}

// The demonstration has no draw; its line counts the taps, so that a test
// sees the host print what the program says.
std::string DescribeResult() { return "Demo: " + std::to_string(g_taps) + " taps"; }
// Its notes after sharing, in English only.
std::string DescribeShareNote(ShareNote note, const std::string& detail) {
    switch (note) {
        case ShareNote::Saved: return "Saved " + detail;
        case ShareNote::SaveFailed: return "Demo: could not save the picture: " + detail;
        case ShareNote::Copied: return "Copied the result";
        case ShareNote::CopyFailed: return "Demo: could not copy the result: " + detail;
    }
    return detail;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCmd) {
    WCHAR cls[100];
    WCHAR title[100];
    LoadStringW(instance, 3, cls, 100);
    LoadStringW(instance, 1, title, 100);
    if (HWND running = FindWindowW(cls, title)) {
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
        return 0;
    }
    Register(instance, cls, MainProc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Register(instance, u"DEMOPANEL", PanelProc, nullptr);
    g_main = CreateWindowExW(0, cls, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (g_main == nullptr) {
        return 0;
    }
    ShowWindow(g_main, showCmd);
    UpdateWindow(g_main);
    g_panel = CreateWindowExW(0, u"DEMOPANEL", u"", WS_POPUP | WS_VISIBLE, kPanel.left, kPanel.top,
                              kPanel.right - kPanel.left, kPanel.bottom - kPanel.top, g_main, nullptr, instance,
                              nullptr);
    SetTimer(g_main, kTimerId, kTimerMs, OnTick);

    HACCEL accel = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(3));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (!TranslateAcceleratorW(msg.hwnd, accel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
