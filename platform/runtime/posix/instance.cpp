// One copy at a time on POSIX systems: an flock on a lock file, and a Unix
// datagram socket beside it that hears hand-over requests. The kernel gives
// the lock to exactly one copy and frees it when that copy ends however it
// ends, so there are no stale claims to judge.
//
// The files live in a folder that only this user can enter, so that no other
// user can hold the lock (which would make every start end at once), bind
// the socket, or make the folder first: $XDG_RUNTIME_DIR/tavilo when that
// folder is the user's own with mode 0700, as the XDG rules require of it,
// else $XDG_CACHE_HOME/tavilo/run-HOST (~/.cache/... by default), a 0700
// folder whose owner is checked; the host's name keeps machines that share
// a home apart. Never /tmp, where another user could make the folder first,
// and never the settings folder, which may be shared or kept in a
// repository. The folder is opened once and used through its descriptor,
// and the socket's address names it through /proc/self/fd, so that a folder
// of any length fits in an address. Where there is no such folder, the copy
// runs on its own and says so once.
//
// Requests are datagrams: each arrives whole or not at all, and reading one
// never waits, so no peer can stall the program by connecting and saying
// nothing. Every change to the folder's entries (a claim, a release, the
// removal of stale files) is made under an flock of the folder itself, so
// that a lock file that can be locked there is provably unused.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../descriptor_watch.h"
#include "../hash.h"
#include "../system.h"

namespace sys {

namespace {

// How long a second copy keeps knocking at a socket that the owner of the
// lock is about to open, or whose queue is full.
constexpr uint64_t kKnockPatienceMs = 1000;

// Requests read in one go; more wait for the next turn of the program's
// loop, so that a flood of them cannot starve the game's timer.
constexpr int kRequestsPerTake = 64;

constexpr char kRequest[] = "raise";

// The private folder, found once a run.
struct Runtime {
    bool looked = false;
    int fd = -1;
    std::string path;
    std::string why;  // why there is none
    bool viaProc = false;
};

struct Instance {
    int lockFd = -1;
    int socketFd = -1;
    bool watched = false;
    bool swept = false;
    bool warned = false;
    std::string stem;  // tavilo-HASH, the name of the lock file and the socket without their endings
};

Instance& Inst() {
    static Instance instance;
    return instance;
}

std::string Errno(int error) { return std::strerror(error); }

// A folder name in parentFd that is this user's alone, made when missing.
// A folder of the user's own that others could reach is closed to them
// first; what they may have left in it is swept out with the stale files.
int OpenOwnFolder(int parentFd, const std::string& parentPath, const std::string& name, std::string* why) {
    std::string path = parentPath + "/" + name;
    if (mkdirat(parentFd, name.c_str(), 0700) != 0 && errno != EEXIST) {
        *why = "cannot make " + path + ": " + Errno(errno);
        return -1;
    }
    int fd = openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *why = "cannot open " + path + ": " + Errno(errno);
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_uid != geteuid()) {
        *why = path + " belongs to another user";
        close(fd);
        return -1;
    }
    if ((st.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) {
        *why = "cannot close " + path + " to other users: " + Errno(errno);
        close(fd);
        return -1;
    }
    return fd;
}

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == 0) {
        return "localhost";
    }
    std::string safe;
    for (const char* c = name; *c != 0 && safe.size() < 64; ++c) {
        bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                     *c == '-' || *c == '.' || *c == '_';
        safe += plain ? *c : '_';
    }
    return safe;
}

bool FromRuntimeDirectory(Runtime* run, std::string* why) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg == nullptr || xdg[0] != '/') {
        *why = "XDG_RUNTIME_DIR is not set";
        return false;
    }
    int base = open(xdg, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (base < 0 || fstat(base, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 0777) != 0700) {
        *why = std::string("XDG_RUNTIME_DIR (") + xdg + ") is not a folder of this user's with mode 0700";
        if (base >= 0) {
            close(base);
        }
        return false;
    }
    run->fd = OpenOwnFolder(base, xdg, "tavilo", why);
    close(base);
    run->path = std::string(xdg) + "/tavilo";
    return run->fd >= 0;
}

bool FromCacheDirectory(Runtime* run, std::string* why) {
    std::string cache;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        cache = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') {
            struct passwd* pw = getpwuid(geteuid());
            home = pw != nullptr ? pw->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] != '/') {
            *why = "there is no home folder";
            return false;
        }
        cache = std::string(home) + "/.cache";
    }
    mkdir(cache.c_str(), 0700);
    int base = open(cache.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base < 0) {
        *why = "cannot open " + cache + ": " + Errno(errno);
        return false;
    }
    int ours = OpenOwnFolder(base, cache, "tavilo", why);
    close(base);
    if (ours < 0) {
        return false;
    }
    std::string name = "run-" + HostName();
    run->fd = OpenOwnFolder(ours, cache + "/tavilo", name, why);
    close(ours);
    run->path = cache + "/tavilo/" + name;
    return run->fd >= 0;
}

Runtime& TheRuntime() {
    static Runtime run;
    if (run.looked) {
        return run;
    }
    run.looked = true;
    std::string first;
    if (!FromRuntimeDirectory(&run, &first) && !FromCacheDirectory(&run, &run.why)) {
        run.why = first + "; " + run.why;
        return run;
    }
    // The descriptor's name in /proc reaches the folder itself, whatever
    // its path; without /proc the path must be short enough for an address.
    std::string proc = "/proc/self/fd/" + std::to_string(run.fd);
    struct stat viaProc, direct;
    run.viaProc = stat(proc.c_str(), &viaProc) == 0 && fstat(run.fd, &direct) == 0 &&
                  viaProc.st_ino == direct.st_ino && viaProc.st_dev == direct.st_dev;
    if (!run.viaProc && run.path.size() + 32 >= sizeof(sockaddr_un{}.sun_path)) {
        run.why = run.path + " is too long for a socket address, and /proc is not there to shorten it";
        close(run.fd);
        run.fd = -1;
    }
    return run;
}

// Says once a run that the rule is off, and why.
Claim Unavailable(const std::string& why) {
    Instance& in = Inst();
    if (!in.warned) {
        ReportProblem(ProgramName() + ": " + why + "; this copy runs on its own, without the one-copy rule");
        in.warned = true;
    }
    return Claim::Unavailable;
}

sockaddr_un Address(const Runtime& run, const std::string& file) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = (run.viaProc ? "/proc/self/fd/" + std::to_string(run.fd) : run.path) + "/" + file;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    return addr;
}

// The lock file and socket names for a claim: the config directory is
// resolved first, so that two spellings of one folder meet, and hashed, so
// that any folder gives a short name.
std::string Stem(const std::string& name) {
    std::string config = ConfigDir();
    char resolved[PATH_MAX];
    if (realpath(config.c_str(), resolved) != nullptr) {
        config = resolved;
    }
    rt::Fnv1a hash;
    hash.AddBytes(config + '\n' + name);
    return "tavilo-" + hash.Hex();
}

// Holds the folder's own flock while the caller changes or probes its
// entries. Held only for a few calls, so waiting for it is short.
class FolderLock {
public:
    explicit FolderLock(int fd) : fd_(fd) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() { flock(fd_, LOCK_UN); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

bool IsOurs(const struct stat& st) { return st.st_uid == geteuid(); }

// Opens the lock file as a regular file of this user's. Anything else in its
// place (a link, a folder, another user's file) is removed and the file
// made afresh: left there, it would switch the rule off without a word.
int OpenLockFile(int dirFd, const std::string& file, std::string* why) {
    constexpr int kFlags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = openat(dirFd, file.c_str(), kFlags | (attempt > 0 ? O_EXCL : 0), 0600);
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && IsOurs(st)) {
            return fd;
        }
        *why = "cannot use the lock file " + file + (fd >= 0 ? std::string(": not a file of this user's") : ": " + Errno(errno));
        if (fd >= 0) {
            close(fd);
        }
        if (unlinkat(dirFd, file.c_str(), 0) != 0 && unlinkat(dirFd, file.c_str(), AT_REMOVEDIR) != 0 &&
            errno != ENOENT) {
            return -1;
        }
    }
    return -1;
}

// Once a run, under the folder's lock: a lock file that can be locked here
// belongs to no running copy, and neither does its socket, nor a socket
// whose lock file is gone (a copy keeps its lock file until it ends).
// Entries of these names that are not this user's regular files and
// sockets are removed as well; other names are left alone.
void SweepStaleFiles(int dirFd, const std::string& ownStem) {
    int listFd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd >= 0 ? fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0) {
            close(listFd);
        }
        return;
    }
    constexpr size_t kStemLength = 7 + 16;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        bool isLock = name.size() == kStemLength + 5 && name.compare(kStemLength, 5, ".lock") == 0;
        bool isSocket = name.size() == kStemLength + 5 && name.compare(kStemLength, 5, ".sock") == 0;
        if ((!isLock && !isSocket) || name.compare(0, 7, "tavilo-") != 0 ||
            name.find_first_not_of("0123456789abcdef", 7) != kStemLength) {
            continue;
        }
        std::string stem = name.substr(0, kStemLength);
        if (stem == ownStem) {
            continue;
        }
        struct stat st;
        if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        bool stale = !IsOurs(st);
        if (isLock && !stale) {
            stale = !S_ISREG(st.st_mode);
            int fd = stale ? -1 : openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                stale = flock(fd, LOCK_EX | LOCK_NB) == 0;
                if (stale) {
                    unlinkat(dirFd, (stem + ".sock").c_str(), 0);
                }
                close(fd);
            }
        } else if (isSocket && !stale) {
            struct stat lock;
            stale = !S_ISSOCK(st.st_mode) ||
                    fstatat(dirFd, (stem + ".lock").c_str(), &lock, AT_SYMLINK_NOFOLLOW) != 0;
        }
        if (stale) {
            unlinkat(dirFd, name.c_str(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0);
        }
    }
    closedir(dir);
}

}  // namespace

Claim ClaimInstance(const std::string& name) {
    Instance& in = Inst();
    Runtime& run = TheRuntime();
    if (run.fd < 0) {
        return Unavailable("no private folder for the one-copy rule (" + run.why + ")");
    }
    std::string stem = Stem(name);
    if (in.lockFd >= 0) {
        return stem == in.stem ? Claim::Ours : InstanceTaken(name) ? Claim::Taken : Claim::Unavailable;
    }
    FolderLock folder(run.fd);
    if (!in.swept) {
        in.swept = true;
        SweepStaleFiles(run.fd, stem);
    }
    std::string why;
    int lockFd = OpenLockFile(run.fd, stem + ".lock", &why);
    if (lockFd < 0) {
        return Unavailable(why);
    }
    if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(lockFd);
        return error == EWOULDBLOCK ? Claim::Taken : Unavailable("cannot lock " + stem + ".lock: " + Errno(error));
    }
    // Whatever socket is there belonged to a copy that has ended.
    std::string socketFile = stem + ".sock";
    unlinkat(run.fd, socketFile.c_str(), 0);
    in.lockFd = lockFd;
    in.stem = stem;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr = Address(run, socketFile);
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        fd = -1;
    }
    // Without a socket the lock still keeps other copies out; they just
    // cannot ask this one to the front.
    in.socketFd = fd;
    return Claim::Ours;
}

bool InstanceTaken(const std::string& name) {
    Runtime& run = TheRuntime();
    std::string stem = Stem(name);
    if (run.fd < 0) {
        return false;
    }
    if (stem == Inst().stem) {
        return true;
    }
    FolderLock folder(run.fd);
    int fd = openat(run.fd, (stem + ".lock").c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    bool taken = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && IsOurs(st) && flock(fd, LOCK_SH | LOCK_NB) != 0 &&
                 errno == EWOULDBLOCK;
    close(fd);
    return taken;
}

void ReleaseInstance() {
    Instance& in = Inst();
    ListenForHandOver(false);
    if (in.socketFd >= 0) {
        close(in.socketFd);
        in.socketFd = -1;
    }
    if (in.lockFd >= 0) {
        // Both files go while the lock is still held, under the folder's
        // lock, so that neither is ever the file of a copy that claimed the
        // name after this one.
        Runtime& run = TheRuntime();
        {
            FolderLock folder(run.fd);
            unlinkat(run.fd, (in.stem + ".sock").c_str(), 0);
            unlinkat(run.fd, (in.stem + ".lock").c_str(), 0);
        }
        close(in.lockFd);
        in.lockFd = -1;
    }
    in.stem.clear();
}

bool RequestHandOver(const std::string& name) {
    Runtime& run = TheRuntime();
    if (run.fd < 0) {
        return false;
    }
    std::string socketFile = Stem(name) + ".sock";
    sockaddr_un addr = Address(run, socketFile);
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    uint64_t giveUp = MonotonicMs() + kKnockPatienceMs;
    bool sent = false;
    for (uint64_t now = MonotonicMs(); now < giveUp; now = MonotonicMs()) {
        // A full queue is waited on, up to the patience left.
        uint64_t left = giveUp - now;
        timeval timeout{static_cast<time_t>(left / 1000), static_cast<suseconds_t>(left % 1000 * 1000)};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        struct stat st;
        int error = ENOENT;
        if (fstatat(run.fd, socketFile.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISSOCK(st.st_mode) || !IsOurs(st)) {
                break;  // not a socket of this user's: no copy of ours listens there
            }
            ssize_t n = sendto(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr),
                               sizeof addr);
            sent = n == static_cast<ssize_t>(sizeof kRequest - 1);
            error = errno;
        }
        // The socket is missing or refuses while its copy is about to bind
        // it; anything else will not change by waiting.
        if (sent || (error != ENOENT && error != ECONNREFUSED && error != EAGAIN && error != EINTR)) {
            break;
        }
        if (error != EAGAIN) {
            poll(nullptr, 0, 20);
        }
    }
    close(fd);
    return sent;
}

void ListenForHandOver(bool on) {
    Instance& in = Inst();
    bool watch = on && in.socketFd >= 0;
    if (watch != in.watched) {
        rt::WatchDescriptor(watch ? in.socketFd : -1);
        in.watched = watch;
    }
}

bool TakeHandOverRequests() {
    Instance& in = Inst();
    bool raise = false;
    for (int i = 0; in.socketFd >= 0 && i < kRequestsPerTake; ++i) {
        char buffer[16];
        ssize_t n = recv(in.socketFd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            break;  // EAGAIN: every request has been heard
        }
        // A request is the word alone, with or without a line end; anything
        // else is not from a copy of this program and is dropped.
        std::string text(buffer, static_cast<size_t>(n));
        raise = raise || text == kRequest || text == std::string(kRequest) + "\n";
    }
    return raise;
}

}  // namespace sys
