// Message filter hooks (WH_MSGFILTER): the modal loops of dialogs and menus
// offer each message they take to the program's filters before they handle
// it themselves, as Win32's internal GetMessage does with CallMsgFilter. A
// filter that returns nonzero has used the message, and the loop drops it.
// The program is one thread, so a hook serves that thread only.
#include <algorithm>
#include <vector>

#include "user_internal.h"

namespace user {
namespace {

struct Hook {
    HHOOK handle = nullptr;
    HOOKPROC proc = nullptr;
};

struct Hooks {
    std::vector<Hook> chain;  // the most recent first
    uintptr_t next = 1;
    HHOOK running = nullptr;  // the filter being called
};

Hooks& TheHooks() {
    static Hooks hooks;
    return hooks;
}

std::vector<Hook>::iterator Find(HHOOK hook) {
    auto& chain = TheHooks().chain;
    return std::find_if(chain.begin(), chain.end(), [hook](const Hook& h) { return h.handle == hook; });
}

// Calls the filter at it and those after it that it hands the message on to.
LRESULT CallFrom(std::vector<Hook>::iterator it, int code, WPARAM wParam, LPARAM lParam) {
    Hooks& hooks = TheHooks();
    if (it == hooks.chain.end()) {
        return 0;
    }
    // A filter may unhook itself while it runs: what it needs is copied first.
    const Hook hook = *it;
    HHOOK outer = hooks.running;
    hooks.running = hook.handle;
    LRESULT result = hook.proc(code, wParam, lParam);
    hooks.running = outer;
    return result;
}

}  // namespace

void ResetHooks() { TheHooks() = Hooks{}; }

}  // namespace user

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD) {
    if (idHook != WH_MSGFILTER || proc == nullptr) {
        return nullptr;
    }
    user::Hooks& hooks = user::TheHooks();
    // Handles count up in steps of four, so they never look like a small
    // integer and never repeat within a run.
    HHOOK handle = reinterpret_cast<HHOOK>(hooks.next++ << 2);
    hooks.chain.insert(hooks.chain.begin(), user::Hook{handle, proc});
    return handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
    auto it = user::Find(hook);
    if (hook == nullptr || it == user::TheHooks().chain.end()) {
        return FALSE;
    }
    user::TheHooks().chain.erase(it);
    return TRUE;
}

// The next filter after the one running; as in today's Win32 the handle
// passed in is not needed (programs often pass null).
LRESULT CallNextHookEx(HHOOK, int code, WPARAM wParam, LPARAM lParam) {
    user::Hooks& hooks = user::TheHooks();
    auto it = user::Find(hooks.running);
    if (it == hooks.chain.end()) {
        return 0;
    }
    return user::CallFrom(it + 1, code, wParam, lParam);
}

BOOL CallMsgFilterW(LPMSG msg, int code) {
    if (msg == nullptr) {
        return FALSE;
    }
    user::Hooks& hooks = user::TheHooks();
    return user::CallFrom(hooks.chain.begin(), code, 0, reinterpret_cast<LPARAM>(msg)) != 0 ? TRUE : FALSE;
}
