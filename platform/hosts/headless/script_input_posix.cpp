#include <fcntl.h>
#include <poll.h>

#include <cerrno>

#include "script_input.h"

namespace headless {

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void UseBinaryOutput() {}

int OpenScript(const char* path) { return open(path, O_RDONLY | O_CLOEXEC); }

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
        if (watchFd >= 0 && (fds[1].revents & POLLIN)) {
            return Ready::Wake;
        }
        if (fds[0].revents != 0) {
            return Ready::Script;
        }
    }
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

}  // namespace headless
