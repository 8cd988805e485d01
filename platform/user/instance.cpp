// One copy of the program at a time, across processes. A copy claims the
// name of its main window (class and title, with the config directory, so
// that runs with different --config-dir never see each other) by taking an
// flock on a lock file and then listening on a Unix socket beside it. The
// claim is one atomic step: the kernel gives the lock to exactly one copy,
// and frees it when that copy ends however it ends, so there are no stale
// claims to judge. FindWindowW of a second copy finds the lock taken, and
// SetForegroundWindow on what it found connects to the socket and asks the
// owner to come to the front.
//
// The files live where only this user can reach them: $XDG_RUNTIME_DIR, or
// else a 0700 directory of our own under the temporary directory whose owner
// is checked. Their names are a hash, so any config directory fits in a
// socket address.
#include <fcntl.h>
#include <poll.h>
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
#include <map>

#include "registry/registry.h"
#include "runtime/descriptor_watch.h"
#include "user_internal.h"

namespace user {
namespace {

// Remote windows get handles of their own range, apart from local ones.
constexpr uintptr_t kFirstRemoteHandle = 0x40000000;

// How long a second copy keeps knocking at a socket that the owner of the
// lock is about to open, or whose queue is full.
constexpr uint64_t kConnectPatienceMs = 1000;

struct InstanceState {
    int lockFd = -1;
    int listenFd = -1;
    std::string claimed;  // the socket path of the name this copy holds
    HWND owner = nullptr;
    std::map<uintptr_t, std::string> remotes;  // handle -> socket path
    uintptr_t nextRemote = kFirstRemoteHandle;
    bool warned = false;
};

InstanceState& St() {
    static InstanceState state;
    return state;
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

// The socket path for a window name; the lock file is the same with
// ".lock" for ".sock". "" when no private directory can be had.
std::string SocketPath(const std::u16string& cls, const std::u16string& title) {
    std::string config = reg::ConfigDir();
    char resolved[PATH_MAX];
    if (realpath(config.c_str(), resolved) != nullptr) {
        config = resolved;
    }
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    auto mix = [&hash](uint32_t unit) { hash = (hash ^ unit) * 1099511628211ull; };
    for (char c : config) mix(static_cast<unsigned char>(c));
    mix(0x10000);
    for (char16_t c : cls) mix(c);
    mix(0x10000);
    for (char16_t c : title) mix(c);
    char name[40];
    std::snprintf(name, sizeof name, "/tavilo-%016llx.sock", static_cast<unsigned long long>(hash));
    std::string dir = RuntimeDirectory(sizeof(sockaddr_un{}.sun_path) - 1 - std::string(name).size());
    return dir.empty() ? dir : dir + name;
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

enum class Claim { Ours, Taken, Unavailable };

// Takes the name for this copy, or finds that a live copy holds it.
Claim TakeClaim(const std::string& path) {
    InstanceState& s = St();
    if (path.empty()) {
        if (!s.warned) {
            std::fprintf(stderr, "%s: no private folder for the single-instance check; running without it\n",
                         program_invocation_short_name);
            s.warned = true;
        }
        return Claim::Unavailable;
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
    s.lockFd = lockFd;
    s.claimed = path;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr = Address(path);
    if (fd >= 0 && (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0)) {
        close(fd);
        fd = -1;
    }
    // Without a socket the lock still keeps other copies out; they just
    // cannot ask this one to the front.
    s.listenFd = fd;
    return Claim::Ours;
}

void ReleaseClaim() {
    InstanceState& s = St();
    if (s.listenFd >= 0) {
        if (s.owner != nullptr) {
            rt::WatchDescriptor(-1);
        }
        close(s.listenFd);
        // Removed while the lock is still held, so that it is never the
        // socket of a copy that claimed the name after us.
        unlink(s.claimed.c_str());
    }
    if (s.lockFd >= 0) {
        close(s.lockFd);
    }
    s.lockFd = -1;
    s.listenFd = -1;
    s.claimed.clear();
    s.owner = nullptr;
}

// Whether a live copy holds the name, for a copy that holds another one.
bool ClaimTaken(const std::string& path) {
    int fd = open(LockPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    bool taken = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return taken;
}

// Real time, even in the headless host, whose program clock stands still.
uint64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
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

void PublishInstance(Window* w) {
    InstanceState& s = St();
    if (s.owner != nullptr || w->text.empty()) {
        return;
    }
    std::string path = SocketPath(w->cls->name, w->text);
    if (s.claimed != path) {
        // A program that did not look for another copy first, or a title
        // that changed: claim the name now.
        ReleaseClaim();
        if (TakeClaim(path) != Claim::Ours) {
            return;  // another live copy holds the name; this one runs unannounced
        }
    }
    s.owner = w->handle;
    w->published = true;
    if (s.listenFd >= 0) {
        rt::WatchDescriptor(s.listenFd);
    }
}

void UnpublishInstance(Window* w) {
    w->published = false;
    if (St().owner == w->handle) {
        ReleaseClaim();
    }
}

HWND FindRemoteWindow(const std::u16string& cls, const std::u16string& title) {
    InstanceState& s = St();
    std::string path = SocketPath(cls, title);
    if (path == s.claimed && !path.empty()) {
        return nullptr;  // the name is ours
    }
    // Looking for another copy claims the name when there is none, so that
    // two copies started together cannot both find nobody.
    if (s.lockFd < 0 ? TakeClaim(path) != Claim::Taken : !ClaimTaken(path)) {
        return nullptr;
    }
    for (const auto& entry : s.remotes) {
        if (entry.second == path) {
            return reinterpret_cast<HWND>(entry.first);
        }
    }
    uintptr_t handle = s.nextRemote;
    s.nextRemote += 4;
    s.remotes[handle] = path;
    return reinterpret_cast<HWND>(handle);
}

bool IsRemoteHandle(HWND hwnd) { return St().remotes.count(reinterpret_cast<uintptr_t>(hwnd)) != 0; }

BOOL RaiseRemoteWindow(HWND hwnd) {
    auto it = St().remotes.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it == St().remotes.end()) {
        return FALSE;
    }
    int fd = Connect(it->second);
    if (fd < 0) {
        return FALSE;  // that copy has ended meanwhile, or never listened
    }
    static const char kRequest[] = "raise\n";
    ssize_t written = send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL);
    close(fd);
    return written == static_cast<ssize_t>(sizeof kRequest - 1) ? TRUE : FALSE;
}

void OnInstanceWake() {
    InstanceState& s = St();
    if (s.listenFd < 0) {
        return;
    }
    for (;;) {
        int conn = accept4(s.listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (conn < 0) {
            return;  // EAGAIN: every waiting copy has been heard
        }
        // A copy that only looked for this one closes without a word; one
        // that wants it in front says "raise". The wait is bounded so that a
        // silent peer cannot stall the program.
        timeval timeout{0, 200000};
        setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char buf[16] = {};
        ssize_t n = recv(conn, buf, sizeof buf - 1, 0);
        close(conn);
        if (n >= 5 && std::string(buf, 5) == "raise") {
            if (IsWindow(s.owner)) {
                SetForegroundWindow(s.owner);
            }
            host::RaiseWindow();
        }
    }
}

void ResetInstance() {
    ReleaseClaim();
    St() = InstanceState{};
}

}  // namespace user
