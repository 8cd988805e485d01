// Running the demonstration program in tavilo-headless as a real process.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace usertest {

struct ProcessResult {
    int exitCode = -1;  // -1: did not exit normally
    std::string out;
    std::string err;
};

// Runs demo-headless with the arguments and the given standard input.
ProcessResult RunDemo(const std::vector<std::string>& args, const std::string& input);

// demo-headless reading its script from a pipe that the test writes.
class DemoProcess {
public:
    explicit DemoProcess(const std::string& configDir);
    ~DemoProcess();
    void Write(const std::string& text);
    // The next line of standard output; empty after 10 s without one.
    std::string ReadLine();
    // Everything on standard error so far, without waiting.
    std::string Errors();
    // Closes the script (its end is "quit") and waits.
    int Finish();
    void Kill();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errBuffer_;
};

std::string MakeTempDir();
bool FileExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& dir);

}  // namespace usertest
