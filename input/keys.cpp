// The keyboard additions of the program: see keys.h.
#include "input/keys.h"

#include "intro/intro.h"
#include "resource.h"
#include "runner.h"
#include "shell/globals.h"

namespace {

// The player-count dialog that hwnd belongs to (the dialog or one of its
// controls), or null: it is the one dialog with a count control.
HWND PlayerCountDialogOf(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    if (GetDlgItem(hwnd, IDC_COUNT) != nullptr) {
        return hwnd;
    }
    HWND parent = GetParent(hwnd);
    return parent != nullptr && GetDlgItem(parent, IDC_COUNT) != nullptr ? parent : nullptr;
}

// The arrow button a key stands for: Left and "-" are "<", Right, "+" and
// "=" (the "+" key without Shift on many keyboards) are ">". The signs come
// as characters, so they work on every layout and from the keypad.
WORD StepButtonFor(const MSG& msg) {
    if (msg.message == WM_KEYDOWN) {
        if (msg.wParam == VK_LEFT) {
            return IDC_LESS;
        }
        if (msg.wParam == VK_RIGHT) {
            return IDC_MORE;
        }
    }
    if (msg.message == WM_CHAR) {
        if (msg.wParam == u'-') {
            return IDC_LESS;
        }
        if (msg.wParam == u'+' || msg.wParam == u'=') {
            return IDC_MORE;
        }
    }
    return 0;
}

// The dialog gets exactly the command its arrow button sends, so the count
// steps by the rules of OptionDlgCommand and nothing else.
LRESULT CALLBACK KeyFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg != nullptr) {
        HWND dlg = PlayerCountDialogOf(msg->hwnd);
        const WORD button = dlg != nullptr ? StepButtonFor(*msg) : 0;
        if (button != 0) {
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dlg, button)));
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int OnPlayerKey(int index) {
    LadderBoard* board = g_board;
    if (board == nullptr || board->state != BOARD_PLAY || index < 0 || index >= board->playerCount) {
        return 0;
    }
    // As the tap in the pole-head box: the panel goes whether or not the
    // runner can still set off.
    HideIntroPanel();
    if (board->runners[index].status != RUNNER_IDLE) {
        return 0;
    }
    LaunchRunner(board, index);
    return 1;
}

HHOOK InstallKeyFilter() { return SetWindowsHookExW(WH_MSGFILTER, KeyFilterProc, g_hInst, 0); }
