#include "harness.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "../golden.h"
#include "../scratch_dir.h"
#include "gdi/png.h"
#include "gdi/screen.h"
#include "input/stylus.h"
#include "intro/intro.h"
#include "options/options.h"
#include "runtime/system.h"
#include "user/module.h"
#include "runtime/runtime_control.h"
#include "shell/globals.h"
#include "user/user.h"
#include "view/view.h"

namespace progtest {

namespace {

// English pixels and texts whatever the developer's locale: the C locale, as
// a fresh CI machine has it, for the program run in this process and those it
// starts, however the tests are run. The tests of other languages choose theirs.
[[maybe_unused]] const bool g_cLocale = [] {
    setenv("LANG", "C", 1);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) unsetenv(name);
    return true;
}();

}  // namespace

Image LoadPng(const std::string& path) {
    Image image;
    gdi::ReadPng(path.c_str(), &image.pixels, &image.width, &image.height);
    return image;
}

Image Bitmap(int id) {
    const RESOURCE_ENTRY* entry = user::FindResourceEntry(2, static_cast<WORD>(id));  // RT_BITMAP
    Image image;
    EXPECT_TRUE(entry && gdi::DecodeBmp(static_cast<const uint8_t*>(entry->data), entry->size, &image)) << id;
    return image;
}

namespace {

// The smallest box around every pixel for which the test holds.
template <typename Test>
Box Bounds(const Image& image, Test test) {
    Box box{image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (test(x, y)) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
    }
    return box;
}

}  // namespace

Box DiffBox(const Image& a, const Image& b) {
    return Bounds(a, [&](int x, int y) { return Pixel(a, x, y) != Pixel(b, x, y); });
}

Box ColourBox(const Image& image, uint32_t pixel) {
    return Bounds(image, [&](int x, int y) { return Pixel(image, x, y) == pixel; });
}

Image Crop(const Image& image, const Box& box) {
    Image out{box.right - box.left, box.bottom - box.top, {}};
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            out.pixels.push_back(Pixel(image, x, y));
        }
    }
    return out;
}

int SpriteMisses(const Image& screen, int x, int y, const Image& sprite, int sx, int w, int h) {
    int misses = 0;
    for (int dy = 0; dy < h; ++dy) {
        for (int dx = 0; dx < w; ++dx) {
            const uint32_t s = Pixel(sprite, sx + dx, dy);
            misses += s != 0xFF00FF && Pixel(screen, x + dx, y + dy) != s;
        }
    }
    return misses;
}

long long State::Field(size_t from, const char* field) const {
    const std::string key = std::string("\"") + field + "\":";
    const size_t at = line.find(key, from);
    return at == std::string::npos ? -999 : std::atoll(line.c_str() + at + key.size());
}

long long State::Runner(int i, const char* field) const {
    size_t at = line.find("\"runners\":");
    for (int k = 0; k <= i && at != std::string::npos; ++k) {
        at = line.find("{\"status\"", at + 1);
    }
    return at == std::string::npos ? -999 : Field(at, field);
}

std::string State::Runners(const char* field) const {
    std::string out;
    for (int i = 0; Runner(i, field) != -999; ++i) {
        out += (i > 0 ? "," : "") + std::to_string(Runner(i, field));
    }
    return out;
}

// Only whole lines count: a running program may be writing the last one.
std::vector<State> StatesIn(const std::string& text) {
    std::vector<State> states;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.front() == '{' && line.back() == '}') {
            states.push_back({line});
        }
    }
    return states;
}

std::string MakeTempDir() {
    std::string dir = testscratch::MakeScratchDir(::testing::TempDir() + "tavilo-program");
    EXPECT_NE(dir, "") << "no scratch folder in " << ::testing::TempDir();
    return dir;
}

void ExpectGolden(const Image& shot, const std::string& name) {
    EXPECT_TRUE(testgolden::MatchesGolden(GOLDEN + name, ::testing::TempDir() + "actual-" + name, shot.pixels.data(),
                                          shot.width, shot.height));
}

std::string ReadFile(const std::string& path) { return testscratch::Slurp(path); }

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

Outcome RunHeadless(const std::string& script, std::string dir, long long clockStart, const std::string& args,
                    const std::string& env, int exitCode) {
    Outcome run;
    run.dir = dir.empty() ? MakeTempDir() : dir;
    WriteFile(run.dir + "/script.txt", script);
    const std::string clock = clockStart >= 0 ? " --clock-start " + std::to_string(clockStart) : "";
    const int status = std::system(("cd '" + run.dir + "' && " + env + " '" TAVILO_HEADLESS "' --config-dir '" +
                                    run.dir + "'" + clock + " " + args + " script.txt > out.txt 2> err.txt")
                                       .c_str());
    run.err = ReadFile(run.dir + "/err.txt");
    run.states = StatesIn(ReadFile(run.dir + "/out.txt"));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == exitCode) << "exit status " << status << ": " << run.err;
    return run;
}

// The shell leaves its process id behind before it becomes the program.
Live::Live(const std::string& dir) : dir(dir) {
    // Emptied first, so that nothing of an earlier run is read as this one's.
    WriteFile(dir + "/live-out.txt", "");
    input = popen(("cd '" + dir + "' && echo $$ > live.pid && exec '" TAVILO_HEADLESS "' --config-dir '" + dir +
                   "' - > live-out.txt 2>&1")
                      .c_str(),
                  "w");
}

void Live::Send(const std::string& lines) {
    std::fputs(lines.c_str(), input);
    std::fflush(input);
}

std::vector<State> Live::WaitForStates(size_t count) {
    std::vector<State> states;
    for (int tries = 0; (states = StatesIn(ReadFile(dir + "/live-out.txt"))).size() < count && tries < 500; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return states;
}

int Live::End(bool kill) {
    if (input == nullptr) {
        return -1;
    }
    const int pid = std::atoi(ReadFile(dir + "/live.pid").c_str());
    if (!kill) {
        Send("quit\n");
    } else if (pid > 0) {
        ::kill(pid, SIGKILL);
    }
    const int status = pclose(input);
    input = nullptr;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The program run inside the test process: WinMain over a host seam that
// hands it the test's steps whenever it waits for input.
namespace {

std::deque<Step> g_steps;
int g_polls = 0;

}  // namespace

int RunProgram(const std::vector<Step>& steps, uint64_t clockStart) {
    rt::UseVirtualClock(clockStart);
    sys::SetConfigDir(MakeTempDir());
    user::ResetForTests();
    ResetProgramState();
    // Only the waits move the clock, so each ends at a time known now.
    g_steps.assign(steps.begin(), steps.end());
    for (uint64_t at = clockStart; Step& step : g_steps) {
        step.waitMs = step.waitMs > 0 ? at += step.waitMs : 0;
    }
    const int code = WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, nullptr, SW_SHOW);
    // Whatever the program left behind must not reach the next run.
    user::ResetForTests();
    ResetProgramState();
    g_steps.clear();
    return code;
}

Image ScreenCopy() {
    const uint32_t* pixels = gdi::ScreenPixels();
    return Image{gdi::kScreenWidth, gdi::kScreenHeight,
                 std::vector<uint32_t>(pixels, pixels + gdi::kScreenWidth * gdi::kScreenHeight)};
}

}  // namespace progtest

// The host seam, as the program's window manager calls it.
namespace host {

void Present(const uint32_t*, int, int, int, int) {}
void RaiseWindow() {}
void SetIcon(const uint32_t*, const uint8_t*, int, int) {}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    using namespace progtest;
    // A poll takes what is ready without waiting; steps are handed over
    // only when the program really waits, between messages. A program that
    // only ever polls is stuck, painting for ever or the like, and is closed
    // so that its test fails instead of hanging.
    if (deadlineMs <= rt::NowMs()) {
        if (++g_polls < 100000) {
            return false;
        }
        ADD_FAILURE() << "the program never waits for input";
        g_steps.clear();
    }
    g_polls = 0;
    for (;;) {
        if (g_steps.empty()) {
            event->kind = EventKind::Close;
            return true;
        }
        Step& step = g_steps.front();
        if (step.check) {
            auto check = std::move(step.check);
            g_steps.pop_front();
            check();
            // The check may have queued work; let the program run it.
            return false;
        }
        if (step.waitMs == 0) {
            *event = step.event;
            g_steps.pop_front();
            return true;
        }
        if (deadlineMs <= step.waitMs) {
            rt::SetClock(deadlineMs);
            return false;
        }
        // The wait is over, and the timers due up to its end have run.
        rt::SetClock(step.waitMs);
        g_steps.pop_front();
    }
}

}  // namespace host
