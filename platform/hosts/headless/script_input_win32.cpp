// On Windows the one-copy rule reaches a copy as a window message, which
// cannot be waited for beside a pipe: a thread of the system layer reads the
// script, and the wait covers its bytes and the messages together. Arguments
// and paths go through the wide Windows calls, since the narrow ones use the
// ANSI code page, not UTF-8.
#include "script_input.h"

#include <cerrno>

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

Ready ReadScript(int scriptFd, int, std::string* buffer, long* got) {
    size_t before = buffer->size();
    int error = 0;
    switch (win32sys::ReadScriptOrHandOver(scriptFd, buffer, &error)) {
    case win32sys::ScriptRead::HandOver:
        return Ready::Wake;
    case win32sys::ScriptRead::Bytes:
        *got = static_cast<long>(buffer->size() - before);
        return Ready::Script;
    case win32sys::ScriptRead::End:
        *got = 0;
        return Ready::Script;
    case win32sys::ScriptRead::Failed:
        break;
    }
    errno = error;
    *got = -1;
    return Ready::Script;
}

bool HandOverWaiting(int) { return win32sys::PollHandOver(); }

}  // namespace headless
