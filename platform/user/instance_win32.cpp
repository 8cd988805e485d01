// One copy of the program at a time on Windows. The main window of the first
// copy claims a name made from the settings directory, its class and its
// title; FindWindowW of a later copy finds that name, and SetForegroundWindow
// on what it found asks the first copy to come to the front. Runs with
// different --config-dir never see each other.
#include <cstdio>
#include <map>

#include "registry/registry.h"
#include "user_internal.h"
#include "hosts/win32/system/win32_system.h"

namespace user {
namespace {

// Remote windows get handles of their own range, apart from local ones.
constexpr uintptr_t kFirstRemoteHandle = 0x40000000;

struct InstanceState {
    bool claimed = false;
    HWND owner = nullptr;
    std::map<uintptr_t, std::string> remotes;  // handle -> instance name
    uintptr_t nextRemote = kFirstRemoteHandle;
};

InstanceState& St() {
    static InstanceState state;
    return state;
}

// A short, fixed-length name for any directory, class and title (FNV-1a).
std::string InstanceName(const std::u16string& cls, const std::u16string& title) {
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](uint32_t unit) { hash = (hash ^ unit) * 1099511628211ull; };
    for (char c : reg::ConfigDir()) {
        // The same folder may be spelled with either slash and any case.
        char folded = c == '/' ? '\\' : (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        mix(static_cast<unsigned char>(folded));
    }
    mix(0x10000);
    for (char16_t c : cls) {
        mix(c);
    }
    mix(0x10001);
    for (char16_t c : title) {
        mix(c);
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "Tavilo-%016llx", static_cast<unsigned long long>(hash));
    return buf;
}

}  // namespace

void PublishInstance(Window* w) {
    InstanceState& s = St();
    if (s.claimed || w->text.empty()) {
        return;
    }
    if (!win32sys::ClaimInstance(InstanceName(w->cls->name, w->text))) {
        return;  // another live copy holds the name; this one runs unannounced
    }
    s.claimed = true;
    s.owner = w->handle;
    w->published = true;
}

void UnpublishInstance(Window* w) {
    InstanceState& s = St();
    w->published = false;
    if (s.owner != w->handle || !s.claimed) {
        return;
    }
    win32sys::ReleaseInstance();
    s.claimed = false;
    s.owner = nullptr;
}

HWND FindRemoteWindow(const std::u16string& cls, const std::u16string& title) {
    std::string name = InstanceName(cls, title);
    if (!win32sys::InstanceRunning(name)) {
        return nullptr;
    }
    InstanceState& s = St();
    for (const auto& entry : s.remotes) {
        if (entry.second == name) {
            return reinterpret_cast<HWND>(entry.first);
        }
    }
    uintptr_t handle = s.nextRemote;
    s.nextRemote += 4;
    s.remotes[handle] = name;
    return reinterpret_cast<HWND>(handle);
}

bool IsRemoteHandle(HWND hwnd) { return St().remotes.count(reinterpret_cast<uintptr_t>(hwnd)) != 0; }

BOOL RaiseRemoteWindow(HWND hwnd) {
    auto it = St().remotes.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it == St().remotes.end()) {
        return FALSE;
    }
    return win32sys::RequestHandOver(it->second) ? TRUE : FALSE;
}

void OnInstanceWake() {
    InstanceState& s = St();
    if (!win32sys::TakeHandOver()) {
        return;
    }
    if (IsWindow(s.owner)) {
        SetForegroundWindow(s.owner);
    }
    host::RaiseWindow();
}

void ResetInstance() {
    InstanceState& s = St();
    if (s.claimed) {
        win32sys::ReleaseInstance();
    }
    s = InstanceState{};
}

}  // namespace user
