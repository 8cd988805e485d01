#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "script_input.h"

namespace headless {

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void UseBinaryOutput() {}

int OpenScript(const char* path) { return open(path, O_RDONLY | O_CLOEXEC); }

namespace {

Ready WaitForInput(int scriptFd, int watchFd) {
    for (;;) {
        pollfd fds[2] = {{scriptFd, POLLIN, 0}, {watchFd, POLLIN, 0}};
        int n = poll(fds, watchFd >= 0 ? 2 : 1, -1);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Ready::Failed;
        }
        if (fds[0].revents != 0) {
            return Ready::Script;
        }
        if (watchFd >= 0 && (fds[1].revents & POLLIN)) {
            return Ready::Wake;
        }
    }
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

}  // namespace

Ready ReadScript(int scriptFd, int watchFd, std::string* buffer, long* got) {
    for (;;) {
        Ready ready = WaitForInput(scriptFd, watchFd);
        if (ready != Ready::Script) {
            return ready;
        }
        char chunk[4096];
        ssize_t n = read(scriptFd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n > 0) {
            buffer->append(chunk, static_cast<size_t>(n));
        }
        *got = static_cast<long>(n);
        return Ready::Script;
    }
}

bool HandOverWaiting(int watchFd) { return watchFd >= 0 && Readable(watchFd); }

}  // namespace headless
