// The system seam on Windows, over the calls of win32/calls.h: the
// settings in a file under %APPDATA%\Tavilo replaced with MoveFileExW, a
// lock file beside it, and the one-copy claim as a named mutex with a
// message-only window that hears hand-over requests. The requests arrive
// while the host pumps its window messages, so the host's wait sees them
// itself and no wake is needed from here.
#include <chrono>
#include <mutex>

#include "hash.h"
#include "include/windows.h"
#include "system.h"
#include "win32/calls.h"

namespace sys {

namespace {

constexpr const char* kSettingsFile = "\\registry.reg";

bool g_cleaned = false;

std::string SettingsPath() {
    std::string dir = ConfigDir();
    return dir.empty() ? std::string() : dir + kSettingsFile;
}

std::string Reason(unsigned error) { return win32sys::ErrorText(error); }

// Once a run, before the first read, under the lock: clears what saves
// killed half-way left behind. A missing folder has nothing to clear.
void CleanUpOnce(const std::string& path) {
    static std::mutex cleanMutex;
    std::lock_guard<std::mutex> guard(cleanMutex);
    if (path.empty() || g_cleaned) {
        return;
    }
    win32sys::FileLock lock(path);
    if (lock.Held()) {
        g_cleaned = true;
        win32sys::RemoveStaleTemporaries(path);
    }
}

// The claim is per settings folder, which Windows spells with either slash
// and in any case.
std::string ClaimName(const std::string& name) {
    std::string folded = ConfigDir();
    for (char& c : folded) {
        c = c == '/' ? '\\' : (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    rt::Fnv1a hash;
    hash.AddBytes(folded);
    return "Tavilo-" + hash.Hex() + "-" + name;
}

}  // namespace

uint64_t MonotonicMs() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::string ProgramName() { return win32sys::ProgramName(); }

void ReportProblem(const std::string& text) { win32sys::ReportProblem(text); }

std::string DefaultConfigDir() { return win32sys::DefaultConfigDir(); }

std::string PicturesDir() { return win32sys::PicturesDir(); }

uint32_t WriteNewFile(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes,
                      std::string* reason) {
    return win32sys::WriteNewFile(dir, name, std::string(bytes.begin(), bytes.end()), reason);
}

std::vector<std::string> SystemLanguageTags() { return win32sys::PreferredUILanguages(); }

std::string SettingsName() {
    std::string path = SettingsPath();
    return path.empty() ? "the settings folder" : path;
}

SettingsState ReadSettings(size_t maxBytes, std::string* text, uint32_t* error, std::string* reason) {
    text->clear();
    *error = ERROR_SUCCESS;
    std::string path = SettingsPath();
    if (path.empty()) {
        return SettingsState::Missing;
    }
    CleanUpOnce(path);
    unsigned code = 0;
    switch (win32sys::ReadWholeFile(path, maxBytes, text, &code)) {
    case win32sys::ReadState::Read:
        return SettingsState::Read;
    case win32sys::ReadState::Missing:
        return SettingsState::Missing;
    case win32sys::ReadState::TooLarge:
        return SettingsState::TooLarge;
    case win32sys::ReadState::Failed:
        break;
    }
    *error = code != 0 ? code : ERROR_ACCESS_DENIED;
    *reason = Reason(*error);
    return SettingsState::Unreadable;
}

uint32_t ReplaceSettings(const std::string& text, std::string* reason) {
    unsigned error = win32sys::MakeDirectories(ConfigDir());
    if (error != 0) {
        *reason = Reason(error);
        return error;
    }
    return win32sys::ReplaceWholeFile(SettingsPath(), text, reason);
}

bool KeepSettingsAside() { return win32sys::MoveAside(SettingsPath()); }

SettingsLock::SettingsLock() {
    std::string path = SettingsPath();
    if (path.empty()) {
        return;  // no settings place, nothing to lock (and no lock file in the working folder)
    }
    win32sys::MakeDirectories(ConfigDir());
    CleanUpOnce(path);
    token_ = reinterpret_cast<intptr_t>(new win32sys::FileLock(path));
}

SettingsLock::~SettingsLock() {
    if (token_ != -1) {
        delete reinterpret_cast<win32sys::FileLock*>(token_);
    }
}

Claim ClaimInstance(const std::string& name) {
    std::string claim = ClaimName(name);
    if (win32sys::ClaimInstance(claim)) {
        return Claim::Ours;
    }
    return win32sys::InstanceRunning(claim) ? Claim::Taken : Claim::Unavailable;
}

bool InstanceTaken(const std::string& name) { return win32sys::InstanceRunning(ClaimName(name)); }

void ReleaseInstance() { win32sys::ReleaseInstance(); }

bool RequestHandOver(const std::string& name) { return win32sys::RequestHandOver(ClaimName(name)); }

void ListenForHandOver(bool) {
    // The message-only window of the claim hears requests from the start,
    // and the host's message pump brings them to its wait.
}

bool TakeHandOverRequests() { return win32sys::TakeHandOver(); }

}  // namespace sys
