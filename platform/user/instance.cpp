// One copy of the program at a time, across processes. The main window of
// each copy listens on a Unix socket in the configuration directory, named
// from its class and title; FindWindowW of another copy connects to it, and
// SetForegroundWindow on what it found asks the listener to come to the
// front. Sockets live in the registry's directory, so runs with different
// --config-dir never see each other.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>

#include "registry/registry.h"
#include "user_internal.h"

namespace user {
namespace {

// Remote windows get handles of their own range, apart from local ones.
constexpr uintptr_t kFirstRemoteHandle = 0x40000000;

struct InstanceState {
    int listenFd = -1;
    std::string path;
    HWND owner = nullptr;
    std::map<uintptr_t, std::string> remotes;  // handle -> socket path
    uintptr_t nextRemote = kFirstRemoteHandle;
};

InstanceState& St() {
    static InstanceState state;
    return state;
}

// Characters other than letters and digits become "_xx" so that any title
// makes a file name; a name too long for a socket address is hashed.
std::string SocketPath(const std::u16string& cls, const std::u16string& title) {
    std::string dir = reg::ConfigDir();
    auto clean = [](const std::u16string& text) {
        std::string out;
        for (char16_t c : text) {
            if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
                out += static_cast<char>(c);
            } else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "_%x", static_cast<unsigned>(c));
                out += buf;
            }
        }
        return out;
    };
    std::string name = "window-" + clean(cls) + "-" + clean(title) + ".sock";
    std::string path = dir + "/" + name;
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (char c : name) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        char buf[40];
        std::snprintf(buf, sizeof buf, "/window-%016llx.sock", static_cast<unsigned long long>(hash));
        path = dir + buf;
    }
    return path;
}

bool MakeAddress(const std::string& path, sockaddr_un* addr) {
    if (path.size() >= sizeof(addr->sun_path)) {
        return false;
    }
    *addr = sockaddr_un{};
    addr->sun_family = AF_UNIX;
    std::snprintf(addr->sun_path, sizeof(addr->sun_path), "%s", path.c_str());
    return true;
}

// 1: a live copy listens there; 0: nobody (no file, or a stale one, which is
// removed); the connected socket is returned through fd when asked for.
int Probe(const std::string& path, int* fd) {
    sockaddr_un addr;
    if (!MakeAddress(path, &addr)) {
        return 0;
    }
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return 0;
    }
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        if (fd != nullptr) {
            *fd = s;
        } else {
            close(s);
        }
        return 1;
    }
    int error = errno;
    close(s);
    if (error == ECONNREFUSED) {
        // Left behind by a copy that died without closing it.
        unlink(path.c_str());
    }
    return 0;
}

void MakeDirectories(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            mkdir(dir.substr(0, i).c_str(), 0700);
        }
    }
}

}  // namespace

void PublishInstance(Window* w) {
    InstanceState& s = St();
    if (s.listenFd >= 0 || w->text.empty()) {
        return;
    }
    std::string path = SocketPath(w->cls->name, w->text);
    sockaddr_un addr;
    if (!MakeAddress(path, &addr)) {
        return;
    }
    MakeDirectories(reg::ConfigDir());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return;
    }
    int bound = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (bound != 0 && errno == EADDRINUSE && Probe(path, nullptr) == 0) {
        // A stale socket of a crashed copy: it was just removed, take over.
        bound = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }
    if (bound != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;  // another live copy holds the name; this one runs unannounced
    }
    chmod(path.c_str(), 0600);
    s.listenFd = fd;
    s.path = path;
    s.owner = w->handle;
    w->published = true;
    host::WatchDescriptor(fd);
}

void UnpublishInstance(Window* w) {
    InstanceState& s = St();
    w->published = false;
    if (s.owner != w->handle || s.listenFd < 0) {
        return;
    }
    host::WatchDescriptor(-1);
    close(s.listenFd);
    unlink(s.path.c_str());
    s.listenFd = -1;
    s.path.clear();
    s.owner = nullptr;
}

HWND FindRemoteWindow(const std::u16string& cls, const std::u16string& title) {
    std::string path = SocketPath(cls, title);
    if (Probe(path, nullptr) == 0) {
        return nullptr;
    }
    InstanceState& s = St();
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
    int fd = -1;
    if (Probe(it->second, &fd) == 0) {
        return FALSE;  // that copy has ended meanwhile
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
    InstanceState& s = St();
    if (s.listenFd >= 0) {
        host::WatchDescriptor(-1);
        close(s.listenFd);
        unlink(s.path.c_str());
    }
    s = InstanceState{};
}

}  // namespace user
