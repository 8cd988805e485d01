#include "support.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <sstream>

#include "../golden.h"
#include "gdi/png.h"
#include "resource.h"
#include "runtime/system.h"
#include "user_internal.h"

namespace usertest {
namespace {

// An event, or with a label a tap on the control of that label, found as
// the headless host finds it when the event's moment comes.
struct Timed {
    uint64_t at;
    host::Event event;
    std::u16string label;
};
std::deque<Timed> g_events;
constexpr const char16_t* kRecordingClass = u"Recording";

std::string Describe(const std::vector<Msg>& messages) {
    std::ostringstream out;
    for (const Msg& m : messages) {
        out << "  " << m.hwnd << " message 0x" << std::hex << m.message << std::dec;
        if (m.wParam != kAny) out << " wParam " << m.wParam;
        if (m.lParam != kAnyL) out << " lParam 0x" << std::hex << m.lParam << std::dec;
        out << "\n";
    }
    return out.str();
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_log.push_back(Msg{hwnd, msg, wParam, lParam});
    if (msg == WM_PAINT) {
        if (g_skipPaints > 0) {
            --g_skipPaints;
            return 0;
        }
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        const RECT all{0, 0, 1000, 1000};  // the whole client area: BeginPaint clips
        HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int g_presents;
std::vector<uint64_t> g_waits;
Icon g_icon;
std::vector<Msg> g_log;
int g_skipPaints;
std::vector<WORD> g_endOn;
INT_PTR g_endInInit;

void Schedule(const Timed& t) {
    auto it = std::upper_bound(g_events.begin(), g_events.end(), t,
                               [](const Timed& a, const Timed& b) { return a.at < b.at; });
    g_events.insert(it, t);
}

void EventAt(uint64_t ms, const host::Event& event) { Schedule({kStartMs + ms, event, {}}); }

void PenAt(uint64_t ms, host::EventKind kind, int x, int y) {
    EventAt(ms, host::PenEvent(kind, x, y));
}

void TapAt(uint64_t ms, int x, int y) {
    PenAt(ms, host::EventKind::PenDown, x, y);
    PenAt(ms, host::EventKind::PenUp, x, y);
}

void KeyAt(uint64_t ms, unsigned vk, char16_t ch, bool alt) {
    EventAt(ms, {.kind = host::EventKind::KeyDown, .vk = vk, .ch = ch, .alt = alt});
    EventAt(ms, {.kind = host::EventKind::KeyUp, .vk = vk, .alt = alt});
}

void PressAt(uint64_t ms, const char* label) {
    Schedule({kStartMs + ms, {}, std::u16string(label, label + std::char_traits<char>::length(label))});
}

void ExpectSequence(const std::vector<Msg>& expected, const char* context) {
    bool same = g_log.size() == expected.size();
    for (size_t i = 0; same && i < g_log.size(); ++i) {
        const Msg& e = expected[i];
        const Msg& got = g_log[i];
        same = got.hwnd == e.hwnd && got.message == e.message && (e.wParam == kAny || e.wParam == got.wParam) &&
               (e.lParam == kAnyL || e.lParam == got.lParam);
    }
    EXPECT_TRUE(same) << context << ": expected\n" << Describe(expected) << "got\n" << Describe(g_log);
    g_log.clear();
}

void KeepOnly(const std::vector<UINT>& messages) {
    std::erase_if(g_log, [&](const Msg& m) {
        return std::find(messages.begin(), messages.end(), m.message) == messages.end();
    });
}

HWND Make(DWORD style, int x, int y, int width, int height, HWND parent) {
    return CreateWindowExW(0, kRecordingClass, u"", style, x, y, width, height, parent, nullptr, nullptr, nullptr);
}

INT_PTR CALLBACK RecordingDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_log.push_back(Msg{dlg, msg, wParam, lParam});
    if (msg == WM_INITDIALOG) {
        if (g_endInInit != 0) EndDialog(dlg, g_endInInit);
        return TRUE;
    }
    if (msg == WM_COMMAND) {
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

int Drain(HACCEL accel) {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++count;
        if (msg.message == WM_QUIT) break;
        if (accel != nullptr && TranslateAcceleratorW(msg.hwnd, accel, &msg)) continue;
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
        if (!g_events.empty()) next = std::min(next, g_events.front().at);
        if (next > end) break;
        if (next > rt::NowMs()) rt::SetClock(next);
    }
    rt::SetClock(end);
    Drain();
}

uint32_t Pixel(int x, int y) { return gdi::ScreenPixels()[y * gdi::kScreenWidth + x]; }

void ClearScreen(uint32_t xrgb) {
    std::fill(gdi::ScreenPixels(), gdi::ScreenPixels() + gdi::kScreenWidth * gdi::kScreenHeight, xrgb);
}

int CountPixels(const RECT& area, uint32_t xrgb) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) n += Pixel(x, y) == xrgb ? 1 : 0;
    return n;
}

int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::vector<HWND> Children(HWND hwnd) {
    std::vector<HWND> out;
    for (user::Window* c : user::FromHandle(hwnd)->children) out.push_back(c->handle);
    return out;
}

HWND MakeBar(HWND owner) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = owner;
    info.dwFlags = SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = IDR_MENUBAR;
    EXPECT_TRUE(SHCreateMenuBar(&info));
    Drain();
    g_log.clear();
    return info.hwndMB;
}

void ExpectMatchesGolden(const char* name, const uint32_t* pixels) {
    EXPECT_TRUE(testgolden::MatchesGolden(std::string(TAVILO_GOLDEN_DIR) + "/" + name + ".png",
                                          std::string(TAVILO_OUTPUT_DIR) + "/" + name + ".png",
                                          pixels != nullptr ? pixels : gdi::ScreenPixels(), gdi::kScreenWidth,
                                          gdi::kScreenHeight));
}

void UserTest::SetUp() {
    user::ResetForTests();
    // A main window publishes a socket in the configuration folder.
    sys::SetConfigDir(::testing::TempDir() + "tavilo-user-tests");
    g_events.clear();
    g_presents = 0;
    g_icon = {};
    g_waits.clear();
    rt::UseVirtualClock(kStartMs);
    g_log.clear();
    g_skipPaints = 0;
    g_endOn = {IDOK, IDCANCEL};
    g_endInInit = 0;
    ClearScreen();
    gdi::TakeScreenDirtyRect();
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kRecordingClass;
    ASSERT_NE(RegisterClassW(&wc), 0);
}

void UserTest::TearDown() {
    EXPECT_TRUE(g_events.empty()) << g_events.size() << " scheduled input events were never taken";
    user::ResetForTests();
}

void OwnerTest::SetUp() {
    UserTest::SetUp();
    owner_ = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    Drain();
    g_log.clear();
}

}  // namespace usertest

// The host seam, answered from the scheduled input and the virtual clock.
namespace host {

void Present(const uint32_t*, int, int, int, int) { ++usertest::g_presents; }

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    auto& events = usertest::g_events;
    uint64_t now = rt::NowMs();
    if (!events.empty() && events.front().at <= std::max(now, deadlineMs)) {
        rt::SetClock(std::max(now, events.front().at));
        const usertest::Timed next = events.front();
        events.pop_front();
        if (next.label.empty()) {
            *event = next.event;
            return true;
        }
        POINT centre{};
        if (!user::FindLabelledControl(next.label, &centre)) {
            ADD_FAILURE() << "no visible control is labelled " << std::string(next.label.begin(), next.label.end());
            return false;
        }
        events.push_front({next.at, PenEvent(EventKind::PenUp, centre.x, centre.y), {}});
        *event = PenEvent(EventKind::PenDown, centre.x, centre.y);
        return true;
    }
    if (deadlineMs <= now) return false;
    usertest::g_waits.push_back(deadlineMs);
    if (deadlineMs == UINT64_MAX) {
        // A loop that would wait for ever: close the main window, which ends
        // whatever loop runs, and fail the test.
        ADD_FAILURE() << "a loop waited for input that the test never gave";
        *event = Event{.kind = EventKind::Close};
        return true;
    }
    rt::SetClock(deadlineMs);
    return false;
}

void RaiseWindow() {}
void SetIcon(const uint32_t* pixels, const uint8_t* mask, int width, int height) {
    const size_t n = size_t(width) * size_t(height);
    usertest::g_icon = {width, height, std::vector<uint32_t>(pixels, pixels + n), std::vector<uint8_t>(mask, mask + n)};
}

}  // namespace host
