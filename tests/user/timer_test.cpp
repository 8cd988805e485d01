// Timers: deadlines on the virtual clock, no catch-up, replacement, killing,
// and a tick count that wraps through 2^32.
#include "support.h"

using namespace usertest;

namespace {

std::vector<DWORD> g_calls;     // dwTime of each TIMERPROC call
std::vector<uint64_t> g_clock;  // the clock at each call
uint64_t g_handlerCost = 0;     // ms that the next call "takes"

void CALLBACK Proc(HWND, UINT msg, UINT_PTR, DWORD time) {
    EXPECT_EQ(msg, static_cast<UINT>(WM_TIMER));
    g_calls.push_back(time);
    g_clock.push_back(rt::NowMs());
    rt::AdvanceClock(g_handlerCost);
    g_handlerCost = 0;
}

int g_otherCalls = 0;
void CALLBACK OtherProc(HWND, UINT, UINT_PTR, DWORD) { ++g_otherCalls; }

class TimerTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        g_calls.clear();
        g_clock.clear();
        g_handlerCost = 0;
        g_otherCalls = 0;
        w_ = Make(WS_VISIBLE, 0, 0, 10, 10);
        Drain();
        Log().clear();
    }
    HWND w_ = nullptr;
};

TEST_F(TimerTest, CallbackRunsEveryPeriodFromTheDispatch) {
    EXPECT_EQ(SetTimer(w_, 1, 50, Proc), 1u);
    RunFor(1000);
    ASSERT_EQ(g_clock.size(), 20u);
    for (size_t i = 0; i < g_clock.size(); ++i) {
        EXPECT_EQ(g_clock[i], 10050 + 50 * i);
        EXPECT_EQ(g_calls[i], static_cast<DWORD>(g_clock[i])) << "dwTime is the tick count";
    }
    ExpectSequence({}, "a timer with a callback never reaches the window procedure");
}

TEST_F(TimerTest, ALongHandlerIsFollowedByAFullPeriodNotABurst) {
    SetTimer(w_, 1, 50, Proc);
    g_handlerCost = 320;  // the first tick runs long
    RunFor(500);
    // 10050 runs until 10370; the next tick is a period after that, and no
    // tick makes up for the six periods missed.
    std::vector<uint64_t> expected{10050, 10420, 10470};
    EXPECT_EQ(g_clock, expected);
}

TEST_F(TimerTest, ALateTimerIsOneMessageNotOnePerMissedPeriod) {
    SetTimer(w_, 1, 50, nullptr);
    rt::AdvanceClock(500);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "never twice in the queue";
    rt::AdvanceClock(49);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    rt::AdvanceClock(1);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    // Without a callback WM_TIMER goes to the window procedure.
    DispatchMessageW(&msg);
    ExpectSequence({{w_, WM_TIMER, 1}}, "timer without a callback");
}

TEST_F(TimerTest, TimerComesAfterPostedMessagesAndPaint) {
    SetTimer(w_, 7, 10, nullptr);
    rt::AdvanceClock(10);
    InvalidateRect(w_, nullptr, FALSE);
    PostMessageW(w_, WM_USER, 0, 0);
    Drain();
    ExpectSequence({{w_, WM_USER}, {w_, WM_PAINT}, {w_, WM_TIMER, 7}}, "order");
}

TEST_F(TimerTest, TheSameIdentifierReplacesTheTimerAndRestartsItsPeriod) {
    SetTimer(w_, 1, 50, Proc);
    RunFor(30);
    SetTimer(w_, 1, 100, OtherProc);
    RunFor(99);
    EXPECT_EQ(g_calls.size(), 0u);
    EXPECT_EQ(g_otherCalls, 0);
    RunFor(1);
    EXPECT_EQ(g_otherCalls, 1) << "one timer, the new one, at 30 + 100";
    EXPECT_EQ(g_calls.size(), 0u);
}

TEST_F(TimerTest, KillTimerStopsItOnce) {
    SetTimer(w_, 1, 50, Proc);
    SetTimer(w_, 2, 50, OtherProc);
    RunFor(50);
    EXPECT_TRUE(KillTimer(w_, 1));
    EXPECT_FALSE(KillTimer(w_, 1));
    EXPECT_FALSE(KillTimer(w_, 3));
    RunFor(200);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_otherCalls, 5) << "the other timer runs on";
    DestroyWindow(w_);
    EXPECT_EQ(user::NextTimerDeadline(), UINT64_MAX);
}

TEST_F(TimerTest, KillingTheTimerInsideItsCallbackLeavesItDead) {
    static HWND target;
    target = w_;
    SetTimer(w_, 1, 50, [](HWND h, UINT, UINT_PTR id, DWORD) {
        ++g_otherCalls;
        KillTimer(h, id);
        EXPECT_EQ(h, target);
    });
    RunFor(500);
    EXPECT_EQ(g_otherCalls, 1);
    EXPECT_EQ(user::NextTimerDeadline(), UINT64_MAX);
}

TEST_F(TimerTest, TickCountWrapsThroughTwoToTheThirtyTwo) {
    rt::SetClock((uint64_t{1} << 32) - 120);
    SetTimer(w_, 1, 50, Proc);
    RunFor(200);
    std::vector<DWORD> expected{0xFFFFFFFFu - 69, 0xFFFFFFFFu - 19, 30, 80};
    EXPECT_EQ(g_calls, expected);
    EXPECT_EQ(GetTickCount(), 80u);
}

TEST_F(TimerTest, AForgedTimerMessageDoesNotCallAnArbitraryAddress) {
    SetTimer(w_, 1, 50, Proc);
    MSG msg{};
    msg.hwnd = w_;
    msg.message = WM_TIMER;
    msg.wParam = 1;
    msg.lParam = reinterpret_cast<LPARAM>(&OtherProc);
    DispatchMessageW(&msg);
    EXPECT_EQ(g_otherCalls, 0);
    ExpectSequence({{w_, WM_TIMER, 1}}, "the window procedure gets it instead");
}

TEST_F(TimerTest, ThreadTimerGetsAnIdentifierOfItsOwn) {
    UINT_PTR id = SetTimer(nullptr, 0, 50, OtherProc);
    EXPECT_NE(id, 0u);
    RunFor(100);
    EXPECT_EQ(g_otherCalls, 2);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

}  // namespace
