#include "inprocess.h"

#include <deque>

#include "gdi/screen.h"
#include "harness.h"
#include "input/stylus.h"
#include "intro/intro.h"
#include "registry/registry.h"
#include "runtime/runtime_control.h"
#include "shell/globals.h"
#include "user/user.h"
#include "view/view.h"

namespace progtest {

namespace {

std::deque<Step> g_steps;
bool g_waitStarted = false;
uint64_t g_waitUntil = 0;

Step EventStep(host::EventKind kind, int x, int y) {
    Step s;
    s.kind = Step::Event;
    s.event.kind = kind;
    s.event.x = x;
    s.event.y = y;
    return s;
}

void ResetProgramState() {
    g_hInst = nullptr;
    g_hwndMain = nullptr;
    g_hwndMenuBar = nullptr;
    g_hwndIntro = nullptr;
    g_introVisible = 0;
    g_board = nullptr;
    g_playerCount = DEFAULT_PLAYERS;
    g_allActive = 0;
    g_allNext = 0;
    g_optionsAccepted = 0;
    g_topStripRect = {0, 0, 0, 0};
    g_scribbleRect = {0, 0, 0, 0};
    g_introIndex = 0;
    g_penDown = 0;
    g_startupDone = 0;
}

}  // namespace

Step PenDown(int x, int y) { return EventStep(host::EventKind::PenDown, x, y); }
Step PenMove(int x, int y) { return EventStep(host::EventKind::PenMove, x, y); }
Step PenUp(int x, int y) { return EventStep(host::EventKind::PenUp, x, y); }

Step CommandStep(int command) {
    Step s = EventStep(host::EventKind::Command, 0, 0);
    s.event.command = command;
    return s;
}

Step PressStep(const std::string& label) {
    Step s = EventStep(host::EventKind::Press, 0, 0);
    s.event.label = label;
    return s;
}

Step WaitStep(uint64_t ms) {
    Step s;
    s.kind = Step::Wait;
    s.ms = ms;
    return s;
}

Step CheckStep(std::function<void()> check) {
    Step s;
    s.kind = Step::Check;
    s.check = std::move(check);
    return s;
}

int RunProgram(const std::vector<Step>& steps, uint64_t clockStart) {
    rt::UseVirtualClock(clockStart);
    reg::SetConfigDir(MakeTempDir());
    user::ResetForTests();
    ResetProgramState();
    g_steps.assign(steps.begin(), steps.end());
    g_waitStarted = false;
    const int code = WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, nullptr, SW_SHOW);
    // Whatever the program left behind must not reach the next run.
    user::ResetForTests();
    DestroyBoard(g_board);
    g_board = nullptr;
    g_steps.clear();
    return code;
}

std::vector<uint32_t> ScreenCopy() {
    const uint32_t* pixels = gdi::ScreenPixels();
    return std::vector<uint32_t>(pixels, pixels + gdi::kScreenWidth * gdi::kScreenHeight);
}

}  // namespace progtest

// The host seam, as the program's window manager calls it.
namespace host {

void Present(const uint32_t*, int, int, int, int) {}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    using progtest::g_steps;
    // A poll: the program takes what is ready without waiting. Steps are
    // handed over only when it really waits, between messages.
    if (deadlineMs <= rt::NowMs()) {
        return false;
    }
    for (;;) {
        if (g_steps.empty()) {
            event->kind = EventKind::Close;
            return true;
        }
        progtest::Step& step = g_steps.front();
        switch (step.kind) {
            case progtest::Step::Check: {
                auto check = std::move(step.check);
                g_steps.pop_front();
                check();
                // The check may have queued work; let the program run it.
                return false;
            }
            case progtest::Step::Event:
                *event = step.event;
                g_steps.pop_front();
                return true;
            case progtest::Step::Wait:
                if (!progtest::g_waitStarted) {
                    progtest::g_waitStarted = true;
                    progtest::g_waitUntil = rt::NowMs() + step.ms;
                }
                if (deadlineMs <= progtest::g_waitUntil) {
                    rt::SetClock(deadlineMs);
                    return false;
                }
                rt::SetClock(progtest::g_waitUntil);
                progtest::g_waitStarted = false;
                g_steps.pop_front();
                continue;
        }
    }
}

void WatchDescriptor(int) {}
void RaiseWindow() {}
void SetIcon(const uint32_t*, const uint8_t*, int, int) {}

}  // namespace host
