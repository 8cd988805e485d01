#include "dialog_support.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <sstream>

#include "gdi/png.h"
#include "gdi/screen.h"
#include "registry/registry.h"
#include "runtime/runtime_control.h"
#include "user.h"

namespace dlgtest {
namespace {

constexpr uint64_t kStartMs = 10000;

struct Timed {
    uint64_t at;
    host::Event event;
};

std::deque<Timed> g_events;

void Schedule(uint64_t msFromStart, const host::Event& e) {
    Timed t{kStartMs + msFromStart, e};
    // Stable: events at the same moment keep the order they were given in.
    auto it = std::upper_bound(g_events.begin(), g_events.end(), t,
                               [](const Timed& a, const Timed& b) { return a.at < b.at; });
    g_events.insert(it, t);
}

const char* Name(UINT m) {
    switch (m) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_MOVE: return "WM_MOVE";
    case WM_SIZE: return "WM_SIZE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_ENABLE: return "WM_ENABLE";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_NCDESTROY: return "WM_NCDESTROY";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_INITDIALOG: return "WM_INITDIALOG";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case 0x0030: return "WM_SETFONT";
    default: return "WM_?";
    }
}

std::string Describe(const std::vector<Msg>& messages) {
    std::ostringstream out;
    for (const Msg& m : messages) {
        out << "  " << m.hwnd << " " << Name(m.message) << " (0x" << std::hex << m.message << std::dec << ")";
        if (m.wParam != kAny) out << " wParam " << m.wParam;
        out << "\n";
    }
    return out.str();
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Msg{hwnd, msg, wParam});
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(g_ownerColour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

COLORREF g_ownerColour = RGB(0, 128, 0);
std::vector<WORD> g_endOn;
INT_PTR g_endInInit = 0;
LPARAM g_lastCommandLParam = 0;

void PenAt(uint64_t msFromStart, host::EventKind kind, int x, int y) {
    host::Event e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    Schedule(msFromStart, e);
}

void TapAt(uint64_t msFromStart, int x, int y) {
    PenAt(msFromStart, host::EventKind::PenDown, x, y);
    PenAt(msFromStart, host::EventKind::PenUp, x, y);
}

void KeyAt(uint64_t msFromStart, unsigned vk) {
    host::Event e;
    e.kind = host::EventKind::KeyDown;
    e.vk = vk;
    Schedule(msFromStart, e);
    e.kind = host::EventKind::KeyUp;
    Schedule(msFromStart, e);
}

void PressAt(uint64_t msFromStart, const char* label) {
    host::Event e;
    e.kind = host::EventKind::Press;
    e.label = label;
    Schedule(msFromStart, e);
}

uint64_t StartMs() { return kStartMs; }

std::vector<Msg>& Log() {
    static std::vector<Msg> log;
    return log;
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

void KeepOnly(const std::vector<UINT>& messages) {
    std::vector<Msg>& log = Log();
    log.erase(std::remove_if(log.begin(), log.end(),
                             [&](const Msg& m) {
                                 return std::find(messages.begin(), messages.end(), m.message) == messages.end();
                             }),
              log.end());
}

INT_PTR CALLBACK RecordingDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Msg{dlg, msg, wParam});
    if (msg == WM_INITDIALOG) {
        if (g_endInInit != 0) {
            EndDialog(dlg, g_endInInit);
        }
        return TRUE;
    }
    if (msg == WM_COMMAND) {
        g_lastCommandLParam = lParam;
        if (std::find(g_endOn.begin(), g_endOn.end(), LOWORD(wParam)) != g_endOn.end()) {
            EndDialog(dlg, LOWORD(wParam));
            return TRUE;
        }
    }
    return FALSE;
}

const DLGTEMPLATEW* Template(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG);
    return static_cast<const DLGTEMPLATEW*>(LoadResource(nullptr, found));
}

int Drain() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++count;
        if (msg.message == WM_QUIT) {
            break;
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
        if (!g_events.empty()) {
            next = std::min(next, g_events.front().at);
        }
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

RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

void ExpectScreenMatchesGolden(const char* name) {
    const uint32_t* pixels = gdi::ScreenPixels();
    const int width = gdi::kScreenWidth;
    const int height = gdi::kScreenHeight;
    std::string golden = std::string(TAVILO_DIALOG_GOLDEN_DIR) + "/" + name + ".png";
    std::string actual = std::string(TAVILO_DIALOG_OUTPUT_DIR) + "/" + name + ".png";
    gdi::WritePng(actual.c_str(), pixels, width, height);
    const char* update = std::getenv("TAVILO_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        EXPECT_TRUE(gdi::WritePng(golden.c_str(), pixels, width, height)) << "cannot write " << golden;
        return;
    }
    std::vector<uint32_t> expected;
    int w = 0;
    int h = 0;
    ASSERT_TRUE(gdi::ReadPng(golden.c_str(), &expected, &w, &h)) << "no reference picture " << golden;
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    int differences = 0;
    for (int i = 0; i < width * height; ++i) {
        differences += (pixels[i] & 0xFFFFFF) != expected[i] ? 1 : 0;
    }
    EXPECT_EQ(differences, 0) << "pixels differ from " << golden << "; the picture drawn is " << actual;
}

void DialogTest::SetUp() {
    user::ResetForTests();
    // The main window publishes a socket in the configuration folder.
    reg::SetConfigDir(::testing::TempDir() + "tavilo-dialog-tests");
    g_events.clear();
    rt::UseVirtualClock(kStartMs);
    Log().clear();
    g_ownerColour = RGB(0, 128, 0);
    g_endOn = {IDOK, IDCANCEL};
    g_endInInit = 0;
    g_lastCommandLParam = 0;
    std::fill(gdi::ScreenPixels(), gdi::ScreenPixels() + gdi::kScreenWidth * gdi::kScreenHeight, 0x123456u);
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = kOwnerClass;
    ASSERT_NE(RegisterClassW(&wc), 0);
    owner_ = CreateWindowExW(0, kOwnerClass, u"Owner", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
    Drain();
    Log().clear();
}

void DialogTest::TearDown() {
    EXPECT_TRUE(g_events.empty()) << g_events.size() << " scheduled input events were never taken";
    user::ResetForTests();
    g_events.clear();
    Log().clear();
}

}  // namespace dlgtest

namespace host {

void Present(const uint32_t*, int, int, int, int) {}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    auto& events = dlgtest::g_events;
    uint64_t now = rt::NowMs();
    if (!events.empty() && events.front().at <= std::max(now, deadlineMs)) {
        if (events.front().at > now) {
            rt::SetClock(events.front().at);
        }
        *event = events.front().event;
        events.pop_front();
        return true;
    }
    if (deadlineMs <= now) {
        return false;
    }
    if (deadlineMs == UINT64_MAX) {
        // A loop that would wait for ever with nothing scheduled: close the
        // owner, which ends whatever loop is running, and fail the test.
        ADD_FAILURE() << "a loop waited for input that the test never scheduled";
        *event = Event{};
        event->kind = EventKind::Close;
        return true;
    }
    rt::SetClock(deadlineMs);
    return false;
}

void WatchDescriptor(int) {}
void RaiseWindow() {}
void SetIcon(const uint32_t*, const uint8_t*, int, int) {}

}  // namespace host
