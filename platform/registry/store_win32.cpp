// The registry file on Windows: %APPDATA%\Tavilo\registry.reg, with the
// same promises as on other systems. Every change re-reads the file under a
// lock, a damaged file is kept aside rather than overwritten, and a save is
// a temporary file moved over the old one in one step.
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

}  // namespace

void SetConfigDir(const std::string& dir) { g_configDir = dir; }

std::string ConfigDir() { return g_configDir.empty() ? win32sys::DefaultConfigDir() : g_configDir; }

std::string RegistryFilePath() {
    std::string dir = ConfigDir();
    return dir.empty() ? std::string() : dir + "\\registry.reg";
}

void LoadDocument(Document& doc) {
    std::string path = RegistryFilePath();
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
    unsigned error = win32sys::MakeDirectories(dir);
    if (error != 0) {
        return static_cast<LSTATUS>(error);
    }
    std::string path = RegistryFilePath();
    win32sys::FileLock lock(path);
    if (!lock.Held()) {
        return ERROR_ACCESS_DENIED;
    }
    win32sys::RemoveStaleTemporaries(path);
    Document doc;
    FileState state = ReadRegistryFile(path, doc, &error);
    if (state == FileState::Unreadable) {
        // We cannot see what the file holds, so writing over it could lose
        // every other value in it.
        return static_cast<LSTATUS>(error);
    }
    if (state == FileState::Damaged && !win32sys::MoveAside(path)) {
        return ERROR_BADDB;
    }
    if (!change(doc)) {
        return ERROR_SUCCESS;
    }
    return static_cast<LSTATUS>(win32sys::ReplaceWholeFile(path, SerializeDocument(doc)));
}

}  // namespace reg
