// Visibility: what a window may draw on, and what a change to the window
// stack gives back to the windows below.
#include "support.h"

using namespace usertest;

namespace {

constexpr uint32_t kGreen = 0x008000;  // g_paintColour's default as a pixel
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kMarker = 0x123456;  // what the fixture leaves on the screen

class PaintTest : public UserTest {
protected:
    // The main window with an owned panel over its middle, both painted.
    void MakeMainAndPanel() {
        main_ = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        panel_ = Make(WS_POPUP | WS_VISIBLE, 60, 100, 120, 80, main_);
        Drain();
        Log().clear();
    }
    void FillThroughDc(HWND hwnd, HDC dc, uint32_t xrgb) {
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(gdi::ColorFromPixel(xrgb));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
    }
    HWND main_ = nullptr;
    HWND panel_ = nullptr;
};

const RECT kPanel{60, 100, 180, 180};
const RECT kClient{0, 0, 240, 294};
int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

TEST_F(PaintTest, ADcOfTheOwnerNeverDrawsOverItsOwnedWindow) {
    MakeMainAndPanel();
    ClearScreen(kMarker);
    HDC dc = GetDC(main_);
    ASSERT_NE(dc, nullptr);
    FillThroughDc(main_, dc, kRed);
    ReleaseDC(main_, dc);
    EXPECT_EQ(CountPixels(kPanel, kRed), 0);
    EXPECT_EQ(CountPixels(kClient, kRed), Area(kClient) - Area(kPanel));
    EXPECT_EQ(CountPixels(RECT{0, 294, 240, 320}, kRed), 0) << "nothing outside the client area";
}

TEST_F(PaintTest, HidingUncoversExactlyThePanelsArea) {
    MakeMainAndPanel();
    ClearScreen(kMarker);
    ShowWindow(panel_, SW_HIDE);
    Log().clear();
    RECT update;
    ASSERT_TRUE(GetUpdateRect(main_, &update, FALSE));
    EXPECT_EQ(update.left, kPanel.left);
    EXPECT_EQ(update.top, kPanel.top);
    EXPECT_EQ(update.right, kPanel.right);
    EXPECT_EQ(update.bottom, kPanel.bottom);
    Drain();
    ExpectSequence({{main_, WM_PAINT}, {main_, WM_ERASEBKGND}}, "the owner repaints");
    // The paint fills the whole client area, but only the uncovered part
    // takes it.
    EXPECT_EQ(CountPixels(kClient, kGreen), Area(kPanel));
    EXPECT_EQ(CountPixels(kPanel, kGreen), Area(kPanel));
}

TEST_F(PaintTest, MovingUncoversOnlyWhatTheWindowLeft) {
    MakeMainAndPanel();
    ClearScreen(kMarker);
    MoveWindow(panel_, 80, 100, 120, 80, TRUE);
    Drain();
    // The owner gets back the 20 columns the panel left; the panel, moved,
    // paints itself whole at its new place.
    RECT left{60, 100, 80, 180};
    EXPECT_EQ(CountPixels(left, kGreen), Area(left));
    EXPECT_EQ(CountPixels(RECT{80, 100, 200, 180}, kGreen), 120 * 80);
    EXPECT_EQ(CountPixels(kClient, kGreen), Area(left) + 120 * 80);
}

TEST_F(PaintTest, MoveWithoutRepaintInvalidatesNothing) {
    MakeMainAndPanel();
    MoveWindow(panel_, 80, 100, 120, 80, FALSE);
    EXPECT_EQ(Drain(), 0);
}

TEST_F(PaintTest, ALiveDcFollowsAWindowThatOpensOverIt) {
    // A timer tick that holds a DC while a dialog opens must not draw over it.
    main_ = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    Drain();
    HDC dc = GetDC(main_);
    panel_ = Make(WS_POPUP | WS_VISIBLE, 60, 100, 120, 80, main_);
    ClearScreen(kMarker);
    FillThroughDc(main_, dc, kRed);
    EXPECT_EQ(CountPixels(kPanel, kRed), 0);
    ShowWindow(panel_, SW_HIDE);
    ClearScreen(kMarker);
    FillThroughDc(main_, dc, kRed);
    EXPECT_EQ(CountPixels(kPanel, kRed), Area(kPanel));
    DestroyWindow(main_);
    ClearScreen(kMarker);
    FillThroughDc(main_, dc, kRed);
    EXPECT_EQ(CountPixels(RECT{0, 0, 240, 320}, kRed), 0) << "a DC of a destroyed window draws nowhere";
    EXPECT_EQ(ReleaseDC(main_, dc), 1);
    EXPECT_EQ(ReleaseDC(main_, dc), 0) << "released once only";
}

TEST_F(PaintTest, BeginPaintClipsToTheUpdateRegion) {
    MakeMainAndPanel();
    ClearScreen(kMarker);
    RECT a{0, 0, 10, 10};
    RECT b{200, 250, 240, 294};
    InvalidateRect(main_, &a, FALSE);
    InvalidateRect(main_, &b, FALSE);
    Drain();
    ExpectSequence({{main_, WM_PAINT}}, "one paint for both rectangles, no erase");
    EXPECT_EQ(CountPixels(kClient, kGreen), Area(a) + Area(b));
    EXPECT_EQ(g_lastPaintRect.left, 0);
    EXPECT_EQ(g_lastPaintRect.right, 240);
    EXPECT_EQ(g_lastPaintRect.bottom, 294);
}

TEST_F(PaintTest, InvalidatingUnderAnOwnedWindowLeavesItsAreaValid) {
    MakeMainAndPanel();
    InvalidateRect(main_, &kPanel, TRUE);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(main_, &update, FALSE)) << "nothing of that rectangle shows";
    EXPECT_EQ(Drain(), 0);
}

TEST_F(PaintTest, ChildrenAreClippedFromTheirParent) {
    HWND parent = Make(WS_VISIBLE, 0, 0, 100, 100);
    HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, parent);
    Drain();
    ClearScreen(kMarker);
    HDC dc = GetDC(parent);
    FillThroughDc(parent, dc, kRed);
    ReleaseDC(parent, dc);
    EXPECT_EQ(CountPixels(RECT{10, 10, 30, 30}, kRed), 0);
    EXPECT_EQ(CountPixels(RECT{0, 0, 100, 100}, kRed), 100 * 100 - 20 * 20);
    // The child's DC has its own origin and stops at its own edges.
    ClearScreen(kMarker);
    dc = GetDC(child);
    RECT big{-50, -50, 500, 500};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &big, brush);
    DeleteObject(brush);
    ReleaseDC(child, dc);
    EXPECT_EQ(CountPixels(RECT{0, 0, 240, 320}, kRed), 20 * 20);
    EXPECT_EQ(Pixel(10, 10), kRed);
}

TEST_F(PaintTest, AHiddenWindowNeitherDrawsNorPaints) {
    HWND w = Make(0, 0, 0, 50, 50);
    ClearScreen(kMarker);
    HDC dc = GetDC(w);
    FillThroughDc(w, dc, kRed);
    ReleaseDC(w, dc);
    EXPECT_EQ(CountPixels(RECT{0, 0, 50, 50}, kRed), 0);
    InvalidateRect(w, nullptr, TRUE);
    EXPECT_EQ(Drain(), 0);
    // Shown, it is invalid whole.
    ShowWindow(w, SW_SHOW);
    Drain();
    EXPECT_EQ(CountPixels(RECT{0, 0, 50, 50}, kGreen), 2500);
}

TEST_F(PaintTest, OwnedWindowsStayAboveTheirOwnerWhenItIsRaised) {
    MakeMainAndPanel();
    HWND other = Make(WS_VISIBLE, 0, 0, 240, 320);  // covers both
    Drain();
    Log().clear();
    ClearScreen(kMarker);
    EXPECT_TRUE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(main_) | 1)));
    Drain();
    ExpectSequence({{panel_, WM_PAINT}, {panel_, WM_ERASEBKGND}, {main_, WM_PAINT}, {main_, WM_ERASEBKGND}},
                   "both come back, the panel on top");
    HDC dc = GetDC(main_);
    ClearScreen(kMarker);
    FillThroughDc(main_, dc, kRed);
    ReleaseDC(main_, dc);
    EXPECT_EQ(CountPixels(kPanel, kRed), 0);
    (void)other;
}

TEST_F(PaintTest, DestroyingUncoversTheOwnerAndTheDesktop) {
    MakeMainAndPanel();
    ClearScreen(kMarker);
    DestroyWindow(panel_);
    Drain();
    EXPECT_EQ(CountPixels(kClient, kGreen), Area(kPanel));
    ClearScreen(kMarker);
    DestroyWindow(main_);
    // Where no window is, the desktop shows: black.
    EXPECT_EQ(CountPixels(kClient, 0x000000u), Area(kClient));
    EXPECT_EQ(Pixel(0, 300), kMarker) << "the menu-bar rows were never covered";
}

TEST_F(PaintTest, DrawingIsPresentedBeforeTheQueueSleeps) {
    HWND w = Make(WS_VISIBLE, 0, 0, 50, 50);
    SetTimer(w, 1, 100, nullptr);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageW(&msg);
    EXPECT_EQ(testhost::PresentCount(), 0);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(testhost::PresentCount(), 1) << "the paint was shown before the wait";
    ASSERT_EQ(testhost::Waits().size(), 1u);
    EXPECT_EQ(testhost::Waits()[0], 10100u) << "the wait ends at the timer's deadline";
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(testhost::PresentCount(), 1) << "nothing new drawn, nothing presented";
}

}  // namespace
