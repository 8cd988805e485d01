// The player-count dialog. The count under choice lives only in the text of
// the count control; the program's count changes on OK.
#include "intro/intro.h"
#include "resource.h"
#include "options/options.h"
#include "shell/globals.h"
#include "shell/shell.h"

#include <climits>

namespace {

constexpr int COUNT_TEXT_SIZE = 16;

int32_t ReadCount(HWND dlg) {
    WCHAR text[COUNT_TEXT_SIZE] = {};
    GetWindowTextW(GetDlgItem(dlg, IDC_COUNT), text, COUNT_TEXT_SIZE);
    return ParseDecimal(text);
}

void ShowCount(HWND dlg, int32_t count) {
    WCHAR text[COUNT_TEXT_SIZE] = {};
    wsprintfW(text, u"%d", count);
    SetWindowTextW(GetDlgItem(dlg, IDC_COUNT), text);
}

}  // namespace

int32_t ParseDecimal(LPCWSTR text) {
    if (text == nullptr) {
        return 0;
    }
    while (*text == u' ' || *text == u'\t') {
        ++text;
    }
    bool negative = false;
    if (*text == u'+' || *text == u'-') {
        negative = *text == u'-';
        ++text;
    }
    long long value = 0;
    while (*text >= u'0' && *text <= u'9') {
        value = value * 10 + (*text - u'0');
        if (value > static_cast<long long>(INT32_MAX) + 1) {
            value = static_cast<long long>(INT32_MAX) + 1;
        }
        ++text;
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        value = INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

LRESULT OptionDlgCommand(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case IDOK:
            // The control only ever shows 2 to 8, but the count is checked
            // again where it enters the program: no text reaches a board
            // unchecked.
            g_playerCount = ClampPlayerCount(ReadCount(dlg));
            EndDialog(dlg, IDOK);
            g_optionsAccepted = 1;
            ShowIntroPanel();
            return 1;
        case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            g_optionsAccepted = 0;
            return 1;
        case IDC_LESS: {
            const int32_t count = ReadCount(dlg);
            ShowCount(dlg, count <= MIN_PLAYERS ? MIN_PLAYERS : ClampPlayerCount(count - 1));
            return 0;
        }
        case IDC_MORE: {
            const int32_t count = ReadCount(dlg);
            ShowCount(dlg, count >= MAX_PLAYERS ? MAX_PLAYERS : ClampPlayerCount(count + 1));
            return 0;
        }
        default:
            return DefWindowProcW(dlg, msg, wParam, lParam);
    }
}

INT_PTR CALLBACK OptionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            CenterOverParent(dlg);
            ShowCount(dlg, g_playerCount);
            return TRUE;
        case WM_COMMAND:
            OptionDlgCommand(dlg, msg, wParam, lParam);
            return FALSE;
        default:
            return FALSE;
    }
}
