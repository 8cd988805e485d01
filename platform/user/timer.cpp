// Window timers as deadlines read from the runtime clock. No thread is
// involved: GetMessageW makes a WM_TIMER when a deadline has passed and
// nothing else waits, and hands the earliest deadline to the host's wait.
#include <algorithm>

#include "runtime/runtime_control.h"
#include "user_internal.h"

namespace user {
namespace {

// Win32's shortest period (USER_TIMER_MINIMUM).
constexpr UINT kMinimumPeriod = 10;
constexpr UINT_PTR kFirstThreadTimerId = 0x7FF0;

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    TIMERPROC proc = nullptr;
    uint64_t deadline = 0;
    bool awaitingDispatch = false;
};

struct Timers {
    std::vector<Timer> list;
    UINT_PTR nextThreadId = kFirstThreadTimerId;
};

Timers& TheTimers() {
    static Timers timers;
    return timers;
}

Timer* Find(HWND hwnd, UINT_PTR id) {
    for (Timer& t : TheTimers().list) {
        if (t.hwnd == hwnd && t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

}  // namespace

uint64_t NextTimerDeadline() {
    uint64_t next = UINT64_MAX;
    for (const Timer& t : TheTimers().list) {
        next = std::min(next, t.deadline);
    }
    return next;
}

bool TakeDueTimer(HWND filter, bool remove, MSG* msg) {
    uint64_t now = rt::NowMs();
    Timer* due = nullptr;
    for (Timer& t : TheTimers().list) {
        if (t.deadline > now) {
            continue;
        }
        if (filter != nullptr && t.hwnd != filter) {
            continue;
        }
        if (due == nullptr || t.deadline < due->deadline) {
            due = &t;
        }
    }
    if (due == nullptr) {
        return false;
    }
    *msg = MSG{};
    msg->hwnd = due->hwnd;
    msg->message = WM_TIMER;
    msg->wParam = due->id;
    msg->lParam = reinterpret_cast<LPARAM>(due->proc);
    if (remove) {
        // The next period starts now, however late this one is: a timer
        // never catches up missed periods in a burst, as in Win32.
        due->deadline = now + due->period;
        due->awaitingDispatch = true;
    }
    return true;
}

void AfterTimerDispatch(HWND hwnd, UINT_PTR id) {
    // A handler that ran long pushes the next tick a whole period past its
    // end, so a slow tick is followed by a full period, not by another tick
    // at once. A timer that the handler set anew keeps its own deadline.
    Timer* t = Find(hwnd, id);
    if (t != nullptr && t->awaitingDispatch) {
        t->awaitingDispatch = false;
        t->deadline = std::max(t->deadline, rt::NowMs() + t->period);
    }
}

TIMERPROC TimerProcFor(HWND hwnd, UINT_PTR id) {
    Timer* t = Find(hwnd, id);
    return t != nullptr ? t->proc : nullptr;
}

void KillWindowTimers(HWND hwnd) {
    auto& list = TheTimers().list;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
               list.end());
}

void ResetTimers() { TheTimers() = Timers{}; }

}  // namespace user

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd != nullptr && user::FromHandle(hwnd) == nullptr) {
        return 0;
    }
    if (hwnd == nullptr) {
        // A timer without a window gets an identifier of its own, as in Win32.
        user::Timer* existing = id != 0 ? user::Find(nullptr, id) : nullptr;
        if (existing == nullptr) {
            id = user::TheTimers().nextThreadId++;
        }
    }
    UINT period = std::max(elapse, user::kMinimumPeriod);
    // The same window and identifier replace the running timer, whose period
    // then starts again.
    user::Timer* t = user::Find(hwnd, id);
    if (t == nullptr) {
        user::TheTimers().list.push_back(user::Timer{});
        t = &user::TheTimers().list.back();
        t->hwnd = hwnd;
        t->id = id;
    }
    t->period = period;
    t->proc = proc;
    t->deadline = rt::NowMs() + period;
    t->awaitingDispatch = false;
    return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto& list = user::TheTimers().list;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->hwnd == hwnd && it->id == id) {
            list.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}
