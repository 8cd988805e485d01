#include "process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace usertest {
namespace {

int Status(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

pid_t Spawn(const std::vector<std::string>& args, int* in, int* out, int* err) {
    int pin[2], pout[2], perr[2];
    if (pipe(pin) != 0 || pipe(pout) != 0 || pipe(perr) != 0) {
        return -1;
    }
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pin[0], 0);
        dup2(pout[1], 1);
        dup2(perr[1], 2);
        for (int fd : {pin[0], pin[1], pout[0], pout[1], perr[0], perr[1]}) close(fd);
        std::vector<char*> argv;
        std::string program = TAVILO_DEMO_HEADLESS;
        argv.push_back(program.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(pin[0]);
    close(pout[1]);
    close(perr[1]);
    *in = pin[1];
    *out = pout[0];
    *err = perr[0];
    return pid;
}

void ReadAvailable(int fd, std::string* into, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0) {
        char buf[4096];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return;
        into->append(buf, static_cast<size_t>(n));
        timeoutMs = 0;
    }
}

}  // namespace

ProcessResult RunDemo(const std::vector<std::string>& args, const std::string& input) {
    ProcessResult result;
    int in, out, err;
    pid_t pid = Spawn(args, &in, &out, &err);
    if (pid < 0) return result;
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty()) {
        ssize_t ignored = write(in, input.data(), input.size());
        (void)ignored;
    }
    close(in);
    // Both pipes are read to their end, so a chatty child never blocks.
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    int open = 2;
    while (open > 0 && poll(fds, 2, 20000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = Status(status);
    for (auto& p : fds) if (p.fd >= 0) close(p.fd);
    return result;
}

DemoProcess::DemoProcess(const std::string& configDir) {
    signal(SIGPIPE, SIG_IGN);
    pid_ = Spawn({"--config-dir", configDir, "-"}, &in_, &out_, &err_);
}

DemoProcess::~DemoProcess() {
    if (pid_ > 0) {
        Kill();
    }
    for (int fd : {in_, out_, err_}) if (fd >= 0) close(fd);
}

void DemoProcess::Write(const std::string& text) {
    ssize_t ignored = write(in_, text.data(), text.size());
    (void)ignored;
}

std::string DemoProcess::ReadLine() {
    for (int waited = 0; waited < 100; ++waited) {
        size_t nl = outBuffer_.find('\n');
        if (nl != std::string::npos) {
            std::string line = outBuffer_.substr(0, nl);
            outBuffer_.erase(0, nl + 1);
            return line;
        }
        ReadAvailable(out_, &outBuffer_, 100);
    }
    return "";
}

std::string DemoProcess::Errors() {
    ReadAvailable(err_, &errBuffer_, 0);
    return errBuffer_;
}

int DemoProcess::Finish() {
    close(in_);
    in_ = -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    ReadAvailable(err_, &errBuffer_, 0);
    return Status(status);
}

void DemoProcess::Kill() {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string MakeTempDir() {
    char pattern[] = "/tmp/tavilo-user-XXXXXX";
    char* dir = mkdtemp(pattern);
    return dir != nullptr ? dir : "";
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        }
        closedir(d);
    }
    return names;
}

}  // namespace usertest
