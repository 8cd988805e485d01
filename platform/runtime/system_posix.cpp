// The system seam on Linux and other POSIX systems: the clock, messages and
// the settings file. The one-copy rule is in posix/instance.cpp.
//
// Settings: $XDG_CONFIG_HOME/tavilo/registry.reg (or ~/.config/...). Saves
// follow the usual safe-save pattern (Wine's server/registry.c does the
// same): write a temporary file beside the real one, flush it to the disk,
// then rename it over the old file. A registry.reg that is a symbolic link
// is written through: the temporary goes beside the link's target and
// replaces the target, as editors do. Before any of it, the folders, links
// and file on the way are checked as OpenSSH checks ~/.ssh
// (posix/ownership.h): settings another user could have placed or pointed
// elsewhere are neither read nor written.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "language.h"
#include "include/windows.h"
#include "posix/ownership.h"
#include "system.h"
#include "user_dirs.h"

namespace sys {

namespace {

constexpr const char* kSettingsFile = "registry.reg";

uint32_t StatusFromErrno(int error) {
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

uint32_t Fail(int error, std::string* reason) {
    *reason = std::strerror(error);
    return StatusFromErrno(error);
}

// mkdir -p with the given mode for what it creates (less the umask);
// directories that already exist keep their mode. Run as root for another
// user, what it makes is given to that user, as the folder it is made in
// would have been.
int MakeDirectories(const std::string& dir, mode_t mode, uid_t owner = 0, gid_t group = 0) {
    if (dir.empty()) {
        return ENOENT;
    }
    for (size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') {
            continue;
        }
        std::string prefix = dir.substr(0, pos);
        if (mkdir(prefix.c_str(), mode) == 0) {
            if (geteuid() == 0 && owner != 0) {
                lchown(prefix.c_str(), owner, group);
            }
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

// The settings file and the folders it lives in, once they are found safe;
// false with the reason otherwise. Without a config directory there is no
// file: never fall back to one at the root of the file system.
bool Place(posix::SettingsPlace* place, std::string* reason) {
    std::string dir = ConfigDir();
    if (dir.empty()) {
        *reason = "there is no settings folder";
        return false;
    }
    if (!posix::CheckSettingsPlace(dir, kSettingsFile, place, reason)) {
        *reason += ", so the settings there are not used";
        return false;
    }
    return true;
}

int LockDirectory(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    return fd;
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

std::mutex g_cleanMutex;
std::set<std::string> g_cleaned;

// Once a run, before the first read: clears what saves killed half-way
// left behind. Needs the directory lock, which a missing directory cannot
// give; then there is nothing to clear either.
void CleanUpOnce(const std::string& path, bool locked) {
    std::lock_guard<std::mutex> guard(g_cleanMutex);
    if (path.empty() || !g_cleaned.insert(path).second) {
        return;
    }
    if (locked) {
        RemoveStaleTemporaries(path);
        return;
    }
    int fd = LockDirectory(ConfigDir());
    if (fd < 0) {
        g_cleaned.erase(path);
        return;
    }
    RemoveStaleTemporaries(path);
    close(fd);
}

// The user's home: $HOME, else the password database's; empty without one.
std::string HomeDir() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == 0) {
        struct passwd* pw = getpwuid(getuid());
        home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    return home != nullptr ? std::string(home) : std::string();
}

// $XDG_CONFIG_HOME, else ~/.config; the XDG base directory rules ignore a
// relative XDG_CONFIG_HOME. Empty without a home.
std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    std::string home = HomeDir();
    return home.empty() ? home : home + "/.config";
}

// A user-dirs file is a few hundred bytes; anything far larger is not one.
constexpr off_t kMaxUserDirsBytes = 64 * 1024;

bool WriteAll(int fd, const char* data, size_t size, int& error) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
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


}  // namespace

uint64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}

std::string ProgramName() { return program_invocation_short_name; }

void ReportProblem(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

std::vector<std::string> SystemLanguageTags() {
    return rt::PosixLanguageTags(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                 std::getenv("LANG"));
}

std::string DefaultConfigDir() {
    std::string config = ConfigHome();
    return config.empty() ? config : config + "/tavilo";
}

std::string PicturesDir() {
    std::string home = HomeDir();
    std::string config = ConfigHome();
    std::string text;
    if (!config.empty()) {
        // A user-dirs file that cannot be read is as good as none.
        int fd = open((config + "/user-dirs.dirs").c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxUserDirsBytes) {
            char chunk[4096];
            ssize_t n;
            while ((n = read(fd, chunk, sizeof chunk)) > 0 && text.size() <= kMaxUserDirsBytes) {
                text.append(chunk, static_cast<size_t>(n));
            }
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    std::string dir = UserDirFromText(text, "XDG_PICTURES_DIR", home);
    if (!dir.empty()) {
        return dir;
    }
    return home.empty() ? home : home + "/Pictures";
}

uint32_t WriteNewFile(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes,
                      std::string* reason) {
    if (dir.empty()) {
        *reason = "there is no folder to save into";
        return ERROR_PATH_NOT_FOUND;
    }
    if (int error = MakeDirectories(dir, 0777)) {
        *reason = "cannot create " + dir + ": " + std::strerror(error);
        return StatusFromErrno(error);
    }
    const std::string path = dir + "/" + name;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        int error = errno;
        *reason = "cannot create " + path + ": " + std::strerror(error);
        return error == EEXIST ? ERROR_FILE_EXISTS : StatusFromErrno(error);
    }
    int error = 0;
    bool written = WriteAll(fd, reinterpret_cast<const char*>(bytes.data()), bytes.size(), error);
    if (written && fsync(fd) != 0 && errno != EINVAL) {
        written = false;
        error = errno;
    }
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(path.c_str());
        *reason = "cannot write " + path + ": " + std::strerror(error);
        return StatusFromErrno(error);
    }
    return ERROR_SUCCESS;
}

std::string SettingsName() {
    posix::SettingsPlace place;
    std::string reason;
    if (Place(&place, &reason)) {
        return place.file;
    }
    std::string dir = ConfigDir();
    return dir.empty() ? "the settings folder" : dir + "/" + kSettingsFile;
}

SettingsState ReadSettings(size_t maxBytes, std::string* text, uint32_t* error, std::string* reason) {
    text->clear();
    *error = ERROR_SUCCESS;
    if (ConfigDir().empty()) {
        return SettingsState::Missing;
    }
    posix::SettingsPlace place;
    if (!Place(&place, reason)) {
        *error = ERROR_ACCESS_DENIED;
        return SettingsState::Unreadable;
    }
    if (!place.folderExists) {
        return SettingsState::Missing;
    }
    const std::string& path = place.file;
    CleanUpOnce(path, false);
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever; with
    // it, the open returns at once and the check below turns it away, like
    // any other file that is not a regular one (a device, a socket). The
    // links were followed by the check; one that appeared since is refused.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT) {
            return SettingsState::Missing;
        }
        *error = Fail(errno, reason);
        return SettingsState::Unreadable;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        *error = ERROR_ACCESS_DENIED;
        *reason = "it is not a regular file";
        return SettingsState::Unreadable;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        close(fd);
        return SettingsState::TooLarge;
    }
    // One allocation of the file's size; a file that grows while it is read
    // is cut off at the limit.
    text->reserve(static_cast<size_t>(st.st_size));
    char buffer[8192];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            *error = Fail(errno, reason);
            close(fd);
            text->clear();
            return SettingsState::Unreadable;
        }
        if (n == 0) {
            break;
        }
        if (text->size() + static_cast<size_t>(n) > maxBytes) {
            close(fd);
            text->clear();
            text->shrink_to_fit();
            return SettingsState::TooLarge;
        }
        text->append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return SettingsState::Read;
}

uint32_t ReplaceSettings(const std::string& text, std::string* reason) {
    posix::SettingsPlace place;
    if (!Place(&place, reason)) {
        return ERROR_ACCESS_DENIED;
    }
    if (!place.folderExists && !place.throughLink) {
        int error = MakeDirectories(place.folder, 0700, place.owner, place.group);
        if (error != 0) {
            return Fail(error, reason);
        }
        // Looked at again: in a shared folder such as /tmp, another user may
        // have made the folder first.
        if (!Place(&place, reason)) {
            return ERROR_ACCESS_DENIED;
        }
    }
    const std::string& path = place.file;
    std::string temp = place.folder + "/" + TemporaryPrefix(path) + std::string(kTemporarySuffix, 'X');
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        return Fail(errno, reason);
    }
    // mkstemp makes the file 0600 and ours; a file that replaces the user's
    // keeps the owner and permissions it had (the owner first, since
    // changing it clears set-id bits). Run as root for another user, a new
    // file is theirs, as the folder is.
    struct stat old;
    if (lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (old.st_uid != geteuid() || old.st_gid != getegid()) {
            fchown(fd, old.st_uid, old.st_gid);
        }
        fchmod(fd, old.st_mode & 07777);
    } else if (geteuid() == 0 && place.owner != 0) {
        fchown(fd, place.owner, place.group);
    }
    int error = 0;
    bool ok = WriteAll(fd, text.data(), text.size(), error);
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
        return Fail(error, reason);
    }
    // The rename is done and the new file is complete; flushing the directory
    // only makes the new name survive a power cut, so its failure is not
    // reported as a failed write.
    int fdDir = open(place.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir >= 0) {
        fsync(fdDir);
        close(fdDir);
    }
    return ERROR_SUCCESS;
}

// Renames the damaged file to the first free name of registry.reg.bad,
// registry.reg.bad.1, ... so that earlier damaged files are kept as well.
bool KeepSettingsAside() {
    posix::SettingsPlace place;
    std::string reason;
    if (!Place(&place, &reason)) {
        return false;
    }
    const std::string& path = place.file;
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

// The lock is on the config directory, made here when it is missing, so
// that the very first save of two copies is in order too. Settings that
// must not be used are not locked either: nothing is written to them.
SettingsLock::SettingsLock() {
    posix::SettingsPlace place;
    std::string reason;
    if (!Place(&place, &reason)) {
        return;
    }
    std::string dir = ConfigDir();
    if (!place.folderExists && !place.throughLink) {
        MakeDirectories(place.folder, 0700, place.owner, place.group);
    }
    int fd = LockDirectory(dir);
    token_ = fd;
    if (fd >= 0 && Place(&place, &reason)) {
        CleanUpOnce(place.file, true);
    }
}

SettingsLock::~SettingsLock() {
    if (token_ >= 0) {
        close(static_cast<int>(token_));
    }
}

}  // namespace sys
