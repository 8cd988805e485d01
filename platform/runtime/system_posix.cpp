// The system seam on Linux and other POSIX systems.
//
// Settings: $XDG_CONFIG_HOME/tavilo/registry.reg (or ~/.config/...). Saves
// follow the usual safe-save pattern (Wine's server/registry.c does the
// same): write a temporary file beside the real one, flush it to the disk,
// then rename it over the old file. A registry.reg that is a symbolic link
// is written through: the temporary goes beside the link's target and
// replaces the target, as editors do.
//
// One copy: an flock on a lock file taken before listening on a Unix socket
// beside it; the host watches the socket (rt::WatchDescriptor) while the
// copy listens for hand-over requests. The kernel gives the lock to exactly one copy and frees it when
// that copy ends however it ends, so there are no stale claims to judge. The
// files live where only this user can reach them: $XDG_RUNTIME_DIR, or else
// a 0700 directory of our own under the temporary directory whose owner is
// checked; their names are a hash, so any config directory fits in a socket
// address.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "descriptor_watch.h"
#include "language.h"
#include "include/windows.h"
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
// directories that already exist keep their mode.
int MakeDirectories(const std::string& dir, mode_t mode) {
    if (dir.empty()) {
        return ENOENT;
    }
    for (size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') {
            continue;
        }
        std::string prefix = dir.substr(0, pos);
        if (mkdir(prefix.c_str(), mode) == 0) {
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

// The settings file itself, after any links; empty without a config dir.
std::string SettingsPath() {
    // Without any directory there is no file; never fall back to one at the
    // root of the file system.
    std::string dir = ConfigDir();
    return dir.empty() ? std::string() : FollowLinks(dir + "/" + kSettingsFile);
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
    CleanUpOnce(path, false);
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever; with
    // it, the open returns at once and the check below turns it away, like
    // any other file that is not a regular one (a device, a socket).
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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
        text->append(buffer, static_cast<size_t>(n));
        if (text->size() > maxBytes) {
            close(fd);
            text->clear();
            return SettingsState::TooLarge;
        }
    }
    close(fd);
    return SettingsState::Read;
}

uint32_t ReplaceSettings(const std::string& text, std::string* reason) {
    std::string dir = ConfigDir();
    int error = MakeDirectories(dir, 0700);
    if (error != 0) {
        return Fail(error, reason);
    }
    std::string path = SettingsPath();
    std::string folder = DirectoryOf(path);
    std::string temp = folder + "/" + TemporaryPrefix(path) + std::string(kTemporarySuffix, 'X');
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        return Fail(errno, reason);
    }
    // mkstemp makes the file 0600; a file that replaces the user's keeps
    // the permissions it had.
    struct stat old;
    if (stat(path.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
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
    int fdDir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir >= 0) {
        fsync(fdDir);
        close(fdDir);
    }
    return ERROR_SUCCESS;
}

// Renames the damaged file to the first free name of registry.reg.bad,
// registry.reg.bad.1, ... so that earlier damaged files are kept as well.
bool KeepSettingsAside() {
    std::string path = SettingsPath();
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
// that the very first save of two copies is in order too.
SettingsLock::SettingsLock() {
    std::string dir = ConfigDir();
    MakeDirectories(dir, 0700);
    int fd = LockDirectory(dir);
    token_ = fd;
    if (fd >= 0) {
        CleanUpOnce(SettingsPath(), true);
    }
}

SettingsLock::~SettingsLock() {
    if (token_ >= 0) {
        close(static_cast<int>(token_));
    }
}

// ---- One copy at a time ----

namespace {

// How long a second copy keeps knocking at a socket that the owner of the
// lock is about to open, or whose queue is full.
constexpr uint64_t kConnectPatienceMs = 1000;

struct Instance {
    int lockFd = -1;
    int listenFd = -1;
    bool watched = false;
    std::string socketPath;
    bool warned = false;
};

Instance& Inst() {
    static Instance instance;
    return instance;
}

bool IsPrivateDirectory(const std::string& dir) {
    struct stat st;
    return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0;
}

// A directory only this user can enter, or "" when none can be had. A
// directory of our name that another user made first is not used: they
// could read, replace or block whatever we put there.
std::string RuntimeDirectory(size_t room) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/' && std::string(xdg).size() <= room) {
        struct stat st;
        if (stat(xdg, &st) == 0 && S_ISDIR(st.st_mode)) {
            return xdg;
        }
    }
    std::string own = "/tavilo-" + std::to_string(geteuid());
    const char* tmp = std::getenv("TMPDIR");
    for (std::string base : {std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp"), std::string("/tmp")}) {
        std::string dir = base + own;
        if (dir.size() > room) {
            continue;
        }
        mkdir(dir.c_str(), 0700);
        if (IsPrivateDirectory(dir)) {
            return dir;
        }
    }
    return std::string();
}

// The socket path for a claim name; the lock file is the same with ".lock"
// for ".sock". The config directory is resolved first, so that two
// spellings of one folder meet. "" when no private directory can be had.
std::string SocketPath(const std::string& name) {
    std::string config = ConfigDir();
    char resolved[PATH_MAX];
    if (realpath(config.c_str(), resolved) != nullptr) {
        config = resolved;
    }
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char c : config + '\n' + name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char file[40];
    std::snprintf(file, sizeof file, "/tavilo-%016llx.sock", static_cast<unsigned long long>(hash));
    std::string dir = RuntimeDirectory(sizeof(sockaddr_un{}.sun_path) - 1 - std::strlen(file));
    return dir.empty() ? dir : dir + file;
}

std::string LockPath(const std::string& socketPath) {
    return socketPath.substr(0, socketPath.size() - 5) + ".lock";
}

sockaddr_un Address(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
    return addr;
}

// A connected socket to the copy that owns path, or -1.
int Connect(const std::string& path) {
    uint64_t giveUp = MonotonicMs() + kConnectPatienceMs;
    sockaddr_un addr = Address(path);
    for (;;) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            return -1;
        }
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            return fd;
        }
        int error = errno;
        close(fd);
        bool worthWaiting = error == ENOENT || error == ECONNREFUSED || error == EAGAIN;
        if (!worthWaiting || MonotonicMs() >= giveUp) {
            return -1;
        }
        poll(nullptr, 0, 20);
    }
}

}  // namespace

Claim ClaimInstance(const std::string& name) {
    Instance& in = Inst();
    std::string path = SocketPath(name);
    if (path.empty()) {
        if (!in.warned) {
            ReportProblem(ProgramName() + ": no private folder for the single-instance check; running without it");
            in.warned = true;
        }
        return Claim::Unavailable;
    }
    if (in.lockFd >= 0) {
        return path == in.socketPath ? Claim::Ours : InstanceTaken(name) ? Claim::Taken : Claim::Unavailable;
    }
    int lockFd = open(LockPath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0) {
        return Claim::Unavailable;
    }
    if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(lockFd);
        return error == EWOULDBLOCK ? Claim::Taken : Claim::Unavailable;
    }
    // Whatever socket is there belonged to a copy that has ended.
    unlink(path.c_str());
    in.lockFd = lockFd;
    in.socketPath = path;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr = Address(path);
    if (fd >= 0 && (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0)) {
        close(fd);
        fd = -1;
    }
    // Without a socket the lock still keeps other copies out; they just
    // cannot ask this one to the front.
    in.listenFd = fd;
    return Claim::Ours;
}

bool InstanceTaken(const std::string& name) {
    std::string path = SocketPath(name);
    if (path.empty()) {
        return false;
    }
    if (path == Inst().socketPath) {
        return true;
    }
    int fd = open(LockPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    bool taken = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return taken;
}

void ReleaseInstance() {
    Instance& in = Inst();
    ListenForHandOver(false);
    if (in.listenFd >= 0) {
        close(in.listenFd);
        in.listenFd = -1;
    }
    if (in.lockFd >= 0) {
        // Removed while the lock is still held, so that it is never the
        // socket of a copy that claimed the name after us.
        unlink(in.socketPath.c_str());
        close(in.lockFd);
        in.lockFd = -1;
    }
    in.socketPath.clear();
}

bool RequestHandOver(const std::string& name) {
    std::string path = SocketPath(name);
    int fd = path.empty() ? -1 : Connect(path);
    if (fd < 0) {
        return false;  // that copy has ended meanwhile, or never listened
    }
    static const char kRequest[] = "raise\n";
    ssize_t written = send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL);
    close(fd);
    return written == static_cast<ssize_t>(sizeof kRequest - 1);
}

void ListenForHandOver(bool on) {
    Instance& in = Inst();
    bool watch = on && in.listenFd >= 0;
    if (watch != in.watched) {
        rt::WatchDescriptor(watch ? in.listenFd : -1);
        in.watched = watch;
    }
}

bool TakeHandOverRequests() {
    Instance& in = Inst();
    bool raise = false;
    if (in.listenFd < 0) {
        return false;
    }
    for (;;) {
        int conn = accept4(in.listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (conn < 0) {
            return raise;  // EAGAIN: every waiting copy has been heard
        }
        // A copy that only looked for this one closes without a word; one
        // that wants it in front says "raise". The read is bounded so that a
        // silent peer cannot stall the program.
        timeval timeout{0, 200000};
        setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char buf[16] = {};
        ssize_t n = recv(conn, buf, sizeof buf - 1, 0);
        close(conn);
        raise = raise || (n >= 5 && std::string(buf, 5) == "raise");
    }
}

}  // namespace sys
