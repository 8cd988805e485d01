// The demonstration program as real processes of tavilo-headless: one copy at
// a time, the script language and its driver, and the menu bar, dialog and
// panel driven by "press".
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../scratch_dir.h"
#include "gdi/png.h"
#include "script.h"
#include "support.h"

using usertest::ExpectMatchesGolden;

namespace {

std::string MakeTempDir() { return testscratch::MakeScratchDir("/tmp/tavilo-user"); }

std::string Slurp(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

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
    return std::ranges::any_of(std::filesystem::directory_iterator(dir),
                               [](const auto& entry) { return entry.path().extension() == ".sock"; });
}

std::string In(const std::string& dir) { return "--config-dir " + dir + " -"; }

// The copies of a test meet in a runtime directory of the test's own.
class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1); }
    void TearDown() override {
        unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(runtime_);
    }
    std::string runtime_ = MakeTempDir();
};

TEST_F(SingleInstance, ASecondCopyBringsTheFirstToTheFrontAndEnds) {
    std::string dir = MakeTempDir();
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "") << "the first copy runs";
    EXPECT_TRUE(HasSocket(runtime_));
    RunResult second = RunDemo(In(dir), "state\n");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "") << "the second copy made no window and read no script";
    EXPECT_NE(RunDemo(In(MakeTempDir()), "state\n").out, "") << "a copy with another folder does not see it";
    first.Write("wait 10\nstate\n");
    ASSERT_NE(first.Line(1), "");
    EXPECT_NE(first.Errors().find("asked to bring the window to the front"), std::string::npos) << first.Errors();
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_FALSE(HasSocket(runtime_)) << "a clean end removes the socket";
}

TEST_F(SingleInstance, AKilledCopyDoesNotBlockTheNextStart) {
    std::string dir = MakeTempDir();
    {
        Demo killed(In(dir));
        killed.Write("state\n");
        ASSERT_NE(killed.Line(0), "");
    }
    ASSERT_TRUE(HasSocket(runtime_)) << "the killed copy left its socket";
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

// A config directory of any length still keeps copies apart, and without
// a runtime directory the copies meet in a private folder under the
// temporary directory, never in one another user made.
TEST_F(SingleInstance, LongFoldersAndNoRuntimeDirectoryKeepTheRule) {
    std::string dir = MakeTempDir() + "/" + std::string(120, 'd');
    Demo first(In(dir));
    first.Write("state\n");
    ASSERT_NE(first.Line(0), "");
    EXPECT_EQ(RunDemo(In(dir), "state\n").out, "") << "a second copy with the same long folder ends";
    EXPECT_EQ(first.Finish(), 0);

    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", runtime_.c_str(), 1);
    std::string own = runtime_ + "/tavilo-" + std::to_string(geteuid());
    Demo again(In(dir));
    again.Write("state\n");
    ASSERT_NE(again.Line(0), "");
    struct stat st;
    ASSERT_EQ(stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(HasSocket(own));
    EXPECT_EQ(RunDemo(In(dir), "state\n").out, "");
    EXPECT_EQ(again.Finish(), 0);
    unsetenv("TMPDIR");
}

TEST(ScriptLanguage, BadLinesSayWhatIsWrong) {
    for (const char* bad : {"tap 10", "tap 10 20 30", "tap x 20", "wait -5", "wait", "wait 1.5", "key",
                            "key ctrl+x", "key alt+nothing", "key f13", "command 70000", "command", "state now",
                            "quit 1", "press", "shot", "save", "result now", "frobnicate 1", "wait 4294967296",
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
