// Whose files these are: the checks that keep a copy of the program from
// reading settings another user could have planted, or writing through a
// link another user could have pointed at the player's own files. They are
// the checks OpenSSH makes of ~/.ssh before it trusts it (StrictModes),
// made on every folder from the root down, with symbolic links followed by
// hand the way the kernel follows them.
#pragma once

#include <sys/types.h>

#include <string>

namespace sys::posix {

// Where the settings file is, once every folder and link on the way to it
// has been found safe.
struct SettingsPlace {
    std::string file;     // the file itself, past any links; it may not exist yet
    std::string folder;   // the folder that holds it
    bool folderExists = false;
    bool throughLink = false;  // the file is reached through a link in the settings folder
    uid_t owner = 0;      // whose settings these are (see CheckSettingsPlace)
    gid_t group = 0;      // that user's group, for files and folders made for them
};

// Checks the settings file name in configDir and the way to it. The
// settings belong to the user the program runs as; a program run as root in
// another user's folder treats them as that user's. Every folder on the way
// must belong to that user or to root and be writable by nobody else (a
// folder of the user's own private group counts as the user's; a folder
// such as /tmp, world-writable but sticky, may lie on the way, since what
// the user keeps in it no one else can move). The settings folder, a link's
// target folder and the file must belong to the user themselves (or, for a
// user other than root, to root) and be writable by nobody else. A link is
// followed only where the kernel would follow it: not one that another user
// left in a sticky world-writable folder. False, with the reason in words,
// when the settings must not be used.
bool CheckSettingsPlace(const std::string& configDir, const std::string& fileName, SettingsPlace* place,
                        std::string* reason);

// Whether gid is the private group of user uid, as Debian gives every user:
// a group of the user's own name with no other member, so that group write
// permission gives no one else anything.
bool IsPrivateGroup(uid_t uid, gid_t gid);

}  // namespace sys::posix
