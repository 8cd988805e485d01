// The menu bar of the game's menu-bar definition 112: its place and buttons,
// commands, the pressed look, the Help drop-down (open, choose, dismiss), and
// no input while a modal dialog runs.
#include <string>
#include <vector>

#include "dialog_support.h"
#include "resource.h"
#include "user.h"
#include "user_internal.h"

namespace dlgtest {
namespace {

constexpr uint32_t kNavy = 0x000080;  // pressed buttons and chosen items
constexpr uint32_t kBarGrey = 0xD4D0C8;

HWND MakeBar(HWND owner, UINT id = IDR_MENUBAR) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = owner;
    info.dwFlags = SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = id;
    if (!SHCreateMenuBar(&info)) {
        EXPECT_EQ(info.hwndMB, nullptr);
        return nullptr;
    }
    Drain();
    Log().clear();
    return info.hwndMB;
}

std::vector<HWND> Buttons(HWND bar) {
    std::vector<HWND> out;
    for (user::Window* c : user::FromHandle(bar)->children) {
        out.push_back(c->handle);
    }
    return out;
}

std::u16string TextOf(HWND hwnd) {
    WCHAR buffer[64];
    GetWindowTextW(hwnd, buffer, 64);
    return buffer;
}

int LabelWidth(const std::u16string& label) {
    HDC dc = GetDC(nullptr);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, label.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    ReleaseDC(nullptr, dc);
    return r.right;
}

HWND OpenPopup() { return FindWindowW(u"MenuPopup", nullptr); }

using MenuBar = DialogTest;

TEST_F(MenuBar, FillsTheBottom26RowsWithButtonsSizedToTheirLabels) {
    HWND bar = MakeBar(owner_);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(WindowRectOf(bar), (RECT{0, 294, 240, 320}));
    std::vector<HWND> buttons = Buttons(bar);
    ASSERT_EQ(buttons.size(), 5u) << "nine records, four of them separators";
    const std::u16string labels[] = {u"New", u"All", u"Option", u"Help", u"Exit"};
    int padding = -1;
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(TextOf(buttons[i]), labels[i]);
        RECT r = WindowRectOf(buttons[i]);
        EXPECT_EQ(r.top, 296);
        EXPECT_EQ(r.bottom, 319);
        if (i > 0) {
            EXPECT_EQ(r.left - WindowRectOf(buttons[i - 1]).right, 6) << "a separator is a 6-pixel gap";
        }
        int extra = (r.right - r.left) - LabelWidth(labels[i]);
        if (labels[i] == u"Help") {
            EXPECT_GT(extra, padding) << "the drop-down button has room for its mark";
        } else if (padding < 0) {
            padding = extra;
        } else {
            EXPECT_EQ(extra, padding) << "every text button is its label plus the same padding";
        }
    }
    EXPECT_EQ(WindowRectOf(buttons[0]).left, 2);
    EXPECT_LE(WindowRectOf(buttons[4]).right, 240);
    EXPECT_EQ(Pixel(100, 294), 0x000000u) << "the top edge line";
    EXPECT_EQ(Pixel(239, 310), kBarGrey);
    ExpectScreenMatchesGolden("menubar");
}

TEST_F(MenuBar, EachButtonSendsItsCommandToTheOwner) {
    MakeBar(owner_);
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

TEST_F(MenuBar, AButtonLooksPressedWhileThePenIsOnItAndAReleaseOutsideSendsNothing) {
    HWND bar = MakeBar(owner_);
    RECT newButton = WindowRectOf(Buttons(bar)[0]);
    const int x = newButton.left + 1;
    const int y = newButton.top + 1;
    PenAt(1, host::EventKind::PenDown, x, y);
    RunFor(1);
    EXPECT_EQ(Pixel(x, y), kNavy);
    PenAt(2, host::EventKind::PenMove, x, 200);
    RunFor(1);
    EXPECT_EQ(Pixel(x, y), kBarGrey);
    PenAt(3, host::EventKind::PenUp, x, 200);
    RunFor(1);
    KeepOnly({WM_COMMAND, WM_LBUTTONDOWN, WM_LBUTTONUP});
    ExpectSequence({}, "released off the button");
}

TEST_F(MenuBar, HelpDropsItsMenuAboveTheBarAndAChoiceSendsTheItemsCommand) {
    HWND bar = MakeBar(owner_);
    RECT help = WindowRectOf(Buttons(bar)[3]);
    static RECT s_popup;
    static bool s_sawPopup;
    s_sawPopup = false;
    PressAt(10, "Help");
    // Runs inside the menu's own loop: timers go on while it is open.
    SetTimer(owner_, 9, 30, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
        KillTimer(hwnd, id);
        HWND popup = FindWindowW(u"MenuPopup", nullptr);
        s_sawPopup = popup != nullptr && IsWindowVisible(popup);
        s_popup = WindowRectOf(popup);
        ExpectScreenMatchesGolden("menubar_open");
    });
    PressAt(50, "About..");
    RunFor(60);
    ASSERT_TRUE(s_sawPopup);
    EXPECT_EQ(s_popup.bottom, 294) << "above the bar";
    EXPECT_EQ(s_popup.left, help.left);
    EXPECT_GE(s_popup.right - s_popup.left, LabelWidth(u"About.."));
    EXPECT_EQ(OpenPopup(), nullptr) << "a choice closes the menu";
    KeepOnly({WM_COMMAND});
    ExpectSequence({{owner_, WM_COMMAND, IDM_ABOUT}}, "About.. chosen; Help itself sends nothing");
}

TEST_F(MenuBar, ATapElsewhereClosesTheMenuAndGoesNowhereElse) {
    MakeBar(owner_);
    static bool s_openAt20;
    s_openAt20 = false;
    PressAt(10, "Help");
    SetTimer(owner_, 9, 20, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
        KillTimer(hwnd, id);
        s_openAt20 = OpenPopup() != nullptr;
    });
    TapAt(30, 120, 100);  // on the owner: swallowed
    TapAt(50, 120, 100);  // the menu is gone: the owner has it
    RunFor(60);
    EXPECT_TRUE(s_openAt20);
    EXPECT_EQ(OpenPopup(), nullptr);
    KeepOnly({WM_COMMAND, WM_LBUTTONDOWN, WM_LBUTTONUP});
    ExpectSequence({{owner_, WM_LBUTTONDOWN}, {owner_, WM_LBUTTONUP}}, "dismissing tap swallowed");
}

TEST_F(MenuBar, TappingHelpAgainOrEscapeClosesTheMenuWithoutACommand) {
    MakeBar(owner_);
    PressAt(10, "Help");
    PressAt(20, "Help");
    PressAt(30, "Help");
    KeyAt(40, VK_ESCAPE);
    RunFor(50);
    EXPECT_EQ(OpenPopup(), nullptr);
    KeepOnly({WM_COMMAND, WM_KEYDOWN});
    ExpectSequence({}, "closed without a choice; the key went nowhere else");
}

TEST_F(MenuBar, TakesNoInputWhileAModalDialogRuns) {
    MakeBar(owner_);
    PressAt(10, "New");
    PressAt(20, "Help");
    PressAt(30, "OK");
    DialogBoxIndirectParamW(nullptr, Template(IDD_ABOUT), owner_, RecordingDlgProc, 0);
    EXPECT_EQ(OpenPopup(), nullptr);
    KeepOnly({WM_COMMAND});
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].hwnd, owner_) << "only the dialog's OK reached anyone";
}

TEST_F(MenuBar, AMissingDefinitionFailsAndCommandBarShowHidesAndShows) {
    EXPECT_EQ(MakeBar(owner_, 999), nullptr);
    SHMENUBARINFO info{};
    info.hwndParent = nullptr;
    info.nToolBarId = IDR_MENUBAR;
    EXPECT_FALSE(SHCreateMenuBar(&info)) << "no owner";
    EXPECT_FALSE(SHCreateMenuBar(nullptr));

    HWND bar = MakeBar(owner_);
    EXPECT_TRUE(CommandBar_Show(bar, FALSE));
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_TRUE(CommandBar_Show(bar, TRUE));
    EXPECT_TRUE(IsWindowVisible(bar));
}

TEST_F(MenuBar, GoesWithItsOwner) {
    HWND bar = MakeBar(owner_);
    DestroyWindow(owner_);
    EXPECT_FALSE(IsWindow(bar));
}

}  // namespace
}  // namespace dlgtest
