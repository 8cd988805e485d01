// Message sequences of window creation, showing, painting and destruction,
// compared with the lists Win32 gives.
#include "support.h"

using namespace usertest;

namespace {

class WindowTest : public UserTest {};

TEST_F(WindowTest, CreateVisibleDefaultWindowGetsTheAreaAboveTheMenuBar) {
    HWND w = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    ASSERT_NE(w, nullptr);
    // WM_CREATE inside the call, then size and place, then the show that
    // WS_VISIBLE asks for.
    ExpectSequence({{w, WM_CREATE}, {w, WM_SIZE}, {w, WM_MOVE}, {w, WM_SHOWWINDOW, TRUE}}, "create");
    RECT r;
    ASSERT_TRUE(GetClientRect(w, &r));
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(r.bottom, 294);
    ASSERT_TRUE(GetWindowRect(w, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 294);
    EXPECT_EQ(user::MainWindow(), w);
}

TEST_F(WindowTest, FailingCreateReturnsNullAndLeavesNoWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcW(h, m, wp, lp);
    };
    wc.lpszClassName = u"Refuses";
    RegisterClassW(&wc);
    EXPECT_EQ(CreateWindowExW(0, u"Refuses", u"", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(user::MainWindow(), nullptr);
    EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(RegisterClassW(&wc), 0) << "a second class of the same name";
}

TEST_F(WindowTest, ShowReturnsThePreviousVisibilityAndSendsOnlyOnChange) {
    HWND w = Make(0, 0, 0, 50, 50);
    Log().clear();
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    EXPECT_TRUE(ShowWindow(w, SW_SHOW));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
    ExpectSequence({{w, WM_SHOWWINDOW, TRUE}, {w, WM_SHOWWINDOW, FALSE}}, "show, show, hide, hide");
}

TEST_F(WindowTest, FirstPaintErasesWithTheClassBrushAndValidates) {
    HWND w = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    Log().clear();
    g_paintColour = RGB(0, 0, 255);
    UpdateWindow(w);
    ExpectSequence({{w, WM_PAINT}, {w, WM_ERASEBKGND}}, "first paint");
    EXPECT_EQ(Pixel(10, 10), 0x0000FFu);
    EXPECT_EQ(Pixel(10, 300), 0x123456u) << "nothing below the window";
    UpdateWindow(w);
    EXPECT_EQ(Drain(), 0);
    ExpectSequence({}, "a valid window gets no second paint");
}

TEST_F(WindowTest, PaintComesOnlyWhenNothingElseWaits) {
    HWND w = Make(WS_VISIBLE, 0, 0, 100, 100);
    UpdateWindow(w);
    Log().clear();
    RECT r{10, 20, 30, 40};
    InvalidateRect(w, &r, FALSE);
    PostMessageW(w, WM_USER, 1, 0);
    PostMessageW(w, WM_USER, 2, 0);
    Drain();
    ExpectSequence({{w, WM_USER, 1}, {w, WM_USER, 2}, {w, WM_PAINT}}, "posted before paint");
    EXPECT_EQ(g_lastPaintRect.left, 10);
    EXPECT_EQ(g_lastPaintRect.top, 20);
    EXPECT_EQ(g_lastPaintRect.right, 30);
    EXPECT_EQ(g_lastPaintRect.bottom, 40);
    // Invalidated without erase: no WM_ERASEBKGND; with erase: one.
    InvalidateRect(w, &r, TRUE);
    Drain();
    ExpectSequence({{w, WM_PAINT}, {w, WM_ERASEBKGND}}, "invalidate with erase");
}

TEST_F(WindowTest, AProcedureThatDoesNotValidateIsAskedAgain) {
    // The game's first paint returns before BeginPaint when no board exists;
    // the window must stay invalid for the next paint.
    static int paints = 0;
    paints = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) {
            if (++paints == 1) return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    };
    wc.lpszClassName = u"LazyPainter";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, u"LazyPainter", u"", WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(w);
    EXPECT_EQ(paints, 1);
    Drain();
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(Drain(), 0);
}

TEST_F(WindowTest, DestroyTakesOwnedWindowsFirstAndChildrenAfterTheParent) {
    HWND main = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    HWND child = Make(WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, main);
    HWND owned = Make(WS_POPUP, 50, 50, 40, 40, main);
    SetTimer(main, 1, 50, nullptr);
    Log().clear();
    EXPECT_TRUE(DestroyWindow(main));
    ExpectSequence({{owned, WM_DESTROY},
                    {owned, WM_NCDESTROY},
                    {main, WM_DESTROY},
                    {child, WM_DESTROY},
                    {child, WM_NCDESTROY},
                    {main, WM_NCDESTROY}},
                   "destroy");
    // Every handle is stale now, and every call with one fails safely.
    for (HWND h : {main, child, owned}) {
        EXPECT_FALSE(IsWindow(h));
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_FALSE(ShowWindow(h, SW_SHOW));
        RECT r;
        EXPECT_FALSE(GetClientRect(h, &r));
        EXPECT_FALSE(GetWindowRect(h, &r));
        EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 1, 1, 0));
        EXPECT_FALSE(SetWindowTextW(h, u"x"));
        EXPECT_EQ(GetWindowTextLengthW(h), 0);
        EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0);
        EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));
        EXPECT_FALSE(InvalidateRect(h, nullptr, TRUE));
        EXPECT_EQ(GetDC(h), nullptr);
        EXPECT_EQ(SetTimer(h, 2, 50, nullptr), 0u);
        EXPECT_EQ(GetParent(h), nullptr);
    }
    EXPECT_FALSE(KillTimer(main, 1)) << "the window's timers went with it";
    EXPECT_EQ(user::MainWindow(), nullptr);
    ExpectSequence({}, "nothing reaches a destroyed window");
}

TEST_F(WindowTest, WmCloseDestroysByDefaultAndPostedQuitEndsTheLoopAfterPostedMessages) {
    HWND w = Make(WS_VISIBLE, 0, 0, 10, 10);
    UpdateWindow(w);
    SetTimer(w, 1, 10, nullptr);
    rt::AdvanceClock(20);
    InvalidateRect(w, nullptr, TRUE);
    Log().clear();
    PostMessageW(w, WM_USER, 0, 0);
    PostQuitMessage(3);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    // The quit comes before the pending paint and the due timer.
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, GetParentAnswersTheOwnerOfOwnedTopLevelWindows) {
    HWND main = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    HWND child = Make(WS_CHILD, 0, 0, 5, 5, main);
    HWND grandChild = Make(WS_CHILD, 0, 0, 5, 5, child);
    HWND popup = Make(WS_POPUP, 0, 0, 5, 5, main);
    HWND overlapped = Make(0, 0, 0, 5, 5, main);
    // Owned by a child means owned by its top-level window.
    HWND ownedThroughChild = Make(WS_POPUP, 0, 0, 5, 5, grandChild);
    EXPECT_EQ(GetParent(main), nullptr);
    EXPECT_EQ(GetParent(child), main);
    EXPECT_EQ(GetParent(grandChild), child);
    EXPECT_EQ(GetParent(popup), main);
    EXPECT_EQ(GetParent(overlapped), main);
    EXPECT_EQ(GetParent(ownedThroughChild), main);
    EXPECT_EQ(Make(WS_CHILD, 0, 0, 5, 5, nullptr), nullptr) << "a child needs a parent";
}

TEST_F(WindowTest, ChildCoordinatesAreTheParentsClientCoordinates) {
    HWND parent = Make(WS_VISIBLE, 20, 30, 100, 100);
    HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 15, 40, 20, parent);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 45);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(r.bottom, 65);
    MoveWindow(parent, 0, 0, 100, 100, TRUE);
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 10) << "children move with their parent";
    HWND defaulted = Make(WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent);
    GetWindowRect(defaulted, &r);
    EXPECT_EQ(r.right - r.left, 0);
}

TEST_F(WindowTest, SetWindowPosKeepsWhatItsFlagsKeep) {
    HWND w = Make(WS_VISIBLE, 10, 10, 100, 80);
    Log().clear();
    SetWindowPos(w, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ExpectSequence({{w, WM_MOVE}}, "move only");
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 130);
    EXPECT_EQ(r.bottom, 120);
    SetWindowPos(w, nullptr, 0, 0, 50, 60, SWP_NOMOVE | SWP_NOZORDER);
    ExpectSequence({{w, WM_SIZE}}, "size only");
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.right, 80);
    EXPECT_EQ(r.bottom, 100);
    SetWindowPos(w, nullptr, 30, 40, 50, 60, SWP_NOZORDER);
    ExpectSequence({}, "nothing changed, nothing sent");
}

TEST_F(WindowTest, TextGoesThroughTheWindowsOwnMessages) {
    HWND w = CreateWindowExW(0, kRecordingClass, u"Tavilo", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    Log().clear();
    EXPECT_EQ(GetWindowTextLengthW(w), 6);
    WCHAR buffer[4];
    EXPECT_EQ(GetWindowTextW(w, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"Tav") << "cut to the buffer, terminated";
    EXPECT_TRUE(SetWindowTextW(w, u"Other"));
    WCHAR full[16];
    GetWindowTextW(w, full, 16);
    EXPECT_EQ(std::u16string(full), u"Other");
    ExpectSequence({{w, WM_GETTEXTLENGTH}, {w, WM_GETTEXT, 4}, {w, WM_SETTEXT}, {w, WM_GETTEXT, 16}}, "text");
    EXPECT_EQ(FindWindowW(kRecordingClass, u"Other"), w);
    EXPECT_EQ(FindWindowW(u"recording", u"Other"), w) << "class names ignore case";
    EXPECT_EQ(FindWindowW(kRecordingClass, u"other"), nullptr) << "titles do not";
}

TEST_F(WindowTest, EnableWindowReportsThePreviousState) {
    HWND w = Make(WS_VISIBLE, 0, 0, 5, 5);
    Log().clear();
    EXPECT_FALSE(EnableWindow(w, FALSE));
    EXPECT_TRUE(EnableWindow(w, FALSE));
    EXPECT_FALSE(IsWindowEnabled(w));
    EXPECT_TRUE(EnableWindow(w, TRUE));
    ExpectSequence({{w, WM_ENABLE, FALSE}, {w, WM_ENABLE, TRUE}}, "enable");
}

TEST_F(WindowTest, ResourcesAreFoundByNumber) {
    WCHAR buffer[6];
    EXPECT_EQ(LoadStringW(nullptr, 7, buffer, 6), 5);
    EXPECT_EQ(std::u16string(buffer), u"Hello");
    const WCHAR* direct = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, 7, reinterpret_cast<LPWSTR>(&direct), 0), 13);
    EXPECT_EQ(std::u16string(direct, 13), u"Hello, window");
    EXPECT_EQ(LoadStringW(nullptr, 99, buffer, 6), 0);
    EXPECT_EQ(buffer[0], 0);
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(3), RT_ACCELERATOR);
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, res), 16u);
    const WORD* words = static_cast<const WORD*>(LoadResource(nullptr, res));
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words[2], 40003);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(3), RT_DIALOG), nullptr);
    EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(&words)), nullptr) << "not a resource handle";
    EXPECT_NE(LoadIconW(nullptr, MAKEINTRESOURCEW(128)), nullptr);
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(129)), nullptr);
}

}  // namespace
