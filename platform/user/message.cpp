// The message queue: posted messages, input, the quit flag, then WM_PAINT and
// WM_TIMER, which are made when the program asks and nothing else is waiting
// (as in Win32). Only the host's WaitEvent ever blocks.
#include <deque>

#include "gdi/screen.h"
#include "runtime/runtime_control.h"
#include "user_internal.h"

namespace user {
namespace {

// Input waiting in the queue. A key or character goes to whichever window
// has the keyboard when the program takes it, as in Win32, so that a key
// right behind the one that opens a dialog reaches the dialog.
struct Input {
    MSG msg;
    bool toKeyTarget = false;
};

struct Queue {
    std::deque<MSG> posted;   // PostMessageW, TranslateMessage
    std::deque<Input> input;  // pen and keys from the host, after posted messages
    bool quit = false;
    int quitCode = 0;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    m.pt = LastPenPosition();
    return m;
}

bool IsWithin(HWND hwnd, HWND filter) {
    if (filter == nullptr) {
        return true;
    }
    for (Window* w = FromHandle(hwnd); w != nullptr; w = w->parent) {
        if (w->handle == filter) {
            return true;
        }
    }
    return false;
}

bool Matches(const MSG& m, HWND filter, UINT minMsg, UINT maxMsg) {
    if (!IsWithin(m.hwnd, filter)) {
        return false;
    }
    if (minMsg == 0 && maxMsg == 0) {
        return true;
    }
    return m.message >= minMsg && m.message <= maxMsg;
}

bool TakeFrom(std::deque<MSG>& queue, MSG* out, HWND filter, UINT minMsg, UINT maxMsg, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (Matches(*it, filter, minMsg, maxMsg)) {
            *out = *it;
            if (remove) {
                queue.erase(it);
            }
            return true;
        }
    }
    return false;
}

bool TakeInput(std::deque<Input>& queue, MSG* out, HWND filter, UINT minMsg, UINT maxMsg, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        MSG m = it->msg;
        if (it->toKeyTarget) {
            m.hwnd = KeyTarget();
        }
        if (Matches(m, filter, minMsg, maxMsg)) {
            *out = m;
            if (remove) {
                queue.erase(it);
            }
            return true;
        }
    }
    return false;
}

bool InRange(UINT message, UINT minMsg, UINT maxMsg) {
    return (minMsg == 0 && maxMsg == 0) || (message >= minMsg && message <= maxMsg);
}

// Takes what the host has ready without waiting for it.
void PollHost() {
    host::Event event;
    while (host::WaitEvent(rt::NowMs(), &event)) {
        HandleHostEvent(event);
    }
}

bool Fetch(MSG* out, HWND filter, UINT minMsg, UINT maxMsg, bool remove) {
    Queue& q = TheQueue();
    for (int pass = 0; pass < 2; ++pass) {
        if (TakeFrom(q.posted, out, filter, minMsg, maxMsg, remove)) {
            return true;
        }
        if (q.quit) {
            *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
            if (remove) {
                q.quit = false;
            }
            return true;
        }
        if (TakeInput(q.input, out, filter, minMsg, maxMsg, remove)) {
            if (remove) {
                TookInputMessage(*out);
            }
            return true;
        }
        if (pass == 0) {
            PollHost();
        }
    }
    if (InRange(WM_PAINT, minMsg, maxMsg)) {
        if (HWND hwnd = FindWindowToPaint(filter)) {
            *out = MakeMessage(hwnd, WM_PAINT, 0, 0);
            return true;
        }
    }
    if (InRange(WM_TIMER, minMsg, maxMsg) && TakeDueTimer(filter, remove, out)) {
        out->time = GetTickCount();
        out->pt = LastPenPosition();
        return true;
    }
    return false;
}

void PresentIfChanged() {
    RECT dirty = gdi::TakeScreenDirtyRect();
    if (dirty.right > dirty.left && dirty.bottom > dirty.top) {
        host::Present(gdi::ScreenPixels(), dirty.left, dirty.top, dirty.right, dirty.bottom);
    }
}

}  // namespace

void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheQueue().input.push_back(Input{MakeMessage(hwnd, message, wParam, lParam), false});
}

void PostKeyInput(UINT message, WPARAM wParam, LPARAM lParam) {
    TheQueue().input.push_back(Input{MakeMessage(nullptr, message, wParam, lParam), true});
}

void ResetQueue() {
    TheQueue() = Queue{};
}

}  // namespace user

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        return FALSE;
    }
    for (;;) {
        if (user::Fetch(msg, hwnd, filterMin, filterMax, true)) {
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        // Nothing to do: show what was drawn, then sleep in the host until
        // input comes or the next timer falls due.
        user::PresentIfChanged();
        host::Event event;
        if (host::WaitEvent(user::NextTimerDeadline(), &event)) {
            user::HandleHostEvent(event);
        }
    }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (msg == nullptr) {
        return FALSE;
    }
    return user::Fetch(msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A null window posts to the thread, as PostThreadMessage does.
    if (hwnd != nullptr && user::FromHandle(hwnd) == nullptr) {
        return FALSE;
    }
    user::TheQueue().posted.push_back(user::MakeMessage(hwnd, msg, wParam, lParam));
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    user::Window* w = user::FromHandle(hwnd);
    if (w == nullptr || w->proc == nullptr) {
        return 0;
    }
    return w->proc(hwnd, msg, wParam, lParam);
}

BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr) {
        return FALSE;
    }
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
        return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    }
    char16_t ch = user::CharForKey(msg->wParam);
    if (ch != 0) {
        UINT charMessage = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
        user::TheQueue().posted.push_back(user::MakeMessage(msg->hwnd, charMessage, ch, msg->lParam));
    }
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) {
        if (msg != nullptr && msg->message == WM_TIMER && msg->lParam != 0) {
            // A thread timer: only its callback can take it.
            TIMERPROC proc = user::TimerProcFor(nullptr, msg->wParam);
            if (proc != nullptr && reinterpret_cast<LPARAM>(proc) == msg->lParam) {
                proc(nullptr, WM_TIMER, msg->wParam, msg->time);
                user::AfterTimerDispatch(nullptr, msg->wParam);
            }
        }
        return 0;
    }
    if (msg->message == WM_TIMER) {
        // The callback in lParam is called only if it is the timer's own, so
        // a forged WM_TIMER cannot jump to an arbitrary address.
        TIMERPROC proc = user::TimerProcFor(msg->hwnd, msg->wParam);
        LRESULT result = 0;
        if (msg->lParam != 0 && proc != nullptr && reinterpret_cast<LPARAM>(proc) == msg->lParam) {
            proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        } else {
            result = SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
        }
        user::AfterTimerDispatch(msg->hwnd, msg->wParam);
        return result;
    }
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
    user::TheQueue().quit = true;
    user::TheQueue().quitCode = exitCode;
}
