// The system seam: what the platform asks of the operating system below any
// window. One implementation file per system (system_posix.cpp,
// system_win32.cpp, system_web.cpp) is chosen when the program is built, and
// nothing above includes a system header for these things.
//
// The contract, which every twin keeps:
// - Nothing here blocks for long or needs a file descriptor, a handle or a
//   file name from the caller: the browser has none of them, and stores the
//   settings text under a localStorage key; Windows keeps it in a file under
//   %APPDATA%; POSIX in a file under $XDG_CONFIG_HOME.
// - The settings text is read whole and replaced whole, atomically: after a
//   crash at any moment the store holds the old text or the new, never a
//   part. Read-change-replace cycles of two copies run one after the other
//   under SettingsLock (an flock; a lock file or mutex on Windows; nothing is
//   needed in a browser, where one tab runs and storage calls are atomic).
// - One copy runs per user and settings place. ClaimInstance takes the claim
//   in one atomic step (flock; a named mutex; a Web Lock), so that of two
//   copies started together exactly one gets it; the system frees it when
//   the copy ends, however it ends. RequestHandOver asks the holder to come
//   to the front (a Unix socket; a named pipe or window message). The
//   holder hears requests once it listens (ListenForHandOver): each system
//   brings them to the host's wait as it can (on POSIX the host watches a
//   descriptor through rt::WatchDescriptor; Windows posts a message its
//   window pump sees), the wait returns a HandOver event, and the program's
//   thread then calls TakeHandOverRequests, which never blocks. A browser
//   tab that wants the program asks the page instead, which ends the
//   running copy as Exit does, so the browser's copy never hears one.
// - Failures come back as Win32 error codes, with the reason in words for
//   the one line the program prints when a save fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sys {

// Milliseconds from an arbitrary start; never goes back.
uint64_t MonotonicMs();

// The program's name for messages ("tavilo", "tavilo-headless").
std::string ProgramName();

// Tells the player about a problem that does not stop the program, in one
// line: on standard error, or where a system has none to show (a Windows
// program started from the desktop) in a message box; in the browser, the
// console.
void ReportProblem(const std::string& text);

// Where the settings live: the folder given with --config-dir, else the
// system's own place for them (empty when there is none, as for a user
// without a home directory). Paths are UTF-8.
void SetConfigDir(const std::string& dir);
std::string ConfigDir();
std::string DefaultConfigDir();

// The languages the user reads, most preferred first, as tags (language.h
// reads them): the one given with --language (or the page's ?lang=), else
// the system's own list: POSIX's locale variables, Windows' preferred UI
// languages, the browser's navigator.languages. Nothing of it is stored.
void SetLanguage(const std::string& tag);
std::vector<std::string> LanguageTags();
std::vector<std::string> SystemLanguageTags();

// The name of the settings text in messages: its file, or its storage key.
std::string SettingsName();

// Where the player keeps pictures: the XDG user directory XDG_PICTURES_DIR
// (from user-dirs.dirs in the config home), else ~/Pictures; Windows's
// Pictures known folder; empty where there is none (the browser, which
// downloads the picture instead; a user without a home directory). The
// folder need not exist yet.
std::string PicturesDir();

// Writes bytes into a new file name in dir, which is created with its
// parents when missing. An existing file is never replaced, even one that
// another program creates at the same moment: ERROR_FILE_EXISTS then.
// ERROR_SUCCESS, or the failure with its reason; nothing is left behind.
uint32_t WriteNewFile(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes,
                      std::string* reason);

enum class SettingsState { Read, Missing, TooLarge, Malformed, Unreadable };

// The whole settings text. Anything that is not plainly the settings (a
// FIFO or a device in the file's place, a file over maxBytes, a browser's
// string that no UTF-8 can carry) is not read: Unreadable with a reason, or
// TooLarge or Malformed, which the caller treats as damage.
SettingsState ReadSettings(size_t maxBytes, std::string* text, uint32_t* error, std::string* reason);

// Replaces the settings text atomically, creating its folder when needed.
// ERROR_SUCCESS, or the failure with its reason; the old text is then kept.
uint32_t ReplaceSettings(const std::string& text, std::string* reason);

// Keeps damaged settings aside under the first free name of .bad, .bad.1,
// ... (never replacing an earlier one), so that the next save cannot lose
// them. False when that could not be done. A browser, where a move is a
// copy, may find no room for the text anywhere: it removes the text and
// reports it, so that saves work again, and answers true.
bool KeepSettingsAside();

// Holds the settings for one read-change-replace cycle against every other
// copy; a copy that dies lets go. The first lock of a run also clears what
// saves killed half-way left behind.
class SettingsLock {
public:
    SettingsLock();
    ~SettingsLock();
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

private:
    intptr_t token_ = -1;
};

enum class Claim { Ours, Taken, Unavailable };

// Claims name (a short ASCII word, made from the main window's class and
// title) for this copy, or finds that a live copy holds it. The system
// mixes the settings place into the claim, spelt as it sees fit (a resolved
// path; a folded Windows path), so that runs with different settings never
// meet. Unavailable when
// the system offers no private place for the claim: the copy then runs on
// its own. A copy holds at most one claim.
Claim ClaimInstance(const std::string& name);
// Whether a live copy holds name, without claiming it.
bool InstanceTaken(const std::string& name);
void ReleaseInstance();

// Asks the copy holding name to come to the front. False when no copy
// answers.
bool RequestHandOver(const std::string& name);

// Starts (or stops) bringing hand-over requests for the claim this copy
// holds to the host's wait. TakeHandOverRequests hears every request that
// has arrived and answers whether any asked this copy to the front.
void ListenForHandOver(bool on);
bool TakeHandOverRequests();

}  // namespace sys
