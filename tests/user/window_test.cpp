// The window manager: message sequences compared with the lists Win32 gives,
// what a window may draw on and what a change to the window stack gives back,
// timers on the virtual clock, and input with the accelerators.
#include <functional>

#include "gdi/surface.h"
#include "support.h"

using namespace usertest;

namespace {

constexpr uint32_t kRed = 0xFF0000;
const RECT kClient{0, 0, 240, 294};
const RECT kScreen{0, 0, 240, 320};
const RECT kPanel{60, 100, 180, 180};

HWND MakeMain() { return Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT); }

// Clears the screen, fills everything through a DC of the window (its own
// when none is given) in red and answers the red pixels in the area.
int RedThroughDc(HWND hwnd, HDC dc = nullptr, const RECT& area = kScreen) {
    ClearScreen();
    HDC used = dc != nullptr ? dc : GetDC(hwnd);
    const RECT all{-50, -50, 500, 500};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(used, &all, brush);
    DeleteObject(brush);
    if (dc == nullptr) ReleaseDC(hwnd, used);
    return CountPixels(area, kRed);
}

using WindowTest = UserTest;

// The main window once its first paint has validated it, with the messages
// of its creation forgotten.
HWND MakePaintedMain() {
    HWND w = MakeMain();
    UpdateWindow(w);
    Drain();
    g_log.clear();
    return w;
}

TEST_F(WindowTest, CreationSendsCreateSizeMoveAndShowAndTakesTheAreaAboveTheMenuBar) {
    HWND w = MakeMain();
    // WM_CREATE inside the call, then size and place, then the show that
    // WS_VISIBLE asks for; CW_USEDEFAULT gives the area above the menu bar.
    ExpectSequence({{w, WM_CREATE}, {w, WM_SIZE}, {w, WM_MOVE}, {w, WM_SHOWWINDOW, TRUE}}, "create");
    EXPECT_EQ(WindowRectOf(w), kClient);
}

TEST_F(WindowTest, ShowWindowAnswersTheOldVisibilityAndSendsOnlyOnAChange) {
    HWND w = MakeMain();
    g_log.clear();
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    ExpectSequence({{w, WM_SHOWWINDOW, FALSE}, {w, WM_SHOWWINDOW, TRUE}}, "show and hide send only on a change");
}

TEST_F(WindowTest, APaintThatSkipsBeginPaintLeavesTheWindowInvalidAndIsAskedAgain) {
    // The game's first paint returns before BeginPaint while no board
    // exists: the window stays invalid and is asked again.
    HWND w = MakeMain();
    g_log.clear();
    g_skipPaints = 1;
    UpdateWindow(w);
    Drain();
    EXPECT_EQ(Drain(), 0) << "validated";
    ExpectSequence({{w, WM_PAINT}, {w, WM_PAINT}, {w, WM_ERASEBKGND}}, "first paint");
}

TEST_F(WindowTest, PaintAndTimersComeOnlyWhenNothingElseWaitsPaintFirstAndOnlyInTheInvalidPart) {
    HWND w = MakePaintedMain();
    SetTimer(w, 7, 10, nullptr);
    rt::AdvanceClock(10);
    RECT r{10, 20, 30, 40};
    InvalidateRect(w, &r, FALSE);
    PostMessageW(w, WM_USER, 1, 0);
    PostMessageW(w, WM_USER, 2, 0);
    ClearScreen();
    Drain();
    ExpectSequence({{w, WM_USER, 1}, {w, WM_USER, 2}, {w, WM_PAINT}, {w, WM_TIMER, 7}}, "invalidate and paint");
    EXPECT_EQ(CountPixels(kClient, kGreen), Area(r));
}

TEST_F(WindowTest, APostedQuitEndsTheLoopAfterPostedMessagesBeforeAPendingPaintAndADueTimer) {
    HWND w = MakePaintedMain();
    SetTimer(w, 7, 10, nullptr);
    rt::AdvanceClock(10);
    InvalidateRect(w, nullptr, TRUE);
    PostMessageW(w, WM_USER, 0, 0);
    PostQuitMessage(3);
    MSG msg;
    EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0) && msg.message == WM_USER);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_TRUE(msg.message == WM_QUIT && msg.wParam == 3);
}

TEST_F(WindowTest, CloseDestroysOwnedWindowsFirstAndChildrenAfterTheirParent) {
    HWND main = MakeMain();
    HWND child = Make(WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, main);
    HWND owned = Make(WS_POPUP, 50, 50, 40, 40, main);
    HWND ownedThroughChild = Make(WS_POPUP, 0, 0, 5, 5, child);
    EXPECT_EQ(GetParent(owned), main) << "an owned pop-up answers its owner, as in Win32";
    EXPECT_EQ(GetParent(ownedThroughChild), main) << "owned by a child means owned by its top-level window";
    g_log.clear();
    SendMessageW(main, WM_CLOSE, 0, 0);
    ExpectSequence({{main, WM_CLOSE},
                    {ownedThroughChild, WM_DESTROY},  // the top of the stack first
                    {ownedThroughChild, WM_NCDESTROY},
                    {owned, WM_DESTROY},
                    {owned, WM_NCDESTROY},
                    {main, WM_DESTROY},
                    {child, WM_DESTROY},
                    {child, WM_NCDESTROY},
                    {main, WM_NCDESTROY}},
                   "close");
    // Every handle is stale now, and calls with one fail safely.
    EXPECT_FALSE(IsWindow(main) || IsWindow(child) || IsWindow(owned));
    EXPECT_FALSE(PostMessageW(owned, WM_USER, 0, 0));
    EXPECT_EQ(GetDC(child), nullptr);
}

// The program's bitmaps come from its table through the drawing layer's
// decoder; anything but a numbered bitmap of that type gives null.
TEST_F(WindowTest, LoadBitmapFindsOnlyNumberedBitmapsOfTheTable) {
    HBITMAP tiles = LoadBitmapW(nullptr, MAKEINTRESOURCEW(106));
    gdi::SurfaceView view;
    ASSERT_TRUE(gdi::GetBitmapSurface(tiles, &view));
    EXPECT_GT(view.width * view.height, 0);
    EXPECT_TRUE(DeleteObject(tiles));
    // An icon's number, a missing number, a name, none.
    const LPCWSTR others[] = {MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(999), u"TILES", nullptr};
    for (LPCWSTR name : others) {
        EXPECT_EQ(LoadBitmapW(nullptr, name), nullptr);
    }
}

// The main window shows its class icon: the group's first picture, with
// magenta as the transparent part of the mask.
TEST_F(WindowTest, TheMainWindowShowsItsClassIconWithMagentaMaskedOut) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(128));
    wc.lpszClassName = u"IconClass";
    ASSERT_NE(wc.hIcon, nullptr);
    ASSERT_NE(RegisterClassW(&wc), 0);
    ASSERT_NE(CreateWindowExW(0, u"IconClass", u"", 0, 0, 0, 240, 294, nullptr, nullptr, nullptr, nullptr), nullptr);
    ASSERT_EQ(std::make_pair(g_icon.width, g_icon.height), std::make_pair(32, 32));
    int covered = 0;
    for (size_t i = 0; i < g_icon.mask.size(); ++i) {
        EXPECT_EQ(g_icon.mask[i], g_icon.pixels[i] == 0xFF00FF ? 0 : 1) << i;
        covered += g_icon.mask[i];
    }
    EXPECT_GT(covered, 0);
    EXPECT_LT(covered, 32 * 32);
}

// ---------------------------------------------------------------------------
// Visibility

class PaintTest : public UserTest {
protected:
    // The main window with an owned panel over its middle, both painted.
    void MakeMainAndPanel() {
        main_ = MakeMain();
        panel_ = Make(WS_POPUP | WS_VISIBLE, 60, 100, 120, 80, main_);
        Drain();
        g_log.clear();
    }
    HWND main_ = nullptr;
    HWND panel_ = nullptr;
};

TEST_F(PaintTest, ADcNeverDrawsOverOwnedWindowsChildrenOrOutsideItsWindow) {
    // A timer tick that holds a DC while a dialog opens must not draw over
    // it either: a live DC follows the window stack.
    main_ = MakeMain();
    HDC early = GetDC(main_);
    panel_ = Make(WS_POPUP | WS_VISIBLE, 60, 100, 120, 80, main_);
    HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, main_);
    Drain();
    EXPECT_EQ(RedThroughDc(main_), Area(kClient) - Area(kPanel) - 20 * 20);
    EXPECT_EQ(RedThroughDc(main_, early), Area(kClient) - Area(kPanel) - 20 * 20);
    EXPECT_EQ(CountPixels(kPanel, kRed), 0);
    // The child's DC has its own origin and stops at its own edges.
    EXPECT_EQ(RedThroughDc(child), 20 * 20);
    EXPECT_EQ(Pixel(10, 10), kRed);
    ShowWindow(panel_, SW_HIDE);
    EXPECT_EQ(RedThroughDc(main_, early, kPanel), Area(kPanel));
    DestroyWindow(main_);
    EXPECT_EQ(RedThroughDc(main_, early), 0) << "a DC of a destroyed window draws nowhere";
    EXPECT_TRUE(ReleaseDC(main_, early) == 1 && ReleaseDC(main_, early) == 0) << "released once only";
}

TEST_F(PaintTest, HeldDcsFollowEveryChangeOfTheWindowStack) {
    // What shows of a window is worked out once and kept until the window
    // stack changes; DCs held across each kind of change must see it.
    main_ = MakeMain();
    HWND a = Make(WS_POPUP | WS_VISIBLE, 20, 20, 100, 100, main_);
    HWND b = Make(WS_POPUP, 100, 100, 60, 60, main_);
    HWND child = Make(WS_CHILD | WS_VISIBLE, 200, 250, 10, 10, main_);
    std::vector<HWND> above = {a, b, child};
    HDC mainDc = GetDC(main_);
    HDC aDc = GetDC(a);
    // The main window's share of its client area: all but the visible
    // windows above it, counted pixel by pixel.
    auto mainShare = [&] {
        int n = 0;
        for (int y = 0; y < kClient.bottom; ++y) {
            for (int x = 0; x < kClient.right; ++x) {
                bool covered = false;
                for (HWND w : above) {
                    RECT r{};
                    covered |= IsWindowVisible(w) && GetWindowRect(w, &r) && x >= r.left && x < r.right &&
                               y >= r.top && y < r.bottom;
                }
                n += !covered;
            }
        }
        return n;
    };
    struct Change {
        const char* what;
        std::function<void()> apply;
        int aShows;  // pixels that a's DC reaches afterwards
    };
    const Change changes[] = {
        {"show b over a", [&] { ShowWindow(b, SW_SHOW); }, 100 * 100 - 20 * 20},
        {"move a", [&] { MoveWindow(a, 0, 0, 100, 100, TRUE); }, 100 * 100},
        {"size a", [&] { MoveWindow(a, 0, 0, 120, 160, TRUE); }, 120 * 160 - 20 * 60},
        {"raise a", [&] { SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }, 120 * 160},
        {"raise b", [&] { SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }, 120 * 160 - 20 * 60},
        {"move the child", [&] { MoveWindow(child, 150, 5, 10, 10, TRUE); }, 120 * 160 - 20 * 60},
        {"hide b", [&] { SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW); },
         120 * 160},
        {"create another", [&] { above.push_back(Make(WS_POPUP | WS_VISIBLE, 110, 0, 20, 10, main_)); }, 120 * 160 - 10 * 10},
        {"destroy a", [&] { DestroyWindow(a); }, 0},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        c.apply();
        EXPECT_EQ(RedThroughDc(main_, aDc), c.aShows);
        EXPECT_EQ(RedThroughDc(main_, mainDc, kClient), mainShare());
    }
    ReleaseDC(main_, mainDc);
    ReleaseDC(a, aDc);
}

TEST_F(PaintTest, UncoveringInvalidatesExactlyWhatWasUncovered) {
    struct Case {
        const char* what;
        void (*change)(HWND panel, HWND main);
        RECT uncovered;
        int panelRepaint;  // pixels that the panel paints again at its new place
    };
    const Case cases[] = {
        {"hide", [](HWND p, HWND) { ShowWindow(p, SW_HIDE); }, kPanel, 0},
        {"move", [](HWND p, HWND) { MoveWindow(p, 80, 100, 120, 80, TRUE); }, RECT{60, 100, 80, 180}, 120 * 80},
        {"destroy", [](HWND p, HWND) { DestroyWindow(p); }, kPanel, 0},
        {"move without repaint", [](HWND p, HWND) { MoveWindow(p, 80, 100, 120, 80, FALSE); }, RECT{}, 0},
        {"invalidate under the panel", [](HWND, HWND m) { InvalidateRect(m, &kPanel, TRUE); }, RECT{}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeMainAndPanel();
        c.change(panel_, main_);
        RECT update{};
        GetUpdateRect(main_, &update, FALSE);
        EXPECT_EQ(update, c.uncovered);
        ClearScreen();
        Drain();
        // The owner paints its whole client area, but only the uncovered
        // part takes it.
        EXPECT_EQ(CountPixels(c.uncovered, kGreen), Area(c.uncovered));
        EXPECT_EQ(CountPixels(kClient, kGreen), Area(c.uncovered) + c.panelRepaint);
        DestroyWindow(main_);
    }
    // Where no window is, the desktop shows: black.
    EXPECT_EQ(CountPixels(kClient, 0x000000u), Area(kClient));
}

TEST_F(PaintTest, DrawingIsPresentedBeforeTheQueueSleepsUntilTheNextTimer) {
    HWND w = Make(WS_VISIBLE, 0, 0, 50, 50);
    SetTimer(w, 1, 100, nullptr);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, UINT{WM_PAINT});
    DispatchMessageW(&msg);
    EXPECT_EQ(g_presents, 0);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, UINT{WM_TIMER});
    EXPECT_EQ(g_presents, 1) << "the paint was shown before the wait";
    EXPECT_EQ(g_waits, std::vector<uint64_t>{10100}) << "one wait, until the timer's deadline";
}

// ---------------------------------------------------------------------------
// Timers

std::vector<DWORD> g_times;  // dwTime of each call of Proc, the tick count
uint64_t g_handlerCost = 0;  // ms that the next call "takes"
int g_otherCalls = 0;

void CALLBACK Proc(HWND, UINT, UINT_PTR, DWORD time) {
    g_times.push_back(time);
    rt::AdvanceClock(g_handlerCost);
    g_handlerCost = 0;
}
void CALLBACK OtherProc(HWND, UINT, UINT_PTR, DWORD) { ++g_otherCalls; }

class TimerTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        g_times.clear();
        g_handlerCost = 0;
        g_otherCalls = 0;
        w_ = Make(0, 0, 0, 10, 10);
        g_log.clear();
    }
    HWND w_ = nullptr;
};

TEST_F(TimerTest, ALongHandlerIsFollowedByAFullPeriodNotABurst) {
    SetTimer(w_, 1, 50, Proc);
    g_handlerCost = 320;
    RunFor(500);
    // 10050 runs until 10370; the next tick is a period after that, and no
    // tick makes up for the six periods missed.
    EXPECT_EQ(g_times, (std::vector<DWORD>{10050, 10420, 10470}));
    ExpectSequence({}, "a timer with a callback never reaches the window procedure");
}

TEST_F(TimerTest, TheTickCountWrapsThroughTwoToTheThirtyTwo) {
    rt::SetClock((uint64_t{1} << 32) - 120);
    SetTimer(w_, 1, 50, Proc);
    RunFor(200);
    EXPECT_EQ(g_times, (std::vector<DWORD>{0xFFFFFFFFu - 69, 0xFFFFFFFFu - 19, 30, 80}));
    EXPECT_EQ(GetTickCount(), 80u);
}

TEST_F(TimerTest, ALateTimerIsOneMessageAndAForgedOneCallsNoCallback) {
    SetTimer(w_, 1, 50, nullptr);
    rt::AdvanceClock(500);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT{WM_TIMER});
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "never twice in the queue";
    rt::AdvanceClock(49);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    rt::AdvanceClock(1);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageW(&msg);
    // The callback in lParam is called only if it is the timer's own.
    msg.lParam = reinterpret_cast<LPARAM>(&OtherProc);
    DispatchMessageW(&msg);
    EXPECT_EQ(g_otherCalls, 0);
    ExpectSequence({{w_, WM_TIMER, 1, 0}, {w_, WM_TIMER, 1}}, "both to the window procedure");
}

TEST_F(TimerTest, TheSameIdentifierReplacesTheTimerAndRestartsItsPeriod) {
    SetTimer(w_, 1, 50, Proc);
    RunFor(30);
    SetTimer(w_, 1, 100, OtherProc);
    RunFor(99);
    EXPECT_EQ(g_otherCalls, 0);
    RunFor(1);
    EXPECT_EQ(g_otherCalls, 1) << "one timer, the new one, at 30 + 100";
    EXPECT_TRUE(g_times.empty());
}

TEST_F(TimerTest, KillTimerStopsOneTimerOnceEvenFromItsOwnCallback) {
    static int selfKills;
    selfKills = 0;
    SetTimer(w_, 1, 50, Proc);
    SetTimer(w_, 2, 50, OtherProc);
    SetTimer(w_, 3, 50, [](HWND h, UINT, UINT_PTR id, DWORD) { selfKills += KillTimer(h, id) ? 1 : 0; });
    RunFor(50);
    EXPECT_TRUE(KillTimer(w_, 1));
    EXPECT_FALSE(KillTimer(w_, 1));
    EXPECT_FALSE(KillTimer(w_, 4));
    RunFor(200);
    EXPECT_EQ(g_times.size(), 1u);
    EXPECT_EQ(selfKills, 1);
    EXPECT_EQ(g_otherCalls, 5) << "the other timer runs on";
    DestroyWindow(w_);
    EXPECT_EQ(user::NextTimerDeadline(), UINT64_MAX);
}

// ---------------------------------------------------------------------------
// Input

class InputTest : public PaintTest {
protected:
    void SetUp() override {
        PaintTest::SetUp();
        MakeMainAndPanel();
    }
    // Runs the loop as WinMain does, with the game's accelerators, and
    // compares the input and command messages.
    void ExpectRun(const std::vector<Msg>& expected, const char* what) {
        Drain(LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(3)));
        KeepOnly({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN,
                  WM_SYSKEYUP, WM_SYSCHAR, WM_COMMAND});
        ExpectSequence(expected, what);
    }
};

TEST_F(InputTest, ThePenGoesToTheWindowUnderItAndStaysWithItUntilPenUp) {
    PenAt(0, host::EventKind::PenDown, 70, 110);
    PenAt(0, host::EventKind::PenMove, 250, 330);  // off the screen
    PenAt(0, host::EventKind::PenUp, 5, 250);      // over the main window
    PenAt(0, host::EventKind::PenMove, 100, 120);  // after pen-up: the panel again
    TapAt(0, 5, 250);
    TapAt(0, 5, 300);  // no window under the menu-bar rows
    // Positions are client coordinates, packed as Win32 packs them.
    ExpectRun({{panel_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10)},
               {panel_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(190, 230)},
               {panel_, WM_LBUTTONUP, 0, MAKELPARAM(-55, 150)},
               {panel_, WM_MOUSEMOVE, 0, MAKELPARAM(40, 20)},
               {main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 250)},
               {main_, WM_LBUTTONUP}},
              "captured");
}

TEST_F(InputTest, AltSlashAndAltF4BecomeCommandsAndPlainKeysDoNot) {
    struct Case {
        const char* what;
        unsigned vk;
        char16_t ch;
        bool alt;
        bool charApart;  // the character as an event of its own, as SDL gives it
        std::vector<Msg> expected;
    };
    const WPARAM about = MAKEWPARAM(40003, 1);
    const Case cases[] = {
        {"alt+/", 0xBF, u'/', true, false,
         {{main_, WM_SYSKEYDOWN, 0xBF}, {main_, WM_COMMAND, about}, {main_, WM_SYSKEYUP, 0xBF}}},
        {"alt+/ as a character", 0xBF, u'/', true, true,
         {{main_, WM_SYSKEYDOWN, 0xBF}, {main_, WM_SYSKEYUP, 0xBF}, {main_, WM_COMMAND, about}}},
        {"alt+f4", VK_F4, 0, true, false, {{main_, WM_COMMAND, MAKEWPARAM(40002, 1)}, {main_, WM_SYSKEYUP, VK_F4}}},
        {"plain /", 0xBF, u'/', false, false,
         {{main_, WM_KEYDOWN, 0xBF}, {main_, WM_CHAR, u'/'}, {main_, WM_KEYUP, 0xBF}}},
        {"plain f4", VK_F4, 0, false, false, {{main_, WM_KEYDOWN, VK_F4}, {main_, WM_KEYUP, VK_F4}}},
    };
    for (const Case& c : cases) {
        KeyAt(0, c.vk, c.charApart ? 0 : c.ch, c.alt);
        if (c.charApart) EventAt(0, {.kind = host::EventKind::Char, .ch = c.ch, .alt = c.alt});
        ExpectRun(c.expected, c.what);
    }
    MSG forged{main_, WM_SYSCHAR, u'/', LPARAM{1} << 29, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorW(main_, reinterpret_cast<HACCEL>(&forged), &forged), 0)
        << "not an accelerator table";
}

}  // namespace
