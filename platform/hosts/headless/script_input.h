// The few system calls the headless host needs around its script, one file
// per system: its arguments, opening the script, and reading it while
// another copy of the program may knock.
#pragma once

#include <string>
#include <vector>

namespace headless {

// The command line, argv[0] included, in UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);

// Makes standard output write bytes as they are, so that the state lines are
// the same on every system (no CR before each LF on Windows).
void UseBinaryOutput();

// A descriptor for reading the script file (a UTF-8 path), or -1 with errno
// set.
int OpenScript(const char* path);

enum class Ready { Script, Wake, Failed };

// Blocks until the script has more to read or has ended, or another copy of
// the program asks this one to the front: on watchFd (when not negative) on
// POSIX, with a window message on Windows. On POSIX the script comes first
// when both are there, so that requests that keep coming cannot hold it up. With
// Ready::Script what was read is appended to buffer and *got is its length:
// 0 at the end of the script, -1 with errno set when reading failed.
Ready ReadScript(int scriptFd, int watchFd, std::string* buffer, long* got);

// Whether another copy has asked this one to the front, without blocking.
bool HandOverWaiting(int watchFd);

}  // namespace headless
