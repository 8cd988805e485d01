// The desktop window of tavilo.exe: the device screen scaled by a whole
// number with nearest-neighbour sampling and letterboxed, the left mouse
// button (and touch, which Windows turns into it) as the stylus, keys for the
// accelerators, and closing the window as the program's own Exit.
//
// This file talks to the real Windows API; the program's Win32-style layer
// only reaches it through the host seam in user/host.h.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include "desktop/layout.h"
#include "runtime/runtime_control.h"
#include "user/host.h"
#include "runtime/win32/calls.h"
#include "win32_host.h"

namespace win32host {
namespace {

using desktop::kDeviceHeight;
using desktop::kDeviceWidth;

constexpr wchar_t kClassName[] = L"TaviloWindow";
constexpr wchar_t kTitle[] = L"Tavilo";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;
constexpr int kIconResource = 1;

struct Host {
    HWND hwnd = nullptr;
    std::vector<uint32_t> frame = std::vector<uint32_t>(size_t(kDeviceWidth) * kDeviceHeight, 0);
    desktop::Layout layout = desktop::FitPicture(kDeviceWidth, kDeviceHeight);
    std::deque<host::Event> pending;
    bool penDown = false;
    int lastX = 0;
    int lastY = 0;
    // The keys pressed as Ctrl+S and Ctrl+C: their characters and releases
    // are not the program's either.
    WPARAM shortcutKeys[2] = {0, 0};
    bool shiftDown = false;
    bool controlDown = false;
};

Host g_host;

UINT DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = getDpi != nullptr && hwnd != nullptr ? getDpi(hwnd) : 0;
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The DPI of a monitor, before a window on it exists to ask; the default
// where Windows cannot tell (before 8.1).
UINT DpiOfMonitor(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    auto getDpi = shcore != nullptr ? reinterpret_cast<GetDpiForMonitorFn>(
                                          reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                                    : nullptr;
    UINT x = 0;
    UINT y = 0;
    bool known = getDpi != nullptr && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y != 0;
    if (shcore != nullptr) {
        FreeLibrary(shcore);
    }
    return known ? y : USER_DEFAULT_SCREEN_DPI;
}

// The window rectangle around a client area of width x height at (0, 0),
// with the frame drawn at the given DPI.
RECT AdjustedRect(int width, int height, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static auto adjust = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    RECT r{0, 0, width, height};
    if (adjust == nullptr || !adjust(&r, kStyle, FALSE, kExStyle, dpi)) {
        AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    }
    return r;
}

// The outer size of a window whose client area is width x height.
SIZE OuterSize(int width, int height, UINT dpi) {
    RECT r = AdjustedRect(width, height, dpi);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

desktop::WindowFrame FrameAt(UINT dpi) {
    RECT r = AdjustedRect(0, 0, dpi);
    return desktop::WindowFrame{-r.left, -r.top, r.right, r.bottom};
}

// The window rectangle whose client area shows the picture where the
// placement puts it.
RECT WindowRectFor(const desktop::WindowPlacement& place, UINT dpi) {
    RECT r = AdjustedRect(kDeviceWidth * place.scale, kDeviceHeight * place.scale, dpi);
    OffsetRect(&r, place.x, place.y);
    return r;
}

BITMAPINFO FrameInfo() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kDeviceWidth;
    info.bmiHeader.biHeight = -kDeviceHeight;  // top-down rows, as the core keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Draws the device rectangle [left, right) x [top, bottom) of the frame at
// the current scale. The whole picture is stretched under a clip, so that
// StretchDIBits never has to be given a partial source of a top-down DIB.
void DrawFrame(HDC dc, int left, int top, int right, int bottom) {
    const desktop::Layout& l = g_host.layout;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, l.left + left * l.scale, l.top + top * l.scale, l.left + right * l.scale,
                      l.top + bottom * l.scale);
    SetStretchBltMode(dc, COLORONCOLOR);
    BITMAPINFO info = FrameInfo();
    StretchDIBits(dc, l.left, l.top, kDeviceWidth * l.scale, kDeviceHeight * l.scale, 0, 0, kDeviceWidth,
                  kDeviceHeight, g_host.frame.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    RestoreDC(dc, saved);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const desktop::Layout& l = g_host.layout;
    // The bars around the picture; the picture itself is left out of the
    // fill so that it does not flicker.
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, l.left, l.top, l.left + kDeviceWidth * l.scale, l.top + kDeviceHeight * l.scale);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RestoreDC(dc, saved);
    DrawFrame(dc, 0, 0, kDeviceWidth, kDeviceHeight);
    EndPaint(hwnd, &ps);
}

void Push(const host::Event& event) { g_host.pending.push_back(event); }

void Pen(host::EventKind kind, LPARAM lParam) {
    desktop::DevicePoint p = desktop::WindowToDevice(g_host.layout, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    g_host.lastX = p.x;
    g_host.lastY = p.y;
    Push(host::PenEvent(kind, p.x, p.y));
}

void PenUpIfDown() {
    if (g_host.penDown) {
        g_host.penDown = false;
        Push(host::PenEvent(host::EventKind::PenUp, g_host.lastX, g_host.lastY));
    }
}

// Keys the program has no use for. Shift, Ctrl and Alt themselves do go on
// (the generic codes: Windows never puts the left and right ones in wParam),
// so that the program can tell Ctrl+A from A and Alt pressed alone.
bool IsIgnoredKey(WPARAM vk) {
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
        return true;
    default:
        return false;
    }
}

// Ctrl with S or C and no other modifier: the host's, never the program's.
bool Shortcut(UINT message, WPARAM vk, LPARAM lParam) {
    for (WPARAM& taken : g_host.shortcutKeys) {
        if (message == WM_KEYUP && taken == vk && vk != 0) {
            taken = 0;
            return true;
        }
    }
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool other = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0 ||
                       (lParam & (1 << 29)) != 0;
    if (message != WM_KEYDOWN || !ctrl || other || (vk != 'S' && vk != 'C')) {
        return false;
    }
    g_host.shortcutKeys[vk == 'S' ? 0 : 1] = vk;
    if ((lParam & (1 << 30)) == 0) {  // not a repeat of a held key
        if (vk == 'S') {
            SavePicture(g_host.hwnd, g_host.frame.data());
        } else {
            CopyResult(g_host.hwnd, g_host.frame.data());
        }
    }
    return true;
}

void Key(UINT message, WPARAM vk, LPARAM lParam) {
    // The right Alt is AltGr on many layouts; it types characters and must
    // not open the menu bar when it comes up alone (bit 24: extended key).
    if (IsIgnoredKey(vk) || (vk == VK_MENU && (lParam & (1 << 24)) != 0) || Shortcut(message, vk, lParam)) {
        return;
    }
    host::Event event;
    event.kind = message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? host::EventKind::KeyDown : host::EventKind::KeyUp;
    event.vk = static_cast<unsigned>(vk);
    event.alt = (lParam & (1 << 29)) != 0;
    if (vk == VK_SHIFT) {
        g_host.shiftDown = event.kind == host::EventKind::KeyDown;
    } else if (vk == VK_CONTROL) {
        g_host.controlDown = event.kind == host::EventKind::KeyDown;
    }
    Push(event);
}

// Keys released while another window has the focus never come here: Shift
// and Ctrl are let go when the focus goes, or the program would take every
// later N for Ctrl+N. Alt is left alone, since its release would read as
// Alt pressed alone and open the menu bar.
void ReleaseModifiers() {
    for (auto [vk, down] : {std::pair{VK_SHIFT, &g_host.shiftDown}, std::pair{VK_CONTROL, &g_host.controlDown}}) {
        if (*down) {
            *down = false;
            host::Event event;
            event.kind = host::EventKind::KeyUp;
            event.vk = vk;
            Push(event);
        }
    }
}

void Char(WPARAM ch, LPARAM lParam) {
    host::Event event;
    event.kind = host::EventKind::Char;
    event.ch = static_cast<char16_t>(ch);
    event.alt = (lParam & (1 << 29)) != 0;
    Push(event);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_SIZE:
        g_host.layout = desktop::FitPicture(LOWORD(lParam), HIWORD(lParam));
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETMINMAXINFO: {
        SIZE outer = OuterSize(kDeviceWidth, kDeviceHeight, DpiOf(hwnd));
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = outer.cx;
        info->ptMinTrackSize.y = outer.cy;
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another density: take the size Windows
        // suggests, and the picture takes the scale that fits it.
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        g_host.penDown = true;
        Pen(host::EventKind::PenDown, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (g_host.penDown) {
            Pen(host::EventKind::PenMove, lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (g_host.penDown) {
            g_host.penDown = false;
            Pen(host::EventKind::PenUp, lParam);
        }
        ReleaseCapture();
        return 0;
    case WM_KILLFOCUS:
        ReleaseModifiers();
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a message box, the task switcher):
        // lift the stylus where it last was.
        PenUpIfDown();
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        Key(msg, wParam, lParam);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Alt+F4 goes to the program's accelerators like any other key, so
        // the program saves and ends itself; only Alt+Space keeps opening
        // the window menu.
        if (wParam == VK_SPACE) {
            break;
        }
        Key(msg, wParam, lParam);
        return 0;
    case WM_CHAR:
        // Ctrl+S and Ctrl+C also make the control characters DC3 and ETX.
        if ((wParam == 0x13 && g_host.shortcutKeys[0] != 0) || (wParam == 0x03 && g_host.shortcutKeys[1] != 0)) {
            return 0;
        }
        Char(wParam, lParam);
        return 0;
    case WM_TIMER:
        if (TitleNoteTimer(hwnd, wParam)) {
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (wParam == L' ') {
            break;
        }
        Char(wParam, lParam);
        return 0;
    case WM_CLOSE: {
        // The window stays until the program has ended as by its own Exit.
        host::Event close;
        close.kind = host::EventKind::Close;
        Push(close);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

void UseDpiAwareness() {
    // The manifest asks for per-monitor awareness as well; this covers a
    // copy started without it. Older systems lack the call and stay as the
    // manifest made them.
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    if (setContext != nullptr) {
        setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)));  // per monitor, version 2
    }
}

bool OpenWindow(HINSTANCE instance, int scale, int showCommand, std::wstring* error) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0) {
        *error = L"cannot register the window class";
        return false;
    }
    // The picture at the largest whole scale at which the window, frame
    // included, fits the work area of the primary monitor (the taskbar left
    // out), in its own pixels: the process is DPI aware, and the frame is
    // measured at the monitor's DPI.
    POINT origin{0, 0};
    HMONITOR monitor = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    RECT work{0, 0, 1024, 768};
    if (GetMonitorInfoW(monitor, &mi)) {
        work = mi.rcWork;
    }
    desktop::DesktopArea area{work.left, work.top, work.right - work.left, work.bottom - work.top};
    UINT dpi = DpiOfMonitor(monitor);
    desktop::WindowPlacement place = desktop::PlaceWindow(scale, area, FrameAt(dpi));
    RECT outer = WindowRectFor(place, dpi);
    HWND hwnd = CreateWindowExW(kExStyle, kClassName, kTitle, kStyle, outer.left, outer.top, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        *error = L"cannot create the window";
        return false;
    }
    g_host.hwnd = hwnd;
    // Where the window got another DPI than its monitor reported, its frame
    // is another size: make the client area exactly the picture again.
    UINT actual = DpiOf(hwnd);
    if (actual != dpi) {
        dpi = actual;
        place = desktop::PlaceWindow(scale, area, FrameAt(dpi));
        outer = WindowRectFor(place, dpi);
        SetWindowPos(hwnd, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (place.reduced) {
        std::fprintf(stderr, "%s\n", desktop::ReducedScaleNote(scale, area, FrameAt(dpi), place.scale).c_str());
    }
    RECT client;
    GetClientRect(hwnd, &client);
    g_host.layout = desktop::FitPicture(client.right, client.bottom);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    return true;
}

void CloseWindow() {
    if (g_host.hwnd != nullptr) {
        DestroyWindow(g_host.hwnd);
        g_host.hwnd = nullptr;
    }
    PumpMessages();
    g_host.pending.clear();
}

HWND MainWindow() { return g_host.hwnd; }

}  // namespace win32host

namespace host {

void Present(const uint32_t* pixels, int left, int top, int right, int bottom) {
    using win32host::g_host;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, kScreenWidth);
    bottom = std::min(bottom, kScreenHeight);
    if (left >= right || top >= bottom) {
        return;
    }
    for (int y = top; y < bottom; ++y) {
        std::memcpy(&g_host.frame[size_t(y) * kScreenWidth + left], pixels + size_t(y) * kScreenWidth + left,
                    size_t(right - left) * sizeof(uint32_t));
    }
    if (g_host.hwnd == nullptr) {
        return;
    }
    HDC dc = GetDC(g_host.hwnd);
    win32host::DrawFrame(dc, left, top, right, bottom);
    ReleaseDC(g_host.hwnd, dc);
}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    using win32host::g_host;
    for (;;) {
        win32host::PumpMessages();
        if (win32sys::HandOverPending()) {
            // Another copy asked for this one; the window manager takes the
            // request and calls RaiseWindow.
            *event = Event{};
            event->kind = EventKind::HandOver;
            return true;
        }
        if (!g_host.pending.empty()) {
            *event = g_host.pending.front();
            g_host.pending.pop_front();
            return true;
        }
        uint64_t now = rt::NowMs();
        if (deadlineMs <= now) {
            return false;
        }
        DWORD timeout = INFINITE;
        if (deadlineMs != UINT64_MAX) {
            timeout = static_cast<DWORD>(std::min<uint64_t>(deadlineMs - now, 0x7FFFFFFE));
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void RaiseWindow() {
    HWND hwnd = win32host::g_host.hwnd;
    if (hwnd == nullptr) {
        return;
    }
    if (IsIconic(hwnd)) {
        ShowWindow(hwnd, SW_RESTORE);
    }
    SetForegroundWindow(hwnd);
}

void SetIcon(const uint32_t*, const uint8_t*, int, int) {
    // The window class already carries the icon from the .exe's resources,
    // the same picture Explorer shows.
}

}  // namespace host
