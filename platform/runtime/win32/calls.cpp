// The Windows side of the settings file and of the one-copy rule. The file
// is saved the safe way (as Wine's server/registry.c does on Unix): a
// temporary file beside the real one, flushed to the disk, then moved over
// the old one in a single step.
#include "calls.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <string>

namespace win32sys {

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// The registry layer reports the same few codes on every system.
unsigned SaveStatus(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ERROR_DISK_FULL;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
        return ERROR_ACCESS_DENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ERROR_OUTOFMEMORY;
    default:
        return ERROR_WRITE_FAULT;
    }
}

// Our temporary files: a dot, the file's name, ".tmp-" and six letters or
// digits, a name no person would give a backup of their own.
constexpr size_t kTempSuffixLength = 6;

std::wstring TempPrefix(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    size_t start = slash == std::wstring::npos ? 0 : slash + 1;
    return path.substr(0, start) + L"." + path.substr(start) + L".tmp-";
}

// Writes the whole text, flushes it to the disk and closes the file, also
// when a step failed; false with *error set when one did.
bool WriteAndClose(HANDLE file, const std::string& text, DWORD* error) {
    bool ok = true;
    for (size_t done = 0; ok && done < text.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20));
        DWORD written = 0;
        ok = WriteFile(file, text.data() + done, chunk, &written, nullptr) && written != 0;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    if (!ok) {
        *error = GetLastError();
    }
    if (!CloseHandle(file) && ok) {
        *error = GetLastError();
        ok = false;
    }
    return ok;
}

// A known folder of the profile, or empty when it has none.
std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    std::string dir;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &folder)) && folder != nullptr && folder[0] != 0) {
        dir = Utf8(folder);
    }
    CoTaskMemFree(folder);
    return dir;
}

}  // namespace

std::vector<std::string> CommandLineArguments() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> arguments;
    if (argv == nullptr) {
        return arguments;
    }
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(Utf8(argv[i]));
    }
    LocalFree(argv);
    return arguments;
}

void UseBinaryStandardOutput() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

int OpenForReading(const std::string& path) {
    return _wopen(Wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

std::vector<std::string> PreferredUILanguages() {
    std::vector<std::string> tags;
    ULONG count = 0;
    ULONG size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) {
        return tags;
    }
    std::wstring names(size, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) {
        return tags;
    }
    // A list of null-terminated names ended by an empty one; the names are
    // ASCII.
    for (const wchar_t* p = names.c_str(); *p != 0; p += wcslen(p) + 1) {
        std::string tag;
        for (const wchar_t* c = p; *c != 0; ++c) {
            tag += *c < 0x80 ? static_cast<char>(*c) : '?';
        }
        tags.push_back(tag);
    }
    return tags;
}

std::string DefaultConfigDir() {
    std::string dir = KnownFolder(FOLDERID_RoamingAppData);
    return dir.empty() ? dir : dir + "\\Tavilo";
}

std::string PicturesDir() { return KnownFolder(FOLDERID_Pictures); }

unsigned WriteNewFile(const std::string& dir, const std::string& name, const std::string& bytes,
                      std::string* reason) {
    if (dir.empty()) {
        *reason = "there is no folder to save into";
        return ERROR_PATH_NOT_FOUND;
    }
    if (unsigned status = MakeDirectories(dir)) {
        *reason = "cannot create " + dir + ": " + ErrorText(status);
        return status;
    }
    const std::string path = dir + "\\" + name;
    const std::wstring wide = Wide(path);
    // CREATE_NEW fails when the name exists, in the same step that creates
    // it, so a file another program makes at the same moment is safe too.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *reason = "cannot create " + path + ": " + ErrorText(error);
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : SaveStatus(error);
    }
    DWORD error = 0;
    if (!WriteAndClose(file, bytes, &error)) {
        DeleteFileW(wide.c_str());
        *reason = "cannot write " + path + ": " + ErrorText(error);
        return SaveStatus(error);
    }
    return 0;
}

unsigned MakeDirectories(const std::string& dir) {
    std::wstring path = Wide(dir);
    if (path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    for (size_t pos = 0; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != L'\\' && path[pos] != L'/') {
            continue;
        }
        std::wstring prefix = path.substr(0, pos);
        // "C:" and the leading slashes of a share name are not directories
        // that could be made.
        if (prefix.empty() || prefix.back() == L':' || prefix.back() == L'\\' || prefix.back() == L'/') {
            continue;
        }
        if (CreateDirectoryW(prefix.c_str(), nullptr)) {
            continue;
        }
        DWORD error = GetLastError();
        DWORD attributes = GetFileAttributesW(prefix.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                return ERROR_ACCESS_DENIED;
            }
            continue;
        }
        return SaveStatus(error);
    }
    return 0;
}

ReadState ReadWholeFile(const std::string& path, size_t maxBytes, std::string* bytes, unsigned* error) {
    bytes->clear();
    *error = 0;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) {
            return ReadState::Missing;
        }
        *error = SaveStatus(e);
        return ReadState::Failed;
    }
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        *error = ERROR_ACCESS_DENIED;
        return ReadState::Failed;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        CloseHandle(file);
        return ReadState::TooLarge;
    }
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            *error = SaveStatus(GetLastError());
            CloseHandle(file);
            bytes->clear();
            return ReadState::Failed;
        }
        if (got == 0) {
            break;
        }
        bytes->append(buffer, got);
        if (bytes->size() > maxBytes) {
            CloseHandle(file);
            bytes->clear();
            return ReadState::TooLarge;
        }
    }
    CloseHandle(file);
    return ReadState::Read;
}

unsigned ReplaceWholeFile(const std::string& path, const std::string& text, std::string* reason) {
    std::wstring target = Wide(path);
    // Six letters or digits from the process and the moment, as mkstemp
    // would pick them; CREATE_NEW makes sure no file is taken over.
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring temp;
    DWORD error = 0;
    unsigned long long seed = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ GetTickCount64();
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        static const wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
        std::wstring suffix;
        unsigned long long n = seed + static_cast<unsigned long long>(attempt) * 7919u;
        for (size_t i = 0; i < kTempSuffixLength; ++i) {
            suffix += kDigits[n % 36];
            n /= 36;
        }
        temp = TempPrefix(target) + suffix;
        file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        *reason = ErrorText(error);
        return SaveStatus(error);
    }
    bool ok = WriteAndClose(file, text, &error);
    if (ok && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        ok = false;
    }
    if (!ok) {
        DeleteFileW(temp.c_str());
        *reason = ErrorText(error);
        return SaveStatus(error);
    }
    return 0;
}

std::string ErrorText(unsigned error) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n > 0 && buffer != nullptr ? std::wstring(buffer, n) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(error) : Utf8(text);
}

std::string ProgramName() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n < MAX_PATH ? n : 0);
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0) {
        name.resize(name.size() - 4);
    }
    return name.empty() ? std::string("tavilo") : Utf8(name);
}

void ReportProblem(const std::string& text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err != nullptr && err != INVALID_HANDLE_VALUE && GetFileType(err) != FILE_TYPE_UNKNOWN) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        return;
    }
    MessageBoxW(nullptr, Wide(text).c_str(), L"Tavilo", MB_OK | MB_ICONWARNING);
}

bool MoveAside(const std::string& path) {
    std::wstring from = Wide(path);
    for (int n = 0; n < 1000; ++n) {
        std::wstring candidate = from + L".bad";
        if (n > 0) {
            candidate += L"." + std::to_wstring(n);
        }
        // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that is
        // taken, so an earlier damaged file is never lost.
        if (MoveFileExW(from.c_str(), candidate.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

void RemoveStaleTemporaries(const std::string& path) {
    std::wstring prefix = TempPrefix(Wide(path));
    size_t slash = prefix.find_last_of(L"\\/");
    std::wstring dir = slash == std::wstring::npos ? std::wstring() : prefix.substr(0, slash + 1);
    std::wstring namePrefix = prefix.substr(dir.size());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::wstring name = found.cFileName;
        bool ours = (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
                    name.size() == namePrefix.size() + kTempSuffixLength && name.compare(0, namePrefix.size(), namePrefix) == 0;
        for (size_t i = namePrefix.size(); ours && i < name.size(); ++i) {
            wchar_t c = name[i];
            ours = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
        }
        if (ours) {
            DeleteFileW((dir + name).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

FileLock::FileLock(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        CloseHandle(file);
        return;
    }
    handle_ = file;
}

FileLock::~FileLock() {
    if (handle_ != nullptr) {
        OVERLAPPED whole{};
        UnlockFileEx(handle_, 0, 1, 0, &whole);
        CloseHandle(handle_);
    }
}

// The one-copy rule: a named mutex says that the name is taken, and a
// message-only window of that name receives the hand-over request. Windows
// lets a process bring itself to the front only when the one in front allows
// it, so the asking copy grants that before it posts the request.
namespace {

constexpr wchar_t kInstanceClass[] = L"TaviloInstance";
constexpr UINT kHandOverMessage = WM_APP + 1;

struct Instance {
    HANDLE mutex = nullptr;
    HWND window = nullptr;
    bool pending = false;
};

Instance g_instance;

LRESULT CALLBACK InstanceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kHandOverMessage) {
        g_instance.pending = true;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::wstring MutexName(const std::string& name) { return L"Local\\" + Wide(name); }

HWND FindInstanceWindow(const std::string& name) {
    return FindWindowExW(HWND_MESSAGE, nullptr, kInstanceClass, Wide(name).c_str());
}

}  // namespace

bool ClaimInstance(const std::string& name) {
    if (g_instance.mutex != nullptr) {
        return false;
    }
    HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(name).c_str());
    if (mutex == nullptr) {
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = InstanceProc;
    wc.hInstance = module;
    wc.lpszClassName = kInstanceClass;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    HWND window = CreateWindowExW(0, kInstanceClass, Wide(name).c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  module, nullptr);
    if (window == nullptr) {
        CloseHandle(mutex);
        return false;
    }
    g_instance.mutex = mutex;
    g_instance.window = window;
    g_instance.pending = false;
    return true;
}

void ReleaseInstance() {
    if (g_instance.window != nullptr) {
        DestroyWindow(g_instance.window);
    }
    if (g_instance.mutex != nullptr) {
        CloseHandle(g_instance.mutex);
    }
    g_instance = Instance{};
}

bool InstanceRunning(const std::string& name) { return FindInstanceWindow(name) != nullptr; }

bool RequestHandOver(const std::string& name) {
    HWND window = FindInstanceWindow(name);
    if (window == nullptr) {
        return false;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != 0) {
        AllowSetForegroundWindow(process);
    }
    return PostMessageW(window, kHandOverMessage, 0, 0) != FALSE;
}

bool HandOverPending() { return g_instance.pending; }

bool TakeHandOver() {
    bool pending = g_instance.pending;
    g_instance.pending = false;
    return pending;
}

namespace {

// What the reader thread has read and the program has not taken yet. Made
// once and never freed: the thread may still be blocked in a read when the
// process ends.
struct ScriptFeed {
    CRITICAL_SECTION lock;
    HANDLE arrived = nullptr;  // manual reset, set while there is something to take
    int fd = -1;
    std::string bytes;
    bool ended = false;
    int error = 0;
};

ScriptFeed* g_feed = nullptr;

DWORD WINAPI ReadScriptThread(void* parameter) {
    ScriptFeed* feed = static_cast<ScriptFeed*>(parameter);
    char chunk[4096];
    for (;;) {
        int got = _read(feed->fd, chunk, sizeof chunk);
        int error = got < 0 ? errno : 0;
        EnterCriticalSection(&feed->lock);
        if (got > 0) {
            feed->bytes.append(chunk, static_cast<size_t>(got));
        } else {
            feed->ended = true;
            feed->error = error;
        }
        SetEvent(feed->arrived);
        LeaveCriticalSection(&feed->lock);
        if (got <= 0) {
            return 0;
        }
    }
}

ScriptFeed* StartScriptFeed(int fd, int* error) {
    auto* feed = new ScriptFeed;
    InitializeCriticalSection(&feed->lock);
    feed->fd = fd;
    feed->arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = feed->arrived != nullptr ? CreateThread(nullptr, 0, ReadScriptThread, feed, 0, nullptr) : nullptr;
    if (thread == nullptr) {
        *error = EAGAIN;
        if (feed->arrived != nullptr) {
            CloseHandle(feed->arrived);
        }
        DeleteCriticalSection(&feed->lock);
        delete feed;
        return nullptr;
    }
    CloseHandle(thread);
    return feed;
}

}  // namespace

bool PollHandOver() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return g_instance.pending;
}

ScriptRead ReadScriptOrHandOver(int fd, std::string* bytes, int* error) {
    if (g_feed == nullptr && (g_feed = StartScriptFeed(fd, error)) == nullptr) {
        return ScriptRead::Failed;
    }
    for (;;) {
        if (PollHandOver()) {
            return ScriptRead::HandOver;
        }
        EnterCriticalSection(&g_feed->lock);
        bool taken = true;
        ScriptRead result = ScriptRead::Bytes;
        if (!g_feed->bytes.empty()) {
            bytes->append(g_feed->bytes);
            g_feed->bytes.clear();
        } else if (g_feed->ended) {
            *error = g_feed->error;
            result = g_feed->error != 0 ? ScriptRead::Failed : ScriptRead::End;
        } else {
            // Cleared under the lock, so a chunk that comes after this is
            // signalled again and never missed.
            ResetEvent(g_feed->arrived);
            taken = false;
        }
        LeaveCriticalSection(&g_feed->lock);
        if (taken) {
            return result;
        }
        MsgWaitForMultipleObjectsEx(1, &g_feed->arrived, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace win32sys
