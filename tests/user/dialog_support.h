// Helpers of the dialog and menu-bar tests, which run against the game's own
// resource table: a host whose input arrives at set moments of the virtual
// clock (so that a timer can fire under a modal dialog before the tap that
// closes it), a message log in the manner of Wine's msg.c, and screen checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host.h"
#include "windows.h"

namespace dlgtest {

// Input that the host hands out once the virtual clock reaches msFromStart
// (counted from the test's start); the clock jumps there when the program
// waits.
void PenAt(uint64_t msFromStart, host::EventKind kind, int x, int y);
void TapAt(uint64_t msFromStart, int x, int y);
void KeyAt(uint64_t msFromStart, unsigned vk);
void PressAt(uint64_t msFromStart, const char* label);
uint64_t StartMs();

constexpr WPARAM kAny = ~WPARAM{0};

struct Msg {
    HWND hwnd;
    UINT message;
    WPARAM wParam = kAny;
};

std::vector<Msg>& Log();
// Compares the log with the expected list (kAny matches any wParam), then
// empties it.
void ExpectSequence(const std::vector<Msg>& expected, const char* context);
// Keeps only the entries of the given messages.
void KeepOnly(const std::vector<UINT>& messages);

// The owner window: records every message, paints its client area in
// g_ownerColour.
constexpr const char16_t* kOwnerClass = u"DialogTestOwner";
extern COLORREF g_ownerColour;

// A dialog procedure that records every message and answers WM_INITDIALOG
// with TRUE; g_endOn lists the commands it ends the dialog with, and
// g_endInInit makes it call EndDialog(g_endInInit) inside WM_INITDIALOG.
INT_PTR CALLBACK RecordingDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
extern std::vector<WORD> g_endOn;
extern INT_PTR g_endInInit;
extern LPARAM g_lastCommandLParam;

const DLGTEMPLATEW* Template(int id);
int Drain();
void RunFor(uint64_t ms);

uint32_t Pixel(int x, int y);
RECT WindowRectOf(HWND hwnd);
// Writes the screen to the build folder and compares it with the reference
// picture in tests/user/golden (TAVILO_UPDATE_GOLDEN=1 writes it afresh).
void ExpectScreenMatchesGolden(const char* name);

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    HWND owner_ = nullptr;
};

}  // namespace dlgtest

// gtest prints rectangles readably.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
