#include "support.h"

#include <deque>
#include <sstream>

namespace {

std::deque<host::Event> g_events;
int g_presents = 0;
int g_raises = 0;
int g_watched = -1;
std::vector<uint64_t> g_waits;

}  // namespace

namespace host {

void Present(const uint32_t*, int, int, int, int) { ++g_presents; }

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    if (!g_events.empty()) {
        *event = g_events.front();
        g_events.pop_front();
        return true;
    }
    uint64_t now = rt::NowMs();
    if (deadlineMs <= now) {
        return false;
    }
    g_waits.push_back(deadlineMs);
    if (deadlineMs == UINT64_MAX) {
        // A test that blocks with nothing to come would hang: end its loop.
        ADD_FAILURE() << "the queue waited for input that no test gave";
        *event = Event{};
        event->kind = EventKind::Close;
        return true;
    }
    rt::SetClock(deadlineMs);
    return false;
}

void WatchDescriptor(int fd) { g_watched = fd; }
void RaiseWindow() { ++g_raises; }
void SetIcon(const uint32_t*, const uint8_t*, int, int) {}

}  // namespace host

namespace testhost {

void Reset() {
    g_events.clear();
    g_presents = 0;
    g_raises = 0;
    g_watched = -1;
    g_waits.clear();
}

void Push(const host::Event& event) { g_events.push_back(event); }

void PushPen(host::EventKind kind, int x, int y) {
    host::Event e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    Push(e);
}

void PushKey(unsigned vk, char16_t ch, bool alt) {
    host::Event e;
    e.kind = host::EventKind::KeyDown;
    e.vk = vk;
    e.ch = ch;
    e.alt = alt;
    Push(e);
    e.kind = host::EventKind::KeyUp;
    e.ch = 0;
    Push(e);
}

void PushChar(char16_t ch, bool alt) {
    host::Event e;
    e.kind = host::EventKind::Char;
    e.ch = ch;
    e.alt = alt;
    Push(e);
}

int PresentCount() { return g_presents; }
int RaiseCount() { return g_raises; }
int WatchedFd() { return g_watched; }
const std::vector<uint64_t>& Waits() { return g_waits; }

}  // namespace testhost

namespace usertest {

COLORREF g_paintColour = RGB(0, 128, 0);
RECT g_lastPaintRect{};
int g_lastPaintErase = -1;

std::vector<Msg>& Log() {
    static std::vector<Msg> log;
    return log;
}

namespace {

const char* Name(UINT m) {
    switch (m) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_MOVE: return "WM_MOVE";
    case WM_SIZE: return "WM_SIZE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_ENABLE: return "WM_ENABLE";
    case WM_SETTEXT: return "WM_SETTEXT";
    case WM_GETTEXT: return "WM_GETTEXT";
    case WM_GETTEXTLENGTH: return "WM_GETTEXTLENGTH";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_NCDESTROY: return "WM_NCDESTROY";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    default: return "WM_?";
    }
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Msg{hwnd, msg, wParam});
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        g_lastPaintRect = ps.rcPaint;
        g_lastPaintErase = ps.fErase;
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(g_paintColour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

std::string Describe(const std::vector<Msg>& messages) {
    std::ostringstream out;
    for (const Msg& m : messages) {
        out << "  " << m.hwnd << " " << Name(m.message) << " (0x" << std::hex << m.message << std::dec << ")";
        if (m.wParam != kAny) out << " wParam " << m.wParam;
        out << "\n";
    }
    return out.str();
}

void ExpectSequence(const std::vector<Msg>& expected, const char* context) {
    std::vector<Msg>& log = Log();
    bool same = log.size() == expected.size();
    for (size_t i = 0; same && i < log.size(); ++i) {
        same = log[i].hwnd == expected[i].hwnd && log[i].message == expected[i].message &&
               (expected[i].wParam == kAny || expected[i].wParam == log[i].wParam);
    }
    EXPECT_TRUE(same) << context << ": expected\n" << Describe(expected) << "got\n" << Describe(log);
    log.clear();
}

void RegisterRecordingClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kRecordingClass;
    ASSERT_NE(RegisterClassW(&wc), 0);
}

HWND Make(DWORD style, int x, int y, int width, int height, HWND parent, DWORD exStyle) {
    return CreateWindowExW(exStyle, kRecordingClass, u"", style, x, y, width, height, parent, nullptr, nullptr,
                           nullptr);
}

int Drain(HACCEL accel) {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++count;
        if (msg.message == WM_QUIT) {
            break;
        }
        if (accel != nullptr && TranslateAcceleratorW(msg.hwnd, accel, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return count;
}

void RunFor(uint64_t ms) {
    uint64_t end = rt::NowMs() + ms;
    for (;;) {
        Drain();
        uint64_t next = user::NextTimerDeadline();
        if (next > end) {
            break;
        }
        if (next > rt::NowMs()) {
            rt::SetClock(next);
        }
    }
    rt::SetClock(end);
    Drain();
}

uint32_t Pixel(int x, int y) { return gdi::ScreenPixels()[y * gdi::kScreenWidth + x]; }

void ClearScreen(uint32_t xrgb) {
    uint32_t* p = gdi::ScreenPixels();
    std::fill(p, p + gdi::kScreenWidth * gdi::kScreenHeight, xrgb);
}

int CountPixels(const RECT& area, uint32_t xrgb) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (Pixel(x, y) == xrgb) ++n;
    return n;
}

void UserTest::SetUp() {
    user::ResetForTests();
    testhost::Reset();
    rt::UseVirtualClock(10000);
    Log().clear();
    g_paintColour = RGB(0, 128, 0);
    ClearScreen(0x123456);
    gdi::TakeScreenDirtyRect();
    RegisterRecordingClass();
}

void UserTest::TearDown() {
    user::ResetForTests();
    Log().clear();
}

}  // namespace usertest
