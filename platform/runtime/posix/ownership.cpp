#include "ownership.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace sys::posix {

namespace {

// As many links as the kernel follows in one path before it gives ELOOP.
constexpr int kMaxLinks = 40;

std::deque<std::string> Components(const std::string& path) {
    std::deque<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        std::string part = path.substr(start, slash - start);
        if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        start = slash + 1;
    }
    return parts;
}

std::string Join(const std::string& dir, const std::string& name) { return dir == "/" ? "/" + name : dir + "/" + name; }

std::string Parent(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

bool StickyAndOpen(const struct stat& st) { return (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0; }

// One check of the settings place: who the settings belong to, learnt on the
// way for a program run as root, and the rules every folder, link and file
// on the way must keep.
class Walk {
public:
    Walk() : self_(geteuid()), ownerKnown_(self_ != 0), owner_(self_) {}

    uid_t Owner() const { return ownerKnown_ ? owner_ : 0; }

    // Resolves path from the root: every folder passed through is checked as
    // a folder on the way, every link is followed as the kernel would follow
    // it. *exists says whether the whole path exists; when it does, *st is
    // what it names (never a link). A missing part is given back as it was
    // spelt, for the caller to create.
    bool Resolve(const std::string& path, std::string* resolved, bool* exists, struct stat* st, std::string* reason) {
        std::string current = "/";
        struct stat here;
        if (lstat("/", &here) != 0 || !OnTheWay("/", here, reason)) {
            return reason->empty() ? Fail(reason, "cannot look at /: ", errno) : false;
        }
        std::deque<std::string> rest = Components(path);
        int links = 0;
        while (!rest.empty()) {
            std::string name = std::move(rest.front());
            rest.pop_front();
            if (name == "..") {
                current = Parent(current);
                if (lstat(current.c_str(), &here) != 0) {
                    return Fail(reason, "cannot look at " + current + ": ", errno);
                }
                continue;
            }
            std::string next = Join(current, name);
            struct stat st2;
            if (lstat(next.c_str(), &st2) != 0) {
                if (errno != ENOENT) {
                    return Fail(reason, "cannot look at " + next + ": ", errno);
                }
                // What is missing will be made by the program, as its own.
                for (const std::string& part : rest) {
                    if (part == "..") {
                        *reason = next + " does not exist";
                        return false;
                    }
                    next = Join(next, part);
                }
                *resolved = next;
                *exists = false;
                *st = here;  // the last folder that exists
                return true;
            }
            if (S_ISLNK(st2.st_mode)) {
                // The kernel's protected_symlinks rule: in a sticky
                // world-writable folder, only a link of the follower's own
                // or of the folder's owner is followed.
                if (StickyAndOpen(here) && st2.st_uid != self_ && st2.st_uid != here.st_uid) {
                    *reason = next + " is a link another user made in a shared folder";
                    return false;
                }
                if (++links > kMaxLinks) {
                    return Fail(reason, next + ": ", ELOOP);
                }
                std::string target;
                if (!ReadLink(next, st2, &target)) {
                    return Fail(reason, "cannot read the link " + next + ": ", errno);
                }
                std::deque<std::string> more = Components(target);
                rest.insert(rest.begin(), more.begin(), more.end());
                if (target[0] == '/') {
                    current = "/";
                    lstat("/", &here);
                }
                continue;
            }
            if (!rest.empty() && !S_ISDIR(st2.st_mode)) {
                return Fail(reason, next + ": ", ENOTDIR);
            }
            if (!OnTheWay(next, st2, reason)) {
                return false;
            }
            current = next;
            here = st2;
        }
        *resolved = current;
        *exists = true;
        *st = here;
        return true;
    }

    // The settings folder, a link's target folder and the file itself: the
    // user's own (or root's, for another user) and writable by nobody else.
    // Run as root for another user, a folder of root's is refused: a link of
    // that user's must not lead root to write where only root may. A file of
    // root's is harmless there, since a save replaces the name in the
    // folder and never writes into the file.
    bool Own(const std::string& path, const struct stat& st, std::string* reason) {
        bool rootsFile = !S_ISDIR(st.st_mode) && st.st_uid == 0;
        bool owner = ownerKnown_ ? st.st_uid == owner_ || (self_ != 0 && st.st_uid == 0) || rootsFile
                                 : Learn(st.st_uid);
        if (!owner) {
            *reason = path + " belongs to another user";
            return false;
        }
        if ((st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && !IsPrivateGroup(st.st_uid, st.st_gid))) {
            *reason = path + " can be written by other users";
            return false;
        }
        return true;
    }

private:
    // A folder on the way: the user's or root's; writable by others only
    // when sticky, where no one can move what belongs to someone else.
    bool OnTheWay(const std::string& path, const struct stat& st, std::string* reason) {
        if (st.st_uid != 0 && st.st_uid != self_ && !(ownerKnown_ ? st.st_uid == owner_ : Learn(st.st_uid))) {
            *reason = path + " belongs to another user";
            return false;
        }
        bool sticky = (st.st_mode & S_ISVTX) != 0;
        if (!sticky && ((st.st_mode & S_IWOTH) != 0 ||
                        ((st.st_mode & S_IWGRP) != 0 && !IsPrivateGroup(st.st_uid, st.st_gid)))) {
            *reason = path + " can be written by other users";
            return false;
        }
        return true;
    }

    // Run as root, the settings belong to the first user other than root
    // whose folder lies on the way; a second such user is one too many.
    bool Learn(uid_t uid) {
        if (uid != 0) {
            ownerKnown_ = true;
            owner_ = uid;
        }
        return true;
    }

    static bool ReadLink(const std::string& path, const struct stat& st, std::string* target) {
        std::string buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) {
            errno = n == 0 ? ENOENT : n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        buffer.resize(static_cast<size_t>(n));
        *target = std::move(buffer);
        return true;
    }

    static bool Fail(std::string* reason, const std::string& what, int error) {
        *reason = what + std::strerror(error);
        return false;
    }

    uid_t self_;
    bool ownerKnown_;
    uid_t owner_;
};

}  // namespace

bool IsPrivateGroup(uid_t uid, gid_t gid) {
    static std::mutex mutex;
    static std::map<std::pair<uid_t, gid_t>, bool> known;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = known.find({uid, gid});
    if (found != known.end()) {
        return found->second;
    }
    bool isPrivate = false;
    std::vector<char> buffer(16384);
    struct passwd pw;
    struct passwd* user = nullptr;
    struct group gr;
    struct group* group = nullptr;
    if (getpwuid_r(uid, &pw, buffer.data(), buffer.size() / 2, &user) == 0 && user != nullptr &&
        user->pw_gid == gid &&
        getgrgid_r(gid, &gr, buffer.data() + buffer.size() / 2, buffer.size() / 2, &group) == 0 && group != nullptr &&
        std::strcmp(group->gr_name, user->pw_name) == 0) {
        isPrivate = true;
        for (char** member = group->gr_mem; *member != nullptr; ++member) {
            isPrivate = isPrivate && std::strcmp(*member, user->pw_name) == 0;
        }
    }
    known[{uid, gid}] = isPrivate;
    return isPrivate;
}

bool CheckSettingsPlace(const std::string& configDir, const std::string& fileName, SettingsPlace* place,
                        std::string* reason) {
    reason->clear();
    std::string dir = configDir;
    if (dir.empty()) {
        *reason = "there is no settings folder";
        return false;
    }
    if (dir[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr) {
            *reason = std::string("cannot tell the current folder: ") + std::strerror(errno);
            return false;
        }
        dir = std::string(cwd) + "/" + dir;
        std::free(cwd);
    }
    Walk walk;
    std::string folder;
    bool exists = false;
    struct stat st;
    if (!walk.Resolve(dir, &folder, &exists, &st, reason)) {
        return false;
    }
    if (exists && !S_ISDIR(st.st_mode)) {
        *reason = folder + " is not a folder";
        return false;
    }
    if (exists && !walk.Own(folder, st, reason)) {
        return false;
    }
    place->group = st.st_gid;
    std::string file = Join(folder, fileName);
    // Links from the settings folder on: each link's target folder is held
    // to the settings folder's rules, and so is the file at the end.
    for (int links = 0; exists; ++links) {
        struct stat fileSt;
        if (lstat(file.c_str(), &fileSt) != 0) {
            if (errno != ENOENT) {
                *reason = "cannot look at " + file + ": " + std::strerror(errno);
                return false;
            }
            break;
        }
        if (!S_ISLNK(fileSt.st_mode)) {
            if (!walk.Own(file, fileSt, reason)) {
                return false;
            }
            break;
        }
        if (links >= kMaxLinks) {
            *reason = file + ": " + std::strerror(ELOOP);
            return false;
        }
        std::vector<char> buffer(static_cast<size_t>(fileSt.st_size > 0 ? fileSt.st_size : 4096) + 1);
        ssize_t n = readlink(file.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) {
            *reason = "cannot read the link " + file;
            return false;
        }
        std::string target(buffer.data(), static_cast<size_t>(n));
        if (target[0] != '/') {
            target = Join(folder, target);
        }
        size_t slash = target.rfind('/');
        std::string name = target.substr(slash + 1);
        if (name.empty() || name == "." || name == "..") {
            *reason = "the link " + file + " does not name a file";
            return false;
        }
        if (!walk.Resolve(slash == 0 ? "/" : target.substr(0, slash), &folder, &exists, &st, reason)) {
            return false;
        }
        if (exists && (!S_ISDIR(st.st_mode) || !walk.Own(folder, st, reason))) {
            if (reason->empty()) {
                *reason = folder + " is not a folder";
            }
            return false;
        }
        place->group = st.st_gid;
        place->throughLink = true;
        file = Join(folder, name);
    }
    place->file = file;
    place->folder = folder;
    place->folderExists = exists;
    place->owner = walk.Owner();
    if (place->owner == geteuid()) {
        place->group = getegid();
    }
    return true;
}

}  // namespace sys::posix
