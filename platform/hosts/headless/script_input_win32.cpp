// On Windows the script is read with plain blocking reads: the one-copy rule
// reaches a copy there as a window message, never through a descriptor, so
// there is nothing else to wait for. Arguments and paths go through the wide
// Windows calls, since the narrow ones use the ANSI code page, not UTF-8.
#include "script_input.h"
#include "runtime/win32/calls.h"

namespace headless {

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> arguments = win32sys::CommandLineArguments();
    if (arguments.empty()) {
        arguments.assign(argv, argv + argc);
    }
    return arguments;
}

void UseBinaryOutput() { win32sys::UseBinaryStandardOutput(); }

int OpenScript(const char* path) { return win32sys::OpenForReading(path); }

Ready WaitForInput(int, int) { return Ready::Script; }

bool Readable(int) { return false; }

}  // namespace headless
