// The keyboard in the window manager: the key state that tells Ctrl+A from
// A, accelerators that need exactly their modifiers, message filters in the
// dialog loop, Tab and Enter in dialogs with a focus mark that only keys
// bring, and the menu bar walked with F10 or Alt alone.
#include "resource.h"
#include "support.h"
#include "user_internal.h"

using namespace usertest;

namespace {

constexpr uint32_t kBlack = 0x000000;

void Down(uint64_t ms, unsigned vk, char16_t ch = 0, bool alt = false) {
    EventAt(ms, {.kind = host::EventKind::KeyDown, .vk = vk, .ch = ch, .alt = alt});
}
void Up(uint64_t ms, unsigned vk, bool alt = false) { EventAt(ms, {.kind = host::EventKind::KeyUp, .vk = vk, .alt = alt}); }
// A key with a modifier held around it, as a keyboard sends the two.
void With(uint64_t ms, unsigned modifier, unsigned vk, char16_t ch = 0) {
    Down(ms, modifier);
    KeyAt(ms, vk, ch);
    Up(ms, modifier);
}
void AltAlone(uint64_t ms) {
    Down(ms, VK_MENU, 0, true);
    Up(ms, VK_MENU);
}

// Black dots in the row `inset` pixels inside the window's top edge, where
// a focus mark runs and the label never reaches.
int DotsInside(HWND hwnd, int inset) {
    RECT r = WindowRectOf(hwnd);
    return CountPixels(RECT{r.left + inset + 1, r.top + inset, r.right - inset - 1, r.top + inset + 1}, kBlack);
}

using KeyboardTest = OwnerTest;

TEST_F(KeyboardTest, KeyStateFollowsTheKeyMessagesAsTheProgramTakesThem) {
    // All four are queued before the program takes the first: Ctrl must
    // read as down while 'A' is handled, as Win32 keeps the state.
    With(0, VK_CONTROL, 'A');
    RunFor(1);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0) << "nothing taken yet: the program has seen Ctrl come up";
    With(10, VK_CONTROL, 'A');
    std::vector<std::pair<UINT, SHORT>> seen;
    rt::SetClock(rt::NowMs() + 10);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE)) {
        seen.push_back({msg.message == WM_KEYDOWN ? static_cast<UINT>(msg.wParam) : 0u,
                        static_cast<SHORT>(GetKeyState(VK_CONTROL) & 0x8001)});
    }
    // Down and the toggle bit: the first press toggled it on, this one off.
    const std::vector<std::pair<UINT, SHORT>> expected = {
        {VK_CONTROL, static_cast<SHORT>(0x8000)}, {'A', static_cast<SHORT>(0x8000)}, {0u, static_cast<SHORT>(0x8000)},
        {0u, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(GetKeyState(-1), 0);
    EXPECT_EQ(GetKeyState(0x100), 0);
}

// The play keys (table 4) are plain virtual keys; table 3's Alt+F4 needs Alt
// and nothing else. Records name no Shift or Control, so with either held
// nothing fires and the key goes on as a key.
TEST_F(KeyboardTest, VirtualKeyRecordsFireOnlyWithExactlyTheirModifiers) {
    HACCEL play = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(IDR_PLAY_KEYS));
    HACCEL original = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(IDR_ACCEL));
    ASSERT_NE(play, nullptr);
    struct Case {
        const char* what;
        void (*keys)();
        HACCEL* table;
        int command;  // -1: none
    };
    static const Case cases[] = {
        {"A", [] { KeyAt(0, 'A', u'a'); }, &play, IDM_ALL},
        {"Ctrl+A", [] { With(0, VK_CONTROL, 'A'); }, &play, -1},
        {"Shift+A", [] { With(0, VK_SHIFT, 'A', u'A'); }, &play, -1},
        {"Alt+N", [] { KeyAt(0, 'N', u'n', true); }, &play, -1},
        {"1 on the top row", [] { KeyAt(0, '1', u'&'); }, &play, IDM_START_PLAYER},
        {"Shift+1", [] { With(0, VK_SHIFT, '1', u'1'); }, &play, -1},
        {"keypad 8", [] { KeyAt(0, VK_NUMPAD0 + 8, u'8'); }, &play, IDM_START_PLAYER + 7},
        {"keypad 9 is no player", [] { KeyAt(0, VK_NUMPAD0 + 9, u'9'); }, &play, -1},
        {"Alt+F4", [] { KeyAt(0, VK_F4, 0, true); }, &original, IDM_EXIT},
        {"Ctrl+Alt+F4", [] {
             Down(0, VK_CONTROL);
             KeyAt(0, VK_F4, 0, true);
             Up(0, VK_CONTROL);
         }, &original, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.keys();
        Drain(*c.table);
        KeepOnly({WM_COMMAND});
        if (c.command < 0) {
            ExpectSequence({}, "no command");
        } else {
            ExpectSequence({{owner_, WM_COMMAND, MAKEWPARAM(c.command, 1)}}, "the command");
        }
    }
}

// Filters see each message of a dialog's loop before the dialog does, the
// latest first, and one that returns nonzero keeps it from the dialog.
TEST_F(KeyboardTest, MessageFiltersSeeTheDialogLoopFirstAndChainFromTheLatest) {
    static std::vector<std::string> s_calls;
    s_calls.clear();
    HOOKPROC passOn = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_KEYDOWN) s_calls.push_back("first " + std::to_string(code) + " " + std::to_string(msg->wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    };
    HOOKPROC swallowEscape = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_KEYDOWN) s_calls.push_back("latest " + std::to_string(msg->wParam));
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return 1;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    };
    EXPECT_EQ(SetWindowsHookExW(WH_MSGFILTER + 1, passOn, nullptr, 0), nullptr) << "only message filters";
    EXPECT_EQ(SetWindowsHookExW(WH_MSGFILTER, nullptr, nullptr, 0), nullptr);
    HHOOK first = SetWindowsHookExW(WH_MSGFILTER, passOn, nullptr, 0);
    HHOOK latest = SetWindowsHookExW(WH_MSGFILTER, swallowEscape, nullptr, 0);
    ASSERT_TRUE(first != nullptr && latest != nullptr && first != latest);

    KeyAt(10, VK_ESCAPE);
    KeyAt(20, VK_RETURN);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0), IDOK)
        << "Escape never reached the dialog";
    EXPECT_EQ(s_calls, (std::vector<std::string>{"latest 27", "latest 13", "first 0 13"}));

    EXPECT_TRUE(UnhookWindowsHookEx(latest));
    EXPECT_FALSE(UnhookWindowsHookEx(latest));
    EXPECT_TRUE(UnhookWindowsHookEx(first));
    MSG msg{owner_, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_FALSE(CallMsgFilterW(&msg, MSGF_DIALOGBOX)) << "no filter left";
    KeyAt(rt::NowMs() - kStartMs + 10, VK_ESCAPE);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0), IDCANCEL);
    Drain();
}

// The player-count dialog's tab stops in template order: OK, CANCEL, "<",
// ">". Enter presses the button with the focus, which starts on OK.
TEST_F(KeyboardTest, TabMovesTheFocusRoundTheButtonsAndEnterPressesTheFocusedOne) {
    struct Case {
        const char* what;
        void (*keys)(uint64_t at);
        std::vector<WORD> commands;
    };
    const Case cases[] = {
        {"enter", [](uint64_t at) { KeyAt(at, VK_RETURN); }, {IDOK}},
        {"tab, enter", [](uint64_t at) { KeyAt(at, VK_TAB); KeyAt(at, VK_RETURN); }, {IDCANCEL}},
        {"shift+tab wraps to >",
         [](uint64_t at) { With(at, VK_SHIFT, VK_TAB); KeyAt(at, VK_RETURN); KeyAt(at, VK_ESCAPE); },
         {IDC_MORE, IDCANCEL}},
        {"four tabs come back to OK",
         [](uint64_t at) { for (int i = 0; i < 4; ++i) KeyAt(at, VK_TAB); KeyAt(at, VK_RETURN); }, {IDOK}},
        {"space presses the focused button too",
         [](uint64_t at) { KeyAt(at, VK_TAB); KeyAt(at, VK_TAB); KeyAt(at, VK_SPACE, u' '); KeyAt(at, VK_ESCAPE); },
         {IDC_LESS, IDCANCEL}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.keys(rt::NowMs() - kStartMs + 10);
        DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0);
        Drain();
        std::vector<WORD> commands;
        for (const Msg& m : g_log) {
            if (m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
        }
        EXPECT_EQ(commands, c.commands);
        g_log.clear();
    }
}

// A player who only uses the stylus never sees a focus mark: it comes with
// the first key (not with Shift or Ctrl alone) and goes with the pen.
TEST_F(KeyboardTest, AFocusMarkShowsOnceAKeyIsUsedAndGoesWithThePen) {
    static HWND s_ok, s_cancel;
    static std::vector<std::pair<int, int>> s_dots;  // OK's, CANCEL's
    g_endOn = {IDCANCEL};
    auto look = [](HWND hwnd, UINT, UINT_PTR, DWORD) {
        s_dots.push_back({DotsInside(s_ok, 3), DotsInside(s_cancel, 2)});
        if (s_dots.size() == 5) KillTimer(hwnd, 1);
    };
    s_dots.clear();
    // Looks at the two buttons every 20 ms, between the steps below.
    auto proc = [](HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            s_ok = GetDlgItem(dlg, IDOK);
            s_cancel = GetDlgItem(dlg, IDCANCEL);
        }
        return RecordingDlgProc(dlg, msg, wParam, lParam);
    };
    SetTimer(owner_, 1, 20, look);
    With(30, VK_SHIFT, VK_CONTROL);  // modifiers alone: no mark yet
    KeyAt(50, VK_LEFT);              // a key: OK, which has the focus, shows it
    KeyAt(70, VK_TAB);               // the mark moves with the focus
    TapAt(90, 150, 20);              // the pen takes it away (inside the dialog, on nothing)
    KeyAt(110, VK_ESCAPE);
    DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, proc, 0);
    ASSERT_EQ(s_dots.size(), 5u);
    EXPECT_EQ(s_dots[0], std::make_pair(0, 0)) << "opened";
    EXPECT_EQ(s_dots[1], std::make_pair(0, 0)) << "Shift and Ctrl";
    EXPECT_GT(s_dots[2].first, 10) << "a key: OK marked";
    EXPECT_EQ(s_dots[2].second, 0);
    EXPECT_EQ(s_dots[3].first, 0) << "Tab: the mark moved to CANCEL";
    EXPECT_GT(s_dots[3].second, 10);
    EXPECT_EQ(s_dots[4], std::make_pair(0, 0)) << "the pen";
    Drain();
}

// F10, or Alt pressed and released alone, puts a mark on the first button;
// Left and Right move it (round the ends), Enter, Space, Down or Up run the
// button, Help's menu opens lit on its first item, Escape in it comes back
// to the bar and Left or Right move on; Escape, F10 or Alt again leave.
TEST_F(KeyboardTest, F10OrAltAloneWalkTheMenuBarWithTheArrows) {
    HWND bar = MakeBar(owner_);
    struct Case {
        const char* what;
        void (*keys)(uint64_t at);
        std::vector<WORD> commands;
    };
    const Case cases[] = {
        {"f10 enter", [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_RETURN); }, {IDM_NEW}},
        {"alt right enter", [](uint64_t at) { AltAlone(at); KeyAt(at, VK_RIGHT); KeyAt(at, VK_RETURN); }, {IDM_ALL}},
        {"f10 left space", [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_LEFT); KeyAt(at, VK_SPACE); }, {IDM_EXIT}},
        {"f10 right right down",
         [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_RIGHT); KeyAt(at, VK_RIGHT); KeyAt(at, VK_DOWN); },
         {IDM_OPTION}},
        {"help, about by keys",
         [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_LEFT); KeyAt(at, VK_LEFT); KeyAt(at, VK_UP); KeyAt(at, VK_RETURN); },
         {IDM_ABOUT}},
        {"escape from help's menu back to the bar, left to Option",
         [](uint64_t at) {
             KeyAt(at, VK_F10); KeyAt(at, VK_LEFT); KeyAt(at, VK_LEFT); KeyAt(at, VK_RETURN);
             KeyAt(at, VK_ESCAPE); KeyAt(at, VK_LEFT); KeyAt(at, VK_RETURN);
         },
         {IDM_OPTION}},
        {"right out of help's menu to Exit",
         [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_LEFT); KeyAt(at, VK_LEFT); KeyAt(at, VK_DOWN); KeyAt(at, VK_RIGHT); KeyAt(at, VK_RETURN); },
         {IDM_EXIT}},
        {"escape leaves", [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_ESCAPE); KeyAt(at, VK_RETURN); }, {}},
        {"f10 again leaves", [](uint64_t at) { KeyAt(at, VK_F10); KeyAt(at, VK_F10); KeyAt(at, VK_RETURN); }, {}},
        {"alt again leaves", [](uint64_t at) { AltAlone(at); AltAlone(at); KeyAt(at, VK_RETURN); }, {}},
        {"alt with another key is no way in",
         [](uint64_t at) { Down(at, VK_MENU, 0, true); KeyAt(at, 'X', u'x', true); Up(at, VK_MENU); KeyAt(at, VK_RETURN); },
         {}},
        {"the pen leaves, and its tap lands", [](uint64_t at) { KeyAt(at, VK_F10); TapAt(at + 5, 120, 100); }, {}},
    };
    const std::vector<uint32_t> before(gdi::ScreenPixels(), gdi::ScreenPixels() + gdi::kScreenWidth * gdi::kScreenHeight);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.keys(rt::NowMs() - kStartMs + 10);
        RunFor(20);
        std::vector<WORD> commands;
        for (const Msg& m : g_log) {
            if (m.message == WM_COMMAND && m.hwnd == owner_) commands.push_back(LOWORD(m.wParam));
        }
        EXPECT_EQ(commands, c.commands);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), gdi::ScreenPixels())) << "a mark was left on the screen";
        g_log.clear();
    }
    EXPECT_EQ(FindWindowW(u"MenuPopup", nullptr), nullptr);
    (void)bar;
}

// While the bar has the keyboard, a mark is on exactly one button, timers
// go on, and the program's own keys reach nothing.
TEST_F(KeyboardTest, TheBarMarksOneButtonAtATimeWhileItHasTheKeyboard) {
    static HWND s_bar;
    static std::vector<int> s_marked;  // index of the marked button, -1 for none, -2 for several
    s_bar = MakeBar(owner_);
    s_marked.clear();
    SetTimer(owner_, 1, 20, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
        int marked = -1;
        std::vector<HWND> buttons = Children(s_bar);
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (DotsInside(buttons[i], 1) > 5) marked = marked == -1 ? static_cast<int>(i) : -2;
        }
        s_marked.push_back(marked);
        if (s_marked.size() == 5) KillTimer(hwnd, 1);
    });
    KeyAt(10, VK_F10);
    KeyAt(30, VK_RIGHT);
    KeyAt(50, VK_LEFT);
    KeyAt(50, VK_LEFT);
    KeyAt(70, 'N', u'n');
    KeyAt(90, VK_ESCAPE);
    RunFor(120);
    EXPECT_EQ(s_marked, (std::vector<int>{0, 1, 4, 4, -1}));
    KeepOnly({WM_KEYDOWN, WM_CHAR, WM_COMMAND});
    ExpectSequence({}, "N went to the bar, not to the window");
}

}  // namespace
