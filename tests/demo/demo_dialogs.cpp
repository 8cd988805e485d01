// The demonstration program's menu bar, modal dialog and modeless panel,
// built from resource tables exactly as the game builds its own.
#include "demo_dialogs.h"

namespace {

constexpr WORD kIdYes = 6;
constexpr WORD kIdNo = 7;
constexpr WORD kIdLess = 1001;
constexpr WORD kIdMore = 1002;
constexpr WORD kIdCount = 1003;
constexpr WORD kIdAnswer = 1010;
constexpr WORD kIdHide = 1011;
constexpr WORD kButton = 0x0080;
constexpr WORD kStatic = 0x0082;
constexpr WORD kNoId = 0xFFFF;

HWND g_bar = nullptr;
HWND g_panel = nullptr;

const DLGITEMTEMPLATEW kDialogItems[] = {
    {WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 6, 5, 20, 10, kNoId, kStatic, nullptr, IDB_DEMO},
    {WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 40, 8, 28, 8, kNoId, kStatic, u"Rungs", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 70, 6, 12, 11, kIdLess, kButton, u"-", 0},
    {WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 84, 8, 14, 8, kIdCount, kStatic, u"3", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 100, 6, 12, 11, kIdMore, kButton, u"+", 0},
    {WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 6, 28, 108, 8, kNoId, kStatic, u"Climb the ladder?", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 10, 46, 44, 13, kIdYes, kButton, u"&Yes", 0},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 66, 46, 44, 13, kIdNo, kButton, u"&No", 0},
};

const DLGITEMTEMPLATEW kPanelItems[] = {
    {WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 4, 4, 92, 8, kIdAnswer, kStatic, u"No answer yet", 0},
    {WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 30, 16, 40, 11, kIdHide, kButton, u"Hide", 0},
};

// A 32 x 16 picture of a ladder with a red ball, as a 24-bit BMP file.
constexpr std::array<unsigned char, kDemoBitmapBytes> MakeBitmap() {
    std::array<unsigned char, kDemoBitmapBytes> b{};
    auto put32 = [&b](int at, unsigned v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, kDemoBitmapBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, 32);
    put32(22, 16);
    b[26] = 1;
    b[28] = 24;
    put32(34, 32 * 3 * 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            unsigned rgb = 0xFFFFFF;
            bool rail = x == 5 || x == 26;
            bool rung = x > 5 && x < 26 && (y == 4 || y == 9 || y == 14);
            int dx = x - 16;
            int dy = y - 7;
            if (rail || rung) rgb = 0x000080;
            if (dx * dx + dy * dy <= 9) rgb = 0xDC0000;
            int row = 54 + (15 - y) * 32 * 3 + x * 3;  // bottom-up rows
            b[row] = static_cast<unsigned char>(rgb);
            b[row + 1] = static_cast<unsigned char>(rgb >> 8);
            b[row + 2] = static_cast<unsigned char>(rgb >> 16);
        }
    }
    return b;
}

void Centre(HWND dlg) {
    RECT d;
    RECT p;
    GetWindowRect(dlg, &d);
    GetClientRect(GetParent(dlg), &p);
    int x = ((p.right - p.left) - (d.right - d.left)) / 2;
    int y = ((p.bottom - p.top) - (d.bottom - d.top)) / 2;
    SetWindowPos(dlg, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Step(HWND dlg, int delta) {
    WCHAR text[8];
    GetWindowTextW(GetDlgItem(dlg, kIdCount), text, 8);
    int n = text[0] - u'0' + delta;
    n = n < 1 ? 1 : (n > 9 ? 9 : n);
    WCHAR next[2] = {static_cast<WCHAR>(u'0' + n), 0};
    SetWindowTextW(GetDlgItem(dlg, kIdCount), next);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) {
        Centre(dlg);
        return TRUE;
    }
    if (msg != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
    case kIdYes:
    case kIdNo:
        EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    case kIdLess:
        Step(dlg, -1);
        return TRUE;
    case kIdMore:
        Step(dlg, +1);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK PanelProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wParam) == kIdHide) {
        ShowWindow(dlg, SW_HIDE);
        return TRUE;
    }
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void Start(HWND main) {
    if (g_bar != nullptr && IsWindow(g_bar)) {
        return;
    }
    HINSTANCE instance = nullptr;
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = main;
    info.dwFlags = SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = IDR_DEMO_MENUBAR;
    info.hInstRes = instance;
    g_bar = SHCreateMenuBar(&info) ? info.hwndMB : nullptr;
    const auto* tmpl = static_cast<const DLGTEMPLATEW*>(
        LoadResource(instance, FindResourceW(instance, MAKEINTRESOURCEW(IDD_DEMO_PANEL), RT_DIALOG)));
    g_panel = CreateDialogIndirectParamW(instance, tmpl, main, PanelProc, 0);
}

void RunDialog(HWND main) {
    const auto* tmpl = static_cast<const DLGTEMPLATEW*>(
        LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_DEMO_DIALOG), RT_DIALOG)));
    INT_PTR answer = DialogBoxIndirectParamW(nullptr, tmpl, main, DialogProc, 0);
    if (g_panel != nullptr) {
        const WCHAR* text = answer == kIdYes ? u"Last answer: Yes" : answer == kIdNo ? u"Last answer: No"
                                                                                     : u"Last answer: OK";
        SetWindowTextW(GetDlgItem(g_panel, kIdAnswer), text);
        ShowWindow(g_panel, SW_SHOW);
    }
}

}  // namespace

// Made at compile time, so the resource table stays constant-initialised.
const std::array<unsigned char, kDemoBitmapBytes> kDemoBitmap = MakeBitmap();

// The menu bar: Dialog | Panel | More (a drop-down).
const WORD kDemoMenuBar[2 + 5 * 7] = {
    IDR_DEMO_MENUBAR, 5,
    I_IMAGENONE, IDM_DEMO_DIALOG, TBSTATE_ENABLED, TBSTYLE_AUTOSIZE, IDS_DEMO_DIALOG, 0, 0,
    I_IMAGENONE, 0, TBSTATE_ENABLED, TBSTYLE_SEP, 0, 0, 0xFFFF,
    I_IMAGENONE, IDM_DEMO_PANEL, TBSTATE_ENABLED, TBSTYLE_AUTOSIZE, IDS_DEMO_PANEL, 0, 1,
    I_IMAGENONE, 0, TBSTATE_ENABLED, TBSTYLE_SEP, 0, 0, 0xFFFF,
    I_IMAGENONE, IDM_DEMO_MORE, TBSTATE_ENABLED, TBSTYLE_AUTOSIZE | TBSTYLE_DROPDOWN, IDS_DEMO_MORE, 0, 2,
};

const MENUITEMRECORD kDemoMenu[6] = {
    {MF_STRING, IDM_DEMO_DIALOG, u"Dialog"},
    {MF_STRING, IDM_DEMO_PANEL, u"Panel"},
    {MF_POPUP | MF_END, 0, u"More"},
    {MF_STRING, 40003, u"About.."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, 40002, u"Quit"},
};

const DLGTEMPLATEW kDemoDialog = {
    WS_POPUP | WS_CAPTION | DS_SETFONT, WS_EX_CAPTIONOKBTN, sizeof kDialogItems / sizeof kDialogItems[0],
    0, 0, 120, 64, u"Demo dialog", 8, u"System", kDialogItems,
};

const DLGTEMPLATEW kDemoPanel = {
    WS_POPUP | WS_BORDER | DS_SETFONT, 0, sizeof kPanelItems / sizeof kPanelItems[0],
    10, 140, 100, 30, u"", 8, u"System", kPanelItems,
};

bool DemoDialogsCommand(HWND mainWindow, WORD command) {
    switch (command) {
    case IDM_DEMO_DIALOGS:
        Start(mainWindow);
        return true;
    case IDM_DEMO_DIALOG:
        RunDialog(mainWindow);
        return true;
    case IDM_DEMO_PANEL:
        if (g_panel != nullptr) {
            ShowWindow(g_panel, IsWindowVisible(g_panel) ? SW_HIDE : SW_SHOW);
        }
        return true;
    default:
        return false;
    }
}
