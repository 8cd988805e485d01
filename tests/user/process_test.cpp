// The demonstration program as real processes of tavilo-headless: one copy at
// a time, the script language and its driver, and the menu bar, dialog and
// panel driven by "press".
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "../scratch_dir.h"
#include "gdi/png.h"
#include "script.h"
#include "support.h"

using testscratch::Slurp;
using usertest::ExpectMatchesGolden;

namespace {

std::string MakeTempDir() { return testscratch::MakeScratchDir("/tmp/tavilo-user"); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The demonstration program in tavilo-headless as a real process, reading its
// script from a pipe; standard output and error go to files. The shell execs
// the program, so the pid it writes first is the program's. Let go of while
// it runs, the program is killed, as a crash would end it.
class Demo {
public:
    explicit Demo(const std::string& args) : dir_(MakeTempDir()) {
        signal(SIGPIPE, SIG_IGN);
        in_ = popen(("echo $$ >" + dir_ + "/pid; exec '" TAVILO_DEMO_HEADLESS "' " + args + " >" + dir_ +
                     "/out 2>" + dir_ + "/err")
                        .c_str(),
                    "w");
    }
    ~Demo() {
        if (in_ != nullptr) kill(std::stoi("0" + Slurp(dir_ + "/pid")), SIGKILL);
        Finish();
        std::filesystem::remove_all(dir_);
    }
    // False once the program has ended and closed its end of the pipe.
    bool Write(const std::string& text) {
        fputs(text.c_str(), in_);
        return fflush(in_) == 0;
    }
    // Waits up to 10 s for line n (from 0) of standard output.
    std::string Line(size_t n) const {
        for (int waited = 0; waited < 1000; ++waited, usleep(10000)) {
            std::vector<std::string> lines = Lines(Out());
            if (lines.size() > n) return lines[n];
        }
        return "";
    }
    std::string Out() const { return Slurp(dir_ + "/out"); }
    std::string Errors() const { return Slurp(dir_ + "/err"); }
    // Closes the script (its end is "quit"), waits, answers the exit code.
    int Finish() {
        int status = in_ != nullptr ? pclose(in_) : -1;
        in_ = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string dir_;
    FILE* in_ = nullptr;
};

struct RunResult {
    int exitCode;
    std::string out;
    std::string err;
};

RunResult RunDemo(const std::string& args, const std::string& script) {
    Demo demo(args);
    demo.Write(script);
    int code = demo.Finish();
    return {code, demo.Out(), demo.Errors()};
}

long Field(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -999 : std::strtol(json.c_str() + at + key.size() + 3, nullptr, 10);
}

std::vector<uint32_t> ReadShot(const std::string& path) {
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    EXPECT_TRUE(gdi::ReadPng(path.c_str(), &pixels, &w, &h) && w == 240 && h == 320) << path;
    pixels.resize(240 * 320);
    return pixels;
}

bool HasSocket(const std::string& dir) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        if (entry.path().extension() == ".sock") return true;
    }
    return false;
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string In(const std::string& dir) { return "--config-dir " + dir + " -"; }

// The copies of a test meet in a runtime directory of the test's own, and
// the home is a folder of the test's own too.
class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        const char* home = getenv("HOME");
        home_ = home != nullptr ? home : "";
        setenv("HOME", MakeTempDir().c_str(), 1);
        unsetenv("XDG_CACHE_HOME");
    }
    void TearDown() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("TMPDIR");
        setenv("HOME", home_.c_str(), 1);
        std::filesystem::remove_all(runtime_);
    }
    // Where the copies keep their lock files and sockets.
    std::string Folder() const { return runtime_ + "/tavilo"; }
    // The name of a file there with that ending, without the ending, or "".
    std::string Named(const std::string& ending) const {
        for (const std::string& name : Names(Folder())) {
            if (name.size() > ending.size() && name.ends_with(ending)) return name.substr(0, name.size() - ending.size());
        }
        return "";
    }
    // The name a copy in dir claims, without its ending: learnt from a copy
    // that runs for a moment.
    std::string StemFor(const std::string& dir) {
        Demo copy(In(dir));
        copy.Write("state\n");
        EXPECT_NE(copy.Line(0), "");
        std::string stem = Named(".lock");
        EXPECT_NE(stem, "") << "no lock file in " << Folder();
        EXPECT_EQ(copy.Finish(), 0);
        return stem;
    }
    std::string runtime_ = MakeTempDir();
    std::string home_;
};

TEST_F(SingleInstance, ASecondCopyBringsTheFirstToTheFrontAndEnds) {
    std::string dir = MakeTempDir();
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "") << "the first copy runs";
    EXPECT_TRUE(HasSocket(Folder()));
    RunResult second = RunDemo(In(dir), "state\n");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "") << "the second copy made no window and read no script";
    EXPECT_NE(RunDemo(In(MakeTempDir()), "state\n").out, "") << "a copy with another folder does not see it";
    first.Write("wait 10\nstate\n");
    ASSERT_NE(first.Line(1), "");
    EXPECT_NE(first.Errors().find("asked to bring the window to the front"), std::string::npos) << first.Errors();
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_EQ(Names(Folder()), std::vector<std::string>{}) << "a clean end removes the lock file and the socket";
}

TEST_F(SingleInstance, AKilledCopyDoesNotBlockTheNextStart) {
    std::string dir = MakeTempDir();
    {
        Demo killed(In(dir));
        killed.Write("state\n");
        ASSERT_NE(killed.Line(0), "");
    }
    ASSERT_TRUE(HasSocket(Folder())) << "the killed copy left its socket";
    Demo next(In(dir));
    next.Write("state\n");
    EXPECT_EQ(Field(next.Line(0), "ticks"), 0) << next.Errors();
    // And the one that took over is found in its turn.
    EXPECT_EQ(RunDemo(In(dir), "state\n").out, "");
    EXPECT_EQ(next.Finish(), 0);
}

// Two copies started at the same moment: the claim is one step, so exactly
// one of each pair reads its script, whichever wins.
TEST_F(SingleInstance, OfTwoCopiesStartedTogetherExactlyOneRuns) {
    for (int pair = 0; pair < 20; ++pair) {
        std::string dir = MakeTempDir();
        Demo a(In(dir)), b(In(dir));
        a.Write("state\n");
        b.Write("state\n");
        // Both stay open until each has answered or ended, so that neither
        // can win only because the other had already finished.
        auto settled = [](Demo& d) { return !d.Out().empty() || !d.Write("\n"); };
        for (int waited = 0; waited < 1000 && !(settled(a) && settled(b)); ++waited) usleep(10000);
        a.Finish();
        b.Finish();
        EXPECT_NE(a.Out().empty(), b.Out().empty()) << "pair " << pair << ": " << a.Errors() << b.Errors();
    }
}

// A runtime folder that other users can enter is not used, and neither is
// the temporary folder, where another user can make a folder first: the
// copies meet in a 0700 folder under the home instead. Its path is longer
// than a socket address holds, which the copies do not mind.
TEST_F(SingleInstance, WithoutAPrivateRuntimeFolderTheCopiesMeetUnderTheHome) {
    ASSERT_EQ(chmod(runtime_.c_str(), 01777), 0);
    std::string tmp = MakeTempDir();
    setenv("TMPDIR", tmp.c_str(), 1);
    std::string home = MakeTempDir() + "/" + std::string(120, 'h');
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    std::string dir = MakeTempDir() + "/" + std::string(120, 'd');
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "") << first.Errors();
    EXPECT_EQ(first.Errors(), "");
    std::vector<std::string> runs = Names(home + "/.cache/tavilo");
    ASSERT_EQ(runs.size(), 1u);
    std::string own = home + "/.cache/tavilo/" + runs[0];
    EXPECT_EQ(runs[0].rfind("run-", 0), 0u) << runs[0];
    struct stat st;
    ASSERT_EQ(stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(HasSocket(own));
    EXPECT_EQ(Names(runtime_), std::vector<std::string>{}) << "nothing in the shared runtime folder";
    EXPECT_EQ(Names(tmp), std::vector<std::string>{}) << "nothing in the temporary folder";
    EXPECT_EQ(RunDemo(In(dir), "state\n").out, "") << "a second copy with the same long folder ends";
    first.Write("state\n");
    ASSERT_NE(first.Line(1), "");
    EXPECT_NE(first.Errors().find("asked to bring the window to the front"), std::string::npos) << first.Errors();
    EXPECT_EQ(first.Finish(), 0);
}

// With no private folder anywhere, each copy runs and says why, once.
TEST_F(SingleInstance, WithNoPrivateFolderAtAllEachCopyRunsAndSaysSoOnce) {
    ASSERT_EQ(chmod(runtime_.c_str(), 0755), 0);
    setenv("HOME", "/proc/no-such-home", 1);
    std::string dir = MakeTempDir();
    Demo first(In(dir));
    first.Write("state\nwait 10\n");
    ASSERT_NE(first.Line(0), "");
    RunResult second = RunDemo(In(dir), "state\nwait 10\nstate\n");
    EXPECT_EQ(Lines(second.out).size(), 2u) << "the second copy ran too";
    EXPECT_EQ(first.Finish(), 0);
    for (const std::string& said : {first.Errors(), second.err}) {
        EXPECT_EQ(Lines(said).size(), 1u) << said;
        EXPECT_NE(said.find("runs on its own"), std::string::npos) << said;
        EXPECT_NE(said.find("XDG_RUNTIME_DIR"), std::string::npos) << said;
    }
}

// A lock file made into a link used to switch the rule off without a word:
// both copies ran. The link is replaced by a lock file again.
TEST_F(SingleInstance, ALockFileMadeIntoALinkKeepsTheRule) {
    std::string dir = MakeTempDir();
    std::string stem = StemFor(dir);
    ASSERT_NE(stem, "");
    ASSERT_EQ(symlink("/dev/null", (Folder() + "/" + stem + ".lock").c_str()), 0);
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "");
    RunResult second = RunDemo(In(dir), "state\n");
    EXPECT_EQ(second.out, "") << "the second copy ended: " << second.err;
    EXPECT_FALSE(std::filesystem::is_symlink(Folder() + "/" + stem + ".lock"));
    EXPECT_EQ(first.Finish(), 0);
}

// Every connection of a flood used to hold the program for 200 ms. Peers
// that connect and say nothing, and empty requests, keep coming while the
// copy must go on answering its script, and a real request must still
// bring it to the front.
TEST_F(SingleInstance, AFloodOfSilentPeersNeitherFreezesNorDeafensTheCopy) {
    std::string dir = MakeTempDir();
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "");
    ASSERT_NE(Named(".sock"), "");
    std::string socketPath = Folder() + "/" + Named(".sock") + ".sock";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
    std::atomic<bool> flooding{true};
    std::atomic<int> knocks{0};
    std::thread flood([&] {
        std::vector<int> open;
        int quiet = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (flooding && std::chrono::steady_clock::now() < until) {
            int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || errno == EINPROGRESS) {
                open.push_back(peer);  // held open, silent
            } else {
                close(peer);
            }
            sendto(quiet, "", 0, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
            sendto(quiet, "hello", 5, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ++knocks;
            if (open.size() > 200) {
                close(open.front());
                open.erase(open.begin());
            }
            usleep(200);
        }
        for (int fd : open) close(fd);
        close(quiet);
    });
    while (knocks < 100) usleep(1000);
    int before = knocks;
    first.Write("wait 500\nstate\n");
    std::string answer = first.Line(1);
    EXPECT_EQ(Field(answer, "ticks"), 10) << "the copy answered during the flood: " << answer;
    RunResult second = RunDemo(In(dir), "state\n");
    EXPECT_EQ(second.out, "") << "a second copy ended during the flood";
    EXPECT_GT(knocks, before + 10) << "the flood went on meanwhile";
    first.Write("wait 10\nstate\n");
    EXPECT_NE(first.Line(2), "");
    flooding = false;
    flood.join();
    EXPECT_NE(first.Errors().find("asked to bring the window to the front"), std::string::npos) << first.Errors();
    EXPECT_EQ(first.Finish(), 0);
}

// Lock files no copy holds, and sockets without a lock file, are removed at
// the next start; those of a running copy and names that are not the
// program's stay. They used to pile up for good.
TEST_F(SingleInstance, StaleLockFilesAndSocketsAreRemovedAtTheNextStart) {
    ASSERT_EQ(mkdir(Folder().c_str(), 0700), 0);
    auto make = [&](const std::string& name) { std::ofstream(Folder() + "/" + name) << ""; };
    auto bindSocket = [&](const std::string& name) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = Folder() + "/" + name;
        std::memcpy(address.sun_path, path.c_str(), path.size());
        int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        close(fd);
    };
    make("tavilo-00000000000000a1.lock");
    bindSocket("tavilo-00000000000000a1.sock");
    bindSocket("tavilo-00000000000000a2.sock");
    make("tavilo-00000000000000a3.lock");
    bindSocket("tavilo-00000000000000a3.sock");
    make("notes.txt");
    int held = open((Folder() + "/tavilo-00000000000000a3.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0) << "a running copy's lock";
    std::string dir = MakeTempDir();
    Demo copy(In(dir));
    copy.Write("state\n");
    ASSERT_NE(copy.Line(0), "");
    std::vector<std::string> now = Names(Folder());
    EXPECT_EQ(now.size(), 5u) << "the copy's own two files and the three that stay";
    for (const char* gone : {"tavilo-00000000000000a1.lock", "tavilo-00000000000000a1.sock",
                             "tavilo-00000000000000a2.sock"}) {
        EXPECT_EQ(std::count(now.begin(), now.end(), gone), 0) << gone;
    }
    EXPECT_EQ(copy.Finish(), 0);
    EXPECT_EQ(Names(Folder()), (std::vector<std::string>{"notes.txt", "tavilo-00000000000000a3.lock",
                                                         "tavilo-00000000000000a3.sock"}));
    close(held);
}

// Another user used to be able to hold the lock in a shared runtime folder,
// which made every start of the player's end at once, or to make the
// fallback folder in /tmp first, which switched the rule off. Run as root,
// the other user is nobody.
TEST_F(SingleInstance, AnotherUserCanNeitherEndTheCopyNorSwitchTheRuleOff) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to act as another user";
    std::string dir = MakeTempDir();
    std::string stem = StemFor(dir);
    ASSERT_NE(stem, "");
    // The other user's lock, where the program used to look for it.
    std::string shared = MakeTempDir();
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t other = fork();
    if (other == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
        mkdir((shared + "/tavilo").c_str(), 0777);
        int fds[2] = {open((shared + "/" + stem + ".lock").c_str(), O_RDWR | O_CREAT, 0666),
                      open((shared + "/tavilo/" + stem + ".lock").c_str(), O_RDWR | O_CREAT, 0666)};
        for (int fd : fds) flock(fd, LOCK_EX);
        char byte = 1;
        if (write(ready[1], &byte, 1) != 1 || read(done[0], &byte, 1) < 0) _exit(2);
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    setenv("XDG_RUNTIME_DIR", shared.c_str(), 1);
    RunResult alone = RunDemo(In(dir), "state\n");
    EXPECT_NE(alone.out, "") << "the player's copy ran: " << alone.err;

    // The other user's folder where the program used to make its own.
    unsetenv("XDG_RUNTIME_DIR");
    std::string tmp = MakeTempDir();
    setenv("TMPDIR", tmp.c_str(), 1);
    std::string planted = tmp + "/tavilo-0";
    ASSERT_EQ(mkdir(planted.c_str(), 0777), 0);
    ASSERT_EQ(chown(planted.c_str(), 65534, 65534), 0);
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "");
    EXPECT_EQ(RunDemo(In(dir), "state\n").out, "") << "the rule held";
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_EQ(first.Errors().find("runs on its own"), std::string::npos) << first.Errors();
    EXPECT_EQ(write(done[1], &byte, 1), 1);
    int status = 0;
    waitpid(other, &status, 0);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}

// What a key line sends, as a keyboard would: modifiers down in order, the
// key down (with its character) and up, the modifiers up in reverse; Alt
// marks what happens while it is held.
TEST(ScriptLanguage, KeysGoDownAndUpWithTheirModifiers) {
    const std::pair<const char*, const char*> cases[] = {
        {"key 1 n", "v49 c49, ^49, v78 c110, ^78"},
        {"key ctrl+a", "v17, v65 c1, ^65, ^17"},
        {"key shift+tab", "v16, v9 c9, ^9, ^16"},
        {"key alt", "v18 alt, ^18"},
        {"key alt+/", "v18 alt, v191 c47 alt, ^191 alt, ^18"},
        {"key ctrl+alt+x", "v17, v18 alt, v88 c24 alt, ^88 alt, ^18, ^17"},
        {"key kp3 kp+ kp- + -", "v99 c51, ^99, v107 c43, ^107, v109 c45, ^109, v187 c43, ^187, v189 c45, ^189"},
        {"key f10 kpenter", "v121, ^121, v13 c13, ^13"},
    };
    for (const auto& [text, expected] : cases) {
        headless::ScriptLine line;
        std::string error;
        ASSERT_TRUE(headless::ParseScriptLine(text, &line, &error)) << text << ": " << error;
        std::string events;
        for (const host::Event& e : line.events) {
            events += events.empty() ? "" : ", ";
            events += (e.kind == host::EventKind::KeyDown ? "v" : "^") + std::to_string(e.vk);
            events += e.ch != 0 ? " c" + std::to_string(unsigned{e.ch}) : "";
            events += e.alt ? " alt" : "";
        }
        EXPECT_EQ(events, expected) << text;
    }
}

TEST(ScriptLanguage, BadLinesSayWhatIsWrong) {
    for (const char* bad : {"tap 10", "tap 10 20 30", "tap x 20", "wait -5", "wait", "wait 1.5", "key",
                            "key meta+x", "key alt+nothing", "key kp10", "key ctrl+", "key f13", "command 70000",
                            "command", "state now", "quit 1", "press", "shot", "save", "result now", "frobnicate 1",
                            "wait 4294967296",
                            "wait 18446744073709551616"}) {
        headless::ScriptLine line;
        std::string error;
        EXPECT_FALSE(headless::ParseScriptLine(bad, &line, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    headless::ScriptLine line;
    std::string error;
    EXPECT_FALSE(headless::ParseScriptLine(std::string("shot a.png\0.txt", 14), &line, &error)) << "a NUL in a name";
    EXPECT_TRUE(headless::ParseScriptLine("wait 4294967295", &line, &error) && line.waitMs == 4294967295u);
}

// Every fault of a script or of its run stops it with the place and a
// short quote, and a status that says it failed.
TEST(ScriptDriver, FaultsStopTheRunAndSayWhere) {
    std::string dir = MakeTempDir();
    auto fails = [&](const std::string& args, const std::string& script, const std::string& where) {
        RunResult r = RunDemo(args + " " + In(dir), script);
        EXPECT_EQ(r.exitCode, 2) << script.substr(0, 80);
        EXPECT_NE(r.err.find(where), std::string::npos) << r.err.substr(0, 300);
        EXPECT_LT(r.err.size(), 400u) << "the message quotes the line only so far";
        return r;
    };
    fails("", "state\nshot /dev/full\n", "stdin:2:");
    fails("", "state\nshot " + dir + "/no/such/folder.png\n", "stdin:2:");
    EXPECT_NE(fails("", "state\nsave /dev/null/pictures\n", "stdin:2:").err.find("cannot save the picture"),
              std::string::npos);
    fails("", "state\r\nwait 4294967296\n", "stdin:2:");
    fails("", "state\npress " + std::string(1 << 20, 'z') + "\n", "stdin:2:");
    fails("", "# " + std::string(1 << 20, 'x') + "\nfrobnicate " + std::string(1 << 20, 'y') + "\n", "stdin:2:");
    RunResult modal = fails("", "command 110\npress Dialog\ncommand 101\n", "stdin:3:");
    EXPECT_NE(modal.err.find("\"Demo dialog\" is open"), std::string::npos) << modal.err;
    fails("--clock-start 4611686018427387905", "state\n", "--clock-start");
    EXPECT_EQ(RunDemo(dir + " --config-dir " + dir, "").exitCode, 2) << "a folder is not a script";
    // Lone CRs end lines too, and the clock starts as late as allowed.
    RunResult r = RunDemo("--clock-start 4611686018427387904 " + In(dir), "state\rwait 100\rstate\r\n\rstate");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 3u) << r.out;
    EXPECT_EQ(Field(Lines(r.out).back(), "ticks"), 2);
}

TEST(ScriptDriver, RunsEveryCommandThroughTheProgram) {
    std::string dir = MakeTempDir();
    std::string shot = dir + "/shot.png";
    RunResult r = RunDemo("--clock-start 1000 " + In(dir),
                          "# the bar moves 4 pixels a tick; after 250 ms it stands at x 20, the\n"
                          "# fifth tick falling due at the wait's very end\n"
                          "wait 250\n"
                          "shot " + shot + "\n"
                          "state\n"
                          "tap 10 50\n"
                          "down 100 120\n"
                          "move 101 121\n"
                          "up 101 121\n"
                          "key a alt+/ b\n"
                          "command 101\n"
                          "\n"
                          "wait 0\n"
                          "state\n"
                          "result\n"
                          "save " + dir + "/pictures\n"
                          "quit\n"
                          "state\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << "nothing runs after quit: " << r.out;
    EXPECT_EQ(lines[2], "Demo: 1 taps") << "the program's own words";
    ASSERT_EQ(lines[3].rfind("saved " + dir + "/pictures/Tavilo ", 0), 0u) << lines[3];
    std::vector<uint32_t> saved;
    int width = 0, height = 0;
    ASSERT_TRUE(gdi::ReadPng(lines[3].substr(6).c_str(), &saved, &width, &height)) << lines[3];
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 882);
    EXPECT_EQ(Field(lines[0], "ticks"), 5);
    EXPECT_EQ(Field(lines[0], "tick"), 1250);
    EXPECT_EQ(Field(lines[1], "taps"), 1);
    EXPECT_EQ(Field(lines[1], "panelTaps"), 1);
    EXPECT_EQ(Field(lines[1], "about"), 1) << "alt+/ went through the accelerators";
    EXPECT_NE(lines[1].find("\"chars\":\"ab\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\"lastTap\":[10,50]"), std::string::npos);
    EXPECT_EQ(Field(lines[1], "panelVisible"), 0) << "command 101 hid the panel";

    std::vector<uint32_t> pixels = ReadShot(shot);
    // The bar at x 20..39 on its track, the panel over the track, and no
    // menu bar: the desktop.
    EXPECT_EQ((std::vector<uint32_t>{pixels[150 * 240 + 19], pixels[150 * 240 + 25], pixels[150 * 240 + 40],
                                     pixels[150 * 240 + 120], pixels[310 * 240 + 10]}),
              (std::vector<uint32_t>{0xA0A0A0, 0xDC0000, 0xA0A0A0, 0xFFC825, 0x000000}));
}

TEST(ScriptDriver, AScriptOnAPipeRunsAsItComesAndEndsWithTheProgram) {
    Demo piped(In(MakeTempDir()));
    piped.Write("wait 100\nstate\n");
    EXPECT_EQ(Field(piped.Line(0), "ticks"), 2) << "answered while the pipe is still open";
    piped.Write("command 102\nwait 10\nstate\n");
    EXPECT_EQ(piped.Finish(), 7) << "the program's own exit code";
    RunResult ended = RunDemo(In(MakeTempDir()), "key alt+f4\nstate\n");
    EXPECT_TRUE(ended.exitCode == 0 && ended.out.empty()) << "alt+f4 ended the program before the next line";

    RunResult bad = RunDemo(In(MakeTempDir()), "state\n\nwait soon\nstate\n");
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_EQ(Lines(bad.out).size(), 1u) << "the lines before it ran, none after";
    EXPECT_TRUE(bad.err.find("stdin:3:") != bad.err.npos && bad.err.find("wait soon") != bad.err.npos) << bad.err;
    RunResult press = RunDemo(In(MakeTempDir()), "press New\n");
    EXPECT_NE(press.exitCode, 0) << "no such label on the screen";
    EXPECT_NE(press.err.find("\"New\""), std::string::npos) << press.err;
    EXPECT_NE(RunDemo("--clock-start soon -", "").exitCode, 0) << "a bad option";
}

TEST(DemoProgram, MenuBarDialogAndPanelRunFromPresses) {
    std::string dir = MakeTempDir();
    RunResult r = RunDemo(In(dir),
                          "command 110\n"
                          "press Dialog\n"
                          "press +\n"
                          "press +\n"
                          "wait 120\n"  // the bar moves under the dialog
                          "shot " + dir + "/dialog.png\n"
                          "press Yes\n"
                          "press More\n"
                          "press About..\n"
                          "state\n"
                          "press Hide\n"  // fails unless the answer showed the panel
                          "press More\n"
                          "press Quit\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Field(r.out, "about"), 1) << "About.. reached the main window: " << r.out;
    EXPECT_EQ(Field(r.out, "ticks"), 2) << "the timer ran under the dialog";
    ExpectMatchesGolden("demo_dialog", ReadShot(dir + "/dialog.png").data());
}

}  // namespace
