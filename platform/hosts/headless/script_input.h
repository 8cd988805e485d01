// The few system calls the headless host needs around its script, one file
// per system: its arguments, opening the script, and waiting until a line can be read or another
// copy of the program knocks on the watched descriptor.
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

// Blocks until scriptFd has something to read (or its end), or watchFd
// (when not negative) becomes readable.
Ready WaitForInput(int scriptFd, int watchFd);

// Whether fd can be read without blocking.
bool Readable(int fd);

}  // namespace headless
