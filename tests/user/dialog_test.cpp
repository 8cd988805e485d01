// Dialogs: where the controls of the game's three templates land, the
// message sequence of a modal dialog, EndDialog during WM_INITDIALOG, the
// dialog keys, push buttons, static controls and frames, and pictures of the
// two dialogs the player sees.
#include <vector>

#include "dialog_support.h"
#include "resource.h"
#include "runtime/runtime_control.h"
#include "user.h"
#include "user_internal.h"

namespace dlgtest {
namespace {

constexpr UINT kSetFont = 0x0030;
constexpr UINT kGetFont = 0x0031;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x008000;  // the owner's paint

std::vector<HWND> Controls(HWND dlg) {
    std::vector<HWND> out;
    for (user::Window* c : user::FromHandle(dlg)->children) {
        out.push_back(c->handle);
    }
    return out;
}

// A control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND control) {
    RECT r = WindowRectOf(control);
    RECT client = user::ScreenClientRect(user::FromHandle(control)->parent);
    return RECT{r.left - client.left, r.top - client.top, r.right - client.left, r.bottom - client.top};
}

HWND Modeless(int id) {
    HWND dlg = CreateDialogIndirectParamW(nullptr, Template(id), nullptr, RecordingDlgProc, 0);
    EXPECT_NE(dlg, nullptr);
    return dlg;
}

HWND Shown(HWND dlg) {
    ShowWindow(dlg, SW_SHOW);
    Drain();
    Log().clear();
    return dlg;
}

int InkIn(const RECT& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += Pixel(x, y) == kBlack ? 1 : 0;
    return n;
}

std::vector<uint32_t> PixelsIn(const RECT& r) {
    std::vector<uint32_t> out;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(Pixel(x, y));
    return out;
}

// ---------------------------------------------------------------------------
// Layout: the dialog units of each template's font, mapped as Win32's
// MapDialogRect maps them (MulDiv, rounding to the nearest pixel).

using DialogLayout = DialogTest;

TEST_F(DialogLayout, AboutBoxControlsLandWhereTheirDialogUnitsPutThem) {
    // "System" 8 point: base units 6 x 13. 117 x 53 units is a 176 x 86
    // client area, under an 18-row caption inside a one-pixel border.
    HWND dlg = Modeless(IDD_ABOUT);
    EXPECT_EQ(WindowRectOf(dlg), (RECT{0, 0, 178, 106}));
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client, (RECT{0, 0, 176, 86}));
    std::vector<HWND> c = Controls(dlg);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(ClientRectOf(c[0]), (RECT{38, 65, 143, 78}));  // version line
    EXPECT_EQ(ClientRectOf(c[1]), (RECT{15, 49, 165, 62}));  // copyright line
    // The logo keeps its own 80 x 18 pixels, whatever its 53 x 11 units say.
    EXPECT_EQ(ClientRectOf(c[2]), (RECT{53, 8, 133, 26}));
    EXPECT_EQ(ClientRectOf(c[3]), (RECT{38, 33, 149, 46}));  // web address
}

TEST_F(DialogLayout, PlayerCountControlsLandWhereTheirDialogUnitsPutThem) {
    // "System" 10 point: base units 7 x 15; a thin border and no caption.
    HWND dlg = Modeless(IDD_OPTION);
    EXPECT_EQ(WindowRectOf(dlg), (RECT{0, 0, 188, 126}));
    EXPECT_EQ(ClientRectOf(GetDlgItem(dlg, IDOK)), (RECT{12, 90, 82, 111}));
    EXPECT_EQ(ClientRectOf(GetDlgItem(dlg, IDCANCEL)), (RECT{103, 90, 173, 111}));
    EXPECT_EQ(ClientRectOf(Controls(dlg)[2]), (RECT{32, 47, 74, 62}));  // "Players"
    EXPECT_EQ(ClientRectOf(GetDlgItem(dlg, IDC_LESS)), (RECT{100, 43, 119, 64}));
    EXPECT_EQ(ClientRectOf(GetDlgItem(dlg, IDC_MORE)), (RECT{144, 43, 163, 64}));
    EXPECT_EQ(ClientRectOf(GetDlgItem(dlg, IDC_COUNT)), (RECT{123, 45, 141, 60}));
    EXPECT_EQ(GetDlgItem(dlg, 999), nullptr);
}

TEST_F(DialogLayout, IntroPanelIsCreatedHiddenAndOwnedWithAStaticEdge) {
    // "MS Sans Serif" 8 point: base units 5 x 13, so 145 x 108 units make a
    // 181 x 176 client area inside a one-pixel static edge.
    HWND dlg = CreateDialogIndirectParamW(nullptr, Template(IDD_INTRO), owner_, RecordingDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(GetParent(dlg), owner_);
    EXPECT_EQ(WindowRectOf(dlg), (RECT{0, 0, 183, 178}));
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client, (RECT{0, 0, 181, 176}));
}

TEST_F(DialogLayout, TheTemplatePositionCountsFromTheOwnersClientOrigin) {
    DLGTEMPLATEW moved = *Template(IDD_OPTION);
    moved.x = 8;   // 14 pixels at 7 per 4 units
    moved.y = 16;  // 30 pixels at 15 per 8 units
    MoveWindow(owner_, 10, 20, 200, 200, TRUE);
    HWND dlg = CreateDialogIndirectParamW(nullptr, &moved, owner_, RecordingDlgProc, 0);
    EXPECT_EQ(WindowRectOf(dlg), (RECT{24, 50, 24 + 188, 50 + 126}));
}

TEST_F(DialogLayout, TheTemplateFontReachesTheDialogAndEveryControl) {
    HWND dlg = Modeless(IDD_OPTION);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, kGetFont, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font, GetStockObject(SYSTEM_FONT));
    for (HWND c : Controls(dlg)) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(c, kGetFont, 0, 0)), font);
    }
}

TEST_F(DialogLayout, FramesArePaintedAtTheWindowsEdges) {
    HWND option = Shown(Modeless(IDD_OPTION));
    // Thin border: black all round the window, white face just inside.
    EXPECT_EQ(Pixel(0, 0), kBlack);
    EXPECT_EQ(Pixel(187, 125), kBlack);
    EXPECT_EQ(Pixel(1, 1), kWhite);
    // The default button's frame is two pixels, the other buttons' one.
    EXPECT_EQ(Pixel(13, 91), kBlack);
    EXPECT_EQ(Pixel(14, 92), kBlack);
    EXPECT_EQ(Pixel(15, 93), kWhite);
    EXPECT_EQ(Pixel(104, 91), kBlack);
    EXPECT_EQ(Pixel(105, 92), kWhite);
    DestroyWindow(option);

    // A static edge: shadow above and left, light below and right.
    HWND intro = Shown(CreateDialogIndirectParamW(nullptr, Template(IDD_INTRO), owner_, RecordingDlgProc, 0));
    EXPECT_EQ(Pixel(0, 0), 0x808080u);
    EXPECT_EQ(Pixel(0, 176), 0x808080u);
    EXPECT_EQ(Pixel(181, 0), 0x808080u);
    EXPECT_EQ(Pixel(182, 177), kWhite);
    EXPECT_EQ(Pixel(182, 1), kWhite);
    EXPECT_EQ(Pixel(1, 177), kWhite);
    DestroyWindow(intro);
}

TEST_F(DialogLayout, AStyleWithoutFrameGetsNone) {
    DLGTEMPLATEW bare = *Template(IDD_OPTION);
    bare.style = WS_POPUP | DS_SETFONT;
    HWND dlg = CreateDialogIndirectParamW(nullptr, &bare, nullptr, RecordingDlgProc, 0);
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client, (RECT{0, 0, 186, 124}));
    EXPECT_EQ(WindowRectOf(dlg), (RECT{0, 0, 186, 124}));
}

TEST_F(DialogLayout, AboutBoxPicture) {
    // Centred over the owner as the game's CenterOverParent places it; the
    // caption's OK button moves along.
    HWND dlg = Modeless(IDD_ABOUT);
    SetWindowPos(dlg, nullptr, 31, 94, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Shown(dlg);
    ExpectScreenMatchesGolden("dialog_about");
}

TEST_F(DialogLayout, PlayerCountPicture) {
    HWND dlg = Modeless(IDD_OPTION);
    SetWindowPos(dlg, nullptr, 26, 84, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Shown(dlg);
    ExpectScreenMatchesGolden("dialog_option");
}

// ---------------------------------------------------------------------------
// The modal loop

using ModalDialog = DialogTest;

TEST_F(ModalDialog, FromOpenToEndDialogTimersRunAndTheOwnerTakesNoInput) {
    SetTimer(owner_, 1, 50, nullptr);
    TapAt(20, 120, 250);    // on the owner, below the dialog: refused
    PressAt(120, "OK");     // the caption's OK button
    INT_PTR result = DialogBoxIndirectParamW(nullptr, Template(IDD_ABOUT), owner_, RecordingDlgProc, 0);
    EXPECT_EQ(result, IDOK);
    ASSERT_GE(Log().size(), 2u);
    HWND dlg = Log()[1].hwnd;
    EXPECT_FALSE(IsWindow(dlg));
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
    KillTimer(owner_, 1);
}

TEST_F(ModalDialog, EndDialogInsideInitDialogReturnsAtOnceAndNeverShows) {
    g_endInInit = 42;
    uint64_t before = rt::NowMs();
    INT_PTR result = DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(rt::NowMs(), before) << "the loop must not have waited";
    ASSERT_GE(Log().size(), 2u);
    HWND dlg = Log()[1].hwnd;
    ExpectSequence(
        {
            {owner_, WM_ENABLE, FALSE},
            {dlg, kSetFont},
            {dlg, WM_INITDIALOG},
            {owner_, WM_ENABLE, TRUE},
            {dlg, WM_DESTROY},
            {dlg, WM_NCDESTROY},
        },
        "ended in WM_INITDIALOG");
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(Pixel(0, 0), kGreen) << "nothing of the dialog was ever drawn";
    EXPECT_EQ(Pixel(100, 100), kGreen);
}

TEST_F(ModalDialog, AModelessDialogEndedInsideInitDialogStaysHidden) {
    g_endInInit = 1;
    DLGTEMPLATEW visible = *Template(IDD_OPTION);
    visible.style |= WS_VISIBLE;
    HWND dlg = CreateDialogIndirectParamW(nullptr, &visible, owner_, RecordingDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(IsWindowVisible(dlg));
    g_endInInit = 0;
    HWND shown = CreateDialogIndirectParamW(nullptr, &visible, owner_, RecordingDlgProc, 0);
    EXPECT_TRUE(IsWindowVisible(shown));
}

TEST_F(ModalDialog, AQuitInsideTheLoopEndsItAndIsLeftForTheOuterLoop) {
    SetTimer(owner_, 7, 30, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(5); });
    INT_PTR result = DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0);
    KillTimer(owner_, 7);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(user::CurrentModal(), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(ModalDialog, ClosingADialogCancelsIt) {
    HWND dlg = Modeless(IDD_OPTION);
    Log().clear();
    PostMessageW(dlg, WM_CLOSE, 0, 0);
    Drain();
    ExpectSequence({{dlg, WM_CLOSE}, {dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)}}, "WM_CLOSE");
    EXPECT_EQ(reinterpret_cast<HWND>(g_lastCommandLParam), GetDlgItem(dlg, IDCANCEL));
}

// ---------------------------------------------------------------------------
// Enter and Escape

using DialogKeys = DialogTest;

TEST_F(DialogKeys, EnterClicksTheDefaultPushButton) {
    KeyAt(10, VK_RETURN);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0), IDOK);
    KeepOnly({WM_COMMAND});
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].wParam, MAKEWPARAM(IDOK, BN_CLICKED));
    Drain();  // the key's release, after the loop
}

TEST_F(DialogKeys, EscapeSendsCancel) {
    KeyAt(10, VK_ESCAPE);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, RecordingDlgProc, 0), IDCANCEL);
    Drain();
}

TEST_F(DialogKeys, EnterWithoutADefaultButtonSendsIdOk) {
    KeyAt(10, VK_RETURN);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_ABOUT), owner_, RecordingDlgProc, 0), IDOK);
    Drain();
}

TEST_F(DialogKeys, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
    auto proc = [](HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            EnableWindow(GetDlgItem(dlg, IDOK), FALSE);
        }
        return RecordingDlgProc(dlg, msg, wParam, lParam);
    };
    KeyAt(10, VK_RETURN);
    KeyAt(20, VK_ESCAPE);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(IDD_OPTION), owner_, proc, 0), IDCANCEL);
    KeepOnly({WM_COMMAND});
    ASSERT_EQ(Log().size(), 1u);
    Drain();
}

// ---------------------------------------------------------------------------
// Push buttons

using PushButton = DialogTest;

TEST_F(PushButton, LooksPressedOnlyWhileThePenIsInsideAndClicksOnReleaseInside) {
    g_endOn = {};  // the dialog stays, so that the released look can be seen
    HWND dlg = Shown(Modeless(IDD_OPTION));
    HWND ok = GetDlgItem(dlg, IDOK);
    const POINT inside{20, 100};  // within the OK button, off its label
    PenAt(1, host::EventKind::PenDown, 48, 101);
    RunFor(1);
    EXPECT_EQ(Pixel(inside.x, inside.y), kBlack) << "pressed: inverted";
    PenAt(2, host::EventKind::PenMove, 150, 200);
    RunFor(1);
    EXPECT_EQ(Pixel(inside.x, inside.y), kWhite) << "the pen left: released look";
    PenAt(3, host::EventKind::PenMove, 50, 100);
    RunFor(1);
    EXPECT_EQ(Pixel(inside.x, inside.y), kBlack) << "back inside: pressed again";
    KeepOnly({WM_COMMAND});
    ExpectSequence({}, "nothing while the pen is down");
    PenAt(4, host::EventKind::PenUp, 50, 100);
    RunFor(1);
    EXPECT_EQ(Pixel(inside.x, inside.y), kWhite);
    KeepOnly({WM_COMMAND});
    ExpectSequence({{dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}}, "released inside");
    EXPECT_EQ(reinterpret_cast<HWND>(g_lastCommandLParam), ok);
}

TEST_F(PushButton, AReleaseOutsideSendsNothing) {
    HWND dlg = Shown(Modeless(IDD_OPTION));
    PenAt(1, host::EventKind::PenDown, 110, 54);  // on "<"
    PenAt(2, host::EventKind::PenMove, 130, 54);  // onto the count
    PenAt(3, host::EventKind::PenUp, 130, 54);
    RunFor(10);
    KeepOnly({WM_COMMAND});
    ExpectSequence({}, "released outside the button");
    EXPECT_TRUE(IsWindowVisible(dlg));
}

TEST_F(PushButton, TheCaptionOkButtonSendsIdOkToItsDialog) {
    HWND dlg = Shown(Modeless(IDD_ABOUT));
    TapAt(1, 162, 10);  // the OK box at the caption's right end
    RunFor(5);
    KeepOnly({WM_COMMAND});
    ExpectSequence({{dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}}, "caption OK");
    EXPECT_FALSE(IsWindowVisible(dlg)) << "the recording procedure ended it";
}

// ---------------------------------------------------------------------------
// Static controls

using StaticControl = DialogTest;

TEST_F(StaticControl, SetWindowTextRepaintsTheTextOnAClearedBackground) {
    HWND dlg = Shown(Modeless(IDD_OPTION));
    HWND count = GetDlgItem(dlg, IDC_COUNT);
    const RECT area = WindowRectOf(count);
    std::vector<uint32_t> six = PixelsIn(area);
    ASSERT_GT(InkIn(area), 0);
    SetWindowTextW(count, u"8");
    Drain();
    EXPECT_NE(PixelsIn(area), six);
    SetWindowTextW(count, u"6");
    Drain();
    EXPECT_EQ(PixelsIn(area), six) << "the old digit must be gone, not drawn over";
}

TEST_F(StaticControl, AnAmpersandIsAPrefixUnlessSsNoPrefix) {
    static const DLGITEMTEMPLATEW items[] = {
        {WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 4, 4, 60, 10, 10, 0x0082, u"A&B", 0},
        {WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 4, 24, 60, 10, 11, 0x0082, u"AB", 0},
        {WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 4, 44, 60, 10, 12, 0x0082, u"A&B", 0},
    };
    const DLGTEMPLATEW tmpl{WS_POPUP | DS_SETFONT, 0, 3, 0, 0, 80, 60, u"", 8, u"System", items};
    HWND dlg = Shown(CreateDialogIndirectParamW(nullptr, &tmpl, nullptr, RecordingDlgProc, 0));
    std::vector<uint32_t> prefixed = PixelsIn(WindowRectOf(GetDlgItem(dlg, 10)));
    std::vector<uint32_t> plain = PixelsIn(WindowRectOf(GetDlgItem(dlg, 11)));
    std::vector<uint32_t> literal = PixelsIn(WindowRectOf(GetDlgItem(dlg, 12)));
    const int width = WindowRectOf(GetDlgItem(dlg, 10)).right - WindowRectOf(GetDlgItem(dlg, 10)).left;
    // The prefixed text is "AB" with one underline row added.
    std::vector<int> rows;
    for (size_t i = 0; i < plain.size(); ++i) {
        if (prefixed[i] != plain[i] && (rows.empty() || rows.back() != int(i) / width)) {
            rows.push_back(int(i) / width);
        }
    }
    EXPECT_EQ(rows.size(), 1u) << "only an underline may differ";
    EXPECT_NE(literal, plain) << "with SS_NOPREFIX the '&' is drawn";
}

TEST_F(StaticControl, ABitmapIsDrawnAtItsNaturalSizeFromTheTopLeft) {
    HWND dlg = Shown(Modeless(IDD_ABOUT));
    HWND logo = Controls(dlg)[2];
    RECT r = WindowRectOf(logo);
    ASSERT_EQ(r.right - r.left, 80);
    ASSERT_EQ(r.bottom - r.top, 18);
    HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(IDB_LOGO));
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    int differences = 0;
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 80; ++x) {
            COLORREF c = GetPixel(memory, x, y);
            uint32_t expected = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            differences += Pixel(r.left + x, r.top + y) != expected ? 1 : 0;
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace dlgtest
