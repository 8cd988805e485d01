// Helpers of the window-manager, dialog and menu-bar tests: a host whose input
// arrives at set moments of the virtual clock (so that a timer can fire under
// a modal dialog before the tap that closes it), a message log in the manner
// of Wine's msg.c, and screen checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gdi/screen.h"
#include "user/host.h"
#include "runtime/runtime_control.h"
#include "user.h"
#include "windows.h"

// gtest compares and prints rectangles.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

namespace usertest {

constexpr uint64_t kStartMs = 10000;  // the virtual clock at each test's start

// Input handed out once the virtual clock reaches ms after the test's start;
// the clock jumps there when the program waits. Events of the same moment
// keep their order, and 0 means at once.
void EventAt(uint64_t ms, const host::Event& event);
void PenAt(uint64_t ms, host::EventKind kind, int x, int y);
void TapAt(uint64_t ms, int x, int y);
void KeyAt(uint64_t ms, unsigned vk, char16_t ch = 0, bool alt = false);  // down and up
void PressAt(uint64_t ms, const char* label);
// Presents of the screen, and deadlines that WaitEvent was asked to sleep
// until.
extern int g_presents;
extern std::vector<uint64_t> g_waits;
// The last icon the host was given.
struct Icon {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> mask;
};
extern Icon g_icon;

constexpr WPARAM kAny = ~WPARAM{0};
constexpr LPARAM kAnyL = INTPTR_MIN;

struct Msg {
    HWND hwnd;
    UINT message;
    WPARAM wParam = kAny;
    LPARAM lParam = kAnyL;
};
extern std::vector<Msg> g_log;
// Compares the log with the expected list (kAny and kAnyL match anything),
// then empties it.
void ExpectSequence(const std::vector<Msg>& expected, const char* context);
// Keeps only the entries of the given messages.
void KeepOnly(const std::vector<UINT>& messages);

// A class whose procedure records every message and otherwise behaves as
// DefWindowProcW, with a white background. On WM_PAINT it paints its client
// area in green (kGreen) between BeginPaint and EndPaint, unless g_skipPaints
// asks it to return at once that many times.
HWND Make(DWORD style, int x, int y, int width, int height, HWND parent = nullptr);
extern int g_skipPaints;

// A dialog procedure that records every message; it ends the dialog on the
// commands in g_endOn, and inside WM_INITDIALOG with g_endInInit when that
// is not 0.
INT_PTR CALLBACK RecordingDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
extern std::vector<WORD> g_endOn;
extern INT_PTR g_endInInit;
const DLGTEMPLATEW* Template(int id);

// Dispatches everything waiting, as a message loop with the given
// accelerators would; returns the number of messages.
int Drain(HACCEL accel = nullptr);
// Runs the queue until the clock reaches now + ms, with every timer and
// scheduled input on the way.
void RunFor(uint64_t ms);

constexpr uint32_t kMarker = 0x123456;  // what each test starts with on the screen
constexpr uint32_t kGreen = 0x008000;   // what the recording class paints
uint32_t Pixel(int x, int y);
void ClearScreen(uint32_t xrgb = kMarker);
int CountPixels(const RECT& area, uint32_t xrgb);
int Area(const RECT& r);
RECT WindowRectOf(HWND hwnd);
// The window's children, first to last.
std::vector<HWND> Children(HWND hwnd);
// The game's menu bar under the owner, made as the game makes it; the log is
// emptied after it.
HWND MakeBar(HWND owner);
// Compares a picture with tests/user/golden/NAME.png (TAVILO_UPDATE_GOLDEN=1
// writes it afresh); by default the picture is the screen.
void ExpectMatchesGolden(const char* name, const uint32_t* pixels = nullptr);

class UserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// With a visible main window, the owner of whatever the test opens.
class OwnerTest : public UserTest {
protected:
    void SetUp() override;
    HWND owner_ = nullptr;
};

}  // namespace usertest
