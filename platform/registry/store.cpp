// The registry file on disk. Writes follow the usual safe-save pattern
// (Wine's server/registry.c does the same): write a temporary file beside the
// real one, flush it to the disk, then rename it over the old file, so that a
// crash or a full disk leaves either the old file or the new one, never half.
#include "store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
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
};

FileRead ReadRegistryFile(const std::string& path, Document& doc) {
    doc = Document{};
    FileRead result;
    if (path.empty()) {
        return result;
    }
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        result.state = errno == ENOENT ? FileState::Missing : FileState::Unreadable;
        return result;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = EISDIR;
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

LSTATUS ReplaceFile(const std::string& dir, const std::string& path, const std::string& text, int dirFd) {
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        return StatusFromErrno(errno);
    }
    int error = 0;
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
    if (dirFd >= 0) {
        fsync(dirFd);
    } else {
        int fdDir = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fdDir >= 0) {
            fsync(fdDir);
            close(fdDir);
        }
    }
    return ERROR_SUCCESS;
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
    std::string path = RegistryFilePath();
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
    int error = MakeDirectories(dir);
    if (error != 0) {
        return StatusFromErrno(error);
    }
    DirectoryLock lock(dir);
    std::string path = RegistryFilePath();
    Document doc;
    FileRead read = ReadRegistryFile(path, doc);
    if (read.state == FileState::Unreadable) {
        // We cannot see what the file holds, so writing over it could lose
        // every other value in it.
        return StatusFromErrno(read.error);
    }
    if (read.state == FileState::Damaged && !MoveAside(path)) {
        return ERROR_BADDB;
    }
    if (!change(doc)) {
        return ERROR_SUCCESS;
    }
    return ReplaceFile(dir, path, SerializeDocument(doc), lock.fd());
}

}  // namespace reg
