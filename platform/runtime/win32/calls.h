// What the program asks of Windows itself, below the window: where the
// settings live, reading and atomically replacing the settings file under a
// lock, and the one-copy-per-user claim with its hand-over request. Paths are
// UTF-8; results are Win32 error codes (0 for success). The header uses no
// Windows types, so the platform layer's units, which include the program's
// own windows.h, can call it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace win32sys {

// UTF-8 text as Windows' UTF-16.
std::wstring Wide(const std::string& text);

// The process's command line split as the C runtime does, in UTF-8.
std::vector<std::string> CommandLineArguments();

// Standard output without the C runtime's LF to CR LF translation.
void UseBinaryStandardOutput();

// A C runtime descriptor reading the file at a UTF-8 path, or -1.
int OpenForReading(const std::string& path);

// %APPDATA%\Tavilo, or empty when the profile has no application data folder.
std::string DefaultConfigDir();

// The Pictures known folder, or empty when the profile has none.
std::string PicturesDir();

// Creates a new file name in dir (made with its parents when missing) and
// writes bytes into it; never replaces a file (ERROR_FILE_EXISTS then).
// Nothing is left behind when it fails; *reason then says why.
unsigned WriteNewFile(const std::string& dir, const std::string& name, const std::string& bytes,
                      std::string* reason);

// The user's preferred UI languages as tags ("ja-JP"), most preferred
// first; empty when Windows gives none.
std::vector<std::string> PreferredUILanguages();

// Creates dir and its missing parents.
unsigned MakeDirectories(const std::string& dir);

enum class ReadState { Read, Missing, TooLarge, Failed };

// The whole file, when it is a regular file of at most maxBytes.
ReadState ReadWholeFile(const std::string& path, size_t maxBytes, std::string* bytes, unsigned* error);

// Writes text to a temporary file beside path (".registry.reg.tmp-" and six
// letters or digits), flushes it to the disk and moves it over path with
// MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), so that
// path holds either the old text or the new, never a part. The temporary
// file is removed when anything fails; *reason then says what failed.
unsigned ReplaceWholeFile(const std::string& path, const std::string& text, std::string* reason);

// The system's own words for a Win32 error code, in UTF-8, without the
// trailing full stop and line break.
std::string ErrorText(unsigned error);

// The program's file name without folder and ".exe" ("tavilo").
std::string ProgramName();

// Tells the player about a problem that does not stop the program: on the
// standard error stream when there is one (a console, or a file or pipe it
// was sent to), else in a message box.
void ReportProblem(const std::string& text);

// Renames path to the first free name of path.bad, path.bad.1, ...; the move
// never replaces an existing file. False when no name could be taken.
bool MoveAside(const std::string& path);

// Removes the temporary files that ReplaceWholeFile leaves when the process
// dies between writing and moving: names of exactly that pattern, nothing a
// person named. Only called under the lock, when no other copy can be
// writing one.
void RemoveStaleTemporaries(const std::string& path);

// An exclusive lock on path + ".lock", held until the object dies. Another
// process waits for it; a process that dies releases it.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// One copy per user and name. ClaimInstance takes the name (a named mutex)
// and makes a message-only window under it that other copies can find;
// false when another live copy holds it. Both die with the process, so a
// crash leaves nothing stale behind.
bool ClaimInstance(const std::string& name);
void ReleaseInstance();
bool InstanceRunning(const std::string& name);
// Asks the copy holding name to come to the front, letting it take the
// foreground. False when no copy holds it.
bool RequestHandOver(const std::string& name);
// True once after another copy asked this one to come to the front; the
// request arrives while the host pumps its window messages.
bool HandOverPending();
bool TakeHandOver();

// Runs the window messages that have arrived for this thread, the hand-over
// request among them, and answers whether one is pending. For a program
// with no window pump of its own (the headless host).
bool PollHandOver();

// The headless host's script, read while a hand-over request can come: a
// pipe cannot be waited on beside window messages, so a thread of its own
// reads the C runtime descriptor fd (the same on every call), and this waits
// for its bytes and for window messages together, running the messages.
enum class ScriptRead { Bytes, End, Failed, HandOver };
// Blocks until bytes of the script have come (appended to *bytes), its end,
// a read error (*error is the errno), or a hand-over request, which comes
// first when both are there.
ScriptRead ReadScriptOrHandOver(int fd, std::string* bytes, int* error);

}  // namespace win32sys
