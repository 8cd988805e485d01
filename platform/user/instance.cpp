// One copy of the program at a time, across processes, over the system
// seam's claim. A copy claims the name of its main window (class and title)
// when it first looks for another copy, so that of two copies started
// together exactly one finds nobody; FindWindowW of the other finds the
// claim taken, and SetForegroundWindow on what it found asks the holder to
// come to the front. The request reaches the host's wait as a HandOver
// event, which brings the main window forward.
#include <map>

#include "runtime/hash.h"
#include "runtime/system.h"
#include "user_internal.h"

namespace user {
namespace {

// Remote windows get handles of their own range, apart from local ones.
constexpr uintptr_t kFirstRemoteHandle = 0x40000000;

struct InstanceState {
    std::string claimed;  // the name this copy holds, "" for none
    HWND owner = nullptr;
    std::map<uintptr_t, std::string> remotes;  // handle -> claim name
    uintptr_t nextRemote = kFirstRemoteHandle;
};

InstanceState& St() {
    static InstanceState state;
    return state;
}

// A short, fixed-length name for any class and title.
std::string ClaimName(const std::u16string& cls, const std::u16string& title) {
    rt::Fnv1a hash;
    for (char16_t c : cls) hash.AddUnit(c);
    hash.AddUnit(0x10000);
    for (char16_t c : title) hash.AddUnit(c);
    return "window-" + hash.Hex();
}

void Release() {
    InstanceState& s = St();
    if (!s.claimed.empty()) {
        sys::ReleaseInstance();
    }
    s.claimed.clear();
    s.owner = nullptr;
}

}  // namespace

void PublishInstance(Window* w) {
    InstanceState& s = St();
    if (s.owner != nullptr || w->text.empty()) {
        return;
    }
    std::string name = ClaimName(w->cls->name, w->text);
    if (s.claimed != name) {
        // A program that did not look for another copy first, or a title
        // that changed: claim the name now.
        Release();
        if (sys::ClaimInstance(name) != sys::Claim::Ours) {
            return;  // another live copy holds the name; this one runs unannounced
        }
        s.claimed = name;
    }
    s.owner = w->handle;
    w->published = true;
    sys::ListenForHandOver(true);
}

void UnpublishInstance(Window* w) {
    w->published = false;
    if (St().owner == w->handle) {
        Release();
    }
}

HWND FindRemoteWindow(const std::u16string& cls, const std::u16string& title) {
    InstanceState& s = St();
    std::string name = ClaimName(cls, title);
    if (name == s.claimed) {
        return nullptr;  // the name is ours
    }
    // Looking for another copy claims the name when there is none, so that
    // two copies started together cannot both find nobody.
    if (s.claimed.empty()) {
        sys::Claim claim = sys::ClaimInstance(name);
        if (claim == sys::Claim::Ours) {
            s.claimed = name;
        }
        if (claim != sys::Claim::Taken) {
            return nullptr;
        }
    } else if (!sys::InstanceTaken(name)) {
        return nullptr;
    }
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
    return it != St().remotes.end() && sys::RequestHandOver(it->second) ? TRUE : FALSE;
}

void OnInstanceWake() {
    InstanceState& s = St();
    if (s.owner == nullptr || !sys::TakeHandOverRequests()) {
        return;
    }
    if (IsWindow(s.owner)) {
        SetForegroundWindow(s.owner);
    }
    host::RaiseWindow();
}

void ResetInstance() {
    Release();
    St() = InstanceState{};
}

}  // namespace user
