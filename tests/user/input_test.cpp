// Input: the stylus to the window under it in client coordinates, captured
// from pen-down to pen-up; keys to the focus; accelerators; modal dialogs
// shutting out every other window.
#include "support.h"

using namespace usertest;

namespace {

class InputTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        main_ = Make(WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        panel_ = Make(WS_POPUP | WS_VISIBLE, 60, 100, 120, 80, main_);
        Drain();
        Log().clear();
        accel_ = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(3));
    }
    // Runs the loop as WinMain does and keeps only the input and command
    // messages.
    std::vector<Msg> Run() {
        Drain(accel_);
        std::vector<Msg> kept;
        for (const Msg& m : Log()) {
            if (m.message != WM_PAINT && m.message != WM_ERASEBKGND) kept.push_back(m);
        }
        Log().clear();
        return kept;
    }
    // Runs the queue and answers the position word of the last message of
    // that kind; the log is emptied.
    LPARAM LastLParam(UINT message) {
        MSG msg;
        lParams_.clear();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == message) lParams_.push_back(msg.lParam);
            DispatchMessageW(&msg);
        }
        Log().clear();
        return lParams_.empty() ? -1 : lParams_.back();
    }
    void ExpectRun(const std::vector<Msg>& expected, const char* what) {
        auto got = Run();
        Log() = got;
        ExpectSequence(expected, what);
    }
    HWND main_ = nullptr;
    HWND panel_ = nullptr;
    HACCEL accel_ = nullptr;
    std::vector<LPARAM> lParams_;
};

TEST_F(InputTest, PenGoesToTheTopmostWindowInItsClientCoordinates) {
    testhost::PushPen(host::EventKind::PenDown, 70, 110);
    EXPECT_EQ(LastLParam(WM_LBUTTONDOWN), MAKELPARAM(10, 10));
    testhost::PushPen(host::EventKind::PenUp, 70, 110);
    testhost::PushPen(host::EventKind::PenDown, 5, 250);
    testhost::PushPen(host::EventKind::PenUp, 5, 250);
    ExpectRun({{panel_, WM_LBUTTONUP, 0}, {main_, WM_LBUTTONDOWN, MK_LBUTTON}, {main_, WM_LBUTTONUP, 0}},
              "up on the panel, then a tap on the main window");
    testhost::PushPen(host::EventKind::PenDown, 5, 300);
    EXPECT_EQ(Run().size(), 0u) << "no window under the menu-bar rows";
}

TEST_F(InputTest, PenDownWindowKeepsThePenUntilPenUp) {
    testhost::PushPen(host::EventKind::PenDown, 20, 20);
    testhost::PushPen(host::EventKind::PenMove, 100, 120);  // over the panel
    testhost::PushPen(host::EventKind::PenMove, 250, 330);  // off the screen
    testhost::PushPen(host::EventKind::PenUp, 100, 120);
    testhost::PushPen(host::EventKind::PenMove, 100, 120);  // after pen-up: the panel again
    ExpectRun({{main_, WM_LBUTTONDOWN},
               {main_, WM_MOUSEMOVE, MK_LBUTTON},
               {main_, WM_MOUSEMOVE, MK_LBUTTON},
               {main_, WM_LBUTTONUP, 0},
               {panel_, WM_MOUSEMOVE, 0}},
              "captured");
    // A point left of and above the captured window packs as Win32 packs it.
    MoveWindow(main_, 10, 10, 200, 200, TRUE);
    testhost::PushPen(host::EventKind::PenDown, 15, 15);
    testhost::PushPen(host::EventKind::PenMove, 2, 4);
    EXPECT_EQ(LastLParam(WM_MOUSEMOVE), MAKELPARAM(-8, -6));
    EXPECT_EQ(LOWORD(MAKELPARAM(-8, -6)), 0xFFF8);
}

TEST_F(InputTest, ChildControlsTakeThePenAndDisabledOnesPassItOn) {
    HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 10, 30, 20, panel_);
    Drain();
    Log().clear();
    testhost::PushPen(host::EventKind::PenDown, 75, 115);
    EXPECT_EQ(LastLParam(WM_LBUTTONDOWN), MAKELPARAM(5, 5));
    testhost::PushPen(host::EventKind::PenUp, 75, 115);
    Drain();
    Log().clear();
    EnableWindow(child, FALSE);
    Log().clear();
    testhost::PushPen(host::EventKind::PenDown, 75, 115);
    testhost::PushPen(host::EventKind::PenUp, 75, 115);
    ExpectRun({{panel_, WM_LBUTTONDOWN}, {panel_, WM_LBUTTONUP}}, "through a disabled child");
}

TEST_F(InputTest, WhileAModalWindowRunsEveryOtherWindowIgnoresInput) {
    HWND dialog = Make(WS_POPUP | WS_VISIBLE, 20, 200, 100, 50, main_);
    HWND bar = Make(WS_POPUP | WS_VISIBLE, 0, 294, 240, 26, main_);  // stands for the menu bar
    Drain();
    Log().clear();
    user::PushModal(dialog);
    testhost::PushPen(host::EventKind::PenDown, 5, 5);
    testhost::PushPen(host::EventKind::PenUp, 5, 5);
    testhost::PushPen(host::EventKind::PenDown, 100, 120);
    testhost::PushPen(host::EventKind::PenUp, 100, 120);
    testhost::PushPen(host::EventKind::PenDown, 10, 300);
    testhost::PushPen(host::EventKind::PenUp, 10, 300);
    testhost::PushPen(host::EventKind::PenDown, 30, 210);
    testhost::PushPen(host::EventKind::PenUp, 30, 210);
    testhost::PushKey('A', u'a', false);
    ExpectRun({{dialog, WM_LBUTTONDOWN},
               {dialog, WM_LBUTTONUP},
               {dialog, WM_KEYDOWN, 'A'},
               {dialog, WM_CHAR, 'a'},
               {dialog, WM_KEYUP, 'A'}},
              "only the dialog");
    user::PopModal(dialog);
    testhost::PushPen(host::EventKind::PenDown, 10, 300);
    ExpectRun({{bar, WM_LBUTTONDOWN}}, "the bar again after the dialog");
}

TEST_F(InputTest, ADisabledTopLevelWindowSwallowsThePen) {
    EnableWindow(main_, FALSE);
    Log().clear();
    testhost::PushPen(host::EventKind::PenDown, 5, 5);
    testhost::PushPen(host::EventKind::PenUp, 5, 5);
    EXPECT_EQ(Run().size(), 0u);
}

TEST_F(InputTest, AltSlashAndAltF4BecomeTheirCommands) {
    // A host that sends the character with the key (headless) ...
    testhost::PushKey(0xBF, u'/', true);
    ExpectRun({{main_, WM_SYSKEYDOWN, 0xBF}, {main_, WM_COMMAND, MAKEWPARAM(40003, 1)}, {main_, WM_SYSKEYUP, 0xBF}},
              "alt+/ from the key");
    // ... and one that sends it as a character event of its own (SDL).
    testhost::PushKey(0xBF, 0, true);
    testhost::PushChar(u'/', true);
    ExpectRun({{main_, WM_SYSKEYDOWN, 0xBF}, {main_, WM_SYSKEYUP, 0xBF}, {main_, WM_COMMAND, MAKEWPARAM(40003, 1)}},
              "alt+/ as a character");
    testhost::PushKey(VK_F4, 0, true);
    ExpectRun({{main_, WM_COMMAND, MAKEWPARAM(40002, 1)}, {main_, WM_SYSKEYUP, VK_F4}}, "alt+f4");
}

TEST_F(InputTest, PlainKeysAreNotTranslated) {
    testhost::PushKey(0xBF, u'/', false);
    testhost::PushKey(VK_F4, 0, false);
    ExpectRun({{main_, WM_KEYDOWN, 0xBF},
               {main_, WM_CHAR, u'/'},
               {main_, WM_KEYUP, 0xBF},
               {main_, WM_KEYDOWN, VK_F4},
               {main_, WM_KEYUP, VK_F4}},
              "no commands");
    EXPECT_EQ(TranslateAcceleratorW(main_, nullptr, nullptr), 0);
    MSG forged{main_, WM_SYSCHAR, u'/', LPARAM{1} << 29, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorW(main_, reinterpret_cast<HACCEL>(&forged), &forged), 0)
        << "not an accelerator table";
    EXPECT_EQ(TranslateAcceleratorW(nullptr, accel_, &forged), 0);
}

TEST_F(InputTest, KeysGoToTheFocus) {
    HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main_);
    Drain();
    Log().clear();
    EXPECT_EQ(SetFocus(child), nullptr);
    ExpectSequence({{child, WM_SETFOCUS}}, "focus");
    testhost::PushChar(u'x', false);
    ExpectRun({{child, WM_CHAR, u'x'}}, "to the focus");
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(GetFocus(), nullptr) << "a hidden window loses the focus";
    Log().clear();
    testhost::PushChar(u'y', false);
    ExpectRun({{main_, WM_CHAR, u'y'}}, "back to the main window");
}

TEST_F(InputTest, HostCloseAndCommandGoToTheMainWindow) {
    host::Event command;
    command.kind = host::EventKind::Command;
    command.command = 40011;
    testhost::Push(command);
    host::Event close;
    close.kind = host::EventKind::Close;
    testhost::Push(close);
    Drain();
    std::vector<Msg> got;
    for (const Msg& m : Log())
        if (m.hwnd == main_ && (m.message == WM_COMMAND || m.message == WM_CLOSE || m.message == WM_DESTROY))
            got.push_back(m);
    Log() = got;
    ExpectSequence({{main_, WM_COMMAND, 40011}, {main_, WM_CLOSE}, {main_, WM_DESTROY}}, "command, then close");
    EXPECT_FALSE(IsWindow(panel_));
}

}  // namespace
