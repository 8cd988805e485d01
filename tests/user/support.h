// Shared helpers of the window-manager tests: a scripted host, a message
// recorder in the manner of Wine's msg.c, and a way to run the queue for a
// stretch of virtual time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gdi/screen.h"
#include "host.h"
#include "runtime/runtime_control.h"
#include "user.h"
#include "windows.h"

namespace testhost {

void Reset();
void Push(const host::Event& event);
void PushPen(host::EventKind kind, int x, int y);
void PushKey(unsigned vk, char16_t ch, bool alt);  // down and up
void PushChar(char16_t ch, bool alt);
int PresentCount();
int RaiseCount();
int WatchedFd();
// Deadlines that WaitEvent was asked to sleep until.
const std::vector<uint64_t>& Waits();

}  // namespace testhost

namespace usertest {

constexpr WPARAM kAny = ~WPARAM{0};

struct Msg {
    HWND hwnd;
    UINT message;
    WPARAM wParam = kAny;
};

std::vector<Msg>& Log();
// The log as text, for readable failures.
std::string Describe(const std::vector<Msg>& messages);
// Compares the log with the expected list (kAny matches any wParam), then
// empties the log.
void ExpectSequence(const std::vector<Msg>& expected, const char* context);

// A class whose procedure records every message and otherwise behaves as
// DefWindowProcW. Its background is white.
constexpr const char16_t* kRecordingClass = u"Recording";
void RegisterRecordingClass();
HWND Make(DWORD style, int x, int y, int width, int height, HWND parent = nullptr, DWORD exStyle = 0);

// What the recording procedure does on WM_PAINT: by default BeginPaint, fill
// the whole client area with paintColour, EndPaint; the painted rectangle is
// kept.
extern COLORREF g_paintColour;
extern RECT g_lastPaintRect;
extern int g_lastPaintErase;

// Dispatches everything that is waiting, as a message loop with the given
// accelerators would; returns the number of messages.
int Drain(HACCEL accel = nullptr);
// Runs the queue until the virtual clock reaches now + ms, with every timer
// that falls due on the way.
void RunFor(uint64_t ms);

uint32_t Pixel(int x, int y);
void ClearScreen(uint32_t xrgb);
int CountPixels(const RECT& area, uint32_t xrgb);

class UserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace usertest
