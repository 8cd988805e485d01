// The registry file on disk. Writes follow the usual safe-save pattern
// (Wine's server/registry.c does the same): write a temporary file beside the
// real one, flush it to the disk, then rename it over the old file, so that a
// crash or a full disk leaves either the old file or the new one, never half.
// A registry.reg that is a symbolic link is written through: the temporary
// goes beside the link's target and replaces the target, as editors do.
#include "store.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "../include/windows.h"
#include "registry.h"

namespace reg {

namespace {

std::mutex g_dirMutex;
std::string g_configDir;

// Anything larger than this is not a settings file we wrote; it is treated
// as damage and kept aside rather than read into memory.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

LSTATUS StatusFromErrno(int error) {
    switch (error) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return ERROR_DISK_FULL;
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOTDIR:
        case EISDIR:
        case ENOENT:
        case ELOOP:
        case ENAMETOOLONG:
        case ETXTBSY:
            return ERROR_ACCESS_DENIED;
        case ENOMEM:
            return ERROR_OUTOFMEMORY;
        default:
            return ERROR_WRITE_FAULT;
    }
}

// mkdir -p with mode 0700 for what it creates; directories that already
// exist keep their mode.
int MakeDirectories(const std::string& dir) {
    if (dir.empty()) {
        return ENOENT;
    }
    for (size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') {
            continue;
        }
        std::string prefix = dir.substr(0, pos);
        if (mkdir(prefix.c_str(), 0700) == 0) {
            continue;
        }
        int error = errno;
        struct stat st;
        if (error == EEXIST && stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                return ENOTDIR;
            }
            continue;
        }
        // A component we may not create may still exist and be usable (a
        // read-only parent such as /home); only fail if it is really absent.
        if (stat(prefix.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            continue;
        }
        return error;
    }
    return 0;
}

enum class FileState { Parsed, Missing, Damaged, Unreadable };

struct FileRead {
    FileState state = FileState::Missing;
    int error = 0;
    bool special = false;  // there is something, but not a regular file
};

FileRead ReadRegistryFile(const std::string& path, Document& doc) {
    doc = Document{};
    FileRead result;
    if (path.empty()) {
        return result;
    }
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever; with
    // it, the open returns at once and the check below turns it away, like
    // any other file that is not a regular one (a device, a socket).
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        result.state = errno == ENOENT ? FileState::Missing : FileState::Unreadable;
        return result;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = EACCES;
        result.special = true;
        result.state = FileState::Unreadable;
        close(fd);
        return result;
    }
    if (st.st_size > kMaxFileBytes) {
        result.state = FileState::Damaged;
        close(fd);
        return result;
    }
    std::string bytes;
    char buffer[8192];
    while (true) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.error = errno;
            result.state = FileState::Unreadable;
            close(fd);
            return result;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
        if (bytes.size() > static_cast<size_t>(kMaxFileBytes)) {
            result.state = FileState::Damaged;
            close(fd);
            return result;
        }
    }
    close(fd);
    result.state = ParseDocument(bytes, doc, nullptr) ? FileState::Parsed : FileState::Damaged;
    if (result.state == FileState::Damaged) {
        doc = Document{};
    }
    return result;
}

// Renames the damaged file to the first free name of registry.reg.bad,
// registry.reg.bad.1, ... so that earlier damaged files are kept as well.
bool MoveAside(const std::string& path) {
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = path + ".bad";
        if (n > 0) {
            candidate += '.';
            candidate += std::to_string(n);
        }
        // link() refuses to replace an existing name, so two processes can
        // never move their files onto the same .bad name.
        if (link(path.c_str(), candidate.c_str()) == 0) {
            return unlink(path.c_str()) == 0;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (errno != EPERM && errno != EXDEV && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK) {
            return false;
        }
        // File systems without hard links: check, then rename. Only the
        // directory lock stands between this and another process.
        struct stat st;
        if (lstat(candidate.c_str(), &st) == 0) {
            continue;
        }
        if (errno != ENOENT) {
            return false;
        }
        return rename(path.c_str(), candidate.c_str()) == 0;
    }
    return false;
}

// Holds an exclusive lock on the config directory so that two processes do
// not interleave their read-change-write cycles and lose one another's value.
class DirectoryLock {
public:
    explicit DirectoryLock(const std::string& dir) {
        fd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~DirectoryLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

bool WriteAll(int fd, const std::string& text, int& error) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = errno;
            return false;
        }
        if (n == 0) {
            error = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The prefix of our temporary files: hidden, and a name no person would
// give a file, so that removing stale ones can never take a user's own
// backup such as registry.reg.backup.
std::string TemporaryPrefix(const std::string& path) { return "." + BaseNameOf(path) + ".tmp-"; }
constexpr size_t kTemporarySuffix = 6;  // mkstemp's XXXXXX

// Follows symbolic links from path to the file they finally name, the way
// the kernel would, so that a save replaces the target and keeps the link.
// A dangling link gives its missing target, which a save then creates.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            return current;
        }
        target.resize(static_cast<size_t>(n));
        current = target[0] == '/' ? target : DirectoryOf(current) + "/" + target;
    }
    return current;  // a loop: opening it reports ELOOP
}

// Temporaries of exactly our pattern are what a save killed half-way left
// behind; the caller holds the directory lock, so no save is running.
void RemoveStaleTemporaries(const std::string& path) {
    std::string dir = DirectoryOf(path);
    std::string prefix = TemporaryPrefix(path);
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return;
    }
    while (dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        if (name.size() != prefix.size() + kTemporarySuffix || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        bool ours = true;
        for (size_t i = prefix.size(); i < name.size(); ++i) {
            char c = name[i];
            ours = ours && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
        }
        struct stat st;
        std::string full = dir + "/" + name;
        if (ours && lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            unlink(full.c_str());
        }
    }
    closedir(d);
}

LSTATUS ReplaceFile(const std::string& path, const std::string& text, int& error) {
    std::string dir = DirectoryOf(path);
    std::string temp = dir + "/" + TemporaryPrefix(path) + std::string(kTemporarySuffix, 'X');
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = errno;
        return StatusFromErrno(errno);
    }
    // mkstemp makes the file 0600; a file that replaces the user's keeps
    // the permissions it had.
    struct stat old;
    if (stat(path.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
    bool ok = WriteAll(fd, text, error);
    if (ok && fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    // close() can report a failed write-back (NFS, some quotas) that write()
    // did not, so its result counts as well.
    if (close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        return StatusFromErrno(error);
    }
    // The rename is done and the new file is complete; flushing the directory
    // only makes the new name survive a power cut, so its failure is not
    // reported as a failed write.
    int fdDir = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir >= 0) {
        fsync(fdDir);
        close(fdDir);
    }
    return ERROR_SUCCESS;
}

// A failed save is the one failure of the settings said out loud: the
// program goes on as if nothing happened, but the count the player chose
// would otherwise be lost without a word.
LSTATUS ReportFailedSave(const std::string& path, LSTATUS status, int error, const char* reason = nullptr) {
    std::fprintf(stderr, "%s: could not save the settings to %s: %s; the file keeps what it held\n",
                 program_invocation_short_name, path.c_str(),
                 reason != nullptr ? reason : error != 0 ? std::strerror(error) : "the write failed");
    std::fflush(stderr);
    return status;
}

std::mutex g_cleanMutex;
std::set<std::string> g_cleaned;

// Once a run, before the first read: clears what saves killed half-way
// left behind. Needs the directory lock, which a missing directory cannot
// give; then there is nothing to clear either.
void CleanUpOnce(const std::string& dir, const std::string& path, int lockFd) {
    std::lock_guard<std::mutex> guard(g_cleanMutex);
    if (path.empty() || !g_cleaned.insert(path).second) {
        return;
    }
    if (lockFd >= 0) {
        RemoveStaleTemporaries(path);
        return;
    }
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        g_cleaned.erase(path);
        return;
    }
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    RemoveStaleTemporaries(path);
    close(fd);
}

}  // namespace

void SetConfigDir(const std::string& dir) {
    std::lock_guard<std::mutex> lock(g_dirMutex);
    g_configDir = dir;
}

std::string ConfigDir() {
    {
        std::lock_guard<std::mutex> lock(g_dirMutex);
        if (!g_configDir.empty()) {
            return g_configDir;
        }
    }
    // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/tavilo";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == 0) {
        struct passwd* pw = getpwuid(getuid());
        home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == 0) {
        return std::string();
    }
    return std::string(home) + "/.config/tavilo";
}

std::string RegistryFilePath() {
    // Without any directory there is no file; never fall back to one at the
    // root of the file system.
    std::string dir = ConfigDir();
    return dir.empty() ? std::string() : dir + "/registry.reg";
}

void LoadDocument(Document& doc) {
    std::string path = FollowLinks(RegistryFilePath());
    CleanUpOnce(ConfigDir(), path, -1);
    FileRead read = ReadRegistryFile(path, doc);
    if (read.state != FileState::Damaged) {
        return;
    }
    // Look again under the lock: another process may have moved the file
    // aside and written a good one since, and that one must not be moved.
    DirectoryLock lock(ConfigDir());
    read = ReadRegistryFile(path, doc);
    if (read.state == FileState::Damaged) {
        MoveAside(path);
    }
}

LSTATUS UpdateDocument(const std::function<bool(Document&)>& change) {
    std::string dir = ConfigDir();
    std::string path = RegistryFilePath();
    int error = MakeDirectories(dir);
    if (error != 0) {
        return ReportFailedSave(path.empty() ? "the settings folder" : path, StatusFromErrno(error), error);
    }
    DirectoryLock lock(dir);
    path = FollowLinks(path);
    CleanUpOnce(dir, path, lock.fd());
    Document doc;
    FileRead read = ReadRegistryFile(path, doc);
    if (read.state == FileState::Unreadable) {
        // We cannot see what the file holds, so writing over it could lose
        // every other value in it; and a file that is not a regular one is
        // not ours to replace.
        return ReportFailedSave(path, StatusFromErrno(read.error), read.error,
                                read.special ? "it is not a regular file" : nullptr);
    }
    if (read.state == FileState::Damaged && !MoveAside(path)) {
        return ReportFailedSave(path, ERROR_BADDB, errno, "the damaged file could not be kept aside");
    }
    if (!change(doc)) {
        return ERROR_SUCCESS;
    }
    LSTATUS status = ReplaceFile(path, SerializeDocument(doc), error);
    return status == ERROR_SUCCESS ? status : ReportFailedSave(path, status, error);
}

}  // namespace reg
