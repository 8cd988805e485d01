// The registry file on Windows: %APPDATA%\Tavilo\registry.reg, with the
// same promises as on other systems. Every change re-reads the file under a
// lock, a damaged file is kept aside rather than overwritten, a save is a
// temporary file moved over the old one in one step, temporaries left by a
// save that was killed are cleared at the next start, and a failed save is
// reported.
#include <set>
#include <string>

#include "../include/windows.h"
#include "registry.h"
#include "store.h"
#include "win32/system/win32_system.h"

namespace reg {

namespace {

std::string g_configDir;

// Anything larger than this is not a settings file we wrote; it is treated
// as damage and kept aside rather than read into memory.
constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

enum class FileState { Parsed, Missing, Damaged, Unreadable };

FileState ReadRegistryFile(const std::string& path, Document& doc, unsigned* error) {
    doc = Document{};
    *error = 0;
    if (path.empty()) {
        return FileState::Missing;
    }
    std::string bytes;
    switch (win32sys::ReadWholeFile(path, kMaxFileBytes, &bytes, error)) {
    case win32sys::ReadState::Missing:
        return FileState::Missing;
    case win32sys::ReadState::TooLarge:
        return FileState::Damaged;
    case win32sys::ReadState::Failed:
        return FileState::Unreadable;
    case win32sys::ReadState::Read:
        break;
    }
    if (!ParseDocument(bytes, doc, nullptr)) {
        doc = Document{};
        return FileState::Damaged;
    }
    return FileState::Parsed;
}

// A failed save is the one failure of the settings said out loud: the
// program goes on as if nothing happened, but the count the player chose
// would otherwise be lost without a word.
LSTATUS ReportFailedSave(const std::string& path, unsigned status, const std::string& reason) {
    win32sys::ReportProblem(win32sys::ProgramName() + ": could not save the settings to " + path + ": " + reason +
                            "; the file keeps what it held");
    return static_cast<LSTATUS>(status);
}

// Once a run, before the first read, under the lock: clears what saves
// killed half-way left behind. A missing folder has nothing to clear.
void CleanUpOnce(const std::string& path) {
    static std::set<std::string> cleaned;
    if (path.empty() || cleaned.count(path) != 0) {
        return;
    }
    win32sys::FileLock lock(path);
    if (lock.Held()) {
        cleaned.insert(path);
        win32sys::RemoveStaleTemporaries(path);
    }
}

}  // namespace

void SetConfigDir(const std::string& dir) { g_configDir = dir; }

std::string ConfigDir() { return g_configDir.empty() ? win32sys::DefaultConfigDir() : g_configDir; }

std::string RegistryFilePath() {
    std::string dir = ConfigDir();
    return dir.empty() ? std::string() : dir + "\\registry.reg";
}

void LoadDocument(Document& doc) {
    std::string path = RegistryFilePath();
    CleanUpOnce(path);
    unsigned error = 0;
    if (ReadRegistryFile(path, doc, &error) != FileState::Damaged) {
        return;
    }
    // Look again under the lock: another copy may have moved the file aside
    // and written a good one since, and that one must not be moved.
    win32sys::FileLock lock(path);
    if (ReadRegistryFile(path, doc, &error) == FileState::Damaged) {
        win32sys::MoveAside(path);
    }
}

LSTATUS UpdateDocument(const std::function<bool(Document&)>& change) {
    std::string dir = ConfigDir();
    std::string path = RegistryFilePath();
    unsigned error = win32sys::MakeDirectories(dir);
    if (error != 0) {
        return ReportFailedSave(path.empty() ? "the settings folder" : path, error, win32sys::ErrorText(error));
    }
    CleanUpOnce(path);
    win32sys::FileLock lock(path);
    if (!lock.Held()) {
        return ReportFailedSave(path, ERROR_ACCESS_DENIED, "its lock file could not be taken");
    }
    Document doc;
    FileState state = ReadRegistryFile(path, doc, &error);
    if (state == FileState::Unreadable) {
        // We cannot see what the file holds, so writing over it could lose
        // every other value in it.
        return ReportFailedSave(path, error, win32sys::ErrorText(error));
    }
    if (state == FileState::Damaged && !win32sys::MoveAside(path)) {
        return ReportFailedSave(path, ERROR_BADDB, "the damaged file could not be kept aside");
    }
    if (!change(doc)) {
        return ERROR_SUCCESS;
    }
    std::string reason;
    error = win32sys::ReplaceWholeFile(path, SerializeDocument(doc), &reason);
    return error == 0 ? ERROR_SUCCESS : ReportFailedSave(path, error, reason);
}

}  // namespace reg
