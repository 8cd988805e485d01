// Dialogs and the menu bar, from the game's own resource table: where the
// controls of its templates land, the modal loop, the dialog keys, push
// buttons, and the menu bar with its drop-down.
#include "resource.h"
#include "support.h"
#include "user_internal.h"

using namespace usertest;

namespace {

constexpr UINT kSetFont = 0x0030;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kNavy = 0x000080;  // pressed menu-bar buttons and chosen items
constexpr uint32_t kBarGrey = 0xD4D0C8;

HWND Modeless(int id, bool show = true) {
    HWND dlg = CreateDialogIndirectParamW(nullptr, Template(id), nullptr, RecordingDlgProc, 0);
    EXPECT_NE(dlg, nullptr);
    if (show) ShowWindow(dlg, SW_SHOW);
    Drain();
    g_log.clear();
    return dlg;
}

using DialogTest = OwnerTest;

// Dialog units map as Win32's MapDialogRect maps them: the base units of
// each template's font, MulDiv, rounding to the nearest pixel.
struct Layout {
    const char* what;
    int id;
    RECT window;
    RECT client;
    std::vector<RECT> controls;  // in the dialog's client coordinates, in template order
    const char* picture;         // placed at `at` as the game's CenterOverParent places it
    POINT at;
};
const Layout kLayouts[] = {
    // "System" 8 point, base units 6 x 13, under an 18-row caption inside
    // a one-pixel border. The logo keeps its own 80 x 18 pixels, whatever
    // its 53 x 11 units say.
    {"About", IDD_ABOUT, {0, 0, 178, 106}, {0, 0, 176, 86},
     {{38, 65, 143, 78}, {15, 49, 165, 62}, {53, 8, 133, 26}, {38, 33, 149, 46}}, "dialog_about", {31, 94}},
    // "System" 10 point, base units 7 x 15, a thin border and no caption.
    {"PlayerCount", IDD_OPTION, {0, 0, 188, 126}, {0, 0, 186, 124},
     {{12, 90, 82, 111}, {103, 90, 173, 111}, {32, 47, 74, 62}, {100, 43, 119, 64}, {144, 43, 163, 64},
      {123, 45, 141, 60}}, "dialog_option", {26, 84}},
    // "MS Sans Serif" 8 point, base units 5 x 13, inside a static edge.
    {"Intro", IDD_INTRO, {0, 0, 183, 178}, {0, 0, 181, 176}, {}, nullptr, {}},
};

class DialogLayoutTest : public DialogTest, public testing::WithParamInterface<Layout> {};

TEST_P(DialogLayoutTest, ControlsLandWhereTheirDialogUnitsPutThem) {
    const Layout& c = GetParam();
    HWND dlg = Modeless(c.id, false);
    EXPECT_EQ(WindowRectOf(dlg), c.window);
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client, c.client);
    std::vector<HWND> controls = Children(dlg);
    ASSERT_EQ(controls.size(), c.controls.size());
    RECT origin = user::ScreenClientRect(user::FromHandle(dlg));
    for (size_t i = 0; i < controls.size(); ++i) {
        RECT r = WindowRectOf(controls[i]);
        EXPECT_EQ((RECT{r.left - origin.left, r.top - origin.top, r.right - origin.left, r.bottom - origin.top}),
                  c.controls[i]) << "control " << i;
    }
    DestroyWindow(dlg);
}

// The intro panel's face is drawn by the game, so only the other two have
// pictures of their own.
class DialogPictureTest : public DialogLayoutTest {};

TEST_P(DialogPictureTest, TheDialogLooksLikeItsPicture) {
    const Layout& c = GetParam();
    HWND dlg = Modeless(c.id, false);
    // The caption's OK button moves along.
    SetWindowPos(dlg, nullptr, c.at.x, c.at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(dlg, SW_SHOW);
    Drain();
    ExpectMatchesGolden(c.picture);
    DestroyWindow(dlg);
}

std::string LayoutName(const testing::TestParamInfo<Layout>& info) { return info.param.what; }
INSTANTIATE_TEST_SUITE_P(Dialogs, DialogLayoutTest, testing::ValuesIn(kLayouts), LayoutName);
INSTANTIATE_TEST_SUITE_P(Dialogs, DialogPictureTest, testing::Values(kLayouts[0], kLayouts[1]), LayoutName);

TEST_F(DialogTest, AModalDialogFromOpenToEndDialogWithATimerUnderItAndTheOwnerRefusingInput) {
    ASSERT_NE(MakeBar(owner_), nullptr);
    SetTimer(owner_, 1, 50, nullptr);
    TapAt(20, 120, 250);   // on the owner, below the dialog: refused
    PressAt(30, "New");    // on the menu bar: refused
    PressAt(120, "OK");    // the caption's OK button
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_ABOUT), owner_, RecordingDlgProc, 0), IDOK);
    KeepOnly({WM_ENABLE, kSetFont, WM_INITDIALOG, WM_SHOWWINDOW, WM_PAINT, WM_ERASEBKGND, WM_TIMER, WM_COMMAND,
              WM_DESTROY, WM_NCDESTROY, WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_GE(g_log.size(), 2u);
    HWND dlg = g_log[1].hwnd;
    ExpectSequence(
        {
            {owner_, WM_ENABLE, FALSE},
            {dlg, kSetFont},
            {dlg, WM_INITDIALOG, 0},  // no control takes the focus
            {dlg, WM_SHOWWINDOW, TRUE},
            {dlg, WM_PAINT},
            {dlg, WM_ERASEBKGND},
            {owner_, WM_TIMER, 1},  // the owner's timer goes on under the dialog
            {owner_, WM_TIMER, 1},
            {dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
            {owner_, WM_ENABLE, TRUE},  // before the dialog hides, as in Win32
            {dlg, WM_SHOWWINDOW, FALSE},
            {dlg, WM_DESTROY},
            {dlg, WM_NCDESTROY},
        },
        "About box opened and closed with its caption's OK");

    // The owner is usable again: it repaints what the dialog covered and
    // takes the pen.
    TapAt(200, 120, 250);
    RunFor(100);
    KeepOnly({WM_PAINT, WM_LBUTTONDOWN, WM_LBUTTONUP});
    ExpectSequence({{owner_, WM_PAINT}, {owner_, WM_LBUTTONDOWN}, {owner_, WM_LBUTTONUP}}, "owner after the dialog");
}

TEST_F(DialogTest, EndDialogInsideInitDialogReturnsAtOnceAndNeverShows) {
    g_endInInit = 42;
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0), 42);
    EXPECT_EQ(rt::NowMs(), kStartMs) << "the loop must not have waited";
    ASSERT_GE(g_log.size(), 2u);
    HWND dlg = g_log[1].hwnd;
    ExpectSequence({{owner_, WM_ENABLE, FALSE},
                    {dlg, kSetFont},
                    {dlg, WM_INITDIALOG},
                    {owner_, WM_ENABLE, TRUE},
                    {dlg, WM_DESTROY},
                    {dlg, WM_NCDESTROY}},
                   "ended in WM_INITDIALOG");
    EXPECT_EQ(Pixel(100, 100), kGreen) << "nothing of the dialog was ever drawn";
}

// Data hung on windows: GWLP_USERDATA on any window, DWLP_USER only on a
// dialog; each slot keeps its own value and a gone window answers 0.
TEST_F(DialogTest, WindowDataStaysWithItsWindowAndGoesWithIt) {
    HWND dlg = Modeless(IDD_OPTION);
    HWND control = Children(dlg).front();
    EXPECT_EQ(SetWindowLongPtrW(dlg, GWLP_USERDATA, 11), 0);
    EXPECT_EQ(SetWindowLongPtrW(dlg, DWLP_USER, 22), 0);
    EXPECT_EQ(SetWindowLongPtrW(control, GWLP_USERDATA, 33), 0);
    EXPECT_EQ(SetWindowLongPtrW(control, DWLP_USER, 44), 0) << "only dialogs have DWLP_USER";
    EXPECT_EQ(SetWindowLongPtrW(dlg, GWLP_USERDATA, 12), 11);
    EXPECT_EQ(GetWindowLongPtrW(dlg, GWLP_USERDATA), 12);
    EXPECT_EQ(GetWindowLongPtrW(dlg, DWLP_USER), 22);
    EXPECT_EQ(GetWindowLongPtrW(control, GWLP_USERDATA), 33);
    EXPECT_EQ(GetWindowLongPtrW(control, DWLP_USER), 0);
    EXPECT_EQ(GetWindowLongPtrW(dlg, -4), 0) << "an index that is not kept";
    DestroyWindow(dlg);
    EXPECT_EQ(GetWindowLongPtrW(dlg, GWLP_USERDATA), 0);
    EXPECT_EQ(GetWindowLongPtrW(control, GWLP_USERDATA), 0);
}

TEST_F(DialogTest, AQuitInsideTheModalLoopEndsItAndIsLeftForTheOuterLoop) {
    // As when the desktop window is closed while a dialog is open.
    SetTimer(owner_, 7, 30, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(5); });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0), 0);
    KillTimer(owner_, 7);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(user::CurrentModal(), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonAndEscapeCancels) {
    // The player-count dialog's OK is its default button; the About box has
    // none, so Enter sends IDOK there too.
    struct Case {
        const char* what;
        int id;
        std::vector<unsigned> keys;
        bool disableOk;
        INT_PTR result;
    };
    const Case cases[] = {
        {"enter", IDD_OPTION, {VK_RETURN}, false, IDOK},
        {"escape", IDD_OPTION, {VK_ESCAPE}, false, IDCANCEL},
        {"enter without a default button", IDD_ABOUT, {VK_RETURN}, false, IDOK},
        {"enter while the default button is disabled", IDD_OPTION, {VK_RETURN, VK_ESCAPE}, true, IDCANCEL},
    };
    static bool disableOk;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disableOk = c.disableOk;
        const uint64_t now = rt::NowMs() - kStartMs;
        for (size_t i = 0; i < c.keys.size(); ++i) KeyAt(now + 10 * (i + 1), c.keys[i]);
        auto proc = [](HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) -> INT_PTR {
            if (msg == WM_INITDIALOG && disableOk) EnableWindow(GetDlgItem(dlg, IDOK), FALSE);
            return RecordingDlgProc(dlg, msg, wParam, lParam);
        };
        EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(c.id), owner_, proc, 0), c.result);
        KeepOnly({WM_COMMAND});
        EXPECT_EQ(g_log.size(), 1u) << "one command, the one that ended it";
        Drain();  // the key's release, after the loop
        g_log.clear();
    }
}

TEST_F(DialogTest, AButtonLooksPressedWhileThePenIsOnItAndSendsOnlyOnAReleaseInside) {
    g_endOn = {};  // the dialog stays, so that the released look can be seen
    HWND dlg = Modeless(IDD_OPTION);
    RECT newButton = WindowRectOf(Children(MakeBar(owner_))[0]);
    const POINT corner{newButton.left + 1, newButton.top + 1};
    struct Case {
        const char* what;
        POINT press;
        POINT look;  // a pixel of the button's face, off its label
        uint32_t pressed;
        uint32_t released;
        Msg click;
    };
    const Case cases[] = {
        {"push button", {48, 101}, {20, 100}, kBlack, kWhite,
         {dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK))}},
        {"menu-bar button", corner, corner, kNavy, kBarGrey, {owner_, WM_COMMAND, IDM_NEW}},
    };
    const POINT outside{150, 200};
    uint64_t t = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto pen = [&](host::EventKind kind, POINT p, uint32_t look) {
            PenAt(++t, kind, p.x, p.y);
            RunFor(1);
            EXPECT_EQ(Pixel(c.look.x, c.look.y), look);
        };
        pen(host::EventKind::PenDown, c.press, c.pressed);
        pen(host::EventKind::PenMove, outside, c.released);
        pen(host::EventKind::PenMove, c.press, c.pressed);
        pen(host::EventKind::PenMove, outside, c.released);
        pen(host::EventKind::PenUp, outside, c.released);
        KeepOnly({WM_COMMAND, WM_LBUTTONDOWN, WM_LBUTTONUP});
        ExpectSequence({}, "released outside");
        pen(host::EventKind::PenDown, c.press, c.pressed);
        pen(host::EventKind::PenUp, c.press, c.released);
        KeepOnly({WM_COMMAND});
        ExpectSequence({c.click}, "released inside");
    }
}

TEST_F(DialogTest, NewTextRepaintsAStaticOnAClearedBackground) {
    HWND count = GetDlgItem(Modeless(IDD_OPTION), IDC_COUNT);
    const RECT area = WindowRectOf(count);
    const int six = CountPixels(area, kBlack);
    // A "1" drawn over an "8" that is not wiped first would keep the 8's ink.
    SetWindowTextW(count, u"8");
    Drain();
    SetWindowTextW(count, u"1");
    Drain();
    EXPECT_LT(CountPixels(area, kBlack), six) << "the old digit must be gone, not drawn over";
}

// ---------------------------------------------------------------------------
// The menu bar of the game's definition 112

TEST_F(DialogTest, TheMenuBarFillsTheBottomRowsWithButtonsThatSendTheirCommands) {
    HWND bar = MakeBar(owner_);
    EXPECT_EQ(WindowRectOf(bar), (RECT{0, 294, 240, 320}));
    // Nine records, four of them separators: buttons sized to their labels
    // with 6-pixel gaps between them, the drop-down wider for its mark.
    const std::u16string labels[] = {u"New", u"All", u"Option", u"Help", u"Exit"};
    const RECT places[] = {
        {2, 296, 36, 319}, {42, 296, 67, 319}, {73, 296, 122, 319}, {128, 296, 173, 319}, {179, 296, 210, 319}};
    std::vector<HWND> buttons = Children(bar);
    ASSERT_EQ(buttons.size(), 5u);
    for (size_t i = 0; i < buttons.size(); ++i) {
        WCHAR text[16];
        GetWindowTextW(buttons[i], text, 16);
        EXPECT_EQ(text, labels[i]);
        EXPECT_EQ(WindowRectOf(buttons[i]), places[i]) << "button " << i;
    }
    PressAt(10, "New");
    PressAt(20, "All");
    PressAt(30, "Option");
    PressAt(40, "Exit");
    RunFor(50);
    KeepOnly({WM_COMMAND});
    ExpectSequence({{owner_, WM_COMMAND, IDM_NEW},
                    {owner_, WM_COMMAND, IDM_ALL},
                    {owner_, WM_COMMAND, IDM_OPTION},
                    {owner_, WM_COMMAND, IDM_EXIT}},
                   "menu-bar buttons");
}

TEST_F(DialogTest, HelpDropsItsMenuWhichAChoiceATapElsewhereHelpAgainOrEscapeCloses) {
    MakeBar(owner_);
    struct Case {
        const char* what;
        void (*close)(uint64_t at);
        std::vector<Msg> choice;
    };
    const Case cases[] = {
        {"About.. chosen", [](uint64_t at) { PressAt(at, "About.."); }, {{owner_, WM_COMMAND, IDM_ABOUT}}},
        {"a tap on the owner", [](uint64_t at) { TapAt(at, 120, 100); }, {}},
        {"Help again", [](uint64_t at) { PressAt(at, "Help"); }, {}},
        {"escape", [](uint64_t at) { KeyAt(at, VK_ESCAPE); }, {}},
    };
    static int s_shots;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint64_t t = rt::NowMs() - kStartMs;
        PressAt(t + 10, "Help");
        // Runs inside the menu's own loop: timers go on while it is open.
        s_shots = 0;
        SetTimer(owner_, 9, 20, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
            KillTimer(hwnd, id);
            ++s_shots;
            ExpectMatchesGolden("menubar_open");
        });
        c.close(t + 30);
        TapAt(t + 50, 120, 100);  // the menu is gone: the owner has it
        RunFor(60);
        EXPECT_EQ(s_shots, 1);
        EXPECT_EQ(FindWindowW(u"MenuPopup", nullptr), nullptr);
        KeepOnly({WM_COMMAND, WM_KEYDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP});
        std::vector<Msg> expected = c.choice;
        expected.insert(expected.end(), {{owner_, WM_LBUTTONDOWN}, {owner_, WM_LBUTTONUP}});
        ExpectSequence(expected, "the choice alone, then the tap after the menu closed");
    }
}

}  // namespace
